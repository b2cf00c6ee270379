#include "core/print/PrintFixture.h"

#include <gtest/gtest.h>

using namespace quillon::print;
using quillon::test::PrintBench;
using Op = quillon::platform::RecordingPrintSurface::Op;

namespace {

TEST(PageGeometryTest, DefaultsOnLetter)
{
    PrintBench b;
    const PageGeometry& g = b.Compute();
    EXPECT_EQ(g.CharHeight, 240);
    EXPECT_EQ(g.LineAdvance, 240);
    EXPECT_EQ(g.HeaderBandHeight, 2 * 288);
    EXPECT_EQ(g.FooterBandHeight, 720);
    EXPECT_EQ(g.PrintableWidth, 11520 - 720 - 720);
    EXPECT_DOUBLE_EQ(g.PrintableHeight, 15840 - 576 - 864 - 1440 - 1440);
    EXPECT_EQ(g.PrintDateText, QStringLiteral("3/7/26 2:05 pm"));
    EXPECT_EQ(g.RunStartTimeText, QStringLiteral("2:05:09 pm"));
    EXPECT_EQ(g.FoldDistance, 0);
    EXPECT_EQ(b.surface.CurrentY(), 0) << "measuring the line advance leaves the cursor where it was";
}

TEST(PageGeometryTest, BindingEdgesReduceWidthOrHeight)
{
    PrintBench b;
    b.setup.Margins[kBinder] = 0.75;
    b.setup.BindingEdge = 5;
    const double width = b.Compute().PrintableWidth;
    const double height = b.printer.Geometry().PrintableHeight;
    b.setup.BindingEdge = 0;
    EXPECT_EQ(b.Compute().PrintableWidth - width, 1080);
    EXPECT_EQ(b.printer.Geometry().PrintableHeight, height);
    b.setup.BindingEdge = 3;
    EXPECT_EQ(b.Compute().PrintableHeight, height - 1080);
    EXPECT_EQ(b.printer.Geometry().BinderHeight, 1080);
    EXPECT_EQ(b.printer.Geometry().BinderWidth, 0);
}

TEST(PageGeometryTest, PaperAndOrientationTextsAndTheDevice)
{
    PrintBench b;
    b.setup.PaperSize = QStringLiteral("legal ");
    b.setup.Orientation = QStringLiteral(" landscape");
    b.setup.DeviceName = QStringLiteral("office laser");
    b.Compute();
    EXPECT_EQ(b.surface.PaperCode(), 5);
    EXPECT_EQ(b.surface.OrientationCode(), 2);
    EXPECT_EQ(b.surface.CurrentDevice().deviceName, QStringLiteral("Office Laser"));
    b.setup.DeviceName = QStringLiteral("No Such Printer");
    b.setup.PaperSize = QStringLiteral("A4");
    b.Compute();
    EXPECT_EQ(b.surface.CurrentDevice().deviceName, QStringLiteral("Office Laser")) << "an unknown name keeps the device";
    EXPECT_EQ(b.surface.PaperCode(), 1);
    EXPECT_TRUE(b.printer.SelectOutputDevice(QStringLiteral("RECORDING pdf")));
    EXPECT_EQ(b.setup.PrinterPort, QStringLiteral("FILE:"));
    EXPECT_EQ(b.printer.OutputTargetDescription(),
              QStringLiteral("Recording PDF using 10 point Courier New with the  landscape orientation and printing Simplex.)"));
}

TEST(PageGeometryTest, MarginFitting)
{
    MarginFit fit = FitMarginsToSample(720, 720, 1000);
    EXPECT_EQ(fit.left, 500);
    EXPECT_EQ(fit.right, 500);
    EXPECT_TRUE(fit.fits);
    fit = FitMarginsToSample(300, 1500, 1000);
    EXPECT_EQ(fit.left, 288);
    EXPECT_EQ(fit.right, 712);
    fit = FitMarginsToSample(1500, 300, 1000);
    EXPECT_EQ(fit.left, 712);
    EXPECT_EQ(fit.right, 288);
    fit = FitMarginsToSample(720, 720, 2000);
    EXPECT_EQ(fit.left, 720) << "no excess: nothing changes";
    fit = FitMarginsToSample(720, 720, 400);
    EXPECT_EQ(fit.left, 288);
    EXPECT_EQ(fit.right, 288);
    EXPECT_FALSE(fit.fits) << "even the minimum margins leave too little room";
}

TEST(PageGeometryTest, CheckMarginsRefusesNoPrintableArea)
{
    PrintBench b;
    double width = 0;
    EXPECT_TRUE(b.printer.CheckMargins(720, 720, 1440, 1440, 1080, 1, width, &b.box));
    EXPECT_EQ(width, 11520 - 720 - 720 - 1080);
    EXPECT_TRUE(b.printer.CheckMargins(-50, 720, 1440, 1440, 0, 0, width, &b.box)) << "negative counts as 0";
    EXPECT_EQ(width, 11520 - 720);
    b.surface.SetPaperCode(5);
    EXPECT_FALSE(b.printer.CheckMargins(6000, 6000, 1440, 1440, 0, 0, width, &b.box));
    ASSERT_EQ(b.box.shown.size(), 1u);
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Invalid Margins"));
    EXPECT_EQ(b.box.shown[0].text,
              QStringLiteral("Your margins leave NO printable area on the selected printer/page setup."));
    EXPECT_EQ(b.surface.PaperCode(), 5) << "the device is put back as it was";
}

TEST(PageGeometryTest, FoldingGuideOnlyOnLegal)
{
    PrintBench b;
    b.setup.FoldingGuide = 1;
    b.Compute();
    b.printer.DrawFoldingGuide();
    EXPECT_TRUE(b.surface.ops.empty() || b.surface.ops.back().kind != Op::Kind::Line) << "Letter draws nothing";
    b.setup.PaperSize = QStringLiteral("Legal");
    b.setup.FoldingGuide = 3;
    b.Compute();
    b.printer.DrawFoldingGuide();
    const Op& line = b.surface.ops.back();
    ASSERT_EQ(line.kind, Op::Kind::Line);
    EXPECT_EQ(line.x, 3600);
    EXPECT_EQ(line.y, -1000);
    EXPECT_EQ(line.y2, 20160 + 1000);
    EXPECT_EQ(line.style, quillon::platform::LineStyle::Dotted);
    EXPECT_EQ(line.color, quillon::platform::Rgb(192, 192, 192));
    EXPECT_EQ(b.printer.Geometry().FoldDistance, 3600);
}

TEST(PageGeometryTest, TabWidthIsClamped)
{
    PrintBench b;
    b.setup.TabWidthSetting = 40;
    EXPECT_EQ(b.Compute().IdeTabWidth, 32);
    b.setup.TabWidthSetting = 0;
    EXPECT_EQ(b.Compute().IdeTabWidth, 1);
}

} // namespace

