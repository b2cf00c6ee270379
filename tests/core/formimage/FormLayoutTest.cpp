#include "formimage/FormLayoutReader.h"
#include "model/SourceText.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace quillon::formimage;
using quillon::model::CodePage;
using quillon::model::SourceReader;
using quillon::platform::MsgIcon;
using quillon::platform::ScriptedMessageBox;
using quillon::test::Fixture;

namespace {

// A "Begin" block: its header, its property lines, then the blocks it holds.
QStringList Block(const QString& header, const QStringList& properties, const QStringList& children = {})
{
    QStringList lines{QStringLiteral("Begin ") + header};
    for (const QString& property : properties)
        lines << QStringLiteral("   ") + property;
    for (const QString& child : children)
        lines << QStringLiteral("   ") + child;
    lines << QStringLiteral("End");
    return lines;
}

// A control block with its position and size first.
QStringList Box(const QString& header, int left, int top, int width, int height, const QStringList& more = {},
                const QStringList& children = {})
{
    QStringList properties{QStringLiteral("Height          =   %1").arg(height),
                           QStringLiteral("Left            =   %1").arg(left),
                           QStringLiteral("Top             =   %1").arg(top),
                           QStringLiteral("Width           =   %1").arg(width)};
    return Block(header, properties + more, children);
}

// A whole form file: the header lines, the form block holding `body`, then code.
QStringList FormFile(const QStringList& body, const QStringList& formProperties = {})
{
    QStringList properties{"Caption         =   \"Test form\"", "ClientHeight    =   3000",
                           "ClientLeft      =   60", "ClientWidth     =   4000"};
    QStringList lines{"VERSION 5.00", "Object = \"{5E9E78A0-531B-11CF-91F6-C2863C385E30}#1.0#0\"; \"MSFLXGRD.OCX\""};
    lines << Block(QStringLiteral("VB.Form frmTest "), properties + formProperties, body);
    lines << "Attribute VB_Name = \"frmTest\"" << "Option Explicit" << "Private Sub Form_Load()" << "End Sub";
    return lines;
}

// `depth` frames, each inside the previous one, 10 twips in from its corner.
QStringList NestedFrames(int depth)
{
    QStringList lines;
    for (int level = depth; level >= 1; --level)
        lines = Box(QStringLiteral("VB.Frame fra%1").arg(level), 10, 20, 5000, 5000, {}, lines);
    return lines;
}

class FormLayoutRead : public ::testing::Test {
protected:
    bool Read(const QStringList& lines)
    {
        path = fx.writeLines(QStringLiteral("frmTest.frm"), lines);
        return formImage.ReadFormLayout(path);
    }
    bool ReadForm(const QStringList& body) { return Read(FormFile(body)); }
    const FormLayout& layout() const { return formImage.Layout(); }
    const ControlRecord& control(int n) const { return formImage.Layout().Control(n); }
    // Where control n lies: "LEFT,TOP WIDTHxHEIGHT at ABSLEFT,ABSTOP in PARENT layer LAYER".
    QString Placed(int n) const
    {
        const ControlRecord& c = control(n);
        return QStringLiteral("%1,%2 %3x%4 at %5,%6 in %7 layer %8")
            .arg(c.Left).arg(c.Top).arg(c.Width).arg(c.Height).arg(c.AbsLeft).arg(c.AbsTop).arg(c.Parent).arg(c.Layer);
    }
    // The single message shown, or a failure.
    QString OnlyMessage() const
    {
        if (box.shown.size() != 1)
            return QStringLiteral("%1 messages shown").arg(box.shown.size());
        EXPECT_EQ(box.shown[0].title, QStringLiteral("Form Image"));
        EXPECT_EQ(box.shown[0].icon, MsgIcon::Exclamation);
        return box.shown[0].text;
    }

