// PDF joining benchmark: writes N parts of code-listing pages with Qt's PDF writer, the way a
// parallel print run's slices are written, then joins them in turn with joinPdfParts and with
// libqpdf's page copying (the way to join them without a reader of our own), and prints the
// pages each joined and its median time over the runs. Parts already in the --keep folder are
// joined again as they are. --only NAME runs the joiner whose name starts so and nothing else
// after the parts are written, so that the process's time and peak memory are that joiner's.
//
//   quillon_bench_pdfjoin [--pages TOTAL] [--parts N] [--runs N] [--keep FOLDER] [--only NAME]
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
#include <QTemporaryDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The parts joined with libqpdf as a joiner on it would: each part read into memory (from the
// file, qpdf seeks before nearly every object it reads), the later parts' pages copied after
// the first part's, every stream written as it was read.
bool joinWithQpdf(const QStringList& parts, const QString& target)
{
    struct Part {
        QByteArray name;
        QByteArray bytes;
        QPDF pdf;
    };
    try {
        std::vector<std::unique_ptr<Part>> read;
        for (const QString& path : parts) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            auto part = std::make_unique<Part>();
            part->name = QFile::encodeName(path);
            part->bytes = file.readAll();
            part->pdf.processMemoryFile(part->name.constData(), part->bytes.constData(), size_t(part->bytes.size()));
            read.push_back(std::move(part));
        }
        QPDFPageDocumentHelper pages(read.front()->pdf);
        for (size_t i = 1; i < read.size(); ++i) {
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(read[i]->pdf).getAllPages())
                pages.addPage(page, false);
        }
        const QByteArray targetName = QFile::encodeName(target);
        QPDFWriter writer(read.front()->pdf, targetName.constData());
        writer.setDecodeLevel(qpdf_dl_none);
        writer.write();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int pagesIn(const QString& path)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData());
        return int(pdf.getAllPages().size());
    } catch (const std::exception&) {
        return -1;
    }
}

// One way of joining, timed over the runs.
struct Joiner {
    Joiner(const char* joinerName, std::function<bool(const QStringList&, const QString&)> joining)
        : name(joinerName), join(std::move(joining))
    { }
    const char* name;
    std::function<bool(const QStringList&, const QString&)> join;
    std::vector<double> wall;
    std::vector<double> cpu;
    bool ok = true;
};

} // namespace

int main(int argc, char* argv[])
{
    platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    const int total = bench::intOption("--pages", 16000);
    const int count = std::max(1, bench::intOption("--parts", 4));
    const int runs = std::max(1, bench::intOption("--runs", 5));
    QTemporaryDir temp;
    const QString folder = bench::option("--keep", temp.path());
    QStringList parts;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const QString part = folder + QStringLiteral("/part%1.pdf").arg(i + 1);
        if (!QFileInfo::exists(part))
            writePart(part, total / count, i * (total / count));
        parts << part;
    }
    std::printf("%d parts of %d pages ready in %.1f s, %.1f MB in all\n", count, total / count,
        bench::elapsedSeconds(timer), [&] {
            double bytes = 0;
            for (const QString& part : parts)
                bytes += double(QFileInfo(part).size());
            return bytes / 1e6;
        }());

    std::vector<Joiner> joiners = {
        {"joinPdfParts", [](const QStringList& in, const QString& out) { return print::joinPdfParts(in, out).ok(); }},
        {"libqpdf", joinWithQpdf},
    };
    const QString only = bench::option("--only");
    std::erase_if(
        joiners, [&only](const Joiner& joiner) { return !QString::fromLatin1(joiner.name).startsWith(only); });
    const QString joined = folder + QStringLiteral("/joined.pdf");
    for (int run = 0; run < runs; ++run) {
        for (Joiner& joiner : joiners) {
            QFile::remove(joined);
            const double cpu = cpuSeconds(RUSAGE_SELF);
            timer.restart();
            joiner.ok = joiner.join(parts, joined) && joiner.ok;
            joiner.wall.push_back(bench::elapsedSeconds(timer));
            joiner.cpu.push_back(cpuSeconds(RUSAGE_SELF) - cpu);
            if (run == 0 && only.isEmpty())
                std::printf(
                    "%s: %d pages, %.1f MB\n", joiner.name, pagesIn(joined), double(QFileInfo(joined).size()) / 1e6);
        }
    }
    bool ok = true;
    for (const Joiner& joiner : joiners) {
        std::printf("%-12s median of %d: %.2f s wall, %.2f s CPU (wall %.2f to %.2f s)%s\n", joiner.name, runs,
            median(joiner.wall), median(joiner.cpu), *std::min_element(joiner.wall.begin(), joiner.wall.end()),
            *std::max_element(joiner.wall.begin(), joiner.wall.end()), joiner.ok ? "" : "; FAILED");
        ok = ok && joiner.ok;
    }
    return ok ? 0 : 1;
}
