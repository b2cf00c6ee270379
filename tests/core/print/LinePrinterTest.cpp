#include "core/print/PrintFixture.h"
#include "model/RoutineInfo.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::PrintBench;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

struct Listing : PrintBench {
    Listing()
    {
        Compute();
        frame.HeaderTitle = QStringLiteral("Listing");
        frame.StartPage();
        surface.ops.clear();
    }
    bool Print(const QString& line, const quillon::model::clsRoutineInfo* routine = nullptr)
    {
        bool go = true;
        lines.PrintSourceLine(line, routine, go);
        return go;
    }
    std::vector<Op> Of(Op::Kind kind) const
    {
        std::vector<Op> out;
        for (const Op& op : surface.ops) {
            if (op.kind == kind)
                out.push_back(op);
        }
        return out;
    }
};

TEST(Tags, FirstOccurrenceOnlyAndPutBackAtTheEnd)
{
    QString line = QStringLiteral("[ZRK-B]a[ZRK-B]b");
    EXPECT_TRUE(TakeTag(tag::Bold, line));
    EXPECT_EQ(line, QStringLiteral("a[ZRK-B]b"));
    EXPECT_TRUE(TakeTag(tag::Bold, line));
    EXPECT_EQ(line, QStringLiteral("ab"));
    EXPECT_FALSE(TakeTag(tag::Bold, line));
    line = QStringLiteral("text[ZRK-N]");
    EXPECT_TRUE(TakeTag(tag::NewPage, line));
    EXPECT_EQ(line, QStringLiteral("text"));
    AppendTag(true, tag::NewPage, line);
    AppendTag(false, tag::Bold, line);
    EXPECT_EQ(line, QStringLiteral("text[ZRK-N]"));
}

TEST(Tabs, ExpandToTheNextStop)
{
    EXPECT_EQ(ExpandTabs(u"ab\tc", 4), QStringLiteral("ab  c"));
    EXPECT_EQ(ExpandTabs(u"\tx", 4), QStringLiteral("    x"));
    EXPECT_EQ(ExpandTabs(u"abcd\tx\t", 4), QStringLiteral("abcd    x   "));
    EXPECT_EQ(ExpandTabs(u"a\tb", 1), QStringLiteral("a b"));
}

TEST(LinePrinterTest, NewPageTagAndEmptyLines)
{
    Listing b;
    EXPECT_TRUE(b.Print(QStringLiteral("x = 1[ZRK-N]")));
    EXPECT_EQ(b.surface.PagesStarted(), 2);
    const QStringList page2 = b.surface.TextsOnPage(2);
    EXPECT_EQ(page2.last(), QStringLiteral("")) << "the line end";
    EXPECT_TRUE(page2.contains(QStringLiteral("x = 1")));
    EXPECT_FALSE(b.surface.Texts().join(QString()).contains(QStringLiteral("[ZRK")));

    const double y = b.surface.CurrentY();
    b.surface.SetCurrentY(b.frame.Bottom + 1000); // far past the bottom: an empty line does not break
    b.Print(QString());
    EXPECT_EQ(b.surface.PagesStarted(), 2);
    EXPECT_EQ(b.run.stats.blankLines, 1);
    b.surface.SetCurrentY(y);
}

TEST(LinePrinterTest, HeadingsNeedRoomForThreeFourOrSixLines)
{
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("[ZRK-M]Plain heading"), false},          // 3 lines: fits in 3.5
        {QStringLiteral("[ZRK-M]Public Property Get Value"), true}, // 4 lines
        {QStringLiteral("[ZRK-M]event handler list"), true},        // 4, any case
        {QStringLiteral("[ZRK-M]C:\\VB\\a.bas (Module)"), true},   // 6
    };
    for (const auto& [line, breaks] : cases) {
        Listing b;
        b.surface.SetCurrentY(b.frame.Bottom - 3.5 * 240);
        b.Print(line);
        EXPECT_EQ(b.surface.PagesStarted(), breaks ? 2 : 1) << qPrintable(line);
    }
    Listing wide;
    wide.surface.SetCurrentY(wide.frame.Bottom - 5.5 * 240);
    wide.Print(QStringLiteral("[ZRK-M]C:\\VB\\a.bas (Module)"));
    EXPECT_EQ(wide.surface.PagesStarted(), 2);
    wide.surface.SetCurrentY(wide.frame.Bottom - 5.5 * 240);
    wide.Print(QStringLiteral("[ZRK-M]Sub Main"));
    EXPECT_EQ(wide.surface.PagesStarted(), 2) << "4 lines fit in 5.5";
}

