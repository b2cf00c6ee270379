#include "print/PdfJoin.h"

#include "support/AppEnvironment.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <gtest/gtest.h>

using quillon::print::joinPdfParts;
using quillon::test::Fixture;
using quillon::test::readBytes;
using quillon::test::toolOutput;

namespace {

// Fonts and QPdfWriter need the GUI application.
[[maybe_unused]] const ::testing::Environment* const kGui = quillon::test::useApplication<QGuiApplication>();

// A part as a print run writes one: a page per text in one font; `extras` puts an image and a
// link on its first page.
struct Part {
    const char* font;
    QStringList pages;
    bool extras = false;
};

QString writePart(const Fixture& dir, const QString& name, const Part& part)
{
    const QString path = dir.path(name);
    QPdfWriter writer(path);
    writer.setTitle(name + QStringLiteral(" (\\"));
    QPainter painter(&writer);
    painter.setFont(QFont(QString::fromLatin1(part.font), 14));
    for (qsizetype i = 0; i < part.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawText(QPointF(400, 800), part.pages[i]);
        if (part.extras && i == 0) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            painter.drawImage(QRectF(400, 1200, 1200, 1200), image);
            QTextDocument link;
            link.setHtml(QStringLiteral("<a href=\"https://example.org/(x)\">the link</a>"));
            painter.translate(400, 3000);
            link.drawContents(&painter);
            painter.resetTransform();
        }
    }
    return path;
}

// The pages under a page-tree node of qpdf's JSON objects, -1 when a node does not name its
// parent or its /Count differs from the pages found under it.
int treePages(const QJsonObject& objects, const QString& node, const QString& parent)
{
    const QJsonObject value = objects[QStringLiteral("obj:") + node][QStringLiteral("value")].toObject();
    if (value[QStringLiteral("/Parent")].toString() != parent)
        return -1;
    if (value[QStringLiteral("/Type")] == QStringLiteral("/Page"))
        return 1;
    int pages = 0;
    for (const QJsonValue kid : value[QStringLiteral("/Kids")].toArray()) {
        const int under = treePages(objects, kid.toString(), node);
        pages = under < 0 || pages < 0 ? -1 : pages + under;
    }
    return pages == value[QStringLiteral("/Count")].toInt() ? pages : -1;
}

TEST(PdfJoinTest, TheJoinedFileHoldsEveryPartsPagesAndTextInOrder)
{
    SKIP_WITHOUT_TOOLS("qpdf", "pdftotext", "pdfinfo");
    const std::vector<std::vector<Part>> joins = {{{"Liberation Serif", {"Only page"}}},
        {{"Liberation Mono", {"One mono", "Two mono"}}, {"DejaVu Serif", {"Three (serif)"}}, {"Liberation Sans", {"Four \\ sans", "Five <sans>", "Six %sans"}}},
        {{"DejaVu Sans", {"Before the picture"}}, {"Liberation Sans", {"A picture and a link", "After it"}, true}}};
    for (const auto& join : joins) {
        Fixture dir;
        QStringList parts;
        QString text;
        QList<QByteArray> before;
        int pages = 0;
        for (const Part& part : join) {
            parts << writePart(dir, QStringLiteral("part%1.pdf").arg(parts.size()), part);
            text += toolOutput(QStringLiteral("pdftotext"), {parts.back(), QStringLiteral("-")});
            before << readBytes(parts.back());
            pages += int(part.pages.size());
        }
        SCOPED_TRACE(text.toStdString());
        const QString target = dir.write(QStringLiteral("joined.pdf"), "the user's earlier file");
        const auto joined = joinPdfParts(parts, target);
        ASSERT_TRUE(joined) << joined.error().toStdString();
        EXPECT_EQ(*joined, pages);
        RUN_OR_SKIP(check, "qpdf", {QStringLiteral("--check"), target});
        EXPECT_EQ(check.code, 0) << check.out.constData() << check.err.constData();
        RUN_OR_SKIP(json, "qpdf", {QStringLiteral("--json"), QStringLiteral("--json-key=qpdf"), target});
        const QJsonObject objects = QJsonDocument::fromJson(json.out)[QStringLiteral("qpdf")][1].toObject();
        const QJsonObject trailer = objects[QStringLiteral("trailer")][QStringLiteral("value")].toObject();
        const auto value = [&objects, &trailer](const char* key) {
            return objects[QStringLiteral("obj:") + trailer[QString::fromLatin1(key)].toString()][QStringLiteral("value")];
        };
        EXPECT_EQ(treePages(objects, value("/Root")[QStringLiteral("/Pages")].toString(), QString()), pages);
        EXPECT_EQ(value("/Info")[QStringLiteral("/Title")], QStringLiteral("u:part0.pdf (\\")) << "the first part's";
        const QString info = toolOutput(QStringLiteral("pdfinfo"), {target});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("\nPages: +%1\n").arg(pages)))) << info.toStdString();
        EXPECT_EQ(toolOutput(QStringLiteral("pdftotext"), {target, QStringLiteral("-")}), text);
        for (qsizetype i = 0; i < parts.size(); ++i)
            EXPECT_EQ(readBytes(parts[i]), before[i]) << "the parts stay as they were";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), parts.size() + 1) << "no work file left";
    }
}

