// Hostile inputs at a size no test holds, for the readers whose work once grew with the
// square of it: one source line of a hundred thousand distinct calls, and a form whose
// thousands of controls all lie on one another.
//
//   quillon_bench_hostile [--calls N] [--controls N]
//
// Prints what each reader gave and how long it took; a result that is not what the reader
// must give makes the exit status 1.
#include "BenchOptions.h"
#include "analysis/DependencyIndex.h"
#include "analysis/FormLayoutReader.h"
#include "model/SourceText.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace quillon;

namespace {

// Each piece holds one call, "%1" its number: brackets, Ifs chained after Then and Else, callbacks.
bool scanManyCalls(int calls, QLatin1StringView piece)
{
    QString line = QStringLiteral("x = ");
    for (int i = 0; i < calls; ++i)
        line += QString(piece).arg(i);
    QElapsedTimer timer;
    timer.start();
    const QStringList candidates = analysis::callCandidates(analysis::maskForCallScan(line));
    std::printf("call scan of one line of %d distinct calls (%lld characters): %lld names in %.3f s\n", calls,
        (long long)line.size(), (long long)candidates.size(), bench::elapsedSeconds(timer));
    return candidates.size() == calls + 1;
}

// The reading ends with its message instead of placing every control on a layer of its own.
bool readStackedForm(int controls)
{
    QStringList lines {QStringLiteral("VERSION 5.00"), QStringLiteral("Begin VB.Form frmPile")};
    for (int i = 0; i < controls; ++i) {
        lines << QStringLiteral("Begin VB.Label lblPile") << QStringLiteral("Index = %1").arg(i)
              << QStringLiteral("Width = 1000") << QStringLiteral("Height = 400") << QStringLiteral("End");
    }
    lines << QStringLiteral("End");
    const model::SourceReader reader(model::CodePage::standard(), nullptr);
    analysis::FormLayoutReader form(reader, nullptr);
    QElapsedTimer timer;
    timer.start();
    const model::Outcome<void> read = form.readFormLayoutLines(QStringLiteral("frmPile.frm"), lines);
    const double seconds = bench::elapsedSeconds(timer);
    std::printf("form of %d stacked labels: %s in %.3f s\n", controls,
        read ? qPrintable(QStringLiteral("%1 layers").arg(form.layout().form.layerCount))
             : qPrintable(read.error().section(QStringLiteral("\r\n"), -1)),
        seconds);
    return read.ok() == (qint64(controls) * (controls - 1) / 2 <= analysis::placement::kMaxLayerComparisons);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int calls = bench::intOption("--calls", 150000);
    const int controls = bench::intOption("--controls", 32767);
    bool ok = scanManyCalls(calls, QLatin1StringView("f%1("));
    ok = scanManyCalls(calls, QLatin1StringView("Then f%1 Else ")) && ok;
    ok = scanManyCalls(calls, QLatin1StringView("AddressOf f%1, ")) && ok;
    ok = readStackedForm(controls) && ok;
    if (!ok)
        std::printf("a result is not what it must be\n");
    return ok ? 0 : 1;
}
