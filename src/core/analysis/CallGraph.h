#pragma once
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

// The call index as a graph for Graphviz (DOT) or a spreadsheet (CSV): routines grouped by
// module, calls between them, and the declared API functions each calls.
namespace quillon::analysis {

class DependencyIndex;

struct CallGraphOptions {
    bool modules = false; // module-to-module edges with their numbers of calls
    // When set, only these routine keys (see reachableKeys), and of the calls among them those
    // made by a key of `within`, or with `callers`, made to one.
    std::optional<QSet<QString>> keep;
    QSet<QString> within;
    bool callers = false; // API calls are then left out: none leads to a routine
};

// The keys `from` reaches within `depth` calls (following callers instead when `callers` is
// set), `from` included; a negative depth has no limit. `within` receives the keys less than
// `depth` calls away, whose own calls stay inside the limit.
QSet<QString> reachableKeys(
    const DependencyIndex& index, const QString& from, int depth, bool callers, QSet<QString>* within = nullptr);

// A call between two routines (keys), or the calls from one module to another (names).
struct CallEdge {
    QString caller;
    QString callee;
    int calls = 1; // a module edge: how many calling routine and called routine pairs
};
// The module edges, calls within a module included, in order of first call with the calling
// routines taken in routine-map order.
std::vector<CallEdge> moduleCalls(const DependencyIndex& index);

// digraph calls { a cluster per module, a node per routine, caller -> callee, API functions as
// dashed edges to note-shaped nodes }.
QString callGraphDot(const DependencyIndex& index, const CallGraphOptions& options);
// "caller,callee,caller file,callee file" and a row per call (API calls are left out), or with
// modules "caller module,callee module,calls".
QString callGraphCsv(const DependencyIndex& index, const CallGraphOptions& options);

} // namespace quillon::analysis
