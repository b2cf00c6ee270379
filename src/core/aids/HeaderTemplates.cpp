#include "aids/HeaderTemplates.h"

#include "aids/SourceDocument.h"
#include "analysis/LogicalLine.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/SourceText.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <iterator>
#include <map>
#include <optional>

namespace quillon::aids {

namespace {
// The helpers' own namespace: the sources of a library are also compiled several to a unit,
// where the other files' helpers would meet these.
namespace headerTemplates {

using model::isBlankOrTab;

// What a field may stand in: any header, a procedure's, a line repeated per list item, the
// section's bounds, the section's lines.
enum class FieldRole { File, Procedure, List, Marker, Parameter };

struct FieldSpec {
    const char* name;
    FieldRole role;
};
constexpr FieldSpec kFields[] = {
    {"FileName", FieldRole::File},
    {"ModuleName", FieldRole::File},
    {"FileKind", FieldRole::File},
    {"ProjectName", FieldRole::File},
    {"Date", FieldRole::File},
    {"Author", FieldRole::File},
    {"ProcedureName", FieldRole::Procedure},
    {"ProcedureKind", FieldRole::Procedure},
    {"Scope", FieldRole::Procedure},
    {"ReturnType", FieldRole::Procedure},
    {"Parameters", FieldRole::List},
    {"Callers", FieldRole::List},
    {"Callees", FieldRole::List},
    {"ForEachParameter", FieldRole::Marker},
    {"End", FieldRole::Marker},
    {"ParameterName", FieldRole::Parameter},
    {"Passing", FieldRole::Parameter},
    {"ParameterType", FieldRole::Parameter},
    {"DefaultValue", FieldRole::Parameter},
    {"ParameterNotes", FieldRole::Parameter},
};
constexpr int kFieldCount = int(std::size(kFields));
// Indexes into kFields of the fields the code below names.
enum FieldId {
    FileName,
    ModuleName,
    FileKind,
    ProjectName,
    Date,
    Author,
    ProcedureName,
    ProcedureKind,
    Scope,
    ReturnType,
    Parameters,
    Callers,
    Callees,
    ForEachParameter,
    End,
    ParameterName,
    Passing,
    ParameterType,
    DefaultValue,
    ParameterNotes,
};
static_assert(ParameterNotes + 1 == kFieldCount);

using FieldValues = std::array<QString, kFieldCount>;

QString fieldText(int field)
{
    return QLatin1Char('{') + QLatin1StringView(kFields[field].name) + QLatin1Char('}');
}

// A field as written in a line: "{" letters "}". Its id, or -1 when no field has that name.
struct FieldToken {
    qsizetype start = 0;
    qsizetype length = 0;
    int field = -1;
};

bool sameWord(QStringView word, const char* name)
{
    return word.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
}

int fieldNamed(QStringView name)
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (sameWord(name, kFields[i].name))
            return i;
    }
    return -1;
}

// Braces around anything but letters are plain text: "{ }" or "{1}" in a comment is no field.
std::vector<FieldToken> fieldTokens(QStringView line)
{
    std::vector<FieldToken> tokens;
    qsizetype i = line.indexOf(QLatin1Char('{'));
    while (i >= 0) {
        qsizetype j = i + 1;
        while (j < line.size() && model::isAsciiLetter(line[j]))
            ++j;
        if (j > i + 1 && j < line.size() && line[j] == u'}') {
            tokens.push_back({i, j + 1 - i, fieldNamed(line.sliced(i + 1, j - i - 1))});
            i = line.indexOf(QLatin1Char('{'), j + 1);
        } else {
            i = line.indexOf(QLatin1Char('{'), j);
        }
    }
    return tokens;
}

QStringView trimBlanksAndTabs(QStringView text)
{
    qsizetype first = model::skipBlanksAndTabs(text, 0);
    qsizetype end = text.size();
    while (end > first && isBlankOrTab(text[end - 1]))
        --end;
    return text.sliced(first, end - first);
}

// A comment line: its first character that is no blank or tab is a quote, or it is a Rem statement.
bool isCommentLine(QStringView line)
{
    const qsizetype i = model::skipBlanksAndTabs(line, 0);
    return i < line.size() && (line[i] == u'\'' || model::isRemStatement(line.sliced(i)));
}

// The text of a comment line after its quote or its Rem.
QStringView commentBody(QStringView line)
{
    const qsizetype i = model::skipBlanksAndTabs(line, 0);
    return line.sliced(std::min(line.size(), i + (line[i] == u'\'' ? 1 : 3)));
}

// How each line of a template is written out.
enum class LineRole {
    Once,
    List, // repeated once per item of its list field
    SectionStart,
    SectionEnd,
    InSection, // repeated once per parameter
};
struct TemplateLine {
    QString text;
    LineRole role = LineRole::Once;
    int listField = -1;
};
using TemplateLayout = std::vector<TemplateLine>;

model::Outcome<TemplateLayout> layoutOf(HeaderKind kind, const QStringList& lines)
{
    using Failed = model::Outcome<TemplateLayout>;
    TemplateLayout layout;
    int sectionStart = 0; // the line that opened the section, 0 outside one
    bool anyOnce = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& text = lines[i];
        const QString number = QString::number(i + 1);
        if (!isCommentLine(text)) {
            // Enough of the line to find it by.
            constexpr qsizetype kShown = 80;
            const QString shown = text.size() > kShown ? text.first(kShown) + QStringLiteral("...") : text;
            return Failed::failed(
                QStringLiteral("Line %1 of the template is not a comment line: %2").arg(number, shown));
        }
        if (model::endsWithContinuationMark(text))
            return Failed::failed(QStringLiteral("Line %1 of the template ends with \" _\", which would carry the "
                                                 "comment onto the line below the header.")
                                      .arg(number));
        TemplateLine line {text, sectionStart > 0 ? LineRole::InSection : LineRole::Once, -1};
        for (const FieldToken& token : fieldTokens(text)) {
            const QString written = text.sliced(token.start, token.length);
            if (token.field < 0)
                return Failed::failed(QStringLiteral("The template holds an unknown field: %1.").arg(written));
            const FieldRole role = kFields[token.field].role;
            if (kind == HeaderKind::File && role != FieldRole::File)
                return Failed::failed(QStringLiteral("The field %1 on line %2 of the template belongs in a procedure "
                                                     "header; a file header cannot hold it.")
                                          .arg(fieldText(token.field), number));
            if (role == FieldRole::Marker) {
                if (trimBlanksAndTabs(commentBody(text)).size() != token.length)
                    return Failed::failed(QStringLiteral("Line %1 of the template holds %2 beside other text: it "
                                                         "must stand alone on its comment line.")
                                              .arg(number, fieldText(token.field)));
                const bool opens = token.field == ForEachParameter;
                if (opens && sectionStart > 0)
                    return Failed::failed(QStringLiteral("Line %1 of the template opens a {ForEachParameter} section "
                                                         "inside the one opened on line %2.")
                                              .arg(number)
                                              .arg(sectionStart));
                if (!opens && sectionStart == 0)
                    return Failed::failed(
                        QStringLiteral("Line %1 of the template holds an {End} with no {ForEachParameter} before it.")
                            .arg(number));
                line.role = opens ? LineRole::SectionStart : LineRole::SectionEnd;
                sectionStart = opens ? int(i + 1) : 0;
            } else if (role == FieldRole::Parameter && sectionStart == 0) {
                return Failed::failed(QStringLiteral("The field %1 on line %2 of the template stands outside a "
                                                     "{ForEachParameter} ... {End} section.")
                                          .arg(fieldText(token.field), number));
            } else if (role == FieldRole::List) {
                if (sectionStart > 0)
                    return Failed::failed(QStringLiteral("The list field %1 on line %2 of the template cannot stand "
                                                         "inside the {ForEachParameter} section.")
                                              .arg(fieldText(token.field), number));
                if (line.listField >= 0 && line.listField != token.field)
                    return Failed::failed(QStringLiteral("Line %1 of the template holds both %2 and %3: a line "
                                                         "repeats for one list only.")
                                              .arg(number, fieldText(line.listField), fieldText(token.field)));
                line.listField = token.field;
                line.role = LineRole::List;
            }
        }
        anyOnce = anyOnce || line.role == LineRole::Once;
        layout.push_back(std::move(line));
    }
    if (sectionStart > 0)
        return Failed::failed(
            QStringLiteral("The {ForEachParameter} section opened on line %1 of the template has no {End}.")
                .arg(sectionStart));
    if (!anyOnce)
        return Failed::failed(QStringLiteral(
            "The template needs at least one line that is written once (outside the parameter section, without "
            "{Parameters}, {Callers} or {Callees}): such lines are how a header made from it is recognised."));
    return layout;
}

