// Times the Qt print surface on the built-in PDF writer the way the line printer drives it:
// lines of 100 characters in 6 coloured runs, 5 width measurements per line, a line end
// after each line and a new page every 60 lines. With --baseline the same document is drawn
// straight with QPainter::drawText, one call per run, for comparison.
//
//   quillon_bench_surface [--lines N] [--runs N] [--baseline] [--keep FILE.pdf]

#include "platform/qt/GuiStartup.h"
#include "platform/qt/QtPrintSurface.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using quillon::platform::QtPrintSurface;
using quillon::platform::rgb;

namespace {

constexpr int kLinesPerPage = 60;
constexpr int kRunsPerLine = 6;
constexpr std::array<int, kRunsPerLine> kRunLengths = {4, 12, 3, 27, 9, 45}; // 100 characters

struct Line {
    std::array<QString, kRunsPerLine> runs;
};

const std::array<quint32, kRunsPerLine> kColors = {
    rgb(0, 0, 128), rgb(0, 0, 0), rgb(0, 0, 128), rgb(0, 0, 0), rgb(128, 0, 0), rgb(0, 128, 0)};

// A thousand distinct code-like lines, cut into runs of fixed lengths.
std::vector<Line> makeLines()
{
    static const char* const words[] = {"Dim", "As", "Long", "String", "If", "Then", "Else", "End", "Sub", "Function",
        "ByVal", "ByRef", "For", "Next", "Call", "Set", "Nothing", "x", "i", "Total", "Customer.Name", "rs!Amount", "=",
        "+", "&", "(", ")", "\"text\"", "' note", "0"};
    std::vector<Line> lines;
    unsigned seed = 12345;
    for (int n = 0; n < 1000; ++n) {
        QString text;
        while (text.size() < 100) {
            seed = seed * 1103515245u + 12345u;
            text += QLatin1String(words[(seed >> 16) % (sizeof words / sizeof *words)]);
            text += QLatin1Char(' ');
        }
        text.truncate(100);
        Line line;
        qsizetype at = 0;
        for (int r = 0; r < kRunsPerLine; ++r) {
            line.runs[r] = text.mid(at, kRunLengths[r]);
            at += kRunLengths[r];
        }
        lines.push_back(line);
    }
    return lines;
}

double surface(const std::vector<Line>& lines, int count, const QString& file, int* pages)
{
    QElapsedTimer timer;
    timer.start();
    QtPrintSurface surface;
    if (!surface.selectDevice(QStringLiteral("Quillon PDF")))
        return -1;
    surface.setOutputFile(file);
    surface.setFontName(QStringLiteral("Courier New"));
    surface.setFontSize(10);
    double measured = 0;
    for (int n = 0; n < count; ++n) {
        if (n > 0 && n % kLinesPerPage == 0)
            surface.newPage();
        const Line& line = lines[size_t(n) % lines.size()];
        for (int r = 0; r < kRunsPerLine; ++r) {
            if (r < 5)
                measured += surface.textWidth(line.runs[r]);
            surface.setBold(r == 0);
            surface.setTextColor(kColors[r]);
            surface.printText(line.runs[r], r == kRunsPerLine - 1);
        }
    }
    *pages = surface.pagesStarted();
    if (!surface.endDocument() || measured <= 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

double baseline(const std::vector<Line>& lines, int count, const QString& file, int* pages)
{
    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    QFont regular(QStringLiteral("Courier New"));
    regular.setPointSizeF(10);
    QFont bold = regular;
    bold.setBold(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    const QFontMetricsF metrics(regular, &printer);
    const double lineHeight = metrics.lineSpacing();
    double measured = 0;
    double y = 0;
    *pages = 1;
    for (int n = 0; n < count; ++n) {
        if (n > 0 && n % kLinesPerPage == 0) {
            printer.newPage();
            ++*pages;
            y = 0;
        }
        const Line& line = lines[size_t(n) % lines.size()];
        double x = 0;
        for (int r = 0; r < kRunsPerLine; ++r) {
            if (r < 5)
                measured += metrics.horizontalAdvance(line.runs[r]);
            painter.setFont(r == 0 ? bold : regular);
            painter.setPen(QColor(int(kColors[r] & 0xFF), int((kColors[r] >> 8) & 0xFF), int(kColors[r] >> 16)));
            painter.drawText(QPointF(x, y + metrics.ascent()), line.runs[r]);
            x += metrics.horizontalAdvance(line.runs[r]);
        }
        y += lineHeight;
    }
    if (!painter.end() || measured <= 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    int count = 100000;
    int runs = 3;
    bool unbuffered = false;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines") && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--baseline"))
            unbuffered = true;
        else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--lines N] [--runs N] [--baseline] [--keep FILE.pdf]\n", argv[0]);
            return 2;
        }
    }
    if (count <= 0 || runs <= 0)
        return 2;

    quillon::platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString file = keep.isEmpty() ? scratch.filePath(QStringLiteral("bench.pdf")) : keep;
    const std::vector<Line> lines = makeLines();

    double best = -1;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        const double seconds = unbuffered ? baseline(lines, count, file, &pages) : surface(lines, count, file, &pages);
        if (seconds < 0) {
            std::fprintf(stderr, "printing failed\n");
            return 1;
        }
        std::printf("run %d: %.3f s\n", run + 1, seconds);
        if (best < 0 || seconds < best)
            best = seconds;
    }
    std::printf("%s: %d lines of 100 characters in %d runs, %d pages; best of %d: %.3f s = %.0f lines per second; "
                "PDF %.1f MB\n",
        unbuffered ? "QPainter::drawText per run" : "QtPrintSurface", count, kRunsPerLine, pages, runs, best,
        count / best, double(QFileInfo(file).size()) / 1e6);
    return 0;
}
