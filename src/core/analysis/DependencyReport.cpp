#include "analysis/DependencyReport.h"

#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"

#include <algorithm>

namespace quillon::analysis {

using namespace quillon::model;

// The keys a chain walk must not expand again: the routines on the path from the reported
// routine down to here, and at each level the siblings of the routine on the path. Kept as a
// chain of levels so that nothing is copied per entry.
struct DependencyReporter::Scope {
    QString key;
    const QSet<QString>* siblings = nullptr;
    const Scope* parent = nullptr;
    bool contains(const QString& k) const
    {
        for (const Scope* s = this; s; s = s->parent) {
            if (s->key == k || (s->siblings && s->siblings->contains(k)))
                return true;
        }
        return false;
    }
};

DependencyReporter::DependencyReporter(const DependencyIndex& index, int tabWidth, int depthLimit)
    : index_(index), tabWidth_(tabWidth), depthLimit_(depthLimit), unit_(std::max(tabWidth, 0), QLatin1Char(' '))
{ }

QString fileLetters(int counter)
{
    QString letters;
    for (int n = counter; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString DependencyReporter::chainEntry(const QString& key)
{
    const qsizetype bar = key.indexOf(QLatin1Char('|'));
    QString fileKey = bar < 0 ? key : key.left(bar);
    QString kindText;
    QString name = bar < 0 ? QString() : key.mid(bar + 1);
    if (const RoutinePtr routine = index_.routineFor(key)) {
        fileKey = routine->filePath + QLatin1Char('|') + routine->moduleName;
        kindText = model::kindTextOf(*routine);
        name = routine->routineName;
    }
    QString letter = legend_.value(fileKey);
    if (letter.isEmpty()) {
        letter = fileLetters(++letterCounter_);
        legend_.insert(fileKey, letter);
    }
    QString entry = QStringLiteral("File ") + letter + QLatin1Char('|');
    if (!kindText.isEmpty())
        entry += kindText + QLatin1Char(' ');
    return entry + name;
}

void DependencyReporter::addApiLines(const QString& key, const QString& indent)
{
    const OrderedKeyList* apis = index_.apiCalls(key);
    if (!apis)
        return;
    for (const QString& api : apis->items()) {
        const QString declaration = index_.declarationText(api);
        const qsizetype first = declaration.indexOf(QLatin1Char('|'));
        QString library;
        if (first >= 0) {
            const qsizetype second = declaration.indexOf(QLatin1Char('|'), first + 1);
            library = second < 0 ? declaration.mid(first + 1) : declaration.mid(first + 1, second - first - 1);
        }
        QString line = indent + QStringLiteral("API: ") + api;
        if (!library.isEmpty())
            line += QStringLiteral(" (") + library + QLatin1Char(')');
        report_ << line;
    }
}

void DependencyReporter::walk(
    const QStringList& keys, const Scope& visited, int depth, const QString& indent, bool up, QSet<QString>& walked)
{
    if (depth > depthLimit_) {
        report_ << indent + QStringLiteral("[Chain truncated at ") + QString::number(depthLimit_)
                + QStringLiteral(" levels]");
        return;
    }
    QSet<QString> siblings;
    for (const QString& key : keys)
        siblings.insert(upperCase(trimBlanks(key)));
    const QString deeper = indent + unit_;
    const auto addEntry = [&](const QString& k, const QString& note) {
        if (index_.routineFor(k))
            targets_.insert(int(report_.size()), k);
        report_ << indent + chainEntry(k) + note;
    };
    for (const QString& rawKey : keys) {
        const QString k = upperCase(trimBlanks(rawKey));
        if (visited.contains(k)) {
            addEntry(k, QStringLiteral(" (recursive - children shown above)"));
            continue;
        }
        // A routine reached again by another path keeps the sub-chain it already showed:
        // listing it under every path makes reports grow without bound.
        if (walked.contains(k)) {
            addEntry(k, QStringLiteral(" (children shown above)"));
            continue;
        }
        addEntry(k, QString());
        const Scope within {k, &siblings, &visited};
        const OrderedKeyList* next = up ? index_.callers(k) : index_.callees(k);
        if (!next) {
            if (const RoutinePtr routine = index_.routineFor(k)) {
                if (index_.isStartupRoutine(*routine))
                    report_ << deeper + QStringLiteral("Program Startup");
                else if (index_.isEventHandler(*routine))
                    report_ << deeper + index_.eventLabelOf(k);
            }
            if (!up)
                addApiLines(k, deeper);
            continue;
        }
        if (next->isEmpty())
            continue;
        QStringList unvisited;
        for (const QString& candidate : next->items()) {
            if (!within.contains(upperCase(trimBlanks(candidate))))
                unvisited << candidate;
        }
        if (!unvisited.isEmpty()) {
            walked.insert(k);
            walk(unvisited, within, depth + 1, deeper, up, walked);
        }
        if (!up)
            addApiLines(k, deeper);
    }
}

model::Listing DependencyReporter::buildDependencyReport(const Routine& routine)
{
    report_.clear();
    targets_.clear();
    legend_.clear();
    letterCounter_ = 0;
    const QString key = DependencyIndex::routineKey(routine);
    const Scope root {key, nullptr, nullptr};

    const OrderedKeyList* callees = index_.callees(key);
    if (callees && callees->items().contains(key))
        report_ << QStringLiteral("RECURSIVE") << QString();

    report_ << QStringLiteral("Called by:") << QString();
    QStringList callers;
    if (const OrderedKeyList* list = index_.callers(key)) {
        for (const QString& caller : list->items()) {
            if (upperCase(caller) != key)
                callers << caller;
        }
    }
    if (callers.isEmpty()) {
        if (index_.isStartupRoutine(routine))
            report_ << unit_ + QStringLiteral("Program Startup");
        else if (index_.isEventHandler(routine))
            report_ << unit_ + index_.eventLabelOf(key);
        else
            report_ << unit_ + QStringLiteral("None");
    } else {
        QSet<QString> walked;
        walk(callers, root, 1, unit_, true, walked);
    }

    report_ << QString() << QStringLiteral("Calls:") << QString();
    QStringList down;
    if (callees) {
        for (const QString& callee : callees->items()) {
            if (upperCase(callee) != key)
                down << callee;
        }
    }
    // The routine's own API calls close its "Calls:" list as those of every routine below it
    // close theirs: "None" above a routine that calls the API would misinform.
    const OrderedKeyList* ownApis = index_.apiCalls(key);
    const bool callsApi = ownApis && !ownApis->items().isEmpty();
    if (down.isEmpty() && !callsApi) {
        report_ << unit_ + QStringLiteral("None");
    } else {
        if (!down.isEmpty()) {
            QSet<QString> walked;
            walk(down, root, 1, unit_, false, walked);
        }
        addApiLines(key, unit_);
    }
    report_ << QString();

    if (!legend_.isEmpty()) {
        report_ << QStringLiteral("Files:");
        for (const auto& [fileKey, letter] : legend_.entries())
            report_ << unit_ + QStringLiteral("File ") + letter + QStringLiteral(" = ") + fileKey;
    }
    model::Listing listing {applyReportMarkup(report_, tabWidth_), model::ListingColours::Report};
    for (const auto& [line, key] : targets_.asKeyValueRange())
        listing.lines[size_t(line)].link = key;
    return listing;
}

std::vector<model::ListingLine> applyReportMarkup(const QStringList& plain, int tabWidth)
{
    const int divisor = tabWidth < 1 ? 1 : tabWidth;
    enum class Kind { Entry, Boundary, Other };
    const qsizetype n = plain.size();
    std::vector<Kind> kinds(size_t(n), Kind::Other);
    std::vector<int> levels(size_t(n), 0);
    int maxLevel = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QString& line = plain[i];
        const QStringView t = trimBlanks(line);
        const bool heading = t == u"Calls:" || t == u"Called by:" || t == u"Files:";
        if (t.isEmpty() || heading) {
            kinds[size_t(i)] = Kind::Boundary;
            continue;
        }
        const bool legendLine = t.startsWith(QLatin1String("File ")) && t.contains(QLatin1String(" = "));
        if (t == u"RECURSIVE" || t == u"None" || legendLine)
            continue;
        qsizetype blanks = 0;
        while (blanks < line.size() && line[blanks] == QLatin1Char(' '))
            ++blanks;
        kinds[size_t(i)] = Kind::Entry;
        levels[size_t(i)] = int(blanks / divisor);
        maxLevel = std::max(maxLevel, levels[size_t(i)]);
    }

    // nearest[j]: the level of the nearest entry of level <= j in the scan direction, or -1
    // when a block boundary comes first. Two passes keep the markup linear in the report.
    std::vector<int> nearest(size_t(maxLevel) + 1, -1);
    std::vector<char> above(size_t(n), 0);
    for (qsizetype i = 0; i < n; ++i) {
        if (kinds[size_t(i)] == Kind::Boundary) {
            std::fill(nearest.begin(), nearest.end(), -1);
        } else if (kinds[size_t(i)] == Kind::Entry) {
            const int v = levels[size_t(i)];
            above[size_t(i)] = char(nearest[size_t(v)] == v);
            for (int j = v; j <= maxLevel; ++j)
                nearest[size_t(j)] = v;
        }
    }
    std::fill(nearest.begin(), nearest.end(), -1);
    std::vector<model::ListingLine> out;
    out.reserve(size_t(n));
    for (const QString& line : plain)
        out.emplace_back(line);
    for (qsizetype i = n - 1; i >= 0; --i) {
        if (kinds[size_t(i)] == Kind::Boundary) {
            std::fill(nearest.begin(), nearest.end(), -1);
            continue;
        }
        if (kinds[size_t(i)] != Kind::Entry)
            continue;
        const int v = levels[size_t(i)];
        const bool below = nearest[size_t(v)] == v;
        model::ListingLine& line = out[size_t(i)];
        // One connector per level, two blanks each; the entry's own comes last.
        auto add = [&line](model::ListingMark kind) {
            line.connectors.push_back({2 * qsizetype(line.connectors.size()), kind});
        };
        for (int j = 1; j < v; ++j)
            add(nearest[size_t(j)] == j ? model::ListingMark::Vertical : model::ListingMark::Gap);
        const bool up = above[size_t(i)];
        if (up && below)
            add(model::ListingMark::Tee);
        else if (up)
            add(model::ListingMark::Last);
        else if (below)
            add(model::ListingMark::Corner);
        else
            add(model::ListingMark::Gap);
        line.text = QString(2 * qsizetype(line.connectors.size()), QLatin1Char(' '));
        line.text += trimLeadingBlanks(plain[i]);
        for (int j = v; j <= maxLevel; ++j)
            nearest[size_t(j)] = v;
    }
    return out;
}

bool isIsolatedEventHandler(const DependencyIndex& index, const Routine& routine)
{
    if (!index.isEventHandler(routine))
        return false;
    const QString key = DependencyIndex::routineKey(routine);
    const OrderedKeyList* callees = index.callees(key);
    const OrderedKeyList* callers = index.callers(key);
    return (!callees || callees->isEmpty()) && (!callers || callers->isEmpty());
}

bool isEligibleForReport(const DependencyIndex& index, const Routine& routine)
{
    if (routine.isDeclarations || routine.isDepPseudo || isPseudoRoutine(routine))
        return false;
    // Indexed: the routine the index holds under this key is this one. A second routine of
    // the same key (a Property Let beside its Get) was never scanned.
    const RoutinePtr indexed = index.routineFor(DependencyIndex::routineKey(routine));
    if (!indexed || indexed->uniqueKey != routine.uniqueKey)
        return false;
    return !isIsolatedEventHandler(index, routine);
}

RoutinePtr makeDependencyPseudoRoutine(const Routine& procedure)
{
    auto pseudo = std::make_shared<Routine>();
    pseudo->kind = RoutineKind::Dependency;
    pseudo->routineName = procedure.routineName + QStringLiteral("|Dep");
    pseudo->filePath = procedure.filePath;
    pseudo->moduleName = procedure.moduleName;
    pseudo->isDepPseudo = true;
    pseudo->parentKey = procedure.uniqueKey;
    assignUniqueKey(*pseudo);
    return pseudo;
}

int addDependencyReports(const DependencyIndex& index, RoutineList& list)
{
    const RoutineList snapshot = list;
    int added = 0;
    for (const RoutinePtr& routine : snapshot) {
        if (routine && isEligibleForReport(index, *routine)) {
            list.push_back(makeDependencyPseudoRoutine(*routine));
            ++added;
        }
    }
    return added;
}

int addDependencyReportsToQueue(const DependencyIndex& index, RoutineList& queue)
{
    QSet<QString> present;
    for (const RoutinePtr& routine : queue)
        present.insert(routine->uniqueKey);
    const RoutineList snapshot = queue;
    int added = 0;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (!*it || !isEligibleForReport(index, **it))
            continue;
        RoutinePtr pseudo = makeDependencyPseudoRoutine(**it);
        if (present.contains(pseudo->uniqueKey))
            continue;
        present.insert(pseudo->uniqueKey);
        queue.push_back(pseudo);
        ++added;
    }
    return added;
}

} // namespace quillon::analysis
