#include "print/PrintRun.h"
#include "analysis/DependencyReport.h"
#include "config/Options.h"
#include "core/analysis/AnalysisFixture.h"
#include "core/print/PrintFixture.h"
#include "model/RoutineParser.h"
#include "platform/PdfNavigation.h"
#include "platform/PrinterDefaults.h"
#include "print/TocText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::platform::MessageResult;
using quillon::test::module;
using Op = quillon::test::RecordingPrintSurface::Op;

namespace {

// One project for every run: modA and clsP for plain listings, modL (four routines of 10
// lines and one of 400) for the spool limit, frmA for form images through the renderer hooks.
// The print bench gives the surface, the page set-up, the options file and the message box.
struct Bench : quillon::test::PrintBench {
    quillon::test::LoadedProject p;
    quillon::platform::BuiltInPdfPrinterDefaults printerDefaults;
    quillon::config::Options options {ini, printerDefaults};
    std::unique_ptr<PrintRun> run; // the run under test (the bench's own run state goes unused)
    std::vector<ListRow> queue;
    QHash<QString, quillon::model::RoutinePtr> byKey;
    std::vector<OutputFileRequest> requests;
    QStringList statuses, clipboard, printedOn, answers; // answers: the save dialog's, in order; "" cancels
    qint64 clock = 0;
    bool askForFiles = true, renderer = true, printerSelectable = true;
    int imagePages = 2;
    int cancelAfter = 0; // the run is cancelled once this many routines have printed (0: never)
    quillon::platform::IPdfNavigator* navigator = nullptr;

    explicit Bench(bool textFile = false)
    {
        QStringList big;
        for (int i = 0; i < 400; ++i)
            big << QStringLiteral("y = %1").arg(i);
        const QStringList ten = big.mid(0, 8);
        p.load({module("modA", {{"One", {"x = 1"}}, {"Two", {"Three"}}, {"Three", {"y = 2"}}}),
            {"clsP.cls", {"Attribute VB_Name = \"clsP\"", "Public Property Get Size() As Long", "    Size = 1", "End Property"}},
            module("modL", {{"R1", ten}, {"R2", ten}, {"R3", ten}, {"R4", ten}, {"Big", big}})});
        p.fx.writeLines("frmA.frm", {"VERSION 5.00", "Begin VB.Form frmA", "   Caption = \"A\"", "End", "Attribute VB_Name = \"frmA\""});
        for (const auto& [path, routines] : p.project.routinesByFile.entries()) {
            for (const auto& routine : routines)
                byKey.insert(routine->uniqueKey, routine);
        }
        if (textFile) {
            surface.installedPrinters.push_back({QStringLiteral("Text To File"), QStringLiteral("Generic Text"), QStringLiteral("FILE:")});
            surface.selectDevice(QStringLiteral("Text To File"));
            surface.writeFiles = true;
        }
    }
    // Rows by key; "-" before a key leaves the row unselected, "IMAGE" is frmA's image.
    std::vector<ListRow>& makeQueue(std::initializer_list<const char*> keys)
    {
        queue.clear();
        for (const char* key : keys) {
            quillon::model::RoutinePtr routine = p.routineFor(QString::fromLatin1(key + (*key == '-')));
            for (const auto& r : quillon::model::splitFileIntoRoutines(p.fx.path("frmA.frm"), p.reader))
                routine = QString::fromLatin1(key) == "IMAGE" && r->kind == quillon::model::RoutineKind::Image ? r : routine;
            queue.push_back({routine, quillon::model::listText(*routine), *key != '-'});
        }
        return queue;
    }
    RunResult print(std::vector<ListRow>& rows, int spool = 0)
    {
        quillon::platform::RunEnvironment environment = quillon::platform::systemEnvironment();
        environment.now = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)); };
        run = std::make_unique<PrintRun>(surface, setup, options, messages, box, &p.log, environment);
        run->index = &p.dep();
        run->reader = &p.reader;
        run->gdiSpoolSize = spool;
        run->projectName = QStringLiteral("Stock");
        run->findRoutine = [this](const QString& key) { return byKey.value(key); };
        run->status = [this](const QString& text) { statuses << text; };
        run->copyToClipboard = [this](const QString& name) { clipboard << name; };
        run->waits = {[this](int ms) { clock += ms; }, [this] { return clock; }};
        run->cancelRequested = [this, asked = 0]() mutable { return ++asked == cancelAfter; };
        run->navigator = navigator;
        if (askForFiles) {
            run->chooseOutputFile = [this](const OutputFileRequest& request) {
                requests.push_back(request);
                return answers.isEmpty() ? p.fx.path(request.suggested) : answers.takeFirst();
            };
        }
        if (renderer) {
            run->printImage = [this](quillon::model::Routine&) {
                for (int page = 1; page <= imagePages; ++page) {
                    run->frame().startPage();
                    surface.printText(u"drawing", true);
                    run->frame().printFooter();
                }
                return true;
            };
            run->imagePages = [this](const quillon::model::Routine&) { return imagePages; };
        }
        run->printImageOnPrinter = [this](quillon::model::Routine&, const QString& device) {
            printedOn << device;
            return printerSelectable;
        };
        return run->runPrintQueue(rows);
    }
    // The routine titles (12-point bold), each once, with its page when asked.
    QStringList titles(bool pages = false) const
    {
        QStringList titles;
        for (const Op& op : surface.ops) {
            const QString title = pages ? QStringLiteral("%1:%2").arg(op.page).arg(op.text) : op.text;
            if (op.kind == Op::Kind::Text && op.bold && op.fontSize == 12 && !titles.contains(title))
                titles << title;
        }
        return titles;
    }
    // The texts of the messages shown with this title.
    QStringList shown(const QString& title) const
    {
        QStringList texts;
        for (const auto& shown : box.shown)
            texts << (shown.title == title ? shown.text : QString());
        texts.removeAll(QString());
        return texts;
    }
};

