#include "ui/SpellingDialog.h"

#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/SpellChecker.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace quillon::ui {

using platform::MessageIcon;

SpellingDialog::SpellingDialog(std::vector<aids::SpellFinding> findings, platform::ISpellChecker& checker,
    std::function<model::Outcome<void>(const QString& word)> addWord, platform::IMessageBox& box, QWidget* parent)
    : QDialog(parent), findings_(std::move(findings)), checker_(checker), addWord_(std::move(addWord)), box_(box)
{
    setObjectName(QStringLiteral("frmSpellCheck"));
    setWindowTitle(QStringLiteral("Spell Check Literals"));
    setModal(true);
    buildControls();
    adjustSize();
    centreWindow(this, parent);
    current_ = -1;
    next();
}

void SpellingDialog::buildControls()
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    where_ = new QLabel(this);
    where_->setObjectName(QStringLiteral("lblWhere"));
    outer->addWidget(where_);
    context_ = new QTextEdit(this);
    context_->setObjectName(QStringLiteral("txtContext"));
    context_->setReadOnly(true);
    context_->setFont(fixed);
    context_->setLineWrapMode(QTextEdit::WidgetWidth);
    context_->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(80, QLatin1Char('x'))));
    context_->setFixedHeight(QFontMetrics(fixed).lineSpacing() * 4 + 12);
    outer->addWidget(context_);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Not in Dictionary:"), this), 0, 0);
    word_ = new QLabel(this);
    word_->setObjectName(QStringLiteral("lblWord"));
    QFont bold = word_->font();
    bold.setBold(true);
    word_->setFont(bold);
    grid->addWidget(word_, 0, 1);
    auto* changeCaption = new QLabel(QStringLiteral("Change To:"), this);
    changeTo_ = new QLineEdit(this);
    changeTo_->setObjectName(QStringLiteral("txtChangeTo"));
    changeCaption->setBuddy(changeTo_);
    grid->addWidget(changeCaption, 1, 0);
    grid->addWidget(changeTo_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Suggestions:"), this), 2, 0, Qt::AlignTop);
    suggestions_ = new QListWidget(this);
    suggestions_->setObjectName(QStringLiteral("lstSuggestions"));
    grid->addWidget(suggestions_, 2, 1);

    auto* column = new QVBoxLayout;
    const std::pair<const char*, const char*> buttons[] = {{"&Ignore", "cmdIgnore"}, {"I&gnore All", "cmdIgnoreAll"},
        {"&Add to Dictionary", "cmdAddWord"}, {"&Replace", "cmdReplace"}, {"Replace A&ll", "cmdReplaceAll"}};
    for (const auto& [caption, name] : buttons) {
        QPushButton* button = namedButton(QString::fromLatin1(caption), QString::fromLatin1(name), this);
        button->setAutoDefault(false);
        button->setMinimumWidth(130);
        column->addWidget(button);
        answerButtons_.push_back(button);
    }
    column->addStretch(1);
    QPushButton* close = namedButton(QStringLiteral("Close"), QStringLiteral("cmdClose"), this);
    close->setAutoDefault(false);
    column->addWidget(close);
    grid->addLayout(column, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    outer->addLayout(grid, 1);
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("lblProgress"));
    outer->addWidget(progress_);

    connect(answerButtons_[0], &QPushButton::clicked, this, [this] { ignore(); });
    connect(answerButtons_[1], &QPushButton::clicked, this, [this] { ignoreAll(); });
    connect(answerButtons_[2], &QPushButton::clicked, this, [this] { addToDictionary(); });
    connect(answerButtons_[3], &QPushButton::clicked, this, [this] { replace(); });
    connect(answerButtons_[4], &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(suggestions_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty())
            changeTo_->setText(text);
    });
    connect(suggestions_, &QListWidget::itemDoubleClicked, this, [this] { replace(); });
}

