#include "app/InsightCommands.h"

#include "analysis/UsageAnalysis.h"
#include "app/PrintCommands.h"
#include "config/Session.h"
#include "model/DiagLog.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "print/InsightReport.h"

namespace quillon::app {

using namespace quillon::model;

int runUnused(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    const QString path = projectArgument(args, "unused", 1, 1);
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, path, err))
        return *failed;
    const analysis::DependencyIndex& dep = loaded.analysis.dependencies;
    const analysis::UnusedReport report = analysis::findUnused(dep, loaded.project.projectFileList, reader);
    const QChar tab = QLatin1Char('\t');
    const QChar nl = QLatin1Char('\n');
    QString text;
    for (const RoutinePtr& routine : report.routines) {
        text += QStringLiteral("UNUSED") + tab + analysis::DependencyIndex::routineKey(*routine) + tab
            + fileNameOf(routine->filePath) + tab + kindTextOf(*routine) + tab + QString::number(routine->codeLines)
            + nl;
    }
    for (const analysis::ApiDeclaration& api : report.declarations)
        text += QStringLiteral("UNUSEDAPI") + tab + api.name + tab + api.library + nl;
    text += QStringLiteral("TOTAL") + tab + QString::number(report.routines.size()) + tab
        + QString::number(report.unusedCodeLines) + tab + QString::number(report.procedures) + tab
        + QString::number(report.procedureCodeLines) + nl;
    write(out, text);
    return 0;
}

int runInsight(const Arguments& args, config::Session& session, const SourceReader& reader, const CliServices& services,
    std::ostream& out, std::ostream& err)
{
    const QString vbp = projectArgument(args, "insight", 1, 1);
    const config::PageSetup setup = commandPageSetup(args, session);
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, vbp, err))
        return *failed;
    const Outcome<print::TocFile> file = print::writeInsightReport(
        loaded.analysis.dependencies, loaded.project.projectFileList, reader, &DiagLog::standard());
    if (!file) {
        write(err, QStringLiteral("quillon: ") + file.error() + QLatin1Char('\n'));
        return 1;
    }
    const ReportToPrint report {
        vbp, *file, print::kInsightTitle, QStringLiteral(" Insight"), QStringLiteral("the project insight report")};
    return printReportFile(args, session, reader, services, {session.box, setup}, report, out, err);
}

} // namespace quillon::app
