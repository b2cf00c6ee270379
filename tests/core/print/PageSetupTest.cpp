#include "core/print/PrintFixture.h"

#include "config/Options.h"
#include "platform/PrinterDefaults.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::PrintBench;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

TEST(PageGeometryTest, LetterWithEachBindingEdgeAndMarginsFittedAndChecked)
{
    PrintBench b;
    const PageGeometry& g = b.Compute();
    EXPECT_EQ(std::tuple(g.LineAdvance, g.HeaderBandHeight, g.FooterBandHeight), std::tuple(240, 576, 720));
    EXPECT_EQ(b.surface.CurrentY(), 0) << "measuring the line advance leaves the cursor where it was";

    // The binder margin (0.75 inch) comes off the width for edges 1, 5 and 6, else off the height.
    const std::tuple<int, double, double> edges[] = {{0, 10080, 11520}, {1, 9000, 11520}, {3, 10080, 10440}, {5, 9000, 11520}, {6, 9000, 11520}};
    for (const auto& [edge, width, height] : edges) {
        b.setup.BindingEdge = edge;
        b.Compute();
        EXPECT_EQ(std::tuple(g.PrintableWidth, g.PrintableHeight, g.BinderWidth + g.BinderHeight),
                  std::tuple(width, height, edge == 0 ? 0 : 1080)) << "edge " << edge;
    }

    for (const auto& [setting, used] : {std::pair{40, 32}, {0, 1}, {8, 8}}) {
        b.setup.TabWidthSetting = setting;
        EXPECT_EQ(b.Compute().IdeTabWidth, used) << setting;
    }

    // Margins fitted to a sample, and checked against the device.
    const std::tuple<double, double, double, double, double, bool> fits[] = {
        // left, right, available; fitted left and right, fits
        {720, 720, 1000, 500, 500, true},   {300, 1500, 1000, 288, 712, true}, {1500, 300, 1000, 712, 288, true},
        {720, 720, 2000, 720, 720, true},   // no excess: nothing changes
        {720, 720, 400, 288, 288, false},   // even the minimum margins leave too little room
    };
    for (const auto& [left, right, available, fitLeft, fitRight, ok] : fits) {
        const MarginFit fit = FitMarginsToSample(left, right, available);
        EXPECT_EQ(std::tuple(fit.left, fit.right, fit.fits), std::tuple(fitLeft, fitRight, ok)) << left << " " << right << " in " << available;
    }

    double width = 0;
    EXPECT_TRUE(b.printer.CheckMargins(720, 720, 1440, 1440, 1080, 1, width, &b.box));
    EXPECT_EQ(width, 9000) << "the binder comes off a width of 11520 too";
    EXPECT_TRUE(b.printer.CheckMargins(-50, 720, 1440, 1440, 1080, 3, width, &b.box)) << "negative counts as 0";
    EXPECT_EQ(width, 10800);
    b.surface.SetPaperCode(5);
    EXPECT_FALSE(b.printer.CheckMargins(6000, 6000, 1440, 1440, 0, 0, width, &b.box));
    ASSERT_EQ(b.box.shown.size(), 1u);
    EXPECT_EQ(b.box.shown[0].title + "|" + b.box.shown[0].text,
              "Invalid Margins|Your margins leave NO printable area on the selected printer/page setup.");
    EXPECT_EQ(b.surface.PaperCode(), 5) << "the device is put back as it was";
}

