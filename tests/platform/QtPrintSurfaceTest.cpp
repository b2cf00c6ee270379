#include "platform/qt/QtPrintSurface.h"
#include "platform/qt/QtPrinterDefaults.h"

#include "support/AppEnvironment.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

using namespace quillon::platform;

namespace {

// QPainter on a QPrinter, fonts and the printer list all need the GUI application.
[[maybe_unused]] const ::testing::Environment* const kGui = quillon::test::UseApplication<QGuiApplication>();

const QString kPdf = QStringLiteral("Quillon PDF");

// A surface on the built-in PDF writer writing to a file in the fixture folder.
struct PdfSurface {
    quillon::test::Fixture dir;
    QtPrintSurface surface;
    QString file;

    explicit PdfSurface(const QString& name = QStringLiteral("out.pdf"))
    {
        EXPECT_TRUE(surface.SelectDevice(kPdf));
        file = dir.path(name);
        surface.SetOutputFile(file);
    }
};

struct ToolResult {
    int exitCode = -1;
    QString out;
};

// Runs a command-line tool; nothing when it is not installed.
std::optional<ToolResult> RunTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    process.waitForFinished(60000);
    return ToolResult{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                      QString::fromUtf8(process.readAllStandardOutput())};
}

#define RUN_OR_SKIP(var, program, ...)                                                   \
    const std::optional<ToolResult> var = RunTool(QStringLiteral(program), __VA_ARGS__); \
    if (!var)                                                                            \
        GTEST_SKIP() << program " is not installed";

int PdfPages(const ToolResult& info)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Renders a page to an image at 72 pixels per inch (one pixel = 20 twips).
QImage RenderPage(const QString& pdf, int page, const QString& prefix)
{
    const std::optional<ToolResult> run = RunTool(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
         QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    if (!run || run->exitCode != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".ppm"));
}

QRgb PixelAtTwips(const QImage& image, double x, double y)
{
    return image.pixel(int(x / 20.0), int(y / 20.0));
}

// ---- Device URIs -----------------------------------------------------------------------

TEST(PortFromDeviceUri, LocalPortsKeepWhatFollowsTheScheme)
{
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("usb://HP/LaserJet%20P1102?serial=000")),
              QStringLiteral("USB//HP/LaserJet%20P1102?serial=000"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("parallel:/dev/lp0")), QStringLiteral("LPT/dev/lp0"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("serial:/dev/ttyS0?baud=9600")), QStringLiteral("COM/dev/ttyS0?baud=9600"));
}

TEST(PortFromDeviceUri, NetworkPrintersAreNamedByHost)
{
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("ipp://printer.local:631/ipp/print")), QStringLiteral("IP_printer.local"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("ipps://secure.example.com/printers/office")), QStringLiteral("IP_secure.example.com"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("socket://10.0.0.5:9100")), QStringLiteral("IP_10.0.0.5"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("lpd://host/queue")), QStringLiteral("IP_host"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("IPP://Printer.Local/ipp/print")), QStringLiteral("IP_printer.local"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("socket:no-host")), QStringLiteral("socket:no-host"));
}

TEST(PortFromDeviceUri, FilesAndOtherSchemes)
{
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("file:///dev/null")), QStringLiteral("FILE:"));
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("cups-pdf:/")), QStringLiteral("FILE:"));
    const QString dnssd = QStringLiteral("dnssd://Office%20Laser._ipp._tcp.local/?uuid=1234");
    EXPECT_EQ(PortFromDeviceUri(dnssd), dnssd);
    EXPECT_EQ(PortFromDeviceUri(QStringLiteral("hp:/usb/LaserJet?serial=1")), QStringLiteral("hp:/usb/LaserJet?serial=1"));
    EXPECT_EQ(PortFromDeviceUri(QString()), QString());
}