TEST(PrintRunTest, SelectedRowsEachStartOnTheirOwnPageOnAFrontSideWhenTwoSidedNothingToPrintAndADependencyReport)
{
    Bench b;
    b.askForFiles = false;
    const RunResult result = b.print(b.makeQueue({"MODA|ONE", "-MODA|TWO", "MODA|THREE", "CLSP|SIZE"}));
    EXPECT_EQ(b.titles(true), (QStringList {"1:modA.bas|One", "2:modA.bas|Three", "3:clsP.cls|PROPERTY GET Size"}));
    EXPECT_TRUE(b.statuses.contains("Printing modA.bas|Three (Procedure 2 of 3) line 10 of 10"));
    EXPECT_TRUE(b.surface.texts(2).contains("Page 1 of 1 (est)")) << "page numbers start again per routine";
    EXPECT_EQ(std::tuple(result.ok, result.report),
        std::tuple(true,
            "3 procedures sent to a file-based printer (Recording PDF).\r\nFind the file "
            "name selected for the output and use a PDF/file reader to open and print the file as needed."));

    Bench duplex; // every routine starts on a front side; the blank back carries the frame before it
    duplex.askForFiles = false;
    duplex.setup.duplex = true;
    duplex.print(duplex.makeQueue({"MODA|ONE", "MODA|THREE"}));
    EXPECT_EQ(duplex.titles(true), (QStringList {"1:modA.bas|One", "2:modA.bas|One (cont.)", "3:modA.bas|Three", "4:modA.bas|Three (cont.)"}));

    // A device without duplex asks, then prints simplex without the binder offset, or stops.
    for (const MessageResult answer : {MessageResult::Yes, MessageResult::No}) {
        Bench simplex;
        simplex.surface.supportsDuplex = false;
        ASSERT_TRUE(simplex.surface.selectDevice("Office Laser"));
        simplex.setup.deviceName = "Office Laser";
        simplex.setup.duplex = true;
        simplex.setup.bindingEdge = 1;
        simplex.box.results.push_back(answer);
        const RunResult asked = simplex.print(simplex.makeQueue({"MODA|ONE"}));
        EXPECT_EQ(simplex.shown("Duplex Unavailable").filter("bind the output at the Left edge.").size(), 1);
        EXPECT_EQ(asked.ok, answer == MessageResult::Yes);
        if (answer == MessageResult::Yes) {
            EXPECT_EQ(std::tuple(simplex.setup.duplex, simplex.run->frame().left, asked.report),
                std::tuple(false, 720, "Output of 1 procedure sent to Office Laser completed."));
        }
    }

    // Nothing to print, then a routine with an invalid range.
    std::vector<ListRow> rows;
    EXPECT_FALSE(b.print(rows).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No routines are in the print queue."));
    EXPECT_FALSE(b.print(b.makeQueue({"-MODA|ONE"})).ok);
    EXPECT_EQ(b.box.shown.back().text, QStringLiteral("No procedures were selected to print."));

    auto broken = std::make_shared<quillon::model::Routine>(*b.p.routineFor("MODA|ONE"));
    broken->endLine = 0;
    rows = {{broken, QStringLiteral("modA.bas|Public Sub One"), true}};
    b.print(rows);
    const auto error = std::find_if(b.surface.ops.begin(), b.surface.ops.end(), [](const Op& op) { return op.text.startsWith("*** "); });
    ASSERT_NE(error, b.surface.ops.end());
    EXPECT_EQ(std::tuple(error->text, error->color),
        std::tuple(
            "*** INTERNAL ERROR Quillon | Reason: Routine range invalid | File: " + broken->filePath + " | Procedure: One | Kind: Sub | Start: 2  End: 0",
            quillon::platform::rgb(255, 0, 0)));

    Bench dep; // printed from a temporary file, which is removed
    auto pseudo = quillon::analysis::makeDependencyPseudoRoutine(*dep.p.routineFor("MODA|THREE"));
    const QString path = pseudo->filePath;
    rows = {{pseudo, QStringLiteral("modA.bas|Public Sub Three|Dep"), true}};
    dep.print(rows);
    EXPECT_EQ(dep.titles(true), QStringList {"1:modA.bas|Three|Dep"});
    EXPECT_EQ(pseudo->filePath, path) << "the record gets its file back";
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP")).entryList({"QLN_DEP_*"}).isEmpty()) << "the report file is gone";
}

// A PDF run notes the page of each routine's title and where its reports name other routines: the
// finished file gets a bookmark per file with its routines under it, and links to the routines named.
TEST(PrintRunTest, APdfGetsABookmarkPerFileAndRoutineAndLinksFromReportEntries)
{
    struct : quillon::platform::IPdfNavigator {
        QString path;
        quillon::platform::DocumentNavigation got;
        bool addNavigation(const QString& file, const quillon::platform::DocumentNavigation& navigation, QString*) override
        {
            std::tie(path, got) = std::tuple(file, navigation);
            return true;
        }
    } navigator;
    Bench b;
    b.navigator = &navigator;
    std::vector<ListRow>& rows = b.makeQueue({"MODA|ONE", "MODA|THREE", "CLSP|SIZE"});
    rows.push_back({quillon::analysis::makeDependencyPseudoRoutine(*b.p.routineFor("MODA|TWO")), "modA.bas|Public Sub Two|Dep", true});
    const RunResult result = b.print(rows);
    QStringList outline;
    for (const auto& file : navigator.got.outline) {
        outline << QString("%1@%2").arg(file.title).arg(file.page);
        for (const auto& routine : file.children)
            outline << QString("  %1@%2").arg(routine.title).arg(routine.page);
    }
    EXPECT_EQ(outline,
        (QStringList {"modA.bas@0", "  Public Sub One@0", "  Public Sub Three@1", "  Public Sub Two|Dep@3", "clsP.cls@2", "  Public Property Get Size@2"}));
    EXPECT_EQ(std::tuple(navigator.path, navigator.got.info.created), std::tuple(result.outputPath, QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))));
    // The report's entry for Three, on its fourth page, opens Three's page.
    const auto entry = std::find_if(b.surface.ops.begin(), b.surface.ops.end(), [](const Op& op) { return op.page == 4 && op.text.contains("Three"); });
    ASSERT_NE(entry, b.surface.ops.end());
    ASSERT_EQ(navigator.got.links.size(), 1u);
    const auto& link = navigator.got.links.front();
    EXPECT_EQ(
        std::tuple(link.page, link.targetPage, link.area.top(), link.area.left() <= (360 + entry->x) / 20), std::tuple(3, 1, (360 + entry->y) / 20, true));
}

