#include "ui/RestoreMessagesMenu.h"

#include "config/SuppressibleMessages.h"
#include "model/DiagLog.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace quillon::config;
using namespace quillon::platform;
using quillon::ui::RestoreMessagesMenu;

namespace {

QStringList texts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << action->text();
    return texts;
}

// The list as an earlier run left it (a message hidden for the session ends with that run), the
// messages hidden since listed when the File menu opens (an "&" of a caption shown as it is), and
// a click on any entry restores that one; once none is left the entry hides, and a click left
// over from an earlier list changes nothing. (That a restored message is asked again is
// ConfigTest's; that the dialog hands its button and choice back, SuppressibleMessageDialogTest's.)
TEST(RestoreMenuTest, TheListIsReadAtStartRefreshedWhenTheFileMenuOpensAndAClickRestoresAnEntry)
{
    quillon::test::Fixture fx;
    fx.write("QLN.spi",
        "[Quillon:SuppressedMsgs]\nRestoreCount=2\nsMsg0=Old (Click 0 - Yes) (Session)\n"
        "sMsg1=Kept (Click 1 - No) (Always)\n");
    quillon::model::DiagLog log {QString()};
    IniStore ini {fx.path("QLN.spi"), &log};
    quillon::test::ScriptedMessageBox box;
    SuppressibleMessages engine(ini, box);
    engine.loadAtStartup();
    QMenu fileMenu;
    QMenu* menu = fileMenu.addMenu("&Restore Messages");
    RestoreMessagesMenu helper(menu, engine, &fileMenu);
    QSignalSpy restored(&helper, &RestoreMessagesMenu::messageRestored);
    EXPECT_EQ(texts(*menu), QStringList {"Kept (Click 1 - No) (Always)"});
    box.answers.push_back({0, SuppressChoice::AllSessions, QString()});
    engine.ask(Warning::notice("Save & Exit", "Save & Exit", MessageIcon::Question, "Go on?"));
    box.answers.push_back({0, SuppressChoice::ThisSession, QString()});
    engine.ask(Warning::notice("Long Line Warning", "Long Line Warning", MessageIcon::Question, "Go on?"));
    Q_EMIT fileMenu.aboutToShow();
    ASSERT_EQ(
        texts(*menu), (QStringList {"Kept (Click 1 - No) (Always)", "Save && Exit (Click 0 - OK) (Always)", "Long Line Warning (Click 0 - OK) (Session)"}));

    menu->actions()[1]->trigger();
    ASSERT_EQ(restored.count(), 1);
    EXPECT_EQ(restored[0][0].toString(), "Save & Exit (Click 0 - OK) (Always)");
    EXPECT_EQ(texts(*menu), (QStringList {"Kept (Click 1 - No) (Always)", "Long Line Warning (Click 0 - OK) (Session)"}));
    menu->actions()[1]->trigger();
    menu->actions()[0]->trigger();
    EXPECT_FALSE(menu->menuAction()->isVisible());
    EXPECT_TRUE(texts(*menu).isEmpty());
    helper.restore(0);
    EXPECT_EQ(restored.count(), 3);
}

} // namespace
