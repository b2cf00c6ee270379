#pragma once
#include <QString>
#include <QStringView>

#include <algorithm>

// Small pure functions over one line of VB6 source or over a path. Trimming removes blanks
// (code 32) only, never tabs; upper-casing maps each character on its own and keeps the
// length, because callers take column positions from upper-cased copies.
namespace quillon::model {

// The line end of every text the program writes or shows.
inline const QString kCrLf = QStringLiteral("\r\n");

// count blanks (none for a count below 1): the indents of the program's own reports.
inline QString blanks(qsizetype count)
{
    return QString(std::max<qsizetype>(count, 0), QLatin1Char(' '));
}

QStringView trimBlanks(QStringView text);
QStringView trimLeadingBlanks(QStringView text);
QStringView trimTrailingBlanks(QStringView text);
QString upperCase(QStringView text);
// The same; a text that is upper-case already comes back shared, without a copy.
QString upperCase(const QString& text);
QString lowerCase(QStringView text);
// Case-insensitive equality and prefix tests on the upper-cased forms.
bool equalsNoCase(QStringView a, QStringView b);
bool startsWithUpper(QStringView text, QLatin1StringView upperPrefix); // prefix given upper-case
// Position of the first occurrence of an upper-case needle in the upper-cased text, from
// `from` on; -1 when there is none. Allocates nothing.
qsizetype indexOfUpper(QStringView text, QLatin1StringView upperNeedle, qsizetype from = 0);

QString quote(const QString& text);
bool fileExists(const QString& path);
// Text after the last "/" or "\" (the whole path when it has neither).
QString fileNameOf(const QString& path);
QString fileExtension(const QString& path);
QString fileBaseName(const QString& path);

bool isRemStatement(QStringView text);
bool isAllDigits(QStringView text);
bool isIdentifier(QStringView text);
QString stripLineLabel(QStringView text);
bool isSingleLineIf(QStringView text);
int countStatements(QStringView line);
QString maskLiteralsAndComments(QStringView line);

// The running statement count of one routine. Clear it (Reset) before the routine's first line.
struct StatementCounter {
    bool continuationPending = false;
    int count = 0;
    void reset()
    {
        continuationPending = false;
        count = 0;
    }
};
void addLineStatements(QStringView line, StatementCounter& counter);

} // namespace quillon::model
