#include "ui/MainWindow.h"
#include "ui/WindowPlacement.h"

#include "platform/GraphLayout.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtPrintSurface.h"
#include "support/RecordingPrintSurface.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>

using namespace quillon;
using test::RecordingPrintSurface;
using test::ScriptedMessageBox;

namespace {

// A window over a two-module project with one call between the modules, in a private folder.
struct Bench : test::SessionBench {
    std::vector<RecordingPrintSurface::Op> printed;
    std::unique_ptr<ui::MainWindow> window;
    QString vbp;
    QString askedIn; // the folder the project file was chosen in

    explicit Bench(ui::MainWindow::SurfaceFactory surfaces = {})
    {
        session.start();
        session.options.set(config::opt::DeviceName, "Office Laser");
        session.options.set(config::opt::VBPFolder, fx.path("start"));
        session.options.set(config::opt::OutputFolder, fx.path("out"));
        fx.writeLines("proj/modA.bas",
            {"Attribute VB_Name = \"modA\"", "Option Explicit", "Public Sub Main()", "    Helper", "End Sub", "Public Sub Helper()", "    Dim i As Integer",
                "End Sub"});
        fx.writeLines("proj/modB.bas",
            {"Attribute VB_Name = \"modB\"", "Public Function Twice(ByVal n As Long) As Long", "    Twice = n * 2", "    Helper", "End Function"});
        vbp = fx.writeLines("proj/Demo.vbp", {"Type=Exe", "Module=modB; modB.bas", "Module=modA; modA.bas", "Startup=\"Sub Main\""});
        if (!surfaces) {
            surfaces = [this]() -> std::unique_ptr<platform::IPrintSurface> {
                auto surface = std::make_unique<RecordingPrintSurface>();
                surface->keepOpsIn = &printed;
                return surface;
            };
        }
        window = std::make_unique<ui::MainWindow>(session, onWindowThread, std::move(surfaces));
        window->chooseProjectFileDialog = [this](const QString& folder) {
            askedIn = folder;
            return vbp;
        };
    }

