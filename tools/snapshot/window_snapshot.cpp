// Draws the main window with a project loaded into a PNG, for the documentation's screenshot;
// with two more names also the message box with its suppression frame and the splash window:
//   quillon_window_snapshot PROJECT.vbp OUT.png [MSGBOX.png SPLASH.png]
// Runs headless (offscreen) unless a display is given; the options live in a private folder.
#include "ui/MainWindow.h"
#include "ui/Periphery.h"
#include "ui/SuppressibleMessageDialog.h"

#include "config/SuppressibleMessages.h"

#include "config/Session.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "platform/qt/QtPrintSurface.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: quillon_window_snapshot PROJECT.vbp OUT.png [MSGBOX.png SPLASH.png]\n");
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
    quillon::ui::MainWindow window(session, box, [] { return std::make_unique<quillon::platform::QtPrintSurface>(); });
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
    // A palette image keeps the file small enough to live in the repository.
    auto save = [](QWidget& widget, const char* path) {
        const QImage shot = widget.grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        return shot.save(QString::fromLocal8Bit(path), "PNG", 0);
    };
    if (!save(window, argv[2]))
        return 1;
    if (argc == 3)
        return 0;
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
    return save(splash, argv[4]) ? 0 : 1;
}
