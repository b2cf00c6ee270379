#include "config/ZrkMsgBox.h"
#include "model/DiagLog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::config;
using quillon::model::DiagLog;
using quillon::platform::MsgBoxRequest;
using quillon::platform::ScriptedMessageBox;
using quillon::test::Fixture;

namespace {

Warning MimicWarning()
{
    Warning w;
    w.key = QStringLiteral("Mimic IDE Requirements");
    w.title = QStringLiteral("Mimic Requirement Issue");
    w.text = QStringLiteral("Continue?");
    w.buttons = QStringList{"Yes", "No"};
    return w;
}

class ZrkTest : public ::testing::Test {
protected:
    Fixture fx;
    DiagLog log{QString()};
    IniStore ini{fx.path("QLN.spi"), &log};
    ScriptedMessageBox box;

    // A new run: a fresh engine that reloads the list, as the program does at start-up.
    modZRK_MsgBox NewRun()
    {
        modZRK_MsgBox engine(ini, box);
        engine.LoadAtStartup();
        return engine;
    }
    QString Stored(int i) { return ini.INIRead("Quillon:SuppressedMsgs", QStringLiteral("sMsg%1").arg(i), " "); }
};

TEST_F(ZrkTest, TheHidingNoteIsComposedIntoTheText)
{
    modZRK_MsgBox engine = NewRun();
    box.answers.push_back({1, 0, QString()});
    EXPECT_EQ(engine.Ask(MimicWarning()), 1);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Continue?\r\n\r\nIf suppressed this message will be listed in File | Restore Messages as:\r\n"
                             "         \"Mimic IDE Requirements\".  \r\n\r\nThe command button selected to close this "
                             "message will be automatically used going forward each time this message would have been "
                             "displayed.  If you are uncertain as to whether or not you want this response to always "
                             "apply but still want to suppress the message, Quillon suggests you limit the suppression "
                             "to \"This session only\"."));
    EXPECT_EQ(engine.Request.ClickText, QStringLiteral("(Click 1 - No)"));
    // "Never" stores nothing.
    EXPECT_EQ(engine.RestoreCount(), 0);
    EXPECT_FALSE(engine.RestoreMenuVisible());

    Warning plain = MimicWarning();
    plain.allowSuppress = false;
    engine.Ask(plain);
    EXPECT_EQ(box.shown.back().text, QStringLiteral("Continue?"));
}

TEST_F(ZrkTest, SessionOnlyHidingLastsUntilTheNextStart)
{
    modZRK_MsgBox engine = NewRun();
    box.answers.push_back({0, 1, QString()});
    EXPECT_EQ(engine.Ask(MimicWarning()), 0);
    EXPECT_EQ(Stored(0), QStringLiteral("Mimic IDE Requirements (Click 0 - Yes) (Session)"));
    EXPECT_TRUE(engine.RestoreMenuVisible());
    EXPECT_EQ(engine.MenuCaptions(), QStringList{"Mimic IDE Requirements (Click 0 - Yes) (Session)"});

    // Answered automatically for the rest of the run.
    box.answers.push_back({1, 0, QString()});
    EXPECT_EQ(engine.Ask(MimicWarning()), 0);
    EXPECT_EQ(box.shown.size(), 1u);

    modZRK_MsgBox next = NewRun();
    EXPECT_EQ(next.RestoreCount(), 0);
    EXPECT_FALSE(next.RestoreMenuVisible());
    EXPECT_EQ(next.Ask(MimicWarning()), 1);
    EXPECT_EQ(box.shown.size(), 2u);
}

TEST_F(ZrkTest, AlwaysHidingSurvivesARestartAndHidingAgainReplacesTheRecord)
{
    modZRK_MsgBox engine = NewRun();
    Warning other = MimicWarning();
    other.key = QStringLiteral("Duplex Warning");
    box.answers.push_back({0, 1, QString()});
    engine.Ask(other);
    box.answers.push_back({1, 2, QString()});
    engine.Ask(MimicWarning());
    EXPECT_EQ(engine.RestoreCount(), 2);

    modZRK_MsgBox next = NewRun();
    EXPECT_EQ(next.MenuCaptions(), QStringList{"Mimic IDE Requirements (Click 1 - No) (Always)"});
    EXPECT_EQ(next.Ask(MimicWarning()), 1);
    EXPECT_EQ(box.shown.size(), 2u);

    // Restored, hidden for the session with another answer, then hidden for good from the
    // next showing: the new record replaces the old one.
    next.DeleteRecord(0, true);
    box.answers.push_back({0, 1, QString()});
    next.Ask(MimicWarning());
    EXPECT_EQ(next.RestoreCount(), 1);
    next.Request.MessageKey = MimicWarning().key;
    next.ResetRequest();
    next.Request.Buttons[0] = "Yes";
    next.Request.SuppressChoice = 2;
    next.Request.ClickedButton = 0;
    next.SetClickText();
    next.SaveSuppression();
    EXPECT_EQ(next.RestoreCount(), 1);
    EXPECT_EQ(next.MenuCaptions(), QStringList{"Mimic IDE Requirements (Click 0 - Yes) (Always)"});
    EXPECT_EQ(Stored(0), QStringLiteral("Mimic IDE Requirements (Click 0 - Yes) (Always)"));
    EXPECT_EQ(Stored(1), QStringLiteral(" "));
}