TEST(PrintRunSpoolTest, ABatchEndsAtTheLimitAndTheNextOneStartsAfterWhatWasSentButAPdfRunGoesOnInParts)
{
    Bench b(true);
    b.box.results = {MessageResult::No, MessageResult::Yes, MessageResult::No}; // keep the target, go on once, then no more
    const RunResult result = b.print(b.makeQueue({"MODL|R1", "MODL|R2", "MODL|R3", "MODL|R4"}), 25); // two fit, a third not
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    EXPECT_EQ(b.shown("GDI Spool Size Reached")
                  .filter("\r\nSelected procedures 1 through 2 out of the total 4 selected procedures have "
                          "been sent to file.\r\n")
                  .size(),
        1);
    EXPECT_EQ(std::tuple(result.files.size(), result.batches, result.routinesPrinted), std::tuple(2u, 2, 4));
    ASSERT_EQ(b.requests.size(), 2u) << "each batch asks for its own file";
    EXPECT_EQ(std::tuple(b.requests[0].batch, b.requests[1].batch, b.clipboard.first()), std::tuple(1, 2, b.requests[0].suggested));
    EXPECT_FALSE(b.queue[0].selected || b.queue[1].selected) << "the first batch's rows are unselected for the next";
    EXPECT_TRUE(result.report.startsWith("4 procedures sent to a file-based printer (Text To File).\r\n    Starting at 2:05:09 pm\r\n"
                                         "    Ending at 2:05:09 pm\r\n"));
    EXPECT_TRUE(result.report.endsWith("reader to open and print each file as needed."));
    EXPECT_EQ(b.shown("Output Target Is Not .pdf").size(), 1) << "the second batch is a continuation";

    Bench no(true);
    no.box.results = {MessageResult::No, MessageResult::No};
    const RunResult stopped = no.print(no.makeQueue({"MODL|R1", "MODL|R2", "MODL|R3", "MODL|R4"}), 25);
    EXPECT_EQ(std::tuple(stopped.ok, stopped.status, stopped.routinesPrinted), std::tuple(true, "Batch printing terminated", 2));
    EXPECT_EQ(no.surface.documents.size(), 1u) << "the ended batch is not ended twice";

    // A PDF run that needs parts says so and names them after the user's file.
    Bench pdf(true);
    pdf.surface.selectDevice(QStringLiteral("Recording PDF"));
    pdf.answers = {pdf.p.fx.path("Docs.PDF")};
    const RunResult split = pdf.print(pdf.makeQueue({"MODL|R1", "MODL|R2", "MODL|R3"}), 25);
    EXPECT_EQ(pdf.shown("MULTIPLE TEMPORARY FILES EXPECTED").size(), 1);
    EXPECT_TRUE(pdf.shown("GDI Spool Size Reached").isEmpty()) << "a PDF run never stops for a batch";
    ASSERT_EQ(pdf.surface.documents.size(), 2u);
    EXPECT_EQ(std::tuple(pdf.surface.documents[0].file, pdf.surface.documents[1].file),
        std::tuple(pdf.p.fx.path("Docs_QLNTemp0.pdf"), pdf.p.fx.path("Docs_QLNTemp1.pdf")))
        << "even the first part is not the user's";
    // The recorded parts are no PDF files: the combine fails and names both, which stay.
    EXPECT_EQ(std::tuple(split.ok, split.files.size(), QFileInfo::exists(pdf.p.fx.path("Docs_QLNTemp1.pdf")), QFileInfo::exists(pdf.p.fx.path("Docs.PDF"))),
        std::tuple(false, 2u, true, false));

    // Cancelled in the second part: neither part stays, the user's file is not touched, and the
    // open document is abandoned, not ended.
    Bench cancelled(true);
    cancelled.surface.selectDevice(QStringLiteral("Recording PDF"));
    cancelled.answers = {cancelled.p.fx.write("Docs.PDF", "last week's")};
    cancelled.cancelAfter = 3;
    const RunResult stop = cancelled.print(cancelled.makeQueue({"MODL|R1", "MODL|R2", "MODL|R3", "MODL|R4"}), 25);
    EXPECT_EQ(std::tuple(stop.ok, stop.status), std::tuple(false, "Print run cancelled after 3 of 4 procedures; the unfinished output was discarded."));
    EXPECT_EQ(QDir(cancelled.p.fx.path()).entryList({"Docs*"}), QStringList {"Docs.PDF"});
    EXPECT_EQ(quillon::test::readBytes(cancelled.p.fx.path("Docs.PDF")), "last week's");
    EXPECT_EQ(cancelled.surface.ops.back().kind, Op::Kind::AbandonDocument);
}

