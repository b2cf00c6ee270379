// Renders the user manual: the Markdown chapters, joined in the order given, become one
// Letter-size PDF with a title page, a contents list and page numbers.
//
//   render_manual --output OUT.pdf [--version TEXT] CHAPTER.md...
//
// Runs without a display: the offscreen platform is chosen unless QT_QPA_PLATFORM says
// otherwise. Exit status 0 done, 1 a chapter could not be read or the PDF not written, 2 a
// usage error.

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("Quillon User Manual");
const QString kBodyFamily = QStringLiteral("Liberation Serif");
const QString kHeadingFamily = QStringLiteral("Liberation Sans");
const QString kCodeFamily = QStringLiteral("Liberation Mono");
constexpr qreal kBodyPoints = 10.5;
constexpr qreal kCodePoints = 8.5;
constexpr int kResolution = 300; // dots per inch of the PDF's coordinate space

struct Heading {
    int level;
    QString text;
    int page; // 0-based page of the body document
};

void fail(const QString& text, int code)
{
    std::fprintf(stderr, "render_manual: %s\n", qPrintable(text));
    std::exit(code);
}

qreal points(qreal points)
{
    return points * kResolution / 72.0;
}

// Body text in the serif face, headings in the sans face, code (blocks and inline) in the
// monospaced face on a light band; tables get thin ruled cells.
void style(QTextDocument& doc)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat blockFormat = block.blockFormat();
        const int level = blockFormat.headingLevel();
        const bool codeBlock = blockFormat.hasProperty(QTextFormat::BlockCodeFence)
            || blockFormat.hasProperty(QTextFormat::BlockCodeLanguage) || blockFormat.nonBreakableLines();
        QTextCursor cursor(block);
        if (codeBlock) {
            // A code block's lines sit on one band, with room before and after the band.
            const auto isCode = [](const QTextBlock& b) {
                const QTextBlockFormat f = b.blockFormat();
                return b.isValid()
                    && (f.hasProperty(QTextFormat::BlockCodeFence) || f.hasProperty(QTextFormat::BlockCodeLanguage)
                        || f.nonBreakableLines());
            };
            QTextBlockFormat format = blockFormat;
            format.setBackground(QColor(0xF0, 0xF0, 0xF0));
            format.setLeftMargin(points(8));
            format.setTopMargin(isCode(block.previous()) ? 0 : points(3));
            format.setBottomMargin(isCode(block.next()) ? 0 : points(7));
            cursor.setBlockFormat(format);
        } else if (level > 0) {
            QTextBlockFormat format = blockFormat;
            format.setTopMargin(points(level == 1 ? 0 : level == 2 ? 14 : 10));
            format.setBottomMargin(points(level == 1 ? 14 : 5));
            if (level == 1 && block != doc.begin())
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
        } else {
            // Paragraphs apart, list items and table cells closer together.
            QTextBlockFormat format = blockFormat;
            format.setTopMargin(0);
            const bool listEnds = block.textList() && block.next().textList() != block.textList();
            format.setBottomMargin(cursor.currentTable() ? 0 : block.textList() && !listEnds ? points(2) : points(5));
            cursor.setBlockFormat(format);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QTextCharFormat format = fragment.charFormat();
            const bool code = codeBlock || format.fontFixedPitch();
            if (code) {
                format.setFontFamilies({kCodeFamily});
                format.setFontPointSize(kCodePoints);
                if (!codeBlock)
                    format.setBackground(QColor(0xF0, 0xF0, 0xF0));
            } else if (level > 0) {
                format.setFontFamilies({kHeadingFamily});
                format.setFontWeight(QFont::Bold);
                format.setFontPointSize(level == 1 ? 20 : level == 2 ? 14 : 12);
                format.setForeground(QColor(0x1F, 0x3A, 0x5F));
            } else {
                format.setFontFamilies({kBodyFamily});
                format.setFontPointSize(kBodyPoints);
            }
            QTextCursor span(&doc);
            span.setPosition(fragment.position());
            span.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            span.setCharFormat(format);
        }
    }
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        format.setBorder(points(0.6));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x99, 0x99, 0x99));
        format.setBorderCollapse(true);
        format.setCellPadding(points(1.5));
        format.setCellSpacing(0);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 99.5));
        format.setTopMargin(points(2));
        format.setBottomMargin(points(8));
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat header = cell.format();
            header.setBackground(QColor(0xE4, 0xE9, 0xF0));
            cell.setFormat(header);
        }
    }
}

