// Form images at scale, without a printer: reading a form of thousands of stacked controls and
// one with a caption line of megabytes, and drawing a form of thousands of small controls whose
// names mostly go to callouts on the recording surface.
//
//   quillon_bench_formimage [--controls N] [--caption-mb N]
//
// Prints what each step produced and how long it took; a result that is not what the step
// must produce is reported and makes the exit status 1.
#include "BenchOptions.h"
#include "analysis/FormLayoutReader.h"
#include "config/PageSetup.h"
#include "formimage/FormImageRenderer.h"
#include "model/SourceText.h"
#include "platform/MessageBox.h"
#include "print/PageFrame.h"
#include "support/RecordingPrintSurface.h"
#include "support/ScriptedMessageBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace quillon;
using Op = test::RecordingPrintSurface::Op;

namespace {

// Reads `body` as the controls of a form file; the layout, or nullptr when the reading failed.
const analysis::FormLayout* read(
    analysis::FormLayoutReader& reader, const QTemporaryDir& dir, const QString& body, double* seconds)
{
    const QString path = dir.filePath(QStringLiteral("frmBench.frm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    file.write(("VERSION 5.00\r\nBegin VB.Form frmBench\r\n   ClientWidth = 9000\r\n   ClientHeight = 7000\r\n" + body
        + "End\r\nAttribute VB_Name = \"frmBench\"\r\n")
                   .toLatin1());
    file.close();
    QElapsedTimer timer;
    timer.start();
    const bool read = reader.readFormLayout(path).ok();
    *seconds = bench::elapsedSeconds(timer);
    return read ? &reader.layout() : nullptr;
}

// Each control on all the others: a layer each. A plain scan of every control of every layer
// takes minutes at this size.
bool readStackedControls(analysis::FormLayoutReader& reader, const QTemporaryDir& dir, int controls)
{
    QString body;
    for (int i = 0; i < controls; ++i)
        body +=
            QStringLiteral("Begin VB.CommandButton cmdPile\r\nIndex = %1\r\nLeft = 100\r\nTop = 100\r\nWidth = 1000\r\n"
                           "Height = 400\r\nEnd\r\n")
                .arg(i);
    double seconds = 0;
    const analysis::FormLayout* layout = read(reader, dir, body, &seconds);
    const int layers = layout ? layout->form.layerCount : 0;
    std::printf("read %d stacked controls: %d layers in %.3f s\n", controls, layers, seconds);
    return layers == controls;
}

bool readLongCaption(analysis::FormLayoutReader& reader, const QTemporaryDir& dir, int megabytes)
{
    const QString caption(megabytes * 1024 * 1024, QLatin1Char('W'));
    double seconds = 0;
    const analysis::FormLayout* layout = read(reader, dir,
        "Begin VB.Label lblLong\r\nCaption = \"" + caption + "\"\r\nWidth = 10\r\nHeight = 10\r\nEnd\r\n", &seconds);
    const qsizetype read = layout && layout->controlTotal() == 1 ? layout->control(1).caption.size() : -1;
    std::printf("read a caption line of %d MB: %lld characters in %.3f s\n", megabytes, (long long)read, seconds);
    return read == caption.size();
}

// Pairs of names and markers on one page whose text rectangles overlap (the recording
// surface's metrics), found by a sweep across.
long overlappingTexts(std::vector<Op> texts)
{
    auto right = [](const Op& op) { return op.x + op.text.size() * 12.0 * op.fontSize; };
    std::sort(texts.begin(), texts.end(), [](const Op& a, const Op& b) { return a.x < b.x; });
    long pairs = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size() && texts[j].x < right(texts[i]); ++j) {
            const double top = std::max(texts[i].y, texts[j].y);
            const double bottom =
                std::min(texts[i].y + 24.0 * texts[i].fontSize, texts[j].y + 24.0 * texts[j].fontSize);
            pairs += top < bottom ? 1 : 0;
        }
    }
    return pairs;
}

// A grid of small text boxes and labels, half of them in one frame, on a form far larger than
// the page: most names do not fit and the page runs out of room for their markers.
bool drawManyControls(int controls)
{
    analysis::FormLayout layout;
    layout.form = {QStringLiteral("frmMain"), QStringLiteral("Main"), 60000, 40000, false, 0, 0, 0};
    auto add = [&](const QString& type, const QString& name, int left, int top, int width, int height, int parent) {
        analysis::ControlRecord c;
        c.typeName = type, c.name = name, c.left = left, c.top = top, c.width = width, c.height = height;
        c.parent = qint16(parent), c.hasSize = true;
        layout.controls.push_back(c);
    };
    add(QStringLiteral("VB.Frame"), QStringLiteral("fraAll"), 100, 100, 59000, 39000, -1);
    for (int i = 0; i < controls; ++i)
        add(i % 5 == 0 ? QStringLiteral("VB.Label") : QStringLiteral("VB.TextBox"), QStringLiteral("txtCell%1").arg(i),
            200 + (i % 80) * 720, 200 + (i / 80) * 600, 600, 285, i % 2 == 0 ? 1 : -1);
    analysis::placement::computeAbsolutePositions(layout);
    analysis::placement::assignLayers(layout);

    test::RecordingPrintSurface surface;
    config::PageSetup setup;
    config::PrintDevice printer(surface, setup);
    print::PrintRunState run;
    print::PageFrame frame(printer, run);
    const std::array<quint32, 10> colours {};
    formimage::FormImageRenderer renderer(printer, frame, colours);
    printer.computePageGeometry(true);
    QElapsedTimer timer;
    timer.start();
    const int estimate = renderer.estimateFormImagePages(layout);
    const double estimateSeconds = bench::elapsedSeconds(timer);
    timer.restart();
    const bool printed = renderer.printFormImage(layout, QStringLiteral("C:\\Project\\Main.frm"));
    const double printSeconds = bench::elapsedSeconds(timer);

    // The layer pages: the names and markers on them and how many of those overlap.
    long overlapping = 0;
    size_t texts = 0;
    for (int page = 1; page <= surface.pagesStarted(); ++page) {
        std::vector<Op> onPage;
        bool layerPage = false;
        for (const Op& op : surface.ops) {
            if (op.page != page || op.kind != Op::Kind::Text || op.text.isEmpty())
                continue;
            layerPage |= op.fontSize == 12 && op.text.contains(QStringLiteral("Layer"))
                && !op.text.contains(QStringLiteral("Callouts"));
            if (op.fontSize < 8)
                onPage.push_back(op);
        }
        if (layerPage) {
            texts += onPage.size();
            overlapping += overlappingTexts(onPage);
        }
    }
    std::printf(
        "draw %d controls: %d layers, %d pages (estimate %d in %.3f s), printed in %.3f s; %zu names and markers "
        "on the layer pages, %ld overlapping\n",
        controls, int(layout.form.layerCount), surface.pagesStarted(), estimate, estimateSeconds, printSeconds, texts,
        overlapping);
    return printed && estimate == surface.pagesStarted() && overlapping == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int controls = bench::intOption("--controls", 5000);
    const int megabytes = bench::intOption("--caption-mb", 3);
    QTemporaryDir dir;
    test::ScriptedMessageBox box;
    analysis::FormLayoutReader reader(model::SourceReader::standard(), &box);
    bool ok = readStackedControls(reader, dir, controls);
    ok = readLongCaption(reader, dir, megabytes) && ok;
    ok = drawManyControls(controls) && ok;
    if (!ok)
        std::printf("a result is not what it must be\n");
    return ok ? 0 : 1;
}
