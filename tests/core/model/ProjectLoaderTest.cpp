#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace quillon::model;
using quillon::platform::MsgIcon;
using quillon::platform::ScriptedMessageBox;
using quillon::test::Fixture;
using quillon::test::ReadBytes;

namespace {

struct RecordingStatus : quillon::platform::IStatusSink {
    QStringList shown;
    std::function<void()> onShow;
    void ShowStatus(const QString& text) override
    {
        shown << text;
        if (onShow)
            onShow();
    }
};

struct RecordingAnalysis : ILoadAnalysis {
    QStringList calls;
    void PrepareSymbolTables(const FileList& files) override
    {
        calls << QStringLiteral("symbols %1").arg(files.size());
    }
    void BeginPhase1() override { calls << QStringLiteral("begin"); }
    void RegisterApiDeclarations(const QString& path, const QStringList& lines) override
    {
        calls << QStringLiteral("api %1 %2").arg(FileNameOf(path)).arg(lines.size());
    }
    void RegisterEventHandler(const RoutinePtr& routine, const clsFileInfo& file) override
    {
        calls << QStringLiteral("event ") + file.FileName + QLatin1Char(' ') + routine->RoutineName;
    }
    void BuildDependencyIndex(const RoutineList& all, Project& project) override
    {
        calls << QStringLiteral("phase2 %1").arg(all.size());
        project.LoadStatusText += kCrLf + QStringLiteral("Building Dependency Index.");
    }
    void FindProgramStartup(const QString& path) override { calls << QStringLiteral("startup ") + FileNameOf(path); }
};

QStringList Paths(const FileList& files, const QString& root)
{
    QStringList out;
    for (const FilePtr& f : files)
        out << QString(f->FilePath).replace(root, QStringLiteral("ROOT"));
    return out;
}

class ProjectLoaderTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{fx.path("diag.txt")};
    SourceReader reader{CodePage::Default(), &log};
    Project project{reader};
};

TEST_F(ProjectLoaderTest, EntriesResolveAgainstTheProjectFolder)
{
    fx.writeLines("P/modMain.bas", {"Attribute VB_Name = \"modMain\""});
    fx.writeLines("P/sub/clsA.cls", {"Attribute VB_Name = \"clsA\""});
    fx.writeLines("Shared/util.bas", {"' util"});
    fx.writeLines("P/frmZ.frm", {"VERSION 5.00"});
    const QString vbp = fx.writeLines("P/p.vbp", {
        "Type=Exe", "Module=modMain; modMain.bas", "Class=clsA; sub\\clsA.cls", "Module=modUtil;..\\Shared\\util.bas",
        "Module=NoSemicolon modMain.bas", "form=frmZ.frm", "  Form=frmZ.frm  ", "Startup=\"Sub Main\""});
    const auto files = project.LoadVbpFiles(vbp);
    ASSERT_TRUE(files.has_value());
    EXPECT_EQ(Paths(*files, fx.path()),
              (QStringList{"ROOT/P/frmZ.frm", "ROOT/P/modMain.bas", "ROOT/Shared/util.bas", "ROOT/P/sub/clsA.cls"}));
    const FilePtr& cls = files->back();
    EXPECT_EQ(cls->FileType(), QStringLiteral("CLS"));
    EXPECT_EQ(cls->FileTitle, QStringLiteral("clsA.cls"));
    EXPECT_EQ(cls->FileName, QStringLiteral("clsA.cls"));
    EXPECT_TRUE(project.Notes.empty());
}

