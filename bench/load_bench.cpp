// Load benchmark: writes a synthetic project shaped like a large real one (RealShapedProject)
// and times the headless part of File | Open: reading and splitting every file (phase 1) alone,
// and the whole load with the analysis (symbol tables, phase 1 registrations, the phase 2 call
// scan), on every core and on one thread.
//
//   quillon_bench_load [--lines N] [--runs N] [--keep DIR]
//
// It prints the proportions the project achieved. With --keep the project is written to DIR and
// left there (bench/run.sh times the command line on it); otherwise it goes to a temporary
// folder that is removed. --runs 0 only writes the project. After the main project it times a
// project of one module with 20,000 routines.
#include "BenchOptions.h"
#include "RealShapedProject.h"
#include "analysis/ProjectAnalysis.h"
#include "model/DiagLog.h"
#include "model/ProjectLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace quillon::model;

struct Timing {
    double median = 0;
    double best = 0;
    qsizetype routines = 0;
    qsizetype indexed = 0;
};

// jobs: the load's thread setting (0: one per core).
Timing timeOpen(const QString& vbp, int runs, bool withAnalysis, int jobs = 0)
{
    DiagLog quietLog {QString()}; // the benchmark measures loading, not logging
    const SourceReader reader(CodePage::standard(), &quietLog);
    std::vector<double> seconds;
    Timing timing;
    for (int run = 0; run < runs; ++run) {
        Project project(reader);
        project.jobs = jobs;
        quillon::analysis::ProjectAnalysis analysis(reader);
        if (withAnalysis)
            project.analysis = &analysis;
        QElapsedTimer timer;
        timer.start();
        project.openProject(vbp);
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        timing.routines = 0;
        for (const auto& entry : project.routinesByFile.entries())
            timing.routines += qsizetype(entry.second.size());
        timing.indexed = analysis.dependencies.routineMap().size();
    }
    std::sort(seconds.begin(), seconds.end());
    timing.median = seconds[seconds.size() / 2];
    timing.best = seconds.front();
    return timing;
}

void report(const char* what, int lines, const Timing& t, int runs)
{
    std::printf("%-44s median %.3f s, best %.3f s over %d runs; %lld routines, %lld indexed; %.0f lines/s\n", what,
        t.median, t.best, runs, static_cast<long long>(t.routines), static_cast<long long>(t.indexed),
        lines / t.median);
}

// One module with the given number of small routines, each calling the one before.
int generateOneModule(const QString& folder, int routines)
{
    QDir().mkpath(folder);
    QByteArray out = "Attribute VB_Name = \"modHuge\"\r\nOption Explicit\r\n";
    int lines = 2;
    for (int i = 0; i < routines; ++i) {
        out += "' Step " + QByteArray::number(i) + "\r\nPublic Sub Step" + QByteArray::number(i) + "()\r\n";
        out += "    If i > 0 Then Step" + QByteArray::number(i > 0 ? i - 1 : 0) + "\r\n    x = x + 1\r\nEnd Sub\r\n";
        lines += 5;
    }
    QFile file(folder + QStringLiteral("/modHuge.bas"));
    QFile project(folder + QStringLiteral("/Huge.vbp"));
    if (!file.open(QIODevice::WriteOnly) || !project.open(QIODevice::WriteOnly))
        return -1;
    file.write(out);
    project.write("Type=Exe\r\nModule=modHuge; modHuge.bas\r\n");
    return lines;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int totalLines = quillon::bench::intOption("--lines", 375000);
    const int runs = quillon::bench::intOption("--runs", 3);
    const QString keep = quillon::bench::option("--keep");
    QTemporaryDir temp;
    const QString folder = keep.isEmpty() ? temp.path() + QStringLiteral("/main") : keep;
    const std::optional<quillon::bench::ProjectShape> shape =
        quillon::bench::writeRealShapedProject(folder, totalLines);
    if (!shape) {
        std::fprintf(stderr, "cannot write the synthetic project to %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("synthetic project (%s): ", qPrintable(folder));
    quillon::bench::printShape(stdout, *shape);
    std::fflush(stdout);
    if (runs <= 0)
        return 0;
    const QString vbp = folder + QLatin1Char('/') + QLatin1String(quillon::bench::kRealShapedProjectFile);
    const int lines = int(shape->lines);
    report("load, read and split only:", lines, timeOpen(vbp, runs, false), runs);
    report("whole File | Open (with the analysis):", lines, timeOpen(vbp, runs, true), runs);
    report("whole File | Open on one thread:", lines, timeOpen(vbp, runs, true, 1), runs);

    const QString huge = temp.path() + QStringLiteral("/huge");
    const int hugeLines = generateOneModule(huge, 20000);
    report("whole File | Open, 20,000 routines, 1 module:", hugeLines,
        timeOpen(huge + QStringLiteral("/Huge.vbp"), runs, true), runs);
    return 0;
}
