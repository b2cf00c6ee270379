#include "platform/qt/QtPrintSurface.h"
#include "platform/qt/QtPrinterDefaults.h"

#include "support/AppEnvironment.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

using namespace quillon::platform;

namespace {

// QPainter on a QPrinter, fonts and the printer list all need the GUI application.
[[maybe_unused]] const ::testing::Environment* const kGui = quillon::test::useApplication<QGuiApplication>();

const QString kPdf = QStringLiteral("Quillon PDF");

// A surface on the built-in PDF writer writing to a file in the fixture folder.
struct PdfSurface {
    quillon::test::Fixture dir;
    QtPrintSurface surface {{}, QString()};
    const QString file = dir.path(QStringLiteral("out.pdf"));

    PdfSurface()
    {
        EXPECT_TRUE(surface.selectDevice(kPdf));
        surface.setOutputFile(file);
    }
};

using quillon::test::Process;
using quillon::test::runProgram;

// The words of "pdftotext -bbox" output, in points.
struct Word {
    double left, top, right;
    QString text;
};
std::vector<Word> wordsIn(const QByteArray& bboxHtml)
{
    std::vector<Word> words;
    const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    for (auto it = word.globalMatch(QString::fromUtf8(bboxHtml)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4)});
    }
    return words;
}

// Renders the first page to an image at 72 pixels per inch (one pixel = 20 twips).
QImage renderFirstPage(const QString& pdf, const QString& prefix)
{
    const Process run = runProgram(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"), pdf, prefix});
    return run.code == 0 ? QImage(prefix + QStringLiteral(".ppm")) : QImage();
}

QRgb pixelAtTwips(const QImage& image, double x, double y)
{
    return image.pixel(int(x / 20.0), int(y / 20.0));
}

// ---- Devices and page set-up -----------------------------------------------------------

TEST(PortFromDeviceUri, LocalPortsNetworkHostsFilesAndOtherSchemes)
{
    const std::pair<QString, QString> cases[] = {
        {"usb://HP/LaserJet%20P1102?serial=000", "USB//HP/LaserJet%20P1102?serial=000"},
        {"parallel:/dev/lp0", "LPT/dev/lp0"},
        {"serial:/dev/ttyS0?baud=9600", "COM/dev/ttyS0?baud=9600"},
        {"ipp://printer.local:631/ipp/print", "IP_printer.local"},
        {"IPP://Printer.Local/ipp/print", "IP_printer.local"},
        {"socket:no-host", "socket:no-host"},
        {"file:///dev/null", "FILE:"},
        {"dnssd://Office%20Laser._ipp._tcp.local/?uuid=1234", "IP_//Office%20Laser._ipp._tcp.local/?uuid=1234"},
        {"implicitclass://Office_Laser/", "IP_office_laser"},
        {"hp:/usb/HP_LaserJet_1020?serial=00", "USB/usb/HP_LaserJet_1020?serial=00"},
        {"hp:/net/HP_Color?ip=192.168.1.5", "IP_/net/HP_Color?ip=192.168.1.5"},
        {"", ""},
    };
    for (const auto& [uri, port] : cases)
        EXPECT_EQ(portFromDeviceUri(uri), port) << qPrintable(uri);
}

TEST(ParseLpstatDevices, ReadsNameAndUriOfEachDeviceLine)
{
    const QHash<QString, QString> uris =
        parseLpstatDevices(QStringLiteral("system default destination: Office\ndevice for Office: ipp://printer.local:631/ipp/print\n"
                                          "device for PDF: cups-pdf:/\r\ndevice for Label_Printer: usb://Zebra/ZD420?serial=X1\ngarbage line\n"));
    EXPECT_EQ(uris,
        (QHash<QString, QString> {{"Office", "ipp://printer.local:631/ipp/print"}, {"PDF", "cups-pdf:/"}, {"Label_Printer", "usb://Zebra/ZD420?serial=X1"}}));
    EXPECT_TRUE(parseLpstatDevices(QString()).isEmpty());
}

TEST(QtPrintSurfaceDevices, TheSystemsPrintersThenTheBuiltInWriterWhichIsTheDefaultWithoutOthers)
{
    const PrinterInfo office {"Office", "HP LaserJet", "IP_printer.local"};
    QtPrintSurface withPrinters({office}, QStringLiteral("Office"));
    const std::vector<PrinterInfo> printers = withPrinters.printers();
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(std::tuple(printers[0].deviceName, printers[1].deviceName, printers[1].driverName, printers[1].port),
        std::tuple("Office", kPdf, "Quillon PDF Writer", "FILE:"));
    EXPECT_EQ(std::tuple(withPrinters.currentDevice().deviceName, withPrinters.isFileTarget()), std::tuple("Office", false));
    EXPECT_TRUE(withPrinters.selectDevice(QStringLiteral("quillon pdf")));
    EXPECT_EQ(std::tuple(withPrinters.currentDevice().deviceName, withPrinters.isFileTarget()), std::tuple(kPdf, true));
    EXPECT_FALSE(withPrinters.selectDevice(QStringLiteral("No Such Printer")));
    EXPECT_EQ(withPrinters.currentDevice().deviceName, kPdf);
    QtPrintSurface alone({}, QString());
    EXPECT_EQ(std::tuple(alone.printers().size(), alone.defaultDeviceName(), alone.currentDevice().deviceName), std::tuple(size_t(1), kPdf, kPdf));

    // Fonts, and the defaults of the default printer.
    for (const auto& [font, installed] : {std::pair {"Liberation Mono", true}, {"Courier New", true}, {"Quillon Font That Is Nowhere", false}, {"  ", false}})
        EXPECT_EQ(alone.hasFont(QString::fromLatin1(font)), installed) << font << " (fonts-liberation stands in for Courier New)";
    const PrinterDefaults defaults = QtPrinterDefaults().current();
    EXPECT_EQ(std::tuple(defaults.deviceName, defaults.fontName, defaults.fontSize), std::tuple(QtPrintSurface().defaultDeviceName(), "Courier New", 10.0));
}

TEST(QtPrintSurfaceGeometry, PdfWriterSheetIsThePaperAndAllOfItPrints)
{
    QtPrintSurface surface({}, QString());
    struct Case {
        int paper, orientation;
        double width, height;
    };
    for (const Case& c : {Case {1, 1, 12240, 15840}, Case {5, 1, 12240, 20160}, Case {1, 2, 15840, 12240}, Case {5, 2, 20160, 12240}}) {
        SCOPED_TRACE(testing::Message() << "paper " << c.paper << " orientation " << c.orientation);
        surface.setPaperCode(c.paper);
        surface.setOrientationCode(c.orientation);
        EXPECT_EQ(std::tuple(surface.paperCode(), surface.orientationCode()), std::tuple(c.paper, c.orientation)) << "page set-up reads the sheet back";
        // Sheet and printable area, rounded to whole twips.
        EXPECT_EQ(std::tuple(std::lround(surface.sheetWidth()), std::lround(surface.sheetHeight()), std::lround(surface.printableWidth()),
                      std::lround(surface.printableHeight())),
            std::tuple(std::lround(c.width), std::lround(c.height), std::lround(c.width), std::lround(c.height)));
        EXPECT_EQ(std::tuple(surface.physicalPageWidthPixels(), surface.physicalPageHeightPixels()), std::tuple(c.width / 1440 * 1200, c.height / 1440 * 1200))
            << "the PDF writer's 1200 pixels an inch";
    }
    surface.setPaperCode(9); // unknown codes mean Letter
    EXPECT_EQ(surface.paperCode(), 1);
    surface.setDuplexMode(2);
    EXPECT_EQ(surface.duplexMode(), 1) << "the PDF writer is one-sided";
}

TEST(QtPrintSurfaceGeometry, PageSetUpReachesTheFile)
{
    PdfSurface pdf;
    pdf.surface.setPaperCode(5);
    pdf.surface.setOrientationCode(2);
    pdf.surface.printText(u"Legal landscape", true);
    // The open document keeps its device and sheet; changes wait for the next one.
    EXPECT_FALSE(pdf.surface.selectDevice(kPdf));
    pdf.surface.setPaperCode(1);
    pdf.surface.setOrientationCode(1);
    ASSERT_TRUE(pdf.surface.endDocument());
    EXPECT_EQ(std::tuple(std::lround(pdf.surface.sheetWidth()), std::lround(pdf.surface.sheetHeight())), std::tuple(12240, 15840));
    RUN_OR_SKIP(info, "pdfinfo", {pdf.file});
    EXPECT_TRUE(info.out.contains("1008 x 612 pts")) << info.out.constData();
}

// ---- Fonts and metrics -----------------------------------------------------------------

TEST(QtPrintSurfaceText, CourierNewMeasuresAsAMonospacedTenPointFont)
{
    QtPrintSurface surface({}, QString());
    surface.setFontName(QStringLiteral("Courier New"));
    surface.setFontSize(10);
    EXPECT_DOUBLE_EQ(surface.textWidth(u"il"), surface.textWidth(u"WM"));
    EXPECT_NEAR(surface.textWidth(QString(80, QLatin1Char('X'))), 80 * 0.6 * 200, 80 * 0.6 * 200 * 0.03);
    surface.setFontSize(10.5);
    surface.setFontSize(0); // ignored, as is NaN
    surface.setFontSize(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(surface.fontSize(), 10.5);

    // Settings outlive a change of device and paper; a saved style comes back without
    // touching bold or size.
    surface.setBold(true);
    const double width = surface.textWidth(u"End Sub");
    surface.setPaperCode(5);
    ASSERT_TRUE(surface.selectDevice(kPdf));
    EXPECT_DOUBLE_EQ(surface.textWidth(u"End Sub"), width);
    surface.setItalic(true);
    surface.setUnderline(true);
    surface.saveFontStyle();
    surface.setItalic(false);
    surface.setUnderline(false);
    surface.setStrikeout(true);
    surface.setFontSize(14);
    surface.restoreFontStyle();
    EXPECT_TRUE(surface.italic() && surface.underline() && !surface.strikeout() && surface.bold());
    EXPECT_EQ(surface.fontSize(), 14);
}

// Proportional text takes the room in the PDF that its measured width says.
TEST(QtPrintSurfaceText, ProportionalTextTakesTheWidthItWasMeasuredAt)
{
    PdfSurface pdf;
    QtPrintSurface& surface = pdf.surface;
    surface.setFontName(QStringLiteral("Liberation Sans"));
    surface.setFontSize(11);
    const QString text = QStringLiteral("WWWWWWWWWW iiiiiiiiii MMMMMMMMMM");
    const double measured = surface.textWidth(text);
    surface.setCurrentX(720);
    surface.setCurrentY(720);
    surface.printText(text, true);
    ASSERT_TRUE(surface.endDocument());
    RUN_OR_SKIP(boxes, "pdftotext", {QStringLiteral("-bbox"), pdf.file, QStringLiteral("-")});
    const std::vector<Word> words = wordsIn(boxes.out);
    ASSERT_FALSE(words.empty());
    const double left = words.front().left;
    const double right = words.back().right;
    EXPECT_NEAR(left * 20, 720, 20) << boxes.out.constData();
    EXPECT_NEAR((right - left) * 20, measured, measured * 0.01) << "points are 20 twips";
}

TEST(QtPrintSurfaceText, LineEndMovesDownOneTextHeightAndBackToTheMargin)
{
    PdfSurface pdf;
    QtPrintSurface& surface = pdf.surface;
    const double height = surface.textHeight(u"X");
    ASSERT_GT(height, 10 * 20); // at least the 10 points of the font
    surface.setCurrentX(720);
    surface.setCurrentY(1440);
    surface.printText(u"Dim a", false);
    EXPECT_DOUBLE_EQ(surface.currentX(), 720 + surface.textWidth(u"Dim a"));
    EXPECT_DOUBLE_EQ(surface.currentY(), 1440);
    surface.printText(u" As Long", true);
    EXPECT_EQ(surface.currentX(), 0);
    EXPECT_DOUBLE_EQ(surface.currentY(), 1440 + height);
    surface.printText(u"", true); // a blank line is as high as any other
    EXPECT_DOUBLE_EQ(surface.currentY(), 1440 + 2 * height);
}

// ---- Characters the font cannot show ---------------------------------------------------

TEST(QtPrintSurfaceText, UnprintableCharactersBecomeHexEscapesOrTheFontsReplacementGlyph)
{
    QtPrintSurface surface({}, QString());
    surface.setFontName(QStringLiteral("Courier New")); // Liberation Mono here: no U+FFFD
    const char16_t lone[] = {0xD800, u'z', 0};
    const std::pair<const char16_t*, const char16_t*> escaped[] = {{u"\U0001F600!", u"<1F600>!"}, {u"x\ty", u"x y"}, {u"\u007F\r\n", u"<7F><0D><0A>"},
        {u"\u4E2D", u"<4E2D>"}, {lone, u"<D800>z"}, {u"Caf\u00E9 \u20AC", u"Caf\u00E9 \u20AC"}};
    for (const auto& [text, visible] : escaped) {
        EXPECT_EQ(surface.visibleText(text), QString::fromUtf16(visible));
        EXPECT_DOUBLE_EQ(surface.textWidth(text), surface.textWidth(visible)) << "measured as printed";
    }
    surface.setFontName(QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(surface.visibleText(u"a\u0001b\u4E2D"), QStringLiteral("a\uFFFDb\uFFFD"));
    EXPECT_DOUBLE_EQ(surface.textWidth(u"\u0001"), surface.textWidth(u"\uFFFD"));
}

TEST(QtPrintSurfaceText, TextThatNeedsShapingIsMeasuredAsItPrints)
{
    PdfSurface pdf;
    QtPrintSurface& surface = pdf.surface;
    surface.setFontName(QStringLiteral("DejaVu Sans"));
    // A combining accent sits on its letter instead of taking a place of its own.
    EXPECT_NEAR(surface.textWidth(u"e\u0301"), surface.textWidth(u"e"), 1.0);
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    EXPECT_EQ(surface.visibleText(hebrew), hebrew);
    const double width = surface.textWidth(hebrew);
    surface.printText(hebrew, false);
    EXPECT_DOUBLE_EQ(surface.currentX(), width);

    // A listing line is left to right even when a run starts with Hebrew: the semicolon
    // after the word stays on its right.
    surface.setCurrentX(0);
    surface.setCurrentY(2880);
    surface.printText(hebrew + QStringLiteral(" ;"), true);
    ASSERT_TRUE(surface.endDocument());
    RUN_OR_SKIP(boxes, "pdftotext", {QStringLiteral("-bbox"), pdf.file, QStringLiteral("-")});
    double semicolonLeft = -1;
    double hebrewRight = -1;
    for (const Word& word : wordsIn(boxes.out)) {
        if (word.top < 140)
            continue; // the first lines
        if (word.text == QLatin1String(";"))
            semicolonLeft = word.left;
        else if (word.text.front().unicode() >= 0x5D0 && word.text.front().unicode() <= 0x5EA)
            hebrewRight = std::max(hebrewRight, word.right);
    }
    ASSERT_GT(semicolonLeft, 0) << boxes.out.constData();
    ASSERT_GT(hebrewRight, 0) << boxes.out.constData();
    EXPECT_GT(semicolonLeft, hebrewRight);
}

// ---- Documents -------------------------------------------------------------------------

TEST(QtPrintSurfaceDocument, ThreePagesOfTextAndShapesMakeAValidPdf)
{
    PdfSurface pdf;
    QtPrintSurface& s = pdf.surface;
    s.setFontName(QStringLiteral("Courier New"));
    s.setFontSize(10);

    s.setCurrentX(1440);
    s.setCurrentY(1440);
    s.printText(u"Sub", false);
    s.printText(u" Main()", true);
    s.printText(u"' bell\u0007 han \u4E2D smile \U0001F600 end", true);
    // A solid green block: text colour and the top of the text at the current y.
    s.setCurrentX(2880);
    s.setCurrentY(4320);
    s.setTextColor(rgb(0, 160, 0));
    s.printText(u"\u2588\u2588\u2588\u2588", true);
    s.fillBox(1440, 7200, 2880, 8640, rgb(255, 0, 0));
    for (LineStyle style : {LineStyle::Solid, LineStyle::Dashed, LineStyle::Dotted, LineStyle::DashDot})
        s.drawLine(1440, 9000 + 200 * int(style), 8000, 9000 + 200 * int(style), rgb(0, 0, 255), 3, style);
    EXPECT_EQ(s.currentY(), 4320 + s.textHeight(u"X")) << "drawing does not move the cursor";

    s.newPage();
    EXPECT_EQ(s.currentX(), 0);
    EXPECT_EQ(s.currentY(), 0);
    s.printText(u"Second page", true);
    s.newPage();
    s.printText(u"Third page", true);
    ASSERT_TRUE(s.endDocument());

    RUN_OR_SKIP(text, "pdftotext", {QStringLiteral("-layout"), pdf.file, QStringLiteral("-")});
    const QRegularExpression inOrder(QStringLiteral("Sub Main\\(\\).*' bell<07> han <4E2D> smile <1F600> end"
                                                    ".*\f.*Second page.*\f.*Third page.*\f"),
        QRegularExpression::DotMatchesEverythingOption);
    EXPECT_TRUE(inOrder.match(QString::fromUtf8(text.out)).hasMatch()) << "every text, in order, a form feed per page:\n" << text.out.constData();

    RUN_OR_SKIP(check, "qpdf", {QStringLiteral("--check"), pdf.file});
    EXPECT_EQ(check.code, 0) << check.out.constData();

    const QImage page = renderFirstPage(pdf.file, pdf.dir.path(QStringLiteral("page1")));
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm could not render the page";
    const double lineHeight = s.textHeight(u"X");
    const double blockWidth = s.textWidth(u"\u2588");
    EXPECT_EQ(pixelAtTwips(page, 2880 + blockWidth * 2, 4320 + lineHeight / 2), qRgb(0, 160, 0));
    EXPECT_EQ(pixelAtTwips(page, 2880 + blockWidth * 2, 4320 - lineHeight / 2), qRgb(255, 255, 255)) << "text hangs below the current y";
    EXPECT_EQ(pixelAtTwips(page, 2160, 7920), qRgb(255, 0, 0));
    EXPECT_EQ(pixelAtTwips(page, 4000, 9000), qRgb(0, 0, 255));
}

TEST(QtPrintSurfaceDocument, AnEmptyDocumentAndABreakBeforeAnyOutput)
{
    for (const bool breakFirst : {false, true}) {
        PdfSurface pdf;
        if (breakFirst) {
            pdf.surface.newPage();
            pdf.surface.printText(u"after the break", true);
        }
        EXPECT_EQ(pdf.surface.pagesStarted(), breakFirst ? 2 : 1);
        ASSERT_TRUE(pdf.surface.endDocument());
        SKIP_WITHOUT_TOOLS("qpdf");
        EXPECT_EQ(quillon::test::pdfPages(pdf.file), breakFirst ? 2 : 1) << "an empty document still writes its file";
    }
}

// The file named stays as it was until the whole new document replaces it: while it is
// written, when it is never ended, when it cannot be written; the next one still works.
TEST(QtPrintSurfaceDocument, TheOutputIsReplacedOnlyByAWholeDocument)
{
    quillon::test::Fixture dir;
    const QString out = dir.write("out.pdf", "the earlier document");
    auto onlyTheOutput = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList {"out.pdf"}; };
    {
        QtPrintSurface surface({}, QString());
        surface.setOutputFile(out);
        surface.printText(u"half a document", true);
        EXPECT_EQ(quillon::test::readBytes(out), "the earlier document");
    } // never ended: thrown away
    EXPECT_EQ(quillon::test::readBytes(out), "the earlier document");
    EXPECT_TRUE(onlyTheOutput());

    QtPrintSurface surface({}, QString());
    const std::pair<QString, QString> failures[] = {
        {dir.path("no/such/folder/out.pdf"), "does not exist"}, {dir.path(), "could not be started"}, {out, "could not be written whole"}};
    for (const auto& [bad, why] : failures) {
        SCOPED_TRACE(bad.toStdString());
        std::optional<quillon::test::FileSizeLimit> full;
        if (bad == out)
            full.emplace(2000); // every write past it fails, as on a full disk
        surface.setOutputFile(bad);
        surface.printText(u"lost", true);
        surface.drawLine(0, 0, 1440, 1440, 0, 1, LineStyle::Solid);
        surface.newPage();
        EXPECT_FALSE(surface.endDocument());
        EXPECT_TRUE(surface.documentError().description.contains(why)) << surface.documentError().description.toStdString();
    }
    EXPECT_EQ(quillon::test::readBytes(out), "the earlier document");
    EXPECT_TRUE(onlyTheOutput());
    surface.setOutputFile(QString());
    surface.printText(u"nowhere to go", true);
    EXPECT_FALSE(surface.endDocument()) << "no output file named";

    ::chmod(QFile::encodeName(out).constData(), 0640);
    surface.setOutputFile(out);
    surface.printText(u"written", true);
    EXPECT_TRUE(surface.endDocument());
    EXPECT_TRUE(quillon::test::readBytes(out).startsWith("%PDF-"));
    EXPECT_EQ(quillon::test::fileStatus(out).st_mode & 0777, 0640u) << "the file keeps its permissions";
    EXPECT_TRUE(onlyTheOutput());
}

TEST(QtPrintSurfaceDocument, HugeLinesAndWildCoordinatesKeepThePdfValid)
{
    PdfSurface pdf;
    QtPrintSurface& s = pdf.surface;
    // Past the reach of Qt's fixed-point positions at printer resolution.
    QString huge;
    for (int i = 0; i < 2000; ++i)
        huge += QStringLiteral("Dim x As \u0001\u05D0e\u0301 ");
    const double width = s.textWidth(huge);
    EXPECT_GT(width, 1e5);
    s.printText(huge, false);
    EXPECT_NEAR(s.currentX(), width, width * 1e-12);
    s.setCurrentX(0);
    s.printText(QString(30000, QLatin1Char('X')), true);
    s.setCurrentY(-1e9);
    s.printText(u"far above", true);
    s.setCurrentY(std::numeric_limits<double>::quiet_NaN());
    s.printText(u"nowhere", true);
    const double inf = std::numeric_limits<double>::infinity();
    s.drawLine(0, 0, inf, 100, 0, 1, LineStyle::Solid);
    s.drawBox(-1e12, -1e12, 1e12, 1e12, rgb(1, 2, 3), 1000, LineStyle::Dotted);
    s.fillBox(std::numeric_limits<double>::quiet_NaN(), 0, 100, 100, 0);
    s.setCurrentY(2000);
    s.setCurrentX(0);
    s.printText(u"still here", true);
    ASSERT_TRUE(s.endDocument());
    RUN_OR_SKIP(check, "qpdf", {QStringLiteral("--check"), pdf.file});
    EXPECT_EQ(check.code, 0) << check.out.constData();
    RUN_OR_SKIP(text, "pdftotext", {pdf.file, QStringLiteral("-")});
    EXPECT_TRUE(text.out.contains("still here"));
}

} // namespace
