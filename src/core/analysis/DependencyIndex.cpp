#include "analysis/DependencyIndex.h"

#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <array>

namespace quillon::analysis {

using namespace quillon::model;

bool OrderedKeyList::append(const QString& text)
{
    const QString folded = upperCase(text);
    if (seen_.contains(folded))
        return false;
    seen_.insert(folded);
    items_.append(text);
    return true;
}

namespace {

template <typename T>
T& Ensure(KeyedMap<T>& map, const QString& key)
{
    if (T* found = map.find(key))
        return *found;
    map.insert(key, T());
    return *map.find(key);
}

bool IsIdentifierChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'%'
        || u == u'$' || u == u'&' || u == u'!' || u == u'#' || u == u'@';
}

bool IsBlankOrTab(QChar c)
{
    return c.unicode() == u' ' || c.unicode() == u'\t';
}

QStringView LeadingIdentifier(QStringView text, qsizetype from)
{
    qsizetype i = from;
    while (i < text.size() && IsBlankOrTab(text[i]))
        ++i;
    const qsizetype start = i;
    while (i < text.size() && IsIdentifierChar(text[i]))
        ++i;
    return text.sliced(start, i - start);
}

QStringView IdentifierBefore(QStringView text, qsizetype position)
{
    qsizetype end = position;
    while (end > 0 && IsBlankOrTab(text[end - 1]))
        --end;
    qsizetype start = end;
    while (start > 0 && IsIdentifierChar(text[start - 1]))
        --start;
    return text.sliced(start, end - start);
}

const QSet<QString>& CallKeywords()
{
    static const QSet<QString> words = {
        "IF", "THEN", "ELSE", "ELSEIF", "END", "FOR", "NEXT", "DO", "LOOP", "WHILE", "WEND",
        "SELECT", "CASE", "WITH", "SET", "LET", "GET", "SUB", "FUNCTION", "PROPERTY", "PUBLIC", "PRIVATE",
        "FRIEND", "STATIC", "CALL", "NEW", "NOT", "AND", "OR", "XOR", "BYVAL", "BYREF", "AS", "DIM",
        "REDIM", "PRESERVE", "OPTION", "EXIT", "ON", "ERROR", "RESUME", "GOTO", "GOSUB", "RETURN",
    };
    return words;
}

const QSet<QString>& StatementWords()
{
    static const QSet<QString> words = {
        "IF", "ELSEIF", "ELSE", "FOR", "NEXT", "DO", "LOOP", "WHILE", "WEND", "SELECT", "CASE",
        "WITH", "END", "DIM", "REDIM", "SET", "LET", "ON", "ERROR", "RESUME", "EXIT", "GOTO", "GOSUB",
        "RETURN", "OPTION", "CONST", "PUBLIC", "PRIVATE", "FRIEND", "STATIC", "SHELL",
    };
    return words;
}

class CandidateList {
public:
    void Add(QStringView name, bool dropStatementWords = false)
    {
        const QStringView trimmed = trimBlanks(name);
        if (trimmed.isEmpty())
            return;
        const QString upper = upperCase(trimmed);
        if (CallKeywords().contains(upper))
            return;
        if (dropStatementWords && StatementWords().contains(upper))
            return;
        // A line has a handful of candidates and a linear search beats a hash there; a
        // hostile line with thousands would make it quadratic, so past a few the set takes over.
        if (names_.size() < kLinearLimit) {
            if (names_.contains(upper))
                return;
        } else {
            if (seen_.isEmpty())
                seen_ = QSet<QString>(names_.cbegin(), names_.cend());
            if (seen_.contains(upper))
                return;
            seen_.insert(upper);
        }
        names_.append(upper);
    }
    QStringList names_;

private:
    static constexpr qsizetype kLinearLimit = 16;
    QSet<QString> seen_;
};

} // namespace