TEST(ParseLpstatDevices, ReadsNameAndUriOfEachDeviceLine)
{
    const QHash<QString, QString> uris = ParseLpstatDevices(QStringLiteral(
        "system default destination: Office\n"
        "device for Office: ipp://printer.local:631/ipp/print\n"
        "device for PDF: cups-pdf:/\r\n"
        "device for Label_Printer: usb://Zebra/ZD420?serial=X1\n"
        "garbage line\n"));
    ASSERT_EQ(uris.size(), 3);
    EXPECT_EQ(uris.value(QStringLiteral("Office")), QStringLiteral("ipp://printer.local:631/ipp/print"));
    EXPECT_EQ(uris.value(QStringLiteral("PDF")), QStringLiteral("cups-pdf:/"));
    EXPECT_EQ(uris.value(QStringLiteral("Label_Printer")), QStringLiteral("usb://Zebra/ZD420?serial=X1"));
    EXPECT_TRUE(ParseLpstatDevices(QString()).isEmpty());
}

// ---- Devices and page set-up -----------------------------------------------------------

TEST(QtPrintSurfaceFonts, AStandInFamilyCountsAndANameNobodyKnowsDoesNot)
{
    QtPrintSurface surface;
    EXPECT_TRUE(surface.HasFont(QStringLiteral("Liberation Mono")));
    EXPECT_TRUE(surface.HasFont(QStringLiteral("Courier New"))) << "fonts-liberation stands in for it";
    EXPECT_FALSE(surface.HasFont(QStringLiteral("Quillon Font That Is Nowhere")));
    EXPECT_FALSE(surface.HasFont(QStringLiteral("  ")));
}

TEST(QtPrintSurfaceDevices, BuiltInPdfWriterIsListedLastAndSelectable)
{
    QtPrintSurface surface;
    const std::vector<PrinterInfo> printers = surface.Printers();
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers.back().deviceName, kPdf);
    EXPECT_EQ(printers.back().driverName, QStringLiteral("Quillon PDF Writer"));
    EXPECT_EQ(printers.back().port, QStringLiteral("FILE:"));
    if (printers.size() == 1) {
        // No CUPS printer here: the writer is the default, and the surface starts on it.
        EXPECT_EQ(surface.DefaultDeviceName(), kPdf);
        EXPECT_EQ(surface.CurrentDevice().deviceName, kPdf);
    }

    EXPECT_TRUE(surface.SelectDevice(QStringLiteral("quillon pdf")));
    EXPECT_EQ(surface.CurrentDevice().deviceName, kPdf);
    EXPECT_TRUE(surface.IsFileTarget());

    EXPECT_FALSE(surface.SelectDevice(QStringLiteral("No Such Printer")));
    EXPECT_FALSE(surface.SelectDevice(QString()));
    EXPECT_EQ(surface.CurrentDevice().deviceName, kPdf);
}

TEST(QtPrintSurfaceDevices, PrinterDefaultsFollowTheDefaultDevice)
{
    QtPrintSurface surface;
    const PrinterDefaults defaults = QtPrinterDefaults().Current();
    EXPECT_EQ(defaults.deviceName, surface.DefaultDeviceName());
    EXPECT_EQ(defaults.fontName, QStringLiteral("Courier New"));
    EXPECT_EQ(defaults.fontSize, 10.0);
    if (surface.DefaultDeviceName() == kPdf) {
        const PrinterDefaults builtIn = BuiltInPdfWriterDefaults();
        EXPECT_EQ(defaults.driverName, builtIn.driverName);
        EXPECT_EQ(defaults.port, QStringLiteral("FILE:"));
        EXPECT_EQ(defaults.paperCode, 1);
        EXPECT_EQ(defaults.orientationCode, 1);
        EXPECT_EQ(defaults.duplexCode, 1);
    }
}

