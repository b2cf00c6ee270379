#pragma once
#include <QString>
#include <QStringView>

// Reading one line of VB6 source as code, string literals and a comment. A literal runs from
// a double quote to the next one that is not doubled (`""` is a quote inside the literal); one
// left open runs to the end of the line. A comment runs from a single quote outside literals
// (and, where the caller asks, from a Rem statement) to the end of the line.
namespace quillon::model {

// Every reader asks these of each character of a line: they are inline.
// The whitespace of VB code: a blank or a tab.
inline bool isBlankOrTab(QChar c)
{
    return c.unicode() == u' ' || c.unicode() == u'\t';
}
// The position of the first character at or after `from` that is no blank or tab.
inline qsizetype skipBlanksAndTabs(QStringView text, qsizetype from)
{
    while (from < text.size() && isBlankOrTab(text[from]))
        ++from;
    return from;
}
// The line ends with a blank or a tab and "_" (blanks or tabs after it allowed): the statement,
// or the comment, goes on in the next line.
inline bool endsWithContinuationMark(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && isBlankOrTab(line[end - 1]))
        --end;
    return end >= 2 && line[end - 1] == u'_' && isBlankOrTab(line[end - 2]);
}
inline bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}
// Letters A-Z and a-z, digits and "_": the characters of a VB name.
inline bool isIdentifierChar(QChar c)
{
    const char16_t u = c.unicode();
    return isAsciiLetter(c) || (u >= u'0' && u <= u'9') || u == u'_';
}
// The type characters a name may end with: % & ! # $ @.
inline bool isTypeSuffix(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'%' || u == u'&' || u == u'!' || u == u'#' || u == u'$' || u == u'@';
}
// A name without the one type character it may end with ("BitBlt&" -> "BitBlt").
inline QStringView withoutTypeSuffix(QStringView name)
{
    return name.size() > 1 && isTypeSuffix(name.back()) ? name.chopped(1) : name;
}

// The statement and operator words that never name a variable or a procedure ("If", "Dim",
// "ByVal", "Xor", ...), upper-cased. The symbol scan and the call scan each add words of their own.
bool isStatementKeyword(const QString& upperWord);

// Where the readers of a line differ.
struct VbScanRules {
    bool quoteComments = true; // a ' outside literals starts the comment
    bool remComments = false; // so does "Rem" at the start of a statement (then a blank, a tab or the end)
    bool dateLiterals = false; // "#...#" is a literal too, with no doubling; one left open runs to the end
};

struct VbLinePart {
    enum Kind { Code, Literal, Comment };
    Kind kind = Code;
    qsizetype start = 0; // first character
    qsizetype end = 0; // one past the last character
    bool closed = true; // a literal that found its closing mark
};

// Hands out the parts of a line from left to right; together they cover it without a gap.
class VbLineScanner {
public:
    explicit VbLineScanner(QStringView line, VbScanRules rules = {}) : line_(line), rules_(rules) { }
    // False when the whole line has been handed out.
    bool next(VbLinePart& part);

private:
    qsizetype literalEnd(qsizetype open, bool& closed) const;
    bool startsComment(qsizetype i) const;

    QStringView line_;
    VbScanRules rules_;
    qsizetype position_ = 0;
    bool statementStart_ = true; // only blanks and tabs since the line's start or the last ":"
};

// Where the comment starts: the line's length when it has none.
qsizetype commentStart(QStringView line, VbScanRules rules = {});
// The line without its comment.
QStringView withoutComment(QStringView line);

// The next name in text[from, to): it starts at an ASCII letter and runs over identifier
// characters. Returns its end, and its start in `start`; `to` when there is none.
qsizetype nextIdentifier(QStringView text, qsizetype from, qsizetype to, qsizetype& start);

} // namespace quillon::model
