#include "aids/LineNumbers.h"

#include "config/Options.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace quillon::aids {

using model::isIdentifierChar;
using model::RoutinePtr;

namespace {
// The helpers' own namespace: the sources of a library are also compiled several to a unit,
// where the other files' helpers would meet these.
namespace lineNumbering {

constexpr qint64 kLargestNumber = 999999999;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype digitsEnd(QStringView text, qsizetype from)
{
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// A line ending in an underscore after a blank or a tab goes on in the next one, a comment too.
bool continues(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && model::isBlankOrTab(line[end - 1]))
        --end;
    return end > 0 && line[end - 1] == u'_' && (end == 1 || model::isBlankOrTab(line[end - 2]));
}

// The length of a line number that starts the text: digits, then a blank, a tab, ":" or nothing.
qsizetype numberLabelLength(QStringView text)
{
    const qsizetype end = digitsEnd(text, 0);
    if (end == 0 || (end < text.size() && !model::isBlankOrTab(text[end]) && text[end] != u':'))
        return 0;
    return end;
}

// Where the code after a label that starts the text begins ("Retry:", "100", "100:"); 0 when
// the text has no label. A statement word is never a label: "Else:" is the Else of a block If.
qsizetype afterLabel(QStringView text)
{
    qsizetype end = numberLabelLength(text);
    if (end == 0) {
        if (text.isEmpty() || !model::isAsciiLetter(text[0]))
            return 0;
        while (end < text.size() && isIdentifierChar(text[end]))
            ++end;
        const bool colon = end < text.size() && text[end] == u':';
        if (!colon || (end + 1 < text.size() && text[end + 1] == u'=')
            || model::isStatementKeyword(model::upperCase(text.first(end))))
            return 0;
    }
    if (end < text.size() && text[end] == u':')
        ++end;
    return model::skipBlanksAndTabs(text, end);
}

// What a statement is to the numbering: Quiet lines never get a number; Select and Case lines
// mark where the lines no number may stand (before the first Case) begin and end.
enum class StatementKind { Code, Quiet, Select, Case, EndSelect };

QString wordAt(QStringView text, qsizetype from, qsizetype* end)
{
    qsizetype i = model::skipBlanksAndTabs(text, from);
    const qsizetype start = i;
    while (i < text.size() && isIdentifierChar(text[i]))
        ++i;
    *end = i;
    return model::upperCase(text.sliced(start, i - start));
}

StatementKind kindOf(QStringView code)
{
    if (code.isEmpty() || code[0] == u'\'' || code[0] == u'#' || code[0] == u':' || model::isRemStatement(code))
        return StatementKind::Quiet;
    qsizetype end = 0;
    const QString word = wordAt(code, 0, &end);
    // Declarations, attributes and the words that only divide or close a block: a number there
    // tells Erl nothing, and VB refuses some of them.
    static const QSet<QString> quiet = {QStringLiteral("DIM"), QStringLiteral("STATIC"), QStringLiteral("CONST"),
        QStringLiteral("ATTRIBUTE"), QStringLiteral("ELSE"), QStringLiteral("ELSEIF"), QStringLiteral("NEXT"),
        QStringLiteral("LOOP"), QStringLiteral("WEND")};
    if (quiet.contains(word))
        return StatementKind::Quiet;
    if (word == QLatin1String("CASE"))
        return StatementKind::Case;
    const QString second =
        word == QLatin1String("END") || word == QLatin1String("SELECT") ? wordAt(code, end, &end) : QString();
    if (word == QLatin1String("SELECT") && second == QLatin1String("CASE"))
        return StatementKind::Select;
    if (word == QLatin1String("END")) {
        if (second == QLatin1String("SELECT"))
            return StatementKind::EndSelect;
        static const QSet<QString> blockEnds = {QStringLiteral("IF"), QStringLiteral("WITH"), QStringLiteral("SUB"),
            QStringLiteral("FUNCTION"), QStringLiteral("PROPERTY")};
        if (blockEnds.contains(second))
            return StatementKind::Quiet;
    }
    return StatementKind::Code;
}

// One statement of a procedure body: its lines (0-based, first..last) and how its first line reads.
struct Statement {
    qsizetype first = 0;
    qsizetype last = 0;
    qsizetype codeStart = 0; // after the indentation and any label
    bool labelled = false; // a label or a line number starts it
    qsizetype removable = 0; // the length of a number in column 1 followed by a blank or a tab
    StatementKind kind = StatementKind::Code; // of the code after the label (after a removable number: of the rest)
    bool numberable = false; // what Add numbers, and Remove takes numbers from
};

Statement readStatement(const QStringList& lines, qsizetype first, qsizetype lastBodyLine)
{
    Statement s;
    s.first = s.last = first;
    while (s.last < lastBodyLine && continues(lines[s.last]))
        ++s.last;
    const QStringView line = lines[first];
    const qsizetype indent = model::skipBlanksAndTabs(line, 0);
    const qsizetype label = afterLabel(line.sliced(indent));
    s.labelled = label > 0;
    s.codeStart = indent + label;
    const qsizetype number = numberLabelLength(line);
    if (number > 0 && number < line.size() && model::isBlankOrTab(line[number])) {
        // What Add would have seen before it put the number there.
        const QStringView rest = line.sliced(model::skipBlanksAndTabs(line, number));
        if (afterLabel(rest) == 0)
            s.removable = number;
    }
    s.kind = kindOf(line.sliced(s.codeStart));
    return s;
}

// The statement's code without literals and comments (each a blank) and without the
// continuation marks, its lines joined by blanks.
QString maskedCode(const QStringList& lines, const Statement& s)
{
    QString code;
    for (qsizetype i = s.first; i <= s.last; ++i) {
        const QStringView line = QStringView(lines[i]).sliced(i == s.first ? s.codeStart : 0);
        model::VbLineScanner scanner(line, {.quoteComments = true, .remComments = true, .dateLiterals = true});
        model::VbLinePart part;
        bool comment = false;
        while (!comment && scanner.next(part)) {
            comment = part.kind == model::VbLinePart::Comment;
            if (part.kind == model::VbLinePart::Code)
                code += line.sliced(part.start, part.end - part.start);
            else if (!comment)
                code += QLatin1Char(' ');
        }
        // A comment goes on over the statement's continuation lines.
        if (comment)
            break;
        if (i < s.last) {
            qsizetype end = code.size();
            while (end > 0 && model::isBlankOrTab(code[end - 1]))
                --end;
            code.truncate(std::max<qsizetype>(end - 1, 0));
        }
        code += QLatin1Char(' ');
    }
    return code;
}

void addNumber(QStringView digits, QSet<qint64>& numbers)
{
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (ok)
        numbers.insert(value);
}

// A number standing alone: not part of a name, a hexadecimal or a decimal fraction.
qsizetype numberTokenEnd(QStringView code, qsizetype at)
{
    if (at > 0 && (isIdentifierChar(code[at - 1]) || code[at - 1] == u'.'))
        return at;
    const qsizetype end = digitsEnd(code, at);
    return end < code.size() && (isIdentifierChar(code[end]) || code[end] == u'.') ? at : end;
}

// The numbers after GoTo or GoSub: one, or On ... GoTo's list of numbers and labels.
void addTargets(QStringView code, qsizetype from, bool list, QSet<qint64>& numbers)
{
    for (qsizetype i = model::skipBlanksAndTabs(code, from);; i = model::skipBlanksAndTabs(code, i + 1)) {
        const qsizetype end = numberTokenEnd(code, i);
        if (end > i)
            addNumber(code.sliced(i, end - i), numbers);
        qsizetype next = end;
        while (next < code.size() && isIdentifierChar(code[next]))
            ++next;
        if (next == i || !list)
            return;
        i = model::skipBlanksAndTabs(code, next);
        if (i >= code.size() || code[i] != u',')
            return;
    }
}

void addEveryNumber(QStringView code, QSet<qint64>& numbers)
{
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (!isDigit(code[i]))
            continue;
        const qsizetype end = numberTokenEnd(code, i);
        if (end > i)
            addNumber(code.sliced(i, end - i), numbers);
        i = digitsEnd(code, i);
    }
}

// The line numbers a statement names. "If x Then 100" and "Else 100" go to a line as GoTo does.
bool addReferences(QStringView code, QSet<qint64>& numbers)
{
    bool mentionsErl = false;
    qsizetype start = 0;
    for (qsizetype end = model::nextIdentifier(code, 0, code.size(), start); start < code.size();
         end = model::nextIdentifier(code, end, code.size(), start)) {
        const QString word = model::upperCase(code.sliced(start, end - start));
        if (word == QLatin1String("GOTO") || word == QLatin1String("GOSUB"))
            addTargets(code, end, true, numbers);
        else if (word == QLatin1String("RESUME") || word == QLatin1String("THEN") || word == QLatin1String("ELSE"))
            addTargets(code, end, false, numbers);
        else if (word == QLatin1String("ERL"))
            mentionsErl = true;
    }
    if (mentionsErl)
        addEveryNumber(code, numbers);
    return mentionsErl;
}

// A procedure's body, read statement by statement, and the line numbers it uses and names.
struct Body {
    std::vector<Statement> statements;
    QSet<qint64> labels; // numbers that stand as line numbers
    QSet<qint64> references; // numbers a jump or an Erl test names
};

Body readBody(const QStringList& lines, const model::Routine& routine)
{
    Body body;
    // The last procedure runs to the end of the file, comments after its End line too; one
    // without an End line is left as it is.
    qsizetype endLine = std::min<qsizetype>(routine.endLine, lines.size()) - 1; // 0-based
    qsizetype i = routine.signatureLine - 1;
    while (endLine > i && !model::isEndProcedureLine(lines[endLine]))
        --endLine;
    if (endLine == i)
        return body;
    while (i < endLine && continues(lines[i]))
        ++i;
    bool beforeFirstCase = false;
    std::vector<bool> erlSelects; // per open Select Case: does it test Erl
    for (++i; i < endLine;) {
        Statement s = readStatement(lines, i, endLine - 1);
        i = s.last + 1;
        const QString code = maskedCode(lines, s);
        const bool mentionsErl = addReferences(code, body.references);
        if (s.kind == StatementKind::Case) {
            beforeFirstCase = false;
            if (!erlSelects.empty() && erlSelects.back())
                addEveryNumber(code, body.references);
        }
        const QStringView line = QStringView(lines[s.first]).sliced(model::skipBlanksAndTabs(lines[s.first], 0));
        if (const qsizetype number = numberLabelLength(line); number > 0)
            addNumber(line.first(number), body.labels);
        const bool statementKind = s.kind == StatementKind::Code || s.kind == StatementKind::Select;
        // A statement continued into the End line is broken: it is left alone.
        s.numberable = statementKind && !beforeFirstCase && !continues(lines[s.last]);
        if (s.kind == StatementKind::Select) {
            beforeFirstCase = true;
            erlSelects.push_back(mentionsErl);
        } else if (s.kind == StatementKind::EndSelect && !erlSelects.empty()) {
            erlSelects.pop_back();
        }
        body.statements.push_back(s);
    }
    return body;
}

bool isProcedure(const model::Routine& routine)
{
    return isEditableRoutine(routine) && routine.signatureLine >= routine.startLine
        && routine.signatureLine <= routine.endLine;
}

// Each procedure once, in the file's order.
template <typename Visit>
Rewrite forEachProcedure(const QStringList& lines, const model::RoutineList& routines, Visit visit)
{
    Rewrite result;
    result.lines = lines;
    qint32 next = 1;
    for (const RoutinePtr& routine : inSignatureOrder(routines)) {
        if (!isProcedure(*routine) || routine->startLine < next || routine->signatureLine > lines.size())
            continue;
        next = routine->endLine + 1;
        if (visit(readBody(lines, *routine), result.lines)) {
            result.changed = true;
            ++result.proceduresChanged;
        }
    }
    return result;
}

// A number in column 1; the code keeps its column when the indentation is blanks with room for
// the number and a blank, else a tab follows the number and then the whole old indentation.
QString withNumber(const QString& line, const QString& number)
{
    const qsizetype indent = model::skipBlanksAndTabs(line, 0);
    const bool blanksOnly = !line.first(indent).contains(QLatin1Char('\t'));
    if (blanksOnly && indent > number.size())
        return number + line.mid(number.size());
    return number + QLatin1Char('\t') + line;
}

QString withoutNumber(const QString& line, qsizetype length)
{
    if (line[length] == u'\t')
        return line.mid(length + 1);
    return model::blanks(length) + line.mid(length);
}

QString fieldProblem(const QString& field, const QString& text)
{
    const QStringView t = model::trimBlanks(text);
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    if (ok && model::isAllDigits(t) && value >= 1 && value <= kLargestNumber)
        return QString();
    return QStringLiteral("The ") + field + QStringLiteral(" \"") + text
        + QStringLiteral("\" is not a whole number from 1 to 999999999.");
}

QString problems(const QString& first, const QString& step)
{
    QStringList found = {fieldProblem(QStringLiteral("first line number"), first),
        fieldProblem(QStringLiteral("line number step"), step)};
    found.removeAll(QString());
    return found.join(model::kCrLf);
}

Rewrite numbered(const QStringList& lines, const model::RoutineList& routines, const NumberingRules& rules)
{
    const qint64 step = std::max<qint64>(rules.step, 1);
    qint64 next = rules.first;
    return forEachProcedure(lines, routines, [&](const Body& body, QStringList& out) {
        if (rules.restartEachProcedure)
            next = rules.first;
        bool changed = false;
        for (const Statement& s : body.statements) {
            if (!s.numberable || s.labelled)
                continue;
            // A number the procedure uses or names already would make a second label, or a
            // jump to a line it never meant.
            while (body.labels.contains(next) || body.references.contains(next))
                next += step;
            out[s.first] = withNumber(lines[s.first], QString::number(next));
            next += step;
            changed = true;
        }
        return changed;
    });
}

Rewrite unnumbered(const QStringList& lines, const model::RoutineList& routines)
{
    return forEachProcedure(lines, routines, [&](const Body& body, QStringList& out) {
        bool changed = false;
        for (const Statement& s : body.statements) {
            if (!s.numberable || s.removable == 0)
                continue;
            bool ok = false;
            const qint64 number = QStringView(lines[s.first]).first(s.removable).toLongLong(&ok);
            if (!ok || body.references.contains(number))
                continue;
            out[s.first] = withoutNumber(lines[s.first], s.removable);
            changed = true;
        }
        return changed;
    });
}

} // namespace lineNumbering
} // namespace

NumberingRules numberingRules(const config::Options& options)
{
    NumberingRules rules;
    const int first = options.integer(config::opt::FirstNumber);
    const int step = options.integer(config::opt::NumberStep);
    rules.first = first < 1 ? 10 : first;
    rules.step = step < 1 ? 10 : step;
    rules.restartEachProcedure = options.boolean(config::opt::RestartEachProcedure);
    return rules;
}

QString numberingProblem(const QString& first, const QString& step)
{
    return lineNumbering::problems(first, step);
}

Rewrite addLineNumbers(const QStringList& lines, const model::RoutineList& routines, const NumberingRules& rules)
{
    return lineNumbering::numbered(lines, routines, rules);
}

Rewrite removeLineNumbers(const QStringList& lines, const model::RoutineList& routines)
{
    return lineNumbering::unnumbered(lines, routines);
}

} // namespace quillon::aids
