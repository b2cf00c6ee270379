#pragma once
#include "aids/BackupRestore.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QTreeWidget;
class QPushButton;

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::ui {

// Developer Aids | Restore Edited File/Procedure: the registered edit backups, oldest first,
// to put back or to delete, each with the name its copy is saved under (two backups of one file
// differ there). Every question and report goes through the message box given.
class RestoreBackupsDialog : public QDialog {
public:
    RestoreBackupsDialog(aids::EditBackups& backups, const config::Session& session, platform::IMessageBox& box,
        QWidget* parent = nullptr);

    // Shows the window modally; with no backup to show, says so instead and returns false.
    bool execIfAny();

    // After every restore or delete: the main window's menu follows what is left.
    std::function<void()> backupsChanged;

    // The buttons' work on the chosen lines.
    void restoreChosen();
    void deleteChosen();

    // One row per entry: its line (the text the questions quote) and the backup's file name.
    QTreeWidget* list() const { return list_; }
    const std::vector<aids::BackupEntry>& entries() const { return entries_; }

protected:
    void done(int result) override;

private:
    void buildControls();
    // The list from the index as it is now; Restore and Delete wait for a choice.
    void fill();
    void selectionChanged();
    std::vector<int> chosenRows() const;
    // Fills the list again, tells the main window, and closes once nothing is left.
    void afterRun();

    aids::EditBackups& backups_;
    const config::Session& session_;
    platform::IMessageBox& box_;
    aids::BackupRestorer restorer_;
    std::vector<aids::BackupEntry> entries_;
    QTreeWidget* list_ = nullptr;
    std::array<QPushButton*, 3> buttons_ {}; // Restore, Cancel, Delete
    QCheckBox* skipBackup_ = nullptr;
};

} // namespace quillon::ui
