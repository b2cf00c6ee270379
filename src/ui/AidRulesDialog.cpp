#include "ui/AidRulesDialog.h"

#include "aids/CodeWrap.h"
#include "aids/LineNumbers.h"
#include "config/Session.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "ui/MessageDialogLayout.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillon::ui {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageId;
using platform::MessageResult;

AidRulesDialog::AidRulesDialog(
    RulesWindowSpec spec, config::Session& session, platform::IMessageBox& box, QWidget* parent)
    : QDialog(parent), spec_(std::move(spec)), session_(session), box_(box)
{
    setObjectName(spec_.objectName);
    setWindowTitle(spec_.title);
    setModal(true);
    buildControls();
    const QColor theme = dialoglayout::themeColor(session_.options.windowBackColor());
    paintBackground(this, theme, backgroundRole());
    for (QWidget* child : findChildren<QWidget*>())
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QRadioButton*>(child))
            paintBackground(child, theme, child->backgroundRole());
    showOptions();
    adjustSize();
    if (!restoreWindowPosition(this, session_.ini, spec_.positionSection))
        centreWindow(this, parent);
}

void AidRulesDialog::buildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    auto* help = new QLabel(spec_.helpText, this);
    help->setObjectName(QStringLiteral("lblRules"));
    help->setTextFormat(Qt::PlainText);
    help->setWordWrap(true);
    help->setMargin(6);
    help->setMinimumWidth(help->fontMetrics().averageCharWidth() * 78);
    outer->addWidget(help);
    auto* frame = new QGroupBox(QStringLiteral("Rules"), this);
    frame->setObjectName(QStringLiteral("fraRules"));
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (const RuleField& field : spec_.fields) {
        if (!field.choices.empty()) {
            auto* group = new QGroupBox(field.caption, frame);
            group->setObjectName(field.controlName);
            auto* column = new QVBoxLayout(group);
            for (const auto& [value, caption] : field.choices) {
                auto* button = new QRadioButton(caption, group);
                button->setObjectName(field.controlName);
                button->setProperty("value", value);
                column->addWidget(button);
                connect(button, &QRadioButton::toggled, this, [this] { markChanged(); });
            }
            grid->addWidget(group, row, 0, 1, 2);
            controls_.push_back(group);
        } else if (field.number) {
            auto* caption = new QLabel(field.caption, frame);
            auto* edit = new QLineEdit(frame);
            edit->setObjectName(field.controlName);
            edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
            caption->setBuddy(edit);
            grid->addWidget(caption, row, 0);
            auto* line = new QHBoxLayout;
            line->addWidget(edit);
            if (!field.note.isEmpty())
                line->addWidget(new QLabel(field.note, frame));
            line->addStretch(1);
            grid->addLayout(line, row, 1);
            connect(edit, &QLineEdit::textChanged, this, [this] { markChanged(); });
            controls_.push_back(edit);
        } else {
            auto* check = new QCheckBox(field.caption, frame);
            check->setObjectName(field.controlName);
            grid->addWidget(check, row, 0, 1, 2);
            connect(check, &QCheckBox::toggled, this, [this] { markChanged(); });
            controls_.push_back(check);
        }
        ++row;
    }
    grid->setColumnStretch(1, 1);
    outer->addWidget(frame);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    save_ = namedButton(QStringLiteral("Save And Exit"), QStringLiteral("cmdSave"), this);
    cancel_ = namedButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    for (QPushButton* button : {save_, cancel_}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(110);
        buttons->addWidget(button);
    }
    outer->addLayout(buttons);
    connect(save_, &QPushButton::clicked, this, [this] { saveAndExit(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void AidRulesDialog::showOptions()
{
    const config::Options& options = session_.options;
    for (size_t i = 0; i < spec_.fields.size(); ++i) {
        if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
            edit->setText(options.text(spec_.fields[i].key));
        } else if (auto* check = qobject_cast<QCheckBox*>(controls_[i])) {
            check->setChecked(options.boolean(spec_.fields[i].key));
        } else {
            const QString stored = options.text(spec_.fields[i].key);
            for (QRadioButton* button : controls_[i]->findChildren<QRadioButton*>())
                button->setChecked(model::equalsNoCase(button->property("value").toString(), stored));
        }
    }
    changesPending_ = false;
    save_->setEnabled(false);
}

void AidRulesDialog::markChanged()
{
    changesPending_ = true;
    save_->setEnabled(true);
}

bool AidRulesDialog::saveAndExit()
{
    QStringList numbers;
    QLineEdit* firstNumber = nullptr;
    for (QWidget* control : controls_) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            numbers << edit->text();
            firstNumber = firstNumber ? firstNumber : edit;
        }
    }
    if (spec_.numbersProblem) {
        const auto [title, problem] = spec_.numbersProblem(numbers);
        if (!problem.isEmpty()) {
            box_.showMessage(MessageIcon::Critical, title, problem);
            if (firstNumber) {
                firstNumber->setFocus(Qt::OtherFocusReason);
                firstNumber->selectAll();
            }
            return false;
        }
    }
    config::Options& options = session_.options;
    for (size_t i = 0; i < spec_.fields.size(); ++i) {
        if (auto* edit = qobject_cast<QLineEdit*>(controls_[i])) {
            options.set(spec_.fields[i].key, edit->text().trimmed());
        } else if (auto* check = qobject_cast<QCheckBox*>(controls_[i])) {
            options.setBool(spec_.fields[i].key, check->isChecked());
        } else {
            for (QRadioButton* button : controls_[i]->findChildren<QRadioButton*>())
                if (button->isChecked())
                    options.set(spec_.fields[i].key, button->property("value").toString());
        }
    }
    saveRulesOrSaySo(session_, box_);
    changesPending_ = false;
    done(QDialog::Accepted);
    return true;
}