TEST(QtPrintSurfaceGeometry, PdfWriterSheetIsThePaperAndAllOfItPrints)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    struct Case {
        int paper, orientation;
        double width, height;
    };
    for (const Case& c : {Case{1, 1, 12240, 15840}, Case{5, 1, 12240, 20160}, Case{1, 2, 15840, 12240}, Case{5, 2, 20160, 12240}}) {
        SCOPED_TRACE(testing::Message() << "paper " << c.paper << " orientation " << c.orientation);
        surface.SetPaperCode(c.paper);
        surface.SetOrientationCode(c.orientation);
        EXPECT_EQ(surface.PaperCode(), c.paper);
        EXPECT_EQ(surface.OrientationCode(), c.orientation);
        EXPECT_NEAR(surface.SheetWidth(), c.width, 0.5);
        EXPECT_NEAR(surface.SheetHeight(), c.height, 0.5);
        EXPECT_NEAR(surface.PrintableWidth(), c.width, 0.5);
        EXPECT_NEAR(surface.PrintableHeight(), c.height, 0.5);
        ASSERT_GT(surface.PixelsPerInchX(), 0);
        EXPECT_NEAR(surface.PhysicalPageWidthPixels(), c.width / 1440 * surface.PixelsPerInchX(), 1);
        EXPECT_NEAR(surface.PhysicalPageHeightPixels(), c.height / 1440 * surface.PixelsPerInchY(), 1);
    }
    surface.SetPaperCode(9); // unknown codes mean Letter
    EXPECT_EQ(surface.PaperCode(), 1);

    for (int mode : {2, 3, 1}) {
        surface.SetDuplexMode(mode);
        EXPECT_EQ(surface.DuplexMode(), 1) << "the PDF writer is one-sided, asked for " << mode;
    }
}

TEST(QtPrintSurfaceGeometry, PageSetUpReachesTheFile)
{
    PdfSurface pdf;
    pdf.surface.SetPaperCode(5);
    pdf.surface.SetOrientationCode(2);
    pdf.surface.PrintText(u"Legal landscape", true);
    // The open document keeps its device and sheet; changes wait for the next one.
    EXPECT_FALSE(pdf.surface.SelectDevice(kPdf));
    pdf.surface.SetPaperCode(1);
    pdf.surface.SetOrientationCode(1);
    EXPECT_NEAR(pdf.surface.SheetWidth(), 20160, 0.5);
    ASSERT_TRUE(pdf.surface.EndDocument());
    EXPECT_NEAR(pdf.surface.SheetWidth(), 12240, 0.5);
    EXPECT_NEAR(pdf.surface.SheetHeight(), 15840, 0.5);
    EXPECT_TRUE(pdf.surface.SelectDevice(kPdf));
    RUN_OR_SKIP(info, "pdfinfo", {pdf.file});
    EXPECT_TRUE(info->out.contains(QStringLiteral("1008 x 612 pts"))) << info->out.toStdString();
}

// ---- Fonts and metrics -----------------------------------------------------------------

TEST(QtPrintSurfaceText, CourierNewMeasuresAsAMonospacedTenPointFont)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    surface.SetFontName(QStringLiteral("Courier New"));
    surface.SetFontSize(10);
    const double x = surface.TextWidth(u"X");
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"XX"), 2 * x);
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"il"), surface.TextWidth(u"WM"));
    EXPECT_NEAR(surface.TextWidth(QString(80, QLatin1Char('X'))), 80 * 0.6 * 200, 80 * 0.6 * 200 * 0.03);
    EXPECT_EQ(surface.TextWidth(u""), 0);

    surface.SetBold(true);
    const double boldWidth = surface.TextWidth(u"Bold text");
    surface.SetBold(false);
    EXPECT_GE(boldWidth, surface.TextWidth(u"Bold text"));

    surface.SetFontSize(20);
    EXPECT_NEAR(surface.TextWidth(u"X"), 2 * x, 2 * x * 0.01);
    surface.SetFontSize(10.5);
    EXPECT_DOUBLE_EQ(surface.FontSize(), 10.5);
    surface.SetFontSize(0); // ignored
    surface.SetFontSize(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(surface.FontSize(), 10.5);
}