TEST(LinePrinterTest, ColoursPositionsAndBold)
{
    Listing b;
    b.Print(QStringLiteral("x = \"a\" ' note"));
    const std::vector<Op> texts = b.Of(Op::Kind::Text);
    ASSERT_EQ(texts.size(), 5u); // four runs and the line end
    EXPECT_EQ(texts[0].text, QStringLiteral("x = "));
    EXPECT_EQ(texts[0].x, b.frame.Left);
    EXPECT_EQ(texts[0].color, 1000u);
    EXPECT_EQ(texts[1].text, QStringLiteral("\"a\""));
    EXPECT_EQ(texts[1].color, 1007u);
    EXPECT_EQ(texts[2].text, QStringLiteral(" "));
    EXPECT_EQ(texts[3].text, QStringLiteral("' note"));
    EXPECT_EQ(texts[3].color, 1001u);

    Listing bold;
    bold.Print(QStringLiteral("[ZRK-B]Table of \"Contents\" ' x"));
    const std::vector<Op> boldTexts = bold.Of(Op::Kind::Text);
    ASSERT_EQ(boldTexts.size(), 1u);
    EXPECT_TRUE(boldTexts[0].bold);
    EXPECT_EQ(boldTexts[0].color, 1000u);
    EXPECT_FALSE(bold.surface.Bold());
}

TEST(LinePrinterTest, ConnectorShapes)
{
    Listing b;
    b.Print(QStringLiteral("[ZRK-V][ZRK-X][ZRK-L]File A|Public Sub Main"));
    EXPECT_EQ(b.surface.Lines().last(), QStringLiteral("      File A|Public Sub Main"));
    const std::vector<Op> lines = b.Of(Op::Kind::Line);
    ASSERT_EQ(lines.size(), 3u);
    const double top = b.Of(Op::Kind::Text).front().y;
    const double left = b.frame.Left;
    // Column 1: a vertical through the line; column 2: nothing; column 3 (last): the corner.
    EXPECT_EQ(lines[0].x, left + 120);
    EXPECT_EQ(lines[0].y, top);
    EXPECT_EQ(lines[0].y2, top + 240);
    EXPECT_EQ(lines[1].x, left + 480 + 120);
    EXPECT_EQ(lines[1].y2, top + 120) << "the last branch ends in the middle";
    EXPECT_EQ(lines[2].y, top + 120);
    EXPECT_EQ(lines[2].x2, left + 480 + 240) << "the stub reaches the text";
    EXPECT_EQ(lines[0].width, 3);

    b.surface.ops.clear();
    b.Print(QStringLiteral("[ZRK-UL]first"));
    const std::vector<Op> corner = b.Of(Op::Kind::Line);
    ASSERT_EQ(corner.size(), 2u);
    EXPECT_EQ(corner[0].y, corner[0].y2 - 120) << "a branch starts in the middle and goes down";

    b.surface.ops.clear();
    b.Print(QStringLiteral("Files:"));
    b.Print(QStringLiteral("    File A = C:\\x.bas|modX"));
    EXPECT_TRUE(b.Of(Op::Kind::Line).empty());
}

TEST(LinePrinterTest, TruncationCutsWithAnEllipsis)
{
    Listing b;
    // 84 characters fit; " ..." takes 4 of them.
    const QString line = QString(100, QLatin1Char('x'));
    EXPECT_EQ(b.lines.TruncateToFit(line), QString(79, QLatin1Char('x')) + QStringLiteral(" ..."));

    PrintBench narrow;
    narrow.setup.WorkingLeft = narrow.setup.WorkingRight = 5510.0 / 1440.0; // 500 twips wide
    narrow.Compute();
    narrow.frame.StartPage();
    EXPECT_EQ(narrow.lines.TruncateToFit(QStringLiteral("ABCDEF")), QStringLiteral(" ..."));
}

QString LongLine()
{
    QStringList words;
    for (int i = 0; i < 14; ++i)
        words << QStringLiteral("word%1").arg(i, 5, 10, QLatin1Char('0'));
    return QStringLiteral("    x = ") + words.join(QLatin1Char(' ')); // 8 + 14 × 10 − 1 = 147 characters
}

TEST(LinePrinterTest, LongLineQuestionAndTruncate)
{
    Listing b;
    b.box.answers.push_back({0, 0, QString()});
    b.box.answers.push_back({0, 0, QString()});
    b.Print(LongLine());
    b.Print(QStringLiteral("[ZRK-B]") + LongLine());
    ASSERT_EQ(b.box.shown.size(), 2u);
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Long Line Action"));
    EXPECT_TRUE(b.box.shown[0].text.startsWith(
        QStringLiteral("A source line is too long to fit within the printable width.\r\nClick <Truncate> to clip the line "
                       "to fit (highlighted)\r\nClick <Wrap> to Wrap this line (highlighted)\r\nClick <Cancel> to abort "
                       "printing this procedure\r\nLine Start - x = word00000 word00001 word00 ...  word00011 word00012 word00013")));
    EXPECT_TRUE(b.box.shown[1].text.startsWith(QStringLiteral("Another (2) source line is too long")))
        << "a bold line goes through the same question";
    EXPECT_EQ(b.run.overLongLines, 2);
    const QStringList printed = b.surface.Lines();
    EXPECT_EQ(printed[0], LongLine().left(79) + QStringLiteral(" ..."));
    EXPECT_EQ(b.Of(Op::Kind::Fill).size(), 2u) << "truncated lines get the long-line band";
    EXPECT_EQ(b.Of(Op::Kind::Fill)[0].color, 1008u);
}