    QListWidget* list(const char* name) const { return window->findChild<QListWidget*>(name); }
    template <class T>
    T* child(const char* name) const
    {
        return window->findChild<T*>(name);
    }
    QStringList entries(const char* name, bool selectedOnly = false) const
    {
        QStringList texts;
        for (int i = 0; i < list(name)->count(); ++i)
            if (!selectedOnly || list(name)->item(i)->isSelected())
                texts << list(name)->item(i)->text();
        return texts;
    }
    QString printedText() const
    {
        QString text;
        for (const RecordingPrintSurface::Op& op : printed)
            text += op.text;
        return text;
    }
};

// One session by the menus, keys and buttons: F1, entries not yet built, File | Open, the table of
// contents, files to procedures to the queue, a printer chosen, Send to a file, the dependency
// reports, a project file changed on disk and one that is gone, then closing. The lists' own
// rules are ProcedureListsTest's; the whole job on the example project through the program is
// FailurePathsTest's.
TEST(MainWindowTest, ASessionFromF1AndFileOpenThroughTheListsAndAPrinterChoiceToSendAndClose)
{
    Bench b;
    b.window->show();
    // Without the manual where it should be, F1 tells where it was looked for and why.
    for (const auto& [path, why] : {std::pair(b.fx.path("gone.pdf"), " does not exist."), std::pair(b.fx.path("proj"), " is not a file.")}) {
        b.window->userManualPath = path;
        QTest::keyClick(b.window.get(), Qt::Key_F1);
        ASSERT_FALSE(b.box.shown.empty());
        EXPECT_EQ(b.box.shown.back().title + '|' + b.box.shown.back().text,
            "Error|Unable to open the User Manual.\r\n\r\n\"" + path + "\"" + why + "\r\n\r\nError code: 2");
    }
    b.box.shown.clear();
    // F1 names the manual's section of the focused list, and opens the manual.
    int manualOpened = 0;
    b.window->displayUserManual = [&] { ++manualOpened; };
    b.window->show();
    const std::pair<const char*, const char*> sections[] = {
        {"lstSelected", "F1 Help: See User Manual Section 2.1.3 - Print Queue"},
        {"lstFiles", "F1 Help: See User Manual Section 2.1.1 - File List"},
        {"lstProcedures", "F1 Help: See User Manual Section 2.1.2 - Procedure List"},
        {"cmdExit", "F1 Help: See User Manual Table of Contents"},
    };
    for (const auto& [name, expected] : sections) {
        QWidget* target = b.window->findChild<QWidget*>(name);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F1);
        EXPECT_EQ(b.window->statusText(), expected);
    }
    EXPECT_EQ(manualOpened, 4);
    // With no backup there is nothing to restore.
    EXPECT_FALSE(b.window->action("mnuRestoreEdited")->isEnabled());
    b.window->processSelection(ui::MainWindow::ProcessStep::FillProcedures);
    EXPECT_EQ(b.box.shown.back().text, "No project files loaded.");
    b.box.shown.clear();
    // File | Open warns first (the menus stay locked while it loads: the load test below). The
    // warning is hidden for good, which lists it under File | Restore Messages.
    b.box.answers.push_back({0, quillon::platform::SuppressChoice::AllSessions, QString()});
    b.window->openProjectCommand();
    ASSERT_EQ(b.box.shown.size(), 1u);
    EXPECT_EQ(b.box.shown[0].request.messageKey, "Uncompiled VBP Warning");
    EXPECT_EQ(std::tuple(b.askedIn, b.session.options.text(config::opt::VBPFolder)), std::tuple(b.fx.path("start"), b.fx.path("proj") + '/'));
    EXPECT_EQ(b.entries("lstFiles"), (QStringList {"modA.bas", "modB.bas"}));
    EXPECT_EQ(b.window->findChild<QLabel*>("lblSource")->text(), "Source:" + b.vbp);
    EXPECT_TRUE(b.window->statusText().endsWith(model::Project::kProjectLoadedText));
    EXPECT_TRUE(b.window->selectAllButton(0)->isEnabled());
    b.window->action("mnuPrintToc")->trigger();
    EXPECT_EQ(b.box.shown.back().request.title, "TOC Notes Suppression");
    EXPECT_TRUE(b.printedText().contains("modB.bas")) << b.printedText().toStdString();

    b.list("lstFiles")->item(0)->setSelected(true);
    b.window->processButton(0)->click();
    EXPECT_EQ(b.entries("lstProcedures"), (QStringList {"modA.bas|Public Sub Declarations", "modA.bas|Public Sub Main", "modA.bas|Public Sub Helper"}));
    // The printer chosen is stored, also when the system would not make it its default.
    b.session.options.setBool(config::opt::PrinterScope, true);
    b.window->choosePrinterDialog = [](const std::vector<platform::PrinterInfo>&, const QString&) { return QStringLiteral("recording pdf"); };
    b.window->makeSystemDefaultPrinter = [](const QString&) { return false; };
    b.window->action("mnuSelectPrinter")->trigger();
    EXPECT_EQ(QStringList({b.box.shown.back().title, b.session.options.text(config::opt::PrinterPort), b.window->processButton(2)->text()}),
        QStringList({"Default Printer Not Changed", "FILE:", "Send Selected Procedures To Recording PDF"}));
    b.window->choosePrinterDialog = [](const std::vector<platform::PrinterInfo>&, const QString&) { return QString(); };
    b.window->selectDefaultPrinter();
    EXPECT_EQ(b.session.options.text(config::opt::DeviceName), "Recording PDF") << "a cancelled choice changes nothing";
    // Send prints the queue's selected entries only, to the file the save dialog names, and unlocks
    // the lists afterwards.
    QString asked; // the folder and the suggested name
    b.window->chooseSaveFileDialog = [&](const QString& folder, const QString& name) {
        asked = folder + '|' + name;
        return b.fx.path("out/queue.pdf");
    };
    b.list("lstProcedures")->item(1)->setSelected(true);
    b.list("lstProcedures")->item(2)->setSelected(true);
    b.window->processButton(1)->click();
    b.list("lstSelected")->item(0)->setSelected(false);
    b.window->processButton(2)->click();
    EXPECT_TRUE(b.window->statusText().startsWith("1 procedure sent to a file-based printer (Recording PDF).")) << b.window->statusText().toStdString();
    EXPECT_TRUE(asked.startsWith(b.fx.path("out") + '|') && asked.endsWith(" Demo Program Documentation.pdf")) << asked.toStdString();
    EXPECT_TRUE(b.printedText().contains("Public Sub Helper()"));
    EXPECT_FALSE(b.printedText().contains("Public Sub Main()")) << "unselected rows stay out";
    EXPECT_TRUE(b.list("lstSelected")->isEnabled());

