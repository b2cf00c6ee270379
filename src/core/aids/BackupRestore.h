#pragma once
#include "aids/EditBackups.h"

#include <QString>

#include <vector>

namespace quillon::aids {

// The restore window's texts.
inline const QString kNothingToRestoreTitle = QStringLiteral("Nothing To Restore");
inline const QString kNothingToRestoreText = QStringLiteral("No edit backups are currently available.");
inline const QString kNothingSelectedTitle = QStringLiteral("Nothing Selected");
inline const QString kSelectToRestoreText = QStringLiteral("Select a backup to restore first.");
inline const QString kSelectToDeleteText = QStringLiteral("Select a backup to delete first.");
inline const QString kConfirmRestoreTitle = QStringLiteral("Confirm Restore");
inline const QString kRestoreCompleteTitle = QStringLiteral("Restore Complete");
inline const QString kConfirmDeleteTitle = QStringLiteral("Confirm Delete");
inline const QString kBackupsUnreadableTitle = QStringLiteral("Backups Not Readable");

// "2026-12-07 14:02:11   [Procedure]   /src/Module1.bas  -  Add"
QString backupListLine(const BackupEntry& entry);
// The files the entries were made from, each once: what a restore writes.
QStringList backedUpFiles(const std::vector<BackupEntry>& entries);

// Puts registered backups back: a file copy over its file, a procedure copy in place of the
// procedure it was made from (found by its key, then by its name) or at the end of the file.
// Unless told not to, the version being replaced is backed up first.
class BackupRestorer {
public:
    explicit BackupRestorer(EditBackups& backups) : backups_(backups) { }

    // The "Don't keep a copy of the current version before restoring" box, inverted.
    bool keepCurrentVersion = true;

    // The procedure a backup belongs to in its file as it is now; null when not found.
    model::RoutinePtr locateProcedure(const BackupEntry& entry) const;
    // The "Confirm Restore" question for the chosen entries (indexes into entries).
    QString confirmationText(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen) const;
    // Done: the line the report gives it (empty for a plain success); failed: why.
    model::Outcome<QString> restore(const BackupEntry& entry);
    // Restores the chosen entries, the most recent first; the "Restore Complete" text.
    QString restoreChosen(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen);

    static QString deleteConfirmationText(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen);
    void deleteChosen(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen);

private:
    model::Outcome<QString> restoreFile(const BackupEntry& entry);
    model::Outcome<QString> restoreProcedure(const BackupEntry& entry);
    // A backup taken out of the index under a work name, so that the current version's backup
    // can take its name: where it is, and its place in the list.
    struct Withdrawn {
        QString workPath;
        int place = -1;
    };
    model::Outcome<Withdrawn> withdraw(const BackupEntry& entry);
    // Registers it again when the restore could not be finished, as the same backup: its time and
    // place, so that the list never shows it twice and the newest is still restored first.
    QString putBack(const Withdrawn& withdrawn, const BackupEntry& entry);

    EditBackups& backups_;
};

} // namespace quillon::aids
