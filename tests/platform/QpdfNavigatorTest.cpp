#include "platform/pdf/QpdfNavigator.h"
#include "platform/pdf/PdfCompression.h"

#include "support/AppEnvironment.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTimeZone>

#include <gtest/gtest.h>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <zlib.h>

#include <set>

using namespace quillon::platform;
using namespace quillon::test;

namespace {

[[maybe_unused]] const ::testing::Environment* const kGui = useApplication<QGuiApplication>();

// Four A4 pages with a line of text each.
QString writePdf(const QString& path)
{
    QPdfWriter writer(path);
    QPainter painter(&writer);
    for (int i = 0; i < 4 && (i == 0 || writer.newPage()); ++i)
        painter.drawText(QPointF(400, 800), QStringLiteral("page %1").arg(i));
    return path;
}

// The values of a dictionary's keys joined with "|": text as UTF-8, anything else in PDF syntax.
std::string fields(QPDFObjectHandle dictionary, std::initializer_list<const char*> keys)
{
    std::string text;
    for (const char* key : keys)
        text += (text.empty() ? "" : "|") + (dictionary.getKey(key).isString() ? dictionary.getKey(key).getUTF8Value() : dictionary.getKey(key).unparse());
    return text;
}

// The outline under NODE as "title@page count(children),...", with a "!" wherever /Parent,
// /Prev or /Last disagree with the order /First and /Next give.
std::string outline(QPDF& pdf, QPDFObjectHandle node)
{
    std::string text;
    QPDFObjectHandle previous = QPDFObjectHandle::newNull();
    for (QPDFObjectHandle item = node.getKey("/First"); item.isDictionary(); previous = item, item = item.getKey("/Next")) {
        const bool linked = item.getKey("/Parent").getObjGen() == node.getObjGen() && item.getKey("/Prev").getObjGen() == previous.getObjGen();
        const std::string children = outline(pdf, item);
        text += (text.empty() ? "" : ",") + fields(item, {"/Title", "/Count"}) + "@"
            + std::to_string(pdf.findPage(item.getKey("/Dest").getArrayItem(0).getObjGen())) + (linked ? "" : "!")
            + (children.empty() ? "" : "(" + children + ")");
    }
    return previous.isNull() || node.getKey("/Last").getObjGen() == previous.getObjGen() ? text : text + "!";
}

// The level, of zlib's default and the PDF writer's, that a Flate stream was deflated at: "?"
// for neither, "either" when its data deflates the same at both (it then tells nothing). The
// comparison deflates through deflateInit2, which the program's compression leaves alone.
std::string deflateLevel(QPDFObjectHandle stream)
{
    const auto raw = stream.getRawStreamData();
    const auto plain = stream.getStreamData(qpdf_dl_generalized);
    const auto deflated = [&plain](int level) {
        z_stream zip {};
        deflateInit2(&zip, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&zip, uLong(plain->getSize())), '\0');
        zip.next_in = plain->getBuffer();
        zip.avail_in = uInt(plain->getSize());
        zip.next_out = reinterpret_cast<Bytef*>(out.data());
        zip.avail_out = uInt(out.size());
        deflate(&zip, Z_FINISH);
        out.resize(zip.total_out);
        deflateEnd(&zip);
        return out;
    };
    const std::string bytes(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
    const std::string fast = deflated(kPdfWriterLevel);
    const std::string normal = deflated(kZlibDefaultLevel);
    return fast == normal ? "either" : bytes == fast ? "writer" : bytes == normal ? "default" : "?";
}

TEST(QpdfNavigatorTest, ThePagesAreDeflatedAtTheWritersLevelAndTheNavigationAtZlibsDefault)
{
    Fixture fx;
    const QString file = fx.path(QStringLiteral("out.pdf"));
    {
        QPdfWriter writer(file);
        QPainter painter(&writer);
        for (int line = 0; line < 60; ++line)
            painter.drawText(QPointF(400, 300 + line * 100), QStringLiteral("%1 Call LogLine(sLabel & CStr(i), gVerbose)").arg(line * 37));
    }
    DocumentNavigation navigation;
    for (int i = 0; i < 200; ++i)
        navigation.outline.push_back({QStringLiteral("Routine %1").arg(i * 7), 0, {}});
    QString error;
    ASSERT_TRUE(QpdfNavigator().addNavigation(file, navigation, &error)) << error.toStdString();
    QPDF pdf;
    pdf.processFile(QFile::encodeName(file).constData());
    QPDFObjectHandle page = pdf.getAllPages().front();
    std::set<std::string> objectStreams;
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        if (object.isStream() && object.getDict().getKey("/Type").isNameAndEquals("/ObjStm"))
            objectStreams.insert(deflateLevel(object));
    }
    std::string levels = deflateLevel(page.getKey("/Contents")) + " pages;";
    for (const std::string& level : objectStreams)
        levels += " " + level;
    EXPECT_EQ(levels, "writer pages; default") << "the object streams hold the outline";
}

