#include "model/RoutineParser.h"

#include "model/TextPrimitives.h"

#include <algorithm>

namespace quillon::model {

namespace {

// Reduces every run of blanks to one blank (tabs are left alone).
QString collapseBlanks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool lastBlank = false;
    for (QChar c : text) {
        const bool blank = c.unicode() == u' ';
        if (!(blank && lastBlank))
            out.append(c);
        lastBlank = blank;
    }
    return out;
}

const char* const kSignaturePrefixes[] = {
    "PUBLIC STATIC SUB ",
    "PRIVATE STATIC SUB ",
    "FRIEND STATIC SUB ",
    "STATIC SUB ",
    "PUBLIC SUB ",
    "PRIVATE SUB ",
    "FRIEND SUB ",
    "SUB ",
    "PUBLIC STATIC FUNCTION ",
    "PRIVATE STATIC FUNCTION ",
    "FRIEND STATIC FUNCTION ",
    "STATIC FUNCTION ",
    "PUBLIC FUNCTION ",
    "PRIVATE FUNCTION ",
    "FRIEND FUNCTION ",
    "FUNCTION ",
    "PUBLIC PROPERTY ",
    "PRIVATE PROPERTY ",
    "FRIEND PROPERTY ",
    "PROPERTY ",
};

struct EventSuffix {
    const char* suffix;
    const char* label; // nullptr: an event name without a label of its own
};
const EventSuffix kEventSuffixes[] = {
    {"_CLICK", "Click Event"},
    {"_DBLCLICK", "DblClick Event"},
    {"_CHANGE", "Change Event"},
    {"_KEYPRESS", "KeyPress Event"},
    {"_KEYDOWN", "KeyDown Event"},
    {"_KEYUP", "KeyUp Event"},
    {"_MOUSEDOWN", "MouseDown Event"},
    {"_MOUSEUP", "MouseUp Event"},
    {"_MOUSEMOVE", "MouseMove Event"},
    {"_GOTFOCUS", "GotFocus Event"},
    {"_LOSTFOCUS", "LostFocus Event"},
    {"_LOAD", "Form Event"},
    {"_UNLOAD", "Form Event"},
    {"_RESIZE", "Form Event"},
    {"_ACTIVATE", "Form Event"},
    {"_DEACTIVATE", "Form Event"},
    {"_TIMER", "Timer Event"},
    {"_SCROLL", "Scroll Event"},
    {"_DROPDOWN", "DropDown Event"},
    {"_ITEMCHECK", "ItemCheck Event"},
    {"_VALIDATE", "Validate Event"},
    {"_INITIALIZE", "Class Event"},
    {"_TERMINATE", "Class Event"},
    {"_QUERYUNLOAD", nullptr},
};

const EventSuffix* matchEventSuffix(QStringView name)
{
    const QString upper = upperCase(trimBlanks(name));
    for (const EventSuffix& entry : kEventSuffixes) {
        const QLatin1StringView suffix(entry.suffix);
        if (upper.size() > suffix.size() && upper.endsWith(suffix))
            return &entry;
    }
    return nullptr;
}

bool isCommentLine(QStringView trimmed)
{
    return !trimmed.isEmpty() && trimmed[0] == QLatin1Char('\'');
}

bool endsWithContinuation(QStringView line)
{
    return line.size() >= 2 && line.endsWith(QLatin1String(" _"));
}

RoutinePtr makePseudo(const QString& path, const QString& moduleName, RoutineKind kind, qint32 start, qint32 end)
{
    auto record = std::make_shared<Routine>();
    record->routineName = kindText(kind);
    record->kind = kind;
    record->filePath = path;
    record->moduleName = moduleName;
    record->startLine = start;
    record->endLine = end;
    assignUniqueKey(*record);
    return record;
}

// A form or class header: the Attribute lines before the first procedure. Attribute lines
// inside procedures (such as a default member's VB_UserMemId) belong to those procedures.
qint32 lastHeaderAttributeLine(const QStringList& lines)
{
    qint32 last = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (isProcedureStart(line))
            break;
        if (startsWithUpper(trimBlanks(line), QLatin1StringView("ATTRIBUTE ")))
            last = qint32(i + 1);
    }
    return last;
}

} // namespace

