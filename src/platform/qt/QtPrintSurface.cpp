#include "platform/qt/QtPrintSurface.h"

#include "platform/qt/QtPrintInternal.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

#include <cerrno>

namespace quillon::platform {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;

// A PDF the writer finished has its end-of-file marker at the end; one cut short by a full
// disk or a vanished folder does not.
bool pdfFileComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const qint64 tail = std::min<qint64>(file.size(), 64);
    if (!file.seek(file.size() - tail))
        return false;
    return file.read(tail).contains("%%EOF");
}

// Device pixel coordinates are kept far inside what the PDF writer can write as numbers.
double clampPixels(double value)
{
    return std::clamp(value, -1.0e6, 1.0e6);
}

} // namespace

QtPrintSurface::QtPrintSurface(std::vector<PrinterInfo> printers, QString defaultDevice)
    : devices_(std::move(printers)), defaultDevice_(std::move(defaultDevice))
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        qFatal("QtPrintSurface needs a QGuiApplication: printers and fonts come from the GUI platform");
    if (devices_.empty() || devices_.back().deviceName != QStringView(kPdfWriterDeviceName))
        devices_.push_back(internal::pdfWriterInfo());
    if (defaultDevice_.isEmpty())
        defaultDevice_ = QString::fromUtf16(kPdfWriterDeviceName);
    if (!selectDevice(defaultDevice_)) {
        defaultDevice_ = QString::fromUtf16(kPdfWriterDeviceName);
        applyDevice(internal::pdfWriterInfo());
    }
}

QtPrintSurface::~QtPrintSurface()
{
    // A document never ended is incomplete: output_ throws it away and the file it was to
    // replace stays as it was.
    if (painter_ && painter_->isActive())
        painter_->end();
}

bool QtPrintSurface::isPdfWriter() const
{
    return device_.deviceName == QStringView(kPdfWriterDeviceName);
}

bool QtPrintSurface::isFileTarget() const
{
    return device_.port == QStringView(kFilePort);
}

bool QtPrintSurface::selectDevice(const QString& deviceName)
{
    // A document goes to one device from its first page to its last.
    if (state_ != DocState::Idle)
        return false;
    const QString wanted = deviceName.trimmed();
    for (const PrinterInfo& device : devices_) {
        if (device.deviceName.compare(wanted, Qt::CaseInsensitive) == 0) {
            applyDevice(device);
            return true;
        }
    }
    return false;
}

void QtPrintSurface::applyDevice(const PrinterInfo& device)
{
    device_ = device;
    painterFont_ = nullptr;
    runFace_ = nullptr;
    run_ = QGlyphRun();
    painter_.reset();
    if (isPdfWriter()) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer_ = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(device.deviceName), QPrinter::HighResolution);
    }
    printer_->setDocName(QStringLiteral("Quillon"));
    applyPageSetup();
    dpiX_ = printer_->logicalDpiX();
    dpiY_ = printer_->logicalDpiY();
    // Fonts are bound to the device's resolution; they are made again from the style kept,
    // so a new device never loses the font.
    fonts_.setDevice(printer_.get());
}

