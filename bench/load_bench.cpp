// Load benchmark: generates synthetic VB6 projects and times the headless part of
// File | Open: reading and splitting every file (phase 1) alone, and the whole load with the
// analysis (symbol tables, phase 1 registrations, the phase 2 call scan), on every core and on
// one thread.
//
//   quillon_bench_load [--lines N] [--files N] [--runs N] [--keep DIR]
//
// With --keep the project is written to DIR and left there (bench/run.sh times the
// command line on it); otherwise it goes to a temporary folder that is removed. After the
// main project it times a project of one module with 20,000 routines, and the main project
// at half its size to show how the time grows.
#include "BenchOptions.h"
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
#include <vector>

using namespace quillon::model;

namespace {

// One procedure of about 25 lines with the usual mix: header comments, declarations,
// loops, a continued line, strings with colons and quotes.
void appendProcedure(QByteArray& out, int fileIndex, int procIndex, int& lines)
{
    const QByteArray name = "Proc" + QByteArray::number(fileIndex) + "_" + QByteArray::number(procIndex);
    const char* body[] = {
        "' Computes the running total for the current batch.",
        "' Returns 0 when the batch is empty.",
        nullptr, // signature
        "    Dim i As Long, total As Currency",
        "    Dim s As String",
        "    On Error GoTo Failed",
        "    s = \"Total: \"\"\" & CStr(total) & \"\"\"\"",
        "    For i = 1 To UBound(mItems)",
        "        If mItems(i).Qty > 0 Then total = total + mItems(i).Price * mItems(i).Qty",
        "        Select Case mItems(i).Kind",
        "            Case 1: total = total + 1",
        "            Case Else",
        "                total = total - 1",
        "        End Select",
        "    Next i",
        nullptr, // calls
        "    s = s & \"a:b\" & _",
        "        \" done\"",
        "    Debug.Print s ' trace",
        nullptr, // result
        "    Exit Function",
        "Failed:",
        "    Err.Raise Err.Number",
        "End Function",
        "",
    };
    const QByteArray previous = procIndex > 0
        ? "Proc" + QByteArray::number(fileIndex) + "_" + QByteArray::number(procIndex - 1)
        : "Proc" + QByteArray::number(fileIndex > 0 ? fileIndex - 1 : 0) + "_0";
    int slot = 0;
    for (const char* line : body) {
        if (!line) {
            if (slot == 0)
                out += "Public Function " + name + "(ByVal n As Long) As Currency\r\n";
            else if (slot == 1)
                out += "    total = total + " + previous + "(n - 1): Call LogIt(s)\r\n";
            else
                out += "    " + name + " = total\r\n";
            ++slot;
        } else {
            out += line;
            out += "\r\n";
        }
        ++lines;
    }
}

int generate(const QString& folder, int totalLines, int fileCount)
{
    QDir().mkpath(folder);
    QByteArray vbp = "Type=Exe\r\nStartup=\"Sub Main\"\r\n";
    const int linesPerFile = totalLines / fileCount;
    int written = 0;
    for (int f = 0; f < fileCount; ++f) {
        const bool isClass = f % 10 == 9;
        const QByteArray base = (isClass ? "cls" : "mod") + QByteArray::number(f);
        const QByteArray fileName = base + (isClass ? ".cls" : ".bas");
        QByteArray out;
        int lines = 0;
        if (isClass) {
            out += "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n";
            lines += 4;
        }
        out += "Attribute VB_Name = \"" + base + "\"\r\nOption Explicit\r\n";
        out += "Private mItems() As ItemRecord\r\nPrivate Const MAX_ITEMS As Long = 100\r\n\r\n";
        lines += 5;
        int proc = 0;
        while (lines < linesPerFile)
            appendProcedure(out, f, proc++, lines);
        QFile file(folder + QLatin1Char('/') + QString::fromLatin1(fileName));
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        file.write(out);
        written += lines;
        vbp += (isClass ? "Class=" : "Module=") + base + "; " + fileName + "\r\n";
    }
    QFile project(folder + QStringLiteral("/Synthetic.vbp"));
    if (!project.open(QIODevice::WriteOnly))
        return -1;
    project.write(vbp);
    return written;
}

} // namespace

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
    const int totalLines = quillon::bench::intOption("--lines", 300000);
    const int fileCount = quillon::bench::intOption("--files", 400);
    const int runs = quillon::bench::intOption("--runs", 5);
    const QString keep = quillon::bench::option("--keep");
    QTemporaryDir temp;
    const QString folder = keep.isEmpty() ? temp.path() + QStringLiteral("/main") : keep;
    const int lines = generate(folder, totalLines, std::max(fileCount, 1));
    if (lines < 0) {
        std::fprintf(stderr, "cannot write the synthetic project to %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("synthetic project: %d lines in %d files (%s)\n", lines, fileCount, qPrintable(folder));
    if (runs <= 0)
        return 0;
    const QString vbp = folder + QStringLiteral("/Synthetic.vbp");
    report("load, read and split only:", lines, timeOpen(vbp, runs, false), runs);
    report("whole File | Open (with the analysis):", lines, timeOpen(vbp, runs, true), runs);
    report("whole File | Open on one thread:", lines, timeOpen(vbp, runs, true, 1), runs);

    const QString half = temp.path() + QStringLiteral("/half");
    const int halfLines = generate(half, totalLines / 2, std::max(fileCount / 2, 1));
    report("whole File | Open, half the project:", halfLines,
        timeOpen(half + QStringLiteral("/Synthetic.vbp"), runs, true), runs);

    const QString huge = temp.path() + QStringLiteral("/huge");
    const int hugeLines = generateOneModule(huge, 20000);
    report("whole File | Open, 20,000 routines, 1 module:", hugeLines,
        timeOpen(huge + QStringLiteral("/Huge.vbp"), runs, true), runs);
    return 0;
}
