#include "model/ProjectLoader.h"
#include "app/Cli.h"
#include "app/CliSupport.h"
#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

using namespace quillon::model;
using namespace quillon::platform;
using quillon::test::Fixture;
using quillon::test::ObeyFilePermissions;
using quillon::test::ScriptedMessageBox;

namespace {

// The load's status lines and analysis hooks, in the order they came.
struct Recorder : IStatusSink, ILoadAnalysis {
    struct Found : FileFindings {
        QString text;
    };
    QStringList status, calls;
    std::function<void()> onStatus;
    void showStatus(const QString& text) override
    {
        status << text;
        if (onStatus)
            onStatus();
    }
    void beginLoad() override { calls << "load"; }
    void beginPhase1() override { calls << "begin"; }
    std::unique_ptr<FileFindings> scanFile(const ProjectFile& file, const QStringList& lines, const RoutineList& routines) const override
    {
        auto found = std::make_unique<Found>();
        found->text = file.fileName + QString(" %1 %2").arg(lines.size()).arg(routines.size());
        return found;
    }
    void addFile(const ProjectFile& file, const QStringList&, std::unique_ptr<FileFindings> findings) override
    {
        calls << "file " + static_cast<Found&>(*findings).text;
    }
    void endPhase1() override { calls << "end"; }
    void buildDependencyIndex(const RoutineList& all, Project& project) override
    {
        calls << QStringLiteral("phase2 %1").arg(all.size());
        project.loadStatusText += kCrLf + "Building Dependency Index.";
    }
    void findProgramStartup(const QString& path) override { calls << "startup " + fileNameOf(path); }
};

class ProjectLoaderTest : public ::testing::Test {
protected:
    Fixture fx_;
    DiagLog log_ {fx_.path("diag.txt")};
    SourceReader reader_ {CodePage::standard(), &log_};
    Project project_ {reader_};
    ScriptedMessageBox messages_;
    Recorder recorder_;
};

TEST(ProjectEntries, ResolveAgainstTheFolderIgnoringCaseAndSkipWhatCannotBeLoaded)
{
    // Only "Form=", "Module=", "Class=", "UserControl=", "PropertyPage=", "UserDocument=" and
    // "Designer=" lines at the start name files; a module's or class's name is followed by "; ".
    const struct {
        QStringList disk, vbp, paths, notes;
    } cases[] = {
        {{"P/modMain.bas", "P/sub/clsA.cls", "Shared/util.bas", "P/frmZ.frm"},
            {"Type=Exe", "Module=modMain; modMain.bas", "Class=clsA; sub\\clsA.cls", "Module=modUtil;..\\Shared\\util.bas", "Module=NoSemicolon modMain.bas",
                "form=frmZ.frm", "  Form=frmZ.frm  ", "Startup=\"Sub Main\""},
            {"ROOT/P/frmZ.frm", "ROOT/P/modMain.bas", "ROOT/Shared/util.bas", "ROOT/P/sub/clsA.cls"}, {}},
        {{"P/Forms/FrmMain.FRM", "P/modA.bas"}, {"Form=forms\\frmmain.frm", "Module=A; MODA.BAS", "Module=B; MODB.BAS"},
            {"ROOT/P/Forms/FrmMain.FRM", "ROOT/P/modA.bas"}, {"skipped \"Module=B; MODB.BAS\": no such file \"ROOT/P/MODB.BAS\""}},
        {{"P/a.bas", "P/readme.txt"}, {"Module=A; a.bas", "Module=T; readme.txt", "Module=W; C:\\Work\\w.bas", "Module=A2; .\\A.BAS", "Module=A; a.bas"},
            {"ROOT/P/a.bas"},
            {"skipped \"Module=T; readme.txt\": not a .frm, .bas, .cls, .ctl, .pag, .dob or .dsr file", "skipped \"Module=W; C:\\Work\\w.bas\": no such file \"C:/Work/w.bas\"",
                "skipped \"Module=A2; .\\A.BAS\": \"ROOT/P/a.bas\" is already in the project",
                "skipped \"Module=A; a.bas\": \"ROOT/P/a.bas\" is already in the project"}},
        // Each kind in its rank, by name within it; binary companions and lower-case keys name nothing.
        {{"P/zForm.frm", "P/ctl/ucB.ctl", "P/ctl/ucA.ctl", "P/ppg.pag", "P/doc.dob", "P/Connect.Dsr", "P/m.bas", "P/c.cls", "P/ucA.ctx"},
            {"Designer=Connect.Dsr", "UserDocument=doc.dob", "PropertyPage=ppg.pag", "UserControl=ctl\\ucB.ctl", "UserControl=ctl\\ucA.ctl",
                "usercontrol=ctl\\ucA.ctl", "UserControl=", "Class=C; c.cls", "Module=M; m.bas", "Form=zForm.frm", "UserControl=ucA.ctx"},
            {"ROOT/P/zForm.frm", "ROOT/P/m.bas", "ROOT/P/c.cls", "ROOT/P/ctl/ucA.ctl", "ROOT/P/ctl/ucB.ctl", "ROOT/P/ppg.pag", "ROOT/P/doc.dob",
                "ROOT/P/Connect.Dsr"},
            {"skipped \"UserControl=ucA.ctx\": not a .frm, .bas, .cls, .ctl, .pag, .dob or .dsr file"}},
        // Names are compared upper-cased, so "_" comes after the letters ("ma" before "m_b").
        // Equal names keep the order the exchange sort gives: the first swaps with the later
        // a.bas, which carries it past the second util.bas.
        {{"one/util.bas", "two/util.bas", "P/a.bas", "P/m_b.bas", "P/ma.bas"},
            {"Module=U1; ..\\one\\util.bas", "Module=U2; ..\\two\\util.bas", "Module=A; a.bas", "Module=B; m_b.bas", "Module=M; ma.bas"},
            {"ROOT/P/a.bas", "ROOT/P/ma.bas", "ROOT/P/m_b.bas", "ROOT/two/util.bas", "ROOT/one/util.bas"}, {}},
    };
    for (const auto& c : cases) {
        Fixture fx;
        Project project;
        for (const QString& file : c.disk)
            fx.writeLines(file, {"' x"});
        const auto files = project.loadVbpFiles(fx.writeLines("P/p.vbp", c.vbp));
        ASSERT_TRUE(files.ok()) << files.error().toStdString();
        QStringList paths, notes;
        for (const FilePtr& f : *files)
            paths << QString(f->filePath).replace(fx.path(), "ROOT");
        for (const ProjectNote& note : project.notes)
            notes << noteText(note).replace(fx.path(), "ROOT");
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(notes, c.notes);
    }
    // Among several case variants on disk the first in byte order wins.
    Fixture fx;
    fx.writeLines("P/util.bas", {"' lower"});
    fx.writeLines("P/Util.bas", {"' mixed"});
    const struct {
        QString entry, resolved;
    } entries[] = {{"UTIL.BAS", fx.path("P/Util.bas")}, {"util.bas", fx.path("P/util.bas")}, {".\\x\\..\\util.bas", fx.path("P/util.bas")},
        {fx.path("P/UTIL.bas"), fx.path("P/Util.bas")}};
    for (const auto& e : entries)
        EXPECT_EQ(resolveProjectEntryPath(fx.path("P"), e.entry), e.resolved) << e.entry.toStdString();
}

TEST_F(ProjectLoaderTest, OpeningProjectsThatGiveNothingAndAProjectThatLoads)
{
    project_.messages = &messages_;
    EXPECT_EQ(project_.openProject(fx_.path("none.vbp")).errorNumber(), ENOENT);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(QStringList({iconName(messages_.shown[0].icon), messages_.shown[0].title, messages_.shown[0].text}),
        QStringList({iconName(MessageIcon::Critical), "No valid file", "Selected file \"" + fx_.path("none.vbp") + "\" does not exist."}));
    const Outcome<void> folder = project_.openProject(fx_.path());
    EXPECT_EQ(std::pair(folder.errorNumber(), folder.error()), std::pair(EISDIR, QString("it is a folder, not a project file")));
    // An empty project loads nothing and leaves the loader ready for the next one; a binary
    // source is loaded with a note.
    const QString empty = fx_.write("empty.vbp", QByteArray());
    EXPECT_TRUE(project_.openProject(empty));
    EXPECT_FALSE(project_.loadBusy);
    fx_.write("bin.bas", QByteArray("\x01\x02\0\0\xFF Sub", 8));
    EXPECT_TRUE(project_.openProject(fx_.writeLines("p.vbp", {"Module=Bin; bin.bas"})));
    ASSERT_EQ(project_.notes.size(), 1u);
    EXPECT_EQ(project_.notes[0].kind, ProjectNote::Kind::Binary);
    EXPECT_EQ(project_.projectFileList.size(), 1u);
    // Open loads every file in list order, calls the analysis in order and refuses a second load meanwhile.
    fx_.writeLines("P/modMain.bas", {"Attribute VB_Name = \"modMain\"", "Sub Main()", "End Sub"});
    fx_.writeLines("P/frmA.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmA\"", "Private Sub Form_Load()", "End Sub"});
    fx_.writeLines("P/clsB.cls", {"Attribute VB_Name = \"clsB\"", "Public Sub Go()", "End Sub"});
    const QString vbp = fx_.writeLines("P/p.vbp", {"Class=clsB; clsB.cls", "Module=modMain; modMain.bas", "Form=frmA.frm"});
    project_.status = &recorder_;
    project_.analysis = &recorder_;
    bool nested = false;
    recorder_.onStatus = [&] {
        if (std::exchange(nested, true))
            return;
        EXPECT_TRUE(project_.loadBusy);
        EXPECT_EQ(project_.openProject(fx_.writeLines("q.vbp", {"Module=B; P/clsB.cls"})).errorNumber(), EBUSY);
        project_.loadProjectRoutines(&project_.projectFileList); // re-entered: ignored
    };
    ASSERT_TRUE(project_.openProject(vbp));
    EXPECT_EQ(
        recorder_.calls, (QStringList {"load", "begin", "file frmA.frm 4 3", "file modMain.bas 3 2", "file clsB.cls 3 1", "end", "phase2 6", "startup p.vbp"}));
    EXPECT_EQ(project_.loadStatusText, "Phase 1 of 2: Loading file 3 of 3\r\nBuilding Dependency Index.\r\nDependency Index Complete");
    EXPECT_EQ(recorder_.status.last(),
        project_.loadStatusText + "\r\n\r\nProject loaded.  Select one or more files to add included procedures to the procedures list");
    EXPECT_FALSE(project_.projectChanged(vbp));
}

