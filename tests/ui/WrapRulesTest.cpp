#include "ui/AidRulesDialog.h"
#include "ui/MainWindow.h"
#include "ui/WrapRulesDialog.h"

#include "support/RecordingPrintSurface.h"
#include "ui/UiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace quillon;
using platform::MessageResult;

namespace {

const config::OptionKey kRules[4] = {config::opt::WrapCodeIndent, config::opt::WhichIndent, config::opt::SigWrap, config::opt::Wrap2Sig};

// Rules stored as none of their defaults: indent 2, the specific indent, the normal signature
// rule and the check box ticked.
struct Bench : test::SessionBench {

    Bench()
    {
        for (int i = 0; i < 4; ++i)
            session.ini.write(config::sectionName(kRules[i].suffix), kRules[i].key, QString("2|1|1|True").section('|', i, i));
        session.start();
    }
    // "indent|which|sig|wrap2" as the options file holds them.
    QString stored() const
    {
        QStringList values;
        for (const config::OptionKey& key : kRules)
            values << session.ini.read(config::sectionName(key.suffix), key.key, "?");
        return values.join('|');
    }
    QStringList messages() const
    {
        QStringList shown;
        for (const auto& message : box.shown)
            shown << platform::iconName(message.icon) + ' ' + message.title + ": " + message.text;
        return shown;
    }
};

QAbstractButton* control(QWidget* window, const QString& name, int index = 0)
{
    for (QAbstractButton* found : window->findChildren<QAbstractButton*>(name))
        if (found->property("index").toInt() == index)
            return found;
    return nullptr;
}

const QString kPending = "question Changes Are Pending: Changes have been made.  Dou you want to Exit without saving changes?";
const QString kBad = "critical Bad Indent: The entered indent character ";

// The window over stored rules (Save And Exit keeping what it was not told to change shows that
// it read them): Save And Exit waits for a change, refuses a bad indent with the reason and stays,
// stores all four rules for a good one; the other ways out ask while changes are pending, and
// store nothing.
TEST(WrapRulesTest, SaveAndExitStoresOnlyValidRulesAndTheOtherWaysOutAskBeforeDroppingChanges)
{
    struct Case {
        QStringList steps; // "txtIndent=TEXT", a button to click ("cmdWrap0" Save And Exit, "cmdWrap1" Cancel, "chkWrap"...), "close", "escape"
        std::deque<MessageResult> answers;
        QStringList messages;
        bool open; // at the end
        QString stored;
    };
    // clang-format off
    const Case cases[] = {
        {{"txtIndent=abc", "cmdWrap0"}, {}, {kBad + "is not a number"}, true, "2|1|1|True"},
        {{"txtIndent=2.5", "cmdWrap0"}, {}, {kBad + "must be an integer"}, true, "2|1|1|True"},
        {{"txtIndent=12", "cmdWrap0"}, {}, {kBad + "must be in the range 0 to 9"}, true, "2|1|1|True"},
        {{"txtIndent=-1", "cmdWrap0"}, {}, {kBad + "must be in the range 0 to 9"}, true, "2|1|1|True"},
        {{"txtIndent=3", "optWrapIndent0", "OptSigIndent0", "chkWrap", "cmdWrap0"}, {}, {}, false, "3|0|0|False"},
        {{"txtIndent= 4.0 ", "cmdWrap0"}, {}, {}, false, "4|1|1|True"},
        {{"chkWrap", "cmdWrap0"}, {}, {}, false, "2|1|1|False"},
        {{"cmdWrap0"}, {}, {}, true, "2|1|1|True"},
        {{"cmdWrap1"}, {}, {}, false, "2|1|1|True"},
        {{"txtIndent=5", "cmdWrap1"}, {MessageResult::No}, {kPending}, true, "2|1|1|True"},
        {{"optWrapIndent0", "cmdWrap1"}, {MessageResult::Yes}, {kPending}, false, "2|1|1|True"},
        {{"OptSigIndent0", "close"}, {MessageResult::No}, {kPending}, true, "2|1|1|True"},
        {{"chkWrap", "close"}, {MessageResult::Yes}, {kPending}, false, "2|1|1|True"},
        {{"txtIndent=7", "escape"}, {MessageResult::Yes}, {kPending}, false, "2|1|1|True"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps.join(' ').toStdString());
        Bench b;
        b.box.results = c.answers;
        ui::WrapRulesDialog window(b.session, b.box);
        window.show();
        for (const QString& step : c.steps)
            if (step.contains('='))
                window.findChild<QLineEdit*>(step.section('=', 0, 0))->setText(step.section('=', 1));
            else if (step == "close" || step == "escape")
                step == "close" ? void(window.close()) : QTest::keyClick(&window, Qt::Key_Escape);
            else
                control(&window, step.back().isDigit() ? step.chopped(1) : step, std::max(0, step.back().digitValue()))->click();
        EXPECT_EQ(b.messages(), c.messages);
        EXPECT_EQ(window.isVisible(), c.open);
        EXPECT_EQ(b.stored(), c.stored);
        EXPECT_EQ(b.session.ini.read(config::sectionName(":DAWrapLineForm"), "Left", QString()).isEmpty(), c.open) << "the position is kept on closing";
    }
}

// The menu (a disabled entry does nothing): View/Edit Rules opens the window; Execute Wrap wraps
// what it can of the chosen module with the stored indent, and lists the line it had to leave in
// a window of its own.
TEST(WrapRulesTest, WrapMenuOpensTheRulesAndExecuteWrapListsTheLinesItCouldNotWrap)
{
    Bench b;
    const QString module =
        b.fx.writeLines("proj/modA.bas", {"Sub A()", "    x = \"aaaa bbbb cccc dddd eeee ffff gggg\"", "    Call Averyverylongnamewithnoblanks(1)", "End Sub"});
    b.session.options.set(config::opt::ProjectFolder, b.fx.path("work"));
    b.session.options.set(config::opt::LongLine, QString(40, 'x'));
    ui::MainWindow window(b.session, b.box, [] { return std::make_unique<test::RecordingPrintSurface>(); });
    ASSERT_TRUE(window.openProject(b.fx.writeLines("proj/P.vbp", {"Module=modA; modA.bas"})));
    window.chooseTargetsDialog = [&](bool) { return aids::TargetSelection {{module}, {}}; };
    QStringList seen; // each window: NAME|TITLE|its text, if any; Escape closes it
    for (const char* entry : {"mnuWrapRules", "mnuExecuteWrap"}) {
        test::onModal([&seen](QWidget* modal) {
            const auto* text = modal->findChild<QPlainTextEdit*>();
            seen << modal->objectName() + '|' + modal->windowTitle() + '|' + (text ? text->toPlainText() : QString());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        window.action(entry)->trigger();
    }
    EXPECT_EQ(
        seen.join('\n'), "frmDAWrapRule|IDE Long  Line Wrap Rules|\nfrmLinesNotWrapped|Lines Not Wrapped|" + module + ":3: Call Averyverylongnamewithnoblanks(1)");
    // The continuation goes 2 further right: the stored rules ask for a specific indent of 2.
    EXPECT_EQ(QString(test::readBytes(module)),
        "Sub A()\r\n    x = \"aaaa bbbb cccc dddd eeee \" & _\r\n      \"ffff gggg\"\r\n    Call Averyverylongnamewithnoblanks(1)\r\nEnd Sub\r\n");
}

// The sort window shows the stored order among its buttons and stores the one chosen.
TEST(WrapRulesTest, SortRulesShowAndStoreTheChosenOrder)
{
    test::SessionBench b;
    b.session.start();
    b.session.options.set(config::opt::SortBy, "Events");
    ui::AidRulesDialog window(ui::sortRulesWindow(), b.session, b.box);
    window.show();
    QStringList checked;
    QAbstractButton* byName = nullptr;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>("optSortBy")) {
        if (button->isChecked())
            checked << button->property("value").toString();
        if (button->property("value") == "name")
            byName = button;
    }
    EXPECT_EQ(checked, QStringList({"events"}));
    ASSERT_TRUE(byName);
    byName->click();
    window.findChild<QAbstractButton*>("cmdSave")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(b.session.ini.read(config::sectionName(":DASortForm"), "Sort By", "-"), "name");
}

// The spelling rules offer the dictionaries installed, and the one in use even when it has gone,
// and store the one chosen with the literals-only tick.
TEST(WrapRulesTest, SpellingRulesOfferTheInstalledDictionariesAndStoreTheChoice)
{
    test::SessionBench b;
    b.session.start();
    b.session.options.set(config::opt::SpellLanguage, "xx_OLD");
    ui::AidRulesDialog window(ui::spellRulesWindow({"de_DE", "en_US"}, "xx_OLD"), b.session, b.box);
    window.show();
    QStringList captions;
    QAbstractButton* german = nullptr;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>("optLanguage")) {
        captions << (button->isChecked() ? "* " : "") + button->text();
        if (button->property("value") == "de_DE")
            german = button;
    }
    EXPECT_EQ(captions, QStringList({"* xx_OLD - not installed", "de_DE - German (Germany)", "en_US - English (United States)"}));
    ASSERT_TRUE(german);
    german->click();
    window.findChild<QAbstractButton*>("chkLiteralsOnly")->click();
    window.findChild<QAbstractButton*>("cmdSave")->click();
    EXPECT_EQ(b.session.ini.read(config::sectionName(":DASpellForm"), "Language", "-"), "de_DE");
    EXPECT_EQ(b.session.ini.read(config::sectionName(":DASpellForm"), "Literals Only", "-"), "True");
}

// Execute Indent with stored rules (width 2): the module is indented up to the For that never
// closes, the report names it, and a window lists it; the rules window opens from its entry.
TEST(WrapRulesTest, IndentMenuIndentsTheChosenModuleAndListsTheBlocksItCouldNotRead)
{
    test::SessionBench b;
    b.session.start();
    const QString module = b.fx.writeLines("proj/modA.bas", {"Sub A()", "If a Then", "x", "End If", "End Sub", "Sub B()", "For i = 1 To 2", "y", "End Sub"});
    b.session.options.set(config::opt::ProjectFolder, b.fx.path("work"));
    b.session.options.set(config::opt::IndentWidth, "2");
    ui::MainWindow window(b.session, b.box, {});
    ASSERT_TRUE(window.openProject(b.fx.writeLines("proj/P.vbp", {"Module=modA; modA.bas"})));
    window.chooseTargetsDialog = [&](bool) { return aids::TargetSelection {{module}, {}}; };
    QStringList seen;
    for (const char* entry : {"mnuIndentRules", "mnuExecuteIndent"}) {
        test::onModal([&seen](QWidget* modal) {
            const auto* text = modal->findChild<QPlainTextEdit*>();
            seen << modal->objectName() + '|' + modal->windowTitle() + '|' + (text ? text->toPlainText() : QString());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        window.action(entry)->trigger();
    }
    EXPECT_EQ(seen.join('\n'), "frmDAIndentRule|Code Indent Rules|\nfrmBlocksNotIndented|Blocks Not Indented|" + module + ":7: For without Next");
    EXPECT_EQ(b.box.shown.back().title, "Indent Complete");
    EXPECT_EQ(b.box.shown.back().text,
        "Indent Code Lines complete.\r\n2 procedure(s) updated in 1 file(s).\r\n\r\n1 block(s) could not be read to their end; the lines "
        "after them were left as they were:\r\nnot indented: " + module + ":7: For without Next");
    EXPECT_EQ(QString(test::readBytes(module)), "Sub A()\r\n  If a Then\r\n    x\r\n  End If\r\nEnd Sub\r\nSub B()\r\n  For i = 1 To 2\r\ny\r\nEnd Sub\r\n");
}

// The indent and line number rules windows, over their defaults: a number that the rules cannot
// take is refused with the reason and nothing is stored; good values and the ticks are stored in
// their own sections; leaving with changes asks first.
TEST(WrapRulesTest, IndentAndLineNumberRulesStoreValidRulesInTheirOwnSections)
{
    struct Case {
        bool indent; // else the line number rules
        QStringList steps; // "txtName=TEXT", a check box or button to click, "escape"
        std::deque<MessageResult> answers;
        QStringList messages;
        bool open;
        QString stored; // the first three fields as the options file holds them ("DEFAULT": as they were)
    };
    const QString pending = "question Changes Are Pending: Changes have been made.  Do you want to Exit without saving changes?";
    const QString badNumber = "critical Bad Line Number: The ";
    // clang-format off
    const Case cases[] = {
        {true, {"txtIndentWidth=10", "cmdSave"}, {}, {kBad + "must be in the range 0 to 9"}, true, "DEFAULT"},
        {true, {"txtIndentWidth=2", "chkProcedureBody", "cmdSave"}, {}, {}, false, "2|False|True"},
        {true, {"chkFirstComments", "escape"}, {MessageResult::No}, {pending}, true, "DEFAULT"},
        {true, {"chkFirstComments", "cmdCancel"}, {MessageResult::Yes}, {pending}, false, "DEFAULT"},
        {false, {"txtFirstNumber=0", "cmdSave"}, {}, {badNumber + "first line number \"0\" is not a whole number from 1 to 999999999."}, true, "DEFAULT"},
        {false, {"txtNumberStep=ten", "cmdSave"}, {}, {badNumber + "line number step \"ten\" is not a whole number from 1 to 999999999."}, true, "DEFAULT"},
        {false, {"txtFirstNumber=1000", "txtNumberStep=1", "chkRestart", "cmdSave"}, {}, {}, false, "1000|1|False"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps.join(' ').toStdString());
        test::SessionBench b;
        b.session.start();
        b.box.results = c.answers;
        const ui::RulesWindowSpec spec = c.indent ? ui::indentRulesWindow() : ui::lineNumberRulesWindow();
        ui::AidRulesDialog window(spec, b.session, b.box);
        window.show();
        for (const QString& step : c.steps)
            if (step.contains('='))
                window.findChild<QLineEdit*>(step.section('=', 0, 0))->setText(step.section('=', 1));
            else if (step == "escape")
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                window.findChild<QAbstractButton*>(step)->click();
        QStringList shown;
        for (const auto& message : b.box.shown)
            shown << platform::iconName(message.icon) + ' ' + message.title + ": " + message.text;
        EXPECT_EQ(shown, c.messages);
        EXPECT_EQ(window.isVisible(), c.open);
        QStringList stored;
        for (size_t i = 0; i < 3; ++i)
            stored << b.session.ini.read(config::sectionName(spec.fields[i].key.suffix), spec.fields[i].key.key, "-");
        EXPECT_EQ(stored.join('|'), c.stored != "DEFAULT" ? c.stored : c.indent ? "4|True|True" : "10|10|True");
        EXPECT_EQ(b.session.ini.read(config::sectionName(spec.positionSection), "Left", QString()).isEmpty(), c.open);
    }
}

} // namespace
