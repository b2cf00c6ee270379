#include "model/RoutineParser.h"

#include "model/ExchangeSort.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <algorithm>
#include <cerrno>
#include <optional>

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

} // namespace

qint32 lastHeaderAttributeLine(const QStringList& lines)
{
    qint32 last = 0;
    MemberBlockTracker blocks;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (!blocks.inBlock(line) && isProcedureStart(line))
            break;
        if (startsWithUpper(trimBlanks(line), QLatin1StringView("ATTRIBUTE ")))
            last = qint32(i + 1);
    }
    return last;
}

qint32 headerEndLine(SourceKind kind, const QStringList& lines)
{
    if (!hasLayoutBlock(kind) && !isClassLike(kind))
        return 0;
    if (!isObjectFile(kind))
        return lastHeaderAttributeLine(lines);
    // A user control declares its events with attributes of their own right below them
    // ("Attribute Click.VB_UserMemId = -600"), as it gives WithEvents variables help ids: those
    // belong to the declarations, so the header is the first run of Attribute lines.
    qint32 last = 0;
    MemberBlockTracker blocks;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (startsWithUpper(trimBlanks(line), QLatin1StringView("ATTRIBUTE ")))
            last = qint32(i + 1);
        else if (last > 0 || (!blocks.inBlock(line) && isProcedureStart(line)))
            break;
    }
    return last;
}

qsizetype procedureKeywordEnd(QStringView line, ProcedureHeaderRules rules)
{
    auto skipBlanks = [&](qsizetype i) {
        while (i < line.size() && line[i].unicode() == u' ')
            ++i;
        return i;
    };
    // A keyword counts only with a blank after it.
    auto keywordAt = [&](qsizetype i, const char* keyword) {
        const QLatin1StringView word(keyword);
        return i + word.size() < line.size() && line[i + word.size()].unicode() == u' '
            && startsWithUpper(line.sliced(i), word);
    };
    bool scopeSeen = false;
    bool staticSeen = false;
    qsizetype i = skipBlanks(0);
    for (bool more = true; more;) {
        more = false;
        for (const char* scope : {"PUBLIC", "PRIVATE", "FRIEND", "STATIC"}) {
            const bool isStatic = scope[0] == 'S';
            const bool allowed = rules.anyModifierOrder || (isStatic ? !staticSeen : !scopeSeen && !staticSeen);
            if (allowed && keywordAt(i, scope)) {
                (isStatic ? staticSeen : scopeSeen) = true;
                i = skipBlanks(i + qsizetype(qstrlen(scope)));
                more = true;
                break;
            }
        }
    }
    for (const char* word : {"SUB", "FUNCTION"}) {
        if (keywordAt(i, word))
            return i + qsizetype(qstrlen(word));
    }
    if (!keywordAt(i, "PROPERTY") || (staticSeen && !rules.anyModifierOrder))
        return -1;
    if (!rules.propertyNeedsAccessor)
        return i + 8;
    for (const char* accessor : {"PROPERTY GET", "PROPERTY LET", "PROPERTY SET"}) {
        if (startsWithUpper(line.sliced(i), QLatin1StringView(accessor)))
            return i + 12;
    }
    return -1;
}

bool isProcedureStart(QStringView line)
{
    return procedureKeywordEnd(line, {}) >= 0;
}

