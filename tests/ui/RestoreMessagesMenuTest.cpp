#include "ui/QtMessageBox.h"
#include "ui/RestoreMessagesMenu.h"
#include "ui/ZrkMsgBoxDialog.h"

#include "config/ZrkMsgBox.h"
#include "model/DiagLog.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace quillon::config;
using quillon::ui::frmZRK_MsgBox;
using quillon::ui::RestoreMessagesMenu;

namespace {

Warning MakeWarning(const QString& key)
{
    Warning w = Warning::Notice(key, key, QStringLiteral("?"), QStringLiteral("Go on?"));
    w.buttons = QStringList{"Yes", "No"};
    return w;
}

QStringList Texts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << action->text();
    return texts;
}

class RestoreMenuTest : public ::testing::Test {
protected:
    quillon::test::Fixture fx;
    quillon::model::DiagLog log{QString()};
    IniStore ini{fx.path("QLN.spi"), &log};
    quillon::platform::ScriptedMessageBox box;
    quillon::ui::QtMessageBox dialogBox;

    modZRK_MsgBox NewRun(quillon::platform::IMessageBox& with)
    {
        modZRK_MsgBox engine(ini, with);
        engine.LoadAtStartup();
        return engine;
    }
};

// The list as an earlier run left it (a message hidden for the session ends with that run), the
// messages hidden since listed when the File menu opens (an "&" of a caption shown as it is), and
// a click on any entry restores that one; once none is left the entry hides, and a click left
// over from an earlier list changes nothing.
TEST_F(RestoreMenuTest, TheListIsReadAtStartRefreshedWhenTheFileMenuOpensAndAClickRestoresAnEntry)
{
    fx.write("QLN.spi", "[Quillon:SuppressedMsgs]\nRestoreCount=2\nsMsg0=Old (Click 0 - Yes) (Session)\n"
                        "sMsg1=Kept (Click 1 - No) (Always)\n");
    modZRK_MsgBox engine = NewRun(box);
    QMenu fileMenu;
    QMenu* menu = fileMenu.addMenu("&Restore Messages");
    RestoreMessagesMenu helper(menu, engine, &fileMenu);
    QSignalSpy restored(&helper, &RestoreMessagesMenu::messageRestored);
    EXPECT_EQ(Texts(*menu), QStringList{"Kept (Click 1 - No) (Always)"});
    box.answers.push_back({0, 2, QString()});
    engine.Ask(MakeWarning("Save & Exit"));
    box.answers.push_back({1, 1, QString()});
    engine.Ask(MakeWarning("Long Line Warning"));
    EXPECT_EQ(menu->actions().size(), 1);
    Q_EMIT fileMenu.aboutToShow();
    ASSERT_EQ(Texts(*menu), (QStringList{"Kept (Click 1 - No) (Always)", "Save && Exit (Click 0 - Yes) (Always)",
                                         "Long Line Warning (Click 1 - No) (Session)"}));

    menu->actions()[1]->trigger();
    ASSERT_EQ(restored.count(), 1);
    EXPECT_EQ(restored[0][0].toString(), "Save & Exit (Click 0 - Yes) (Always)");
    EXPECT_EQ(Texts(*menu), (QStringList{"Kept (Click 1 - No) (Always)", "Long Line Warning (Click 1 - No) (Session)"}));
    menu->actions()[1]->trigger();
    menu->actions()[0]->trigger();
    EXPECT_FALSE(menu->menuAction()->isVisible());
    EXPECT_TRUE(Texts(*menu).isEmpty());
    helper.Restore(0);
    EXPECT_EQ(engine.RestoreCount(), 0);
    EXPECT_EQ(restored.count(), 3);
}

// Through the desktop message box and its dialog: the button and the choice clicked there go back
// to the engine, which lists the message as hidden for good. (That a hidden message is answered
// without asking is ConfigTest's.)
TEST_F(RestoreMenuTest, HidingThroughTheDialogListsTheMessage)
{
    modZRK_MsgBox engine = NewRun(dialogBox);
    QMenu menu;
    RestoreMessagesMenu helper(&menu, engine);
    quillon::test::OnModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmZRK_MsgBox*>(modal);
        ASSERT_NE(dialog, nullptr);
        // On the choice's round mark, where a person clicks, not the middle of its wide row.
        QTest::mouseClick(dialog->Option(2), Qt::LeftButton, {}, QPoint(8, dialog->Option(2)->height() / 2));
        QTest::mouseClick(dialog->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(engine.Ask(MakeWarning("Mimic IDE Requirements")), 1);
    helper.Refresh();
    EXPECT_EQ(Texts(menu), QStringList{"Mimic IDE Requirements (Click 1 - No) (Always)"});
}

} // namespace
