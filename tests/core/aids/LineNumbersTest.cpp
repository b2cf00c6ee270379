#include "aids/LineNumbers.h"
#include "model/RoutineParser.h"

#include <gtest/gtest.h>

using namespace quillon::aids;

namespace {

struct Numbering {
    NumberingRules rules;
    QString plain; // lines joined by "\n"
    QString numbered;
    bool givesPlainBack = true; // Remove undoes Add: the plain text had no numbers of its own
};

Rewrite run(const QString& text, const std::function<Rewrite(const QStringList&, const quillon::model::RoutineList&)>& aid)
{
    const QStringList lines = text.split('\n');
    return aid(lines, quillon::model::splitLinesIntoRoutines("/p/M.bas", lines));
}

class LineNumbersTest : public testing::TestWithParam<Numbering> { };

TEST_P(LineNumbersTest, AddNumbersTheStatementsOnceAndRemoveGivesTheTextBack)
{
    const Numbering& c = GetParam();
    const auto add = [&c](const QStringList& lines, const auto& routines) { return addLineNumbers(lines, routines, c.rules); };
    const Rewrite added = run(c.plain, add);
    EXPECT_EQ(added.lines.join('\n'), c.numbered);
    EXPECT_EQ(added.changed, c.plain != c.numbered);
    const Rewrite again = run(c.numbered, add);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.lines.join('\n'), c.numbered);
    if (c.givesPlainBack) {
        EXPECT_EQ(run(c.numbered, removeLineNumbers).lines.join('\n'), c.plain);
    }
}

const QString kBody = "Option Explicit\nDim m As Long\nSub A(ByVal n As Long)\n    Dim i As Long\n    Static s As Long\n"
                      "    Const K = 1\n    ' note\n    Rem remark\n\n    ReDim v(n)\n#If DEBUG Then\n    Debug.Print \"x\"\n"
                      "#End If\n    If n > 0 Then\n        x = a + _\n            b\n    ElseIf n < 0 Then\n        x = 2\n"
                      "    Else\n        x = 3\n    End If\n    Select Case n\n        x = 0\n    Case 1\n        y = 1\n"
                      "    Case Else\n        y = 2\n    End Select\n    For i = 1 To 2\n    Next\n    Do\n    Loop\n"
                      "    While False\n    Wend\n    With Me\n    End With\nRetry:\n\tx = 1\nEnd Sub";
const QString kBodyNumbered = "Option Explicit\nDim m As Long\nSub A(ByVal n As Long)\n    Dim i As Long\n"
                              "    Static s As Long\n    Const K = 1\n    ' note\n    Rem remark\n\n10  ReDim v(n)\n"
                              "#If DEBUG Then\n20  Debug.Print \"x\"\n#End If\n30  If n > 0 Then\n40      x = a + _\n"
                              "            b\n    ElseIf n < 0 Then\n50      x = 2\n    Else\n60      x = 3\n    End If\n"
                              "70  Select Case n\n        x = 0\n    Case 1\n80      y = 1\n    Case Else\n90      y = 2\n"
                              "    End Select\n100 For i = 1 To 2\n    Next\n110 Do\n    Loop\n120 While False\n    Wend\n"
                              "130 With Me\n    End With\nRetry:\n140\t\tx = 1\nEnd Sub";
const QString kThree = "Private Sub C()\n    a = 1\nEnd Sub\nSub D()\nEnd Sub\n' between\nSub E()\n  b = 2\nEnd Sub";

