#include "app/DesktopMain.h"

#include "config/PageSetup.h"
#include "config/Session.h"
#include "model/DiagLog.h"
#include "model/StartUp.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/GraphLayout.h"
#include "platform/HomeThread.h"
#include "platform/PrinterDefaults.h"
#include "platform/pdf/QpdfNavigator.h"
#include "platform/qt/QtPrintSurface.h"
#include "platform/qt/QtPrinterDefaults.h"
#include "platform/qt/SingleInstance.h"
#include "platform/svg/QtSvgPageSurface.h"
#include "print/SpoolSize.h"
#include "print/TableOfContents.h"
#include "ui/MainWindow.h"
#include "ui/Periphery.h"
#include "ui/QtMessageBox.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <QUrl>

namespace quillon::app {

namespace {

using model::kCrLf;

QString resourcesFolder()
{
    return platform::programDataFolder();
}

// File | Print | User Manual after the target was confirmed: a CUPS printer takes the file
// directly; anything else (the built-in PDF writer) is handed to the PDF reader to print.
void printManual(platform::IMessageBox& box, const QString& manual, const QString& device)
{
    const bool printed = device != platform::builtInPdfWriterDefaults().deviceName
        && QProcess::execute(QStringLiteral("lp"), {QStringLiteral("-d"), device, manual}) == 0;
    if (printed)
        return;
    box.showMessage(platform::MessageIcon::Information, QStringLiteral("Need Print Action"),
        QStringLiteral("Your default PDF reader is used to print the User Manual.  ")
            + QStringLiteral("Use your PDF reader's print function to complete the print process."));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual))) {
        box.showMessage(platform::MessageIcon::Exclamation, QStringLiteral("PDF Reader Not Found"),
            QStringLiteral("No PDF reader was found on this computer.") + kCrLf + kCrLf
                + QStringLiteral("A free PDF reader is available at:") + kCrLf
                + QStringLiteral("https://www.freedesktop.org/wiki/Software/poppler/"));
    }
}

// A project given on the command line or handed over by a later start. Loads and prints are
// not interrupted, nor a dialog the user has open: the file is then left, and the status says so.
void openGivenProject(ui::MainWindow& window, const QString& path)
{
    if (window.busy() || QApplication::activeModalWidget()) {
        window.setStatus(QStringLiteral("Not opened while busy: ") + path
            + QStringLiteral(".  Use menu File|Open when the current work is done."));
        return;
    }
    window.openProject(path);
}

// A file named on the command line rather than a switch: switches such as "/DT[5]" name no
// existing path. Absolute, or empty when the argument is no file.
QString projectArgument(const QString& arg)
{
    const QFileInfo info(arg);
    const bool named = arg.startsWith(QLatin1Char('/')) || arg.endsWith(QStringLiteral(".vbp"), Qt::CaseInsensitive);
    return named && info.exists() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

// The project the window opens once it has started: the one on the command line, unless a later
// start hands over another before then (the splash and the start-up notes let events run, and
// a load then would be overwritten by the start-up's status and the command line's project).
struct StartUpProject {
    bool started = false;
    QString path;
};

// A later start brings the window forward and may hand it a project; what it hands that is no
// project file is only logged.
void connectLaterStarts(platform::SingleInstance& instance, ui::MainWindow& window, StartUpProject& startUp)
{
    QObject::connect(
        &instance, &platform::SingleInstance::activationRequested, &window, [&window] { ui::bringToFront(&window); });
    // Queued: the load runs from the event loop, not inside the socket's read.
    QObject::connect(
        &instance, &platform::SingleInstance::openRequested, &window,
        [&window, &startUp](const QString& path) {
            if (startUp.started)
                openGivenProject(window, path);
            else
                startUp.path = path; // the later choice
        },
        Qt::QueuedConnection);
    QObject::connect(&instance, &platform::SingleInstance::requestIgnored, &window,
        [](const QString& why) { model::DiagLog::standard().write(why); });
}

void connectHelp(ui::MainWindow& window, platform::IMessageBox& box, config::Session& session)
{
    window.showAbout = [&window] {
        ui::AboutDialog about(&window);
        about.exec();
    };
    window.showSupport = [&box] {
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Support"),
            QStringLiteral("Help with Quillon: the user manual (Help | Display User Manual) answers most "
                           "questions; the README beside the sources lists the command line.  Report "
                           "problems with the version (Help | About) and the project that shows them."));
    };
    window.printUserManual = [&box, &session, &window] {
        printManual(box, window.userManualPath, session.options.text(config::opt::DeviceName));
    };
}

