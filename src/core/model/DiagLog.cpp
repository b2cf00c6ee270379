#include "model/DiagLog.h"

#include "platform/Environment.h"

#include <QDateTime>
#include <QFile>

namespace quillon::model {

DiagLog::DiagLog(QString filePath) : path_(std::move(filePath))
{ }

DiagLog::~DiagLog() = default;

QString DiagLog::defaultPath()
{
    return platform::tempFolder() + QStringLiteral("VB6_Text DiagLog.txt");
}

DiagLog& DiagLog::standard()
{
    static DiagLog log(defaultPath());
    return log;
}

void DiagLog::write(const QString& entry)
{
    if (path_.isEmpty())
        return;
    const std::lock_guard lock(mutex_);
    if (!checkedSize_) {
        checkedSize_ = true;
        QFile existing(path_);
        if (existing.size() > kMaxBytes) {
            QFile::remove(path_ + QStringLiteral(".old"));
            QFile::rename(path_, path_ + QStringLiteral(".old"));
        }
    }
    if (!file_) {
        auto file = std::make_unique<QFile>(path_);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
            return; // tried again with the next entry
        file_ = std::move(file);
    }
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        + QStringLiteral(" | ") + entry + QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    if (file_->write(bytes) != bytes.size() || !file_->flush())
        file_.reset(); // a full disk or a vanished folder: open afresh next time
}

void DiagLog::failedOpenInput(const QString& path, int errorNumber, const QString& description)
{
    write(QStringLiteral("FAILED OPEN INPUT: ") + path + QStringLiteral(" | ") + QString::number(errorNumber)
        + QStringLiteral(" | ") + description);
}

} // namespace quillon::model
