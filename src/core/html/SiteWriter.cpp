#include "html/SiteWriter.h"

#include "analysis/CallGraph.h"
#include "analysis/ProjectAnalysis.h"
#include "analysis/UsageAnalysis.h"
#include "config/Options.h"
#include "formimage/FormImagePrinter.h"
#include "html/HtmlText.h"
#include "html/SiteGraphs.h"
#include "html/SitePage.h"
#include "model/OrderedWork.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "platform/GraphLayout.h"
#include "platform/InterruptCleanup.h"
#include "platform/ReplacementFile.h"
#include "print/InsightReport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <future>

namespace quillon::html {

using namespace quillon::model;

QString shownPath(const SiteContext& site, const QString& path)
{
    return QDir(QFileInfo(site.project->projectPath).absolutePath()).relativeFilePath(path);
}

QString graphScriptOf(const QString& pageName)
{
    return kAssetsFolder + QStringLiteral("/graphs/") + QString(pageName).chopped(5) + QStringLiteral(".js");
}

QString pageStart(const SiteContext& site, const QString& title, const QString& graphScript)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                                 "<meta name=\"generator\" content=\"Quillon\">\n<title>");
    out += escapeHtml(title) + QStringLiteral(" \u2014 ") + escapeHtml(site.projectTitle);
    out += QStringLiteral("</title>\n<link rel=\"stylesheet\" href=\"assets/quillon.css\">\n"
                          "<link rel=\"stylesheet\" href=\"assets/colours.css\">\n"
                          "<script src=\"assets/quillon.js\" defer></script>\n</head>\n");
    out += graphScript.isEmpty() ? QStringLiteral("<body>\n")
                                 : QStringLiteral("<body data-graphs=\"") + graphScript + QStringLiteral("\">\n");
    out += QStringLiteral("<header class=\"bar\">\n<a class=\"project\" href=\"index.html\">");
    out += escapeHtml(site.projectTitle);
    out += QStringLiteral("</a>\n<nav class=\"site\"><a href=\"index.html\">Files</a> <a href=\"insight.html\">"
                          "Insight</a> <a href=\"modules.html\">Module graph</a></nav>\n"
                          "<div class=\"search\" role=\"search\"><input id=\"search\" type=\"search\" "
                          "placeholder=\"Search files, routines, symbols\" autocomplete=\"off\" spellcheck=\"false\" "
                          "aria-label=\"Search files, routines and symbols\"><ol id=\"search-results\" hidden></ol>"
                          "</div>\n</header>\n");
    return out;
}

QString pageEnd()
{
    return QStringLiteral("<footer>Written by Quillon ") + escapeHtml(config::versionText())
        + QStringLiteral("</footer>\n</body>\n</html>\n");
}