TEST(PdfJoinTest, PartsOfAnotherShapeAreRefusedAndTheTargetKept)
{
    Fixture dir;
    const QString good = writePart(dir, QStringLiteral("good.pdf"), {"Liberation Sans", {"Fine", "Also fine"}});
    const QByteArray bytes = readBytes(good);
    RUN_OR_SKIP(streams, "qpdf", {QStringLiteral("--object-streams=generate"), good, dir.path(QStringLiteral("xs.pdf"))});
    const auto edited = [&bytes](const char* from, const char* to) {
        QByteArray out = bytes;
        EXPECT_NE(out.replace(from, to), bytes) << from;
        return out;
    };
    const std::pair<QByteArray, const char*> rows[] = {{"", "not a PDF"}, {"GIF89a garbage \xff\xfe", "not a PDF"},
        {bytes.left(bytes.size() / 2), "no startxref"}, {bytes.chopped(4), "no %%EOF"},
        {readBytes(dir.path(QStringLiteral("xs.pdf"))), "cross-reference stream"}, {edited(" 00000 n", " 00001 n"), "generation 1"},
        {edited("/Root", "/Rood"), "no /Root"}, {edited("/Size", "/Prev 9 /Size"), "several cross-reference sections"},
        {edited("/Size", "/Encrypt 1 0 R /Size"), "encrypted"}, {edited("/Pages 3 0 R", "/Pages 0 0 R"), "object 0 is missing"},
        {edited("/Creator ()", "/Creator (("), "object 1: malformed object"},
        {edited("/Parent 3 0 R", "/Parent 3 9 R"), "reference to an object outside the part"},
        {edited("endobj\n2 0 obj", "endobj2 0 obj\n"), "object 2 is unreadable"}, // one byte before its offset
        {edited("/Type /Catalog", "/Type /Pages  "), "not a catalog"}, {edited("startxref\n", "startxref\nx"), "unreadable startxref"},
        {edited("endstream", "endstreaX"), "without endstream"}, {edited("0 obj", "0 Obj"), "unreadable"}};
    const QByteArray earlier = "the user's earlier file";
    const QString target = dir.write(QStringLiteral("user.pdf"), earlier);
    for (const auto& [input, reason] : rows) {
        SCOPED_TRACE(reason);
        const QString part = dir.write(QStringLiteral("part.pdf"), input);
        const auto joined = joinPdfParts({good, part}, target);
        EXPECT_FALSE(joined);
        EXPECT_EQ(joined.error().left(10), "part.pdf: ");
        EXPECT_TRUE(joined.error().contains(QString::fromLatin1(reason))) << joined.error().toStdString();
        EXPECT_EQ(readBytes(target), earlier);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4) << "no work file left";
    }
    EXPECT_EQ(joinPdfParts({good, dir.path(QStringLiteral("missing.pdf"))}, target).error(), "missing.pdf: cannot be read");
    EXPECT_EQ(joinPdfParts({}, target).error(), "no parts to join");
    // Cut anywhere before its last line end, the part is refused; nothing is ever read past the end.
    for (qsizetype size = 0; size < bytes.size() - 1; size += 37)
        EXPECT_FALSE(joinPdfParts({dir.write(QStringLiteral("part.pdf"), bytes.left(size))}, target).ok()) << size;
    EXPECT_EQ(readBytes(target), earlier);
}

} // namespace
