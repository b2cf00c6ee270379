#include "platform/svg/QtSvgPageSurface.h"
#include "platform/qt/QtPrintSurface.h"

#include "support/AppEnvironment.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <thread>

using namespace quillon::platform;

namespace {

[[maybe_unused]] const ::testing::Environment* const kGui = quillon::test::useApplication<QGuiApplication>();

// A picture as an XML reader reads it: per element its name and the values of the attributes
// checked here, a text as "text X Y FAMILY:CONTENT", what the reader could not read as "error: ...".
QStringList readPicture(const QByteArray& svg)
{
    static const QStringList textAttributes {"x", "y", "font-family"};
    static const QStringList shapeAttributes {"width", "viewBox", "x", "y", "fill", "stroke", "stroke-dasharray"};
    QStringList out;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const bool text = xml.name() == u"text";
        QString element = xml.name().toString();
        for (const QString& name : text ? textAttributes : shapeAttributes)
            if (xml.attributes().hasAttribute(name))
                element += u' ' + xml.attributes().value(name).toString();
        out << (text ? element + u':' + xml.readElementText() : element);
    }
    if (xml.hasError() || svg.startsWith("<?xml") || svg.contains("<!DOCTYPE"))
        out << QStringLiteral("error: ") + xml.errorString();
    return out;
}

TEST(QtSvgPageSurface, SheetsAndTextsMeasureAsOnThePdfWritersPages)
{
    QtSvgPageSurface svg;
    QtPrintSurface pdf {{}, QString()};
    const auto both = [&](const std::function<void(IPrintSurface&)>& set) { set(svg), set(pdf); };
    for (const auto& [paper, orientation] : {std::pair(1, 1), {1, 2}, {5, 1}, {5, 2}}) {
        both([&](IPrintSurface& s) { s.setPaperCode(paper), s.setOrientationCode(orientation); });
        EXPECT_EQ(
            std::tuple(svg.sheetWidth(), svg.sheetHeight(), svg.printableWidth(), svg.printableHeight(), svg.physicalPageWidthPixels(), svg.pixelsPerInchY()),
            std::tuple(pdf.sheetWidth(), pdf.sheetHeight(), pdf.printableWidth(), pdf.printableHeight(), pdf.physicalPageWidthPixels(), pdf.pixelsPerInchY()))
            << paper << ' ' << orientation;
    }
    const QString texts[] = {"cmdOK", "a\tb  c",
        QString::fromUtf8("Gr\xc3\xb6\xc3\x9f"
                          "e \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d"),
        "x\x01y", QString(3000, u'W')};
    for (const auto& [family, points, bold, italic] :
        {std::tuple("Courier New", 10.0, false, false), {"Arial", 7.5, true, false}, {"DejaVu Serif", 14.0, false, true}}) {
        both([&](IPrintSurface& s) { s.setFontName(family), s.setFontSize(points), s.setBold(bold), s.setItalic(italic); });
        EXPECT_EQ(svg.textHeight(u"X"), pdf.textHeight(u"X")) << family;
        for (const QString& text : texts)
            EXPECT_EQ(svg.textWidth(text), pdf.textWidth(text)) << family << ' ' << qPrintable(text.left(20));
    }
}

