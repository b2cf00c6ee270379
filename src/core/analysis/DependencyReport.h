#pragma once
#include "analysis/DependencyIndex.h"
#include "model/ListingLine.h"

#include <QStringList>

namespace quillon::analysis {

inline constexpr int kChainDepthLimit = 40;

// Builds the dependency report of a routine from the index: who calls it (chains of
// callers), what it calls (chains of callees with their API calls), and the legend of the
// files involved, with the tree's connectors in front of the chain lines. A chain entry that
// names a routine of the index links to it.
class DependencyReporter {
public:
    // Chains deeper than depthLimit calls end in a "[Chain truncated at N levels]" line.
    DependencyReporter(const DependencyIndex& index, int tabWidth, int depthLimit = kChainDepthLimit);
    model::Listing buildDependencyReport(const model::Routine& routine);

private:
    struct Scope;
    void walk(const QStringList& keys, const Scope& visited, int depth, const QString& indent, bool up,
        QSet<QString>& walked);
    QString chainEntry(const QString& key);
    void addApiLines(const QString& key, const QString& indent);

    const DependencyIndex& index_;
    int tabWidth_;
    int depthLimit_;
    QString unit_;
    QStringList report_;
    QHash<int, QString> targets_;
    model::KeyedMap<QString> legend_; // file key -> letter
    int letterCounter_ = 0;
};

// Turns the indentation of a plain report into the connectors of its tree.
std::vector<model::ListingLine> applyReportMarkup(const QStringList& plain, int tabWidth);

// 1 → "A" ... 26 → "Z", 27 → "AA", 52 → "AZ", 53 → "BA".
QString fileLetters(int counter);

bool isIsolatedEventHandler(const DependencyIndex& index, const model::Routine& routine);
// An indexed real procedure that is not an isolated event handler.
bool isEligibleForReport(const DependencyIndex& index, const model::Routine& routine);
model::RoutinePtr makeDependencyPseudoRoutine(const model::Routine& procedure);

// Appends a dependency pseudo-routine for every eligible procedure of the list as it was
// when called; returns how many were appended.
int addDependencyReports(const DependencyIndex& index, model::RoutineList& list);
// The print queue's variant: walks the queue from its last entry to its first and appends a
// pseudo-routine for each eligible procedure that has none in the queue yet.
int addDependencyReportsToQueue(const DependencyIndex& index, model::RoutineList& queue);

} // namespace quillon::analysis
