#include "platform/GraphLayout.h"

#include <QStringList>

#include <graphviz/gvc.h>
#include <graphviz/gvplugin.h>

#include <mutex>
#include <vector>

namespace quillon::platform {

namespace {

// Graphviz keeps its parser, its error reporting and parts of its layout in globals: every use
// of it in the process, whichever object makes it, holds this lock.
std::mutex& graphvizLock()
{
    static std::mutex lock;
    return lock;
}

// What Graphviz reports while the lock is held (it hands a message over in pieces).
QByteArray& reportedText()
{
    static QByteArray text;
    return text;
}

int gatherReport(char* piece)
{
    reportedText().append(piece);
    return 0;
}

// Graphviz's reports go to reportedText instead of the terminal while this lives (the lock held).
class ReportCapture {
public:
    ReportCapture() : previousHandler_(agseterrf(gatherReport)), previousLevel_(agseterr(AGWARN))
    {
        reportedText().clear();
    }
    ~ReportCapture()
    {
        agseterrf(previousHandler_);
        agseterr(previousLevel_);
    }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    // The errors reported, or the warnings when there were none, on one line.
    static QString summary()
    {
        QStringList errors;
        QStringList warnings;
        QStringList* current = &errors;
        const QList<QByteArray> lines = reportedText().split('\n');
        for (const QByteArray& line : lines) {
            QString text = QString::fromUtf8(line).trimmed();
            if (text.startsWith(QLatin1String("Error:"))) {
                current = &errors;
                text = text.mid(6).trimmed();
            } else if (text.startsWith(QLatin1String("Warning:"))) {
                current = &warnings;
                text = text.mid(8).trimmed();
            }
            // The parser quotes the text near a syntax error as it is, control characters and all.
            for (QChar& c : text)
                if (!c.isPrint())
                    c = u'?';
            if (!text.isEmpty())
                *current += text;
        }
        QStringList& told = errors.isEmpty() ? warnings : errors;
        // A graph of thousands of bad lines says so in every one of them.
        constexpr qsizetype kShown = 5;
        if (told.size() > kShown) {
            const qsizetype more = told.size() - kShown;
            told.resize(kShown);
            told += QStringLiteral("and %1 more").arg(more);
        }
        return told.join(QLatin1String("; "));
    }

private:
    agusererrf previousHandler_;
    agerrlevel_t previousLevel_;
};

GraphPicture failure(const QString& what)
{
    const QString reported = ReportCapture::summary();
    return {{}, reported.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reported)};
}

// The attributes Graphviz writes as xlink:href. It copies their values into the SVG as they are,
// so a "<" or a quote in a URL would break the picture; written as entities they come out right
// (later versions of Graphviz leave an entity as it is).
bool isLinkAttribute(const char* name)
{
    static constexpr const char* kLinks[] = {
        "URL", "href", "edgeURL", "edgehref", "headURL", "headhref", "tailURL", "tailhref", "labelURL", "labelhref"};
    for (const char* link : kLinks)
        if (qstrcmp(name, link) == 0)
            return true;
    return false;
}

void escapeLinks(void* object, const std::vector<Agsym_t*>& links)
{
    for (Agsym_t* link : links) {
        const QByteArray value(agxget(object, link));
        QByteArray escaped = QString::fromUtf8(value).toHtmlEscaped().replace(u'\'', QLatin1String("&#39;")).toUtf8();
        if (escaped != value)
            agxset(object, link, escaped.data()); // copied
    }
}

std::vector<Agsym_t*> linkAttributes(Agraph_t* graph, int kind)
{
    std::vector<Agsym_t*> links;
    for (Agsym_t* symbol = agnxtattr(graph, kind, nullptr); symbol; symbol = agnxtattr(graph, kind, symbol))
        if (isLinkAttribute(symbol->name))
            links.push_back(symbol);
    return links;
}

void escapeGraphLinks(Agraph_t* graph, const std::vector<Agsym_t*>& links)
{
    escapeLinks(graph, links);
    for (Agraph_t* sub = agfstsubg(graph); sub; sub = agnxtsubg(sub))
        escapeGraphLinks(sub, links);
}

void escapeAllLinks(Agraph_t* root)
{
    const std::vector<Agsym_t*> graphLinks = linkAttributes(root, AGRAPH);
    if (!graphLinks.empty())
        escapeGraphLinks(root, graphLinks);
    const std::vector<Agsym_t*> nodeLinks = linkAttributes(root, AGNODE);
    const std::vector<Agsym_t*> edgeLinks = linkAttributes(root, AGEDGE);
    if (nodeLinks.empty() && edgeLinks.empty())
        return;
    for (Agnode_t* node = agfstnode(root); node; node = agnxtnode(root, node)) {
        escapeLinks(node, nodeLinks);
        for (Agedge_t* edge = agfstout(root, node); edge; edge = agnxtout(root, edge))
            escapeLinks(edge, edgeLinks);
    }
}

// The picture as a page holds it: from the <svg> element on, without the comments (they name
// the graph and Graphviz's version), the stand-ins of dotQuoted turned back. One pass, copying
// runs of plain text: a module graph has a comment for each of hundreds of nodes and edges.
QByteArray pictureForPage(const QByteArray& written)
{
    const qsizetype start = written.indexOf("<svg");
    if (start < 0)
        return {};
    const QByteArray backslash = QString(QChar(kDotBackslash)).toUtf8();
    const QByteArray ampersand = QString(QChar(kDotAmpersand)).toUtf8();
    const QByteArrayView rest = QByteArrayView(written).sliced(start);
    QByteArray svg;
    svg.reserve(rest.size());
    qsizetype copied = 0;
    for (qsizetype at = 0; at < rest.size(); ++at) {
        if (rest[at] != '<' && rest[at] != backslash[0])
            continue;
        const QByteArrayView here = rest.sliced(at);
        qsizetype past = at;
        QByteArrayView instead;
        if (here.startsWith("<!--")) {
            const qsizetype end = rest.indexOf("-->", at);
            past = end < 0 ? rest.size() : end + 3;
            if (past < rest.size() && rest[past] == '\n')
                ++past;
        } else if (here.startsWith(backslash)) {
            past = at + backslash.size();
            instead = "\\";
        } else if (here.startsWith(ampersand)) {
            past = at + ampersand.size();
            instead = "&amp;";
        } else {
            continue;
        }
        svg.append(rest.sliced(copied, at - copied)).append(instead);
        copied = past;
        at = past - 1;
    }
    return svg.append(rest.sliced(copied));
}

// Graphviz gives an unnamed graph an internal name ("%3") and writes it as the title of the
// whole picture, which a browser shows over all of it.
void removeInternalTitle(QByteArray& svg)
{
    const qsizetype title = svg.indexOf("<title>%");
    const qsizetype end = svg.indexOf("</title>", title);
    if (title >= 0 && end >= 0)
        svg.remove(title, end + 8 - title + (end + 8 < svg.size() && svg[end + 8] == '\n' ? 1 : 0));
}

// The two plugins a picture needs, linked in rather than loaded from the plugin folder: without
// a text layout plugin Graphviz measures labels by its own tables, which keeps the font library out
// of every label (a third of the drawing's time) and gives the same sizes on every machine.
extern "C" {
extern gvplugin_library_t gvplugin_core_LTX_library;
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
}

lt_symlist_t builtinPlugins[] = {
    {"gvplugin_core_LTX_library", &gvplugin_core_LTX_library},
    {"gvplugin_dot_layout_LTX_library", &gvplugin_dot_layout_LTX_library},
    {nullptr, nullptr},
};

struct GraphCloser {
    void operator()(Agraph_t* graph) const { agclose(graph); }
};

class GraphvizLayout final : public IGraphLayout {
public:
    GraphvizLayout()
    {
        const std::lock_guard hold(graphvizLock());
        const ReportCapture capture;
        context_ = gvContextPlugins(builtinPlugins, 0);
    }
    ~GraphvizLayout() override
    {
        const std::lock_guard hold(graphvizLock());
        const ReportCapture capture;
        if (context_)
            gvFreeContext(context_);
    }
    GraphvizLayout(const GraphvizLayout&) = delete;
    GraphvizLayout& operator=(const GraphvizLayout&) = delete;