    Fixture fx;
    QString path;
    ScriptedMessageBox box;
    SourceReader reader{CodePage::Default(), nullptr};
    modFormImagePrint formImage{reader, &box};
};

TEST_F(FormLayoutRead, FormControlsAndMenusOfAPlainForm)
{
    ASSERT_TRUE(ReadForm(Box("VB.CommandButton cmdOK", 120, 240, 1215, 375,
                             {"Caption         =   \"OK\"", "BackColor       =   &H8000000F&", "TabIndex        =   3"})
                         + Box("VB.TextBox txtName", 120, 720, 2000, 315, {"Text            =   \"Anna\""})
                         + Block("VB.Menu mnuFile", {"Caption         =   \"&File\""})));
    EXPECT_TRUE(box.shown.empty());
    const FormRecord& form = layout().Form;
    EXPECT_EQ(form.Name, "frmTest");
    EXPECT_EQ(form.Caption, "Test form");
    EXPECT_EQ(form.ClientWidth, 4000);
    EXPECT_EQ(form.ClientHeight, 3000);
    EXPECT_TRUE(form.HasMenuBar);
    EXPECT_EQ(form.ControlCount, 2);
    EXPECT_EQ(form.MenuCount, 1);
    EXPECT_EQ(form.LayerCount, 1);

    const ControlRecord& ok = control(1);
    EXPECT_EQ(ok.TypeName, "VB.CommandButton");
    EXPECT_EQ(ok.Name, "cmdOK");
    EXPECT_EQ(ok.Index, -1);
    EXPECT_EQ(ok.Caption, "OK");
    EXPECT_TRUE(ok.Visible);
    EXPECT_TRUE(ok.HasSize);
    EXPECT_EQ(Placed(1), "120,240 1215x375 at 120,240 in -1 layer 1");
    EXPECT_EQ(control(2).Caption, "Anna") << "a text box's Text stands for its caption";
    EXPECT_EQ(layout().Menu(1).Caption, "&File");
    EXPECT_EQ(formImage.UnclosedObjects(), 0);
}

TEST_F(FormLayoutRead, ReadingStopsAtTheFirstAttributeLineAndAfterTheFormEnds)
{
    QStringList lines = FormFile(Box("VB.Label lblA", 0, 0, 100, 100));
    // Lines past the form's block are code (or junk) and never objects.
    lines << Box("VB.Label lblAfterAttribute", 0, 0, 100, 100);
    ASSERT_TRUE(Read(lines));
    EXPECT_EQ(layout().Form.ControlCount, 1);

    QStringList noAttributes{"VERSION 5.00"};
    noAttributes << Block("VB.Form frmB", {}, Box("VB.Label lblA", 0, 0, 100, 100))
                 << Box("VB.Label lblAfterEnd", 0, 0, 100, 100);
    ASSERT_TRUE(Read(noAttributes));
    EXPECT_EQ(layout().Form.Name, "frmB");
    EXPECT_EQ(layout().Form.ControlCount, 1);
}

TEST_F(FormLayoutRead, LineControlIsOrderedAndKeepsItsEndPointsAsWritten)
{
    ASSERT_TRUE(ReadForm(
        Block("VB.Line linFall", {"X1              =   500", "X2              =   100", "Y1              =   300",
                                  "Y2              =   900"})
        + Block("VB.Line linFlat", {"X1 = 100", "X2 = 2100", "Y1 = 700", "Y2 = 700"})));
    EXPECT_EQ(Placed(1), "100,300 400x600 at 100,300 in -1 layer 1");
    EXPECT_TRUE(control(1).HasSize);
    const ControlRecord& fall = control(1);
    EXPECT_EQ(QList<qint32>({fall.X1, fall.Y1, fall.X2, fall.Y2}), QList<qint32>({500, 300, 100, 900}));
    // A horizontal line has no height and is still drawn.
    EXPECT_EQ(Placed(2), "100,700 2000x0 at 100,700 in -1 layer 1");
    EXPECT_TRUE(control(2).HasSize);
}

TEST_F(FormLayoutRead, ControlsWithoutAreaAreNeitherLayeredNorDrawn)
{
    ASSERT_TRUE(ReadForm(Box("VB.Timer tmrTick", 4320, 1920, 0, 0) + Box("VB.Label lblThin", 0, 0, 1, 0)
                         + Box("VB.Label lblDot", 0, 0, 1, 1) + Box("VB.Label lblBack", 0, 0, -100, 50)));
    EXPECT_FALSE(control(1).HasSize);
    EXPECT_EQ(control(1).Layer, 0);
    EXPECT_FALSE(control(2).HasSize);
    EXPECT_TRUE(control(3).HasSize);
    EXPECT_EQ(control(3).Layer, 1);
    EXPECT_FALSE(control(4).HasSize);
    EXPECT_EQ(control(4).Layer, 0);
}

TEST_F(FormLayoutRead, ContainersAddTheirOffsetsAndAreTheParents)
{
    ASSERT_TRUE(ReadForm(Box("VB.PictureBox picOuter", 120, 100, 3000, 2000, {},
                             Box("VB.Frame fraInner", 200, 300, 2500, 1500, {},
                                 Box("VB.CommandButton cmdDeep", 50, 70, 600, 300)))
                         + Box("VB.CommandButton cmdTop", 3300, 100, 600, 300)));
    EXPECT_EQ(Placed(2), "200,300 2500x1500 at 320,400 in 1 layer 1");
    EXPECT_EQ(Placed(3), "50,70 600x300 at 370,470 in 2 layer 1");
    EXPECT_EQ(Placed(4), "3300,100 600x300 at 3300,100 in -1 layer 1");
    EXPECT_TRUE(modFormImage_v2::IsAncestor(layout(), 1, 3));
    EXPECT_TRUE(modFormImage_v2::IsAncestor(layout(), 2, 3));
    EXPECT_FALSE(modFormImage_v2::IsAncestor(layout(), 3, 1));
    EXPECT_FALSE(modFormImage_v2::IsAncestor(layout(), 4, 3));
    EXPECT_FALSE(modFormImage_v2::IsAncestor(layout(), 3, 3)) << "a control is not its own ancestor";
    // Everything nested lies within its containers: one layer.
    EXPECT_EQ(layout().Form.LayerCount, 1);
}

TEST_F(FormLayoutRead, OverlapBeyondHalfOfTheSmallerControlOpensANewLayer)
{
    // cmdB covers 60 % of cmdA; cmdC covers cmdA by exactly half, which is not more than half.
    ASSERT_TRUE(ReadForm(Box("VB.CommandButton cmdA", 0, 0, 1000, 500)
                         + Box("VB.CommandButton cmdB", 400, 0, 1000, 500)
                         + Box("VB.CommandButton cmdC", 0, 250, 1000, 500)
                         + Box("VB.Frame fraBox", 2000, 0, 1500, 1500, {},
                               Box("VB.CommandButton cmdIn", 100, 100, 1300, 1300))));
    EXPECT_FLOAT_EQ(modFormImage_v2::OverlapRatio(layout(), 1, 2), 0.6f);
    EXPECT_FLOAT_EQ(modFormImage_v2::OverlapRatio(layout(), 2, 1), 0.6f);
    EXPECT_FLOAT_EQ(modFormImage_v2::OverlapRatio(layout(), 1, 3), 0.5f);
    EXPECT_EQ(control(1).Layer, 1);
    EXPECT_EQ(control(2).Layer, 2);
    EXPECT_EQ(control(3).Layer, 1);
    // The button fills most of its frame, yet they share a layer.
    EXPECT_GT(modFormImage_v2::OverlapRatio(layout(), 4, 5), 0.5f);
    EXPECT_EQ(control(4).Layer, 1);
    EXPECT_EQ(control(5).Layer, 1);
    EXPECT_EQ(layout().Form.LayerCount, 2);
}

TEST_F(FormLayoutRead, ControlsOfAContainerOnALaterLayerStartOnItsLayer)
{
    ASSERT_TRUE(ReadForm(Box("VB.Frame fraA", 0, 0, 2000, 2000)
                         + Box("VB.Frame fraB", 100, 100, 2000, 2000, {},
                               Box("VB.CommandButton cmdIn", 10, 10, 500, 300))
                         + Box("VB.CommandButton cmdFar", 5000, 5000, 500, 300)));
    EXPECT_EQ(control(2).Layer, 2);
    EXPECT_EQ(control(3).Layer, 2) << "inside a layer-2 frame although nothing of layer 1 is in the way";
    EXPECT_EQ(control(4).Layer, 1);
}

TEST_F(FormLayoutRead, HiddenControlsAndTheirContentsAreLayeredAfterTheVisibleOnes)
{
    ASSERT_TRUE(ReadForm(Box("VB.CommandButton cmdHidden", 0, 0, 1000, 500, {"Visible         =   0   'False"})
                         + Box("VB.CommandButton cmdShown", 0, 0, 1000, 500, {"Visible         =   -1  'True"})
                         + Box("VB.Frame fraHidden", 3000, 0, 1000, 1000, {"Visible = 0"},
                               Box("VB.Label lblInside", 10, 10, 500, 300))));
    EXPECT_FALSE(control(1).Visible);
    EXPECT_TRUE(control(2).Visible);
    EXPECT_TRUE(control(4).Visible) << "its own Visible is untouched by the frame's";
    EXPECT_FALSE(modFormImage_v2::IsEffectivelyVisible(layout(), 1));
    EXPECT_TRUE(modFormImage_v2::IsEffectivelyVisible(layout(), 2));
    EXPECT_FALSE(modFormImage_v2::IsEffectivelyVisible(layout(), 3));
    EXPECT_FALSE(modFormImage_v2::IsEffectivelyVisible(layout(), 4)) << "hidden through its frame";
    // The visible button takes layer 1 although the hidden one comes first in the file.
    EXPECT_EQ(control(2).Layer, 1);
    EXPECT_EQ(control(1).Layer, 2);
    EXPECT_EQ(control(3).Layer, 1);
    EXPECT_EQ(control(4).Layer, 1);
}

TEST_F(FormLayoutRead, ControlArrayIndexAndNumbersAsVb6WritesThem)
{
    ASSERT_TRUE(ReadForm(Box("VB.CommandButton cmdAction", 0, 0, 100, 100, {"Index           =   0"})
                         + Box("VB.CommandButton cmdAction", 0, 200, 100, 100, {"Index           =   3"})
                         + Block("VB.Label lblNumbers", {"Left = 1200.5", "Top = 1201.5", "Width = 1E3",
                                                        "Height = 12abc", "Index = -2.5"})
                         + Block("VB.Label lblNone", {"Left = abc", "Top = 2.5D2", "Width = +7", "Height = .75"})));
    EXPECT_EQ(control(1).Index, 0);
    EXPECT_EQ(control(2).Index, 3);
    EXPECT_EQ(control(2).Name, control(1).Name);
    // Halves round to the even number; text after the number does not count.
    EXPECT_EQ(Placed(3), "1200,1202 1000x12 at 1200,1202 in -1 layer 1");
    EXPECT_EQ(control(3).Index, -2);
    EXPECT_EQ(Placed(4), "0,250 7x1 at 0,250 in -1 layer 2") << "on the second button";
}

TEST_F(FormLayoutRead, MenusThreeLevelsDeepWithSeparators)
{
    ASSERT_TRUE(ReadForm(
        Box("VB.CommandButton cmdOK", 0, 0, 100, 100)
        + Block("VB.Menu mnuFile", {"Caption = \"&File\""},
                Block("VB.Menu mnuFileOpen", {"Caption = \"&Open\""})
                    + Block("VB.Menu mnuFileRecent", {"Caption = \"Recent\""},
                            Block("VB.Menu mnuFileRecentItem", {"Caption = \"one\"", "Index = 0"}))
                    + Block("VB.Menu mnuFileSep", {"Caption = \"-\""})
                    + Block("VB.Menu mnuFileExit", {"Caption = \"E&xit\"", "Visible = 0"}))
        + Block("VB.Menu mnuHelp", {"Caption = \"&Help\""})));
    const FormLayout& l = layout();
    ASSERT_EQ(l.Form.MenuCount, 7);
    EXPECT_EQ(l.Form.ControlCount, 1) << "menus are not controls";
    const QList<int> levels{0, 1, 1, 2, 1, 1, 0};
    for (int m = 1; m <= 7; ++m)
        EXPECT_EQ(l.Menu(m).Level, levels[m - 1]) << m;
    EXPECT_EQ(l.Menu(4).Name, "mnuFileRecentItem");
    EXPECT_EQ(l.Menu(5).Caption, "-");
    EXPECT_FALSE(l.Menu(6).Visible);
    EXPECT_TRUE(l.Form.HasMenuBar);

    EXPECT_TRUE(modFormImage_v2::MenuHasSubItems(l, 1, 1));
    EXPECT_TRUE(modFormImage_v2::MenuHasSubItems(l, 3, 2));
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 2, 2)) << "the next entry is of level 1";
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 4, 3));
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 6, 1)) << "a menu-bar entry follows";
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 7, 1)) << "the last menu";
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 0, 1));
    EXPECT_FALSE(modFormImage_v2::MenuHasSubItems(l, 99, 1));
}

