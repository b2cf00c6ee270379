#include "platform/svg/QtSvgPageSurface.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillon::platform {

namespace {

constexpr double kTwipsPerPoint = 20.0;

// Qt's PDF writer lays its pages out at 1200 dots per inch; fonts made for the same resolution
// measure every text as it does.
constexpr int kPdfResolution = 1200;

// Far outside the sheet a coordinate means nothing, and would only make the picture longer.
double clampPixels(double value)
{
    return std::clamp(value, -1.0e6, 1.0e6);
}

bool finite(double a, double b, double c, double d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The generator escapes a text but writes it as it is: a character XML does not allow would
// leave the picture unreadable. Those the font replaces are gone already; these two remain.
QString xmlText(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            c = QChar(0xFFFD);
    }
    return text;
}

// The generator writes a font's family into attributes without escaping it; a family named in
// the options is escaped here, and the characters XML does not allow are dropped.
QString xmlFamily(const QString& family)
{
    QString kept;
    kept.reserve(family.size());
    for (QChar c : family) {
        if (c.unicode() >= 0x20 && !c.isSurrogate() && c.unicode() < 0xFFFE)
            kept += c;
    }
    return kept.toHtmlEscaped();
}

// The generator's document as a picture for an HTML page: no XML declaration, and as wide as
// the space it is put in (the style of the page may say otherwise), its height following the
// view box. Empty when the generator wrote no picture.
QByteArray pictureOf(const QByteArray& document)
{
    const qsizetype start = document.indexOf("<svg");
    if (start < 0 || !document.contains("</svg>"))
        return {};
    QByteArray picture = document.mid(start).trimmed();
    picture.insert(4, " width=\"100%\"");
    picture += '\n';
    return picture;
}

} // namespace

// One page being drawn. The painter is declared last so that it ends before the generator and
// the buffer go.
struct QtSvgPageSurface::Page {
    QBuffer buffer;
    QSvgGenerator generator;
    QPainter painter;
};

QtSvgPageSurface::QtSvgPageSurface()
    : device_ {QString::fromUtf16(kSvgWriterDeviceName), QString::fromUtf16(kSvgWriterDriverName),
        QStringLiteral("FILE:")},
      measure_(std::make_unique<QSvgGenerator>())
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        qFatal("QtSvgPageSurface needs a QGuiApplication: fonts come from the GUI platform");
    measure_->setResolution(kPdfResolution);
    fonts_.setDevice(measure_.get());
    applyPageSetup();
}

QtSvgPageSurface::~QtSvgPageSurface() = default;

bool QtSvgPageSurface::selectDevice(const QString& deviceName)
{
    return deviceName.trimmed().compare(device_.deviceName, Qt::CaseInsensitive) == 0;
}

void QtSvgPageSurface::applyPageSetup()
{
    const QPageLayout layout(QPageSize(paper_ == 5 ? QPageSize::Legal : QPageSize::Letter),
        orientation_ == 2 ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);
    sheet_ = layout.fullRect(QPageLayout::Point).size();
}

