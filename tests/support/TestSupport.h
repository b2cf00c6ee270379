#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <vector>

#include <sys/stat.h>

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quillon::model {
struct ListingLine;
}

namespace quillon::test {

// A private folder for one test's fixture files, removed afterwards.
class Fixture {
public:
    Fixture();
    // A relative path is taken inside the folder, an absolute one as it is.
    QString path(const QString& relative = QString()) const;
    // Writes bytes exactly as given, creating folders on the way; returns the full path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    // Writes lines joined and terminated with CR LF, encoded as Windows-1252.
    QString writeLines(const QString& relative, const QStringList& lines, const char* eol = "\r\n") const;

private:
    QTemporaryDir dir_;
};

// For the life of this object the calling thread obeys file permissions even when it runs as
// root (the tests do in CI): "permission denied" paths are then tested there too.
class ObeyFilePermissions {
public:
    ObeyFilePermissions();
    ~ObeyFilePermissions();
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

private:
    unsigned saved_[2] = {};
    bool changed_ = false;
};

// While this lives, writing a file past `bytes` fails (and SIGXFSZ is ignored), for root too:
// the way to make a write fail on the very file a test then checks.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long long saved_ = -1;
};

QByteArray readBytes(const QString& path);
// Gives a path (a link itself, not what it points to) that time of last change; false when it cannot.
bool setModified(const QString& path, const QDateTime& when);
// A file of the build that made the running test program, by its path in that build
// ("src/app/quillon"): found from the program's own place in the build's "tests" folder, so that
// a build that links another build's test objects still runs its own program.
QString builtFile(const QString& relative);
// A flag as a word, for tables that read every function as text in, text out.
inline QString yesNo(bool flag)
{
    return flag ? QStringLiteral("yes") : QStringLiteral("no");
}
// What the file system keeps about a path (mode, inode...); all zero when there is nothing.
struct stat fileStatus(const QString& path);
// Waits up to TIMEOUTMS for a process that is not our child to end (gone, or a zombie nobody
// has reaped yet); false when it still runs.
bool waitForProcessEnd(qint64 pid, int timeoutMs);
QByteArray cp1252(const QString& text);

// A listing line drawn as the tests write it: its marks first ("¶" new page, "§" kept with the
// next line, "¤" bold), then its text with each connector drawn in its two columns ("┌─"
// corner, "├─" tee, "└─" last, "│ " vertical, "· " gap).
QString picture(const model::ListingLine& line);
QStringList pictures(const std::vector<model::ListingLine>& lines);

} // namespace quillon::test
