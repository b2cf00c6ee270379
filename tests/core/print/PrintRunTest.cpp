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
using quillon::platform::MsgResult;
using quillon::test::Module;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

// One project for every run: modA and clsP for plain listings, modL (four routines of 10
// lines and one of 400) for the spool limit, frmA for form images through the renderer hooks.
struct Bench {
    quillon::test::LoadedProject p;
    quillon::platform::RecordingPrintSurface surface;
    quillon::platform::BuiltInPdfPrinterDefaults printerDefaults;
    quillon::config::IniStore ini{p.fx.path("QLN.spi"), &p.log};
    quillon::config::Options options{ini, printerDefaults};
    quillon::platform::ScriptedMessageBox box;
    quillon::config::modZRK_MsgBox warnings{ini, box};
    PageSetup setup;
    std::unique_ptr<modQLProcedures> run;
    std::vector<ListRow> queue;
    QStringList statuses, clipboard, printedOn;
    std::vector<OutputFileRequest> requests;
    QStringList answers; // file names the "save dialog" gives, in order; "" cancels
    qint64 clock = 0;
    bool askForFiles = true, renderer = true, printerSelectable = true;
    int imagePages = 2;

    explicit Bench(bool textFile = false)
    {
        QStringList ten, big;
        for (int i = 0; i < 8; ++i)
            ten << QStringLiteral("x = %1").arg(i);
        for (int i = 0; i < 400; ++i)
            big << QStringLiteral("y = %1").arg(i);
        p.Load({Module("modA", {{"One", {"x = 1"}}, {"Two", {"Three"}}, {"Three", {"y = 2"}}}),
                {"clsP.cls", {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "    Size = 1", "End Property"}},
                Module("modL", {{"R1", ten}, {"R2", ten}, {"R3", ten}, {"R4", ten}, {"Big", big}})});
        p.fx.writeLines("frmA.frm", {"VERSION 5.00", "Begin VB.Form frmA", "   Caption = \"A\"", "   ClientWidth = 4800",
                                     "   ClientHeight = 3600", "End", "Attribute VB_Name = \"frmA\"", "Private Sub Form_Load()",
                                     "End Sub"});
        if (textFile) {
            surface.printers.push_back({QStringLiteral("Text To File"), QStringLiteral("Generic Text"), QStringLiteral("FILE:")});
            surface.SelectDevice(QStringLiteral("Text To File"));
            surface.writeFiles = true;
        }
    }
    // Rows by key; "-" before a key leaves the row unselected, "IMAGE" is frmA's image.
    std::vector<ListRow>& Queue(std::initializer_list<const char*> keys)
    {
        queue.clear();
        for (const char* key : keys) {
            const bool selected = key[0] != '-';
            auto routine = QString::fromLatin1(key) == "IMAGE" ? Image() : p.Routine(QString::fromLatin1(key + (selected ? 0 : 1)));
            queue.push_back({routine, quillon::model::ListText(*routine), selected});
        }
        return queue;
    }
    quillon::model::RoutinePtr Image()
    {
        for (const auto& routine : quillon::model::SplitFileIntoRoutines(p.fx.path("frmA.frm"), p.reader)) {
            if (quillon::model::KindIs(*routine, QLatin1StringView("IMAGE")))
                return routine;
        }
        return nullptr;
    }
    RunResult Print(std::vector<ListRow>& rows, int spool = 0)
    {
        run = std::make_unique<modQLProcedures>(surface, setup, options, warnings, box, &p.log);
        run->Index = &p.dep();
        run->Reader = &p.reader;
        run->GdiSpoolSize = spool;
        run->ProjectName = QStringLiteral("Stock");
        run->now = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); };
        run->FindRoutine = [this](const QString& key) {
            for (const auto& [path, routines] : p.project.RoutinesByFile.entries()) {
                for (const auto& routine : routines) {
                    if (routine->UniqueKey == key)
                        return routine;
                }
            }
            return quillon::model::RoutinePtr();
        };
        run->Status = [this](const QString& text) { statuses << text; };
        run->CopyToClipboard = [this](const QString& name) { clipboard << name; };
        run->Waits = {[this](int ms) { clock += ms; }, [this] { return clock; }};
        if (askForFiles) {
            run->ChooseOutputFile = [this](const OutputFileRequest& request) {
                requests.push_back(request);
                return answers.isEmpty() ? p.fx.path(request.suggested) : answers.takeFirst();
            };
        }
        if (renderer) {
            run->PrintImage = [this](quillon::model::clsRoutineInfo&) {
                for (int page = 1; page <= imagePages; ++page) {
                    run->frame().HeaderTitle = QStringLiteral("frmA.frm|Image - Layer %1 of %2").arg(page).arg(imagePages);
                    run->frame().StartPage();
                    surface.PrintText(u"drawing", true);
                    run->frame().PrintFooter();
                }
                return true;
            };
            run->ImagePages = [this](const quillon::model::clsRoutineInfo&) { return imagePages; };
        }
        run->PrintImageOnPrinter = [this](quillon::model::clsRoutineInfo&, const QString& device) {
            printedOn << device;
            return printerSelectable;
        };
        return run->RunPrintQueue(rows);
    }
    // The routine titles (12-point bold), each once, with its page when asked.
    QStringList Titles(bool pages = false) const
    {
        QStringList titles;
        for (const Op& op : surface.ops) {
            const QString title = pages ? QStringLiteral("%1:%2").arg(op.page).arg(op.text) : op.text;
            if (op.kind == Op::Kind::Text && op.bold && op.fontSize == 12 && !titles.contains(title))
                titles << title;
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
    QString Shown(const QString& title) const { return Find(title) ? Find(title)->text : QStringLiteral("(not shown)"); }
    int Count(const QString& title) const
    {
        return int(std::count_if(box.shown.begin(), box.shown.end(), [&](const auto& s) { return s.title == title; }));
    }
};

TEST(PrintRunTest, SelectedRowsEachStartOnTheirOwnPage)
{
    Bench b;
    b.askForFiles = false;
    const RunResult result = b.Print(b.Queue({"MODA|ONE", "-MODA|TWO", "MODA|THREE", "CLSP|SIZE"}));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.routinesPrinted, 3);
    EXPECT_EQ(b.Titles(true), (QStringList{"1:modA.bas|One", "2:modA.bas|Three", "3:clsP.cls|PROPERTY GET Size"}));
    for (const char* status : {"Printing modA.bas|One (Procedure 1 of 3) line 2 of 4",
                               "Printing modA.bas|Three (Procedure 2 of 3) line 10 of 10",
                               "Printing clsP.cls|PROPERTY GET Size (Procedure 3 of 3) line 4 of 4"})
        EXPECT_TRUE(b.statuses.contains(QString::fromLatin1(status))) << status;
    EXPECT_TRUE(b.surface.TextsOnPage(2).contains("Page 1 of 1 (est)")) << "page numbers start again per routine";
    EXPECT_EQ(result.report, QStringLiteral("3 procedures sent to a file-based printer (Recording PDF).\r\nFind the file "
                                            "name selected for the output and use a PDF/file reader to open and print "
                                            "the file as needed."));

    Bench duplex; // every routine starts on a front side; the blank back carries the frame before it
    duplex.askForFiles = false;
    duplex.setup.Duplex = true;
    duplex.Print(duplex.Queue({"MODA|ONE", "MODA|THREE"}));
    EXPECT_EQ(duplex.Titles(true), (QStringList{"1:modA.bas|One", "2:modA.bas|One (cont.)", "3:modA.bas|Three",
                                                "4:modA.bas|Three (cont.)"}));
    EXPECT_TRUE(duplex.surface.TextsOnPage(4).contains("(This Page Intentionally Left Blank)"));
    EXPECT_EQ(duplex.surface.PagesStarted(), 4);
}