TEST_F(FormLayoutRead, OnlyAVisibleCaptionedTopLevelMenuMakesAMenuBar)
{
    ASSERT_TRUE(ReadForm(Block("VB.Menu mnuSep", {"Caption = \"-\""})
                         + Block("VB.Menu mnuHidden", {"Caption = \"&Popup\"", "Visible = 0   'False"},
                                 Block("VB.Menu mnuPopupItem", {"Caption = \"Item\""}))));
    EXPECT_FALSE(layout().Form.HasMenuBar);
    EXPECT_FALSE(layout().Menu(2).Visible);
    EXPECT_TRUE(layout().Menu(3).Visible);
}

TEST_F(FormLayoutRead, PropertyGroupsChangeNothingOfTheirControl)
{
    ASSERT_TRUE(ReadForm(Block(
        "VB.Label lblTitle",
        {"Caption         =   \"Title\"", "BeginProperty Font ", "   Name            =   \"Arial\"",
         "   Size            =   18", "   Left = 9999", "   Caption = \"font\"", "EndProperty",
         "BeginProperty ListImages {2C247F25-8591-11D1-B16A-00C0F0283628} ", "   NumListImages   =   1",
         "   BeginProperty ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} ", "      Begin VB.Label lblFake ",
         "      Width = 5", "      End", "   EndProperty", "   Visible = 0", "EndProperty", "Height          =   495",
         "Left            =   240", "Top             =   360", "Width           =   4455"})));
    ASSERT_EQ(layout().Form.ControlCount, 1) << "no object begins inside a property group";
    const ControlRecord& title = control(1);
    EXPECT_EQ(title.Name, "lblTitle");
    EXPECT_EQ(title.Caption, "Title");
    EXPECT_EQ(title.Left, 240);
    EXPECT_EQ(title.Width, 4455);
    EXPECT_TRUE(title.Visible);
    EXPECT_EQ(formImage.UnclosedObjects(), 0) << "the group's \"End\" closed nothing";
}

