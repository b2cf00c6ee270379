#include "model/RoutineParser.h"
#include "model/ProjectLoader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;

// Records are built with designated initializers that name only the fields a case uses.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// "Kind|Name|start|sig|end|comments|blanks|code" per record, for exact comparisons.
QStringList summary(const RoutineList& routines)
{
    QStringList out;
    for (const RoutinePtr& r : routines)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                   .arg(kindText(r->kind), r->routineName)
                   .arg(r->startLine)
                   .arg(r->signatureLine)
                   .arg(r->endLine)
                   .arg(r->commentLines)
                   .arg(r->blankLines)
                   .arg(r->codeLines);
    return out;
}

const QStringList kClassHeader = {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END", "Attribute VB_Name = \"clsItem\"",
    "Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = True"};

TEST(RoutineRecord, KeysListTextsAndKinds)
{
    EXPECT_EQ(makeUniqueKey("/p/a.bas", "modA", "Foo", RoutineKind::None), "/p/a.bas|modA|Foo");
    EXPECT_EQ(makeUniqueKey("/p/a.bas", " modA", "Foo ", RoutineKind::Sub), "/p/a.bas| modA|Sub|Foo ");
    EXPECT_EQ(dependencyKey(nullptr), QString());
    // The same routine name in two files differs in its unique key, not in its dependency key.
    const struct {
        Routine r;
        QString unique, dependency, list;
    } cases[] = {
        {{.routineName = "Foo|Dep", .filePath = "/p/a.bas", .moduleName = "modA", .kind = RoutineKind::Dependency}, "/p/a.bas|modA|Dependency|Foo|Dep",
            "MODA|FOO|DEP", "a.bas|Public Sub Foo|Dep"},
        {{.routineName = "Trim2", .filePath = "/p/one/util.bas", .moduleName = "modUtil", .kind = RoutineKind::Function},
            "/p/one/util.bas|modUtil|Function|Trim2", "MODUTIL|TRIM2", "util.bas|Public Sub Trim2"},
        {{.routineName = "Trim2",
             .filePath = "/p/two/util.bas",
             .moduleName = " MODUTIL ",
             .kind = RoutineKind::Function,
             .sigLineText = "Friend Function Trim2()"},
            "/p/two/util.bas| MODUTIL |Function|Trim2", "MODUTIL|TRIM2", "util.bas|Friend Function Trim2"},
    };
    for (auto c : cases) {
        assignUniqueKey(c.r);
        EXPECT_EQ(QStringList({c.r.uniqueKey, dependencyKey(&c.r), listText(c.r)}), QStringList({c.unique, c.dependency, c.list}));
    }
    // A dependency report shows the signature of the routine it reports on, when it can be found.
    auto parent = std::make_shared<Routine>(
        Routine {.filePath = "/p/modMain.bas", .uniqueKey = "/p/modMain.bas|modMain|Function|Total", .sigLineText = "Friend Function Total() As Long"});
    const Routine dep {.routineName = "Total|Dep", .filePath = parent->filePath, .isDepPseudo = true, .parentKey = parent->uniqueKey};
    EXPECT_EQ(listText(dep, [&](const QString& key) { return key == parent->uniqueKey ? parent : RoutinePtr(); }), "modMain.bas|Friend Function Total|Dep");
    EXPECT_TRUE(isPseudoRoutine(Routine {.kind = RoutineKind::Layout}));
    EXPECT_FALSE(isPseudoRoutine(Routine {.kind = RoutineKind::PropertyGet}));
}

// Each signature function as text in, text out ("yes"/"no" for the tests), one table for all.
using Reading = QString (*)(QStringView);
using quillon::test::yesNo;