TEST(QtPrintSurfaceText, ProportionalTextIsMeasuredWithThePrintersMetrics)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    surface.SetFontName(QStringLiteral("Liberation Sans"));
    surface.SetFontSize(11);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(11);
    font.setKerning(false);
    const QFontMetricsF metrics(font, &printer);
    const QString text = QStringLiteral("Private Function Total(ByVal n As Long) As Double");
    const double expected = metrics.horizontalAdvance(text) * 1440.0 / printer.resolution();
    EXPECT_NEAR(surface.TextWidth(text), expected, expected * 0.002);
    EXPECT_LT(surface.TextWidth(u"iiii"), surface.TextWidth(u"WWWW"));
}

TEST(QtPrintSurfaceText, LineEndMovesDownOneTextHeightAndBackToTheMargin)
{
    PdfSurface pdf;
    QtPrintSurface& surface = pdf.surface;
    const double height = surface.TextHeight(u"X");
    ASSERT_GT(height, 10 * 20); // at least the 10 points of the font
    EXPECT_LT(height, 10 * 20 * 1.5);

    surface.SetCurrentX(720);
    surface.SetCurrentY(1440);
    surface.PrintText(u"Dim a", false);
    EXPECT_DOUBLE_EQ(surface.CurrentX(), 720 + surface.TextWidth(u"Dim a"));
    EXPECT_DOUBLE_EQ(surface.CurrentY(), 1440);
    surface.PrintText(u" As Long", true);
    EXPECT_EQ(surface.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(surface.CurrentY(), 1440 + height);
    surface.PrintText(u"", true);
    EXPECT_DOUBLE_EQ(surface.CurrentY(), 1440 + 2 * height);

    surface.SetFontSize(20);
    EXPECT_NEAR(surface.TextHeight(u"X"), 2 * height, 2 * height * 0.02);
}

TEST(QtPrintSurfaceText, FontSettingsSurviveDeviceAndPaperChanges)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    surface.SetFontName(QStringLiteral("DejaVu Sans Mono"));
    surface.SetFontSize(12);
    surface.SetBold(true);
    const double width = surface.TextWidth(u"End Sub");
    surface.SetPaperCode(5);
    surface.SetOrientationCode(2);
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    EXPECT_EQ(surface.FontName(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(surface.FontSize(), 12);
    EXPECT_TRUE(surface.Bold());
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"End Sub"), width);
}

TEST(QtPrintSurfaceText, SavedStyleComesBackWithoutTouchingBoldOrSize)
{
    QtPrintSurface surface;
    surface.SetItalic(true);
    surface.SetUnderline(true);
    surface.SaveFontStyle();
    surface.SetItalic(false);
    surface.SetUnderline(false);
    surface.SetStrikeout(true);
    surface.SetBold(true);
    surface.SetFontSize(14);
    surface.RestoreFontStyle();
    EXPECT_TRUE(surface.Italic());
    EXPECT_TRUE(surface.Underline());
    EXPECT_FALSE(surface.Strikeout());
    EXPECT_TRUE(surface.Bold());
    EXPECT_EQ(surface.FontSize(), 14);
}

// ---- Characters the font cannot show ---------------------------------------------------

TEST(QtPrintSurfaceText, UnprintableCharactersBecomeHexEscapesWhenTheFontHasNoReplacementGlyph)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    surface.SetFontName(QStringLiteral("Courier New")); // Liberation Mono here: no U+FFFD
    EXPECT_EQ(surface.VisibleText(u"a\u0001b"), QStringLiteral("a<01>b"));
    EXPECT_EQ(surface.VisibleText(u"\u007F\r\n"), QStringLiteral("<7F><0D><0A>"));
    EXPECT_EQ(surface.VisibleText(u"x\ty"), QStringLiteral("x y"));
    EXPECT_EQ(surface.VisibleText(u"\u4E2D"), QStringLiteral("<4E2D>"));
    EXPECT_EQ(surface.VisibleText(u"\U0001F600!"), QStringLiteral("<1F600>!"));
    const char16_t lone[] = {0xD800, u'z', 0};
    EXPECT_EQ(surface.VisibleText(lone), QStringLiteral("<D800>z"));
    EXPECT_EQ(surface.VisibleText(u"Caf\u00E9 \u20AC"), QStringLiteral("Caf\u00E9 \u20AC"));

    EXPECT_DOUBLE_EQ(surface.TextWidth(u"a\u0001b"), surface.TextWidth(u"a<01>b"));
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"\U0001F600"), surface.TextWidth(u"<1F600>"));
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"x\ty"), surface.TextWidth(u"x y"));
}

