#include "ui/MainWindow.h"
#include "ui/OverwriteBackupDialog.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/SpellingDialog.h"
#include "ui/TargetChoosers.h"
#include "ui/TemplateEditorDialog.h"
#include "ui/WindowPlacement.h"

#include "model/RoutineParser.h"
#include "platform/SpellChecker.h"
#include "ui/UiTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quillon;
using platform::MessageResult;
using test::ScriptedMessageBox;

namespace {

const QStringList kModule = {"Attribute VB_Name = \"modA\"", "Option Explicit", "Public Sub Main()", "    Dim i As Long", "", "", "", "    i = 1", "End Sub",
    "Public Sub Helper()", "    Main", "End Sub"};
const QStringList kForm = {"VERSION 5.00", "Begin VB.Form Form1", "End", "Attribute VB_Name = \"Form1\"", "Private Sub Form_Load()", "End Sub"};

// A module and a form in a private project folder, backups kept in a private working folder.
struct Bench : test::SessionBench {
    QString module = fx.writeLines("proj/modA.bas", kModule);
    QString form = fx.writeLines("proj/Form1.frm", kForm);
    QString vbp = fx.writeLines("proj/P.vbp", {"Module=modA; modA.bas", "Form=Form1.frm"});
    QByteArray moduleBytes = test::readBytes(module);
    QByteArray formBytes = test::readBytes(form);
    model::FileList files;
    QListWidget fileList; // the main window's file list as the choosers copy it

    Bench()
    {
        session.start();
        session.options.set(config::opt::ProjectFolder, fx.path("work"));
        for (const QString& path : {module, form}) {
            files.push_back(std::make_shared<model::ProjectFile>());
            files.back()->filePath = path;
            (new QListWidgetItem(QFileInfo(path).fileName(), &fileList))->setData(Qt::UserRole, int(files.size()));
        }
        box.shown.clear();
    }
    aids::EditBackups backups() const { return aids::EditBackups::forSession(session, model::SourceReader::standard()); }
    QStringList titles() const
    {
        QStringList titles;
        for (const ScriptedMessageBox::Shown& shown : box.shown)
            titles << (shown.isRequest ? shown.request.messageKey : shown.title);
        return titles;
    }
};

QPushButton* buttonOf(QWidget* window, const QString& caption)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->text() == caption)
            return button;
    return nullptr;
}