void QtPrintSurface::applyPageSetup()
{
    if (isPdfWriter()) {
        // An empty name would turn the writer back into a native printer; a document
        // without a file is refused when it begins instead.
        if (!outputFile_.isEmpty()) {
            printer_->setOutputFileName(outputFile_);
            printer_->setOutputFormat(QPrinter::PdfFormat); // whatever the file name ends with
        }
    } else if (isFileTarget()) {
        printer_->setOutputFileName(outputFile_); // empty: the job goes to CUPS
    }
    printer_->setPageSize(QPageSize(paper_ == 5 ? QPageSize::Legal : QPageSize::Letter));
    printer_->setPageOrientation(orientation_ == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (isPdfWriter()) {
        // A PDF can be printed to its edges: the printable area is the whole sheet.
        printer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        printer_->setDuplex(QPrinter::DuplexNone);
    } else {
        const QList<QPrinter::DuplexMode> supported =
            QPrinterInfo::printerInfo(device_.deviceName).supportedDuplexModes();
        const QPrinter::DuplexMode wanted = internal::duplexModeFor(duplex_);
        printer_->setDuplex(supported.contains(wanted) ? wanted : QPrinter::DuplexNone);
    }
}

void QtPrintSurface::setOutputFile(const QString& path)
{
    outputFile_ = path;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

void QtPrintSurface::setPaperCode(int code)
{
    paper_ = code == 5 ? 5 : 1;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

void QtPrintSurface::setOrientationCode(int code)
{
    orientation_ = code == 2 ? 2 : 1;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

void QtPrintSurface::setDuplexMode(int mode)
{
    duplex_ = mode == 2 || mode == 3 ? mode : 1;
    if (state_ == DocState::Idle)
        applyPageSetup();
}

int QtPrintSurface::duplexMode() const
{
    // The PDF writer makes one-sided documents whatever is asked; two-sided printing is
    // the business of whoever prints the file.
    if (isPdfWriter())
        return 1;
    return internal::duplexCode(printer_->duplex());
}

double QtPrintSurface::sheetWidth() const
{
    return printer_->pageLayout().fullRect(QPageLayout::Point).width() * kTwipsPerPoint;
}

double QtPrintSurface::sheetHeight() const
{
    return printer_->pageLayout().fullRect(QPageLayout::Point).height() * kTwipsPerPoint;
}

double QtPrintSurface::printableWidth() const
{
    return printer_->pageRect(QPrinter::Point).width() * kTwipsPerPoint;
}

double QtPrintSurface::printableHeight() const
{
    return printer_->pageRect(QPrinter::Point).height() * kTwipsPerPoint;
}

double QtPrintSurface::physicalPageWidthPixels() const
{
    // A PDF has no physical pixels: the sheet at the resolution text is laid out for.
    if (isPdfWriter())
        return sheetWidth() / kTwipsPerInch * dpiX_;
    return printer_->paperRect(QPrinter::DevicePixel).width();
}

double QtPrintSurface::physicalPageHeightPixels() const
{
    if (isPdfWriter())
        return sheetHeight() / kTwipsPerInch * dpiY_;
    return printer_->paperRect(QPrinter::DevicePixel).height();
}

// ---- Fonts -----------------------------------------------------------------------------

bool QtPrintSurface::hasFont(const QString& name) const
{
    return PrintFonts::available(name);
}

void QtPrintSurface::setFontName(const QString& name)
{
    fonts_.setFamily(name);
}

void QtPrintSurface::setFontSize(double points)
{
    fonts_.setPoints(points);
}

void QtPrintSurface::setBold(bool bold)
{
    fonts_.setBold(bold);
}

void QtPrintSurface::setItalic(bool italic)
{
    fonts_.setItalic(italic);
}

void QtPrintSurface::setUnderline(bool underline)
{
    fonts_.setUnderline(underline);
}

void QtPrintSurface::setStrikeout(bool strikeout)
{
    fonts_.setStrikeout(strikeout);
}

void QtPrintSurface::saveFontStyle()
{
    fonts_.saveStyle();
}

void QtPrintSurface::restoreFontStyle()
{
    fonts_.restoreStyle();
}

QString QtPrintSurface::visibleText(QStringView text) const
{
    return fonts_.visibleText(text);
}

double QtPrintSurface::textWidth(QStringView text) const
{
    return fonts_.textWidth(text);
}

double QtPrintSurface::textHeight(QStringView) const
{
    return fonts_.lineHeight();
}

// ---- Output ----------------------------------------------------------------------------

bool QtPrintSurface::ensureDocument()
{
    if (state_ == DocState::Open)
        return true;
    if (state_ == DocState::Failed)
        return false;
    pages_ = 1;
    painterFont_ = nullptr;
    textPenSet_ = false;
    error_ = {};
    if (isPdfWriter() && outputFile_.isEmpty())
        return failDocument(0, QStringLiteral("no output file was named"));
    if (isFileTarget() && !outputFile_.isEmpty()) {
        QString error;
        if (!output_.begin(outputFile_, &error)) {
            const int number = errno;
            return failDocument(number, QStringLiteral("cannot write ") + outputFile_ + QStringLiteral(": ") + error);
        }
        printer_->setOutputFileName(output_.workPath());
        if (isPdfWriter())
            printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        output_.discard();
        return failDocument(0,
            QStringLiteral("the document could not be started")
                + (isFileTarget() ? QStringLiteral(" on ") + outputFile_ : QString()));
    }
    // Code reads left to right: a run with right-to-left words in it keeps its neutral
    // characters where a left-to-right line puts them.
    painter_->setLayoutDirection(Qt::LeftToRight);
    state_ = DocState::Open;
    sheetPixels_ = printer_->paperRect(QPrinter::DevicePixel).size();
    return true;
}

void QtPrintSurface::useTextPen()
{
    if (textPenSet_ && penColor_ == textColor_)
        return;
    painter_->setPen(printColor(textColor_));
    penColor_ = textColor_;
    textPenSet_ = true;
}

void QtPrintSurface::printText(QStringView text, bool lineEnd)
{
    if (!text.isEmpty()) {
        Face& face = fonts_.currentFace();
        const PrintFonts::Layout layout = fonts_.layOut(text, true);
        if (ensureDocument()) {
            const double xPx = toPixelsX(x_);
            const double topPx = toPixelsY(y_);
            // Only text that can land on the sheet is drawn; far off it positions would
            // only overflow the writer's fixed-point arithmetic.
            const double sheetH = sheetPixels_.height();
            if (topPx > -sheetH && topPx < 2 * sheetH) {
                useTextPen();
                if (layout.shaped)
                    drawShaped(face, layout.visible, xPx, topPx + face.ascent);
                else
                    drawGlyphs(face, xPx, topPx + face.ascent);
            }
            if (links_.active()) {
                // Points from the sheet's corner: the painter starts at the printable area's.
                const QPointF origin = printer_->pageRect(QPrinter::Point).topLeft();
                links_.add(pages_ - 1,
                    QRectF(origin.x() + x_ / kTwipsPerPoint, origin.y() + y_ / kTwipsPerPoint,
                        layout.width * 72.0 / dpiX_, textHeight(text) / kTwipsPerPoint));
            }
        }
        x_ += layout.width * kTwipsPerInch / dpiX_;
    }
    if (lineEnd) {
        x_ = 0;
        y_ += textHeight(text);
    }
}

void QtPrintSurface::drawGlyphs(Face& face, double xPx, double baselinePx)
{
    if (!(std::isfinite(xPx) && std::isfinite(baselinePx)))
        return;
    const double sheetW = sheetPixels_.width();
    const double low = -sheetW;
    const double high = 2 * sheetW;
    if (runFace_ != &face) {
        run_.setRawFont(face.raw);
        run_.setUnderline(face.style.underline);
        run_.setStrikeOut(face.style.strikeout);
        runFace_ = &face;
    }
    // Keep the glyphs that can be seen, in place, with their positions relative to xPx.
    positionBuffer_.clear();
    size_t kept = 0;
    double offset = 0;
    const quint32 blank = face.skipBlanks ? face.blankGlyph : quint32(-1);
    std::vector<quint32>& glyphs = fonts_.glyphs();
    const std::vector<double>& advances = fonts_.advances();
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const double at = xPx + offset;
        if (at >= low && at <= high && glyphs[i] != blank) {
            glyphs[kept++] = glyphs[i];
            positionBuffer_.emplace_back(offset, 0.0);
        }
        offset += advances[i];
    }
    constexpr size_t kBatch = 4096;
    for (size_t first = 0; first < kept; first += kBatch) {
        const size_t count = std::min(kBatch, kept - first);
        run_.setRawData(glyphs.data() + first, positionBuffer_.data() + first, int(count));
        painter_->drawGlyphRun(QPointF(xPx, baselinePx), run_);
    }
}

void QtPrintSurface::drawShaped(Face& face, const QString& visible, double xPx, double baselinePx)
{
    if (!(std::isfinite(xPx) && std::isfinite(baselinePx)))
        return;
    if (painterFont_ != &face) {
        painter_->setFont(face.font);
        painterFont_ = &face;
    }
    const double sheetW = sheetPixels_.width();
    double x = xPx;
    for (qsizetype begin = 0; begin < visible.size();) {
        const qsizetype end = PrintFonts::chunkEnd(visible, begin);
        const QString piece = visible.mid(begin, end - begin);
        const double width = face.metrics.horizontalAdvance(piece);
        if (x + width >= -sheetW && x <= 2 * sheetW)
            painter_->drawText(QPointF(x, baselinePx), piece);
        x += width;
        begin = end;
    }
}

void QtPrintSurface::setLinePen(quint32 rgb, int width, LineStyle style)
{
    painter_->setPen(printLinePen(rgb, width, style, dpiX_));
    painter_->setBrush(Qt::NoBrush);
    textPenSet_ = false;
}

namespace {

bool finite(double a, double b, double c, double d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

} // namespace

void QtPrintSurface::drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    setLinePen(rgb, width, style);
    painter_->drawLine(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
        QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))));
}

