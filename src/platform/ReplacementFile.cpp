#include "platform/ReplacementFile.h"

#include "platform/InterruptCleanup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

// A work file is named TARGET.part-XXXXXX, X one of these letters: what the clean-up after a
// killed run removes must be made by begin() and nothing else.
const QString kWorkMark = QStringLiteral(".part-");
const char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kSuffixLength = 6;

bool isWorkSuffix(QStringView suffix)
{
    return suffix.size() == kSuffixLength
        && std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return QLatin1String(kSuffixLetters).contains(c); });
}

} // namespace

QString replaceablePath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() || path.isEmpty() ? QString() : info.absoluteFilePath();
    return info.isFile() ? info.canonicalFilePath() : QString();
}

bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

bool swapInFolder(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    auto fail = [&](const QString& what) {
        if (error)
            *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    };
    struct stat existing { };
    if (::lstat(target.constData(), &existing) != 0) {
        if (errno != ENOENT)
            return fail(QStringLiteral("cannot look at ") + to);
        return ::rename(source.constData(), target.constData()) == 0 || fail(QStringLiteral("cannot rename to ") + to);
    }
#ifdef SYS_renameat2
    constexpr unsigned kExchange = 2; // RENAME_EXCHANGE
    if (::syscall(SYS_renameat2, AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), kExchange) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return fail(QStringLiteral("cannot put the new folder in place of ") + to);
#endif
    // A file system without the exchange: the old folder goes aside under a name of its own.
    const QByteArray aside = target + ".quillon-old-" + QByteArray::number(qint64(::getpid()));
    if (::rename(target.constData(), aside.constData()) != 0)
        return fail(QStringLiteral("cannot move ") + to + QStringLiteral(" aside"));
    if (::rename(source.constData(), target.constData()) != 0) {
        const int saved = errno;
        ::rename(aside.constData(), target.constData());
        errno = saved;
        return fail(QStringLiteral("cannot rename to ") + to);
    }
    return ::rename(aside.constData(), source.constData()) == 0 || fail(QStringLiteral("cannot rename ") + from);
}

bool renameOver(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int failure = 0;
    const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0)
        ::close(fd);
    struct stat existing { };
    if (!failure && ::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::chmod(source.constData(), existing.st_mode & 07777);
    if (!failure && ::rename(source.constData(), target.constData()) != 0)
        failure = errno;
    if (failure && error)
        *error = systemError(failure);
    return failure == 0;
}

QStringList removeStaleWorkFiles(const QStringList& targets, const QDateTime& now)
{
    // Where begin() puts each target's work files, by folder: one listing per folder, however
    // many of the targets it holds.
    QHash<QString, QSet<QString>> namesByFolder;
    for (const QString& target : targets) {
        const QString replaceable = replaceablePath(target);
        if (replaceable.isEmpty())
            continue; // written in place, without a work file
        const QFileInfo info(replaceable);
        namesByFolder[info.absolutePath()].insert(info.fileName());
    }
    const QDateTime latest = now.addSecs(-kStaleWorkFileSeconds);
    QStringList removed;
    for (auto folder = namesByFolder.cbegin(); folder != namesByFolder.cend(); ++folder) {
        const QDir dir(folder.key());
        const QStringList candidates =
            dir.entryList({QLatin1Char('*') + kWorkMark + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : candidates) {
            const qsizetype mark = name.lastIndexOf(kWorkMark);
            if (mark < 0 || !isWorkSuffix(QStringView(name).sliced(mark + kWorkMark.size()))
                || !folder.value().contains(name.left(mark)))
                continue;
            const QString path = dir.filePath(name);
            const QFileInfo work(path);
            if (work.isSymLink() || !work.isFile() || work.lastModified() >= latest
                || InterruptCleanup::isTracked(path))
                continue;
            if (QFile::remove(path))
                removed.append(path);
        }
    }
    removed.sort();
    return removed;
}

QString staleWorkFileNote(const QString& path)
{
    return QStringLiteral("removed an unfinished work file left by an earlier run: ") + path;
}

bool ReplacementFile::begin(const QString& target, QString* error)
{
    discard();
    direct_ = false;
    const QString replaceable = replaceablePath(target);
    if (replaceable.isEmpty() && QFileInfo::exists(target)) {
        // A device or a FIFO is written as it is: renaming a file over it would replace it.
        direct_ = true;
        workPath_ = target_ = QFileInfo(target).absoluteFilePath();
        return true;
    }
    // Through a link to its file, which is replaced and keeps the link.
    const QFileInfo info(replaceable.isEmpty() ? target : replaceable);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("the folder \"") + folder + QStringLiteral("\" does not exist");
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < kSuffixLength; ++i)
            suffix += QLatin1Char(kSuffixLetters[QRandomGenerator::global()->bounded(int(sizeof kSuffixLetters) - 1)]);
        const QString work = info.absoluteFilePath() + kWorkMark + suffix;
        // Created exclusively with the usual permissions (0666 less the umask), as the
        // target would have been.
        const int fd = ::open(QFile::encodeName(work).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            workPath_ = work;
            target_ = info.absoluteFilePath();
            InterruptCleanup::track(workPath_);
            return true;
        }
        if (errno != EEXIST) {
            if (error)
                *error = systemError(errno);
            return false;
        }
    }
    if (error)
        *error = QStringLiteral("no free work file name beside it");
    return false;
}

bool ReplacementFile::commit(QString* error)
{
    if (workPath_.isEmpty()) {
        if (error)
            *error = QStringLiteral("nothing was written");
        return false;
    }
    if (direct_) {
        workPath_.clear();
        return true;
    }
    if (!renameOver(workPath_, target_, error)) {
        discard();
        return false;
    }
    InterruptCleanup::forget(workPath_);
    workPath_.clear();
    return true;
}

void ReplacementFile::discard()
{
    if (direct_)
        workPath_.clear();
    if (workPath_.isEmpty())
        return;
    ::unlink(QFile::encodeName(workPath_).constData());
    InterruptCleanup::forget(workPath_);
    workPath_.clear();
}

} // namespace quillon::platform
