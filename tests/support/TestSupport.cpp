#include "support/TestSupport.h"

#include "model/ListingLine.h"
#include "model/SourceText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillon::test {

Fixture::Fixture() = default;

QString Fixture::path(const QString& relative) const
{
    if (relative.isEmpty() || QDir::isAbsolutePath(relative))
        return relative.isEmpty() ? dir_.path() : relative;
    return dir_.path() + QLatin1Char('/') + relative;
}

QString Fixture::write(const QString& relative, const QByteArray& bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write fixture %s", qPrintable(full));
    file.write(bytes);
    return full;
}

QString Fixture::writeLines(const QString& relative, const QStringList& lines, const char* eol) const
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += cp1252(line);
        bytes += eol;
    }
    return write(relative, bytes);
}

ObeyFilePermissions::ObeyFilePermissions()
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return;
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    changed_ = ::syscall(SYS_capset, &header, data) == 0;
}

ObeyFilePermissions::~ObeyFilePermissions()
{
    if (!changed_)
        return;
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    ::syscall(SYS_capget, &header, data);
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    ::syscall(SYS_capset, &header, data);
}

FileSizeLimit::FileSizeLimit(long long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    saved_ = (long long)limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(saved_);
    setrlimit(RLIMIT_FSIZE, &limit);
}

bool setModified(const QString& path, const QDateTime& when)
{
    const timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

struct stat fileStatus(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        info = {};
    return info;
}

bool waitForProcessEnd(qint64 pid, int timeoutMs)
{
    // A process descriptor becomes readable when the process ends, with no polling loop.
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd < 0)
        return errno == ESRCH;
    pollfd ended {fd, POLLIN, 0};
    const int ready = ::poll(&ended, 1, timeoutMs);
    ::close(fd);
    return ready == 1;
}

QString builtFile(const QString& relative)
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(program).absolutePath() + QStringLiteral("/../") + relative;
}

QByteArray cp1252(const QString& text)
{
    bool ok = false;
    QByteArray bytes = model::CodePage::standard().encode(text, &ok);
    if (!ok)
        qFatal("fixture text not representable in windows-1252");
    return bytes;
}

QString picture(const model::ListingLine& line)
{
    // In the order of ListingMark: the three marks, then the connectors.
    static const char* const kDrawn[] = {"¶", "§", "¤", "┌─", "├─", "└─", "│ ", "· "};
    QString out;
    for (int mark = 0; mark < 3; ++mark) {
        if (line.has(model::ListingMark(mark)))
            out += QString::fromUtf8(kDrawn[mark]);
    }
    QString text = line.text;
    for (const model::Connector& connector : line.connectors)
        text.replace(connector.column, 2, QString::fromUtf8(kDrawn[int(connector.kind)]));
    return out + text;
}

QStringList pictures(const std::vector<model::ListingLine>& lines)
{
    QStringList out;
    for (const model::ListingLine& line : lines)
        out << picture(line);
    return out;
}

} // namespace quillon::test
