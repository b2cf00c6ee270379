// Line printer benchmark: prints a 100,000-line highlighted VB6 file through the page frame
// and the line printer on the built-in PDF writer, the way `quillon listing` does.
//
//   quillon_bench_print [--lines N] [--keep OUT.pdf]
#include "BenchOptions.h"
#include "analysis/SymbolTable.h"
#include "config/Options.h"
#include "config/PageSetup.h"
#include "model/DiagLog.h"
#include "platform/qt/GuiStartup.h"
#include "platform/qt/QtPrintSurface.h"
#include "print/LinePrinter.h"
#include "print/PageFrame.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace quillon;

namespace {

// Mixed code: declarations, comments, literals, calls, constants, module variables.
QStringList syntheticLines(int count)
{
    const char* body[] = {
        "' Totals the stock for one location; returns the value in cents.",
        "Public Function StockValue(ByRef nCount As Long, ByVal sWhere As String) As Currency",
        "    Dim i As Long, total As Currency",
        "    For i = 1 To MAX_ITEMS",
        "        If mItems(i).Location = sWhere Then total = total + mItems(i).Price * mItems(i).Qty",
        "        sLabel = \"Item \" & CStr(i) & \": \" & Left$(mItems(i).Name, 20) ' shown in the list",
        "        Call LogLine(sLabel, gVerbose)",
        "    Next i",
        "    nCount = nCount + 1",
        "    StockValue = total",
        "End Function",
        "",
    };
    QStringList lines {"Attribute VB_Name = \"modStock\"", "Private Const MAX_ITEMS As Long = 100",
        "Public gVerbose As Boolean", "Private mItems() As ItemRecord", "Private sLabel As String", ""};
    while (lines.size() < count) {
        for (const char* line : body)
            lines << QString::fromLatin1(line);
    }
    lines.resize(count);
    return lines;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    const int count = bench::intOption("--lines", 100000);
    const QString keep = bench::option("--keep");
    QTemporaryDir temp;
    const QStringList lines = syntheticLines(count);
    const QString source = temp.filePath(QStringLiteral("modStock.bas"));
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(lines.join(QStringLiteral("\r\n")).toLatin1());
    }
    model::DiagLog quiet {QString()};
    const model::SourceReader reader(model::CodePage::standard(), &quiet);
    auto record = std::make_shared<model::ProjectFile>();
    record->filePath = source;
    record->fileName = QStringLiteral("modStock.bas");
    analysis::SymbolTable symbols;
    symbols.buildSymbolTables({record}, reader);

    platform::QtPrintSurface surface;
    config::PageSetup setup;
    setup.deviceName = QString::fromUtf16(platform::kPdfWriterDeviceName);
    config::PrintDevice printer(surface, setup);
    printer.applyPageSetup();
    const QString pdf = keep.isEmpty() ? temp.filePath(QStringLiteral("bench.pdf")) : keep;
    surface.setOutputFile(pdf);

    QElapsedTimer timer;
    timer.start();
    print::PrintRunState run;
    printer.computePageGeometry(true);
    print::PageFrame frame(printer, run);
    print::LinePrinter printerLines(frame, run, nullptr);
    const std::array<quint32, 10> colours {
        0, 25600, 20660, 255, 13783040, 10485920, 8388736, 7874560, 16777113, 16777215};
    printerLines.colours = colours;
    printerLines.symbols = &symbols;
    model::Routine routine;
    routine.filePath = source;
    routine.routineName = QStringLiteral("StockValue");
    routine.startLine = 1;
    routine.endLine = count;
    frame.headerTitle = QStringLiteral("modStock.bas|Public Function StockValue");
    frame.estimatePages(routine);
    frame.startPage();
    for (const QString& line : lines) {
        bool go = true;
        printerLines.printListingLine(model::ListingLine(line), &routine, go);
    }
    frame.endRoutine();
    const int pages = surface.pagesStarted();
    const bool ok = surface.endDocument();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("line printer on the PDF writer: %d lines, %d pages, %.2f s = %.0f lines per second; %s, %.1f MB\n",
        count, pages, seconds, count / seconds, ok ? "written" : "FAILED", double(QFileInfo(pdf).size()) / 1e6);
    return ok ? 0 : 1;
}
