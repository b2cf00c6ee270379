#include "aids/CodeWrap.h"
#include "aids/LineBreak.h"

#include "config/Options.h"
#include "model/TextPrimitives.h"
#include "platform/PrintSurface.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quillon::aids {

using analysis::joinLogicalLine;
using analysis::kLiteralJoint;
using analysis::LogicalLine;
using model::blanks;
using model::kCrLf;
using model::trimLeadingBlanks;
using model::trimTrailingBlanks;

namespace {

const QString kQuote = QStringLiteral("\"");

int leadingBlanks(QStringView text)
{
    return int(text.size() - trimLeadingBlanks(text).size());
}

// The b-th character is a blank, or the one after it a backslash.
bool isGoodBreak(QStringView line, int b)
{
    if (b < 1 || b > line.size())
        return false;
    return line[b - 1] == u' ' || (b < line.size() && line[b] == u'\\');
}

model::Failure cannotWrap()
{
    return {QStringLiteral("no break fits the line")};
}

// A wrap that produced no line would take the statement out of the file: that is a failure,
// and the line stays as it was.
model::Outcome<QStringList> finished(QStringList lines)
{
    if (lines.isEmpty())
        return cannotWrap();
    return lines;
}

bool isDesignerBlock(const model::Routine& routine)
{
    return routine.kind == model::RoutineKind::Layout || routine.kind == model::RoutineKind::Image;
}

} // namespace

int wrapIndentUnit(const config::Options& options)
{
    if (options.integer(config::opt::WhichIndent) != 0)
        return std::clamp(options.integer(config::opt::WrapCodeIndent), 0, 9);
    // "Use Indent from Developer Aids Code Indent Rules": the indenter's unit, which is the IDE tab
    // width until the indent rules window sets another.
    return std::clamp(options.integer(config::opt::IndentWidth), 0, 9);
}

SignatureRules signatureRules(const config::Options& options)
{
    return {options.integer(config::opt::SigWrap) == 0, options.boolean(config::opt::Wrap2Sig)};
}

TextMeasure printFontMeasure(platform::IPrintSurface& surface, const config::Options& options)
{
    surface.selectDevice(options.text(config::opt::DeviceName));
    surface.setFontName(options.text(config::opt::FontName));
    surface.setFontSize(options.single(config::opt::FontSize));
    return [&surface](QStringView text) { return surface.textWidth(text); };
}

std::vector<bool> stringLiteralMap(QStringView text)
{
    std::vector<bool> map(size_t(text.size()), false);
    bool inLiteral = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'"') {
            map[size_t(i)] = inLiteral;
        } else if (!inLiteral) {
            map[size_t(i)] = inLiteral = true;
        } else if (i + 1 < text.size() && text[i + 1] == u'"') {
            map[size_t(i)] = map[size_t(i + 1)] = true;
            ++i;
        } else {
            map[size_t(i)] = true;
            inLiteral = false;
        }
    }
    return map;
}

int commentStart(QStringView text)
{
    const std::vector<bool> map = stringLiteralMap(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\'' && !map[size_t(i)])
            return int(i + 1);
    }
    return 0;
}

LineWrapper::LineWrapper(TextMeasure measure, const QString& longLineSample, int indentUnit)
    : measure_(std::move(measure)), indentUnit_(indentUnit)
{
    longLine_ = measure_(longLineSample);
    literalClose_ = measure_(kLiteralJoint);
}

int LineWrapper::breakPosition(QStringView line, int m, double available) const
{
    // A break at the width limit may keep nothing: then no break is possible.
    const WrapBreak found = findBreak(
        line, m, available, [&](int n) { return measure_(line.left(n)); }, 0);
    return found.pieceLength;
}

model::Outcome<QStringList> LineWrapper::wrapLine(const QString& text) const
{
    const QStringView t = trimLeadingBlanks(text);
    if (t.startsWith(u'\'')) {
        const int q = leadingBlanks(text) + 1;
        return wrapComment(text.left(q), text.mid(q));
    }
    if (const int c = commentStart(text); c >= 1)
        return wrapComment(text.left(c), text.mid(c));
    return wrapCode(text);
}

