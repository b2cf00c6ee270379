#pragma once
#include <QString>

#include <memory>
#include <mutex>

class QFile;

namespace quillon::model {

// The diagnostic log "VB6_Text DiagLog.txt" in the temporary folder: one timestamped line
// per entry, appended. Logging never fails the caller. The file stays open between entries
// (a load logs every file it opens) and each entry is flushed at once, so a crash loses none.
// Safe to use from several threads.
class DiagLog {
public:
    explicit DiagLog(QString filePath);
    ~DiagLog();
    DiagLog(const DiagLog&) = delete;
    DiagLog& operator=(const DiagLog&) = delete;

    // The process-wide log in the temporary folder (TEMP, TMPDIR or /tmp), resolved on first use.
    static DiagLog& standard();
    static QString defaultPath();

    void write(const QString& entry);
    void openInput(const QString& path) { write(QStringLiteral("OPEN INPUT ") + path); }
    void openOutput(const QString& path) { write(QStringLiteral("Open OUTPUT ") + path); }
    void failedOpenInput(const QString& path, int errorNumber, const QString& description);

    const QString& path() const { return path_; }

    // A log past this size is moved aside to "<name>.old" before the next entry, so that
    // years of loads cannot fill the disk.
    static constexpr qint64 kMaxBytes = qint64(8) * 1024 * 1024;

private:
    QString path_;
    bool checkedSize_ = false;
    std::mutex mutex_;
    std::unique_ptr<QFile> file_;
};

} // namespace quillon::model
