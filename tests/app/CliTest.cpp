#include "app/Cli.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sstream>

using quillon::app::RunCli;
using quillon::test::Cli;
using quillon::test::CliRun;
using quillon::test::Fixture;

namespace {

// A project with a form, a module in a subfolder, a class with properties and a missing file.
QString WriteProject(const Fixture& fx)
{
    fx.writeLines("P/frmMain.frm", {
        "VERSION 5.00",                          // 1
        "Begin VB.Form frmMain",                 // 2
        "End",                                   // 3
        "Attribute VB_Name = \"frmMain\"",       // 4
        "Option Explicit",                       // 5
        "",                                      // 6
        "' Closes the form",                     // 7
        "Private Sub cmdOK_Click()",             // 8
        "    Unload Me",                         // 9
        "End Sub",                               // 10
    });
    fx.write("P/lib/modUtil.bas",
             "Attribute VB_Name = \"modUtil\"\nPublic Function Twice(ByVal n As Long) As Long\n"
             "    Twice = n * 2 ' caf\xE9\nEnd Function\n");
    fx.writeLines("P/clsBox.cls", {
        "VERSION 1.0 CLASS",                     // 1
        "Attribute VB_Name = \"clsBox\"",        // 2
        "Private mW As Long",                    // 3
        "Public Property Get Width() As Long",   // 4
        "    Width = mW",                        // 5
        "End Property",                          // 6
        "Public Property Let Width(v As Long)",  // 7
        "    If v < 0 Then v = 0",               // 8
        "    If v > 100 Then v = 100",           // 9
        "    mW = v",                            // 10
        "    ' clamp done",                      // 11
        "    Debug.Print v",                     // 12
        "End Property",                          // 13
    });
    return fx.writeLines("P/Box.vbp", {"Type=Exe", "Class=clsBox; clsBox.cls", "Module=modUtil; lib\\modUtil.bas",
                                       "Form=frmMain.frm", "Module=modGone; gone.bas", "Startup=\"Sub Main\""});
}

TEST(Cli, FilesListsTypeNameAndPathInListOrder)
{
    Fixture fx;
    const QString vbp = WriteProject(fx);
    const CliRun run = Cli({"files", vbp});
    EXPECT_EQ(run.code, 0);
    const QString p = fx.path("P");
    EXPECT_EQ(run.out, "FRM\tfrmMain.frm\t" + p + "/frmMain.frm\n"
                       "BAS\tmodUtil.bas\t" + p + "/lib/modUtil.bas\n"
                       "CLS\tclsBox.cls\t" + p + "/clsBox.cls\n");
    EXPECT_EQ(run.err, "quillon: note: skipped \"Module=modGone; gone.bas\": no such file \"" + p + "/gone.bas\"\n");
}

TEST(Cli, RoutinesOfAProjectWithEachAggregateMode)
{
    Fixture fx;
    const QString vbp = WriteProject(fx);
    const QString routines =
        "frmMain.frm\tLayout\tLayout\t1\t0\t4\t0\t0\t4\t\tfrmMain\n"
        "frmMain.frm\tImage\tImage\t1\t0\t4\t0\t0\t4\t\tfrmMain\n"
        "frmMain.frm\tDeclarations\tDeclarations\t5\t0\t5\t0\t0\t1\t\tfrmMain\n"
        "frmMain.frm\tSub\tEvent Handler:cmdOK_Click\t7\t8\t10\t1\t0\t3\tPrivate Sub\tfrmMain\n"
        "modUtil.bas\tDeclarations\tDeclarations\t1\t0\t1\t0\t0\t1\t\tmodUtil\n"
        "modUtil.bas\tFunction\tTwice\t2\t2\t4\t0\t0\t3\tPublic Function\tmodUtil\n"
        "clsBox.cls\tDeclarations\tDeclarations\t3\t0\t3\t0\t0\t1\t\tclsBox\n"
        "clsBox.cls\tProperty Get\tWidth\t4\t4\t6\t0\t0\t3\tPublic Property Get\tclsBox\n"
        "clsBox.cls\tProperty Let\tWidth\t7\t7\t13\t1\t0\t6\tPublic Property Let\tclsBox\n";
    CliRun run = Cli({"routines", vbp});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, routines);
    EXPECT_EQ(Cli({"routines", vbp, "--aggregate", "none"}).out, routines);

    run = Cli({"routines", "--aggregate=small", vbp});
    EXPECT_EQ(run.out, routines + "clsBox.cls\tAggregate\tLet_Set_Get Properties (Small)\t0\t1\t0\t0\t0\t0\t\tclsBox\n"
                                  "clsBox.cls\tMEMBER\tWidth\t4\t6\n");
    run = Cli({"routines", vbp, "--aggregate", "all"});
    EXPECT_EQ(run.out, routines + "clsBox.cls\tAggregate\tLet_Set_Get Properties (All)\t0\t2\t0\t0\t0\t0\t\tclsBox\n"
                                  "clsBox.cls\tMEMBER\tWidth\t4\t6\n"
                                  "clsBox.cls\tMEMBER\tWidth\t7\t13\n");
}

