#include "print/Highlight.h"
#include "core/analysis/AnalysisFixture.h"

#include <gtest/gtest.h>

using namespace quillon::print;

namespace {

TEST(HighlightTest, SegmentsByKindPrecedenceAndContext)
{
    quillon::test::LoadedProject p; // modB's global mName is hidden in modA by its own
    p.load({{"modA.bas",
                {"Attribute VB_Name = \"modA\"", "Public Const MAX = 1", "Public gTotal As Long", "Private mName As String", "Sub Add(ByRef n As Long)",
                    "End Sub", "Sub Helper()", "End Sub"}},
        {"modB.bas", {"Attribute VB_Name = \"modB\"", "Public mName As Long"}}});
    const HighlightContext plain, in {&p.analysis.symbols, p.fx.path("modA.bas"), QStringLiteral("Add")};
    HighlightContext declarations = in, report = in, toc = in;
    declarations.isDeclarations = true;
    report.colours = quillon::model::ListingColours::Report; // skips the routine's and the module's names
    toc.colours = quillon::model::ListingColours::Plain;
    // Segments as "start-end:colour", 1-based and inclusive.
    const std::tuple<const HighlightContext*, const char*, const char*> cases[] = {
        {&plain, "x = \"it's\" ' note \"q\"", "1-4:0 5-10:7 11-11:0 12-21:1"},
        {&plain, "s = \"open ' no comment", "1-22:0"}, // unterminated: no colour, and the apostrophe is hidden
        {&plain, "", ""},
        {&plain, "Public Function Total(ByVal n As Long) As Long", "1-16:0 17-21:6 22-46:0"},
        {&plain, "Property Get Value() As Long", "1-13:0 14-18:6 19-28:0"},
        {&plain, "Get Value", "1-9:0"}, // GET without PROPERTY before it
        {&plain, "    sUB As Long", "1-15:0"}, // a Type member named Sub
        {&plain, "y = Left$(s, 2) & Ucase(t)", "1-4:0 5-8:6 9-18:0 19-23:6 24-26:0"},
        {&plain, "Left(\"x\") Left(\"x\") ", "1-4:6 5-5:0 6-8:7 9-10:0 11-14:6 15-15:0 16-18:7 19-20:0"},
        // ByRef parameter, constant, global, module variable, call
        {&in, "n = MAX + gTotal + mName: Helper", "1-1:5 2-4:0 5-7:2 8-10:0 11-16:3 17-19:0 20-24:4 25-26:0 27-32:6"},
        {&in, "Helper = 1: y = Helper: Call Helper", "1-29:0 30-35:6"}, // only the Call is a call
        {&declarations, "n = mName", "1-4:0 5-9:4"}, // no ByRef rule
        {&report, "n = mName + gTotal", "1-4:0 5-9:3 10-12:0 13-18:3"}, // mName is modB's global there
        {&toc, "n = MAX + gTotal + mName: Helper", ""},
    };
    for (const auto& [context, line, expected] : cases) {
        QStringList segments;
        for (const Segment& s : buildHighlightSegments(QString::fromLatin1(line), *context))
            segments << QStringLiteral("%1-%2:%3").arg(s.start).arg(s.end).arg(s.colour);
        EXPECT_EQ(segments.join(' '), QString::fromLatin1(expected)) << line;
    }
    // A procedure name over plain text shows in the rows above; the rows never lay a literal over
    // a comment, so where the two meet the comment's rank is checked directly.
    EXPECT_GT(segmentPriority(colour::Comment), segmentPriority(colour::Literal));
    EXPECT_GT(segmentPriority(colour::ByRef), segmentPriority(colour::Constant));
}

} // namespace