// Files are read and scanned on several threads and merged in project order: every dump, note,
// status line and log entry comes out as with one thread.
TEST_F(ProjectLoaderTest, ThreadsChangeNothingALoadGives)
{
    QStringList many {"Attribute VB_Name = \"modMany\"", "Public Const Limit = 10, Floor = 1", "Private mCount As Integer",
        "Private Declare Function GetTickCount Lib \"kernel32\" () As Long"};
    for (int i = 0; i < 150; ++i) // more routines than one thread takes at a time
        many << QString("Public Sub Step%1(ByRef n As Long)").arg(i) << QString("    Step%1 n: Helper: t = GetTickCount()").arg((i + 149) % 150) << "End Sub";
    fx_.writeLines("P/modMany.bas", many);
    fx_.writeLines("P/modA.bas", {"Attribute VB_Name = \"modA\"", "Public Total As Long", "Public Sub Helper()", "    Step3 Total: frmMain.Show", "End Sub"});
    fx_.writeLines("P/modB.bas", {"Attribute VB_Name = \"modB\"", "Public Sub Helper()", "End Sub"});
    fx_.writeLines("P/frmMain.frm",
        {"VERSION 5.00", "Begin VB.Form frmMain", "End", "Attribute VB_Name = \"frmMain\"", "Private Sub Form_Load()", "    Helper", "End Sub"});
    fx_.writeLines("P/clsItem.cls",
        {"Attribute VB_Name = \"clsItem\"", "Public Property Get Value(ByRef i As Long) As Long", "End Property",
            "Public Property Let Value(ByRef i As Long, ByRef v As Long)", "    Helper", "End Property", "Private Sub Class_Initialize()", "End Sub"});
    fx_.write("P/bin.bas", QByteArray(1, '\0') + "Sub X()\r\nEnd Sub");
    QFile::setPermissions(fx_.writeLines("P/locked.bas", {"Sub Locked()", "End Sub"}), QFileDevice::Permissions());
    const QString vbp = fx_.writeLines("P/p.vbp",
        {"Form=frmMain.frm", "Module=modMany; modMany.bas", "Class=clsItem; clsItem.cls", "Module=modB; modB.bas", "Module=modA; modA.bas",
            "Module=Bin; bin.bas", "Module=Locked; locked.bas", "Module=Gone; gone.bas", "Form=FRMMAIN.FRM", "Startup=\"Sub Main\""});
    ObeyFilePermissions asUser; // the threads must obey them as well
    auto load = [&](int jobs) {
        Recorder status;
        DiagLog log(fx_.path(QStringLiteral("diag%1.txt").arg(jobs)));
        const SourceReader reader(CodePage::standard(), &log);
        quillon::app::AnalysedProject loaded(reader);
        loaded.project.jobs = jobs;
        loaded.project.status = &status;
        loaded.project.openProject(vbp);
        QStringList notes;
        for (const ProjectNote& note : loaded.project.notes)
            notes << noteText(note);
        QFile logged(log.path());
        logged.open(QIODevice::ReadOnly);
        return QStringList {notes.join('\n'), quillon::app::routinesDumpText(loaded.project, AggregateMode::AllProperties),
            quillon::app::callsDumpText(loaded.analysis.dependencies), loaded.analysis.symbols.dumpLines(loaded.project.projectFileList).join('\n'),
            status.status.join('\n'), QString::fromUtf8(logged.readAll()).remove(QRegularExpression("^[^|]*\\| ", QRegularExpression::MultilineOption))};
    };
    const QStringList one = load(1);
    // Each kind of note and of dump line is there to compare.
    for (const char* part : {"Permission denied", "NUL bytes", "already in the project", "no such file", "CALLEDBY\tMODMANY|STEP0\t",
             "API\tMODMANY|STEP149\tGetTickCount", "EVENT\tFRMMAIN|EVENT HANDLER:FORM_LOAD\t", "BYREF\t"})
        EXPECT_TRUE(one.join('\n').contains(part)) << part;
    for (int jobs : {0, 2, 5})
        EXPECT_EQ(load(jobs), one) << jobs;
}

