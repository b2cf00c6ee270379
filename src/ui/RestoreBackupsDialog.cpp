#include "ui/RestoreBackupsDialog.h"

#include "config/Session.h"
#include "platform/MessageBox.h"
#include "ui/MessageDialogLayout.h"
#include "ui/NamedControls.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quillon::ui {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageId;
using platform::MessageResult;

namespace {

const QString kRestoreWindowSection = QStringLiteral(":RestoreBackupsForm");

} // namespace

RestoreBackupsDialog::RestoreBackupsDialog(
    aids::EditBackups& backups, const config::Session& session, platform::IMessageBox& box, QWidget* parent)
    : QDialog(parent), backups_(backups), session_(session), box_(box), restorer_(backups)
{
    setObjectName(QStringLiteral("frmRestoreBackups"));
    setWindowTitle(QStringLiteral("Restore Edited File/Procedure"));
    setModal(true);
    buildControls();
    const QColor theme = dialoglayout::themeColor(session_.options.windowBackColor());
    paintBackground(this, theme, QPalette::Base);
    paintBackground(list_, theme, QPalette::Base);
    fill();
    resize(820, 380);
    if (!restoreWindowPosition(this, session_.ini, kRestoreWindowSection))
        centreWindow(this, parent);
}

void RestoreBackupsDialog::buildControls()
{
    auto* outer = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lstBackups"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Backup"), QStringLiteral("Saved As")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    outer->addWidget(list_, 1);
    skipBackup_ = new QCheckBox(QStringLiteral("Don't keep a copy of the current version before restoring"), this);
    skipBackup_->setObjectName(QStringLiteral("chkSkipBackup"));
    outer->addWidget(skipBackup_);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const char* const captions[3] = {"Restore", "Cancel", "Delete"};
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        buttons_[i]->setObjectName(QStringLiteral("cmdBackup"));
        buttons_[i]->setProperty("index", int(i));
        buttons_[i]->setAutoDefault(false);
        buttons_[i]->setMinimumWidth(110);
        row->addWidget(buttons_[i]);
    }
    row->addStretch(1);
    outer->addLayout(row);
    connect(buttons_[0], &QPushButton::clicked, this, [this] { restoreChosen(); });
    connect(buttons_[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(buttons_[2], &QPushButton::clicked, this, [this] { deleteChosen(); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
}

void RestoreBackupsDialog::fill()
{
    entries_ = backups_.loadBackupList();
    list_->clear();
    const QFontMetrics metrics(list_->font());
    int widest = 0;
    for (const aids::BackupEntry& entry : entries_) {
        const QString line = aids::backupListLine(entry);
        widest = std::max(widest, metrics.horizontalAdvance(line));
        new QTreeWidgetItem(list_, {line, entry.backupName});
    }
    // The lines' column is as wide as the widest line and some room; the list scrolls across it.
    list_->setColumnWidth(0, widest + 20);
    buttons_[0]->setEnabled(false);
    buttons_[2]->setEnabled(false);
}

void RestoreBackupsDialog::selectionChanged()
{
    const bool any = !list_->selectedItems().isEmpty();
    buttons_[0]->setEnabled(any);
    buttons_[2]->setEnabled(any);
}

std::vector<int> RestoreBackupsDialog::chosenRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < list_->topLevelItemCount() && size_t(row) < entries_.size(); ++row)
        if (list_->topLevelItem(row)->isSelected())
            rows.push_back(row);
    return rows;
}

bool RestoreBackupsDialog::execIfAny()
{
    if (entries_.empty() && backups_.indexUnreadable()) {
        box_.showMessage(MessageIcon::Critical, aids::kBackupsUnreadableTitle,
            QStringLiteral("The list of edit backups, ") + backups_.indexPath()
                + QStringLiteral(", cannot be read, so none can be restored."));
        return false;
    }
    if (entries_.empty()) {
        box_.showMessage(MessageIcon::Information, aids::kNothingToRestoreTitle, aids::kNothingToRestoreText);
        return false;
    }
    exec();
    return true;
}

void RestoreBackupsDialog::restoreChosen()
{
    const std::vector<int> chosen = chosenRows();
    if (chosen.empty()) {
        box_.showMessage(MessageIcon::Information, aids::kNothingSelectedTitle, aids::kSelectToRestoreText);
        return;
    }
    restorer_.keepCurrentVersion = !skipBackup_->isChecked();
    if (box_.showMessage(MessageId::ConfirmRestore, MessageIcon::Question, aids::kConfirmRestoreTitle,
            restorer_.confirmationText(entries_, chosen), MessageButtons::YesNo)
        != MessageResult::Yes)
        return;
    const QString report = restorer_.restoreChosen(entries_, chosen);
    box_.showMessage(MessageIcon::Information, aids::kRestoreCompleteTitle, report);
    afterRun();
}

void RestoreBackupsDialog::deleteChosen()
{
    const std::vector<int> chosen = chosenRows();
    if (chosen.empty()) {
        box_.showMessage(MessageIcon::Information, aids::kNothingSelectedTitle, aids::kSelectToDeleteText);
        return;
    }
    if (box_.showMessage(MessageId::ConfirmDelete, MessageIcon::Exclamation, aids::kConfirmDeleteTitle,
            aids::BackupRestorer::deleteConfirmationText(entries_, chosen), MessageButtons::YesNo)
        != MessageResult::Yes)
        return;
    restorer_.deleteChosen(entries_, chosen);
    afterRun();
}

void RestoreBackupsDialog::afterRun()
{
    fill();
    if (backupsChanged)
        backupsChanged();
    if (entries_.empty())
        accept();
}

void RestoreBackupsDialog::done(int result)
{
    saveWindowPosition(this, session_.ini, kRestoreWindowSection);
    QDialog::done(result);
}

} // namespace quillon::ui