// Field values are written on one line.
QString oneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

// A filled line without trailing blanks, and never ending as a continued line would: the
// comment would swallow the line below it, the signature.
QString finishedLine(QString line)
{
    for (;;) {
        qsizetype end = line.size();
        while (end > 0 && isBlankOrTab(line[end - 1]))
            --end;
        line.truncate(end);
        if (!model::endsWithContinuationMark(line))
            return line;
        line.chop(1);
    }
}

QString filled(QStringView text, const FieldValues& values)
{
    QString out;
    qsizetype from = 0;
    for (const FieldToken& token : fieldTokens(text)) {
        out += text.sliced(from, token.start - from);
        out += token.field >= 0 ? values[token.field] : text.sliced(token.start, token.length).toString();
        from = token.start + token.length;
    }
    out += text.sliced(from);
    return finishedLine(std::move(out));
}

QString fileKindText(model::SourceKind kind)
{
    switch (kind) {
    case model::SourceKind::Form:
        return QStringLiteral("Form");
    case model::SourceKind::Module:
        return QStringLiteral("Module");
    case model::SourceKind::Class:
        return QStringLiteral("Class");
    case model::SourceKind::UserControl:
        return QStringLiteral("User Control");
    case model::SourceKind::PropertyPage:
        return QStringLiteral("Property Page");
    case model::SourceKind::UserDocument:
        return QStringLiteral("User Document");
    case model::SourceKind::Designer:
        return QStringLiteral("Designer");
    case model::SourceKind::Other:
        break;
    }
    return QString();
}

