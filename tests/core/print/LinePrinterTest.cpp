#include "aids/LineBreak.h"
#include "core/print/PrintFixture.h"
#include "model/Routine.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::model::ListingLine;
using quillon::model::ListingMark;
using Op = quillon::test::PrintBench::Op;

namespace {

// A line of blanks with connectors standing in them: {column, kind} each.
ListingLine connected(const QString& text, std::vector<quillon::model::Connector> connectors)
{
    ListingLine line(text);
    line.connectors = std::move(connectors);
    return line;
}

// A listing page already started, with the frame's own drawing cleared away.
struct Listing : quillon::test::PrintBench {
    Listing()
    {
        compute();
        frame.startPage();
        surface.ops.clear();
    }
    bool print(const ListingLine& line, const quillon::model::Routine* routine = nullptr,
        quillon::model::ListingColours colours = quillon::model::ListingColours::Source)
    {
        bool go = true;
        lines.printListingLine(line, routine, go, colours);
        return go;
    }
    bool print(const QString& text) { return print(ListingLine(text)); }
    // Drawn lines as "x,y-x2,y2" from the print box's left edge and the first text's top.
    QStringList strokes() const
    {
        QStringList out;
        const double top = of(Op::Kind::Text).front().y;
        for (const Op& op : of(Op::Kind::Line))
            out << QStringLiteral("%1,%2-%3,%4").arg(op.x - frame.left).arg(op.y - top).arg(op.x2 - frame.left).arg(op.y2 - top);
        return out;
    }
};

// 8 + 14 × 10 − 1 = 147 characters, where 84 fit on a line.
QString longLine()
{
    QStringList words;
    for (int i = 0; i < 14; ++i)
        words << QStringLiteral("word%1").arg(i, 5, 10, QLatin1Char('0'));
    return QStringLiteral("    x = ") + words.join(QLatin1Char(' '));
}

TEST(LinePrinterTest, TabsAndBreaks)
{
    const std::tuple<const char16_t*, int, const char*> tabs[] = {
        {u"ab\tc", 4, "ab  c"}, {u"\tx", 4, "    x"}, {u"abcd\tx\t", 4, "abcd    x   "}, {u"a\tb", 1, "a b"}};
    for (const auto& [text, width, expanded] : tabs)
        EXPECT_EQ(expandTabs(text, width), QString::fromLatin1(expanded)) << expanded;

    // Characters are 120 wide; 15 of them fit. {text, lowest column, width, piece length}
    const std::tuple<const char16_t*, int, double, int> breaks[] = {
        {u"aaaaaaaaaa\\bbbbbbbbbbbbbbbbbb", 0, 1800, 10}, // the piece ends before the backslash
        {u"aaa bbbbbbb\\ccccccccccccc", 0, 1800, 11}, // of a blank and a backslash the wider piece wins
        {u"aaaaa bbbbbbbbbbbbbbbbbbbb", 0, 1800, 15}, // a piece of 720, under half the width: hard break
        {u"aaaaaaa bbbbbbbbbbbbbbbbbbbb", 0, 1800, 8}, // 960 of 1800, after the blank, which stays on the piece
        {u"aaaaaaaaaaa bbbbbbbbbbbbbbbb", 12, 1800, 15}, // no break at or below the lowest column
        {u"short", 0, 1800, 5}, {u"wide", 0, 50, 1}, // at least one character
    };
    for (const auto& [text, lowest, width, piece] : breaks) {
        const quillon::aids::WrapBreak found = quillon::aids::findBreak(text, lowest, width, [](int n) { return 120.0 * n; });
        EXPECT_EQ(std::tuple(found.pieceLength, found.restStart), std::tuple(piece, piece)) << QString::fromUtf16(text).toStdString();
    }
}

TEST(LinePrinterTest, NewPagesHeadingsEmptyLinesColoursBoldAndConnectors)
{
    Listing b;
    EXPECT_TRUE(b.print(ListingLine("x = 1").set(ListingMark::NewPage)));
    EXPECT_EQ(b.surface.texts(2).mid(b.surface.texts(2).size() - 2), (QStringList {"x = 1", ""})) << "the page starts first";
    b.surface.setCurrentY(b.frame.bottom + 1000); // far past the bottom: an empty line does not break
    b.print(QString());
    EXPECT_EQ(std::tuple(b.surface.pagesStarted(), b.run.stats.blankLines), std::tuple(2, 1));

    // A heading needs room for itself and what follows: 3 lines, 4 for properties and event
    // handler lists (in any case), 6 for a file.
    const std::tuple<const char*, double, bool> headings[] = {{"Plain heading", 3.5, false}, {"Public Property Get Value", 3.5, true},
        {"event handler list", 3.5, true}, {"C:\\VB\\a.bas (Module)", 5.5, true}, {"Public Sub Main", 5.5, false}};
    for (const auto& [line, rows, breaks] : headings) {
        Listing h;
        h.surface.setCurrentY(h.frame.bottom - rows * 240);
        h.print(ListingLine(QString::fromLatin1(line)).set(ListingMark::KeepWithNext));
        EXPECT_EQ(h.surface.pagesStarted(), breaks ? 2 : 1) << line << " with room for " << rows;
    }

    // Colours, bold and connectors.
    Listing coloured;
    coloured.print(QStringLiteral("x = \"a\" ' note"));
    QStringList runs;
    for (const Op& op : coloured.of(Op::Kind::Text))
        runs << QStringLiteral("%1|%2|%3").arg(op.x - coloured.frame.left).arg(op.color).arg(op.text);
    EXPECT_EQ(runs.mid(0, 4), (QStringList {"0|1000|x = ", "480|1007|\"a\"", "840|1000| ", "960|1001|' note"}));

    Listing bold; // one run in the normal colour
    bold.print(ListingLine("Table of \"Contents\" ' x").set(ListingMark::Bold));
    ASSERT_EQ(bold.of(Op::Kind::Text).size(), 1u);
    EXPECT_EQ(std::tuple(bold.of(Op::Kind::Text)[0].bold, bold.of(Op::Kind::Text)[0].color, bold.surface.bold()), std::tuple(true, 1000u, false));

    // Columns of 480: a vertical through the line, nothing, then the last branch ending in the
    // middle with a stub to the text; a first branch starts in the middle and goes down; a
    // connector after a tab stands where the tab's blanks end. Only the last column turns.
    using C = quillon::model::Connector;
    const std::tuple<ListingLine, const char*, QStringList> connectors[] = {
        {connected("      File A|Public Sub Main", {C {0, ListingMark::Vertical}, C {2, ListingMark::Gap}, C {4, ListingMark::Last}}),
            "      File A|Public Sub Main", {"120,0-120,240", "600,0-600,120", "600,120-720,120"}},
        {connected("  first", {C {0, ListingMark::Corner}}), "  first", {"120,120-120,240", "120,120-240,120"}},
        {connected("x\t  y", {C {2, ListingMark::Tee}}), "x     y", {"600,0-600,240", "600,120-720,120"}},
        {connected("    z", {C {0, ListingMark::Tee}, C {2, ListingMark::Corner}}), "    z", {"120,0-120,240", "360,120-360,240", "360,120-480,120"}}};
    for (const auto& [line, printed, strokes] : connectors) {
        Listing c;
        c.print(line);
        EXPECT_EQ(c.surface.lines().last(), QString::fromLatin1(printed));
        EXPECT_EQ(c.strokes(), strokes) << printed;
    }
    Listing files;
    files.print(QStringLiteral("Files:"));
    files.print(QStringLiteral("    File A = C:\\x.bas|modX"));
    EXPECT_TRUE(files.of(Op::Kind::Line).empty());
}

// One routine's long lines answered in turn: Truncate, Truncate (a bold line is asked about
// too), Wrap and OK to the wrap warning, then Cancel.
TEST(LinePrinterTest, EachLongLineIsTruncatedWrappedOrAbandonsTheRoutineAsAnsweredButADependencyListingWraps)
{
    Listing b;
    b.box.answers = {{0, {}, QString()}, {0, {}, QString()}, {1, {}, QString()}, {0, {}, QString()}, {2, {}, QString()}};
    const QString line = longLine(), truncated = line.left(79) + " ...";
    for (const ListingLine& printed : {ListingLine(line), ListingLine(line).set(ListingMark::Bold), ListingLine(line)})
        EXPECT_TRUE(b.print(printed));
    EXPECT_FALSE(b.print(line));
    ASSERT_EQ(b.box.shown.size(), 5u);
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Long Line Action"));
    EXPECT_TRUE(b.box.shown[0].text.startsWith(
        QStringLiteral("A source line is too long to fit within the printable width.\r\nClick <Truncate> to clip the line "
                       "to fit (highlighted)\r\nClick <Wrap> to Wrap this line (highlighted)\r\nClick <Cancel> to abort "
                       "printing this procedure\r\nLine Start - x = word00000 word00001 word00 ...  word00011 word00012 word00013")));
    EXPECT_TRUE(b.box.shown[1].text.startsWith(QStringLiteral("Another (2) source line is too long")));
    EXPECT_EQ(b.box.shown[3].title, QStringLiteral("Wrap Warning"));
    EXPECT_TRUE(b.box.shown[3].text.contains("at the optimum last space or backslash") && b.box.shown[3].text.contains("from this point"));
    // 79 characters may go on a piece before the quote and " & _" would not fit: the last blank
    // before column 80 ends the first piece and stays on it; the rest is indented by 8. Cancel
    // ends the routine with a notice in the global colour and the start of the line.
    const QString aborted = "Procedure print aborted by user because the next code line was too long.";
    EXPECT_EQ(b.surface.lines(),
        (QStringList {
            truncated, truncated, line.left(78), QString(8, QLatin1Char(' ')) + line.mid(78), "", aborted, ("LONG LINE START:  " + line).left(79) + " ..."}));
    EXPECT_EQ(std::tuple(b.run.overLongLines, b.run.stats.wrappedLines, b.run.abort, b.of(Op::Kind::Text, aborted).at(0).color), std::tuple(4, 2, true, 1003u));
    ASSERT_EQ(b.of(Op::Kind::Fill).size(), 4u) << "truncated and wrapped lines get the long-line band";
    EXPECT_EQ(b.of(Op::Kind::Fill)[0].color, 1008u);

    // A dependency listing wraps without asking; too narrow a page leaves the ellipsis.
    Listing dep;
    quillon::model::Routine report;
    report.kind = quillon::model::RoutineKind::Dependency;
    dep.print(ListingLine(longLine()), &report, quillon::model::ListingColours::Report);
    EXPECT_EQ(std::tuple(dep.box.shown.size(), dep.surface.lines().size()), std::tuple(0u, 2));

    quillon::test::PrintBench narrow;
    narrow.setup.workingLeft = narrow.setup.workingRight = 5510.0 / 1440.0; // 500 twips wide
    narrow.compute();
    narrow.frame.startPage();
    EXPECT_EQ(narrow.lines.truncateToFit(QStringLiteral("ABCDEF")), QStringLiteral(" ..."));
}

} // namespace