TEST(PageGeometryTest, FoldingGuideOnlyOnLegalPaperOrientationTheDeviceAndWhatItCannotTakeOnRestoring)
{
    PrintBench b;
    b.setup.FoldingGuide = 1;
    b.Compute();
    b.printer.DrawFoldingGuide();
    EXPECT_TRUE(b.Of(Op::Kind::Line).empty()) << "Letter draws nothing";
    b.setup.PaperSize = QStringLiteral("Legal");
    b.setup.FoldingGuide = 3;
    b.Compute();
    b.printer.DrawFoldingGuide();
    const Op& line = b.surface.ops.back();
    ASSERT_EQ(line.kind, Op::Kind::Line);
    EXPECT_EQ(std::tuple(line.x, line.y, line.x2, line.y2), std::tuple(3600, -1000, 3600, 20160 + 1000)) << "a quarter of Legal";
    EXPECT_EQ(std::tuple(line.style, line.color), std::tuple(quillon::platform::LineStyle::Dotted, quillon::platform::Rgb(192, 192, 192)));
    EXPECT_EQ(b.printer.Geometry().FoldDistance, 3600) << "the geometry tells the same 2.5 inches";

    b.setup.PaperSize = QStringLiteral("legal ");
    b.setup.Orientation = QStringLiteral(" landscape");
    b.setup.DeviceName = QStringLiteral("office laser");
    b.Compute();
    EXPECT_EQ(std::tuple(b.surface.PaperCode(), b.surface.OrientationCode(), b.surface.CurrentDevice().deviceName),
              std::tuple(5, 2, "Office Laser"));
    b.setup.DeviceName = QStringLiteral("No Such Printer");
    b.setup.PaperSize = QStringLiteral("A4");
    b.Compute();
    EXPECT_EQ(std::tuple(b.surface.CurrentDevice().deviceName, b.surface.PaperCode()), std::tuple("Office Laser", 1)) << "an unknown name keeps the device";
    EXPECT_TRUE(b.printer.SelectOutputDevice(QStringLiteral("RECORDING pdf")));
    EXPECT_EQ(b.setup.PrinterPort, QStringLiteral("FILE:"));
    EXPECT_EQ(b.printer.OutputTargetDescription(),
              QStringLiteral("Recording PDF using 10 point Courier New with the  landscape orientation and printing Simplex.)"));

    // Restoring what the device cannot take is told and replaced.
    quillon::platform::BuiltInPdfPrinterDefaults defaults;
    quillon::config::Options options(b.ini, defaults);
    options.Load();
    b.surface.fonts = {"Courier New", "Consolas"};
    b.setup.DeviceName = "Gone Printer";
    b.setup.FontName = "Wingdings 9";
    b.setup.FontSize = -3;
    RestorePrintingSetup(b.printer, options, b.box);
    const auto told = [](const char* what, const char* saved, const char* current, const char* now = nullptr) {
        return QStringLiteral("The %1 saved as being selected during the last session, \"%2\", is not available.  "
                              "The current %4 \"%3\" remains as the default.").arg(what, saved, current, now ? now : what);
    };
    QStringList shown;
    for (const auto& s : b.box.shown)
        shown << s.title << s.text;
    EXPECT_EQ(shown, (QStringList{"Output Target Not Changed", told("outout target", "Gone Printer", "Recording PDF", "output target"),
                                  "Font Not Changed", told("font", "Wingdings 9", "Courier New"), "Font Size Not Changed",
                                  told("font size", "-3.00", "10.00")}));
    EXPECT_EQ(std::tuple(b.setup.DeviceName, b.setup.FontSize), std::tuple("Recording PDF", 10));
    EXPECT_EQ(std::tuple(options.Text(quillon::config::opt::DeviceName), options.Text(quillon::config::opt::FontName)),
              std::tuple("Recording PDF", "Courier New"));

    b.box.shown.clear(); // everything available: nothing to say
    b.setup.DeviceName = "Office Laser";
    b.setup.FontName = "Consolas";
    b.setup.FontSize = 9;
    RestorePrintingSetup(b.printer, options, b.box);
    EXPECT_TRUE(b.box.shown.empty());
    EXPECT_EQ(std::tuple(b.surface.CurrentDevice().deviceName, b.surface.FontName(), b.surface.FontSize()),
              std::tuple("Office Laser", "Consolas", 9));
}

} // namespace