TEST(QtPrintSurfaceText, UnprintableCharactersUseTheReplacementGlyphWhenTheFontHasOne)
{
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));
    surface.SetFontName(QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(surface.VisibleText(u"a\u0001b\u4E2D"), QStringLiteral("a\uFFFDb\uFFFD"));
    EXPECT_DOUBLE_EQ(surface.TextWidth(u"\u0001"), surface.TextWidth(u"\uFFFD"));
    EXPECT_GT(surface.TextWidth(u"\u0001"), 0);
}

TEST(QtPrintSurfaceText, TextThatNeedsShapingIsMeasuredAsItPrints)
{
    PdfSurface pdf;
    QtPrintSurface& surface = pdf.surface;
    surface.SetFontName(QStringLiteral("DejaVu Sans"));
    // A combining accent sits on its letter instead of taking a place of its own.
    EXPECT_NEAR(surface.TextWidth(u"e\u0301"), surface.TextWidth(u"e"), 1.0);
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    EXPECT_EQ(surface.VisibleText(hebrew), hebrew);
    const double width = surface.TextWidth(hebrew);
    EXPECT_GT(width, 0);
    surface.PrintText(hebrew, false);
    EXPECT_DOUBLE_EQ(surface.CurrentX(), width);
    surface.PrintText(u"caf\u00E9 \u0001", false);
    EXPECT_DOUBLE_EQ(surface.CurrentX(), width + surface.TextWidth(u"caf\u00E9 \uFFFD"));

    // A listing line is left to right even when a run starts with Hebrew: the semicolon
    // after the word stays on its right.
    surface.SetCurrentX(0);
    surface.SetCurrentY(2880);
    surface.PrintText(hebrew + QStringLiteral(" ;"), true);
    ASSERT_TRUE(surface.EndDocument());
    RUN_OR_SKIP(boxes, "pdftotext", {QStringLiteral("-bbox"), pdf.file, QStringLiteral("-")});
    double semicolonLeft = -1;
    double hebrewRight = -1;
    const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    for (auto it = word.globalMatch(boxes->out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(2).toDouble() < 140)
            continue; // the first lines
        if (m.captured(4) == QLatin1String(";"))
            semicolonLeft = m.captured(1).toDouble();
        else if (m.captured(4).front().unicode() >= 0x5D0 && m.captured(4).front().unicode() <= 0x5EA)
            hebrewRight = std::max(hebrewRight, m.captured(3).toDouble());
    }
    ASSERT_GT(semicolonLeft, 0) << boxes->out.toStdString();
    ASSERT_GT(hebrewRight, 0) << boxes->out.toStdString();
    EXPECT_GT(semicolonLeft, hebrewRight);
}

// ---- Documents -------------------------------------------------------------------------