FieldValues fileValues(const QString& path, const QStringList& lines, const HeaderFacts& facts)
{
    FieldValues values;
    values[FileName] = oneLine(model::fileNameOf(path));
    values[ModuleName] = oneLine(model::moduleNameOf(path, lines));
    values[FileKind] = fileKindText(model::sourceKindOfPath(path));
    values[ProjectName] = oneLine(facts.projectName);
    values[Date] = facts.date.isValid() ? facts.date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    values[Author] = oneLine(facts.author);
    return values;
}

QString parameterNotes(const SignatureParameter& parameter)
{
    if (parameter.isParamArray)
        return QStringLiteral("ParamArray");
    if (!parameter.isOptional)
        return QString();
    return parameter.defaultValue.isEmpty() ? QStringLiteral("Optional")
                                            : QStringLiteral("Optional, default ") + parameter.defaultValue;
}

QString parameterName(const SignatureParameter& parameter)
{
    return parameter.isArray ? parameter.name + QStringLiteral("()") : parameter.name;
}

// A parameter as one item of {Parameters}.
QString parameterItem(const SignatureParameter& parameter)
{
    QString item =
        parameterName(parameter) + QStringLiteral(": ") + parameter.passing + QLatin1Char(' ') + parameter.type;
    const QString notes = parameterNotes(parameter);
    if (!notes.isEmpty())
        item += QStringLiteral(", ") + notes;
    return oneLine(item);
}

void setParameterValues(FieldValues& values, const SignatureParameter& parameter)
{
    values[ParameterName] = parameterName(parameter);
    values[Passing] = parameter.passing;
    values[ParameterType] = parameter.type;
    values[DefaultValue] = parameter.defaultValue;
    values[ParameterNotes] = parameterNotes(parameter);
    for (const int field : {ParameterName, ParameterType, DefaultValue, ParameterNotes})
        values[field] = oneLine(values[field]);
}

const QString kNoItem = QStringLiteral("(none)");
// The project's dependency index was not at hand: no list of callers can be told.
const QString kUnknownItems = QStringLiteral("(not known)");

// The header's lines: lines written once, list lines once per item (or once with "(none)"),
// the section's lines once per parameter.
// A list's second and later items stand under the first: the text before the field, when it
// holds no other field, is blanked after its comment mark ("' Calls:  {Callees}" gives
// "'         " before them).
QString laterItemLine(const TemplateLine& line)
{
    const std::vector<FieldToken> tokens = fieldTokens(line.text);
    const auto list = std::find_if(
        tokens.begin(), tokens.end(), [&](const FieldToken& token) { return token.field == line.listField; });
    if (list == tokens.end() || list != tokens.begin())
        return line.text;
    const qsizetype mark = line.text.indexOf(QLatin1Char('\''));
    if (mark < 0 || mark >= list->start)
        return line.text;
    return line.text.left(mark + 1) + QString(list->start - mark - 1, QLatin1Char(' ')) + line.text.mid(list->start);
}

