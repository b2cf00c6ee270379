#include "analysis/DependencyIndex.h"
#include "analysis/DependencyReport.h"
#include "analysis/LoopBrackets.h"
#include "analysis/SymbolTable.h"
#include "formimage/FormImagePictures.h"
#include "html/HtmlText.h"
#include "html/SiteGraphs.h"
#include "html/SitePage.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "platform/GraphLayout.h"
#include "print/Highlight.h"

#include <QHash>
#include <QSet>

#include <optional>

namespace quillon::html {

using namespace quillon::model;
namespace colour = print::colour;

namespace {

const QString kUnbalancedPrefix = QStringLiteral("'*** Unbalanced block: ");

// A panel shows the chains two calls deep, as the neighbourhood picture does; each entry is a
// link, so a reader goes further by following it. Whole chains reach every routine a routine
// leads to, and on a large project that is the project itself, once per routine.
constexpr int kPanelChainDepth = 2;

// What a coloured symbol is, for its tooltip.
QString categoryOf(int colourIndex)
{
    switch (colourIndex) {
    case colour::Constant:
        return QStringLiteral("Constant");
    case colour::Global:
        return QStringLiteral("Global level variable");
    case colour::ModuleVariable:
        return QStringLiteral("Module specific variable");
    case colour::ByRef:
        return QStringLiteral("Procedure ByRef variable");
    case colour::ProcedureName:
        return QStringLiteral("Procedure name");
    default:
        return QString();
    }
}

// The drawing of a connector in the two columns it stands in.
QStringView connectorText(ListingMark kind)
{
    switch (kind) {
    case ListingMark::Corner:
        return u"\u250C\u2500";
    case ListingMark::Tee:
        return u"\u251C\u2500";
    case ListingMark::Last:
        return u"\u2514\u2500";
    case ListingMark::Vertical:
        return u"\u2502 ";
    default:
        return u"  ";
    }
}

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Calls visit(start, end) for each name in the code of a line masked for the call scan (its
// strings and comment blanked).
template <typename Visit>
void forEachIdentifier(QStringView masked, Visit visit)
{
    const qsizetype size = masked.size();
    for (qsizetype i = 0; i < size;) {
        if (!isIdentifierStart(masked[i]) || (i > 0 && isIdentifierPart(masked[i - 1]))) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < size && isIdentifierPart(masked[end]))
            ++end;
        visit(i, end);
        i = end;
    }
}

// Where a connector stands in the line as shown, its tabs expanded.
qsizetype shownColumn(const ListingLine& line, const Connector& connector, int tabWidth)
{
    const qsizetype column = std::clamp<qsizetype>(connector.column, 0, line.text.size());
    return print::expandTabs(QStringView(line.text).first(column), tabWidth).size();
}

// Whether the name at start..end of a masked line is assigned to ("obj.Name = 1", "Set Name = x"),
// and if so whether by Set: a property's Let or Set procedure runs then, not its Get.
std::optional<bool> assignment(const QString& masked, qsizetype start, qsizetype end)
{
    qsizetype after = end;
    while (after < masked.size() && masked[after] == QLatin1Char(' '))
        ++after;
    if (after >= masked.size() || masked[after] != QLatin1Char('='))
        return std::nullopt;
    const qsizetype statement = masked.lastIndexOf(QLatin1Char(':'), start) + 1;
    QStringView before = trimBlanks(QStringView(masked).sliced(statement, start - statement));
    bool set = false;
    for (const QLatin1StringView word : {QLatin1StringView("Set "), QLatin1StringView("Let ")}) {
        if (before.startsWith(word, Qt::CaseInsensitive)) {
            set = word.front() == QLatin1Char('S');
            before = trimBlanks(before.sliced(word.size()));
        }
    }
    // Nothing but the object the name belongs to: a comparison has more in front of it.
    if (!before.isEmpty() && (!before.endsWith(QLatin1Char('.')) || before.contains(QLatin1Char(' '))))
        return std::nullopt;
    return set;
}

struct LinkRun {
    qsizetype start;
    qsizetype end; // one past
    QString href;
};

// One page being written: the file's lines and what every line of it needs.
class PageWriter {
public:
    PageWriter(const SiteContext& site, const SiteFile& file, const FilePage& page, const QStringList& lines)
        : site_(site), file_(file), page_(page), lines_(lines), reporter_(*site.index, site.tabWidth, kPanelChainDepth)
    { }