// Pictures ("![text](../images/NAME.png)", relative to the chapters' folder) at 150 dots per
// inch, or narrower to fit the body's width.
void placeImages(QTextDocument& doc, const QDir& chapters, qreal bodyWidth)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString path = chapters.filePath(format.name());
            const QImage image(path);
            if (image.isNull())
                fail(QStringLiteral("cannot read the picture ") + path, 1);
            doc.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            // The layout takes an image's size at 96 dots per inch and scales it to the device.
            const qreal scale = std::min(kResolution / 150.0, bodyWidth / image.width()) * 96.0 / kResolution;
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            QTextCursor span(&doc);
            span.setPosition(fragment.position());
            span.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            span.setCharFormat(format);
        }
    }
}

std::vector<Heading> headingsOf(const QTextDocument& doc, qreal pageHeight)
{
    std::vector<Heading> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        // Chapters, sections, and the numbered subsections (not the per-command headings).
        const QString text = block.text().trimmed();
        if (level < 1 || level > 3 || text.isEmpty() || (level == 3 && !text.front().isDigit()))
            continue;
        const QRectF box = doc.documentLayout()->blockBoundingRect(block);
        headings.push_back({level, text, int(box.top() / pageHeight)});
    }
    return headings;
}

// The contents list as a document of its own: a borderless table, the headings on the
// left, their page numbers aligned on the right.
void fillContents(QTextDocument& contents, const std::vector<Heading>& headings, int firstBodyPage)
{
    contents.clear();
    QTextCursor cursor(&contents);
    QTextBlockFormat titleFormat;
    titleFormat.setBottomMargin(points(12));
    QTextCharFormat titleChars;
    titleChars.setFontFamilies({kHeadingFamily});
    titleChars.setFontWeight(QFont::Bold);
    titleChars.setFontPointSize(20);
    titleChars.setForeground(QColor(0x1F, 0x3A, 0x5F));
    cursor.setBlockFormat(titleFormat);
    cursor.insertText(QStringLiteral("Contents"), titleChars);
    if (headings.empty())
        return;

    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    tableFormat.setCellSpacing(0);
    tableFormat.setCellPadding(points(1));
    tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tableFormat.setColumnWidthConstraints(
        {QTextLength(QTextLength::PercentageLength, 90), QTextLength(QTextLength::PercentageLength, 10)});
    QTextTable* table = cursor.insertTable(int(headings.size()), 2, tableFormat);
    for (int row = 0; row < int(headings.size()); ++row) {
        const Heading& heading = headings[size_t(row)];
        QTextCharFormat chars;
        chars.setFontFamilies({heading.level == 1 ? kHeadingFamily : kBodyFamily});
        chars.setFontPointSize(heading.level == 1 ? 11.5 : kBodyPoints);
        if (heading.level == 1)
            chars.setFontWeight(QFont::Bold);
        QTextBlockFormat left;
        left.setLeftMargin(points(14) * (heading.level - 1));
        left.setTopMargin(heading.level == 1 && row > 0 ? points(7) : 0);
        QTextCursor cell = table->cellAt(row, 0).firstCursorPosition();
        cell.setBlockFormat(left);
        cell.insertText(heading.text, chars);
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        right.setTopMargin(left.topMargin());
        cell = table->cellAt(row, 1).firstCursorPosition();
        cell.setBlockFormat(right);
        cell.insertText(QString::number(firstBodyPage + heading.page + 1), chars);
    }
}

void drawPages(QPainter& painter, QTextDocument& doc, QPdfWriter& writer, const QSizeF& body, int firstPageNumber,
    int totalPages, bool newPageFirst)
{
    const int pages = doc.pageCount();
    QFont footerFont(kHeadingFamily);
    footerFont.setPointSizeF(8.5);
    for (int page = 0; page < pages; ++page) {
        if (newPageFirst || page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * body.height(), body.width(), body.height());
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();

        const qreal rule = body.height() + points(10);
        painter.setPen(QPen(QColor(0x99, 0x99, 0x99), points(0.5)));
        painter.drawLine(QPointF(0, rule), QPointF(body.width(), rule));
        painter.setPen(Qt::black);
        painter.setFont(footerFont);
        const QRectF footer(0, rule + points(3), body.width(), points(14));
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignTop, kTitle);
        painter.drawText(footer, Qt::AlignRight | Qt::AlignTop,
            QStringLiteral("Page %1 of %2").arg(firstPageNumber + page).arg(totalPages));
    }
}