namespace {

QString cssColour(quint32 rgb)
{
    return QStringLiteral("#%1%2%3")
        .arg(rgb & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((rgb >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((rgb >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

// The print's colours of the options, for the classes the pages use.
QByteArray coloursCss(const config::Options& options)
{
    const std::array<quint32, 10> colours = formimage::highlightColours(options);
    QString css = QStringLiteral("/* The highlight colours of the options this site was written with. */\n");
    css += QStringLiteral("pre.code { color: ") + cssColour(colours[0]) + QStringLiteral("; }\n");
    for (int i = 1; i <= 7; ++i)
        css += QStringLiteral(".c") + QString::number(i) + QStringLiteral(" { color: ") + cssColour(colours[size_t(i)])
            + QStringLiteral("; }\n");
    return css.toUtf8();
}

QByteArray resource(const QString& name)
{
    QFile file(QStringLiteral(":/quillon/site/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The groups of the index, in the file list's order, named as the table of contents names them.
QString groupTitle(const ProjectFile& file)
{
    const QString type = lowerCase(file.fileType());
    return type.isEmpty() ? QStringLiteral("Other Files") : QLatin1Char('.') + type + QStringLiteral(" Files");
}

struct LineTotals {
    qint64 files = 0;
    qint64 procedures = 0;
    qint64 code = 0;
    qint64 comment = 0;
    qint64 blank = 0;
    void add(const LineTotals& o)
    {
        files += o.files;
        procedures += o.procedures;
        code += o.code;
        comment += o.comment;
        blank += o.blank;
    }
};

// A file's records but its image, or its image alone: the image covers the layout block's lines
// once more, and the table of contents counts it apart as an "Image Procedure".
LineTotals totalsOf(const SiteFile& file, bool images = false)
{
    LineTotals totals;
    for (const FilePage& page : file.pages) {
        for (const RoutinePtr& routine : page.routines) {
            if ((routine->kind == RoutineKind::Image) != images)
                continue;
            if (images || !isPseudoRoutine(*routine))
                ++totals.procedures;
            totals.code += routine->codeLines;
            totals.comment += routine->commentLines;
            totals.blank += routine->blankLines;
        }
    }
    totals.files = images ? (totals.procedures > 0 ? 1 : 0) : 1;
    return totals;
}

QString totalsRow(const QString& label, const LineTotals& t)
{
    QString row = QStringLiteral("<tr><th>") + escapeHtml(label) + QStringLiteral("</th>");
    for (const qint64 n : {t.files, t.procedures, t.code + t.comment + t.blank, t.code, t.comment, t.blank})
        row += QStringLiteral("<td>") + QString::number(n) + QStringLiteral("</td>");
    return row + QStringLiteral("</tr>\n");
}

QString link(const QString& href, const QString& text)
{
    if (href.isEmpty())
        return escapeHtml(text);
    return QStringLiteral("<a href=\"") + href + QStringLiteral("\">") + escapeHtml(text) + QStringLiteral("</a>");
}

// The folder of a file beside its name, when it is not the project's own.
QString folderText(const QString& folder)
{
    if (folder == QLatin1String("."))
        return QString();
    return QStringLiteral(" <span class=\"folder\">") + escapeHtml(folder) + QStringLiteral("</span>");
}

QByteArray indexPage(const SiteContext& site, const model::Project& project)
{
    QString out = pageStart(site, QStringLiteral("Files"));
    out += QStringLiteral("<main class=\"index\">\n<h1>") + escapeHtml(site.projectTitle) + QStringLiteral("</h1>\n");
    out += QStringLiteral("<p class=\"path\">") + escapeHtml(QFileInfo(project.projectPath).fileName())
        + QStringLiteral("</p>\n");
    // The groups in the order of the file list, which sorts by kind.
    std::vector<std::pair<QString, std::vector<const SiteFile*>>> groups;
    for (const SiteFile& file : site.map->files()) {
        const QString title = groupTitle(*file.file);
        if (groups.empty() || groups.back().first != title)
            groups.emplace_back(title, std::vector<const SiteFile*>());
        groups.back().second.push_back(&file);
    }
    out += QStringLiteral("<h2 id=\"summary\">Project Summary</h2>\n<table class=\"summary\">\n<thead><tr><th></th>"
                          "<th>Files</th><th>Procedures</th><th>Lines</th><th>Code</th><th>Comment</th>"
                          "<th>Blank</th></tr></thead>\n<tbody>\n");
    LineTotals all;
    for (const auto& [title, files] : groups) {
        LineTotals group;
        for (const SiteFile* file : files)
            group.add(totalsOf(*file));
        all.add(group);
        out += totalsRow(title, group);
    }
    LineTotals images;
    for (const SiteFile& file : site.map->files())
        images.add(totalsOf(file, true));
    if (images.procedures > 0) {
        out += totalsRow(QStringLiteral("Image Procedures"), images);
        images.files = 0; // files counted with their kind already
        all.add(images);
    }
    out += totalsRow(QStringLiteral("All Files  (Project Total)"), all);
    out += QStringLiteral("</tbody>\n</table>\n");
    out += QStringLiteral("<p class=\"more\">See also the <a href=\"insight.html\">project insight</a> (unused "
                          "procedures, the most complex routines) and the <a href=\"modules.html\">calls between "
                          "modules</a>.</p>\n");
    for (const auto& [title, files] : groups) {
        out += QStringLiteral("<h2>") + escapeHtml(title) + QStringLiteral("</h2>\n<ul class=\"files\">\n");
        for (const SiteFile* file : files) {
            const LineTotals t = totalsOf(*file);
            out += QStringLiteral("<li>") + link(file->pages.front().name, file->file->fileName)
                + folderText(QFileInfo(shownPath(site, file->file->filePath)).path())
                + QStringLiteral(" <span class=\"count\">") + QString::number(t.procedures)
                + (t.procedures == 1 ? QStringLiteral(" procedure") : QStringLiteral(" procedures"))
                + QStringLiteral("</span></li>\n");
        }
        out += QStringLiteral("</ul>\n");
    }
    out += QStringLiteral("</main>\n") + pageEnd();
    return out.toUtf8();
}

QString routineLink(const SiteContext& site, const QString& key)
{
    const RoutinePtr routine = site.index->routineFor(key);
    const QString text = routine ? routine->moduleName + QLatin1Char('.') + SiteMap::displayName(*routine) : key;
    return link(site.map->hrefOfKey(key), text);
}

QString percent(qint64 part, qint64 whole)
{
    return whole <= 0 ? QString() : QStringLiteral(" (%1%)").arg(qRound(100.0 * double(part) / double(whole)));
}

QByteArray insightPage(
    const SiteContext& site, const std::vector<analysis::RoutineMetrics>& metrics, const analysis::UnusedReport& unused)
{
    QString out = pageStart(site, print::kInsightTitle);
    out += QStringLiteral("<main class=\"insight\">\n<h1>") + escapeHtml(print::kInsightTitle)
        + QStringLiteral("</h1>\n<h2 id=\"unused\">Unused Procedures</h2>\n");
    const qint64 count = qint64(unused.routines.size());
    out += QStringLiteral("<p>Unused procedures: ") + QString::number(count) + QStringLiteral(" of ")
        + QString::number(unused.procedures) + percent(count, unused.procedures) + QStringLiteral(". Unused code: ")
        + QString::number(unused.unusedCodeLines) + QStringLiteral(" of ") + QString::number(unused.procedureCodeLines)
        + QStringLiteral(" code lines") + percent(unused.unusedCodeLines, unused.procedureCodeLines)
        + QStringLiteral(".</p>\n");
    if (!unused.routines.empty()) {
        out += QStringLiteral("<table class=\"list\">\n<thead><tr><th>Procedure</th><th>File</th><th>Kind</th>"
                              "<th>Code lines</th></tr></thead>\n<tbody>\n");
        for (const RoutinePtr& routine : unused.routines) {
            out += QStringLiteral("<tr><td>") + link(site.map->hrefOf(*routine), SiteMap::displayName(*routine))
                + QStringLiteral("</td><td>") + escapeHtml(fileNameOf(routine->filePath)) + QStringLiteral("</td><td>")
                + escapeHtml(kindTextOf(*routine)) + QStringLiteral("</td><td>") + QString::number(routine->codeLines)
                + QStringLiteral("</td></tr>\n");
        }
        out += QStringLiteral("</tbody>\n</table>\n");
    }
    if (!unused.declarations.empty()) {
        out += QStringLiteral("<h3>Declare statements no routine calls</h3>\n<ul>\n");
        for (const analysis::ApiDeclaration& api : unused.declarations)
            out += QStringLiteral("<li><code>") + escapeHtml(api.name) + QStringLiteral("</code> in <code>")
                + escapeHtml(api.library) + QStringLiteral("</code></li>\n");
        out += QStringLiteral("</ul>\n");
    }
    out += QStringLiteral("<h2 id=\"complex\">Most Complex Routines</h2>\n");
    const std::vector<analysis::RoutineMetrics> ranked = print::mostComplexRoutines(metrics);
    if (ranked.empty()) {
        out += QStringLiteral("<p>No routines.</p>\n");
    } else {
        out += QStringLiteral("<table class=\"list\">\n<thead><tr><th>Routine</th><th>File</th><th>Complexity</th>"
                              "<th>Decision points</th><th>Deepest nesting</th><th>Code lines</th><th>Callers</th>"
                              "<th>Callees</th></tr></thead>\n<tbody>\n");
        for (const analysis::RoutineMetrics& m : ranked) {
            out += QStringLiteral("<tr><td>") + routineLink(site, m.key) + QStringLiteral("</td><td>")
                + escapeHtml(m.fileName) + QStringLiteral("</td>");
            for (const int n : {m.complexity(), m.decisions, m.nesting, m.codeLines, m.fanIn, m.fanOut})
                out += QStringLiteral("<td>") + QString::number(n) + QStringLiteral("</td>");
            out += QStringLiteral("</tr>\n");
        }
        out += QStringLiteral("</tbody>\n</table>\n");
    }
    out += QStringLiteral("<h2 id=\"modules\">Calls Between Modules</h2>\n<p>The picture and every call between "
                          "modules are on the <a href=\"modules.html\">module graph</a> page.</p>\n");
    out += QStringLiteral("</main>\n") + pageEnd();
    return out.toUtf8();
}

// The picture goes in the page's graph script, as every picture of calls does: an HTML checker
// knows nothing of the links inside an SVG picture.
QByteArray modulesPage(const SiteContext& site, QStringList& notes, std::vector<std::pair<QString, QByteArray>>& graphs)
{
    QString out = pageStart(site, QStringLiteral("Module graph"), graphScriptOf(kModulesPage));
    out += QStringLiteral("<main class=\"modules\">\n<h1>Calls Between Modules</h1>\n");
    bool tooLarge = false;
    const QByteArray dot = moduleGraphDot(*site.index, *site.map, &tooLarge);
    if (tooLarge) {
        out += QStringLiteral("<p class=\"note\">Too many modules or calls between them to draw one readable "
                              "picture; the table below lists them all.</p>\n");
    } else if (dot.isEmpty()) {
        out += QStringLiteral("<p class=\"note\">No module calls another.</p>\n");
    } else if (!site.graphs) {
        out += QStringLiteral("<p class=\"note\">No picture: Graphviz could not be used.</p>\n");
    } else {
        platform::GraphPicture picture = site.graphs->drawSvg(dot);
        if (picture.ok()) {
            out += QStringLiteral("<figure class=\"graph\" data-graph=\"modules\"></figure>\n");
            graphs.emplace_back(QStringLiteral("modules"), std::move(picture.svg));
        } else {
            out +=
                QStringLiteral("<p class=\"note\">No picture: ") + escapeHtml(picture.error) + QStringLiteral("</p>\n");
            notes << QStringLiteral("no picture of the module graph: ") + picture.error;
        }
    }
    const std::vector<analysis::CallEdge> edges = analysis::moduleCalls(*site.index);
    out += QStringLiteral("<table class=\"list\">\n<thead><tr><th>Calling module</th><th>Called module</th>"
                          "<th>Calls</th></tr></thead>\n<tbody>\n");
    for (const analysis::CallEdge& edge : edges) {
        out += QStringLiteral("<tr><td>") + link(site.map->pageOfModule(edge.caller), edge.caller)
            + QStringLiteral("</td><td>") + link(site.map->pageOfModule(edge.callee), edge.callee)
            + QStringLiteral("</td><td>") + QString::number(edge.calls) + QStringLiteral("</td></tr>\n");
    }
    out += QStringLiteral("</tbody>\n</table>\n</main>\n") + pageEnd();
    return out.toUtf8();
}

QByteArray graphScript(const std::vector<std::pair<QString, QByteArray>>& graphs)
{
    QString out = QStringLiteral("// The graph pictures of one page, by id, drawn when the reader opens one.\n"
                                 "window.quillonGraphs = window.quillonGraphs || {};\n");
    for (const auto& [id, svg] : graphs)
        out += QStringLiteral("window.quillonGraphs[") + jsonString(id) + QStringLiteral("] = ")
            + jsonString(QString::fromUtf8(svg), false) + QStringLiteral(";\n");
    return out.toUtf8();
}

QByteArray searchIndex(const std::vector<SearchEntry>& entries)
{
    QString out = QStringLiteral("// Every file, routine and declared name of the site: name, kind, file, page.\n"
                                 "window.quillonSearchIndex = [\n");
    for (const SearchEntry& e : entries) {
        out += QLatin1Char('[') + jsonString(e.name) + QLatin1Char(',') + jsonString(e.kind) + QLatin1Char(',')
            + jsonString(e.where) + QLatin1Char(',') + jsonString(e.href) + QStringLiteral("],\n");
    }
    out += QStringLiteral("];\n");
    return out.toUtf8();
}

// The work folder of one export: written beside the site, swapped into its place when whole,
// removed otherwise.
// Its files are removed too if the program is interrupted (Ctrl+C) while it is written.
class WorkFolder {
public:
    explicit WorkFolder(QString path) : path_(std::move(path)) { }
    ~WorkFolder()
    {
        QDir(path_).removeRecursively();
        for (const QString& file : files_)
            platform::InterruptCleanup::forget(file);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const QString& path() const { return path_; }
    QString file(const QString& name)
    {
        QString path = path_ + QLatin1Char('/') + name;
        platform::InterruptCleanup::track(path);
        files_ << path;
        return path;
    }

private:
    QString path_;
    QStringList files_;
};

// Folders an export left behind when it was killed: named as the work folders of this site
// after a process that no longer runs, or untouched for longer than a running export leaves one.
void removeStaleWorkFolders(const QDir& parent, const QString& name)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString prefix = QLatin1Char('.') + name + QStringLiteral(".quillon-work-");
    const QStringList stale = parent.entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden);
    for (const QString& entry : stale) {
        const QFileInfo info(parent.filePath(entry));
        bool number = false;
        const qint64 pid = entry.mid(prefix.size()).toLongLong(&number);
        const bool abandoned = (number && !platform::processRuns(pid))
            || info.lastModified().secsTo(now) > platform::kStaleWorkFileSeconds;
        if (!info.isSymLink() && abandoned)
            QDir(info.filePath()).removeRecursively();
    }
}

Outcome<QString> prepareTarget(const QString& folder)
{
    if (folder.trimmed().isEmpty())
        return Outcome<QString>::failed(QStringLiteral("no folder was given for the site"));
    QFileInfo info(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (info.isSymLink()) {
        if (!info.exists())
            return Outcome<QString>::failed(info.filePath() + QStringLiteral(" is a link to nothing"));
        info = QFileInfo(info.canonicalFilePath());
    }
    const QString target = info.absoluteFilePath();
    if (info.exists()) {
        if (!info.isDir())
            return Outcome<QString>::failed(target + QStringLiteral(" is not a folder"));
        const QDir dir(target);
        const bool empty =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
        if (!empty && !QFileInfo::exists(dir.filePath(kSiteMarker)))
            return Outcome<QString>::failed(target
                + QStringLiteral(" holds files that are not an earlier export of a site; choose an empty or a new "
                                 "folder"));
    }
    if (info.fileName().isEmpty() || QDir(target).isRoot())
        return Outcome<QString>::failed(QStringLiteral("the site cannot replace ") + target);
    if (!QDir().mkpath(info.absolutePath()))
        return Outcome<QString>::failed(QStringLiteral("cannot create the folder ") + info.absolutePath());
    return target;
}

} // namespace

Outcome<SiteSummary> exportSite(const Project& project, const analysis::ProjectAnalysis& analysis,
    const config::Options& options, const SiteRequest& request)
{
    const Outcome<QString> prepared = prepareTarget(request.folder);
    if (!prepared)
        return prepared.failure();
    const QString& target = prepared.value();
    const QFileInfo targetInfo(target);
    const QDir parent = targetInfo.absoluteDir();
    removeStaleWorkFolders(parent, targetInfo.fileName());
    WorkFolder work(parent.filePath(QLatin1Char('.') + targetInfo.fileName() + QStringLiteral(".quillon-work-")
        + QString::number(QCoreApplication::applicationPid())));
    QDir(work.path()).removeRecursively();
    if (!QDir().mkpath(work.path() + QLatin1Char('/') + kAssetsFolder + QStringLiteral("/graphs")))
        return Outcome<SiteSummary>::failed(QStringLiteral("cannot create the folder ") + work.path());

    const SiteMap map(project, analysis.dependencies, request.files, request.routineKeys);
    SiteContext site;
    site.project = &project;
    site.symbols = &analysis.symbols;
    site.index = &analysis.dependencies;
    site.options = &options;
    site.map = &map;
    site.projectTitle =
        project.projectName.isEmpty() ? QFileInfo(project.projectPath).completeBaseName() : project.projectName;
    site.tabWidth = options.ideTabWidth();
    site.brackets = request.brackets;
    site.graphs = request.graphs;
    site.pictures = request.pictures;
    // The insight page reads every file again, for unused code and the metrics of every routine:
    // beside the pages, not before or after them.
    struct Insight {
        analysis::UnusedReport unused;
        std::vector<analysis::RoutineMetrics> metrics;
    };
    std::future<Insight> insight = std::async(std::launch::async, [&] {
        return Insight {analysis::findUnused(analysis.dependencies, project.projectFileList, project.reader()),
            analysis::routineMetrics(analysis.dependencies, project.reader())};
    });

    SiteSummary summary;
    QString failure;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        if (!failure.isEmpty())
            return;
        QFile file(work.file(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
            failure = QStringLiteral("cannot write ") + file.fileName() + QStringLiteral(": ") + file.errorString();
            return;
        }
        summary.bytes += bytes.size();
        if (name.endsWith(QLatin1String(".html"))) {
            ++summary.pages;
            if (bytes.size() > summary.largestPageBytes) {
                summary.largestPageBytes = bytes.size();
                summary.largestPage = name;
            }
        }
    };

    std::vector<std::pair<const SiteFile*, int>> pages;
    for (const SiteFile& file : map.files()) {
        for (int i = 0; i < int(file.pages.size()); ++i)
            pages.emplace_back(&file, i);
    }
    const int total = int(pages.size()) + 3;
    int done = 0;
    auto progress = [&](const QString& page) {
        ++done;
        if (request.progress)
            request.progress(done, total, page);
    };
    std::atomic<bool> cancelled {false};
    auto cancelNow = [&] {
        if (!cancelled && request.cancelRequested && request.cancelRequested())
            cancelled = true;
        return cancelled.load();
    };

    std::vector<SearchEntry> entries;
    produceInOrder<RenderedPage>(
        qsizetype(pages.size()), threadCountFor(request.jobs),
        [&](qsizetype i) {
            if (cancelled)
                return RenderedPage();
            return renderFilePage(site, *pages[size_t(i)].first, pages[size_t(i)].second);
        },
        [&](qsizetype i, RenderedPage page) {
            if (cancelNow() || !failure.isEmpty())
                return;
            const FilePage& filePage = pages[size_t(i)].first->pages[size_t(pages[size_t(i)].second)];
            write(filePage.name, page.html);
            if (!page.graphs.empty())
                write(graphScriptOf(filePage.name), graphScript(page.graphs));
            entries.insert(entries.end(), std::make_move_iterator(page.entries.begin()),
                std::make_move_iterator(page.entries.end()));
            summary.notes += page.notes;
            ++summary.filePages;
            progress(filePage.name);
        });
    if (cancelNow()) {
        summary.cancelled = true;
        return summary;
    }
    write(kIndexPage, indexPage(site, project));
    progress(kIndexPage);
    const Insight found = insight.get();
    write(kInsightPage, insightPage(site, found.metrics, found.unused));
    progress(kInsightPage);
    std::vector<std::pair<QString, QByteArray>> moduleGraph;
    write(kModulesPage, modulesPage(site, summary.notes, moduleGraph));
    if (!moduleGraph.empty())
        write(graphScriptOf(kModulesPage), graphScript(moduleGraph));
    progress(kModulesPage);
    write(kAssetsFolder + QStringLiteral("/quillon.css"), resource(QStringLiteral("quillon.css")));
    write(kAssetsFolder + QStringLiteral("/quillon.js"), resource(QStringLiteral("quillon.js")));
    write(kAssetsFolder + QStringLiteral("/colours.css"), coloursCss(options));
    write(kAssetsFolder + QStringLiteral("/search-index.js"), searchIndex(entries));
    write(kSiteMarker, QByteArrayLiteral("A site written by Quillon; the next export to this folder replaces it.\n"));
    if (!failure.isEmpty())
        return Outcome<SiteSummary>::failed(failure);
    if (cancelNow()) {
        summary.cancelled = true;
        return summary;
    }
    QString error;
    if (!platform::swapInFolder(work.path(), target, &error))
        return Outcome<SiteSummary>::failed(error);
    // The work folder's name now holds the earlier site, if there was one; it goes with the work folder.
    return summary;
}

} // namespace quillon::html
