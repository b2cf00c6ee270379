#include "aids/BackupRestore.h"

#include "aids/SourceDocument.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <QFile>
#include <QFileInfo>

namespace quillon::aids {

using model::equalsNoCase;
using model::kCrLf;

namespace {

const QString kParagraph = kCrLf + kCrLf;

bool hasOtherPendingBackup(const std::vector<BackupEntry>& entries, const BackupEntry& entry)
{
    return std::any_of(entries.begin(), entries.end(), [&](const BackupEntry& other) {
        return !equalsNoCase(other.backupName, entry.backupName)
            && equalsNoCase(other.originalPath, entry.originalPath);
    });
}

QString notLocatedText()
{
    return QStringLiteral("Its original location could not be confidently identified "
                          "(the procedure may have been renamed, removed, or changed "
                          "since this backup was made), so it will be appended to the "
                          "end of the file instead - you'll need to move it into place "
                          "manually.");
}

QString singleQuestion(const BackupEntry& entry, bool located)
{
    const QString from =
        kCrLf + QStringLiteral("from the backup made ") + entry.timestamp + QLatin1Char('?') + kParagraph;
    if (!entry.isProcedure())
        return QStringLiteral("Restore ") + entry.originalPath + from
            + QStringLiteral("The current file will be overwritten.");
    return QStringLiteral("Restore ") + entry.procedureName + QStringLiteral(" in ") + entry.originalPath + from
        + (located ? QStringLiteral("The current version of this procedure will be overwritten.") : notLocatedText());
}

// The routine a backup belongs to: the first with its key, else the first with its name.
model::RoutinePtr locateIn(const model::RoutineList& routines, const BackupEntry& entry)
{
    if (!entry.uniqueKey.isEmpty()) {
        for (const model::RoutinePtr& routine : routines) {
            if (routine->uniqueKey == entry.uniqueKey)
                return routine;
        }
    }
    for (const model::RoutinePtr& routine : routines) {
        if (routine->routineName == entry.procedureName)
            return routine;
    }
    return nullptr;
}

} // namespace

QString backupListLine(const BackupEntry& entry)
{
    if (entry.isProcedure())
        return entry.timestamp + QStringLiteral("   [Procedure]   ") + entry.originalPath + QStringLiteral("  -  ")
            + entry.procedureName;
    return entry.timestamp + QStringLiteral("   [File]   ") + entry.originalPath;
}

QStringList backedUpFiles(const std::vector<BackupEntry>& entries)
{
    QStringList files;
    for (const BackupEntry& entry : entries) {
        if (!files.contains(entry.originalPath))
            files.append(entry.originalPath);
    }
    return files;
}

model::RoutinePtr BackupRestorer::locateProcedure(const BackupEntry& entry) const
{
    if (!QFileInfo(entry.originalPath).isFile())
        return nullptr;
    return locateIn(model::splitFileIntoRoutines(entry.originalPath, backups_.reader()), entry);
}

QString BackupRestorer::confirmationText(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen) const
{
    bool otherPending = false;
    int notLocated = 0;
    for (const int index : chosen) {
        const BackupEntry& entry = entries[size_t(index)];
        otherPending = otherPending || hasOtherPendingBackup(entries, entry);
        if (entry.isProcedure() && !locateProcedure(entry))
            ++notLocated;
    }
    QString text;
    if (chosen.size() == 1) {
        text = singleQuestion(entries[size_t(chosen.front())], notLocated == 0);
    } else {
        text = QStringLiteral("Restore the ") + QString::number(chosen.size()) + QStringLiteral(" selected backups?")
            + kParagraph + QStringLiteral("Each current file/procedure will be overwritten by its backed-up version.");
        if (notLocated > 0) {
            text += kParagraph + QString::number(notLocated)
                + QStringLiteral(" of these could not be confidently located in the current "
                                 "file and will instead be appended to the end of it for manual placement.");
        }
    }
    if (otherPending) {
        text += kParagraph
            + QStringLiteral("WARNING: there is at least one other pending backup for this same file (or for a "
                             "procedure within it).  Restoring this backup may make that other backup's changes "
                             "unavailable if it is restored afterward.");
    }
    return text;
}

model::Outcome<QString> BackupRestorer::restore(const BackupEntry& entry)
{
    return entry.isProcedure() ? restoreProcedure(entry) : restoreFile(entry);
}

QString BackupRestorer::restoreChosen(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen)
{
    int restored = 0;
    QString report;
    // Newest first, as undoing goes: where one file has several backups, the oldest is put back
    // last and the file ends as it was before the first change, not at a version in between.
    std::vector<int> order = chosen;
    std::sort(order.begin(), order.end(), std::greater<int>());
    for (const int index : order) {
        const model::Outcome<QString> step = restore(entries[size_t(index)]);
        if (step) {
            ++restored;
            if (!step->isEmpty())
                report += kCrLf + QStringLiteral("- ") + *step;
        } else {
            report += kCrLf + QStringLiteral("- FAILED: ") + step.error();
        }
    }
    if (chosen.size() == 1 && restored == 1 && report.isEmpty()) {
        const BackupEntry& entry = entries[size_t(chosen.front())];
        return entry.isProcedure() ? QStringLiteral("Restored ") + entry.procedureName + QStringLiteral(" in ")
                + entry.originalPath + QLatin1Char('.')
                                   : QStringLiteral("Restored ") + entry.originalPath + QLatin1Char('.');
    }
    QString text = QString::number(restored) + QStringLiteral(" of ") + QString::number(chosen.size())
        + QStringLiteral(" backup(s) restored.");
    if (!report.isEmpty())
        text += report;
    return text;
}

model::Outcome<BackupRestorer::Withdrawn> BackupRestorer::withdraw(const BackupEntry& entry)
{
    const QString folder = backups_.backupFolder(false);
    const QString work = folder + QLatin1Char('~') + entry.backupName;
    QFile::remove(work);
    QFile backup(folder + entry.backupName);
    if (!backup.rename(work))
        return model::Failure {backup.errorString()};
    return Withdrawn {work, backups_.removeBackup(entry.backupName)};
}

QString BackupRestorer::putBack(const Withdrawn& withdrawn, const BackupEntry& entry)
{
    QString name =
        backups_.uniqueBackupPath(backups_.backupFolder(true) + entry.backupName, false, 1, entry.kind.toLower());
    if (name.isEmpty() || !QFile::rename(withdrawn.workPath, name))
        return withdrawn.workPath;
    backups_.reinstateBackup(name, entry, withdrawn.place);
    return name;
}

model::Outcome<QString> BackupRestorer::restoreFile(const BackupEntry& entry)
{
    const model::Outcome<Withdrawn> withdrawn = withdraw(entry);
    if (!withdrawn) {
        return model::Failure {QStringLiteral("The backup file ") + entry.backupName
            + QStringLiteral(" could not be used (") + withdrawn.error() + QStringLiteral(") - ") + entry.originalPath
            + QStringLiteral(" was not restored.")};
    }
    if (keepCurrentVersion)
        backups_.backupFile(entry.originalPath, false, 1);
    const model::Outcome<QByteArray> copy = model::readRegularFile(withdrawn->workPath);
    const model::Outcome<void> written = copy ? replaceFileBytes(entry.originalPath, *copy) : copy.failure();
    if (!written) {
        const QString kept = putBack(*withdrawn, entry);
        return model::Failure {QStringLiteral("Could not write ") + entry.originalPath + QStringLiteral(" (")
            + written.error() + QStringLiteral(") - the backup is kept as ") + model::fileNameOf(kept)
            + QLatin1Char('.')};
    }
    QFile::remove(withdrawn->workPath);
    return QString();
}

model::Outcome<QString> BackupRestorer::restoreProcedure(const BackupEntry& entry)
{
    const QString& name = entry.procedureName;
    const model::Outcome<SourceDocument> read = readSourceDocument(entry.originalPath, backups_.reader());
    const SourceDocument current = read.valueOr({});
    const QStringList lines = backups_.readRtfBackupLines(
        backups_.backupFolder(false) + entry.backupName, read ? &current.encoding : nullptr);
    if (lines.isEmpty())
        return model::Failure {QStringLiteral("Could not read the backup file for ") + name + QLatin1Char('.')};
    if (!QFileInfo::exists(entry.originalPath))
        return model::Failure {
            entry.originalPath + QStringLiteral(" no longer exists - ") + name + QStringLiteral(" was not restored.")};
    // Found in the lines just read, which are the lines the restore replaces.
    const model::RoutinePtr located = locateIn(model::splitLinesIntoRoutines(entry.originalPath, current.lines), entry);
    if (current.lines.isEmpty())
        return model::Failure {QStringLiteral("Could not read ") + entry.originalPath + QStringLiteral(" - ") + name
            + QStringLiteral(" was not restored.")};
    const model::Outcome<Withdrawn> withdrawn = withdraw(entry);
    if (!withdrawn) {
        return model::Failure {QStringLiteral("The backup file ") + entry.backupName
            + QStringLiteral(" could not be used (") + withdrawn.error() + QStringLiteral(") - ") + name
            + QStringLiteral(" was not restored.")};
    }
    QStringList restored;
    if (located) {
        if (keepCurrentVersion)
            backups_.backupProcedure(*located, false, 1);
        const qsizetype start = std::clamp<qsizetype>(located->startLine, 1, current.lines.size() + 1);
        const qsizetype end = std::clamp<qsizetype>(located->endLine, start - 1, current.lines.size());
        restored = current.lines.mid(0, start - 1) + lines + current.lines.mid(end);
    } else {
        restored = current.lines;
        restored << QString()
                 << QStringLiteral("'--- Restored ") + name
                + QStringLiteral(" (original location not found - move into place manually) ---");
        restored += lines;
    }
    if (const model::Outcome<void> written = writeSourceLines(entry.originalPath, restored, current); !written) {
        const QString kept = putBack(*withdrawn, entry);
        return model::Failure {QStringLiteral("Could not write ") + entry.originalPath + QStringLiteral(" (")
            + written.error() + QStringLiteral(") - ") + name
            + QStringLiteral(" was not restored; the backup is kept as ") + model::fileNameOf(kept) + QLatin1Char('.')};
    }
    QFile::remove(withdrawn->workPath);
    if (located)
        return QString();
    return name + QStringLiteral(" - appended to the end of ") + entry.originalPath
        + QStringLiteral("; please move it into place manually.");
}

QString BackupRestorer::deleteConfirmationText(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen)
{
    if (chosen.size() == 1) {
        return QStringLiteral("Permanently delete this backup?") + kParagraph
            + backupListLine(entries[size_t(chosen.front())]) + kParagraph + QStringLiteral("This cannot be undone.");
    }
    return QStringLiteral("Permanently delete these ") + QString::number(chosen.size()) + QStringLiteral(" backups?")
        + kParagraph + QStringLiteral("This cannot be undone.");
}

void BackupRestorer::deleteChosen(const std::vector<BackupEntry>& entries, const std::vector<int>& chosen)
{
    for (const int index : chosen)
        backups_.removeBackup(entries[size_t(index)].backupName);
}

} // namespace quillon::aids