void drawTitlePage(QPainter& painter, const QSizeF& area, const QString& version)
{
    const QColor ink(0x1F, 0x3A, 0x5F);
    QFont big(kHeadingFamily);
    big.setPointSizeF(40);
    big.setBold(true);
    QFont sub(kHeadingFamily);
    sub.setPointSizeF(20);
    QFont small(kBodyFamily);
    small.setPointSizeF(12);

    const qreal top = area.height() * 0.30;
    painter.setPen(ink);
    painter.setFont(big);
    painter.drawText(
        QRectF(0, top, area.width(), points(56)), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Quillon"));
    painter.setFont(sub);
    painter.drawText(QRectF(0, top + points(60), area.width(), points(30)), Qt::AlignHCenter | Qt::AlignTop,
        QStringLiteral("User Manual"));
    painter.setPen(QPen(ink, points(1.5)));
    painter.drawLine(QPointF(area.width() * 0.25, top + points(100)), QPointF(area.width() * 0.75, top + points(100)));
    painter.setPen(Qt::black);
    painter.setFont(small);
    painter.drawText(QRectF(0, top + points(115), area.width(), points(60)), Qt::AlignHCenter | Qt::AlignTop,
        QStringLiteral("Documentation and Developer Aids for Visual Basic 6 projects"));
    if (!version.isEmpty())
        painter.drawText(QRectF(0, top + points(140), area.width(), points(20)), Qt::AlignHCenter | Qt::AlignTop,
            QStringLiteral("Version ") + version);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString output;
    QString version;
    QStringList chapters;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--output") && i + 1 < args.size())
            output = args[++i];
        else if (args[i] == QLatin1String("--version") && i + 1 < args.size())
            version = args[++i];
        else if (args[i].startsWith(QLatin1String("--")))
            fail(QStringLiteral("unknown option ") + args[i], 2);
        else
            chapters << args[i];
    }
    if (output.isEmpty() || chapters.isEmpty())
        fail(QStringLiteral("usage: render_manual --output OUT.pdf [--version TEXT] CHAPTER.md..."), 2);

    QString markdown;
    for (const QString& chapter : chapters) {
        QFile file(chapter);
        if (!file.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read ") + chapter + QStringLiteral(": ") + file.errorString(), 1);
        markdown += QString::fromUtf8(file.readAll()) + QStringLiteral("\n\n");
    }

    // Written under a temporary name and renamed, so that an interrupted run never leaves a
    // half-written manual behind that looks up to date.
    const QString partial = output + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        QPdfWriter writer(partial);
        writer.setResolution(kResolution);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(0.9, 0.75, 0.9, 0.75), QPageLayout::Inch);
        writer.setTitle(kTitle);
        writer.setCreator(QStringLiteral("Quillon"));
        const QRect paint = writer.pageLayout().paintRectPixels(kResolution);
        const QSizeF body(paint.width(), paint.height() - points(30));

        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&writer);
        QFont bodyFont(kBodyFamily);
        bodyFont.setPointSizeF(kBodyPoints);
        doc.setDefaultFont(bodyFont);
        doc.setDocumentMargin(0);
        doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
        style(doc);
        placeImages(doc, QFileInfo(chapters.first()).absoluteDir(), body.width());
        // A little room at the top and bottom of every page, so that the bands behind code
        // never reach over the page's edge into the page before or after.
        QTextFrameFormat root = doc.rootFrame()->frameFormat();
        root.setTopMargin(points(6));
        root.setBottomMargin(points(6));
        doc.rootFrame()->setFrameFormat(root);
        doc.setPageSize(body);
        const std::vector<Heading> headings = headingsOf(doc, body.height());

        QTextDocument contents;
        contents.documentLayout()->setPaintDevice(&writer);
        contents.setDefaultFont(bodyFont);
        contents.setDocumentMargin(0);
        contents.setPageSize(body);
        // Page numbers do not change the contents list's length: lay it out once to count
        // its pages, then again with the body's real first page.
        fillContents(contents, headings, 0);
        const int contentsPages = contents.pageCount();
        const int firstBodyPage = 1 + contentsPages; // after the title page, 0-based
        fillContents(contents, headings, firstBodyPage);
        const int totalPages = firstBodyPage + doc.pageCount();

        QPainter painter;
        if (!painter.begin(&writer))
            fail(QStringLiteral("cannot write ") + output, 1);
        drawTitlePage(painter, body, version);
        drawPages(painter, contents, writer, body, 2, totalPages, true);
        drawPages(painter, doc, writer, body, firstBodyPage + 1, totalPages, true);
        painter.end();
    }
    QFile::remove(output);
    if (QFileInfo(partial).size() == 0 || !QFile::rename(partial, output))
        fail(QStringLiteral("cannot write ") + output, 1);
    return 0;
}
