#include "app/GraphCommands.h"

#include "analysis/CallGraph.h"
#include "analysis/RoutineMetrics.h"
#include "model/TextPrimitives.h"

namespace quillon::app {

using namespace quillon::model;

namespace {

// The --format value, the first of `known` when it is not given (throws Usage).
QString formatArgument(const Arguments& args, const char* command, const QStringList& known)
{
    QString format = args.has(QStringLiteral("format")) ? args.value(QStringLiteral("format")) : known.front();
    if (!known.contains(format)) {
        throw Usage {QString::fromLatin1(command) + QStringLiteral(" --format takes ") + known.join(QLatin1Char('|'))};
    }
    return format;
}

} // namespace

int runMetrics(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "metrics", 1, 1);
    const QString format = formatArgument(args, "metrics", {QStringLiteral("tsv"), QStringLiteral("json")});
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    const auto metrics = analysis::routineMetrics(loaded.analysis.dependencies, reader);
    write(out, format == QLatin1String("json") ? analysis::metricsJson(metrics) : analysis::metricsTsv(metrics));
    return 0;
}

int runGraph(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "graph", 1, 1);
    const QString format = formatArgument(args, "graph", {QStringLiteral("dot"), QStringLiteral("csv")});
    const bool from = args.has(QStringLiteral("from"));
    if (!from && (args.has(QStringLiteral("depth")) || args.has(QStringLiteral("callers"))))
        throw Usage {QStringLiteral("graph --depth and --callers need --from KEY")};
    int depth = -1;
    if (args.has(QStringLiteral("depth"))) {
        bool ok = false;
        depth = args.value(QStringLiteral("depth")).toInt(&ok);
        if (!ok || depth < 0)
            throw Usage {QStringLiteral("--depth takes a number of calls from 0")};
    }
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    const analysis::DependencyIndex& index = loaded.analysis.dependencies;
    analysis::CallGraphOptions options;
    options.modules = args.has(QStringLiteral("modules"));
    if (from) {
        const QString key = upperCase(args.value(QStringLiteral("from")));
        if (!index.routineMap().contains(key)) {
            write(err,
                QStringLiteral("quillon: no routine ") + quote(args.value(QStringLiteral("from")))
                    + QStringLiteral(" in the project (KEY is MODULE|NAME)\n"));
            return 1;
        }
        options.callers = args.has(QStringLiteral("callers"));
        options.keep = analysis::reachableKeys(index, key, depth, options.callers, &options.within);
    }
    write(out,
        format == QLatin1String("csv") ? analysis::callGraphCsv(index, options)
                                       : analysis::callGraphDot(index, options));
    return 0;
}

} // namespace quillon::app