TEST_F(FormLayoutRead, QuotedCaptions)
{
    ASSERT_TRUE(ReadForm(Block("VB.Label lblQuote", {"Caption = \"Say \"\"Hi\"\" to \"\"Bob\"\"\""})
                         + Block("VB.Label lblOpen", {"Caption = \"no closing quote"})
                         + Block("VB.Label lblBare", {"Caption = bare words"})
                         + Block("VB.Label lblEmpty", {"Caption = \"\""})
                         + Block("VB.Label lblEquals", {"Caption = \"a = b\""})
                         + Block("VB.Label lblTab", {"Caption = \"x\ty\\z\""})));
    EXPECT_EQ(control(1).Caption, "Say \"Hi\" to \"Bob\"");
    EXPECT_EQ(control(2).Caption, "no closing quote");
    EXPECT_EQ(control(3).Caption, "bare words");
    EXPECT_EQ(control(4).Caption, "");
    EXPECT_EQ(control(5).Caption, "a = b");
    EXPECT_EQ(control(6).Caption, "x\ty\\z");
}

TEST_F(FormLayoutRead, CaptionsInTheReadersCodePage)
{
    // "Καλημέρα" in Windows-1253.
    const QByteArray greek = "VERSION 5.00\r\nBegin VB.Form frmGreek\r\n   Caption = \"\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1\"\r\n"
                             "End\r\nAttribute VB_Name = \"frmGreek\"\r\n";
    const QString file = fx.write(QStringLiteral("greek.frm"), greek);
    const SourceReader greekReader(*CodePage::Find(QStringLiteral("windows-1253")), nullptr);
    modFormImagePrint greekImage(greekReader, &box);
    ASSERT_TRUE(greekImage.ReadFormLayout(file));
    EXPECT_EQ(greekImage.Layout().Form.Caption, QString::fromUtf8("Καλημέρα"));
    ASSERT_TRUE(formImage.ReadFormLayout(file));
    EXPECT_EQ(layout().Form.Caption, QString::fromUtf8("ÊáëçìÝñá")) << "the same bytes in Windows-1252";
}

