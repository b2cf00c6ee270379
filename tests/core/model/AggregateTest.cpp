#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;

namespace {

QStringList MemberNames(const RoutineList& members)
{
    QStringList names;
    for (const RoutinePtr& r : members)
        names << r->RoutineKind + QLatin1Char(' ') + r->RoutineName;
    return names;
}

// A class with small and large properties, in an order the sort has to change.
QString WriteClass(const Fixture& fx)
{
    return fx.writeLines("clsBox.cls", {
        "VERSION 1.0 CLASS",                         // 1
        "Attribute VB_Name = \"clsBox\"",            // 2
        "Private mW As Long",                        // 3
        "' Width, small",                            // 4
        "Public Property Get Width() As Long",       // 5
        "    Width = mW",                            // 6
        "End Property",                              // 7
        "Public Property Let Width(v As Long)",      // 8
        "    mW = v",                                // 9
        "End Property",                              // 10
        "Public Property Get Area() As Long",        // 11  large: 11..18
        "    Dim a As Long",                         // 12
        "    a = mW",                                // 13
        "    a = a * mW",                            // 14
        "    If a < 0 Then a = 0",                   // 15
        "    Area = a",                              // 16
        "    ' done",                                // 17
        "End Property",                              // 18
        "Public Sub Draw()",                         // 19
        "End Sub",                                   // 20
        "Private Sub SetPropertyValue()",            // 21  kind Property, but no Get/Let/Set
        "End Sub",                                   // 22
        "Public Property Set Owner(o As Object)",    // 23
        "End Property",                              // 24
    });
}

TEST(Aggregate, ModesChooseSmallOrAllPropertiesSortedByName)
{
    Fixture fx;
    const QString path = WriteClass(fx);
    EXPECT_TRUE(CollectAggregateProperties(path, 0).empty());
    EXPECT_TRUE(CollectAggregateProperties(QStringLiteral(" "), 2).empty());
    // The exchange sort is not stable: in mode 1 the two Width procedures change places
    // when Owner is swapped to the front, in mode 2 they do not.
    EXPECT_EQ(MemberNames(CollectAggregateProperties(path, 1)),
              (QStringList{"Property Set Owner", "Property Let Width", "Property Get Width"}));
    EXPECT_EQ(MemberNames(CollectAggregateProperties(path, 2)),
              (QStringList{"Property Get Area", "Property Set Owner", "Property Get Width", "Property Let Width"}));
    EXPECT_TRUE(CollectAggregateProperties(path, 3).empty());
}

TEST(Aggregate, SmallMeansAtMostSixLinesCommentsIncluded)
{
    clsRoutineInfo r;
    r.RoutineKind = "Property Get";
    r.lStartLine = 10;
    r.lEndLine = 15;
    EXPECT_TRUE(IsSmallProperty(r));
    r.lEndLine = 16;
    EXPECT_FALSE(IsSmallProperty(r));
    r.lEndLine = 12;
    r.RoutineKind = "Sub";
    EXPECT_FALSE(IsSmallProperty(r));
    r.RoutineKind = "Property";
    r.lStartLine = 0;
    EXPECT_FALSE(IsSmallProperty(r));
}

TEST(Aggregate, PropertyProcedureTest)
{
    clsRoutineInfo r;
    r.RoutineKind = "Property";
    r.SigLineText = "Private Sub SetPropertyValue()";
    EXPECT_FALSE(IsPropertyProcedure(&r));
    r.SigLineText = "  friend property let X(v)";
    EXPECT_TRUE(IsPropertyProcedure(&r));
    // Only the first "PROPERTY " counts.
    r.SigLineText = "Sub Property X() ' Property Get";
    EXPECT_FALSE(IsPropertyProcedure(&r));
    r.SigLineText = "Public Property Get X()";
    r.IsDeclarations = true;
    EXPECT_FALSE(IsPropertyProcedure(&r));
    r.IsDeclarations = false;
    r.RoutineKind = "Aggregate";
    EXPECT_FALSE(IsPropertyProcedure(&r));
    EXPECT_FALSE(IsPropertyProcedure(nullptr));
}

TEST(Aggregate, EqualNamesKeepTheExchangeSortOrder)
{
    Fixture fx;
    const QString path = fx.writeLines("c.cls", {
        "Public Property Get B() As Long", "End Property", "Public Property Let B(v As Long)", "End Property",
        "Public Property Get A() As Long", "End Property"});
    // Get B moves behind A in the first pass and then stays behind Let B.
    EXPECT_EQ(MemberNames(CollectAggregateProperties(path, 2)),
              (QStringList{"Property Get A", "Property Let B", "Property Get B"}));
}

TEST(Aggregate, UsesTheLoadedRoutinesWhenThePathIsLoaded)
{
    Fixture fx;
    const QString path = WriteClass(fx);
    RoutinesByFileMap loaded;
    RoutineList onlyOne = SplitFileIntoRoutines(path);
    onlyOne.erase(std::remove_if(onlyOne.begin(), onlyOne.end(),
                                 [](const RoutinePtr& r) { return r->RoutineName != QLatin1String("Area"); }),
                  onlyOne.end());
    loaded.insert(path.toUpper() == path ? path.toLower() : path.toUpper(), onlyOne);
    // The key is found ignoring case, and the loaded list (one property) is what counts.
    EXPECT_EQ(MemberNames(CollectAggregateProperties(path, 2, &loaded)), QStringList{"Property Get Area"});
}

TEST(Aggregate, RecordAndName)
{
    Fixture fx;
    const QString path = WriteClass(fx);
    EXPECT_EQ(AggregateName(0), QStringLiteral("Let_Set_Get Properties"));
    EXPECT_EQ(AggregateName(1), QStringLiteral("Let_Set_Get Properties (Small)"));
    EXPECT_EQ(AggregateName(2), QStringLiteral("Let_Set_Get Properties (All)"));
    EXPECT_EQ(AggregateModeFromName(QStringLiteral(" let_set_get properties (all) ")), 2);
    EXPECT_EQ(AggregateModeFromName(QStringLiteral("Let_Set_Get Properties (Small)")), 1);
    const RoutinePtr record = MakeAggregateRecord(path, 1, 3);
    EXPECT_EQ(record->RoutineKind, QStringLiteral("Aggregate"));
    EXPECT_EQ(record->ModuleName, QStringLiteral("clsBox"));
    EXPECT_EQ(record->lSigLine, 3);
    EXPECT_EQ(record->lStartLine + record->lEndLine, 0);
    EXPECT_TRUE(record->SigLineText.isEmpty());
    EXPECT_EQ(record->UniqueKey, path + QStringLiteral("|clsBox|Aggregate|Let_Set_Get Properties (Small)"));
}

TEST(Aggregate, ListingHasHeadingThenEachMemberWithItsLines)
{
    Fixture fx;
    const QString path = WriteClass(fx);
    const RoutinePtr record = MakeAggregateRecord(path, 1, 3);
    QStringList fileLines;
    ReadFileToArray(path, fileLines);
    const auto listing = BuildAggregateListing(*record, fileLines);
    QStringList texts;
    int counted = 0;
    for (const auto& line : listing) {
        texts << line.text;
        counted += line.countsStatements ? 1 : 0;
    }
    EXPECT_EQ(texts.mid(0, 4), (QStringList{" Let_Set_Get Properties (<= 6 lines) ", "", ">>> Owner",
                                            "Public Property Set Owner(o As Object)"}));
    EXPECT_EQ(texts.indexOf(">>> Width"), 6);
    EXPECT_EQ(texts.mid(7, 4), (QStringList{"Public Property Let Width(v As Long)", "    mW = v", "End Property", ""}));
    // The Get's span takes in the comment block above its signature.
    EXPECT_EQ(texts.mid(11, 5), (QStringList{">>> Width", "' Width, small", "Public Property Get Width() As Long",
                                             "    Width = mW", "End Property"}));
    EXPECT_EQ(texts.size(), 16);
    EXPECT_EQ(counted, 2 + 3 + 4);
}

} // namespace