TEST(PrintRunSpoolTest, ARoutineLargerThanAFileGoesIntoPartFilesOnEvenPages)
{
    Bench b(true);
    const RunResult result = b.print(b.makeQueue({"MODL|BIG", "MODL|R1"}), 150);
    ASSERT_TRUE(result.ok) << result.report.toStdString();
    ASSERT_GE(b.requests.size(), 3u);
    const QString base = QStringLiteral("!2026-03-07 2.05.09 pm Stock Program Documentation");
    EXPECT_EQ(
        std::tuple(b.requests[1].oversizePart, b.requests[1].suggested, b.requests[2].suggested), std::tuple(1, base + "_Part1.pdf", base + "_Part2.pdf"));
    const QString part = b.shown("Procedure Too Large - Continuing In New File").value(0);
    EXPECT_TRUE(part.startsWith("Part 1 of the current procedure has been sent to file.\r\n") && part.contains("continue printing Part 2.  "))
        << part.toStdString();
    // Every part but the last ends on an even page, so the parts print two-sided cleanly.
    ASSERT_GE(b.surface.documents.size(), 3u);
    for (size_t i = 0; i + 1 < b.surface.documents.size(); ++i)
        EXPECT_EQ(b.surface.documents[i].pages % 2, 0) << i;
    EXPECT_EQ(std::tuple(result.files.size(), result.routinesPrinted), std::tuple(b.surface.documents.size(), 2));
    EXPECT_TRUE(b.surface.lines().contains("    y = 399")) << "the routine is printed to its end";
    EXPECT_FALSE(QFileInfo::exists(b.p.fx.path(base + ".pdf"))) << "the first file's name was given up for the part's";

    Bench no(true);
    no.box.results = {MessageResult::No, MessageResult::No};
    const RunResult abandoned = no.print(no.makeQueue({"MODL|BIG", "MODL|R1"}), 150);
    EXPECT_EQ(std::tuple(abandoned.status, no.surface.documents.size()), std::tuple("Oversize procedure split abandoned by user", 1u));
    EXPECT_FALSE(no.titles().contains("modL.bas|R1")) << "the run ends with the abandoned routine";
}

