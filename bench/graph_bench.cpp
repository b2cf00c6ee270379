// Graph drawing benchmark: the time a picture takes (the DOT text read and laid out by libgvc, the
// SVG written from the layout) for a routine's neighbourhood (callers and callees to depth 2:
// about 15 routines and 20 calls, each a link) and a project's module graph (60 modules in 12
// folders, 200 dependencies), with the layout settings that trade the look of the picture for
// time. The HTML site draws one neighbourhood per routine, and Graphviz draws one graph at a time
// in a process.
//
//   quillon_bench_graph [--runs N]
#include "BenchOptions.h"
#include "platform/GraphLayout.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include <time.h>

using namespace quillon;

namespace {

QByteArray node(const QByteArray& id, const QString& label, const QString& url, const QString& tooltip)
{
    return "  " + id + " [label=" + platform::dotQuoted(label) + ", URL=" + platform::dotQuoted(url)
        + ", tooltip=" + platform::dotQuoted(tooltip) + "];\n";
}

std::set<std::pair<int, int>> randomEdges(int nodes, int edges, quint32 seed)
{
    QRandomGenerator random(seed);
    std::set<std::pair<int, int>> chosen;
    while (int(chosen.size()) < edges) {
        const int from = random.bounded(nodes);
        const int to = random.bounded(nodes);
        if (from != to)
            chosen.insert({from, to});
    }
    return chosen;
}

QByteArray neighbourhood(const QByteArray& settings)
{
    QByteArray dot = "digraph \"Module1.Routine7\" {\n  node [shape=box, fontname=\"Helvetica\", fontsize=10, "
                     "target=\"_top\"];\n  "
        + settings + "\n";
    for (int i = 0; i < 15; ++i)
        dot += node("r" + QByteArray::number(i), QStringLiteral("Module%1.Routine_%2").arg(i % 5).arg(i),
            QStringLiteral("../routines/Module%1.Routine_%2.html").arg(i % 5).arg(i),
            QStringLiteral("Public Function Routine_%1(ByVal name As String) As Long").arg(i));
    for (const auto& [from, to] : randomEdges(15, 20, 7))
        dot += "  r" + QByteArray::number(from) + " -> r" + QByteArray::number(to) + ";\n";
    return dot + "}\n";
}

// A neighbourhood as the site writes it (html/SiteGraphs.cpp): filled boxes, the routine itself
// marked, straight edges, each box a link with its name as tooltip, left to right.
QByteArray siteNeighbourhood()
{
    QByteArray dot = "digraph neighbourhood {\n  id=\"g-r-Routine_7\";\n  splines=line;\n"
                     "  graph [rankdir=LR, fontname=Helvetica, fontsize=10, nslimit=2, mclimit=0.5];\n"
                     "  node [shape=box, style=filled, fillcolor=\"#f4f6fb\", color=\"#5b6b8c\", "
                     "fontname=Helvetica, fontsize=10, target=\"_top\"];\n"
                     "  edge [color=\"#7a869e\", arrowsize=0.6, fontname=Helvetica, fontsize=9];\n";
    for (int i = 0; i < 15; ++i) {
        const QString name = QStringLiteral("clsModule%1.Routine_%2").arg(i % 5).arg(i);
        dot += "  n" + QByteArray::number(i) + " [label=" + platform::dotQuoted(name) + ", URL="
            + platform::dotQuoted(QStringLiteral("clsModule%1.cls.html#r-Routine_%2").arg(i % 5).arg(i)) + ", tooltip="
            + platform::dotQuoted(name) + (i == 7 ? ", fillcolor=\"#ffe9a8\", penwidth=1.6" : "") + "];\n";
    }
    for (const auto& [from, to] : randomEdges(15, 20, 7))
        dot += "  n" + QByteArray::number(from) + " -> n" + QByteArray::number(to) + ";\n";
    return dot + "}\n";
}

QByteArray moduleGraph(const QByteArray& settings)
{
    QByteArray dot = "digraph \"Project\" {\n  node [shape=box, fontname=\"Helvetica\", fontsize=10, "
                     "target=\"_top\"];\n  "
        + settings + "\n";
    for (int folder = 0; folder < 12; ++folder) {
        dot += "  subgraph cluster_" + QByteArray::number(folder)
            + " {\n  label=" + platform::dotQuoted(QStringLiteral("Folder %1").arg(folder)) + ";\n";
        for (int i = folder * 5; i < folder * 5 + 5; ++i)
            dot += node("m" + QByteArray::number(i), QStringLiteral("Module_%1").arg(i),
                QStringLiteral("../modules/Module_%1.html").arg(i), QStringLiteral("Module_%1.bas").arg(i));
        dot += "  }\n";
    }
    for (const auto& [from, to] : randomEdges(60, 200, 11))
        dot += "  m" + QByteArray::number(from) + " -> m" + QByteArray::number(to) + ";\n";
    return dot + "}\n";
}

double cpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The best and the median processor time of a drawing in milliseconds (other work on the machine
// stretches the wall time, not these), the median wall time, and the picture's size.
void measure(const platform::IGraphLayout& layout, const char* what, const QByteArray& dot, int runs)
{
    std::vector<double> cpu;
    std::vector<double> wall;
    qsizetype bytes = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double before = cpuMilliseconds();
        const platform::GraphPicture picture = layout.drawSvg(dot);
        cpu.push_back(cpuMilliseconds() - before);
        wall.push_back(bench::elapsedSeconds(timer) * 1000);
        if (!picture.ok()) {
            std::printf("  %-38s %s\n", what, qPrintable(picture.error));
            return;
        }
        bytes = picture.svg.size();
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    std::printf("  %-38s %8.2f %8.2f %8.2f %8lld\n", what, cpu.front(), cpu[cpu.size() / 2], wall[wall.size() / 2],
        static_cast<long long>(bytes));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, bench::intOption("--runs", 40));
    QString error;
    QElapsedTimer opening;
    opening.start();
    const std::unique_ptr<platform::IGraphLayout> layout = platform::openGraphvizLayout(&error);
    if (!layout) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf(
        "Graphviz opened (plugins loaded, a first graph drawn) in %.1f ms\n", bench::elapsedSeconds(opening) * 1000);
    const std::pair<const char*, QByteArray> settings[] = {{"default", ""}, {"splines=polyline", "splines=polyline;"},
        {"splines=line", "splines=line;"}, {"splines=false", "splines=false;"},
        {"nslimit=1 mclimit=0.1", "nslimit=1; nslimit1=1; mclimit=0.1;"}, {"remincross=false", "remincross=false;"},
        {"rankdir=LR", "rankdir=LR;"},
        {"splines=line nslimit mclimit", "splines=line; nslimit=1; nslimit1=1; mclimit=0.1;"}};
    std::printf("%-40s %8s %8s %8s %8s\n", "drawSvg, ms per graph:", "best cpu", "cpu", "wall", "bytes");
    std::printf("neighbourhood, 15 routines, 20 calls (%d runs):\n", runs);
    measure(*layout, "as the site draws it", siteNeighbourhood(), runs);
    for (const auto& [what, setting] : settings)
        measure(*layout, what, neighbourhood(setting), runs);
    std::printf("module graph, 60 modules in 12 folders, 200 dependencies (%d runs):\n", std::max(1, runs / 4));
    for (const auto& [what, setting] : settings)
        measure(*layout, what, moduleGraph(setting), std::max(1, runs / 4));
    return 0;
}
