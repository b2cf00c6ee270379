#include "model/DiagLog.h"

#include "platform/Environment.h"

#include <QDateTime>
#include <QFile>

namespace quillon::model {

DiagLog::DiagLog(QString filePath) : path_(std::move(filePath))
{ }

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

void DiagLog::failedOpenInput(const QString& path, int errorNumber, const QString& description)
{
    write(QStringLiteral("FAILED OPEN INPUT: ") + path + QStringLiteral(" | ") + QString::number(errorNumber)
        + QStringLiteral(" | ") + description);
}

} // namespace quillon::model