model::Outcome<QStringList> LineWrapper::wrapCode(const QString& text) const
{
    QStringList result;
    const int lead = leadingBlanks(text);
    const int contIndent = indentUnit_ + lead;
    const double available = longLine_ - literalClose_;
    QString rest = text;
    for (bool first = true; !model::trimBlanks(rest).isEmpty(); first = false) {
        const QString line = first ? rest : blanks(contIndent) + rest;
        const int m = first ? lead : contIndent;
        const int b = breakPosition(line, m, available);
        if (b >= line.size()) {
            result << line;
            break;
        }
        // A break inside the indentation would take nothing of the statement.
        if (b <= m || !isGoodBreak(line, b))
            return cannotWrap();
        const int p = b - (first ? 0 : contIndent);
        const std::vector<bool> map = stringLiteralMap(rest);
        const bool inLiteral = map[size_t(p - 1)] && map[size_t(p)];
        // A literal reopened on a continuation line and broken right after its quote would
        // hand the same text to the next line again, for ever.
        if (inLiteral && p <= 1)
            return cannotWrap();
        result << line.left(b) + (inLiteral ? kLiteralJoint : QStringLiteral(" _"));
        rest = inLiteral ? kQuote + rest.mid(p) : rest.mid(p);
    }
    return finished(std::move(result));
}

model::Outcome<QStringList> LineWrapper::wrapComment(const QString& head, const QString& tail) const
{
    QStringList result;
    const int q = int(head.size());
    const QString prefix = blanks(indentUnit_ + q - 1) + QLatin1Char('\'');
    QString rest = tail;
    for (bool first = true; !model::trimBlanks(rest).isEmpty(); first = false) {
        const QString line = first ? head + rest : prefix + trimLeadingBlanks(rest).toString();
        const int m = first ? q : int(prefix.size());
        const int b = breakPosition(line, m, longLine_);
        if (b >= line.size()) {
            result << line;
            break;
        }
        if (b <= m || !isGoodBreak(line, b))
            return cannotWrap();
        result << line.left(b);
        rest = line.mid(b);
    }
    return finished(std::move(result));
}

namespace {
// Their own namespace: the sources of a library are also compiled several to a unit.
namespace signatureWrap {

// A signature read at its parameter list: the text up to and including "(", each parameter
// trimmed, and what follows the closing ")" (" As Long", a comment).
struct ParameterList {
    QString head;
    QStringList parameters;
    QString tail;
};

// Commas split the parameters only outside brackets and literals: `a() As Long`,
// `Optional s As String = "a, b"`, `ByVal f As Long = (1 + 2)`.
std::optional<ParameterList> readParameterList(const QString& signature)
{
    const std::vector<bool> literal = stringLiteralMap(signature);
    const int c = commentStart(signature);
    const qsizetype codeEnd = c >= 1 ? c - 1 : signature.size();
    qsizetype open = 0;
    while (open < codeEnd && (signature[open] != u'(' || literal[size_t(open)]))
        ++open;
    if (open == codeEnd)
        return std::nullopt;
    ParameterList list;
    list.head = signature.left(open + 1);
    int depth = 0;
    qsizetype pieceStart = open + 1;
    for (qsizetype i = open + 1; i < codeEnd; ++i) {
        const QChar ch = signature[i];
        if (literal[size_t(i)] || (ch != u'(' && ch != u')' && ch != u','))
            continue;
        if (ch == u'(') {
            ++depth;
        } else if (ch == u')' && depth > 0) {
            --depth;
        } else if (ch == u',' && depth > 0) {
            continue;
        } else {
            const QStringView piece = model::trimBlanks(QStringView(signature).sliced(pieceStart, i - pieceStart));
            if (ch == u',' || !piece.isEmpty() || !list.parameters.isEmpty())
                list.parameters << piece.toString();
            pieceStart = i + 1;
            if (ch == u')') {
                list.tail = signature.mid(i + 1);
                return list;
            }
        }
    }
    return std::nullopt;
}

// The signature with one parameter per continuation line.
QStringList eachParameterLines(const ParameterList& list, int indent)
{
    QStringList result = {list.head + QStringLiteral(" _")};
    for (qsizetype k = 0; k < list.parameters.size(); ++k) {
        const bool last = k + 1 == list.parameters.size();
        result << blanks(indent) + list.parameters[k] + (last ? QLatin1Char(')') + list.tail : QStringLiteral(", _"));
    }
    return result;
}

// What the signature rules make of a procedure's signature (the logical line from its line
// `number`): its new lines, or its lines as they stand; nothing when it wraps like any other line.
std::optional<QStringList> signatureLines(
    const QStringList& lines, const LogicalLine& signature, int number, const LineWrapper& wrapper)
{
    const SignatureRules& rules = wrapper.signatureRules();
    if (!rules.eachParameter)
        return std::nullopt;
    const std::optional<ParameterList> list = readParameterList(signature.text);
    if (!list)
        return std::nullopt;
    const qsizetype count = list->parameters.size();
    if (count > 2 || (rules.alsoTwoOrFewer && count >= 1))
        return eachParameterLines(*list, leadingBlanks(lines[number - 1]) + 2 * wrapper.indentUnit());
    // A short signature the developer continued is left as it stands.
    if (signature.consumed > 1)
        return lines.mid(number - 1, signature.consumed);
    return std::nullopt;
}

} // namespace signatureWrap
} // namespace

