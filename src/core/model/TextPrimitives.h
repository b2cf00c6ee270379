#pragma once
#include <QString>
#include <QStringView>

// Small pure functions over one line of VB6 source or over a path. Trimming removes blanks
// (code 32) only, never tabs; upper-casing maps each character on its own and keeps the
// length, because callers take column positions from upper-cased copies.
namespace quillon::model {

QStringView trimBlanks(QStringView text);
QStringView trimLeadingBlanks(QStringView text);
QStringView trimTrailingBlanks(QStringView text);
QString upperCase(QStringView text);
QString lowerCase(QStringView text);
// Case-insensitive equality and prefix tests on the upper-cased forms.
bool EqualsNoCase(QStringView a, QStringView b);
bool StartsWithUpper(QStringView text, QLatin1StringView upperPrefix); // prefix given upper-case
// Position of the first occurrence of an upper-case needle in the upper-cased text, from
// `from` on; -1 when there is none. Allocates nothing.
qsizetype IndexOfUpper(QStringView text, QLatin1StringView upperNeedle, qsizetype from = 0);

QString Quote(const QString& text);
bool FileExists(const QString& path);
// Text after the last "/" or "\" (the whole path when it has neither).
QString FileNameOf(const QString& path);
QString FileExtension(const QString& path);
QString FileBaseName(const QString& path);

bool IsRemStatement(QStringView text);
bool IsAllDigits(QStringView text);
bool IsIdentifier(QStringView text);
QString StripLineLabel(QStringView text);
bool IsSingleLineIf(QStringView text);
int CountStatements(QStringView line);
QString MaskLiteralsAndComments(QStringView line);

// The running statement count of one routine. Clear it (Reset) before the routine's first line.
struct StatementCounter {
    bool ContinuationPending = false;
    int count = 0;
    void Reset()
    {
        ContinuationPending = false;
        count = 0;
    }
};
void AddLineStatements(QStringView line, StatementCounter& counter);

} // namespace quillon::model