bool isProcedureStart(QStringView line)
{
    const QStringView t = trimLeadingBlanks(line);
    if (t.isEmpty())
        return false;
    const char16_t first = t[0].unicode();
    // Every signature starts with P(ublic/rivate/roperty), F(riend/unction) or S(tatic/ub).
    if (!(first == u'P' || first == u'p' || first == u'F' || first == u'f' || first == u'S' || first == u's'))
        return false;
    const QString text = upperCase(collapseBlanks(t));
    for (const char* prefix : kSignaturePrefixes) {
        if (text.startsWith(QLatin1StringView(prefix)))
            return true;
    }
    return false;
}

QString procNameFromSignature(QStringView line)
{
    const QStringView trimmed = trimBlanks(line);
    if (trimmed.isEmpty())
        return QString();
    QString prepared = trimmed.toString();
    prepared.replace(QLatin1String("("), QLatin1String(" ("));
    const QString collapsed = collapseBlanks(prepared);
    const QStringList words = collapsed.split(QLatin1Char(' '));
    const qsizetype n = words.size();
    QString name;
    bool found = false;
    for (qsizetype i = 0; i < n && !found; ++i) {
        const QString& word = words[i];
        if (equalsNoCase(word, u"SUB") || equalsNoCase(word, u"FUNCTION")) {
            if (i + 1 < n) {
                name = words[i + 1];
                found = true;
            }
        } else if (equalsNoCase(word, u"PROPERTY")) {
            if (i + 2 < n
                && (equalsNoCase(words[i + 1], u"GET") || equalsNoCase(words[i + 1], u"LET")
                    || equalsNoCase(words[i + 1], u"SET"))) {
                name = words[i + 2];
                found = true;
            } else if (i + 1 < n) {
                name = words[i + 1];
                found = true;
            }
        }
    }
    if (!found)
        return collapsed;
    name = trimBlanks(name).toString();
    if (name.endsWith(QLatin1Char('(')))
        name.chop(1);
    return name;
}

RoutineKind kindFromSignature(QStringView line)
{
    const QString text = upperCase(trimLeadingBlanks(line));
    if (text.contains(QLatin1String("PROPERTY"))) {
        if (text.contains(QLatin1String("PROPERTY GET")))
            return RoutineKind::PropertyGet;
        if (text.contains(QLatin1String("PROPERTY LET")))
            return RoutineKind::PropertyLet;
        if (text.contains(QLatin1String("PROPERTY SET")))
            return RoutineKind::PropertySet;
        return RoutineKind::Property;
    }
    if (text.contains(QLatin1String("FUNCTION")))
        return RoutineKind::Function;
    if (text.contains(QLatin1String("SUB")))
        return RoutineKind::Sub;
    return RoutineKind::None;
}

bool isEndProcedureLine(QStringView line)
{
    const QStringView t = trimBlanks(line);
    return (t.size() == 7 && startsWithUpper(t, QLatin1StringView("END SUB")))
        || (t.size() == 12 && startsWithUpper(t, QLatin1StringView("END FUNCTION")))
        || (t.size() == 12 && startsWithUpper(t, QLatin1StringView("END PROPERTY")));
}

QString scopeAndKindText(QStringView signature)
{
    const QString s = upperCase(trimBlanks(signature));
    QString scope = QStringLiteral("Public");
    if (s.startsWith(QLatin1String("PRIVATE ")))
        scope = QStringLiteral("Private");
    else if (s.startsWith(QLatin1String("FRIEND ")))
        scope = QStringLiteral("Friend");
    const QString spaced = QLatin1Char(' ') + s;
    RoutineKind kind = RoutineKind::Sub;
    if (spaced.endsWith(QLatin1String(" FUNCTION")) || spaced.contains(QLatin1String(" FUNCTION ")))
        kind = RoutineKind::Function;
    else if (spaced.contains(QLatin1String(" PROPERTY GET")))
        kind = RoutineKind::PropertyGet;
    else if (spaced.contains(QLatin1String(" PROPERTY LET")))
        kind = RoutineKind::PropertyLet;
    else if (spaced.contains(QLatin1String(" PROPERTY SET")))
        kind = RoutineKind::PropertySet;
    return scope + QLatin1Char(' ') + kindText(kind);
}