TEST_F(FormLayoutRead, NestingUpToTheLimitReadsAndBeyondItFailsWithAMessage)
{
    for (const int depth : {60, 62}) {
        ASSERT_TRUE(ReadForm(NestedFrames(depth))) << depth << ": " << OnlyMessage().toStdString();
        ASSERT_EQ(layout().Form.ControlCount, depth);
        EXPECT_EQ(Placed(depth), QStringLiteral("10,20 5000x5000 at %1,%2 in %3 layer 1").arg(10 * depth).arg(20 * depth).arg(depth - 1));
        EXPECT_TRUE(modFormImage_v2::IsAncestor(layout(), 1, depth));
        EXPECT_EQ(layout().Form.LayerCount, 1);
    }
    // The form and 62 frames fill the 63 places. The form's properties end on line 7 and
    // frame k opens on line 8 + 5 (k - 1): the 63rd on line 318.
    for (const int depth : {63, 64}) {
        box.shown.clear();
        EXPECT_FALSE(ReadForm(NestedFrames(depth))) << depth;
        EXPECT_EQ(OnlyMessage(), "Form layout could not be read:\r\n" + path
                                     + "\r\nLine 318: objects are nested more than 63 levels deep.");
        EXPECT_TRUE(layout().Controls.empty());
        EXPECT_TRUE(layout().Form.Name.isEmpty());
    }
}

