#include "model/StartUp.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::model;
using quillon::platform::MsgIcon;
using quillon::platform::ScriptedMessageBox;

namespace {

class SwitchTest : public ::testing::Test {
protected:
    ScriptedMessageBox box;
    int beeps = 0;
    std::function<void()> beep = [this] { ++beeps; };

    int Seconds(const QString& commandLine) { return SplashSecondsFromCommandLine(commandLine, box, beep); }
};

TEST_F(SwitchTest, SplashSecondsAreLimitedToZeroToSixty)
{
    EXPECT_EQ(Seconds("/DT[0]"), 0);
    EXPECT_EQ(Seconds("/DT[75]"), 60);
    EXPECT_EQ(Seconds("/DT[60]"), 60);
    EXPECT_EQ(Seconds("/DT[-3]"), 0);
    EXPECT_EQ(Seconds("/DT[25]"), 25);
    // Halves go to the even neighbour.
    EXPECT_EQ(Seconds("/DT[6.5]"), 6);
    EXPECT_EQ(Seconds("/DT[7.5]"), 8);
    EXPECT_EQ(Seconds("/DT[2.7]"), 3);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(beeps, 0);
}

TEST_F(SwitchTest, TheCommandLineIsUpperCasedAndSearchedAnywhere)
{
    EXPECT_EQ(Seconds("/dt[5]"), 5);
    EXPECT_EQ(Seconds("project.vbp /Dt[7] /other"), 7);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(SwitchTest, WithoutTheSwitchTheDefaultHolds)
{
    // A command line of its own is given, so the test program's arguments are not read.
    EXPECT_EQ(Seconds("garbage"), 10);
    EXPECT_EQ(Seconds("/DT 5"), 10);
    EXPECT_EQ(Seconds("DT[5]"), 10);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(SwitchTest, AnEmptyCommandLineReadsTheProcessArguments)
{
    // No application object: no arguments, so the switch is absent.
    EXPECT_EQ(Seconds(QString()), 10);
    EXPECT_TRUE(box.shown.empty());
}

// Each complaint beeps once and shows one box; nothing is set.
TEST_F(SwitchTest, MalformedSwitchesAreReportedAndSetNothing)
{
    const QString lead = QStringLiteral("A command line switch parse command has been issued.  The switch string parameter ");
    struct Case {
        const char* switchText;
        const char* commandLine;
        MsgIcon icon;
        QString text;
    };
    const Case cases[] = {
        {"/DT[", "/DT[5", MsgIcon::None,
         lead + "\"/DT[\" is not followed by a closing bracket.  No command line parameter change accepted."},
        {"DT[", "DT[5]", MsgIcon::Critical,
         lead + "\"DT[\" is missing the beginning forward slash.  No command line parameter change accepted.  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        box.shown.clear();
        beeps = 0;
        const CommandLineSwitch found = ParseCommandLineSwitch(c.switchText, c.commandLine, box, beep);
        EXPECT_FALSE(found.present);
        EXPECT_FALSE(found.value.has_value());
        EXPECT_FALSE(found.text.has_value());
        EXPECT_EQ(beeps, 1);
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].icon, c.icon);
        EXPECT_EQ(box.shown[0].title, QStringLiteral("Command Line Switch Error"));
        EXPECT_EQ(box.shown[0].text, c.text);
    }
    // Without its closing bracket the start-up window keeps its 10 seconds.
    EXPECT_EQ(Seconds("/DT[5"), 10);
}

TEST_F(SwitchTest, FlagsAndBracketTexts)
{
    const CommandLineSwitch flag = ParseCommandLineSwitch("/QUIET", "a /quiet b", box, beep);
    EXPECT_TRUE(flag.present);
    EXPECT_FALSE(flag.value.has_value());

    const CommandLineSwitch bracket = ParseCommandLineSwitch("/DT[", "/dt[ab7c]", box, beep);
    EXPECT_EQ(bracket.text, QStringLiteral("AB7C"));
    EXPECT_EQ(bracket.value, 7.0);

    const CommandLineSwitch empty = ParseCommandLineSwitch("/DT[", "/DT[]", box, beep);
    EXPECT_EQ(empty.text, QString());
    EXPECT_EQ(empty.value, 0.0);
    EXPECT_TRUE(box.shown.empty());
}

TEST(SwitchNumber, SurplusSignsAndPointsAreDropped)
{
    EXPECT_EQ(SwitchNumber("-3"), -3.0);
    EXPECT_EQ(SwitchNumber("+-5"), 5.0);
    EXPECT_EQ(SwitchNumber("5-"), 5.0);
    EXPECT_EQ(SwitchNumber("1.2.3"), 1.23);
    EXPECT_EQ(SwitchNumber("x-1y2"), -12.0);
    EXPECT_EQ(SwitchNumber("abc"), 0.0);
    EXPECT_EQ(SwitchNumber("-"), 0.0);
    EXPECT_EQ(SwitchNumber("."), 0.0);
}

TEST(InstanceIdentifier, HasTheProgramPrefixAndAGuidShapedPart)
{
    static const QRegularExpression shape(
        QStringLiteral("^Tandrel\\.Quillon\\.\\{[A-Za-z0-9]{8}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{4}-[A-Za-z0-9]{12}\\}$"));
    EXPECT_TRUE(shape.match(kInstanceIdentifier).hasMatch()) << kInstanceIdentifier.toStdString();
}

} // namespace