TEST(PrintRunSpoolTest, ACancelledFileNameIsAskedAgainOrEndsTheRunAndTheLastFileOfANonPdfTargetIsVerified)
{
    Bench b(true);
    b.answers = {QString(), b.p.fx.path("chosen.pdf")};
    b.box.results = {MessageResult::No, MessageResult::Yes};
    const RunResult result = b.print(b.makeQueue({"MODL|R1"}));
    EXPECT_EQ(std::tuple(result.ok, b.shown("File Selection Cancelled").size(), result.files.size() == 1 ? result.files[0].path : QString()),
        std::tuple(true, 1, b.p.fx.path("chosen.pdf")));

    Bench gaveUp(true);
    gaveUp.answers = {QString()};
    gaveUp.box.results = {MessageResult::No, MessageResult::No};
    EXPECT_FALSE(gaveUp.print(gaveUp.makeQueue({"MODL|R1"})).ok);
    EXPECT_TRUE(gaveUp.surface.ops.empty()) << "nothing is printed without a file";

    Bench toc(true); // the table of contents ends at once, with a notice of its own
    toc.answers = {QString()};
    std::vector<ListRow> rows {{makeTocRoutine({toc.p.fx.writeLines("toc.txt", {"[ZRK-B].bas Files", "line"}), 2}), QStringLiteral("Table of Contents"), true}};
    EXPECT_FALSE(toc.print(rows).ok);
    EXPECT_EQ(std::tuple(toc.shown("No File Selection").size(), toc.shown("File Selection Cancelled").size(), toc.surface.ops.size(),
                  toc.shown("Output Target Is Not .pdf").size()),
        std::tuple(1, 0, 0u, 0))
        << "no question about the target, a notice of its own, no second chance, nothing printed";

    // Every outcome of the check itself is in VerifyOutputTest; the run checks its last file and
    // fails when the file stays empty.
    Bench empty(true); // an empty file named beforehand
    empty.surface.writeFiles = false;
    empty.answers = {empty.p.fx.write("empty.pdf", "")};
    const RunResult verified = empty.print(empty.makeQueue({"MODL|R1"}), 500);
    EXPECT_EQ(std::tuple(verified.ok, verified.status, empty.shown("Bad Output File Notice").size()), std::tuple(false, " (Fail at 120)", 1));
}