#include "print/OutputFiles.h"

namespace {

TEST(ClockTexts, TwelveHourClockAndTheSuggestedName)
{
    const QDateTime midnight(QDate(2026, 12, 6), QTime(0, 7, 3));
    EXPECT_EQ(PrintDateText(midnight), QStringLiteral("12/6/26 12:07 am"));
    EXPECT_EQ(RunStartTimeText(QDateTime(QDate(2026, 1, 2), QTime(12, 0, 0))), QStringLiteral("12:00:00 pm"));
    EXPECT_EQ(SuggestedOutputName(QStringLiteral("Inventory"), QDateTime(QDate(2026, 3, 7), QTime(21, 4, 59))),
              QStringLiteral("!2026-03-07 9.04.59 pm Inventory Program Documentation.pdf"));
}

} // namespace

#include "config/Options.h"
#include "platform/PrinterDefaults.h"

namespace {

TEST(RestorePrintingSetupTest, WhatTheDeviceCannotTakeIsToldAndReplaced)
{
    quillon::test::PrintBench b;
    quillon::platform::BuiltInPdfPrinterDefaults defaults;
    quillon::config::Options options(b.ini, defaults);
    options.Load();
    b.surface.fonts = {"Courier New", "Consolas"};
    b.setup.DeviceName = "Gone Printer";
    b.setup.FontName = "Wingdings 9";
    b.setup.FontSize = -3;
    quillon::print::RestorePrintingSetup(b.printer, options, b.box);
    ASSERT_EQ(b.box.shown.size(), 3u);
    EXPECT_EQ(b.box.shown[0].title, QStringLiteral("Output Target Not Changed"));
    EXPECT_EQ(b.box.shown[0].text, QStringLiteral("The outout target saved as being selected during the last session, "
                                                  "\"Gone Printer\", is not available.  The current output target "
                                                  "\"Recording PDF\" remains as the default."));
    EXPECT_EQ(b.box.shown[1].title, QStringLiteral("Font Not Changed"));
    EXPECT_EQ(b.box.shown[1].text, QStringLiteral("The font saved as being selected during the last session, "
                                                  "\"Wingdings 9\", is not available.  The current font \"Courier New\" "
                                                  "remains as the default."));
    EXPECT_EQ(b.box.shown[2].title, QStringLiteral("Font Size Not Changed"));
    EXPECT_EQ(b.box.shown[2].text, QStringLiteral("The font size saved as being selected during the last session, "
                                                  "\"-3.00\", is not available.  The current font size \"10.00\" "
                                                  "remains as the default."));
    EXPECT_EQ(b.setup.DeviceName, QStringLiteral("Recording PDF"));
    EXPECT_EQ(options.Text(quillon::config::opt::DeviceName), QStringLiteral("Recording PDF"));
    EXPECT_EQ(options.Text(quillon::config::opt::FontName), QStringLiteral("Courier New"));
    EXPECT_EQ(b.setup.FontSize, 10);

    quillon::test::PrintBench fine; // everything available: nothing to say
    quillon::config::Options same(fine.ini, defaults);
    same.Load();
    fine.setup.DeviceName = "Office Laser";
    fine.setup.FontName = "Consolas";
    fine.setup.FontSize = 9;
    quillon::print::RestorePrintingSetup(fine.printer, same, fine.box);
    EXPECT_TRUE(fine.box.shown.empty());
    EXPECT_EQ(fine.surface.CurrentDevice().deviceName, QStringLiteral("Office Laser"));
    EXPECT_EQ(fine.surface.FontName(), QStringLiteral("Consolas"));
    EXPECT_EQ(fine.surface.FontSize(), 9);
}

} // namespace