TEST(PrintRunTest, NothingToPrintAndAnInvalidRange)
{
    Bench b;
    std::vector<ListRow> none;
    EXPECT_FALSE(b.Print(none).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No routines are in the print queue."));
    EXPECT_FALSE(b.Print(b.Queue({"-MODA|ONE"})).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No procedures were selected to print."));

    auto broken = std::make_shared<quillon::model::clsRoutineInfo>(*b.p.Routine("MODA|ONE"));
    broken->lEndLine = 0;
    std::vector<ListRow> rows{{broken, QStringLiteral("modA.bas|Public Sub One"), true}};
    b.Print(rows);
    const QString error = QStringLiteral("*** INTERNAL ERROR Quillon | Reason: Routine range invalid | File: ");
    const auto found = std::find_if(b.surface.ops.begin(), b.surface.ops.end(), [&](const Op& op) { return op.text.startsWith(error); });
    ASSERT_NE(found, b.surface.ops.end());
    EXPECT_EQ(found->color, quillon::platform::Rgb(255, 0, 0));
    EXPECT_TRUE(found->text.endsWith(" | Procedure: One | Kind: Sub | Start: 2  End: 0"));
}

TEST(PrintRunTest, ADeviceWithoutDuplexAsksAndPrintsSimplexWithoutTheBinder)
{
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        Bench b;
        b.surface.supportsDuplex = false;
        ASSERT_TRUE(b.surface.SelectDevice("Office Laser"));
        b.setup.DeviceName = "Office Laser";
        b.setup.Duplex = true;
        b.setup.BindingEdge = 1;
        b.box.results.push_back(answer);
        const RunResult result = b.Print(b.Queue({"MODA|ONE"}));
        EXPECT_EQ(b.box.shown.at(0).title, QStringLiteral("Duplex Unavailable"));
        EXPECT_TRUE(b.box.shown[0].text.contains("bind the output at the Left edge."));
        if (answer == MsgResult::No) {
            EXPECT_FALSE(result.ok);
            continue;
        }
        ASSERT_TRUE(result.ok);
        EXPECT_FALSE(b.setup.Duplex);
        EXPECT_EQ(b.run->frame().Left, 720) << "no binder offset";
        EXPECT_EQ(result.report, QStringLiteral("Output of 1 procedure sent to Office Laser completed."));
    }
}

TEST(PrintRunTest, DependencyReportsPrintFromATemporaryFileThatIsRemoved)
{
    Bench b;
    auto pseudo = quillon::analysis::MakeDependencyPseudoRoutine(*b.p.Routine("MODA|THREE"));
    const QString path = pseudo->FilePath;
    std::vector<ListRow> rows{{pseudo, QStringLiteral("modA.bas|Public Sub Three|Dep"), true}};
    b.Print(rows);
    EXPECT_EQ(b.Titles(true), QStringList{"1:modA.bas|Three|Dep"});
    EXPECT_TRUE(b.surface.Lines().contains(QStringLiteral("  File A|Public Sub Two"))) << "the connector tag becomes two blanks";
    EXPECT_FALSE(b.surface.Lines().join(QString()).contains(QStringLiteral("[ZRK")));
    EXPECT_EQ(pseudo->FilePath, path) << "the record gets its file back";
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_DEP_*"}).isEmpty()) << "the report file is gone";
}

TEST(PrintRunSpoolTest, ABatchEndsAtTheLimitAndTheNextOneStartsAfterWhatWasSent)
{
    Bench b(true);
    const RunResult result = b.Print(b.Queue({"MODL|R1", "MODL|R2", "MODL|R3", "MODL|R4"}), 25); // two fit, a third not
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    EXPECT_TRUE(b.Shown("GDI Spool Size Reached")
                    .contains("Selected procedures 1 through 2 out of the total 4 selected procedures have been sent to file."));
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.batches, 2);
    EXPECT_EQ(result.routinesPrinted, 4);
    ASSERT_EQ(b.requests.size(), 2u) << "each batch asks for its own file";
    EXPECT_EQ(b.requests[1].batch, 2);
    EXPECT_EQ(b.requests[0].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation.pdf"));
    EXPECT_EQ(b.clipboard.first(), b.requests[0].suggested);
    ASSERT_EQ(b.surface.documents.size(), 2u);
    EXPECT_EQ(b.surface.documents[0].file, result.files[0].path);
    EXPECT_FALSE(b.queue[0].selected || b.queue[1].selected) << "the first batch's rows are unselected for the next";
    EXPECT_EQ(b.Titles(), (QStringList{"modL.bas|R1", "modL.bas|R2", "modL.bas|R3", "modL.bas|R4"}));
    EXPECT_TRUE(result.report.startsWith("4 procedures sent to a file-based printer (Text To File).\r\n    Starting at 2:05:09 pm\r\n    Ending at 2:05:09 pm\r\n"));
    EXPECT_TRUE(result.report.endsWith("reader to open and print each file as needed."));
    EXPECT_EQ(b.Count("Output Target Is Not .pdf"), 1) << "the second batch is a continuation";

    Bench no(true);
    no.box.results = {MsgResult::No, MsgResult::No};
    const RunResult stopped = no.Print(no.Queue({"MODL|R1", "MODL|R2", "MODL|R3", "MODL|R4"}), 25);
    EXPECT_TRUE(stopped.ok);
    EXPECT_EQ(stopped.status, QStringLiteral("Batch printing terminated"));
    EXPECT_EQ(stopped.routinesPrinted, 2);
    EXPECT_EQ(no.surface.documents.size(), 1u) << "the ended batch is not ended twice";
}

TEST(PrintRunSpoolTest, ARoutineLargerThanAFileGoesIntoPartFilesOnEvenPages)
{
    Bench b(true);
    const RunResult result = b.Print(b.Queue({"MODL|BIG", "MODL|R1"}), 150);
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    ASSERT_GE(b.requests.size(), 3u);
    EXPECT_EQ(b.requests[1].oversizePart, 1);
    EXPECT_EQ(b.requests[1].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation_Part1.pdf"));
    EXPECT_EQ(b.requests[2].suggested, QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation_Part2.pdf"));
    const QString tooLarge = b.Shown("Procedure Too Large - Continuing In New File");
    EXPECT_TRUE(tooLarge.startsWith("Part 1 of the current procedure has been sent to file.")) << tooLarge.toStdString();
    EXPECT_TRUE(tooLarge.contains("Press <Yes> to continue printing Part 2."));
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

    Bench no(true);
    no.box.results = {MsgResult::No, MsgResult::No};
    const RunResult abandoned = no.Print(no.Queue({"MODL|BIG", "MODL|R1"}), 150);
    EXPECT_EQ(abandoned.status, QStringLiteral("Oversize procedure split abandoned by user"));
    EXPECT_EQ(no.surface.documents.size(), 1u);
    EXPECT_FALSE(no.surface.Lines().contains("    y = 399"));
    EXPECT_FALSE(no.Titles().contains("modL.bas|R1")) << "the run ends with the abandoned routine";
}

TEST(PrintRunSpoolTest, ACancelledFileNameIsAskedAgainOrEndsTheRun)
{
    Bench b(true);
    b.answers = {QString(), b.p.fx.path("chosen.pdf")};
    b.box.results = {MsgResult::No, MsgResult::Yes};
    const RunResult result = b.Print(b.Queue({"MODL|R1"}));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(b.Shown("File Selection Cancelled"), QStringLiteral("The file save dialog was closed without selecting a file.\r\n\r\n"
                                                                  "Click <Yes> to try again or <No> to abandon the print run."));
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].path, b.p.fx.path("chosen.pdf"));

    Bench gaveUp(true);
    gaveUp.answers = {QString()};
    gaveUp.box.results = {MsgResult::No, MsgResult::No};
    EXPECT_FALSE(gaveUp.Print(gaveUp.Queue({"MODL|R1"})).ok);
    EXPECT_TRUE(gaveUp.surface.ops.empty()) << "nothing is printed without a file";

    Bench toc(true); // the table of contents ends at once, with a notice of its own
    toc.answers = {QString()};
    auto contents = std::make_shared<quillon::model::clsRoutineInfo>();
    contents->FilePath = toc.p.fx.writeLines("toc.txt", {"[ZRK-B].bas Files", "line"});
    contents->RoutineName = QStringLiteral("Table of Contents");
    contents->RoutineKind = QStringLiteral("TOC");
    contents->lStartLine = 1;
    contents->lEndLine = 2;
    std::vector<ListRow> rows{{contents, QStringLiteral("Table of Contents"), true}};
    EXPECT_FALSE(toc.Print(rows).ok);
    EXPECT_EQ(toc.Shown("No File Selection"),
              QStringLiteral("You selected cancel when asked for a file name.  The TOC print to file will now be cancelled."));
    EXPECT_EQ(toc.Count("File Selection Cancelled"), 0) << "no second chance for the table of contents";
    EXPECT_TRUE(toc.surface.ops.empty());
}

TEST(PrintRunSpoolTest, TheLastFileOfANonPdfTargetIsVerified)
{
    // written by the driver, spool size, file named beforehand; the notices expected
    const std::tuple<bool, int, bool, int, int> cases[] = {
        {true, 500, false, 0, 0},  // written: nothing to say
        {false, 500, false, 1, 0}, // the driver wrote somewhere else
        {false, 0, false, 0, 0},   // a GDI Spool Size of 0 checks nothing
        {false, 500, true, 0, 1},  // an empty file: the run failed after 120 tries, 500 ms apart
    };
    for (const auto& [written, spool, emptyFile, verifyNotices, badNotices] : cases) {
        SCOPED_TRACE(testing::Message() << written << " " << spool << " " << emptyFile);
        Bench b(true);
        b.surface.writeFiles = written;
        if (emptyFile) {
            b.answers = {b.p.fx.path("empty.pdf")};
            QFile(b.answers[0]).open(QIODevice::WriteOnly);
        }
        const RunResult result = b.Print(b.Queue({"MODL|R1"}), spool);
        EXPECT_EQ(b.Count("Verify Output File"), verifyNotices);
        EXPECT_EQ(b.Count("Bad Output File Notice"), badNotices);
        EXPECT_EQ(result.ok, !emptyFile);
        EXPECT_EQ(result.status, emptyFile ? QStringLiteral(" (Fail at 120)") : QString());
        EXPECT_EQ(b.clock, emptyFile ? 119 * 500 : 0);
    }
}

TEST(PrintRunSpoolTest, APdfRunThatNeedsPartsSaysSoAndNamesThemAfterTheUsersFile)
{
    Bench b(true);
    b.surface.SelectDevice(QStringLiteral("Recording PDF"));
    b.answers = {b.p.fx.path("Docs.PDF")};
    const RunResult result = b.Print(b.Queue({"MODL|R1", "MODL|R2", "MODL|R3"}), 25);
    ASSERT_NE(b.Find("MULTIPLE TEMPORARY FILES EXPECTED"), nullptr);
    EXPECT_EQ(b.Find("MULTIPLE TEMPORARY FILES EXPECTED")->request.MessageKey, QStringLiteral("Multiple Temporary Files"));
    EXPECT_EQ(b.Count("GDI Spool Size Reached"), 0) << "a PDF run never stops for a batch";
    ASSERT_EQ(b.surface.documents.size(), 2u);
    EXPECT_EQ(b.surface.documents[0].file, b.p.fx.path("Docs.PDF"));
    EXPECT_EQ(b.surface.documents[1].file, b.p.fx.path("Docs_QLNTemp1.pdf"));
    EXPECT_TRUE(b.clipboard.contains(b.p.fx.path("Docs_QLNTemp1.pdf")));
    // The recorded parts are no PDF files: the combine fails and names both, which stay.
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(b.p.fx.path("Docs_QLNTemp1.pdf")));
}

