// Load benchmark: generates a synthetic VB6 project and times the headless part of
// File | Open (reading, decoding, splitting every file into routines).
//
//   quillon_bench_load [--lines N] [--files N] [--runs N] [--keep DIR]
//
// With --keep the project is written to DIR and left there (bench/run.sh times the
// command line on it); otherwise it goes to a temporary folder that is removed.
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
void AppendProcedure(QByteArray& out, int fileIndex, int procIndex, int& lines)
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
    int slot = 0;
    for (const char* line : body) {
        if (!line) {
            out += slot++ == 0 ? "Public Function " + name + "(ByVal n As Long) As Currency\r\n"
                               : "    " + name + " = total\r\n";
        } else {
            out += line;
            out += "\r\n";
        }
        ++lines;
    }
}

int Generate(const QString& folder, int totalLines, int fileCount)
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
            AppendProcedure(out, f, proc++, lines);
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

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int totalLines = 300000;
    int fileCount = 400;
    int runs = 5;
    QString keep;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--lines"))
            totalLines = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--files"))
            fileCount = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--keep"))
            keep = args[i + 1];
    }
    QTemporaryDir temp;
    const QString folder = keep.isEmpty() ? temp.path() : keep;
    const int lines = Generate(folder, totalLines, std::max(fileCount, 1));
    if (lines < 0) {
        std::fprintf(stderr, "cannot write the synthetic project to %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("synthetic project: %d lines in %d files (%s)\n", lines, fileCount, qPrintable(folder));
    if (runs <= 0)
        return 0;

    DiagLog quietLog{QString()}; // the benchmark measures loading, not logging
    const SourceReader reader(CodePage::Default(), &quietLog);
    std::vector<double> seconds;
    qsizetype routines = 0;
    for (int run = 0; run < runs; ++run) {
        Project project(reader);
        QElapsedTimer timer;
        timer.start();
        project.OpenProject(folder + QStringLiteral("/Synthetic.vbp"));
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        routines = 0;
        for (const auto& entry : project.RoutinesByFile.entries())
            routines += qsizetype(entry.second.size());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("load (open, read, split): median %.3f s over %d runs, best %.3f s; %lld routines\n", median, runs,
                seconds.front(), static_cast<long long>(routines));
    std::printf("throughput: %.0f lines per second (median)\n", lines / median);
    return 0;
}