    // Returns the anchor and title of each record written, for the page's contents.
    std::vector<std::pair<QString, QString>> writeRecords(QString& out, RenderedPage& rendered);

private:
    bool writeImage(QString& out, const Routine& routine, RenderedPage& rendered);
    void writeCode(QString& out, const Routine& routine);
    void writeLine(QString& out, int number, const ListingLine& line, const Routine& routine);
    std::vector<LinkRun> callLinks(const QString& masked, const Routine& routine);
    void writeFacts(QString& out, const Routine& routine, RenderedPage& rendered);
    void writeReport(QString& out, const Routine& routine);
    void addSymbolEntries(const Routine& declarations, RenderedPage& rendered);

    const SiteContext& site_;
    const SiteFile& file_;
    const FilePage& page_;
    const QStringList& lines_;
    analysis::DependencyReporter reporter_;
    // What a routine's call candidates reach (upper-cased candidate -> key and href; none when
    // the site does not show it or it is the routine itself).
    struct Callee {
        QString key;
        QString href;
    };
    QHash<QString, Callee> calleeKeys_;
    QHash<QString, QString> factsByKey_; // the panel written for each key, by dependency key
};

std::vector<std::pair<QString, QString>> PageWriter::writeRecords(QString& out, RenderedPage& rendered)
{
    std::vector<std::pair<QString, QString>> written;
    const QString fileName = file_.file->fileName;
    for (const RoutinePtr& pointer : page_.routines) {
        const Routine& routine = *pointer;
        const QString anchor = SiteMap::anchorOf(routine);
        if (routine.kind == RoutineKind::Image) {
            // A form of menus and timers alone has nothing to draw.
            if (writeImage(out, routine, rendered))
                written.emplace_back(anchor, QStringLiteral("Image"));
            continue;
        }
        written.emplace_back(anchor,
            routine.kind == RoutineKind::Layout ? QStringLiteral("Layout")
                : routine.isDeclarations        ? QStringLiteral("Declarations")
                                                : SiteMap::displayName(routine));
        const bool procedure = !isPseudoRoutine(routine);
        out += QStringLiteral("<section class=\"record\" id=\"") + anchor + QStringLiteral("\">\n<h2>");
        if (procedure) {
            out += QStringLiteral("<span class=\"kind\">") + escapeHtml(scopeAndKindText(routine.sigLineText))
                + QStringLiteral("</span> ");
            out += escapeHtml(SiteMap::displayName(routine));
            rendered.entries.push_back(
                {SiteMap::displayName(routine), kindTextOf(routine), fileName, page_.name + QLatin1Char('#') + anchor});
        } else {
            out += routine.kind == RoutineKind::Layout ? QStringLiteral("Layout") : QStringLiteral("Declarations");
        }
        out += QStringLiteral(" <a class=\"lines\" href=\"#L") + QString::number(routine.startLine)
            + QStringLiteral("\">lines ") + QString::number(routine.startLine) + QStringLiteral("\u2013")
            + QString::number(routine.endLine) + QStringLiteral("</a></h2>\n<div class=\"record-body\">\n");
        writeCode(out, routine);
        writeFacts(out, routine, rendered);
        out += QStringLiteral("</div>\n</section>\n");
        if (routine.kind == RoutineKind::Declarations)
            addSymbolEntries(routine, rendered);
    }
    return written;
}

bool PageWriter::writeImage(QString& out, const Routine& routine, RenderedPage& rendered)
{
    if (!site_.pictures || !site_.options)
        return false;
    std::unique_ptr<platform::ISvgPageSurface> surface = site_.pictures();
    if (!surface)
        return false;
    const std::vector<QByteArray> pictures =
        formimage::formImagePictures(routine, site_.project->reader(), *site_.options, *surface, nullptr);
    if (pictures.empty()) {
        rendered.notes << QStringLiteral("no image of ") + file_.file->fileName;
        return false;
    }
    out += QStringLiteral("<section class=\"image\" id=\"image\">\n<h2>Image</h2>\n");
    for (size_t i = 0; i < pictures.size(); ++i) {
        out += QStringLiteral("<figure class=\"picture\">");
        out += QString::fromUtf8(pictures[i]);
        out += QStringLiteral("<figcaption>Page ") + QString::number(i + 1) + QStringLiteral(" of ")
            + QString::number(pictures.size()) + QStringLiteral("</figcaption></figure>\n");
    }
    out += QStringLiteral("</section>\n");
    return true;
}

void PageWriter::writeCode(QString& out, const Routine& routine)
{
    const int first = std::max(1, int(routine.startLine));
    const int last = std::min(int(routine.endLine), int(lines_.size()));
    calleeKeys_.clear();
    out += QStringLiteral("<pre class=\"code\">");
    if (site_.brackets && first <= last) {
        const std::vector<ListingLine> listing = analysis::buildBracketListing(lines_, first, last);
        qsizetype extra = qsizetype(listing.size()) - (last - first + 1);
        int number = first;
        for (const ListingLine& line : listing) {
            if (extra > 0 && line.connectors.empty() && trimBlanks(line.text).startsWith(kUnbalancedPrefix)) {
                --extra;
                writeLine(out, 0, line, routine);
            } else {
                writeLine(out, number++, line, routine);
            }
        }
    } else {
        for (int n = first; n <= last; ++n)
            writeLine(out, n, ListingLine(lines_[n - 1]), routine);
    }
    out += QStringLiteral("</pre>\n");
}

std::vector<LinkRun> PageWriter::callLinks(const QString& masked, const Routine& routine)
{
    std::vector<LinkRun> links;
    if (isPseudoRoutine(routine) && routine.kind != RoutineKind::Declarations)
        return links;
    const QString own = dependencyKey(&routine);
    QHash<QString, Callee> keys;
    for (const QString& candidate : analysis::callCandidates(masked)) {
        auto known = calleeKeys_.constFind(candidate);
        if (known == calleeKeys_.cend()) {
            Callee callee;
            callee.key = upperCase(trimBlanks(site_.index->calleeOf(routine.moduleName, candidate)));
            if (callee.key != own)
                callee.href = site_.map->hrefOfKey(callee.key);
            known = calleeKeys_.insert(candidate, callee);
        }
        if (!known->href.isEmpty())
            keys.insert(candidate, *known);
    }
    if (keys.isEmpty())
        return links;
    forEachIdentifier(masked, [&](qsizetype start, qsizetype end) {
        const auto key = keys.constFind(upperCase(QStringView(masked).sliced(start, end - start)));
        if (key == keys.cend())
            return;
        const std::optional<bool> assigned = assignment(masked, start, end);
        links.push_back({start, end, assigned ? site_.map->hrefOfAssignment(key->key, *assigned) : key->href});
    });
    return links;
}

void PageWriter::writeLine(QString& out, int number, const ListingLine& line, const Routine& routine)
{
    const QString shown = print::expandTabs(line.text, site_.tabWidth);
    if (number > 0) {
        const QString n = QString::number(number);
        out += QStringLiteral("<span class=\"l\" id=\"L") + n + QStringLiteral("\"><a class=\"n\" href=\"#L") + n
            + QStringLiteral("\">") + n + QStringLiteral("</a>");
    } else {
        out += QStringLiteral("<span class=\"l note\"><span class=\"n\"></span>");
    }
    // Where the brackets are drawn, in the columns of the expanded text.
    std::vector<std::pair<qsizetype, ListingMark>> connectors;
    for (const Connector& connector : line.connectors)
        connectors.emplace_back(shownColumn(line, connector, site_.tabWidth), connector.kind);
    print::HighlightContext context;
    context.symbols = site_.symbols;
    context.file = routine.filePath;
    context.routineName = routine.routineName;
    context.isDeclarations = routine.isDeclarations;
    const std::vector<print::Segment> segments = print::buildHighlightSegments(shown, context);
    const std::vector<LinkRun> links = callLinks(analysis::maskForCallScan(shown), routine);

    const qsizetype size = shown.size();
    size_t segment = 0;
    size_t link = 0;
    size_t connector = 0;
    qsizetype i = 0;
    while (i < size) {
        if (connector < connectors.size() && connectors[connector].first == i) {
            out += QStringLiteral("<span class=\"k\">");
            out += connectorText(connectors[connector].second);
            out += QStringLiteral("</span>");
            i += 2;
            ++connector;
            continue;
        }
        while (segment < segments.size() && segments[segment].end < i + 1)
            ++segment;
        while (link < links.size() && links[link].end <= i)
            ++link;
        const bool inSegment = segment < segments.size() && segments[segment].start <= i + 1;
        const int colourIndex = inSegment ? segments[segment].colour : colour::Normal;
        const bool inLink = link < links.size() && links[link].start <= i;
        // The run ends where the colour, the link or a connector changes.
        qsizetype end = size;
        if (inSegment)
            end = std::min<qsizetype>(end, segments[segment].end);
        else if (segment < segments.size())
            end = std::min<qsizetype>(end, segments[segment].start - 1);
        if (inLink)
            end = std::min(end, links[link].end);
        else if (link < links.size())
            end = std::min(end, links[link].start);
        if (connector < connectors.size())
            end = std::min(end, connectors[connector].first);
        end = std::max(end, i + 1);
        if (inLink)
            out += QStringLiteral("<a class=\"call\" href=\"") + links[link].href + QStringLiteral("\">");
        const bool coloured = colourIndex != colour::Normal && colourIndex != colour::LongLineBand;
        if (coloured) {
            out += QStringLiteral("<span class=\"c") + QString::number(colourIndex) + QLatin1Char('"');
            const QString category = categoryOf(colourIndex);
            if (!category.isEmpty())
                out += QStringLiteral(" title=\"") + category + QLatin1Char('"');
            out += QLatin1Char('>');
        }
        appendEscaped(out, QStringView(shown).sliced(i, end - i));
        if (coloured)
            out += QStringLiteral("</span>");
        if (inLink)
            out += QStringLiteral("</a>");
        i = end;
    }
    out += QStringLiteral("</span>");
}

void PageWriter::writeFacts(QString& out, const Routine& routine, RenderedPage& rendered)
{
    if (isPseudoRoutine(routine))
        return;
    const QString key = dependencyKey(&routine);
    // A property's Get, Let and Set share their key, and so their report, metrics and picture.
    if (const auto known = factsByKey_.constFind(key); known != factsByKey_.cend()) {
        out += *known;
        return;
    }
    const qsizetype start = out.size();
    out += QStringLiteral("<aside class=\"facts\">\n");
    writeReport(out, routine);
    if (const analysis::OrderedKeyList* api = site_.index->apiCalls(key)) {
        out += QStringLiteral("<div class=\"api\"><h3>API calls</h3>\n<ul>\n");
        for (const QString& name : api->items()) {
            const QStringList parts = site_.index->declarationText(name).split(QLatin1Char('|'));
            out += QStringLiteral("<li><code>") + escapeHtml(name) + QStringLiteral("</code>");
            if (parts.size() > 1)
                out += QStringLiteral(" in <code>") + escapeHtml(parts[1]) + QStringLiteral("</code>");
            out += QStringLiteral("</li>\n");
        }
        out += QStringLiteral("</ul></div>\n");
    }
    // The key's routine is of this file: its lines are at hand.
    if (const RoutinePtr indexed = site_.index->routineFor(key)) {
        const analysis::RoutineMetrics m = analysis::metricsOf(*site_.index, key, *indexed, lines_);
        out += QStringLiteral("<div class=\"metrics\"><h3>Metrics</h3>\n<table>\n");
        const std::pair<const char*, int> rows[] = {{"Code lines", m.codeLines}, {"Comment lines", m.commentLines},
            {"Blank lines", m.blankLines}, {"Callers", m.fanIn}, {"Callees", m.fanOut}, {"API calls", m.apiCalls},
            {"Decision points", m.decisions}, {"Cyclomatic complexity", m.complexity()},
            {"Deepest nesting", m.nesting}};
        for (const auto& [label, value] : rows) {
            out += QStringLiteral("<tr><th>") + QLatin1String(label) + QStringLiteral("</th><td>")
                + QString::number(value) + QStringLiteral("</td></tr>\n");
        }
        out += QStringLiteral("</table></div>\n");
    }
    if (site_.graphs) {
        const QString id = QStringLiteral("g-") + SiteMap::anchorOf(routine);
        const QByteArray dot = neighbourhoodDot(*site_.index, *site_.map, key);
        if (!dot.isEmpty()) {
            platform::GraphPicture picture = site_.graphs->drawSvg(dot);
            if (picture.ok()) {
                // The picture waits in the page's graph script until the reader opens it: drawn
                // into every page, the pictures would outweigh the code.
                out += QStringLiteral("<details class=\"graph\" data-graph=\"") + id
                    + QStringLiteral("\"><summary>Callers and callees, two calls deep</summary></details>\n");
                rendered.graphs.emplace_back(id, std::move(picture.svg));
            } else {
                rendered.notes << QStringLiteral("no picture of the calls of ") + SiteMap::displayName(routine)
                        + QStringLiteral(": ") + picture.error;
            }
        }
    }
    out += QStringLiteral("</aside>\n");
    factsByKey_.insert(key, out.sliced(start));
}

// The routine's dependency report as the print gives it, its chains with their connectors and
// each entry naming a routine a link to it.
void PageWriter::writeReport(QString& out, const Routine& routine)
{
    const Listing report = reporter_.buildDependencyReport(routine);
    bool open = false;
    bool legend = false;
    for (const ListingLine& line : report.lines) {
        const QStringView trimmed = trimBlanks(line.text);
        QString heading;
        QString cssClass;
        if (trimmed == u"Called by:") {
            heading = QStringLiteral("Called by");
            cssClass = QStringLiteral("called-by");
        } else if (trimmed == u"Calls:") {
            heading = QStringLiteral("Calls");
            cssClass = QStringLiteral("calls");
        } else if (trimmed == u"Files:") {
            heading = QStringLiteral("Files");
            cssClass = QStringLiteral("legend");
        }
        if (!heading.isEmpty()) {
            if (open)
                out += QStringLiteral("</pre></div>\n");
            out += QStringLiteral("<div class=\"") + cssClass + QStringLiteral("\"><h3>") + heading
                + QStringLiteral("</h3><pre class=\"report\">");
            open = true;
            legend = cssClass == QLatin1String("legend");
            continue;
        }
        if (!open || (line.isEmpty() && line.connectors.empty()))
            continue;
        QString shown = print::expandTabs(line.text, site_.tabWidth);
        // "File A = PATH|MODULE": the path from the project's folder, as everywhere on the site.
        if (const qsizetype equals = shown.indexOf(QLatin1String(" = ")), bar = shown.lastIndexOf(QLatin1Char('|'));
            legend && equals > 0 && bar > equals + 3)
            shown = shown.first(equals + 3) + shownPath(site_, shown.sliced(equals + 3, bar - equals - 3))
                + shown.sliced(bar);
        qsizetype at = 0;
        for (const Connector& connector : line.connectors) {
            const qsizetype column = shownColumn(line, connector, site_.tabWidth);
            if (column < at || column > shown.size())
                continue;
            appendEscaped(out, QStringView(shown).sliced(at, column - at));
            out += connectorText(connector.kind);
            at = std::min(column + 2, shown.size());
        }
        const QString href = line.link.isEmpty() ? QString() : site_.map->hrefOfKey(line.link);
        const QStringView rest = QStringView(shown).sliced(at);
        const QStringView restText = trimLeadingBlanks(rest);
        if (restText.startsWith(QLatin1String("[Chain truncated at "))) {
            appendEscaped(out, rest.first(rest.size() - restText.size()));
            out += QStringLiteral("<span class=\"more\" title=\"Deeper calls: follow the link above\">\u2026</span>\n");
            continue;
        }
        if (href.isEmpty()) {
            appendEscaped(out, rest);
        } else {
            const qsizetype text = rest.size() - trimLeadingBlanks(rest).size();
            appendEscaped(out, rest.first(text));
            out += QStringLiteral("<a href=\"") + href + QStringLiteral("\">");
            appendEscaped(out, rest.sliced(text));
            out += QStringLiteral("</a>");
        }
        out += QLatin1Char('\n');
    }
    if (open)
        out += QStringLiteral("</pre></div>\n");
}

// The constants and variables the Declarations declare, as spelt where each first appears.
void PageWriter::addSymbolEntries(const Routine& declarations, RenderedPage& rendered)
{
    const analysis::SymbolTable& symbols = *site_.symbols;
    const QString& path = declarations.filePath;
    const analysis::NameSet* sets[] = {
        symbols.fileConsts().find(path), symbols.fileGlobals().find(path), symbols.fileModVars().find(path)};
    const QString kinds[] = {QStringLiteral("Constant"), QStringLiteral("Global level variable"),
        QStringLiteral("Module specific variable")};
    QSet<QString> seen;
    const int last = std::min(int(declarations.endLine), int(lines_.size()));
    for (int n = std::max(1, int(declarations.startLine)); n <= last; ++n) {
        const QString masked = analysis::maskForCallScan(lines_[n - 1]);
        forEachIdentifier(masked, [&](qsizetype start, qsizetype end) {
            const QString name = masked.sliced(start, end - start);
            const QString normal = analysis::normalizeName(name);
            if (seen.contains(normal))
                return;
            for (int s = 0; s < 3; ++s) {
                if (sets[s] && sets[s]->contains(normal)) {
                    seen.insert(normal);
                    rendered.entries.push_back(
                        {name, kinds[s], file_.file->fileName, page_.name + QStringLiteral("#L") + QString::number(n)});
                    return;
                }
            }
        });
    }
}

QString fileKindName(const ProjectFile& file)
{
    switch (sourceKindOfType(file.fileType())) {
    case SourceKind::Form:
        return QStringLiteral("Form");
    case SourceKind::Module:
        return QStringLiteral("Module");
    case SourceKind::Class:
        return QStringLiteral("Class module");
    case SourceKind::UserControl:
        return QStringLiteral("User control");
    case SourceKind::PropertyPage:
        return QStringLiteral("Property page");
    case SourceKind::UserDocument:
        return QStringLiteral("User document");
    case SourceKind::Designer:
        return QStringLiteral("Designer");
    default:
        return QStringLiteral("Source file");
    }
}

} // namespace

RenderedPage renderFilePage(const SiteContext& site, const SiteFile& file, int pageIndex)
{
    const FilePage& page = file.pages[size_t(pageIndex)];
    const ProjectFile& source = *file.file;
    RenderedPage rendered;
    QString title = source.fileName;
    if (page.parts > 1)
        title += QStringLiteral(" (part ") + QString::number(page.part) + QStringLiteral(" of ")
            + QString::number(page.parts) + QLatin1Char(')');
    QString out = pageStart(site, title, graphScriptOf(page.name));
    out += QStringLiteral("<h1>") + escapeHtml(source.fileName) + QStringLiteral(" <span class=\"kind\">")
        + fileKindName(source) + QStringLiteral("</span></h1>\n<p class=\"path\">")
        + escapeHtml(shownPath(site, source.filePath)) + QStringLiteral("</p>\n");
    if (page.parts > 1) {
        out += QStringLiteral("<nav class=\"parts\">Parts:");
        for (const FilePage& other : file.pages) {
            out += QLatin1Char(' ');
            if (&other == &page)
                out += QStringLiteral("<strong>") + QString::number(other.part) + QStringLiteral("</strong>");
            else
                out += QStringLiteral("<a href=\"") + other.name + QStringLiteral("\">") + QString::number(other.part)
                    + QStringLiteral("</a>");
        }
        out += QStringLiteral("</nav>\n");
    }
    if (pageIndex == 0)
        rendered.entries.push_back(
            {source.fileName, fileKindName(source), shownPath(site, source.filePath), page.name});
    QString records;
    std::vector<std::pair<QString, QString>> written;
    // The index keeps every file's lines from the load; a file it lacks is read now.
    const QStringList* indexed = site.index->fileLines(source.filePath);
    const Outcome<SourceFile> read =
        indexed ? Outcome<SourceFile>(SourceFile {}) : site.project->reader().read(source.filePath);
    if (!read) {
        records += QStringLiteral("<p class=\"problem\">This file could not be read: ")
            + escapeHtml(read.failure().message) + QStringLiteral("</p>\n");
        rendered.notes << QStringLiteral("cannot read ") + source.filePath + QStringLiteral(": ")
                + read.failure().message;
    } else {
        PageWriter writer(site, file, page, indexed ? *indexed : read.value().lines);
        written = writer.writeRecords(records, rendered);
    }
    // The contents of the page, for a file of many routines: what was written, nothing more.
    out += QStringLiteral("<nav class=\"contents\"><h2>Contents</h2><ul>\n");
    for (const auto& [anchor, label] : written)
        out += QStringLiteral("<li><a href=\"#") + anchor + QStringLiteral("\">") + escapeHtml(label)
            + QStringLiteral("</a></li>\n");
    out += QStringLiteral("</ul></nav>\n<main>\n") + records + QStringLiteral("</main>\n");
    out += pageEnd();
    rendered.html = out.toUtf8();
    return rendered;
}

} // namespace quillon::html