bool isEventHandlerName(QStringView name)
{
    return matchEventSuffix(name) != nullptr;
}

QString eventLabel(QStringView name)
{
    const EventSuffix* match = matchEventSuffix(name);
    if (match && match->label)
        return QString::fromLatin1(match->label);
    return QStringLiteral("User Event");
}

QString readVbNameFromLines(const QStringList& lines)
{
    const qsizetype limit = std::min<qsizetype>(lines.size(), 300);
    for (qsizetype i = 0; i < limit; ++i) {
        const QStringView t = trimBlanks(lines[i]);
        if (indexOfUpper(t, QLatin1StringView("ATTRIBUTE VB_NAME")) < 0)
            continue;
        const qsizetype open = t.indexOf(QLatin1Char('"'));
        if (open < 0)
            continue;
        const qsizetype close = t.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            continue;
        return t.sliced(open + 1, close - open - 1).toString();
    }
    return QString();
}

QString readVbName(const QString& path, const SourceReader& reader)
{
    if (trimBlanks(path).isEmpty() || !fileExists(path))
        return QString();
    const SourceFile file = reader.read(path);
    return file.ok ? readVbNameFromLines(file.lines) : QString();
}

QString moduleNameOf(const QString& path, const QStringList& lines)
{
    const QString name = readVbNameFromLines(lines);
    return name.isEmpty() ? fileBaseName(path) : name;
}

void countRoutineLines(Routine& routine, const QStringList& lines)
{
    qint32 comments = 0;
    qint32 blanks = 0;
    qint32 code = 0;
    bool continued = false;
    const qint32 first = std::max<qint32>(routine.startLine, 1);
    const qint32 last = std::min<qint32>(routine.endLine, qint32(lines.size()));
    for (qint32 k = first; k <= last; ++k) {
        const QString& line = lines[k - 1];
        if (continued) {
            continued = endsWithContinuation(line);
            continue;
        }
        const QStringView t = trimBlanks(line);
        if (t.isEmpty()) {
            ++blanks;
            continue;
        }
        if (isCommentLine(t) || (t.size() == 3 && startsWithUpper(t, QLatin1StringView("REM")))
            || startsWithUpper(t, QLatin1StringView("REM ")))
            ++comments;
        else
            ++code;
        continued = endsWithContinuation(line);
    }
    routine.commentLines = comments;
    routine.blankLines = blanks;
    routine.codeLines = code;
}