    bool hasContext() const { return context_ != nullptr; }

    GraphPicture drawSvg(const QByteArray& dot) const override
    {
        if (dot.trimmed().isEmpty())
            return {{}, QStringLiteral("the DOT text is empty")};
        if (dot.contains('\0'))
            return {{}, QStringLiteral("the DOT text holds a NUL character")};
        const std::lock_guard hold(graphvizLock());
        const ReportCapture capture;
        const std::unique_ptr<Agraph_t, GraphCloser> graph(agmemread(dot.constData()));
        if (!graph)
            return failure(QStringLiteral("the DOT text does not parse"));
        escapeAllLinks(graph.get());
        if (gvLayout(context_, graph.get(), "dot") != 0)
            return failure(QStringLiteral("Graphviz could not lay the graph out"));
        char* data = nullptr;
        unsigned int length = 0;
        // The core SVG renderer by name: it is the one that writes links (the cairo one does not).
        const int rendered = gvRenderData(context_, graph.get(), "svg:svg:core", &data, &length);
        const QByteArray written(data, data ? qsizetype(length) : 0);
        gvFreeRenderData(data);
        gvFreeLayout(context_, graph.get());
        if (rendered != 0)
            return failure(QStringLiteral("Graphviz could not draw the graph as SVG"));
        GraphPicture picture {pictureForPage(written), {}};
        if (picture.svg.isEmpty())
            return failure(QStringLiteral("Graphviz wrote no SVG picture"));
        if (QByteArray(agnameof(graph.get())).startsWith('%'))
            removeInternalTitle(picture.svg);
        return picture;
    }

private:
    GVC_t* context_ = nullptr;
};

} // namespace

std::unique_ptr<IGraphLayout> openGraphvizLayout(QString* error)
{
    auto layout = std::make_unique<GraphvizLayout>();
    // Graphviz loads its layouts and renderers from plugins when they are first asked for: a
    // small graph drawn now tells whether they are there.
    const GraphPicture trial = layout->hasContext() ? layout->drawSvg("digraph { a -> b }")
                                                    : GraphPicture {{}, QStringLiteral("it could not start")};
    if (trial.ok())
        return layout;
    if (error)
        *error = QStringLiteral("Graphviz cannot draw graphs (%1). Its \"dot\" layout and SVG renderer are plugins "
                                "in %2 (or the folder GVBINDIR names), listed in its file config6a, which \"dot -c\" "
                                "run as root writes again.")
                     .arg(trial.error, QStringLiteral(QUILLON_GRAPHVIZ_PLUGINS));
    return nullptr;
}

} // namespace quillon::platform
