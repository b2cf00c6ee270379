#include "model/TextPrimitives.h"

#include "model/VbLineScanner.h"

#include <QFileInfo>

#include <algorithm>

namespace quillon::model {

namespace {
constexpr char16_t kBlank = u' ';
constexpr char16_t kTab = u'\t';

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
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
template <typename Map>
QString mapEachChar(QStringView text, Map map)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        p[i] = map(text[i]);
    return out;
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
    // A lambda, not the function's address, so that the mapping is inlined into the loop: keys
    // are folded by the hundred thousand during a load.
    return mapEachChar(text, [](QChar c) { return upper(c); });
}

QString upperCase(const QString& text)
{
    // An empty text still goes through the copy: the copy is empty, never null.
    const QChar* p = text.constData();
    const bool unchanged = !text.isEmpty() && std::all_of(p, p + text.size(), [](QChar c) { return upper(c) == c; });
    return unchanged ? text : upperCase(QStringView(text));
}

QString lowerCase(QStringView text)
{
    return mapEachChar(text, [](QChar c) { return lower(c); });
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
    // An ASCII letter in either case is one test: with the case bit set both read lower case.
    const char16_t caseBit = (first >= u'A' && first <= u'Z') ? 0x20 : 0;
    const char16_t firstFolded = first | caseBit;
    for (qsizetype i = std::max<qsizetype>(from, 0); i + n <= text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if ((c | caseBit) != firstFolded && (c < 0x80 || upper(text[i]).unicode() != first))
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
    if (t.isEmpty() || isDigit(t[0]))
        return false;
    return std::all_of(t.begin(), t.end(), isIdentifierChar);
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

    // A Rem statement is not counted, but the colons after it still split the line: the
    // counts have always been made that way. "#...#" is a date, whose colons split nothing.
    int count = 0;
    qsizetype statementStart = 0;
    auto close = [&](qsizetype end) {
        const QStringView statement = text.sliced(statementStart, end - statementStart);
        if (!trimBlanks(statement).isEmpty() && !isRemStatement(statement))
            ++count;
    };
    VbLineScanner scanner(text, {.dateLiterals = true});
    VbLinePart part;
    while (scanner.next(part)) {
        if (part.kind == VbLinePart::Comment) {
            close(part.start);
            return count;
        }
        if (part.kind != VbLinePart::Code)
            continue;
        for (qsizetype i = part.start; i < part.end; ++i) {
            if (text[i] == QLatin1Char(':')) {
                close(i);
                statementStart = i + 1;
            }
        }
    }
    close(text.size());
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
    VbLineScanner scanner(line, {.remComments = true});
    VbLinePart part;
    while (scanner.next(part)) {
        if (part.kind != VbLinePart::Code)
            std::fill(p + part.start, p + part.end, QChar(kBlank));
    }
    return out;
}

} // namespace quillon::model
