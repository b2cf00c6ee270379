#pragma once
#include <QRectF>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <utility>
#include <vector>

namespace quillon::platform {

struct PrinterInfo {
    QString deviceName;
    QString driverName;
    QString port;
};

enum class LineStyle { Solid, Dashed, Dotted, DashDot };

// Why a document could not be started or completed: the system's error number when a system call
// failed (1 when there is none to give), and what went wrong.
struct DocumentError {
    int number = 0;
    QString description;
};

// Where a text was printed that names a routine: the page of the document (0 = its first), the
// area in points from the page's top-left corner, and the routine's key.
struct TextArea {
    int page = 0;
    QRectF area;
    QString target;
};

// Keeps the areas of texts printed while a link target is set; the texts of one line printed
// piece by piece become one area.
class LinkAreas {
public:
    void setTarget(const QString& target) { target_ = target; }
    bool active() const { return !target_.isEmpty(); }
    void add(int page, const QRectF& area)
    {
        if (!areas_.empty()) {
            TextArea& last = areas_.back();
            if (last.page == page && last.target == target_ && qFuzzyCompare(last.area.top() + 1, area.top() + 1)
                && area.left() >= last.area.left()) {
                last.area.setRight(std::max(last.area.right(), area.right()));
                return;
            }
        }
        areas_.push_back({page, area, target_});
    }
    std::vector<TextArea> take() { return std::exchange(areas_, {}); }

private:
    QString target_;
    std::vector<TextArea> areas_;
};

// The abstract print surface every printing step draws on. All lengths are twips (1440 per
// inch); colours are 24-bit values with red in the low byte. The current x and y are
// relative to the top-left of the printable area; text is printed with its top at the
// current y, and a line end moves x to 0 and y down by one line advance of the current font.
class IPrintSurface {
public:
    virtual ~IPrintSurface() = default;

    // Devices.
    virtual std::vector<PrinterInfo> printers() const = 0;
    virtual QString defaultDeviceName() const = 0;
    virtual bool selectDevice(const QString& deviceName) = 0; // case-insensitive; false leaves the device
    virtual PrinterInfo currentDevice() const = 0;
    // Where a file target (a PDF writer) writes; ignored by devices that print on paper.
    virtual void setOutputFile(const QString& path) = 0;
    virtual bool isFileTarget() const = 0;

    // Page set-up: paper 1 Letter, 5 Legal; orientation 1 portrait, 2 landscape;
    // duplex 1 simplex, 2 and 3 two-sided.
    virtual void setPaperCode(int code) = 0;
    virtual int paperCode() const = 0;
    virtual void setOrientationCode(int code) = 0;
    virtual int orientationCode() const = 0;
    virtual void setDuplexMode(int mode) = 0;
    virtual int duplexMode() const = 0;

    // Geometry of the chosen device and paper.
    virtual double printableWidth() const = 0;
    virtual double printableHeight() const = 0;
    virtual double sheetWidth() const = 0;
    virtual double sheetHeight() const = 0;
    // The physical page in device pixels and the pixels per inch; 0 when the device cannot say.
    virtual double physicalPageWidthPixels() const = 0;
    virtual double physicalPageHeightPixels() const = 0;
    virtual double pixelsPerInchX() const = 0;
    virtual double pixelsPerInchY() const = 0;

    // Font.
    // Whether text can be printed in the named font (itself, or a stand-in the system
    // declares for it, such as a metric-compatible family).
    virtual bool hasFont(const QString& name) const { return !name.trimmed().isEmpty(); }
    virtual void setFontName(const QString& name) = 0;
    virtual QString fontName() const = 0;
    virtual void setFontSize(double points) = 0;
    virtual double fontSize() const = 0;
    virtual void setBold(bool bold) = 0;
    virtual bool bold() const = 0;
    virtual void setItalic(bool italic) = 0;
    virtual bool italic() const = 0;
    // Italic, underline, strikethrough and character set, kept and put back as one.
    virtual void saveFontStyle() = 0;
    virtual void restoreFontStyle() = 0;

    // Text metrics in the current font, as the device will print it.
    virtual double textWidth(QStringView text) const = 0;
    virtual double textHeight(QStringView text) const = 0;

    // Cursor and output.
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    virtual void setTextColor(quint32 rgb) = 0;
    virtual void printText(QStringView text, bool lineEnd) = 0;

    // Drawing; the cursor is not moved.
    virtual void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) = 0;
    virtual void drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) = 0;
    virtual void fillBox(double x1, double y1, double x2, double y2, quint32 rgb) = 0;

    // Links. While a target is set (a routine's key; empty: none), the areas of the texts
    // printed are kept as links to it, in points from the page's top-left corner. Taking them
    // empties the list. A surface that cannot keep them keeps none.
    virtual void setLinkTarget(const QString& target) { (void)target; }
    virtual std::vector<TextArea> takeLinkAreas() { return {}; }

    // Document.
    virtual void newPage() = 0;
    // Finishes the document; false when it could not be completed (the file cannot be
    // written, the device refused the job).
    virtual bool endDocument() = 0;
    // Ends the open document without delivering it: a file being written is thrown away (a
    // file it was to replace stays as it was) and a printer job is withdrawn where the system
    // allows it.
    virtual void abandonDocument() = 0;
    // Why the last document failed; empty while none has.
    virtual DocumentError documentError() const { return {}; }
    virtual int pagesStarted() const = 0;
};

// Red in the low byte, as colour values are stored.
inline constexpr quint32 rgb(int red, int green, int blue)
{
    return quint32(red & 0xFF) | (quint32(green & 0xFF) << 8) | (quint32(blue & 0xFF) << 16);
}

} // namespace quillon::platform