TEST(QpdfNavigatorTest, OutlineLinksAndPropertiesAreAddedAndThePagesKeptOrTheFileLeftAsItWas)
{
    SKIP_WITHOUT_TOOLS("pdftotext");
    Fixture fx;
    const QString file = writePdf(fx.path(QStringLiteral("out.pdf")));
    const QString text = toolOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    const QByteArray bytes = readBytes(file);
    QString error;
    EXPECT_TRUE(QpdfNavigator().addNavigation(file, DocumentNavigation(), &error) && readBytes(file) == bytes);
    DocumentNavigation navigation {{{QStringLiteral("Forms é"), 0,
                                        {{QStringLiteral("Form1 Ω"), 1, {}}, {QStringLiteral("Gone"), 9, {{QStringLiteral("Under gone"), 2, {}}}},
                                            {QStringLiteral("Form2"), 2, {{QStringLiteral("Load"), 2, {}}}}}},
                                       {QStringLiteral("Modules ü"), 3, {}}, {QStringLiteral("Before"), -1, {}}},
        {{0, QRectF(10, 20, 100, 12), 3}, {1, QRectF(0, 0, 5, 5), 4}, {-1, QRectF(0, 0, 5, 5), 0}},
        {QStringLiteral("Projekt ü"), QStringLiteral("Listing"), QStringLiteral("Quillon"),
            QDateTime(QDate(2026, 12, 7), QTime(16, 29, 11), QTimeZone(-5 * 3600 - 1800))}};
    // The second run adds to the links the first made and replaces the properties.
    for (const std::string date : {"D:20261207162911-05'30'|1", "D:20261207162911Z|2"}) {
        SCOPED_TRACE(date);
        ASSERT_TRUE(QpdfNavigator().addNavigation(file, navigation, &error)) << error.toStdString();
        navigation.info.created = QDateTime(QDate(2026, 12, 7), QTime(16, 29, 11), QTimeZone::utc());
        EXPECT_EQ(toolOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}), text);
        QPDF pdf;
        pdf.processFile(QFile::encodeName(file).constData());
        std::vector<QPDFObjectHandle> all = pdf.getAllPages();
        EXPECT_EQ(outline(pdf, pdf.getRoot().getKey("/Outlines")), "Forms é|-2@0(Form1 Ω|null@1,Form2|-1@2(Load|null@2)),Modules ü|null@3");
        EXPECT_EQ(fields(pdf.getRoot(), {"/PageMode"}) + fields(pdf.getRoot().getKey("/Outlines"), {"/Count"}), "/UseOutlines2");
        QPDFObjectHandle link = all[0].getKey("/Annots").getArrayItem(0);
        EXPECT_EQ(fields(link, {"/Subtype", "/Rect", "/Border"}) + std::to_string(pdf.findPage(link.getKey("/Dest").getArrayItem(0).getObjGen())),
            "/Link|[ 10 810 110 822 ]|[ 0 0 0 ]3");
        EXPECT_EQ(fields(pdf.getTrailer().getKey("/Info"), {"/Title", "/Subject", "/Creator", "/CreationDate"}) + "|"
                + std::to_string(all[0].getKey("/Annots").getArrayNItems() + all[1].getKey("/Annots").getArrayNItems()),
            "Projekt ü|Listing|Quillon|" + date);
        EXPECT_EQ(fields(pdf.getTrailer().getKey("/Info"), {"/Producer"}).rfind("Qt ", 0), 0u);
    }
    // A file that is no PDF, or whose folder takes no work file, stays as it was with nothing beside it.
    for (const QString& path : {fx.write(QStringLiteral("text/out.pdf"), "not a PDF\n"), file}) {
        SCOPED_TRACE(path.toStdString());
        const QString folder = QFileInfo(path).absolutePath();
        const QByteArray before = readBytes(path);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        ObeyFilePermissions asUser;
        EXPECT_FALSE(QpdfNavigator().addNavigation(path, navigation, &error) || error.isEmpty() || readBytes(path) != before);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList {QFileInfo(path).fileName()});
    }
}

} // namespace
