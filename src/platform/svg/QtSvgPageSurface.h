#pragma once
#include "platform/SvgPageSurface.h"
#include "platform/paint/PrintFonts.h"

#include <QSizeF>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class QSvgGenerator;

namespace quillon::platform {

// The one device an SVG surface offers.
inline constexpr char16_t kSvgWriterDeviceName[] = u"Quillon SVG";
inline constexpr char16_t kSvgWriterDriverName[] = u"Quillon SVG Writer";

// Printed pages as SVG pictures (QSvgGenerator), laid out as the built-in PDF writer lays out
// its pages: the same sheets printed to their edges, the same resolution, the same text
// metrics. Texts are SVG texts in the family asked for, so a browser can find and select them.
// Needs a QGuiApplication (fonts); one surface per thread.
class QtSvgPageSurface : public ISvgPageSurface {
public:
    QtSvgPageSurface();
    ~QtSvgPageSurface() override;
    QtSvgPageSurface(const QtSvgPageSurface&) = delete;
    QtSvgPageSurface& operator=(const QtSvgPageSurface&) = delete;

    std::vector<PrinterInfo> printers() const override { return {device_}; }
    QString defaultDeviceName() const override { return device_.deviceName; }
    // Only the surface's own device is known; any other name leaves it.
    bool selectDevice(const QString& deviceName) override;
    PrinterInfo currentDevice() const override { return device_; }
    // The pages are kept in memory: there is no file to name.
    void setOutputFile(const QString&) override { }
    bool isFileTarget() const override { return true; }

    // Changes made while a document is open apply to the next document. The pictures are
    // one-sided whatever is asked, as the PDF writer's pages are.
    void setPaperCode(int code) override;
    int paperCode() const override { return paper_; }
    void setOrientationCode(int code) override;
    int orientationCode() const override { return orientation_; }
    void setDuplexMode(int) override { }
    int duplexMode() const override { return 1; }

    double printableWidth() const override { return sheetWidth(); }
    double printableHeight() const override { return sheetHeight(); }
    double sheetWidth() const override;
    double sheetHeight() const override;
    double physicalPageWidthPixels() const override;
    double physicalPageHeightPixels() const override;
    double pixelsPerInchX() const override { return fonts_.dpiX(); }
    double pixelsPerInchY() const override { return fonts_.dpiY(); }

    bool hasFont(const QString& name) const override { return PrintFonts::available(name); }
    void setFontName(const QString& name) override { fonts_.setFamily(name); }
    QString fontName() const override { return fonts_.style().family; }
    void setFontSize(double points) override { fonts_.setPoints(points); }
    double fontSize() const override { return fonts_.style().points; }
    void setBold(bool bold) override { fonts_.setBold(bold); }
    bool bold() const override { return fonts_.style().bold; }
    void setItalic(bool italic) override { fonts_.setItalic(italic); }
    bool italic() const override { return fonts_.style().italic; }
    void saveFontStyle() override { fonts_.saveStyle(); }
    void restoreFontStyle() override { fonts_.restoreStyle(); }

    double textWidth(QStringView text) const override { return fonts_.textWidth(text); }
    double textHeight(QStringView) const override { return fonts_.lineHeight(); }

    double currentX() const override { return x_; }
    double currentY() const override { return y_; }
    void setCurrentX(double x) override { x_ = x; }
    void setCurrentY(double y) override { y_ = y; }
    void setTextColor(quint32 rgb) override { textColor_ = rgb; }
    // What lies off the sheet is left out of the picture.
    void printText(QStringView text, bool lineEnd) override;

    void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override;
    void drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, LineStyle style) override;
    void fillBox(double x1, double y1, double x2, double y2, quint32 rgb) override;

    void newPage() override;
    // The document's pages join those takePages gives; with nothing printed, one blank page.
    bool endDocument() override;
    void abandonDocument() override;
    DocumentError documentError() const override { return error_; }
    int pagesStarted() const override { return pages_; }

    std::vector<QByteArray> takePages() override;

private:
    struct Page;

    void applyPageSetup();
    bool ensureDocument();
    bool beginPage();
    bool finishPage();
    bool failDocument(const QString& description);
    void useTextPen();
    void useLinePen(quint32 rgb, int width, LineStyle style);
    void drawVisible(const QString& visible, double width, double xPx, double topPx);

    double toPixelsX(double twips) const { return twips * fonts_.dpiX() / 1440.0; }
    double toPixelsY(double twips) const { return twips * fonts_.dpiY() / 1440.0; }

    PrinterInfo device_;
    // Fonts are made for its resolution; it paints nothing.
    std::unique_ptr<QSvgGenerator> measure_;
    PrintFonts fonts_;
    int paper_ = 1;
    int orientation_ = 1;
    QSizeF sheet_; // points, as set up
    QSizeF sheetPixels_; // of the open document

    enum class DocState { Idle, Open, Failed };
    DocState state_ = DocState::Idle;
    DocumentError error_;
    std::unique_ptr<Page> page_;
    std::vector<QByteArray> document_; // the open document's finished pages
    std::vector<QByteArray> finished_; // the pages of the documents ended, not yet taken
    int pages_ = 1;
    double x_ = 0;
    double y_ = 0;
    quint32 textColor_ = 0;
    bool textPenSet_ = false;
    quint32 penColor_ = 0;
    const PrintFonts::Face* painterFont_ = nullptr;
};

} // namespace quillon::platform
