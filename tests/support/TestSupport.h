#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quillon::test {

// A private folder for one test's fixture files, removed afterwards.
class Fixture {
public:
    Fixture();
    QString path(const QString& relative = QString()) const;
    // Writes bytes exactly as given, creating folders on the way; returns the full path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    // Writes lines joined and terminated with CR LF, encoded as Windows-1252.
    QString writeLines(const QString& relative, const QStringList& lines, const char* eol = "\r\n") const;

private:
    QTemporaryDir dir_;
};

QByteArray ReadBytes(const QString& path);
QByteArray Cp1252(const QString& text);

} // namespace quillon::test
