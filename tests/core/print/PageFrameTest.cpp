#include "core/print/PrintFixture.h"
#include "model/Routine.h"
#include "print/TocText.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::PrintBench;
using Op = PrintBench::Op;

namespace {

// Prints `pages` pages of a routine: page breaks through the frame as the print run does.
void printPages(PrintBench& b, int pages)
{
    b.frame.headerTitle = QStringLiteral("modMain.bas|Public Sub Main");
    b.frame.startPage();
    for (int p = 2; p <= pages; ++p) {
        b.frame.printFooter();
        b.frame.startPage();
    }
    b.frame.endRoutine();
}

// Letter with the default margins: the print box is 10080 × 11520 twips from (720, 2016).
TEST(PageFrameTest, TitleAndFooterBackPagesBinderOffsetsAndPageEstimates)
{
    PrintBench one;
    one.compute();
    one.frame.totalPagesText = QStringLiteral("2");
    one.frame.estimateFlag = true;
    printPages(one, 2);
    const QStringList page1 = one.surface.texts(1);
    for (const char* text : {"3/7/26 2:05 pm", "Page 1 of 2 (est)", "Version " QUILLON_VERSION, "Printed with Quillon (c) 2026 Tandrel"})
        EXPECT_TRUE(page1.contains(QString::fromLatin1(text))) << text;
    EXPECT_EQ(one.surface.texts(2).first(), QStringLiteral("modMain.bas|Public Sub Main (cont.)"));
    EXPECT_TRUE(one.surface.texts(2).contains(QStringLiteral("Page 2 of 2 (est)")));
    // The end of the routine clears the estimate; the first page of the document asks for no new page.
    EXPECT_EQ(std::tuple(one.frame.estimateFlag, one.surface.pagesStarted()), std::tuple(false, 2));

    // The title (27 characters of 144 twips at 12 points, bold, after the line advance measured
    // by the geometry) is centred in the header band; the footer sits under the box.
    const Op& title = one.surface.ops[1];
    EXPECT_EQ(std::tuple(title.text, title.x, title.y, title.fontSize, title.bold), std::tuple("modMain.bas|Public Sub Main", 3816, 1632, 12, true));
    const Op date = one.of(Op::Kind::Text, QStringLiteral("3/7/26 2:05 pm")).at(0);
    EXPECT_EQ(std::tuple(date.y, date.fontSize), std::tuple(13536, 8));

    // Two-sided, an odd page gets a blank back page.
    const std::tuple<bool, bool, int, int> cases[] = {// duplex, abandoned, pages printed, pages started
        {true, false, 3, 4}, {true, false, 2, 2}, {false, false, 3, 3}, {true, true, 3, 3}};
    for (const auto& [duplex, abandoned, pages, started] : cases) {
        PrintBench b;
        b.setup.duplex = duplex;
        b.compute();
        b.run.abort = abandoned;
        printPages(b, pages);
        EXPECT_EQ(b.surface.pagesStarted(), started) << duplex << abandoned << pages;
        if (started > pages) {
            EXPECT_TRUE(b.surface.texts(started).contains("Page " + QString::number(started) + " of "));
            const Op blank = b.of(Op::Kind::Text, QStringLiteral("(This Page Intentionally Left Blank)")).at(0);
            EXPECT_EQ(std::tuple(blank.page, blank.x, blank.y), std::tuple(started, 3600, 7656)) << "centred in the box";
        }
    }

    // The binder offset goes on the front sides of two-sided sheets only.
    const std::tuple<bool, int, std::vector<double>, double> binders[] = {// duplex, binding edge, Left of pages 1 to 4, Top of page 1
        {true, 1, {1800, 720, 1800, 720}, 2016}, {true, 2, {720, 720, 720, 720}, 3096}, // the binder: 1080
        {false, 1, {720, 720, 720, 720}, 2016}};
    for (const auto& [duplex, edge, lefts, top] : binders) {
        PrintBench b;
        b.setup.duplex = duplex;
        b.setup.bindingEdge = edge;
        b.compute();
        std::vector<double> seen;
        double firstTop = 0;
        for (int p = 1; p <= 4; ++p) {
            b.frame.startPage();
            seen.push_back(b.frame.left);
            firstTop = p == 1 ? b.frame.top : firstTop;
        }
        EXPECT_EQ(std::tuple(seen, firstTop), std::tuple(lefts, top)) << duplex << " edge " << edge;
    }

    // The page estimates, two-sided ones rounded up to whole sheets.
    using enum quillon::model::RoutineKind;
    const std::tuple<bool, quillon::model::RoutineKind, int, int, int, double> estimates[] = {
        // duplex, kind, lines, the image's own pages: estimate; without top and bottom margins 60 lines per page
        {false, Sub, 125, 0, 3, 0}, {false, Sub, 120, 0, 2, 0}, {true, Sub, 125, 0, 4, 0}, {true, Sub, 119, 0, 2, 0}, {true, Image, 125, 5, 6, 0},
        {false, Image, 125, 0, 3, 0}, {false, Sub, 3, 0, 3, 5.0}}; // margins of 5 inches leave less than one line, which counts as one
    for (const auto& [duplex, kind, lines, imagePages, pages, margins] : estimates) {
        PrintBench b;
        b.setup.margins[quillon::config::kTop] = b.setup.margins[quillon::config::kBottom] = margins;
        b.setup.duplex = duplex;
        b.compute();
        quillon::model::Routine routine;
        routine.kind = kind;
        routine.startLine = 1;
        routine.endLine = lines;
        EXPECT_EQ(b.frame.estimatePages(routine, imagePages), pages) << duplex << qPrintable(kindText(kind)) << lines;
        EXPECT_EQ(std::tuple(b.frame.totalPagesText, b.frame.estimateFlag), std::tuple(QString::number(pages), true));
    }
    // A report of 60 lines takes a page and three more; a line counts twice when it is too wide
    // with its markup, a leading bold mark not counted: 80 characters fit, 94 do not.
    using quillon::model::ListingMark;
    for (const auto& [marks, pages] : {std::pair {std::vector {ListingMark::Bold}, 4}, {std::vector {ListingMark::KeepWithNext, ListingMark::Bold}, 5}}) {
        PrintBench b;
        b.setup.margins[quillon::config::kTop] = b.setup.margins[quillon::config::kBottom] = 0;
        b.compute();
        quillon::model::Listing report {std::vector<quillon::model::ListingLine>(59, quillon::model::ListingLine("x"))};
        report.lines.emplace_back(QString(80, QLatin1Char('w')));
        for (ListingMark mark : marks)
            report.lines.back().set(mark);
        EXPECT_EQ(b.frame.estimatePages(*quillon::print::makeTocRoutine(report)), pages) << marks.size();
    }
}

} // namespace
