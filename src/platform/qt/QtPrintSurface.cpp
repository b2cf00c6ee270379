#include "platform/qt/QtPrintSurface.h"

#include <QFontDatabase>
#include <QFontInfo>

#include "platform/qt/QtPrintInternal.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
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

// Longer texts that Qt has to shape are laid out in pieces: Qt keeps positions in 26.6
// fixed point, which overflows within a few hundred thousand characters at printer
// resolution.
constexpr qsizetype kShapedChunk = 1024;

QColor colorOf(quint32 rgb)
{
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

// Characters that would move the pen, break the line or vanish rather than print.
bool isControl(char32_t ch)
{
    return (ch < 0x20 && ch != u'\t') || (ch >= 0x7F && ch <= 0x9F) || ch == 0x2028 || ch == 0x2029
        || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF;
}

// Characters that only print right when Qt shapes them with their neighbours: marks,
// right-to-left text, joining scripts and invisible formatting. Everything else prints as
// one glyph per character, which is what lets a run be drawn straight from cached glyphs.
bool needsShaping(char32_t ch)
{
    switch (QChar::category(ch)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        break;
    }
    const QChar::Direction direction = QChar::direction(ch);
    if (direction == QChar::DirR || direction == QChar::DirAL)
        return true;
    switch (QChar::script(ch)) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return false;
    case QChar::Script_Hangul:
        return !(ch >= 0xAC00 && ch <= 0xD7A3); // precomposed syllables stand alone; jamo combine
    default:
        return true;
    }
}

char32_t nextCodePoint(QStringView text, qsizetype& i)
{
    const char16_t unit = text[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(unit) && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text[i++].unicode());
    return unit;
}

void appendCodePoint(QString& out, char32_t ch)
{
    if (QChar::requiresSurrogates(ch)) {
        out += QChar(QChar::highSurrogate(ch));
        out += QChar(QChar::lowSurrogate(ch));
    } else {
        out += QChar(char16_t(ch));
    }
}

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
    // Fonts are bound to the device's resolution; they are made again from the settings
    // kept here, so a new device never loses the font.
    faces_.clear();
    face_ = nullptr;
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
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return false;
    if (QFontDatabase::hasFamily(wanted))
        return true;
    // Fontconfig stands a metric-compatible family in for a missing one (Liberation Mono for
    // "Courier New"); a name it knows nothing about falls back to the same default as a name
    // that cannot exist.
    const QString resolved = QFontInfo(QFont(wanted)).family();
    const QString fallback = QFontInfo(QFont(QStringLiteral("Quillon No Such Font 7f3a"))).family();
    return resolved.compare(fallback, Qt::CaseInsensitive) != 0;
}

void QtPrintSurface::setFontName(const QString& name)
{
    style_.family = name;
    fontChanged();
}

void QtPrintSurface::setFontSize(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return; // no font has such a size; the current one stays
    style_.points = std::clamp(points, 1.0, 1000.0);
    fontChanged();
}

void QtPrintSurface::setBold(bool bold)
{
    style_.bold = bold;
    fontChanged();
}

void QtPrintSurface::setItalic(bool italic)
{
    style_.italic = italic;
    fontChanged();
}

void QtPrintSurface::setUnderline(bool underline)
{
    style_.underline = underline;
    fontChanged();
}

void QtPrintSurface::setStrikeout(bool strikeout)
{
    style_.strikeout = strikeout;
    fontChanged();
}

void QtPrintSurface::saveFontStyle()
{
    saved_ = style_;
}

void QtPrintSurface::restoreFontStyle()
{
    style_.italic = saved_.italic;
    style_.underline = saved_.underline;
    style_.strikeout = saved_.strikeout;
    fontChanged();
}

