#pragma once
#include "platform/PrintSurface.h"

#include <QStringList>

#include <vector>

namespace quillon::test {

// A print surface for tests: it records every operation and measures text with a
// monospaced model, so positions, colours and page breaks can be asserted exactly.
//   width of a text  = characters × 12 × font size (a 10-point character is 120 twips)
//   height of a text = line advance = 24 × font size
// Sheets are Letter 12240 × 15840 or Legal 12240 × 20160 twips (swapped in landscape) with a
// printable area 360 twips inside each edge; the device has 600 pixels per inch.
class RecordingPrintSurface : public platform::IPrintSurface {
public:
    struct Op {
        enum class Kind { Text, Line, Box, Fill, NewPage, EndDocument, AbandonDocument };
        Kind kind = Kind::Text;
        int page = 1; // pages started so far when the operation happened (1 before the first NewPage)
        QString text;
        double x = 0, y = 0, x2 = 0, y2 = 0;
        quint32 color = 0;
        bool bold = false;
        bool italic = false;
        double fontSize = 0;
        QString fontName;
        bool lineEnd = false;
        int width = 0;
        platform::LineStyle style = platform::LineStyle::Solid;
    };

    RecordingPrintSurface();
    // A run owns its surface and drops it at the end: the operations then go here, if any.
    std::vector<Op>* keepOpsIn = nullptr;
    ~RecordingPrintSurface() override
    {
        if (keepOpsIn && !ops.empty())
            *keepOpsIn = ops;
    }

    std::vector<platform::PrinterInfo> installedPrinters;
    QString defaultDevice;
    bool supportsDuplex = true;

    std::vector<Op> ops;
    QString outputFile;
    // One entry per ended document: the file it went to and its pages. With writeFiles set,
    // ending a document also writes a small non-empty file under that name.
    struct Document {
        QString file;
        int pages = 0;
    };
    std::vector<Document> documents;
    bool writeFiles = false;

    // Texts printed, in order: all of them, or those of one page.
    QStringList texts(int page = 0) const;
    // The printed text of each line: consecutive texts joined until a line end.
    QStringList lines() const;

    std::vector<platform::PrinterInfo> printers() const override { return installedPrinters; }
    QString defaultDeviceName() const override { return defaultDevice; }
    bool selectDevice(const QString& deviceName) override;
    platform::PrinterInfo currentDevice() const override { return current_; }
    void setOutputFile(const QString& path) override { outputFile = path; }
    bool isFileTarget() const override { return current_.port == QLatin1String("FILE:"); }

    void setPaperCode(int code) override { paper_ = code == 5 ? 5 : 1; }
    int paperCode() const override { return paper_; }
    void setOrientationCode(int code) override { orientation_ = code == 2 ? 2 : 1; }
    int orientationCode() const override { return orientation_; }
    void setDuplexMode(int mode) override { duplex_ = supportsDuplex && (mode == 2 || mode == 3) ? mode : 1; }
    int duplexMode() const override { return duplex_; }

    double printableWidth() const override { return sheetWidth() - 720; }
    double printableHeight() const override { return sheetHeight() - 720; }
    double sheetWidth() const override { return orientation_ == 2 ? paperLength() : 12240; }
    double sheetHeight() const override { return orientation_ == 2 ? 12240 : paperLength(); }
    double physicalPageWidthPixels() const override { return sheetWidth() / 1440.0 * 600.0; }
    double physicalPageHeightPixels() const override { return sheetHeight() / 1440.0 * 600.0; }
    double pixelsPerInchX() const override { return 600; }
    double pixelsPerInchY() const override { return 600; }

    // Fonts the recording device knows; empty: any name.
    QStringList fonts;
    bool hasFont(const QString& name) const override
    {
        return fonts.isEmpty() ? platform::IPrintSurface::hasFont(name) : fonts.contains(name.trimmed(), Qt::CaseInsensitive);
    }
    void setFontName(const QString& name) override { fontName_ = name; }
    QString fontName() const override { return fontName_; }
    // Like a real device, no font has a size of 0 or below: the current one stays.
    void setFontSize(double points) override
    {
        if (points > 0 && points < 1e6)
            fontSize_ = points;
    }
    double fontSize() const override { return fontSize_; }
    void setBold(bool bold) override { bold_ = bold; }
    bool bold() const override { return bold_; }
    void setItalic(bool italic) override { italic_ = italic; }
    bool italic() const override { return italic_; }
    void saveFontStyle() override { }
    void restoreFontStyle() override { }

    double textWidth(QStringView text) const override { return double(text.size()) * 12.0 * fontSize_; }
    double textHeight(QStringView) const override { return 24.0 * fontSize_; }

    double currentX() const override { return x_; }
    double currentY() const override { return y_; }
    void setCurrentX(double x) override { x_ = x; }
    void setCurrentY(double y) override { y_ = y; }
    void setTextColor(quint32 rgb) override { color_ = rgb; }
    void printText(QStringView text, bool lineEnd) override;

    void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, platform::LineStyle style) override
    {
        record(Op::Kind::Line, x1, y1, x2, y2, rgb, width, style);
    }
    void drawBox(double x1, double y1, double x2, double y2, quint32 rgb, int width, platform::LineStyle style) override
    {
        record(Op::Kind::Box, x1, y1, x2, y2, rgb, width, style);
    }
    void fillBox(double x1, double y1, double x2, double y2, quint32 rgb) override
    {
        record(Op::Kind::Fill, x1, y1, x2, y2, rgb, 0, platform::LineStyle::Solid);
    }

    void newPage() override;
    bool endDocument() override;
    void abandonDocument() override;
    void setLinkTarget(const QString& target) override { links_.setTarget(target); }
    std::vector<platform::TextArea> takeLinkAreas() override { return links_.take(); }
    // Pages of the current document (op.page keeps counting across documents).
    int pagesStarted() const override { return page_ - documentStart_ + 1; }

private:
    platform::LinkAreas links_;
    double paperLength() const { return paper_ == 5 ? 20160 : 15840; }
    Op base(Op::Kind kind);
    void openDocumentIfEnded();
    void record(Op::Kind kind, double x1, double y1, double x2, double y2, quint32 rgb, int width, platform::LineStyle style);

    platform::PrinterInfo current_;
    int paper_ = 1;
    int orientation_ = 1;
    int duplex_ = 1;
    QString fontName_ = QStringLiteral("Courier New");
    double fontSize_ = 10;
    bool bold_ = false;
    bool italic_ = false;
    double x_ = 0;
    double y_ = 0;
    quint32 color_ = 0;
    int page_ = 1;
    int documentStart_ = 1;
    bool ended_ = false; // the next operation opens a new document on a new page
};

} // namespace quillon::test
