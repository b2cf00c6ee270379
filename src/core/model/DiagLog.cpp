#include "model/DiagLog.h"

#include "platform/Environment.h"

#include <QDateTime>
#include <QFile>

namespace quillon::model {

DiagLog::DiagLog(QString filePath) : path_(std::move(filePath)) {}

QString DiagLog::DefaultPath()
{
    return platform::TempFolder() + QStringLiteral("VB6_Text DiagLog.txt");
}

DiagLog& DiagLog::Default()
{
    static DiagLog log(DefaultPath());
    return log;
}

void DiagLog::Write(const QString& entry)
{
    if (path_.isEmpty())
        return;
    if (!checkedSize_) {
        checkedSize_ = true;
        QFile existing(path_);
        if (existing.size() > kMaxBytes) {
            QFile::remove(path_ + QStringLiteral(".old"));
            QFile::rename(path_, path_ + QStringLiteral(".old"));
        }
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        + QStringLiteral(" | ") + entry + QLatin1Char('\n');
    file.write(line.toUtf8());
}

void DiagLog::FailedOpenInput(const QString& path, int errorNumber, const QString& description)
{
    Write(QStringLiteral("FAILED OPEN INPUT: ") + path + QStringLiteral(" | ") + QString::number(errorNumber)
          + QStringLiteral(" | ") + description);
}

} // namespace quillon::model