WrapRewrite wrapRoutines(const QStringList& lines, const model::RoutineList& routines, const LineWrapper& wrapper)
{
    WrapRewrite result;
    Rewrite& out = result.rewrite;
    const int n = int(lines.size());
    int next = 1;
    for (const model::RoutinePtr& routine : inSignatureOrder(routines)) {
        const int end = std::min(routine->endLine, n);
        if (isDesignerBlock(*routine) || routine->startLine < next || routine->startLine > end)
            continue;
        out.lines += lines.mid(next - 1, routine->startLine - next);
        for (int i = routine->startLine - 1; i < end;) {
            const LogicalLine logical = joinLogicalLine(lines, i, end - 1);
            const int number = i + 1;
            i += logical.consumed;
            if (number == routine->signatureLine) {
                if (const std::optional<QStringList> signature =
                        signatureWrap::signatureLines(lines, logical, number, wrapper)) {
                    out.lines += *signature;
                    if (*signature != lines.mid(number - 1, logical.consumed)) {
                        ++result.linesWrapped;
                        out.changed = true;
                    }
                    continue;
                }
            }
            // A statement continued over several lines is joined.
            if (logical.consumed > 1)
                out.changed = true;
            if (!wrapper.isTooLong(logical.text)) {
                out.lines << logical.text;
                continue;
            }
            const model::Outcome<QStringList> wrapped = wrapper.wrapLine(logical.text);
            if (wrapped) {
                out.lines += *wrapped;
                ++result.linesWrapped;
                out.changed = true;
            } else {
                out.lines << logical.text;
                result.notWrapped << QString::number(number) + QStringLiteral(": ")
                        + trimLeadingBlanks(logical.text).left(60).toString();
            }
        }
        next = end + 1;
    }
    out.lines += lines.mid(next - 1);
    return result;
}

QString wrapRulesHelpText()
{
    // clang-format off
    static const char16_t* const kLines[] = {
        u"For selected Files/Procedures all individual code lines will be examined;",
        u"        o If they are already wrapped they will be combinded, then",
        u"        o Each will be reviewed and if it exceeds the longest line set in User Options it will be wrapped ",
        u"                based upon the wrap rules.",
        u"",
        u"The wrap rules are as follows:",
        u"        o For procedure signature lines",
        u"                o If a procedure has two or fewer parameters and  does not exceed the long line there will ",
        u"                    be no adjustment nor will there be an adjustment to such procedures if you have already ",
        u"                    wrapped the line unless you elect to have all signature lines wrap every parameter to its ",
        u"                    own line.",
        u"                o For every other procedure, whether too long or not, each parameter will be wrapped to a ",
        u"                    new line and indented twice the specified wrap indent optionally based upon your ",
        u"                    selection below.",
        u"        o Lines longer than the specified long line are split into a parent line and one or more indented ",
        u"                continuation (\"child\") lines, using standard VB6 line-continuation syntax.",
        u"        o The split point is chosen at the last convenient space, or just before a backslash, within the ",
        u"                allowed width - never in the middle of a word.",
        u"        o If the split falls inside a string literal, the parent's literal is properly closed with a double quote ",
        u"                and the child reopened with a double quote it with a fresh - no characters are added to or ",
        u"                removed from the literal's actual text.",
        u"        o Whole-line comments and trailing (end-of-line) comments are split at the most convenient ",
        u"                space. The child line gets its own leading apostrophe, aligned directly under the parent's ",
        u"                apostrophe, with the comment text indented from it by the child-indent amount you set below.",
        u"        o If a line cannot be split without breaking apart a word - no usable space or backslash within ",
        u"                the allowed width - it is left exactly as-is, and you'll be shown which line could not be ",
        u"                wrapped so you can adjust it by hand.",
    };
    // clang-format on
    QString text;
    for (const char16_t* line : kLines)
        text += QString::fromUtf16(line) + kCrLf;
    return text;
}

QString wrapIndentProblem(const QString& text)
{
    bool numeric = false;
    const double value = text.trimmed().toDouble(&numeric);
    if (!numeric)
        return QStringLiteral("The entered indent character is not a number");
    if (std::floor(value) != value)
        return QStringLiteral("The entered indent character must be an integer");
    if (value < 0 || value > 9)
        return QStringLiteral("The entered indent character must be in the range 0 to 9");
    return QString();
}

} // namespace quillon::aids
