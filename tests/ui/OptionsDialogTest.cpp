#include "ui/OptionsDialog.h"
#include "ui/MainWindow.h"

#include "support/RecordingPrintSurface.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillon;
using platform::MessageResult;
using test::RecordingPrintSurface;
using test::ScriptedMessageBox;

namespace {

// Options in a private file that pass every check as they are: a spool size, and the IDE
// mimicking already on with a sample line of 8400 twips at 10 points, so that only what a case
// changes is checked.
struct Bench : test::SessionBench {
    ui::SurfaceFactory surfaces = [] { return std::make_unique<RecordingPrintSurface>(); };
    std::unique_ptr<ui::OptionsDialog> dialog;

    Bench()
    {
        session.start();
        session.options.set(config::opt::GDISpoolSize, "1000");
        session.options.setBool(config::opt::Mimic, true);
        session.options.set(config::opt::LongLine, QString(70, 'x'));
        session.options.save();
        box.shown.clear();
    }
    void open()
    {
        dialog = std::make_unique<ui::OptionsDialog>(session, box, surfaces);
        dialog->show();
    }
    template <class T = QWidget>
    T* get(const QString& name) const
    {
        return dialog->findChild<T*>(name);
    }
    // "txtName=text" types into a field, "optName" chooses that button.
    void enter(const QStringList& inputs) const
    {
        for (const QString& input : inputs)
            if (input.contains('='))
                get<QLineEdit>(input.section('=', 0, 0))->setText(input.section('=', 1));
            else
                get<QRadioButton>(input)->setChecked(true);
    }
    QStringList titles() const
    {
        QStringList titles;
        for (const ScriptedMessageBox::Shown& shown : box.shown)
            titles << shown.title;
        return titles;
    }
};

// Save and Exit: the checks run in their order and stop at the first fault, whose field is
// selected with the input kept; what a check corrected is shown and stored.
struct SaveCase {
    const char* what;
    QStringList inputs;
    std::deque<ScriptedMessageBox::RequestAnswer> answers;
    QStringList titles; // every message, in order
    QString focused; // the field at fault; empty: the window closed
    QString gdiShown;
    QString gdiStored; // empty: the options file is untouched
    QString textHolds = {};
};

TEST(OptionsDialogTest, SaveAndExitStopsAtTheFirstFaultWithTheFieldSelectedOrStoresWhatTheChecksPassed)
{
    const QString combination = "\r\n    Page Size:  Letter\r\n    Orientation:  Portrait\r\n    Duplex Printing:  "
                                "Yes\r\n    Binding Edge:  Top\r\n    Folding Guide:  Top\r\n";
    const SaveCase cases[] = {
        {"two faults", {"txtMargin0=", "txtGDI=abc"}, {}, {"Value Needed"}, "txtMargin0", "abc", ""},
        {"raised to 500", {"txtGDI=499"}, {}, {"Value Too Small"}, "", "500", "500"},
        {"not a number", {"txtGDI=abc"}, {}, {"Invalid GDI Spool Size"}, "txtGDI", "abc", ""},
        {"binder of 1 inch", {"txtMargin4=1.000", "txtGDI=2000"}, {}, {}, "", "2000", "2000"},
        {"binder above 1 inch", {"txtMargin4=1.001"}, {{1, platform::SuppressChoice::Never, {}}}, {"Binder Margin May Be Too Large"}, "txtMargin4", "1000", ""},
        {"duplex bound at the top", {"optDuplex0", "optBind2", "optFold1"}, {}, {"Output Combination Error"}, "optBind2", "1000", "", combination},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.open();
        const QByteArray before = test::readBytes(b.session.ini.defaultPath());
        b.enter(c.inputs);
        b.box.answers = c.answers;
        b.get<QPushButton>("cmdSave")->click();
        EXPECT_EQ(b.titles(), c.titles);
        EXPECT_EQ(b.dialog->isVisible(), !c.focused.isEmpty());
        EXPECT_EQ(b.get<QLineEdit>("txtGDI")->text(), c.gdiShown);
        if (!c.textHolds.isEmpty()) {
            EXPECT_TRUE(b.box.shown.back().text.contains(c.textHolds)) << b.box.shown.back().text.toStdString();
        }
        if (c.focused.isEmpty()) {
            EXPECT_EQ(b.session.ini.read(config::sectionName(":Output"), "GDISpoolSize", QString()), c.gdiStored);
            continue;
        }
        ASSERT_TRUE(b.dialog->focusWidget());
        EXPECT_EQ(b.dialog->focusWidget()->objectName(), c.focused);
        if (auto* field = qobject_cast<QLineEdit*>(b.dialog->focusWidget())) {
            EXPECT_EQ(field->selectedText(), field->text());
        }
        EXPECT_EQ(test::readBytes(b.session.ini.defaultPath()), before);
    }
}

// Neither the close box nor Escape closes the window; the status line names the manual's
// section of the focused group, and F1 opens the manual there; Exit asks before dropping a
// change.
TEST(OptionsDialogTest, OnlyItsButtonsCloseTheWindowExitAsksBeforeDroppingChangesAndHelpFollowsTheFocus)
{
    Bench b;
    b.open();
    EXPECT_FALSE(b.dialog->close());
    QTest::keyClick(b.dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(b.titles(), QStringList({"Options", "Options"}));
    EXPECT_TRUE(b.dialog->isVisible());

    QApplication::setActiveWindow(b.dialog.get());
    const std::pair<const char*, const char*> sections[] = {
        {"txtIDE", "Section 4.6.2 - Typical Longest Code Line"},
        {"optIDE1", "Section 4.6.1 - IDE Settings"},
        {"cmdColor7", "Section 4.1 - Color Settings"},
        {"cmdOutput1", "Section 4.2.5 - Font Name and Size"},
        {"optFold3", "Section 4.5 - Fold Options"},
    };
    for (const auto& [name, section] : sections) {
        b.get(name)->setFocus();
        EXPECT_EQ(b.dialog->statusText(), section) << name;
    }
    int manualOpened = 0;
    b.dialog->displayUserManual = [&] { ++manualOpened; };
    QTest::keyClick(b.get("optFold3"), Qt::Key_F1);
    EXPECT_EQ(std::pair(b.dialog->statusText(), manualOpened), std::pair(QString("F1 Help: See User Manual Section 4.5 - Fold Options"), 1));

    b.box.shown.clear();
    b.enter({"optPSize1"});
    b.box.results = {MessageResult::No, MessageResult::Yes};
    b.get<QPushButton>("cmdExit")->click();
    EXPECT_TRUE(b.dialog->isVisible());
    b.get<QPushButton>("cmdExit")->click();
    EXPECT_FALSE(b.dialog->isVisible());
    EXPECT_EQ(b.titles(), QStringList({"Changes Pending", "Changes Pending"}));
    EXPECT_EQ(b.session.options.text(config::opt::PaperSize), "Letter");
    EXPECT_FALSE(b.session.ini.read(config::sectionName(":OptionsForm"), "Left", QString()).isEmpty());
}

// An options file edited by hand to values none of the buttons stands for: each group shows the
// default, and the status line says why for as long as the window is open.
TEST(OptionsDialogTest, AStoredValueNoButtonStandsForShowsTheDefaultAndANote)
{
    const struct {
        const char* section;
        const char* key;
        const char* stored;
        const char* pressed;
    } rows[] = {{":Output", "Binding Edge", "9", "optBind0"}, {":Output", "Folding Guide", "-1", "optFold0"},
        {":Output", "Paper Size", "A4", "optPSize0"}, {":Output", "Page Orientation", "up", "optOrientation0"},
        {":Output", "Duplex", "maybe", "optDuplex1"}, {":Output", "Aggregate", "all", "optAgg2"}, {":IDE", "Mimic", "2", "optIDE1"}};
    Bench b;
    for (const auto& row : rows)
        b.session.ini.write(config::sectionName(row.section), row.key, row.stored);
    b.session.start();
    b.open();
    QApplication::setActiveWindow(b.dialog.get());
    b.get("txtIDE")->setFocus();
    const QString status = b.dialog->statusText();
    EXPECT_TRUE(status.startsWith("Section 4.6.2 - Typical Longest Code Line\n")) << qPrintable(status);
    for (const auto& row : rows) {
        EXPECT_TRUE(b.get<QRadioButton>(row.pressed)->isChecked()) << row.key;
        EXPECT_TRUE(status.contains(QString("The options file's %1 value \"%2\" is not one of its choices (").arg(row.key, row.stored))) << row.key;
    }
    EXPECT_TRUE(status.contains("Binding Edge value \"9\" is not one of its choices (0, 1, 2, 3, 4, 5 or 6): its default is shown."));
    EXPECT_EQ(b.dialog->currentDraft(), b.dialog->original()) << "nothing pending";
}

// File | User Options: Exit without a change asks nothing; a new output target and aggregation
// are stored, the main window shows the target and asks for the project to be opened again.
TEST(OptionsDialogTest, FileUserOptionsOpensTheWindowAndTheMainWindowFollowsWhatItStored)
{
    Bench b;
    ui::MainWindow window(b.session, b.box, b.surfaces);
    QAction* entry = window.action("mnuUserOptions");
    ASSERT_TRUE(entry->isEnabled());
    test::onModal([](QWidget* modal) {
        EXPECT_EQ(modal->objectName() + '|' + modal->windowTitle(), "frmOptions|User Options");
        modal->findChild<QPushButton*>("cmdExit")->click();
    });
    entry->trigger();
    EXPECT_EQ(b.titles(), QStringList());

    window.choosePrinterDialog = [](const std::vector<platform::PrinterInfo>&, const QString&) { return QStringLiteral("office laser"); };
    QStringList madeDefault;
    window.makeSystemDefaultPrinter = [&madeDefault](const QString& device) { return madeDefault << device, true; };
    b.session.options.setBool(config::opt::PrinterScope, true);
    test::onModal([](QWidget* modal) {
        modal->findChild<QPushButton*>("cmdOutput0")->click();
        modal->findChild<QRadioButton*>("optAgg0")->setChecked(true);
        modal->findChild<QPushButton*>("cmdSave")->click();
    });
    entry->trigger();
    EXPECT_EQ(b.titles(), QStringList({"Aggregation Option Changed"}));
    EXPECT_EQ(QStringList({b.session.options.text(config::opt::DeviceName), b.session.options.text(config::opt::Aggregate), window.statusText(),
                  window.processButton(2)->text()}),
        QStringList({"Office Laser", "All", config::kReloadRequiredStatus, "Send Selected Procedures To Office Laser"}));
    EXPECT_EQ(madeDefault, QStringList {"Office Laser"}) << "the system default follows under the System Default scope";
}

} // namespace
