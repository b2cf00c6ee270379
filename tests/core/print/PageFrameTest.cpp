#include "core/print/PrintFixture.h"
#include "model/RoutineInfo.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::PrintBench;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

// Prints `pages` pages of a routine: page breaks through the frame as the print run does.
void PrintPages(PrintBench& b, int pages)
{
    b.frame.HeaderTitle = QStringLiteral("modMain.bas|Public Sub Main");
    b.frame.PageNumber = 0;
    b.frame.StartPage();
    for (int p = 2; p <= pages; ++p) {
        b.frame.PrintFooter();
        b.frame.StartPage();
    }
    b.frame.EndRoutine();
}

TEST(PageFrameTest, TitleContinuesOnLaterPagesAndTheFooterHasEveryText)
{
    PrintBench b;
    b.Compute();
    b.frame.TotalPagesText = QStringLiteral("2");
    b.frame.EstimateFlag = true;
    PrintPages(b, 2);
    const QStringList page1 = b.surface.TextsOnPage(1).mid(1); // after the line advance measured by the geometry
    const QStringList page2 = b.surface.TextsOnPage(2);
    EXPECT_EQ(page1.first(), QStringLiteral("modMain.bas|Public Sub Main"));
    EXPECT_EQ(page2.first(), QStringLiteral("modMain.bas|Public Sub Main (cont.)"));
    for (const QString& text : {QStringLiteral("3/7/26 2:05 pm"), QStringLiteral("Page 1 of 2 (est)"),
                                QStringLiteral("Version " QUILLON_VERSION), QStringLiteral("Printed with Quillon (c) 2026 Tandrel")})
        EXPECT_TRUE(page1.contains(text)) << qPrintable(text);
    EXPECT_TRUE(page2.contains(QStringLiteral("Page 2 of 2 (est)")));
    EXPECT_FALSE(b.frame.EstimateFlag) << "the end of the routine clears the estimate";
    // The first page of the document asks the surface for no new page.
    int newPages = 0;
    for (const Op& op : b.surface.ops)
        newPages += op.kind == Op::Kind::NewPage ? 1 : 0;
    EXPECT_EQ(newPages, 1);

    // Header centred above the print box, footer at its bottom.
    const PageGeometry& g = b.printer.Geometry();
    const Op& title = b.surface.ops[1];
    EXPECT_EQ(title.fontSize, 12);
    EXPECT_TRUE(title.bold);
    EXPECT_DOUBLE_EQ(title.y, b.frame.Top - 2 * g.HeaderBandHeight / 3);
    EXPECT_DOUBLE_EQ(title.x, 720 + (g.PrintableWidth - 27 * 12 * 12) / 2);
    for (const Op& op : b.surface.ops) {
        if (op.kind == Op::Kind::Text && op.text == QStringLiteral("3/7/26 2:05 pm")) {
            EXPECT_EQ(op.y, b.frame.Top + g.PrintableHeight);
            EXPECT_EQ(op.fontSize, 8);
        }
    }
}

TEST(PageFrameTest, DuplexAddsABlankBackPageAfterAnOddPage)
{
    PrintBench duplex;
    duplex.setup.Duplex = true;
    duplex.Compute();
    PrintPages(duplex, 3);
    EXPECT_EQ(duplex.surface.PagesStarted(), 4);
    const QStringList last = duplex.surface.TextsOnPage(4);
    ASSERT_TRUE(last.contains(QStringLiteral("(This Page Intentionally Left Blank)")));
    EXPECT_TRUE(last.contains(QStringLiteral("Page 4 of ")));
    for (const Op& op : duplex.surface.ops) {
        if (op.kind == Op::Kind::Text && op.text == QStringLiteral("(This Page Intentionally Left Blank)")) {
            const PageGeometry& g = duplex.printer.Geometry();
            EXPECT_DOUBLE_EQ(op.x, duplex.frame.Left + (g.PrintableWidth - 36 * 120) / 2);
            EXPECT_DOUBLE_EQ(op.y, duplex.frame.Top + (g.PrintableHeight - 240) / 2);
        }
    }

    PrintBench simplex;
    simplex.Compute();
    PrintPages(simplex, 3);
    EXPECT_EQ(simplex.surface.PagesStarted(), 3);

    PrintBench aborted;
    aborted.setup.Duplex = true;
    aborted.Compute();
    aborted.run.abort = true;
    PrintPages(aborted, 3);
    EXPECT_EQ(aborted.surface.PagesStarted(), 3) << "an abandoned run adds no blank page";
}

TEST(PageFrameTest, BinderOffsetOnTheFrontSidesOfDuplexSheetsOnly)
{
    PrintBench b;
    b.setup.Duplex = true;
    b.setup.BindingEdge = 1;
    b.Compute();
    std::vector<double> lefts;
    b.frame.StartPage();
    lefts.push_back(b.frame.Left);
    for (int p = 2; p <= 4; ++p) {
        b.frame.StartPage();
        lefts.push_back(b.frame.Left);
    }
    EXPECT_EQ(lefts, (std::vector<double>{720 + 1080, 720, 720 + 1080, 720}));

    PrintBench top;
    top.setup.Duplex = true;
    top.setup.BindingEdge = 2;
    top.Compute();
    top.frame.StartPage();
    EXPECT_EQ(top.frame.Left, 720);
    EXPECT_EQ(top.frame.Top, 576 + 1440 + 1080);

    PrintBench simplex;
    simplex.setup.BindingEdge = 1;
    simplex.Compute();
    simplex.frame.StartPage();
    EXPECT_EQ(simplex.frame.Left, 720) << "no offset without duplex";
}

TEST(PageFrameTest, PageEstimates)
{
    PrintBench b;
    b.setup.Margins[kTop] = 0;
    b.setup.Margins[kBottom] = 0;
    b.Compute();
    ASSERT_DOUBLE_EQ(b.printer.Geometry().PrintableHeight, 60 * 240);
    quillon::model::clsRoutineInfo routine;
    routine.lStartLine = 1;
    routine.lEndLine = 125;
    EXPECT_EQ(b.frame.EstimatePages(routine), 3);
    EXPECT_EQ(b.frame.TotalPagesText, QStringLiteral("3"));
    EXPECT_TRUE(b.frame.EstimateFlag);
    routine.lEndLine = 120;
    EXPECT_EQ(b.frame.EstimatePages(routine), 2);
    b.setup.Duplex = true;
    routine.lEndLine = 125;
    EXPECT_EQ(b.frame.EstimatePages(routine), 4);
    routine.RoutineKind = QStringLiteral("Image");
    EXPECT_EQ(b.frame.EstimatePages(routine, nullptr, 5), 6) << "the image's own count, then the duplex rule";

    PrintBench tiny;
    tiny.setup.Margins[kTop] = 5.0;
    tiny.setup.Margins[kBottom] = 5.0;
    tiny.Compute();
    quillon::model::clsRoutineInfo one;
    one.lStartLine = 1;
    one.lEndLine = 3;
    tiny.frame.EstimatePages(one);
    EXPECT_EQ(tiny.frame.LinesPerPage, 1) << "less than one line of room counts as one";
}

} // namespace
