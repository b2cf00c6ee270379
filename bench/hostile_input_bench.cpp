// Hostile inputs at a size no test holds, for the readers whose work once grew with the
// square of it: one source line of a hundred thousand distinct calls, and a form whose
// thousands of controls all lie on one another.
//
//   quillon_bench_hostile [--calls N] [--controls N]
//
// Prints what each reader gave and how long it took; a result that is not what the reader
// must give makes the exit status 1.
#include "analysis/DependencyIndex.h"
#include "formimage/FormLayoutReader.h"
#include "model/SourceText.h"
#include "BenchOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace quillon;

namespace {

double Seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

bool ScanManyCalls(int calls)
{
    QString line = QStringLiteral("x = ");
    for (int i = 0; i < calls; ++i)
        line += QStringLiteral("f%1(").arg(i);
    QElapsedTimer timer;
    timer.start();
    const QStringList candidates = analysis::CallCandidates(analysis::MaskForCallScan(line));
    std::printf("call scan of one line of %d distinct calls (%lld characters): %lld names in %.3f s\n", calls,
                (long long)line.size(), (long long)candidates.size(), Seconds(timer));
    return candidates.size() == calls + 1;
}

// The reading ends with its message instead of placing every control on a layer of its own.
bool ReadStackedForm(int controls)
{
    QStringList lines{QStringLiteral("VERSION 5.00"), QStringLiteral("Begin VB.Form frmPile")};
    for (int i = 0; i < controls; ++i) {
        lines << QStringLiteral("Begin VB.Label lblPile") << QStringLiteral("Index = %1").arg(i)
              << QStringLiteral("Width = 1000") << QStringLiteral("Height = 400") << QStringLiteral("End");
    }
    lines << QStringLiteral("End");
    const model::SourceReader reader(model::CodePage::Default(), nullptr);
    formimage::FormLayoutReader form(reader, nullptr);
    QElapsedTimer timer;
    timer.start();
    const bool read = form.ReadFormLayoutLines(QStringLiteral("frmPile.frm"), lines);
    const double seconds = Seconds(timer);
    std::printf("form of %d stacked labels: %s in %.3f s\n", controls,
                read ? qPrintable(QStringLiteral("%1 layers").arg(form.Layout().Form.LayerCount))
                     : qPrintable(form.LastMessage().section(QStringLiteral("\r\n"), -1)),
                seconds);
    return read == (qint64(controls) * (controls - 1) / 2 <= formimage::placement::kMaxLayerComparisons);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int calls = bench::IntOption("--calls", 150000);
    const int controls = bench::IntOption("--controls", 32767);
    bool ok = ScanManyCalls(calls);
    ok = ReadStackedForm(controls) && ok;
    if (!ok)
        std::printf("a result is not what it must be\n");
    return ok ? 0 : 1;
}