QString MaskForCallScan(QStringView line)
{
    QString out(line.size(), QLatin1Char(' '));
    bool inString = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inString) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
                    ++i;
                else
                    inString = false;
            }
            continue;
        }
        if (c == QLatin1Char('"'))
            inString = true;
        else if (c == QLatin1Char('\''))
            break;
        else
            out[i] = c;
    }
    return out;
}

QStringList CallCandidates(QStringView masked)
{
    CandidateList list;
    if (trimBlanks(masked).isEmpty())
        return list.names_;
    const QLatin1StringView call("CALL ");
    for (qsizetype at = IndexOfUpper(masked, call); at >= 0; at = IndexOfUpper(masked, call, at + 1))
        list.Add(LeadingIdentifier(masked, at + 5));
    for (qsizetype at = masked.indexOf(QLatin1Char('(')); at >= 0; at = masked.indexOf(QLatin1Char('('), at + 1))
        list.Add(IdentifierBefore(masked, at));
    for (qsizetype at = masked.indexOf(QLatin1Char('.')); at >= 0; at = masked.indexOf(QLatin1Char('.'), at + 1))
        list.Add(LeadingIdentifier(masked, at + 1));
    qsizetype start = 0;
    while (start <= masked.size()) {
        qsizetype colon = masked.indexOf(QLatin1Char(':'), start);
        if (colon < 0)
            colon = masked.size();
        const QStringView statement = trimLeadingBlanks(masked.sliced(start, colon - start));
        if (!statement.isEmpty()) {
            if (statement[0] == QLatin1Char('.'))
                list.Add(LeadingIdentifier(statement, 1));
            else
                list.Add(LeadingIdentifier(statement, 0), true);
        }
        start = colon + 1;
    }
    const QLatin1StringView shell("SHELL ");
    for (qsizetype at = IndexOfUpper(masked, shell); at >= 0; at = IndexOfUpper(masked, shell, at + 1))
        list.Add(LeadingIdentifier(masked, at + 6));
    return list.names_;
}

std::optional<ApiDeclaration> ParseDeclareLine(QStringView line)
{
    const QStringView t = trimBlanks(line);
    const QString u = upperCase(t);
    if (!u.contains(QLatin1String(" LIB ")) || !u.contains(QLatin1String("DECLARE ")))
        return std::nullopt;
    const qsizetype function = u.indexOf(QLatin1String(" FUNCTION "));
    const qsizetype sub = u.indexOf(QLatin1String(" SUB "));
    if (function < 0 && sub < 0)
        return std::nullopt;
    const bool isFunction = function >= 0 && (sub < 0 || function < sub);
    const qsizetype nameStart = isFunction ? function + 10 : sub + 5;
    const qsizetype nameEnd = t.indexOf(QLatin1Char(' '), nameStart);
    if (nameEnd < 0)
        return std::nullopt;
    ApiDeclaration declaration;
    declaration.name = trimBlanks(t.sliced(nameStart, nameEnd - nameStart)).toString();
    if (declaration.name.isEmpty())
        return std::nullopt;
    const qsizetype lib = u.indexOf(QLatin1String(" LIB "));
    const qsizetype open = t.indexOf(QLatin1Char('"'), lib);
    const qsizetype close = open < 0 ? -1 : t.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return std::nullopt;
    declaration.library = t.sliced(open + 1, close - open - 1).toString();
    if (declaration.library.isEmpty())
        return std::nullopt;
    const qsizetype alias = u.indexOf(QLatin1String(" ALIAS "));
    if (alias >= 0) {
        const qsizetype aliasOpen = t.indexOf(QLatin1Char('"'), alias);
        const qsizetype aliasClose = aliasOpen < 0 ? -1 : t.indexOf(QLatin1Char('"'), aliasOpen + 1);
        if (aliasClose >= 0)
            declaration.alias = t.sliced(aliasOpen + 1, aliasClose - aliasOpen - 1).toString();
    }
    if (declaration.alias.isEmpty())
        declaration.alias = declaration.name;
    return declaration;
}

