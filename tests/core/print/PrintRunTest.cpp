#include "analysis/DependencyReport.h"
#include "config/Options.h"
#include "config/ZrkMsgBox.h"
#include "core/analysis/AnalysisFixture.h"
#include "platform/MessageBox.h"
#include "platform/PrinterDefaults.h"
#include "platform/RecordingPrintSurface.h"
#include "model/RoutineParser.h"
#include "print/PrintRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::LoadedProject;
using quillon::test::Module;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

// What every print run test needs: a project, the recording surface, options and scripted messages.
struct BenchBase {
    LoadedProject p;
    quillon::platform::RecordingPrintSurface surface;
    quillon::platform::BuiltInPdfPrinterDefaults printerDefaults;
    quillon::config::IniStore ini{p.fx.path("QLN.spi"), &p.log};
    quillon::config::Options options{ini, printerDefaults};
    quillon::platform::ScriptedMessageBox box;
    quillon::config::modZRK_MsgBox warnings{ini, box};
    PageSetup setup;
    std::unique_ptr<modQLProcedures> run;
};

struct RunBench : BenchBase {
    QStringList statuses;
    QHash<QString, quillon::model::RoutinePtr> byKey;

    RunBench()
    {
        p.Load({Module("modA", {{"One", {"x = 1"}}, {"Two", {"Three"}}, {"Three", {"y = 2"}}}),
                {"clsP.cls", {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "    Size = 1",
                              "End Property"}}});
        for (const auto& [path, routines] : p.project.RoutinesByFile.entries()) {
            for (const auto& routine : routines)
                byKey.insert(routine->UniqueKey, routine);
        }
    }
    RunResult Print(const std::vector<ListRow>& queue)
    {
        run = std::make_unique<modQLProcedures>(surface, setup, options, warnings, box, &p.log);
        run->Index = &p.dep();
        run->Reader = &p.reader;
        run->FindRoutine = [this](const QString& key) { return byKey.value(key); };
        run->Status = [this](const QString& text) { statuses << text; };
        return run->RunPrintQueue(queue);
    }
    ListRow Row(const QString& key, bool selected = true)
    {
        auto routine = p.Routine(key);
        return {routine, quillon::model::ListText(*routine), selected};
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (const Op& op : surface.ops) {
            if (op.kind == Op::Kind::Text && op.bold && op.fontSize == 12)
                titles << QStringLiteral("%1:%2").arg(op.page).arg(op.text);
        }
        return titles;
    }
};

TEST(PrintRunTest, SelectedRowsEachStartOnTheirOwnPage)
{
    RunBench b;
    const RunResult result =
        b.Print({b.Row("MODA|ONE"), b.Row("MODA|TWO", false), b.Row("MODA|THREE"), b.Row("CLSP|SIZE")});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.routinesPrinted, 3);
    EXPECT_EQ(b.Titles(), (QStringList{"1:modA.bas|One", "2:modA.bas|Three", "3:clsP.cls|PROPERTY GET Size"}));
    EXPECT_TRUE(b.statuses.contains("Printing modA.bas|One (Procedure 1 of 3) line 2 of 4"));
    EXPECT_TRUE(b.statuses.contains("Printing modA.bas|Three (Procedure 2 of 3) line 10 of 10"));
    EXPECT_TRUE(b.statuses.contains("Printing clsP.cls|PROPERTY GET Size (Procedure 3 of 3) line 4 of 4"));
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains("Page 1 of 1 (est)")) << "page numbers start again per routine";
    EXPECT_EQ(result.report, QStringLiteral("3 procedures sent to a file-based printer (Recording PDF).\r\nFind the file "
                                            "name selected for the output and use a PDF/file reader to open and print "
                                            "the file as needed."));
}

