// Draws the main window with a project loaded into a PNG, for the documentation's screenshot;
// with two more names also the message box with its suppression frame and the splash window,
// and with two more the options window and the message its Save and Exit gives for duplex
// printing bound at the top:
//   quillon_window_snapshot PROJECT.vbp OUT.png [MSGBOX.png SPLASH.png [OPTIONS.png CHECK.png]]
// or, for the window in the middle of sending every routine to the PDF writer (/tmp/...pdf):
//   quillon_window_snapshot PROJECT.vbp OUT.png PRINTING.png
// Runs headless (offscreen) unless a display is given; the options live in a private folder.
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/Periphery.h"
#include "ui/QtMessageBox.h"
#include "ui/SuppressibleMessageDialog.h"

#include "config/SuppressibleMessages.h"

#include "config/Session.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "platform/qt/QtPrintSurface.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// A palette image keeps the file small enough to live in the repository.
bool save(const QImage& image, const char* path)
{
    const QImage shot = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    return shot.save(QString::fromLocal8Bit(path), "PNG", 0);
}

bool save(QWidget& widget, const char* path)
{
    return save(widget.grab().toImage(), path);
}

// The window under a plain title bar with its caption: the shots are taken without a window
// manager, which would draw the real one, and a message is known by its title.
QImage titled(QWidget& window)
{
    const QPixmap body = window.grab();
    const int band = window.fontMetrics().height() + 12;
    QImage shot(body.width(), body.height() + band, QImage::Format_RGB32);
    shot.fill(QColor(0xDD, 0xE3, 0xEA));
    QPainter painter(&shot);
    QFont bold = window.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRect(10, 0, body.width() - 20, band), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(0, band, body);
    return shot;
}

// The options window as it opens, then the message of a combination it refuses. Its messages
// need a box that shows them, so it has a session of its own over the same options file.
bool saveOptionsShots(QWidget& owner, const QString& optionsFile, const char* optionsPath, const char* checkPath)
{
    quillon::ui::QtMessageBox box(&owner);
    quillon::platform::BuiltInPdfPrinterDefaults defaults;
    quillon::config::Session session(box, defaults, nullptr, optionsFile);
    session.start();
    // The desktop program estimates the spool size at every start; this one does not.
    session.options.set(quillon::config::opt::GDISpoolSize, QStringLiteral("2500"));
    quillon::ui::OptionsDialog dialog(
        session, box, [] { return std::make_unique<quillon::platform::QtPrintSurface>(); }, &owner);
    dialog.show();
    QApplication::processEvents();
    if (!save(titled(dialog), optionsPath))
        return false;
    dialog.findChild<QRadioButton*>(QStringLiteral("optDuplex0"))->setChecked(true);
    dialog.findChild<QRadioButton*>(QStringLiteral("optBind2"))->setChecked(true);
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* message = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!message || message == &dialog)
            return;
        saved = save(titled(*message), checkPath);
        message->done(0);
    });
    poll.start(50);
    dialog.saveAndExit();
    return saved;
}

// The PDF writer at the pace of a slow printer, so that the shot finds the run under way.
class SlowSurface : public quillon::platform::QtPrintSurface {
public:
    void newPage() override
    {
        QThread::msleep(60);
        QtPrintSurface::newPage();
    }
};

// Every routine of every file queued and sent; the shot is taken a moment into the run.
bool savePrinting(quillon::ui::MainWindow& window, const QString& output, const char* path)
{
    const char* const lists[] = {"lstFiles", "lstProcedures", "lstSelected"};
    for (int step = 0; step < 3; ++step) {
        window.findChild<QListWidget*>(QString::fromLatin1(lists[step]))->selectAll();
        if (step < 2)
            window.processSelection(quillon::ui::MainWindow::ProcessStep(step));
    }
    window.chooseSaveFileDialog = [output](const QString&, const QString&) { return output; };
    bool saved = false;
    QTimer::singleShot(1500, &window, [&] { saved = save(window, path); });
    window.processSelection(quillon::ui::MainWindow::ProcessStep::PrintQueue);
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 7 || argc == 6) {
        std::fprintf(stderr,
            "usage: quillon_window_snapshot PROJECT.vbp OUT.png [PRINTING.png | MSGBOX.png SPLASH.png [OPTIONS.png "
            "CHECK.png]]\n");
        return 2;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    setenv("APPDATA", QFile::encodeName(home.path()).constData(), 1);
    QApplication app(argc, argv);
    quillon::platform::BatchMessageBox box;
    box.write = [](const QString&) {};
    quillon::platform::BuiltInPdfPrinterDefaults defaults;
    quillon::config::Session session(box, defaults, nullptr, home.filePath(QStringLiteral("QLN.spi")));
    session.start();
    const bool slow = argc == 4;
    quillon::ui::MainWindow window(session, box, [slow]() -> std::unique_ptr<quillon::platform::IPrintSurface> {
        if (slow)
            return std::make_unique<SlowSurface>();
        return std::make_unique<quillon::platform::QtPrintSurface>();
    });
    window.show();
    window.openProject(QString::fromLocal8Bit(argv[1]));
    // A typical moment: two files chosen, their routines listed, a few of them queued.
    auto* files = window.findChild<QListWidget*>(QStringLiteral("lstFiles"));
    for (int row = 0; row < files->count() && row < 2; ++row)
        files->item(row)->setSelected(true);
    window.processSelection(quillon::ui::MainWindow::ProcessStep::FillProcedures);
    auto* procedures = window.findChild<QListWidget*>(QStringLiteral("lstProcedures"));
    for (int row = 1; row < procedures->count() && row < 5; ++row)
        procedures->item(row)->setSelected(true);
    window.processSelection(quillon::ui::MainWindow::ProcessStep::BuildQueue);
    app.processEvents();
    if (!save(window, argv[2]))
        return 1;
    if (argc == 3)
        return 0;
    if (argc == 4)
        return savePrinting(window, home.filePath(QStringLiteral("all.pdf")), argv[3]) ? 0 : 1;
    // The warning most runs meet: a line too long for the page, with the offer to hide it.
    quillon::platform::MessageRequest request;
    request.messageKey = QStringLiteral("Long Line Action");
    request.title = QStringLiteral("Long Line Action");
    request.icon = quillon::platform::MessageIcon::Question;
    request.text = quillon::config::SuppressibleMessages::composeSuppressionText(
        QStringLiteral(
            "A source line is too long to fit within the printable width.\r\nClick <Truncate> to clip the line "
            "to fit (highlighted)\r\nClick <Wrap> to Wrap this line (highlighted)\r\nClick <Cancel> to abort "
            "printing this procedure\r\nLine Start - If ScaleHeight > lstItems.Top  ... aleHeight - lstItems.Top - "
            "120"),
        request.messageKey);
    request.buttons = {
        QStringLiteral("Truncate"), QStringLiteral("Wrap"), QStringLiteral("Cancel"), QString(), QString()};
    request.buttonCount = 3;
    request.allowSuppress = true;
    quillon::ui::SuppressibleMessageDialog dialog(
        request, quillon::ui::dialoglayout::themeColor(session.options.windowBackColor()), &window);
    dialog.show();
    app.processEvents();
    if (!save(dialog, argv[3]))
        return 1;
    dialog.clickButton(1);
    quillon::ui::SplashWindow splash;
    splash.showFor(1);
    app.processEvents();
    if (!save(splash, argv[4]))
        return 1;
    splash.close();
    if (argc == 5)
        return 0;
    return saveOptionsShots(window, home.filePath(QStringLiteral("QLN.spi")), argv[5], argv[6]) ? 0 : 1;
}
