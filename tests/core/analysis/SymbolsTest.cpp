#include "analysis/Symbols.h"
#include "model/DiagLog.h"
#include "support/TestSupport.h"

#include <QDir>

#include <algorithm>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using namespace quillon::model;
using quillon::test::Fixture;

namespace {

QStringList Names(const NameSet* set)
{
    QStringList out;
    if (set) {
        for (const auto& entry : set->entries())
            out << entry.first;
    }
    return out;
}

FilePtr FileRecord(const QString& path, const QString& name)
{
    auto file = std::make_shared<clsFileInfo>();
    file->FilePath = path;
    file->FileName = name;
    return file;
}

class SymbolsTest : public ::testing::Test {
protected:
    QString scan(const QStringList& lines, const QString& name = QStringLiteral("m.bas"))
    {
        const QString path = fx.writeLines(name, lines);
        symbols.ScanFileSymbols(path, reader);
        return path;
    }
    QStringList consts(const QString& path) const { return Names(symbols.FileConsts().find(path)); }
    QStringList globals(const QString& path) const { return Names(symbols.FileGlobals().find(path)); }
    QStringList modVars(const QString& path) const { return Names(symbols.FileModVars().find(path)); }
    QStringList procs(const QString& path) const { return Names(symbols.FileProcedures().find(path)); }
    QStringList byRef(const QString& key) const { return Names(symbols.ProcByRef().find(key)); }

