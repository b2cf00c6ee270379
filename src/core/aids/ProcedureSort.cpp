#include "aids/ProcedureSort.h"

#include "config/Options.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <QHash>

#include <algorithm>
#include <numeric>
#include <vector>

namespace quillon::aids {

namespace {

struct OrderName {
    ProcedureOrder order;
    const char* name;
};
constexpr OrderName kOrderNames[] = {
    {ProcedureOrder::ByName, "name"},
    {ProcedureOrder::ByKind, "kind"},
    {ProcedureOrder::ByKindKeepingEvents, "events"},
};

// One procedure's lines, 1-based and inclusive, as they move.
struct Block {
    const model::Routine* routine;
    qint32 first;
    qint32 last;
};

qint32 lastEndLineIn(const QStringList& lines, qint32 from, qint32 to)
{
    for (qint32 k = to; k >= from; --k) {
        if (model::isEndProcedureLine(lines[k - 1]))
            return k;
    }
    return 0;
}

// The procedures of a file as blocks that can be moved without losing or doubling a line: each
// runs from the line after the End of the one before (the first from the blank lines above its
// span) to its End line. Lines after the last End stay where they are. Nullopt when any span is not what
// the routine split makes, since a block cut from a wrong span would carry someone else's lines.
std::optional<std::vector<Block>> movableBlocks(const QStringList& lines, const model::RoutineList& routines)
{
    const qint32 lineCount = qint32(lines.size());
    std::vector<const model::Routine*> procedures;
    qint32 pseudoEnd = 0;
    for (const model::RoutinePtr& routine : routines) {
        if (!routine)
            continue;
        if (routine->isDeclarations || model::isPseudoRoutine(*routine))
            pseudoEnd = std::max(pseudoEnd, routine->endLine);
        else
            procedures.push_back(routine.get());
    }
    std::stable_sort(procedures.begin(), procedures.end(),
        [](const model::Routine* a, const model::Routine* b) { return a->startLine < b->startLine; });

    std::vector<Block> blocks;
    blocks.reserve(procedures.size());
    for (std::size_t i = 0; i < procedures.size(); ++i) {
        const model::Routine& routine = *procedures[i];
        const bool isLast = i + 1 == procedures.size();
        if (routine.startLine < 1 || routine.startLine > routine.signatureLine
            || routine.signatureLine > routine.endLine || routine.endLine > lineCount)
            return std::nullopt;
        if (blocks.empty() ? routine.startLine <= pseudoEnd : routine.startLine != blocks.back().last + 1)
            return std::nullopt;
        // The split ends the last procedure at the file's end, past its End line.
        const qint32 end = isLast ? lastEndLineIn(lines, routine.signatureLine, routine.endLine) : routine.endLine;
        if (end == 0 || !model::isEndProcedureLine(lines[end - 1]))
            return std::nullopt;
        qint32 first = routine.startLine;
        // The blank lines between the Declarations and the first procedure belong to no record;
        // they go with it, so that wherever it lands it is set off from the procedure above as
        // it was from the Declarations, and the procedure that takes its place brings its own.
        while (blocks.empty() && first - 1 > pseudoEnd && model::trimBlanks(lines[first - 2]).isEmpty())
            --first;
        blocks.push_back({&routine, first, end});
    }
    return blocks;
}

bool isEventHandler(const model::Routine& routine)
{
    return routine.routineName.startsWith(model::kEventHandlerPrefix);
}

QString plainName(const model::Routine& routine)
{
    const QString& name = routine.routineName;
    return isEventHandler(routine) ? name.mid(model::kEventHandlerPrefix.size()) : name;
}

int scopeRank(const model::Routine& routine)
{
    return model::startsWithUpper(model::trimBlanks(routine.sigLineText), QLatin1StringView("PRIVATE ")) ? 1 : 0;
}

int accessorRank(model::RoutineKind kind)
{
    switch (kind) {
    case model::RoutineKind::PropertyGet:
        return 0;
    case model::RoutineKind::PropertyLet:
        return 1;
    case model::RoutineKind::PropertySet:
        return 2;
    default:
        return 3;
    }
}

struct SortKey {
    int group = 0;
    int control = 0; // keeping events: the place of the handler's control on the form
    int scope = 0;
    QString name; // case-folded
    int accessor = 0;

    friend bool operator<(const SortKey& a, const SortKey& b)
    {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.control != b.control)
            return a.control < b.control;
        if (a.scope != b.scope)
            return a.scope < b.scope;
        if (a.name != b.name)
            return a.name < b.name;
        return a.accessor < b.accessor;
    }
};

// The controls of the layout block above the procedures, by name (upper case), in the order they
// stand there; the object itself (the form, the user control ...) before them all.
QHash<QString, int> controlPlaces(const QStringList& lines, qint32 firstProcedureLine)
{
    QHash<QString, int> places;
    for (const QLatin1StringView word : model::objectWords())
        places.insert(model::upperCase(word), 0);
    for (const char* word : {"FORM", "MDIFORM", "CLASS"})
        places.insert(QString::fromLatin1(word), 0);
    bool objectSeen = false;
    for (qint32 i = 0; i + 1 < firstProcedureLine && i < lines.size(); ++i) {
        const QStringView text = model::trimBlanks(lines[i]);
        if (!model::startsWithUpper(text, QLatin1StringView("BEGIN ")))
            continue;
        const QStringList words = text.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!objectSeen) {
            objectSeen = true; // the form or control itself: its handlers say Form_, UserControl_ ...
            continue;
        }
        if (words.size() >= 3 && !places.contains(model::upperCase(words[2])))
            places.insert(model::upperCase(words[2]), int(places.size()) + 1);
    }
    return places;
}

