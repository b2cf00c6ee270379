// Draws the main window with a project loaded into a PNG, for the documentation's screenshot:
//   quillon_window_snapshot PROJECT.vbp OUT.png
// Runs headless (offscreen) unless a display is given; the options live in a private folder.
#include "ui/MainWindow.h"

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
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillon_window_snapshot PROJECT.vbp OUT.png\n");
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
    session.Start();
    quillon::ui::frmMain window(session, box, [] { return std::make_unique<quillon::platform::QtPrintSurface>(); });
    window.show();
    window.OpenProject(QString::fromLocal8Bit(argv[1]));
    // A typical moment: two files chosen, their routines listed, a few of them queued.
    auto* files = window.findChild<QListWidget*>(QStringLiteral("lstFiles"));
    for (int row = 0; row < files->count() && row < 2; ++row)
        files->item(row)->setSelected(true);
    window.ProcessSelection(0);
    auto* procedures = window.findChild<QListWidget*>(QStringLiteral("lstProcedures"));
    for (int row = 1; row < procedures->count() && row < 5; ++row)
        procedures->item(row)->setSelected(true);
    window.ProcessSelection(1);
    app.processEvents();
    // A palette image keeps the file small enough to live in the repository.
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    return shot.save(QString::fromLocal8Bit(argv[2]), "PNG", 0) ? 0 : 1;
}