    // Dependency reports follow the check box, which the Dep button checks.
    b.window->findChild<QPushButton*>("cmdDep")->click();
    const QStringList reports = b.entries("lstSelected").filter("|Dep");
    EXPECT_EQ(reports, (QStringList {"modA.bas|Public Sub Helper|Dep", "modA.bas|Public Sub Main|Dep"}));
    b.window->findChild<QPushButton*>("cmdKeepOnly")->click();
    EXPECT_EQ(b.entries("lstSelected", true), reports);

    // Choosing files again empties the procedure list until it is filled anew.
    b.list("lstFiles")->item(1)->setSelected(true);
    EXPECT_TRUE(b.entries("lstProcedures").isEmpty());
    EXPECT_FALSE(b.window->selectAllButton(1)->isEnabled()) << "an empty list has no selection buttons";
    b.window->processSelection(ui::MainWindow::ProcessStep::BuildQueue);
    EXPECT_EQ(b.box.shown.back().text, "No procedures available in the modules list.");

    // The project file changed on disk: a reload is asked for and nothing prints.
    b.printed.clear();
    b.fx.writeLines("proj/Demo.vbp", {"Type=Exe", "Module=modA; modA.bas"});
    b.window->processSelection(ui::MainWindow::ProcessStep::PrintQueue);
    EXPECT_EQ(b.box.shown.back().title, "Reload required");
    EXPECT_TRUE(b.printed.empty());
    // A file that is not there: the message, and the loaded project stays listed.
    b.vbp = b.fx.path("proj/Gone.vbp");
    b.window->openProjectCommand();
    EXPECT_EQ(b.box.shown.back().title, "No valid file");
    EXPECT_EQ(b.entries("lstFiles").size(), 2);

    // Closing remembers the position and that the colour note was seen; a position off the
    // screen (a monitor since removed) comes back onto it.
    b.window->move(130, 90);
    EXPECT_TRUE(b.window->close());
    EXPECT_TRUE(b.session.options.boolean(config::opt::ColorDefaultNoteSeen));
    const QString section = config::sectionName(":MainForm");
    EXPECT_EQ(QStringList({b.session.ini.read(section, "Left", QString()), b.session.ini.read(section, "Top", QString())}), QStringList({"130", "90"}));
    b.session.ini.write(section, "Left", "5000");
    ui::MainWindow again(b.session, b.box, {});
    EXPECT_TRUE(ui::availableScreenOf(&again).contains(again.pos()));
}

