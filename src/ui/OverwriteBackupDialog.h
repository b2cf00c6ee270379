#pragma once
#include "aids/EditBackups.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quillon::ui {

// "Overwrite Backup?": asked when a backup of the same name is in the backup folder already.
// Yes overwrites it; No, Escape and the close box keep it (the new backup takes a numbered
// name). With more files or procedures to come, the answer can be kept for the rest of the run.
class OverwriteBackupDialog : public QDialog {
public:
    OverwriteBackupDialog(const QString& path, int remaining, const QString& kindWord, QWidget* parent = nullptr);

    // No, without "apply to all", until Yes or No is clicked.
    const aids::OverwriteAnswer& answer() const { return answer_; }

private:
    void answerWith(bool overwrite);
    // Places the controls at their fixed spots, lower when the message needs more room.
    void layOut(bool withApplyAll);

    aids::OverwriteAnswer answer_;
    QLabel* message_ = nullptr;
    QCheckBox* applyAll_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

// The question as the backups ask it: the dialog, modal over owner.
aids::OverwriteQuestion overwriteQuestion(QWidget* owner);

} // namespace quillon::ui
