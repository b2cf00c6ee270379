#pragma once
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillon::config {
class IniStore;
class Session;
} // namespace quillon::config

namespace quillon::aids {

inline const QString kBackupFolderName = QStringLiteral("EditBackups");
inline const QString kBackupIndexName = QStringLiteral("EditBackups.ini");
inline const QString kFileKind = QStringLiteral("File");
inline const QString kProcedureKind = QStringLiteral("Procedure");

// One registered backup, as the index file keeps it.
struct BackupEntry {
    QString backupName; // the backup's file name in the backup folder, also its section name
    QString originalPath; // the file backed up, or the file that holds the procedure
    QString kind; // "File" or "Procedure"
    QString procedureName; // empty for a file backup
    QString uniqueKey; // empty for a file backup
    QString timestamp; // "yyyy-MM-dd hh:mm:ss", local time of registering

    bool isProcedure() const; // any kind but "Procedure" (ignoring case) is a file backup
};

// The answer to "Overwrite Backup?".
struct OverwriteAnswer {
    bool overwrite = false;
    bool applyToAll = false; // the same answer for the rest of the run, without asking
};
// Asked when a backup of that name exists already: its path, how many files or procedures are
// still to be backed up in this run (this one included), and "file" or "procedure".
using OverwriteQuestion = std::function<OverwriteAnswer(const QString& path, int remaining, const QString& kindWord)>;
// The question's text.
QString overwritePromptText(const QString& path, int remaining, const QString& kindWord);

// The colours of a procedure backup document, red in the low byte: code, comments, literals.
struct RtfColors {
    qint32 normal = 0;
    qint32 comment = 0x008000;
    qint32 literal = 0x800000;
};
// One source line as the document writes it, coloured and escaped.
QString rtfLine(const QString& line);
// The whole document for these lines; it is written followed by CR LF.
QString procedureRtf(const QStringList& lines, const RtfColors& colors);
// The source lines back from the document's lines. Reads in one pass, so that whatever lines
// were written come back exactly, "\cf1 " or "\\" in the code included.
QStringList rtfBackupLines(const QStringList& documentLines);

// The file name a procedure's backup takes: the routine name with every character that could
// lead out of the backup folder ("/", "\", ":", "..") made "_", and ".rtf".
QString procedureBackupFileName(const QString& routineName);

// The backups the developer aids make before they rewrite a source file: whole files copied
// byte for byte, single procedures as a small coloured document, each registered in the index
// file of the backup folder so that the restore window can put it back.
class EditBackups {
public:
    // workingFolder: where the folder "EditBackups" is kept; ini: the store that reads and writes
    // its index; reader: how source files are decoded (their code page).
    EditBackups(QString workingFolder, const config::IniStore& ini, const model::SourceReader& reader,
        RtfColors colors = RtfColors());
    // The working folder and colours of the options the session holds.
    static EditBackups forSession(const config::Session& session, const model::SourceReader& reader);

    // The backup folder, ending in "/"; created with its parents when create is set.
    QString backupFolder(bool create) const;
    // Why backups could not be written to the backup folder (it cannot be made, or written
    // in); empty when they can. Nothing is created.
    QString folderProblem() const;
    // The index exists but cannot be read: its backups cannot be listed.
    bool indexUnreadable() const;
    QString indexPath() const { return backupFolder(false) + kBackupIndexName; }
    const model::SourceReader& reader() const { return *reader_; }

    // A copy of the file, or of the routine's lines, registered in the index; a failure says why
    // no backup was made.
    model::Outcome<void> backupFile(const QString& path, bool askOverwrite, int remaining);
    model::Outcome<void> backupProcedure(const model::Routine& routine, bool askOverwrite, int remaining);
    // The path a backup goes to: the name itself when free or when the user lets it be
    // overwritten, else the first free "NAME (N).EXT"; empty when none is left.
    QString uniqueBackupPath(const QString& path, bool ask, int remaining, const QString& kindWord);
    // The routine's lines as a document; empty when its span is empty or the file unreadable.
    // *encoding: how the file was decoded.
    QString procedureToRtf(const model::Routine& routine, model::TextEncoding* encoding = nullptr) const;
    model::Outcome<void> registerBackup(const QString& backupPath, const QString& originalPath, const QString& kind,
        const QString& procedureName, const QString& uniqueKey);
    // Registers a backup that was taken out of the index again as it was, under the name it now
    // has: its own time stamp, and at its old place in the list (as removeBackup gave it; -1
    // after the last).
    model::Outcome<void> reinstateBackup(const QString& backupPath, const BackupEntry& entry, int place);
    // Unregisters the backup and deletes its file. Its place in the index's list (0 first),
    // -1 when it was not listed.
    int removeBackup(const QString& backupName);
    // The registered backups whose file exists, oldest first.
    std::vector<BackupEntry> loadBackupList() const;
    bool hasBackups() const { return !loadBackupList().empty(); }
    // A procedure backup's source lines; none when it cannot be read. Decoded as the file it goes
    // back into is (its encoding given), else as the reader decodes sources.
    QStringList readRtfBackupLines(const QString& path, const model::TextEncoding* encoding = nullptr) const;

    // Forgets an "apply to all" answer: called at the start of every run.
    void resetOverwriteMemory() { applyToAllSet_ = false; }

    // Asks whether an existing backup may be overwritten; unset, the answer is No.
    OverwriteQuestion askOverwrite;
    // The time a backup is registered at.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    QString workingFolder_;
    const config::IniStore* ini_;
    const model::SourceReader* reader_;
    RtfColors colors_;
    bool applyToAllSet_ = false;
    bool applyToAllAnswer_ = false;
};

} // namespace quillon::aids