TEST(PrintRunTest, DuplexStartsEveryRoutineOnAFrontSide)
{
    RunBench b;
    b.setup.Duplex = true;
    b.Print({b.Row("MODA|ONE"), b.Row("MODA|THREE")});
    // The blank back page carries the frame of the routine before it.
    EXPECT_EQ(b.Titles(), (QStringList{"1:modA.bas|One", "2:modA.bas|One (cont.)", "3:modA.bas|Three",
                                       "4:modA.bas|Three (cont.)"}));
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains("(This Page Intentionally Left Blank)"));
    EXPECT_TRUE(b.surface.TextsOnPage(4).contains("(This Page Intentionally Left Blank)"));
    EXPECT_EQ(b.surface.PagesStarted(), 4);
}

TEST(PrintRunTest, AnInvalidRangePrintsTheInternalErrorInRed)
{
    RunBench b;
    auto broken = std::make_shared<quillon::model::clsRoutineInfo>(*b.p.Routine("MODA|ONE"));
    broken->lEndLine = 0;
    b.Print({{broken, QStringLiteral("modA.bas|Public Sub One"), true}});
    bool found = false;
    for (const Op& op : b.surface.ops) {
        if (op.kind == Op::Kind::Text && op.text.startsWith(QStringLiteral("*** INTERNAL ERROR Quillon | Reason: Routine range invalid | File: "))) {
            found = true;
            EXPECT_EQ(op.color, quillon::platform::Rgb(255, 0, 0));
            EXPECT_TRUE(op.text.endsWith(" | Procedure: One | Kind: Sub | Start: 2  End: 0"));
        }
    }
    EXPECT_TRUE(found);
}

TEST(PrintRunTest, ADeviceWithoutDuplexAsksAndPrintsSimplexWithoutTheBinder)
{
    RunBench b;
    b.surface.supportsDuplex = false;
    ASSERT_TRUE(b.surface.SelectDevice("Office Laser"));
    b.setup.DeviceName = "Office Laser";
    b.setup.Duplex = true;
    b.setup.BindingEdge = 1;
    b.box.results.push_back(quillon::platform::MsgResult::Yes);
    const RunResult result = b.Print({b.Row("MODA|ONE")});
    ASSERT_TRUE(result.ok);
    ASSERT_FALSE(b.box.shown.empty());
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Duplex Unavailable"));
    EXPECT_TRUE(b.box.shown[0].text.contains("bind the output at the Left edge."));
    EXPECT_FALSE(b.setup.Duplex);
    EXPECT_EQ(b.run->frame().Left, 720) << "no binder offset";
    EXPECT_EQ(result.report, QStringLiteral("Output of 1 procedure sent to Office Laser completed."));

    RunBench no;
    no.surface.supportsDuplex = false;
    no.surface.SelectDevice("Office Laser");
    no.setup.DeviceName = "Office Laser";
    no.setup.Duplex = true;
    no.box.results.push_back(quillon::platform::MsgResult::No);
    EXPECT_FALSE(no.Print({no.Row("MODA|ONE")}).ok);
}

TEST(PrintRunTest, EmptyQueuesAndNothingSelected)
{
    RunBench b;
    EXPECT_FALSE(b.Print({}).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No routines are in the print queue."));
    EXPECT_FALSE(b.Print({b.Row("MODA|ONE", false)}).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No procedures were selected to print."));
}

TEST(PrintRunTest, DependencyReportsPrintFromATemporaryFileThatIsRemoved)
{
    RunBench b;
    auto pseudo = quillon::analysis::MakeDependencyPseudoRoutine(*b.p.Routine("MODA|THREE"));
    const QString path = pseudo->FilePath;
    b.Print({{pseudo, QStringLiteral("modA.bas|Public Sub Three|Dep"), true}});
    EXPECT_EQ(b.Titles(), QStringList{"1:modA.bas|Three|Dep"});
    const QStringList lines = b.surface.Lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("  File A|Public Sub Two"))) << "the connector tag becomes two blanks";
    EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("[ZRK")));
    EXPECT_EQ(pseudo->FilePath, path) << "the record gets its file back";
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_DEP_*"}).isEmpty()) << "the report file is gone";
}

