#include "aids/BackupRestore.h"
#include "config/Ini.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::aids;
using namespace quillon::test;
using namespace quillon;

namespace {

// A working folder with its backups, and a module to back up.
struct Backups {
    Backups()
    {
        backups.askOverwrite = [this](const QString& path, int remaining, const QString& kind) {
            asked << QStringLiteral("%1 %2 %3").arg(model::fileNameOf(path)).arg(remaining).arg(kind);
            const OverwriteAnswer answer = answers.empty() ? OverwriteAnswer() : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        };
        int second = 0;
        backups.clock = [second]() mutable { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, second++)); };
    }
    model::RoutinePtr routine(const QString& path, const QString& name) const
    {
        for (const model::RoutinePtr& r : model::splitFileIntoRoutines(path))
            if (r->routineName == name)
                return r;
        return nullptr;
    }
    QStringList listed() const
    {
        QStringList lines;
        for (const BackupEntry& entry : backups.loadBackupList())
            lines << entry.backupName + QLatin1Char(' ') + backupListLine(entry).section(QLatin1Char(' '), 1);
        return lines;
    }
    QString entries() const { return ini.read("Index", "Entries", "", backups.indexPath()); }

    Fixture fx;
    config::IniStore ini {fx.path("opts.ini"), nullptr};
    EditBackups backups {fx.path("work"), ini, model::SourceReader::standard(), RtfColors {0x000000, 0x008000, 0x0000FF}};
    std::vector<OverwriteAnswer> answers;
    QStringList asked;
};