void QtSvgPageSurface::setPaperCode(int code)
{
    paper_ = code == 5 ? 5 : 1;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

void QtSvgPageSurface::setOrientationCode(int code)
{
    orientation_ = code == 2 ? 2 : 1;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

double QtSvgPageSurface::sheetWidth() const
{
    return sheet_.width() * kTwipsPerPoint;
}

double QtSvgPageSurface::sheetHeight() const
{
    return sheet_.height() * kTwipsPerPoint;
}

double QtSvgPageSurface::physicalPageWidthPixels() const
{
    return toPixelsX(sheetWidth());
}

double QtSvgPageSurface::physicalPageHeightPixels() const
{
    return toPixelsY(sheetHeight());
}

// ---- Output ----------------------------------------------------------------------------

bool QtSvgPageSurface::ensureDocument()
{
    if (state_ == DocState::Open)
        return true;
    if (state_ == DocState::Failed)
        return false;
    pages_ = 1;
    error_ = {};
    document_.clear();
    sheetPixels_ = QSizeF(physicalPageWidthPixels(), physicalPageHeightPixels());
    state_ = DocState::Open;
    return beginPage();
}

bool QtSvgPageSurface::beginPage()
{
    page_ = std::make_unique<Page>();
    page_->buffer.open(QIODevice::WriteOnly);
    QSvgGenerator& generator = page_->generator;
    generator.setOutputDevice(&page_->buffer);
    generator.setResolution(kPdfResolution);
    // No size: the picture takes the size of its place. No title or description either: a
    // browser shows a title as the tooltip of the whole picture.
    generator.setViewBox(QRectF(QPointF(0, 0), sheetPixels_));
    generator.setTitle(QString());
    generator.setDescription(QString());
    if (!page_->painter.begin(&generator)) {
        page_.reset();
        return failDocument(QStringLiteral("the picture of a page could not be started"));
    }
    // Code reads left to right: a run with right-to-left words in it keeps its neutral
    // characters where a left-to-right line puts them.
    page_->painter.setLayoutDirection(Qt::LeftToRight);
    painterFont_ = nullptr;
    textPenSet_ = false;
    return true;
}

bool QtSvgPageSurface::finishPage()
{
    page_->painter.end();
    QByteArray picture = pictureOf(page_->buffer.data());
    page_.reset();
    if (picture.isEmpty())
        return failDocument(QStringLiteral("the picture of a page could not be written"));
    document_.push_back(std::move(picture));
    return true;
}

bool QtSvgPageSurface::failDocument(const QString& description)
{
    error_ = {1, description};
    qWarning("%s: %s", qPrintable(device_.deviceName), qPrintable(description));
    state_ = DocState::Failed;
    return false;
}

void QtSvgPageSurface::useTextPen()
{
    if (textPenSet_ && penColor_ == textColor_)
        return;
    page_->painter.setPen(printColor(textColor_));
    penColor_ = textColor_;
    textPenSet_ = true;
}

void QtSvgPageSurface::useLinePen(quint32 rgb, int width, LineStyle style)
{
    page_->painter.setPen(printLinePen(rgb, width, style, fonts_.dpiX()));
    page_->painter.setBrush(Qt::NoBrush);
    textPenSet_ = false;
}

void QtSvgPageSurface::printText(QStringView text, bool lineEnd)
{
    if (!text.isEmpty()) {
        const double width = fonts_.layOut(text, false).width;
        if (ensureDocument()) {
            const double xPx = toPixelsX(x_);
            const double topPx = toPixelsY(y_);
            const double bottomPx = topPx + fonts_.currentFace().lineHeight;
            if (std::isfinite(xPx) && std::isfinite(topPx) && bottomPx > 0 && topPx < sheetPixels_.height()
                && xPx + width > 0 && xPx < sheetPixels_.width())
                drawVisible(xmlText(fonts_.visibleText(text)), width, xPx, topPx);
        }
        x_ += width * 1440.0 / fonts_.dpiX();
    }
    if (lineEnd) {
        x_ = 0;
        y_ += textHeight(text);
    }
}

void QtSvgPageSurface::drawVisible(const QString& visible, double width, double xPx, double topPx)
{
    const PrintFonts::Face& face = fonts_.currentFace();
    QPainter& painter = page_->painter;
    if (painterFont_ != &face) {
        QFont font = face.font;
        font.setFamily(xmlFamily(face.style.family));
        painter.setFont(font);
        painterFont_ = &face;
    }
    useTextPen();
    const double baseline = topPx + face.ascent;
    if (visible.size() <= PrintFonts::chunkEnd(visible, 0)) {
        painter.drawText(QPointF(xPx, baseline), visible);
        return;
    }
    // A long text goes in pieces, each where the whole would put it; those off the sheet
    // are left out.
    double x = xPx;
    for (qsizetype begin = 0; begin < visible.size() && x < sheetPixels_.width();) {
        const qsizetype end = PrintFonts::chunkEnd(visible, begin);
        const QString piece = visible.mid(begin, end - begin);
        const double pieceWidth = fonts_.layOut(piece, false).width;
        if (x + pieceWidth > 0)
            painter.drawText(QPointF(x, baseline), piece);
        x += pieceWidth;
        begin = end;
    }
}

void QtSvgPageSurface::drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    useLinePen(rgb, width, style);
    page_->painter.drawLine(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
        QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))));
}

void QtSvgPageSurface::drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    useLinePen(rgb, width, style);
    page_->painter.drawRect(QRectF(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
        QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))))
                                .normalized());
}

void QtSvgPageSurface::fillBox(double x1, double y1, double x2, double y2, quint32 rgb)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    page_->painter.fillRect(QRectF(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
                                QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))))
                                .normalized(),
        printColor(rgb));
}

void QtSvgPageSurface::newPage()
{
    // A page break before anything was printed still begins the document first, so the
    // break gives a second page rather than being lost.
    if (ensureDocument() && finishPage())
        beginPage();
    ++pages_;
    x_ = 0;
    y_ = 0;
}

bool QtSvgPageSurface::endDocument()
{
    if (state_ == DocState::Idle)
        ensureDocument(); // nothing printed: a blank page, as a file written by the PDF writer
    bool ok = state_ == DocState::Open && finishPage();
    if (ok) {
        for (QByteArray& picture : document_)
            finished_.push_back(std::move(picture));
    }
    page_.reset();
    document_.clear();
    state_ = DocState::Idle;
    applyPageSetup(); // what was changed while the document was open
    return ok;
}

void QtSvgPageSurface::abandonDocument()
{
    page_.reset();
    document_.clear();
    state_ = DocState::Idle;
    applyPageSetup();
}

std::vector<QByteArray> QtSvgPageSurface::takePages()
{
    return std::exchange(finished_, {});
}

} // namespace quillon::platform