RoutineList splitLinesIntoRoutines(const QString& path, const QStringList& lines)
{
    RoutineList result;
    if (trimBlanks(path).isEmpty())
        return result;
    const QString extension = upperCase(fileExtension(path));
    const bool isForm = extension == QLatin1String("FRM");
    const bool isClass = extension == QLatin1String("CLS");
    const QString moduleName = moduleNameOf(path, lines);
    const qint32 lineCount = qint32(lines.size());

    const qint32 lastAttributeLine = (isForm || isClass) ? lastHeaderAttributeLine(lines) : 0;
    const qint32 declStart = ((isForm || isClass) && lastAttributeLine > 0) ? lastAttributeLine + 1 : 1;

    if (isForm && lastAttributeLine > 0) {
        result.push_back(makePseudo(path, moduleName, RoutineKind::Layout, 1, lastAttributeLine));
        result.push_back(makePseudo(path, moduleName, RoutineKind::Image, 1, lastAttributeLine));
    }
    RoutinePtr declarations = makePseudo(path, moduleName, RoutineKind::Declarations, declStart, 0);
    declarations->isDeclarations = true;

    auto trimmedAt = [&](qint32 lineNumber) { return trimBlanks(lines[lineNumber - 1]); };

    bool declarationsOpen = true;
    RoutinePtr previous;
    for (qint32 i = declStart; i <= lineCount; ++i) {
        const QStringView t = trimmedAt(i);
        if (t.isEmpty() || startsWithUpper(t, QLatin1StringView("ATTRIBUTE")) || !isProcedureStart(t))
            continue;

        if (declarationsOpen) {
            qint32 end = 0;
            for (qint32 k = i - 1; k >= declStart; --k) {
                const QStringView line = trimmedAt(k);
                if (!line.isEmpty() && !isCommentLine(line)) {
                    end = k;
                    break;
                }
            }
            // No declaration line at all: the record would only repeat the signature.
            if (end > 0) {
                declarations->endLine = end;
                if (declarations->endLine >= declarations->startLine)
                    result.push_back(declarations);
            }
            declarationsOpen = false;
        }

        if (previous) {
            qint32 end = i - 1;
            for (qint32 k = i - 1; k >= previous->startLine; --k) {
                if (isEndProcedureLine(lines[k - 1])) {
                    end = k;
                    break;
                }
            }
            previous->endLine = end;
        }

        auto record = std::make_shared<Routine>();
        record->filePath = path;
        record->moduleName = moduleName;
        record->routineName = procNameFromSignature(t);
        if (isEventHandlerName(record->routineName))
            record->routineName = kEventHandlerPrefix + record->routineName;
        record->kind = kindFromSignature(t);
        if (!previous) {
            qint32 start = i;
            while (start - 1 >= declStart) {
                const QStringView above = trimmedAt(start - 1);
                if (above.isEmpty() || !isCommentLine(above))
                    break;
                --start;
            }
            record->startLine = start;
        } else {
            record->startLine = previous->endLine + 1;
        }
        record->signatureLine = i;
        record->sigLineText = lines[i - 1];
        assignUniqueKey(*record);
        result.push_back(record);
        previous = record;
    }

    if (previous)
        previous->endLine = lineCount;
    if (declarationsOpen) {
        declarations->endLine = lineCount;
        if (declarations->endLine >= declarations->startLine)
            result.push_back(declarations);
    }

    for (const RoutinePtr& record : result) {
        if (record->endLine >= record->startLine)
            countRoutineLines(*record, lines);
    }
    return result;
}

RoutineList splitFileIntoRoutines(const QString& path, const SourceReader& reader, SplitReport* report)
{
    if (trimBlanks(path).isEmpty() || !fileExists(path))
        return {};
    const SourceFile file = reader.read(path);
    if (report) {
        report->readOk = file.ok;
        report->error = file.error;
        report->hasNul = file.hasNul;
        report->lineCount = qint32(file.lines.size());
    }
    if (!file.ok)
        return {};
    return splitLinesIntoRoutines(path, file.lines);
}

bool isPropertyProcedure(const Routine* routine)
{
    if (!routine || routine->isDeclarations || isPseudoRoutine(*routine))
        return false;
    const QString sig = upperCase(trimBlanks(routine->sigLineText));
    const qsizetype at = sig.indexOf(QLatin1String("PROPERTY "));
    if (at < 0)
        return false;
    const QStringView twelve = QStringView(sig).sliced(at, std::min<qsizetype>(12, sig.size() - at));
    return twelve == u"PROPERTY GET" || twelve == u"PROPERTY LET" || twelve == u"PROPERTY SET";
}

bool isSmallProperty(const Routine& routine)
{
    return routine.startLine > 0 && routine.endLine > 0 && isPropertyKind(routine.kind)
        && routine.endLine - routine.startLine + 1 <= kSmallPropertyLines;
}

namespace {
struct AggregateSortKey {
    QString name; // upper-cased, without a leading GET/LET/SET
    int rank;
};

AggregateSortKey sortKeyOf(const Routine& routine)
{
    QString name = upperCase(trimBlanks(routine.routineName));
    int rank = 9;
    if (name.startsWith(QLatin1String("GET ")))
        rank = 1;
    else if (name.startsWith(QLatin1String("LET ")))
        rank = 2;
    else if (name.startsWith(QLatin1String("SET ")))
        rank = 3;
    if (rank != 9)
        name = name.mid(4);
    return {name, rank};
}

bool sortsAfter(const AggregateSortKey& a, const AggregateSortKey& b)
{
    const int byName = QString::compare(a.name, b.name, Qt::CaseSensitive);
    if (byName != 0)
        return byName > 0;
    return a.rank > b.rank;
}
} // namespace

