// PDF joining benchmark: writes two parts of code-listing pages with Qt's PDF writer, the way
// a print run's slices are written, then joins them with joinPdfParts and with qpdf, and
// prints the time of each and the joiner's memory. Parts already in the --keep folder are
// joined again as they are.
//
//   quillon_bench_pdfjoin [--pages N] [--keep FOLDER]
#include "BenchOptions.h"
#include "platform/qt/GuiStartup.h"
#include "print/PdfJoin.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace quillon;

namespace {

// Sixty highlighted lines a page, each page different, in the listing's monospaced font.
void writePart(const QString& path, int pages, int first)
{
    const char* body[] = {
        "    For i = 1 To MAX_ITEMS",
        "        If mItems(i).Location = sWhere Then total = total + mItems(i).Price * mItems(i).Qty",
        "        sLabel = \"Item \" & CStr(i) & \": \" & Left$(mItems(i).Name, 20) ' shown in the list",
        "        Call LogLine(sLabel, gVerbose)",
        "    Next i",
    };
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setResolution(600);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Mono"), 9));
    const QColor colours[] = {Qt::black, Qt::darkBlue, Qt::darkGreen};
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.setPen(Qt::black);
        painter.drawText(QPointF(600, 500),
            QStringLiteral("modStock.bas | Public Function StockValue    Page %1").arg(first + page));
        for (int line = 0; line < 60; ++line) {
            painter.setPen(colours[line % 3]);
            painter.drawText(QPointF(600, 800 + line * 95),
                QStringLiteral("%1 %2").arg((first + page) * 60 + line, 6).arg(QString::fromLatin1(body[line % 5])));
        }
    }
}

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The process's resident memory in MB now (VmRSS:) or at its peak since resetPeakMemory() (VmHWM:).
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
double memoryMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    const int pages = bench::intOption("--pages", 8000);
    QTemporaryDir temp;
    const QString folder = bench::option("--keep", temp.path());
    const QStringList parts {folder + QStringLiteral("/part1.pdf"), folder + QStringLiteral("/part2.pdf")};
    QElapsedTimer timer;
    timer.start();
    if (!QFileInfo::exists(parts[0]) || !QFileInfo::exists(parts[1])) {
        writePart(parts[0], pages, 0);
        writePart(parts[1], pages, pages);
        std::printf("two parts of %d pages written in %.1f s\n", pages, bench::elapsedSeconds(timer));
    }
    std::printf("parts: %.1f MB and %.1f MB\n", double(QFileInfo(parts[0]).size()) / 1e6,
        double(QFileInfo(parts[1]).size()) / 1e6);

    const QString joined = folder + QStringLiteral("/joined.pdf");
    const double before = memoryMb("VmRSS:");
    resetPeakMemory();
    double cpu = cpuSeconds(RUSAGE_SELF);
    timer.restart();
    const print::PdfJoinResult result = print::joinPdfParts(parts, joined);
    std::printf(
        "joinPdfParts: %.2f s wall, %.2f s CPU, resident memory %.0f MB before, %.0f MB at the peak; %s, %d pages, "
        "%.1f MB\n",
        bench::elapsedSeconds(timer), cpuSeconds(RUSAGE_SELF) - cpu, before, memoryMb("VmHWM:"),
        result.ok ? "joined" : qPrintable(result.error), result.pages, double(QFileInfo(joined).size()) / 1e6);

    const QString merged = folder + QStringLiteral("/qpdf.pdf");
    cpu = cpuSeconds(RUSAGE_CHILDREN);
    timer.restart();
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"),
        {QStringLiteral("--empty"), QStringLiteral("--pages"), parts[0], parts[1], QStringLiteral("--"), merged});
    const bool ended = qpdf.waitForFinished(-1) && qpdf.exitStatus() == QProcess::NormalExit;
    std::printf("qpdf --empty --pages: %.2f s wall, %.2f s CPU; exit %d, %.1f MB\n", bench::elapsedSeconds(timer),
        cpuSeconds(RUSAGE_CHILDREN) - cpu, ended ? qpdf.exitCode() : -1, double(QFileInfo(merged).size()) / 1e6);
    return result.ok && ended ? 0 : 1;
}