TEST(Cli, RoutinesOfOneSourceFileAndTheCodePage)
{
    Fixture fx;
    // "Attribute VB_Name = "modΑβ"" in Windows-1253, then one Sub.
    const QString path = fx.write("greek.bas", "Attribute VB_Name = \"mod\xC1\xE2\"\r\nSub Go()\r\nEnd Sub\r\n");
    CliRun run = Cli({"routines", path, "--codepage", "windows-1253"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QString::fromUtf8("greek.bas\tDeclarations\tDeclarations\t1\t0\t1\t0\t0\t1\t\tmodΑβ\n"
                                         "greek.bas\tSub\tGo\t2\t2\t3\t0\t0\t2\tPublic Sub\tmodΑβ\n"));
    run = Cli({"routines", path});
    EXPECT_TRUE(run.out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
}

TEST(Cli, UsageErrorsExitTwoWithTheUsageOnStderr)
{
    Fixture fx;
    const QString vbp = WriteProject(fx);
    const QList<QStringList> bad = {
        {},
        {"frobnicate"},
        {"files"},
        {"files", vbp, vbp},
        {"routines", vbp, "--aggregate", "some"},
        {"routines", vbp, "--aggregate"},
        {"routines", vbp, "--colour", "red"},
        {"files", vbp, "--aggregate", "all"},
        {"routines", vbp, "--codepage", "klingon"},
    };
    for (const QStringList& args : bad) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("quillon: ")) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains("Usage: quillon SUBCOMMAND")) << qPrintable(args.join(' '));
    }
}

TEST(Cli, UnreadableInputsExitOneWithOneLine)
{
    Fixture fx;
    const QString noise = fx.write("bin.bas", QByteArray("\x00\x01\x02\xFF\r\nSub X()\r\n", 13));
    const QStringList unreadable[] = {
        {"files", fx.path("none.vbp")},
        {"files", fx.path()},
        {"routines", fx.path("none.vbp")},
        {"routines", fx.path()},
        {"routines", fx.path("none.bas")},
        {"routines", "/proc/self/mem"},
    };
    for (const QStringList& args : unreadable) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 1) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.startsWith("quillon: cannot read \"" + args[1] + "\": ")) << qPrintable(run.err);
    }
    // A binary file is read as text with a warning, never a crash.
    const CliRun run = Cli({"routines", noise});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.contains("looks like a binary file"));
    EXPECT_TRUE(run.out.contains("\tSub\tX\t"));
}

