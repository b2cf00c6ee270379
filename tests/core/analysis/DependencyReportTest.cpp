#include "analysis/DependencyReport.h"
#include "core/analysis/AnalysisFixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::test::LoadedProject;
using quillon::test::Module;

namespace {

QStringList Report(const LoadedProject& p, const QString& key, int tabWidth = 4)
{
    DependencyReporter reporter(p.dep(), tabWidth);
    return reporter.BuildDependencyReport(*p.Routine(key));
}

// The report without its "Files:" legend, whose paths depend on the fixture folder.
QStringList Body(const QStringList& report)
{
    const qsizetype files = report.indexOf("Files:");
    return files < 0 ? report : report.mid(0, files);
}

TEST(ReportMarkup, ConnectorsFollowTheLevels)
{
    const QStringList plain{"Calls:", "", "    a", "        b", "        c", "    d", "", "    single", "",
                            "    x", "    y", "    z", "", "Files:", "    File A = p|m"};
    EXPECT_EQ(ApplyReportMarkup(plain, 4),
              (QStringList{"Calls:", "", "[ZRK-UL]a", "[ZRK-V][ZRK-UL]b", "[ZRK-V][ZRK-L]c", "[ZRK-L]d", "",
                           "[ZRK-X]single", "", "[ZRK-UL]x", "[ZRK-T]y", "[ZRK-L]z", "", "Files:", "    File A = p|m"}));
    // A deeper entry between two siblings is passed over; "None" lines are not entries.
    EXPECT_EQ(ApplyReportMarkup({"    a", "            deep", "    None", "    b"}, 4),
              (QStringList{"[ZRK-UL]a", "[ZRK-V][ZRK-X][ZRK-X]deep", "    None", "[ZRK-L]b"}));
    // Eight blanks with a tab width of 4 is level 2; with 8 it is level 1.
    EXPECT_EQ(ApplyReportMarkup({"        e"}, 4), QStringList{"[ZRK-X][ZRK-X]e"});
    EXPECT_EQ(ApplyReportMarkup({"        e"}, 8), QStringList{"[ZRK-X]e"});
}

TEST(ReportMarkup, FileLetters)
{
    EXPECT_EQ(FileLetters(1), QStringLiteral("A"));
    EXPECT_EQ(FileLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(FileLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(FileLetters(52), QStringLiteral("AZ"));
    EXPECT_EQ(FileLetters(53), QStringLiteral("BA"));
    EXPECT_EQ(FileLetters(702), QStringLiteral("ZZ"));
}

TEST(DependencyReportTest, StartupApiLinesAndTheLegend)
{
    LoadedProject p;
    p.Load({Module("modA", {{"Main", {"B"}}, {"B", {"C"}}, {"C", {"t = GetTickCount()"}}},
                   {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long"})},
           {"Startup=\"Sub Main\""});
    const QString legend = "    File A = " + p.fx.path("modA.bas") + "|modA";
    EXPECT_EQ(Report(p, "MODA|MAIN"),
              (QStringList{"Called by:", "", "[ZRK-X]Program Startup", "", "Calls:", "", "[ZRK-X]File A|Public Sub B",
                           "[ZRK-X][ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X][ZRK-X]API: GetTickCount (kernel32)", "",
                           "Files:", legend}));
    EXPECT_EQ(Report(p, "MODA|B"),
              (QStringList{"Called by:", "", "[ZRK-X]File A|Public Sub Main", "[ZRK-X][ZRK-X]Program Startup", "",
                           "Calls:", "", "[ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X]API: GetTickCount (kernel32)", "",
                           "Files:", legend}));
}

TEST(DependencyReportTest, TheRoutinesOwnApiCallsCloseItsCallsList)
{
    LoadedProject p;
    p.Load({Module("modA", {{"Timer", {"t = GetTickCount()"}}, {"Both", {"Timer", "QueryPerformanceCounter c"}}},
                   {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                    "Private Declare Function QueryPerformanceCounter Lib \"kernel32\" (c As Currency) As Long"})});
    const QStringList timer = Report(p, "MODA|TIMER");
    const qsizetype calls = timer.indexOf("Calls:");
    ASSERT_GE(calls, 0);
    EXPECT_EQ(timer.mid(calls, 4), (QStringList{"Calls:", "", "[ZRK-X]API: GetTickCount (kernel32)", ""}))
        << "an API call is no \"None\"";
    const QStringList both = Report(p, "MODA|BOTH");
    const qsizetype bothCalls = both.indexOf("Calls:");
    EXPECT_EQ(both.mid(bothCalls, 6),
              (QStringList{"Calls:", "", "[ZRK-UL]File A|Public Sub Timer", "[ZRK-V][ZRK-X]API: GetTickCount (kernel32)",
                           "[ZRK-L]API: QueryPerformanceCounter (kernel32)", ""}));
}

TEST(DependencyReportTest, NobodyCallsItOrOnlyItself)
{
    LoadedProject p;
    p.Load({Module("modA", {{"Lonely", {"Lonely"}}}),
            {"frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()",
                             "    Lonely", "End Sub"}}});
    EXPECT_EQ(Report(p, "MODA|LONELY"),
              (QStringList{"Called by:", "", "[ZRK-X]File A|Private Sub Event Handler:cmdOK_Click",
                           "[ZRK-X][ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click", "", "Calls:", "",
                           "    None", "", "Files:", "    File A = " + p.fx.path("frmMain.frm") + "|frmMain"}));
    EXPECT_EQ(Body(Report(p, "FRMMAIN|EVENT HANDLER:CMDOK_CLICK")),
              (QStringList{"Called by:", "", "[ZRK-X]Click Event: frmMain.frm|Event Handler:cmdOK_Click", "", "Calls:",
                           "", "[ZRK-X]File A|Public Sub Lonely", ""}));

    LoadedProject self;
    self.Load({Module("modA", {{"Again", {"Again"}}})});
    EXPECT_EQ(Report(self, "MODA|AGAIN"), (QStringList{"Called by:", "", "    None", "", "Calls:", "", "    None", ""}));
}

TEST(DependencyReportTest, CyclesAndSiblingsAreNotExpandedAgain)
{
    LoadedProject cycle;
    cycle.Load({Module("modA", {{"A", {"B"}}, {"B", {"C"}}, {"C", {"A"}}})});
    EXPECT_EQ(Body(Report(cycle, "MODA|A")),
              (QStringList{"Called by:", "", "[ZRK-X]File A|Public Sub C", "[ZRK-X][ZRK-X]File A|Public Sub B", "",
                           "Calls:", "", "[ZRK-X]File A|Public Sub B", "[ZRK-X][ZRK-X]File A|Public Sub C", ""}));

    LoadedProject siblings;
    siblings.Load({Module("modA", {{"A", {"B", "C"}}, {"B", {"C"}}, {"C", {}}})});
    EXPECT_EQ(Body(Report(siblings, "MODA|A")),
              (QStringList{"Called by:", "", "    None", "", "Calls:", "", "[ZRK-UL]File A|Public Sub B",
                           "[ZRK-L]File A|Public Sub C", ""}));
}

TEST(DependencyReportTest, ARoutineReachedTwiceShowsItsChildrenOnce)
{
    LoadedProject p;
    p.Load({Module("modA", {{"A", {"B", "C"}}, {"B", {"D"}}, {"C", {"D"}}, {"D", {"E"}}, {"E", {}}})});
    EXPECT_EQ(Body(Report(p, "MODA|A")),
              (QStringList{"Called by:", "", "    None", "", "Calls:", "", "[ZRK-UL]File A|Public Sub B",
                           "[ZRK-V][ZRK-X]File A|Public Sub D", "[ZRK-V][ZRK-X][ZRK-X]File A|Public Sub E",
                           "[ZRK-L]File A|Public Sub C", "[ZRK-X][ZRK-X]File A|Public Sub D (children shown above)", ""}));
}

TEST(DependencyReportTest, LettersKindsAndModulesThatAreNotLoaded)
{
    std::vector<std::pair<QString, QStringList>> files;
    QStringList calls;
    for (int i = 1; i <= 53; ++i) {
        const QString name = QStringLiteral("m%1").arg(i, 2, 10, QLatin1Char('0'));
        files.push_back(Module(name, {{QStringLiteral("P") + name, {}}}));
        calls << QStringLiteral("P") + name;
    }
    files.push_back({"clsT.cls", {"Attribute VB_Name = \"clsT\"", "Function Total() As Long", "    " + calls.join(": "),
                                  "End Function", "Friend Property Let Name(v As String)", "    Total", "End Property"}});
    LoadedProject p;
    p.Load(files);
    const QStringList report = Report(p, "CLST|TOTAL");
    EXPECT_EQ(report[2], QStringLiteral("[ZRK-X]File A|Friend Property Let Name"));
    EXPECT_EQ(report[6], QStringLiteral("[ZRK-UL]File B|Public Sub Pm01"));
    EXPECT_EQ(report[31], QStringLiteral("[ZRK-T]File AA|Public Sub Pm26")) << "the 27th file";
    EXPECT_EQ(report[56], QStringLiteral("[ZRK-T]File AZ|Public Sub Pm51")) << "the 52nd file";
    EXPECT_EQ(report[57], QStringLiteral("[ZRK-T]File BA|Public Sub Pm52")) << "the 53rd file";
    EXPECT_EQ(report[58], QStringLiteral("[ZRK-L]File BB|Public Sub Pm53"));
    EXPECT_TRUE(report[59].isEmpty());
    EXPECT_TRUE(report.contains(QStringLiteral("    File BA = ") + p.fx.path("m52.bas") + "|m52"));
    EXPECT_EQ(Report(p, "CLST|NAME")[6], QStringLiteral("[ZRK-X]File A|Public Function Total"));
}

TEST(DependencyReportTest, ChainsAreCutAtFortyLevels)
{
    // R0 calls R1 calls R2 ... calls R1000.
    std::vector<std::pair<QString, QStringList>> procedures;
    for (int i = 0; i < 1000; ++i)
        procedures.push_back({QStringLiteral("R%1").arg(i), {QStringLiteral("R%1").arg(i + 1)}});
    procedures.push_back({"R1000", {}});
    LoadedProject p;
    p.Load({Module("modC", procedures)});
    const QStringList report = Body(Report(p, "MODC|R0", 1));
    qsizetype truncated = -1;
    for (qsizetype i = 0; i < report.size(); ++i) {
        if (report[i].endsWith(QStringLiteral("[Chain truncated at 40 levels]")))
            truncated = i;
    }
    ASSERT_GE(truncated, 0);
    EXPECT_EQ(report.filter("File A|Public Sub R").size(), 40) << "R1..R40";
    EXPECT_TRUE(report[truncated].endsWith(QStringLiteral("[ZRK-X][Chain truncated at 40 levels]")));
    EXPECT_EQ(report[truncated].count(QStringLiteral("[ZRK-")), 41);
    EXPECT_EQ(report[truncated - 1], QString("[ZRK-X]").repeated(40) + "File A|Public Sub R40");
}

TEST(DependencyReportTest, LargeFanOutsAndCyclesStayBounded)
{
    QStringList calls;
    std::vector<std::pair<QString, QStringList>> procedures;
    for (int i = 0; i < 10000; ++i) {
        calls << QStringLiteral("Q%1").arg(i);
        procedures.push_back({QStringLiteral("Q%1").arg(i), {}});
    }
    procedures.insert(procedures.begin(), {"Hub", calls});
    // A cycle of 500 routines, each also calling the hub.
    for (int i = 0; i < 500; ++i)
        procedures.push_back({QStringLiteral("Z%1").arg(i), {QStringLiteral("Z%1").arg((i + 1) % 500), "Hub"}});
    LoadedProject p;
    p.Load({Module("modF", procedures)});
    const QStringList hub = Body(Report(p, "MODF|HUB"));
    EXPECT_EQ(hub.filter(QRegularExpression("^\\[ZRK-[TUL]+\\]File A\\|Public Sub Q")).size(), 10000);
    const QStringList ring = Body(Report(p, "MODF|Z0"));
    // Upwards the ring runs 40 levels deep and is cut; downwards too, while the hub, a
    // sibling of Z1, is expanded once at level 1 with its 10,000 callees.
    EXPECT_EQ(ring.filter("[Chain truncated at 40 levels]").size(), 2);
    EXPECT_EQ(ring.filter("Public Sub Q").size(), 10000);
    EXPECT_LT(ring.size(), 10000 + 100);
}

TEST(DependencyPseudoRoutines, EligibilityAndBothWaysOfAdding)
{
    LoadedProject p;
    p.Load({{"frmMain.frm", {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()",
                             "    Work", "End Sub", "Private Sub cmdQuit_Click()", "End Sub"}},
            {"clsV.cls", {"Attribute VB_Name = \"clsV\"", "Public Property Get Value() As Long", "End Property",
                          "Public Property Let Value(v As Long)", "End Property"}},
            Module("modA", {{"Work", {}}})});
    const auto& files = p.project.RoutinesByFile;
    quillon::model::RoutineList list;
    for (const auto& entry : files.entries())
        list.insert(list.end(), entry.second.begin(), entry.second.end());
    // Layout, Image, Declarations, the isolated cmdQuit_Click and the unscanned Property Let
    // get no report.
    EXPECT_EQ(AddDependencyReports(p.dep(), list), 3);
    QStringList added;
    for (size_t i = list.size() - 3; i < list.size(); ++i)
        added << list[i]->RoutineName;
    EXPECT_EQ(added, (QStringList{"Event Handler:cmdOK_Click|Dep", "Work|Dep", "Value|Dep"}));
    const auto& pseudo = *list[list.size() - 2];
    EXPECT_EQ(pseudo.RoutineKind, QStringLiteral("Dependency"));
    EXPECT_TRUE(pseudo.IsDepPseudo);
    EXPECT_EQ(pseudo.ParentKey, p.Routine("MODA|WORK")->UniqueKey);
    EXPECT_EQ(pseudo.UniqueKey, p.fx.path("modA.bas") + "|modA|Dependency|Work|Dep");
    EXPECT_EQ(quillon::model::ListText(pseudo, [&](const QString& key) {
                  return key == pseudo.ParentKey ? p.Routine("MODA|WORK") : quillon::model::RoutinePtr();
              }),
              QStringLiteral("modA.bas|Public Sub Work|Dep"));
    EXPECT_TRUE(IsIsolatedEventHandler(p.dep(), *p.Routine("FRMMAIN|EVENT HANDLER:CMDQUIT_CLICK")));

    // The queue variant walks backwards and skips reports already queued.
    quillon::model::RoutineList queue{p.Routine("MODA|WORK"), p.Routine("FRMMAIN|EVENT HANDLER:CMDOK_CLICK")};
    EXPECT_EQ(AddDependencyReportsToQueue(p.dep(), queue), 2);
    EXPECT_EQ(queue[2]->RoutineName, QStringLiteral("Event Handler:cmdOK_Click|Dep"));
    EXPECT_EQ(queue[3]->RoutineName, QStringLiteral("Work|Dep"));
    EXPECT_EQ(AddDependencyReportsToQueue(p.dep(), queue), 0);
    EXPECT_EQ(queue.size(), 4u);
}

} // namespace