RoutineList collectAggregateProperties(
    const QString& path, AggregateMode mode, const RoutinesByFileMap* loaded, const SourceReader& reader)
{
    RoutineList kept;
    if (mode == AggregateMode::None || trimBlanks(path).isEmpty())
        return kept;
    RoutineList routines;
    if (const RoutineList* found = loaded ? loaded->find(path) : nullptr)
        routines = *found;
    else
        routines = splitFileIntoRoutines(path, reader);
    for (const RoutinePtr& routine : routines) {
        if (!isPropertyProcedure(routine.get()))
            continue;
        if (mode == AggregateMode::AllProperties
            || (mode == AggregateMode::SmallProperties && isSmallProperty(*routine)))
            kept.push_back(routine);
    }
    // An exchange sort, not a stable one: members with equal names keep the order this
    // sort gives them, which is the order printed pages and listings have always shown.
    std::vector<AggregateSortKey> keys;
    keys.reserve(kept.size());
    for (const RoutinePtr& routine : kept)
        keys.push_back(sortKeyOf(*routine));
    for (size_t i = 0; i + 1 < kept.size(); ++i) {
        for (size_t j = i + 1; j < kept.size(); ++j) {
            if (sortsAfter(keys[i], keys[j])) {
                std::swap(kept[i], kept[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
    return kept;
}

QString aggregateName(AggregateMode mode)
{
    QString name = QStringLiteral("Let_Set_Get Properties");
    if (mode == AggregateMode::SmallProperties)
        name += QStringLiteral(" (Small)");
    else if (mode == AggregateMode::AllProperties)
        name += QStringLiteral(" (All)");
    return name;
}

AggregateMode aggregateModeFromName(const QString& routineName)
{
    return upperCase(trimBlanks(routineName)).contains(QLatin1String("(ALL)")) ? AggregateMode::AllProperties
                                                                               : AggregateMode::SmallProperties;
}

RoutinePtr makeAggregateRecord(const QString& path, AggregateMode mode, qint32 memberCount, const SourceReader& reader)
{
    const QString vbName = readVbName(path, reader);
    return makeAggregateRecord(path, vbName.isEmpty() ? fileBaseName(path) : vbName, mode, memberCount);
}

RoutinePtr makeAggregateRecord(const QString& path, const QString& moduleName, AggregateMode mode, qint32 memberCount)
{
    auto record = std::make_shared<Routine>();
    record->filePath = path;
    record->moduleName = moduleName;
    record->routineName = aggregateName(mode);
    record->kind = RoutineKind::Aggregate;
    record->memberCount = memberCount;
    assignUniqueKey(*record);
    return record;
}

std::vector<AggregateListingLine> buildAggregateListing(
    const Routine& aggregate, const QStringList& fileLines, const RoutinesByFileMap* loaded, const SourceReader& reader)
{
    const AggregateMode mode = aggregateModeFromName(aggregate.routineName);
    std::vector<AggregateListingLine> out;
    out.push_back({QStringLiteral(" Let_Set_Get Properties")
            + (mode == AggregateMode::SmallProperties ? QStringLiteral(" (<= 6 lines)") : QStringLiteral(" (All)"))
            + QLatin1Char(' '),
        false});
    const qint32 lineCount = qint32(fileLines.size());
    for (const RoutinePtr& member : collectAggregateProperties(aggregate.filePath, mode, loaded, reader)) {
        out.push_back({QString(), false});
        out.push_back({QStringLiteral(">>> ") + member->routineName, false});
        const qint32 first = std::max<qint32>(member->startLine, 1);
        const qint32 last = std::min<qint32>(member->endLine, lineCount);
        for (qint32 k = first; k <= last; ++k)
            out.push_back({fileLines[k - 1], true});
    }
    return out;
}

} // namespace quillon::model
