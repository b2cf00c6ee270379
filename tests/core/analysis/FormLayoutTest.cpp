#include "analysis/FormLayoutReader.h"
#include "model/SourceText.h"
#include "platform/MessageBox.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace quillon::analysis;
using quillon::model::CodePage;
using quillon::model::Outcome;
using quillon::model::SourceReader;
using quillon::platform::MessageIcon;
using quillon::test::Fixture;
using quillon::test::ScriptedMessageBox;

namespace {

// A "Begin" block: its header, its property lines, then the blocks it holds.
QStringList block(const QString& header, const QStringList& properties, const QStringList& children = {})
{
    QStringList lines {QStringLiteral("Begin ") + header};
    for (const QString& line : properties + children)
        lines << QStringLiteral("   ") + line;
    return lines << QStringLiteral("End");
}

// A control block with its position and size first.
QStringList box(const QString& header, int left, int top, int width, int height, const QStringList& more = {}, const QStringList& children = {})
{
    return block(header,
        QStringList {QStringLiteral("Height          =   %1").arg(height), QStringLiteral("Left            =   %1").arg(left),
            QStringLiteral("Top             =   %1").arg(top), QStringLiteral("Width           =   %1").arg(width)}
            + more,
        children);
}

// A whole form file: the header lines, the form block holding `body`, then code.
QStringList formFile(const QStringList& body)
{
    QStringList lines {"VERSION 5.00", "Object = \"{5E9E78A0-531B-11CF-91F6-C2863C385E30}#1.0#0\"; \"MSFLXGRD.OCX\""};
    lines << block(QStringLiteral("VB.Form frmTest "),
        {"Caption         =   \"Test form\"", "ClientHeight    =   3000", "ClientLeft      =   60", "ClientWidth     =   4000"}, body);
    // What follows the first Attribute line is code (or junk), never objects.
    return lines << "Attribute VB_Name = \"frmTest\"" << box("VB.Label lblInCode", 0, 0, 100, 100) << "Private Sub Form_Load()"
                 << "End Sub";
}

QByteArray bytes(const QStringList& lines)
{
    return quillon::test::cp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// One line for the form ("NAME "CAPTION" WIDTHxHEIGHT, counts of controls, menus and layers,
// [menubar] [open UNCLOSED] [TYPE of an object other than VB.Form]"), one per control ("TYPE
// NAME(INDEX) LEFT,TOP WIDTHxHEIGHT [@ABSLEFT,ABSTOP in PARENT] LLAYER [hidden] [ends X1,Y1 X2,Y2]
// ["CAPTION"]", the parts in brackets when they say more than the rest) and one per menu.
QStringList described(const FormLayoutReader& reader)
{
    const FormRecord& f = reader.layout().form;
    QStringList out {QStringLiteral("%1 \"%2\" %3x%4 c%5 m%6 L%7")
                         .arg(f.name, f.caption)
                         .arg(f.clientWidth)
                         .arg(f.clientHeight)
                         .arg(f.controlCount)
                         .arg(f.menuCount)
                         .arg(f.layerCount)
        + (f.hasMenuBar ? " menubar" : "") + (reader.unclosedObjects() ? QStringLiteral(" open %1").arg(reader.unclosedObjects()) : QString())};
    out[0] += f.objectType.isEmpty() || f.objectType == "VB.Form" ? QString() : ' ' + f.objectType;
    for (const ControlRecord& c : reader.layout().controls) {
        QString line = c.typeName + ' ' + c.name + (c.index != -1 ? QStringLiteral("(%1)").arg(c.index) : QString())
            + QStringLiteral(" %1,%2 %3x%4").arg(c.left).arg(c.top).arg(c.width).arg(c.height);
        if (c.parent != -1 || c.absLeft != c.left || c.absTop != c.top)
            line += QStringLiteral(" @%1,%2 in %3").arg(c.absLeft).arg(c.absTop).arg(c.parent);
        line += QStringLiteral(" L%1").arg(c.layer) + (c.visible ? "" : " hidden");
        if (c.x1 || c.y1 || c.x2 || c.y2)
            line += QStringLiteral(" ends %1,%2 %3,%4").arg(c.x1).arg(c.y1).arg(c.x2).arg(c.y2);
        out << line + (c.caption.isEmpty() ? QString() : " \"" + c.caption + '"');
    }
    for (const MenuRecord& m : reader.layout().menus)
        out << QStringLiteral("menu %1 \"%2\" level %3").arg(m.name, m.caption).arg(m.level) + (m.visible ? "" : " hidden");
    return out;
}

class FormLayoutRead : public ::testing::Test {
protected:
    Outcome<void> read(const QByteArray& bytes)
    {
        path_ = fx_.write(QStringLiteral("frmTest.frm"), bytes);
        return formImage_.readFormLayout(path_);
    }
    Fixture fx_;
    QString path_;
    ScriptedMessageBox box_;
    SourceReader reader_ {CodePage::standard(), nullptr};
    FormLayoutReader formImage_ {reader_, &box_};
};

// One reader reads every case in turn: each reading starts afresh.
TEST_F(FormLayoutRead, ObjectsPositionsLayersAndMenus)
{
    const QString form = QStringLiteral("frmTest \"Test form\" 4000x3000 ");
    const QString longCaption(70000, QLatin1Char('W'));
    const struct {
        const char* rule;
        QStringList file;
        QStringList expected;
    } cases[] = {
        {"nothing is read after the form's block",
            QStringList {"VERSION 5.00"} + block("VB.Form frmB", {}, box("VB.Label lblA", 0, 0, 100, 100)) + box("VB.Label lblLate", 0, 0, 100, 100),
            {"frmB \"\" 0x0 c1 m0 L1", "VB.Label lblA 0,0 100x100 L1"}},
        {"a line's box from its end points, which are kept as written",
            formFile(block("VB.Line linFall", {"X1 = 500", "X2              =   100", "Y1 = 300", "Y2 = 900"})),
            {form + "c1 m0 L1", "VB.Line linFall 100,300 400x600 L1 ends 500,300 100,900"}},
        {"controls without area get no layer", formFile(box("VB.Label lblThin", 0, 0, 1, 0) + box("VB.Label lblDot", 0, 0, 1, 1)),
            {form + "c2 m0 L1", "VB.Label lblThin 0,0 1x0 L0", "VB.Label lblDot 0,0 1x1 L1"}},
        {"covering more than half of the smaller control opens a layer, as many as it takes; exactly half, or a "
         "container over what it holds, does not",
            formFile(box("VB.CommandButton cmdA", 0, 0, 1000, 500) + box("VB.CommandButton cmdB", 400, 0, 1000, 500)
                + box("VB.CommandButton cmdC", 0, 250, 1000, 500)
                + box("VB.Frame fraBox", 2000, 0, 1500, 1500, {}, box("VB.CommandButton cmdIn", 100, 100, 1300, 1300))
                + box("VB.CommandButton cmdD", 0, 0, 1000, 500)),
            {form + "c6 m0 L3", "VB.CommandButton cmdA 0,0 1000x500 L1", "VB.CommandButton cmdB 400,0 1000x500 L2", "VB.CommandButton cmdC 0,250 1000x500 L1",
                "VB.Frame fraBox 2000,0 1500x1500 L1", "VB.CommandButton cmdIn 100,100 1300x1300 @2100,100 in 4 L1", "VB.CommandButton cmdD 0,0 1000x500 L3"}},
        {"what a container on a later layer holds starts on that layer, though the first would have room",
            formFile(box("VB.Frame fraA", 0, 0, 1000, 2000) + box("VB.Frame fraB", 100, 100, 2000, 2000, {}, box("VB.CommandButton cmdIn", 1400, 10, 500, 300))
                + box("VB.CommandButton cmdFar", 5000, 5000, 500, 300)),
            {form + "c4 m0 L2", "VB.Frame fraA 0,0 1000x2000 L1", "VB.Frame fraB 100,100 2000x2000 L2",
                "VB.CommandButton cmdIn 1400,10 500x300 @1500,110 in 2 L2", "VB.CommandButton cmdFar 5000,5000 500x300 L1"}},
        {"hidden controls are layered after the visible ones",
            formFile(box("VB.CommandButton cmdHidden", 0, 0, 1000, 500, {"Visible         =   0   'False"})
                + box("VB.CommandButton cmdShown", 0, 0, 1000, 500, {"Visible         =   -1  'True"})),
            {form + "c2 m0 L2", "VB.CommandButton cmdHidden 0,0 1000x500 L2 hidden", "VB.CommandButton cmdShown 0,0 1000x500 L1"}},
        {"an array index of 0; numbers round half to even, take E and D exponents and ignore what follows",
            formFile(box("VB.CommandButton cmdAction", 0, 0, 100, 100, {"Index           =   0"})
                + block("VB.Label lblNumbers", {"Left = 1200.5", "Top = 1201.5", "Width = 1E3", "Height = 12abc", "Index = -2.5"})
                + block("VB.Label lblNone", {"Left = abc", "Top = 2.5D2", "Width = +7", "Height = .75"})),
            {form + "c3 m0 L1", "VB.CommandButton cmdAction(0) 0,0 100x100 L1", "VB.Label lblNumbers(-2) 1200,1202 1000x12 L1",
                "VB.Label lblNone 0,250 7x1 L1"}},
        {"menus nest three deep and the next top-level one is back at level 0",
            formFile(block("VB.Menu mnuFile", {"Caption = \"&File\""},
                         block("VB.Menu mnuRecent", {"Caption = \"Recent\""}, block("VB.Menu mnuItem", {"Caption = \"one\""})))
                + block("VB.Menu mnuHelp", {"Caption = \"&Help\""})),
            {form + "c0 m4 L0 menubar", "menu mnuFile \"&File\" level 0", "menu mnuRecent \"Recent\" level 1", "menu mnuItem \"one\" level 2",
                "menu mnuHelp \"&Help\" level 0"}},
        {"only a visible, captioned top-level menu makes a menu bar",
            formFile(block("VB.Menu mnuSep", {"Caption = \"-\""})
                + block("VB.Menu mnuHidden", {"Caption = \"&Popup\"", "Visible = 0   'False"}, block("VB.Menu mnuIn", {"Caption = \"In\""}))),
            {form + "c0 m3 L0", "menu mnuSep \"-\" level 0", "menu mnuHidden \"&Popup\" level 0 hidden", "menu mnuIn \"In\" level 1"}},
        {"property groups, nested, change nothing of their control and begin no object",
            formFile(block("VB.Label lblTitle",
                {"Caption         =   \"Title\"", "BeginProperty Font ", "   Name            =   \"Arial\"", "   Left = 9999", "   Caption = \"font\"",
                    "EndProperty", "BeginProperty ListImages {2C247F25-8591-11D1-B16A-00C0F0283628} ",
                    "   BeginProperty ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} ", "      Begin VB.Label lblFake ", "      Width = 5", "      End",
                    "   EndProperty", "   Visible = 0", "EndProperty", "Height = 495", "Left = 240", "Top = 360", "Width = 4455"})),
            {form + "c1 m0 L1", "VB.Label lblTitle 240,360 4455x495 L1 \"Title\""}},
        {"captions: a text box's Text, a missing closing quote, bare words, \"=\"",
            formFile(block("VB.TextBox txtName", {"Text = \"Anna\""}) + block("VB.Label lblOpen", {"Caption = \"open"})
                + block("VB.Label lblBare", {"Caption = bare words"}) + block("VB.Label lblEquals", {"Caption = \"a = b\""})),
            {form + "c4 m0 L0", "VB.TextBox txtName 0,0 0x0 L0 \"Anna\"", "VB.Label lblOpen 0,0 0x0 L0 \"open\"", "VB.Label lblBare 0,0 0x0 L0 \"bare words\"",
                "VB.Label lblEquals 0,0 0x0 L0 \"a = b\""}},
        {"a file cut off inside a frame: what was read stands, blocks never ended are not drawn",
            QStringList {"VERSION 5.00", "Begin VB.Form frmCut", "Begin VB.CommandButton cmdA", "Width = 500", "Height = 500", "End", "Begin VB.Frame fraCut",
                "Left = 600", "Width = 1000", "Height = 1000", "Begin VB.CommandButton cmdIn", "Left = 10", "Width = 200", "Height = 200"},
            {"frmCut \"\" 0x0 c3 m0 L1 open 3", "VB.CommandButton cmdA 0,0 500x500 L1", "VB.Frame fraCut 600,0 1000x1000 L0",
                "VB.CommandButton cmdIn 10,0 200x200 @610,0 in 2 L0"}},
        {"a user control: its own properties (and a user document's) read past, a control array",
            block("VB.UserControl uc", {"ClientHeight = 15", "ClientWidth = 36", "PropertyPages = \"u.ctx\":0000", "HScrollSmallChange=   225"},
                box("VB.Label lbl", 0, 0, 9, 9, {"Index = 0"}) + box("VB.Label lbl", 10, 0, 9, 9, {"Index = 1"})
                    + box("VB.Label lbl", 20, 0, 9, 9, {"Index = 2"}) + box("VB.Label lbl", 30, 0, 9, 9, {"Index = 3"})),
            {"uc \"\" 36x15 c4 m0 L1 VB.UserControl", "VB.Label lbl(0) 0,0 9x9 L1", "VB.Label lbl(1) 10,0 9x9 L1", "VB.Label lbl(2) 20,0 9x9 L1",
                "VB.Label lbl(3) 30,0 9x9 L1"}},
        {"a very long line is read whole", formFile(block("VB.Label lblLong", {"Caption = \"" + longCaption + "\"", "Width = 10", "Height = 10"})),
            {form + "c1 m0 L1", "VB.Label lblLong 0,0 10x10 L1 \"" + longCaption + "\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const Outcome<void> done = read(bytes(c.file));
        ASSERT_TRUE(done) << done.error().toStdString();
        EXPECT_EQ(described(formImage_), c.expected);
    }
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(FormLayoutRead, FailuresLeaveNothingAndShowOneMessageWithTheReason)
{
    const QString cannot = QStringLiteral("Form layout could not be read:\r\n%1\r\n");
    const QString noBlock = QStringLiteral("No form layout block found in:\r\n%1");
    const struct {
        QByteArray bytes;
        QString message;
        qint64 size = 0; // grown to this size (sparse) after writing
    } cases[] = {
        {bytes(formFile(block("VB.Label lblBig", {"Left = 99999999999"}))), cannot + "Line 9: the value of Left is out of range: 99999999999"},
        {bytes(formFile(block("VB.Label lblBig", {"Index = 40000"}))), cannot + "Line 9: the value of Index is out of range: 40000"},
        {bytes(formFile(block("VB.Line linLong", {"X1 = -2000000000", "X2 = 2000000000"}))), cannot + "Line 11: the line linLong is too long to be drawn."},
        // Each value fits, their sum on the form does not.
        {bytes(formFile(box("VB.Frame fraFar", 2000000000, 0, 100, 100, {}, box("VB.Label lblFar", 2000000000, 0, 100, 100)))),
            cannot + "a control lies too far from the form's corner to be placed."},
        {"Begin VB.Form frmHuge\r\n", cannot + "it is too large to be a source file", SourceReader::kMaxFileBytes + 1},
        {bytes({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1", "END"}), noBlock},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        ASSERT_TRUE(read(bytes(formFile(box("VB.Label lblBefore", 0, 0, 100, 100)))));
        path_ = fx_.write(QStringLiteral("bad.frm"), c.bytes);
        ASSERT_TRUE(c.size == 0 || QFile::resize(path_, c.size));
        box_.shown.clear();
        EXPECT_EQ(formImage_.readFormLayout(path_).error(), c.message.arg(path_));
        ASSERT_EQ(box_.shown.size(), 1u);
        EXPECT_EQ(box_.shown[0].title, QStringLiteral("Form Image"));
        EXPECT_EQ(box_.shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(box_.shown[0].text, c.message.arg(path_));
        EXPECT_EQ(described(formImage_), QStringList {" \"\" 0x0 c0 m0 L0"}) << "the earlier result is gone";
    }
    // 63 objects deep (the form and 62 frames, each 10 twips across and 20 down in the one
    // before) is as deep as a form may nest; each frame's offset adds to those around it.
    QStringList nested;
    for (int level = 62; level >= 1; --level)
        nested = box(QStringLiteral("VB.Frame fra%1").arg(level), 10, 20, 5000, 5000, {}, nested);
    ASSERT_TRUE(read(bytes(formFile(nested))));
    EXPECT_EQ(described(formImage_).last(), "VB.Frame fra62 10,20 5000x5000 @620,1240 in 61 L1");
}

// A layout built by hand: 1 a hidden frame holding 2, which holds 3; 4 covers 60 % of 1; 5 is
// empty; 6 and 7 are 60000 twips square, past 32 bits in area.
TEST(FormLayoutQueries, VisibilityOverlapAndParentLoops)
{
    FormLayout l;
    auto add = [&](int left, int top, int width, int height, int parent, bool visible = true) {
        ControlRecord c;
        c.absLeft = left, c.absTop = top, c.width = width, c.height = height;
        c.parent = qint16(parent), c.visible = visible, c.hasSize = width > 0 && height > 0;
        l.controls.push_back(c);
    };
    add(0, 0, 1000, 1000, -1, false), add(100, 100, 400, 400, 1), add(150, 150, 100, 100, 2), add(400, 0, 1000, 1000, -1);
    add(0, 0, 0, 500, -1), add(0, 0, 60000, 60000, -1), add(0, 0, 60000, 60000, -1);
    using namespace placement;
    // Visible only when every container is; numbers outside the controls are not.
    EXPECT_EQ(QList<bool>(
                  {isEffectivelyVisible(l, 2), isEffectivelyVisible(l, 1), isEffectivelyVisible(l, 4), isEffectivelyVisible(l, 0), isEffectivelyVisible(l, 8)}),
        QList<bool>({false, false, true, false, false}));
    // The share of the smaller control covered; nothing for an empty one or one outside.
    EXPECT_EQ(QList<float>({overlapRatio(l, 1, 4), overlapRatio(l, 6, 7), overlapRatio(l, 1, 5), overlapRatio(l, 0, 1), overlapRatio(l, 1, 8)}),
        QList<float>({0.6f, 1, 0, 0, 0}));
    // A Parent loop (no reading makes one) ends the walks instead of hanging them.
    l.controls.resize(2);
    l.controls[0].parent = 2;
    l.controls[1].parent = 1;
    l.controls[0].visible = true;
    EXPECT_TRUE(isAncestor(l, 2, 1));
    EXPECT_FALSE(isAncestor(l, 3, 1));
    EXPECT_TRUE(isEffectivelyVisible(l, 1));
    EXPECT_TRUE(computeAbsolutePositions(l));
    assignLayers(l);
    EXPECT_EQ(l.form.layerCount, 1) << "each is the other's ancestor";
}

} // namespace