TEST(RtfBackup, LinesAreColouredAndEscapedAndABackupReadsBackAsExactlyTheLinesItWasMadeFrom)
{
    const struct {
        QString line, form;
    } rows[] = {
        {R"(x = "{a}" & y)", R"(\cf1 x = \cf1 "\cf3 \{a\}\cf1 "\cf1  & y)"},
        {"", R"(\cf1 )"},
        {"    ' note {x}", R"(\cf2     ' note \{x\})"},
        {R"(Rem c:\dir)", R"(\cf1 Rem c:\\dir)"},
        {R"(a = 1 ' it's "q")", R"(\cf1 a = 1 ' it's \cf1 "\cf3 q\cf1 "\cf1 )"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rtfLine(row.line), row.form) << row.line.toStdString();
    EXPECT_EQ(procedureRtf({"Sub A()", "End Sub"}, {0x000000, 0x008000, 0x0000FF}),
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}{\\colortbl;\\red0\\green0\\blue0;"
        "\\red0\\green128\\blue0;\\red255\\green0\\blue0;}\\f0\\fs20 \\cf1 Sub A()\\par\r\n\\cf1 End Sub\\par\r\n}");
    Backups b;
    const QStringList body = {"' {header}", "Sub Odd()", "", R"(    s = "\cf1 x" & "\\par")", R"(    p = "C:\temp\" ' }{)", "  }  ", "    t = \"é Ã©\"",
        R"(    u = "a\par)", "", "End Sub"};
    const QString path = b.fx.writeLines("src/Odd.bas", QStringList {"Attribute VB_Name = \"Odd\""} + body);
    ASSERT_TRUE(b.backups.backupProcedure(*b.routine(path, "Odd"), true, 1));
    EXPECT_EQ(b.backups.readRtfBackupLines(b.backups.backupFolder(false) + "Odd.rtf"), body);
    EXPECT_EQ(procedureBackupFileName("Event Handler:cmdOK_Click"), "Event Handler_cmdOK_Click.rtf");
    EXPECT_EQ(procedureBackupFileName("../..\\x/y"), "____x_y.rtf");
}

TEST(EditBackupsTest, AnExistingBackupIsOverwrittenOnlyWhenTheUserSaysSoThenListedOnceAndNumbersRunOut)
{
    Backups b;
    const QString form = b.fx.writeLines("src/Form1.frm", {"VERSION 5.00", "Attribute VB_Name = \"Form1\""});
    const QString other = b.fx.writeLines("other/Form1.frm", {"VERSION 5.00"});
    EXPECT_TRUE(b.backups.backupFile(form, true, 3));
    EXPECT_TRUE(b.asked.isEmpty());
    b.answers = {{false, false}};
    EXPECT_TRUE(b.backups.backupFile(other, true, 2));
    b.answers = {{true, true}};
    EXPECT_TRUE(b.backups.backupFile(form, true, 2));
    EXPECT_TRUE(b.backups.backupFile(other, true, 1)); // answered by "apply to all"
    EXPECT_EQ(b.asked, QStringList({"Form1.frm 2 file", "Form1.frm 2 file"}));
    EXPECT_EQ(readBytes(b.backups.backupFolder(false) + "Form1.frm"), readBytes(other));
    EXPECT_EQ(b.entries(), "Form1.frm|Form1 (1).frm");
    EXPECT_EQ(b.listed(), QStringList({"Form1.frm 09:05:03   [File]   " + other, "Form1 (1).frm 09:05:01   [File]   " + other}));
    b.backups.resetOverwriteMemory();
    EXPECT_TRUE(b.backups.backupFile(form, true, 1)); // asked again, answered No
    EXPECT_EQ(b.asked.size(), 3);
    EXPECT_EQ(b.entries(), "Form1.frm|Form1 (1).frm|Form1 (2).frm");

    QFile::remove(b.backups.backupFolder(false) + "Form1 (1).frm");
    b.backups.removeBackup("FORM1.FRM");
    EXPECT_EQ(b.entries(), "Form1 (1).frm|Form1 (2).frm") << "a missing file is skipped by the list, and stays in the index";
    EXPECT_EQ(b.listed().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(b.backups.backupFolder(false) + "Form1.frm"));
    EXPECT_FALSE(b.backups.backupFile(b.fx.path("src/gone.bas"), true, 1));
    for (int n = 0; n <= 9999; ++n) // names differing in case only are taken too
        b.fx.write(b.backups.backupFolder(false) + (n ? QStringLiteral("FORM1 (%1).FRM").arg(n) : "FORM1.FRM"), "");
    EXPECT_FALSE(b.backups.backupFile(form, true, 1)) << "no numbered name is left";
    EXPECT_EQ(b.entries(), "Form1 (1).frm|Form1 (2).frm");
}

// The restore window's work on one project: a module with two procedures.
struct Restore : Backups {
    Restore()
    {
        module = fx.writeLines("src/Calc.bas", {"Attribute VB_Name = \"Calc\"", "Sub Add()", "    a = 1", "End Sub", "Sub Sub2()", "End Sub"}, "\n");
        original = readBytes(module);
    }
    void edit(const QStringList& lines) { fx.writeLines("src/Calc.bas", lines, "\n"); }
    std::vector<BackupEntry> entries() const { return backups.loadBackupList(); }
    QString module;
    QByteArray original;
    BackupRestorer restorer {backups};
};

TEST(BackupRestoreTest, AFileRestoredKeepsACopyOfTheReplacedVersionUnderTheSameNameListedLast)
{
    Restore r;
    r.backups.backupFile(r.module, true, 1);
    r.backups.backupProcedure(*r.routine(r.module, "Add"), true, 1);
    r.edit({"changed"});
    const auto entries = r.entries();
    EXPECT_EQ(r.restorer.confirmationText(entries, {0}),
        "Restore " + r.module
            + "\r\nfrom the backup made 2026-12-07 09:05:00?\r\n\r\nThe current file will be overwritten.\r\n\r\n"
              "WARNING: there is at least one other pending backup for this same file (or for a procedure within it).  "
              "Restoring this backup may make that other backup's changes unavailable if it is restored afterward.");
    EXPECT_EQ(r.restorer.restoreChosen(entries, {0}), "Restored " + r.module + ".");
    EXPECT_EQ(readBytes(r.module), r.original);
    EXPECT_EQ(r.listed(), QStringList({"Add.rtf 09:05:01   [Procedure]   " + r.module + "  -  Add", "Calc.bas 09:05:02   [File]   " + r.module}));
    EXPECT_EQ(readBytes(r.backups.backupFolder(false) + "Calc.bas"), "changed\n");
}

// A restore that cannot write the file puts the backup back as the same backup, its time and its
// place in the list kept, under a free name beside the copy of the current version: restoring all
// afterwards still goes newest first and ends at the oldest version.
TEST(BackupRestoreTest, ABackupPutBackAfterAFailedRestoreKeepsItsTimeAndPlace)
{
    Restore r;
    r.edit({"Attribute VB_Name = \"Calc\"", "Sub Add()", "    a = 1", "End Sub", "' " + QString(3000, 'x')});
    const QByteArray large = readBytes(r.module);
    r.backups.backupFile(r.module, true, 1);
    r.backups.backupProcedure(*r.routine(r.module, "Add"), true, 1);
    r.edit({"changed"});
    {
        FileSizeLimit small(2000); // the index and the copy of "changed" fit, the large file not
        EXPECT_TRUE(r.restorer.restoreChosen(r.entries(), {0}).endsWith(") - the backup is kept as Calc (1).bas."));
    }
    EXPECT_EQ(r.listed(),
        QStringList({"Calc (1).bas 09:05:00   [File]   " + r.module, "Add.rtf 09:05:01   [Procedure]   " + r.module + "  -  Add",
            "Calc.bas 09:05:02   [File]   " + r.module}));
    r.restorer.keepCurrentVersion = false;
    EXPECT_TRUE(r.restorer.restoreChosen(r.entries(), {0, 1, 2}).startsWith("3 of 3 backup(s) restored."));
    EXPECT_EQ(readBytes(r.module), large);
}

TEST(BackupRestoreTest, AProcedureGoesBackInPlaceByKeyThenByNameElseAtTheEndWithAMarker)
{
    const QString renamed = "Attribute VB_Name = \"Calc2\""; // the key changes, the name stays
    const struct {
        QStringList current;
        bool located;
        QByteArray after;
    } rows[] = {
        {{"Attribute VB_Name = \"Calc\"", "Sub Add()", "    a = 2", "End Sub", "Sub Sub2()", "End Sub"}, true,
            "Attribute VB_Name = \"Calc\"\nSub Add()\n    a = 1\nEnd Sub\nSub Sub2()\nEnd Sub\n"},
        {{renamed, "Sub Add()", "End Sub", "Sub Sub2()", "End Sub"}, true,
            "Attribute VB_Name = \"Calc2\"\nSub Add()\n    a = 1\nEnd Sub\nSub Sub2()\nEnd Sub\n"},
        {{renamed, "Sub Total()", "End Sub"}, false,
            "Attribute VB_Name = \"Calc2\"\nSub Total()\nEnd Sub\n\n'--- Restored Add (original location not found - move into place manually) ---\n"
            "Sub Add()\n    a = 1\nEnd Sub\n"},
    };
    for (const auto& row : rows) {
        Restore r;
        r.backups.backupProcedure(*r.routine(r.module, "Add"), true, 1);
        r.edit(row.current);
        const std::vector<BackupEntry> entries = r.entries();
        const QString question = r.restorer.confirmationText(entries, {0});
        EXPECT_EQ(question.contains("The current version of this procedure will be overwritten."), row.located) << question.toStdString();
        EXPECT_EQ(r.restorer.restoreChosen(entries, {0}),
            row.located ? "Restored Add in " + r.module + "."
                        : "1 of 1 backup(s) restored.\r\n- Add - appended to the end of " + r.module + "; please move it into place manually.");
        EXPECT_EQ(readBytes(r.module), row.after);
        EXPECT_EQ(r.listed().size(), row.located ? 1 : 0) << "a located procedure's replaced version is kept";
    }
}

TEST(BackupRestoreTest, SeveralBackupsAreConfirmedTogetherRestoredNewestFirstAndDeleted)
{
    Restore r;
    r.backups.backupFile(r.module, true, 1);
    r.edit({"Attribute VB_Name = \"Calc\"", "Sub Add()", "", "End Sub"});
    r.backups.backupFile(r.module, true, 1);
    r.backups.backupProcedure(*r.routine(r.module, "Add"), true, 1);
    r.edit({"Attribute VB_Name = \"Other\"", "Sub Minus()", "End Sub"});
    auto entries = r.entries();
    EXPECT_TRUE(r.restorer.confirmationText(entries, {0, 1, 2})
                    .startsWith("Restore the 3 selected backups?\r\n\r\nEach current file/procedure will be overwritten by its backed-up version.\r\n\r\n"
                                "1 of these could not be confidently located in the current file and will instead be appended to the end of it for manual "
                                "placement.\r\n\r\nWARNING:"));
    EXPECT_EQ(BackupRestorer::deleteConfirmationText(entries, {1}),
        "Permanently delete this backup?\r\n\r\n" + backupListLine(entries[1]) + "\r\n\r\nThis cannot be undone.");
    EXPECT_EQ(BackupRestorer::deleteConfirmationText(entries, {0, 2}), "Permanently delete these 2 backups?\r\n\r\nThis cannot be undone.");
    r.restorer.keepCurrentVersion = false;
    EXPECT_EQ(r.restorer.restoreChosen(entries, {0, 1, 2}),
        "3 of 3 backup(s) restored.\r\n- Add - appended to the end of " + r.module + "; please move it into place manually.");
    EXPECT_EQ(readBytes(r.module), r.original) << "the oldest backup is put back last";
    EXPECT_TRUE(r.entries().empty());
    EXPECT_TRUE(r.restorer.restoreChosen(entries, {2}).startsWith("0 of 1 backup(s) restored.\r\n- FAILED: Could not read the backup file for Add."));
    EXPECT_TRUE(r.restorer.restoreChosen(entries, {0}).startsWith("0 of 1 backup(s) restored.\r\n- FAILED: The backup file Calc.bas could not be used"));

    r.backups.backupFile(r.module, true, 1);
    r.backups.backupFile(r.module, true, 1);
    entries = r.entries();
    r.restorer.deleteChosen(entries, {0, 1});
    EXPECT_EQ(r.entries().size(), 0u);
    EXPECT_EQ(QDir(r.backups.backupFolder(false)).entryList(QDir::Files), QStringList({"EditBackups.ini"}));
}

} // namespace
