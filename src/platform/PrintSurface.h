#pragma once
#include <QString>
#include <QStringView>

#include <vector>

namespace quillon::platform {

struct PrinterInfo {
    QString deviceName;
    QString driverName;
    QString port;
};

enum class LineStyle { Solid, Dashed, Dotted, DashDot };

// The abstract print surface every printing step draws on. All lengths are twips (1440 per
// inch); colours are 24-bit values with red in the low byte. The current x and y are
// relative to the top-left of the printable area; text is printed with its top at the
// current y, and a line end moves x to 0 and y down by one line advance of the current font.
class IPrintSurface {
public:
    virtual ~IPrintSurface() = default;

    // Devices.
    virtual std::vector<PrinterInfo> Printers() const = 0;
    virtual QString DefaultDeviceName() const = 0;
    virtual bool SelectDevice(const QString& deviceName) = 0; // case-insensitive; false leaves the device
    virtual PrinterInfo CurrentDevice() const = 0;
    // Where a file target (a PDF writer) writes; ignored by devices that print on paper.
    virtual void SetOutputFile(const QString& path) = 0;
    virtual bool IsFileTarget() const = 0;

    // Page set-up: paper 1 Letter, 5 Legal; orientation 1 portrait, 2 landscape;
    // duplex 1 simplex, 2 and 3 two-sided.
    virtual void SetPaperCode(int code) = 0;
    virtual int PaperCode() const = 0;
    virtual void SetOrientationCode(int code) = 0;
    virtual int OrientationCode() const = 0;
    virtual void SetDuplexMode(int mode) = 0;
    virtual int DuplexMode() const = 0;

    // Geometry of the chosen device and paper.
    virtual double PrintableWidth() const = 0;
    virtual double PrintableHeight() const = 0;
    virtual double SheetWidth() const = 0;
    virtual double SheetHeight() const = 0;
    // The physical page in device pixels and the pixels per inch; 0 when the device cannot say.
    virtual double PhysicalPageWidthPixels() const = 0;
    virtual double PhysicalPageHeightPixels() const = 0;
    virtual double PixelsPerInchX() const = 0;
    virtual double PixelsPerInchY() const = 0;

    // Font.
    // Whether text can be printed in the named font (itself, or a stand-in the system
    // declares for it, such as a metric-compatible family).
    virtual bool HasFont(const QString& name) const { return !name.trimmed().isEmpty(); }
    virtual void SetFontName(const QString& name) = 0;
    virtual QString FontName() const = 0;
    virtual void SetFontSize(double points) = 0;
    virtual double FontSize() const = 0;
    virtual void SetBold(bool bold) = 0;
    virtual bool Bold() const = 0;
    virtual void SetItalic(bool italic) = 0;
    virtual bool Italic() const = 0;
    // Italic, underline, strikethrough and character set, kept and put back as one.
    virtual void SaveFontStyle() = 0;
    virtual void RestoreFontStyle() = 0;

    // Text metrics in the current font, as the device will print it.
    virtual double TextWidth(QStringView text) const = 0;
    virtual double TextHeight(QStringView text) const = 0;

    // Cursor and output.
    virtual double CurrentX() const = 0;
    virtual double CurrentY() const = 0;
    virtual void SetCurrentX(double x) = 0;
    virtual void SetCurrentY(double y) = 0;
    virtual void SetTextColor(quint32 rgb) = 0;
    virtual void PrintText(QStringView text, bool lineEnd) = 0;

    // Drawing; the cursor is not moved.
    virtual void DrawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) = 0;
    virtual void DrawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) = 0;
    virtual void FillBox(double x1, double y1, double x2, double y2, quint32 rgb) = 0;

    // Document.
    virtual void NewPage() = 0;
    // Finishes the document; false when it could not be completed (the file cannot be
    // written, the device refused the job).
    virtual bool EndDocument() = 0;
    virtual int PagesStarted() const = 0;
};

// Red in the low byte, as colour values are stored.
inline constexpr quint32 Rgb(int red, int green, int blue)
{
    return quint32(red & 0xFF) | (quint32(green & 0xFF) << 8) | (quint32(blue & 0xFF) << 16);
}

} // namespace quillon::platform