void QtPrintSurface::drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    setLinePen(rgb, width, style);
    painter_->drawRect(QRectF(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
        QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))))
                           .normalized());
}

void QtPrintSurface::fillBox(double x1, double y1, double x2, double y2, quint32 rgb)
{
    if (!finite(x1, y1, x2, y2) || !ensureDocument())
        return;
    painter_->fillRect(QRectF(QPointF(clampPixels(toPixelsX(x1)), clampPixels(toPixelsY(y1))),
                           QPointF(clampPixels(toPixelsX(x2)), clampPixels(toPixelsY(y2))))
                           .normalized(),
        printColor(rgb));
}

void QtPrintSurface::newPage()
{
    // A page break before anything was printed still begins the document first, so the
    // break gives a second page rather than being lost.
    if (ensureDocument() && !printer_->newPage())
        qWarning("%s: a new page could not be started", qPrintable(device_.deviceName));
    ++pages_;
    x_ = 0;
    y_ = 0;
}

bool QtPrintSurface::failDocument(int number, const QString& description)
{
    // The run reports it in its "Printer Error" message; the log keeps it too.
    error_ = {number > 0 ? number : 1, description};
    qWarning("%s: %s", qPrintable(device_.deviceName), qPrintable(description));
    state_ = DocState::Failed;
    return false;
}