QStringList writeHeader(const TemplateLayout& layout, FieldValues values,
    const std::array<QStringList, kFieldCount>& lists, const std::vector<SignatureParameter>& parameters)
{
    QStringList out;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const TemplateLine& line = layout[i];
        switch (line.role) {
        case LineRole::Once:
            out << filled(line.text, values);
            break;
        case LineRole::List: {
            const QStringList& items = lists[line.listField];
            const QString later = laterItemLine(line);
            bool first = true;
            for (const QString& item : items.isEmpty() ? QStringList {kNoItem} : items) {
                values[line.listField] = oneLine(item);
                out << filled(first ? line.text : later, values);
                first = false;
            }
            values[line.listField].clear();
            break;
        }
        case LineRole::SectionStart: {
            std::size_t end = i + 1;
            while (end < layout.size() && layout[end].role != LineRole::SectionEnd)
                ++end;
            for (const SignatureParameter& parameter : parameters) {
                setParameterValues(values, parameter);
                for (std::size_t k = i + 1; k < end; ++k)
                    out << filled(layout[k].text, values);
            }
            i = end;
            break;
        }
        case LineRole::SectionEnd:
        case LineRole::InSection:
            break;
        }
    }
    return out;
}

// A line written once, as a header line made from it is recognised: its fields match any
// text. Lines are compared without the blanks and tabs around them; a field filled with
// nothing at the end of a line leaves the blanks before it off the written line, so up to
// tailBlanks blanks may be missing at its end.
struct LinePattern {
    std::vector<QString> literals; // the text around the fields: one more than there are fields
    int tailBlanks = 0;
};

QString blanksForTabs(QStringView text)
{
    QString out = text.toString();
    out.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return out;
}

LinePattern patternOf(QStringView templateLine)
{
    const QString text = blanksForTabs(trimBlanksAndTabs(templateLine));
    LinePattern pattern;
    qsizetype from = 0;
    for (const FieldToken& token : fieldTokens(text)) {
        pattern.literals.push_back(text.sliced(from, token.start - from));
        from = token.start + token.length;
    }
    pattern.literals.push_back(text.sliced(from));
    for (auto literal = pattern.literals.rbegin(); literal != pattern.literals.rend(); ++literal) {
        const qsizetype kept = model::trimTrailingBlanks(*literal).size();
        pattern.tailBlanks += int(literal->size() - kept);
        if (kept > 0)
            break;
    }
    return pattern;
}

bool matchesLiterals(const std::vector<QString>& literals, QStringView text)
{
    if (literals.size() == 1)
        return text == literals.front();
    const QString& first = literals.front();
    const QString& last = literals.back();
    if (text.size() < first.size() + last.size() || !text.startsWith(first) || !text.endsWith(last))
        return false;
    const QStringView middle = text.first(text.size() - last.size());
    qsizetype at = first.size();
    for (std::size_t i = 1; i + 1 < literals.size(); ++i) {
        const qsizetype found = middle.indexOf(literals[i], at);
        if (found < 0)
            return false;
        at = found + literals[i].size();
    }
    return true;
}

bool matches(const LinePattern& pattern, QStringView line)
{
    QString text = blanksForTabs(trimBlanksAndTabs(line));
    for (int missing = 0;; ++missing) {
        if (matchesLiterals(pattern.literals, text))
            return true;
        if (missing == pattern.tailBlanks)
            return false;
        text += QLatin1Char(' ');
    }
}

// How a header made from a template is told: the lines it writes once, all of them in order; or
// its marker, a last line without fields, alone (so that the user may fill in the other lines
// of the header, a purpose line say, and still have it recognised).
struct Recognition {
    std::vector<LinePattern> lines;
    std::optional<LinePattern> marker;
};

Recognition recognitionOf(const TemplateLayout& layout)
{
    Recognition recognition;
    for (const TemplateLine& line : layout) {
        if (line.role == LineRole::Once)
            recognition.lines.push_back(patternOf(line.text));
    }
    if (!layout.empty() && layout.back().role == LineRole::Once && !recognition.lines.empty()
        && recognition.lines.back().literals.size() == 1 && !trimBlanksAndTabs(layout.back().text).isEmpty()
        && trimBlanksAndTabs(layout.back().text) != QLatin1String("'"))
        recognition.marker = recognition.lines.back();
    return recognition;
}

// The comment lines lines[first, end) hold the marker, or a line matching each line pattern in order.
bool holdsHeader(const Recognition& recognition, const QStringList& lines, qsizetype first, qsizetype end)
{
    const std::vector<LinePattern>& patterns = recognition.lines;
    std::size_t next = 0;
    for (qsizetype k = first; k < end; ++k) {
        if (recognition.marker && matches(*recognition.marker, lines[k]))
            return true;
        if (next < patterns.size() && matches(patterns[next], lines[k]))
            ++next;
    }
    return !patterns.empty() && next == patterns.size();
}