TEST_F(ProjectLoaderTest, ProjectChangedReasonsAndMessage)
{
    project_.messages = &messages_;
    project_.recordProjectSignature(fx_.path("none.vbp"));
    EXPECT_TRUE(project_.recordedProjectPath.isEmpty());
    const QString vbp = fx_.write("p.vbp", "Type=Exe\r\n");
    // The path is compared ignoring case; then nothing has been captured.
    const struct {
        QString path, recorded, reason;
    } reasons[] = {{"  ", "", "Reason: A system error has occurred wherein the path and file name of"},
        {fx_.path("gone.vbp"), "", "Reason: The project file no longer exists or has been moved to a new location\r\n"},
        {vbp, "", "Reason: The name of the project file has changed"}, {vbp, vbp.toUpper(), "the length of the project file has not been captured"}};
    for (const auto& r : reasons) {
        project_.recordedProjectPath = r.recorded;
        EXPECT_TRUE(project_.projectChanged(r.path)) << r.reason.toStdString();
        EXPECT_TRUE(messages_.shown.back().text.contains(r.reason)) << messages_.shown.back().text.toStdString();
    }
    project_.recordProjectSignature(vbp);
    EXPECT_FALSE(project_.projectChanged(vbp));
    fx_.write("p.vbp", "Type=Dll\r\n"); // saved again with the same length a moment later: no reload
    EXPECT_FALSE(project_.projectChanged(vbp));
    EXPECT_EQ(messages_.shown.size(), std::size(reasons));
    QFile file(vbp);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(project_.recordedProjectTime.addSecs(3), QFileDevice::FileModificationTime));
    EXPECT_TRUE(project_.projectChanged(vbp));
    EXPECT_TRUE(messages_.shown.back().text.contains("Reason: The project file has been edited and saved with a new edit date."));
    fx_.write("p.vbp", "Type=OleDll\r\n");
    EXPECT_TRUE(project_.projectChanged(vbp));
    EXPECT_EQ(iconName(messages_.shown.back().icon) + "|" + messages_.shown.back().title + "|" + messages_.shown.back().text,
        iconName(MessageIcon::Exclamation)
            + "|Reload required|Quillon detected changes to the VB project since it was loaded.\r\n\r\n"
              "Reason: The project file has been edited changing its length.\r\n\r\nPrinting requires the project file to be reloaded so "
              "procedure boundaries and counts are correct.\r\n\r\nPlease use File | Open to reload the project.");
}

} // namespace
