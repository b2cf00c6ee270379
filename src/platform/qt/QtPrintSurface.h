#pragma once
#include "platform/PrintSurface.h"
#include "platform/ReplacementFile.h"
#include "platform/paint/PrintFonts.h"

#include <QGlyphRun>
#include <QHash>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;

namespace quillon::platform {

// The built-in PDF writer, offered on every machine whether or not CUPS has printers.
inline constexpr char16_t kPdfWriterDeviceName[] = u"Quillon PDF";
inline constexpr char16_t kPdfWriterDriverName[] = u"Quillon PDF Writer";
inline constexpr char16_t kFilePort[] = u"FILE:";

// The port a CUPS device URI stands for: usb: → "USB" + the rest, parallel: → "LPT" + the
// rest, serial: → "COM" + the rest, socket:/ipp:/ipps:/lpd: → "IP_" + the host, file: and
// cups-pdf: → "FILE:", anything else unchanged.
QString portFromDeviceUri(const QString& uri);

// Printer name → device URI from the output of "lpstat -v" ("device for NAME: URI" lines).
QHash<QString, QString> parseLpstatDevices(const QString& output);

// Every printer CUPS offers, then the built-in PDF writer; and the name of the system's
// default printer, or of the PDF writer when there is none.
std::vector<PrinterInfo> availablePrintDevices();
QString defaultPrintDeviceName();

// The print surface on a real printer or the built-in PDF writer (QPrinter and QPainter).
// Needs a QGuiApplication. The painter is begun on the first output of a document, so page
// set-up can be changed freely until then; changes made while a document is open apply to
// the next document.
class QtPrintSurface : public IPrintSurface {
public:
    // The printers to offer (the built-in PDF writer is added last) and the default one (the
    // writer when empty); the system's own unless a caller knows better (tests do).
    explicit QtPrintSurface(
        std::vector<PrinterInfo> printers = availablePrintDevices(), QString defaultDevice = defaultPrintDeviceName());
    ~QtPrintSurface() override;
    QtPrintSurface(const QtPrintSurface&) = delete;
    QtPrintSurface& operator=(const QtPrintSurface&) = delete;

    std::vector<PrinterInfo> printers() const override { return devices_; }
    QString defaultDeviceName() const override { return defaultDevice_; }
    // False for a name no device has, and while a document is open: a document goes to
    // one device from its first page to its last.
    bool selectDevice(const QString& deviceName) override;
    PrinterInfo currentDevice() const override { return device_; }
    void setOutputFile(const QString& path) override;
    bool isFileTarget() const override;

    // The same paper, orientation and duplex mode go to every device chosen; a printer
    // that cannot print two-sided answers 1.
    void setPaperCode(int code) override;
    int paperCode() const override { return paper_; }
    void setOrientationCode(int code) override;
    int orientationCode() const override { return orientation_; }
    void setDuplexMode(int mode) override;
    int duplexMode() const override;

    double printableWidth() const override;
    double printableHeight() const override;
    double sheetWidth() const override;
    double sheetHeight() const override;
    double physicalPageWidthPixels() const override;
    double physicalPageHeightPixels() const override;
    double pixelsPerInchX() const override { return dpiX_; }
    double pixelsPerInchY() const override { return dpiY_; }

    // The family as given; fontconfig picks the face ("Courier New" is often Liberation Mono).
    bool hasFont(const QString& name) const override;
    void setFontName(const QString& name) override;
    QString fontName() const override { return fonts_.style().family; }
    // Sizes are kept between 1 and 1000 points; zero, negative and NaN sizes are ignored.
    void setFontSize(double points) override;
    double fontSize() const override { return fonts_.style().points; }
    void setBold(bool bold) override;
    bool bold() const override { return fonts_.style().bold; }
    void setItalic(bool italic) override;
    bool italic() const override { return fonts_.style().italic; }
    void saveFontStyle() override;
    void restoreFontStyle() override;
    // The other parts of the style saveFontStyle keeps.
    void setUnderline(bool underline);
    bool underline() const { return fonts_.style().underline; }
    void setStrikeout(bool strikeout);
    bool strikeout() const { return fonts_.style().strikeout; }

    // Measured with the printer's font metrics, as visibleText prints, without kerning:
    // printing a text moves x by exactly its textWidth. A tab is one space wide.
    double textWidth(QStringView text) const override;
    // The line height of the current font, whatever the text.
    double textHeight(QStringView text) const override;

    double currentX() const override { return x_; }
    double currentY() const override { return y_; }
    void setCurrentX(double x) override { x_ = x; }
    void setCurrentY(double y) override { y_ = y; }
    void setTextColor(quint32 rgb) override { textColor_ = rgb; }
    void printText(QStringView text, bool lineEnd) override;

    // Line widths count dots of a 300 dpi printer (1 to 100). Coordinates that are not
    // finite draw nothing.
    void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override;
    void drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, quint32 rgb) override;

    // Moves the cursor to the top-left of the new page.
    void newPage() override;
    // False when the document could not be started (no output file, a file that cannot be
    // written), the printer reported an error, or the PDF written is empty or cut short.
    // With nothing printed, a printer gets no job and a file gets a blank page.
    bool endDocument() override;
    void setLinkTarget(const QString& target) override { links_.setTarget(target); }
    std::vector<TextArea> takeLinkAreas() override { return links_.take(); }
    void abandonDocument() override;
    DocumentError documentError() const override { return error_; }
    int pagesStarted() const override { return pages_; }

    // What a text prints as in the current font: characters the font cannot show and
    // control characters are replaced by U+FFFD, or by "<hex>" when the font lacks that too.
    QString visibleText(QStringView text) const;

private:
    using Face = PrintFonts::Face;

    void applyDevice(const PrinterInfo& device);
    void applyPageSetup();
    bool isPdfWriter() const;

    bool ensureDocument();
    // Records why the document failed and marks it failed; false.
    bool failDocument(int number, const QString& description);
    void useTextPen();
    void drawShaped(Face& face, const QString& visible, double xPx, double baselinePx);
    void drawGlyphs(Face& face, double xPx, double baselinePx);
    void setLinePen(quint32 rgb, int width, LineStyle style);

    double toPixelsX(double twips) const { return twips * dpiX_ / 1440.0; }
    double toPixelsY(double twips) const { return twips * dpiY_ / 1440.0; }

    std::vector<PrinterInfo> devices_;
    QString defaultDevice_;
    PrinterInfo device_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QString outputFile_;
    // The document being written: it replaces outputFile_ only once it is complete.
    ReplacementFile output_;
    LinkAreas links_;
    int paper_ = 1;
    int orientation_ = 1;
    int duplex_ = 1;
    double dpiX_ = 0;
    double dpiY_ = 0;
    QSizeF sheetPixels_; // of the open document

    PrintFonts fonts_;

    enum class DocState { Idle, Open, Failed };
    DocState state_ = DocState::Idle;
    DocumentError error_;
    int pages_ = 1;
    double x_ = 0;
    double y_ = 0;
    quint32 textColor_ = 0;
    bool textPenSet_ = false;
    quint32 penColor_ = 0;
    const Face* painterFont_ = nullptr;

    // Scratch space reused by every text output, so printing a run allocates nothing.
    std::vector<QPointF> positionBuffer_;
    QGlyphRun run_;
    const Face* runFace_ = nullptr;
};

} // namespace quillon::platform