TEST(Cli, HelpAndVersion)
{
    CliRun run = Cli({"--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.contains("routines PROJECT.vbp|SOURCEFILE [--aggregate none|small|all] [--codepage NAME]"));
    run = Cli({"--version"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QStringLiteral("Quillon " QUILLON_VERSION "\n"));
}

} // namespace

namespace {

// The installed program, as a script runs it.
struct Process {
    int code;
    QByteArray out;
    QByteArray err;
};

Process RunQuillon(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(QUILLON_BINARY), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

TEST(QuillonProgram, ListsTheExampleProjectAndReportsItsMissingFile)
{
    const QString examples = QDir(QStringLiteral(QUILLON_EXAMPLES)).absolutePath();
    const Process run = RunQuillon({"files", examples + "/inventory/Inventory.vbp"});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QString inv = examples + "/inventory/";
    // Forms, modules, classes, each by name ignoring case; the class named clsItem.cls in the
    // project file is ClsItem.cls on disk, and modStrings lies outside the project folder.
    EXPECT_EQ(QString::fromUtf8(run.out),
              "FRM\tfrmItem.frm\t" + inv + "frmItem.frm\n"
              "FRM\tfrmMain.frm\t" + inv + "frmMain.frm\n"
              "FRM\tfrmSplash.frm\t" + inv + "frmSplash.frm\n"
              "BAS\tmodData.bas\t" + inv + "modData.bas\n"
              "BAS\tmodMain.bas\t" + inv + "modMain.bas\n"
              "BAS\tmodReports.bas\t" + inv + "modules/modReports.bas\n"
              "BAS\tmodStrings.bas\t" + examples + "/shared/modStrings.bas\n"
              "CLS\tclsInventory.cls\t" + inv + "clsInventory.cls\n"
              "CLS\tClsItem.cls\t" + inv + "ClsItem.cls\n");
    EXPECT_EQ(QString::fromUtf8(run.err),
              "quillon: note: skipped \"Module=modOld; modOld.bas\": no such file \"" + inv + "modOld.bas\"\n");
}

TEST(QuillonProgram, ExitCodes)
{
    EXPECT_EQ(RunQuillon({"--version"}).code, 0);
    const Process usage = RunQuillon({"nonsense"});
    EXPECT_EQ(usage.code, 2);
    EXPECT_TRUE(usage.err.contains("Usage: quillon"));
    EXPECT_EQ(RunQuillon({"routines", "/nonexistent/x.bas"}).code, 1);
}

// Without a subcommand Quillon is the desktop program: it needs a screen, and a second start
// hands over to the copy that runs and ends without a window.
TEST(QuillonProgram, TheDesktopProgramRunsOnceAndNeedsAScreen)
{
    Fixture fx;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("APPDATA"), fx.path("appdata"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess headless;
    headless.setProcessEnvironment(env);
    headless.start(QStringLiteral(QUILLON_BINARY), {});
    ASSERT_TRUE(headless.waitForFinished(30000));
    EXPECT_EQ(headless.exitCode(), 1);
    EXPECT_TRUE(headless.readAllStandardError().contains("no display"));

    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(QUILLON_BINARY), {"/DT[0]"});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first copy listens once its options are read; give it a moment.
    QProcess second;
    bool secondEnded = false;
    for (int attempt = 0; attempt < 20 && !secondEnded; ++attempt) {
        QThread::msleep(500);
        ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().constData();
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(QUILLON_BINARY), {"/DT[0]"});
        secondEnded = second.waitForFinished(5000);
        if (!secondEnded) {
            second.kill();
            second.waitForFinished(5000);
        }
    }
    EXPECT_TRUE(secondEnded) << "a second start ends promptly";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy keeps running";
    first.kill();
    first.waitForFinished(10000);
}

} // namespace

#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
namespace model = quillon::model;

namespace {

// Each test gets an empty application-data folder of its own.
class CliOptions : public ::testing::Test {
protected:
    Fixture fx;
    QByteArray saved = qgetenv("APPDATA");
    void SetUp() override { qputenv("APPDATA", QFile::encodeName(fx.path("appdata"))); }
    void TearDown() override { qputenv("APPDATA", saved); }
    QString OptionsPath() const { return fx.path("appdata/Quillon/QLN.spi"); }
};

TEST_F(CliOptions, AnySubcommandCreatesTheOptionsFileWithEveryKey)
{
    const CliRun first = Cli({"options"});
    ASSERT_EQ(first.code, 0) << qPrintable(first.err);
    EXPECT_TRUE(first.out.startsWith(OptionsPath() + "\n[Quillon:Folders]\nProjectFolder="));
    for (const char* line : {"\n[Quillon:Output]\nDevice Name=Quillon PDF\n", "\nFont Size=10.000\n", "\nLeft=0.500\n",
                             "\nComment Text=25600\n", "\nCode Page=windows-1252\n", "\n[Quillon:SuppressedMsgs]\nRestoreCount=0\n"}) {
        EXPECT_TRUE(first.out.contains(QString::fromLatin1(line))) << line;
    }
    const QString file = QString::fromUtf8(quillon::test::ReadBytes(OptionsPath()));
    EXPECT_TRUE(file.contains("[Quillon:Margins]\nLeft=0.500\nRight=0.500\nTop=1.000\nBottom=1.000\nBinder=0.750\n"));
    const QString logText = QString::fromUtf8(quillon::test::ReadBytes(quillon::model::DiagLog::Default().path()));
    EXPECT_TRUE(logText.contains(" | Open OUTPUT " + OptionsPath() + "\n"));

    // A second run reads back the same values and leaves the file as it was.
    EXPECT_EQ(Cli({"options"}).out, first.out);
    EXPECT_EQ(QString::fromUtf8(quillon::test::ReadBytes(OptionsPath())), file);
    // Even a usage error of a subcommand comes after the options are in place.
    QFile::remove(OptionsPath());
    EXPECT_EQ(Cli({"files"}).code, 2);
    EXPECT_TRUE(QFile::exists(OptionsPath()));
}

TEST_F(CliOptions, SetWritesOneValueAndShowsWhatItReadsAs)
{
    CliRun run = Cli({"options", "set", "Output", "font size", "12"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "[Quillon:Output]\nFont Size=12.000\n");
    EXPECT_TRUE(QString::fromUtf8(quillon::test::ReadBytes(OptionsPath())).contains("\nFont Size=12\n"));

    run = Cli({"options", "set", "Quillon:Output", "Aggregate", "all"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "[Quillon:Output]\nAggregate=None\n");
    EXPECT_EQ(run.err, "quillon: note: \"all\" reads as \"None\"\n");

    EXPECT_EQ(Cli({"options", "set", "Output", "Nope", "1"}).code, 2);
    EXPECT_EQ(Cli({"options", "set", "Output", "Font Size"}).code, 2);
    EXPECT_EQ(Cli({"options", "set", "ProjectInfo", "Version", "9"}).code, 2) << "written by the program only";
    EXPECT_TRUE(Cli({"options"}).out.contains("\nFont Size=12.000\n"));
}

TEST_F(CliOptions, TheCodePageOptionAppliesUnlessTheCommandLineNamesOne)
{
    const QString path = fx.write("greek.bas", "Attribute VB_Name = \"mod\xC1\xE2\"\r\n");
    ASSERT_EQ(Cli({"options", "set", "IDE", "Code Page", "windows-1253"}).code, 0);
    EXPECT_TRUE(Cli({"routines", path}).out.endsWith(QString::fromUtf8("\tmodΑβ\n")));
    EXPECT_TRUE(Cli({"routines", path, "--codepage", "1252"}).out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
    ASSERT_EQ(Cli({"options", "set", "IDE", "Code Page", "ebcdic"}).code, 0);
    const CliRun run = Cli({"routines", path});
    EXPECT_TRUE(run.out.endsWith(QString::fromUtf8("\tmodÁâ\n")));
    EXPECT_TRUE(run.err.contains("unknown code page \"ebcdic\"; windows-1252 applies"));
}

TEST_F(CliOptions, SpoolShowsTheLimitAndEstimateStoresANewOne)
{
    EXPECT_EQ(Cli({"spool"}).out, "GDISpoolSize\t0\n");
    const CliRun first = Cli({"spool", "estimate"});
    ASSERT_EQ(first.code, 0) << qPrintable(first.err);
    const QStringList lines = first.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << "no note when the old value was 0: " << qPrintable(first.out);
    EXPECT_TRUE(lines[0].startsWith("memory\t"));
    EXPECT_TRUE(lines[1].startsWith("disk\t"));
    EXPECT_TRUE(lines[2].startsWith("descriptors\t"));
    const int value = lines[3].section('\t', 1).toInt();
    EXPECT_GE(value, 475);
    EXPECT_LE(value, 7600);
    EXPECT_EQ(Cli({"spool"}).out, "GDISpoolSize\t" + QString::number(value) + "\n") << "stored in the options file";

    ASSERT_EQ(Cli({"options", "set", "Output", "GDISpoolSize", "9999"}).code, 0);
    const CliRun moved = Cli({"spool", "estimate"});
    EXPECT_TRUE(moved.out.contains("GDI Spool Size recalibrated from 9999 to ")) << qPrintable(moved.out);
    EXPECT_EQ(Cli({"spool", "now"}).code, 2);
}

TEST_F(CliOptions, MessagesAreListedAndRestored)
{
    QDir().mkpath(fx.path("appdata/Quillon"));
    fx.write("appdata/Quillon/QLN.spi",
             "[Quillon:SuppressedMsgs]\r\nRestoreCount=3\r\nsMsg0=A (Click 0 - Ok) (Always)\r\n"
             "sMsg1=B (Click 1 - No) (Session)\r\nsMsg2=C (Click 1 - No) (Always)\r\n");
    // The session-only record ends with the run that made it.
    CliRun run = Cli({"messages"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "0\tA (Click 0 - Ok) (Always)\n1\tC (Click 1 - No) (Always)\n");
    run = Cli({"messages", "restore", "1"});
    EXPECT_EQ(run.out, "restored: C (Click 1 - No) (Always)\n");
    EXPECT_EQ(Cli({"messages"}).out, "0\tA (Click 0 - Ok) (Always)\n");
    EXPECT_EQ(Cli({"messages", "restore", "5"}).code, 2);
    EXPECT_EQ(Cli({"messages", "restore", "all"}).out, "restored: A (Click 0 - Ok) (Always)\n");
    EXPECT_EQ(Cli({"messages"}).out, "");
    EXPECT_TRUE(Cli({"options"}).out.endsWith("[Quillon:SuppressedMsgs]\nRestoreCount=0\n"));
}

} // namespace

namespace {

QString WriteAnalysisProject(const Fixture& fx)
{
    fx.writeLines("A/modA.bas", {"Attribute VB_Name = \"modA\"",
                                 "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                                 "Public Sub Main()", "    Helper", "End Sub",
                                 "Private Function Helper() As Long", "    Helper = GetTickCount()", "End Function"});
    fx.writeLines("A/frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()",
                                    "    Call Helper", "End Sub"});
    return fx.writeLines("A/a.vbp", {"Module=modA; modA.bas", "Form=frmMain.frm", "Startup=\"Sub Main\""});
}

TEST(CliAnalysis, CallsDumpsTheIndexInItsOrder)
{
    Fixture fx;
    const CliRun run = Cli({"calls", WriteAnalysisProject(fx)});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, "ROUTINE\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\n"
                       "ROUTINE\tMODA|DECLARATIONS\n"
                       "ROUTINE\tMODA|MAIN\n"
                       "ROUTINE\tMODA|HELPER\n"
                       "CALLS\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\tMODA|HELPER\n"
                       "CALLS\tMODA|MAIN\tMODA|HELPER\n"
                       "CALLEDBY\tMODA|HELPER\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\n"
                       "CALLEDBY\tMODA|HELPER\tMODA|MAIN\n"
                       "API\tMODA|HELPER\tGetTickCount\n"
                       "DECLARE\tGETTICKCOUNT\tGetTickCount|kernel32|GetTickCount\n"
                       "EVENT\tFRMMAIN|EVENT HANDLER:CMDOK_CLICK\tClick Event: frmMain.frm|Event Handler:cmdOK_Click\n"
                       "STARTUP\tMODA|MAIN\n");
}

TEST(CliAnalysis, ReportsForKeysOrForEveryEligibleProcedure)
{
    Fixture fx;
    const QString vbp = WriteAnalysisProject(fx);
    const QString legendA = "File A = " + fx.path("A/modA.bas") + "|modA";
    CliRun run = Cli({"report", vbp, "moda|helper", "--tab-width", "2"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "=== MODA|HELPER\nCalled by:\n\n"
                       "[ZRK-UL]File A|Private Sub Event Handler:cmdOK_Click\n"
                       "[ZRK-V][ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click\n"
                       "[ZRK-L]File B|Public Sub Main\n"
                       "[ZRK-X][ZRK-X]Program Startup\n\nCalls:\n\n[ZRK-X]API: GetTickCount (kernel32)\n\nFiles:\n"
                       "  File A = " + fx.path("A/frmMain.frm") + "|frmMain\n  File B = " + fx.path("A/modA.bas") + "|modA\n");
    // Every eligible procedure, in index order: the handler, Main and Helper.
    run = Cli({"report", vbp});
    EXPECT_EQ(run.out.count("=== "), 3);
    EXPECT_TRUE(run.out.startsWith("=== FRMMAIN|EVENT HANDLER:CMDOK_CLICK\n"));
    EXPECT_TRUE(run.out.contains("\n=== MODA|MAIN\nCalled by:\n\n[ZRK-X]Program Startup\n\nCalls:\n\n"
                                 "[ZRK-X]File A|Private Function Helper\n[ZRK-X][ZRK-X]API: GetTickCount (kernel32)\n"
                                 "\nFiles:\n    " + legendA + "\n"));
    run = Cli({"report", vbp, "MODA|NOPE", "MODA|MAIN"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out.count("=== "), 1);
    EXPECT_TRUE(run.err.contains("no routine \"MODA|NOPE\""));
    EXPECT_EQ(Cli({"report", vbp, "--tab-width", "0"}).code, 2);
    EXPECT_EQ(Cli({"report", fx.path("A/modA.bas")}).code, 2);
}

TEST(CliAnalysis, BracketsListsARangeOfASourceFile)
{
    Fixture fx;
    const QString path = fx.writeLines("loop.bas", {"Sub Go()", "    For i = 1 To 3", "        x = i", "    Next i",
                                                    "    End If", "End Sub"});
    CliRun run = Cli({"brackets", path});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "Sub Go()\n  [ZRK-UL]For i = 1 To 3\n  [ZRK-V]    x = i\n  [ZRK-L]Next i\n"
                       "'*** Unbalanced block: End If has no matching If...Then ***\n    End If\nEnd Sub\n");
    run = Cli({"brackets", path, "2", "3"});
    EXPECT_EQ(run.out, "  [ZRK-UL]For i = 1 To 3\n  [ZRK-V]    x = i\n"
                       "'*** Unbalanced block: FOR opened but never closed - missing Next ***\n");
    EXPECT_EQ(Cli({"brackets", path, "2"}).code, 2);
    EXPECT_EQ(Cli({"brackets", path, "x", "3"}).code, 2);
    EXPECT_EQ(Cli({"brackets", fx.path("none.bas")}).code, 1);
}

} // namespace

namespace {

TEST(CliAnalysis, SymbolsDumpsEachFileThenTheUnionsThenByRef)
{
    Fixture fx;
    fx.writeLines("S/modA.bas", {"Attribute VB_Name = \"modA\"", "Public Const MAX_ITEMS = 10", "Public gCount As Long",
                                 "Private mName$", "Public Sub Add(ByRef n As Long, ByVal s As String)", "End Sub",
                                 "Private Function Peek() As Long", "End Function"});
    fx.writeLines("S/modB.bas", {"Attribute VB_Name = \"modB\"", "Const MAX_ITEMS = 20", "Sub Add(x As Long)", "End Sub"});
    const QString vbp = fx.writeLines("S/s.vbp", {"Module=modB; modB.bas", "Module=modA; modA.bas"});
    const CliRun run = Cli({"symbols", vbp});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    const QString a = model::UCase(fx.path("S/modA.bas"));
    const QString b = model::UCase(fx.path("S/modB.bas"));
    EXPECT_EQ(run.out, "CONST\tmodA.bas\tMAX_ITEMS\nGLOBAL\tmodA.bas\tGCOUNT\nMODVAR\tmodA.bas\tMNAME\n"
                       "PROC\tmodA.bas\tADD\nPROC\tmodA.bas\tPEEK\n"
                       "CONST\tmodB.bas\tMAX_ITEMS\nPROC\tmodB.bas\tADD\n"
                       "ALLCONST\t\tMAX_ITEMS\nALLGLOBAL\t\tGCOUNT\nALLPROC\t\tADD\nALLPROC\t\tPEEK\n"
                       "BYREF\t" + a + "|ADD\tN\nBYREF\t" + b + "|ADD\t\n");
}

} // namespace

#include "platform/RecordingPrintSurface.h"

namespace {

TEST(CliPrint, HighlightDumpsTheSegmentsOfEveryLine)
{
    Fixture fx;
    const QString path = fx.writeLines("H/modH.bas", {
        "Attribute VB_Name = \"modH\"",      // 1
        "Private mCount As Long",            // 2
        "",                                  // 3
        "Sub Add(ByRef n As Long)",          // 4
        "\tn = n + mCount ' \"add\"",        // 5
        "End Sub"});                         // 6
    CliRun run = Cli({"highlight", path, "--tab-width", "2"});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, "1\t1-20:0 21-26:7\n"
                       "2\t1-8:0 9-14:4 15-22:0\n"
                       "3\t\n"
                       "4\t1-4:0 5-7:6 8-14:0 15-15:5 16-24:0\n"
                       "5\t1-2:0 3-3:5 4-6:0 7-7:5 8-10:0 11-16:4 17-17:0 18-24:1\n"
                       "6\t1-7:0\n");
    // With another tab width the columns move.
    EXPECT_TRUE(Cli({"highlight", path, "--tab-width", "4"}).out.contains("\n5\t1-4:0 5-5:5 "));
    EXPECT_EQ(Cli({"highlight", path, "--tab-width", "99"}).code, 2);
    EXPECT_EQ(Cli({"highlight", fx.path("none.bas")}).code, 1);
}

// Runs a printing command on a recording surface and hands back what it drew.
CliRun ListingRun(const QStringList& args, std::vector<quillon::platform::RecordingPrintSurface::Op>& ops)
{
    std::shared_ptr<std::vector<quillon::platform::RecordingPrintSurface::Op>> sink =
        std::make_shared<std::vector<quillon::platform::RecordingPrintSurface::Op>>();
    struct Keeping : quillon::platform::RecordingPrintSurface {
        std::shared_ptr<std::vector<Op>> sink;
        ~Keeping() override { *sink = ops; }
    };
    quillon::app::CliServices services;
    services.createPrintSurface = [sink] {
        auto surface = std::make_unique<Keeping>();
        surface->sink = sink;
        return std::unique_ptr<quillon::platform::IPrintSurface>(std::move(surface));
    };
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunCli(args, out, err, services);
    ops = *sink;
    return {code, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

TEST(CliPrint, ImagePrintsOneFormAndPrintDrawsTheFormsOfTheProject)
{
    Fixture fx;
    const QString form = fx.writeLines("frmA.frm", {"VERSION 5.00", "Begin VB.Form frmA", "   Caption = \"Orders\"",
                                                    "   ClientHeight = 3600", "   ClientWidth = 4800",
                                                    "   Begin VB.CommandButton cmdGo", "      Caption = \"Go\"",
                                                    "      Height = 375", "      Left = 120", "      Top = 120",
                                                    "      Width = 1215", "      Index = 3", "   End",
                                                    "   Begin VB.Menu mnuFile", "      Caption = \"&File\"", "   End", "End",
                                                    "Attribute VB_Name = \"frmA\"", "Private Sub cmdGo_Click(Index As Integer)",
                                                    "End Sub"});
    std::vector<quillon::platform::RecordingPrintSurface::Op> ops;
    auto texts = [&ops] {
        QStringList all;
        for (const auto& op : ops) {
            if (op.kind == quillon::platform::RecordingPrintSurface::Op::Kind::Text)
                all << op.text;
        }
        return all;
    };
    CliRun run = ListingRun({"image", form, "-o", fx.path("a.pdf")}, ops);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, fx.path("a.pdf") + "\t2 pages\n") << "the layer and the menu tree";
    EXPECT_TRUE(texts().contains("frmA.frm|Image - Layer 1 of 1"));
    EXPECT_TRUE(texts().contains("cmdGo(3)"));
    EXPECT_TRUE(texts().contains("Orders"));
    EXPECT_TRUE(texts().contains("frmA.frm|Image - Menu Tree (cont.)"));

    const QString module = fx.writeLines("modB.bas", {"Attribute VB_Name = \"modB\"", "Sub Main()", "End Sub"});
    run = ListingRun({"image", module, "-o", fx.path("b.pdf")}, ops);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("it is not a form file")) << qPrintable(run.err);
    EXPECT_EQ(ListingRun({"image", fx.path("none.frm")}, ops).code, 1);
    EXPECT_EQ(ListingRun({"image"}, ops).code, 2);

    // The main job draws every form of the project where its Image routine stands in the queue.
    const QString vbp = fx.writeLines("p.vbp", {"Form=frmA.frm", "Module=modB; modB.bas"});
    run = ListingRun({"print", vbp, "-o", fx.path("p.pdf")}, ops);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    const QStringList printed = texts();
    const qsizetype image = printed.indexOf("frmA.frm|Image - Layer 1 of 1");
    ASSERT_GE(image, 0);
    EXPECT_LT(printed.indexOf("frmA.frm|Layout"), image) << "in procedure-list order: Layout, Image, Declarations";
    EXPECT_TRUE(run.err.contains("procedures sent to a file-based printer"));
}

TEST(CliPrint, ListingPrintsTheFileThroughTheFrame)
{
    Fixture fx;
    QStringList lines{"Attribute VB_Name = \"modL\"", "Sub Main()"};
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("    x = %1").arg(i);
    lines << "    s = \"" + QString(150, QLatin1Char('y')) + "\"" << "End Sub";
    const QString path = fx.writeLines("modL.bas", lines);
    std::vector<quillon::platform::RecordingPrintSurface::Op> ops;
    const QString pdf = fx.path("out.pdf");
    CliRun run = ListingRun({"listing", path, "-o", pdf, "--long-lines", "truncate"}, ops);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    QStringList texts;
    int pages = 1;
    for (const auto& op : ops) {
        if (op.kind == quillon::platform::RecordingPrintSurface::Op::Kind::Text)
            texts << op.text;
        pages = std::max(pages, op.page);
    }
    EXPECT_EQ(run.out, pdf + "\t" + QString::number(pages) + " pages\n");
    EXPECT_TRUE(texts.contains("modL.bas"));
    EXPECT_TRUE(texts.contains("modL.bas (cont.)"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Page 1 of %1 (est)").arg(pages)));
    EXPECT_TRUE(texts.contains(QStringLiteral("    x = 119")));
    EXPECT_TRUE(texts.join("|").contains(" ..."));
    EXPECT_TRUE(run.err.isEmpty()) << qPrintable(run.err);

    for (const QStringList& bad : QList<QStringList>{{"--paper", "a4"}, {"--margins", "1,2,3"}, {"--printer", "Nope"},
                                                    {"--duplex", "--simplex"}, {"--long-lines", "maybe"},
                                                    {"--binding", "9"}, {"--size", "big"}}) {
        EXPECT_EQ(ListingRun(QStringList{"listing", path, "-o", pdf} + bad, ops).code, 2) << qPrintable(bad.join(' '));
    }
    EXPECT_EQ(ListingRun({"listing", fx.path("none.bas"), "-o", pdf}, ops).code, 1);
    EXPECT_EQ(ListingRun({"listing", path, "--printer", "Office Laser", "-o", pdf}, ops).code, 2)
        << "-o needs a PDF target";
}

} // namespace

namespace {

QString ToolOutput(const QString& tool, const QStringList& args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(QuillonProgram, ListingWritesAPdfWithItsFrame)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        GTEST_SKIP() << "poppler-utils are not installed";
    }
    Fixture fx;
    QStringList lines{"Attribute VB_Name = \"modLong\"", "Sub Main()"};
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("    total = total + %1 ' step %1").arg(i);
    lines << "End Sub";
    const QString source = fx.writeLines("modLong.bas", lines);
    const QString pdf = fx.path("out.pdf");
    const Process run = RunQuillon({"listing", source, "-o", pdf});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    EXPECT_EQ(QString::fromUtf8(run.out), pdf + "\t4 pages\n");
    EXPECT_TRUE(ToolOutput(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression("Pages:\\s+4\\n")));
    const QString text = ToolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    // The footer's count is an estimate from the lines and the page height; the pages are 4.
    EXPECT_TRUE(text.contains(QRegularExpression("Page 1 of \\d+ \\(est\\)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page 4 of ")));
    for (const char* expected : {"modLong.bas", "modLong.bas (cont.)", "Version " QUILLON_VERSION,
                                 "Printed with Quillon (c) 2026 Tandrel", "total = total + 149 ' step 149"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected;
    EXPECT_TRUE(text.contains(QRegularExpression("\\d+/\\d+/\\d\\d \\d+:\\d\\d [ap]m"))) << "the print date";
    const QString check = ToolOutput(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
        EXPECT_TRUE(check.contains(QStringLiteral("No syntax or stream encoding errors"))) << qPrintable(check);
    }
}

} // namespace

namespace {

TEST_F(CliOptions, PrintListsTheQueueAndKeepsTheHistoryForTheTableOfContents)
{
    fx.writeLines("T/modA.bas", {"Attribute VB_Name = \"modA\"", "Sub Main()", "    Helper", "End Sub",
                                 "Sub Helper()", "    x = 1", "End Sub"});
    fx.writeLines("T/modB.bas", {"Attribute VB_Name = \"modB\"", "Sub Other()", "End Sub"});
    const QString vbp = fx.writeLines("T/t.vbp", {"Module=modA; modA.bas", "Module=modB; modB.bas", "Startup=\"Sub Main\""});
    std::vector<quillon::platform::RecordingPrintSurface::Op> ops;

    CliRun run = ListingRun({"print", vbp, "--files", "MODA.BAS", "--deps", "--list"}, ops);
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, "modA.bas|Public Sub Declarations\nmodA.bas|Public Sub Main\nmodA.bas|Public Sub Helper\n"
                       "modA.bas|Public Sub Helper|Dep\nmodA.bas|Public Sub Main|Dep\n");
    run = ListingRun({"print", vbp, "--routines", "moda|helper", "--only-deps", "--list"}, ops);
    EXPECT_EQ(run.out, "modA.bas|Public Sub Helper|Dep\n");
    EXPECT_EQ(ListingRun({"print", vbp, "--routines", "moda|nope", "--list"}, ops).code, 1);

    // Before any print the entries are unprinted; after one, Main has its history.
    run = ListingRun({"toc", vbp, "--text"}, ops);
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.out.contains("Note: Page count and date range exclude procedures not printed yet."));
    run = ListingRun({"print", vbp, "--files", "modA.bas", "--duplex", "-o", fx.path("doc.pdf")}, ops);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains("3 procedures sent to a file-based printer (Recording PDF)."));
    run = ListingRun({"toc", vbp, "--text", "--no-notes"}, ops);
    const qsizetype main = run.out.indexOf("Public Sub Main\n");
    ASSERT_GE(main, 0) << qPrintable(run.out);
    EXPECT_TRUE(run.out.mid(main).section('\n', 1, 1).contains(QRegularExpression("Last Printed: \\d+/\\d+/\\d\\d .*Total Pages: 2D")))
        << qPrintable(run.out.mid(main, 200));
    EXPECT_FALSE(run.out.contains("Note:")) << "--no-notes";
    EXPECT_TRUE(run.out.contains("[ZRK-N]"));
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_TOC_*", "QLN_DEP_*"}).isEmpty());

    // A second run, simplex, of one routine of the other file: both histories show, and what
    // was never printed keeps N/A and brings the note back.
    run = ListingRun({"print", vbp, "--routines", "modb|other", "--simplex", "-o", fx.path("other.pdf")}, ops);
    ASSERT_EQ(run.code, 0) << qPrintable(run.err);
    run = ListingRun({"toc", vbp, "--text"}, ops);
    const qsizetype other = run.out.indexOf("Public Sub Other\n");
    ASSERT_GE(other, 0) << qPrintable(run.out);
    EXPECT_TRUE(run.out.mid(other).section('\n', 1, 1).contains("Total Pages: 1S")) << qPrintable(run.out.mid(other, 200));
    EXPECT_TRUE(run.out.mid(run.out.indexOf("Public Sub Main\n")).section('\n', 1, 1).contains("Total Pages: 2D"));
    const qsizetype fileB = run.out.indexOf("modB.bas (");
    ASSERT_GE(fileB, 0) << qPrintable(run.out);
    EXPECT_TRUE(run.out.mid(fileB).section('\n', 2, 2).contains("Last Printed: N/A")) << qPrintable(run.out.mid(fileB, 300));
    EXPECT_TRUE(run.out.contains("Note: Page count and date range exclude procedures not printed yet."));
}

} // namespace

namespace {

TEST(QuillonProgram, ASplitRunIsCombinedIntoOneFileWithTheSamePages)
{
    if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
        GTEST_SKIP() << "qpdf is not installed";
    }
    Fixture fx;
    const QString vbp = QDir(QStringLiteral(QUILLON_EXAMPLES)).absoluteFilePath("inventory/Inventory.vbp");
    const QString whole = fx.path("whole.pdf");
    const QString split = fx.path("split.pdf");
    const Process one = RunQuillon({"print", vbp, "--deps", "-o", whole});
    ASSERT_EQ(one.code, 0) << one.err.constData();
    const Process parts = RunQuillon({"print", vbp, "--deps", "--spool", "500", "-o", split});
    ASSERT_EQ(parts.code, 0) << parts.err.constData();
    EXPECT_TRUE(parts.err.contains("output part files were combined into:"));
    const QString pagesWhole = ToolOutput(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), whole}).trimmed();
    EXPECT_FALSE(pagesWhole.isEmpty());
    EXPECT_EQ(ToolOutput(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), split}).trimmed(), pagesWhole);
    EXPECT_EQ(QDir(fx.path()).entryList(QDir::Files), (QStringList{"split.pdf", "whole.pdf"})) << "no part is left";
}

} // namespace