namespace {

// VB names may hold the code page's letters beside the scanner's ASCII identifier characters.
bool isNameChar(QChar c)
{
    return isIdentifierChar(c) || (c.unicode() >= 128 && c.isLetterOrNumber());
}

QStringView firstName(QStringView text)
{
    qsizetype n = 0;
    while (n < text.size() && isNameChar(text[n]))
        ++n;
    return text.first(n);
}

qsizetype skipSpaces(QStringView text, qsizetype i)
{
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    return i;
}

enum class Block { None, Type, Enum };

// "[Public|Private] Type|Enum NAME": the words are read as words, so that each of the file's
// lines, which all pass here, costs a scan of its first word or two.
Block blockHeader(QStringView line)
{
    qsizetype i = skipSpaces(line, 0);
    const char16_t first = i < line.size() ? char16_t(line[i].unicode() & ~0x20) : 0;
    if (first != u'P' && first != u'T' && first != u'E')
        return Block::None;
    QStringView word = firstName(line.sliced(i));
    if (equalsNoCase(word, u"PUBLIC") || equalsNoCase(word, u"PRIVATE")) {
        i = skipSpaces(line, i + word.size());
        word = firstName(line.sliced(i));
    }
    const Block block = equalsNoCase(word, u"TYPE") ? Block::Type
        : equalsNoCase(word, u"ENUM")               ? Block::Enum
                                                    : Block::None;
    const qsizetype after = i + word.size();
    const qsizetype name = skipSpaces(line, after);
    return name > after && !firstName(line.sliced(name)).isEmpty() ? block : Block::None;
}

bool isBlockEnd(QStringView line)
{
    const qsizetype i = skipSpaces(line, 0);
    const QStringView end = firstName(line.sliced(i));
    if (!equalsNoCase(end, u"END"))
        return false;
    const QStringView word = firstName(line.sliced(skipSpaces(line, i + end.size())));
    return equalsNoCase(word, u"TYPE") || equalsNoCase(word, u"ENUM");
}

// A member reads "NAME As TYPE", "NAME(BOUNDS) As TYPE" or "NAME = VALUE": after a keyword
// taken for a procedure's, a header has a name where a member has "As", "=" or "(".
bool isCertainHeader(QStringView line)
{
    const qsizetype keywordEnd = procedureKeywordEnd(line, {});
    if (keywordEnd < 0)
        return false;
    const QStringView name = firstName(line.sliced(keywordEnd).trimmed());
    return !name.isEmpty() && !equalsNoCase(name, u"AS");
}

} // namespace

MemberBlockTracker::Place MemberBlockTracker::place(QStringView line)
{
    if (!open_) {
        const Block block = blockHeader(line);
        open_ = block != Block::None;
        enum_ = block == Block::Enum;
        return open_ ? Place::Header : Place::Outside;
    }
    if (isBlockEnd(line)) {
        open_ = false;
        return Place::End;
    }
    if (isCertainHeader(line)) {
        open_ = enum_ = false;
        return Place::Outside;
    }
    return Place::Member;
}