// Show Only Unused Procedures leaves in the procedure list what nothing calls (modB's Twice, Main
// being the start-up routine) with its dependency report, and unselects what it hides so that
// only what is seen is queued. File | Print | Project Insight prints the report under its title;
// a file name not given ends it with its own notice.
TEST(MainWindowTest, TheProcedureListShowsOnlyUnusedProceduresAndProjectInsightPrints)
{
    Bench b;
    b.box.answers.push_back({0, quillon::platform::SuppressChoice::AllSessions, QString()});
    b.window->openProjectCommand();
    b.window->selectAll(0);
    b.window->processButton(0)->click();
    b.window->selectAll(1);
    auto* unusedOnly = b.child<QCheckBox>("chkUnused");
    ASSERT_TRUE(unusedOnly->isEnabled());
    unusedOnly->setChecked(true);
    EXPECT_EQ(b.entries("lstProcedures"), QStringList({"modB.bas|Public Function Twice"}));
    EXPECT_EQ(b.window->statusText(), "Procedure list: only unused procedures (1 of 5 entries).");
    b.child<QCheckBox>("chkDep")->setChecked(true);
    EXPECT_EQ(b.entries("lstProcedures"), QStringList({"modB.bas|Public Function Twice", "modB.bas|Public Function Twice|Dep"}));
    b.child<QCheckBox>("chkDep")->setChecked(false);
    b.window->processButton(1)->click();
    EXPECT_EQ(b.entries("lstSelected"), QStringList({"modB.bas|Public Function Twice"}));
    unusedOnly->setChecked(false);
    EXPECT_EQ(b.entries("lstProcedures").size(), 5);
    EXPECT_EQ(b.entries("lstProcedures", true), QStringList({"modB.bas|Public Function Twice"}));

    b.printed.clear();
    b.window->action("mnuPrintInsight")->trigger();
    const QString text = b.printedText();
    for (const char* expected :
        {"Project Insight", "Unused Procedures", "modB.bas: 1 procedure, 4 code lines", "Most Complex Routines", "Calls Between Modules"})
        EXPECT_TRUE(text.contains(expected)) << expected;
    EXPECT_TRUE(b.list("lstFiles")->isEnabled());
    b.window->choosePrinterDialog = [](const std::vector<platform::PrinterInfo>&, const QString&) { return QStringLiteral("recording pdf"); };
    b.window->action("mnuSelectPrinter")->trigger();
    b.window->chooseSaveFileDialog = [](const QString&, const QString&) { return QString(); };
    b.window->action("mnuPrintInsight")->trigger();
    EXPECT_EQ(QStringList({b.box.shown.back().title, b.box.shown.back().text}),
        QStringList({"No File Selection", "You selected cancel when asked for a file name.  The Project Insight print to file will now be cancelled."}));
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_Insight_*"}).isEmpty());
}

// Modules of 500 small functions each, every one calling the one before it, as a generated
// data-access layer looks.
QString writeLargeProject(test::Fixture& fx, int modules, int functionsPerModule)
{
    QStringList vbp {"Type=Exe", "Startup=\"Sub Main\""};
    for (int m = 0; m < modules; ++m) {
        const QString name = QStringLiteral("modRecords%1").arg(m, 2, 10, QLatin1Char('0'));
        QStringList lines {"Attribute VB_Name = \"" + name + "\"", "Option Explicit", "Private Const kLimit As Long = 100 ' the most rows one report takes"};
        for (int f = 0; f < functionsPerModule; ++f) {
            const QString fn = QStringLiteral("Step%1_%2").arg(m).arg(f);
            lines << "Public Function " + fn + "(ByVal value As Long) As Long"
                  << "    ' Adds the next step, capped at the limit of the report"
                  << "    If value < kLimit Then " + fn + " = value + 1 Else " + fn + " = kLimit"
                  << (f > 0 ? QStringLiteral("    %1 = Step%2_%3(%1)").arg(fn).arg(m).arg(f - 1) : QString()) << "End Function";
        }
        fx.writeLines("big/" + name + ".bas", lines);
        vbp << "Module=" + name + "; " + name + ".bas";
    }
    return fx.writeLines("big/Records.vbp", vbp);
}