// The file chooser, clicked "2" (plain), "^2" (with Ctrl) or "+2" (with Shift) row by row, then
// the procedure chooser on the chosen files' routines: All and the single entries exclude each
// other, a click that leaves nothing chosen brings All back with a yellow flash, which passes,
// and each button leaves its choice in the selection.
TEST(DeveloperAidsTest, ChoosersKeepAllApartFromTheSingleEntriesAndFillTheSelectionByTheirButtons)
{
    struct Case {
        const char* clicks;
        bool flashed;
        QString fileButton;
        QStringList procedureRows; // chosen in the procedure chooser
        QString procedureButton; // empty: not opened
        QStringList files; // names, or "ALL_FILES"
        QStringList procedures; // keys without the folder, or "ALL_PROCEDURES"
    };
    const QStringList routines = {"All Procedures", "modA.bas|Public Sub Declarations", "modA.bas|Public Sub Main", "modA.bas|Public Sub Helper"};
    // clang-format off
    const Case cases[] = {
        {"", false, "Select File(s)", {}, {}, {"ALL_FILES"}, {}},
        {"2", false, "Select File(s)", {}, {}, {"Form1.frm"}, {}},
        {"^2", false, "Select File(s)", {}, {}, {"Form1.frm"}, {}},
        {"^1 ^2", false, "Select File(s)", {}, {}, {"modA.bas", "Form1.frm"}, {}},
        {"^1 ^2 ^0", false, "Select File(s)", {}, {}, {"ALL_FILES"}, {}},
        {"2 +0", false, "Select File(s)", {}, {}, {"ALL_FILES"}, {}},
        {"^2 ^2", true, "Select File(s)", {}, {}, {"ALL_FILES"}, {}},
        {"^0", true, "Select File(s)", {}, {}, {"ALL_FILES"}, {}},
        {"1", false, "Cancel", {}, {}, {}, {}},
        {"1", false, "Show Procedures", {"2", "3"}, "Select Procedure(s)", {"modA.bas"}, {"modA.bas|modA|Sub|Main", "modA.bas|modA|Sub|Helper"}},
        {"1", false, "Show Procedures", {}, "Select Procedure(s)", {"modA.bas"}, {"ALL_PROCEDURES"}},
        {"1", false, "Show Procedures", {"2"}, "Cancel", {"modA.bas"}, {}},
        {"", false, "Show Procedures", {}, "Cancel", {"ALL_FILES"}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(c.clicks + (' ' + c.fileButton) + ' ' + c.procedureButton).toStdString());
        Bench b;
        const bool showProcedures = !c.procedureButton.isEmpty();
        QStringList listed;
        test::onModal([&](QWidget* files) {
            EXPECT_EQ(buttonOf(files, "Show Procedures")->isVisible(), showProcedures);
            auto* list = files->findChild<QListWidget*>("lstFiles");
            const QColor normal = list->palette().color(QPalette::Base);
            for (const QString& click : QString(c.clicks).split(' ', Qt::SkipEmptyParts)) {
                const Qt::KeyboardModifiers keys = click[0] == '^' ? Qt::ControlModifier : click[0] == '+' ? Qt::ShiftModifier : Qt::NoModifier;
                QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, list->visualItemRect(list->item(click.right(1).toInt())).center());
            }
            EXPECT_EQ(list->palette().color(QPalette::Base) == ui::AllOrSomeSelection::kFlashColor, c.flashed);
            const QDeadlineTimer deadline(2000);
            while (list->palette().color(QPalette::Base) != normal && !deadline.hasExpired())
                QTest::qWait(20);
            EXPECT_EQ(list->palette().color(QPalette::Base), normal) << "the flash ends";
            if (showProcedures)
                test::onModal([&](QWidget* procedures) {
                    auto* list = procedures->findChild<QListWidget*>("lstProcs");
                    for (int i = 0; i < list->count(); ++i)
                        listed << list->item(i)->text();
                    for (const QString& row : c.procedureRows)
                        list->item(row.toInt())->setSelected(true);
                    buttonOf(procedures, c.procedureButton)->click();
                });
            buttonOf(files, c.fileButton)->click();
        });
        aids::TargetSelection chosen = ui::chooseTargets({b.fileList, b.files, model::SourceReader::standard(), b.session.ini}, showProcedures, nullptr);
        chosen.files.replaceInStrings(b.fx.path("proj") + '/', QString());
        chosen.procedures.replaceInStrings(b.fx.path("proj") + '/', QString());
        EXPECT_EQ(chosen.files, c.files);
        EXPECT_EQ(chosen.procedures, c.procedures);
        EXPECT_EQ(c.files == QStringList {"modA.bas"} ? listed : routines, routines) << "the chosen file's routines are offered";
        EXPECT_FALSE(b.session.ini.read(config::sectionName(":FileListForm"), "Left", QString()).isEmpty()) << "the position is kept";
    }
}

