#include "model/TextPrimitives.h"

#include <QFileInfo>

namespace quillon::model {

namespace {
constexpr char16_t kBlank = u' ';
constexpr char16_t kTab = u'\t';

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}
bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}
QChar upper(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
    return c.toUpper();
}
QChar lower(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'A' && u <= u'Z') ? QChar(char16_t(u + 32)) : c;
    return c.toLower();
}
qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}
} // namespace

QStringView trimLeadingBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() == kBlank)
        ++i;
    return text.sliced(i);
}

QStringView trimTrailingBlanks(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1].unicode() == kBlank)
        --n;
    return text.first(n);
}

QStringView trimBlanks(QStringView text)
{
    return trimTrailingBlanks(trimLeadingBlanks(text));
}

QString upperCase(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        p[i] = upper(text[i]);
    return out;
}

QString lowerCase(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        p[i] = lower(text[i]);
    return out;
}

bool equalsNoCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

bool startsWithUpper(QStringView text, QLatin1StringView upperPrefix)
{
    if (text.size() < upperPrefix.size())
        return false;
    for (qsizetype i = 0; i < upperPrefix.size(); ++i) {
        if (upper(text[i]) != QLatin1Char(upperPrefix[i]))
            return false;
    }
    return true;
}

qsizetype indexOfUpper(QStringView text, QLatin1StringView upperNeedle, qsizetype from)
{
    const qsizetype n = upperNeedle.size();
    if (n == 0)
        return from <= text.size() ? from : -1;
    const char16_t first = upperNeedle[0].unicode();
    const char16_t firstLower = (first >= u'A' && first <= u'Z') ? char16_t(first + 32) : first;
    for (qsizetype i = std::max<qsizetype>(from, 0); i + n <= text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != first && c != firstLower && (c < 0x80 || upper(text[i]).unicode() != first))
            continue;
        qsizetype k = 1;
        while (k < n && upper(text[i + k]) == QLatin1Char(upperNeedle[k]))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

QString quote(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool fileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString fileNameOf(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString fileExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString fileBaseName(const QString& path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

bool isRemStatement(QStringView text)
{
    const QString t = lowerCase(trimBlanks(text));
    if (!t.startsWith(QLatin1String("rem")))
        return false;
    return t.size() == 3 || t[3].unicode() == kTab || t[3].unicode() == kBlank;
}

bool isAllDigits(QStringView text)
{
    const QStringView t = trimBlanks(text);
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool isIdentifier(QStringView text)
{
    const QStringView t = trimBlanks(text);
    if (t.isEmpty() || !(isLetter(t[0]) || t[0] == QLatin1Char('_')))
        return false;
    for (QChar c : t.sliced(1)) {
        if (!(isLetter(c) || isDigit(c) || c == QLatin1Char('_')))
            return false;
    }
    return true;
}

QString stripLineLabel(QStringView text)
{
    const QStringView t = trimLeadingBlanks(text);
    const qsizetype colon = t.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const QStringView label = trimBlanks(t.first(colon));
        if (isAllDigits(label) || isIdentifier(label))
            return trimLeadingBlanks(t.sliced(colon + 1)).toString();
    }
    return t.toString();
}

bool isSingleLineIf(QStringView text)
{
    const QString t = lowerCase(trimBlanks(text));
    if (!t.startsWith(QLatin1String("if")) || t.size() < 4)
        return false;
    if (t[2].unicode() != kBlank && t[2].unicode() != kTab)
        return false;
    const qsizetype then = t.indexOf(QLatin1String(" then"));
    if (then < 0)
        return false;
    return !trimBlanks(QStringView(t).sliced(then + 5)).isEmpty();
}

int countStatements(QStringView line)
{
    if (trimBlanks(line).isEmpty())
        return 0;
    const QString stripped = stripLineLabel(trimBlanks(line));
    const QStringView text = trimBlanks(stripped);
    if (text.isEmpty())
        return 0;
    if (isSingleLineIf(text))
        return 1;

    int count = 0;
    qsizetype statementStart = 0;
    auto close = [&](qsizetype end) {
        const QStringView statement = text.sliced(statementStart, end - statementStart);
        if (!trimBlanks(statement).isEmpty() && !isRemStatement(statement))
            ++count;
    };
    bool inString = false;
    bool inDate = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (inString) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1].unicode() == u'"')
                    ++i;
                else
                    inString = false;
            }
        } else if (inDate) {
            if (c == u'#')
                inDate = false;
        } else if (c == u'"') {
            inString = true;
        } else if (c == u'#') {
            inDate = true;
        } else if (c == u'\'') {
            close(i);
            return count;
        } else if (c == u':') {
            close(i);
            statementStart = i + 1;
        }
    }
    close(n);
    return count;
}

void addLineStatements(QStringView line, StatementCounter& counter)
{
    const QStringView t = trimBlanks(line);
    if (!t.isEmpty()) {
        const bool comment = t[0] == QLatin1Char('\'') || startsWithUpper(t, QLatin1StringView("REM"));
        if (!comment && !counter.continuationPending)
            counter.count += countStatements(line);
    }
    counter.continuationPending = t.endsWith(QLatin1String(" _"));
}

QString maskLiteralsAndComments(QStringView line)
{
    QString out = line.toString();
    QChar* p = out.data();
    const qsizetype n = out.size();
    bool inString = false;
    bool statementStart = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (inString) {
            p[i] = QChar(kBlank);
            if (c == u'"') {
                if (i + 1 < n && p[i + 1].unicode() == u'"') {
                    p[i + 1] = QChar(kBlank);
                    ++i;
                } else {
                    inString = false;
                }
            }
            continue;
        }
        if (c == u'"') {
            p[i] = QChar(kBlank);
            inString = true;
            statementStart = false;
        } else if (c == u':') {
            statementStart = true;
        } else if (c == u'\'') {
            for (qsizetype k = i; k < n; ++k)
                p[k] = QChar(kBlank);
            break;
        } else if (statementStart && (c == u'r' || c == u'R') && i + 3 <= n
            && startsWithUpper(QStringView(out).sliced(i, 3), QLatin1StringView("REM"))
            && (i + 3 == n || p[i + 3].unicode() == kTab || p[i + 3].unicode() == kBlank)) {
            for (qsizetype k = i; k < n; ++k)
                p[k] = QChar(kBlank);
            break;
        } else if (c != kBlank && c != kTab) {
            statementStart = false;
        }
    }
    return out;
}

} // namespace quillon::model