QString procNameFromSignature(QStringView line)
{
    const QStringView trimmed = trimBlanks(line);
    if (trimmed.isEmpty())
        return QString();
    QString prepared = trimmed.toString();
    prepared.replace(QLatin1String("("), QLatin1String(" ("));
    QString collapsed = collapseBlanks(prepared);
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

QString kindTextOf(const Routine& routine)
{
    return routine.sigLineText.isEmpty() ? kindText(routine.kind) : scopeAndKindText(routine.sigLineText);
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
    const Outcome<SourceFile> file = reader.read(path);
    return file ? readVbNameFromLines(file->lines) : QString();
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

namespace {

// The split of one file's lines, step by step; line numbers are 1-based.
class RoutineSplitter {
public:
    RoutineSplitter(const QString& path, const QStringList& lines)
        : path_(path), lines_(lines), moduleName_(moduleNameOf(path, lines))
    { }

    RoutineList split()
    {
        const SourceKind kind = sourceKindOfPath(path_);
        const qint32 lastAttributeLine = headerEndLine(kind, lines_);
        declStart_ = lastAttributeLine > 0 ? lastAttributeLine + 1 : 1;
        if (hasLayoutBlock(kind) && lastAttributeLine > 0) {
            result_.push_back(makePseudo(path_, moduleName_, RoutineKind::Layout, 1, lastAttributeLine));
            if (hasImage(kind))
                result_.push_back(makePseudo(path_, moduleName_, RoutineKind::Image, 1, lastAttributeLine));
        }
        if (isObjectFile(kind))
            objectEvents_.emplace(kind, layoutObjectNames(lines_, lastAttributeLine));
        declarations_ = makePseudo(path_, moduleName_, RoutineKind::Declarations, declStart_, 0);
        declarations_->isDeclarations = true;

        const qint32 lineCount = qint32(lines_.size());
        MemberBlockTracker blocks;
        for (qint32 i = declStart_; i <= lineCount; ++i) {
            const QStringView t = trimmedAt(i);
            if (!t.isEmpty() && !blocks.inBlock(t) && !startsWithUpper(t, QLatin1StringView("ATTRIBUTE"))
                && isProcedureStart(t))
                addRoutine(i, t);
        }
        if (previous_)
            previous_->endLine = lineCount;
        if (declarationsOpen_)
            closeDeclarations(lineCount);
        for (const RoutinePtr& record : result_) {
            if (record->endLine >= record->startLine)
                countRoutineLines(*record, lines_);
        }
        return std::move(result_);
    }

private:
    QStringView trimmedAt(qint32 lineNumber) const { return trimBlanks(lines_[lineNumber - 1]); }

    void closeDeclarations(qint32 end)
    {
        declarations_->endLine = end;
        if (declarations_->endLine >= declarations_->startLine)
            result_.push_back(declarations_);
        declarationsOpen_ = false;
    }

    // The declarations end at their last line that is neither blank nor a comment: the
    // comments above the first procedure belong to it.
    void closeDeclarationsAbove(qint32 signatureLine)
    {
        for (qint32 k = signatureLine - 1; k >= declStart_; --k) {
            const QStringView line = trimmedAt(k);
            if (!line.isEmpty() && !isCommentLine(line)) {
                closeDeclarations(k);
                return;
            }
        }
        // No declaration line at all: the record would only repeat the signature.
        declarationsOpen_ = false;
    }

    // The previous procedure ends at its last End line above the next signature, or just
    // above that signature when it has none.
    void closePrevious(qint32 signatureLine)
    {
        qint32 end = signatureLine - 1;
        for (qint32 k = signatureLine - 1; k >= previous_->startLine; --k) {
            if (isEndProcedureLine(lines_[k - 1])) {
                end = k;
                break;
            }
        }
        previous_->endLine = end;
    }

    // The first procedure starts at the comment lines right above its signature; each
    // later one right after the procedure before it.
    qint32 startLineOf(qint32 signatureLine) const
    {
        if (previous_)
            return previous_->endLine + 1;
        qint32 start = signatureLine;
        while (start - 1 >= declStart_) {
            const QStringView above = trimmedAt(start - 1);
            if (above.isEmpty() || !isCommentLine(above))
                break;
            --start;
        }
        return start;
    }

    void addRoutine(qint32 signatureLine, QStringView signature)
    {
        if (declarationsOpen_)
            closeDeclarationsAbove(signatureLine);
        if (previous_)
            closePrevious(signatureLine);
        auto record = std::make_shared<Routine>();
        record->filePath = path_;
        record->moduleName = moduleName_;
        record->routineName = procNameFromSignature(signature);
        if (isEventHandlerName(record->routineName)
            || (objectEvents_ && objectEvents_->isHandlerName(record->routineName)))
            record->routineName = kEventHandlerPrefix + record->routineName;
        record->kind = kindFromSignature(signature);
        record->startLine = startLineOf(signatureLine);
        record->signatureLine = signatureLine;
        record->sigLineText = lines_[signatureLine - 1];
        assignUniqueKey(*record);
        result_.push_back(record);
        previous_ = record;
    }

    const QString& path_;
    const QStringList& lines_;
    const QString moduleName_;
    qint32 declStart_ = 1;
    RoutineList result_;
    RoutinePtr declarations_;
    bool declarationsOpen_ = true;
    RoutinePtr previous_;
    std::optional<ObjectEvents> objectEvents_; // user controls, property pages, documents, designers
};

} // namespace

RoutineList splitLinesIntoRoutines(const QString& path, const QStringList& lines)
{
    if (trimBlanks(path).isEmpty())
        return {};
    return RoutineSplitter(path, lines).split();
}

Outcome<SplitFile> readAndSplitFile(const QString& path, const SourceReader& reader)
{
    if (trimBlanks(path).isEmpty() || !fileExists(path))
        return Outcome<SplitFile>::failed(QStringLiteral("no such file"), ENOENT);
    const Outcome<SourceFile> file = reader.read(path);
    if (!file)
        return file.failure();
    return SplitFile {splitLinesIntoRoutines(path, file->lines), file->hasNul};
}

RoutineList splitFileIntoRoutines(const QString& path, const SourceReader& reader)
{
    return readAndSplitFile(path, reader).valueOr({}).routines;
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
    exchangeSort(
        kept, [](const RoutinePtr& routine) { return sortKeyOf(*routine); }, sortsAfter);
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
