#include "aids/HeaderTemplates.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::aids;
using quillon::model::splitLinesIntoRoutines;

namespace {

// "Scope [Static] Kind Name [-> Return] (name[()]: passing type [Optional] [ParamArray] [= default]; ...)"
QString described(const Signature& s)
{
    if (s.kind.isEmpty())
        return QStringLiteral("no procedure");
    QStringList parameters;
    for (const SignatureParameter& p : s.parameters) {
        QString text = p.name + (p.isArray ? "()" : "") + ": " + p.passing + " " + p.type;
        text += QString(p.isOptional ? " Optional" : "") + (p.isParamArray ? " ParamArray" : "");
        parameters << (p.defaultValue.isEmpty() ? text : text + " = " + p.defaultValue);
    }
    return s.scope + (s.isStatic ? " Static " : " ") + s.kind + " " + s.name + (s.returnType.isEmpty() ? "" : " -> " + s.returnType) + " ("
        + parameters.join("; ") + ")";
}

TEST(HeaderSignatureTest, ReadsEveryPartOfASignature)
{
    const std::pair<QString, QString> rows[] = {
        {"Public Function Total(ByVal n As Long, Optional ByRef s As String = \"a, b\") As Long()",
            "Public Function Total -> Long() (n: ByVal Long; s: ByRef String Optional = \"a, b\")"},
        {"Private Sub Go(a() As String, s As String  *  10, x, name$, ParamArray args())",
            "Private Sub Go (a(): ByRef String; s: ByRef String * 10; x: ByRef Variant; name: ByRef String; "
            "args(): ByRef Variant ParamArray)"},
        {"Friend Property Let Value(ByVal RHS As Variant)", "Friend Property Let Value (RHS: ByVal Variant)"},
        {"public static function Sum#(Optional n = (1 + 2), Optional d)",
            "Public Static Function Sum -> Double (n: ByRef Variant Optional = (1 + 2); d: ByRef Variant Optional)"},
        {"Sub Wrapped(a, _\n        b As Long, _\n  c%) ' a, b, c", "Public Sub Wrapped (a: ByRef Variant; b: ByRef Long; c: ByRef Integer)"},
        {"Function G(Optional v = Array(1, \"x)\"), Optional t As Date = #1/1/2000#)",
            "Public Function G -> Variant (v: ByRef Variant Optional = Array(1, \"x)\"); t: ByRef Date Optional = #1/1/2000#)"},
        {"Property Get Name() As String: Name = m", "Public Property Get Name -> String ()"},
        {"Sub Open(ByVal s As String = \"it\"\"s, \", ByVal k As Long", "Public Sub Open (s: ByVal String = \"it\"\"s, \"; k: ByVal Long)"},
        {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long", "no procedure"},
        {"Public Event Changed(ByVal n As Long)", "no procedure"},
        {"Property Value()", "no procedure"},
        {"", "no procedure"},
        {"Sub Deep(" + QString(100000, '(') + "a", "Public Sub Deep ()"},
        {"Sub Open2(a = \"b, c) As", "Public Sub Open2 (a: ByRef Variant = \"b, c) As)"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(described(parseSignature(text)), expected) << text.toStdString();
    const QStringList lines = {"x = 1", "Static Function F(a _", "  , b) As Long", "End Function"};
    EXPECT_EQ(described(signatureAt(lines, 2)), "Public Static Function F -> Long (a: ByRef Variant; b: ByRef Variant)");
    EXPECT_EQ(described(signatureAt(lines, 9)), "no procedure");
}

TEST(HeaderTemplateTest, RefusesWhatCannotMakeARecognisableHeader)
{
    constexpr HeaderKind file = HeaderKind::File;
    constexpr HeaderKind procedure = HeaderKind::Procedure;
    // The message, or a part of it; empty: the template is taken.
    const std::tuple<HeaderKind, QString, QString> rows[] = {
        {file, "' {FileName}\r\nRem {Date}\r\n  \tREM\r\n", ""},
        {procedure, "'{ProcedureName}\n' {ForEachParameter}\n'{ParameterName}\n'  {End}\n' {Callers}\n", ""},
        {file, "' {Foo}", "The template holds an unknown field: {Foo}."},
        {procedure, "' { x } {1} {Scope}\n' {Bar}", "The template holds an unknown field: {Bar}."},
        {file, "' one\nOption Explicit", "Line 2 of the template is not a comment line: Option Explicit"},
        {file, "' one\n\n' two", "Line 2 of the template is not a comment line: "},
        {file, "Remark", "Line 1 of the template is not a comment line: Remark"},
        {file, "' a\n" + QString(100000, 'x'), "Line 2 of the template is not a comment line: " + QString(80, 'x') + "..."},
        {file, "' {ProcedureName}", "{ProcedureName} on line 1"},
        {file, "' x\n' {ForEachParameter}\n' {End}", "{ForEachParameter} on line 2"},
        {procedure, "' x\n' {ParameterType}", "{ParameterType} on line 2 of the template stands outside"},
        {procedure, "' x\n' {ForEachParameter}\n' {ParameterName}", "opened on line 2 of the template has no {End}"},
        {procedure, "' x\n' {End}", "Line 2 of the template holds an {End} with no {ForEachParameter}"},
        {procedure, "' {ForEachParameter}\n' {ForEachParameter}", "inside the one opened on line 1"},
        {procedure, "' x\n' {ForEachParameter} of it", "Line 2 of the template holds {ForEachParameter} beside other text"},
        {procedure, "' x\n' {ForEachParameter}\n' {Callers}\n' {End}", "{Callers} on line 3"},
        {procedure, "' {Callers} {Callees}", "Line 1 of the template holds both {Callers} and {Callees}"},
        {procedure, "' {Callers}\n' {ForEachParameter}\n' {ParameterName}\n' {End}", "at least one line that is written once"},
        {file, "", "at least one line that is written once"},
        {file, "' a _\n' b", "Line 1 of the template ends with \" _\""},
    };
    for (const auto& [kind, text, problem] : rows) {
        const auto parsed = parseHeaderTemplate(kind, text);
        EXPECT_EQ(parsed.ok(), problem.isEmpty()) << text.toStdString();
        EXPECT_TRUE(parsed.error().contains(problem)) << parsed.error().toStdString();
    }
    EXPECT_EQ(parseHeaderTemplate(file, "' a\r' b\r\n' c\n").value().lines, QStringList({"' a", "' b", "' c"}));
    for (const HeaderKind kind : {file, procedure}) {
        const auto parsed = parseHeaderTemplate(kind, defaultTemplateText(kind));
        ASSERT_TRUE(parsed.ok()) << parsed.error().toStdString();
        EXPECT_TRUE(parsed->lines.size() >= 8 && parsed->lines.size() <= 14);
    }
}

HeaderTemplate templateOf(HeaderKind kind, const QString& text)
{
    return parseHeaderTemplate(kind, text).valueOr({});
}

TEST(HeaderTemplateTest, FillsSectionsOncePerParameterAndListLinesOncePerItem)
{
    const HeaderTemplate tmpl = templateOf(HeaderKind::Procedure,
        "' {Scope} {ProcedureKind} {ProcedureName} of {ModuleName} ({FileKind} {FileName})  \n"
        "' {ForEachParameter}\n'  - {ParameterName} {Passing} {ParameterType} [{DefaultValue}] {ParameterNotes}\n"
        "' {End}\n' Args: {Parameters}\n' Returns: {ReturnType}\n' By: {Callers}, {Callers}\n' Calls: {Callees}\n"
        "' {Date} {Author} {ProjectName}");
    const QStringList lines = {"Attribute VB_Name = \"Tools\"", "Private Function Pick(ByVal n As Long, _",
        "    Optional s As String = \"a\", ParamArray rest()) As Long", "End Function", "Sub Bare()", "End Sub"};
    quillon::model::RoutineList routines;
    for (const auto& routine : splitLinesIntoRoutines("/p/tools.bas", lines)) {
        if (isEditableRoutine(*routine))
            routines.push_back(routine);
    }
    ASSERT_EQ(routines.size(), 2u);
    HeaderFacts facts {"Shop", "Ann", QDate(2024, 2, 9), {}, {}};
    facts.callers = [](const quillon::model::Routine&) { return QStringList {"Main.Go", "Main.Run"}; };
    facts.callees = [](const quillon::model::Routine&) { return QStringList(); };
    EXPECT_EQ(procedureHeaderLines(tmpl, "/p/tools.bas", lines, *routines[0], facts).join('\n'),
        "' Private Function Pick of Tools (Module tools.bas)\n'  - n ByVal Long []\n"
        "'  - s ByRef String [\"a\"] Optional, default \"a\"\n'  - rest() ByRef Variant [] ParamArray\n"
        "' Args: n: ByVal Long\n'       s: ByRef String, Optional, default \"a\"\n'       rest(): ByRef Variant, ParamArray\n"
        "' Returns: Long\n' By: Main.Go, Main.Go\n'     Main.Run, Main.Run\n' Calls: (none)\n' 2024-02-09 Ann Shop");
    EXPECT_EQ(procedureHeaderLines(tmpl, "/p/tools.bas", lines, *routines[1], HeaderFacts {}).join('\n'),
        "' Public Sub Bare of Tools (Module tools.bas)\n' Args: (none)\n' Returns:\n' By: (not known), (not known)\n"
        "' Calls: (not known)\n'");
    // A value ending in " _" would carry the comment onto the signature below it.
    const HeaderTemplate fileTemplate = templateOf(HeaderKind::File, "' {FileName} {FileKind} {ModuleName} {Author}");
    EXPECT_EQ(fileHeaderLines(fileTemplate, "/p/Ctl.ctl", {}, HeaderFacts {"", "Bob _", {}, {}, {}}), QStringList {"' Ctl.ctl User Control Ctl Bob"});
}

const QString kFileTemplate = "' File {FileName} ({FileKind})\n' by {Author}\n'== end of file header ==";
const QString kProcedureTemplate = "'-- {ProcedureName}\n' Callers: {Callers}\n'--";

struct Insertion {
    HeaderKind kind;
    const char* path;
    QString before; // lines joined by "\n"
    QString after; // empty: left as it was
    int inserted;
};

Rewrite insert(const Insertion& c, const QString& text)
{
    const QStringList lines = text.split('\n');
    HeaderFacts facts;
    facts.author = "Ann";
    facts.callers = [](const quillon::model::Routine& r) { return QStringList {"M." + r.routineName}; };
    if (c.kind == HeaderKind::File)
        return insertFileHeader(c.path, lines, templateOf(c.kind, kFileTemplate), facts);
    return insertProcedureHeaders(c.path, lines, splitLinesIntoRoutines(c.path, lines), templateOf(c.kind, kProcedureTemplate), facts);
}

void PrintTo(const Insertion& c, std::ostream* os)
{
    *os << c.path << ": " << c.before.section('\n', 0, 1).toStdString();
}

class HeaderInsertionTest : public testing::TestWithParam<Insertion> { };

TEST_P(HeaderInsertionTest, AddsCommentLinesOnceAndKeepsEveryLineInOrder)
{
    const Insertion& c = GetParam();
    const Rewrite first = insert(c, c.before);
    EXPECT_EQ(first.lines.join('\n'), c.after.isEmpty() ? c.before : c.after);
    EXPECT_EQ(first.changed, !c.after.isEmpty());
    EXPECT_EQ(first.proceduresChanged, c.inserted);
    const Rewrite second = insert(c, first.lines.join('\n'));
    EXPECT_FALSE(second.changed);
    EXPECT_EQ(second.lines, first.lines);
    // Every original line is there, in order; what was added is comments and blank lines.
    const QStringList original = c.before.split('\n');
    qsizetype next = 0;
    for (const QString& line : first.lines) {
        if (next < original.size() && line == original[next])
            ++next;
        else
            EXPECT_TRUE(line.isEmpty() || line.startsWith('\'')) << line.toStdString();
    }
    EXPECT_EQ(next, original.size());
}

const QString kFileHeader = "' File %1 (%2)\n' by Ann\n'== end of file header ==\n";
const QString kForm = "VERSION 5.00\nBegin VB.Form F\n   Caption = \"x\"\nEnd\nAttribute VB_Name = \"F\"\n"
                      "Attribute VB_Creatable = False\n";

INSTANTIATE_TEST_SUITE_P(Files, HeaderInsertionTest,
    testing::Values(Insertion {HeaderKind::File, "/p/M.bas", "Attribute VB_Name = \"M\"\nOption Explicit\n' declarations\nDim n\n",
                        "Attribute VB_Name = \"M\"\n" + kFileHeader.arg("M.bas", "Module") + "Option Explicit\n' declarations\nDim n\n", 1},
        // The file header would otherwise be read as the first procedure's comment.
        Insertion {HeaderKind::File, "/p/M.bas", "Attribute VB_Name = \"M\"\n' about Main\nSub Main()\nEnd Sub",
            "Attribute VB_Name = \"M\"\n" + kFileHeader.arg("M.bas", "Module") + "\n' about Main\nSub Main()\nEnd Sub", 1},
        Insertion {HeaderKind::File, "/p/F.frm", kForm + "Private Sub Form_Load()\nEnd Sub",
            kForm + kFileHeader.arg("F.frm", "Form") + "\nPrivate Sub Form_Load()\nEnd Sub", 1},
        // A header from another template is not this one's.
        Insertion {HeaderKind::File, "/p/C.cls", "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"C\"\n' File C.cls (Class)\n' by Ann\nDim x",
            "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"C\"\n" + kFileHeader.arg("C.cls", "Class") + "' File C.cls (Class)\n' by Ann\nDim x", 1},
        // A form whose layout block cannot be found has nowhere safe for a header.
        Insertion {HeaderKind::File, "/p/F.frm", "VERSION 5.00\nBegin VB.Form F\nEnd\nSub A()\nEnd Sub", "", 0}));

INSTANTIATE_TEST_SUITE_P(Procedures, HeaderInsertionTest,
    testing::Values(Insertion {HeaderKind::Procedure, "/p/M.bas",
                        "Attribute VB_Name = \"M\"\nPrivate Declare Function T Lib \"k\" () As Long\n' Adds.\n' Twice.\n"
                        "Sub Add(a, _\n  b)\nEnd Sub\nFunction Two() As Long\nEnd Function\n\nProperty Get P()\nEnd Property",
                        "Attribute VB_Name = \"M\"\nPrivate Declare Function T Lib \"k\" () As Long\n' Adds.\n' Twice.\n"
                        "'-- Add\n' Callers: M.Add\n'--\nSub Add(a, _\n  b)\nEnd Sub\n'-- Two\n' Callers: M.Two\n'--\n"
                        "Function Two() As Long\nEnd Function\n\n'-- P\n' Callers: M.P\n'--\nProperty Get P()\nEnd Property",
                        3},
        // A header whose callers have changed since is still this template's, and so is one whose
        // lines were filled in by hand as long as its last line, the marker, is there; one from
        // another template is not.
        Insertion {HeaderKind::Procedure, "/p/M.bas",
            "'-- A\n' Callers: X.Old\n' Callers: X.Older\n' note\n'--\nSub A()\nEnd Sub\n' Callers: M.B\n'==\nSub B()\nEnd Sub\n"
            "' C: adds\n'--\nSub C()\nEnd Sub",
            "'-- A\n' Callers: X.Old\n' Callers: X.Older\n' note\n'--\nSub A()\nEnd Sub\n' Callers: M.B\n'==\n'-- B\n"
            "' Callers: M.B\n'--\nSub B()\nEnd Sub\n' C: adds\n'--\nSub C()\nEnd Sub",
            1}));

TEST(HeaderInsertionDefaultsTest, TheDefaultTemplatesRecogniseTheirOwnHeaders)
{
    const QString path = "/p/M.bas";
    const QStringList lines = {"Attribute VB_Name = \"M\"", "Public Function F(a) As Long", "End Function", "Sub S()", "End Sub"};
    const HeaderFacts facts {"P", "Ann", QDate(2024, 1, 2), {}, {}};
    const HeaderTemplate file = templateOf(HeaderKind::File, defaultTemplateText(HeaderKind::File));
    const HeaderTemplate procedure = templateOf(HeaderKind::Procedure, defaultTemplateText(HeaderKind::Procedure));
    const auto procedures = [&](const QStringList& text) { return insertProcedureHeaders(path, text, splitLinesIntoRoutines(path, text), procedure, facts); };
    const Rewrite withFileHeader = insertFileHeader(path, procedures(lines).lines, file, facts);
    ASSERT_TRUE(withFileHeader.changed);
    const QStringList& done = withFileHeader.lines;
    // The file header and a blank line; each procedure's header without the section's marker
    // lines, its one line written once per parameter (F has one, S none).
    const qsizetype section = 3;
    EXPECT_EQ(done.size(), lines.size() + file.lines.size() + 1 + 2 * (procedure.lines.size() - section) + 1);
    EXPECT_FALSE(procedures(done).changed);
    EXPECT_FALSE(insertFileHeader(path, done, file, facts).changed);
}

TEST(HeaderTemplateFileTest, SavesOnlyUsableTemplatesAndLoadsTheDefaultWhenThereIsNone)
{
    const quillon::test::Fixture fx;
    const QString folder = fx.path("options");
    const auto missing = loadHeaderTemplate(HeaderKind::Procedure, folder);
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(missing->lines, parseHeaderTemplate(HeaderKind::Procedure, defaultTemplateText(HeaderKind::Procedure))->lines);

    EXPECT_FALSE(saveHeaderTemplate(HeaderKind::File, folder, "' {Nope}").ok());
    EXPECT_FALSE(QFileInfo::exists(folder + "/" + kFileHeaderTemplateFile));
    ASSERT_TRUE(saveHeaderTemplate(HeaderKind::File, folder, "' Café {FileName}\r\n' end\r\n").ok());
    EXPECT_EQ(quillon::test::readBytes(folder + "/" + kFileHeaderTemplateFile), QByteArray("' Caf\xc3\xa9 {FileName}\r\n' end\r\n"));
    EXPECT_EQ(loadHeaderTemplate(HeaderKind::File, folder)->lines, QStringList({"' Café {FileName}", "' end"}));

    fx.write("options/" + kProcedureHeaderTemplateFile, "\xef\xbb\xbf' {ParameterName}\n");
    const auto broken = loadHeaderTemplate(HeaderKind::Procedure, folder);
    EXPECT_TRUE(broken.error().contains(kProcedureHeaderTemplateFile) && broken.error().contains("{ParameterName} on line 1")) << broken.error().toStdString();
}

} // namespace
