#include "analysis/DependencyReport.h"
#include "core/analysis/AnalysisFixture.h"

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::test::LoadedProject;
using quillon::test::Module;

namespace {

QStringList Report(const LoadedProject& p, const QString& key, int tabWidth = 4)
{
    return DependencyReporter(p.dep(), tabWidth).BuildDependencyReport(*p.Routine(key));
}

TEST(DependencyReportTest, MarkupLettersAndTheReportsOfOneProject)
{
    // A deeper entry between two siblings is passed over; "None" lines are not entries; eight
    // blanks are level 2 with a tab width of 4 and level 1 with 8.
    const struct { QStringList plain; int tabWidth; QStringList marked; } markups[] = {
        {{"Calls:", "", "    a", "        b", "        c", "    d", "", "    single", "", "    x", "    y", "    z", "", "Files:", "    File A = p|m"}, 4,
         {"Calls:", "", "[ZRK-UL]a", "[ZRK-V][ZRK-UL]b", "[ZRK-V][ZRK-L]c", "[ZRK-L]d", "", "[ZRK-X]single", "", "[ZRK-UL]x", "[ZRK-T]y",
          "[ZRK-L]z", "", "Files:", "    File A = p|m"}},
        {{"    a", "            deep", "    None", "    b"}, 4, {"[ZRK-UL]a", "[ZRK-V][ZRK-X][ZRK-X]deep", "    None", "[ZRK-L]b"}},
        {{"        e"}, 4, {"[ZRK-X][ZRK-X]e"}}, {{"        e"}, 8, {"[ZRK-X]e"}},
    };
    for (const auto& m : markups)
        EXPECT_EQ(ApplyReportMarkup(m.plain, m.tabWidth), m.marked);
    const std::pair<int, const char*> letters[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}};
    for (const auto& [counter, text] : letters)
        EXPECT_EQ(FileLetters(counter), QString::fromLatin1(text)) << counter;
    std::vector<std::pair<QString, QStringList>> chain;
    for (int i = 0; i < 45; ++i)
        chain.push_back({QStringLiteral("R%1").arg(i), {QStringLiteral("R%1").arg(i + 1)}});
    LoadedProject p;
    p.Load({{"frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "    Lonely", "End Sub"}},
            Module("modA", {{"Main", {"B"}}, {"B", {"C"}}, {"C", {"ticks = GetTickCount()"}}, {"Both", {"C", "QueryPerformanceCounter c"}}},
                   {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                    "Private Declare Function QueryPerformanceCounter Lib \"kernel32\" (c As Currency) As Long"}),
            Module("modC", {{"A", {"B"}}, {"B", {"C"}}, {"C", {"A"}}, {"S", {"T", "U"}}, {"T", {"U"}}, {"U", {}}, {"V", {"W", "X"}}, {"W", {"Y"}},
                            {"X", {"Y"}}, {"Y", {"Z"}}, {"Z", {}}}),
            Module("modL", {{"Lonely", {"Lonely"}}, {"Again", {"Again"}}}), Module("modR", chain)},
           {"Startup=\"Sub Main\""});
    const auto legend = [&](const QString& module) { return "    File A = " + p.fx.path(module + ".bas") + "|" + module; };
    // R0 calls R1 calls R2 ... calls R45: cut after R40; a tab width of 1 indents the legend by one.
    QStringList cut{"Calls:", ""};
    for (int i = 1; i <= 40; ++i)
        cut << QString("[ZRK-X]").repeated(i) + QStringLiteral("File A|Public Sub R%1").arg(i);
    cut << QString("[ZRK-X]").repeated(41) + "[Chain truncated at 40 levels]" << "" << "Files:" << legend("modR").mid(3);
    const struct { const char* key; int tabWidth; const char* from; QStringList report; } cases[] = {
        {"MODA|MAIN", 4, "Called by:", {"Called by:", "", "[ZRK-X]Program Startup", "", "Calls:", "", "[ZRK-X]File A|Public Sub B",
                                        "[ZRK-X][ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X][ZRK-X]API: GetTickCount (kernel32)", "", "Files:", legend("modA")}},
        {"MODA|B", 4, "Called by:", {"Called by:", "", "[ZRK-X]File A|Public Sub Main", "[ZRK-X][ZRK-X]Program Startup", "", "Calls:", "",
                                     "[ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X]API: GetTickCount (kernel32)", "", "Files:", legend("modA")}},
        // A routine's own API calls close its calls list, and are no "None".
        {"MODA|C", 4, "Calls:", {"Calls:", "", "[ZRK-X]API: GetTickCount (kernel32)", "", "Files:", legend("modA")}},
        {"MODA|BOTH", 4, "Calls:", {"Calls:", "", "[ZRK-UL]File A|Public Sub C", "[ZRK-V][ZRK-X]API: GetTickCount (kernel32)",
                                    "[ZRK-L]API: QueryPerformanceCounter (kernel32)", "", "Files:", legend("modA")}},
        // Called only from an event handler, or only by itself.
        {"MODL|LONELY", 4, "Called by:", {"Called by:", "", "[ZRK-X]File A|Private Sub Event Handler:cmdOK_Click",
                                          "[ZRK-X][ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click", "", "Calls:", "", "    None", "",
                                          "Files:", "    File A = " + p.fx.path("frmMain.frm") + "|frmMain"}},
        {"FRMMAIN|EVENT HANDLER:CMDOK_CLICK", 4, "Called by:", {"Called by:", "", "[ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click", "",
                                                                "Calls:", "", "[ZRK-X]File A|Public Sub Lonely", "", "Files:", legend("modL")}},
        {"MODL|AGAIN", 4, "Called by:", {"Called by:", "", "    None", "", "Calls:", "", "    None", ""}},
        // Cycles, siblings and routines reached twice are expanded once.
        {"MODC|A", 4, "Called by:", {"Called by:", "", "[ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X]File A|Public Sub B", "", "Calls:", "",
                                     "[ZRK-X]File A|Public Sub B", "[ZRK-X][ZRK-X]File A|Public Sub C", "", "Files:", legend("modC")}},
        {"MODC|S", 4, "Calls:", {"Calls:", "", "[ZRK-UL]File A|Public Sub T", "[ZRK-L]File A|Public Sub U", "", "Files:", legend("modC")}},
        {"MODC|V", 4, "Calls:", {"Calls:", "", "[ZRK-UL]File A|Public Sub W", "[ZRK-V][ZRK-X]File A|Public Sub Y", "[ZRK-V][ZRK-X][ZRK-X]File A|Public Sub Z",
                                 "[ZRK-L]File A|Public Sub X", "[ZRK-X][ZRK-X]File A|Public Sub Y (children shown above)", "", "Files:", legend("modC")}},
        {"MODR|R0", 1, "Calls:", cut},
    };
    for (const auto& c : cases) {
        const QStringList report = Report(p, c.key, c.tabWidth);
        EXPECT_EQ(report.mid(report.indexOf(c.from)), c.report) << c.key;
    }
}

TEST(DependencyReportTest, FilesAreLetteredInTheOrderTheyAppearKindsComeFromTheSignatureAndReportsAreAdded)
{
    std::vector<std::pair<QString, QStringList>> files;
    QStringList calls;
    for (int i = 1; i <= 53; ++i) {
        const QString name = QStringLiteral("m%1").arg(i, 2, 10, QLatin1Char('0'));
        files.push_back(Module(name, {{QStringLiteral("P") + name, {}}}));
        calls << QStringLiteral("P") + name;
    }
    files.push_back({"clsT.cls", {"Attribute VB_Name = \"clsT\"", "Function Total() As Long", "    " + calls.join(": "), "End Function",
                                  "Friend Property Let Name(v As String)", "    Total", "End Property"}});
    LoadedProject p;
    p.Load(files);
    const QStringList report = Report(p, "CLST|TOTAL");
    const struct { int line; const char* text; } lines[] = {
        {2, "[ZRK-X]File A|Friend Property Let Name"}, {6, "[ZRK-UL]File B|Public Sub Pm01"}, {31, "[ZRK-T]File AA|Public Sub Pm26"},
        {56, "[ZRK-T]File AZ|Public Sub Pm51"}, {57, "[ZRK-T]File BA|Public Sub Pm52"}, {58, "[ZRK-L]File BB|Public Sub Pm53"}, {59, ""}};
    for (const auto& l : lines)
        EXPECT_EQ(report.value(l.line), QString::fromLatin1(l.text)) << l.line;
    EXPECT_TRUE(report.contains(QStringLiteral("    File BA = ") + p.fx.path("m52.bas") + "|m52"));
    EXPECT_EQ(Report(p, "CLST|NAME")[6], QStringLiteral("[ZRK-X]File A|Public Function Total"));
    // Dependency reports as routines of their own: which routines get one, added to a list or to the queue.
    LoadedProject q;
    q.Load({{"frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "    Work", "End Sub",
                             "Private Sub cmdQuit_Click()", "End Sub"}},
            {"clsV.cls", {"Attribute VB_Name = \"clsV\"", "Public Property Get Value() As Long", "End Property",
                          "Public Property Let Value(v As Long)", "End Property"}},
            Module("modA", {{"Work", {}}})});
    quillon::model::RoutineList list;
    for (const auto& entry : q.project.RoutinesByFile.entries())
        list.insert(list.end(), entry.second.begin(), entry.second.end());
    // Layout, Image, Declarations, the isolated cmdQuit_Click and the unscanned Property Let get no report.
    EXPECT_EQ(AddDependencyReports(q.dep(), list), 3);
    QStringList added;
    for (size_t i = list.size() - 3; i < list.size(); ++i)
        added << list[i]->RoutineName;
    EXPECT_EQ(added, (QStringList{"Event Handler:cmdOK_Click|Dep", "Work|Dep", "Value|Dep"}));
    const auto& pseudo = *list[list.size() - 2];
    EXPECT_EQ(pseudo.RoutineKind, QStringLiteral("Dependency"));
    EXPECT_TRUE(pseudo.IsDepPseudo);
    EXPECT_EQ(pseudo.ParentKey, q.Routine("MODA|WORK")->UniqueKey);
    EXPECT_EQ(pseudo.UniqueKey, q.fx.path("modA.bas") + "|modA|Dependency|Work|Dep");
    EXPECT_TRUE(IsIsolatedEventHandler(q.dep(), *q.Routine("FRMMAIN|EVENT HANDLER:CMDQUIT_CLICK")));

    // The queue variant walks backwards and skips reports already queued.
    quillon::model::RoutineList queue{q.Routine("MODA|WORK"), q.Routine("FRMMAIN|EVENT HANDLER:CMDOK_CLICK")};
    EXPECT_EQ(AddDependencyReportsToQueue(q.dep(), queue), 2);
    EXPECT_EQ(AddDependencyReportsToQueue(q.dep(), queue), 0);
    ASSERT_EQ(queue.size(), 4u);
    EXPECT_EQ(queue[2]->RoutineName + " " + queue[3]->RoutineName, QStringLiteral("Event Handler:cmdOK_Click|Dep Work|Dep"));
}

} // namespace
