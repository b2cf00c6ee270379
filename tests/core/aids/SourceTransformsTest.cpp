#include "aids/SourceTransforms.h"
#include "aids/CodeWrap.h"
#include "aids/SourceDocument.h"
#include "config/Ini.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace quillon::aids;
using namespace quillon::test;
using namespace quillon;

namespace {

// The routines of these lines whose names are listed, in the order listed.
model::RoutineList routinesNamed(const QStringList& lines, const QStringList& names)
{
    const model::RoutineList all = model::splitLinesIntoRoutines("/p/M.bas", lines);
    model::RoutineList chosen;
    for (const QString& name : names)
        for (const auto& routine : all)
            if (routine->routineName == name)
                chosen.push_back(routine);
    return chosen;
}

const QStringList kShrinkModule = {"Attribute VB_Name = \"M\"", "Option Explicit", "", "Sub A()", "    x = 1", "", "", "", "    y = 2", "End Sub", "", "", "",
    "Sub B()", "  ", "", "    z = 3", "End Sub"};

TEST(RewriteTest, BlankRunsShrinkInsideChosenRoutinesAndMovableDimsGoFirstInSignatureOrderOnce)
{
    // The lines above a signature belong to that routine: the blanks between A and B shrink with B.
    const struct {
        QStringList routines;
        QList<int> keptLines;
        int procedures;
    } rows[] = {
        {{"A", "B"}, {1, 2, 3, 4, 5, 6, 9, 10, 11, 14, 15, 17, 18}, 2},
        {{"A"}, {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, 1},
        {{"B"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 17, 18}, 1},
    };
    for (const auto& row : rows) {
        QStringList expected;
        for (int n : row.keptLines)
            expected << kShrinkModule[n - 1];
        const Rewrite rewrite = shrinkBlankLines(kShrinkModule, routinesNamed(kShrinkModule, row.routines));
        EXPECT_EQ(rewrite.lines, expected) << row.routines.join(",").toStdString();
        EXPECT_EQ(rewrite.proceduresChanged, row.procedures);
    }
    const QStringList module = {"Attribute VB_Name = \"M\"", "Sub B()", "    x = 1", "    Dim a(1 To 10) As Long", "    Dim b(1 To MAX_ITEMS)",
        "    Dim c As Long: c = 1", "    Dim d As String ' note: x", "  dim e As _", "  Long", "    Dim f(UBound(x))", "End Sub", "Sub A(p As _", "      Long)",
        "Dim q", "End Sub"};
    const QStringList expected = {"Attribute VB_Name = \"M\"", "Sub B()", "", "    Dim a(1 To 10) As Long", "    dim e As _", "        Long", "", "    x = 1",
        "    Dim b(1 To MAX_ITEMS)", "    Dim c As Long: c = 1", "    Dim d As String ' note: x", "    Dim f(UBound(x))", "End Sub", "Sub A(p As _",
        "      Long)", "", "    Dim q", "", "End Sub"};
    const Rewrite first = moveDimStatements(module, routinesNamed(module, {"A", "B"}), "    ");
    EXPECT_EQ(first.lines, expected);
    EXPECT_EQ(first.proceduresChanged, 2);
    const Rewrite second = moveDimStatements(first.lines, routinesNamed(first.lines, {"A", "B"}), "    ");
    EXPECT_FALSE(second.changed);
    EXPECT_EQ(second.lines, expected);
    const model::RoutineList declarations = routinesNamed(module, {"Declarations"});
    EXPECT_EQ(moveDimStatements(module, declarations, "    ").lines, module) << "a part without a signature has no body";
    const QStringList cut = {"Function i", "Dim _"};
    EXPECT_FALSE(moveDimStatements(cut, routinesNamed(cut, {"i"}), "    ").changed) << "a Dim whose continuation is cut off by the end stays";
}

TEST(SourceWriterTest, ARewrittenFileKeepsItsEncodingLineEndsAndPermissions)
{
    const struct {
        QByteArray before, after;
    } rows[] = {
        {"Sub A()\n\n\n  x = \"\xC3\xA9\"\nEnd Sub", "Sub A()\n\n  x = \"\xC3\xA9\"\nEnd Sub"},
        {"Sub A()\r\n\r\n\r\n' \xE9 \xC3\xA9\r\nEnd Sub\r\n", "Sub A()\r\n\r\n' \xE9 \xC3\xA9\r\nEnd Sub\r\n"},
        {"\xEF\xBB\xBFSub A()\r\n\r\n\r\n' \xC3\xA9\r\nEnd Sub\r\n", "\xEF\xBB\xBFSub A()\r\n\r\n' \xC3\xA9\r\nEnd Sub\r\n"},
        {"Sub A()\r\n\n\r\nx\nEnd Sub\r\n", "Sub A()\r\n\nx\nEnd Sub\r\n"},
        {"Sub A()\r\r\rEnd Sub\r", "Sub A()\r\rEnd Sub\r"},
    };
    Fixture fx;
    for (const auto& row : rows) {
        const QString path = fx.write("M.bas", row.before);
        ::chmod(QFile::encodeName(path).constData(), 0640);
        const model::Outcome<SourceDocument> document = readSourceDocument(path, model::SourceReader::standard());
        ASSERT_TRUE(document) << document.error().toStdString();
        const Rewrite rewrite = shrinkBlankLines(document->lines, model::splitLinesIntoRoutines(path, document->lines));
        ASSERT_TRUE(writeSourceLines(path, rewrite.lines, *document));
        EXPECT_EQ(readBytes(path), row.after);
        EXPECT_EQ(fileStatus(path).st_mode & 0777, 0640u);
    }
}

TEST(SourceWriterDeathTest, AWriterKilledBeforeItsRenameLeavesTheOriginalIntact)
{
    // Forked where it stands, so that the writer works on this test's own file.
    GTEST_FLAG_SET(death_test_style, "fast");
    Fixture fx;
    const QByteArray original = "Sub A()\r\n\r\n\r\nEnd Sub\r\n";
    const QString path = fx.write("src/M.bas", original);
    EXPECT_EXIT(
        {
            beforeReplacingSourceFile = [](const QString&) { std::raise(SIGKILL); };
            writeSourceLines(path, {"Sub A()", "", "End Sub"}, *readSourceDocument(path, model::SourceReader::standard()));
            std::exit(0);
        },
        testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readBytes(path), original);
    const QStringList left = QDir(fx.path("src")).entryList(QDir::Files);
    ASSERT_EQ(left.size(), 2) << "the work file the killed writer left beside it";
    EXPECT_EQ(readBytes(fx.path("src/") + left.filter(".part-").value(0)), "Sub A()\r\n\r\nEnd Sub\r\n");
}

// Two modules of a project and the backups of their rewrites.
struct Project {
    Project()
    {
        for (const char* name : {"M.bas", "N.bas"}) {
            auto file = std::make_shared<model::ProjectFile>();
            file->filePath = fx.path(QStringLiteral("src/") + name);
            files.push_back(file);
        }
        fx.writeLines("src/M.bas", {"Attribute VB_Name = \"M\"", "Sub A()", "    x = 1", "    Dim a", "", "", "End Sub", "Sub B()", "End Sub"});
        fx.writeLines("src/N.bas", {"Attribute VB_Name = \"N\"", "Sub C()", "End Sub"});
        before = readBytes(files[0]->filePath);
    }
    QString key(const QString& name) const
    {
        for (const auto& routine : model::splitFileIntoRoutines(files[0]->filePath))
            if (routine->routineName == name)
                return routine->uniqueKey;
        return QString();
    }
    QString entries() const { return ini.read("Index", "Entries", "", backups.indexPath()); }

    Fixture fx;
    config::IniStore ini {fx.path("opts.ini"), nullptr};
    EditBackups backups {fx.path("work"), ini, model::SourceReader::standard()};
    model::FileList files;
    QByteArray before;
};

TEST(AidRunnerTest, EachChangedFileOrEveryChosenProcedureIsBackedUpBeforeTheRewriteIsReported)
{
    const struct {
        SourceAid aid;
        QStringList files, procedures;
        QString title, text, entries;
    } rows[] = {
        {SourceAid::ShrinkBlankLines, {kAllFilesMarker}, {}, "Shrink Complete", "Shrink Multiple Blank Lines complete.\r\n1 procedure(s) updated in 1 file(s).",
            "M.bas"},
        {SourceAid::MoveDims, {"M"}, {"A", "B"}, "Move Dimension Statements Complete",
            "Move Dimension Statements complete.\r\n1 procedure(s) updated in 1 file(s).", "A.rtf|B.rtf"},
        {SourceAid::ShrinkBlankLines, {"N"}, {}, "Shrink Complete", "No consecutive blank lines were found - nothing to change.", ""},
        {SourceAid::MoveDims, {}, {kAllProceduresMarker}, "Nothing To Do", "No procedures were found to process.", ""},
        {SourceAid::Indent, {kAllFilesMarker}, {}, "Indent Complete", "No lines needed indenting - nothing to change.", ""},
        {SourceAid::AddLineNumbers, {"M"}, {"A", "B"}, "Add Line Numbers Complete",
            "Add Line Numbers complete.\r\n1 procedure(s) updated in 1 file(s).", "A.rtf|B.rtf"},
        {SourceAid::RemoveLineNumbers, {kAllFilesMarker}, {}, "Remove Line Numbers Complete", "No line numbers could be removed - nothing to change.", ""},
    };
    for (const auto& row : rows) {
        Project run;
        TargetSelection selection;
        for (const QString& file : row.files)
            selection.files << (file == kAllFilesMarker ? file : run.fx.path("src/" + file + ".bas"));
        for (const QString& name : row.procedures)
            selection.procedures << (name == kAllProceduresMarker ? name : run.key(name));
        const AidReport report = AidRunner(run.backups, 4).run(row.aid, selection, run.files);
        EXPECT_EQ(report.title, row.title);
        EXPECT_EQ(report.text, row.text);
        EXPECT_EQ(run.entries(), row.entries);
        EXPECT_EQ(readBytes(run.files[0]->filePath) != run.before, !row.entries.isEmpty()) << "a file changes exactly when it was backed up";
    }
}

TEST(AidRunnerTest, NoRewriteLosesAStatementOrALineOrRunsForEverAndASecondRunChangesNothing)
{
    const struct {
        SourceAid aid;
        int sample; // the long line's length, for a wrap
        QByteArray before, after; // after: empty when the file stays as it was
        int notWrapped;
    } rows[] = {
        // A too-long statement ending in an empty comment: the comment wrap has nothing to wrap.
        {SourceAid::Wrap, 20, "Sub A()\r\n    x = a + b + c + d + e + f + g '\r\nEnd Sub\r\n", "", 1},
        // Broken after the reopened literal's quote, the rest would be the same text again.
        {SourceAid::Wrap, 30, "Sub A()\r\n        s = \"ab\\cdefghijklmnopqrstuvwxyz\"\r\nEnd Sub\r\n", "", 1},
        // A Dim continued onto the End line, or cut off by the end of the file, stays.
        {SourceAid::MoveDims, 0, "Sub A()\r\n    x = 1\r\n    Dim y As Long _\r\nEnd Sub\r\nSub B()\r\nEnd Sub\r\n", "", 0},
        {SourceAid::MoveDims, 0, "Sub A()\r\n    x = 1\r\n    Dim y As Long _\r\n    , z As Long\r\n", "", 0},
        {SourceAid::MoveDims, 0, "Sub A()\r\n    x = 1\r\n    Dim y As Long _\r\nEnd Sub\r\n\r\n", "", 0},
        // The empty line after a lone CR must not turn that CR into a CR LF.
        {SourceAid::MoveDims, 0, "Sub A()\r    Dim i\nEnd Sub\n", "Sub A()\r\r    Dim i\n\nEnd Sub\n", 0},
        {SourceAid::MoveDims, 0, "Sub A()\r\nDim i", "Sub A()\r\n\r\n    Dim i\r\n\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before.constData());
        Project run;
        const QString path = run.fx.write("src/M.bas", row.before);
        const LineWrapper wrapper([](QStringView text) { return 10.0 * double(text.size()); }, QString(row.sample, 'x'), 4);
        AidRunner runner(run.backups, 4);
        runner.setWrapper(&wrapper);
        const QByteArray after = row.after.isEmpty() ? row.before : row.after;
        EXPECT_EQ(runner.run(row.aid, {{path}, {}}, run.files).notWrapped.size(), row.notWrapped);
        EXPECT_EQ(readBytes(path), after);
        runner.run(row.aid, {{path}, {}}, run.files);
        EXPECT_EQ(readBytes(path), after) << "a second run";
    }
}

// Killed between its backup and its rename, an aid leaves the file as it was.
TEST(SourceWriterDeathTest, AnAidKilledBeforeItsRenameLeavesTheOriginalIntact)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const SourceAid aid : {SourceAid::Indent, SourceAid::AddLineNumbers}) {
        Project run;
        const QByteArray messy = "Attribute VB_Name = \"M\"\r\nSub A()\r\nx = 1\r\nEnd Sub\r\n";
        const QString path = run.fx.write("src/M.bas", messy);
        EXPECT_EXIT(
            {
                // The backup, written the same way, goes first: the kill waits for the source.
                beforeReplacingSourceFile = [](const QString& work) {
                    if (work.contains("/src/M.bas"))
                        std::raise(SIGKILL);
                };
                AidRunner(run.backups, 4).run(aid, {{kAllFilesMarker}, {}}, run.files);
                std::exit(0);
            },
            testing::KilledBySignal(SIGKILL), "");
        EXPECT_EQ(readBytes(path), messy);
        EXPECT_EQ(QDir(run.fx.path("src")).entryList({"M.bas.part-*"}, QDir::Files).size(), 1) << "the killed writer's work file";
        EXPECT_EQ(run.entries(), "M.bas") << "backed up before";
    }
}

TEST(AidRunnerTest, AFileWhoseBackupCannotBeMadeIsLeftAsItWas)
{
    Project run;
    Fixture blocked;
    blocked.write("work", "a file where the working folder should be");
    EditBackups backups(blocked.path("work"), run.ini, model::SourceReader::standard());
    const AidReport report = AidRunner(backups, 4).run(SourceAid::ShrinkBlankLines, {{kAllFilesMarker}, {}}, run.files);
    EXPECT_TRUE(report.text.startsWith("Shrink Multiple Blank Lines complete.\r\n0 procedure(s) updated in 0 file(s).\r\n\r\n"
                                       "1 file(s) could not be updated and were left as they were:\r\n"
        + run.files[0]->filePath + ": no backup could be made ("))
        << report.text.toStdString();
    EXPECT_EQ(readBytes(run.files[0]->filePath), run.before);

    ::chmod(QFile::encodeName(run.files[0]->filePath).constData(), 0444);
    const AidReport readOnly = AidRunner(run.backups, 4).run(SourceAid::ShrinkBlankLines, {{kAllFilesMarker}, {}}, run.files);
    EXPECT_TRUE(readOnly.text.endsWith(run.files[0]->filePath + ": it is read-only")) << readOnly.text.toStdString();
    EXPECT_EQ(readBytes(run.files[0]->filePath), run.before);
    EXPECT_EQ(run.entries(), "") << "no backup of a file that is not to change";
}

} // namespace
