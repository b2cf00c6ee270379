#include "analysis/SymbolTable.h"
#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using namespace quillon::model;
using quillon::test::Fixture;

namespace {

// The keys of a name set or table in insertion order; none for a missing one.
template <class T>
QStringList namesOf(const KeyedMap<T>* map)
{
    QStringList out;
    for (const auto& entry : map ? map->entries() : std::vector<std::pair<QString, T>>())
        out << entry.first;
    return out;
}

TEST(FileSymbols, NamesAndWhatAFileDeclares)
{
    // One type suffix comes off first, then the brackets; tabs are not trimmed.
    const struct {
        const char16_t* name;
        const char* normalized;
    } names[] = {{u"  name$ ", "NAME"}, {u"n%%", "N%"}, {u"[Sub] ", "SUB"}, {u"[ a ]", "A"}, {u"[x]&", "X"}, {u"[x&]", "X&"}, {u"[", "["}, {u"[]", ""},
        {u"\tx", "\tX"}, {u"$", ""}};
    for (const auto& n : names)
        EXPECT_EQ(normalizeName(n.name), QString::fromLatin1(n.normalized)) << n.normalized;
    for (const char* ok : {"A", "_X", "NAME", "VALUE", "DIMENSION", "A B", "X1"})
        EXPECT_TRUE(isValidName(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"", "1A", "ME.X", "A:B", "[X", "\tX", "ATTRIBUTE", "WITHEVENTS", "NOTHING", "GET", "DECIMAL", "DATE", "OBJECT"})
        EXPECT_FALSE(isValidName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(isValidName(QStringLiteral("\u00C9T\u00C9"))); // letters beyond A-Z do not start a name

    // Is the first "Foo" of the line a procedure reference, given the identifier before it?
    const struct {
        QString line;
        const char* previous;
        bool call;
    } references[] = {
        {"Foo x", "", true},
        {"a = 1:\t Foo", "A", true},
        {"Call Foo", "CALL", true},
        {"y = Foo \t (1)", "Y", true},
        {"Foo = 1", "", false},
        {"Call Foo = 1", "CALL", false},
        {"y = Foo", "Y", false},
        {"Me.Foo", "ME", false},
    };
    for (const auto& r : references) {
        const int start = int(r.line.indexOf(QStringLiteral("Foo"))) + 1;
        EXPECT_EQ(isProcedureReference(r.line, start, start + 2, QString::fromLatin1(r.previous)), r.call) << r.line.toStdString();
    }
    // Positions past either end are clamped, not read.
    EXPECT_TRUE(isProcedureReference(u"Foo", -5, 99, QString()));
    EXPECT_FALSE(isProcedureReference(u"x Foo", 99, 120, QString()));
    // What a file declares: constants, globals, module variables, procedures and ByRef parameters.
    const struct {
        QStringList lines, consts, globals, moduleVariables, procs;
    } cases[] = {
        // Constant lists keep commas inside strings.
        {{"Public Const A = 1, B = \"x,y\"", "Const C As Long = 3, D(1) = 2, E$ = \"\"", "Private Const Q = \"it's\", R = 1 ' S = 2"},
            {"A", "B", "C", "D", "E", "Q", "R"}, {}, {}, {}},
        // Enum members are constants; bracketed names and comments are not.
        {{"Private Enum E", "  First = 1", "  [Second Item]", "  Third ' last", "", "  ' comment", "End Enum", "Public Enum F: Fourth", "Fifth",
             "end enum ' done", "Sixth = 6", "Enum G", "  [Seventh]", "END ENUM"},
            {"FIRST", "THIRD", "FIFTH", "SEVENTH"}, {}, {}, {}},
        {{"Option Explicit", "Dim s$, n%", "Public WithEvents btn As CommandButton", "Friend f As Long", "Global g(1 To 2) As Long", "Static st As Long",
             "Private a(1, 2) As Long, Optional o, s", "Private ByVal bv, ParamArray pa()"},
            {}, {"BTN", "F", "G"}, {"S", "N", "ST", "A", "O", "BV", "PA"}, {}},
        // Types, declares, events and a form's layout add nothing.
        {{"VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Dim x\"", "End", "Attribute VB_Name = \"frmMain\"", "Public Type T", "  Member As Long",
             "End Type", "Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "Public Event X()", "Implements IThing", "Private  Event Y()"},
            {}, {}, {}, {}},
        // A member named like a keyword is no header: the declarations go on after the block.
        {{"Private Type QSStack", "    sLB As Long", "    sUB As Long", "End Type", "Private mDepth As Long", "Sub Push(n As Long)", "End Sub"}, {}, {},
            {"MDEPTH"}, {"PUSH"}},
        // After the first procedure only procedure headers count.
        {{"Dim before As Long", "Public Sub Main()", "  Dim local As Long", "End Sub", "Dim after As Long", "Public Const Late = 1",
             "Private Static Function Twice%(ByVal x)", "Friend Property Let Value(v)", "Public Property Set Obj(o)", "Attribute Value.VB_UserMemId = 0",
             "Declare Sub Z Lib \"z\" ()"},
            {}, {}, {"BEFORE"}, {"MAIN", "TWICE", "VALUE", "OBJ"}},
        // Continued declarations join without their markers, however many lines they take.
        {{"Public Const A = 1, _", "  B = 2", "Private X As Long, _", "Y As Long, _", "  Z As Long ' done", "Dim _", "P As Long", "Global Const S = \"a, _",
             "b\", T = 1", "Public G1, _", "G2 ' note _", "Dim After"},
            {"A", "B", "S", "T"}, {"G1", "G2"}, {"X", "Y", "Z", "P", "AFTER"}, {}},
        // A continued comment skips lines until code returns; "End Enum" is code.
        {{"Enum E", "  ' members follow _", "  Hidden", "", "  ' still a comment _", "  Dimension", "  Called", "  Shown = 2", "  Kept ' trailing note _",
             "  AlsoKept", "'_", "End Enum", "Public Open As Long"},
            {"SHOWN", "KEPT", "ALSOKEPT"}, {"OPEN"}, {}, {}},
        // Keywords count only as whole words; "Do." is one, and the line after it is read again.
        {{"Enum Z", "' text _", "Endless", "SelectAll", "Do.Thing", "Visible", "End Enum"}, {"VISIBLE"}, {}, {}, {}},
        // Long blank runs, repeated keywords, long literals and a continued comment over a long line.
        {{"Dim v0, v1, v2", "Dim" + QString(300, ' ') + "spaced", QStringLiteral("Public ").repeated(50) + "Const Deep = 1",
             "Private Const C = \"" + QString(300, ',') + "\"", "' _", QString(300, 'x')},
            {"DEEP", "C"}, {}, {"V0", "V1", "V2", "SPACED"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join(QStringLiteral(" / ")).left(120).toStdString());
        SymbolTable symbols;
        symbols.scanFileSymbolLines(QStringLiteral("m.bas"), c.lines);
        EXPECT_EQ(namesOf(symbols.fileConsts().find("m.bas")), c.consts);
        EXPECT_EQ(namesOf(symbols.fileGlobals().find("m.bas")), c.globals);
        EXPECT_EQ(namesOf(symbols.fileModVars().find("m.bas")), c.moduleVariables);
        EXPECT_EQ(namesOf(symbols.fileProcedures().find("m.bas")), c.procs);
        EXPECT_EQ(symbols.procByRef().isEmpty(), c.procs.isEmpty()) << "declares are no procedures";
    }
    // ByRef parameters per procedure, keyed by the file's path and the name ignoring case.
    SymbolTable symbols;
    symbols.scanFileSymbolLines(QStringLiteral("C:\\P\\m.bas"),
        {"Private Sub Foo(ByRef a As Long, b As Long, ByVal c As Long)", "End Sub", "Property Get Value() As Long", "End Property",
            "Property Let Value(ByVal v As Long)", "End Property", "Function Fmt$(ByRef arr() As Long, _", "  byref s$) As String", "End Function",
            "Sub Tail(x, ByRef)", "Sub NoList", "Sub Noted(ByRef q) ' (ByRef r)", "Sub Wide(" + QStringLiteral("ByRef w, ").repeated(3) + ")"});
    // Get has "()" and gets no set; Let has a list without ByRef and gets an empty one.
    QStringList byRef;
    for (const auto& [key, names] : symbols.procByRef().entries())
        byRef << key + "=" + namesOf(&names).join(',');
    EXPECT_EQ(byRef,
        (QStringList {
            "C:\\P\\M.BAS|FOO=A", "C:\\P\\M.BAS|VALUE=", "C:\\P\\M.BAS|FMT=ARR,S", "C:\\P\\M.BAS|TAIL=", "C:\\P\\M.BAS|NOTED=Q", "C:\\P\\M.BAS|WIDE=W"}));
    EXPECT_TRUE(symbols.isByRefParameter(QStringLiteral(" c:\\p\\m.BAS"), QStringLiteral("Fmt$"), u"arr"));
    EXPECT_FALSE(symbols.isByRefParameter(QStringLiteral("C:\\P\\m.bas"), QStringLiteral("Foo"), u"b"));
    EXPECT_FALSE(symbols.isByRefParameter(QStringLiteral("C:\\P\\m.bas"), QStringLiteral("Bar"), u"a"));
}

TEST(FileSymbols, BuildMergesFilesReplacesTheLastBuildRegistersUnreadableFilesQuietlyAndClassifies)
{
    const auto fileRecord = [](const QString& path) {
        auto file = std::make_shared<ProjectFile>();
        file->filePath = path;
        return file;
    };
    Fixture fx;
    SymbolTable symbols;
    const QString a = fx.writeLines("a.bas", {"Public Const Shared = 1", "Public G As Long", "Private M As Long", "Sub Work(ByRef r)", "End Sub"});
    const QString b = fx.writeLines("b.bas", {"Const Shared = 2, OnlyB = 3", "Dim M2", "Public Sub work()", "End Sub", "Sub Other()"});
    symbols.buildSymbolTables({fileRecord(a), nullptr, fileRecord("  "), fileRecord(b)});
    EXPECT_EQ(symbols.fileConsts().size(), 2);
    EXPECT_TRUE(symbols.isModuleVariable(a.toUpper(), u"m"));
    EXPECT_FALSE(symbols.isModuleVariable(b, u"M") || symbols.isGlobalVariable(u"M"));
    EXPECT_TRUE(symbols.isConstant(u" onlyb& ") && symbols.isProcedureName(u"[Other]"));
    symbols.buildSymbolTables({fileRecord(b)});
    EXPECT_FALSE(symbols.fileConsts().contains(a) || symbols.isGlobalVariable(u"G") || !symbols.procByRef().isEmpty());

    // A folder, an unreadable file and a missing file get empty sets; a binary file is read
    // for what it holds.
    QDir().mkpath(fx.path("folder.bas"));
    const QString bin = fx.write("bin.bas", QByteArray("\0\x01\xFF\0\r\nDim Tail", 14));
    const QStringList unreadable {fx.path("folder.bas"), "/proc/self/mem", fx.path("missing.bas")};
    symbols.buildSymbolTables({fileRecord(unreadable[0]), fileRecord(unreadable[1]), fileRecord(unreadable[2]), fileRecord(bin)});
    EXPECT_FALSE(symbols.isModuleVariable(b, u"M2"));
    EXPECT_EQ(symbols.fileModVars().size(), 4);
    for (const QString& path : unreadable) {
        ASSERT_TRUE(symbols.fileProcedures().contains(path)) << path.toStdString();
        EXPECT_EQ(namesOf(symbols.fileConsts().find(path)) + namesOf(symbols.fileGlobals().find(path)) + namesOf(symbols.fileModVars().find(path))
                + namesOf(symbols.fileProcedures().find(path)),
            QStringList())
            << path.toStdString();
    }
    EXPECT_EQ(namesOf(symbols.fileModVars().find(bin)), QStringList {"TAIL"});
    // Classifying: ByRef parameters before module variables before globals, unless skipped;
    // then constants and procedure names in the right context.
    const QString c = fx.writeLines("c.bas", {"Private Item As Long", "Sub R(ByRef Item, ByRef Solo)", "End Sub"});
    const QString d = fx.writeLines("d.bas", {"Public Item As Long", "Public Const Item = 1, Both = 2", "Public Sub Item()", "Sub Both()", "Sub Helper()"});
    symbols.buildSymbolTables({fileRecord(c), fileRecord(d)});
    const struct {
        QString line, id, file, routine;
        bool skipByRef, skipModVars;
        const char* previous;
        SymbolCategory category;
    } cases[] = {
        {"Call Item", "Item", c, "R", false, false, "CALL", SymbolCategory::ByRefParameter},
        {"Call Item", "Item", c, "R", true, false, "CALL", SymbolCategory::ModuleVariable},
        {"Call Item", "Item", c, "R", true, true, "CALL", SymbolCategory::GlobalVariable},
        {"Call Item", "Item", d, "R", false, false, "CALL", SymbolCategory::GlobalVariable},
        {"x = Solo", "Solo", c, "r", false, false, "", SymbolCategory::ByRefParameter},
        {"x = Solo", "Solo", d, "R", false, false, "", SymbolCategory::Normal},
        {"Both", "Both", d, "", false, false, "", SymbolCategory::Constant},
        {"Helper 1", "Helper", d, "", false, false, "", SymbolCategory::ProcedureName},
        {"x = Helper", "Helper", d, "", false, false, "X", SymbolCategory::Normal},
    };
    for (const auto& k : cases) {
        const int start = int(k.line.indexOf(k.id)) + 1;
        EXPECT_EQ(symbols.classify(k.line, start, start + int(k.id.size()) - 1, k.previous, k.file, k.routine, k.skipByRef, k.skipModVars), k.category)
            << k.line.toStdString() << " in " << k.routine.toStdString() << " of " << k.file.toStdString();
    }
    EXPECT_EQ(symbols.classify(u"Call Item", 40, 50, QString(), c, "R", false, false), SymbolCategory::Normal);
}

} // namespace