// "Overwrite Backup?": the apply-all box only while more are to come, the buttons below it, and
// the answer by how the dialog was left.
TEST(DeveloperAidsTest, OverwriteQuestionOffersApplyToAllOnlyWithMoreToComeAndAnswersNoUnlessYesWasClicked)
{
    struct Case {
        int remaining;
        bool tick;
        const char* leave; // a button, or "close"
        bool boxShown;
        QString answer;
    };
    const Case cases[] = {
        {1, false, "cmdYes", false, "overwrite"},
        {3, true, "cmdYes", true, "overwrite, all"},
        {2, true, "cmdNo", true, "keep, all"},
        {2, false, "cmdYes", true, "overwrite"},
        {5, true, "close", true, "keep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.remaining) + c.leave);
        ui::OverwriteBackupDialog dialog("/w/EditBackups/Form1.frm", c.remaining, "file");
        dialog.show();
        auto* applyAll = dialog.findChild<QCheckBox*>("chkApplyAll");
        EXPECT_FALSE(applyAll->isChecked());
        EXPECT_EQ(applyAll->isVisible(), c.boxShown);
        EXPECT_TRUE(dialog.findChild<QLabel*>("lblMessage")->text().contains("\n/w/EditBackups/Form1.frm\n"));
        for (const char* name : {"cmdYes", "cmdNo"})
            EXPECT_EQ(dialog.findChild<QPushButton*>(name)->y(), ui::twipsToPixels(c.boxShown ? 2370 : 1740, dialog.logicalDpiY()));
        applyAll->setChecked(c.tick);
        if (QString(c.leave) == "close")
            dialog.close();
        else
            dialog.findChild<QPushButton*>(c.leave)->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(QString(dialog.answer().overwrite ? "overwrite" : "keep") + (dialog.answer().applyToAll ? ", all" : ""), c.answer);
    }
}

// The restore window over three backups (the module, its Helper procedure and the form) of files
// changed since: the chosen lines restored or deleted after the question, the files as the run
// leaves them, and the lines left.
TEST(DeveloperAidsTest, RestoreWindowPutsChosenBackupsBackOrDeletesThemAndClosesWhenNoneIsLeft)
{
    enum { Restore = 0, Delete = 2 };
    struct Case {
        const char* what;
        std::vector<int> rows;
        bool skipCopy;
        int button;
        std::deque<MessageResult> answers;
        QStringList titles;
        QString lastText; // "{proj}" for the project folder; empty: not checked
        const char* files; // the module and the form: original or changed
        int linesLeft;
    };
    const MessageResult yes = MessageResult::Yes, no = MessageResult::No;
    // clang-format off
    const Case cases[] = {
        {"a file, keeping the current version", {0}, false, Restore, {yes}, {"Confirm Restore", "Restore Complete"}, "Restored {proj}/modA.bas.", "original changed", 3},
        {"a file and the form, no copies", {0, 2}, true, Restore, {yes}, {"Confirm Restore", "Restore Complete"}, "2 of 2 backup(s) restored.", "original original", 1},
        {"a procedure in place", {1}, true, Restore, {yes}, {"Confirm Restore", "Restore Complete"}, "Restored Helper in {proj}/modA.bas.", "original changed", 2},
        {"a procedure, declined", {1}, false, Restore, {no}, {"Confirm Restore"}, "", "changed changed", 3},
        {"restore, nothing chosen", {}, false, Restore, {}, {"Nothing Selected"}, "Select a backup to restore first.", "changed changed", 3},
        {"delete two", {0, 2}, false, Delete, {yes}, {"Confirm Delete"}, "", "changed changed", 1},
        {"delete, declined", {1}, false, Delete, {no}, {"Confirm Delete"}, "", "changed changed", 3},
        {"delete, nothing chosen", {}, false, Delete, {}, {"Nothing Selected"}, "Select a backup to delete first.", "changed changed", 3},
        {"delete all", {0, 1, 2}, false, Delete, {yes}, {"Confirm Delete"}, "", "changed changed", 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        aids::EditBackups backups = b.backups();
        const model::RoutineList routines = model::splitFileIntoRoutines(b.module);
        ASSERT_TRUE(backups.backupFile(b.module, false, 1));
        ASSERT_TRUE(backups.backupProcedure(*routines.back(), false, 1));
        ASSERT_TRUE(backups.backupFile(b.form, false, 1));
        QStringList changed = kModule;
        changed[10] = "    Changed";
        b.fx.writeLines("proj/modA.bas", changed);
        b.fx.writeLines("proj/Form1.frm", {"changed"});
        const QByteArray changedModule = test::readBytes(b.module);

        ui::RestoreBackupsDialog window(backups, b.session, b.box);
        int menuRefreshed = 0;
        window.backupsChanged = [&] { ++menuRefreshed; };
        window.show();
        ASSERT_EQ(window.list()->topLevelItemCount(), 3);
        EXPECT_TRUE(window.list()->topLevelItem(1)->text(0).endsWith("   [Procedure]   " + b.module + "  -  Helper"));
        EXPECT_EQ(window.list()->topLevelItem(0)->text(1) + ' ' + window.list()->topLevelItem(1)->text(1), "modA.bas Helper.rtf");
        EXPECT_FALSE(buttonOf(&window, "Restore")->isEnabled());
        for (int row : c.rows)
            window.list()->topLevelItem(row)->setSelected(true);
        EXPECT_EQ(buttonOf(&window, "Delete")->isEnabled(), !c.rows.empty());
        window.findChild<QCheckBox*>("chkSkipBackup")->setChecked(c.skipCopy);
        b.box.results = c.answers;
        // With nothing chosen the buttons are disabled; their work still says why it does nothing.
        if (c.rows.empty())
            c.button == Restore ? window.restoreChosen() : window.deleteChosen();
        else
            window.findChildren<QPushButton*>("cmdBackup")[c.button]->click();

        ASSERT_EQ(b.titles(), c.titles);
        EXPECT_EQ(c.lastText.isEmpty() ? QString() : b.box.shown.back().text, QString(c.lastText).replace("{proj}", b.fx.path("proj")));
        const QString files = QString(test::readBytes(b.module) == b.moduleBytes   ? "original"
                                      : test::readBytes(b.module) == changedModule ? "changed"
                                                                                   : "other")
            + (test::readBytes(b.form) == b.formBytes ? " original" : " changed");
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(window.list()->topLevelItemCount(), c.linesLeft);
        EXPECT_EQ(menuRefreshed, c.answers == std::deque {yes} ? 1 : 0);
        EXPECT_EQ(window.isVisible(), c.linesLeft > 0);
    }
}

// The menu: Shrink shows the notice, asks for its targets with the procedure chooser offered,
// rewrites and reports; its backup brings the restore entry, which the restore window's last
// delete takes away again. Remove Line Numbers on code without numbers changes nothing and says
// so. A work file a killed run left beside a project file is removed, and the status line says so.
TEST(DeveloperAidsTest, AidsMenuRunsTheAidOnTheChosenFilesAndShowsRestoreWhileBackupsExist)
{
    Bench b;
    ui::MainWindow window(b.session, b.box, {});
    ASSERT_TRUE(window.openProject(b.vbp));
    b.box.shown.clear();
    auto leftByAKilledRun = [&](const char* name) {
        const QString path = b.fx.write(name, "half");
        return test::setModified(path, QDateTime::currentDateTime().addSecs(-3600)) ? path : QString();
    };
    const QString left = leftByAKilledRun("proj/modA.bas.part-k9Zq2W");
    std::vector<bool> offered; // whether each chooser offered the procedures
    window.chooseTargetsDialog = [&](bool showProcedures) {
        offered.push_back(showProcedures);
        return aids::TargetSelection {{b.module}, {}};
    };
    auto restoreShown = [&] {
        return QStringList({test::yesNo(window.action("mnuRestoreEdited")->isVisible()), test::yesNo(window.action("mnuRestoreEdited")->isEnabled()),
            test::yesNo(window.action("mnuRestoreEditedSeparator")->isVisible())});
    };
    EXPECT_EQ(restoreShown(), QStringList({"no", "no", "no"}));

    window.action("mnuRemoveLineNumbers")->trigger();
    EXPECT_EQ(b.titles(), QStringList({"Backup Creation Notice", "Remove Line Numbers Complete"}));
    EXPECT_EQ(test::readBytes(b.module), b.moduleBytes);
    EXPECT_EQ(window.statusText(), "Removed an unfinished work file left by an earlier run: " + left);
    EXPECT_FALSE(QFileInfo::exists(left));
    b.box.shown.clear();
    window.action("mnuShrinkBlankLines")->trigger();
    EXPECT_EQ(b.titles(), QStringList({"Backup Creation Notice", "Shrink Complete"}));
    EXPECT_EQ(b.box.shown.back().text, "Shrink Multiple Blank Lines complete.\r\n1 procedure(s) updated in 1 file(s).");
    EXPECT_EQ(offered, std::vector<bool>({true, true}));
    EXPECT_EQ(test::readBytes(b.module), test::cp1252(kModule.mid(0, 5).join("\r\n") + "\r\n" + kModule.mid(7).join("\r\n") + "\r\n"));
    EXPECT_EQ(restoreShown(), QStringList({"yes", "yes", "yes"}));

    b.box.shown.clear();
    b.box.results = {MessageResult::Yes};
    test::onModal([](QWidget* restore) {
        restore->findChild<QTreeWidget*>("lstBackups")->selectAll();
        buttonOf(restore, "Delete")->click();
    });
    const QString leftAgain = leftByAKilledRun("proj/modA.bas.part-r5T6y7");
    window.action("mnuRestoreEdited")->trigger();
    EXPECT_EQ(b.titles(), QStringList({"Confirm Delete"}));
    EXPECT_EQ(window.statusText(), "Removed an unfinished work file left by an earlier run: " + leftAgain);
    EXPECT_EQ(restoreShown(), QStringList({"no", "no", "no"}));
    window.showRestoreBackups();
    EXPECT_EQ(b.box.shown.back().title, "Nothing To Restore");
    EXPECT_EQ(b.box.shown.back().text, "No edit backups are currently available.");
}

// An aid that cannot start says why before anything is chosen for it: no project, no backup folder,
// nothing to measure a wrap with, a backup list that cannot be read.
TEST(DeveloperAidsTest, AnAidThatCannotStartSaysWhyBeforeTheTargetsAreChosen)
{
    struct Case {
        const char* what;
        bool loaded;
        QString workingFolder; // in the bench; empty: the usual one
        const char* action; // "restore": the restore window
        QStringList titles; // the targets are chosen after the notice only
    };
    const Case cases[] = {
        {"no project", false, "", "mnuExecuteWrap", {"Quillon"}},
        {"nothing to measure with", true, "", "mnuExecuteWrap", {"Wrap Not Started"}},
        {"a file where the backup folder goes", true, "proj/modA.bas", "mnuMoveDims", {"Backup Folder Unavailable"}},
        {"indenting without a backup folder", true, "proj/modA.bas", "mnuExecuteIndent", {"Backup Folder Unavailable"}},
        {"numbering without a backup folder", true, "proj/modA.bas", "mnuAddLineNumbers", {"Backup Folder Unavailable"}},
        {"an unreadable backup list", true, "unreadable", "restore", {"Backups Not Readable"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        QDir().mkpath(b.fx.path("unreadable/EditBackups/EditBackups.ini"));
        if (!c.workingFolder.isEmpty())
            b.session.options.set(config::opt::ProjectFolder, b.fx.path(c.workingFolder));
        ui::MainWindow window(b.session, b.box, [] { return nullptr; });
        ASSERT_TRUE(!c.loaded || window.openProject(b.vbp));
        b.box.shown.clear();
        bool chosen = false;
        window.chooseTargetsDialog = [&](bool) { return chosen = true, aids::TargetSelection {{b.module}, {}}; };
        QString(c.action) == "restore" ? window.showRestoreBackups() : window.action(c.action)->trigger();
        EXPECT_EQ(b.titles(), c.titles);
        EXPECT_EQ(chosen, c.titles.first() == "Backup Creation Notice");
        EXPECT_EQ(test::readBytes(b.module), b.moduleBytes);
    }
}

// View/Edit Template refuses a template the aid could not use, naming the field, and writes
// nothing; a usable one is saved with the author, and Insert Procedure Header then puts it above
// each procedure once: a second run finds every header in place.
TEST(DeveloperAidsTest, TemplateEditorRefusesAnUnknownFieldAndTheHeaderGoesInOnce)
{
    Bench b;
    ui::MainWindow window(b.session, b.box, {});
    ASSERT_TRUE(window.openProject(b.vbp));
    b.box.shown.clear();
    const QString templatePath = b.fx.path("Procedure Header Template.txt");
    test::onModal([&](QWidget* editor) {
        auto* text = editor->findChild<QPlainTextEdit*>("txtTemplate");
        text->setPlainText("' {ProcedureName} by {Author}\n' {Colour}\n");
        buttonOf(editor, "Save And Exit")->click();
        EXPECT_TRUE(editor->isVisible());
        text->setPlainText("' {ProcedureName} by {Author}\n'   called by {Callers}\n' ----\n");
        editor->findChild<QLineEdit*>("txtAuthor")->setText("Ada");
        EXPECT_EQ(editor->findChild<QPlainTextEdit*>("txtPreview")->toPlainText(),
            "' OrderTotal by Ada\n'   called by frmOrder.cmdTotal_Click\n' ----");
        buttonOf(editor, "Save And Exit")->click();
    });
    window.action("mnuProcHeaderTemplate")->trigger();
    ASSERT_EQ(b.titles(), QStringList({"Template Not Saved"}));
    EXPECT_TRUE(b.box.shown.back().text.contains("{Colour}")) << b.box.shown.back().text.toStdString();
    EXPECT_EQ(test::readBytes(templatePath), "' {ProcedureName} by {Author}\n'   called by {Callers}\n' ----\n");
    EXPECT_EQ(b.session.options.text(config::opt::HeaderAuthor), "Ada");

    window.chooseTargetsDialog = [&](bool) { return aids::TargetSelection {{b.module}, {}}; };
    b.box.shown.clear();
    window.action("mnuInsertProcHeader")->trigger();
    EXPECT_EQ(b.titles(), QStringList({"Backup Creation Notice", "Insert Procedure Header Complete"}));
    QStringList expected = kModule;
    expected.insert(9, "' Helper by Ada");
    expected.insert(10, "'   called by (none)");
    expected.insert(11, "' ----");
    expected.insert(2, "' Main by Ada");
    expected.insert(3, "'   called by modA.Helper");
    expected.insert(4, "' ----");
    EXPECT_EQ(test::readBytes(b.module), test::cp1252(expected.join("\r\n") + "\r\n"));
    b.box.shown.clear();
    window.action("mnuInsertProcHeader")->trigger();
    EXPECT_EQ(b.box.shown.back().text, "Every procedure has its header already - nothing to change.");
}

// A dictionary that knows a fixed list of words and offers one suggestion for each other word.
class ListChecker : public platform::ISpellChecker {
public:
    QStringList known = {"the", "receive", "order"};
    bool isCorrect(const QString& word) const override { return known.contains(word, Qt::CaseInsensitive); }
    QStringList suggestions(const QString& word) const override { return {word == "teh" ? "the" : "receive"}; }
    void accept(const QString& word) override { known << word; }
};

// The spelling window walks the findings: Replace takes the text in Change To, Replace All also
// changes the later findings of the word without asking, Ignore All and Add to Dictionary pass
// them over; what it hands back are the replacements, by file.
TEST(DeveloperAidsTest, SpellingWindowAnswersEachFindingAndHandsBackTheReplacements)
{
    test::SessionBench bench;
    auto finding = [](const char* path, int line, int column, const char* word) {
        return aids::SpellFinding {path, {line, column, word, true}, QString("x = \"") + word + "\""};
    };
    std::vector<aids::SpellFinding> findings = {finding("a.bas", 1, 6, "teh"), finding("a.bas", 2, 6, "recieve"),
        finding("a.bas", 3, 6, "Quillon"), finding("b.bas", 1, 6, "teh"), finding("b.bas", 2, 6, "Quillon"),
        finding("b.bas", 3, 6, "recieve"), finding("b.bas", 4, 6, "ordr")};
    ListChecker checker;
    QStringList added;
    ui::SpellingDialog dialog(findings, checker, [&](const QString& word) { return added << word, model::Outcome<void>(); }, bench.box);
    EXPECT_EQ(dialog.findChild<QLabel*>("lblWord")->text(), "teh");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("txtChangeTo")->text(), "the");
    dialog.replaceAll();
    EXPECT_EQ(dialog.current(), 1);
    dialog.ignoreAll();
    dialog.addToDictionary();
    EXPECT_EQ(dialog.current(), 6) << "the later teh, Quillon and recieve are answered already";
    dialog.findChild<QLineEdit*>("txtChangeTo")->setText("order");
    dialog.replace();
    EXPECT_EQ(dialog.current(), -1);
    EXPECT_EQ(added, QStringList({"Quillon"}));
    EXPECT_TRUE(checker.isCorrect("Quillon"));
    auto text = [&](const char* path) {
        QStringList parts;
        for (const aids::WordReplacement& r : dialog.replacements().value(path))
            parts << QString("%1:%2 %3>%4").arg(r.line).arg(r.column).arg(r.word, r.replacement);
        return parts.join(", ");
    };
    EXPECT_EQ(text("a.bas"), "1:6 teh>the");
    EXPECT_EQ(text("b.bas"), "1:6 teh>the, 4:6 ordr>order");
}

// Spell Check Literals from the menu: the dictionary named by the options, the findings of the
// chosen files handed to the spelling window, and its replacements written with a backup.
TEST(DeveloperAidsTest, SpellCheckFromTheMenuWritesTheChosenReplacementsWithABackup)
{
    Bench b;
    b.fx.write("dict/xx_TEST.aff", "SET UTF-8\nTRY esianrtolcdugmphbyfvkwzESIANRTOLCDUGMPHBYFVKWZ\n");
    b.fx.write("dict/xx_TEST.dic", "3\nthe\nvalue\nis\n");
    qputenv("QUILLON_DICTIONARY_PATH", b.fx.path("dict").toLocal8Bit());
    b.session.options.set(config::opt::SpellLanguage, "xx_TEST");
    const QString module = b.fx.writeLines("proj/modA.bas", {"Attribute VB_Name = \"modA\"", "Public Sub Main()",
        "    MsgBox \"teh value is\" ' teh", "End Sub"});
    ui::MainWindow window(b.session, b.box, {});
    ASSERT_TRUE(window.openProject(b.vbp));
    b.box.shown.clear();
    window.chooseTargetsDialog = [&](bool showProcedures) {
        EXPECT_FALSE(showProcedures);
        return aids::TargetSelection {{module}, {}};
    };
    QStringList seen;
    window.spellingDialog = [&](std::vector<aids::SpellFinding> findings, platform::ISpellChecker& checker) {
        for (const aids::SpellFinding& f : findings)
            seen << QString("%1:%2 %3 %4").arg(f.where.line).arg(f.where.column).arg(f.where.word, checker.isCorrect("value") ? "known" : "unknown");
        QHash<QString, std::vector<aids::WordReplacement>> chosen;
        chosen[module].push_back({3, 13, "teh", "the"});
        return chosen;
    };
    window.action("mnuSpellCheck")->trigger();
    qunsetenv("QUILLON_DICTIONARY_PATH");
    EXPECT_EQ(seen, QStringList({"3:13 teh known", "3:29 teh known"}));
    EXPECT_EQ(b.titles(), QStringList({"Backup Creation Notice", "Spelling Complete"}));
    EXPECT_EQ(b.box.shown.back().text, "Spell Check Literals complete.\r\n1 word(s) replaced in 1 file(s).");
    EXPECT_EQ(test::readBytes(module), test::cp1252("Attribute VB_Name = \"modA\"\r\nPublic Sub Main()\r\n    MsgBox \"the value is\" ' teh\r\nEnd Sub\r\n"));
    EXPECT_EQ(b.backups().loadBackupList().size(), 1U);
}

} // namespace
