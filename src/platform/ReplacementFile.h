#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quillon::platform {

// Where a file that replaces PATH goes: the file itself for a regular file (through links),
// the absolute path for a file that does not exist yet; empty for anything a rename must not
// replace (a device, a FIFO, a folder, a link to nothing).
QString replaceablePath(const QString& path);

// Puts FROM on disk, gives it TO's permissions when TO is an existing file, and renames it over
// TO in one step: TO is the old file or the whole new one, and keeps who may read it. False
// with the reason, FROM and TO then as they were.
bool renameOver(const QString& from, const QString& to, QString* error = nullptr);

// Puts the folder FROM in TO's place in one step: where the system can, the two swap places in
// one rename (TO's old contents then under FROM's name, for the caller to remove); otherwise TO
// is renamed aside under FROM's name first, the moment between the two renames being the only
// time TO is missing. TO that does not exist is simply FROM renamed. False with the reason, both
// then as they were.
bool swapInFolder(const QString& from, const QString& to, QString* error = nullptr);

// Whether a process of this number runs (a work folder named after a process that no longer runs
// was left by a run that was killed).
bool processRuns(qint64 pid);

// How long a work file must have been left unchanged before it counts as left behind: a run
// still writing one touches it far more often than that.
inline constexpr qint64 kStaleWorkFileSeconds = 10 * 60;

// The work files a replacement of one of the targets left behind when the program was killed
// between writing and renaming: named exactly as ReplacementFile names them for that target,
// regular files, last modified more than kStaleWorkFileSeconds before now and not being written
// by this program. They are removed; the paths removed are returned, nothing else is touched.
QStringList removeStaleWorkFiles(const QStringList& targets, const QDateTime& now);
// What is told of each: "removed an unfinished work file left by an earlier run: PATH".
QString staleWorkFileNote(const QString& path);

// A file that takes the place of another only once it is complete: it is written under a work
// name in the target's folder and renamed over the target in one step, so the target is
// either the old file or the whole new one, never a half-written mix. Until then the work file
// is removed if the program is interrupted, and when this object ends uncommitted. A target
// that is a device or a FIFO is written in place; one reached through a link is replaced where
// the link points.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile() { discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the empty work file beside the target. False with the reason when the folder
    // cannot take it (missing, not writable).
    bool begin(const QString& target, QString* error = nullptr);
    bool isActive() const { return !workPath_.isEmpty(); }
    // The target is a device or a FIFO, written in place (and not to be read back).
    bool isDirect() const { return direct_; }
    const QString& workPath() const { return workPath_; }
    const QString& target() const { return target_; }

    // Puts the work file's contents on disk, gives it the target's permissions when the target
    // exists, and renames it over the target. False with the reason (the work file is removed
    // and the target left as it was).
    bool commit(QString* error = nullptr);
    // Removes the work file; the target stays as it was.
    void discard();

private:
    QString target_;
    QString workPath_;
    bool direct_ = false; // the target is a device or a FIFO: written in place
};

} // namespace quillon::platform
