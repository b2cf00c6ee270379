#pragma once
#include <QString>

namespace quillon::platform {

// What an interrupted program must not leave behind: files that are not finished yet (a
// document being written, output parts before they are combined, report texts in the
// temporary folder, the combining tool's work files) and helper process groups (the
// combining tool). When SIGINT or SIGTERM arrives, the handler deletes the files, ends the
// groups and ends the program with 128 + the signal number; finished output and the files
// it replaces are never on the list, so they stay as they were.
//
// The list is process-wide because a signal handler can reach nothing else. It is safe to use
// from the handler: the handler only takes entries (atomically) and calls unlink and kill.
namespace InterruptCleanup {

// Adds a file that is deleted if the program is interrupted before Forget(path).
void track(const QString& path);
// The file is finished, kept as output or already deleted: an interruption leaves it alone.
void forget(const QString& path);
bool isTracked(const QString& path);

// A helper's process group (its leader's pid), ended with SIGTERM on interruption.
void trackProcessGroup(qint64 pid);
void forgetProcessGroup(qint64 pid);

// Installs the SIGINT and SIGTERM handlers. Idempotent.
void installHandlers();

} // namespace InterruptCleanup

// Tracks one file for its lifetime unless released: the usual shape for a temporary file.
class TrackedFile {
public:
    TrackedFile() = default;
    explicit TrackedFile(QString path) : path_(std::move(path)) { InterruptCleanup::track(path_); }
    ~TrackedFile() { release(); }
    TrackedFile(const TrackedFile&) = delete;
    TrackedFile& operator=(const TrackedFile&) = delete;
    // Stops tracking (the file is kept or was removed by its owner).
    void release()
    {
        if (!path_.isEmpty())
            InterruptCleanup::forget(path_);
        path_.clear();
    }
    const QString& path() const { return path_; }

private:
    QString path_;
};

} // namespace quillon::platform