int SpellingDialog::replacementCount() const
{
    int count = 0;
    for (const std::vector<aids::WordReplacement>& list : replacements_)
        count += int(list.size());
    return count;
}

void SpellingDialog::show(int index)
{
    const aids::SpellFinding& finding = findings_[size_t(index)];
    where_->setText(QFileInfo(finding.path).fileName() + QStringLiteral(", line ") + QString::number(finding.where.line)
        + (finding.where.inLiteral ? QStringLiteral(" (in a literal)") : QStringLiteral(" (in a comment)")));
    // The line as it stands, the word marked where it was found.
    const qsizetype at = finding.where.column - 1;
    const QString line = finding.lineText;
    context_->setHtml(QStringLiteral("<pre style=\"white-space: pre-wrap\">") + line.left(at).toHtmlEscaped()
        + QStringLiteral("<b><span style=\"color:#c00000\">") + line.mid(at, finding.where.word.size()).toHtmlEscaped()
        + QStringLiteral("</span></b>") + line.mid(at + finding.where.word.size()).toHtmlEscaped()
        + QStringLiteral("</pre>"));
    word_->setText(finding.where.word);
    const QStringList offered = checker_.suggestions(QString(finding.where.word).remove(u'&'));
    suggestions_->clear();
    suggestions_->addItems(offered);
    changeTo_->setText(offered.isEmpty() ? finding.where.word : offered.front());
    if (!offered.isEmpty())
        suggestions_->setCurrentRow(0);
    progress_->setText(QStringLiteral("Word ") + QString::number(index + 1) + QStringLiteral(" of ")
        + QString::number(findings_.size()));
}

void SpellingDialog::next()
{
    for (int i = current_ + 1; i < int(findings_.size()); ++i) {
        const aids::SpellFinding& finding = findings_[size_t(i)];
        if (ignored_.contains(finding.where.word))
            continue;
        if (const auto all = replaceAll_.constFind(finding.where.word); all != replaceAll_.constEnd()) {
            record(finding, *all);
            continue;
        }
        current_ = i;
        show(i);
        return;
    }
    current_ = -1;
    for (QPushButton* button : answerButtons_)
        button->setEnabled(false);
    if (isVisible()) {
        box_.showMessage(MessageIcon::Information, QStringLiteral("Spell Check Literals"),
            QStringLiteral("The spelling check is complete."));
        accept();
    }
}

void SpellingDialog::record(const aids::SpellFinding& finding, const QString& right)
{
    if (right == finding.where.word)
        return;
    replacements_[finding.path].push_back({finding.where.line, finding.where.column, finding.where.word, right});
}

void SpellingDialog::replace()
{
    if (current_ < 0)
        return;
    const QString right = changeTo_->text().trimmed();
    if (!right.isEmpty())
        record(findings_[size_t(current_)], right);
    next();
}

void SpellingDialog::replaceAll()
{
    if (current_ < 0)
        return;
    const QString right = changeTo_->text().trimmed();
    if (!right.isEmpty()) {
        record(findings_[size_t(current_)], right);
        replaceAll_.insert(findings_[size_t(current_)].where.word, right);
    }
    next();
}

void SpellingDialog::ignore()
{
    if (current_ >= 0)
        next();
}

void SpellingDialog::ignoreAll()
{
    if (current_ < 0)
        return;
    ignored_.insert(findings_[size_t(current_)].where.word);
    next();
}

void SpellingDialog::addToDictionary()
{
    if (current_ < 0)
        return;
    const QString word = findings_[size_t(current_)].where.word;
    if (const model::Outcome<void> added = addWord_ ? addWord_(word) : model::Outcome<void>(); !added) {
        box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Word Not Added"),
            QStringLiteral("The word ") + model::quote(word) + QStringLiteral(" could not be added to the personal ")
                + QStringLiteral("word list: ") + added.error() + QStringLiteral("  It is ignored until Quillon ends."));
    }
    checker_.accept(word);
    ignored_.insert(word);
    next();
}

} // namespace quillon::ui