TEST_F(ProjectLoaderTest, CaseMismatchesResolveToTheSpellingOnDisk)
{
    fx.writeLines("P/Forms/FrmMain.FRM", {"VERSION 5.00"});
    fx.writeLines("P/modA.bas", {"' a"});
    const QString vbp = fx.writeLines("P/p.vbp", {"Form=forms\\frmmain.frm", "Module=A; MODA.BAS", "Module=B; MODB.BAS"});
    const auto files = project.LoadVbpFiles(vbp);
    ASSERT_TRUE(files.has_value());
    EXPECT_EQ(Paths(*files, fx.path()), (QStringList{"ROOT/P/Forms/FrmMain.FRM", "ROOT/P/modA.bas"}));
    EXPECT_EQ(files->front()->FileType(), QStringLiteral("FRM"));
    ASSERT_EQ(project.Notes.size(), 1u);
    EXPECT_EQ(project.Notes[0].kind, ProjectNote::Kind::MissingFile);
    EXPECT_EQ(NoteText(project.Notes[0]),
              QStringLiteral("skipped \"Module=B; MODB.BAS\": no such file \"") + fx.path("P/MODB.BAS") + "\"");
}

TEST_F(ProjectLoaderTest, AmongSeveralCaseVariantsTheFirstInByteOrderWins)
{
    fx.writeLines("P/util.bas", {"' lower"});
    fx.writeLines("P/Util.bas", {"' mixed"});
    const QString resolved = ResolveProjectEntryPath(fx.path("P"), QStringLiteral("UTIL.BAS"));
    EXPECT_EQ(resolved, fx.path("P/Util.bas"));
    EXPECT_EQ(ResolveProjectEntryPath(fx.path("P"), QStringLiteral("util.bas")), fx.path("P/util.bas"));
    EXPECT_EQ(ResolveProjectEntryPath(fx.path("P"), QStringLiteral("C:\\VB\\util.bas")), QStringLiteral("C:/VB/util.bas"));
    EXPECT_EQ(ResolveProjectEntryPath(fx.path("P"), QStringLiteral(".\\x\\..\\util.bas")), fx.path("P/util.bas"));
    EXPECT_EQ(ResolveProjectEntryPath(fx.path("P"), fx.path("P/UTIL.bas")), fx.path("P/Util.bas"));
}

TEST_F(ProjectLoaderTest, SkipsMissingWrongTypeDriveLetterAndRepeatedFiles)
{
    fx.writeLines("P/a.bas", {"' a"});
    fx.writeLines("P/readme.txt", {"x"});
    const QString vbp = fx.writeLines("P/p.vbp", {
        "Module=A; a.bas", "Module=T; readme.txt", "Module=W; C:\\Work\\w.bas", "Module=A2; .\\A.BAS",
        "Module=Gone; gone.bas", "Module=A; a.bas"});
    const auto files = project.LoadVbpFiles(vbp);
    ASSERT_TRUE(files.has_value());
    ASSERT_EQ(files->size(), 1u);
    QList<ProjectNote::Kind> kinds;
    for (const ProjectNote& note : project.Notes)
        kinds << note.kind;
    EXPECT_EQ(kinds, (QList<ProjectNote::Kind>{ProjectNote::Kind::WrongType, ProjectNote::Kind::MissingFile,
                                               ProjectNote::Kind::Duplicate, ProjectNote::Kind::MissingFile,
                                               ProjectNote::Kind::Duplicate}));
    EXPECT_EQ(project.Notes[1].path, QStringLiteral("C:/Work/w.bas"));
}

TEST_F(ProjectLoaderTest, UnreadableProjectFilesGiveNoList)
{
    EXPECT_FALSE(project.LoadVbpFiles(fx.path("none.vbp")).has_value());
    EXPECT_FALSE(project.LoadVbpFiles(fx.path()).has_value());
    EXPECT_EQ(project.LastOpenError, QStringLiteral("it is a folder, not a project file"));
    const QString empty = fx.write("empty.vbp", QByteArray());
    const auto files = project.LoadVbpFiles(empty);
    ASSERT_TRUE(files.has_value());
    EXPECT_TRUE(files->empty());
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(log.path())).contains(QStringLiteral(" | OPEN INPUT ") + empty));
}