TEST(QtPrintSurfaceDocument, ThreePagesOfHighlightedTextMakeAValidPdf)
{
    PdfSurface pdf;
    QtPrintSurface& s = pdf.surface;
    s.SetFontName(QStringLiteral("Courier New"));
    s.SetFontSize(10);

    s.SetCurrentX(1440);
    s.SetCurrentY(1440);
    s.SetBold(true);
    s.SetTextColor(Rgb(0, 0, 128));
    s.PrintText(u"Sub", false);
    s.SetBold(false);
    s.SetTextColor(Rgb(0, 0, 0));
    s.PrintText(u" Main()", true);
    s.SetTextColor(Rgb(0, 128, 0));
    s.PrintText(u"' bell\u0007 han \u4E2D smile \U0001F600 end", true);
    s.SetItalic(true);
    s.SetUnderline(true);
    s.PrintText(u"' underlined note", true);
    s.SetItalic(false);
    s.SetUnderline(false);
    // A solid green block: text colour and the top of the text at the current y.
    s.SetCurrentX(2880);
    s.SetCurrentY(4320);
    s.SetTextColor(Rgb(0, 160, 0));
    s.PrintText(u"\u2588\u2588\u2588\u2588", true);
    s.FillBox(1440, 7200, 2880, 8640, Rgb(255, 0, 0));
    s.DrawBox(1440, 7200, 2880, 8640, Rgb(0, 0, 0), 1, LineStyle::Solid);
    for (LineStyle style : {LineStyle::Solid, LineStyle::Dashed, LineStyle::Dotted, LineStyle::DashDot})
        s.DrawLine(1440, 9000 + 200 * int(style), 8000, 9000 + 200 * int(style), Rgb(0, 0, 255), 3, style);
    EXPECT_EQ(s.CurrentY(), 4320 + s.TextHeight(u"X")) << "drawing does not move the cursor";

    s.NewPage();
    EXPECT_EQ(s.CurrentX(), 0);
    EXPECT_EQ(s.CurrentY(), 0);
    s.PrintText(u"Second page", true);
    s.NewPage();
    s.SetTextColor(Rgb(128, 0, 0));
    s.PrintText(u"Third page", true);
    EXPECT_EQ(s.PagesStarted(), 3);
    ASSERT_TRUE(s.EndDocument());

    RUN_OR_SKIP(info, "pdfinfo", {pdf.file});
    EXPECT_EQ(PdfPages(*info), 3) << info->out.toStdString();
    EXPECT_TRUE(info->out.contains(QStringLiteral("612 x 792 pts"))) << info->out.toStdString();

    RUN_OR_SKIP(text, "pdftotext", {QStringLiteral("-layout"), pdf.file, QStringLiteral("-")});
    const QStringList expected = {QStringLiteral("Sub Main()"), QStringLiteral("' bell<07> han <4E2D> smile <1F600> end"),
                                  QStringLiteral("' underlined note"),
                                  QStringLiteral("Second page"), QStringLiteral("Third page")};
    qsizetype from = 0;
    for (const QString& piece : expected) {
        const qsizetype at = text->out.indexOf(piece, from);
        EXPECT_GE(at, 0) << "missing or out of order: " << piece.toStdString() << "\n" << text->out.toStdString();
        if (at >= 0)
            from = at + piece.size();
    }
    EXPECT_EQ(text->out.count(QLatin1Char('\f')), 3) << "one form feed per page";

    RUN_OR_SKIP(check, "qpdf", {QStringLiteral("--check"), pdf.file});
    EXPECT_EQ(check->exitCode, 0) << check->out.toStdString();

    const QImage page = RenderPage(pdf.file, 1, pdf.dir.path(QStringLiteral("page1")));
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm could not render the page";
    const double lineHeight = s.TextHeight(u"X");
    const double blockWidth = s.TextWidth(u"\u2588");
    EXPECT_EQ(PixelAtTwips(page, 2880 + blockWidth * 2, 4320 + lineHeight / 2), qRgb(0, 160, 0));
    EXPECT_EQ(PixelAtTwips(page, 2880 + blockWidth * 2, 4320 - lineHeight / 2), qRgb(255, 255, 255))
        << "text hangs below the current y";
    EXPECT_EQ(PixelAtTwips(page, 2160, 7920), qRgb(255, 0, 0));
    EXPECT_EQ(PixelAtTwips(page, 4000, 9000), qRgb(0, 0, 255));
}

TEST(QtPrintSurfaceDocument, PageBreakBeforeAnyOutputGivesTwoPages)
{
    PdfSurface pdf;
    pdf.surface.NewPage();
    pdf.surface.PrintText(u"after the break", true);
    EXPECT_EQ(pdf.surface.PagesStarted(), 2);
    ASSERT_TRUE(pdf.surface.EndDocument());
    RUN_OR_SKIP(info, "pdfinfo", {pdf.file});
    EXPECT_EQ(PdfPages(*info), 2);
}

