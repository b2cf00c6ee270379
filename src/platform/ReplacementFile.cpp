#include "platform/ReplacementFile.h"

#include "platform/InterruptCleanup.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

QString replaceablePath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() || path.isEmpty() ? QString() : info.absoluteFilePath();
    return info.isFile() ? info.canonicalFilePath() : QString();
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
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
        const QString work = info.absoluteFilePath() + QStringLiteral(".part-") + suffix;
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