QtPrintSurface::Face& QtPrintSurface::currentFace() const
{
    if (face_)
        return *face_;
    for (const std::unique_ptr<Face>& face : faces_) {
        const FontStyle& s = face->style;
        if (s.family == style_.family && s.points == style_.points && s.bold == style_.bold && s.italic == style_.italic
            && s.underline == style_.underline && s.strikeout == style_.strikeout) {
            face_ = face.get();
            return *face_;
        }
    }

    QFont font(style_.family);
    font.setPointSizeF(style_.points);
    font.setBold(style_.bold);
    font.setItalic(style_.italic);
    font.setUnderline(style_.underline);
    font.setStrikeOut(style_.strikeout);
    // Code lines are laid out character by character: no kerning. Characters the font
    // lacks are replaced here rather than borrowed from another font, so what is measured
    // is what prints.
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoFontMerging));

    auto face = std::make_unique<Face>(QFont(font, printer_.get()), QFontMetricsF(font, printer_.get()));
    face->style = style_;
    face->raw = QRawFont::fromFont(face->font);
    face->ascent = face->metrics.ascent();
    face->lineHeight = face->metrics.lineSpacing() > 0 ? face->metrics.lineSpacing() : face->metrics.height();
    face->hasReplacement = face->raw.isValid() ? face->raw.supportsCharacter(0xFFFD) : face->metrics.inFontUcs4(0xFFFD);
    if (face->raw.isValid() && !style_.underline && !style_.strikeout) {
        const QList<quint32> space = face->raw.glyphIndexesForString(QStringLiteral(" "));
        if (space.size() == 1 && space.front() != 0 && face->raw.pathForGlyph(space.front()).isEmpty()) {
            face->blankGlyph = space.front();
            face->skipBlanks = true;
        }
    }
    faces_.push_back(std::move(face));
    face_ = faces_.back().get();
    return *face_;
}

QString QtPrintSurface::replacement(const Face& face, char32_t ch) const
{
    if (face.hasReplacement)
        return QString(QChar(0xFFFD));
    return QStringLiteral("<%1>").arg(uint(ch), 2, 16, QLatin1Char('0')).toUpper();
}

QtPrintSurface::Glyphs QtPrintSurface::classify(Face& face, char32_t ch) const
{
    Glyphs out;
    const bool rawUsable = face.raw.isValid();
    // A tab has no glyph of its own; it prints as the space it stands for.
    const char32_t shown = ch == u'\t' ? u' ' : ch;
    const bool present =
        !isControl(ch) && (rawUsable ? face.raw.supportsCharacter(shown) : face.metrics.inFontUcs4(shown));
    out.replaced = !present;

    if (!rawUsable || (present && needsShaping(ch))) {
        out.kind = Glyphs::Shaped;
        return out;
    }

    auto glyphOf = [&face](char32_t c, double* advance) {
        QChar units[2];
        int length = 1;
        if (QChar::requiresSurrogates(c)) {
            units[0] = QChar(QChar::highSurrogate(c));
            units[1] = QChar(QChar::lowSurrogate(c));
            length = 2;
        } else {
            units[0] = QChar(char16_t(c));
        }
        quint32 glyphs[2] = {0, 0};
        int count = 2;
        if (!face.raw.glyphIndexesForChars(units, length, glyphs, &count) || count < 1)
            glyphs[0] = 0; // the font's missing-glyph box
        QPointF advances[1];
        face.raw.advancesForGlyphIndexes(glyphs, advances, 1, QRawFont::UseDesignMetrics);
        *advance = advances[0].x();
        return glyphs[0];
    };

    if (present) {
        out.kind = Glyphs::Direct;
        out.glyph = glyphOf(shown, &out.advance);
        return out;
    }
    if (face.hasReplacement) {
        out.kind = Glyphs::Direct;
        out.glyph = glyphOf(0xFFFD, &out.advance);
        return out;
    }
    const QString escape = replacement(face, ch);
    out.kind = Glyphs::Escape;
    out.glyph = quint32(face.escapeGlyphs.size());
    out.count = quint8(escape.size());
    for (QChar c : escape) {
        double advance = 0;
        face.escapeGlyphs.push_back(glyphOf(c.unicode(), &advance));
        face.escapeAdvances.push_back(advance);
        out.advance += advance;
    }
    return out;
}

const QtPrintSurface::Glyphs& QtPrintSurface::glyphsFor(Face& face, char32_t ch) const
{
    Glyphs* slot;
    if (ch < 0x10000) {
        std::unique_ptr<Glyphs[]>& block = face.bmp[ch >> 8];
        if (!block)
            block = std::make_unique<Glyphs[]>(256);
        slot = &block[ch & 0xFF];
    } else {
        slot = &face.astral[ch];
    }
    if (slot->kind == Glyphs::Unknown)
        *slot = classify(face, ch);
    return *slot;
}