void AidRulesDialog::reject()
{
    if (changesPending_ && !leaveWithoutSaving(box_))
        return;
    QDialog::reject();
}

void AidRulesDialog::done(int result)
{
    saveWindowPosition(this, session_.ini, spec_.positionSection);
    QDialog::done(result);
}

bool leaveWithoutSaving(platform::IMessageBox& box)
{
    return box.showMessage(MessageId::AidRulesChangesPending, MessageIcon::Question,
               QStringLiteral("Changes Are Pending"),
               QStringLiteral("Changes have been made.  Do you want to Exit without saving changes?"),
               MessageButtons::YesNo)
        == MessageResult::Yes;
}

void saveRulesOrSaySo(config::Session& session, platform::IMessageBox& box)
{
    if (!session.options.save())
        box.showMessage(MessageIcon::Exclamation, QStringLiteral("Options Not Saved"),
            QStringLiteral("The options could not be written to ") + model::quote(session.ini.defaultPath())
                + QStringLiteral(".  They apply until Quillon ends."));
}

RulesWindowSpec indentRulesWindow()
{
    namespace opt = config::opt;
    RulesWindowSpec spec {.objectName = QStringLiteral("frmDAIndentRule"),
        .title = QStringLiteral("Code Indent Rules"),
        .positionSection = QStringLiteral(":DAIndentForm"),
        .helpText = QStringLiteral(
            "Execute Indent sets the whitespace before each code line of the selected procedures (and of "
            "the Declarations) by the block it stands in: If, Select Case, For, Do, While, With, Type and "
            "Enum each indent the lines inside them by one level.  Nothing but that whitespace changes: "
            "the code, its comments and string literals, and every line outside the procedures keep "
            "their text.  Line labels and line numbers stay in column 1.  A block that does not close is "
            "indented as far as it can be read and named in the report; the lines after it are left as "
            "they were.  Each changed file or procedure is backed up first."),
        .fields =
            {
                {opt::IndentWidth, QStringLiteral("Indent Width"), QStringLiteral("txtIndentWidth"), true,
                    QStringLiteral("(0 to 9 are valid indent spaces)")},
                {opt::IndentProcedureBody, QStringLiteral("Indent the Whole Procedure Body One Level"),
                    QStringLiteral("chkProcedureBody")},
                {opt::IndentFirstComments,
                    QStringLiteral("Indent the First Comment Block of a Procedure With Its Body"),
                    QStringLiteral("chkFirstComments")},
                {opt::IndentCase, QStringLiteral("Indent Case Lines One Level Under Select Case"),
                    QStringLiteral("chkIndentCase")},
                {opt::IndentTypeMembers, QStringLiteral("Indent the Members of Enum and Type Blocks"),
                    QStringLiteral("chkTypeMembers")},
                {opt::DirectivesInColumn1, QStringLiteral("Keep Compiler Directives (#If, #Else, #End If) in Column 1"),
                    QStringLiteral("chkDirectives")},
                {opt::IndentContinuations,
                    QStringLiteral(
                        "Indent Continuation Lines One Level (else they keep their place under the first line)"),
                    QStringLiteral("chkContinuations")},
                {opt::AlignComments,
                    QStringLiteral("Align Comments With the Code Line They Precede (else comments in column 1 stay)"),
                    QStringLiteral("chkAlignComments")},
                {opt::DebugInColumn1, QStringLiteral("Put Debug. Statements in Column 1"), QStringLiteral("chkDebug")},
                {opt::TabsToBlanks, QStringLiteral("Turn Tabs Before the Code Into Blanks"), QStringLiteral("chkTabs")},
            },
        .numbersProblem = [](const QStringList& numbers) {
            return std::pair {aids::kBadIndentTitle, aids::wrapIndentProblem(numbers.value(0))};
        }};
    return spec;
}