TEST(PrintRunImageTest, AnImagePrintsThroughTheRendererWithItsCaptionAndBackPage)
{
    Bench b;
    b.setup.Duplex = true;
    b.imagePages = 3;
    const RunResult result = b.Print(b.Queue({"IMAGE", "MODL|R1"}));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.routinesPrinted, 2);
    EXPECT_TRUE(b.statuses.contains("Printing frmA.frm|Image (Procedure 1 of 2)"));
    EXPECT_TRUE(b.surface.TextsOnPage(4).contains("(This Page Intentionally Left Blank)")) << "three pages, then the back";
    EXPECT_TRUE(b.surface.TextsOnPage(5).contains("modL.bas|R1")) << "the next routine starts on a front side";

    Bench none; // no renderer: the image prints nothing and is not counted
    none.renderer = false;
    EXPECT_EQ(none.Print(none.Queue({"IMAGE"})).routinesPrinted, 0);
}

TEST(PrintRunImageTest, AnImageLargerThanAWholeFileGoesToTheDefaultPrinterOrIsSkipped)
{
    Bench b(true);
    b.imagePages = 4; // 4 pages of 63 lines: far beyond 100
    b.box.results = {MsgResult::No, MsgResult::Yes};
    const RunResult result = b.Print(b.Queue({"IMAGE", "MODL|R1"}), 100);
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    EXPECT_TRUE(b.Shown("Form Image Exceeds GDI Spool Size")
                    .startsWith("The form image frmA.frm is estimated to exceed the GDI Spool Size limit by itself"));
    EXPECT_EQ(b.printedOn, QStringList{"Recording PDF"}) << "the default printer, not the file target";
    EXPECT_TRUE(b.surface.Texts().contains("A single page was omitted here - sent to the printer"));
    EXPECT_TRUE(b.surface.Texts().contains("(frmA.frm)"));
    EXPECT_FALSE(b.surface.Texts().contains("drawing")) << "the image never goes into the file";
    EXPECT_EQ(result.routinesPrinted, 2);

    Bench failing(true);
    failing.imagePages = 4;
    failing.printerSelectable = false;
    failing.box.results = {MsgResult::No, MsgResult::Yes};
    failing.Print(failing.Queue({"IMAGE"}), 100);
    EXPECT_EQ(failing.Shown("Form Image Skipped"),
              QStringLiteral("The default printer Recording PDF could not be selected.  The form image will be skipped."));
    EXPECT_TRUE(failing.surface.Texts().contains("A single page was omitted here - not sent to the printer"));

    Bench same(true); // the default printer is the file target itself
    same.imagePages = 4;
    same.surface.defaultDevice = QStringLiteral("Text To File");
    same.box.results = {MsgResult::No, MsgResult::Yes};
    same.Print(same.Queue({"IMAGE"}), 100);
    EXPECT_TRUE(same.Shown("Form Image Skipped").startsWith("The Windows default printer could not be determined"));
    EXPECT_TRUE(same.printedOn.isEmpty());
}

} // namespace
