#include "ui/SuppressibleMessageDialog.h"
#include "ui/MessageDialogLayout.h"
#include "ui/QtMessageBox.h"

#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillon::ui;
using quillon::platform::MessageButtons;
using quillon::platform::MessageIcon;
using quillon::platform::MessageId;
using quillon::platform::MessageRequest;
using quillon::platform::MessageResult;
using quillon::test::onModal;

namespace {

QString r(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The layout in twips: the client size, the message, each shown button, then the frames shown.
QString described(const dialoglayout::Layout& l)
{
    QString out = QStringLiteral("client %1x%2 message ").arg(l.client.width()).arg(l.client.height()) + r(l.message);
    for (size_t i = 0; i < l.buttons.size(); ++i)
        out += l.buttons[i].isEmpty() ? QString() : QStringLiteral(" button%1 ").arg(i) + r(l.buttons[i]);
    if (!l.inputFrame.isEmpty())
        out +=
            " input " + r(l.inputFrame) + " label " + r(l.inputLabel) + " box " + r(l.inputBox) + (l.browse.isEmpty() ? QString() : " browse " + r(l.browse));
    if (!l.suppressFrame.isEmpty())
        out += " suppress " + r(l.suppressFrame) + " options " + r(l.options[0]) + ' ' + r(l.options[1]) + ' ' + r(l.options[2]);
    return out + QStringLiteral(" (%1 shown)").arg(l.shownButtons);
}

TEST(MessageDialogLayout, ButtonsInACentredRowUnderTheMessageOrIconThenFramesBetween)
{
    const struct {
        const char* rule;
        dialoglayout::LayoutInput input; // each button's caption width, the message height, input, Browse..., hiding
        QString expected;
    } cases[] = {
        {"a short caption takes the least width, a long one 420 more; 210 between them, the row centred", {{300, 2500}, 2000},
            "client 8800x3345 message 2006,430 6750x2000 button0 2040,2640 1590x495 button1 3840,2640 2920x495 (2 shown)"},
        {"empty slots leave no hole in the row; under a short message the icon sets its place", {{100, {}, {}, 100}, 200},
            "client 8800x2065 message 2006,430 6750x200 button0 2705,1360 1590x495 button3 4505,1360 1590x495 (2 shown)"},
        {"five wide buttons widen the dialog, not the message", {{3000, 3000, 3000, 3000, 3000}, 2000},
            "client 18360x3345 message 2006,430 6750x2000 button0 210,2640 3420x495 button1 3840,2640 3420x495 button2 7470,2640 3420x495"
            " button3 11100,2640 3420x495 button4 14730,2640 3420x495 (5 shown)"},
        {"the input frame, with the box 210 in and 210 before Browse..., then the hiding frame's three choices", {{100}, 2000, true, true, true},
            "client 8800x6090 message 2006,430 6750x2000 button0 3605,5385 1590x495 input 210,2640 8380x1035 label 210,120 7960x300"
            " box 210,480 6160x345 browse 6580,450 1590x405 suppress 210,3885 8380x1290 options 210,300 7960x285 210,600 7960x285"
            " 210,900 7960x285 (1 shown)"},
        {"without Browse... the box runs to 210 before the frame's edge", {{100}, 2000, true},
            "client 8800x4590 message 2006,430 6750x2000 button0 3605,3885 1590x495 input 210,2640 8380x1035 label 210,120 7960x300"
            " box 210,480 7960x345 (1 shown)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(described(dialoglayout::layOut(c.input)), c.expected) << c.rule;
}

TEST(MessageDialogLayout, IconsColoursAndCaptions)
{
    EXPECT_EQ(dialoglayout::themeColor(-1), QColor(Qt::white)); // a stored colour: the dialog test below
    // Captions are measured as shown: without the access-key mark.
    EXPECT_EQ(dialoglayout::shownCaption("&Yes"), QStringLiteral("Yes"));
    EXPECT_EQ(dialoglayout::shownCaption("Save && Exit"), QStringLiteral("Save & Exit"));
}

TEST(MessageDialogPosition, CentredTopBottomOrAtTwipsAndAlwaysOnTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const struct {
        const char* rule;
        QRect owner;
        QPoint expected;
    } cases[] = {
        {"", {}, {660, 390}}, {"", {500, 400, 800, 500}, {600, 500}}, {"", {1800, 900, 400, 200}, {1320, 780}}, // owner at the edge
        {"abc|def", {}, {660, 390}}, {"1|2|3", {}, {660, 390}}, {"top of screen", {}, {660, 0}}, {"BOTTOM", {}, {660, 780}}, {"1440|2880", {}, {192, 96}},
        {"-500|-20", {}, {0, 0}}, // top|left, 1440 twips an inch
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialoglayout::dialogPosition(c.rule, QSize(600, 300), screen, c.owner, 96, 96), c.expected) << c.rule;
    EXPECT_EQ(dialoglayout::dialogPosition("0|0", QSize(600, 300), QRect(1920, 0, 1280, 1024), QRect(), 96, 96), QPoint(1920, 0));
    EXPECT_EQ(dialoglayout::dialogPosition("", QSize(2000, 1200), screen, QRect(), 96, 96), QPoint(0, 0));
}

MessageRequest yesNoRequest()
{
    MessageRequest request;
    request.icon = MessageIcon::Question;
    request.text = QStringLiteral("First line\r\nSecond line");
    request.buttons = {"Yes", "No"};
    request.clickedButton = -1;
    return request;
}

// The offscreen screen shows 96 pixels to the inch: 15 twips a pixel.
TEST(SuppressibleMessageDialog, OnlyCaptionedButtonsAreShownAtTheirWidthsOnlyAShownButtonClosesItAndALongMessageGrowsIt)
{
    MessageRequest request = yesNoRequest();
    request.inputText = QStringLiteral("  kept  ");
    request.buttons[3] = QStringLiteral("   "); // blank captions count as none
    request.buttons[4] = QStringLiteral("Continue with the printer's own default font and size instead");
    SuppressibleMessageDialog dialog(request, Qt::white);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dialog.button(i)->isVisibleTo(&dialog), i != 2 && i != 3) << i;
    EXPECT_EQ(dialog.button(0)->size(), QSize(106, 33)); // 1590 × 495 twips
    const int text = dialog.button(4)->fontMetrics().horizontalAdvance(request.buttons[4]);
    ASSERT_GT(text + 28, 106) << "the caption should be long";
    EXPECT_NEAR(dialog.button(4)->width(), text + 28, 1);
    EXPECT_EQ(dialog.messageLabel()->text(), QStringLiteral("First line\nSecond line"));
    // The icon; no hiding frame, no input frame, no Browse... unasked.
    EXPECT_EQ(std::tuple(dialog.iconLabel()->pixmap().isNull(), dialog.suppressFrame()->isVisibleTo(&dialog), dialog.inputFrame()->isVisibleTo(&dialog),
                  dialog.browseButton()->isVisibleTo(dialog.inputFrame())),
        std::tuple(false, false, false, false));
    EXPECT_EQ(dialog.inputLabel()->text(), QStringLiteral("File Path:"));

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(std::tuple(dialog.close(), dialog.isVisible(), dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint)), std::tuple(false, true, false));
    dialog.clickButton(3); // a hidden button's slot does nothing either
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(request.clickedButton, -1);
    QTest::mouseClick(dialog.button(1), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(request.inputText, QStringLiteral("  kept  ")); // no input box: nothing written back

    MessageRequest longRequest = yesNoRequest();
    longRequest.text = QStringLiteral("A sentence that goes on for a while. ").repeated(40);
    SuppressibleMessageDialog longDialog(longRequest, Qt::white);
    EXPECT_GT(longDialog.messageLabel()->height(), 4 * dialog.messageLabel()->height());
}

// Through the desktop message box: the frames the request asks for, in the theme colour (red in
// the low byte); the button, the choice clicked on its round mark and the input, trimmed, go back.
TEST(SuppressibleMessageDialog, FramesFollowTheRequestInTheThemeColourBrowseFillsTheInputBoxAndAButtonWritesTheAnswerBack)
{
    MessageRequest full = yesNoRequest();
    full.allowSuppress = full.showInput = full.showBrowse = true;
    full.inputLabel = QStringLiteral("Output Folder:");
    full.inputText = QStringLiteral("  /home/user/docs  ");
    QtMessageBox box;
    box.setThemeColor(15793858);
    onModal([](QWidget* modal) {
        auto* dialog = qobject_cast<SuppressibleMessageDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(std::tuple(dialog->suppressFrame()->isVisibleTo(dialog), dialog->option(0)->isChecked(), dialog->inputFrame()->isVisibleTo(dialog),
                      dialog->browseButton()->isVisibleTo(dialog)),
            std::tuple(true, true, true, true));
        EXPECT_EQ(QStringList({dialog->inputLabel()->text(), dialog->inputBox()->text()}), QStringList({"Output Folder:", "/home/user/docs"}));
        for (QWidget* painted : std::initializer_list<QWidget*> {dialog->messageLabel(), dialog->inputBox(), dialog->option(2)}) {
            EXPECT_EQ(painted->palette().color(QPalette::Window), QColor(194, 254, 240)) << painted->objectName().toStdString();
            EXPECT_TRUE(painted->autoFillBackground());
        }
        // Browse... starts in the folder of the path in the box and puts the chosen file there;
        // cancelled, it leaves the box as it was.
        QStringList asked; // title, filter, start folder
        QString answer = QStringLiteral("/projects/new/App.vbp");
        dialog->setFileChooser([&](QWidget*, const QString& title, const QString& filter, const QString& start) {
            asked = QStringList {title, filter, start};
            return answer;
        });
        QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
        EXPECT_EQ(asked, (QStringList {"Locate the file", "All Files (*.*)", "/home/user"}));
        EXPECT_EQ(dialog->inputBox()->text(), QStringLiteral("/projects/new/App.vbp"));
        answer.clear();
        QTest::mouseClick(dialog->browseButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->inputBox()->text(), QStringLiteral("/projects/new/App.vbp"));
        EXPECT_TRUE(dialog->isVisible());
        dialog->inputBox()->setText(QStringLiteral("  /tmp/new name.txt  "));
        QTest::mouseClick(dialog->option(2), Qt::LeftButton, {}, QPoint(8, dialog->option(2)->height() / 2));
        QTest::mouseClick(dialog->button(1), Qt::LeftButton);
    });
    box.showRequest(full);
    EXPECT_EQ(std::tuple(full.clickedButton, full.suppressChoice, full.inputText),
        std::tuple(1, quillon::platform::SuppressChoice::AllSessions, "/tmp/new name.txt"));
}

TEST(QtMessageBoxTest, PlainMessagesUseTheStandardBox)
{
    const struct {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::StandardButton answer;
        MessageResult result;
        QMessageBox::Icon shown;
    } cases[] = {
        {MessageIcon::Question, MessageButtons::YesNo, QMessageBox::No, MessageResult::No, QMessageBox::Question},
        {MessageIcon::Critical, MessageButtons::YesNo, QMessageBox::Yes, MessageResult::Yes, QMessageBox::Critical},
        {MessageIcon::Exclamation, MessageButtons::Ok, QMessageBox::Ok, MessageResult::Ok, QMessageBox::Warning},
        {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Ok, MessageResult::Ok, QMessageBox::Information},
    };
    for (const auto& c : cases) {
        QStringList seen; // title, text, icon
        onModal([&](QWidget* modal) {
            auto* message = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(message, nullptr);
            seen = QStringList {message->windowTitle(), message->text(), QString::number(message->icon())};
            ASSERT_NE(message->button(c.answer), nullptr);
            QTest::mouseClick(message->button(c.answer), Qt::LeftButton);
        });
        EXPECT_EQ(QtMessageBox().showMessage(MessageId::ReestimateSpoolSize, c.icon, "GDI Spool Size", "Re-estimate?\r\nNow.", c.buttons), c.result);
        EXPECT_EQ(seen, (QStringList {"GDI Spool Size", "Re-estimate?\nNow.", QString::number(c.shown)}));
    }
}

} // namespace
