#include "html/SiteGraphs.h"

#include "analysis/CallGraph.h"
#include "analysis/DependencyIndex.h"
#include "html/SiteMap.h"
#include "platform/GraphLayout.h"

#include <QHash>
#include <QSet>

namespace quillon::html {

using analysis::DependencyIndex;

namespace {

QString routineLabel(const DependencyIndex& index, const QString& key)
{
    const model::RoutinePtr routine = index.routineFor(key);
    if (!routine)
        return key;
    return routine->moduleName + QLatin1Char('.') + SiteMap::displayName(*routine);
}

const char* const kGraphStyle = "  graph [rankdir=LR, fontname=Helvetica, fontsize=10, nslimit=2, mclimit=0.5];\n"
                                "  node [shape=box, style=filled, fillcolor=\"#f4f6fb\", color=\"#5b6b8c\", "
                                "fontname=Helvetica, fontsize=10, target=\"_top\"];\n"
                                "  edge [color=\"#7a869e\", arrowsize=0.6, fontname=Helvetica, fontsize=9];\n";

} // namespace

QByteArray neighbourhoodDot(const DependencyIndex& index, const SiteMap& map, const QString& key)
{
    QSet<QString> down;
    QSet<QString> up;
    const QSet<QString> callees = analysis::reachableKeys(index, key, 2, false, &down);
    const QSet<QString> callers = analysis::reachableKeys(index, key, 2, true, &up);
    QSet<QString> nodes = callees;
    nodes.unite(callers);
    // Two boxes and an arrow say no more than the panel's one line.
    if (nodes.size() <= 2 || nodes.size() > kMaxNeighbourhoodNodes)
        return {};
    QByteArray dot = "digraph neighbourhood {\n  splines=line;\n";
    dot += kGraphStyle;
    // Sorted, so the same project gives the same picture.
    QStringList sorted(nodes.cbegin(), nodes.cend());
    sorted.sort();
    QHash<QString, int> ids;
    for (const QString& node : sorted) {
        const int id = int(ids.size());
        ids.insert(node, id);
        dot += "  n" + QByteArray::number(id) + " [label=" + platform::dotQuoted(routineLabel(index, node));
        const QString href = map.hrefOfKey(node);
        if (!href.isEmpty())
            dot += ", URL=" + platform::dotQuoted(href) + ", tooltip=" + platform::dotQuoted(routineLabel(index, node));
        if (node == key)
            dot += ", fillcolor=\"#ffe9a8\", penwidth=1.6";
        dot += "];\n";
    }
    auto addEdges = [&](const QSet<QString>& from, const QSet<QString>& within, bool reverse) {
        QStringList origins(from.cbegin(), from.cend());
        origins.sort();
        for (const QString& origin : origins) {
            const analysis::OrderedKeyList* next = reverse ? index.callers(origin) : index.callees(origin);
            if (!next)
                continue;
            for (const QString& other : next->items()) {
                if (!within.contains(other))
                    continue;
                const QString& caller = reverse ? other : origin;
                const QString& callee = reverse ? origin : other;
                dot += "  n" + QByteArray::number(ids.value(caller)) + " -> n" + QByteArray::number(ids.value(callee))
                    + ";\n";
            }
        }
    };
    addEdges(down, callees, false);
    addEdges(up, callers, true);
    return dot + "}\n";
}

QByteArray moduleGraphDot(const DependencyIndex& index, const SiteMap& map, bool* tooLarge)
{
    *tooLarge = false;
    const std::vector<analysis::CallEdge> edges = analysis::moduleCalls(index);
    QStringList modules;
    int betweenModules = 0;
    for (const analysis::CallEdge& edge : edges) {
        for (const QString& module : {edge.caller, edge.callee}) {
            if (!modules.contains(module))
                modules.push_back(module);
        }
        betweenModules += edge.caller != edge.callee ? 1 : 0;
    }
    if (betweenModules == 0)
        return {};
    if (modules.size() > kMaxModuleNodes || betweenModules > kMaxModuleEdges) {
        *tooLarge = true;
        return {};
    }
    QByteArray dot = "digraph modules {\n";
    dot += kGraphStyle;
    for (qsizetype i = 0; i < modules.size(); ++i) {
        dot += "  m" + QByteArray::number(i) + " [label=" + platform::dotQuoted(modules[i]);
        const QString page = map.pageOfModule(modules[i]);
        if (!page.isEmpty())
            dot += ", URL=" + platform::dotQuoted(page);
        dot += "];\n";
    }
    for (const analysis::CallEdge& edge : edges) {
        if (edge.caller == edge.callee)
            continue;
        dot += "  m" + QByteArray::number(modules.indexOf(edge.caller)) + " -> m"
            + QByteArray::number(modules.indexOf(edge.callee))
            + " [label=" + platform::dotQuoted(QString::number(edge.calls)) + "];\n";
    }
    return dot + "}\n";
}

} // namespace quillon::html
