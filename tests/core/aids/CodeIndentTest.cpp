#include "aids/CodeIndent.h"
#include "config/Options.h"
#include "model/RoutineParser.h"
#include "platform/PrinterDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace quillon::aids;
using quillon::model::splitLinesIntoRoutines;

namespace {

// Lines are written joined by "|".
QStringList split(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

// A line without the whitespace the indenter may change: before the code, and after a label or
// line number that starts the line.
QString withoutIndentation(const QString& line)
{
    static const QRegularExpression indentation(R"(^[ \t]*([A-Za-z]\w*:|\d+[ \t]*:?)?[ \t]*)");
    QString text = line;
    const QRegularExpressionMatch match = indentation.match(text);
    return text.replace(0, match.capturedLength(), match.captured(1).remove(' ').remove('\t'));
}

struct Shape {
    const char* name;
    const char* rules; // "Key=value;Key=value"
    const char* input;
    const char* expected;
    const char* problem; // "LINE: REASON" or ""
    int procedures;
};
void PrintTo(const Shape& shape, std::ostream* os)
{
    *os << shape.name;
}

class IndentShapes : public testing::TestWithParam<Shape> { };

TEST_P(IndentShapes, IndentAsTheRulesSayOnceAndForAll)
{
    const Shape& shape = GetParam();
    IndentRules rules;
    for (const QString& rule : QString::fromUtf8(shape.rules).split(';', Qt::SkipEmptyParts))
        ASSERT_EQ(setIndentRule(rules, rule.section('=', 0, 0), rule.section('=', 1)), QString());
    const QStringList input = split(shape.input);
    const IndentRewrite once = indentRoutines(input, splitLinesIntoRoutines("Test.bas", input), rules);
    EXPECT_EQ(once.rewrite.lines.join('|'), QString::fromUtf8(shape.expected));
    EXPECT_EQ(once.rewrite.changed, input != once.rewrite.lines);
    EXPECT_EQ(once.rewrite.proceduresChanged, shape.procedures);
    QStringList problems;
    for (const IndentProblem& problem : once.problems)
        problems << QString::number(problem.line) + ": " + problem.reason;
    EXPECT_EQ(problems.join(';'), QString::fromUtf8(shape.problem));
    ASSERT_EQ(once.rewrite.lines.size(), input.size());
    for (qsizetype k = 0; k < input.size(); ++k)
        EXPECT_EQ(withoutIndentation(once.rewrite.lines[k]), withoutIndentation(input[k])) << "line " << k + 1;
    const IndentRewrite twice = indentFileLines("Test.bas", once.rewrite.lines, rules);
    EXPECT_FALSE(twice.rewrite.changed);
    EXPECT_EQ(twice.rewrite.lines, once.rewrite.lines);
}

const Shape kShapes[] = {
    {"NestedBlocks", "",
        "Sub A()|For i = 1 To 3|If a Then|x = 1|  |ElseIf b Then|Do While c|y|Loop|Else|With t|.v = 1|End With|End If|"
        "Next|End Sub",
        "Sub A()|    For i = 1 To 3|        If a Then|            x = 1|  |        ElseIf b Then|            Do While c|"
        "                y|            Loop|        Else|            With t|                .v = 1|            End With|"
        "        End If|    Next|End Sub",
        "", 1},
    {"OneLineIfsAndWordsThatOpenNothing", "",
        "Sub A()|If a Then b = 1|If a Then b = 1 Else b = 2: For i = 1 To 2|IF a THEN ' why|Exit For: End|Else x = 1|"
        ".Type = 1: x.Next|end if|Open f For Input As #1|End Sub",
        "Sub A()|    If a Then b = 1|    If a Then b = 1 Else b = 2: For i = 1 To 2|    IF a THEN ' why|        Exit For: End|"
        "    Else x = 1|        .Type = 1: x.Next|    end if|    Open f For Input As #1|End Sub",
        "", 1},
    {"NextClosesAForPerNameAndLoopsOnOneLine", "",
        "Sub A()|For i = 1 To 2|For j = 1 To 2|For k = 1 To 3: s = s + k: Next|While w|Wend|Next j, i|x = \"a: Next\"|End Sub",
        "Sub A()|    For i = 1 To 2|        For j = 1 To 2|            For k = 1 To 3: s = s + k: Next|            While w|"
        "            Wend|    Next j, i|    x = \"a: Next\"|End Sub",
        "", 1},
    {"CaseUnderSelect", "", "Sub A()|Select Case x|' first|Case 1: y = 1|Case Else|y = 2|End Select|End Sub",
        "Sub A()|    Select Case x|        ' first|        Case 1: y = 1|        Case Else|            y = 2|    End Select|End Sub", "", 1},
    {"CaseBesideSelect", "indent case=no", "Sub A()|Select Case x|' first|Case 1: y = 1|Case Else|y = 2|End Select|End Sub",
        "Sub A()|    Select Case x|    ' first|    Case 1: y = 1|    Case Else|        y = 2|    End Select|End Sub", "", 1},
    {"DirectivesInColumn1AndBranchesEachOpeningAnIf", "", "Sub A()|If a Then|  #If DEBUG Then|If b Then|#Else|If c Then|  #End If|x|End If|End If|End Sub",
        "Sub A()|    If a Then|#If DEBUG Then|        If b Then|#Else|        If c Then|#End If|            x|        End If|"
        "    End If|End Sub",
        "", 1},
    {"DirectivesWithTheCode", "Directives In Column 1=no", "Sub A()|If a Then|#If DEBUG Then|If b Then|#Else|c = 1|#End If|x|End If|End If|End Sub",
        "Sub A()|    If a Then|        #If DEBUG Then|        If b Then|        #Else|        c = 1|        #End If|"
        "            x|        End If|    End If|End Sub",
        "", 1},
    {"LabelsAndLineNumbers", "",
        "Sub A()|On Error GoTo Fail|10 x = 1|If a Then|20 : y = 2|  Again: z = 3|Else: w|Foo a:=1|End If|  Fail:|"
        "LongLabelName:q|100 End Sub",
        "Sub A()|    On Error GoTo Fail|10  x = 1|    If a Then|20:     y = 2|Again:  z = 3|    Else: w|        Foo a:=1|"
        "    End If|Fail:|LongLabelName: q|100 End Sub",
        "", 1},
    {"ContinuationsKeepTheirOffset", "", "Sub A(a, _|        b)|x = a + _|      b + _|  c|  ' note _|     more|y = 1|End Sub",
        "Sub A(a, _|        b)|    x = a + _|          b + _|      c|    ' note _|       more|    y = 1|End Sub", "", 1},
    {"ContinuationsOneUnitIn", "Indent Continuations=yes", "Sub A(a, _|        b)|x = a + _|      b + _|  c|  ' note _|     more|y = 1|End Sub",
        "Sub A(a, _|    b)|    x = a + _|        b + _|        c|    ' note _|        more|    y = 1|End Sub", "", 1},
    // A comment over a line that closes a block stays in the block's body.
    {"CommentsTakeTheNextCodeLinesPlace", "",
        "   ' about A|Sub A()|' first|  ' second|If a Then|x|' before else|Else|' before end if|End If|' before end sub|End Sub",
        "' about A|Sub A()|    ' first|    ' second|    If a Then|        x|        ' before else|    Else|        ' before end if|"
        "    End If|    ' before end sub|End Sub",
        "", 1},
    {"FirstCommentsWithTheSignature", "Indent First Comments=no", "Sub A()|' first|  ' second|If a Then|x|  ' before else|Else|End If|End Sub",
        "Sub A()|' first|' second|    If a Then|        x|        ' before else|    Else|    End If|End Sub", "", 1},
    {"CommentsInColumn1Stay", "Align Comments=no", "Sub A()|' first|  ' second|If a Then|x|' before else|Else|End If|End Sub",
        "Sub A()|' first|    ' second|    If a Then|        x|' before else|    Else|    End If|End Sub", "", 1},
    {"DebugInColumn1AndAttributesKept", "Debug In Column 1=yes;Indent Procedure Body=no",
        "Property Get Item()|  Attribute Item.VB_UserMemId = 0|  If a Then|  debug.print x|Item = 1|End If|End Property",
        "Property Get Item()|  Attribute Item.VB_UserMemId = 0|If a Then|debug.print x|    Item = 1|End If|End Property", "", 1},
    {"TabsKept", "Indent Width=2", "Sub A()|\tIf a Then|x|\t\t\ty|End If|End Sub", "Sub A()|  If a Then|    x|\ty|  End If|End Sub", "", 1},
    {"TabsKeptWhereTheyFit", "", "Sub A()|\tIf a Then|x|\t\t\ty|End If|End Sub", "Sub A()|\tIf a Then|        x|\t\ty|    End If|End Sub", "", 1},
    {"TabsToBlanks", "Tabs To Blanks=yes", "Sub A()|\tIf a Then|x|\t\t\ty|End If|End Sub", "Sub A()|    If a Then|        x|        y|    End If|End Sub", "",
        1},
    {"TypeAndEnumMembers", "", "Option Explicit|  Private Type T|a As Long|    Next As Integer|End Type|Public Enum E|  x = 1|End Enum|Sub A()|End Sub",
        "Option Explicit|Private Type T|    a As Long|    Next As Integer|End Type|Public Enum E|    x = 1|End Enum|Sub A()|End Sub", "", 1},
    {"TypeMembersBesideTheType", "Indent Type Members=no", "Option Explicit|  Private Type T|a As Long|    Next As Integer|End Type|Sub A()|End Sub",
        "Option Explicit|Private Type T|a As Long|Next As Integer|End Type|Sub A()|End Sub", "", 1},
    {"ElseFollowedByABlockIf", "", "Sub A()|If a Then|x|Else If b Then|y|End If|End If|End Sub",
        "Sub A()|    If a Then|        x|    Else If b Then|            y|        End If|    End If|End Sub", "", 1},
    {"LabelledContinuation", "", "Sub A()|10 x = a + _|      b|End Sub", "Sub A()|10  x = a + _|       b|End Sub", "", 1},
    {"CommentsInTheDeclarations", "", "Option Explicit|Private Type T|' members follow|a As Long|End Type|  ' the end",
        "Option Explicit|Private Type T|    ' members follow|    a As Long|End Type|' the end", "", 1},
    {"CaseOutsideSelect", "", "Sub A()|If a Then|Case 1|x|End If|End Sub", "Sub A()|    If a Then|Case 1|x|End If|End Sub", "3: Case without Select Case", 1},
    {"RemCommentsHideWhatFollows", "", "Sub A()|  Rem note: For i = 1 To 2|x = 1: Rem Next|End Sub",
        "Sub A()|    Rem note: For i = 1 To 2|    x = 1: Rem Next|End Sub", "", 1},
    {"StrayEndIfLeavesTheRest", "", "Sub A()|x|  End If|   y|End Sub", "Sub A()|    x|  End If|   y|End Sub", "3: End If without block If", 1},
    {"UnclosedForLeavesWhatFollows", "", "Sub A()|x|For i = 1 To 2|  y|End Sub", "Sub A()|    x|    For i = 1 To 2|  y|End Sub", "3: For without Next", 1},
    // An #If may wrap whole procedures: its parts in different routines are no problem.
    {"MismatchesAreProblemsPerRoutine", "", "Sub A()|#If X Then| y|End Sub|Sub B()|Do|Next| z|End Sub|Sub C()| #End If|End Sub|Sub D()|w|End Sub",
        "Sub A()|#If X Then|    y|End Sub|Sub B()|    Do|Next| z|End Sub|Sub C()|#End If|End Sub|Sub D()|    w|End Sub",
        "7: Next without For", 4},
};

INSTANTIATE_TEST_SUITE_P(
    CodeIndent, IndentShapes, testing::ValuesIn(kShapes), [](const testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

TEST(CodeIndentTest, RulesComeFromTheOptionsOrOneByOneByTheirKeys)
{
    quillon::test::Fixture folder;
    quillon::config::IniStore ini(folder.path("options.ini"), nullptr);
    quillon::platform::BuiltInPdfPrinterDefaults printer;
    quillon::config::Options options(ini, printer);
    options.load();
    options.set(quillon::config::opt::IndentWidth, "12");
    options.set(quillon::config::opt::TabWidth, "8");
    options.setBool(quillon::config::opt::IndentCase, false);
    const IndentRules read = indentRules(options);
    EXPECT_EQ(std::tuple(read.width, read.tabWidth, read.caseUnderSelect, read.procedureBody), std::tuple(9, 8, false, true));

    IndentRules rules;
    const struct {
        const char* name;
        const char* value;
        const char* message;
    } rows[] = {
        {"Indent Width", " 7 ", ""},
        {"indent width", "10", "\"Indent Width\" takes a whole number from 0 to 9, not \"10\""},
        {"Indent Width", "x", "\"Indent Width\" takes a whole number from 0 to 9, not \"x\""},
        {"TABS TO BLANKS", "Yes", ""},
        {"Align Comments", "maybe", "\"Align Comments\" takes yes or no (True or False), not \"maybe\""},
        {"IndentCase", "no",
            "unknown indent rule \"IndentCase\" (the rules are: Indent Width, Indent Procedure Body, Indent First Comments, "
            "Indent Case, Indent Type Members, Directives In Column 1, Indent Continuations, Align Comments, "
            "Debug In Column 1, Tabs To Blanks)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(setIndentRule(rules, row.name, row.value), QString::fromUtf8(row.message)) << row.name;
    EXPECT_EQ(std::tuple(rules.width, rules.tabsToBlanks, rules.alignComments), std::tuple(7, true, true));
}

TEST(CodeIndentTest, BadInputNeitherCrashesNorGoesPastWhatItCanRead)
{
    QStringList deep = {"Sub A()"};
    for (int k = 0; k < 10000; ++k)
        deep << "If a Then";
    for (int k = 0; k < 10000; ++k)
        deep << "End If";
    deep << "End Sub";
    const IndentRewrite nested = indentFileLines("Deep.bas", deep, IndentRules {});
    EXPECT_TRUE(nested.problems.empty());
    EXPECT_EQ(nested.rewrite.lines[3], QString(12, ' ') + "If a Then");
    EXPECT_EQ(nested.rewrite.lines[9000], "If a Then") << "no line is made longer than VB's 1023 characters";

    const QString junk = QString::fromLatin1("\x01\xff\"':_#If Then") + QChar(0xfffd) + "::";
    const QStringList odd = {"Sub A()", junk, "x = \"" + QString(100000, 'a') + "\" & _", "End Sub", " _"};
    const IndentRewrite rewrite = indentFileLines("Odd.bas", odd, IndentRules {});
    EXPECT_EQ(rewrite.rewrite.lines, QStringList({"Sub A()", "    " + junk, odd[2], "End Sub", " _"}));
}

} // namespace