// The window answers while it loads 20,000 routines: a timer of the test ticks every 10 ms
// throughout and never waits long (100 ms, or a fifth of the load on a slow machine), the menus and lists stay locked behind a progress bar,
// and the status is the load's own at the end however often the index animation ticks. The
// target it names is the one in use when it shows; a question the load asks is shown on the
// window's thread; a project file that cannot be read is told.
TEST(MainWindowTest, TheWindowAnswersWhileItLoadsALargeProjectAndTellsWhatHappened)
{
    Bench b;
    b.session.options.set(config::opt::DeviceName, "Recording PDF"); // as the start-up restore may replace it
    b.window->show();
    EXPECT_EQ(b.window->processButton(2)->text(), "Send Selected Procedures To Recording PDF");
    b.child<QTimer>("tmrMain")->setInterval(0);
    const QString vbp = writeLargeProject(b.fx, 40, 500);
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int ticks = 0, lockedTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!b.window->busy())
            return;
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
        ++ticks;
        lockedTicks += !b.window->menuBar()->isEnabled() && !b.child<QListWidget>("lstFiles")->isEnabled() && b.child<QProgressBar>("prgWork")->isVisible()
            && !b.child<QPushButton>("cmdCancel")->isVisible();
    });
    timer.start(10);
    clock.start();
    ASSERT_TRUE(b.window->openProject(vbp));
    timer.stop();
    EXPECT_GT(ticks, 3) << "the load took " << clock.elapsed() << " ms";
    EXPECT_EQ(lockedTicks, ticks);
    // Measured against the load itself, not the clock: a step run on the window's thread shows
    // as a gap that takes a large part of the load, however fast or loaded the machine is.
    EXPECT_LT(longest, std::max<qint64>(100, clock.elapsed() / 5)) << ticks << " ticks in " << clock.elapsed() << " ms";
    EXPECT_EQ(b.window->statusText(),
        "Phase 1 of 2: Loading file 40 of 40\r\nPhase 2 of 2: Scanning procedure 20040 of 20040\r\nBuilding Dependency Index.\r\n"
        "Phase 3 of 3: Indexing procedure 20040 of 20040\r\nDependency Index Complete\r\n\r\nProject loaded.  Select one or more files to add included "
        "procedures to the procedures list");
    EXPECT_TRUE(b.window->menuBar()->isEnabled() && b.child<QListWidget>("lstFiles")->isEnabled());
    EXPECT_FALSE(b.child<QProgressBar>("prgWork")->isVisible());

    EXPECT_FALSE(b.window->openProject(b.fx.path("big/Gone.vbp")));
    ASSERT_FALSE(b.box.shown.empty());
    EXPECT_EQ(std::tuple(b.box.shown.back().title, b.box.shown.back().thread), std::tuple("No valid file", b.window->thread()));
    const QString fifo = b.fx.path("proj/Pipe.vbp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(b.window->openProject(fifo));
    EXPECT_EQ(b.box.shown.back().title, "File Open Failure");
    EXPECT_EQ(b.window->statusText(), "The project file \"" + fifo + "\" could not be read: not a regular file.");
}

// The PDF writer, held at the start of the routine named Main until the test has clicked
// Cancel (or ten seconds have passed).
class HeldSurface : public platform::QtPrintSurface {
public:
    explicit HeldSurface(std::atomic<int>& state) : QtPrintSurface({}, QString()), state_(state) { }
    void printText(QStringView text, bool lineEnd) override
    {
        int expected = 0;
        if (text.contains(u"Main") && state_.compare_exchange_strong(expected, 1)) {
            for (const QDeadlineTimer deadline(10000); state_ == 1 && !deadline.hasExpired();)
                QThread::msleep(5);
        }
        QtPrintSurface::printText(text, lineEnd);
    }

private:
    std::atomic<int>& state_; // 0 not there yet, 1 held, 2 let go
};

// Cancel stops a print run after the routine being printed: the file the user chose keeps its
// old contents, no work file is left beside it, and the status says what happened. The save
// dialog the run asks for is shown on the window's thread.
TEST(MainWindowTest, CancelStopsThePrintRunAfterTheRoutineBeingPrinted)
{
    std::atomic<int> held {0};
    Bench b([&held] { return std::make_unique<HeldSurface>(held); });
    b.session.options.set(config::opt::DeviceName, "Quillon PDF");
    b.window->show();
    ASSERT_TRUE(b.window->openProject(b.vbp));
    const QString output = b.fx.writeLines("out/Demo.pdf", {"the documentation printed last week"});
    bool dialogOnWindowThread = false;
    b.window->chooseSaveFileDialog = [&](const QString&, const QString&) {
        dialogOnWindowThread = QThread::currentThread() == b.window->thread();
        return output;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* cancel = b.child<QPushButton>("cmdCancel");
        if (held == 1 && cancel->isVisible() && cancel->isEnabled()) {
            cancel->click();
            held = 2;
        }
    });
    poll.start(5);
    const char* const lists[] = {"lstFiles", "lstProcedures", "lstSelected"};
    for (int step = 0; step < 3; ++step) { // the last step sends the queue
        b.child<QListWidget>(lists[step])->selectAll();
        b.window->processSelection(ui::MainWindow::ProcessStep(step));
    }
    EXPECT_TRUE(dialogOnWindowThread);
    EXPECT_EQ(b.window->statusText(), "Print run cancelled after 2 of 5 procedures; the unfinished output was discarded.");
    EXPECT_EQ(test::readBytes(output), "the documentation printed last week\r\n");
    EXPECT_EQ(QDir(b.fx.path("out")).entryList(QDir::Files), QStringList {"Demo.pdf"});
}