// Files of a non-PDF file target: batches at the spool limit, "_Part" files for a routine
// larger than a whole file, the names asked for and the verification of the last file.
struct SpoolBench : BenchBase {
    std::vector<OutputFileRequest> requests;
    QStringList answers; // file names the "save dialog" gives, in order; "" cancels
    QStringList clipboard;
    qint64 clock = 0;

    SpoolBench()
    {
        QStringList ten, big;
        for (int i = 0; i < 8; ++i)
            ten << QStringLiteral("x = %1").arg(i);
        for (int i = 0; i < 400; ++i)
            big << QStringLiteral("y = %1").arg(i);
        p.Load({Module("modL", {{"R1", ten}, {"R2", ten}, {"R3", ten}, {"R4", ten}, {"Big", big}})});
        surface.printers.push_back({QStringLiteral("Text To File"), QStringLiteral("Generic Text"), QStringLiteral("FILE:")});
        surface.SelectDevice(QStringLiteral("Text To File"));
        surface.writeFiles = true;
    }
    RunResult Print(std::vector<ListRow>& queue, int spool)
    {
        run = std::make_unique<modQLProcedures>(surface, setup, options, warnings, box, &p.log);
        run->Reader = &p.reader;
        run->GdiSpoolSize = spool;
        run->ProjectName = QStringLiteral("Stock");
        run->now = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); };
        run->CopyToClipboard = [this](const QString& name) { clipboard << name; };
        run->ChooseOutputFile = [this](const OutputFileRequest& request) {
            requests.push_back(request);
            return answers.isEmpty() ? p.fx.path(request.suggested) : answers.takeFirst();
        };
        run->Waits = {[this](int ms) { clock += ms; }, [this] { return clock; }};
        return run->RunPrintQueue(queue);
    }
    std::vector<ListRow> Queue(const QStringList& names)
    {
        std::vector<ListRow> queue;
        for (const QString& name : names) {
            auto routine = p.Routine(QStringLiteral("MODL|") + name);
            queue.push_back({routine, quillon::model::ListText(*routine), true});
        }
        return queue;
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (const Op& op : surface.ops) {
            if (op.kind == Op::Kind::Text && op.bold && op.fontSize == 12 && !titles.contains(op.text))
                titles << op.text;
        }
        return titles;
    }
    const quillon::platform::ScriptedMessageBox::Shown* Find(const QString& title) const
    {
        for (const auto& shown : box.shown) {
            if (shown.title == title)
                return &shown;
        }
        return nullptr;
    }
};

