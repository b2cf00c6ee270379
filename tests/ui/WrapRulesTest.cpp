#include "ui/MainWindow.h"
#include "ui/WrapRulesDialog.h"

#include "config/Session.h"
#include "platform/PrinterDefaults.h"
#include "support/RecordingPrintSurface.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillon;
using platform::MessageResult;

namespace {

// Rules stored as none of their defaults: indent 2, the specific indent, the normal signature
// rule and the check box ticked.
struct Bench {
    test::Fixture fx;
    test::ScriptedMessageBox box;
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Session session {box, defaults, nullptr, fx.path("QLN.spi")};

    Bench()
    {
        session.start();
        for (auto [key, value] :
            {std::pair {config::opt::WrapCodeIndent, "2"}, {config::opt::WhichIndent, "1"}, {config::opt::SigWrap, "1"}, {config::opt::Wrap2Sig, "True"}})
            session.options.set(key, value);
        session.options.save();
        box.shown.clear();
    }
    // "indent|which|sig|wrap2" as the options hold them.
    static QString rules(const config::Options& options)
    {
        return QStringList({options.text(config::opt::WrapCodeIndent), options.text(config::opt::WhichIndent), options.text(config::opt::SigWrap),
                               options.text(config::opt::Wrap2Sig)})
            .join('|');
    }
    QString stored()
    {
        config::Options fromFile(session.ini, defaults);
        fromFile.load();
        return rules(fromFile);
    }
    QStringList messages() const
    {
        QStringList shown;
        for (const auto& message : box.shown)
            shown << platform::iconName(message.icon) + ' ' + message.title + ": " + message.text;
        return shown;
    }
};

template <class T>
T* control(QWidget* window, const QString& name, int index = 0)
{
    for (T* found : window->findChildren<T*>(name))
        if (found->property("index").toInt() == index)
            return found;
    return nullptr;
}

// What the controls show, as Bench::rules reads the options.
QString shown(QWidget* w)
{
    return QStringList(
        {control<QLineEdit>(w, "txtIndent")->text(), control<QRadioButton>(w, "optWrapIndent", 1)->isChecked() ? "1" : "0",
            control<QRadioButton>(w, "OptSigIndent", 1)->isChecked() ? "1" : "0", control<QCheckBox>(w, "chkWrap")->isChecked() ? "True" : "False"})
        .join('|');
}

const QString kPending = "question Changes Are Pending: Changes have been made.  Dou you want to Exit without saving changes?";
const QString kBad = "critical Bad Indent: The entered indent character ";

// The window over stored rules: each edit enables Save And Exit, a bad indent is refused with
// the reason and the window stays, a good one stores all four rules; every other way out asks
// while changes are pending and stores nothing.
TEST(WrapRulesTest, SaveAndExitStoresOnlyValidRulesAndTheOtherWaysOutAskBeforeDroppingChanges)
{
    struct Case {
        QStringList edits; // "txtIndent=TEXT", or a control to click: "optWrapIndent0", "OptSigIndent0", "chkWrap"
        const char* leave; // "save", "cancel", "close", "escape"
        std::deque<MessageResult> answers;
        QStringList messages;
        bool open; // after leaving
        QString stored;
    };
    const MessageResult yes = MessageResult::Yes, no = MessageResult::No;
    // clang-format off
    const Case cases[] = {
        {{"txtIndent=abc"}, "save", {}, {kBad + "is not a number"}, true, "2|1|1|True"},
        {{"txtIndent=2.5"}, "save", {}, {kBad + "must be an integer"}, true, "2|1|1|True"},
        {{"txtIndent=12"}, "save", {}, {kBad + "must be in the range 0 to 9"}, true, "2|1|1|True"},
        {{"txtIndent=-1"}, "save", {}, {kBad + "must be in the range 0 to 9"}, true, "2|1|1|True"},
        {{"txtIndent=3", "optWrapIndent0", "OptSigIndent0", "chkWrap"}, "save", {}, {}, false, "3|0|0|False"},
        {{"txtIndent= 4.0 "}, "save", {}, {}, false, "4|1|1|True"},
        {{"chkWrap"}, "save", {}, {}, false, "2|1|1|False"},
        {{}, "cancel", {}, {}, false, "2|1|1|True"},
        {{}, "escape", {}, {}, false, "2|1|1|True"},
        {{"txtIndent=5"}, "cancel", {no}, {kPending}, true, "2|1|1|True"},
        {{"optWrapIndent0"}, "cancel", {yes}, {kPending}, false, "2|1|1|True"},
        {{"OptSigIndent0"}, "close", {no}, {kPending}, true, "2|1|1|True"},
        {{"chkWrap"}, "close", {yes}, {kPending}, false, "2|1|1|True"},
        {{"txtIndent=7"}, "escape", {yes}, {kPending}, false, "2|1|1|True"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE((c.edits.join(' ') + ' ' + c.leave).toStdString());
        Bench b;
        b.box.results = c.answers;
        ui::WrapRulesDialog window(b.session, b.box);
        window.show();
        QPushButton* save = control<QPushButton>(&window, "cmdWrap", 0);
        EXPECT_EQ(shown(&window), "2|1|1|True");
        EXPECT_FALSE(save->isEnabled());
        for (const QString& edit : c.edits)
            if (edit.contains('='))
                control<QLineEdit>(&window, edit.section('=', 0, 0))->setText(edit.section('=', 1));
            else
                control<QAbstractButton>(&window, edit.back().isDigit() ? edit.chopped(1) : edit, std::max(0, edit.back().digitValue()))->click();
        EXPECT_EQ(save->isEnabled(), !c.edits.isEmpty());
        const QString leave = c.leave;
        if (leave == "save" || leave == "cancel")
            control<QPushButton>(&window, "cmdWrap", leave == "save" ? 0 : 1)->click();
        else if (leave == "close")
            window.close();
        else
            QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_EQ(b.messages(), c.messages);
        EXPECT_EQ(window.isVisible(), c.open);
        EXPECT_EQ(b.stored(), c.stored);
        EXPECT_EQ(Bench::rules(b.session.options), c.stored) << "what applies now is what was stored";
        EXPECT_EQ(b.session.ini.read(config::sectionName(":DAWrapLineForm"), "Left", QString()).isEmpty(), c.open) << "the position is kept on closing";
    }
}

// The window's face: its caption, the help text whole and readable, and the theme colour behind
// the form, its frames, labels and option buttons.
TEST(WrapRulesTest, WindowShowsTheWholeHelpTextOnTheThemeColour)
{
    Bench b;
    b.session.ini.write(config::sectionName(":Colors"), "Theme Color", QString::number(0x3399CC));
    b.session.options.load();
    ui::WrapRulesDialog window(b.session, b.box);
    EXPECT_EQ(window.windowTitle(), "IDE Long  Line Wrap Rules");
    const QString help = window.findChild<QLabel*>("lblWrapRules")->text();
    EXPECT_EQ(help.count('\n'), 26);
    EXPECT_FALSE(help.contains('\r'));
    EXPECT_TRUE(help.startsWith("For selected Files/Procedures all individual code lines will be examined;\n        o If"));
    for (const char* name : {"frmDAWrapRule", "fraIndent", "lblWrapRules", "lblIndentRange", "optWrapIndent", "OptSigIndent"}) {
        QWidget* widget = name == QString("frmDAWrapRule") ? &window : window.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->palette().color(widget->backgroundRole()), QColor(0xCC, 0x99, 0x33)) << name;
    }
}

// The menu: View/Edit Rules opens the window; Execute Wrap wraps what it can of the chosen module,
// reports, and lists the line it had to leave in a window of its own.
TEST(WrapRulesTest, WrapMenuOpensTheRulesAndExecuteWrapListsTheLinesItCouldNotWrap)
{
    Bench b;
    const QString module = b.fx.writeLines("proj/modA.bas",
        {"Attribute VB_Name = \"modA\"", "Public Sub Main()", "    x = \"aaaa bbbb cccc dddd eeee ffff gggg\" & y",
            "    Call Averyveryveryveryverylongnamewithoutablank(1)", "End Sub"});
    b.session.options.set(config::opt::ProjectFolder, b.fx.path("work"));
    b.session.options.set(config::opt::LongLine, QString(40, 'x'));
    ui::MainWindow window(b.session, b.box, [] { return std::make_unique<test::RecordingPrintSurface>(); });
    window.chooseTargetsDialog = [&](bool) { return aids::TargetSelection {{module}, {}}; };
    for (const char* name : {"mnuWrapRules", "mnuExecuteWrap"})
        EXPECT_TRUE(window.action(name)->isEnabled()) << name;

    QString opened;
    test::onModal([&](QWidget* modal) {
        opened = modal->objectName() + '|' + modal->windowTitle();
        control<QPushButton>(modal, "cmdWrap", 1)->click();
    });
    window.action("mnuWrapRules")->trigger();
    EXPECT_EQ(opened, "frmDAWrapRule|IDE Long  Line Wrap Rules");

    QString listed;
    test::onModal([&](QWidget* modal) {
        listed = modal->objectName() + '|' + modal->windowTitle() + '|' + modal->findChild<QPlainTextEdit*>()->toPlainText();
        modal->findChild<QPushButton*>("cmdOK")->click();
    });
    window.action("mnuExecuteWrap")->trigger();
    ASSERT_FALSE(b.box.shown.empty());
    EXPECT_EQ(b.box.shown.back().title, "Wrap Complete");
    EXPECT_EQ(b.box.shown.back().text,
        "Wrap Code Lines complete.\r\n1 line(s) wrapped in 1 file(s).\r\n\r\n1 line(s) could not be wrapped without breaking a word and were left unchanged.");
    EXPECT_EQ(listed, "frmNotWrapped|Lines Not Wrapped|" + module + ":4: Call Averyveryveryveryverylongnamewithoutablank(1)");
    // The continuation goes 2 further right: the stored rules ask for a specific indent of 2.
    EXPECT_EQ(test::readBytes(module),
        test::cp1252("Attribute VB_Name = \"modA\"\r\nPublic Sub Main()\r\n    x = \"aaaa bbbb cccc dddd eeee \" & _\r\n"
                     "      \"ffff gggg\" & y\r\n    Call Averyveryveryveryverylongnamewithoutablank(1)\r\nEnd Sub\r\n"));
}

} // namespace
