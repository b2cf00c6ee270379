#include "print/InsightReport.h"
#include "core/analysis/AnalysisFixture.h"

#include <gtest/gtest.h>

using quillon::test::LoadedProject;
using quillon::test::pictures;

namespace {

QStringList section(const QStringList& lines, const QString& heading)
{
    const qsizetype first = lines.indexOf(QRegularExpression("^¶?¤" + heading + "$"));
    if (first < 0)
        return {};
    qsizetype end = first + 1;
    while (end < lines.size() && !lines[end].startsWith("¶"))
        ++end;
    return lines.mid(first, end - first);
}

TEST(InsightReport, UnusedCodeByFileTheMostComplexRoutinesAndTheModuleTable)
{
    LoadedProject p;
    p.load({{"modMain.bas",
                {"Attribute VB_Name = \"modMain\"", "Declare Function GetTickCount Lib \"kernel32\" () As Long",
                    "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "Sub Main()", "    If GetTickCount() > 0 Then Work", "End Sub",
                    "Private Sub Work()", "    Helper", "    Dim i As Long", "    For i = 1 To 3", "        If i = 2 Or i = 3 Then Helper", "    Next",
                    "End Sub", "Private Function Dead() As Long", "    Lonely", "    Dead = 1", "End Function", "Private Sub Lonely()", "End Sub"}},
               {"modUtil.bas",
                   {"Attribute VB_Name = \"modUtil\"", "Public Sub Helper()", "    ' counts", "    x = 1", "End Sub", "Public Sub Spare()", "    x = 2",
                       "End Sub"}}},
        {"Startup=\"Sub Main\""});
    const QStringList lines = pictures(quillon::print::insightReport(p.dep(), p.project.projectFileList, p.reader).lines);
    EXPECT_EQ(section(lines, "Unused Procedures"),
        QStringList({"¤Unused Procedures", "      A procedure is unused when no chain of calls leads to it from the start-up",
            "      routine, an event handler, or a Public or Friend procedure of a class.", "", "      Unused procedures: 3 of 6 (50.0 %)",
            "      Unused code: 9 of 22 code lines (40.9 %)", "", "§¤   modMain.bas: 2 procedures, 6 code lines",
            "         Private Function Dead        4 code lines", "         Private Sub Lonely           2 code lines", "",
            "§¤   modUtil.bas: 1 procedure, 3 code lines", "         Public Sub Spare             3 code lines", "",
            "§¤   Declared API functions no routine calls: 1", "         Sleep  kernel32"}));
    const QStringList complex = section(lines, "Most Complex Routines");
    // Highest complexity first; among equals the longer code, then the index's order.
    EXPECT_EQ(complex.filter(QRegularExpression("^§¤ +\\d+\\. ")),
        QStringList({"§¤    1. modMain.bas|Private Sub Work", "§¤    2. modMain.bas|Public Sub Main", "§¤    3. modMain.bas|Private Function Dead",
            "§¤    4. modUtil.bas|Public Sub Helper", "§¤    5. modUtil.bas|Public Sub Spare", "§¤    6. modMain.bas|Private Sub Lonely"}));
    const qsizetype work = complex.indexOf("§¤    1. modMain.bas|Private Sub Work");
    ASSERT_GE(work, 0);
    EXPECT_EQ(complex.mid(work + 1, 3),
        QStringList({"          Complexity: 4   Decision points: 3   Deepest nesting: 1", "          Callers: 1   Callees: 1   API calls: 0",
            "          Lines: 7 code, 0 comment, 0 blank"}));
    EXPECT_EQ(section(lines, "Calls Between Modules").mid(4),
        QStringList({"§¤   Calling Module  Called Module    Calls", "   modMain         modMain              2", "   modMain         modUtil              1"}));
}

// Thirty routines of growing complexity and no call between them: the 25 most complex are listed,
// everything is unused (there is no root), and the module table says that nothing calls.
TEST(InsightReport, TheRankingStopsAtTwentyFiveAndEmptySectionsSaySo)
{
    std::vector<std::pair<QString, QStringList>> procedures;
    for (int k = 1; k <= 30; ++k)
        procedures.push_back({QString("P%1").arg(k), QStringList(k, "If a Then b = 1")});
    LoadedProject p;
    p.load({quillon::test::module("modMany", procedures)});
    const QStringList lines = pictures(quillon::print::insightReport(p.dep(), p.project.projectFileList, p.reader).lines);
    const QStringList ranked = section(lines, "Most Complex Routines").filter(QRegularExpression("^§¤ +\\d+\\. "));
    ASSERT_EQ(ranked.size(), 25);
    EXPECT_EQ(ranked.front(), "§¤    1. modMany.bas|Public Sub P30");
    EXPECT_EQ(ranked.back(), "§¤   25. modMany.bas|Public Sub P6");
    EXPECT_TRUE(lines.contains("      Unused procedures: 30 of 30 (100.0 %)"));
    EXPECT_EQ(section(lines, "Calls Between Modules"), QStringList({"¶¤Calls Between Modules", "      No routine of the project calls another."}));
}

} // namespace