TEST_F(FormLayoutRead, MissingFileAndFilesWithoutALayoutBlock)
{
    ASSERT_TRUE(ReadForm(Box("VB.Label lblA", 0, 0, 100, 100)));
    const QString missing = fx.path(QStringLiteral("gone.frm"));
    EXPECT_FALSE(formImage.ReadFormLayout(missing));
    EXPECT_EQ(OnlyMessage(), "Form file not found:\r\n" + missing);
    EXPECT_EQ(formImage.LastMessage(), "Form file not found:\r\n" + missing);
    EXPECT_TRUE(layout().Controls.empty()) << "the earlier result is gone";

    EXPECT_FALSE(formImage.ReadFormLayout(fx.path()));
    EXPECT_EQ(box.shown.back().text, "Form file not found:\r\n" + fx.path()) << "a folder is no form file";

    for (const QStringList& lines : {QStringList{"Attribute VB_Name = \"modA\"", "Begin VB.Form frmLate", "End"},
                                     QStringList{}, QStringList{"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1", "END"}}) {
        box.shown.clear();
        EXPECT_FALSE(Read(lines));
        EXPECT_EQ(OnlyMessage(), "No form layout block found in:\r\n" + path);
    }
}

TEST_F(FormLayoutRead, BinaryAndTruncatedFiles)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 37) % 256);
    path = fx.write(QStringLiteral("binary.frm"), binary);
    EXPECT_FALSE(formImage.ReadFormLayout(path));
    EXPECT_TRUE(formImage.LooksBinary());
    EXPECT_EQ(OnlyMessage(), "No form layout block found in:\r\n" + path);

    // Cut off inside a frame: what was read stands, the open blocks are counted.
    QStringList truncated = FormFile(Box("VB.CommandButton cmdA", 0, 0, 500, 500)
                                     + Box("VB.Frame fraCut", 600, 0, 1000, 1000, {},
                                           Box("VB.CommandButton cmdIn", 10, 10, 200, 200)));
    qsizetype cut = truncated.size();
    while (cut > 0 && truncated[cut - 1].trimmed() != "Width           =   200")
        --cut;
    truncated = truncated.mid(0, cut);
    box.shown.clear();
    ASSERT_TRUE(Read(truncated));
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(formImage.LooksBinary());
    EXPECT_EQ(formImage.UnclosedObjects(), 3);
    EXPECT_EQ(layout().Form.ControlCount, 3);
    EXPECT_TRUE(control(1).HasSize);
    EXPECT_FALSE(control(3).HasSize) << "its block never ended";
    EXPECT_EQ(control(3).AbsLeft, 610);
}