TEST_F(ProjectLoaderTest, OpenLoadsEveryFileInListOrderAndCallsTheAnalysisInOrder)
{
    fx.writeLines("P/modMain.bas", {"Attribute VB_Name = \"modMain\"", "Sub Main()", "End Sub"});
    fx.writeLines("P/frmA.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmA\"", "Private Sub Form_Load()", "End Sub"});
    fx.writeLines("P/clsB.cls", {"Attribute VB_Name = \"clsB\"", "Public Sub Go()", "End Sub"});
    const QString vbp = fx.writeLines("P/p.vbp", {"Class=clsB; clsB.cls", "Module=modMain; modMain.bas", "Form=frmA.frm"});
    RecordingStatus status;
    RecordingAnalysis analysis;
    project.status = &status;
    project.analysis = &analysis;
    ASSERT_EQ(project.OpenProject(vbp), Project::OpenOutcome::Loaded);

    EXPECT_EQ(project.ProjectPath, vbp);
    EXPECT_EQ(analysis.calls, (QStringList{"symbols 3", "begin", "api frmA.frm 4", "event frmA.frm Layout",
                                           "event frmA.frm Image", "event frmA.frm Event Handler:Form_Load",
                                           "api modMain.bas 3", "api clsB.cls 3", "event clsB.cls Go", "phase2 6",
                                           "startup p.vbp"}));
    ASSERT_EQ(project.RoutinesByFile.size(), 3);
    EXPECT_EQ(project.RoutinesByFile.entries()[1].second.size(), 2u);
    EXPECT_EQ(project.RoutinesByFile.entries()[2].second.size(), 1u);
    EXPECT_EQ(status.shown.mid(0, 3), (QStringList{"Phase 1 of 2: Loading file 1 of 3", "Phase 1 of 2: Loading file 2 of 3",
                                                   "Phase 1 of 2: Loading file 3 of 3"}));
    EXPECT_EQ(project.LoadStatusText, QStringLiteral("Phase 1 of 2: Loading file 3 of 3\r\nBuilding Dependency Index.\r\n"
                                                     "Dependency Index Complete"));
    EXPECT_EQ(status.shown.last(), project.LoadStatusText
                                       + QStringLiteral("\r\n\r\nProject loaded.  Select one or more files to add "
                                                        "included procedures to the procedures list"));
    EXPECT_FALSE(project.LoadBusy);
    EXPECT_FALSE(project.ProjectChanged(vbp));
}

TEST_F(ProjectLoaderTest, MissingFolderEmptyAndBinaryProjects)
{
    ScriptedMessageBox messages;
    project.messages = &messages;
    EXPECT_EQ(project.OpenProject(fx.path("none.vbp")), Project::OpenOutcome::Missing);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("No valid file"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Selected file \"") + fx.path("none.vbp") + "\" does not exist.");

    EXPECT_EQ(project.OpenProject(fx.path()), Project::OpenOutcome::Missing);
    EXPECT_EQ(project.LastOpenError, QStringLiteral("it is a folder, not a project file"));

    // An empty project loads nothing and leaves the loader ready for the next one.
    EXPECT_EQ(project.OpenProject(fx.write("empty.vbp", "")), Project::OpenOutcome::Loaded);
    EXPECT_FALSE(project.LoadBusy);
    QByteArray noise(5000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 31) % 256);
    fx.write("bin.bas", noise);
    const QString vbp = fx.writeLines("p.vbp", {"Module=Bin; bin.bas"});
    EXPECT_EQ(project.OpenProject(vbp), Project::OpenOutcome::Loaded);
    ASSERT_EQ(project.Notes.size(), 1u);
    EXPECT_EQ(project.Notes[0].kind, ProjectNote::Kind::Binary);
    EXPECT_EQ(project.ProjectFileList.size(), 1u);
}

TEST_F(ProjectLoaderTest, ALoadStartedDuringALoadDoesNothing)
{
    fx.writeLines("a.bas", {"Sub A()", "End Sub"});
    fx.writeLines("b.bas", {"Sub B()", "End Sub"});
    const QString vbp = fx.writeLines("p.vbp", {"Module=A; a.bas", "Module=B; b.bas"});
    const QString other = fx.writeLines("q.vbp", {"Module=B; b.bas"});
    RecordingStatus status;
    project.status = &status;
    int nested = 0;
    status.onShow = [&] {
        if (nested++ > 0)
            return;
        EXPECT_TRUE(project.LoadBusy);
        EXPECT_EQ(project.OpenProject(other), Project::OpenOutcome::Busy);
        project.LoadProjectRoutines(&project.ProjectFileList); // re-entered: ignored
    };
    ASSERT_EQ(project.OpenProject(vbp), Project::OpenOutcome::Loaded);
    EXPECT_EQ(project.ProjectPath, vbp);
    EXPECT_EQ(project.RoutinesByFile.size(), 2);
    EXPECT_EQ(project.LoadStatusText, QStringLiteral("Phase 1 of 2: Loading file 2 of 2\r\nDependency Index Complete"));
}

