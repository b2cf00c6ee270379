#pragma once
#include <QString>

namespace quillon::model {

// The diagnostic log "VB6_Text DiagLog.txt" in the temporary folder: one timestamped line
// per entry, appended. Logging never fails the caller.
class DiagLog {
public:
    explicit DiagLog(QString filePath);

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
    static constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

private:
    QString path_;
    bool checkedSize_ = false;
};

} // namespace quillon::model