TEST(PrintRunSpoolTest, ABatchEndsAtTheLimitAndTheNextOneStartsAfterWhatWasSent)
{
    SpoolBench b;
    std::vector<ListRow> queue = b.Queue({"R1", "R2", "R3", "R4"});
    const RunResult result = b.Print(queue, 25); // two routines of 10 lines fit, a third does not
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    const auto* reached = b.Find("GDI Spool Size Reached");
    ASSERT_NE(reached, nullptr);
    EXPECT_TRUE(reached->text.contains("Selected procedures 1 through 2 out of the total 4 selected procedures have been sent to file."));
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.batches, 2);
    EXPECT_EQ(result.routinesPrinted, 4);
    ASSERT_EQ(b.requests.size(), 2u) << "each batch asks for its own file";
    EXPECT_EQ(b.requests[0].batch, 1);
    EXPECT_EQ(b.requests[1].batch, 2);
    EXPECT_EQ(b.requests[0].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation.pdf"));
    EXPECT_EQ(b.clipboard.first(), b.requests[0].suggested);
    EXPECT_EQ(b.surface.documents.size(), 2u);
    EXPECT_EQ(b.surface.documents[0].file, result.files[0].path);
    EXPECT_FALSE(queue[0].selected) << "the first batch's rows are unselected for the next";
    EXPECT_FALSE(queue[1].selected);
    EXPECT_EQ(b.Titles(), (QStringList{"modL.bas|R1", "modL.bas|R2", "modL.bas|R3", "modL.bas|R4"}));
    EXPECT_TRUE(result.report.startsWith("4 procedures sent to a file-based printer (Text To File).\r\n    Starting at 2:05:09 pm\r\n    Ending at 2:05:09 pm\r\n"));
    EXPECT_TRUE(result.report.endsWith("reader to open and print each file as needed."));
    // The second batch is a continuation: the target question is asked once.
    int targetQuestions = 0;
    for (const auto& shown : b.box.shown)
        targetQuestions += shown.title == "Output Target Is Not .pdf" ? 1 : 0;
    EXPECT_EQ(targetQuestions, 1);

    SpoolBench no;
    no.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::No};
    std::vector<ListRow> again = no.Queue({"R1", "R2", "R3", "R4"});
    const RunResult stopped = no.Print(again, 25);
    EXPECT_TRUE(stopped.ok);
    EXPECT_EQ(stopped.status, QStringLiteral("Batch printing terminated"));
    EXPECT_EQ(stopped.routinesPrinted, 2);
    EXPECT_EQ(no.surface.documents.size(), 1u) << "the ended batch is not ended twice";
}

TEST(PrintRunSpoolTest, ARoutineLargerThanAFileGoesIntoPartFilesOnEvenPages)
{
    SpoolBench b;
    std::vector<ListRow> queue = b.Queue({"Big", "R1"});
    const RunResult result = b.Print(queue, 150);
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    ASSERT_GE(b.requests.size(), 3u);
    EXPECT_EQ(b.requests[1].oversizePart, 1);
    EXPECT_EQ(b.requests[1].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation_Part1.pdf"));
    EXPECT_EQ(b.requests[2].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation_Part2.pdf"));
    const auto* tooLarge = b.Find("Procedure Too Large - Continuing In New File");
    ASSERT_NE(tooLarge, nullptr);
    EXPECT_TRUE(tooLarge->text.startsWith("Part 1 of the current procedure has been sent to file."));
    EXPECT_TRUE(tooLarge->text.contains("Press <Yes> to continue printing Part 2."));
    // Every part but the last ends on an even page, so the parts print two-sided cleanly.
    ASSERT_GE(b.surface.documents.size(), 3u);
    for (size_t i = 0; i + 1 < b.surface.documents.size(); ++i)
        EXPECT_EQ(b.surface.documents[i].pages % 2, 0) << i;
    EXPECT_EQ(result.files.size(), b.surface.documents.size());
    EXPECT_TRUE(result.files.front().path.endsWith("_Part1.pdf"));
    EXPECT_EQ(result.routinesPrinted, 2);
    EXPECT_TRUE(b.surface.Lines().contains("    y = 399")) << "the routine is printed to its end";
    EXPECT_FALSE(QFileInfo::exists(b.p.fx.path("!2026-03-07 2.05.09 pm Stock Program Documentation.pdf")))
        << "the first file's name was given up for the part's";

    SpoolBench no;
    no.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::No};
    std::vector<ListRow> again = no.Queue({"Big", "R1"});
    const RunResult abandoned = no.Print(again, 150);
    EXPECT_EQ(abandoned.status, QStringLiteral("Oversize procedure split abandoned by user"));
    EXPECT_EQ(no.surface.documents.size(), 1u);
    EXPECT_FALSE(no.surface.Lines().contains("    y = 399"));
    EXPECT_FALSE(no.Titles().contains("modL.bas|R1")) << "the run ends with the abandoned routine";
}

TEST(PrintRunSpoolTest, ACancelledSaveDialogCanBeTriedAgainOrEndsTheRun)
{
    SpoolBench b;
    b.answers = {QString(), b.p.fx.path("chosen.pdf")};
    b.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::Yes};
    std::vector<ListRow> queue = b.Queue({"R1"});
    const RunResult result = b.Print(queue, 0);
    ASSERT_TRUE(result.ok);
    const auto* cancelled = b.Find("File Selection Cancelled");
    ASSERT_NE(cancelled, nullptr);
    EXPECT_EQ(cancelled->text, QStringLiteral("The file save dialog was closed without selecting a file.\r\n\r\n"
                                              "Click <Yes> to try again or <No> to abandon the print run."));
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].path, b.p.fx.path("chosen.pdf"));

    SpoolBench gaveUp;
    gaveUp.answers = {QString()};
    gaveUp.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::No};
    std::vector<ListRow> again = gaveUp.Queue({"R1"});
    EXPECT_FALSE(gaveUp.Print(again, 0).ok);
    EXPECT_TRUE(gaveUp.surface.ops.empty()) << "nothing is printed without a file";
}