TEST_F(ProjectLoaderTest, ProjectChangedReasonsAndMessage)
{
    ScriptedMessageBox messages;
    project.messages = &messages;
    const QString vbp = fx.writeLines("p.vbp", {"Type=Exe"});

    EXPECT_TRUE(project.ProjectChanged(QStringLiteral("  ")));
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("Reason: A system error has occurred wherein the path and file name of")));
    EXPECT_TRUE(project.ProjectChanged(fx.path("gone.vbp")));
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("Reason: The project file no longer exists or has been moved to a new location\r\n")));
    EXPECT_TRUE(project.ProjectChanged(vbp));
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("Reason: The name of the project file has changed")));
    project.RecordedProjectPath = vbp.toUpper();
    EXPECT_TRUE(project.ProjectChanged(vbp)) << "path compared ignoring case, then nothing captured";
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("the length of the project file has not been captured")));

    project.RecordProjectSignature(vbp);
    const size_t before = messages.shown.size();
    EXPECT_FALSE(project.ProjectChanged(vbp));
    // Saved again with the same length a moment later: no reload.
    fx.writeLines("p.vbp", {"Type=Dll"});
    EXPECT_FALSE(project.ProjectChanged(vbp));
    EXPECT_EQ(messages.shown.size(), before);

    QFile file(vbp);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(project.RecordedProjectTime.addSecs(3), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_TRUE(project.ProjectChanged(vbp));
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("Reason: The project file has been edited and saved with a new edit date.")));

    fx.writeLines("p.vbp", {"Type=OleDll"});
    EXPECT_TRUE(project.ProjectChanged(vbp));
    const auto& last = messages.shown.back();
    EXPECT_EQ(last.icon, MsgIcon::Exclamation);
    EXPECT_EQ(last.title, QStringLiteral("Reload required"));
    EXPECT_EQ(last.text, QStringLiteral("Quillon detected changes to the VB project since it was loaded.\r\n\r\n"
                                        "Reason: The project file has been edited changing its length.\r\n\r\n"
                                        "Printing requires the project file to be reloaded so procedure boundaries "
                                        "and counts are correct.\r\n\r\nPlease use File | Open to reload the project."));
}

TEST_F(ProjectLoaderTest, SignatureIsOnlyRecordedForAnExistingFile)
{
    project.RecordProjectSignature(fx.path("none.vbp"));
    EXPECT_TRUE(project.RecordedProjectPath.isEmpty());
    EXPECT_EQ(project.RecordedProjectLength, 0);
    const QString vbp = fx.write("p.vbp", "Type=Exe\r\n");
    project.RecordProjectSignature(vbp);
    EXPECT_EQ(project.RecordedProjectPath, vbp);
    EXPECT_EQ(project.RecordedProjectLength, 10);
    EXPECT_TRUE(project.RecordedProjectTime.isValid());
}

TEST_F(ProjectLoaderTest, LoadingTheSameFileUnderAnotherCaseKeepsOneEntryPerPath)
{
    fx.writeLines("P/m.bas", {"Sub M()", "End Sub"});
    const QString vbp = fx.writeLines("P/p.vbp", {"Module=M; m.bas", "Module=M2; M.BAS"});
    ASSERT_EQ(project.OpenProject(vbp), Project::OpenOutcome::Loaded);
    EXPECT_EQ(project.ProjectFileList.size(), 1u);
    EXPECT_EQ(project.RoutinesByFile.size(), 1);
}

} // namespace