TEST(SignatureTests, StartsEndsNamesKindsScopesAndEventLabels)
{
    const Reading start = [](QStringView t) { return yesNo(isProcedureStart(t)); }, end = [](QStringView t) { return yesNo(isEndProcedureLine(t)); },
                  handler = [](QStringView t) { return yesNo(isEventHandlerName(t)); }, name = procNameFromSignature,
                  kind = [](QStringView t) { return kindText(kindFromSignature(t)); }, scope = scopeAndKindText, label = eventLabel,
                  symbolScan = [](QStringView t) { return QString::number(procedureKeywordEnd(t, {.anyModifierOrder = true, .propertyNeedsAccessor = true})); };
    const struct {
        Reading read;
        const char* text;
        const char* expected;
    } cases[] = {
        {start, "Sub Main()", "yes"},
        {start, "Private   Static  Function F()", "yes"},
        {start, "friend sub f()", "yes"},
        {start, "Static Sub S()", "yes"},
        {start, "   ", "no"},
        {start, "' Sub Main()", "no"},
        {start, "End Sub", "no"},
        {start, "Public Static Property Get X()", "no"},
        {start, "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "no"},
        {start, "Private\tSub X()", "no"},
        {start, "Subtotal = 1", "no"},
        // "Public Function" alone has no blank after the keyword to match "FUNCTION *".
        {start, "Public Function", "no"},
        {start, "Public Function ", "yes"},
        {start, "Static Public Sub S()", "no"},
        {start, "Property  Get X()", "yes"},
        // The symbol scan's rules: any run of scope words, and a Property only with its accessor.
        {symbolScan, "Static Public Sub S()", "17"},
        {symbolScan, "Public Static Property Get X()", "26"},
        {symbolScan, "Property  Get X()", "-1"},
        {symbolScan, "Public Property Value()", "-1"},
        {end, "  end sub  ", "yes"},
        {end, "End Sub ' done", "no"},
        {end, "End  Sub", "no"},
        {end, "\tEnd Sub", "no"},
        {end, "End If", "no"},
        {handler, "cmdOK_Click", "yes"},
        {handler, "_Click", "no"},
        {handler, "DoClick", "no"},
        {name, "Public Property Get Value() As Long", "Value"},
        {name, "Private Function Fmt$(ByVal x As Long)", "Fmt$"},
        {name, "Sub   Main ()", "Main"},
        {name, "Public Property Value()", "Value"},
        {name, "Property Get", "Get"},
        // A keyword that is the last word is passed over; with no name the prepared text is returned.
        {name, "Public  Sub", "Public Sub"},
        {name, "Sub Function()", "Function"},
        {name, "   ", ""},
        // The kind is searched for anywhere in the line.
        {kind, "Private Sub SetPropertyValue()", "Property"},
        {kind, "Public Sub SubmitForm()", "Sub"},
        {kind, "Sub DoFunctionKeys()", "Function"},
        {kind, "Dim x", ""},
        {scope, "  Friend Function Total() As Long", "Friend Function"},
        {scope, "Static Function F()", "Public Function"},
        {scope, "Private Sub FunctionKey()", "Private Sub"},
        {scope, "Property Set Obj(o)", "Public Property Set"},
        {scope, "Private Property Get Value() ' Function x", "Private Function"},
        {scope, "", "Public Sub"},
        {label, "cmdOK_Click", "Click Event"},
        {label, "lst_DblClick", "DblClick Event"},
        {label, "Form_Load", "Form Event"},
        {label, "Class_Terminate", "Class Event"},
        {label, "Form_QueryUnload", "User Event"},
        {label, "DoClick", "User Event"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].read(QString::fromLatin1(cases[i].text)), QString::fromLatin1(cases[i].expected)) << "row " << i << ": " << cases[i].text;
}

TEST(SplitFile, RecordsOfEachShapeOfFileLineCountsTheModuleNameAndFilesOnDisk)
{
    const struct {
        const char* path;
        QStringList lines;
        QStringList records;
        const char* module;
    } cases[] = {
        {"/p/modMath.bas", {"Attribute VB_Name = \"modMath\"", "Option Explicit", "", "' Adds", "Public Function Add()", "End Function"},
            {"Declarations|Declarations|1|0|2|0|0|2", "Function|Add|4|5|6|1|0|2"}, "modMath"},
        // Procedure-level attributes do not hide the procedures above them.
        {"/p/clsItem.cls",
            kClassHeader
                + QStringList {"Option Explicit", "Private mName As String", "Private attributeLocation As Long", "", "Public Property Get Name() As String",
                    "Attribute Name.VB_UserMemId = 0", "    Name = mName", "End Property", "Public Sub Reset()", "    attributeLocation = 1", "End Sub",
                    "Public Property Get Item() As Variant", "Attribute Item.VB_UserMemId = -4", "End Property"},
            {"Declarations|Declarations|8|0|10|0|0|3", "Property Get|Name|12|12|15|0|0|4", "Sub|Reset|16|16|18|0|0|3", "Property Get|Item|19|19|21|0|0|3"},
            "clsItem"},
        // A form starts with Layout and Image records over its header; "AttributeX" is no header line.
        {"/p/frmA.frm", {"Attribute VB_Name = \"frmA\"", "AttributeX", "Sub A()", "End Sub"},
            {"Layout|Layout|1|0|1|0|0|1", "Image|Image|1|0|1|0|0|1", "Declarations|Declarations|2|0|2|0|0|1", "Sub|A|3|3|4|0|0|2"}, "frmA"},
        // Empty declarations are not listed: the signature comes first, only comments come
        // before it, or a class header ends right before it.
        {"/p/a.bas", {"Sub A()", "End Sub"}, {"Sub|A|1|1|2|0|0|2"}, "a"},
        {"/p/b.bas", {"' file header", "", "' about A", "Sub A()", "End Sub"}, {"Sub|A|3|4|5|1|0|2"}, "b"},
        {"/p/c.cls", kClassHeader + QStringList {"Private Sub Class_Initialize()", "End Sub"}, {"Sub|Event Handler:Class_Initialize|8|8|9|0|0|2"}, "clsItem"},
        // A closing line with a comment does not close.
        {"/p/a.bas", {"Sub A()", "    x = 1", "End Sub ' done", "", "' about B", "Sub B()", "End Sub"}, {"Sub|A|1|1|5|1|1|3", "Sub|B|6|6|7|0|0|2"}, "a"},
        // Later procedures start right after the previous end and keep the trailing blanks.
        {"/p/a.bas", {"Option Explicit", "", "Sub A()", "End Sub", "", "' about B", "", "' more", "Function B()", "End Function", "", ""},
            {"Declarations|Declarations|1|0|1|0|0|1", "Sub|A|3|3|4|0|0|2", "Function|B|5|9|12|2|4|2"}, "a"},
        // The header comment block stops at blank, Rem and tabbed lines; the Declarations end at
        // the last line that is neither empty nor a comment.
        {"/p/a.bas", {"Dim x", "' not mine", "", "\t' tabbed", "' mine", "' mine too", "Sub A()", "End Sub"},
            {"Declarations|Declarations|1|0|4|1|1|2", "Sub|A|5|7|8|2|0|2"}, "a"},
        {"/p/b.bas", {"Dim x", "Rem mine?", "Sub A()", "End Sub"}, {"Declarations|Declarations|1|0|2|1|0|1", "Sub|A|3|3|4|0|0|2"}, "b"},
        // Files without procedures; a form without Attribute lines has no Layout.
        {"/p/a.bas", {"Option Explicit", "Public X As Long", "", "' end"}, {"Declarations|Declarations|1|0|4|1|1|2"}, "a"},
        {"/p/f.frm", {"VERSION 5.00", "Attribute VB_Name = \"f\""}, {"Layout|Layout|1|0|2|0|0|2", "Image|Image|1|0|2|0|0|2"}, "f"},
        {"/p/empty.bas", {}, {}, ""},
        {"/p/g.frm", {"VERSION 5.00", "Begin VB.Form g", "End"}, {"Declarations|Declarations|1|0|3|0|0|3"}, "g"},
        // Members of a Type or an Enum may read like headers; a block left open ends at the
        // first line that can only be one.
        {"/p/modSort.bas",
            {"Attribute VB_Name = \"modSort\"", "Private Type QSStack", "    sLB As Long", "    sUB As Long", "End Type", "Public Enum Kinds",
                "    Function = 1", "    Property = 2 ' last", "End Enum", "Sub Sort()", "End Sub"},
            {"Declarations|Declarations|1|0|9|0|0|9", "Sub|Sort|10|10|11|0|0|2"}, "modSort"},
        {"/p/clsSort.cls",
            kClassHeader + QStringList {"Type QSStack", "    sUB As Long", "    Sub(1 To 2) As Long", "End Type", "Public Sub Push()", "End Sub"},
            {"Declarations|Declarations|8|0|11|0|0|4", "Sub|Push|12|12|13|0|0|2"}, "clsItem"},
        {"/p/frmSort.frm",
            {"Attribute VB_Name = \"frmSort\"", "Private Type QSStack", "    Property As Long", "    Function As Long", "End  Type", "Private Sub Form_Load()",
                "End Sub"},
            {"Layout|Layout|1|0|1|0|0|1", "Image|Image|1|0|1|0|0|1", "Declarations|Declarations|2|0|5|0|0|4", "Sub|Event Handler:Form_Load|6|6|7|0|0|2"},
            "frmSort"},
        {"/p/a.bas", {"Private Type Open", "    sUB As Long", "Private Sub Later()", "End Sub"},
            {"Declarations|Declarations|1|0|2|0|0|2", "Sub|Later|3|3|4|0|0|2"}, "a"},
        // A Static Property line is no signature, so it stays inside the first procedure.
        {"/p/a.cls", {"Private Sub SetPropertyValue()", "End Sub", "Public Static Property Get X()", "End Property", "Private Sub cmdOK_Click()", "End Sub"},
            {"Property|SetPropertyValue|1|1|4|0|0|4", "Sub|Event Handler:cmdOK_Click|5|5|6|0|0|2"}, "a"},
        // A user control splits like a form, but the attributes its declarations give their
        // members stay in the declarations. Its handlers are named after its own object and an
        // event that object raises, or after a control of its block (any event: a control's
        // events depend on its type); a suffix of the forms' list still counts.
        {"/p/ucDial.ctl",
            {"VERSION 5.00", "Begin VB.UserControl ucDial", "   Begin VB.Label lblTick", "      Index = 0", "   End", "   Begin VB.Label lblTick",
                "      BeginProperty Font", "      EndProperty", "   End", "End", "Attribute VB_Name = \"ucDial\"", "Option Explicit",
                "Event Click()", "Attribute Click.VB_UserMemId = -600", "Private Sub UserControl_ReadProperties(PropBag As PropertyBag)", "End Sub", "Private Sub UserControl_Refresh()", "End Sub",
                "Private Sub lblTick_OLEDragDrop(Index As Integer)", "End Sub", "Private Sub Font_Resize()", "End Sub", "Public Sub Tick_Count()",
                "End Sub"},
            {"Layout|Layout|1|0|11|0|0|11", "Image|Image|1|0|11|0|0|11", "Declarations|Declarations|12|0|14|0|0|3",
                "Property|Event Handler:UserControl_ReadProperties|15|15|16|0|0|2", "Sub|UserControl_Refresh|17|17|18|0|0|2",
                "Sub|Event Handler:lblTick_OLEDragDrop|19|19|20|0|0|2", "Sub|Event Handler:Font_Resize|21|21|22|0|0|2", "Sub|Tick_Count|23|23|24|0|0|2"},
            "ucDial"},
        // Each object file knows its own object only; a designer has no image. The kind comes
        // from the whole signature line, so "PropertyPage" and "PropertyBag" make it "Property".
        {"/p/ppg.pag",
            {"Begin VB.PropertyPage ppg", "End", "Attribute VB_Name = \"ppg\"", "Private Sub PropertyPage_ApplyChanges()", "End Sub",
                "Private Sub UserControl_ReadProperties(PropBag As PropertyBag)", "End Sub"},
            {"Layout|Layout|1|0|3|0|0|3", "Image|Image|1|0|3|0|0|3", "Property|Event Handler:PropertyPage_ApplyChanges|4|4|5|0|0|2",
                "Property|UserControl_ReadProperties|6|6|7|0|0|2"},
            "ppg"},
        {"/p/doc.dob", {"Begin VB.UserDocument doc", "End", "Attribute VB_Name = \"doc\"", "Private Sub UserDocument_Show()", "End Sub"},
            {"Layout|Layout|1|0|3|0|0|3", "Image|Image|1|0|3|0|0|3", "Sub|Event Handler:UserDocument_Show|4|4|5|0|0|2"}, "doc"},
        {"/p/Connect.Dsr",
            {"Begin {AC0714F6-3D04-11D1-AE7D-00A0C90F26F4} Connect", "End", "Attribute VB_Name = \"Connect\"", "Option Explicit",
                "Private Sub AddinInstance_OnConnection(ByVal App As Object)", "End Sub"},
            {"Layout|Layout|1|0|3|0|0|3", "Declarations|Declarations|4|0|4|0|0|1", "Sub|Event Handler:AddinInstance_OnConnection|5|5|6|0|0|2"},
            "Connect"},
        // A standard module or a class has no object of that kind.
        {"/p/m.bas", {"Sub UserControl_Paint()", "End Sub", "Sub UserControl_Resize()", "End Sub"},
            {"Sub|UserControl_Paint|1|1|2|0|0|2", "Sub|Event Handler:UserControl_Resize|3|3|4|0|0|2"}, "m"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << cases[i].path);
        const RoutineList routines = splitLinesIntoRoutines(QString::fromLatin1(cases[i].path), cases[i].lines);
        EXPECT_EQ(summary(routines), cases[i].records);
        for (const RoutinePtr& r : routines) {
            EXPECT_EQ(r->moduleName, QString::fromLatin1(cases[i].module));
            EXPECT_EQ(r->isDeclarations, r->kind == RoutineKind::Declarations);
        }
    }
    // The comment ending in " _" swallows the following line, as a continued comment does;
    // spans past the end are clipped.
    const QStringList lines = {"x = 1 & _", "    2 & _", "    3", "Rem", "REM note", "Remark = 1", "   ", "' c _", "y = 2"};
    const struct {
        int start, end, code, comments, blanks;
    } spans[] = {{1, 9, 2, 3, 1}, {8, 400, 0, 1, 0}};
    for (const auto& c : spans) {
        Routine r {.startLine = c.start, .endLine = c.end};
        countRoutineLines(r, lines);
        EXPECT_EQ(QList<int>({r.codeLines, r.commentLines, r.blankLines}), QList<int>({c.code, c.comments, c.blanks}));
    }
    // The VB_Name attribute counts within the first 300 lines only, and in quotes.
    QStringList header(299, QStringLiteral("' filler"));
    header << "Attribute VB_Name = \"modLate\"";
    EXPECT_EQ(readVbNameFromLines(header), "modLate");
    EXPECT_EQ(readVbNameFromLines(QStringList {"' one more"} + header), QString());
    EXPECT_EQ(readVbNameFromLines({"attribute vb_name = noquote", "  ATTRIBUTE VB_NAME = \"m2\""}), "m2");
    EXPECT_EQ(readVbNameFromLines({"Attribute VB_Name = \"open"}), QString());
    // A file on disk, and files that cannot be split.
    Fixture fx;
    const RoutineList read = splitFileIntoRoutines(fx.write("m.bas", "' \xE9t\xE9\r\nSub A()\r\nEnd Sub\r\n"));
    EXPECT_EQ(summary(read), QStringList {"Sub|A|1|2|3|1|0|2"});
    for (const QString& path : {fx.path("none.bas"), QStringLiteral("  "), fx.path()}) {
        EXPECT_TRUE(splitFileIntoRoutines(path).empty()) << path.toStdString();
        EXPECT_FALSE(readAndSplitFile(path).ok()) << path.toStdString();
    }
    const Outcome<SplitFile> binary = readAndSplitFile(fx.write("bin.bas", QByteArray("Sub A()\0\x01\xFF\r\n", 12)));
    EXPECT_TRUE(binary && binary->hasNul);
    QStringList array {"stale"};
    EXPECT_EQ(readFileToArray(fx.write("r.bas", "a\r\nb\nc"), array), 3);
    EXPECT_EQ(array, (QStringList {"a", "b", "c"}));
    EXPECT_EQ(readFileToArray(fx.path("none.bas"), array), 0);
}

// A class with small and large properties, in an order the sort has to change.
const QStringList kBox = {"VERSION 1.0 CLASS", "Attribute VB_Name = \"clsBox\"", "Private mW As Long", "' Width, small", "Public Property Get Width() As Long",
    "    Width = mW", "End Property", // 4..7
    "Public Property Let Width(v As Long)", "    mW = v", "End Property", // 8..10
    "Public Property Get Area() As Long", "    Dim a As Long", "    a = mW", "    a = a * mW", "    If a < 0 Then a = 0", "    Area = a", "    ' done",
    "End Property", // 11..18: large
    "Public Sub Draw()", "End Sub", "Private Sub SetPropertyValue()", "End Sub", // kind Property, no Get/Let/Set
    "Public Property Set Owner(o As Object)", "End Property"};

TEST(Aggregate, ModesChooseSmallOrAllPropertiesInExchangeSortOrderForTheRecordAndItsListing)
{
    Fixture fx;
    const QString path = fx.writeLines("clsBox.cls", kBox);
    // The exchange sort is not stable: in mode 1 the two Width procedures change places when
    // Owner is swapped to the front, in mode 2 they do not.
    const struct {
        QString path;
        AggregateMode mode;
        QStringList members;
    } cases[] = {{path, AggregateMode::None, {}}, {" ", AggregateMode::AllProperties, {}},
        {path, AggregateMode::SmallProperties, {"Property Set|Owner|23|23|24|0|0|2", "Property Let|Width|8|8|10|0|0|3", "Property Get|Width|4|5|7|1|0|3"}},
        {path, AggregateMode::AllProperties,
            {"Property Get|Area|11|11|18|1|0|7", "Property Set|Owner|23|23|24|0|0|2", "Property Get|Width|4|5|7|1|0|3", "Property Let|Width|8|8|10|0|0|3"}}};
    for (const auto& c : cases)
        EXPECT_EQ(summary(collectAggregateProperties(c.path, c.mode)), c.members) << int(c.mode);
    // A loaded file's routines (found ignoring case) are used instead of reading the file.
    RoutineList onlyArea = splitFileIntoRoutines(path);
    std::erase_if(onlyArea, [](const RoutinePtr& r) { return r->routineName != QLatin1String("Area"); });
    RoutinesByFileMap loaded;
    loaded.insert(path.toUpper() == path ? path.toLower() : path.toUpper(), onlyArea);
    EXPECT_EQ(summary(collectAggregateProperties(path, AggregateMode::AllProperties, &loaded)), QStringList {"Property Get|Area|11|11|18|1|0|7"});

    using enum RoutineKind;
    // Small: a property kind of at most six lines, comments included, with a known start.
    const struct {
        RoutineKind kind;
        int start, end;
        bool small;
    } spans[] = {{PropertyGet, 10, 15, true}, {PropertyGet, 10, 16, false}, {Sub, 10, 12, false}, {Property, 0, 12, false}, {Property, 1, 6, true}};
    for (const auto& s : spans)
        EXPECT_EQ(isSmallProperty(Routine {.startLine = s.start, .endLine = s.end, .kind = s.kind}), s.small) << qPrintable(kindText(s.kind)) << s.end;
    // Only the first "PROPERTY " counts, and only in a procedure's signature.
    const struct {
        RoutineKind kind;
        const char* sig;
        bool declarations, property;
    } procedures[] = {{Property, "Private Sub SetPropertyValue()", false, false}, {Property, "  friend property let X(v)", false, true},
        {Property, "Sub Property X() ' Property Get", false, false}, {PropertyGet, "Public Property Get X()", true, false},
        {Aggregate, "Public Property Get X()", false, false}, {PropertyGet, "Public Property Get X()", false, true}};
    for (const auto& p : procedures) {
        const Routine r {.kind = p.kind, .sigLineText = p.sig, .isDeclarations = p.declarations};
        EXPECT_EQ(isPropertyProcedure(&r), p.property) << qPrintable(kindText(p.kind)) << " " << p.sig;
    }
    EXPECT_FALSE(isPropertyProcedure(nullptr));
    // The mode read back from the record's name; the record takes its module from the file.
    EXPECT_EQ(aggregateModeFromName(" let_set_get properties (all) "), AggregateMode::AllProperties);
    EXPECT_EQ(aggregateModeFromName("Let_Set_Get Properties (Small)"), AggregateMode::SmallProperties);
    const RoutinePtr record = makeAggregateRecord(path, AggregateMode::SmallProperties, 3);
    EXPECT_EQ(std::tuple(record->uniqueKey, record->memberCount), std::tuple(path + "|clsBox|Aggregate|Let_Set_Get Properties (Small)", 3));
    // The heading, then each member with its lines; a Get's span takes in the comment block
    // above its signature.
    QStringList texts;
    int counted = 0;
    for (const auto& line : buildAggregateListing(*record, kBox)) {
        texts << line.text;
        counted += line.countsStatements ? 1 : 0;
    }
    EXPECT_EQ(texts,
        (QStringList {" Let_Set_Get Properties (<= 6 lines) ", "", ">>> Owner", "Public Property Set Owner(o As Object)", "End Property", "", ">>> Width",
            "Public Property Let Width(v As Long)", "    mW = v", "End Property", "", ">>> Width", "' Width, small", "Public Property Get Width() As Long",
            "    Width = mW", "End Property"}));
    EXPECT_EQ(counted, 2 + 3 + 4);
}

} // namespace