// The run of comment lines from lines[first] on: its end.
qsizetype commentRunEnd(const QStringList& lines, qsizetype first)
{
    qsizetype end = first;
    while (end < lines.size() && isCommentLine(lines[end]))
        ++end;
    return end;
}

// Where the file header goes (0-based): after the layout block and the Attribute lines. -1 for a
// file that should begin with such a block and has none that can be found.
qsizetype fileHeaderPlace(const QString& path, const QStringList& lines)
{
    const model::SourceKind kind = model::sourceKindOfPath(path);
    if (!model::hasLayoutBlock(kind) && !model::isClassLike(kind))
        return model::lastHeaderAttributeLine(lines);
    const qint32 end = model::headerEndLine(kind, lines);
    return end > 0 ? end : -1;
}

// The text of a parameter or of the part of a signature after its name: what lies outside
// literals and brackets is read; "(" and "[" nest, a literal runs to its closing quote.
class TopLevel {
public:
    explicit TopLevel(QStringView text) : text_(text) { }
    // The first position at or after `from` holding `wanted` at the top level; -1 when none.
    qsizetype find(QChar wanted, qsizetype from = 0) const
    {
        int depth = 0;
        for (qsizetype i = from; i < text_.size(); ++i) {
            const QChar c = text_[i];
            if (depth == 0 && c == wanted)
                return i;
            if (c == u'"') {
                const qsizetype close = text_.indexOf(QLatin1Char('"'), i + 1);
                // A doubled quote inside a literal is read as the literal closing and another opening.
                i = close < 0 ? text_.size() : close;
            } else if (c == u'(' || c == u'[') {
                ++depth;
            } else if ((c == u')' || c == u']') && depth > 0) {
                --depth;
            }
        }
        return -1;
    }

private:
    QStringView text_;
};

// The list between the brackets that open at `open`: the position of its closing bracket,
// or the text's end when it is not closed.
qsizetype closingBracket(QStringView text, qsizetype open)
{
    const qsizetype close = TopLevel(text).find(QLatin1Char(')'), open + 1);
    return close < 0 ? text.size() : close;
}

// The next word at or after `at` (blanks and tabs skipped); `at` is moved past it.
QStringView nextWord(QStringView text, qsizetype& at)
{
    const qsizetype start = model::skipBlanksAndTabs(text, at);
    qsizetype end = start;
    // VB names may hold the code page's letters beside the ASCII ones.
    while (end < text.size()
        && (model::isIdentifierChar(text[end]) || (text[end].unicode() >= 128 && text[end].isLetterOrNumber())))
        ++end;
    at = end;
    return text.sliced(start, end - start);
}

QString suffixType(QChar suffix)
{
    switch (suffix.unicode()) {
    case u'%':
        return QStringLiteral("Integer");
    case u'&':
        return QStringLiteral("Long");
    case u'!':
        return QStringLiteral("Single");
    case u'#':
        return QStringLiteral("Double");
    case u'$':
        return QStringLiteral("String");
    case u'@':
        return QStringLiteral("Currency");
    default:
        return QString();
    }
}

// A type as written after "As", its words one blank apart: "String * 10".
QString typeText(QStringView text)
{
    QString type;
    for (const QStringView word : trimBlanksAndTabs(text).split(u' ', Qt::SkipEmptyParts)) {
        for (const QStringView part : word.split(u'\t', Qt::SkipEmptyParts)) {
            if (!type.isEmpty())
                type += QLatin1Char(' ');
            type += part;
        }
    }
    return type;
}

// The type of "As TYPE" from `at` on; the fallback (a type character's, or Variant) without it.
QString declaredType(QStringView text, qsizetype at, const QString& fallback)
{
    if (model::equalsNoCase(nextWord(text, at), u"As"))
        return typeText(text.sliced(at));
    return fallback;
}

