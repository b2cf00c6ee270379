#include "ui/WrapRulesDialog.h"

#include "aids/CodeWrap.h"
#include "config/Session.h"
#include "platform/MessageBox.h"
#include "ui/AidRulesDialog.h"
#include "ui/MessageDialogLayout.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillon::ui {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageId;
using platform::MessageResult;

namespace {

const QString kWrapRulesWindowSection = QStringLiteral(":DAWrapLineForm");

QRadioButton* optionButton(const QString& caption, const QString& name, int index, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setProperty("index", index);
    return button;
}

template <size_t N>
int checkedIndex(const std::array<QRadioButton*, N>& buttons)
{
    for (size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked())
            return int(i);
    return 0;
}

} // namespace

WrapRulesDialog::WrapRulesDialog(config::Session& session, platform::IMessageBox& box, QWidget* parent)
    : QDialog(parent), session_(session), box_(box)
{
    setObjectName(QStringLiteral("frmDAWrapRule"));
    setWindowTitle(QStringLiteral("IDE Long  Line Wrap Rules"));
    setModal(true);
    buildControls();
    const QColor theme = dialoglayout::themeColor(session_.options.windowBackColor());
    paintBackground(this, theme, backgroundRole());
    for (QWidget* child : findChildren<QWidget*>())
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QRadioButton*>(child))
            paintBackground(child, theme, child->backgroundRole());
    showOptions();
    connectControls();
    adjustSize();
    if (!restoreWindowPosition(this, session_.ini, kWrapRulesWindowSection))
        centreWindow(this, parent);
}

void WrapRulesDialog::buildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->addWidget(buildHelp(), 1);
    auto* frames = new QHBoxLayout;
    frames->addWidget(buildIndentFrame(), 1);
    frames->addWidget(buildSignatureFrame(), 1);
    outer->addLayout(frames);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const QString captions[2] = {QStringLiteral("Save And Exit"), QStringLiteral("Cancel")};
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = namedButton(captions[i], QStringLiteral("cmdWrap"), this);
        buttons_[i]->setProperty("index", int(i));
        buttons_[i]->setAutoDefault(false);
        buttons_[i]->setMinimumWidth(110);
        row->addWidget(buttons_[i]);
    }
    outer->addLayout(row);
}

QWidget* WrapRulesDialog::buildHelp()
{
    QString text = aids::wrapRulesHelpText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    auto* help = new QLabel(text, this);
    help->setObjectName(QStringLiteral("lblWrapRules"));
    help->setTextFormat(Qt::PlainText);
    help->setTextInteractionFlags(Qt::TextSelectableByMouse);
    help->setMargin(6);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrWrapRules"));
    scroll->setWidget(help);
    scroll->setWidgetResizable(true);
    // Wide enough for the longest line of the text in most fonts, and its 27 lines in full; a
    // smaller screen scrolls.
    const QFontMetrics metrics(help->font());
    const QSize extent = metrics.size(0, text);
    scroll->setMinimumSize(std::min(extent.width() + 40, 1100), std::min(extent.height() + 24, 560));
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

QWidget* WrapRulesDialog::buildIndentFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Continuation Line Indent"), this);
    frame->setObjectName(QStringLiteral("fraIndent"));
    auto* column = new QVBoxLayout(frame);
    whichIndent_[0] = optionButton(
        QStringLiteral("Use Indent from Developer Aids Code Indent Rules"), QStringLiteral("optWrapIndent"), 0, frame);
    whichIndent_[1] =
        optionButton(QStringLiteral("Use Specific Wrap Line Indent"), QStringLiteral("optWrapIndent"), 1, frame);
    column->addWidget(whichIndent_[0]);
    column->addWidget(whichIndent_[1]);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Indent Level For Continuation Lines"), frame);
    caption->setObjectName(QStringLiteral("lblIndent"));
    indent_ = new QLineEdit(frame);
    indent_->setObjectName(QStringLiteral("txtIndent"));
    indent_->setFixedWidth(indent_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    caption->setBuddy(indent_);
    auto* range = new QLabel(QStringLiteral("(0 to 9 are valid indent spaces)"), frame);
    range->setObjectName(QStringLiteral("lblIndentRange"));
    row->addWidget(caption);
    row->addWidget(indent_);
    row->addWidget(range);
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);
    return frame;
}