TEST(QtPrintSurfaceDocument, EmptyDocumentStillWritesItsFile)
{
    PdfSurface pdf;
    ASSERT_TRUE(pdf.surface.EndDocument());
    EXPECT_EQ(pdf.surface.PagesStarted(), 1);
    RUN_OR_SKIP(info, "pdfinfo", {pdf.file});
    EXPECT_EQ(PdfPages(*info), 1);
}

TEST(QtPrintSurfaceDocument, UnwritableOutputFailsAtTheEndAndTheNextDocumentWorks)
{
    quillon::test::Fixture dir;
    QtPrintSurface surface;
    ASSERT_TRUE(surface.SelectDevice(kPdf));

    QStringList unwritable = {dir.path(QStringLiteral("no/such/folder/out.pdf")), dir.path()};
    if (QFileInfo::exists(QStringLiteral("/dev/full")))
        unwritable << QStringLiteral("/dev/full"); // opens, then every write fails: a full disk
    for (const QString& bad : unwritable) {
        SCOPED_TRACE(bad.toStdString());
        surface.SetOutputFile(bad);
        surface.PrintText(u"lost", true);
        surface.DrawLine(0, 0, 1440, 1440, 0, 1, LineStyle::Solid);
        surface.NewPage();
        EXPECT_EQ(surface.PagesStarted(), 2);
        EXPECT_FALSE(surface.EndDocument());
    }
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("no/such/folder/out.pdf"))));

    surface.SetOutputFile(QString());
    surface.PrintText(u"nowhere to go", true);
    EXPECT_FALSE(surface.EndDocument()) << "no output file named";

    const QString good = dir.path(QStringLiteral("good.pdf"));
    surface.SetOutputFile(good);
    surface.PrintText(u"written", true);
    EXPECT_EQ(surface.PagesStarted(), 1);
    EXPECT_TRUE(surface.EndDocument());
    EXPECT_GT(QFileInfo(good).size(), 0);
}

TEST(QtPrintSurfaceDocument, HugeLinesAndWildCoordinatesKeepThePdfValid)
{
    PdfSurface pdf;
    QtPrintSurface& s = pdf.surface;
    QString huge;
    for (int i = 0; i < 30000; ++i)
        huge += QStringLiteral("Dim x As \u0001\u05D0e\u0301 ");
    const double width = s.TextWidth(huge);
    EXPECT_GT(width, 1e6);
    s.PrintText(huge, false);
    EXPECT_NEAR(s.CurrentX(), width, width * 1e-12);
    s.SetCurrentX(0);
    s.PrintText(QString(300000, QLatin1Char('X')), true);
    s.SetCurrentY(-1e9);
    s.PrintText(u"far above", true);
    s.SetCurrentY(std::numeric_limits<double>::quiet_NaN());
    s.PrintText(u"nowhere", true);
    const double inf = std::numeric_limits<double>::infinity();
    s.DrawLine(0, 0, inf, 100, 0, 1, LineStyle::Solid);
    s.DrawBox(-1e12, -1e12, 1e12, 1e12, Rgb(1, 2, 3), 1000, LineStyle::Dotted);
    s.FillBox(std::numeric_limits<double>::quiet_NaN(), 0, 100, 100, 0);
    s.SetCurrentY(2000);
    s.SetCurrentX(0);
    s.PrintText(u"still here", true);
    ASSERT_TRUE(s.EndDocument());

    RUN_OR_SKIP(check, "qpdf", {QStringLiteral("--check"), pdf.file});
    EXPECT_EQ(check->exitCode, 0) << check->out.toStdString();
    RUN_OR_SKIP(text, "pdftotext", {pdf.file, QStringLiteral("-")});
    EXPECT_TRUE(text->out.contains(QStringLiteral("still here")));
}

} // namespace