INSTANTIATE_TEST_SUITE_P(Procedures, LineNumbersTest,
    testing::Values(Numbering {{}, kBody, kBodyNumbered},
        Numbering {{1000, 10, true},
            "Function B(a As Long, _\n           b As Long) As Long\nAttribute B.VB_UserMemId = 0\n    x = 1\n"
            "1000 y = 2\n    z = 3\n    GoTo 1010\nEnd Function",
            "Function B(a As Long, _\n           b As Long) As Long\nAttribute B.VB_UserMemId = 0\n1020\t    x = 1\n"
            "1000 y = 2\n1030\t    z = 3\n1040\t    GoTo 1010\nEnd Function",
            false},
        Numbering {{5, 5, false}, kThree, "Private Sub C()\n5   a = 1\nEnd Sub\nSub D()\nEnd Sub\n' between\nSub E()\n10\t  b = 2\nEnd Sub"},
        Numbering {{5, 5, true}, kThree, "Private Sub C()\n5   a = 1\nEnd Sub\nSub D()\nEnd Sub\n' between\nSub E()\n5 b = 2\nEnd Sub"},
        Numbering {{7, 1, true}, "Sub F()\n    If Erl = 7 Then Resume 8\n\t  y = \"a: b\"\n    " + QString(100000, 'z') + "\nEnd Sub",
            "Sub F()\n9   If Erl = 7 Then Resume 8\n10\t\t  y = \"a: b\"\n11  " + QString(100000, 'z') + "\nEnd Sub"},
        Numbering {{}, "Sub G()\n    x = 1 _\n_", "Sub G()\n    x = 1 _\n_"}, Numbering {{}, "Sub H(a, _\nb)\nx _\nEnd Sub", "Sub H(a, _\nb)\nx _\nEnd Sub"}));

TEST(LineNumbersRemoveTest, NumbersThatAJumpResumeOrErlTestNamesStay)
{
    const QString numbered = "Sub R()\n10  On Error GoTo 90\n20  GoSub 70\n30  On k GoTo 40, Skip, 50\n40  Resume 60\n"
                             "50  x = \"GoTo 80\" ' GoTo 80\n60  If Erl = 100 Then y = 1\n70  Select Case Erl\n"
                             "    Case 110, _\n         120\n80      z = 1\n    End Select\n90  Resume Next\n"
                             "100 Exit Sub\n110 Exit Sub\n120 Exit Sub\n130 Exit Sub\nSkip:\n140 Dim q\n150\tReturn\n"
                             "End Sub\nSub S()\n40  x = 1\nEnd Sub";
    const QString plain = "Sub R()\n    On Error GoTo 90\n    GoSub 70\n    On k GoTo 40, Skip, 50\n40  Resume 60\n"
                          "50  x = \"GoTo 80\" ' GoTo 80\n60  If Erl = 100 Then y = 1\n70  Select Case Erl\n"
                          "    Case 110, _\n         120\n        z = 1\n    End Select\n90  Resume Next\n"
                          "100 Exit Sub\n110 Exit Sub\n120 Exit Sub\n    Exit Sub\nSkip:\n140 Dim q\nReturn\n"
                          "End Sub\nSub S()\n    x = 1\nEnd Sub";
    const Rewrite removed = run(numbered, removeLineNumbers);
    EXPECT_EQ(removed.lines.join('\n'), plain);
    EXPECT_EQ(removed.proceduresChanged, 2);
    const Rewrite again = run(plain, removeLineNumbers);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.lines.join('\n'), plain);
}

TEST(LineNumbersRemoveTest, TheFieldsTakeWholeNumbersFromOneTo999999999)
{
    const QString first = R"(The first line number "%1" is not a whole number from 1 to 999999999.)";
    const QString step = R"(The line number step "%1" is not a whole number from 1 to 999999999.)";
    const std::pair<QStringList, QString> rows[] = {{{"10", "10"}, ""}, {{" 7 ", "999999999"}, ""}, {{"0", "10"}, first.arg("0")},
        {{"2.5", "1"}, first.arg("2.5")}, {{"1", "x"}, step.arg("x")}, {{"1000000000", "-1"}, first.arg("1000000000") + "\r\n" + step.arg("-1")}};
    for (const auto& [fields, problem] : rows)
        EXPECT_EQ(numberingProblem(fields[0], fields[1]), problem) << fields.join(',').toStdString();
}

} // namespace
