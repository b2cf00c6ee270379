#include "app/Cli.h"
#include "app/DesktopMain.h"
#include "platform/GraphLayout.h"
#include "platform/InterruptCleanup.h"
#include "platform/pdf/QpdfNavigator.h"
#include "platform/qt/GuiStartup.h"
#include "platform/qt/QtPrintSurface.h"
#include "platform/qt/QtPrinterDefaults.h"
#include "platform/svg/QtSvgPageSurface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include <csignal>
#include <iostream>
#include <memory>

#include <malloc.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // The PDF writer compresses every page through buffers of a few dozen kilobytes that are
    // freed at once; with the allocator's default thresholds each free gave the memory back to
    // the system and the next page asked for it again, which cost as much as the printing.
    // Keeping freed memory for reuse costs no more than the largest page in flight.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TOP_PAD, 16 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    // Ctrl+C or a kill while a document or its parts are being written removes the unfinished
    // files and leaves the user's output as it was.
    quillon::platform::InterruptCleanup::installHandlers();
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    if (quillon::app::isDesktopStart(given)) {
        // No subcommand: the desktop program, which needs a screen to show its window on.
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            std::cerr << "quillon: no display to show the window on (set DISPLAY, or give a subcommand: "
                         "quillon --help)\n";
            return 1;
        }
        QApplication desktop(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
        return quillon::app::runDesktop(quillon::app::desktopProjectPath(given));
    }
    const bool printing = quillon::app::isPrintingCommandLine(given);
    // Printing needs fonts and printers, so a GUI application object, even with no display;
    // everything else runs on a plain core application.
    std::unique_ptr<QCoreApplication> app;
    if (printing) {
        quillon::platform::prepareGuiEnvironment();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    std::ios::sync_with_stdio(false);
    // A reader that goes away (a closed pipe) is a failed write, told and reported in the exit
    // status, not a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);

    quillon::app::CliServices services;
    services.errIsTerminal = isatty(STDERR_FILENO) != 0;
    std::unique_ptr<quillon::platform::QtPrinterDefaults> printerDefaults;
    quillon::platform::QpdfNavigator pdfNavigator;
    services.pdfNavigator = &pdfNavigator;
    if (printing) {
        printerDefaults = std::make_unique<quillon::platform::QtPrinterDefaults>();
        services.printerDefaults = printerDefaults.get();
        services.createPrintSurface = [] { return std::make_unique<quillon::platform::QtPrintSurface>(); };
        services.parallelPrinting = true;
        services.createSvgSurface = [] { return std::make_unique<quillon::platform::QtSvgPageSurface>(); };
    }
    // Only a site has graphs to draw; opening the library draws a trial graph.
    std::unique_ptr<quillon::platform::IGraphLayout> graphs;
    if (!given.isEmpty() && given.front() == QLatin1String("html")) {
        QString problem;
        graphs = quillon::platform::openGraphvizLayout(&problem);
        if (!graphs)
            std::cerr << "quillon: note: the site's graphs are listed, not drawn: " << problem.toStdString() << '\n';
        services.graphLayout = graphs.get();
    }
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int code = quillon::app::runCli(args, std::cout, std::cerr, services);
    std::cout.flush();
    return code;
}