std::optional<SignatureParameter> readParameter(QStringView text)
{
    SignatureParameter parameter;
    parameter.passing = QStringLiteral("ByRef");
    const qsizetype equals = TopLevel(text).find(QLatin1Char('='));
    if (equals >= 0) {
        parameter.defaultValue = trimBlanksAndTabs(text.sliced(equals + 1)).toString();
        text = text.first(equals);
    }
    qsizetype at = 0;
    QStringView word;
    for (;;) {
        word = nextWord(text, at);
        if (model::equalsNoCase(word, u"Optional"))
            parameter.isOptional = true;
        else if (model::equalsNoCase(word, u"ByVal"))
            parameter.passing = QStringLiteral("ByVal");
        else if (model::equalsNoCase(word, u"ByRef"))
            parameter.passing = QStringLiteral("ByRef");
        else if (model::equalsNoCase(word, u"ParamArray"))
            parameter.isParamArray = true;
        else
            break;
    }
    if (word.isEmpty())
        return std::nullopt;
    parameter.name = word.toString();
    QString type = QStringLiteral("Variant");
    if (at < text.size() && model::isTypeSuffix(text[at]))
        type = suffixType(text[at++]);
    const qsizetype open = model::skipBlanksAndTabs(text, at);
    if (open < text.size() && text[open] == u'(') {
        parameter.isArray = true;
        at = std::min(text.size(), closingBracket(text, open) + 1);
    }
    parameter.type = declaredType(text, at, type);
    return parameter;
}

std::vector<SignatureParameter> readParameters(QStringView list)
{
    std::vector<SignatureParameter> parameters;
    const TopLevel topLevel(list);
    qsizetype from = 0;
    while (from <= list.size()) {
        qsizetype comma = topLevel.find(QLatin1Char(','), from);
        if (comma < 0)
            comma = list.size();
        if (std::optional<SignatureParameter> parameter = readParameter(list.sliced(from, comma - from)))
            parameters.push_back(std::move(*parameter));
        from = comma + 1;
    }
    return parameters;
}

// A signature's lines joined, as one line without its comment.
QString joinedSignature(const QStringList& lines, qsizetype first)
{
    const analysis::LogicalLine joined = analysis::joinLogicalLine(lines, int(first), int(lines.size() - 1));
    return model::withoutComment(joined.text).toString();
}

// No template comes near it; a larger file is not one.
constexpr qint64 kMaxTemplateBytes = 1024LL * 1024;

QString templatePath(HeaderKind kind, const QString& optionsFolder)
{
    return QDir(optionsFolder).filePath(templateFileName(kind));
}

} // namespace headerTemplates
} // namespace

QString templateFileName(HeaderKind kind)
{
    return kind == HeaderKind::File ? kFileHeaderTemplateFile : kProcedureHeaderTemplateFile;
}

QString defaultTemplateText(HeaderKind kind)
{
    if (kind == HeaderKind::File)
        return QStringLiteral("'==============================================================================\n"
                              "' File:      {FileName}\n"
                              "' Module:    {ModuleName} ({FileKind})\n"
                              "' Project:   {ProjectName}\n"
                              "' Author:    {Author}\n"
                              "' Created:   {Date}\n"
                              "'\n"
                              "' Purpose:   (what the file is for)\n"
                              "'=========================================================== File Header ====\n");
    return QStringLiteral("'------------------------------------------------------------------------------\n"
                          "' {Scope} {ProcedureKind} {ProcedureName}\n"
                          "' Purpose:    (what it does)\n"
                          "' Parameters:\n"
                          "' {ForEachParameter}\n"
                          "'   {ParameterName}: {Passing} {ParameterType} {ParameterNotes}\n"
                          "' {End}\n"
                          "' Returns:    {ReturnType}\n"
                          "' Called by:  {Callers}\n"
                          "' Calls:      {Callees}\n"
                          "'-------------------------------------------------------- Procedure Header ----\n");
}

QStringList templateFields(HeaderKind kind)
{
    using namespace headerTemplates;
    QStringList fields;
    for (int i = 0; i < kFieldCount; ++i) {
        if (kind == HeaderKind::Procedure || kFields[i].role == FieldRole::File)
            fields << fieldText(i);
    }
    return fields;
}

model::Outcome<HeaderTemplate> parseHeaderTemplate(HeaderKind kind, const QString& text)
{
    using namespace headerTemplates;
    const QStringList lines = model::splitLines(text);
    const model::Outcome<TemplateLayout> layout = layoutOf(kind, lines);
    if (!layout)
        return layout.failure();
    return HeaderTemplate {kind, lines};
}