TEST_F(FormLayoutRead, AFileTooLargeForSourceIsRefusedWithTheReason)
{
    // A sparse file past the reader's size limit takes no disk space.
    path = fx.write(QStringLiteral("huge.frm"), "Begin VB.Form frmHuge\r\n");
    ASSERT_TRUE(QFile::resize(path, SourceReader::kMaxFileBytes + 1));
    EXPECT_FALSE(formImage.ReadFormLayout(path));
    EXPECT_EQ(OnlyMessage(), "Form layout could not be read:\r\n" + path + "\r\nit is too large to be a source file");
}

TEST_F(FormLayoutRead, AFileWithoutReadPermissionIsRefusedWithTheReason)
{
    path = fx.writeLines(QStringLiteral("locked.frm"), FormFile({}));
    QFile::setPermissions(path, QFileDevice::Permissions());
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "permissions do not keep this user from reading (root)";
    EXPECT_FALSE(formImage.ReadFormLayout(path));
    EXPECT_EQ(OnlyMessage(), "Form layout could not be read:\r\n" + path + "\r\nPermission denied");
}

TEST_F(FormLayoutRead, ValuesOutOfRangeFailWithTheLine)
{
    const QStringList cases[] = {{"Left = 99999999999"}, {"Index = 40000"}, {"Width = 1E400"}};
    for (const QStringList& properties : cases) {
        box.shown.clear();
        EXPECT_FALSE(ReadForm(Block("VB.Label lblBig", properties)));
        EXPECT_EQ(OnlyMessage(), "Form layout could not be read:\r\n" + path + "\r\nLine 9: the value of "
                                     + properties[0].section(' ', 0, 0) + " is out of range: "
                                     + properties[0].section(' ', 2));
    }
    box.shown.clear();
    EXPECT_FALSE(ReadForm(Block("VB.Line linLong", {"X1 = -2000000000", "X2 = 2000000000"})));
    EXPECT_TRUE(OnlyMessage().endsWith("Line 11: the line linLong is too long to be drawn."));

    // Each value fits, their sum on the form does not.
    box.shown.clear();
    EXPECT_FALSE(ReadForm(Box("VB.Frame fraFar", 2000000000, 0, 100, 100, {},
                              Box("VB.Label lblFar", 2000000000, 0, 100, 100))));
    EXPECT_TRUE(OnlyMessage().endsWith("a control lies too far from the form's corner to be placed."));
}

