#include "app/HtmlCommands.h"

#include "config/Options.h"
#include "config/Session.h"
#include "html/SiteMap.h"
#include "html/SiteWriter.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

namespace quillon::app {

int runHtml(const Arguments& args, config::Session& session, const model::SourceReader& reader,
    const CliServices& services, const BatchConsole& batch, std::ostream& out, std::ostream& err)
{
    const QString vbp = projectArgument(args, "html", 1, 1);
    if (!args.has(QStringLiteral("output")))
        throw Usage {QStringLiteral("html needs the folder to write the site to (-o FOLDER)")};
    html::SiteRequest request;
    request.folder = args.value(QStringLiteral("output"));
    request.jobs = args.has(QStringLiteral("jobs")) ? int(numberArgument(args, "jobs", 1, 64))
                                                    : std::max(1, QThread::idealThreadCount());
    request.brackets = args.has(QStringLiteral("brackets")) || session.options.boolean(config::opt::Brackets);
    request.graphs = services.graphLayout;
    request.pictures = services.createSvgSurface;
    AnalysedProject loaded(reader);
    if (std::optional<int> failed = openForDump(loaded.project, vbp, err))
        return *failed;
    if (args.has(QStringLiteral("files")))
        request.files = projectFilesArgument(args, loaded.project);
    if (args.has(QStringLiteral("routines"))) {
        for (const QString& key : args.value(QStringLiteral("routines")).split(QLatin1Char(','), Qt::SkipEmptyParts))
            request.routineKeys << model::upperCase(model::trimBlanks(key));
    }
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    request.progress = [&](int done, int total, const QString& page) {
        if (done < total && sinceUpdate.elapsed() < 250)
            return;
        sinceUpdate.restart();
        batch.console.progress(QStringLiteral("Writing page %1 of %2: %3").arg(done).arg(total).arg(page));
    };
    const model::Outcome<html::SiteSummary> written =
        html::exportSite(loaded.project, loaded.analysis, session.options, request);
    batch.console.endProgress();
    if (!written)
        return cannotWrite(err, request.folder, written.error());
    const html::SiteSummary& summary = written.value();
    for (const QString& text : summary.notes)
        note(err, text);
    const QString folder = QDir::cleanPath(QDir(request.folder).absolutePath());
    note(err,
        QStringLiteral("%1 pages (%2 of source files), %3 bytes; the largest page %4, %5 bytes")
            .arg(summary.pages)
            .arg(summary.filePages)
            .arg(summary.bytes)
            .arg(summary.largestPage)
            .arg(summary.largestPageBytes));
    write(out, QDir(folder).filePath(html::kIndexPage) + QLatin1Char('\n'));
    return 0;
}

} // namespace quillon::app