std::vector<SortKey> sortKeys(const std::vector<Block>& blocks, ProcedureOrder order, const QStringList& lines)
{
    // A handler's control not in the layout block (a WithEvents variable) comes after them all.
    const QHash<QString, int> places = order == ProcedureOrder::ByKindKeepingEvents
        ? controlPlaces(lines, blocks.front().first)
        : QHash<QString, int>();
    enum Group { Events, Properties, Others };
    std::vector<SortKey> keys;
    keys.reserve(blocks.size());
    // A property's accessors may differ in scope; the most public one places them all, so that
    // the Get, Let and Set of one name are never parted.
    QHash<QString, int> propertyScope;
    for (const Block& block : blocks) {
        const model::Routine& routine = *block.routine;
        SortKey key;
        key.name = plainName(routine).toCaseFolded();
        if (order == ProcedureOrder::ByName) {
            keys.push_back(std::move(key));
            continue;
        }
        key.scope = scopeRank(routine);
        if (isEventHandler(routine)) {
            key.group = Events;
            if (order == ProcedureOrder::ByKindKeepingEvents) {
                const QString name = plainName(routine);
                const QString control = model::upperCase(name.left(std::max<qsizetype>(0, name.lastIndexOf(u'_'))));
                key = SortKey {Events, places.value(control, int(places.size()) + 1), 0, QString(), 0};
            }
        } else if (model::isPropertyKind(routine.kind)) {
            key.group = Properties;
            key.accessor = accessorRank(routine.kind);
            const auto found = propertyScope.constFind(key.name);
            if (found == propertyScope.constEnd() || *found > key.scope)
                propertyScope.insert(key.name, key.scope);
        } else {
            key.group = Others;
        }
        keys.push_back(std::move(key));
    }
    for (SortKey& key : keys) {
        if (key.group == Properties)
            key.scope = propertyScope.value(key.name);
    }
    return keys;
}

// The split of the sorted text must find the same procedures, in the new order, each with the
// same lines from its signature to its End; anything else means the move changed how the file
// reads, and the file is better left alone.
bool splitsAlike(const QStringList& sorted, const std::vector<Block>& placed, const QStringList& lines)
{
    const QString& path = placed.front().routine->filePath;
    std::vector<const model::Routine*> found;
    const model::RoutineList again = model::splitLinesIntoRoutines(path, sorted);
    for (const model::RoutinePtr& routine : again) {
        if (!routine->isDeclarations && !model::isPseudoRoutine(*routine))
            found.push_back(routine.get());
    }
    if (found.size() != placed.size())
        return false;
    const qint32 lineCount = qint32(sorted.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const model::Routine& before = *placed[i].routine;
        const model::Routine& after = *found[i];
        if (after.routineName != before.routineName || after.kind != before.kind)
            return false;
        const qint32 length = placed[i].last - before.signatureLine;
        if (after.signatureLine + length > lineCount)
            return false;
        for (qint32 k = 0; k <= length; ++k) {
            if (sorted[after.signatureLine - 1 + k] != lines[before.signatureLine - 1 + k])
                return false;
        }
    }
    return true;
}

} // namespace

ProcedureOrder procedureOrder(const config::Options& options)
{
    return procedureOrderNamed(options.text(config::opt::SortBy)).value_or(ProcedureOrder::ByKind);
}

std::optional<ProcedureOrder> procedureOrderNamed(const QString& name)
{
    const QString wanted = name.trimmed();
    for (const OrderName& entry : kOrderNames) {
        if (wanted.compare(QLatin1StringView(entry.name), Qt::CaseInsensitive) == 0)
            return entry.order;
    }
    return std::nullopt;
}

QString procedureOrderName(ProcedureOrder order)
{
    for (const OrderName& entry : kOrderNames) {
        if (entry.order == order)
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

Rewrite sortProcedures(const QStringList& lines, const model::RoutineList& routines, ProcedureOrder order)
{
    Rewrite result {lines, false, 0};
    const std::optional<std::vector<Block>> blocks = movableBlocks(lines, routines);
    if (!blocks || blocks->size() < 2)
        return result;
    const std::vector<SortKey> keys = sortKeys(*blocks, order, lines);
    std::vector<std::size_t> placement(blocks->size());
    std::iota(placement.begin(), placement.end(), std::size_t {0});
    std::stable_sort(
        placement.begin(), placement.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

    int moved = 0;
    for (std::size_t i = 0; i < placement.size(); ++i)
        moved += placement[i] != i ? 1 : 0;
    if (moved == 0)
        return result;

    const qint32 firstLine = blocks->front().first;
    const qint32 lastLine = blocks->back().last;
    QStringList sorted;
    sorted.reserve(lines.size());
    sorted.append(lines.mid(0, firstLine - 1));
    std::vector<Block> placed;
    placed.reserve(placement.size());
    for (const std::size_t index : placement) {
        const Block& block = (*blocks)[index];
        sorted.append(lines.mid(block.first - 1, block.last - block.first + 1));
        placed.push_back(block);
    }
    sorted.append(lines.mid(lastLine));
    if (sorted.size() != lines.size() || !splitsAlike(sorted, placed, lines))
        return result;
    result.lines = std::move(sorted);
    result.changed = true;
    result.proceduresChanged = moved;
    return result;
}

} // namespace quillon::aids
