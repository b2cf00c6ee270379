#include "ui/OverwriteBackupDialog.h"

#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace quillon::ui {

namespace {

// Where the controls stand, in twips from the dialog's top-left corner.
constexpr int kMarginTwips = 120;
constexpr int kButtonsTopTwips = 1740;
constexpr int kButtonsTopWithApplyAllTwips = 2370;
constexpr int kButtonWidthTwips = 1215;
constexpr int kButtonHeightTwips = 375;
constexpr int kButtonGapTwips = 240;
constexpr int kMinimumWidthTwips = 4800;

} // namespace

OverwriteBackupDialog::OverwriteBackupDialog(
    const QString& path, int remaining, const QString& kindWord, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOverwriteBackup"));
    setWindowTitle(QStringLiteral("Overwrite Backup?"));
    setModal(true);
    QString text = aids::overwritePromptText(path, remaining, kindWord);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message_ = new QLabel(text, this);
    message_->setObjectName(QStringLiteral("lblMessage"));
    message_->setTextFormat(Qt::PlainText);
    applyAll_ =
        new QCheckBox(QStringLiteral("Apply this answer to all remaining files/procedures in this operation"), this);
    applyAll_->setObjectName(QStringLiteral("chkApplyAll"));
    applyAll_->setChecked(false);
    yes_ = namedButton(QStringLiteral("Yes"), QStringLiteral("cmdYes"), this);
    no_ = namedButton(QStringLiteral("No"), QStringLiteral("cmdNo"), this);
    no_->setDefault(true); // Enter keeps the old backup, as closing does
    connect(yes_, &QPushButton::clicked, this, [this] { answerWith(true); });
    connect(no_, &QPushButton::clicked, this, [this] { answerWith(false); });
    const bool withApplyAll = remaining > 1;
    applyAll_->setVisible(withApplyAll);
    layOut(withApplyAll);
    centreWindow(this, parent);
}

void OverwriteBackupDialog::layOut(bool withApplyAll)
{
    const double dpi = logicalDpiY();
    auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    const int margin = px(kMarginTwips);
    message_->adjustSize();
    message_->move(margin, margin);
    applyAll_->adjustSize();
    // A large font must not let the message run under the controls below it.
    const int lowest = message_->geometry().bottom() + margin / 2;
    const int shift = std::max(0, lowest - px(kButtonsTopTwips));
    const int buttonsTop = px(withApplyAll ? kButtonsTopWithApplyAllTwips : kButtonsTopTwips) + shift;
    applyAll_->move(margin, px(kButtonsTopTwips) + shift);

    const QSize buttonSize(std::max(px(kButtonWidthTwips), yes_->sizeHint().width()),
        std::max(px(kButtonHeightTwips), yes_->sizeHint().height()));
    const int gap = px(kButtonGapTwips);
    int width = std::max({px(kMinimumWidthTwips), message_->width() + 2 * margin, 2 * buttonSize.width() + 3 * gap});
    if (withApplyAll)
        width = std::max(width, applyAll_->width() + 2 * margin);
    const int left = (width - 2 * buttonSize.width() - gap) / 2;
    yes_->setGeometry(QRect(QPoint(left, buttonsTop), buttonSize));
    no_->setGeometry(QRect(QPoint(left + buttonSize.width() + gap, buttonsTop), buttonSize));
    setFixedSize(width, buttonsTop + buttonSize.height() + margin);
}

void OverwriteBackupDialog::answerWith(bool overwrite)
{
    answer_.overwrite = overwrite;
    answer_.applyToAll = !applyAll_->isHidden() && applyAll_->isChecked();
    accept();
}

aids::OverwriteQuestion overwriteQuestion(QWidget* owner)
{
    return [owner = QPointer<QWidget>(owner)](const QString& path, int remaining, const QString& kindWord) {
        OverwriteBackupDialog dialog(path, remaining, kindWord, owner);
        dialog.exec();
        return dialog.answer();
    };
}

} // namespace quillon::ui
