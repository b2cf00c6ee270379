#include "ui/MainWindow.h"
#include "ui/WindowPlacement.h"

#include "config/Session.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "support/RecordingPrintSurface.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillon;
using test::RecordingPrintSurface;
using test::ScriptedMessageBox;

namespace {

// A window over a two-module project with one call between the modules, in a private folder.
struct Bench {
    test::Fixture fx;
    ScriptedMessageBox box;
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Session session {box, defaults, nullptr, fx.path("appdata/QLN.spi")};
    std::vector<RecordingPrintSurface::Op> printed;
    std::unique_ptr<ui::MainWindow> window;
    QString vbp;
    QString askedIn; // the folder the project file was chosen in

    Bench()
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
        window = std::make_unique<ui::MainWindow>(session, box, [this]() -> std::unique_ptr<platform::IPrintSurface> {
            auto surface = std::make_unique<RecordingPrintSurface>();
            surface->keepOpsIn = &printed;
            return surface;
        });
        window->chooseProjectFileDialog = [this](const QString& folder) {
            askedIn = folder;
            return vbp;
        };
    }

    QListWidget* list(const char* name) const { return window->findChild<QListWidget*>(name); }
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
    // Entries of work not yet built.
    b.window->action("mnuProcHeaderTemplate")->trigger();
    EXPECT_EQ(b.box.shown.back().title, "Coding Still To Come");
    EXPECT_EQ(b.box.shown.back().text, "Operations still to be coded");
    for (const char* name : {"mnuSortProcedures", "mnuRestoreEdited"})
        EXPECT_FALSE(b.window->action(name)->isEnabled()) << name;
    b.window->processSelection(ui::MainWindow::ProcessStep::FillProcedures);
    EXPECT_EQ(b.box.shown.back().text, "No project files loaded.");
    b.box.shown.clear();
    // A second File | Open arriving while the load lets events run does nothing. The warning is
    // hidden for good, which lists it under File | Restore Messages.
    bool secondOpenTried = false;
    QTimer::singleShot(0, b.window.get(), [&] {
        secondOpenTried = true;
        b.window->openProjectCommand();
    });
    b.box.answers.push_back({0, quillon::platform::SuppressChoice::AllSessions, QString()});
    b.window->openProjectCommand();
    EXPECT_TRUE(secondOpenTried);
    ASSERT_EQ(b.box.shown.size(), 1u) << "one warning: the second open never started";
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

// What the window says is what happened: the target in use when it shows, the final load status
// however often the index animation ticks, and a project file that cannot be read.
TEST(MainWindowTest, TheTargetAndTheStatusTellWhatHappened)
{
    Bench b;
    b.session.options.set(config::opt::DeviceName, "Recording PDF"); // as the start-up restore may replace it
    b.window->show();
    EXPECT_EQ(b.window->processButton(2)->text(), "Send Selected Procedures To Recording PDF");
    b.window->findChild<QTimer*>("tmrMain")->setInterval(0);
    ASSERT_TRUE(b.window->openProject(b.vbp));
    EXPECT_TRUE(b.window->statusText().endsWith(model::Project::kProjectLoadedText)) << b.window->statusText().toStdString();
    const QString fifo = b.fx.path("proj/Pipe.vbp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(b.window->openProject(fifo));
    EXPECT_EQ(b.box.shown.back().title, "File Open Failure");
    EXPECT_EQ(b.window->statusText(), "The project file \"" + fifo + "\" could not be read: not a regular file.");
}

} // namespace