QWidget* WrapRulesDialog::buildSignatureFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Signature Lines"), this);
    frame->setObjectName(QStringLiteral("fraSignature"));
    auto* column = new QVBoxLayout(frame);
    signature_[0] = optionButton(QStringLiteral("Wrap Each Parameter in a Signature Line (")
            + QStringLiteral("including procedures with 1 or 2 paramaters)"),
        QStringLiteral("OptSigIndent"), 0, frame);
    signature_[1] = optionButton(
        QStringLiteral("Use Normal Wrap Line Rule For Signature Lines"), QStringLiteral("OptSigIndent"), 1, frame);
    wrapAlways_ = new QCheckBox(QStringLiteral("Wrap Signature Lines Even When They Fit"), frame);
    wrapAlways_->setObjectName(QStringLiteral("chkWrap"));
    column->addWidget(signature_[0]);
    column->addWidget(signature_[1]);
    column->addWidget(wrapAlways_);
    column->addStretch(1);
    return frame;
}

void WrapRulesDialog::showOptions()
{
    const config::Options& options = session_.options;
    indent_->setText(options.text(config::opt::WrapCodeIndent));
    whichIndent_[options.integer(config::opt::WhichIndent) == 1 ? 1 : 0]->setChecked(true);
    signature_[options.integer(config::opt::SigWrap) == 1 ? 1 : 0]->setChecked(true);
    wrapAlways_->setChecked(options.boolean(config::opt::Wrap2Sig));
    changesPending_ = false;
    buttons_[0]->setEnabled(false);
}

void WrapRulesDialog::connectControls()
{
    connect(indent_, &QLineEdit::textChanged, this, [this] { markChanged(); });
    for (QRadioButton* button : {whichIndent_[0], whichIndent_[1], signature_[0], signature_[1]})
        connect(button, &QRadioButton::toggled, this, [this] { markChanged(); });
    connect(wrapAlways_, &QCheckBox::toggled, this, [this] { markChanged(); });
    connect(buttons_[0], &QPushButton::clicked, this, [this] { saveAndExit(); });
    connect(buttons_[1], &QPushButton::clicked, this, &QDialog::reject);
}

void WrapRulesDialog::markChanged()
{
    changesPending_ = true;
    buttons_[0]->setEnabled(true);
}

bool WrapRulesDialog::saveAndExit()
{
    const QString problem = aids::wrapIndentProblem(indent_->text());
    if (!problem.isEmpty()) {
        box_.showMessage(MessageIcon::Critical, aids::kBadIndentTitle, problem);
        indent_->setFocus(Qt::OtherFocusReason);
        indent_->selectAll();
        return false;
    }
    config::Options& options = session_.options;
    options.set(config::opt::WrapCodeIndent, indent_->text().trimmed());
    options.setInt(config::opt::WhichIndent, checkedIndex(whichIndent_));
    options.setInt(config::opt::SigWrap, checkedIndex(signature_));
    options.setBool(config::opt::Wrap2Sig, wrapAlways_->isChecked());
    saveRulesOrSaySo(session_, box_);
    changesPending_ = false;
    done(QDialog::Accepted);
    return true;
}

void WrapRulesDialog::reject()
{
    if (changesPending_
        && box_.showMessage(MessageId::WrapRulesChangesPending, MessageIcon::Question,
               QStringLiteral("Changes Are Pending"),
               QStringLiteral("Changes have been made.  Dou you want to Exit ")
                   + QStringLiteral("without saving changes?"),
               MessageButtons::YesNo)
            != MessageResult::Yes)
        return;
    QDialog::reject();
}

void WrapRulesDialog::done(int result)
{
    saveWindowPosition(this, session_.ini, kWrapRulesWindowSection);
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------

void showLinesLeftAlone(const QString& title, const QString& caption, const QStringList& lines, QWidget* owner)
{
    QDialog window(owner);
    window.setObjectName(QStringLiteral("frm") + QString(title).remove(QLatin1Char(' ')));
    window.setWindowTitle(title);
    window.setModal(true);
    auto* outer = new QVBoxLayout(&window);
    auto* label = new QLabel(caption, &window);
    label->setWordWrap(true);
    outer->addWidget(label);
    auto* text = new QPlainTextEdit(&window);
    text->setObjectName(QStringLiteral("txtLines"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setPlainText(lines.join(QLatin1Char('\n')));
    outer->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &window);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    outer->addWidget(buttons);
    window.resize(760, 360);
    centreWindow(&window, owner);
    window.exec();
}

} // namespace quillon::ui
