#pragma once
#include "platform/PrintSurface.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPen>
#include <QRawFont>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <vector>

class QPaintDevice;

namespace quillon::platform {

// The fonts of a print surface at its device's resolution, and every text measured as it will
// print: the printer and the SVG pictures share them, so a page is laid out alike on both.
class PrintFonts {
public:
    struct Style {
        QString family = QStringLiteral("Courier New");
        double points = 10.0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeout = false;
    };

    // One font at the device's resolution with everything text output needs from it.
    struct Face;

    // A text measured, and with collect, turned into glyphs in glyphs()/advances(); shaped when
    // Qt has to lay it out instead.
    struct Layout {
        bool shaped = false;
        double width = 0; // device pixels
        QString visible; // shaped: the text as it prints
    };

    PrintFonts();
    ~PrintFonts();
    PrintFonts(const PrintFonts&) = delete;
    PrintFonts& operator=(const PrintFonts&) = delete;

    // The device texts are measured for, which must outlive its use here; the faces made for
    // the one before are dropped.
    void setDevice(const QPaintDevice* device);
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

    // Whether text can be printed in the family: itself, or a stand-in the system declares for
    // it (fontconfig puts Liberation Mono in for "Courier New").
    static bool available(const QString& family);

    const Style& style() const { return style_; }
    void setFamily(const QString& family);
    // Sizes are kept between 1 and 1000 points; zero, negative and NaN sizes are ignored.
    void setPoints(double points);
    void setBold(bool bold);
    void setItalic(bool italic);
    void setUnderline(bool underline);
    void setStrikeout(bool strikeout);
    // Italic, underline and strikeout, kept and put back as one.
    void saveStyle() { saved_ = style_; }
    void restoreStyle();

    // The face of the current style; stays valid until the device changes.
    Face& currentFace() const;
    Layout layOut(QStringView text, bool collect) const;
    // What a text prints as in the current font: characters the font cannot show and control
    // characters are replaced by U+FFFD, or by "<hex>" when the font lacks that too; a tab
    // prints as a space.
    QString visibleText(QStringView text) const;
    // In twips: the width without kerning, so printing a text moves x by exactly this much, and
    // the line height of the current font whatever the text.
    double textWidth(QStringView text) const;
    double lineHeight() const;

    // The glyphs and advances (device pixels) of the last text laid out with collect.
    std::vector<quint32>& glyphs() const { return glyphBuffer_; }
    const std::vector<double>& advances() const { return advanceBuffer_; }

    // Longer texts that Qt has to shape are laid out in pieces: Qt keeps positions in 26.6
    // fixed point, which overflows within a few hundred thousand characters at printer
    // resolution. The end of the piece starting at begin: never inside a surrogate pair, never
    // between a character and its marks.
    static qsizetype chunkEnd(const QString& text, qsizetype begin);

private:
    struct Glyphs;

    const Glyphs& glyphsFor(Face& face, char32_t ch) const;
    Glyphs classify(Face& face, char32_t ch) const;
    QString replacement(const Face& face, char32_t ch) const;
    QString shapedText(Face& face, QStringView text) const;
    double shapedWidth(Face& face, const QString& visible) const;
    void styleChanged() { face_ = nullptr; }

    const QPaintDevice* device_ = nullptr;
    double dpiX_ = 72;
    double dpiY_ = 72;
    Style style_;
    Style saved_;
    mutable std::vector<std::unique_ptr<Face>> faces_;
    mutable Face* face_ = nullptr;
    // Scratch space reused by every text output, so printing a run allocates nothing.
    mutable std::vector<quint32> glyphBuffer_;
    mutable std::vector<double> advanceBuffer_;
};

// How one character prints in one face.
struct PrintFonts::Glyphs {
    enum Kind : quint8 { Unknown, Direct, Escape, Shaped };
    Kind kind = Unknown;
    bool replaced = false; // the font cannot show it: prints as U+FFFD or "<hex>"
    quint8 count = 0; // Escape: glyphs in the face's escape pool
    quint32 glyph = 0; // Direct: the glyph; Escape: first entry in the pool
    double advance = 0; // device pixels, all glyphs together
};

struct PrintFonts::Face {
    Style style;
    QFont font; // bound to the device's resolution
    QFontMetricsF metrics;
    QRawFont raw;
    double ascent = 0; // device pixels
    double lineHeight = 0; // device pixels
    bool hasReplacement = false;
    // The space glyph, left out of the output when it has no ink and no line runs through it:
    // it only moves the pen, and every byte of a page costs time.
    quint32 blankGlyph = 0;
    bool skipBlanks = false;
    std::array<std::unique_ptr<Glyphs[]>, 256> bmp; // lazily filled blocks of 256 characters
    QHash<char32_t, Glyphs> astral;
    std::vector<quint32> escapeGlyphs;
    std::vector<double> escapeAdvances;

    Face(const QFont& f, const QFontMetricsF& m) : font(f), metrics(m) { }
};

// A colour value (red in the low byte) as Qt takes it.
inline QColor printColor(quint32 rgb)
{
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

// The pen of a drawn line: widths count dots of a 300 dpi printer (1 to 100), dash lengths are
// points whatever the width.
QPen printLinePen(quint32 rgb, int width, LineStyle style, double dpi);

} // namespace quillon::platform