bool DependencyIndex::IsIndexedKind(const Routine& routine)
{
    if (KindIs(routine, QLatin1StringView("DECLARATIONS")))
        return true;
    if (routine.IsDeclarations || routine.IsDepPseudo)
        return false;
    for (const char* kind : {"LAYOUT", "AGGREGATE", "IMAGE"}) {
        if (KindIs(routine, QLatin1StringView(kind)))
            return false;
    }
    return true;
}

void DependencyIndex::BeginPhase1()
{
    apiDeclarations_.clear();
    apiCalls_.clear();
    eventLabels_.clear();
    fileLineCache_.clear();
}

const QStringList& DependencyIndex::FileLines(const QString& path)
{
    auto it = fileLineCache_.find(path);
    if (it == fileLineCache_.end()) {
        QStringList lines;
        if (FileExists(path)) {
            SourceFile file = reader_->Read(path);
            if (file.ok)
                lines = std::move(file.lines);
        }
        it = fileLineCache_.insert(path, lines);
    }
    return *it;
}

void DependencyIndex::RegisterApiDeclarations(const QString& filePath, const QStringList* knownLines)
{
    const QStringList& lines = knownLines ? *knownLines : FileLines(filePath);
    for (const QString& line : lines) {
        // Cheap test first: most lines hold no Declare at all.
        if (IndexOfUpper(line, QLatin1StringView("LIB ")) < 0)
            continue;
        if (const std::optional<ApiDeclaration> declaration = ParseDeclareLine(line)) {
            apiDeclarations_.insertIfAbsent(upperCase(declaration->name), declaration->name + QLatin1Char('|')
                                                                          + declaration->library + QLatin1Char('|')
                                                                          + declaration->alias);
        }
    }
}

void DependencyIndex::RegisterEventHandler(const RoutinePtr& routine, const ProjectFile& file)
{
    if (!routine || !IsEventHandlerName(routine->RoutineName))
        return;
    const QString text = EventLabel(routine->RoutineName) + QStringLiteral(": ") + file.FileTitle + QLatin1Char('|')
        + routine->RoutineName;
    eventLabels_.insertIfAbsent(RoutineKey(*routine), text);
}

void DependencyIndex::BuildDependencyIndex(const RoutineList& routines, Project* project)
{
    if (routines.empty())
        return;
    routineMap_.clear();
    firstKeyByName_.clear();
    calls_.clear();
    calledBy_.clear();
    fileLineCache_.clear();
    for (const RoutinePtr& routine : routines) {
        if (!routine || !IsIndexedKind(*routine))
            continue;
        const QString key = RoutineKey(*routine);
        if (!routineMap_.insertIfAbsent(key, routine))
            continue;
        const QString name = upperCase(trimBlanks(routine->RoutineName));
        if (!firstKeyByName_.contains(name))
            firstKeyByName_.insert(name, key);
    }
    const qsizetype n = routineMap_.size();
    const QString total = QString::number(n);
    for (qsizetype i = 0; i < n; ++i) {
        if (project && project->status) {
            project->SetStatus(project->LoadStatusText + kCrLf + QStringLiteral("Phase 2 of 2: Scanning procedure ")
                               + QString::number(i + 1) + QStringLiteral(" of ") + total);
        }
        ScanRoutine(routineMap_.entries()[size_t(i)].second);
    }
    if (project) {
        project->LoadStatusText += kCrLf + QStringLiteral("Phase 2 of 2: Scanning procedure ") + total
            + QStringLiteral(" of ") + total + kCrLf + QStringLiteral("Building Dependency Index.");
        project->SetStatus(project->LoadStatusText);
    }
}

QString DependencyIndex::Resolve(const QString& moduleUpper, const QString& nameUpper) const
{
    const QString own = moduleUpper + QLatin1Char('|') + nameUpper;
    if (routineMap_.contains(own))
        return own;
    return firstKeyByName_.value(nameUpper);
}

