#include "model/VbLineScanner.h"

#include <QSet>

namespace quillon::model {

bool isStatementKeyword(const QString& upperWord)
{
    static const QSet<QString> words = {"IF", "THEN", "ELSE", "ELSEIF", "END", "FOR", "NEXT", "DO", "LOOP", "WHILE",
        "WEND", "SELECT", "CASE", "WITH", "SET", "LET", "GET", "SUB", "FUNCTION", "PROPERTY", "PUBLIC", "PRIVATE",
        "FRIEND", "STATIC", "NEW", "NOT", "AND", "OR", "XOR", "BYVAL", "BYREF", "AS", "DIM", "OPTION", "EXIT", "ON",
        "ERROR", "RESUME", "GOTO", "GOSUB", "RETURN"};
    return words.contains(upperWord);
}

qsizetype VbLineScanner::literalEnd(qsizetype open, bool& closed) const
{
    const qsizetype n = line_.size();
    if (line_[open].unicode() == u'#') {
        const qsizetype close = line_.indexOf(QLatin1Char('#'), open + 1);
        closed = close >= 0;
        return closed ? close + 1 : n;
    }
    for (qsizetype i = open + 1; i < n; ++i) {
        if (line_[i].unicode() != u'"')
            continue;
        if (i + 1 < n && line_[i + 1].unicode() == u'"') {
            ++i;
            continue;
        }
        closed = true;
        return i + 1;
    }
    closed = false;
    return n;
}

bool VbLineScanner::startsComment(qsizetype i) const
{
    const char16_t c = line_[i].unicode();
    if (c == u'\'')
        return rules_.quoteComments;
    if (!rules_.remComments || !statementStart_ || (c != u'r' && c != u'R'))
        return false;
    const QStringView rest = line_.sliced(i);
    return rest.size() >= 3 && rest.first(3).compare(QLatin1StringView("REM"), Qt::CaseInsensitive) == 0
        && (rest.size() == 3 || isBlankOrTab(rest[3].unicode()));
}

bool VbLineScanner::next(VbLinePart& part)
{
    const qsizetype n = line_.size();
    if (position_ >= n)
        return false;
    const qsizetype start = position_;
    const char16_t first = line_[start].unicode();
    if (first == u'"' || (first == u'#' && rules_.dateLiterals)) {
        bool closed = false;
        position_ = literalEnd(start, closed);
        part = {VbLinePart::Literal, start, position_, closed};
        statementStart_ = false;
        return true;
    }
    if (startsComment(start)) {
        part = {VbLinePart::Comment, start, n, true};
        position_ = n;
        return true;
    }
    qsizetype i = start;
    for (; i < n; ++i) {
        const char16_t c = line_[i].unicode();
        if (c == u'"' || (c == u'#' && rules_.dateLiterals) || (i > start && startsComment(i)))
            break;
        if (c == u':')
            statementStart_ = true;
        else if (!isBlankOrTab(c))
            statementStart_ = false;
    }
    part = {VbLinePart::Code, start, i, true};
    position_ = i;
    return true;
}

qsizetype commentStart(QStringView line, VbScanRules rules)
{
    VbLineScanner scanner(line, rules);
    VbLinePart part;
    while (scanner.next(part)) {
        if (part.kind == VbLinePart::Comment)
            return part.start;
    }
    return line.size();
}

QStringView withoutComment(QStringView line)
{
    return line.first(commentStart(line));
}

qsizetype nextIdentifier(QStringView text, qsizetype from, qsizetype to, qsizetype& start)
{
    qsizetype i = from;
    while (i < to && !isAsciiLetter(text[i]))
        ++i;
    start = i;
    if (i == to)
        return to;
    ++i;
    while (i < to && isIdentifierChar(text[i]))
        ++i;
    return i;
}

} // namespace quillon::model