QtPrintSurface::Layout QtPrintSurface::layOut(QStringView text, bool collect) const
{
    Face& face = currentFace();
    Layout out;
    if (collect) {
        glyphBuffer_.clear();
        advanceBuffer_.clear();
    }
    for (qsizetype i = 0; i < text.size();) {
        const Glyphs& g = glyphsFor(face, nextCodePoint(text, i));
        switch (g.kind) {
        case Glyphs::Direct:
            if (collect) {
                glyphBuffer_.push_back(g.glyph);
                advanceBuffer_.push_back(g.advance);
            }
            break;
        case Glyphs::Escape:
            if (collect) {
                for (quint32 k = g.glyph; k < g.glyph + g.count; ++k) {
                    glyphBuffer_.push_back(face.escapeGlyphs[k]);
                    advanceBuffer_.push_back(face.escapeAdvances[k]);
                }
            }
            break;
        default:
            out.shaped = true;
            out.visible = shapedText(face, text);
            out.width = shapedWidth(face, out.visible);
            return out;
        }
        out.width += g.advance;
    }
    return out;
}

QString QtPrintSurface::shapedText(Face& face, QStringView text) const
{
    QString visible;
    visible.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char32_t ch = nextCodePoint(text, i);
        const Glyphs& g = glyphsFor(face, ch);
        if (g.replaced)
            visible += replacement(face, ch);
        else if (ch == u'\t')
            visible += QLatin1Char(' ');
        else
            appendCodePoint(visible, ch);
    }
    return visible;
}

namespace {

// The end of the piece of a shaped text starting at begin: never inside a surrogate pair,
// never between a character and its marks.
qsizetype chunkEnd(const QString& text, qsizetype begin)
{
    qsizetype end = std::min(text.size(), begin + kShapedChunk);
    while (end < text.size() && end > begin) {
        const QChar c = text[end];
        if (c.isLowSurrogate() || c.isMark() || c.category() == QChar::Other_Format)
            ++end;
        else
            break;
    }
    return end;
}

} // namespace

double QtPrintSurface::shapedWidth(Face& face, const QString& visible) const
{
    double width = 0;
    for (qsizetype begin = 0; begin < visible.size();) {
        const qsizetype end = chunkEnd(visible, begin);
        width += face.metrics.horizontalAdvance(visible.mid(begin, end - begin));
        begin = end;
    }
    return width;
}

QString QtPrintSurface::visibleText(QStringView text) const
{
    return shapedText(currentFace(), text);
}

double QtPrintSurface::textWidth(QStringView text) const
{
    return layOut(text, false).width * kTwipsPerInch / dpiX_;
}

double QtPrintSurface::textHeight(QStringView) const
{
    return currentFace().lineHeight * kTwipsPerInch / dpiY_;
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
    painter_->setPen(colorOf(textColor_));
    penColor_ = textColor_;
    textPenSet_ = true;
}

void QtPrintSurface::printText(QStringView text, bool lineEnd)
{
    if (!text.isEmpty()) {
        Face& face = currentFace();
        const Layout layout = layOut(text, true);
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
    for (size_t i = 0; i < glyphBuffer_.size(); ++i) {
        const double at = xPx + offset;
        if (at >= low && at <= high && glyphBuffer_[i] != blank) {
            glyphBuffer_[kept++] = glyphBuffer_[i];
            positionBuffer_.emplace_back(offset, 0.0);
        }
        offset += advanceBuffer_[i];
    }
    constexpr size_t kBatch = 4096;
    for (size_t first = 0; first < kept; first += kBatch) {
        const size_t count = std::min(kBatch, kept - first);
        run_.setRawData(glyphBuffer_.data() + first, positionBuffer_.data() + first, int(count));
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
        const qsizetype end = chunkEnd(visible, begin);
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
    // Line widths count printer dots of a 300 dpi printer: 1 is a hairline that still
    // prints, 3 a line that is plainly seen.
    const double units = std::clamp(width, 1, 100);
    const double widthPx = units * dpiX_ / 300.0;
    QPen pen(colorOf(rgb));
    pen.setWidthF(widthPx);
    pen.setJoinStyle(Qt::MiterJoin);
    // Dash lengths in points, whatever the line width: Qt counts them in line widths.
    const double widthPt = units * 72.0 / 300.0;
    auto pattern = [widthPt](std::initializer_list<double> points) {
        QList<qreal> dashes;
        for (double p : points)
            dashes << p / widthPt;
        return dashes;
    };
    switch (style) {
    case LineStyle::Solid:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case LineStyle::Dashed:
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(pattern({6, 3}));
        break;
    case LineStyle::Dotted:
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(pattern({1, 2}));
        break;
    case LineStyle::DashDot:
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(pattern({6, 2.5, 1, 2.5}));
        break;
    }
    painter_->setPen(pen);
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
        colorOf(rgb));
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
