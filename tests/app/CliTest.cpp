#include "analysis/RoutineMetrics.h"
#include "model/TextPrimitives.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillon::test;

namespace {

const QString kExamples = QDir(QStringLiteral(QUILLON_EXAMPLES)).absolutePath();

// Each test has an application-data folder of its own, so the options start at their defaults.
class CliTest : public ::testing::Test {
protected:
    Fixture fx_;
    QByteArray saved_ = qgetenv("APPDATA");
    void SetUp() override { qputenv("APPDATA", QFile::encodeName(fx_.path("appdata"))); }
    void TearDown() override { qputenv("APPDATA", saved_); }
    QString optionsPath() const { return fx_.path("appdata/Quillon/QLN.spi"); }

    // A module and a class with properties.
    QString writeProject()
    {
        fx_.write("P/lib/modUtil.bas",
            "Attribute VB_Name = \"modUtil\"\nPublic Function Twice(ByVal n As Long) As Long\n"
            "    Twice = n * 2\nEnd Function\n");
        fx_.writeLines("P/clsBox.cls",
            {"VERSION 1.0 CLASS", "Attribute VB_Name = \"clsBox\"", "Private mW As Long", "Public Property Get Width() As Long", "    Width = mW",
                "End Property", "Public Property Let Width(v As Long)", "    If v < 0 Then v = 0", "    If v > 100 Then v = 100", "    mW = v",
                "    ' clamp done", "    Debug.Print v", "End Property"});
        return fx_.writeLines("P/Box.vbp", {"Class=clsBox; clsBox.cls", "Module=modUtil; lib\\modUtil.bas"});
    }

    // Roots: Sub Main, handlers (listed or shaped as a control's, a WithEvents variable's or an
    // implemented interface's), a class's public face; what only unused code or a cycle of its own calls stays unused.
    QString writeUsageProject()
    {
        fx_.writeLines("U/modMain.bas",
            {"Attribute VB_Name = \"modMain\"", "Declare Function GetTickCount Lib \"kernel32\" () As Long",
                "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "Sub Main()", "    Helper", "End Sub", "Private Function Helper() As Long",
                "    Helper = GetTickCount()", "End Function", "Private Function Dead()", "    Lonely", "End Function", "Private Sub Lonely()", "End Sub",
                "Sub PingA()", "    PingB", "End Sub", "Sub PingB()", "    PingA", "End Sub"});
        fx_.writeLines("U/frmMain.frm",
            {"VERSION 5.00", "Begin VB.Form frmMain", "   Begin MSComCtl2.DTPicker DTPicker1", "   End", "End", "Attribute VB_Name = \"frmMain\"",
                "Private WithEvents mItem As clsItem", "Private Sub Form_Load()", "End Sub", "Private Sub Form_Paint()", "End Sub",
                "Private Sub DTPicker1_CalendarGetDayBold()", "End Sub", "Private Sub mItem_Changed()", "    Tidy", "End Sub", "Private Sub Tidy()", "End Sub",
                "Private Sub Orphan()", "    x = 1", "End Sub"});
        fx_.writeLines("U/clsItem.cls",
            {"VERSION 1.0 CLASS", "Attribute VB_Name = \"clsItem\"", "Implements IShape", "Public Function Total()", "End Function", "Sub Refresh()", "End Sub",
                "Friend Sub Tie()", "End Sub", "Private Sub Hidden()", "End Sub", "Private Sub IShape_Draw()", "End Sub"});
        return fx_.writeLines("U/u.vbp", {"Module=modMain; modMain.bas", "Form=frmMain.frm", "Class=clsItem; clsItem.cls", "Startup=\"Sub Main\""});
    }
};

TEST_F(CliTest, FilesOfTheExampleInListOrderWithTheMissingOneNoted)
{
    const CliRun run = cli({"files", kExamples + "/inventory/Inventory.vbp"});
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    const QString inv = kExamples + "/inventory/";
    // Forms, modules, classes, each by name ignoring case; clsItem.cls of the project file is
    // ClsItem.cls on disk; modReports is written "modules\modReports.bas", modStrings lies outside.
    EXPECT_EQ(run.out,
        "FRM\tfrmItem.frm\t" + inv + "frmItem.frm\nFRM\tfrmMain.frm\t" + inv + "frmMain.frm\nFRM\tfrmSplash.frm\t" + inv + "frmSplash.frm\nBAS\tmodData.bas\t"
            + inv + "modData.bas\nBAS\tmodMain.bas\t" + inv + "modMain.bas\nBAS\tmodReports.bas\t" + inv + "modules/modReports.bas\nBAS\tmodStrings.bas\t"
            + kExamples + "/shared/modStrings.bas\nCLS\tclsInventory.cls\t" + inv + "clsInventory.cls\nCLS\tClsItem.cls\t" + inv + "ClsItem.cls\n");
    EXPECT_EQ(run.err, "quillon: note: skipped \"Module=modOld; modOld.bas\": no such file \"" + inv + "modOld.bas\"\n");
}

TEST_F(CliTest, RoutinesOfAProjectWithEachAggregateMode)
{
    const QString vbp = writeProject();
    const QString routines = "modUtil.bas\tDeclarations\tDeclarations\t1\t0\t1\t0\t0\t1\t\tmodUtil\n"
                             "modUtil.bas\tFunction\tTwice\t2\t2\t4\t0\t0\t3\tPublic Function\tmodUtil\n"
                             "clsBox.cls\tDeclarations\tDeclarations\t3\t0\t3\t0\t0\t1\t\tclsBox\n"
                             "clsBox.cls\tProperty Get\tWidth\t4\t4\t6\t0\t0\t3\tPublic Property Get\tclsBox\n"
                             "clsBox.cls\tProperty Let\tWidth\t7\t7\t13\t1\t0\t6\tPublic Property Let\tclsBox\n";
    const std::pair<QStringList, QString> cases[] = {
        {{"routines", vbp}, routines},
        {{"routines", vbp, "--aggregate", "none"}, routines},
        {{"routines", "--aggregate=all", vbp},
            routines
                + "clsBox.cls\tAggregate\tLet_Set_Get Properties (All)\t0\t2\t0\t0\t0\t0\t\tclsBox\n"
                  "clsBox.cls\tMEMBER\tWidth\t4\t6\nclsBox.cls\tMEMBER\tWidth\t7\t13\n"},
    };
    for (const auto& [args, out] : cases) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, out) << qPrintable(args.join(' '));
    }
    EXPECT_TRUE(cli({"routines", vbp, "--aggregate", "small"}).out.contains("\tAggregate\tLet_Set_Get Properties (Small)\t"));
}

// "Attribute VB_Name = "modΑβ"" in Windows-1253: the command line names the code page, else
// the option does, else (or when the option names none known) windows-1252 applies.
TEST_F(CliTest, OneSourceFileInTheCodePageOfTheCommandLineOrTheOption)
{
    const QString path = fx_.write("greek.bas", "Attribute VB_Name = \"mod\xC1\xE2\"\r\nSub Go()\r\nEnd Sub\r\n");
    EXPECT_TRUE(cli({"routines", path, "--codepage", "windows-1253"}).out.endsWith(QString::fromUtf8("\tmodΑβ\n")));
    EXPECT_TRUE(cli({"routines", path}).out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
    ASSERT_EQ(cli({"options", "set", "IDE", "Code Page", "windows-1253"}).code, 0);
    EXPECT_TRUE(cli({"routines", path}).out.endsWith(QString::fromUtf8("\tmodΑβ\n")));
    EXPECT_TRUE(cli({"routines", path, "--codepage", "1252"}).out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
    ASSERT_EQ(cli({"options", "set", "IDE", "Code Page", "ebcdic"}).code, 0);
    const CliRun run = cli({"routines", path});
    EXPECT_TRUE(run.out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
    EXPECT_TRUE(run.err.contains("unknown code page \"ebcdic\"; windows-1252 applies"));
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsageOnStderr)
{
    const QString vbp = writeProject();
    const QString bas = fx_.path("P/lib/modUtil.bas");
    const QList<QStringList> bad = {
        {}, {"frobnicate"}, {"files"}, {"files", vbp, "--aggregate", "all"}, {"routines", vbp, "--aggregate", "some"}, {"routines", vbp, "--aggregate"},
        {"routines", vbp, "--colour", "red"}, {"routines", vbp, "--codepage", "klingon"}, {"options", "set", "Output", "Nope", "1"},
        {"options", "set", "Output", "Font Size"}, {"options", "set", "ProjectInfo", "Version", "9"}, {"spool", "now"}, {"messages", "restore", "5"},
        {"report", vbp, "--tab-width", "0"}, {"report", bas}, {"brackets", bas, "2"}, {"brackets", bas, "x", "3"}, {"highlight", bas, "--tab-width", "99"},
        {"image"}, {"layout", bas, bas}, {"metrics", vbp, "--format", "xml"}, {"graph", vbp, "--depth", "1"},
        {"graph", vbp, "--from", "MODUTIL|TWICE", "--depth", "-1"},
        {"listing", bas, "--printer", "Office Laser", "-o", fx_.path("o.pdf")}, // -o needs a PDF target
    };
    QList<QStringList> all = bad;
    for (const QStringList& option : QList<QStringList> {{"--paper", "a4"}, {"--margins", "1,2,3"}, {"--printer", "Nope"}, {"--duplex", "--simplex"},
             {"--long-lines", "maybe"}, {"--binding", "9"}, {"--size", "big"}})
        all << QStringList {"listing", bas, "-o", fx_.path("o.pdf")} + option;
    for (const QStringList& args : all) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("quillon: ")) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains("Usage: quillon SUBCOMMAND")) << qPrintable(args.join(' '));
    }
    EXPECT_FALSE(QFile::exists(fx_.path("o.pdf")));
}