TEST(PrintRunSpoolTest, ACancelledNameForTheTableOfContentsEndsItWithANotice)
{
    SpoolBench b;
    b.answers = {QString()};
    auto toc = std::make_shared<quillon::model::clsRoutineInfo>();
    toc->FilePath = b.p.fx.writeLines("toc.txt", {"[ZRK-B].bas Files", "line"});
    toc->RoutineName = QStringLiteral("Table of Contents");
    toc->RoutineKind = QStringLiteral("TOC");
    toc->lStartLine = 1;
    toc->lEndLine = 2;
    std::vector<ListRow> queue{{toc, QStringLiteral("Table of Contents"), true}};
    EXPECT_FALSE(b.Print(queue, 0).ok);
    ASSERT_NE(b.Find("No File Selection"), nullptr);
    EXPECT_EQ(b.Find("No File Selection")->text,
              QStringLiteral("You selected cancel when asked for a file name.  The TOC print to file will now be cancelled."));
    EXPECT_EQ(b.Find("File Selection Cancelled"), nullptr) << "no second chance for the table of contents";
    EXPECT_TRUE(b.surface.ops.empty());
}

TEST(PrintRunSpoolTest, TheLastFileOfANonPdfTargetIsVerified)
{
    SpoolBench written;
    std::vector<ListRow> queue = written.Queue({"R1"});
    EXPECT_TRUE(written.Print(queue, 500).ok);
    EXPECT_EQ(written.Find("Verify Output File"), nullptr);
    EXPECT_EQ(written.Find("Bad Output File Notice"), nullptr);

    SpoolBench renamed; // the driver wrote somewhere else
    renamed.surface.writeFiles = false;
    std::vector<ListRow> q2 = renamed.Queue({"R1"});
    EXPECT_TRUE(renamed.Print(q2, 500).ok);
    EXPECT_NE(renamed.Find("Verify Output File"), nullptr);

    SpoolBench empty;
    empty.surface.writeFiles = false;
    const QString file = empty.p.fx.path("empty.pdf");
    QFile(file).open(QIODevice::WriteOnly);
    empty.answers = {file};
    std::vector<ListRow> q3 = empty.Queue({"R1"});
    const RunResult failed = empty.Print(q3, 500);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.status, QStringLiteral(" (Fail at 120)"));
    EXPECT_NE(empty.Find("Bad Output File Notice"), nullptr);
    EXPECT_EQ(empty.clock, 119 * 500) << "120 tries, 500 ms apart";

    SpoolBench noLimit; // a GDI Spool Size of 0 checks nothing
    noLimit.surface.writeFiles = false;
    std::vector<ListRow> q4 = noLimit.Queue({"R1"});
    EXPECT_TRUE(noLimit.Print(q4, 0).ok);
    EXPECT_EQ(noLimit.Find("Verify Output File"), nullptr);
}

