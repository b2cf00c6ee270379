#include "core/print/PrintFixture.h"

#include "config/Options.h"
#include "platform/PrinterDefaults.h"

#include <gtest/gtest.h>

using namespace quillon::config;
using quillon::test::PrintBench;
using Op = quillon::test::RecordingPrintSurface::Op;

namespace {

TEST(PageGeometryTest, LetterWithEachBindingEdgeAndMarginsFittedAndChecked)
{
    PrintBench b;
    const PageGeometry& g = b.compute();
    EXPECT_EQ(std::tuple(g.lineAdvance, g.headerBandHeight, g.footerBandHeight), std::tuple(240, 576, 720));
    EXPECT_EQ(b.surface.currentY(), 0) << "measuring the line advance leaves the cursor where it was";

    // The binder margin (0.75 inch) comes off the width for edges 1, 5 and 6, else off the height.
    const std::tuple<int, double, double> edges[] = {{0, 10080, 11520}, {1, 9000, 11520}, {3, 10080, 10440}, {5, 9000, 11520}, {6, 9000, 11520}};
    for (const auto& [edge, width, height] : edges) {
        b.setup.bindingEdge = edge;
        b.compute();
        EXPECT_EQ(std::tuple(g.printableWidth, g.printableHeight, g.binderWidth + g.binderHeight), std::tuple(width, height, edge == 0 ? 0 : 1080))
            << "edge " << edge;
    }

    for (const auto& [setting, used] : {std::pair {40, 32}, {0, 1}, {8, 8}}) {
        b.setup.tabWidthSetting = setting;
        EXPECT_EQ(b.compute().ideTabWidth, used) << setting;
    }

    // Margins fitted to a sample, and checked against the device.
    const std::tuple<double, double, double, double, double, bool> fits[] = {
        // left, right, available; fitted left and right, fits
        {720, 720, 1000, 500, 500, true}, {300, 1500, 1000, 288, 712, true}, {1500, 300, 1000, 712, 288, true},
        {720, 720, 2000, 720, 720, true}, // no excess: nothing changes
        {720, 720, 400, 288, 288, false}, // even the minimum margins leave too little room
    };
    for (const auto& [left, right, available, fitLeft, fitRight, ok] : fits) {
        const MarginFit fit = fitMarginsToSample(left, right, available);
        EXPECT_EQ(std::tuple(fit.left, fit.right, fit.fits), std::tuple(fitLeft, fitRight, ok)) << left << " " << right << " in " << available;
    }

    double width = 0;
    EXPECT_TRUE(b.printer.checkMargins(720, 720, 1440, 1440, 1080, 1, width, &b.box));
    EXPECT_EQ(width, 9000) << "the binder comes off a width of 11520 too";
    EXPECT_TRUE(b.printer.checkMargins(-50, 720, 1440, 1440, 1080, 3, width, &b.box)) << "negative counts as 0";
    EXPECT_EQ(width, 10800);
    b.surface.setPaperCode(5);
    EXPECT_FALSE(b.printer.checkMargins(6000, 6000, 1440, 1440, 0, 0, width, &b.box));
    ASSERT_EQ(b.box.shown.size(), 1u);
    EXPECT_EQ(b.box.shown[0].title + "|" + b.box.shown[0].text, "Invalid Margins|Your margins leave NO printable area on the selected printer/page setup.");
    EXPECT_EQ(b.surface.paperCode(), 5) << "the device is put back as it was";
}

TEST(PageGeometryTest, FoldingGuideOnlyOnLegalPaperOrientationTheDeviceAndWhatItCannotTakeOnRestoring)
{
    PrintBench b;
    b.setup.foldingGuide = 1;
    b.compute();
    b.printer.drawFoldingGuide();
    EXPECT_TRUE(b.of(Op::Kind::Line).empty()) << "Letter draws nothing";
    b.setup.paperSize = QStringLiteral("Legal");
    b.setup.foldingGuide = 3;
    b.compute();
    b.printer.drawFoldingGuide();
    const Op& line = b.surface.ops.back();
    ASSERT_EQ(line.kind, Op::Kind::Line);
    EXPECT_EQ(std::tuple(line.x, line.y, line.x2, line.y2), std::tuple(3600, -1000, 3600, 20160 + 1000)) << "a quarter of Legal";
    EXPECT_EQ(std::tuple(line.style, line.color), std::tuple(quillon::platform::LineStyle::Dotted, quillon::platform::rgb(192, 192, 192)));
    EXPECT_EQ(b.printer.geometry().foldDistance, 3600) << "the geometry tells the same 2.5 inches";

    b.setup.paperSize = QStringLiteral("legal ");
    b.setup.orientation = QStringLiteral(" landscape");
    b.setup.deviceName = QStringLiteral("office laser");
    b.compute();
    EXPECT_EQ(std::tuple(b.surface.paperCode(), b.surface.orientationCode(), b.surface.currentDevice().deviceName), std::tuple(5, 2, "Office Laser"));
    b.setup.deviceName = QStringLiteral("No Such Printer");
    b.setup.paperSize = QStringLiteral("A4");
    b.compute();
    EXPECT_EQ(std::tuple(b.surface.currentDevice().deviceName, b.surface.paperCode()), std::tuple("Office Laser", 1)) << "an unknown name keeps the device";
    EXPECT_TRUE(b.printer.selectOutputDevice(QStringLiteral("RECORDING pdf")));
    EXPECT_EQ(b.setup.printerPort, QStringLiteral("FILE:"));
    EXPECT_EQ(
        b.printer.outputTargetDescription(), QStringLiteral("Recording PDF using 10 point Courier New with the  landscape orientation and printing Simplex.)"));

    // Restoring what the device cannot take is told and replaced.
    quillon::platform::BuiltInPdfPrinterDefaults defaults;
    quillon::config::Options options(b.ini, defaults);
    options.load();
    b.surface.fonts = {"Courier New", "Consolas"};
    b.setup.deviceName = "Gone Printer";
    b.setup.fontName = "Wingdings 9";
    b.setup.fontSize = -3;
    restorePrintingSetup(b.printer, options, b.box);
    const auto told = [](const char* what, const char* saved, const char* current, const char* now = nullptr) {
        return QStringLiteral("The %1 saved as being selected during the last session, \"%2\", is not available.  "
                              "The current %4 \"%3\" remains as the default.")
            .arg(what, saved, current, now ? now : what);
    };
    QStringList shown;
    for (const auto& s : b.box.shown)
        shown << s.title << s.text;
    EXPECT_EQ(shown,
        (QStringList {"Output Target Not Changed", told("outout target", "Gone Printer", "Recording PDF", "output target"), "Font Not Changed",
            told("font", "Wingdings 9", "Courier New"), "Font Size Not Changed", told("font size", "-3.00", "10.00")}));
    EXPECT_EQ(std::tuple(b.setup.deviceName, b.setup.fontSize), std::tuple("Recording PDF", 10));
    EXPECT_EQ(
        std::tuple(options.text(quillon::config::opt::DeviceName), options.text(quillon::config::opt::FontName)), std::tuple("Recording PDF", "Courier New"));

    b.box.shown.clear(); // everything available: nothing to say
    b.setup.deviceName = "Office Laser";
    b.setup.fontName = "Consolas";
    b.setup.fontSize = 9;
    restorePrintingSetup(b.printer, options, b.box);
    EXPECT_TRUE(b.box.shown.empty());
    EXPECT_EQ(std::tuple(b.surface.currentDevice().deviceName, b.surface.fontName(), b.surface.fontSize()), std::tuple("Office Laser", "Consolas", 9));
}

} // namespace