TEST_F(ZrkTest, RestoringTheOnlyHiddenMessageHidesTheMenu)
{
    modZRK_MsgBox engine = NewRun();
    box.answers.push_back({0, 2, QString()});
    engine.Ask(MimicWarning());
    ASSERT_TRUE(engine.RestoreMenuVisible());
    engine.DeleteRecord(0, true);
    EXPECT_FALSE(engine.RestoreMenuVisible());
    EXPECT_EQ(engine.RestoreCount(), 0);
    // Shown again.
    box.answers.push_back({1, 0, QString()});
    EXPECT_EQ(engine.Ask(MimicWarning()), 1);
    // Out-of-range deletions change nothing.
    engine.DeleteRecord(0, true);
    engine.DeleteRecord(-1, true);
    EXPECT_EQ(engine.RestoreCount(), 0);
}

TEST_F(ZrkTest, DeletingFromTheMiddleShiftsTheRest)
{
    fx.write("QLN.spi", "[Quillon:SuppressedMsgs]\nRestoreCount=3\nsMsg0=A (Click 0 - Ok) (Always)\n"
                        "sMsg1=B (Click 1 - No) (Always)\nsMsg2=C (Click 2 - Skip) (Always)\n");
    modZRK_MsgBox engine = NewRun();
    engine.DeleteRecord(1, true);
    EXPECT_EQ(engine.MenuCaptions(), (QStringList{"A (Click 0 - Ok) (Always)", "C (Click 2 - Skip) (Always)"}));
    EXPECT_EQ(Stored(1), QStringLiteral("C (Click 2 - Skip) (Always)"));
    EXPECT_EQ(engine.RestoreCount(), 2);
}

TEST_F(ZrkTest, MalformedAndSessionRecordsAreDroppedAtStartUp)
{
    fx.write("QLN.spi", "[Quillon:SuppressedMsgs]\nRestoreCount=9\nsMsg0=junk\nsMsg1=A (Click 0 - Ok) (Session)\n"
                        "sMsg2=B (Click 1 - No) (Always)\nsMsg3=\nsMsg4=C (Click x - Odd) (Always)\n");
    modZRK_MsgBox engine = NewRun();
    EXPECT_EQ(engine.MenuCaptions(), (QStringList{"B (Click 1 - No) (Always)", "C (Click x - Odd) (Always)"}));
    EXPECT_EQ(engine.RestoreCount(), 2);
    // An answer that cannot be read is 5: no button. (The key "C" would match the first
    // record, whose "(Click" holds a C.)
    engine.Request.MessageKey = QStringLiteral("C (");
    ASSERT_TRUE(engine.IsSuppressed());
    EXPECT_EQ(engine.StoredAnswer(), 5);
}

TEST_F(ZrkTest, AKeyContainedInAnotherRecordMatchesIt)
{
    fx.write("QLN.spi", "[Quillon:SuppressedMsgs]\nRestoreCount=1\nsMsg0=Long Line Wrap Warning (Click 2 - Abandon) (Always)\n");
    modZRK_MsgBox engine = NewRun();
    engine.Request.MessageKey = QStringLiteral("Line Wrap");
    EXPECT_TRUE(engine.IsSuppressed());
    EXPECT_EQ(engine.Request.MessageKey, QStringLiteral("Long Line Wrap Warning (Click 2 - Abandon) (Always)"));
    EXPECT_EQ(engine.StoredAnswer(), 2);
    engine.Request.MessageKey = QStringLiteral("line wrap");
    EXPECT_FALSE(engine.IsSuppressed()) << "the match is case-sensitive";
}

TEST(MsgBoxRequestTest, OnlyCaptionedButtonsAreShownAndBatchTakesTheFirst)
{
    MsgBoxRequest request;
    request.Buttons = {"Yes", "No", "  ", "", ""};
    int shown = 0;
    for (int i = 0; i < 5; ++i)
        shown += request.IsButtonShown(i) ? 1 : 0;
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(quillon::platform::BatchButtonFor(request), 0);
    request.Buttons = {"", "Continue", "", "", ""};
    EXPECT_EQ(quillon::platform::BatchButtonFor(request), 1);
    EXPECT_EQ(quillon::platform::BatchResultFor("Any", quillon::platform::MsgButtons::YesNo),
              quillon::platform::MsgResult::Yes);
}

} // namespace

namespace {

TEST(BatchMessageBoxTest, AWarningMetAgainIsOneLineWithWhatTellsItApart)
{
    quillon::platform::BatchMessageBox box;
    QStringList written;
    box.write = [&written](const QString& text) { written << text; };
    quillon::platform::MsgBoxRequest request;
    request.MessageKey = "Long Line Action";
    request.Title = "Long Line Action";
    request.Buttons = {"Truncate", "Wrap", "Cancel", "", ""};
    request.Text = "A source line is too long.\r\nLine Start - If a Then ... b\r\n\r\nIf suppressed this message will be listed";
    box.ShowRequest(request);
    request.Text = "Another (2) source line is too long.\r\nLine Start - Call x ... y\r\n\r\nIf suppressed this message will be listed";
    box.ShowRequest(request);
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].startsWith("Long Line Action: A source line is too long.\r\nLine Start - If a Then"));
    EXPECT_EQ(written[1], "Long Line Action (again): Line Start - Call x ... y [answered Wrap]\n");

    // Plain messages are told apart by their text: a different one is written whole.
    box.ShowMessage(quillon::platform::MsgIcon::Question, "Duplex Unavailable", "One", quillon::platform::MsgButtons::YesNo);
    box.ShowMessage(quillon::platform::MsgIcon::Question, "Duplex Unavailable", "Two", quillon::platform::MsgButtons::YesNo);
    box.ShowMessage(quillon::platform::MsgIcon::Question, "Duplex Unavailable", "Two", quillon::platform::MsgButtons::YesNo);
    ASSERT_EQ(written.size(), 5);
    EXPECT_EQ(written[3], "Duplex Unavailable: Two [answered Yes]\n");
    EXPECT_EQ(written[4], "Duplex Unavailable (again): Two [answered Yes]\n");
}

} // namespace