TEST(PrintRunSpoolTest, APdfRunThatNeedsPartsSaysSoAndNamesThemAfterTheUsersFile)
{
    SpoolBench b;
    b.surface.SelectDevice(QStringLiteral("Recording PDF"));
    b.answers = {b.p.fx.path("Docs.PDF")};
    std::vector<ListRow> queue = b.Queue({"R1", "R2", "R3"});
    const RunResult result = b.Print(queue, 25);
    const auto* notice = b.Find("MULTIPLE TEMPORARY FILES EXPECTED");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->request.MessageKey, QStringLiteral("Multiple Temporary Files"));
    EXPECT_EQ(b.Find("GDI Spool Size Reached"), nullptr) << "a PDF run never stops for a batch";
    ASSERT_EQ(b.surface.documents.size(), 2u);
    EXPECT_EQ(b.surface.documents[0].file, b.p.fx.path("Docs.PDF"));
    EXPECT_EQ(b.surface.documents[1].file, b.p.fx.path("Docs_QLNTemp1.pdf"));
    EXPECT_TRUE(b.clipboard.contains(b.p.fx.path("Docs_QLNTemp1.pdf")));
    // The recorded parts are no PDF files: the combine fails and names both, which stay.
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(b.p.fx.path("Docs_QLNTemp1.pdf")));
}

// Form images go through the renderer hooks: their own status caption, the blank back page,
// the history, and the exception for an image larger than a whole output file.
struct ImageBench : SpoolBench {
    int pagesDrawn = 2;
    QStringList printedOn; // devices that got an image job of their own
    bool printerSelectable = true;

    ImageBench()
    {
        p.fx.writeLines("frmA.frm", {"VERSION 5.00", "Begin VB.Form frmA", "   Caption = \"A\"", "   ClientWidth = 4800",
                                     "   ClientHeight = 3600", "End", "Attribute VB_Name = \"frmA\"", "Private Sub Form_Load()",
                                     "End Sub"});
    }
    quillon::model::RoutinePtr Image()
    {
        const auto routines = quillon::model::SplitFileIntoRoutines(p.fx.path("frmA.frm"), p.reader);
        for (const auto& routine : routines) {
            if (quillon::model::KindIs(*routine, QLatin1StringView("IMAGE")))
                return routine;
        }
        return nullptr;
    }
    RunResult PrintImages(std::vector<ListRow>& queue, int spool)
    {
        run = std::make_unique<modQLProcedures>(surface, setup, options, warnings, box, &p.log);
        run->Reader = &p.reader;
        run->GdiSpoolSize = spool;
        run->OutputPath = p.fx.path("out.pdf");
        run->Status = [this](const QString& text) { statuses << text; };
        run->PrintImage = [this](quillon::model::clsRoutineInfo&) {
            PageFrame& frame = run->frame();
            for (int page = 1; page <= pagesDrawn; ++page) {
                frame.HeaderTitle = QStringLiteral("frmA.frm|Image - Layer %1 of %2").arg(page).arg(pagesDrawn);
                frame.StartPage();
                surface.PrintText(u"drawing", true);
                frame.PrintFooter();
            }
            return true;
        };
        run->ImagePages = [this](const quillon::model::clsRoutineInfo&) { return pagesDrawn; };
        run->PrintImageOnPrinter = [this](quillon::model::clsRoutineInfo&, const QString& device) {
            printedOn << device;
            return printerSelectable;
        };
        return run->RunPrintQueue(queue);
    }
    QStringList statuses;
};