TEST_F(CliTest, UnreadableInputsExitOneWithOneLine)
{
    for (const QStringList& args : QList<QStringList> {{"files", fx_.path("none.vbp")}, {"routines", fx_.path("none.vbp")}, {"routines", fx_.path("none.bas")},
             {"routines", "/proc/self/mem"}, {"brackets", fx_.path("none.bas")}, {"highlight", fx_.path("none.bas")}, {"unused", fx_.path("none.vbp")},
             {"image", fx_.path("none.frm")}, {"listing", fx_.path("none.bas"), "-o", fx_.path("o.pdf")}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 1) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.startsWith("quillon: cannot read \"" + args[1] + "\": ")) << qPrintable(run.err);
    }
    // A binary file is read as text with a warning, never a crash; a module is no form.
    const QString noise = fx_.write("bin.bas", QByteArray("\x00\x01\x02\xFF\r\nSub X()\r\n", 13));
    CliRun run = cli({"routines", noise});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.contains("looks like a binary file"));
    EXPECT_TRUE(run.out.contains("\tSub\tX\t"));
    run = cli({"image", noise, "-o", fx_.path("b.pdf")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("it has no image; image takes a form (.frm)")) << qPrintable(run.err);
}

// The help text is read whole, and checked against the manual, by ManualTest.
TEST_F(CliTest, VersionIsOneLine)
{
    const CliRun run = cli({"--version"});
    EXPECT_EQ(std::tuple(run.code, run.out), std::tuple(0, QStringLiteral("Quillon " QUILLON_VERSION "\n")));
}