model::Outcome<HeaderTemplate> loadHeaderTemplate(HeaderKind kind, const QString& optionsFolder)
{
    using namespace headerTemplates;
    const QString path = templatePath(kind, optionsFolder);
    if (!QFileInfo(path).exists())
        return parseHeaderTemplate(kind, defaultTemplateText(kind));
    const model::Outcome<QByteArray> bytes = model::readRegularFile(path, kMaxTemplateBytes);
    if (!bytes) {
        const QString reason =
            bytes.errorNumber() == EFBIG ? QStringLiteral("it is too large to be a template") : bytes.error();
        return model::Failure {
            QStringLiteral("The template file %1 cannot be read: %2.").arg(model::quote(path), reason),
            bytes.errorNumber()};
    }
    QString text = QString::fromUtf8(*bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    model::Outcome<HeaderTemplate> parsed = parseHeaderTemplate(kind, text);
    if (!parsed)
        return model::Failure {
            QStringLiteral("The template file %1 cannot be used. %2").arg(model::quote(path), parsed.error())};
    return parsed;
}

model::Outcome<void> saveHeaderTemplate(HeaderKind kind, const QString& optionsFolder, const QString& text)
{
    using namespace headerTemplates;
    if (const model::Outcome<HeaderTemplate> parsed = parseHeaderTemplate(kind, text); !parsed)
        return parsed.failure();
    const QString path = templatePath(kind, optionsFolder);
    const auto failed = [&path](const QString& reason, int errorNumber) {
        return model::Failure {
            QStringLiteral("The template file %1 cannot be written: %2.").arg(model::quote(path), reason), errorNumber};
    };
    if (!QDir().mkpath(optionsFolder))
        return failed(QStringLiteral("its folder cannot be made"), 0);
    const model::Outcome<void> written = replaceFileBytes(path, text.toUtf8());
    if (!written)
        return failed(written.error(), written.errorNumber());
    return {};
}

Signature parseSignature(const QString& signatureText)
{
    using namespace headerTemplates;
    const QStringList lines = model::splitLines(signatureText);
    if (lines.isEmpty())
        return {};
    const QString text = joinedSignature(lines, 0);
    Signature signature;
    qsizetype at = 0;
    QStringView word;
    for (bool modifier = true; modifier;) {
        word = nextWord(text, at);
        modifier = model::equalsNoCase(word, u"Static");
        signature.isStatic = signature.isStatic || modifier;
        for (const char* scope : {"Public", "Private", "Friend"}) {
            if (sameWord(word, scope)) {
                signature.scope = QLatin1StringView(scope);
                modifier = true;
            }
        }
    }
    if (model::equalsNoCase(word, u"Sub")) {
        signature.kind = QStringLiteral("Sub");
    } else if (model::equalsNoCase(word, u"Function")) {
        signature.kind = QStringLiteral("Function");
    } else if (model::equalsNoCase(word, u"Property")) {
        const QStringView accessor = nextWord(text, at);
        for (const char* name : {"Get", "Let", "Set"}) {
            if (sameWord(accessor, name))
                signature.kind = QStringLiteral("Property ") + QLatin1StringView(name);
        }
    }
    // A Declare, an Event, a bare Property: no procedure this reads.
    if (signature.kind.isEmpty())
        return {};
    if (signature.scope.isEmpty())
        signature.scope = QStringLiteral("Public");
    signature.name = nextWord(text, at).toString();
    QString suffix;
    if (at < text.size() && model::isTypeSuffix(text[at]))
        suffix = suffixType(text[at++]);
    const qsizetype open = model::skipBlanksAndTabs(text, at);
    if (open < text.size() && text[open] == u'(') {
        const qsizetype close = closingBracket(text, open);
        signature.parameters = readParameters(QStringView(text).sliced(open + 1, close - open - 1));
        at = std::min(text.size(), close + 1);
    }
    if (signature.kind == QLatin1String("Function") || signature.kind == QLatin1String("Property Get")) {
        // Whatever follows the type on the line ("Function F() As Long: x = 1") is not part of it.
        const qsizetype colon = TopLevel(text).find(QLatin1Char(':'), at);
        const QStringView rest = QStringView(text).first(colon < 0 ? text.size() : colon);
        signature.returnType = declaredType(rest, at, suffix.isEmpty() ? QStringLiteral("Variant") : suffix);
    }
    return signature;
}

Signature signatureAt(const QStringList& lines, int signatureLine)
{
    using namespace headerTemplates;
    if (signatureLine < 1 || signatureLine > lines.size())
        return {};
    return parseSignature(joinedSignature(lines, signatureLine - 1));
}

QStringList fileHeaderLines(
    const HeaderTemplate& tmpl, const QString& path, const QStringList& lines, const HeaderFacts& facts)
{
    using namespace headerTemplates;
    const model::Outcome<TemplateLayout> layout = layoutOf(tmpl.kind, tmpl.lines);
    if (!layout)
        return {};
    return writeHeader(*layout, fileValues(path, lines, facts), {}, {});
}

QStringList procedureHeaderLines(const HeaderTemplate& tmpl, const QString& path, const QStringList& lines,
    const model::Routine& routine, const HeaderFacts& facts)
{
    using namespace headerTemplates;
    const model::Outcome<TemplateLayout> layout = layoutOf(tmpl.kind, tmpl.lines);
    if (!layout)
        return {};
    const Signature signature = signatureAt(lines, routine.signatureLine);
    FieldValues values = fileValues(path, lines, facts);
    QString name = signature.name;
    if (name.isEmpty()) {
        name = routine.routineName;
        if (name.startsWith(model::kEventHandlerPrefix))
            name.remove(0, model::kEventHandlerPrefix.size());
    }
    values[ProcedureName] = oneLine(name);
    values[ProcedureKind] = signature.kind.isEmpty() ? model::kindText(routine.kind) : signature.kind;
    values[Scope] = signature.scope;
    values[ReturnType] = oneLine(signature.returnType);

    std::array<QStringList, kFieldCount> lists;
    for (const SignatureParameter& parameter : signature.parameters)
        lists[Parameters] << parameterItem(parameter);
    lists[Callers] = facts.callers ? facts.callers(routine) : QStringList {kUnknownItems};
    lists[Callees] = facts.callees ? facts.callees(routine) : QStringList {kUnknownItems};
    return writeHeader(*layout, values, lists, signature.parameters);
}

Rewrite insertFileHeader(
    const QString& path, const QStringList& lines, const HeaderTemplate& tmpl, const HeaderFacts& facts)
{
    using namespace headerTemplates;
    Rewrite result {lines, false, 0};
    const model::Outcome<TemplateLayout> layout = layoutOf(tmpl.kind, tmpl.lines);
    const qsizetype place = fileHeaderPlace(path, lines);
    if (!layout || place < 0)
        return result;
    const qsizetype runEnd = commentRunEnd(lines, place);
    if (holdsHeader(recognitionOf(*layout), lines, place, runEnd))
        return result;
    const QStringList header = fileHeaderLines(tmpl, path, lines, facts);
    if (header.isEmpty())
        return result;
    // The comment lines right above a procedure's signature are its own: a blank line keeps the
    // file header from being read as the first procedure's.
    const bool beforeProcedure = runEnd < lines.size() && model::isProcedureStart(lines[runEnd]);
    QStringList out = lines.mid(0, place);
    out << header;
    if (beforeProcedure)
        out << QString();
    out << lines.mid(place);
    result.lines = std::move(out);
    result.changed = true;
    result.proceduresChanged = 1;
    return result;
}

Rewrite insertProcedureHeaders(const QString& path, const QStringList& lines, const model::RoutineList& routines,
    const HeaderTemplate& tmpl, const HeaderFacts& facts)
{
    using namespace headerTemplates;
    Rewrite result {lines, false, 0};
    const model::Outcome<TemplateLayout> layout = layoutOf(tmpl.kind, tmpl.lines);
    if (!layout)
        return result;
    const Recognition recognition = recognitionOf(*layout);
    std::map<qint32, QStringList> headers; // by signature line
    for (const model::RoutinePtr& routine : routines) {
        if (!routine || !isEditableRoutine(*routine))
            continue;
        const qint32 signatureLine = routine->signatureLine;
        // A span the file does not bear out (stale, or no signature there) is passed over.
        if (signatureLine < 1 || signatureLine > lines.size() || headers.count(signatureLine) > 0
            || !model::isProcedureStart(lines[signatureLine - 1]) || signatureAt(lines, signatureLine).kind.isEmpty())
            continue;
        qsizetype blockStart = signatureLine - 1;
        while (blockStart > 0 && isCommentLine(lines[blockStart - 1]))
            --blockStart;
        if (holdsHeader(recognition, lines, blockStart, signatureLine - 1))
            continue;
        QStringList header = procedureHeaderLines(tmpl, path, lines, *routine, facts);
        if (!header.isEmpty())
            headers.emplace(signatureLine, std::move(header));
    }
    if (headers.empty())
        return result;
    QStringList out;
    qsizetype next = 0;
    for (const auto& [signatureLine, header] : headers) {
        out << lines.mid(next, signatureLine - 1 - next) << header;
        next = signatureLine - 1;
    }
    out << lines.mid(next);
    result.lines = std::move(out);
    result.changed = true;
    result.proceduresChanged = int(headers.size());
    return result;
}

} // namespace quillon::aids
