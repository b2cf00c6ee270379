#include "analysis/DependencyIndex.h"
#include "core/analysis/AnalysisFixture.h"
#include "platform/StatusSink.h"

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::test::LoadedProject;
using quillon::test::module;

namespace {

QStringList items(const OrderedKeyList* list)
{
    return list ? list->items() : QStringList();
}

TEST(DependencyIndex, CallScanResolutionEventHandlersStartupPropertiesAndProgress)
{
    EXPECT_EQ(maskForCallScan(u"Msg = \"Call Foo\" ' Call Bar"), QStringLiteral("Msg =") + QString(22, QLatin1Char(' ')));
    // Candidates come from six passes, in order; "Call " is found inside longer words too, but
    // Then, Else and AddressOf only as words of their own.
    const struct {
        const char16_t* line;
        QStringList candidates;
    } calls[] = {{u"x = Foo(1): Call Bar", {"BAR", "FOO", "X"}}, {u"Set o = obj.Method(a).Prop", {"METHOD", "PROP"}}, {u"DoWork x, y", {"DOWORK"}},
        {u"If Ready Then Go", {"GO"}}, {u"Else Bar", {"BAR"}}, {u"ElseIf y Then Baz", {"BAZ"}},
        {u"If a Then x = 1 Else Beep: If ok Then Exit Sub", {"X", "BEEP"}}, {u"hHook = SetHook(AddressOf HookProc)", {"SETHOOK", "HHOOK", "HOOKPROC"}},
        {u"IfThenFoo xThen Foo, xAddressOf Bar", {"IFTHENFOO"}}, {u"  .Refresh: Dim a", {"REFRESH"}}, {u"ret = Shell (cmd)", {"SHELL", "RET"}},
        {u"Shell Notepad, 1", {"NOTEPAD"}}, {u"Recall Item", {"ITEM", "RECALL"}}, {u"s$ = Fmt$ (n%)", {"FMT$", "S$"}}};
    for (const auto& c : calls)
        EXPECT_EQ(callCandidates(c.line), c.candidates) << QString::fromUtf16(c.line).toStdString();
    // A commented-out Declare still counts; the library must be a quoted, non-empty name.
    const struct {
        const char16_t* line;
        const char* parsed;
    } declares[] = {{u"Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "GetTickCount|kernel32|GetTickCount"},
        {u"  Public Declare Sub Sleep Lib \"kernel32\" Alias \"SleepEx\" (ByVal ms As Long)", "Sleep|kernel32|SleepEx"},
        {u"' Declare Function Beep Lib \"kernel32\" (ByVal f As Long) As Long", "Beep|kernel32|Beep"}, {u"Declare Function X Lib kernel32 ()", nullptr},
        {u"Declare Function X Lib \"\" ()", nullptr}, {u"Declare Property X Lib \"k\"", nullptr}, {u"Dim Library As String", nullptr}};
    for (const auto& d : declares) {
        const auto parsed = parseDeclareLine(d.line);
        EXPECT_EQ(parsed ? parsed->name + "|" + parsed->library + "|" + parsed->alias : QString(), QString::fromLatin1(d.parsed))
            << QString::fromUtf16(d.line).toStdString();
    }
    struct Status : quillon::platform::IStatusSink {
        QStringList shown;
        void showStatus(const QString& text) override { shown << text; }
    } status;
    LoadedProject p;
    p.project.status = &status;
    p.load({{"frmMain.frm",
                {"VERSION 5.00", "Attribute VB_Name = \"frmMain\"", "Private Sub cmdOK_Click()", "End Sub",
                    "Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)", "End Sub"}},
               module("modA", {{"Run", {"x = Foo(1): Call Bar", "Run"}}, {"Foo", {}}}),
               module("modB", {{"Foo", {}}, {"Bar", {"Foo"}}, {"Msg", {"m = \"Call Run: If a Then Run\" ' Call Run"}}, {"Wide", {"x = " + QString(300, '(')}}}),
               module("modC", {{"Go", {"SetHook(AddressOf Foo)"}}}), module("modX", {{"Foo_Click", {}}, {"Main", {}}}), module("modInit", {{"Main", {}}}),
               {"clsV.cls",
                   {"Attribute VB_Name = \"clsV\"", "Public Property Get Value() As Long", "    Value = Helper()", "End Property",
                       "Public Property Let Value(v As Long)", "    Other", "End Property", "Private Function Helper() As Long", "End Function",
                       "Private Sub Other()", "End Sub"}}},
        {"Startup=\"Sub Main\""});
    const DependencyIndex& dep = p.dep();
    // The caller's own module first, then the first in project order; strings, comments and
    // calls to itself are no edges.
    EXPECT_EQ(items(dep.callees("MODA|RUN")), (QStringList {"MODB|BAR", "MODA|FOO"}));
    EXPECT_EQ(items(dep.callees("MODB|BAR")), QStringList {"MODB|FOO"});
    EXPECT_EQ(items(dep.callees("MODC|GO")), QStringList {"MODA|FOO"});
    EXPECT_EQ(items(dep.callers("MODA|FOO")), (QStringList {"MODA|RUN", "MODC|GO"}));
    EXPECT_EQ(dep.callees("MODB|MSG"), nullptr);
    EXPECT_EQ(dep.callers("MODA|RUN"), nullptr);
    // Forms and classes register their handlers with a label, found ignoring case; a module's
    // "handler" is a "User Event".
    EXPECT_EQ(dep.eventLabelOf("frmMain|Event Handler:Form_QueryUnload"), QStringLiteral("User Event: frmMain.frm|Event Handler:Form_QueryUnload"));
    EXPECT_EQ(dep.eventLabelMap().size(), 2);
    EXPECT_EQ(dep.eventLabelOf("MODX|EVENT HANDLER:FOO_CLICK"), QStringLiteral("User Event"));
    EXPECT_TRUE(dep.isEventHandler(*p.routineFor("MODX|EVENT HANDLER:FOO_CLICK")));
    // The start-up routine is the first Main of a standard module in the sorted file list.
    EXPECT_EQ(dep.startupKey(), QStringLiteral("MODINIT|MAIN"));
    EXPECT_TRUE(dep.isStartupRoutine(*p.routineFor("MODINIT|MAIN")));
    EXPECT_FALSE(dep.isStartupRoutine(*p.routineFor("MODX|MAIN")));
    // A property's procedures share one key, and only the first is scanned.
    EXPECT_EQ(items(dep.callees("CLSV|VALUE")), QStringList {"CLSV|HELPER"});
    EXPECT_TRUE(status.shown.contains("Phase 1 of 2: Loading file 7 of 7\r\nPhase 2 of 2: Scanning procedure 20 of 20"));

    // Without a Main the key names modMain; with a form to start there is none.
    const struct {
        const char* startup;
        const char* key;
    } startups[] = {{"Startup=\"Sub Main\"", "MODMAIN|MAIN"}, {"Startup=\"frmMain\"", ""}};
    for (const auto& s : startups) {
        LoadedProject q;
        q.load({module("modX", {{s.key[0] ? "Other" : "Main", {}}})}, {s.startup});
        EXPECT_EQ(q.dep().startupKey(), QString::fromLatin1(s.key)) << s.startup;
    }
}

} // namespace