TEST(PrintRunImageTest, AnImagePrintsThroughTheRendererWithItsCaptionAndBackPage)
{
    ImageBench b;
    b.surface.SelectDevice(QStringLiteral("Recording PDF"));
    b.setup.Duplex = true;
    b.pagesDrawn = 3;
    auto image = b.Image();
    ASSERT_NE(image, nullptr);
    std::vector<ListRow> queue{{image, QStringLiteral("frmA.frm|Image"), true}};
    const auto r1 = b.p.Routine("MODL|R1");
    queue.push_back({r1, quillon::model::ListText(*r1), true});
    const RunResult result = b.PrintImages(queue, 0);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.routinesPrinted, 2);
    EXPECT_TRUE(b.statuses.contains("Printing frmA.frm|Image (Procedure 1 of 2)"));
    EXPECT_TRUE(b.surface.TextsOnPage(4).contains("(This Page Intentionally Left Blank)")) << "three pages, then the back";
    EXPECT_TRUE(b.surface.TextsOnPage(5).contains("modL.bas|R1")) << "the next routine starts on a front side";

    ImageBench none; // no renderer: the image prints nothing and is not counted
    none.surface.SelectDevice(QStringLiteral("Recording PDF"));
    std::vector<ListRow> q2{{none.Image(), QStringLiteral("frmA.frm|Image"), true}};
    none.run = std::make_unique<modQLProcedures>(none.surface, none.setup, none.options, none.warnings, none.box, &none.p.log);
    none.run->OutputPath = none.p.fx.path("none.pdf");
    EXPECT_EQ(none.run->RunPrintQueue(q2).routinesPrinted, 0);
}

TEST(PrintRunImageTest, AnImageLargerThanAWholeFileGoesToTheDefaultPrinterOrIsSkipped)
{
    ImageBench b;
    b.pagesDrawn = 4; // 4 pages of 63 lines: far beyond 100
    b.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::Yes};
    std::vector<ListRow> queue{{b.Image(), QStringLiteral("frmA.frm|Image"), true}};
    const auto r1 = b.p.Routine("MODL|R1");
    queue.push_back({r1, quillon::model::ListText(*r1), true});
    const RunResult result = b.PrintImages(queue, 100);
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    const auto* question = b.Find("Form Image Exceeds GDI Spool Size");
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(question->text.startsWith("The form image frmA.frm is estimated to exceed the GDI Spool Size limit by itself"));
    EXPECT_EQ(b.printedOn, QStringList{"Recording PDF"}) << "the default printer, not the file target";
    EXPECT_TRUE(b.surface.Texts().contains("A single page was omitted here - sent to the printer"));
    EXPECT_TRUE(b.surface.Texts().contains("(frmA.frm)"));
    EXPECT_FALSE(b.surface.Texts().contains("drawing")) << "the image never goes into the file";
    EXPECT_EQ(result.routinesPrinted, 2);

    ImageBench failing;
    failing.pagesDrawn = 4;
    failing.printerSelectable = false;
    failing.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::Yes};
    std::vector<ListRow> q2{{failing.Image(), QStringLiteral("frmA.frm|Image"), true}};
    failing.PrintImages(q2, 100);
    const auto* skipped = failing.Find("Form Image Skipped");
    ASSERT_NE(skipped, nullptr);
    EXPECT_EQ(skipped->text, QStringLiteral("The default printer Recording PDF could not be selected.  The form image will be skipped."));
    EXPECT_TRUE(failing.surface.Texts().contains("A single page was omitted here - not sent to the printer"));

    ImageBench sameDevice; // the default printer is the file target itself
    sameDevice.pagesDrawn = 4;
    sameDevice.surface.defaultDevice = QStringLiteral("Text To File");
    sameDevice.box.results = {quillon::platform::MsgResult::No, quillon::platform::MsgResult::Yes};
    std::vector<ListRow> q3{{sameDevice.Image(), QStringLiteral("frmA.frm|Image"), true}};
    sameDevice.PrintImages(q3, 100);
    ASSERT_NE(sameDevice.Find("Form Image Skipped"), nullptr);
    EXPECT_TRUE(sameDevice.Find("Form Image Skipped")->text.startsWith("The Windows default printer could not be determined"));
    EXPECT_TRUE(sameDevice.printedOn.isEmpty());
}

} // namespace
