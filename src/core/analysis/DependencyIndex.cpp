#include "analysis/DependencyIndex.h"

#include "model/OrderedWork.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "model/VbLineScanner.h"

#include <algorithm>

namespace quillon::analysis {

using namespace quillon::model;

bool OrderedKeyList::append(const QString& text)
{
    constexpr qsizetype kLinearLimit = 16;
    const QString folded = upperCase(text);
    if (seen_.isEmpty() && folded_.size() < kLinearLimit) {
        if (folded_.contains(folded))
            return false;
        folded_.append(folded);
    } else {
        if (seen_.isEmpty()) {
            seen_ = QSet<QString>(folded_.cbegin(), folded_.cend());
            folded_.clear();
        }
        if (seen_.contains(folded))
            return false;
        seen_.insert(folded);
    }
    items_.append(text);
    return true;
}

namespace {

template <typename T>
T& ensure(KeyedMap<T>& map, const QString& key)
{
    if (T* found = map.find(key))
        return *found;
    map.insert(key, T());
    return *map.find(key);
}

// A called name keeps its type character ("Left$", "Total&"): the call scan takes it with the name.
bool isNameChar(QChar c)
{
    return isIdentifierChar(c) || isTypeSuffix(c);
}

QStringView leadingIdentifier(QStringView text, qsizetype from)
{
    qsizetype i = from;
    while (i < text.size() && isBlankOrTab(text[i]))
        ++i;
    const qsizetype start = i;
    while (i < text.size() && isNameChar(text[i]))
        ++i;
    return text.sliced(start, i - start);
}

QStringView identifierBefore(QStringView text, qsizetype position)
{
    qsizetype end = position;
    while (end > 0 && isBlankOrTab(text[end - 1]))
        --end;
    qsizetype start = end;
    while (start > 0 && isNameChar(text[start - 1]))
        --start;
    return text.sliced(start, end - start);
}

// Words never taken for a called name.
bool isCallKeyword(const QString& upper)
{
    return isStatementKeyword(upper) || upper == QLatin1String("CALL") || upper == QLatin1String("REDIM")
        || upper == QLatin1String("PRESERVE");
}

// Words that start a statement and call nothing: the keywords above are passed over anyway.
bool isStatementWord(const QString& upper)
{
    return upper == QLatin1String("CONST") || upper == QLatin1String("SHELL");
}

// A word on its own ("Then", not "xThen" nor "IfThenFoo") with a blank or tab after it.
qsizetype nextWord(QStringView text, QLatin1StringView upperWord, qsizetype from)
{
    const qsizetype n = upperWord.size();
    for (qsizetype at = indexOfUpper(text, upperWord, from); at >= 0; at = indexOfUpper(text, upperWord, at + 1)) {
        if ((at == 0 || !isNameChar(text[at - 1])) && at + n < text.size() && isBlankOrTab(text[at + n]))
            return at;
    }
    return -1;
}

class CandidateList {
public:
    void add(QStringView name, bool dropStatementWords = false)
    {
        const QStringView trimmed = trimBlanks(name);
        if (trimmed.isEmpty())
            return;
        const QString upper = upperCase(trimmed);
        if (isCallKeyword(upper))
            return;
        if (dropStatementWords && isStatementWord(upper))
            return;
        // A line has a handful of candidates and a linear search beats a hash there; a
        // hostile line with thousands would make it quadratic, so past a few the set takes over.
        if (names.size() < kLinearLimit) {
            if (names.contains(upper))
                return;
        } else {
            if (seen_.isEmpty())
                seen_ = QSet<QString>(names.cbegin(), names.cend());
            if (seen_.contains(upper))
                return;
            seen_.insert(upper);
        }
        names.append(upper);
    }
    QStringList names;

private:
    static constexpr qsizetype kLinearLimit = 16;
    QSet<QString> seen_;
};

// A one-line If runs the statement after Then or Else, which starts like any other.
void addStatementsAfterThenElse(CandidateList& list, QStringView statement)
{
    const QLatin1StringView thenWord("THEN");
    const QLatin1StringView elseWord("ELSE");
    qsizetype then = nextWord(statement, thenWord, 0);
    qsizetype otherwise = nextWord(statement, elseWord, 0);
    while (then >= 0 || otherwise >= 0) {
        const bool thenFirst = otherwise < 0 || (then >= 0 && then < otherwise);
        const qsizetype at = thenFirst ? then : otherwise;
        const qsizetype after = at + (thenFirst ? thenWord.size() : elseWord.size());
        list.add(leadingIdentifier(statement, after), true);
        if (thenFirst)
            then = nextWord(statement, thenWord, after);
        else
            otherwise = nextWord(statement, elseWord, after);
    }
}

} // namespace

QString maskForCallScan(QStringView line)
{
    QString out(line.size(), QLatin1Char(' '));
    VbLineScanner scanner(line);
    VbLinePart part;
    while (scanner.next(part)) {
        if (part.kind == VbLinePart::Code)
            std::copy(line.begin() + part.start, line.begin() + part.end, out.begin() + part.start);
    }
    return out;
}

QStringList callCandidates(QStringView masked)
{
    CandidateList list;
    if (trimBlanks(masked).isEmpty())
        return list.names;
    const QLatin1StringView call("CALL ");
    for (qsizetype at = indexOfUpper(masked, call); at >= 0; at = indexOfUpper(masked, call, at + 1))
        list.add(leadingIdentifier(masked, at + 5));
    for (qsizetype at = masked.indexOf(QLatin1Char('(')); at >= 0; at = masked.indexOf(QLatin1Char('('), at + 1))
        list.add(identifierBefore(masked, at));
    for (qsizetype at = masked.indexOf(QLatin1Char('.')); at >= 0; at = masked.indexOf(QLatin1Char('.'), at + 1))
        list.add(leadingIdentifier(masked, at + 1));
    qsizetype start = 0;
    while (start <= masked.size()) {
        qsizetype colon = masked.indexOf(QLatin1Char(':'), start);
        if (colon < 0)
            colon = masked.size();
        const QStringView statement = trimLeadingBlanks(masked.sliced(start, colon - start));
        if (!statement.isEmpty()) {
            if (statement[0] == QLatin1Char('.'))
                list.add(leadingIdentifier(statement, 1));
            else
                list.add(leadingIdentifier(statement, 0), true);
            addStatementsAfterThenElse(list, statement);
        }
        start = colon + 1;
    }
    const QLatin1StringView shell("SHELL ");
    for (qsizetype at = indexOfUpper(masked, shell); at >= 0; at = indexOfUpper(masked, shell, at + 1))
        list.add(leadingIdentifier(masked, at + 6));
    // A callback handed over with AddressOf is called later by whoever receives it.
    const QLatin1StringView addressOf("ADDRESSOF");
    for (qsizetype at = nextWord(masked, addressOf, 0); at >= 0; at = nextWord(masked, addressOf, at + 1))
        list.add(leadingIdentifier(masked, at + addressOf.size()));
    return list.names;
}

std::optional<ApiDeclaration> parseDeclareLine(QStringView line)
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

bool DependencyIndex::isIndexedKind(const Routine& routine)
{
    if (routine.kind == RoutineKind::Declarations)
        return true;
    if (routine.isDeclarations || routine.isDepPseudo)
        return false;
    return routine.kind != RoutineKind::Layout && routine.kind != RoutineKind::Aggregate
        && routine.kind != RoutineKind::Image;
}

void DependencyIndex::beginPhase1()
{
    apiDeclarations_.clear();
    apiKeyWithoutType_.clear();
    apiCalls_.clear();
    eventLabels_.clear();
    fileLines_.clear();
}

DependencyIndex::FileEntries DependencyIndex::scanFile(
    const ProjectFile& file, const QStringList& lines, const RoutineList& routines)
{
    FileEntries entries;
    for (const QString& line : lines) {
        // Cheap test first: most lines hold no Declare at all.
        if (indexOfUpper(line, QLatin1StringView("LIB ")) < 0)
            continue;
        if (const std::optional<ApiDeclaration> declaration = parseDeclareLine(line)) {
            entries.declarations.emplace_back(upperCase(declaration->name),
                declaration->name + QLatin1Char('|') + declaration->library + QLatin1Char('|') + declaration->alias);
        }
    }
    const SourceKind kind = sourceKindOfType(file.fileType());
    if (kind == SourceKind::Form || kind == SourceKind::Class) {
        for (const RoutinePtr& routine : routines) {
            if (!routine || !isEventHandlerName(routine->routineName))
                continue;
            entries.eventLabels.emplace_back(routineKey(*routine),
                eventLabel(routine->routineName) + QStringLiteral(": ") + file.fileTitle + QLatin1Char('|')
                    + routine->routineName);
        }
    } else if (isObjectFile(kind)) {
        // The split has already told the handlers by their object and marked their names.
        for (const RoutinePtr& routine : routines) {
            if (!routine || !routine->routineName.startsWith(kEventHandlerPrefix))
                continue;
            const QStringView bare = QStringView(routine->routineName).sliced(kEventHandlerPrefix.size());
            QString label = ownObjectLabel(kind, bare);
            if (label.isEmpty())
                label = eventLabel(bare);
            entries.eventLabels.emplace_back(routineKey(*routine),
                label + QStringLiteral(": ") + file.fileTitle + QLatin1Char('|') + routine->routineName);
        }
    }
    return entries;
}

void DependencyIndex::addFile(const QString& filePath, const QStringList& lines, const FileEntries& entries)
{
    for (const auto& [name, text] : entries.declarations) {
        if (!apiDeclarations_.insertIfAbsent(name, text))
            continue;
        if (const QStringView bare = withoutTypeSuffix(name); bare.size() < name.size())
            apiKeyWithoutType_.insert(bare.toString(), name);
    }
    for (const auto& [key, label] : entries.eventLabels)
        eventLabels_.insertIfAbsent(key, label);
    fileLines_.insert(filePath, lines);
}

void DependencyIndex::readMissingFiles(const RoutineList& routines)
{
    for (const RoutinePtr& routine : routines) {
        if (!routine || fileLines_.contains(routine->filePath))
            continue;
        QStringList lines;
        if (fileExists(routine->filePath))
            lines = reader_->read(routine->filePath).valueOr({}).lines;
        fileLines_.insert(routine->filePath, lines);
    }
}

void DependencyIndex::buildDependencyIndex(const RoutineList& routines, Project* project, int threads)
{
    if (routines.empty())
        return;
    routineMap_.clear();
    firstKeyByName_.clear();
    calls_.clear();
    calledBy_.clear();
    otherBodies_.clear();
    for (const RoutinePtr& routine : routines) {
        if (!routine || !isIndexedKind(*routine))
            continue;
        const QString key = routineKey(*routine);
        if (!routineMap_.insertIfAbsent(key, routine)) {
            if (routineMap_.value(key)->filePath == routine->filePath)
                otherBodies_.push_back(routine);
            continue;
        }
        const QString name = upperCase(trimBlanks(routine->routineName));
        if (!firstKeyByName_.contains(name))
            firstKeyByName_.insert(name, key);
    }
    readMissingFiles(routines);
    const auto& entries = routineMap_.entries();
    const qsizetype n = qsizetype(entries.size());
    const QString total = QString::number(n);
    // Routines go to the threads in runs: one at a time would cost more in handing over than
    // a small routine takes to scan.
    constexpr qsizetype kRun = 64;
    auto scanRun = [&](qsizetype run) {
        std::vector<RoutineCalls> found;
        for (qsizetype i = run * kRun; i < std::min(n, (run + 1) * kRun); ++i)
            found.push_back(scanRoutine(*entries[size_t(i)].second));
        return found;
    };
    auto addRun = [&](qsizetype run, std::vector<RoutineCalls> found) {
        for (qsizetype k = 0; k < qsizetype(found.size()); ++k) {
            const qsizetype i = run * kRun + k;
            if (project && project->status) {
                project->setStatus(project->loadStatusText + kCrLf + QStringLiteral("Phase 2 of 2: Scanning procedure ")
                        + QString::number(i + 1) + QStringLiteral(" of ") + total,
                    i + 1, n);
            }
            addCalls(entries[size_t(i)].first, std::move(found[size_t(k)]));
        }
    };
    produceInOrder<std::vector<RoutineCalls>>((n + kRun - 1) / kRun, threads, scanRun, addRun);
    if (project) {
        project->loadStatusText += kCrLf + QStringLiteral("Phase 2 of 2: Scanning procedure ") + total
            + QStringLiteral(" of ") + total + kCrLf + QStringLiteral("Building Dependency Index.");
        project->setStatus(project->loadStatusText);
    }
}

QString DependencyIndex::resolve(const QString& moduleUpper, const QString& nameUpper) const
{
    // Most candidates name no routine at all (built-in functions, properties, variables): one
    // lookup by name settles them without building a key. Only a module name holding "|" could
    // make a key of a name no routine has.
    const auto first = firstKeyByName_.constFind(nameUpper);
    if (first == firstKeyByName_.cend() && !moduleUpper.contains(QLatin1Char('|')))
        return QString();
    QString own = moduleUpper + QLatin1Char('|') + nameUpper;
    if (routineMap_.contains(own))
        return own;
    return first == firstKeyByName_.cend() ? QString() : *first;
}

DependencyIndex::RoutineCalls DependencyIndex::scanRoutine(const Routine& routine) const
{
    RoutineCalls calls;
    const auto file = fileLines_.constFind(routine.filePath);
    if (file == fileLines_.cend() || file->isEmpty())
        return calls;
    const QStringList& lines = *file;
    const QString caller = upperCase(trimBlanks(routineKey(routine)));
    const QString module = upperCase(trimBlanks(routine.moduleName));
    const qint32 first = std::max<qint32>(routine.startLine, 1);
    const qint32 last = std::min<qint32>(routine.endLine, qint32(lines.size()));
    for (qint32 k = first; k <= last; ++k) {
        const QString masked = maskForCallScan(lines[k - 1]);
        for (const QString& candidate : callCandidates(masked)) {
            const QString callee = resolve(module, candidate);
            if (!callee.isEmpty()) {
                // A call to itself is no edge.
                const QString to = upperCase(trimBlanks(callee));
                if (!caller.isEmpty() && !to.isEmpty() && caller != to)
                    calls.callees.append(to);
                continue;
            }
            if (const QString* declaration = apiDeclarations_.find(candidate)) {
                const qsizetype bar = declaration->indexOf(QLatin1Char('|'));
                calls.apiNames.append(bar < 0 ? *declaration : declaration->left(bar));
            }
        }
    }
    return calls;
}

void DependencyIndex::addCalls(const QString& caller, RoutineCalls calls)
{
    if (!calls.callees.isEmpty()) {
        // Each routine is scanned once, so its list of callees is complete as the scan made it.
        const QString from = upperCase(trimBlanks(caller));
        for (const QString& to : calls.callees.items())
            ensure(calledBy_, to).append(from);
        calls_.insert(from, std::move(calls.callees));
    }
    for (const QString& name : calls.apiNames)
        ensure(apiCalls_, caller).append(name);
}

void DependencyIndex::addHiddenCalls(const Routine& routine, HiddenCalls& hidden) const
{
    const auto file = fileLines_.constFind(routine.filePath);
    if (file == fileLines_.cend())
        return;
    const QStringList& lines = *file;
    const QString caller = upperCase(trimBlanks(routineKey(routine)));
    const QString module = upperCase(trimBlanks(routine.moduleName));
    QSet<QString>& callees = hidden.callees[caller];
    const qint32 last = std::min<qint32>(routine.endLine, qint32(lines.size()));
    for (qint32 k = std::max<qint32>(routine.startLine, 1); k <= last; ++k) {
        const QString masked = maskForCallScan(lines[k - 1]);
        for (qsizetype i = 0; i < masked.size();) {
            if (!isIdentifierChar(masked[i])) {
                ++i;
                continue;
            }
            const qsizetype start = i;
            while (i < masked.size() && isIdentifierChar(masked[i]))
                ++i;
            const QString word = upperCase(QStringView(masked).sliced(start, i - start));
            const QString callee = resolve(module, word);
            if (!callee.isEmpty()) {
                if (callee != caller)
                    callees.insert(callee);
            } else if (apiDeclarations_.contains(word)) {
                hidden.apiNames.insert(word);
            } else if (const auto typed = apiKeyWithoutType_.constFind(word); typed != apiKeyWithoutType_.cend()) {
                hidden.apiNames.insert(*typed);
            }
        }
    }
}

DependencyIndex::HiddenCalls DependencyIndex::hiddenCalls() const
{
    HiddenCalls hidden;
    // The declarations name every Declare they declare: naming is not calling there.
    for (const auto& [key, routine] : routineMap_.entries()) {
        if (routine->kind != RoutineKind::Declarations)
            addHiddenCalls(*routine, hidden);
    }
    for (const RoutinePtr& body : otherBodies_)
        addHiddenCalls(*body, hidden);
    return hidden;
}

void DependencyIndex::findProgramStartup(const QString& projectFilePath)
{
    programStartMarker_ = QStringLiteral("PROGRAM START");
    startupKey_.clear();
    if (trimBlanks(projectFilePath).isEmpty() || !fileExists(projectFilePath))
        return;
    const QStringList lines = reader_->read(projectFilePath).valueOr({}).lines;
    for (const QString& line : lines) {
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
            if (upperCase(fileExtension(routine->filePath)) == QLatin1String("BAS")
                && upperCase(trimBlanks(routine->routineName)) == name) {
                startupKey_ = key;
                return;
            }
        }
        startupKey_ = QStringLiteral("MODMAIN|") + name;
        return;
    }
}

