#include "support/TestSupport.h"

#include "model/SourceText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon::test {

Fixture::Fixture() = default;

QString Fixture::path(const QString& relative) const
{
    return relative.isEmpty() ? dir_.path() : dir_.path() + QLatin1Char('/') + relative;
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
        bytes += Cp1252(line);
        bytes += eol;
    }
    return write(relative, bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray Cp1252(const QString& text)
{
    bool ok = false;
    QByteArray bytes = model::CodePage::Default().Encode(text, &ok);
    if (!ok)
        qFatal("fixture text not representable in windows-1252");
    return bytes;
}

} // namespace quillon::test