TEST_F(CliTest, EverySubcommandCreatesTheOptionsFileWithEveryKeyAndKeepsIt)
{
    // Even a usage error comes after the options are in place.
    EXPECT_EQ(cli({"files"}).code, 2);
    ASSERT_TRUE(QFile::exists(optionsPath()));
    const CliRun first = cli({"options"});
    ASSERT_EQ(first.code, 0) << qPrintable(first.err);
    EXPECT_TRUE(first.out.startsWith(optionsPath() + "\n[Quillon:Folders]\nProjectFolder="));
    EXPECT_TRUE(first.out.contains("\n[Quillon:Output]\nDevice Name=Quillon PDF\n")) << "the values in effect";
    const QByteArray file = readBytes(optionsPath());
    EXPECT_EQ(readBytes(optionsPath()), file) << "a second run leaves the file as it was";

    // One value is written as given and shown as it reads back.
    CliRun run = cli({"options", "set", "Output", "font size", "12"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "[Quillon:Output]\nFont Size=12.000\n");
    EXPECT_TRUE(readBytes(optionsPath()).contains("\nFont Size=12\n"));
    run = cli({"options", "set", "Quillon:Output", "Paper Size", "legal"});
    EXPECT_EQ(run.out, "[Quillon:Output]\nPaper Size=Legal\n");
    EXPECT_EQ(run.err, "quillon: note: \"legal\" reads as \"Legal\"\n");
}

TEST_F(CliTest, OneOptionIsCheckedAsUserOptionsWouldBeforeItIsWritten)
{
    ASSERT_EQ(cli({"options", "set", "Output", "Binding Edge", "4"}).code, 0);
    const struct {
        QStringList args;
        int code;
        const char* err; // in standard error
        const char* stored; // a line of the options file afterwards ("" when nothing may change)
    } rows[] = {
        {{"Output", "GDISpoolSize", "499"}, 0,
            "Value Too Small: A value at least 500 is needed for the GDI Spool Size.  Your selected value of 499 has been reset to 500.", "GDISpoolSize=500"},
        {{"Output", "Duplex", "True"}, 1, "Output Combination Error: Two or more of your selected options are not compatible.", ""},
        {{"Margins", "Left", ""}, 1, "Value Needed: A value is needed for the Left margin.", ""},
        {{"Output", "Font Size", "big"}, 1, "Font: Invalid font size: big", ""},
        // Asked as the dialog asks it, and answered as a script's questions are: the scope goes back to the system default.
        {{"Output", "Device Name", "Recording PDF"}, 0, "", "Device Name=Recording PDF"},
        {{"Output", "Printer Scope", "True"}, 0, "", "Printer Scope=True"},
        {{"Output", "Printer Scope", "False"}, 0, "Session Scope Without Device Change: You have chosen \"Only This Program\" as the printer scope",
            "Printer Scope=True"},
        {{"Margins", "Binder", "1.001"}, 0, "Binder Margin May Be Too Large: The current binder margin (1.001 inches) exceeds 1 inch and may be too large.  ",
            "Binder=1.001"},
        {{"Margins", "Left", "-0.5"}, 1, "Invalid Margin: The Left margin value \"-0.5\" is negative: margins are 0 or more inches.\n", ""},
        // What the options window has no button for.
        {{"Output", "Binding Edge", "7"}, 1, "Invalid Choice: The Binding Edge value \"7\" is not one of its choices: 0, 1, 2, 3, 4, 5 or 6.\n", ""},
        {{"Output", "Binding Edge", "-1"}, 1, "The Binding Edge value \"-1\" is not one", ""},
        {{"Output", "Folding Guide", "5"}, 1, "Invalid Choice: The Folding Guide value \"5\" is not one of its choices: 0, 1, 2, 3 or 4.\n", ""},
        {{"Output", "Paper Size", "A4"}, 1, "Invalid Choice: The Paper Size value \"A4\" is not one of its choices: Letter or Legal.\n", ""},
        {{"Output", "Page Orientation", "sideways"}, 1, "Invalid Choice: The Page Orientation value \"sideways\" is not one of its choices: Portrait or Landscape.\n", ""},
        {{"Output", "Duplex", "yes"}, 1, "Invalid Choice: The Duplex value \"yes\" is not one of its choices: True or False.\n", ""},
        {{"Output", "Brackets", "1"}, 1, "The Brackets value \"1\" is not one", ""},
        {{"Output", "Printer Scope", "on"}, 1, "The Printer Scope value \"on\" is not one", ""},
        {{"IDE", "Mimic", "maybe"}, 1, "The Mimic value \"maybe\" is not one of its choices: True or False.\n", ""},
        {{"Output", "Aggregate", "all"}, 1, "Invalid Choice: The Aggregate value \"all\" is not one of its choices: None, Small or All.\n", ""},
        {{"Output", "Brackets", "false"}, 0, "", "Brackets=False"},
        {{"Output", "Binding Edge", " 1 "}, 0, "", "Binding Edge=1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.args.join(' ')));
        const QByteArray before = readBytes(optionsPath());
        const CliRun run = cli(QStringList {"options", "set"} + row.args);
        EXPECT_EQ(run.code, row.code) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(row.err)) << qPrintable(run.err);
        if (QByteArray(row.stored).isEmpty())
            EXPECT_EQ(readBytes(optionsPath()), before);
        else
            EXPECT_TRUE(readBytes(optionsPath()).contains("\n" + QByteArray(row.stored) + "\n"));
    }
    const CliRun check = cli({"options", "check"});
    EXPECT_EQ(std::tuple(check.code, check.out), std::tuple(0, QStringLiteral("The stored options pass every check.\n")));
}

// An installed copy lives in a folder its users cannot write: their files go to their own folders.
TEST_F(CliTest, AnInstalledCopyKeepsEachUsersFilesInThatUsersFolders)
{
    SKIP_WITHOUT_TOOLS("cmake");
    const QString prefix = fx_.path("prefix");
    const QString build = QFileInfo(builtFile("src/app/quillon")).absolutePath() + "/../..";
    const Process install = runProgram("cmake", {"--install", build, "--prefix", prefix});
    ASSERT_EQ(install.code, 0) << install.err.constData();
    const QString installed = prefix + "/bin/quillon";
    for (const char* data :
        {"share/quillon/QLNUserManual.pdf", "share/quillon/QLNIcon.ico", "share/man/man1/quillon.1", "share/icons/hicolor/16x16/apps/quillon.png"})
        EXPECT_TRUE(QFileInfo(prefix + "/" + data).size() > 0) << data << ": where the installed program and the desktop look";
    QDir().mkpath(fx_.path("home"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", fx_.path("home"));
    env.remove("XDG_DATA_HOME");
    env.insert("APPDATA", fx_.path("home/appdata"));
    QStringList command {installed, "options"};
    // The program's folder is not the user's; root writes anywhere, so it runs as nobody.
    QFile::setPermissions(prefix + "/bin", QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (geteuid() == 0) {
        SKIP_WITHOUT_TOOLS("setpriv");
        for (QDir up(fx_.path("")); !(QFile::permissions(up.absolutePath()) & QFileDevice::ExeOther); up.cdUp())
            QFile::setPermissions(up.absolutePath(), QFile::permissions(up.absolutePath()) | QFileDevice::ExeOther);
        runProgram("chown", {"-R", "nobody", fx_.path("home")});
        command = QStringList {"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
        command.prepend("setpriv");
    }
    const Process run = runProgram(command.takeFirst(), command, env);
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QString out = QString::fromUtf8(run.out);
    const QString home = QDir(fx_.path("home")).canonicalPath();
    for (const QString& line : {"ProjectFolder=" + home + "/.local/share/Quillon", "VBPFolder=" + home, "Output Folder=" + home})
        EXPECT_TRUE(out.split('\n').contains(line)) << qPrintable(line) << "\n" << qPrintable(out);
    EXPECT_FALSE(out.contains(prefix)) << "nothing of the user's in the program's folder";
    QFile::setPermissions(prefix + "/bin", QFile::permissions(prefix + "/bin") | QFileDevice::WriteOwner);
}

TEST_F(CliTest, SpoolShowsTheLimitAndEstimateStoresANewOne)
{
    // Checking the stored options says what Save and Exit would make of 0, and leaves it.
    const CliRun check = cli({"options", "check"});
    EXPECT_TRUE(check.err.startsWith("Value Too Small: A value at least 500 is needed for the GDI Spool Size.  "
                                     "The stored value of 0 would be reset to 500 by Save and Exit.\n"))
        << qPrintable(check.err);
    EXPECT_EQ(cli({"spool"}).out, "GDISpoolSize\t0\n");
    const CliRun first = cli({"spool", "estimate"});
    ASSERT_EQ(first.code, 0) << qPrintable(first.err);
    const QStringList lines = first.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << "no note when the old value was 0: " << qPrintable(first.out);
    EXPECT_TRUE(lines[0].startsWith("memory\t") && lines[1].startsWith("disk\t") && lines[2].startsWith("descriptors\t"));
    EXPECT_GE(lines[3].section("GDISpoolSize\t", 1).toInt(), 475) << "an estimate, never below the floor";
    EXPECT_EQ(cli({"spool"}).out, lines[3] + "\n") << "stored in the options file";
    ASSERT_EQ(cli({"options", "set", "Output", "GDISpoolSize", "9999"}).code, 0);
    EXPECT_TRUE(cli({"spool", "estimate"}).out.contains("\nGDI Spool Size recalibrated from 9999 to ")) << "the note last";
}

TEST_F(CliTest, MessagesAreListedAndRestored)
{
    fx_.write("appdata/Quillon/QLN.spi",
        "[Quillon:SuppressedMsgs]\r\nRestoreCount=3\r\nsMsg0=A (Click 0 - Ok) (Always)\r\n"
        "sMsg1=B (Click 1 - No) (Session)\r\nsMsg2=C (Click 1 - No) (Always)\r\n");
    // The session-only record ended with the run that made it.
    EXPECT_EQ(cli({"messages"}).out, "0\tA (Click 0 - Ok) (Always)\n1\tC (Click 1 - No) (Always)\n");
    EXPECT_EQ(cli({"messages", "restore", "1"}).out, "restored: C (Click 1 - No) (Always)\n");
    EXPECT_EQ(cli({"messages", "restore", "all"}).out, "restored: A (Click 0 - Ok) (Always)\n");
    EXPECT_TRUE(cli({"options"}).out.endsWith("[Quillon:SuppressedMsgs]\nRestoreCount=0\n"));
}

TEST_F(CliTest, AidsRewriteInPlaceAfterTheirBackupsWhichAreListedRestoredAndDeleted)
{
    const QString vbp = writeProject();
    const QString util = fx_.write("P/lib/modUtil.bas",
        "Attribute VB_Name = \"modUtil\"\nPublic Function Twice(ByVal n As Long) As Long\n\n\n    Dim k\n    Twice = n * 2\nEnd Function\n");
    const QByteArray before = readBytes(util);
    QDir().mkpath(fx_.path("work"));
    fx_.write("appdata/Quillon/QLN.spi", "[Quillon:Folders]\r\nProjectFolder=" + fx_.path("work").toUtf8() + "\r\n");
    EXPECT_EQ(cli({"aid", "shrink", vbp, "--routines", "nope|twice"}).code, 2);
    EXPECT_EQ(cli({"aid", "indent", vbp, "--step", "5"}).code, 2);
    // A work file that a killed run left beside a project file for an hour is removed and told.
    auto leftByAKilledRun = [&](const QString& name) { return setModified(fx_.write(name, "half"), QDateTime::currentDateTime().addSecs(-3600)); };
    ASSERT_TRUE(leftByAKilledRun("P/lib/modUtil.bas.part-a1B2c3"));
    const CliRun shrink = cli({"aid", "shrink", vbp, "--routines", "modutil|twice"});
    EXPECT_EQ(shrink.err, "quillon: removed an unfinished work file left by an earlier run: " + util + ".part-a1B2c3\n");
    EXPECT_EQ(shrink.out, "Shrink Complete\nShrink Multiple Blank Lines complete.\n1 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(cli({"aid", "movedim", vbp, "--files", "MODUTIL.BAS"}).out,
        "Move Dimension Statements Complete\nMove Dimension Statements complete.\n1 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(
        readBytes(util), "Attribute VB_Name = \"modUtil\"\nPublic Function Twice(ByVal n As Long) As Long\n\n    Dim k\n\n\n    Twice = n * 2\nEnd Function\n");
    const QRegularExpression time("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    ASSERT_TRUE(leftByAKilledRun("P/lib/modUtil.bas.part-x9Y8z7"));
    CliRun listed = cli({"backups"});
    EXPECT_EQ(listed.out.replace(time, "T"), "1\tT\tProcedure\t" + util + "\tTwice\tTwice.rtf\n2\tT\tFile\t" + util + "\t\tmodUtil.bas\n");
    EXPECT_EQ(listed.err, "quillon: removed an unfinished work file left by an earlier run: " + util + ".part-x9Y8z7\n");
    EXPECT_EQ(cli({"backups", "restore", "3"}).code, 2);
    EXPECT_EQ(cli({"backups", "restore", "all"}).out, "Restore Complete\n2 of 2 backup(s) restored.\n");
    EXPECT_EQ(readBytes(util), before);
    EXPECT_EQ(cli({"backups"}).out.count('\n'), 2) << "the replaced versions are kept";
    EXPECT_EQ(cli({"backups", "delete", "all"}).code, 0);
    EXPECT_EQ(cli({"backups"}).out, "");
    EXPECT_EQ(cli({"backups", "restore", "all"}).out, "Nothing To Restore\nNo edit backups are currently available.\n");
}

// indent writes the indented text and changes nothing; --check finds the file until aid indent
// has indented it; number then unnumber gives every byte back. A For left open is named, and the
// lines after it are left as they were.
TEST_F(CliTest, IndentShowsOrChecksOrRewritesAndLineNumbersComeOffAsTheyWentOn)
{
    const QByteArray messy = "Attribute VB_Name = \"modFmt\"\r\nPrivate Type Pt\r\nX As Long\r\nEnd Type\r\n"
                             "Public Function Total(ByVal n As Long) As Long\r\nDim i As Long\r\nFor i = 1 To n\r\n"
                             "If i Mod 2 = 0 Then\r\nTotal = Total + i\r\nEnd If\r\nNext\r\nEnd Function\r\n";
    const QByteArray tidy = "Attribute VB_Name = \"modFmt\"\r\nPrivate Type Pt\r\n    X As Long\r\nEnd Type\r\n"
                            "Public Function Total(ByVal n As Long) As Long\r\n    Dim i As Long\r\n    For i = 1 To n\r\n"
                            "        If i Mod 2 = 0 Then\r\n            Total = Total + i\r\n        End If\r\n    Next\r\nEnd Function\r\n";
    const QString module = fx_.write("F/modFmt.bas", messy);
    const QString vbp = fx_.writeLines("F/F.vbp", {"Module=modFmt; modFmt.bas"});
    QDir().mkpath(fx_.path("work"));
    fx_.write("appdata/Quillon/QLN.spi", "[Quillon:Folders]\r\nProjectFolder=" + fx_.path("work").toUtf8() + "\r\n[Quillon:IDE]\r\nTab Width=4\r\n");

    EXPECT_EQ(cli({"indent", module}).out, QString(tidy));
    EXPECT_EQ(cli({"indent", module, "--set", "Indent Width=x"}).code, 2);
    EXPECT_EQ(cli({"indent", module, "--set", "Indent Sideways=yes"}).code, 2);
    const CliRun piped = cli({"indent", "-", "--set", "indent width=2", "--set", "Indent Type Members=no"}, nullptr,
        "Type Pt\nX As Long\nEnd Type\nSub S()\nFor i = 1 To 3\nIf i Then\nx = i\n      End If\nEnd Sub\n");
    EXPECT_EQ(piped.out, "Type Pt\nX As Long\nEnd Type\nSub S()\n  For i = 1 To 3\nIf i Then\nx = i\n      End If\nEnd Sub\n");
    EXPECT_EQ(piped.err, "quillon: not indented: -:5: For without Next\n");
    EXPECT_EQ(readBytes(module), messy) << "indent FILE changes nothing on disk";

    const CliRun check = cli({"indent", "--check", vbp});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out, module + "\n");
    EXPECT_EQ(cli({"aid", "indent", vbp}).out, "Indent Complete\nIndent Code Lines complete.\n2 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(readBytes(module), tidy);
    EXPECT_EQ(cli({"indent", "--check", vbp}).code, 0);

    EXPECT_EQ(cli({"aid", "number", vbp, "--start", "100", "--step", "5"}).out,
        "Add Line Numbers Complete\nAdd Line Numbers complete.\n1 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(readBytes(module),
        "Attribute VB_Name = \"modFmt\"\r\nPrivate Type Pt\r\n    X As Long\r\nEnd Type\r\n"
        "Public Function Total(ByVal n As Long) As Long\r\n    Dim i As Long\r\n100 For i = 1 To n\r\n"
        "105     If i Mod 2 = 0 Then\r\n110         Total = Total + i\r\n        End If\r\n    Next\r\nEnd Function\r\n");
    EXPECT_EQ(cli({"aid", "number", vbp, "--step", "0"}).code, 2);
    EXPECT_EQ(cli({"aid", "unnumber", vbp}).out, "Remove Line Numbers Complete\nRemove Line Numbers complete.\n1 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(readBytes(module), tidy);
    EXPECT_EQ(cli({"aid", "unnumber", vbp}).out, "Remove Line Numbers Complete\nNo line numbers could be removed - nothing to change.\n");
}

// Sort moves whole procedures, backs the file up whole even for chosen routines, and leaves a
// sorted file alone.
TEST_F(CliTest, SortPutsEachFilesProceduresInOrderAndBacksTheWholeFileUp)
{
    const QString module = fx_.write("S/modS.bas",
        "Attribute VB_Name = \"modS\"\r\nOption Explicit\r\nPrivate Sub Zed()\r\nEnd Sub\r\n' the first one\r\n"
        "Public Function Alpha() As Long\r\n    Alpha = 1\r\nEnd Function\r\n");
    const QString vbp = fx_.writeLines("S/S.vbp", {"Module=modS; modS.bas"});
    QDir().mkpath(fx_.path("work"));
    fx_.write("appdata/Quillon/QLN.spi", "[Quillon:Folders]\r\nProjectFolder=" + fx_.path("work").toUtf8() + "\r\n");
    EXPECT_EQ(cli({"aid", "sort", vbp, "--by", "size"}).code, 2);
    EXPECT_EQ(cli({"aid", "shrink", vbp, "--by", "name"}).code, 2);
    EXPECT_EQ(cli({"aid", "sort", vbp, "--by", "NAME", "--routines", "modS|Zed"}).out,
        "Sort Complete\nSort File Procedures complete.\n2 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(readBytes(module),
        "Attribute VB_Name = \"modS\"\r\nOption Explicit\r\n' the first one\r\nPublic Function Alpha() As Long\r\n    Alpha = 1\r\n"
        "End Function\r\nPrivate Sub Zed()\r\nEnd Sub\r\n");
    EXPECT_EQ(cli({"backups"}).out.section('\t', 2, 2), "File");
    EXPECT_EQ(cli({"aid", "sort", vbp, "--by", "name"}).out, "Sort Complete\nThe procedures are in order already - nothing to change.\n");
}

// A template is checked before it is set; the headers it makes go in once; the spelling check
// lists what its dictionary does not know, exits 1 for it and 2 without a dictionary, and the
// replacements it is told are written after a backup.
TEST_F(CliTest, HeaderTemplatesHeadersAndTheSpellingCheck)
{
    const QString module = fx_.write("H/modH.bas",
        "Attribute VB_Name = \"modH\"\r\nPublic Sub Go()\r\n    MsgBox \"Teh value\" ' teh end\r\nEnd Sub\r\n");
    const QString vbp = fx_.writeLines("H/H.vbp", {"Module=modH; modH.bas", "Name=\"Shop\""});
    QDir().mkpath(fx_.path("work"));
    fx_.write("appdata/Quillon/QLN.spi", "[Quillon:Folders]\r\nProjectFolder=" + fx_.path("work").toUtf8() + "\r\n");
    const QString bad = fx_.write("bad.txt", "' {ProcedureName}\n' {Colour}\n");
    const CliRun refused = cli({"templates", "set", "procedure", bad});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("{Colour}")) << refused.err.toStdString();
    EXPECT_TRUE(cli({"templates"}).out.contains("Procedure Header Template: " + fx_.path("appdata/Quillon/Procedure Header Template.txt") + " (not written yet"));
    EXPECT_EQ(cli({"templates", "set", "procedure", "-"}, nullptr, "' {ProcedureName} of {ProjectName}\n' --\n").code, 0);
    EXPECT_EQ(cli({"templates", "show", "procedure"}).out, "' {ProcedureName} of {ProjectName}\n' --\n");
    EXPECT_EQ(cli({"aid", "header-procedure", vbp}).out,
        "Insert Procedure Header Complete\nInsert Procedure Header complete.\n1 procedure(s) updated in 1 file(s).\n");
    EXPECT_EQ(cli({"aid", "header-procedure", vbp}).out,
        "Insert Procedure Header Complete\nEvery procedure has its header already - nothing to change.\n");
    EXPECT_EQ(cli({"aid", "header-file", vbp, "--routines", "modH|Go"}).code, 2);

    fx_.write("dict/xx_TEST.aff", "SET UTF-8\n");
    fx_.write("dict/xx_TEST.dic", "6\nthe\nvalue\nend\nof\nGo\nShop\n");
    qputenv("QUILLON_DICTIONARY_PATH", QFile::encodeName(fx_.path("dict")));
    const CliRun found = cli({"spell", vbp, "--lang", "xx_TEST"});
    const CliRun literals = cli({"spell", vbp, "--lang", "xx_TEST", "--literals-only"});
    const CliRun missing = cli({"spell", vbp, "--lang", "zz_ZZ"});
    qunsetenv("QUILLON_DICTIONARY_PATH");
    EXPECT_EQ(found.code, 1);
    EXPECT_EQ(found.out, module + ":5:13\tTeh\tThe\n" + module + ":5:26\tteh\tthe\n");
    EXPECT_EQ(literals.out, module + ":5:13\tTeh\tThe\n");
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("zz_ZZ") && missing.err.contains("xx_TEST")) << missing.err.toStdString();
    EXPECT_EQ(cli({"aid", "spell", vbp}).code, 2);
    EXPECT_EQ(cli({"aid", "spell", vbp, "--replace", "teh=the", "--literals-only"}).out,
        "Spelling Complete\nSpell Check Literals complete.\n1 word(s) replaced in 1 file(s).\n");
    EXPECT_EQ(readBytes(module),
        "Attribute VB_Name = \"modH\"\r\n' Go of Shop\r\n' --\r\nPublic Sub Go()\r\n    MsgBox \"The value\" ' teh end\r\nEnd Sub\r\n");
}

TEST_F(CliTest, WrapSplitsLinesWiderThanTheSampleAndNamesThoseItCannot)
{
    const QString module = fx_.write("W/W.bas",
        "Attribute VB_Name = \"W\"\r\nFunction T(n)\r\n    T = n * 2 + n * 3 + n * 4 + n * 5\r\n    T = 0 ' abcdefghijklmnopqrstuvwxyzabcdefgh\r\nEnd "
        "Function\r\n");
    const QString vbp = fx_.writeLines("W/W.vbp", {"Module=W; W.bas"});
    QDir().mkpath(fx_.path("work"));
    fx_.write("appdata/Quillon/QLN.spi",
        "[Quillon:Folders]\r\nProjectFolder=" + fx_.path("work").toUtf8()
            + "\r\n[Quillon:IDE]\r\nTab Width=4\r\n[Quillon:DAWrapLineForm]\r\nWhich Indent=0\r\nWrap Code Indent=2\r\n");
    // Without a surface to measure on, wrap says so and changes nothing.
    std::ostringstream out, err;
    EXPECT_EQ(quillon::app::runCli({"aid", "wrap", vbp}, out, err, quillon::app::CliServices()), 1);
    EXPECT_EQ(err.str(), "quillon: wrap measures lines in the printer font, and no printer or PDF writer could be opened to measure them\n");
    const CliRun run = cli({"aid", "wrap", vbp, "--long-line", QString(30, 'x')});
    EXPECT_EQ(run.out,
        "Wrap Complete\nWrap Code Lines complete.\n1 line(s) wrapped in 1 file(s).\n\n"
        "1 line(s) could not be wrapped without breaking a word and were left unchanged.\n");
    EXPECT_EQ(run.err, "quillon: not wrapped: " + module + ":4: T = 0 ' abcdefghijklmnopqrstuvwxyzabcdefgh\n");
    EXPECT_EQ(readBytes(module),
        "Attribute VB_Name = \"W\"\r\nFunction T(n)\r\n    T = n * 2 + n * 3 +  _\r\n        n * 4 + n * 5\r\n"
        "    T = 0 ' abcdefghijklmnopqrstuvwxyzabcdefgh\r\nEnd Function\r\n");
}

TEST_F(CliTest, CallsAndReportsDumpTheDependencyIndex)
{
    fx_.writeLines("A/modA.bas",
        {"Attribute VB_Name = \"modA\"", "Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "Public Sub Main()", "    If True Then Helper",
            "End Sub", "Private Function Helper() As Long", "    Helper = GetTickCount()", "End Function"});
    fx_.writeLines("A/frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "    Call Helper", "End Sub"});
    const QString vbp = fx_.writeLines("A/a.vbp", {"Module=modA; modA.bas", "Form=frmMain.frm", "Startup=\"Sub Main\""});
    EXPECT_EQ(cli({"calls", vbp}).out,
        "ROUTINE\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\nROUTINE\tMODA|DECLARATIONS\nROUTINE\tMODA|MAIN\n"
        "ROUTINE\tMODA|HELPER\nCALLS\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\tMODA|HELPER\nCALLS\tMODA|MAIN\tMODA|HELPER\n"
        "CALLEDBY\tMODA|HELPER\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\nCALLEDBY\tMODA|HELPER\tMODA|MAIN\n"
        "API\tMODA|HELPER\tGetTickCount\nDECLARE\tGETTICKCOUNT\tGetTickCount|kernel32|GetTickCount\n"
        "EVENT\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\tClick Event: frmMain.frm|Event Handler:cmdOK_Click\n"
        "STARTUP\tMODA|MAIN\n");
    CliRun run = cli({"report", vbp, "moda|helper", "--tab-width", "2"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
        "=== MODA|HELPER\nCalled by:\n\n[ZRK-UL]File A|Private Sub Event Handler:cmdOK_Click\n"
        "[ZRK-V][ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click\n[ZRK-L]File B|Public Sub Main\n"
        "[ZRK-X][ZRK-X]Program Startup\n\nCalls:\n\n[ZRK-X]API: GetTickCount (kernel32)\n\nFiles:\n"
        "  File A = "
            + fx_.path("A/frmMain.frm") + "|frmMain\n  File B = " + fx_.path("A/modA.bas") + "|modA\n");
    // Every eligible procedure, in index order: the handler, Main and Helper; the option's indent.
    run = cli({"report", vbp});
    EXPECT_EQ(run.out.count("=== "), 3);
    EXPECT_TRUE(run.out.startsWith("=== FRMMAIN|EVENT HANDLER:CMDOK_CLICK\n"));
    EXPECT_TRUE(run.out.contains("\nFiles:\n    File A = " + fx_.path("A/modA.bas") + "|modA\n"));
    run = cli({"report", vbp, "MODA|NOPE", "MODA|MAIN"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out.count("=== "), 1);
    EXPECT_TRUE(run.err.contains("no routine \"MODA|NOPE\""));
}

TEST_F(CliTest, UnusedListsWhatNoRootReaches)
{
    const QString vbp = writeUsageProject();
    EXPECT_EQ(cli({"unused", vbp}).out,
        "UNUSED\tFRMMAIN|ORPHAN\tfrmMain.frm\tPrivate Sub\t3\nUNUSED\tMODMAIN|DEAD\tmodMain.bas\tPrivate Function\t3\n"
        "UNUSED\tMODMAIN|LONELY\tmodMain.bas\tPrivate Sub\t2\nUNUSED\tMODMAIN|PINGA\tmodMain.bas\tPublic Sub\t3\n"
        "UNUSED\tMODMAIN|PINGB\tmodMain.bas\tPublic Sub\t3\nUNUSED\tCLSITEM|HIDDEN\tclsItem.cls\tPrivate Sub\t2\n"
        "UNUSEDAPI\tSleep\tkernel32\nTOTAL\t6\t16\t17\t41\n");
    // A start-up form: its handlers, listed or only shaped as the form's, are used, and so is
    // what they call.
    fx_.writeLines("F/frmStart.frm",
        {"VERSION 5.00", "Begin VB.Form frmStart", "End", "Attribute VB_Name = \"frmStart\"", "Private Sub Form_Initialize()", "    Prepare", "End Sub",
            "Private Sub Prepare()", "End Sub", "Private Sub Form_Weird()", "End Sub"});
    EXPECT_EQ(cli({"unused", fx_.writeLines("F/f.vbp", {"Form=frmStart.frm", "Startup=\"frmStart\""})}).out, "TOTAL\t0\t0\t3\t7\n");
    // A Type member named like a keyword is no procedure: nothing named "As" is listed or left
    // unused, and the procedures keep their lines.
    fx_.writeLines("Q/modSort.bas",
        {"Attribute VB_Name = \"modSort\"", "Private Type QSStack", "    sLB As Long", "    sUB As Long", "End Type", "Sub Main()", "    Sort", "End Sub",
            "Private Sub Sort()", "End Sub"});
    const QString sorting = fx_.writeLines("Q/q.vbp", {"Module=modSort; modSort.bas", "Startup=\"Sub Main\""});
    EXPECT_EQ(cli({"routines", sorting}).out,
        "modSort.bas\tDeclarations\tDeclarations\t1\t0\t5\t0\t0\t5\t\tmodSort\nmodSort.bas\tSub\tMain\t6\t6\t8\t0\t0\t3\tPublic Sub\tmodSort\n"
        "modSort.bas\tSub\tSort\t9\t9\t10\t0\t0\t2\tPrivate Sub\tmodSort\n");
    EXPECT_EQ(cli({"unused", sorting}).out, "TOTAL\t0\t0\t2\t5\n");
    // What only a property's Let calls is used, though the index scans the first body of a key;
    // so is a function named in an expression without parentheses; a Declare with a type
    // character is called without it, and is one with its plain twin.
    fx_.writeLines("P/modP.bas", {"Attribute VB_Name = \"modP\"", "Declare Function GetTickCount Lib \"kernel32\" () As Long", "Sub Main()", "    Set o = New clsP", "End Sub"});
    fx_.writeLines("P/clsP.cls",
        {"VERSION 1.0 CLASS", "Attribute VB_Name = \"clsP\"", "Private Declare Function GetTickCount& Lib \"kernel32\" ()",
            "Private Declare Function GetVersion& Lib \"kernel32\" ()", "Private Declare Function Beep& Lib \"kernel32\" ()", "Public Property Get Size() As Long",
            "End Property", "Public Property Let Size(v As Long)", "    Tidy", "End Property", "Private Sub Tidy()", "    If Not Ready Then t = GetTickCount() + GetVersion()", "End Sub",
            "Private Function Ready() As Boolean", "End Function"});
    EXPECT_EQ(cli({"unused", fx_.writeLines("P/p.vbp", {"Module=modP; modP.bas", "Class=clsP; clsP.cls", "Startup=\"Sub Main\""})}).out,
        "UNUSEDAPI\tBeep&\tkernel32\nTOTAL\t0\t0\t4\t10\n");
}

// The example's gauge: calls made from a user control and its property page keep the module
// functions they use off the unused list, and their handlers are known by object and control.
TEST_F(CliTest, UserControlsPagesDocumentsAndDesignersAreIndexedLikeForms)
{
    const QString dir = kExamples + "/controls/";
    EXPECT_EQ(cli({"files", dir + "Gauges.vbp"}).out,
        "FRM\tfrmDashboard.frm\t" + dir + "frmDashboard.frm\nBAS\tmodFormat.bas\t" + dir + "modFormat.bas\nCLS\tclsTicker.cls\t" + dir
            + "clsTicker.cls\nCTL\tctlGauge.ctl\t" + dir + "ctlGauge.ctl\nPAG\tppgGauge.pag\t" + dir + "ppgGauge.pag\nDSR\tdeReadings.dsr\t" + dir
            + "deReadings.dsr\n");
    for (const char* project : {"Gauges.vbp", "GaugeLib.vbp"})
        EXPECT_EQ(cli({"unused", dir + project}).out, "UNUSED\tMODFORMAT|RESETALLGAUGES\tmodFormat.bas\tPublic Sub\t3\nTOTAL\t1\t3\t30\t123\n") << project;
    const QString calls = cli({"calls", dir + "GaugeLib.vbp"}).out;
    for (const char* line : {"EVENT\tCTLGAUGE|EVENT HANDLER:USERCONTROL_RESIZE\tUserControl Event: ctlGauge.ctl|Event Handler:UserControl_Resize\n",
             "EVENT\tCTLGAUGE|EVENT HANDLER:TMRSWEEP_TIMER\tTimer Event: ctlGauge.ctl|Event Handler:tmrSweep_Timer\n",
             "EVENT\tPPGGAUGE|EVENT HANDLER:TXTMAX_CHANGE\tChange Event: ppgGauge.pag|Event Handler:txtMax_Change\n",
             "EVENT\tDOCREADOUT|EVENT HANDLER:USERDOCUMENT_SHOW\tUserDocument Event: docReadout.dob|Event Handler:UserDocument_Show\n",
             "CALLEDBY\tMODFORMAT|CLAMPVALUE\tPPGGAUGE|EVENT HANDLER:PROPERTYPAGE_APPLYCHANGES\n", "CALLEDBY\tMODFORMAT|PERCENTOF\tCTLGAUGE|DRAWNEEDLE\n"})
        EXPECT_TRUE(calls.contains(QString::fromLatin1(line))) << line;
    EXPECT_TRUE(cli({"calls", dir + "Gauges.vbp"}).out.contains(
        "EVENT\tDEREADINGS|EVENT HANDLER:DATAENVIRONMENT_INITIALIZE\tDataEnvironment Event: deReadings.dsr|Event Handler:DataEnvironment_Initialize\n"));
    EXPECT_TRUE(cli({"insight", dir + "GaugeLib.vbp", "--text"}).out.contains("procedure of a class, a\n      user control, a property page, a user document or a designer.\n"));
    // Roots of a control library: what a host or a client can reach (public and friend members,
    // handlers of the object, of its controls and of WithEvents variables, or only shaped like
    // them), not a module's public procedures nor a private procedure nothing calls.
    fx_.writeLines("C/ucKnob.ctl",
        {"VERSION 5.00", "Begin VB.UserControl ucKnob", "   Begin VB.Timer tmrSpin", "   End", "End", "Attribute VB_Name = \"ucKnob\"",
            "Private WithEvents mClock As clsClock", "Private Sub UserControl_Show()", "    Spin", "End Sub", "Private Sub tmrSpin_Elapsed()", "End Sub",
            "Private Sub mClock_Beat()", "End Sub", "Private Sub UserControl_Spin()", "End Sub", "Private Sub Unwound()", "End Sub", "Private Sub Spin()", "End Sub", "Friend Sub Reset()",
            "End Sub", "Public Property Get Angle() As Long", "End Property"});
    fx_.writeLines("C/modKnob.bas", {"Attribute VB_Name = \"modKnob\"", "Public Sub Unreached()", "End Sub"});
    EXPECT_EQ(cli({"unused", fx_.writeLines("C/k.vbp", {"Type=Control", "UserControl=ucKnob.ctl", "Module=modKnob; modKnob.bas"})}).out,
        "UNUSED\tMODKNOB|UNREACHED\tmodKnob.bas\tPublic Sub\t2\nUNUSED\tUCKNOB|UNWOUND\tucKnob.ctl\tPrivate Sub\t2\nTOTAL\t2\t4\t9\t19\n");
}

TEST(RoutineMetrics, DecisionPointsAndNestingOfCodeShapes)
{
    struct Case {
        QStringList lines;
        int decisions;
        int nesting; // -1: not checked
    };
    const Case cases[] = {
        {{"If a Then b Else c"}, 1, 0},
        {{"Select Case n", "Case 1: x = 1", "Case 2", "Case Else", "End Select"}, 2, 1},
        {{"Do", "Loop Until a Or b"}, 2, 1},
        {{"If x And y Or z Then", "End If"}, 3, 1},
        {{"s = \"If a Then\" ' If b And c Then"}, 0, 0},
        {{"For i = 1 To 3", "For Each v In c", "Do While i > 0 And Not f", "Loop", "Next", "Next"}, 4, 3},
        {{"If a Or _", "  b Then", "ElseIf c Then", "End If"}, 3, 1},
        {{"Open f For Input As #1", "Exit For", "#If Win32 Then", "10 While x: Wend", "x = Mid$(s, 1): If y AndAlso z Then Exit Sub"}, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(" / ").toStdString());
        EXPECT_EQ(quillon::analysis::decisionPoints(c.lines), c.decisions);
        if (c.nesting >= 0) {
            EXPECT_EQ(quillon::analysis::deepestNesting(c.lines, 1, int(c.lines.size())), c.nesting);
        }
    }
}

TEST_F(CliTest, MetricsAndTheCallGraphFollowTheCallIndex)
{
    fx_.writeLines("G/modA.bas",
        {"Attribute VB_Name = \"modA\"", "Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "Public Sub Main()", "    ' start",
            "    If True Then Helper", "", "    Other", "End Sub", "Private Function Helper() As Long", "    Helper = GetTickCount()", "End Function",
            "Public Sub Other()", "    Helper", "End Sub"});
    fx_.writeLines("G/modB.bas", {"Attribute VB_Name = \"modB\"", "Public Sub Run()", "    Main", "End Sub"});
    const QString vbp = fx_.writeLines("G/g.vbp", {"Module=modA; modA.bas", "Module=modB; modB.bas"});
    const QString tsv = cli({"metrics", vbp}).out;
    EXPECT_TRUE(tsv.startsWith("key\tfile\tkind\tcode\tcomments\tblanks\tfanIn\tfanOut\tapiCalls\tdecisions\tcomplexity\tnesting\n"));
    EXPECT_TRUE(tsv.contains("\nMODA|MAIN\tmodA.bas\tPublic Sub\t4\t1\t1\t1\t2\t0\t1\t2\t0\n")) << qPrintable(tsv);
    EXPECT_TRUE(tsv.contains("\nMODA|HELPER\tmodA.bas\tPrivate Function\t3\t0\t0\t2\t0\t1\t0\t1\t0\n")) << qPrintable(tsv);
    const QJsonObject json = QJsonDocument::fromJson(cli({"metrics", vbp, "--format", "json"}).out.toUtf8()).object();
    EXPECT_EQ(json.value("version").toInt(), 1);
    EXPECT_EQ(json.value("routines").toArray().size(), tsv.count('\n') - 1);
    const QString head = "caller,callee,caller file,callee file\n";
    const QString mainHelper = "MODA|MAIN,MODA|HELPER,modA.bas,modA.bas\n", mainOther = "MODA|MAIN,MODA|OTHER,modA.bas,modA.bas\n";
    const QString otherHelper = "MODA|OTHER,MODA|HELPER,modA.bas,modA.bas\n", runMain = "MODB|RUN,MODA|MAIN,modB.bas,modA.bas\n";
    const std::pair<QStringList, QString> graphs[] = {
        {{}, head + mainHelper + mainOther + otherHelper + runMain},
        {{"--modules"}, "caller module,callee module,calls\nmodA,modA,3\nmodB,modA,1\n"},
        {{"--from", "modb|run", "--depth", "1"}, head + runMain},
        {{"--from", "MODB|RUN", "--depth", "2"}, head + mainHelper + mainOther + runMain},
        {{"--from", "MODA|HELPER", "--callers", "--depth", "1"}, head + mainHelper + otherHelper},
        {{"--from", "MODA|HELPER", "--callers", "--modules"}, "caller module,callee module,calls\nmodA,modA,3\nmodB,modA,1\n"},
    };
    for (const auto& [args, out] : graphs) {
        const CliRun run = cli(QStringList {"graph", vbp, "--format", "csv"} + args);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, out) << qPrintable(args.join(' '));
    }
    const QString dot = cli({"graph", vbp, "--from", "MODA|OTHER"}).out;
    EXPECT_TRUE(dot.startsWith("digraph calls {\n  subgraph cluster_0 {\n    label=\"modA\";\n")) << qPrintable(dot);
    EXPECT_TRUE(dot.contains("\"API GETTICKCOUNT\" [shape=note, label=\"GetTickCount\\nkernel32\"];\n"));
    EXPECT_TRUE(dot.contains("\"MODA|HELPER\" -> \"API GETTICKCOUNT\" [style=dashed];\n"));
    EXPECT_FALSE(dot.contains("MODA|MAIN"));
    const CliRun unknown = cli({"graph", vbp, "--from", "MODA|NOPE"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err.count('\n'), 1);
    SKIP_WITHOUT_TOOLS("dot");
    const QString example = fx_.write("example.dot", cli({"graph", kExamples + "/inventory/Inventory.vbp"}).out.toUtf8());
    const Process rendered = runProgram("dot", {"-Tsvg", example});
    EXPECT_EQ(rendered.code, 0);
    EXPECT_TRUE(rendered.err.isEmpty()) << rendered.err.constData();
    EXPECT_TRUE(rendered.out.contains("<svg"));
}

TEST_F(CliTest, SymbolsBracketsAndHighlightDumps)
{
    fx_.writeLines("S/modA.bas",
        {"Attribute VB_Name = \"modA\"", "Public Const MAX_ITEMS = 10", "Public gCount As Long", "Private mName$",
            "Public Sub Add(ByRef n As Long, ByVal s As String)", "End Sub", "Private Function Peek() As Long", "End Function"});
    fx_.writeLines("S/modB.bas", {"Attribute VB_Name = \"modB\"", "Const MAX_ITEMS = 20", "Sub Add(x As Long)", "End Sub"});
    const QString vbp = fx_.writeLines("S/s.vbp", {"Module=modB; modB.bas", "Module=modA; modA.bas"});
    const QString a = quillon::model::upperCase(fx_.path("S/modA.bas"));
    const QString b = quillon::model::upperCase(fx_.path("S/modB.bas"));
    EXPECT_EQ(cli({"symbols", vbp}).out,
        "CONST\tmodA.bas\tMAX_ITEMS\nGLOBAL\tmodA.bas\tGCOUNT\nMODVAR\tmodA.bas\tMNAME\n"
        "PROC\tmodA.bas\tADD\nPROC\tmodA.bas\tPEEK\nCONST\tmodB.bas\tMAX_ITEMS\n"
        "PROC\tmodB.bas\tADD\nALLCONST\t\tMAX_ITEMS\nALLGLOBAL\t\tGCOUNT\nALLPROC\t\tADD\n"
        "ALLPROC\t\tPEEK\nBYREF\t"
            + a + "|ADD\tN\nBYREF\t" + b + "|ADD\t\n");

    const QString loop = fx_.writeLines("loop.bas", {"Sub Go()", "    For i = 1 To 3", "        x = i", "    Next i", "    End If", "End Sub"});
    EXPECT_EQ(cli({"brackets", loop}).out,
        "Sub Go()\n  [ZRK-UL]For i = 1 To 3\n  [ZRK-V]    x = i\n  [ZRK-L]Next i\n"
        "'*** Unbalanced block: End If has no matching If...Then ***\n    End If\nEnd Sub\n");
    EXPECT_EQ(cli({"brackets", loop, "2", "3"}).out,
        "  [ZRK-UL]For i = 1 To 3\n  [ZRK-V]    x = i\n"
        "'*** Unbalanced block: FOR opened but never closed - missing Next ***\n");

    const QString path = fx_.writeLines(
        "H/modH.bas", {"Attribute VB_Name = \"modH\"", "Private mCount As Long", "", "Sub Add(ByRef n As Long)", "\tn = n + mCount ' \"add\"", "End Sub"});
    const CliRun run = cli({"highlight", path, "--tab-width", "2"});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out,
        "1\t1-20:0 21-26:7\n2\t1-8:0 9-14:4 15-22:0\n3\t\n4\t1-4:0 5-7:6 8-14:0 15-15:5 16-24:0\n"
        "5\t1-2:0 3-3:5 4-6:0 7-7:5 8-10:0 11-16:4 17-17:0 18-24:1\n6\t1-7:0\n");
    EXPECT_TRUE(cli({"highlight", path, "--tab-width", "4"}).out.contains("\n5\t1-4:0 5-5:5 ")) << "the columns move";
}

TEST_F(CliTest, ImagePrintsOneFormAndPrintDrawsTheFormsOfTheProject)
{
    const QString form = fx_.writeLines("frmA.frm",
        {"VERSION 5.00", "Begin VB.Form frmA", "   ClientHeight = 3600", "   ClientWidth = 4800", "   Begin VB.CommandButton cmdGo", "      Height = 375",
            "      Width = 1215", "   End", "   Begin VB.Menu mnuFile", "      Caption = \"&File\"", "   End", "End", "Attribute VB_Name = \"frmA\""});
    RecordingPrintSurface drawn;
    CliRun run = cli({"image", form, "-o", fx_.path("a.pdf")}, &drawn);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, fx_.path("a.pdf") + "\t2 pages\n") << "the layer and the menu tree";
    EXPECT_TRUE(drawn.texts().contains("cmdGo")) << "the form drawn";

    // The main job draws every form where its Image routine stands in the queue.
    fx_.writeLines("modB.bas", {"Attribute VB_Name = \"modB\"", "Sub Main()", "End Sub"});
    const QString vbp = fx_.writeLines("p.vbp", {"Form=frmA.frm", "Module=modB; modB.bas"});
    run = cli({"print", vbp, "-o", fx_.path("p.pdf")}, &drawn);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(drawn.texts().contains("frmA.frm|Image - Layer 1 of 1"));
}

TEST_F(CliTest, ListingPrintsTheFileThroughTheFrame)
{
    QStringList lines {"Attribute VB_Name = \"modL\"", "Sub Main()"};
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("    x = %1").arg(i);
    lines << "    s = \"" + QString(150, QLatin1Char('y')) + "\""
          << "End Sub";
    const QString path = fx_.writeLines("modL.bas", lines);
    RecordingPrintSurface drawn;
    const QString pdf = fx_.path("out.pdf");
    const CliRun run = cli({"listing", path, "-o", pdf, "--long-lines", "truncate"}, &drawn);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, pdf + "\t3 pages\n");
    EXPECT_TRUE(drawn.texts().contains("modL.bas (cont.)")) << "in the frame";
    EXPECT_TRUE(drawn.texts().join("|").contains(" ...")) << "truncated, as asked";
    EXPECT_TRUE(run.err.endsWith(" [answered Truncate]\nLong Line Action: answered Truncate 1 time\n")) << qPrintable(run.err);
}

// A print meets the long-line warnings once per line: each is written the first time, without
// the paragraph about hiding it, and closes the run as one line with its answers and counts.
TEST_F(CliTest, PrintWritesEachWarningOnceAndClosesWithItsCount)
{
    QStringList lines {"Attribute VB_Name = \"modW\"", "Sub Main()"};
    for (int i = 0; i < 3; ++i)
        lines << "    s = \"" + QString(150 + i, QLatin1Char('w')) + "\"";
    fx_.writeLines("W/modW.bas", lines << "End Sub");
    const QString vbp = fx_.writeLines("W/w.vbp", {"Module=modW; modW.bas"});
    CliRun run = cli({"print", vbp, "-o", fx_.path("w.pdf")});
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.err.endsWith(".\nLong Line Action: answered Wrap 3 times\nWrap Warning: answered OK 3 times\n")) << qPrintable(run.err);
    EXPECT_EQ(run.err.count("Long Line Action"), 2) << qPrintable(run.err);
    run = cli({"print", vbp, "-o", fx_.path("w.pdf"), "--verbose"});
    EXPECT_EQ(run.err.count("Long Line Action (again): Line Start - "), 2) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(" times\n")) << "no summary";
}

// The history's columns and notes are checked with the list itself; here that a print run of
// the command line records it and the toc command shows it.
TEST_F(CliTest, PrintListsTheQueueAndKeepsTheHistoryForTheTableOfContents)
{
    fx_.writeLines("T/modA.bas", {"Attribute VB_Name = \"modA\"", "Sub Main()", "    Helper", "End Sub", "Sub Helper()", "    x = 1", "End Sub"});
    fx_.writeLines("T/modB.bas", {"Attribute VB_Name = \"modB\"", "Sub Other()", "End Sub"});
    const QString vbp = fx_.writeLines("T/t.vbp", {"Module=modA; modA.bas", "Module=modB; modB.bas", "Startup=\"Sub Main\""});
    CliRun run = cli({"print", vbp, "--files", "MODA.BAS", "--deps", "--list"});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out,
        "modA.bas|Public Sub Declarations\nmodA.bas|Public Sub Main\nmodA.bas|Public Sub Helper\n"
        "modA.bas|Public Sub Helper|Dep\nmodA.bas|Public Sub Main|Dep\n");
    EXPECT_EQ(cli({"print", vbp, "--routines", "moda|helper", "--only-deps", "--list"}).out, "modA.bas|Public Sub Helper|Dep\n");

    run = cli({"print", vbp, "--files", "modA.bas", "--duplex", "-o", fx_.path("doc.pdf")});
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("3 procedures sent to a file-based printer (Recording PDF)."));
    run = cli({"toc", vbp, "--text", "--no-notes"});
    const QString main = run.out.mid(run.out.indexOf("Public Sub Main\n")).section('\n', 1, 1);
    EXPECT_TRUE(main.contains(QRegularExpression("Last Printed: \\d+/\\d+/\\d\\d .*Total Pages: 2D"))) << qPrintable(main);
    EXPECT_FALSE(run.out.contains("Note:")) << "--no-notes";
    // Without it the batch answer keeps the notes, and modB, never printed, brings this one.
    EXPECT_TRUE(cli({"toc", vbp, "--text"}).out.contains("Note: Page count and date range exclude procedures not printed yet."));
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_TOC_*", "QLN_DEP_*"}).isEmpty());
}

// ------------------------------------------------------------------------------------------
// The program itself, as a script runs it

// The frame's texts are checked on the recording surface, and the PDF writer on its own; here
// that the real program writes real PDFs, that a run split into parts ends as one file with the
// pages of the same run unsplit, and the exit statuses.
TEST_F(CliTest, TheProgramCombinesASplitRunAndExitsWithItsStatus)
{
    SKIP_WITHOUT_TOOLS("qpdf");
    const QString vbp = kExamples + "/inventory/Inventory.vbp";
    const Process one = runProgram(builtFile("src/app/quillon"), {"print", vbp, "--deps", "-o", fx_.path("whole.pdf")});
    ASSERT_EQ(one.code, 0) << one.err.constData();
    const Process parts = runProgram(builtFile("src/app/quillon"), {"print", vbp, "--deps", "--spool", "500", "-o", fx_.path("split.pdf")});
    ASSERT_EQ(parts.code, 0) << parts.err.constData();
    EXPECT_TRUE(parts.err.contains("output part files were combined into:"));
    const int pages = pdfPages(fx_.path("whole.pdf"));
    EXPECT_GT(pages, 0);
    EXPECT_EQ(pdfPages(fx_.path("split.pdf")), pages);
    EXPECT_EQ(QDir(fx_.path()).entryList(QDir::Files), (QStringList {"split.pdf", "whole.pdf"})) << "no part is left";

    EXPECT_EQ(runProgram(builtFile("src/app/quillon"), {"nonsense"}).code, 2);
    EXPECT_EQ(runProgram(builtFile("src/app/quillon"), {"routines", "/nonexistent/x.bas"}).code, 1);
}

// A PDF printed in parts side by side is the document printed in one piece: the same pages and
// texts, the same messages in the same order, the same print history; no part is left beside it.
// A PDF's bookmarks, one line each ("title@page", a routine's indented under its file), then a
// line per link with the page it is on and the page it opens.
QStringList navigationOf(const QString& pdf)
{
    const auto json = [&](const char* key) { return QJsonDocument::fromJson(toolOutput("qpdf", {"--json=2", QString("--json-key=") + key, pdf}).toUtf8()); };
    QStringList lines, links;
    for (const QJsonValue file : json("outlines")["outlines"].toArray()) {
        lines << file["title"].toString() + '@' + QString::number(file["destpageposfrom1"].toInt());
        for (const QJsonValue routine : file["kids"].toArray())
            lines << "  " + routine["title"].toString() + '@' + QString::number(routine["destpageposfrom1"].toInt());
    }
    QHash<QString, int> pageOf;
    for (const QJsonValue page : json("pages")["pages"].toArray())
        pageOf.insert(page["object"].toString(), page["pageposfrom1"].toInt());
    for (const QJsonValue object : json("qpdf")["qpdf"][1].toObject()) {
        const QJsonValue link = object["value"];
        if (link["/Subtype"] == "/Link")
            links << QString("link -> %1 at %2")
                         .arg(pageOf.value(link["/Dest"][0].toString()))
                         .arg(QJsonDocument(link["/Rect"].toArray()).toJson(QJsonDocument::Compact));
    }
    links.sort();
    return lines + links;
}

// The report counts what `unused` lists and prints under its own title, a bookmark per section;
// its work file does not stay behind.
TEST_F(CliTest, InsightPrintsTheUnusedCountsUnderItsTitleWithABookmarkPerSection)
{
    const QString vbp = writeUsageProject();
    const QStringList text = cli({"insight", vbp, "--text"}).out.split('\n');
    EXPECT_TRUE(text.contains("      Unused procedures: 6 of 17 (35.3 %)")) << qPrintable(text.join('\n'));
    EXPECT_TRUE(text.contains("      Unused code: 16 of 41 code lines (39.0 %)"));
    EXPECT_TRUE(text.contains("[ZRK-M][ZRK-B]   modMain.bas: 4 procedures, 11 code lines"));
    RecordingPrintSurface drawn;
    const CliRun run = cli({"insight", vbp, "-o", fx_.path("i.pdf")}, &drawn);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(drawn.texts().contains("Project Insight (cont.)")) << "in the frame";
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_Insight_*"}).isEmpty());
    SKIP_WITHOUT_TOOLS("qpdf");
    const Process printed = runProgram(builtFile("src/app/quillon"), {"insight", vbp, "-o", fx_.path("insight.pdf")});
    ASSERT_EQ(printed.code, 0) << printed.err.constData();
    EXPECT_EQ(navigationOf(fx_.path("insight.pdf")), QStringList({"Unused Procedures@1", "Most Complex Routines@2", "Calls Between Modules@4"}));
}

// In parts side by side, in one piece or in temporary parts combined by qpdf: the same pages, the
// same messages, the same history, the same bookmarks and links.
TEST_F(CliTest, TheProgramPrintsInPartsSideBySideWhatItPrintsInOnePiece)
{
    SKIP_WITHOUT_TOOLS("qpdf", "pdftotext");
    const QString vbp = kExamples + "/inventory/Inventory.vbp";
    // The minute in the page headers and the date in the history may move between two runs.
    const QRegularExpression clock("\\d+/\\d+/\\d+ \\d+:\\d+( [ap]m)?|Last Printed: [^|]*");
    auto printed = [&](const QString& jobs, const QString& pdf) {
        const QStringList spool = jobs == "split" ? QStringList {"--spool", "300"} : QStringList {};
        const Process run = runProgram(builtFile("src/app/quillon"),
            QStringList {"print", vbp, "--deps", "--brackets", "--jobs", jobs == "split" ? "1" : jobs, "-o", fx_.path(pdf)} + spool);
        EXPECT_EQ(run.code, 0) << run.err.constData();
        QStringList messages = QString::fromUtf8(run.err).split('\n');
        messages.removeIf([](const QString& line) { return line.startsWith("Printing "); });
        const QString toc = QString::fromUtf8(runProgram(builtFile("src/app/quillon"), {"toc", vbp, "--text", "--no-notes"}).out);
        return QStringList {toolOutput("pdftotext", {fx_.path(pdf), "-"}).replace(clock, "T"), messages.join('\n'), QString(toc).replace(clock, "T"),
            QString::number(pdfPages(fx_.path(pdf))), navigationOf(fx_.path(pdf)).join('\n')};
    };
    const QStringList one = printed("1", "one.pdf");
    ASSERT_GT(one[3].toInt(), 20);
    // Each routine's bookmark opens the page its title heads ("frmMain.frm|Form_Load"), and every link
    // in a report opens such a page.
    const QStringList pages = one[0].split('\f');
    const QStringList navigation = one[4].split('\n');
    QString file;
    QSet<int> starts;
    for (const QString& line : navigation.filter("@")) {
        const QString title = line.trimmed().section('@', 0, 0);
        const int page = line.section('@', 1).toInt();
        if (!line.startsWith("  ")) {
            file = title;
            continue;
        }
        starts.insert(page);
        const QString name = title.endsWith("|Dep") ? title.chopped(4).section(' ', -1) + "|Dep" : title.section(' ', -1);
        const QString heading = pages.value(page - 1).trimmed().section('\n', 0, 0);
        EXPECT_TRUE(heading.startsWith(file + '|') && heading.contains(name)) << qPrintable(line + " on " + heading);
    }
    EXPECT_GT(starts.size(), 100);
    const QStringList links = navigation.filter("link ");
    EXPECT_GT(links.size(), 100);
    for (const QString& link : links)
        EXPECT_TRUE(starts.contains(link.section(' ', 2, 2).toInt())) << qPrintable(link);
    for (const char* jobs : {"2", "5", "split"}) {
        SCOPED_TRACE(jobs);
        const QStringList parts = printed(jobs, "parts.pdf");
        EXPECT_EQ(parts[0], one[0]) << "page texts";
        EXPECT_TRUE(parts[1] == one[1] || QString(jobs) == "split") << "messages (parts of a split run are announced)";
        EXPECT_EQ(parts[2], one[2]) << "print history";
        EXPECT_EQ(parts[3], one[3]) << "pages";
        EXPECT_EQ(parts[4], one[4]) << "bookmarks and links";
        EXPECT_EQ(QDir(fx_.path()).entryList({"*.pdf"}, QDir::Files), (QStringList {"one.pdf", "parts.pdf"}));
    }
}

// Without a subcommand, or with only switches and project files, Quillon is the desktop
// program: it needs a screen. A second start ends at once without touching the running copy's
// options, and hands its project file over to the running copy, which loads it.
TEST_F(CliTest, TheDesktopProgramRunsOnceAndNeedsAScreen)
{
    const QString quillon = builtFile("src/app/quillon");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", fx_.path("appdata"));
    env.insert("TMPDIR", fx_.path()); // the first copy's socket and the log
    env.insert("TEMP", fx_.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    const Process headless = runProgram(quillon, {}, env, 30000);
    EXPECT_EQ(headless.code, 1);
    EXPECT_TRUE(headless.err.contains("no display"));
    EXPECT_EQ(runProgram(quillon, {"Missing.vbp"}, env, 30000).code, 2) << "no file: a usage error";

    env.insert("QT_QPA_PLATFORM", "offscreen");
    // No note to wait on; a table of contents kept where an older version kept it.
    fx_.write("appdata/Quillon/QLN.spi", "[Quillon:Colors]\r\nColorDefaultNoteSeen=True\r\n[Old:TOC List]\r\nm.bas|Sub A=1|2S|3|0|0|3|Sub\r\n");
    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(kExamples + "/inventory");
    first.start(quillon, {"/DT[1]", "Inventory.vbp"});
    ASSERT_TRUE(first.waitForStarted(10000));
    const auto until = [&](const std::function<bool()>& done, int ms = 30000) {
        const QDeadlineTimer deadline(ms);
        while (!done() && first.state() == QProcess::Running && !deadline.hasExpired())
            first.waitForFinished(20);
        return done();
    };
    // The log names each file a load reads.
    const auto loaded = [&](const QByteArray& file, int ms = 30000) {
        return until([&] { return readBytes(fx_.path("VB6_Text DiagLog.txt")).contains(file); }, ms);
    };
    // A project handed over during the splash (once the first copy listens) replaces the one on its command line.
    ASSERT_TRUE(until([&] { return !QDir(fx_.path()).entryList({"Tandrel.Quillon.*"}, QDir::System).isEmpty(); }));
    writeProject();
    EXPECT_EQ(runProgram(quillon, {fx_.writeLines("P/Upper.VBP", {"Module=modUtil; lib\\modUtil.bas"})}, env, 20000).code, 0);
    ASSERT_TRUE(loaded("modUtil.bas")) << first.readAllStandardError().constData();
    // A message hidden for this session only: a start that tidied the store would drop it.
    QByteArray options = readBytes(optionsPath());
    ASSERT_TRUE(options.contains("RestoreCount=0"));
    EXPECT_FALSE(options.contains(":TOC List")) << "moved to its own list file at start";
    fx_.write("appdata/Quillon/QLN.spi", options.replace("RestoreCount=0", "RestoreCount=1\r\nsMsg0=B (Click 1 - No) (Session)"));
    EXPECT_EQ(runProgram(quillon, {"/DT[0]"}, env, 20000).code, 0) << "a second start ends promptly";
    EXPECT_EQ(QString(readBytes(optionsPath())), QString(options)) << "and leaves the running copy's options as they are";
    EXPECT_FALSE(loaded("frmSplash.frm", 2500)) << "the command line's project is not loaded over it once the splash has gone";
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy keeps running";
    first.kill();
    first.waitForFinished(10000);
}

} // namespace
