#include "platform/GraphLayout.h"

#include "GraphSvg.h"

#include <QStringList>

#include <graphviz/gvc.h>
#include <graphviz/gvplugin.h>

#include <mutex>

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

// The one plugin a picture needs, linked in rather than loaded from the plugin folder: the
// picture is written from the layout here, so no renderer. Without a text layout plugin Graphviz
// measures labels by its own tables, which keeps the font library out of every label (a third of
// the drawing's time) and gives the same sizes on every machine.
extern "C" {
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
}

lt_symlist_t builtinPlugins[] = {
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
        if (gvLayout(context_, graph.get(), "dot") != 0)
            return failure(QStringLiteral("Graphviz could not lay the graph out"));
        GraphPicture picture {svgOfLayout(graph.get()), {}};
        gvFreeLayout(context_, graph.get());
        return picture;
    }

private:
    GVC_t* context_ = nullptr;
};

} // namespace

std::unique_ptr<IGraphLayout> openGraphvizLayout(QString* error)
{
    auto layout = std::make_unique<GraphvizLayout>();
    // Graphviz looks for its layout among the plugins when it is first asked for: a small graph
    // drawn now tells whether it is there.
    const GraphPicture trial = layout->hasContext() ? layout->drawSvg("digraph { a -> b }")
                                                    : GraphPicture {{}, QStringLiteral("it could not start")};
    if (trial.ok())
        return layout;
    if (error)
        *error = QStringLiteral("Graphviz cannot draw graphs (%1). Its \"dot\" layout is a plugin in %2 (or the "
                                "folder GVBINDIR names), listed in its file config6a, which \"dot -c\" run as root "
                                "writes again.")
                     .arg(trial.error, QStringLiteral(QUILLON_GRAPHVIZ_PLUGINS));
    return nullptr;
}

} // namespace quillon::platform
