#include "analysis/DependencyReport.h"
#include "core/analysis/AnalysisFixture.h"

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::test::LoadedProject;
using quillon::test::module;
using quillon::test::pictures;

namespace {

QStringList reportOf(const LoadedProject& p, const QString& key, int tabWidth = 4)
{
    return pictures(DependencyReporter(p.dep(), tabWidth).buildDependencyReport(*p.routineFor(key)).lines);
}

TEST(DependencyReportTest, MarkupLettersTheReportsOfOneProjectAndWhichRoutinesGetOne)
{
    // A deeper entry between two siblings is passed over; "None" lines are not entries; eight
    // blanks are level 2 with a tab width of 4 and level 1 with 8.
    const struct {
        QStringList plain;
        int tabWidth;
        QStringList marked;
    } markups[] = {
        {{"Calls:", "", "    a", "        b", "        c", "    d", "", "    single", "", "    x", "    y", "    z", "", "Files:", "    File A = p|m"}, 4,
            {"Calls:", "", "┌─a", "│ ┌─b", "│ └─c", "└─d", "", "· single", "", "┌─x", "├─y", "└─z", "", "Files:", "    File A = p|m"}},
        {{"    a", "            deep", "    None", "    b"}, 4, {"┌─a", "│ · · deep", "    None", "└─b"}},
        {{"        e"}, 4, {"· · e"}},
        {{"        e"}, 8, {"· e"}},
    };
    for (const auto& m : markups)
        EXPECT_EQ(pictures(applyReportMarkup(m.plain, m.tabWidth)), m.marked);
    const std::pair<int, const char*> letters[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}};
    for (const auto& [counter, text] : letters)
        EXPECT_EQ(fileLetters(counter), QString::fromLatin1(text)) << counter;
    std::vector<std::pair<QString, QStringList>> chain;
    for (int i = 0; i < 45; ++i)
        chain.push_back({QStringLiteral("R%1").arg(i), {QStringLiteral("R%1").arg(i + 1)}});
    LoadedProject p;
    p.load({{"frmMain.frm",
                {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "    Lonely", "End Sub", "Private Sub cmdQuit_Click()",
                    "End Sub"}},
        module("modA", {{"C", {"ticks = GetTickCount()"}}, {"Both", {"C", "QueryPerformanceCounter c"}}},
            {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                "Private Declare Function QueryPerformanceCounter Lib \"kernel32\" (c As Currency) As Long"}),
        module("modC",
            {{"A", {"B"}}, {"B", {"C"}}, {"C", {"A"}}, {"S", {"T", "U"}}, {"T", {"U"}}, {"U", {}}, {"V", {"W", "X"}}, {"W", {"Y"}}, {"X", {"Y"}}, {"Y", {"Z"}},
                {"Z", {}}}),
        module("modL", {{"Lonely", {}}, {"Again", {"Again"}}}), module("modR", chain)});
    const auto legend = [&](const QString& module) { return "    File A = " + p.fx.path(module + ".bas") + "|" + module; };
    // R0 calls R1 calls R2 ... calls R45: cut after R40; a tab width of 1 indents the legend by one.
    QStringList cut {"Calls:", ""};
    for (int i = 1; i <= 40; ++i)
        cut << QString("· ").repeated(i) + QStringLiteral("File A|Public Sub R%1").arg(i);
    cut << QString("· ").repeated(41) + "[Chain truncated at 40 levels]"
        << ""
        << "Files:" << legend("modR").mid(3);
    const struct {
        const char* key;
        int tabWidth;
        const char* from;
        QStringList report;
    } cases[] = {
        // A routine's own API calls close its calls list, after the calls of its callees.
        {"MODA|BOTH", 4, "Calls:",
            {"Calls:", "", "┌─File A|Public Sub C", "│ · API: GetTickCount (kernel32)", "└─API: QueryPerformanceCounter (kernel32)", "",
                "Files:", legend("modA")}},
        // An event handler is called by its event; a routine called only by itself by nobody.
        {"FRMMAIN|EVENT HANDLER:CMDOK_CLICK", 4, "Called by:",
            {"Called by:", "", "· Click Event: frmMain.frm|Event Handler:cmdOK_Click", "", "Calls:", "", "· File A|Public Sub Lonely", "",
                "Files:", legend("modL")}},
        {"MODL|AGAIN", 4, "Called by:", {"Called by:", "", "    None", "", "Calls:", "", "    None", ""}},
        // Cycles, siblings and routines reached twice are expanded once.
        {"MODC|A", 4, "Called by:",
            {"Called by:", "", "· File A|Public Sub C", "· · File A|Public Sub B", "", "Calls:", "", "· File A|Public Sub B", "· · File A|Public Sub C", "",
                "Files:", legend("modC")}},
        {"MODC|S", 4, "Calls:", {"Calls:", "", "┌─File A|Public Sub T", "└─File A|Public Sub U", "", "Files:", legend("modC")}},
        {"MODC|V", 4, "Calls:",
            {"Calls:", "", "┌─File A|Public Sub W", "│ · File A|Public Sub Y", "│ · · File A|Public Sub Z", "└─File A|Public Sub X",
                "· · File A|Public Sub Y (children shown above)", "", "Files:", legend("modC")}},
        {"MODR|R0", 1, "Calls:", cut},
    };
    for (const auto& c : cases) {
        const QStringList report = reportOf(p, c.key, c.tabWidth);
        EXPECT_EQ(report.mid(report.indexOf(c.from)), c.report) << c.key;
    }
    // Of the form's records only the handler that calls something gets a report of its own:
    // not its Layout and Image, nor a handler that calls nothing and is called by nothing.
    quillon::model::RoutineList form = p.project.routinesByFile.entries().front().second;
    ASSERT_EQ(form.size(), 4u);
    EXPECT_EQ(addDependencyReports(p.dep(), form), 1);
    EXPECT_EQ(form.back()->routineName, QStringLiteral("Event Handler:cmdOK_Click|Dep"));
}

} // namespace