RulesWindowSpec lineNumberRulesWindow()
{
    namespace opt = config::opt;
    RulesWindowSpec spec {.objectName = QStringLiteral("frmDALineNumberRule"),
        .title = QStringLiteral("Line Number Rules"),
        .positionSection = QStringLiteral(":DALineNumberForm"),
        .helpText = QStringLiteral(
            "Add Line Numbers puts a number in column 1 of every executable statement line of the "
            "selected procedures, so that Erl tells which line raised an error.  Signatures, End lines, "
            "Dim, Static and Const lines, continuation lines, comments, Case lines, compiler directives "
            "and lines that already have a label or a number get none.  The code keeps its column where "
            "the number leaves room.  Remove Line Numbers takes away the numbers Add Line Numbers puts, "
            "except those a GoTo, GoSub, Resume or Erl comparison names.  Each changed file or procedure "
            "is backed up first."),
        .fields =
            {
                {opt::FirstNumber, QStringLiteral("First Line Number"), QStringLiteral("txtFirstNumber"), true},
                {opt::NumberStep, QStringLiteral("Step Between Numbers"), QStringLiteral("txtNumberStep"), true},
                {opt::RestartEachProcedure,
                    QStringLiteral("Start Again at Each Procedure (else the numbers go on through the file)"),
                    QStringLiteral("chkRestart")},
            },
        .numbersProblem = [](const QStringList& numbers) {
            return std::pair {
                QStringLiteral("Bad Line Number"), aids::numberingProblem(numbers.value(0), numbers.value(1))};
        }};
    return spec;
}

RulesWindowSpec sortRulesWindow()
{
    RulesWindowSpec spec {.objectName = QStringLiteral("frmDASortRule"),
        .title = QStringLiteral("Procedure Sort Rules"),
        .positionSection = QStringLiteral(":DASortForm"),
        .helpText = QStringLiteral(
            "Execute Sort puts the procedures of each selected file in order.  Each procedure moves whole, "
            "with the comment and blank lines above its signature and its Attribute lines; its text does "
            "not change.  The file's header, a form's layout block and the Declarations stay first.  A file "
            "is always sorted whole, and backed up whole first."),
        .fields = {{config::opt::SortBy, QStringLiteral("Order"), QStringLiteral("optSortBy"), false, QString(),
            {{QStringLiteral("kind"),
                 QStringLiteral("By Kind: Event Handlers, Then Properties (Get, Let, Set Together), Then the Rest")},
                {QStringLiteral("events"), QStringLiteral("By Kind, Event Handlers in the Order of Their Controls")},
                {QStringLiteral("name"), QStringLiteral("By Name")}}}},
        .numbersProblem = {}};
    return spec;
}

RulesWindowSpec spellRulesWindow(const QStringList& installed, const QString& current)
{
    // The language in use stays a choice even when its dictionary has gone, so that the window
    // shows what is stored.
    QStringList languages = installed;
    if (!current.trimmed().isEmpty() && !languages.contains(current.trimmed()))
        languages.prepend(current.trimmed());
    std::vector<std::pair<QString, QString>> choices;
    for (const QString& language : languages) {
        const QLocale locale(language);
        const QString name = locale.language() == QLocale::C
            ? QString()
            : QLocale::languageToString(locale.language()) + QStringLiteral(" (")
                + QLocale::territoryToString(locale.territory()) + QLatin1Char(')');
        choices.emplace_back(language,
            language + (name.isEmpty() ? QString() : QStringLiteral(" - ") + name)
                + (installed.contains(language) ? QString() : QStringLiteral(" - not installed")));
    }
    RulesWindowSpec spec {.objectName = QStringLiteral("frmDASpellRule"),
        .title = QStringLiteral("Spelling Rules"),
        .positionSection = QStringLiteral(":DASpellForm"),
        .helpText = QStringLiteral(
                        "Execute Spell Check checks the words of the string literals and comments of the selected "
                        "files with the dictionary chosen here.  Names the code uses, paths, URLs, format strings "
                        "and words in CamelCase or ALL CAPS are passed over.  ")
            + (installed.isEmpty() ? QStringLiteral("No dictionary is installed: install a hunspell package for "
                                                    "your language (hunspell-en-us for American English).")
                                   : QStringLiteral("Other dictionaries come with the hunspell packages of their "
                                                    "languages.")),
        .fields = {{config::opt::SpellLiteralsOnly, QStringLiteral("Check String Literals Only, Not Comments"),
                       QStringLiteral("chkLiteralsOnly")},
            {config::opt::SpellLanguage, QStringLiteral("Dictionary"), QStringLiteral("optLanguage"), false, QString(),
                choices}},
        .numbersProblem = {}};
    return spec;
}

} // namespace quillon::ui
