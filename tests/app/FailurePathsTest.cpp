// The command line where a user's files or a script's trust are at stake: unusable options
// files, outputs that cannot be written, interrupted and failed combining, hostile inputs.
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillon::test;

namespace {

const QString kInventory = QStringLiteral(QUILLON_EXAMPLES "/inventory/Inventory.vbp");

// Each test has application-data and temporary folders of its own.
class FailurePaths : public ::testing::Test {
protected:
    Fixture fx_;
    QByteArray savedAppData_ = qgetenv("APPDATA");
    void SetUp() override { useAppData(fx_.path("appdata")); }
    void TearDown() override { qputenv("APPDATA", savedAppData_); }
    void useAppData(const QString& folder) { qputenv("APPDATA", QFile::encodeName(folder)); }

    QString writeProject(const QString& folder)
    {
        fx_.writeLines(folder + "/modA.bas", {"Attribute VB_Name = \"modA\"", "Sub Main()", "    x = 1", "End Sub"});
        return fx_.writeLines(folder + "/App.vbp", {"Module=modA; modA.bas"});
    }

    QProcessEnvironment environment(const QString& extraPath = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("APPDATA", fx_.path("appdata"));
        env.insert("TEMP", fx_.path("temp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (!extraPath.isEmpty())
            env.insert("PATH", extraPath + ":" + env.value("PATH"));
        QDir().mkpath(fx_.path("temp"));
        return env;
    }

    // A stand-in for qpdf, found on the search path before the real one.
    QString fakeCombineTool(const QByteArray& body)
    {
        const QString tool = fx_.write("tools/qpdf", "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner);
        return fx_.path("tools");
    }
};

TEST_F(FailurePaths, AnUnusableOptionsFileStopsTheCommandsThatNeedItAndNamesIt)
{
    const QString vbp = writeProject("P");
    // The options file is a folder, a FIFO, or its folder cannot be made.
    const QString folder = fx_.path("appdata-folder");
    const QString fifo = fx_.path("appdata-fifo");
    const QString blocked = fx_.write("appdata-blocked", "a file where the folder should be");
    QDir().mkpath(folder + "/Quillon/QLN.spi");
    QDir().mkpath(fifo + "/Quillon");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo + "/Quillon/QLN.spi").constData(), 0600), 0);
    const std::pair<QString, QString> cases[] = {
        {folder, "it is a folder"}, {fifo, "not a regular file"}, {blocked, "cannot create the folder " + blocked + "/Quillon"}};
    for (const auto& [appData, reason] : cases) {
        SCOPED_TRACE(qPrintable(appData));
        useAppData(appData);
        const QString path = appData + "/Quillon/QLN.spi";
        for (const QStringList& args : {QStringList {"options"}, QStringList {"options", "set", "Output", "Duplex", "True"}, QStringList {"messages"},
                 QStringList {"spool", "estimate"}, QStringList {"toc", vbp, "--text"}, QStringList {"print", vbp, "-o", fx_.path("o.pdf")}}) {
            const CliRun run = cli(args);
            EXPECT_EQ(run.code, 1) << qPrintable(args.join(' '));
            EXPECT_EQ(run.err, "quillon: cannot use the options file \"" + path + "\": " + reason + "\n");
            EXPECT_TRUE(run.out.isEmpty());
        }
        EXPECT_FALSE(QFileInfo::exists(fx_.path("o.pdf")));
        // A dump needs no stored option: it goes on with the defaults.
        const CliRun dump = cli({"files", vbp});
        EXPECT_EQ(dump.code, 0);
        EXPECT_TRUE(dump.err.startsWith("quillon: note: cannot use the options file \"" + path + "\": " + reason + "; the defaults apply\n"));
    }
}

TEST_F(FailurePaths, AnOptionThatCannotBeStoredIsAFailureAndTheFileStaysWhole)
{
    ASSERT_EQ(cli({"options"}).code, 0);
    const QString path = fx_.path("appdata/Quillon/QLN.spi");
    const QByteArray before = readBytes(path);
    ASSERT_GT(before.size(), 200);
    const QString cannot = "quillon: cannot write the options file \"" + path + "\": ";
    FileSizeLimit small(100);
    const CliRun set = cli({"options", "set", "Output", "Duplex", "True"});
    EXPECT_EQ(set.code, 1);
    EXPECT_TRUE(set.err.endsWith(cannot + "the option was not changed\n")) << qPrintable(set.err);
    const CliRun spool = cli({"spool", "estimate"});
    EXPECT_EQ(spool.code, 1);
    EXPECT_TRUE(spool.err.endsWith(cannot + "the estimate was not stored\n")) << qPrintable(spool.err);
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(FailurePaths, PrintTocAndInsightExitOneWhenThereIsNothingToDoOrNowhereToWrite)
{
    const QString vbp = writeProject("P");
    const QString empty = fx_.writeLines("E/Empty.vbp", {"Type=Exe"});
    const QString missing = fx_.path("missing/doc.pdf");
    struct Case {
        QStringList args;
        QString error; // the last line on stderr before the summary of the messages met
        QString summary;
    };
    const std::vector<Case> cases = {
        {{"print", vbp, "--files", "other.bas"}, "quillon: no procedures to print", "Quillon: answered OK 1 time\n"},
        {{"print", vbp, "--routines", "modA|Nope"}, "quillon: no procedures were added to the print queue", "Quillon: answered OK 1 time\n"},
        {{"print", vbp, "-o", missing}, "quillon: cannot write \"" + missing + "\": the folder \"" + fx_.path("missing") + "\" does not exist", ""},
        {{"insight", vbp, "-o", missing}, "quillon: cannot write \"" + missing + "\": the folder \"" + fx_.path("missing") + "\" does not exist", ""},
        {{"listing", fx_.path("P/modA.bas"), "-o", "/proc/quillon.pdf"}, "quillon: cannot write \"/proc/quillon.pdf\": No such file or directory", ""},
        {{"toc", empty, "--text"}, "quillon: No TOC data found.", "TOC Notes: answered No 1 time\nTable of Contents: answered OK 1 time\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.endsWith(c.error + "\n" + c.summary)) << qPrintable(run.err.right(300));
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(fx_.path("missing")));
}

// Standard output that cannot take the dump: a full disk, a reader that went away. The dump is
// larger than a pipe holds, so the reader is gone before it has been written.
TEST_F(FailurePaths, AFailedWriteToStandardOutputIsAFailure)
{
    QStringList lines {"Attribute VB_Name = \"modBig\""};
    for (int i = 0; i < 1500; ++i)
        lines << QStringLiteral("Sub Routine%1()").arg(i) << "End Sub";
    const QString big = fx_.writeLines("modBig.bas", lines);
    for (const bool closedPipe : {false, true}) {
        SCOPED_TRACE(closedPipe ? "closed pipe" : "full disk");
        QProcess run;
        QProcess reader; // takes nothing and ends at once
        run.setProcessEnvironment(environment());
        if (closedPipe) {
            run.setStandardOutputProcess(&reader);
            reader.start("true");
        } else {
            run.setStandardOutputFile("/dev/full");
        }
        run.start(builtFile("src/app/quillon"), {"routines", big});
        ASSERT_TRUE(run.waitForFinished(30000));
        reader.waitForFinished();
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << "not killed by SIGPIPE";
        EXPECT_EQ(run.exitCode(), 1);
        EXPECT_TRUE(run.readAllStandardError().endsWith(
            QByteArray("quillon: cannot write to standard output: ") + (closedPipe ? "Broken pipe" : "No space left on device") + "\n"));
    }
}

// Interrupted while qpdf combines the parts: the parts, the work files, the reports in the
// temporary folder and the tool itself are gone; the user's earlier document is untouched.
TEST_F(FailurePaths, AnInterruptedSplitRunLeavesTheEarlierOutputAsItWas)
{
    const QString tools = fakeCombineTool("echo $$ > \"$QUILLON_TEST_READY.tmp\" && mv \"$QUILLON_TEST_READY.tmp\" "
                                          "\"$QUILLON_TEST_READY\"\nexec sleep 600");
    for (const auto& [signal, code] : {std::pair {SIGINT, 130}, std::pair {SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        const QString out = fx_.write(QStringLiteral("out%1/doc.pdf").arg(signal), "the earlier documentation");
        const QString ready = fx_.path(QStringLiteral("ready%1").arg(signal));
        QProcessEnvironment env = environment(tools);
        env.insert("QUILLON_TEST_READY", ready);
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(builtFile("src/app/quillon"), {"print", kInventory, "--deps", "--spool", "500", "-o", out});
        ASSERT_TRUE(run.waitForStarted());
        const QDeadlineTimer deadline(60000);
        while (!QFileInfo::exists(ready) && run.state() == QProcess::Running && !deadline.hasExpired())
            run.waitForFinished(20);
        ASSERT_TRUE(QFileInfo::exists(ready)) << run.readAllStandardError().constData();
        const pid_t tool = pid_t(readBytes(ready).trimmed().toInt());
        ASSERT_GT(tool, 1);
        ::kill(pid_t(run.processId()), signal);
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), code);
        EXPECT_EQ(QDir(QFileInfo(out).path()).entryList(QDir::Files | QDir::Hidden), QStringList {"doc.pdf"});
        EXPECT_EQ(readBytes(out), "the earlier documentation");
        EXPECT_EQ(QDir(fx_.path("temp")).entryList({"QLN_*"}, QDir::Files), QStringList());
        EXPECT_TRUE(waitForProcessEnd(tool, 10000)) << "the combining tool was ended";
        ::kill(tool, SIGKILL);
    }
}

// qpdf fails: the run fails, the parts stay as the output and are named, and the user's earlier
// document is untouched (every way combining fails is tested with the combiner itself).
TEST_F(FailurePaths, AFailedCombineKeepsThePartsAndExitsOne)
{
    const QString out = fx_.write("out/doc.pdf", "earlier");
    const Process run =
        runProgram(builtFile("src/app/quillon"), {"print", kInventory, "--deps", "--spool", "500", "-o", out}, environment(fakeCombineTool("exit 2")));
    const QString err = QString::fromUtf8(run.err);
    EXPECT_EQ(std::tuple(run.code, err.contains("PDF Combine Failed"), err.contains("The combining tool ended with exit code 2."), readBytes(out)),
        std::tuple(1, true, true, QByteArray("earlier")))
        << qPrintable(err.right(500));
    const QStringList parts = QDir(fx_.path("out")).entryList({"doc_QLNTemp*.pdf"}, QDir::Files, QDir::Name);
    ASSERT_GE(parts.size(), 2);
    EXPECT_TRUE(err.contains(fx_.path("out/") + parts.last())) << "the parts are named";
    EXPECT_EQ(QDir(fx_.path("out")).entryList(QDir::Files).size(), parts.size() + 1) << "no work file is left";
}

// A FIFO named as the output of a split run gets the whole document; nothing is renamed over it.
TEST_F(FailurePaths, AnOutputThatIsNoRegularFileIsWrittenNotReplaced)
{
    const QString pipe = fx_.path("doc.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess reader;
    reader.setStandardOutputFile(fx_.path("received.pdf"));
    reader.start("cat", {pipe});
    const Process run = runProgram(builtFile("src/app/quillon"), {"print", kInventory, "--spool", "500", "-o", pipe}, environment());
    reader.waitForFinished();
    EXPECT_EQ(run.code, 0) << run.err.constData();
    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(readBytes(fx_.path("received.pdf")).startsWith("%PDF-"));
    EXPECT_EQ(QDir(fx_.path()).entryList(QDir::Files | QDir::System), (QStringList {"doc.pdf", "received.pdf"}));
}

// FIFOs and devices named by a project or on the command line are refused at once.
TEST_F(FailurePaths, FifosAndDevicesNeverBlockAReader)
{
    const QString vbp = writeProject("P");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fx_.path("P/pipe.bas")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", fx_.path("P/zero.bas")));
    fx_.writeLines("P/App.vbp", {"Module=modA; modA.bas", "Module=Pipe; pipe.bas", "Module=Zero; zero.bas"});
    const QString notes = "quillon: note: skipped \"Module=Pipe; pipe.bas\": \"" + fx_.path("P/pipe.bas")
        + "\" is not a regular file\nquillon: note: skipped \"Module=Zero; zero.bas\": \"" + fx_.path("P/zero.bas") + "\" is not a regular file\n";
    for (const char* command : {"routines", "symbols", "calls"}) {
        SCOPED_TRACE(command);
        const Process run = runProgram(builtFile("src/app/quillon"), {command, vbp}, environment(), 20000);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(QString::fromUtf8(run.err), notes);
        EXPECT_TRUE(run.out.contains("MODA") || run.out.contains("modA")) << run.out.constData();
    }
    for (const char* file : {"P/pipe.bas", "P/zero.bas"}) {
        const Process run = runProgram(builtFile("src/app/quillon"), {"routines", fx_.path(file)}, environment(), 20000);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(QString::fromUtf8(run.err), "quillon: cannot read \"" + fx_.path(file) + "\": not a regular file\n");
    }
}

TEST_F(FailurePaths, UnreadableProjectsAndSourcesAreToldByName)
{
    const QString vbp = writeProject("P");
    fx_.writeLines("P/modB.bas", {"Attribute VB_Name = \"modB\"", "Sub B()", "End Sub"});
    fx_.writeLines("P/App.vbp", {"Module=modA; modA.bas", "Module=modB; modB.bas"});
    QFile::setPermissions(fx_.path("P/modB.bas"), QFileDevice::Permissions());
    const QString locked = fx_.writeLines("L/Locked.vbp", {"Module=modA; ..\\P\\modA.bas"});
    QFile::setPermissions(locked, QFileDevice::Permissions());
    ObeyFilePermissions asUser;
    const CliRun source = cli({"routines", vbp});
    EXPECT_EQ(source.code, 0);
    EXPECT_EQ(source.err, "quillon: note: cannot read \"" + fx_.path("P/modB.bas") + "\": Permission denied\n");
    EXPECT_TRUE(source.out.startsWith("modA.bas\tDeclarations"));
    const CliRun project = cli({"files", locked});
    EXPECT_EQ(project.code, 1);
    EXPECT_EQ(project.err, "quillon: cannot read \"" + locked + "\": Permission denied\n");
}

// Files saved with CR alone and names beyond ASCII, in the code page the project was written in.
TEST_F(FailurePaths, CrOnlyFilesAndNonAsciiNames)
{
    fx_.writeLines(QString::fromUtf8("P/Módulo.bas"), {"Attribute VB_Name = \"Modulo\"", "Sub Uno()", "End Sub"}, "\r");
    fx_.writeLines(QString::fromUtf8("P/Fórm.frm"),
        {"VERSION 5.00", "Begin VB.Form frmF", "   Caption = \"Año\"", "   ClientWidth = 3000", "   ClientHeight = 2000", "End", "Attribute VB_Name = \"frmF\"",
            "Private Sub Form_Load()", "End Sub"},
        "\r");
    const QString vbp = fx_.writeLines("P/Cr.vbp", {QString::fromUtf8("Form=Fórm.frm"), QString::fromUtf8("Module=Modulo; Módulo.bas")}, "\r");
    CliRun run = cli({"files", vbp});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out,
        QString::fromUtf8("FRM\tFórm.frm\t") + fx_.path(QString::fromUtf8("P/Fórm.frm")) + QString::fromUtf8("\nBAS\tMódulo.bas\t")
            + fx_.path(QString::fromUtf8("P/Módulo.bas")) + "\n");
    run = cli({"routines", vbp});
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("Fórm.frm\tSub\tEvent Handler:Form_Load\t8\t8\t9\t"))) << qPrintable(run.out);

    // A Cyrillic name in a project written in windows-1251.
    fx_.write(QString::fromUtf8("C/Модуль.bas"), "Attribute VB_Name = \"Mod\"\r\nSub A()\r\nEnd Sub\r\n");
    const QString cyrillic = fx_.write("C/C.vbp", "Module=Mod; \xCC\xEE\xE4\xF3\xEB\xFC.bas\r\n");
    run = cli({"files", cyrillic, "--codepage", "windows-1251"});
    EXPECT_EQ(run.code, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QString::fromUtf8("BAS\tМодуль.bas\t") + fx_.path(QString::fromUtf8("C/Модуль.bas")) + "\n");
}

} // namespace