RoutinePtr DependencyIndex::routineFor(const QString& key) const
{
    return routineMap_.value(key);
}

const OrderedKeyList* DependencyIndex::callees(const QString& key) const
{
    return calls_.find(key);
}

const OrderedKeyList* DependencyIndex::callers(const QString& key) const
{
    return calledBy_.find(key);
}

const OrderedKeyList* DependencyIndex::apiCalls(const QString& key) const
{
    return apiCalls_.find(key);
}

QString DependencyIndex::declarationText(const QString& apiName) const
{
    return apiDeclarations_.value(upperCase(apiName));
}

bool DependencyIndex::isStartupRoutine(const Routine& routine) const
{
    return !startupKey_.isEmpty() && equalsNoCase(startupKey_, routineKey(routine));
}

bool DependencyIndex::isEventHandler(const Routine& routine) const
{
    // Handlers of user controls and their like are known by their object, not by a suffix; the
    // split marked them. A form's handlers always pass the suffix test as well.
    return isEventHandlerName(trimBlanks(routine.routineName)) || routine.routineName.startsWith(kEventHandlerPrefix);
}

QString DependencyIndex::eventLabelOf(const QString& key) const
{
    return eventLabels_.value(key, QStringLiteral("User Event"));
}

} // namespace quillon::analysis
