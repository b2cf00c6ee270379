#include "model/StartUp.h"
#include "platform/MessageBox.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace quillon::model;
using namespace quillon::platform;
using quillon::test::ScriptedMessageBox;

namespace {

class SwitchTest : public ::testing::Test {
protected:
    ScriptedMessageBox box_;
    int beeps_ = 0;
    std::function<void()> beep_ = [this] { ++beeps_; };

    int seconds(const QString& commandLine) { return splashSecondsFromCommandLine(commandLine, box_, beep_); }
};

TEST_F(SwitchTest, SplashSecondsFlagsBracketTextsNumbersAndMalformedSwitches)
{
    // Limited to 0..60 with halves going to the even neighbour; 10 without the switch.
    const struct {
        const char* commandLine;
        int seconds;
    } lines[] = {{"/DT[0]", 0}, {"/DT[75]", 60}, {"/DT[60]", 60}, {"/DT[-3]", 0}, {"/DT[25]", 25}, {"/DT[6.5]", 6}, {"/DT[7.5]", 8}, {"/DT[2.7]", 3},
        {"/dt[5]", 5}, {"project.vbp /Dt[7] /other", 7}, {"garbage", 10}, {"/DT 5", 10}, {"DT[5]", 10}, {"", 10}};
    for (const auto& l : lines)
        EXPECT_EQ(seconds(l.commandLine), l.seconds) << l.commandLine;
    EXPECT_TRUE(box_.shown.empty() && beeps_ == 0);
    // An empty command line reads the process's arguments, after the program's own name.
    int argc = 3;
    char program[] = "/DT[3]", other[] = "x", given[] = "/dt[7]";
    char* argv[] = {program, other, given, nullptr};
    const QCoreApplication app(argc, argv);
    EXPECT_EQ(seconds(QString()), 7);
    EXPECT_EQ(seconds(QStringLiteral("/DT[9]")), 9) << "a command line of its own wins";
    // A flag is present; a bracket gives its upper-cased text and number. A switch without its
    // slash or its closing bracket is reported, with one beep and one box, and sets nothing.
    const QString lead = "A command line switch parse command has been issued.  The switch string parameter ";
    const struct {
        const char *switchText, *commandLine;
        bool present;
        std::optional<QString> text;
        std::optional<double> value;
        MessageIcon icon;
        QString complaint;
    } cases[] = {{"/QUIET", "a /quiet b", true, {}, {}, MessageIcon::None, ""}, {"/DT[", "/dt[ab7c]", false, "AB7C", 7.0, MessageIcon::None, ""},
        {"/DT[", "/DT[]", false, "", 0.0, MessageIcon::None, ""},
        {"/DT[", "/DT[5", false, {}, {}, MessageIcon::None,
            lead + "\"/DT[\" is not followed by a closing bracket.  No command line parameter change accepted."},
        {"DT[", "DT[5]", false, {}, {}, MessageIcon::Critical,
            lead + "\"DT[\" is missing the beginning forward slash.  No command line parameter change accepted.  "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        box_.shown.clear();
        beeps_ = 0;
        const CommandLineSwitch found = parseCommandLineSwitch(c.switchText, c.commandLine, box_, beep_);
        EXPECT_EQ(found.present, c.present);
        EXPECT_EQ(found.text, c.text);
        EXPECT_EQ(found.value, c.value);
        EXPECT_EQ(beeps_, c.complaint.isEmpty() ? 0 : 1);
        ASSERT_EQ(box_.shown.size(), c.complaint.isEmpty() ? 0u : 1u);
        for (const auto& shown : box_.shown)
            EXPECT_EQ(QStringList({iconName(shown.icon), shown.title, shown.text}), QStringList({iconName(c.icon), "Command Line Switch Error", c.complaint}));
    }
    // Without its closing bracket the start-up window keeps its 10 seconds.
    EXPECT_EQ(seconds("/DT[5"), 10);
    // Surplus signs and points in the number are dropped.
    const std::pair<const char*, double> numbers[] = {{"-3", -3.0}, {"+-5", 5.0}, {"5-", 5.0}, {"1.2.3", 1.23}, {"x-1y2", -12.0}, {"-", 0.0}, {".", 0.0}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(switchNumber(text), value) << text;
}

} // namespace