TEST(QtSvgPageSurface, TextsAreEscapedTextElementsWhereTheCursorStands)
{
    QtSvgPageSurface s;
    s.setFontName(QStringLiteral("Liberation \"Mono\" & <b>"));
    s.setCurrentX(1440); // an inch: 1200 pixels
    s.printText(u"<img src=x onerror=alert(1)>", false);
    const QString after = QString::number(1200 + s.textWidth(u"<img src=x onerror=alert(1)>") * 1200 / 1440);
    s.printText(u"& \"q\"\x01", true);
    s.printText(u"next", false);
    s.setCurrentY(20 * 1440); // below a Letter sheet: left out
    s.printText(u"gone", false);
    ASSERT_TRUE(s.endDocument());
    const std::vector<QByteArray> pages = s.takePages();
    ASSERT_EQ(pages.size(), 1u);
    const QStringList read = readPicture(pages[0]);
    const QStringList texts = read.filter(QRegularExpression("^(text|error)"));
    ASSERT_EQ(texts.size(), 3) << qPrintable(read.join('\n'));
    // "text X FAMILY:CONTENT", the baseline left out.
    const auto withoutY = [](const QString& text) { return text.section(' ', 0, 1) + ' ' + text.section(' ', 3); };
    EXPECT_EQ(withoutY(texts[0]), "text 1200 Liberation \"Mono\" & <b>:<img src=x onerror=alert(1)>");
    EXPECT_EQ(withoutY(texts[1]), "text " + after + " Liberation \"Mono\" & <b>:& \"q\"\uFFFD");
    EXPECT_EQ(texts[2].section(' ', 0, 1), "text 0");
    const double y0 = texts[0].section(' ', 2, 2).toDouble();
    EXPECT_GT(y0, 0) << "the baseline lies under the top of the text";
    EXPECT_NEAR(texts[2].section(' ', 2, 2).toDouble() - y0, s.textHeight(u"X") * 1200 / 1440, 0.01);
    EXPECT_EQ(read.front(), "svg 100% 0 0 10200 13200") << "as wide as its place";
    EXPECT_FALSE(pages[0].contains(" id=") || pages[0].contains("<title")) << "nothing to clash in a page of pictures";
}

TEST(QtSvgPageSurface, PagesOfEndedDocumentsAreTakenOnceAndAnAbandonedOneGivesNone)
{
    QtSvgPageSurface s;
    s.drawLine(0, 0, 1440, 1440, rgb(255, 0, 0), 3, LineStyle::Dashed);
    s.setOrientationCode(2); // for the next document
    s.newPage();
    s.fillBox(1440, 1440, 0, 0, rgb(0, 0, 255));
    EXPECT_EQ(s.pagesStarted(), 2);
    ASSERT_TRUE(s.endDocument());
    s.drawBox(0, 0, 100, 100, 0, 1, LineStyle::Solid);
    s.abandonDocument();
    ASSERT_TRUE(s.endDocument()); // nothing printed: a blank page
    const std::vector<QByteArray> pages = s.takePages();
    EXPECT_TRUE(s.takePages().empty());
    QStringList drawn;
    for (const QByteArray& page : pages)
        drawn << readPicture(page).filter(QRegularExpression("^(svg|polyline|rect)|#|error")).join(", ");
    // Dashes of 6 points and gaps of 3 at 1200 pixels per inch.
    EXPECT_EQ(drawn,
        QStringList({"svg 100% 0 0 10200 13200, g none #ff0000 100,50, polyline none", "svg 100% 0 0 10200 13200, g #0000ff none, rect 1200 0 0",
            "svg 100% 0 0 13200 10200"}));
}

TEST(QtSvgPageSurface, SurfacesOnWorkerThreadsDrawWhatOneOnTheMainThreadDraws)
{
    auto draw = [] {
        QtSvgPageSurface s;
        s.setFontName(QStringLiteral("DejaVu Sans"));
        for (int i = 0; i < 40; ++i) {
            s.setBold(i % 2 == 1);
            s.printText(QStringLiteral("txtField%1 \u0634\u0643\u0631\u0627").arg(i), true);
            s.drawBox(0, i * 300, 2000, i * 300 + 200, rgb(i, 0, 0), 1, LineStyle::Dotted);
        }
        s.endDocument();
        return s.takePages();
    };
    const std::vector<QByteArray> expected = draw();
    ASSERT_EQ(expected.size(), 1u);
    std::vector<QByteArray> drawn[4];
    std::vector<std::thread> threads;
    for (auto& pages : drawn)
        threads.emplace_back([&pages, &draw] { pages = draw(); });
    for (std::thread& t : threads)
        t.join();
    for (const auto& pages : drawn)
        EXPECT_EQ(pages, expected);
}

} // namespace
