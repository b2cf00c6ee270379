#include "aids/ProcedureSort.h"
#include "model/RoutineParser.h"

#include <gtest/gtest.h>

using namespace quillon::aids;
using quillon::model::splitLinesIntoRoutines;

namespace {

struct Sorting {
    const char* path;
    ProcedureOrder order;
    QString before; // lines joined by "\n"
    QString after; // empty: left as it was
    int moved;
};

// Each procedure's lines from its signature to its End line.
QStringList procedureTexts(const char* path, const QStringList& lines)
{
    QStringList texts;
    for (const auto& r : splitLinesIntoRoutines(path, lines)) {
        qint32 end = r->signatureLine;
        while (end > 0 && end < r->endLine && !quillon::model::isEndProcedureLine(lines[end - 1]))
            ++end;
        texts << lines.mid(r->signatureLine - 1, end - r->signatureLine + 1).join('\n');
    }
    texts.sort();
    return texts;
}

class ProcedureSortTest : public testing::TestWithParam<Sorting> { };

TEST_P(ProcedureSortTest, MovesWholeProceduresOnceAndKeepsTheirText)
{
    const Sorting& c = GetParam();
    const QStringList lines = c.before.split('\n');
    const Rewrite sorted = sortProcedures(lines, splitLinesIntoRoutines(c.path, lines), c.order);
    EXPECT_EQ(sorted.lines.join('\n'), c.after.isEmpty() ? c.before : c.after);
    EXPECT_EQ(sorted.changed, !c.after.isEmpty());
    EXPECT_EQ(sorted.proceduresChanged, c.moved);
    EXPECT_EQ(procedureTexts(c.path, sorted.lines), procedureTexts(c.path, lines));
    const Rewrite again = sortProcedures(sorted.lines, splitLinesIntoRoutines(c.path, sorted.lines), c.order);
    EXPECT_TRUE(!again.changed && again.lines == sorted.lines);
}

const QString kFormHead = "VERSION 5.00\nBegin VB.Form Form1\nEnd\nAttribute VB_Name = \"Form1\"\nOption Explicit\n";
const QString kForm = kFormHead
    + "Private Sub Helper()\nEnd Sub\nPublic Property Let Size(v As Long)\nEnd Property\nPrivate Sub Form_Load()\n"
      "End Sub\nPrivate Property Get Size() As Long\nEnd Property\nSub Zed()\nEnd Sub\nProperty Get Age() As Long\n"
      "End Property\nPublic Sub cmdOK_Click()\nEnd Sub";
const QString kFormTail = "Property Get Age() As Long\nEnd Property\nPrivate Property Get Size() As Long\nEnd Property\n"
                          "Public Property Let Size(v As Long)\nEnd Property\nSub Zed()\nEnd Sub\nPrivate Sub Helper()\nEnd Sub";
const QString kClass = "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1\nEND\nAttribute VB_Name = \"C\"\n";
const QString kValue = "Public Property Get Value() As Long\nAttribute Value.VB_UserMemId = 0\n    Value = 1\nEnd Property";

INSTANTIATE_TEST_SUITE_P(Orders, ProcedureSortTest,
    testing::Values(Sorting {"/p/M.bas", ProcedureOrder::ByName,
                        "Attribute VB_Name = \"M\"\nDim m As Long\n\n' about c\nSub c()\nEnd Sub\n\n' about B\nFunction B() As Long\n"
                        "End Function\n\nSub a()\nEnd Sub\n' trailing\n",
                        "Attribute VB_Name = \"M\"\nDim m As Long\n\nSub a()\nEnd Sub\n\n' about B\nFunction B() As Long\n"
                        "End Function\n\n' about c\nSub c()\nEnd Sub\n' trailing\n",
                        2},
        Sorting {"/p/F.frm", ProcedureOrder::ByKind, kForm, kFormHead + "Public Sub cmdOK_Click()\nEnd Sub\nPrivate Sub Form_Load()\nEnd Sub\n" + kFormTail, 6},
        Sorting {"/p/F.frm", ProcedureOrder::ByKindKeepingEvents, kForm,
            kFormHead + "Private Sub Form_Load()\nEnd Sub\nPublic Sub cmdOK_Click()\nEnd Sub\n" + kFormTail, 6},
        // Handlers follow their controls as the layout block lists them, the form's own first and
        // a WithEvents object's last; one control's handlers keep their order.
        Sorting {"/p/G.frm", ProcedureOrder::ByKindKeepingEvents,
            "VERSION 5.00\nBegin VB.Form G\n   Begin VB.TextBox txtName\n   End\n   Begin VB.CommandButton cmdOK\n   End\nEnd\n"
            "Attribute VB_Name = \"G\"\nSub cmdOK_Click()\nEnd Sub\nSub tmr_Timer()\nEnd Sub\nSub txtName_KeyDown()\nEnd Sub\n"
            "Sub Form_Load()\nEnd Sub\nSub cmdOK_GotFocus()\nEnd Sub\nSub txtName_Change()\nEnd Sub",
            "VERSION 5.00\nBegin VB.Form G\n   Begin VB.TextBox txtName\n   End\n   Begin VB.CommandButton cmdOK\n   End\nEnd\n"
            "Attribute VB_Name = \"G\"\nSub Form_Load()\nEnd Sub\nSub txtName_KeyDown()\nEnd Sub\nSub txtName_Change()\nEnd Sub\n"
            "Sub cmdOK_Click()\nEnd Sub\nSub cmdOK_GotFocus()\nEnd Sub\nSub tmr_Timer()\nEnd Sub",
            5},
        Sorting {"/p/C.cls", ProcedureOrder::ByName, kClass + "Private Sub Class_Initialize()\nEnd Sub\n" + kValue + "\n\nSub Add()\nEnd Sub",
            kClass + "\nSub Add()\nEnd Sub\nPrivate Sub Class_Initialize()\nEnd Sub\n" + kValue, 3},
        Sorting {"/p/M.bas", ProcedureOrder::ByName, "Sub A()\nEnd Sub\n\n' b\nSub B()\nEnd Sub\n' end\n\n", "", 0},
        // A procedure without its End line: no span can be trusted to move.
        Sorting {"/p/M.bas", ProcedureOrder::ByName, "Sub C()\nEnd Sub\nSub B()\n  x = 1\nSub A()\nEnd Sub", "", 0},
        Sorting {"/p/M.bas", ProcedureOrder::ByName, "Sub C()\nEnd Sub\nSub A()\n  x = 1", "", 0}));

TEST(ProcedureOrderTest, NamesReadBackInAnyCase)
{
    for (const auto& [name, order] :
        {std::pair {"name", ProcedureOrder::ByName}, std::pair {"KIND", ProcedureOrder::ByKind}, std::pair {" Events", ProcedureOrder::ByKindKeepingEvents}}) {
        EXPECT_EQ(procedureOrderNamed(name), order) << name;
        EXPECT_EQ(procedureOrderNamed(procedureOrderName(order)), order) << name;
    }
    EXPECT_EQ(procedureOrderNamed("size"), std::nullopt);
}

} // namespace
