#include "platform/paint/PrintFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintDevice>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quillon::platform {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr qsizetype kShapedChunk = 1024;

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

} // namespace

PrintFonts::PrintFonts() = default;
PrintFonts::~PrintFonts() = default;

void PrintFonts::setDevice(const QPaintDevice* device)
{
    device_ = device;
    dpiX_ = device->logicalDpiX();
    dpiY_ = device->logicalDpiY();
    faces_.clear();
    face_ = nullptr;
}

bool PrintFonts::available(const QString& family)
{
    const QString wanted = family.trimmed();
    if (wanted.isEmpty())
        return false;
    if (QFontDatabase::hasFamily(wanted))
        return true;
    // Fontconfig stands a metric-compatible family in for a missing one; a name it knows
    // nothing about falls back to the same default as a name that cannot exist.
    const QString resolved = QFontInfo(QFont(wanted)).family();
    const QString fallback = QFontInfo(QFont(QStringLiteral("Quillon No Such Font 7f3a"))).family();
    return resolved.compare(fallback, Qt::CaseInsensitive) != 0;
}

void PrintFonts::setFamily(const QString& family)
{
    style_.family = family;
    styleChanged();
}

void PrintFonts::setPoints(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return; // no font has such a size; the current one stays
    style_.points = std::clamp(points, 1.0, 1000.0);
    styleChanged();
}

void PrintFonts::setBold(bool bold)
{
    style_.bold = bold;
    styleChanged();
}

void PrintFonts::setItalic(bool italic)
{
    style_.italic = italic;
    styleChanged();
}

void PrintFonts::setUnderline(bool underline)
{
    style_.underline = underline;
    styleChanged();
}

void PrintFonts::setStrikeout(bool strikeout)
{
    style_.strikeout = strikeout;
    styleChanged();
}

void PrintFonts::restoreStyle()
{
    style_.italic = saved_.italic;
    style_.underline = saved_.underline;
    style_.strikeout = saved_.strikeout;
    styleChanged();
}

PrintFonts::Face& PrintFonts::currentFace() const
{
    if (face_)
        return *face_;
    for (const std::unique_ptr<Face>& face : faces_) {
        const Style& s = face->style;
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

    auto face = device_ ? std::make_unique<Face>(QFont(font, device_), QFontMetricsF(font, device_))
                        : std::make_unique<Face>(font, QFontMetricsF(font));
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

QString PrintFonts::replacement(const Face& face, char32_t ch) const
{
    if (face.hasReplacement)
        return QString(QChar(0xFFFD));
    return QStringLiteral("<%1>").arg(uint(ch), 2, 16, QLatin1Char('0')).toUpper();
}

PrintFonts::Glyphs PrintFonts::classify(Face& face, char32_t ch) const
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

const PrintFonts::Glyphs& PrintFonts::glyphsFor(Face& face, char32_t ch) const
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

PrintFonts::Layout PrintFonts::layOut(QStringView text, bool collect) const
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

QString PrintFonts::shapedText(Face& face, QStringView text) const
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

qsizetype PrintFonts::chunkEnd(const QString& text, qsizetype begin)
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

double PrintFonts::shapedWidth(Face& face, const QString& visible) const
{
    double width = 0;
    for (qsizetype begin = 0; begin < visible.size();) {
        const qsizetype end = chunkEnd(visible, begin);
        width += face.metrics.horizontalAdvance(visible.mid(begin, end - begin));
        begin = end;
    }
    return width;
}

QString PrintFonts::visibleText(QStringView text) const
{
    return shapedText(currentFace(), text);
}

double PrintFonts::textWidth(QStringView text) const
{
    return layOut(text, false).width * kTwipsPerInch / dpiX_;
}

double PrintFonts::lineHeight() const
{
    return currentFace().lineHeight * kTwipsPerInch / dpiY_;
}

QPen printLinePen(quint32 rgb, int width, LineStyle style, double dpi)
{
    // 1 is a hairline that still prints, 3 a line that is plainly seen.
    const double units = std::clamp(width, 1, 100);
    QPen pen(printColor(rgb));
    pen.setWidthF(units * dpi / 300.0);
    pen.setJoinStyle(Qt::MiterJoin);
    // Qt counts dash lengths in line widths.
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
    return pen;
}

} // namespace quillon::platform
