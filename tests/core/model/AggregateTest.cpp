#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;

// Records are built with designated initializers that name only the fields a case uses.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

QStringList MemberNames(const RoutineList& members)
{
    QStringList names;
    for (const RoutinePtr& r : members)
        names << r->RoutineKind + QLatin1Char(' ') + r->RoutineName;
    return names;
}

// A class with small and large properties, in an order the sort has to change.
const QStringList kBox = {"VERSION 1.0 CLASS", "Attribute VB_Name = \"clsBox\"", "Private mW As Long",
                          "' Width, small", "Public Property Get Width() As Long", "    Width = mW", "End Property",                  // 4..7
                          "Public Property Let Width(v As Long)", "    mW = v", "End Property",                                      // 8..10
                          "Public Property Get Area() As Long", "    Dim a As Long", "    a = mW", "    a = a * mW", "    If a < 0 Then a = 0",
                          "    Area = a", "    ' done", "End Property",                                                               // 11..18: large
                          "Public Sub Draw()", "End Sub", "Private Sub SetPropertyValue()", "End Sub", // kind Property, no Get/Let/Set
                          "Public Property Set Owner(o As Object)", "End Property"};

TEST(Aggregate, ModesChooseSmallOrAllPropertiesInExchangeSortOrder)
{
    Fixture fx;
    const QString path = fx.writeLines("clsBox.cls", kBox);
    const QString order = fx.writeLines("c.cls", {"Public Property Get B() As Long", "End Property", "Public Property Let B(v As Long)",
                                                  "End Property", "Public Property Get A() As Long", "End Property"});
    // The exchange sort is not stable: in mode 1 the two Width procedures change places when
    // Owner is swapped to the front, in mode 2 they do not; Get B moves behind A in the first
    // pass and then stays behind Let B.
    const struct { QString path; int mode; QStringList members; } cases[] = {
        {path, 0, {}}, {" ", 2, {}}, {path, 3, {}}, {path, 1, {"Property Set Owner", "Property Let Width", "Property Get Width"}},
        {path, 2, {"Property Get Area", "Property Set Owner", "Property Get Width", "Property Let Width"}},
        {order, 2, {"Property Get A", "Property Let B", "Property Get B"}}};
    for (const auto& c : cases)
        EXPECT_EQ(MemberNames(CollectAggregateProperties(c.path, c.mode)), c.members) << c.mode;
    // A loaded file's routines (found ignoring case) are used instead of reading the file.
    RoutineList onlyArea = SplitFileIntoRoutines(path);
    std::erase_if(onlyArea, [](const RoutinePtr& r) { return r->RoutineName != QLatin1String("Area"); });
    RoutinesByFileMap loaded;
    loaded.insert(path.toUpper() == path ? path.toLower() : path.toUpper(), onlyArea);
    EXPECT_EQ(MemberNames(CollectAggregateProperties(path, 2, &loaded)), QStringList{"Property Get Area"});

    // Small: a property kind of at most six lines, comments included, with a known start.
    const struct { const char* kind; int start, end; bool small; } spans[] = {
        {"Property Get", 10, 15, true}, {"Property Get", 10, 16, false}, {"Sub", 10, 12, false}, {"Property", 0, 12, false}};
    for (const auto& s : spans)
        EXPECT_EQ(IsSmallProperty(clsRoutineInfo{.lStartLine = s.start, .lEndLine = s.end, .RoutineKind = s.kind}), s.small) << s.kind << s.end;
    // Only the first "PROPERTY " counts, and only in a procedure's signature.
    const struct { const char* kind; const char* sig; bool declarations, property; } procedures[] = {
        {"Property", "Private Sub SetPropertyValue()", false, false}, {"Property", "  friend property let X(v)", false, true},
        {"Property", "Sub Property X() ' Property Get", false, false}, {"Property Get", "Public Property Get X()", true, false},
        {"Aggregate", "Public Property Get X()", false, false}, {"Property Get", "Public Property Get X()", false, true}};
    for (const auto& p : procedures) {
        const clsRoutineInfo r{.RoutineKind = p.kind, .SigLineText = p.sig, .IsDeclarations = p.declarations};
        EXPECT_EQ(IsPropertyProcedure(&r), p.property) << p.kind << " " << p.sig;
    }
    EXPECT_FALSE(IsPropertyProcedure(nullptr));
}

TEST(Aggregate, RecordNameAndListing)
{
    EXPECT_EQ(QStringList({AggregateName(0), AggregateName(1), AggregateName(2)}),
              QStringList({"Let_Set_Get Properties", "Let_Set_Get Properties (Small)", "Let_Set_Get Properties (All)"}));
    EXPECT_EQ(QList<int>({AggregateModeFromName(" let_set_get properties (all) "), AggregateModeFromName("Let_Set_Get Properties (Small)")}),
              QList<int>({2, 1}));
    Fixture fx;
    const QString path = fx.writeLines("clsBox.cls", kBox);
    const RoutinePtr record = MakeAggregateRecord(path, 1, 3);
    EXPECT_EQ(QStringList({record->RoutineKind, record->ModuleName, record->SigLineText, record->UniqueKey}),
              QStringList({"Aggregate", "clsBox", "", path + "|clsBox|Aggregate|Let_Set_Get Properties (Small)"}));
    EXPECT_EQ(QList<int>({record->lSigLine, record->lStartLine, record->lEndLine}), QList<int>({3, 0, 0}));
    // The heading, then each member with its lines; a Get's span takes in the comment block
    // above its signature.
    QStringList texts;
    int counted = 0;
    for (const auto& line : BuildAggregateListing(*record, kBox)) {
        texts << line.text;
        counted += line.countsStatements ? 1 : 0;
    }
    EXPECT_EQ(texts, (QStringList{" Let_Set_Get Properties (<= 6 lines) ", "", ">>> Owner", "Public Property Set Owner(o As Object)", "End Property", "",
                                  ">>> Width", "Public Property Let Width(v As Long)", "    mW = v", "End Property", "", ">>> Width", "' Width, small",
                                  "Public Property Get Width() As Long", "    Width = mW", "End Property"}));
    EXPECT_EQ(counted, 2 + 3 + 4);
}

} // namespace