bool QtPrintSurface::endDocument()
{
    if (state_ == DocState::Idle) {
        // Nothing was printed: a printer gets no job, a file is still written, blank.
        if (!isFileTarget())
            return true;
        ensureDocument();
    }
    bool ok = state_ == DocState::Open;
    if (ok) {
        ok = painter_->end();
        const QPrinter::PrinterState printerState = printer_->printerState();
        if (!ok || printerState == QPrinter::Error || printerState == QPrinter::Aborted) {
            ok = false;
            failDocument(0,
                printerState == QPrinter::Aborted ? QStringLiteral("the print job was aborted")
                                                  : QStringLiteral("the printer did not accept the job"));
        }
        if (ok && output_.isActive()) {
            QString error;
            if (!output_.isDirect() && !pdfFileComplete(output_.workPath())) {
                ok = false;
                failDocument(0, QStringLiteral("the PDF file could not be written whole (is the disk full?)"));
            } else if (!output_.commit(&error)) {
                const int number = errno;
                ok = false;
                failDocument(number, QStringLiteral("cannot write ") + outputFile_ + QStringLiteral(": ") + error);
            }
        }
    }
    output_.discard(); // whatever was not committed
    painter_.reset();
    painterFont_ = nullptr;
    textPenSet_ = false;
    state_ = DocState::Idle;
    applyPageSetup(); // what was changed while the document was open
    return ok;
}

void QtPrintSurface::abandonDocument()
{
    if (painter_ && painter_->isActive()) {
        // A printer's engine may refuse to withdraw the job; a file's pages end in the work
        // file, which is thrown away below.
        if (!isFileTarget())
            printer_->abort();
        painter_->end();
    }
    output_.discard();
    painter_.reset();
    painterFont_ = nullptr;
    textPenSet_ = false;
    state_ = DocState::Idle;
    applyPageSetup();
}

} // namespace quillon::platform