TEST(PrintRunImageTest, AnImagePrintsThroughTheRendererWithItsBackPageOrGoesToTheDefaultPrinterOrIsSkipped)
{
    Bench b;
    b.setup.duplex = true;
    b.imagePages = 3;
    const RunResult result = b.print(b.makeQueue({"IMAGE", "MODL|R1"}));
    EXPECT_EQ(std::tuple(result.ok, result.routinesPrinted), std::tuple(true, 2));
    EXPECT_TRUE(b.statuses.contains("Printing frmA.frm|Image (Procedure 1 of 2)"));
    EXPECT_TRUE(b.surface.texts(5).contains("modL.bas|R1")) << "three pages, a back page, then the next routine on a front side";

    Bench none; // no renderer: the image prints nothing and is not counted
    none.renderer = false;
    EXPECT_EQ(none.print(none.makeQueue({"IMAGE"})).routinesPrinted, 0);

    // An image larger than a whole file goes to the default printer or is skipped. The default
    // printer, and whether it can be selected: where the image went, why it was skipped (and not
    // counted), the page left in the file
    const QString skipped = "  The form image will be skipped.";
    const std::tuple<const char*, bool, QStringList, QString, const char*> cases[] = {
        {"", true, {"Recording PDF"}, "", "A single page was omitted here - sent to the printer"},
        {"", false, {"Recording PDF"}, "The default printer Recording PDF could not be selected." + skipped,
            "A single page was omitted here - not sent to the printer"},
        {"Text To File", true, {}, "The Windows default printer could not be determined or is the same device as the file target." + skipped,
            "A single page was omitted here - not sent to the printer"}};
    for (const auto& [defaultDevice, selectable, printedOn, skip, omitted] : cases) {
        Bench big(true);
        big.imagePages = 4; // 4 pages of 63 lines: far beyond 100
        big.printerSelectable = selectable;
        if (*defaultDevice)
            big.surface.defaultDevice = QString::fromLatin1(defaultDevice);
        big.box.results = {MessageResult::No, MessageResult::Yes};
        const RunResult run = big.print(big.makeQueue({"IMAGE", "MODL|R1"}), 100);
        ASSERT_TRUE(run.ok) << run.report.toStdString();
        EXPECT_EQ(big.shown("Form Image Exceeds GDI Spool Size").filter(QRegularExpression("^The form image frmA.frm is estimated")).size(), 1);
        EXPECT_EQ(big.printedOn, printedOn) << "the default printer, never the file target";
        EXPECT_EQ(std::tuple(big.shown("Form Image Skipped").join(""), run.routinesPrinted), std::tuple(skip, skip.isEmpty() ? 2 : 1));
        EXPECT_TRUE(big.surface.texts().contains(QString::fromLatin1(omitted)) && big.surface.texts().contains("(frmA.frm)"));
        EXPECT_FALSE(big.surface.texts().contains("drawing")) << "the image never goes into the file";
    }
}

} // namespace
