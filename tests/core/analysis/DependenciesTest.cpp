#include "analysis/Dependencies.h"
#include "core/analysis/AnalysisFixture.h"
#include "platform/StatusSink.h"

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::test::LoadedProject;
using quillon::test::Module;

namespace {

const QString q = QStringLiteral("\"");

QStringList Items(const OrderedKeyList* list)
{
    return list ? list->items() : QStringList();
}

TEST(CallScan, MaskingHidesStringsAndComments)
{
    EXPECT_EQ(MaskForCallScan(QStringLiteral("Msg = ") + q + "Call Foo" + q + " ' Call Bar"),
              QStringLiteral("Msg =") + QString(22, QLatin1Char(' ')));
    EXPECT_EQ(MaskForCallScan(QStringLiteral("a = ") + q + "x" + q + q + "y" + q + " & b"), QStringLiteral("a =        & b"));
    EXPECT_EQ(MaskForCallScan(u"x = 1").size(), 5);
}

TEST(CallScan, CandidatesComeFromFivePassesInOrder)
{
    EXPECT_EQ(CallCandidates(u"x = Foo(1): Call Bar"), (QStringList{"BAR", "FOO", "X"}));
    EXPECT_EQ(CallCandidates(u"Set o = obj.Method(a).Prop"), (QStringList{"METHOD", "PROP"}));
    EXPECT_EQ(CallCandidates(u"DoWork x, y"), QStringList{"DOWORK"});
    EXPECT_EQ(CallCandidates(u"If Ready Then Go"), QStringList{});
    EXPECT_EQ(CallCandidates(u"  .Refresh: Dim a"), QStringList{"REFRESH"});
    EXPECT_EQ(CallCandidates(u"ret = Shell (cmd)"), (QStringList{"SHELL", "RET"}));
    EXPECT_EQ(CallCandidates(u"Shell Notepad, 1"), QStringList{"NOTEPAD"});
    EXPECT_EQ(CallCandidates(u"Recall Item"), (QStringList{"ITEM", "RECALL"}))
        << "\"Call \" is found inside longer words too";
    EXPECT_EQ(CallCandidates(u"s$ = Fmt$ (n%)"), (QStringList{"FMT$", "S$"}));
}

TEST(Declares, ParsesNameLibraryAndAlias)
{
    auto d = ParseDeclareLine(u"Private Declare Function GetTickCount Lib \"kernel32\" () As Long");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->name + "|" + d->library + "|" + d->alias, QStringLiteral("GetTickCount|kernel32|GetTickCount"));
    d = ParseDeclareLine(u"  Public Declare Sub Sleep Lib \"kernel32\" Alias \"SleepEx\" (ByVal ms As Long)");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->name + "|" + d->library + "|" + d->alias, QStringLiteral("Sleep|kernel32|SleepEx"));
    d = ParseDeclareLine(u"' Declare Function Beep Lib \"kernel32\" (ByVal f As Long) As Long");
    ASSERT_TRUE(d.has_value()) << "a commented-out Declare still counts";
    EXPECT_EQ(d->alias, QStringLiteral("Beep"));
    EXPECT_FALSE(ParseDeclareLine(u"Declare Function X Lib kernel32 ()").has_value());
    EXPECT_FALSE(ParseDeclareLine(u"Declare Function X Lib \"\" ()").has_value());
    EXPECT_FALSE(ParseDeclareLine(u"Declare Property X Lib \"k\"").has_value());
    EXPECT_FALSE(ParseDeclareLine(u"Dim Library As String").has_value());
}

