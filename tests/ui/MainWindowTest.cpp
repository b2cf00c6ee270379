#include "ui/MainWindow.h"
#include "ui/WindowPlacement.h"

#include "config/Session.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "platform/RecordingPrintSurface.h"
#include "platform/qt/QtPrintSurface.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillon;
using platform::RecordingPrintSurface;
using platform::ScriptedMessageBox;

namespace {

// A recording surface that hands its operations to the test when the run lets go of it.
struct KeptSurface : RecordingPrintSurface {
    std::vector<Op>* keep = nullptr;
    ~KeptSurface() override
    {
        if (keep && !ops.empty())
            *keep = ops;
    }
};

// A window over a two-module project with one call between the modules, in a private folder.
struct Bench {
    test::Fixture fx;
    ScriptedMessageBox box;
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Session session{box, defaults, nullptr, fx.path("appdata/QLN.spi")};
    std::vector<RecordingPrintSurface::Op> printed;
    bool realPrinter = false;
    std::unique_ptr<ui::frmMain> window;
    QString vbp;

    Bench()
    {
        session.Start();
        session.options.Set(config::opt::DeviceName, "Office Laser");
        session.options.Set(config::opt::VBPFolder, fx.path("start"));
        session.options.Set(config::opt::OutputFolder, fx.path("out"));
        fx.writeLines("proj/modA.bas", {"Attribute VB_Name = \"modA\"", "Option Explicit", "Public Sub Main()", "    Helper", "End Sub",
                                        "Public Sub Helper()", "    Dim i As Integer", "End Sub"});
        fx.writeLines("proj/modB.bas",
                      {"Attribute VB_Name = \"modB\"", "Public Function Twice(ByVal n As Long) As Long", "    Twice = n * 2", "    Helper", "End Function"});
        vbp = fx.writeLines("proj/Demo.vbp", {"Type=Exe", "Module=modB; modB.bas", "Module=modA; modA.bas", "Startup=\"Sub Main\""});
        window = std::make_unique<ui::frmMain>(session, box, [this]() -> std::unique_ptr<platform::IPrintSurface> {
            if (realPrinter)
                return std::make_unique<platform::QtPrintSurface>();
            auto surface = std::make_unique<KeptSurface>();
            surface->keep = &printed;
            return surface;
        });
        window->ChooseProjectFileDialog = [this](const QString&) { return vbp; };
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
    QCheckBox* chkDep() const { return window->findChild<QCheckBox*>("chkDep"); }
    QString lastMessage() const { return box.shown.empty() ? QString() : box.shown.back().text; }
    QString printedText() const
    {
        QString text;
        for (const RecordingPrintSurface::Op& op : printed)
            text += op.text;
        return text;
    }
    void select(const char* name, std::initializer_list<int> rows) const
    {
        for (int row : rows)
            list(name)->item(row)->setSelected(true);
    }
};

TEST(MainWindowTest, FileOpenWarnsAsksAndLoadsTheProject)
{
    Bench b;
    EXPECT_EQ(b.window->StatusText(), "Use menu File|Open to load a project .vbp file");
    EXPECT_FALSE(b.window->cmdSelectAll(0)->isEnabled()) << "an empty list has no selection buttons";
    QString askedIn;
    b.window->ChooseProjectFileDialog = [&](const QString& folder) {
        askedIn = folder;
        return b.vbp;
    };
    // A second File | Open arriving while the load lets events run does nothing.
    bool secondOpenTried = false;
    QTimer::singleShot(0, b.window.get(), [&] {
        secondOpenTried = true;
        b.window->OpenProjectCommand();
    });
    b.window->OpenProjectCommand();
    EXPECT_TRUE(secondOpenTried);
    ASSERT_EQ(b.box.shown.size(), 1u) << "one warning: the second open never started";
    EXPECT_EQ(b.box.shown[0].request.MessageKey, "Uncompiled VBP Warning");
    EXPECT_EQ(askedIn, b.fx.path("start"));
    EXPECT_EQ(b.session.options.Text(config::opt::VBPFolder), b.fx.path("proj") + '/');
    EXPECT_EQ(b.entries("lstFiles"), (QStringList{"modA.bas", "modB.bas"}));
    EXPECT_EQ(b.window->findChild<QLabel*>("lblSource")->text(), "Source:" + b.vbp);
    const QString status = b.window->StatusText();
    EXPECT_TRUE(status.startsWith("Phase 1 of 2: Loading file 2 of 2\r\n")) << status.toStdString();
    EXPECT_TRUE(status.contains("\r\nDependency Index Complete\r\n\r\n")) << status.toStdString();
    EXPECT_TRUE(status.endsWith(model::Project::kProjectLoadedText));
    EXPECT_TRUE(b.window->cmdSelectAll(0)->isEnabled());
    EXPECT_TRUE(b.chkDep()->isEnabled());
    EXPECT_TRUE(b.window->action("mnuPrintToc")->isEnabled());

    // A file that is not there: the message, and the loaded project stays listed.
    b.vbp = b.fx.path("proj/Gone.vbp");
    b.window->OpenProjectCommand();
    EXPECT_EQ(b.box.shown.back().title, "No valid file");
    EXPECT_EQ(b.entries("lstFiles").size(), 2);
}

TEST(MainWindowTest, FilesProceduresAndQueueStepByStep)
{
    Bench b;
    b.window->ProcessSelection(0);
    EXPECT_EQ(b.lastMessage(), "No project files loaded.");
    b.window->OpenProjectCommand();
    b.select("lstFiles", {0});
    b.window->cmdProcessSelection(0)->click();
    EXPECT_EQ(b.entries("lstProcedures"),
              (QStringList{"modA.bas|Public Sub Declarations", "modA.bas|Public Sub Main", "modA.bas|Public Sub Helper"}));
    EXPECT_EQ(b.window->StatusText(), "3 procedures added to the procedures list.");
    // Nothing selected in the procedures: an empty queue and no Send.
    b.window->ProcessSelection(1);
    EXPECT_TRUE(b.entries("lstSelected").isEmpty());
    EXPECT_FALSE(b.window->cmdProcessSelection(2)->isEnabled());

    // The queue holds only the last selection, all of it selected.
    b.select("lstProcedures", {1, 2});
    b.window->cmdProcessSelection(1)->click();
    b.window->UnselectAll(1);
    b.select("lstProcedures", {2});
    b.window->cmdProcessSelection(1)->click();
    EXPECT_EQ(b.entries("lstSelected", true), QStringList{"modA.bas|Public Sub Helper"});
    EXPECT_EQ(b.entries("lstSelected"), QStringList{"modA.bas|Public Sub Helper"});
    EXPECT_EQ(b.window->StatusText(), "1 procedure added to the print queue.");
    EXPECT_TRUE(b.window->cmdProcessSelection(2)->isEnabled());
    b.window->UnselectAll(2);
    EXPECT_TRUE(b.entries("lstSelected", true).isEmpty());
    b.window->SelectAll(2);
    EXPECT_EQ(b.entries("lstSelected", true).size(), 1);

    // Dependency reports follow the check box.
    b.window->SelectAll(1);
    b.window->ProcessSelection(1);
    b.window->findChild<QPushButton*>("cmdDep")->click();
    EXPECT_TRUE(b.chkDep()->isChecked());
    const QStringList reports = b.entries("lstSelected").filter("|Dep");
    EXPECT_TRUE(reports.contains("modA.bas|Public Sub Main|Dep")) << reports.join(", ").toStdString();
    EXPECT_EQ(b.entries("lstSelected", true), b.entries("lstSelected")) << "checking selects the whole queue";
    b.window->findChild<QPushButton*>("cmdKeepOnly")->click();
    EXPECT_EQ(b.entries("lstSelected", true), reports);
    b.chkDep()->setChecked(false);
    EXPECT_TRUE(b.entries("lstSelected").filter("|Dep").isEmpty());
    EXPECT_TRUE(b.entries("lstProcedures").filter("|Dep").isEmpty());

    // Choosing files again empties the procedure list until it is filled anew.
    b.select("lstFiles", {1});
    EXPECT_TRUE(b.entries("lstProcedures").isEmpty());
    EXPECT_FALSE(b.window->cmdSelectAll(1)->isEnabled());
    b.window->ProcessSelection(1);
    EXPECT_EQ(b.lastMessage(), "No procedures available in the modules list.");
}

TEST(MainWindowTest, F1NamesTheManualSectionOfTheFocusedList)
{
    Bench b;
    int manualOpened = 0;
    b.window->DisplayUserManual = [&] { ++manualOpened; };
    b.window->show();
    const std::pair<const char*, const char*> cases[] = {
        {"lstSelected", "F1 Help: See User Manual Section 2.1.3 - Print Queue"},
        {"lstFiles", "F1 Help: See User Manual Section 2.1.1 - File List"},
        {"lstProcedures", "F1 Help: See User Manual Section 2.1.2 - Procedure List"},
        {"cmdExit", "F1 Help: See User Manual Table of Contents"},
    };
    for (const auto& [name, expected] : cases) {
        QWidget* target = b.window->findChild<QWidget*>(name);
        target->setFocus();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(target, &f1);
        EXPECT_EQ(b.window->StatusText(), expected);
    }
    EXPECT_EQ(manualOpened, 4);
}

TEST(MainWindowTest, SendPrintsTheSelectedQueueEntriesAndTheTocAsksAboutTheNotes)
{
    Bench b;
    b.window->OpenProjectCommand();
    b.select("lstFiles", {0});
    b.window->ProcessSelection(0);
    b.select("lstProcedures", {1, 2});
    b.window->ProcessSelection(1);
    b.list("lstSelected")->item(0)->setSelected(false);
    b.window->cmdProcessSelection(2)->click();
    EXPECT_EQ(b.window->StatusText(), "Output of 1 procedure sent to Office Laser completed.");
    EXPECT_TRUE(b.printedText().contains("Public Sub Helper()"));
    EXPECT_FALSE(b.printedText().contains("Public Sub Main()")) << "unselected rows stay out";
    EXPECT_TRUE(b.list("lstSelected")->isEnabled()) << "the lists are unlocked after the run";

    b.window->action("mnuPrintToc")->trigger();
    EXPECT_EQ(b.box.shown.back().request.Title, "TOC Notes Suppression");
    EXPECT_TRUE(b.printedText().contains("modB.bas")) << b.printedText().toStdString();

    // The project file changed on disk: a reload is asked for and nothing prints.
    b.printed.clear();
    b.fx.writeLines("proj/Demo.vbp", {"Type=Exe", "Module=modA; modA.bas"});
    b.window->ProcessSelection(2);
    EXPECT_EQ(b.box.shown.back().title, "Reload required");
    EXPECT_TRUE(b.printed.empty());
}

// The whole job as a new user does it, by clicks: open the example project, take every file
// and every procedure with their dependency reports, send the queue to the built-in PDF
// writer (over a file already there), then print the table of contents.
TEST(MainWindowTest, TheWholeJobByClicksOnTheExampleProject)
{
    Bench b;
    b.realPrinter = true;
    b.session.options.Set(config::opt::DeviceName, QString::fromUtf16(platform::kPdfWriterDeviceName));
    b.vbp = QDir(QUILLON_EXAMPLES).absoluteFilePath("inventory/Inventory.vbp");
    QStringList asked, saved;
    b.window->ChooseSaveFileDialog = [&](const QString& folder, const QString& name) {
        asked << folder << name;
        saved << b.fx.write("out/" + QString::number(saved.size()) + ".pdf", QByteArray());
        return saved.back();
    };
    b.window->show();
    b.window->action("mnuFileOpen")->trigger();
    ASSERT_EQ(b.list("lstFiles")->count(), 9) << b.window->StatusText().toStdString();
    QTest::mouseClick(b.window->cmdSelectAll(0), Qt::LeftButton);
    QTest::mouseClick(b.window->cmdProcessSelection(0), Qt::LeftButton);
    ASSERT_GT(b.list("lstProcedures")->count(), 80) << "every routine of the nine files";
    QTest::mouseClick(b.window->cmdSelectAll(1), Qt::LeftButton);
    QTest::mouseClick(b.window->cmdProcessSelection(1), Qt::LeftButton);
    ASSERT_TRUE(b.chkDep()->isEnabled()) << "a queue with entries offers the reports";
    // On the box itself, not the middle of a widget wider than its caption.
    QTest::mouseClick(b.chkDep(), Qt::LeftButton, {}, QPoint(6, b.chkDep()->height() / 2));
    ASSERT_TRUE(b.chkDep()->isChecked());
    EXPECT_GT(b.entries("lstSelected", true).filter("|Dep").size(), 10) << "dependency reports joined the queue";
    QTest::mouseClick(b.window->cmdProcessSelection(2), Qt::LeftButton);
    ASSERT_EQ(saved.size(), 1) << b.window->StatusText().toStdString();
    EXPECT_EQ(asked[0], b.fx.path("out"));
    EXPECT_TRUE(asked[1].endsWith(" Inventory Program Documentation.pdf")) << asked[1].toStdString();
    EXPECT_TRUE(test::ReadBytes(saved[0]).startsWith("%PDF"));
    EXPECT_TRUE(b.window->StatusText().contains("procedures sent to a file-based printer")) << b.window->StatusText().toStdString();

    b.window->action("mnuPrintToc")->trigger();
    ASSERT_EQ(saved.size(), 2) << b.window->StatusText().toStdString();
    EXPECT_TRUE(test::ReadBytes(saved[1]).startsWith("%PDF"));
    EXPECT_GT(QFileInfo(saved[1]).size(), 1000);
}

TEST(MainWindowTest, ChoosingAPrinterStoresItAndTellsWhenTheSystemRefused)
{
    Bench b;
    b.session.options.SetBool(config::opt::PrinterScope, true);
    QStringList offered;
    b.window->ChoosePrinterDialog = [&](const std::vector<platform::PrinterInfo>& printers, const QString&) {
        for (const platform::PrinterInfo& p : printers)
            offered << p.deviceName;
        return QStringLiteral("recording pdf");
    };
    b.window->MakeSystemDefaultPrinter = [](const QString&) { return false; };
    b.window->action("mnuSelectPrinter")->trigger();
    EXPECT_EQ(offered, (QStringList{"Recording PDF", "Office Laser"}));
    EXPECT_EQ(b.box.shown.back().title, "Default Printer Not Changed");
    EXPECT_EQ(b.session.options.Text(config::opt::DeviceName), "Recording PDF");
    EXPECT_EQ(b.session.options.Text(config::opt::PrinterPort), "FILE:");
    EXPECT_EQ(b.window->cmdProcessSelection(2)->text(), "Send Selected Procedures To Recording PDF");
    // A cancelled choice changes nothing.
    b.window->ChoosePrinterDialog = [](const std::vector<platform::PrinterInfo>&, const QString&) { return QString(); };
    b.window->SelectDefaultPrinter();
    EXPECT_EQ(b.session.options.Text(config::opt::DeviceName), "Recording PDF");
}

TEST(MainWindowTest, MenuEntriesOfWorkNotYetBuiltAndTheRestoreMessagesEntry)
{
    Bench b;
    for (const char* name : {"mnuFileHeaderTemplate", "mnuProcHeaderTemplate"}) {
        QAction* entry = b.window->action(name);
        ASSERT_NE(entry, nullptr) << name;
        entry->trigger();
        EXPECT_EQ(b.box.shown.back().title, "Coding Still To Come");
        EXPECT_EQ(b.box.shown.back().text, "Operations still to be coded");
    }
    for (const char* name : {"mnuUserOptions", "mnuExecuteWrap", "mnuShrinkBlankLines", "mnuRestoreEdited"})
        EXPECT_FALSE(b.window->action(name)->isEnabled()) << name;
    // Hiding the File | Open warning puts it under File | Restore Messages.
    EXPECT_FALSE(b.window->mnuRestoreMessages->menuAction()->isVisible());
    b.box.answers.push_back({0, 2, QString()});
    b.window->OpenProjectCommand();
    b.window->RefreshRestoreMenu();
    EXPECT_TRUE(b.window->mnuRestoreMessages->menuAction()->isVisible());
    EXPECT_EQ(b.window->mnuRestoreMessages->actions().size(), 1);
}

TEST(MainWindowTest, ClosingRemembersThePositionAndTheColourNote)
{
    Bench b;
    b.window->move(130, 90);
    EXPECT_TRUE(b.window->close());
    EXPECT_TRUE(b.session.options.Bool(config::opt::ColorDefaultNoteSeen));
    const QString section = config::SectionName(":MainForm");
    EXPECT_EQ(b.session.ini.INIRead(section, "Left", QString()), "130");
    EXPECT_EQ(b.session.ini.INIRead(section, "Top", QString()), "90");
    // A position off the screen (a monitor since removed) comes back onto it.
    b.session.ini.INIWrite(section, "Left", "5000");
    ui::frmMain again(b.session, b.box, {});
    EXPECT_TRUE(ui::AvailableScreenOf(&again).contains(again.pos()));
}

} // namespace
