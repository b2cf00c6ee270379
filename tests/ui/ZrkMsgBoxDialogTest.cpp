#include "ui/QtMessageBox.h"
#include "ui/WindowPlacement.h"
#include "ui/ZrkMsgBoxDialog.h"
#include "ui/ZrkMsgBoxLayout.h"

#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillon::ui;
using quillon::platform::MsgBoxRequest;
using quillon::platform::MsgButtons;
using quillon::platform::MsgIcon;
using quillon::platform::MsgResult;
using quillon::test::OnModal;

namespace {

zrk::LayoutInput Captions(std::initializer_list<std::pair<int, int>> slotAndWidth, int messageHeight = 2000)
{
    zrk::LayoutInput input;
    for (const auto& [slot, width] : slotAndWidth)
        input.captionWidths[size_t(slot)] = width;
    input.messageHeight = messageHeight;
    return input;
}

// The space between two buttons side by side.
int Gap(const QRect& left, const QRect& right)
{
    return right.left() - left.right() - 1;
}

TEST(ZrkLayout, ButtonsAreTheCaptionPlus420AndAtLeast1590)
{
    EXPECT_EQ(zrk::ButtonWidth(0), 1590);
    EXPECT_EQ(zrk::ButtonWidth(1170), 1590);
    EXPECT_EQ(zrk::ButtonWidth(1171), 1591);
    EXPECT_EQ(zrk::ButtonWidth(3000), 3420);
}

TEST(ZrkLayout, ShownButtonsSit210ApartInACentredRow)
{
    const zrk::Layout two = zrk::LayOut(Captions({{0, 300}, {1, 2500}}));
    EXPECT_EQ(two.shownButtons, 2);
    EXPECT_EQ(two.buttons[0].width(), 1590);
    EXPECT_EQ(two.buttons[1].width(), 2920);
    EXPECT_EQ(Gap(two.buttons[0], two.buttons[1]), 210);
    EXPECT_TRUE(two.buttons[2].isEmpty());
    EXPECT_EQ(two.client.width(), 8800);
    EXPECT_NEAR(two.buttons[0].left(), two.client.width() - two.buttons[1].right() - 1, 1);

    // Slots left empty between captions leave no hole in the row.
    const zrk::Layout gapped = zrk::LayOut(Captions({{0, 100}, {3, 100}}));
    EXPECT_EQ(Gap(gapped.buttons[0], gapped.buttons[3]), 210);

    // Five wide buttons widen the dialog, not the message.
    const zrk::Layout wide = zrk::LayOut(Captions({{0, 3000}, {1, 3000}, {2, 3000}, {3, 3000}, {4, 3000}}));
    EXPECT_EQ(wide.client.width(), 5 * 3420 + 4 * 210 + 2 * 210);
    EXPECT_EQ(wide.buttons[0].left(), 210);
    EXPECT_EQ(wide.message, QRect(2006, 430, 6750, 2000));
}

TEST(ZrkLayout, TheButtonsGoBelowTheTallerOfMessageAndIcon)
{
    const zrk::Layout tall = zrk::LayOut(Captions({{0, 100}}, 3000));
    EXPECT_EQ(tall.buttons[0].top(), 430 + 3000 + 210);
    const zrk::Layout shortText = zrk::LayOut(Captions({{0, 100}}, 200));
    EXPECT_EQ(shortText.buttons[0].top(), shortText.icon.bottom() + 1 + 210);
    EXPECT_EQ(shortText.client.height(), shortText.buttons[0].bottom() + 1 + 210);
}

TEST(ZrkLayout, FramesStackBetweenMessageAndButtons)
{
    zrk::LayoutInput input = Captions({{0, 100}});
    const zrk::Layout plain = zrk::LayOut(input);
    EXPECT_TRUE(plain.inputFrame.isEmpty());
    EXPECT_TRUE(plain.suppressFrame.isEmpty());

    input.showInput = true;
    input.showBrowse = true;
    input.allowSuppress = true;
    const zrk::Layout full = zrk::LayOut(input);
    EXPECT_GT(full.inputFrame.top(), full.message.bottom());
    EXPECT_GT(full.suppressFrame.top(), full.inputFrame.bottom());
    EXPECT_GT(full.buttons[0].top(), full.suppressFrame.bottom());
    // The input box starts 210 in and ends 210 before "Browse...".
    EXPECT_EQ(full.inputBox.left(), 210);
    EXPECT_EQ(Gap(full.inputBox, full.browse), 210);
    EXPECT_LE(full.browse.right() + 1, full.inputFrame.width());
    // The three choices one below the other, inside the frame.
    EXPECT_LT(full.options[0].bottom(), full.options[1].top());
    EXPECT_LT(full.options[1].bottom(), full.options[2].top());
    EXPECT_LE(full.options[2].bottom(), full.suppressFrame.height());

    input.showBrowse = false;
    const zrk::Layout noBrowse = zrk::LayOut(input);
    EXPECT_TRUE(noBrowse.browse.isEmpty());
    EXPECT_EQ(noBrowse.inputBox.right() + 1, noBrowse.inputFrame.width() - 210);
}

TEST(ZrkLayout, IconsColoursAndCaptions)
{
    EXPECT_EQ(zrk::IconForCode("?"), MsgIcon::Question);
    EXPECT_EQ(zrk::IconForCode("!"), MsgIcon::Exclamation);
    EXPECT_EQ(zrk::IconForCode("i"), MsgIcon::Information);
    EXPECT_EQ(zrk::IconForCode("X"), MsgIcon::Critical);
    // The reset value is the information symbol's number.
    EXPECT_EQ(zrk::IconForCode("64"), MsgIcon::Information);
    EXPECT_EQ(zrk::IconForCode("Z"), MsgIcon::None);

    EXPECT_EQ(zrk::ThemeColor(15793858), QColor(194, 254, 240)); // red in the low byte
    EXPECT_EQ(zrk::ThemeColor(-1), QColor(Qt::white));

    // Captions are measured as shown: without the access-key mark.
    EXPECT_EQ(zrk::ShownCaption("&Yes"), QStringLiteral("Yes"));
    EXPECT_EQ(zrk::ShownCaption("Save && Exit"), QStringLiteral("Save & Exit"));
}

TEST(ZrkPosition, CentredTopBottomOrAtTwipsAndAlwaysOnTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(600, 300);
    const auto at = [&](const char* rule, const QRect& owner = QRect()) {
        return zrk::DialogPosition(rule, size, screen, owner, 96, 96);
    };
    EXPECT_EQ(at(""), QPoint(660, 390));
    EXPECT_EQ(at("", QRect(500, 400, 800, 500)), QPoint(600, 500));
    EXPECT_EQ(at("", QRect(1800, 900, 400, 200)), QPoint(1320, 780)); // owner at the edge
    for (const char* unknown : {"abc|def", "12", "1|2|3", "MIDDLE"})
        EXPECT_EQ(at(unknown), QPoint(660, 390)) << unknown;
    EXPECT_EQ(at("top of screen"), QPoint(660, 0));
    EXPECT_EQ(at("BOTTOM"), QPoint(660, 780));
    EXPECT_EQ(at("1440|2880"), QPoint(192, 96)); // top|left, an inch is 1440 twips
    EXPECT_EQ(at("-500|-20"), QPoint(0, 0));
    EXPECT_EQ(at("99999|99999"), QPoint(1320, 780));
    EXPECT_EQ(zrk::DialogPosition("0|0", size, QRect(1920, 0, 1280, 1024), QRect(), 96, 96), QPoint(1920, 0));
    EXPECT_EQ(zrk::DialogPosition("", QSize(2000, 1200), screen, QRect(), 96, 96), QPoint(0, 0));
}

MsgBoxRequest YesNoRequest()
{
    MsgBoxRequest request;
    request.Title = QStringLiteral("Loop Indentation Needed");
    request.Icon = QStringLiteral("?");
    request.Text = QStringLiteral("First line\r\nSecond line");
    request.Buttons[0] = QStringLiteral("Yes");
    request.Buttons[1] = QStringLiteral("No");
    request.ButtonCount = 2;
    request.ClickedButton = -1;
    return request;
}

TEST(ZrkDialog, OnlyCaptionedButtonsAreShownAtTheirWidths)
{
    MsgBoxRequest request = YesNoRequest();
    request.Buttons[3] = QStringLiteral("   "); // blank captions count as none
    const QString longCaption = QStringLiteral("Continue with the printer's own default font and size instead");
    request.Buttons[4] = longCaption;
    frmZRK_MsgBox dialog(request, Qt::white);
    const double dpiX = dialog.DpiX();
    EXPECT_TRUE(dialog.Button(0)->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.Button(1)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.Button(2)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.Button(3)->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.Button(4)->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.TwipsLayout().shownButtons, 3);

    // Short captions get the least width, a long one its text and 420 twips more.
    EXPECT_EQ(dialog.Button(0)->width(), TwipsToPixels(1590, dpiX));
    EXPECT_EQ(dialog.Button(1)->width(), TwipsToPixels(1590, dpiX));
    const int text = dialog.Button(4)->fontMetrics().horizontalAdvance(longCaption);
    EXPECT_GT(text + TwipsToPixels(420, dpiX), TwipsToPixels(1590, dpiX)) << "the caption should be long";
    EXPECT_NEAR(dialog.Button(4)->width(), text + TwipsToPixels(420, dpiX), 1);
    EXPECT_NEAR(Gap(dialog.Button(0)->geometry(), dialog.Button(1)->geometry()), TwipsToPixels(210, dpiX), 1);
    EXPECT_NEAR(Gap(dialog.Button(1)->geometry(), dialog.Button(4)->geometry()), TwipsToPixels(210, dpiX), 1);

    EXPECT_GE(dialog.width(), TwipsToPixels(8800, dpiX) - 1);
    EXPECT_EQ(dialog.MessageLabel()->width(), TwipsToPixels(6750, dpiX));
    EXPECT_EQ(dialog.MessageLabel()->text(), QStringLiteral("First line\nSecond line"));
    EXPECT_FALSE(dialog.IconLabel()->pixmap().isNull());
}

TEST(ZrkDialog, ALongMessageGrowsTheLabelAndPushesTheButtonsDown)
{
    MsgBoxRequest shortRequest = YesNoRequest();
    MsgBoxRequest longRequest = YesNoRequest();
    longRequest.Text = QStringLiteral("A sentence that goes on for a while. ").repeated(40);
    frmZRK_MsgBox shortDialog(shortRequest, Qt::white);
    frmZRK_MsgBox longDialog(longRequest, Qt::white);
    EXPECT_GT(longDialog.MessageLabel()->height(), 4 * shortDialog.MessageLabel()->height());
    EXPECT_EQ(longDialog.MessageLabel()->width(), shortDialog.MessageLabel()->width());
    EXPECT_GT(longDialog.Button(0)->y(), longDialog.MessageLabel()->geometry().bottom());
    EXPECT_GT(longDialog.height(), shortDialog.height());
}

TEST(ZrkDialog, FramesFollowTheRequest)
{
    MsgBoxRequest plain = YesNoRequest();
    frmZRK_MsgBox plainDialog(plain, Qt::white);
    EXPECT_FALSE(plainDialog.SuppressFrame()->isVisibleTo(&plainDialog));
    EXPECT_FALSE(plainDialog.InputFrame()->isVisibleTo(&plainDialog));

    MsgBoxRequest full = YesNoRequest();
    full.AllowSuppress = true;
    full.ShowInput = true;
    full.ShowBrowse = true;
    full.InputLabel = QStringLiteral("Output Folder:");
    full.InputText = QStringLiteral("  /home/user/docs  ");
    frmZRK_MsgBox fullDialog(full, QColor(194, 254, 240));
    EXPECT_TRUE(fullDialog.SuppressFrame()->isVisibleTo(&fullDialog));
    EXPECT_EQ(fullDialog.SuppressFrame()->title(), QStringLiteral("Hide this warning:"));
    EXPECT_TRUE(fullDialog.Option(0)->isChecked());
    EXPECT_TRUE(fullDialog.InputFrame()->isVisibleTo(&fullDialog));
    EXPECT_EQ(fullDialog.InputLabel()->text(), QStringLiteral("Output Folder:"));
    EXPECT_EQ(fullDialog.InputBox()->text(), QStringLiteral("/home/user/docs"));
    EXPECT_TRUE(fullDialog.BrowseButton()->isVisibleTo(&fullDialog));
    EXPECT_EQ(fullDialog.BrowseButton()->text(), QStringLiteral("Browse..."));
    EXPECT_LT(fullDialog.InputBox()->geometry().right(), fullDialog.BrowseButton()->x());
    // The theme colour behind the frames, labels, choices and the text box.
    EXPECT_EQ(fullDialog.MessageLabel()->palette().color(QPalette::Window), QColor(194, 254, 240));
    EXPECT_TRUE(fullDialog.MessageLabel()->autoFillBackground());

    MsgBoxRequest noBrowse = full;
    noBrowse.ShowBrowse = false;
    noBrowse.InputLabel.clear();
    frmZRK_MsgBox noBrowseDialog(noBrowse, Qt::white);
    EXPECT_FALSE(noBrowseDialog.BrowseButton()->isVisibleTo(&noBrowseDialog));
    EXPECT_EQ(noBrowseDialog.InputLabel()->text(), QStringLiteral("File Path:"));
}

TEST(ZrkDialog, OnlyAButtonClosesIt)
{
    MsgBoxRequest request = YesNoRequest();
    request.InputText = QStringLiteral("  kept  ");
    frmZRK_MsgBox dialog(request, Qt::white);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    // A hidden button's slot does nothing either.
    dialog.ClickButton(3);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(request.ClickedButton, -1);

    QTest::mouseClick(dialog.Button(1), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(request.ClickedButton, 1);
    EXPECT_EQ(request.SuppressChoice, 0);
    EXPECT_EQ(request.InputText, QStringLiteral("  kept  ")); // no input box: nothing written back
}

TEST(ZrkDialog, TheClickedButtonChoiceAndInputGoBackIntoTheRequest)
{
    MsgBoxRequest request = YesNoRequest();
    request.Buttons[2] = QStringLiteral("Cancel");
    request.AllowSuppress = true;
    request.ShowInput = true;
    request.InputText = QStringLiteral("old");
    bool escapeIgnored = false;
    OnModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmZRK_MsgBox*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog, Qt::Key_Escape);
        escapeIgnored = dialog->isVisible();
        quillon::test::ClickChoice(dialog->Option(2));
        dialog->InputBox()->setText(QStringLiteral("  /tmp/new name.txt  "));
        QTest::mouseClick(dialog->Button(2), Qt::LeftButton);
    });
    QtMessageBox box;
    box.ShowRequest(request);
    EXPECT_TRUE(escapeIgnored);
    EXPECT_EQ(request.ClickedButton, 2);
    EXPECT_EQ(request.SuppressChoice, 2);
    EXPECT_EQ(request.InputText, QStringLiteral("/tmp/new name.txt"));
}