TEST(DependencyIndex, ResolutionPrefersTheCallersModuleThenProjectOrder)
{
    LoadedProject p;
    p.Load({Module("modA", {{"Run", {"x = Foo(1): Call Bar", "Run", "t = GetTickCount()"}}, {"Foo", {}}},
                   {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long"}),
            Module("modB", {{"Foo", {}}, {"Bar", {"Foo"}}, {"Msg", {"m = \"Call Run\" ' Call Run"}}})});
    const modDep& dep = p.dep();
    EXPECT_EQ(Items(dep.Callees("MODA|RUN")), (QStringList{"MODB|BAR", "MODA|FOO"}));
    EXPECT_EQ(Items(dep.Callees("MODB|BAR")), QStringList{"MODB|FOO"});
    EXPECT_EQ(Items(dep.Callers("MODA|FOO")), QStringList{"MODA|RUN"});
    EXPECT_EQ(dep.Callees("MODB|MSG"), nullptr);
    EXPECT_EQ(Items(dep.ApiCalls("MODA|RUN")), QStringList{"GetTickCount"});
    EXPECT_EQ(dep.DeclarationText("gettickcount"), QStringLiteral("GetTickCount|kernel32|GetTickCount"));
    // Map order: Declarations and procedures of modA, then modB; the self-call left no edge.
    QStringList keys;
    for (const auto& entry : dep.RoutineMap().entries())
        keys << entry.first;
    EXPECT_EQ(keys, (QStringList{"MODA|DECLARATIONS", "MODA|RUN", "MODA|FOO", "MODB|DECLARATIONS", "MODB|FOO",
                                 "MODB|BAR", "MODB|MSG"}));
    EXPECT_FALSE(Items(dep.Callers("MODA|RUN")).contains("MODA|RUN"));

    // From a third module the first Foo in project order wins.
    LoadedProject other;
    other.Load({Module("modA", {{"Foo", {}}}), Module("modB", {{"Foo", {}}}), Module("modC", {{"Go", {"Foo"}}})});
    EXPECT_EQ(Items(other.dep().Callees("MODC|GO")), QStringList{"MODA|FOO"});
}

TEST(DependencyIndex, EventHandlersOfFormsAndClassesGetLabels)
{
    LoadedProject p;
    p.Load({{"frmMain.frm",
             {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "End Sub",
              "Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)", "End Sub"}},
            Module("modX", {{"Foo_Click", {}}})});
    const modDep& dep = p.dep();
    EXPECT_EQ(dep.EventLabelOf("FRMMAIN|EVENT HANDLER:CMDOK_CLICK"),
              QStringLiteral("Click Event: frmMain.frm|Event Handler:cmdOK_Click"));
    EXPECT_EQ(dep.EventLabelOf("frmMain|Event Handler:Form_QueryUnload"),
              QStringLiteral("User Event: frmMain.frm|Event Handler:Form_QueryUnload"));
    EXPECT_EQ(dep.EventLabelMap().size(), 2);
    EXPECT_EQ(dep.EventLabelOf("MODX|EVENT HANDLER:FOO_CLICK"), QStringLiteral("User Event"));
    EXPECT_TRUE(dep.IsEventHandler(*p.Routine("MODX|EVENT HANDLER:FOO_CLICK")));
}

TEST(DependencyIndex, StartupRoutineIsFoundInAnyStandardModule)
{
    LoadedProject p;
    p.Load({Module("modInit", {{"Main", {}}}), Module("modOther", {{"Main", {}}})}, {"Startup=\"Sub Main\""});
    EXPECT_EQ(p.dep().StartupKey(), QStringLiteral("MODINIT|MAIN"));
    EXPECT_EQ(p.dep().ProgramStartMarker(), QStringLiteral("PROGRAM START"));
    EXPECT_TRUE(p.dep().IsStartupRoutine(*p.Routine("MODINIT|MAIN")));
    EXPECT_FALSE(p.dep().IsStartupRoutine(*p.Routine("MODOTHER|MAIN")));

    LoadedProject none;
    none.Load({Module("modX", {{"Other", {}}})}, {"Startup=\"Sub Main\""});
    EXPECT_EQ(none.dep().StartupKey(), QStringLiteral("MODMAIN|MAIN"));

    LoadedProject form;
    form.Load({Module("modX", {{"Main", {}}})}, {"Startup=\"frmMain\""});
    EXPECT_TRUE(form.dep().StartupKey().isEmpty());
}

TEST(DependencyIndex, PhaseTwoReportsItsProgress)
{
    LoadedProject p;
    struct Status : quillon::platform::IStatusSink {
        QStringList shown;
        void ShowStatus(const QString& text) override { shown << text; }
    } status;
    p.project.status = &status;
    p.Load({Module("modA", {{"One", {}}, {"Two", {}}})});
    EXPECT_TRUE(status.shown.contains("Phase 1 of 2: Loading file 1 of 1\r\nPhase 2 of 2: Scanning procedure 3 of 3"));
    EXPECT_EQ(p.project.LoadStatusText, QStringLiteral("Phase 1 of 2: Loading file 1 of 1\r\nPhase 2 of 2: Scanning procedure 3 "
                                                       "of 3\r\nBuilding Dependency Index.\r\nDependency Index Complete"));
}

TEST(DependencyIndex, PropertyPairsShareOneKeyAndOnlyTheFirstIsScanned)
{
    LoadedProject p;
    p.Load({{"clsV.cls",
             {"Attribute VB_Name = \"clsV\"", "Public Property Get Value() As Long", "    Value = Helper()",
              "End Property", "Public Property Let Value(v As Long)", "    Other", "End Property",
              "Private Function Helper() As Long", "End Function", "Private Sub Other()", "End Sub"}}});
    EXPECT_EQ(p.Routine("CLSV|VALUE")->RoutineKind, QStringLiteral("Property Get"));
    EXPECT_EQ(Items(p.dep().Callees("CLSV|VALUE")), QStringList{"CLSV|HELPER"});
}

TEST(DependencyIndex, LargeInputsStayLinear)
{
    // 20,000 routines in one module, each calling the next; and a 2 MB line.
    QStringList lines{"Attribute VB_Name = \"modBig\""};
    for (int i = 0; i < 20000; ++i) {
        lines << QStringLiteral("Sub P%1()").arg(i) << QStringLiteral("    P%1").arg(i + 1) << QStringLiteral("End Sub");
    }
    lines << "Sub Wide()" << QStringLiteral("    x = ") + QString(2 * 1024 * 1024, QLatin1Char('(')) << "End Sub";
    LoadedProject p;
    p.Load({{"modBig.bas", lines}});
    EXPECT_EQ(p.dep().RoutineMap().size(), 20002);
    EXPECT_EQ(Items(p.dep().Callees("MODBIG|P19998")), QStringList{"MODBIG|P19999"});
    EXPECT_EQ(p.dep().Callees("MODBIG|P19999"), nullptr);
}

} // namespace
