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
    Warning w;
    w.key = w.title = key;
    w.text = QStringLiteral("Go on?");
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

// Counts the requests that reach the real dialog.
class CountingBox : public quillon::ui::QtMessageBox {
public:
    void ShowRequest(quillon::platform::MsgBoxRequest& request) override
    {
        ++requests;
        QtMessageBox::ShowRequest(request);
    }
    int requests = 0;
};

class RestoreMenuTest : public ::testing::Test {
protected:
    quillon::test::Fixture fx;
    quillon::model::DiagLog log{QString()};
    IniStore ini{fx.path("QLN.spi"), &log};
    quillon::platform::ScriptedMessageBox box;
    CountingBox dialogBox;

    modZRK_MsgBox NewRun(quillon::platform::IMessageBox& with)
    {
        modZRK_MsgBox engine(ini, with);
        engine.LoadAtStartup();
        return engine;
    }
};

TEST_F(RestoreMenuTest, EachHiddenMessageIsAnEntryAndClickingOneRestoresIt)
{
    modZRK_MsgBox engine = NewRun(box);
    QMenu menu;
    RestoreMessagesMenu helper(&menu, engine);
    EXPECT_FALSE(menu.menuAction()->isVisible()) << "nothing hidden yet";
    helper.Restore(0); // a stale click changes nothing
    EXPECT_EQ(engine.RestoreCount(), 0);

    box.answers.push_back({0, 2, QString()});
    engine.Ask(MakeWarning("Duplex Warning"));
    box.answers.push_back({1, 1, QString()});
    engine.Ask(MakeWarning("Long Line Warning"));
    helper.Refresh();
    QSignalSpy restored(&helper, &RestoreMessagesMenu::messageRestored);
    EXPECT_TRUE(menu.menuAction()->isVisible());
    EXPECT_EQ(Texts(menu), (QStringList{"Duplex Warning (Click 0 - Yes) (Always)", "Long Line Warning (Click 1 - No) (Session)"}));

    menu.actions()[0]->trigger();
    ASSERT_EQ(restored.count(), 1);
    EXPECT_EQ(restored[0][0].toString(), "Duplex Warning (Click 0 - Yes) (Always)");
    EXPECT_EQ(engine.RestoreCount(), 1);
    EXPECT_EQ(Texts(menu), QStringList{"Long Line Warning (Click 1 - No) (Session)"});
    // Restoring the only hidden message hides the menu entry.
    menu.actions()[0]->trigger();
    EXPECT_EQ(engine.RestoreCount(), 0);
    EXPECT_FALSE(menu.menuAction()->isVisible());
    EXPECT_TRUE(Texts(menu).isEmpty());
}

TEST_F(RestoreMenuTest, TheListIsReadAtStartAndRefreshedWhenTheFileMenuOpens)
{
    fx.write("QLN.spi", "[Quillon:SuppressedMsgs]\nRestoreCount=2\nsMsg0=Old (Click 0 - Yes) (Session)\n"
                        "sMsg1=Kept (Click 1 - No) (Always)\n");
    modZRK_MsgBox engine = NewRun(box);
    QMenu fileMenu;
    QMenu* restoreMenu = fileMenu.addMenu("&Restore Messages");
    RestoreMessagesMenu helper(restoreMenu, engine, &fileMenu);
    EXPECT_EQ(Texts(*restoreMenu), QStringList{"Kept (Click 1 - No) (Always)"});
    // A message hidden during the run (its caption with an "&" shown as it is).
    box.answers.push_back({0, 2, QString()});
    engine.Ask(MakeWarning("Save & Exit"));
    EXPECT_EQ(restoreMenu->actions().size(), 1);
    Q_EMIT fileMenu.aboutToShow();
    EXPECT_EQ(Texts(*restoreMenu), (QStringList{"Kept (Click 1 - No) (Always)", "Save && Exit (Click 0 - Yes) (Always)"}));
}

TEST_F(RestoreMenuTest, HidingThroughTheDialogAndRestoringThroughTheMenu)
{
    modZRK_MsgBox engine = NewRun(dialogBox);
    QMenu menu;
    RestoreMessagesMenu helper(&menu, engine);
    auto answer = [](int choice, int button) {
        quillon::test::OnModal([=](QWidget* modal) {
            auto* dialog = qobject_cast<frmZRK_MsgBox*>(modal);
            ASSERT_NE(dialog, nullptr);
            quillon::test::ClickChoice(dialog->Option(choice));
            QTest::mouseClick(dialog->Button(button), Qt::LeftButton);
        });
    };
    answer(2, 1);
    EXPECT_EQ(engine.Ask(MakeWarning("Mimic IDE Requirements")), 1);
    EXPECT_EQ(ini.INIRead("Quillon:SuppressedMsgs", "sMsg0", " "), "Mimic IDE Requirements (Click 1 - No) (Always)");
    helper.Refresh();
    EXPECT_EQ(Texts(menu), QStringList{"Mimic IDE Requirements (Click 1 - No) (Always)"});
    EXPECT_EQ(engine.Ask(MakeWarning("Mimic IDE Requirements")), 1) << "hidden: answered without the dialog";
    EXPECT_EQ(dialogBox.requests, 1);

    menu.actions()[0]->trigger();
    EXPECT_FALSE(menu.menuAction()->isVisible());
    answer(0, 0);
    EXPECT_EQ(engine.Ask(MakeWarning("Mimic IDE Requirements")), 0);
    EXPECT_EQ(dialogBox.requests, 2);
}

} // namespace