void showProgramIcon(QWidget& window, platform::IMessageBox& box)
{
    const QString iconPath = resourcesFolder() + QStringLiteral("QLNIcon.ico");
    if (QFileInfo::exists(iconPath)) {
        QApplication::setWindowIcon(QIcon(iconPath));
        window.setWindowIcon(QIcon(iconPath));
    } else {
        box.showMessage(platform::MessageIcon::Exclamation, config::kProductName,
            QStringLiteral("AppIcon.ico not found in application folder:") + kCrLf + iconPath);
    }
}

} // namespace

bool isDesktopStart(const QStringList& args)
{
    for (const QString& arg : args) {
        if (!arg.startsWith(QLatin1Char('/')) && projectArgument(arg).isEmpty())
            return false;
    }
    return true;
}

QString desktopProjectPath(const QStringList& args)
{
    for (const QString& arg : args) {
        if (QString path = projectArgument(arg); !path.isEmpty())
            return path;
    }
    return QString();
}

int runDesktop(const QString& projectPath)
{
    // The guard comes first: a copy that is refused must leave the running copy's options file
    // alone, and it shows nothing that would need the options.
    platform::SingleInstance instance(model::kInstanceIdentifier);
    if (!instance.ensure(projectPath))
        return 0; // the running copy has been brought to the front and handed the project

    ui::QtMessageBox dialogs;
    // Loads and print runs ask from their own thread; the dialogs show on this one.
    platform::HomeThreadMessageBox box(dialogs, QCoreApplication::instance());
    platform::QtPrinterDefaults printerDefaults;
    config::Session session(box, printerDefaults, &model::DiagLog::standard());
    // The options file, its identification keys, every option loaded and saved back, and the
    // hidden-message store.
    session.start();
    dialogs.setThemeColor(session.options.windowBackColor());

    // Tables of contents an older version kept in the options file go to their own list files.
    const print::TocMigration migrated = print::migrateAllTocSections(session.ini);
    if (migrated.failed > 0)
        model::DiagLog::standard().write(QStringLiteral("TOC sections not moved: ") + migrated.error);

    ui::MainWindow window(session, box, [] { return std::make_unique<platform::QtPrintSurface>(); });
    dialogs.setOwner(&window);
    StartUpProject startUp {false, projectPath};
    connectLaterStarts(instance, window, startUp);
    showProgramIcon(window, box);

    ui::SplashWindow splash;
    splash.showFor(model::splashSecondsFromCommandLine(QString(), box, [] { QApplication::beep(); }));
    splash.finish();

    // The printing set-up of the last run, with what this machine cannot take replaced.
    {
        platform::QtPrintSurface surface;
        config::PageSetup setup = config::PageSetup::fromOptions(session.options);
        config::PrintDevice printer(surface, setup);
        config::restorePrintingSetup(printer, session.options, box);
    }
    session.options.save();

    print::GdiSpoolEstimator estimator(
        session.options, [] { return print::readSpoolReadings(platform::tempFolder()); });
    const QString recalibrated = estimator.recalibrateAtStart(
        {session.options.text(config::opt::FontName), session.options.text(config::opt::FontSize).toDouble()});
    window.spoolEstimator = &estimator;
    platform::QpdfNavigator pdfNavigator;
    window.pdfNavigator = &pdfNavigator;
    // The site's pictures: form images on SVG pages, calls laid out by Graphviz (listed instead
    // when the library cannot be used).
    QString graphProblem;
    const std::unique_ptr<platform::IGraphLayout> graphs = platform::openGraphvizLayout(&graphProblem);
    window.graphLayout = graphs.get();
    window.svgSurfaces = [] { return std::make_unique<platform::QtSvgPageSurface>(); };

    window.setWindowTitle(config::kProductName);
    QString status = QStringLiteral("Use menu File|Open to load a ") + QStringLiteral("project .vbp file");
    if (!recalibrated.isEmpty())
        status += kCrLf + kCrLf + recalibrated;
    window.setStatus(status);

    connectHelp(window, box, session);
    window.show();
    window.refreshListButtons();
    if (!session.options.boolean(config::opt::ColorDefaultNoteSeen)) {
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Default Colors"),
            QStringLiteral("The default highlight colors of printed listings have changed.  Comments, "
                           "constants, variables, procedure names and literals each have their own color; "
                           "see the user manual, section 4.1 Color Settings, to change them."));
    }
    startUp.started = true;
    if (!startUp.path.isEmpty())
        QMetaObject::invokeMethod(
            &window, [&window, path = startUp.path] { openGivenProject(window, path); }, Qt::QueuedConnection);
    const int code = QApplication::exec();
    instance.release();
    return code;
}

} // namespace quillon::app