TEST(ZrkDialog, BrowsePutsTheChosenFileIntoTheInputBox)
{
    MsgBoxRequest request = YesNoRequest();
    request.ShowInput = true;
    request.ShowBrowse = true;
    request.InputText = QStringLiteral("/projects/old/App.vbp");
    frmZRK_MsgBox dialog(request, Qt::white);
    QString title, filter, start;
    QString answer = QStringLiteral("/projects/new/App.vbp");
    dialog.SetFileChooser([&](QWidget*, const QString& t, const QString& f, const QString& s) {
        title = t;
        filter = f;
        start = s;
        return answer;
    });
    dialog.show();
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Locate the file"));
    EXPECT_EQ(filter, QStringLiteral("All Files (*.*)"));
    EXPECT_EQ(start, QStringLiteral("/projects/old"));
    EXPECT_EQ(dialog.InputBox()->text(), QStringLiteral("/projects/new/App.vbp"));
    // Cancelling keeps what was there.
    answer.clear();
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.InputBox()->text(), QStringLiteral("/projects/new/App.vbp"));
    EXPECT_TRUE(dialog.isVisible());
}

// What the standard box showed, and the button that answers it.
struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

void AnswerNextMessage(QMessageBox::StandardButton answer, SeenMessage* seen)
{
    OnModal([answer, seen](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(message, nullptr);
        *seen = {message->windowTitle(), message->text(), message->icon()};
        ASSERT_NE(message->button(answer), nullptr);
        QTest::mouseClick(message->button(answer), Qt::LeftButton);
    });
}

TEST(QtMessageBoxTest, PlainMessagesUseTheStandardBox)
{
    QtMessageBox box;
    SeenMessage seen;
    AnswerNextMessage(QMessageBox::No, &seen);
    EXPECT_EQ(box.ShowMessage(MsgIcon::Question, "GDI Spool Size", "Re-estimate?\r\nNow.", MsgButtons::YesNo),
              MsgResult::No);
    EXPECT_EQ(seen.title, QStringLiteral("GDI Spool Size"));
    EXPECT_EQ(seen.text, QStringLiteral("Re-estimate?\nNow."));
    EXPECT_EQ(seen.icon, QMessageBox::Question);

    AnswerNextMessage(QMessageBox::Yes, &seen);
    EXPECT_EQ(box.ShowMessage(MsgIcon::Critical, "Error", "Bad", MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    AnswerNextMessage(QMessageBox::Ok, &seen);
    EXPECT_EQ(box.ShowMessage(MsgIcon::Exclamation, "Note", "Look"), MsgResult::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

} // namespace