// The module graph, drawn once the file pages are written, first runs whenModules on the window's thread.
struct ModuleGraphHook : platform::IGraphLayout {
    QObject* window = nullptr;
    std::function<void()> whenModules;
    platform::GraphPicture drawSvg(const QByteArray& dot) const override
    {
        if (whenModules && dot.startsWith("digraph modules"))
            platform::callOnThreadOf(window, whenModules);
        return {"<svg></svg>", QString()};
    }
};

// File | Export HTML writes the example's site and opens it in the browser; a foreign folder is refused;
// Cancel keeps the earlier site. The dialog starts in the Output Folder, then at the last site chosen.
TEST(MainWindowTest, FileExportHtmlWritesTheSiteRefusesAForeignFolderAndCancelKeepsTheEarlierSite)
{
    Bench b;
    const QString site = b.fx.path("site"), mine = QFileInfo(b.fx.write("mine/notes.txt", "my own notes")).path();
    QStringList chosen {site, mine, site}, steps; // steps: where the dialog started, the page opened, the status at Cancel
    ModuleGraphHook graphs;
    graphs.window = b.window.get();
    b.window->graphLayout = &graphs;
    b.window->chooseSiteFolderDialog = [&](const QString& from) { return steps << from, chosen.takeFirst(); };
    b.window->openInBrowser = [&](const QUrl& page) { return steps << page.toLocalFile(), true; };
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    ASSERT_TRUE(b.window->openProject(QStringLiteral(QUILLON_EXAMPLES "/inventory/Inventory.vbp")));
    b.box.answers.push_back({0, platform::SuppressChoice::Never, QString()}); // Open in Browser
    b.window->action("mnuFileExportHtml")->trigger();
    EXPECT_EQ(b.box.shown.back().title + '|' + b.box.shown.back().text.section(',', 0, 0), "Site Written|12 pages");
    EXPECT_EQ(QDir(site).entryList(all),
        QStringList({".quillon-site", "assets", "clsInventory.cls.html", "ClsItem.cls.html", "frmItem.frm.html", "frmMain.frm.html", "frmSplash.frm.html",
            "index.html", "insight.html", "modData.bas.html", "modMain.bas.html", "modReports.bas.html", "modStrings.bas.html", "modules.html"}));
    b.fx.write("site/kept.txt", "only in the earlier site");
    b.window->action("mnuFileExportHtml")->trigger();
    EXPECT_EQ(b.box.shown.back().title + '|' + b.box.shown.back().text,
        "Export HTML|The site was not written: " + mine + " holds files that are not an earlier export of a site; choose an empty or a new folder.");
    graphs.whenModules = [&] {
        steps << b.window->statusText() + (b.child<QPushButton>("cmdCancel")->isVisibleTo(b.window.get()) ? " | Cancel" : "");
        b.child<QPushButton>("cmdCancel")->click();
    };
    b.window->action("mnuFileExportHtml")->trigger();
    EXPECT_EQ(b.window->statusText(), "Export cancelled; the folder \"" + site + "\" is as it was.");
    EXPECT_TRUE(QFile::exists(site + "/kept.txt")) << "the earlier site was replaced";
    EXPECT_EQ(QDir(mine).entryList(all) + QDir(b.fx.path("")).entryList({"*quillon-work*"}, all), QStringList {"notes.txt"}) << "written beside";
    EXPECT_EQ(steps, QStringList({b.fx.path("out"), site + "/index.html", site, mine, "Writing page 11 of 12: insight.html | Cancel"}));
}

} // namespace