    Fixture fx;
    DiagLog log{QString()};
    SourceReader reader{CodePage::Default(), &log};
    modSymbols symbols;
};

// Runs a test with the working folder set to the fixture, so that a relative path can look like
// a Windows path ("C:\P\m.bas" is a plain file name here).
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path) : saved_(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

TEST(SymbolNames, Normalization)
{
    EXPECT_EQ(NormalizeName(u"  name$ "), QStringLiteral("NAME"));
    EXPECT_EQ(NormalizeName(u"n%%"), QStringLiteral("N%")); // one suffix only
    EXPECT_EQ(NormalizeName(u"[Sub] "), QStringLiteral("SUB"));
    EXPECT_EQ(NormalizeName(u"[ a ]"), QStringLiteral("A"));
    EXPECT_EQ(NormalizeName(u"[x]&"), QStringLiteral("X")); // suffix first, then brackets
    EXPECT_EQ(NormalizeName(u"[x&]"), QStringLiteral("X&"));
    EXPECT_EQ(NormalizeName(u"["), QStringLiteral("["));
    EXPECT_EQ(NormalizeName(u"[]"), QString());
    EXPECT_EQ(NormalizeName(u"\tx"), QStringLiteral("\tX")); // tabs are not trimmed
    EXPECT_EQ(NormalizeName(u"$"), QString());
}

TEST(SymbolNames, Validity)
{
    for (const char* ok : {"A", "_X", "NAME", "VALUE", "DIMENSION", "A B", "X1"})
        EXPECT_TRUE(IsValidName(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"", "1A", "ME.X", "A:B", "[X", "\tX", "ATTRIBUTE", "WITHEVENTS", "NOTHING",
                            "GET", "DECIMAL", "DATE", "OBJECT"})
        EXPECT_FALSE(IsValidName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(IsValidName(QStringLiteral("\u00C9T\u00C9"))); // letters beyond A-Z do not start a name
}

// Asks about the first "Foo" of the line, with the previous identifier given.
bool FooIsCall(const QString& line, const QString& previousWord = QString())
{
    const int start = int(line.indexOf(QStringLiteral("Foo"))) + 1;
    return IsProcedureReference(line, start, start + 2, previousWord);
}

TEST(SymbolNames, ProcedureReferenceContext)
{
    EXPECT_TRUE(FooIsCall("Foo x"));
    EXPECT_TRUE(FooIsCall("a = 1: Foo", "A"));
    EXPECT_TRUE(FooIsCall("a = 1:\t Foo", "A"));
    EXPECT_TRUE(FooIsCall("Call Foo", "CALL"));
    EXPECT_TRUE(FooIsCall("y = Foo(1)", "Y"));
    EXPECT_TRUE(FooIsCall("y = Foo \t (1)", "Y"));
    EXPECT_TRUE(FooIsCall("Me.Foo(1)", "ME"));
    EXPECT_FALSE(FooIsCall("Foo = 1"));
    EXPECT_FALSE(FooIsCall("Foo\t= 1"));
    EXPECT_FALSE(FooIsCall("Call Foo = 1", "CALL"));
    EXPECT_FALSE(FooIsCall("y = Foo", "Y"));
    EXPECT_FALSE(FooIsCall("If a Then Foo", "THEN"));
    EXPECT_FALSE(FooIsCall("Me.Foo", "ME"));
    // Positions past either end are clamped, not read.
    EXPECT_TRUE(IsProcedureReference(u"Foo", -5, 99, QString()));
    EXPECT_FALSE(IsProcedureReference(u"x Foo", 99, 120, QString()));
}

TEST_F(SymbolsTest, ConstantListsKeepCommasInsideStrings)
{
    const QString path = scan({"Public Const A = 1, B = \"x,y\"", "Const C As Long = 3, D(1) = 2, E$ = \"\"",
                               "Private Const Q = \"it's\", R = 1 ' S = 2"});
    EXPECT_EQ(consts(path), (QStringList{"A", "B", "C", "D", "E", "Q", "R"}));
    EXPECT_TRUE(globals(path).isEmpty());
}

TEST_F(SymbolsTest, EnumMembersAreConstants)
{
    const QString path = scan({"Private Enum E", "  First = 1", "  [Second Item]", "  Third ' last", "",
                               "  ' comment", "End Enum", "Public Enum F: Fourth", "Fifth", "end enum ' done",
                               "Sixth = 6", "Enum G", "  [Seventh]", "END ENUM"});
    EXPECT_EQ(consts(path), (QStringList{"FIRST", "THIRD", "FIFTH", "SEVENTH"}));
}

TEST_F(SymbolsTest, ModuleAndGlobalVariables)
{
    const QString path = scan({"Option Explicit", "Dim s$, n%", "Public WithEvents btn As CommandButton",
                               "Friend f As Long", "Global g(1 To 2) As Long", "Static st As Long",
                               "Private a(1, 2) As Long, Optional o, s", "Private ByVal bv, ParamArray pa()"});
    EXPECT_EQ(modVars(path), (QStringList{"S", "N", "ST", "A", "O", "BV", "PA"}));
    EXPECT_EQ(globals(path), (QStringList{"BTN", "F", "G"}));
}

TEST_F(SymbolsTest, TypesDeclaresEventsAndLayoutAddNothing)
{
    const QString path = scan({"VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Dim x\"", "End",
                               "Attribute VB_Name = \"frmMain\"", "Public Type T", "  Member As Long",
                               "End Type", "Private Type U", "  V As String", "End Type",
                               "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                               "Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "Public Event X()",
                               "Implements IThing", "Private  Event Y()"});
    EXPECT_TRUE(consts(path).isEmpty());
    EXPECT_TRUE(globals(path).isEmpty());
    EXPECT_TRUE(modVars(path).isEmpty());
    EXPECT_TRUE(procs(path).isEmpty());
    EXPECT_TRUE(symbols.ProcByRef().isEmpty());
}

TEST_F(SymbolsTest, OnlyHeadersCountAfterTheFirstProcedure)
{
    const QString path = scan({"Dim before As Long", "Public Sub Main()", "  Dim local As Long", "End Sub",
                               "Dim after As Long", "Public Const Late = 1", "Enum Late2", "  Member", "End Enum",
                               "Private Static Function Twice%(ByVal x)", "Friend Property Let Value(v)",
                               "Public Property Set Obj(o)", "Attribute Value.VB_UserMemId = 0", "Declare Sub Z Lib \"z\" ()"});
    EXPECT_EQ(modVars(path), (QStringList{"BEFORE"}));
    EXPECT_TRUE(consts(path).isEmpty());
    EXPECT_EQ(procs(path), (QStringList{"MAIN", "TWICE", "VALUE", "OBJ"}));
}

TEST_F(SymbolsTest, ByRefParametersPerProcedure)
{
    const CurrentFolder here(fx.path());
    fx.writeLines(QStringLiteral("C:\\P\\m.bas"),
                  {"Private Sub Foo(ByRef a As Long, b As Long, ByVal c As Long)", "End Sub",
                   "Property Get Value() As Long", "End Property", "Property Let Value(ByVal v As Long)",
                   "End Property", "Function Fmt$(ByRef arr() As Long, _", "  byref s$) As String", "End Function",
                   "Sub Tail(x, ByRef)", "Sub NoList", "Sub Noted(ByRef q) ' (ByRef r)"});
    symbols.ScanFileSymbols(QStringLiteral("C:\\P\\m.bas"), reader);
    EXPECT_EQ(procs(QStringLiteral("c:\\p\\M.bas")), (QStringList{"FOO", "VALUE", "FMT", "TAIL", "NOLIST", "NOTED"}));
    // Get has "()" and gets no set; Let has a list without ByRef and gets an empty one.
    EXPECT_EQ(symbols.ProcByRef().size(), 5);
    EXPECT_EQ(byRef(QStringLiteral("C:\\P\\M.BAS|FOO")), QStringList{"A"});
    EXPECT_TRUE(symbols.ProcByRef().contains(QStringLiteral("C:\\P\\M.BAS|VALUE")));
    EXPECT_TRUE(byRef(QStringLiteral("C:\\P\\M.BAS|VALUE")).isEmpty());
    EXPECT_EQ(byRef(QStringLiteral("C:\\P\\M.BAS|FMT")), (QStringList{"ARR", "S"}));
    EXPECT_TRUE(byRef(QStringLiteral("C:\\P\\M.BAS|TAIL")).isEmpty());
    EXPECT_EQ(byRef(QStringLiteral("C:\\P\\M.BAS|NOTED")), QStringList{"Q"});
    EXPECT_TRUE(symbols.IsByRefParameter(QStringLiteral(" c:\\p\\m.BAS"), QStringLiteral("Fmt$"), u"arr"));
    EXPECT_FALSE(symbols.IsByRefParameter(QStringLiteral("C:\\P\\m.bas"), QStringLiteral("Foo"), u"b"));
    EXPECT_FALSE(symbols.IsByRefParameter(QStringLiteral("C:\\P\\m.bas"), QStringLiteral("Bar"), u"a"));
}

TEST_F(SymbolsTest, ContinuedDeclarationsJoinWithoutTheirMarkers)
{
    const QString path = scan({"Public Const A = 1, _", "  B = 2", "Private X As Long, _", "Y As Long, _",
                               "  Z As Long ' done", "Dim _", "P As Long", "Global Const S = \"a, _",
                               "b\", T = 1", "Public G1, _", "G2 ' note _", "Dim After"});
    EXPECT_EQ(consts(path), (QStringList{"A", "B", "S", "T"}));
    EXPECT_EQ(modVars(path), (QStringList{"X", "Y", "Z", "P", "AFTER"}));
    EXPECT_EQ(globals(path), (QStringList{"G1", "G2"}));
}

TEST_F(SymbolsTest, ContinuedCommentSkipsLinesUntilCodeReturns)
{
    const QString path = scan({"Enum E", "  ' members follow _", "  Hidden", "", "  ' still a comment _",
                               "  Dimension", "  Called", "  Shown = 2", "  Kept ' trailing note _", "  AlsoKept",
                               "'_", "End Enum", "Public Open As Long"});
    EXPECT_EQ(consts(path), (QStringList{"SHOWN", "KEPT", "ALSOKEPT"}));
    // "End Enum" is code, so the block closes and the next line is a declaration again.
    EXPECT_EQ(globals(path), QStringList{"OPEN"});

    // Keywords count only as whole words; "Do." is one, and the line after it is read again.
    const QString words = scan({"Enum Z", "' text _", "Endless", "SelectAll", "Do.Thing", "Visible", "End Enum"},
                               QStringLiteral("w.bas"));
    EXPECT_EQ(consts(words), QStringList{"VISIBLE"});
}

TEST_F(SymbolsTest, BuildMergesFilesAndReplacesTheLastBuild)
{
    const QString a = fx.writeLines("a.bas", {"Public Const Shared = 1", "Public G As Long", "Private M As Long",
                                              "Sub Work(ByRef r)", "End Sub"});
    const QString b = fx.writeLines("b.bas", {"Const Shared = 2, OnlyB = 3", "Dim M2", "Public Sub work()", "End Sub",
                                              "Sub Other()"});
    FileList files{FileRecord(a, "a.bas"), nullptr, FileRecord("  ", "blank"), FileRecord(b, "b.bas")};
    symbols.BuildSymbolTables(files, reader);
    EXPECT_EQ(symbols.FileConsts().size(), 2);
    EXPECT_EQ(Names(&symbols.AllConsts()), (QStringList{"SHARED", "ONLYB"}));
    EXPECT_EQ(Names(&symbols.AllGlobals()), QStringList{"G"});
    EXPECT_EQ(Names(&symbols.AllProcedures()), (QStringList{"WORK", "OTHER"}));
    EXPECT_TRUE(symbols.IsModuleVariable(a.toUpper(), u"m"));
    EXPECT_FALSE(symbols.IsModuleVariable(b, u"M"));
    EXPECT_FALSE(symbols.IsGlobalVariable(u"M"));
    EXPECT_TRUE(symbols.IsConstant(u" onlyb& "));
    EXPECT_TRUE(symbols.IsProcedureName(u"[Other]"));

    symbols.BuildSymbolTables({FileRecord(b, "b.bas")}, reader);
    EXPECT_FALSE(symbols.FileConsts().contains(a));
    EXPECT_FALSE(symbols.IsGlobalVariable(u"G"));
    EXPECT_EQ(Names(&symbols.AllConsts()), (QStringList{"SHARED", "ONLYB"}));
    EXPECT_TRUE(symbols.ProcByRef().isEmpty());

    symbols.BuildSymbolTables({}, reader);
    EXPECT_TRUE(symbols.FileConsts().isEmpty());
    EXPECT_TRUE(symbols.AllProcedures().isEmpty());
    EXPECT_FALSE(symbols.IsModuleVariable(b, u"M2"));
}

TEST_F(SymbolsTest, ClassifyPrecedence)
{
    const QString a = fx.writeLines("a.bas", {"Private Item As Long", "Sub R(ByRef Item, ByRef Solo)", "End Sub"});
    const QString b = fx.writeLines("b.bas", {"Public Item As Long", "Public Const Item = 1, Both = 2",
                                              "Public Sub Item()", "Sub Both()", "Sub Helper()"});
    symbols.BuildSymbolTables({FileRecord(a, "a.bas"), FileRecord(b, "b.bas")}, reader);
    const QString line = QStringLiteral("Call Item");
    auto at = [&](const QString& text, const QString& id, const QString& file, const QString& routine, bool skipByRef,
                  bool skipModVars, const QString& prev = QString()) {
        const int start = int(text.indexOf(id)) + 1;
        return symbols.Classify(text, start, start + int(id.size()) - 1, prev, file, routine, skipByRef, skipModVars);
    };
    EXPECT_EQ(at(line, "Item", a, "R", false, false, "CALL"), SymbolCategory::ByRefParameter);
    EXPECT_EQ(at(line, "Item", a, "R", true, false, "CALL"), SymbolCategory::ModuleVariable);
    EXPECT_EQ(at(line, "Item", a, " ", false, false, "CALL"), SymbolCategory::ModuleVariable);
    EXPECT_EQ(at(line, "Item", a, "R", true, true, "CALL"), SymbolCategory::GlobalVariable);
    EXPECT_EQ(at(line, "Item", b, "R", false, false, "CALL"), SymbolCategory::GlobalVariable);
    EXPECT_EQ(at("x = Solo", "Solo", a, "r", false, false), SymbolCategory::ByRefParameter);
    EXPECT_EQ(at("x = Solo", "Solo", b, "R", false, false), SymbolCategory::Normal);
    EXPECT_EQ(at("Both", "Both", b, "", false, false), SymbolCategory::Constant);
    EXPECT_EQ(at("Helper 1", "Helper", b, "", false, false), SymbolCategory::ProcedureName);
    EXPECT_EQ(at("x = Helper", "Helper", b, "", false, false, "X"), SymbolCategory::Normal);
    EXPECT_EQ(at("Unknown", "Unknown", b, "", false, false), SymbolCategory::Normal);
    EXPECT_EQ(symbols.Classify(line, 40, 50, QString(), a, "R", false, false), SymbolCategory::Normal);
}

TEST_F(SymbolsTest, DumpLines)
{
    const QString a = fx.writeLines("a.bas", {"Const K = 1", "Public G", "Dim M", "Sub P(ByRef x, ByRef y)",
                                              "Sub Q(z)"});
    const QString b = fx.writeLines("b.cls", {"Private Enum E", "K", "L", "End Enum", "Sub P()"});
    const FileList files{FileRecord(a, "a.bas"), FileRecord(" ", "skipped"), FileRecord(b, "b.cls")};
    symbols.BuildSymbolTables(files, reader);
    const QString ka = UCase(a);
    EXPECT_EQ(symbols.DumpLines(files),
              (QStringList{"CONST\ta.bas\tK", "GLOBAL\ta.bas\tG", "MODVAR\ta.bas\tM", "PROC\ta.bas\tP",
                           "PROC\ta.bas\tQ", "CONST\tb.cls\tK", "CONST\tb.cls\tL", "PROC\tb.cls\tP",
                           "ALLCONST\t\tK", "ALLCONST\t\tL", "ALLGLOBAL\t\tG", "ALLPROC\t\tP", "ALLPROC\t\tQ",
                           "BYREF\t" + ka + "|P\tX", "BYREF\t" + ka + "|P\tY", "BYREF\t" + ka + "|Q\t"}));
}

TEST_F(SymbolsTest, UnreadableAndBinaryFilesRegisterQuietly)
{
    const QString folder = fx.path("folder.bas");
    QDir().mkpath(folder);
    QByteArray binary(70000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 251);
    const QString bin = fx.write("bin.bas", binary + "\r\nDim Tail");
    const FileList files{FileRecord(folder, "folder.bas"), FileRecord("/proc/self/mem", "mem"),
                         FileRecord(fx.path("missing.bas"), "missing.bas"), FileRecord(bin, "bin.bas")};
    symbols.BuildSymbolTables(files, reader);
    EXPECT_EQ(symbols.FileModVars().size(), 4);
    for (const QString& path : {folder, QStringLiteral("/proc/self/mem"), fx.path("missing.bas")}) {
        ASSERT_TRUE(symbols.FileProcedures().contains(path)) << path.toStdString();
        EXPECT_TRUE(consts(path).isEmpty() && globals(path).isEmpty() && modVars(path).isEmpty() && procs(path).isEmpty());
    }
    EXPECT_TRUE(modVars(bin).contains(QStringLiteral("TAIL")));
}

TEST_F(SymbolsTest, HugeLines)
{
    QString items = QStringLiteral("Dim v0");
    for (int i = 1; i < 200000; ++i)
        items += QStringLiteral(", v") + QString::number(i); // about 2 MB on one line
    const QString blanks(2 * 1024 * 1024, QLatin1Char(' '));
    const QString path = scan({items, "Dim" + blanks + "spaced", QStringLiteral("Public ").repeated(300000) + "Const Deep = 1",
                               "Private Const C = \"" + QString(2 * 1024 * 1024, QLatin1Char(',')) + "\"", "' _",
                               QString(2 * 1024 * 1024, QLatin1Char('x')), "Sub Wide(" + QStringLiteral("ByRef w, ").repeated(200000) + ")"});
    EXPECT_EQ(modVars(path).size(), 200001);
    EXPECT_EQ(modVars(path).last(), QStringLiteral("SPACED"));
    EXPECT_EQ(consts(path), (QStringList{"DEEP", "C"}));
    EXPECT_EQ(byRef(UCase(path) + "|WIDE"), QStringList{"W"});
    EXPECT_FALSE(IsProcedureReference(blanks + "Foo" + blanks + "=", int(blanks.size()) + 1, int(blanks.size()) + 3,
                                      QString()));
}

// Long continued declarations, one continued header per procedure and a long parameter
// list: the joins must not lose names however many lines they take. (How the time grows is
// measured by the load benchmark, not here.)
TEST_F(SymbolsTest, LongContinuationsKeepEveryName)
{
    const int n = 200000;
    QStringList lines{"Dim " + QStringLiteral("v,  ").repeated(n) + "last", "Public Const H0 = 0, _"};
    for (int i = 1; i < n; ++i)
        lines << QStringLiteral("H%1 = %1, _").arg(i);
    lines << "Z = 1";
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("Sub P%1(ByRef a, _").arg(i) << QStringLiteral("  ByRef  b)");
    lines << "Sub Wide(" + QStringLiteral("ByRef  w,  ").repeated(n) + ")";
    const QString path = fx.writeLines(QStringLiteral("scale.bas"), lines);
    symbols.ScanFileSymbols(path, reader);
    EXPECT_EQ(consts(path).size(), n + 1);
    EXPECT_EQ(procs(path).size(), n + 1);
    EXPECT_EQ(modVars(path), (QStringList{"V", "LAST"}));
    EXPECT_EQ(byRef(UCase(path) + "|P199999"), (QStringList{"A", "B"}));
    EXPECT_EQ(byRef(UCase(path) + "|WIDE"), QStringList{"W"});
}

} // namespace
