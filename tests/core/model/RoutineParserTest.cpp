#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::test::Fixture;

namespace {

// "Kind|Name|start|sig|end|comments|blanks|code" per record, for exact comparisons.
QStringList Summary(const RoutineList& routines)
{
    QStringList out;
    for (const RoutinePtr& r : routines) {
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                   .arg(r->RoutineKind, r->RoutineName)
                   .arg(r->lStartLine)
                   .arg(r->lSigLine)
                   .arg(r->lEndLine)
                   .arg(r->CommentLines)
                   .arg(r->BlankLines)
                   .arg(r->CodeLines);
    }
    return out;
}

const QStringList kClassHeader = {
    "VERSION 1.0 CLASS",
    "BEGIN",
    "  MultiUse = -1  'True",
    "END",
    "Attribute VB_Name = \"clsItem\"",
    "Attribute VB_GlobalNameSpace = False",
    "Attribute VB_Creatable = True",
};

TEST(SignatureTests, IsProcedureStart)
{
    for (const char* yes : {"Sub Main()", "  Public Sub X()", "Private   Static  Function F()", "friend sub f()",
                            "PROPERTY Get Value()", "Public Property Let Value(v)", "Static Sub S()",
                            "Static Function F()", "Private Property Set Obj(o)"}) {
        EXPECT_TRUE(IsProcedureStart(QString::fromLatin1(yes))) << yes;
    }
    for (const char* no : {"", "   ", "' Sub Main()", "Rem Sub Main()", "REM", "Public Static Property Get X()",
                           "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "Public Event Changed()",
                           "Event Changed()", "Private\tSub X()", "Sub", "Subtotal = 1", "End Sub", "Dim Sub1 As Long",
                           "Public Function"}) {
        EXPECT_FALSE(IsProcedureStart(QString::fromLatin1(no))) << no;
    }
    // "Public Function" alone has no blank after the keyword to match "FUNCTION *".
    EXPECT_TRUE(IsProcedureStart(u"Public Function "));
}

TEST(SignatureTests, ProcNameFromSignature)
{
    EXPECT_EQ(ProcNameFromSignature(u"Public Property Get Value() As Long"), QStringLiteral("Value"));
    EXPECT_EQ(ProcNameFromSignature(u"Private Function Fmt$(ByVal x As Long)"), QStringLiteral("Fmt$"));
    EXPECT_EQ(ProcNameFromSignature(u"Sub   Main ()"), QStringLiteral("Main"));
    EXPECT_EQ(ProcNameFromSignature(u"Public Property Value()"), QStringLiteral("Value"));
    EXPECT_EQ(ProcNameFromSignature(u"Property Get"), QStringLiteral("Get"));
    // A keyword that is the last word is passed over; with no name the prepared text is returned.
    EXPECT_EQ(ProcNameFromSignature(u"Public  Sub"), QStringLiteral("Public Sub"));
    EXPECT_EQ(ProcNameFromSignature(u"Sub Function()"), QStringLiteral("Function"));
    EXPECT_EQ(ProcNameFromSignature(u"   "), QString());
}

TEST(SignatureTests, KindFromSignatureSearchesTheWholeLine)
{
    EXPECT_EQ(KindFromSignature(u"Public Property Get X()"), QStringLiteral("Property Get"));
    EXPECT_EQ(KindFromSignature(u"Property Let X(v)"), QStringLiteral("Property Let"));
    EXPECT_EQ(KindFromSignature(u"Property Set X(v)"), QStringLiteral("Property Set"));
    EXPECT_EQ(KindFromSignature(u"Private Sub SetPropertyValue()"), QStringLiteral("Property"));
    EXPECT_EQ(KindFromSignature(u"Public Sub SubmitForm()"), QStringLiteral("Sub"));
    EXPECT_EQ(KindFromSignature(u"Sub DoFunctionKeys()"), QStringLiteral("Function"));
    EXPECT_EQ(KindFromSignature(u"Sub X() ' property of the form"), QStringLiteral("Property"));
    EXPECT_EQ(KindFromSignature(u"Dim x"), QString());
}

TEST(SignatureTests, ScopeAndKindText)
{
    EXPECT_EQ(ScopeAndKindText(u"Private Sub cmdOK_Click()"), QStringLiteral("Private Sub"));
    EXPECT_EQ(ScopeAndKindText(u"  Friend Function Total() As Long"), QStringLiteral("Friend Function"));
    EXPECT_EQ(ScopeAndKindText(u"Static Function F()"), QStringLiteral("Public Function"));
    EXPECT_EQ(ScopeAndKindText(u"Private Sub FunctionKey()"), QStringLiteral("Private Sub"));
    EXPECT_EQ(ScopeAndKindText(u"Public Property Let Value(v)"), QStringLiteral("Public Property Let"));
    EXPECT_EQ(ScopeAndKindText(u"Property Set Obj(o)"), QStringLiteral("Public Property Set"));
    EXPECT_EQ(ScopeAndKindText(u"Private Sub SetPropertyValue()"), QStringLiteral("Private Sub"));
    EXPECT_EQ(ScopeAndKindText(u"Private Property Get Value() ' Function x"), QStringLiteral("Private Function"));
    EXPECT_EQ(ScopeAndKindText(u""), QStringLiteral("Public Sub"));
}

TEST(SignatureTests, EndProcedureLines)
{
    EXPECT_TRUE(IsEndProcedureLine(u"  end sub  "));
    EXPECT_TRUE(IsEndProcedureLine(u"End Function"));
    EXPECT_TRUE(IsEndProcedureLine(u"END PROPERTY"));
    EXPECT_FALSE(IsEndProcedureLine(u"End Sub ' done"));
    EXPECT_FALSE(IsEndProcedureLine(u"End  Sub"));
    EXPECT_FALSE(IsEndProcedureLine(u"\tEnd Sub"));
    EXPECT_FALSE(IsEndProcedureLine(u"End If"));
}

TEST(EventHandlerNames, SuffixesAndLabels)
{
    EXPECT_TRUE(IsEventHandlerName(u"cmdOK_Click"));
    EXPECT_EQ(EventLabel(u"cmdOK_Click"), QStringLiteral("Click Event"));
    EXPECT_EQ(EventLabel(u"lst_DblClick"), QStringLiteral("DblClick Event"));
    EXPECT_EQ(EventLabel(u"Form_Load"), QStringLiteral("Form Event"));
    EXPECT_EQ(EventLabel(u"Form_Unload"), QStringLiteral("Form Event"));
    EXPECT_EQ(EventLabel(u"Form_Deactivate"), QStringLiteral("Form Event"));
    EXPECT_EQ(EventLabel(u"txt_KeyUp"), QStringLiteral("KeyUp Event"));
    EXPECT_EQ(EventLabel(u"Class_Terminate"), QStringLiteral("Class Event"));
    EXPECT_EQ(EventLabel(u"tmr_Timer"), QStringLiteral("Timer Event"));
    EXPECT_TRUE(IsEventHandlerName(u"Form_QueryUnload"));
    EXPECT_EQ(EventLabel(u"Form_QueryUnload"), QStringLiteral("User Event"));
    EXPECT_FALSE(IsEventHandlerName(u"_Click"));
    EXPECT_FALSE(IsEventHandlerName(u"DoClick"));
    EXPECT_EQ(EventLabel(u"DoClick"), QStringLiteral("User Event"));
}

TEST(SplitFile, ModuleWithHeaderCommentAndBlankLine)
{
    const QStringList lines = {"Attribute VB_Name = \"modMath\"", "Option Explicit", "", "' Adds",
                               "Public Function Add()", "End Function"};
    const RoutineList routines = SplitLinesIntoRoutines("/p/modMath.bas", lines);
    EXPECT_EQ(Summary(routines), (QStringList{"Declarations|Declarations|1|0|2|0|0|2", "Function|Add|4|5|6|1|0|2"}));
    EXPECT_TRUE(routines[0]->IsDeclarations);
    EXPECT_EQ(routines[1]->SigLineText, QStringLiteral("Public Function Add()"));
    EXPECT_EQ(routines[1]->ModuleName, QStringLiteral("modMath"));
    EXPECT_EQ(routines[1]->UniqueKey, QStringLiteral("/p/modMath.bas|modMath|Function|Add"));
}

TEST(SplitFile, FormStartsWithLayoutAndImageOverTheHeader)
{
    const QStringList lines = {
        "VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Main\"", "End",
        "Attribute VB_Name = \"frmMain\"", "Attribute VB_Exposed = False", "Option Explicit", "",
        "Private Sub Form_Load()", "    Caption = \"x\"", "End Sub"};
    const RoutineList routines = SplitLinesIntoRoutines("/p/frmMain.frm", lines);
    EXPECT_EQ(Summary(routines), (QStringList{"Layout|Layout|1|0|6|0|0|6", "Image|Image|1|0|6|0|0|6",
                                              "Declarations|Declarations|7|0|7|0|0|1",
                                              "Sub|Event Handler:Form_Load|9|9|11|0|0|3"}));
    EXPECT_EQ(routines[0]->UniqueKey, QStringLiteral("/p/frmMain.frm|frmMain|Layout|Layout"));
}

TEST(SplitFile, ProcedureLevelAttributesDoNotHideTheProceduresAboveThem)
{
    QStringList lines = kClassHeader;
    lines << "Option Explicit"                          // 8
          << "Private mName As String"                  // 9
          << "Private attributeLocation As Long"        // 10
          << ""                                         // 11
          << "Public Property Get Name() As String"     // 12
          << "Attribute Name.VB_UserMemId = 0"          // 13
          << "    Name = mName"                         // 14
          << "End Property"                             // 15
          << "Public Sub Reset()"                       // 16
          << "    attributeLocation = 1"                // 17
          << "End Sub"                                  // 18
          << "Public Property Get Item() As Variant"    // 19
          << "Attribute Item.VB_UserMemId = -4"         // 20
          << "End Property";                            // 21
    const RoutineList routines = SplitLinesIntoRoutines("/p/clsItem.cls", lines);
    EXPECT_EQ(Summary(routines),
              (QStringList{"Declarations|Declarations|8|0|10|0|0|3", "Property Get|Name|12|12|15|0|0|4",
                           "Sub|Reset|16|16|18|0|0|3", "Property Get|Item|19|19|21|0|0|3"}));
}

TEST(SplitFile, AttributeWordWithoutBlankIsNotAHeaderLine)
{
    const QStringList lines = {"Attribute VB_Name = \"frmA\"", "AttributeX", "Sub A()", "End Sub"};
    const RoutineList routines = SplitLinesIntoRoutines("/p/frmA.frm", lines);
    EXPECT_EQ(Summary(routines).first(), QStringLiteral("Layout|Layout|1|0|1|0|0|1"));
}

TEST(SplitFile, EmptyDeclarationsAreNotListed)
{
    // The signature is the first line: no declaration line, no Declarations record.
    RoutineList routines = SplitLinesIntoRoutines("/p/a.bas", {"Sub A()", "End Sub"});
    EXPECT_EQ(Summary(routines), QStringList{"Sub|A|1|1|2|0|0|2"});
    // Only comments and blanks before the first procedure: the same.
    routines = SplitLinesIntoRoutines("/p/b.bas", {"' file header", "", "' about A", "Sub A()", "End Sub"});
    EXPECT_EQ(Summary(routines), QStringList{"Sub|A|3|4|5|1|0|2"});
    // A class whose header ends right before its first procedure.
    QStringList cls = kClassHeader;
    cls << "Private Sub Class_Initialize()" << "End Sub";
    routines = SplitLinesIntoRoutines("/p/c.cls", cls);
    EXPECT_EQ(Summary(routines), QStringList{"Sub|Event Handler:Class_Initialize|8|8|9|0|0|2"});
}

TEST(SplitFile, ClosingLineWithCommentIsNotAClosingLine)
{
    const QStringList lines = {"Sub A()", "    x = 1", "End Sub ' done", "", "' about B", "Sub B()", "End Sub"};
    const RoutineList routines = SplitLinesIntoRoutines("/p/a.bas", lines);
    EXPECT_EQ(Summary(routines), (QStringList{"Sub|A|1|1|5|1|1|3", "Sub|B|6|6|7|0|0|2"}));
}

TEST(SplitFile, LaterProceduresStartRightAfterThePreviousEnd)
{
    const QStringList lines = {"Option Explicit", "", "Sub A()", "End Sub", "", "' about B", "", "' more",
                               "Function B()", "End Function", "", ""};
    const RoutineList routines = SplitLinesIntoRoutines("/p/a.bas", lines);
    EXPECT_EQ(Summary(routines), (QStringList{"Declarations|Declarations|1|0|1|0|0|1", "Sub|A|3|3|4|0|0|2",
                                              "Function|B|5|9|12|2|4|2"}));
}

TEST(SplitFile, HeaderCommentBlockStopsAtBlankRemAndTabbedLines)
{
    const QStringList lines = {"Dim x", "' not mine", "", "\t' tabbed", "' mine", "' mine too", "Sub A()", "End Sub"};
    RoutineList routines = SplitLinesIntoRoutines("/p/a.bas", lines);
    EXPECT_EQ(Summary(routines).last(), QStringLiteral("Sub|A|5|7|8|2|0|2"));
    // The Declarations end at the last line that is neither empty nor a comment.
    EXPECT_EQ(Summary(routines).first(), QStringLiteral("Declarations|Declarations|1|0|4|1|1|2"));
    routines = SplitLinesIntoRoutines("/p/b.bas", {"Dim x", "Rem mine?", "Sub A()", "End Sub"});
    EXPECT_EQ(Summary(routines).last(), QStringLiteral("Sub|A|3|3|4|0|0|2"));
}

TEST(SplitFile, FilesWithoutProcedures)
{
    RoutineList routines = SplitLinesIntoRoutines("/p/a.bas", {"Option Explicit", "Public X As Long", "", "' end"});
    EXPECT_EQ(Summary(routines), QStringList{"Declarations|Declarations|1|0|4|1|1|2"});
    routines = SplitLinesIntoRoutines("/p/f.frm", {"VERSION 5.00", "Attribute VB_Name = \"f\""});
    EXPECT_EQ(Summary(routines), (QStringList{"Layout|Layout|1|0|2|0|0|2", "Image|Image|1|0|2|0|0|2"}));
    EXPECT_TRUE(SplitLinesIntoRoutines("/p/empty.bas", {}).empty());
    // A form without Attribute lines has no Layout: everything is declarations.
    routines = SplitLinesIntoRoutines("/p/g.frm", {"VERSION 5.00", "Begin VB.Form g", "End"});
    EXPECT_EQ(Summary(routines), QStringList{"Declarations|Declarations|1|0|3|0|0|3"});
}

TEST(SplitFile, KindsNamesAndStaticProperties)
{
    const QStringList lines = {"Private Sub SetPropertyValue()", "End Sub", "Public Static Property Get X()",
                               "End Property", "Private Sub cmdOK_Click()", "End Sub"};
    const RoutineList routines = SplitLinesIntoRoutines("/p/a.cls", lines);
    // The Static Property line is no signature, so it stays inside the first procedure.
    EXPECT_EQ(Summary(routines),
              (QStringList{"Property|SetPropertyValue|1|1|4|0|0|4", "Sub|Event Handler:cmdOK_Click|5|5|6|0|0|2"}));
    EXPECT_EQ(routines[0]->ModuleName, QStringLiteral("a")) << "no VB_Name: the file's base name";
}

TEST(CountLines, ContinuationsCommentsAndBlanks)
{
    clsRoutineInfo r;
    r.lStartLine = 1;
    r.lEndLine = 9;
    const QStringList lines = {"x = 1 & _", "    2 & _", "    3", "Rem", "REM note", "Remark = 1", "   ",
                               "' c _", "y = 2"};
    CountRoutineLines(r, lines);
    // The comment ending in " _" swallows the following line, as a continued comment does.
    EXPECT_EQ(r.CodeLines, 2);
    EXPECT_EQ(r.CommentLines, 3);
    EXPECT_EQ(r.BlankLines, 1);
    r.lStartLine = 8;
    r.lEndLine = 400; // spans past the end are clipped
    CountRoutineLines(r, lines);
    EXPECT_EQ(r.CommentLines + r.CodeLines + r.BlankLines, 1);
}

TEST(ReadVbNameTest, LooksAtTheFirst300LinesOnly)
{
    QStringList lines(299, QStringLiteral("' filler"));
    lines << "Attribute VB_Name = \"modLate\"";
    EXPECT_EQ(ReadVbNameFromLines(lines), QStringLiteral("modLate"));
    lines.insert(0, QStringLiteral("' one more"));
    EXPECT_EQ(ReadVbNameFromLines(lines), QString());
    EXPECT_EQ(ReadVbNameFromLines({"attribute vb_name = noquote", "  ATTRIBUTE VB_NAME = \"m2\""}),
              QStringLiteral("m2"));
    EXPECT_EQ(ReadVbNameFromLines({"Attribute VB_Name = \"open"}), QString());
}

TEST(SplitFileFromDisk, LineEndsAndEncodings)
{
    Fixture fx;
    const QString lf = fx.write("lf.bas", "Attribute VB_Name = \"modLf\"\nSub A()\n  x = \"caf\xC3\xA9\"\nEnd Sub\n");
    const QString cr = fx.write("cr.bas", "Sub A()\r  x = 1\rEnd Sub\r\rSub B()\rEnd Sub");
    const QString crlf = fx.write("crlf.bas", "' \xE9t\xE9\r\nSub A()\r\nEnd Sub\r\n");
    RoutineList routines = SplitFileIntoRoutines(lf);
    EXPECT_EQ(Summary(routines), (QStringList{"Declarations|Declarations|1|0|1|0|0|1", "Sub|A|2|2|4|0|0|3"}));
    EXPECT_EQ(routines[0]->ModuleName, QStringLiteral("modLf"));
    EXPECT_EQ(Summary(SplitFileIntoRoutines(cr)), (QStringList{"Sub|A|1|1|3|0|0|3", "Sub|B|4|5|6|0|1|2"}));
    routines = SplitFileIntoRoutines(crlf);
    EXPECT_EQ(Summary(routines), QStringList{"Sub|A|1|2|3|1|0|2"});
}

TEST(SplitFileFromDisk, MissingUnreadableBinaryAndHugeInput)
{
    Fixture fx;
    EXPECT_TRUE(SplitFileIntoRoutines(fx.path("none.bas")).empty());
    EXPECT_TRUE(SplitFileIntoRoutines(QStringLiteral("  ")).empty());
    SplitReport report;
    EXPECT_TRUE(SplitFileIntoRoutines(fx.path(), SourceReader::Default(), &report).empty());

    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary += char((i * 7919) % 256);
    const QString bin = fx.write("bin.bas", binary);
    report = SplitReport();
    SplitFileIntoRoutines(bin, SourceReader::Default(), &report);
    EXPECT_TRUE(report.readOk);
    EXPECT_TRUE(report.hasNul);

    // A 6 MB line (blanks and a signature-like start) and 40,000 lines: no limit, no crash.
    QByteArray huge = "Sub A()\r\nPublic" + QByteArray(6 * 1024 * 1024, ' ') + "Sub B()\r\n";
    for (int i = 0; i < 40000; ++i)
        huge += "x = 1\r\n";
    const RoutineList routines = SplitFileIntoRoutines(fx.write("huge.bas", huge));
    ASSERT_EQ(routines.size(), 2u);
    EXPECT_EQ(routines[1]->RoutineName, QStringLiteral("B"));
    EXPECT_EQ(routines[1]->lEndLine, 40002);
    EXPECT_EQ(routines[1]->CodeLines, 40001);

    QStringList lines{"stale"};
    EXPECT_EQ(ReadFileToArray(fx.path("huge.bas"), lines), 40002);
    EXPECT_EQ(lines.size(), 40002);
    EXPECT_EQ(ReadFileToArray(fx.path("none.bas"), lines), 0);
}

} // namespace
