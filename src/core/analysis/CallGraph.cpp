#include "analysis/CallGraph.h"
#include "analysis/DependencyIndex.h"
#include "model/TextPrimitives.h"

#include <QStringList>

#include <vector>

namespace quillon::analysis {

using namespace quillon::model;

namespace {

bool kept(const CallGraphOptions& options, const QString& key)
{
    return !options.keep || options.keep->contains(key);
}

QString moduleOf(const DependencyIndex& index, const QString& key)
{
    const RoutinePtr routine = index.routineFor(key);
    return routine ? routine->moduleName : key.section(QLatin1Char('|'), 0, 0);
}

// The routine edges in routine-map order, or folded to modules in order of first call.
std::vector<CallEdge> edgesOf(const DependencyIndex& index, const CallGraphOptions& options)
{
    std::vector<CallEdge> edges;
    QHash<QString, size_t> folded; // "caller module\ncallee module" -> edge
    for (const auto& entry : index.routineMap().entries()) {
        const OrderedKeyList* callees = index.callsMap().find(entry.first);
        if (!callees || !kept(options, entry.first))
            continue;
        for (const QString& callee : callees->items()) {
            if (!kept(options, callee)
                || (options.keep && !options.within.contains(options.callers ? callee : entry.first)))
                continue;
            if (!options.modules) {
                edges.push_back({entry.first, callee});
                continue;
            }
            CallEdge edge {moduleOf(index, entry.first), moduleOf(index, callee)};
            const QString pair = edge.caller + QLatin1Char('\n') + edge.callee;
            if (const auto found = folded.constFind(pair); found != folded.cend()) {
                ++edges[*found].calls;
                continue;
            }
            folded.insert(pair, edges.size());
            edges.push_back(edge);
        }
    }
    return edges;
}

QString dotQuoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n")) + QLatin1Char('"');
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    return QLatin1Char('"') + quoted.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString fileOf(const DependencyIndex& index, const QString& key)
{
    const RoutinePtr routine = index.routineFor(key);
    return routine ? fileNameOf(routine->filePath) : QString();
}

// A cluster per module in order of first routine, each routine a node labelled with its name.
QString routineClusters(const DependencyIndex& index, const CallGraphOptions& options)
{
    QStringList modules;
    QHash<QString, QString> nodes; // module -> its node lines
    for (const auto& [key, routine] : index.routineMap().entries()) {
        if (!kept(options, key))
            continue;
        if (!nodes.contains(routine->moduleName))
            modules << routine->moduleName;
        nodes[routine->moduleName] += QStringLiteral("    ") + dotQuoted(key) + QStringLiteral(" [label=")
            + dotQuoted(routine->routineName) + QStringLiteral("];\n");
    }
    QString text;
    for (qsizetype m = 0; m < modules.size(); ++m) {
        text += QStringLiteral("  subgraph cluster_") + QString::number(m) + QStringLiteral(" {\n    label=")
            + dotQuoted(modules[m]) + QStringLiteral(";\n") + nodes.value(modules[m]) + QStringLiteral("  }\n");
    }
    return text;
}

QString apiEdges(const DependencyIndex& index, const CallGraphOptions& options)
{
    QString nodes;
    QString edges;
    QSet<QString> drawn;
    for (const auto& entry : index.routineMap().entries()) {
        const OrderedKeyList* apis = index.apiCallMap().find(entry.first);
        if (!apis || (options.keep && (options.callers || !options.within.contains(entry.first))))
            continue;
        for (const QString& api : apis->items()) {
            const QString id = QStringLiteral("API ") + upperCase(api);
            if (!drawn.contains(id)) {
                drawn.insert(id);
                const QString* declaration = index.apiDeclarationMap().find(upperCase(api));
                const QString library = declaration ? declaration->section(QLatin1Char('|'), 1, 1) : QString();
                nodes += QStringLiteral("  ") + dotQuoted(id) + QStringLiteral(" [shape=note, label=")
                    + dotQuoted(api + QLatin1Char('\n') + library) + QStringLiteral("];\n");
            }
            edges += QStringLiteral("  ") + dotQuoted(entry.first) + QStringLiteral(" -> ") + dotQuoted(id)
                + QStringLiteral(" [style=dashed];\n");
        }
    }
    return nodes + edges;
}

} // namespace

QSet<QString> reachableKeys(
    const DependencyIndex& index, const QString& from, int depth, bool callers, QSet<QString>* within)
{
    QSet<QString> reached {from};
    QStringList frontier {from};
    for (int step = 0; !frontier.isEmpty() && (depth < 0 || step < depth); ++step) {
        QStringList next;
        for (const QString& key : frontier) {
            if (within)
                within->insert(key);
            const OrderedKeyList* list = callers ? index.callers(key) : index.callees(key);
            for (const QString& other : list ? list->items() : QStringList()) {
                if (!reached.contains(other)) {
                    reached.insert(other);
                    next << other;
                }
            }
        }
        frontier = next;
    }
    return reached;
}

std::vector<CallEdge> moduleCalls(const DependencyIndex& index)
{
    CallGraphOptions options;
    options.modules = true;
    return edgesOf(index, options);
}

QString callGraphDot(const DependencyIndex& index, const CallGraphOptions& options)
{
    QString text = QStringLiteral("digraph calls {\n");
    if (options.modules) {
        for (const CallEdge& edge : edgesOf(index, options)) {
            text += QStringLiteral("  ") + dotQuoted(edge.caller) + QStringLiteral(" -> ") + dotQuoted(edge.callee)
                + QStringLiteral(" [label=\"") + QString::number(edge.calls) + QStringLiteral("\"];\n");
        }
        return text + QStringLiteral("}\n");
    }
    text += routineClusters(index, options);
    for (const CallEdge& edge : edgesOf(index, options))
        text += QStringLiteral("  ") + dotQuoted(edge.caller) + QStringLiteral(" -> ") + dotQuoted(edge.callee)
            + QStringLiteral(";\n");
    return text + apiEdges(index, options) + QStringLiteral("}\n");
}

QString callGraphCsv(const DependencyIndex& index, const CallGraphOptions& options)
{
    QString text = options.modules ? QStringLiteral("caller module,callee module,calls\n")
                                   : QStringLiteral("caller,callee,caller file,callee file\n");
    for (const CallEdge& edge : edgesOf(index, options)) {
        const QStringList fields = options.modules
            ? QStringList {csvField(edge.caller), csvField(edge.callee), QString::number(edge.calls)}
            : QStringList {csvField(edge.caller), csvField(edge.callee), csvField(fileOf(index, edge.caller)),
                csvField(fileOf(index, edge.callee))};
        text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return text;
}

} // namespace quillon::analysis