void DependencyIndex::AddEdge(const QString& caller, const QString& callee)
{
    const QString from = upperCase(trimBlanks(caller));
    const QString to = upperCase(trimBlanks(callee));
    if (from.isEmpty() || to.isEmpty() || from == to)
        return;
    Ensure(calls_, from).append(to);
    Ensure(calledBy_, to).append(from);
}

void DependencyIndex::ScanRoutine(const RoutinePtr& routine)
{
    const QStringList& lines = FileLines(routine->FilePath);
    if (lines.isEmpty())
        return;
    const QString caller = RoutineKey(*routine);
    const QString module = upperCase(trimBlanks(routine->ModuleName));
    const qint32 first = std::max<qint32>(routine->startLine, 1);
    const qint32 last = std::min<qint32>(routine->endLine, qint32(lines.size()));
    for (qint32 k = first; k <= last; ++k) {
        const QString masked = MaskForCallScan(lines[k - 1]);
        for (const QString& candidate : CallCandidates(masked)) {
            const QString callee = Resolve(module, candidate);
            if (!callee.isEmpty()) {
                AddEdge(caller, callee);
                continue;
            }
            if (const QString* declaration = apiDeclarations_.find(candidate)) {
                const qsizetype bar = declaration->indexOf(QLatin1Char('|'));
                Ensure(apiCalls_, caller).append(bar < 0 ? *declaration : declaration->left(bar));
            }
        }
    }
}

void DependencyIndex::FindProgramStartup(const QString& projectFilePath)
{
    programStartMarker_ = QStringLiteral("PROGRAM START");
    startupKey_.clear();
    if (trimBlanks(projectFilePath).isEmpty() || !FileExists(projectFilePath))
        return;
    const SourceFile file = reader_->Read(projectFilePath);
    for (const QString& line : file.lines) {
        if (upperCase(trimBlanks(QStringView(line).left(8))) != QLatin1String("STARTUP="))
            continue;
        QString text = line.mid(8);
        text.remove(QLatin1Char('"'));
        text = trimBlanks(text).toString();
        if (!upperCase(QStringView(text).left(3)).startsWith(QLatin1String("SUB")))
            return;
        const QString name = upperCase(trimBlanks(QStringView(text).sliced(3)));
        // VB6 looks for the start-up Sub in any standard module, whatever its name.
        for (const auto& [key, routine] : routineMap_.entries()) {
            if (upperCase(FileExtension(routine->FilePath)) == QLatin1String("BAS")
                && upperCase(trimBlanks(routine->RoutineName)) == name) {
                startupKey_ = key;
                return;
            }
        }
        startupKey_ = QStringLiteral("MODMAIN|") + name;
        return;
    }
}

RoutinePtr DependencyIndex::RoutineFor(const QString& key) const
{
    return routineMap_.value(key);
}

const OrderedKeyList* DependencyIndex::Callees(const QString& key) const
{
    return calls_.find(key);
}

const OrderedKeyList* DependencyIndex::Callers(const QString& key) const
{
    return calledBy_.find(key);
}

const OrderedKeyList* DependencyIndex::ApiCalls(const QString& key) const
{
    return apiCalls_.find(key);
}

QString DependencyIndex::DeclarationText(const QString& apiName) const
{
    return apiDeclarations_.value(upperCase(apiName));
}

bool DependencyIndex::IsStartupRoutine(const Routine& routine) const
{
    return !startupKey_.isEmpty() && EqualsNoCase(startupKey_, RoutineKey(routine));
}

bool DependencyIndex::IsEventHandler(const Routine& routine) const
{
    return IsEventHandlerName(trimBlanks(routine.RoutineName));
}

QString DependencyIndex::EventLabelOf(const QString& key) const
{
    return eventLabels_.value(key, QStringLiteral("User Event"));
}

} // namespace quillon::analysis