TEST_F(FormLayoutRead, AVeryLongLineIsReadWhole)
{
    const QString caption(3 * 1024 * 1024, QLatin1Char('W'));
    ASSERT_TRUE(ReadForm(Block("VB.Label lblLong", {"Caption = \"" + caption + "\"", "Width = 10", "Height = 10"})));
    EXPECT_EQ(control(1).Caption.size(), caption.size());
    EXPECT_TRUE(control(1).HasSize);
}

TEST_F(FormLayoutRead, EachReadingReplacesThePreviousResult)
{
    ASSERT_TRUE(ReadForm(Box("VB.Label lblA", 0, 0, 100, 100) + Box("VB.Label lblB", 0, 0, 100, 100)
                         + Block("VB.Menu mnuA", {"Caption = \"A\""})));
    EXPECT_EQ(layout().Form.LayerCount, 2);
    ASSERT_TRUE(Read(QStringList{"Begin VB.Form frmOther", "End"}));
    EXPECT_EQ(layout().Form.Name, "frmOther");
    EXPECT_TRUE(layout().Controls.empty());
    EXPECT_TRUE(layout().Menus.empty());
    EXPECT_FALSE(layout().Form.HasMenuBar);
    EXPECT_EQ(layout().Form.LayerCount, 0);
}

TEST_F(FormLayoutRead, FiveThousandStackedControlsReadQuickly)
{
    QStringList body;
    for (int i = 0; i < 5000; ++i)
        body << Box(QStringLiteral("VB.CommandButton cmdPile"), 100, 100, 1000, 400, {QStringLiteral("Index = %1").arg(i)});
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(ReadForm(body));
    // Compared with every control of every layer, as a plain scan would, this takes minutes.
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(layout().Form.ControlCount, 5000);
    EXPECT_EQ(layout().Form.LayerCount, 5000);
    EXPECT_EQ(control(5000).Layer, 5000);
}

// Layouts built by hand, as the form image's own tests will.
TEST(FormLayoutQueries, NumbersOutsideTheLayoutAndLargeOrEmptyRectangles)
{
    FormLayout layout;
    ControlRecord big;
    big.Width = 60000;
    big.Height = 60000;
    big.HasSize = true;
    ControlRecord empty = big;
    empty.Width = 0;
    layout.Controls = {big, big, empty};
    // 60000 × 60000 twips is past 32 bits.
    EXPECT_FLOAT_EQ(modFormImage_v2::OverlapRatio(layout, 1, 2), 1.0f);
    EXPECT_EQ(modFormImage_v2::OverlapRatio(layout, 1, 3), 0.0f);
    EXPECT_EQ(modFormImage_v2::OverlapRatio(layout, 0, 1), 0.0f);
    EXPECT_EQ(modFormImage_v2::OverlapRatio(layout, 1, 4), 0.0f);
    EXPECT_FALSE(modFormImage_v2::IsAncestor(layout, -1, 1));
    EXPECT_FALSE(modFormImage_v2::IsEffectivelyVisible(layout, 0));
    EXPECT_FALSE(modFormImage_v2::IsEffectivelyVisible(layout, 4));

    // A Parent loop (no reading makes one) ends the walks instead of hanging them.
    layout.Controls[0].Parent = 2;
    layout.Controls[1].Parent = 1;
    EXPECT_TRUE(modFormImage_v2::IsAncestor(layout, 2, 1));
    EXPECT_FALSE(modFormImage_v2::IsAncestor(layout, 3, 1));
    EXPECT_TRUE(modFormImage_v2::IsEffectivelyVisible(layout, 1));
    modFormImage_v2::AssignLayers(layout);
    EXPECT_EQ(layout.Form.LayerCount, 1) << "each is the other's ancestor";
}

} // namespace