TEST(LinePrinterTest, WrapInPiecesWithTheContinuationIndent)
{
    Listing b;
    b.box.answers.push_back({1, 0, QString()}); // Wrap
    b.box.answers.push_back({0, 0, QString()}); // OK to the wrap warning
    const QString line = LongLine();
    EXPECT_TRUE(b.Print(line));
    ASSERT_EQ(b.box.shown.size(), 2u);
    EXPECT_EQ(b.box.shown[1].title, QStringLiteral("Wrap Warning"));
    EXPECT_TRUE(b.box.shown[1].text.contains(QStringLiteral("at the optimum last space or backslash")));
    EXPECT_TRUE(b.box.shown[1].text.contains(QStringLiteral("from this point")));
    const QStringList pieces = b.surface.Lines();
    ASSERT_EQ(pieces.size(), 2);
    // 79 characters may go on a piece before the quote and " & _" would not fit: the last
    // blank before column 80 ends the first piece and stays on it.
    EXPECT_EQ(pieces[0], line.left(78));
    EXPECT_EQ(pieces[1], QString(8, QLatin1Char(' ')) + line.mid(78));
    EXPECT_EQ(b.run.stats.wrappedLines, 2);
    EXPECT_EQ(b.Of(Op::Kind::Fill).size(), 2u);

    // The batch answer to the question is Wrap.
    EXPECT_EQ(quillon::platform::BatchButtonFor([] {
                  quillon::platform::MsgBoxRequest r;
                  r.MessageKey = kLongLineKey;
                  r.Buttons = {"Truncate", "Wrap", "Cancel", "", ""};
                  return r;
              }()),
              1);
}

TEST(LinePrinterTest, DependencyListingsWrapWithoutAsking)
{
    Listing b;
    quillon::model::clsRoutineInfo dep;
    dep.RoutineKind = QStringLiteral("Dependency");
    dep.FilePath = QStringLiteral("/tmp/QLN_DEP_MODA_MAIN.TXT");
    b.Print(LongLine(), &dep);
    EXPECT_TRUE(b.box.shown.empty());
    EXPECT_EQ(b.surface.Lines().size(), 2);
}

TEST(LinePrinterTest, CancelAbandonsTheRoutine)
{
    Listing b;
    b.box.answers.push_back({2, 0, QString()});
    EXPECT_FALSE(b.Print(LongLine()));
    EXPECT_TRUE(b.run.abort);
    const std::vector<Op> texts = b.Of(Op::Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].text, QStringLiteral("Procedure print aborted by user because the next code line was too long."));
    EXPECT_EQ(texts[1].color, 1003u);
    EXPECT_EQ(texts[2].text, (QStringLiteral("LONG LINE START:  ") + LongLine()).left(79) + QStringLiteral(" ..."));
}

TEST(FindBreakTest, BlanksBackslashesAndHardBreaks)
{
    auto measure = [](int n) { return 120.0 * n; };
    const double fifteen = 15 * 120;
    WrapBreak found = FindBreak(u"aaaaaaaaaa\\bbbbbbbbbbbbbbbbbb", 0, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 10) << "the piece ends before the backslash";
    EXPECT_EQ(found.restStart, 10);
    found = FindBreak(u"aaa bbbbbbb\\ccccccccccccc", 0, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 11) << "of a blank and a backslash the wider piece wins";
    found = FindBreak(u"aaaaaaaaaaa bbbbbbbbbbbbbbbb", 0, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 12) << "after the blank, which stays on the piece";
    found = FindBreak(u"a bbbbbbbbbbbbbbbbbbbbbbb", 0, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 15) << "a piece under half the width: hard break";
    found = FindBreak(u"aaaaaaaaaaa bbbbbbbbbbbbbbbb", 12, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 15) << "no break at or below the lowest column";
    found = FindBreak(u"short", 0, fifteen, measure);
    EXPECT_EQ(found.pieceLength, 5);
    found = FindBreak(u"wide", 0, 50, measure);
    EXPECT_EQ(found.pieceLength, 1) << "at least one character";
}

} // namespace
