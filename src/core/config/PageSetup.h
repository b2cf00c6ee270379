#pragma once
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace quillon::platform {
class IPrintSurface;
class IMessageBox;
} // namespace quillon::platform

namespace quillon::config {

class Options;

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPoint = 20.0;
inline constexpr double kPointsPerInch = 72.0;

enum MarginIndex { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3, kBinder = 4 };

// Where ink may go: device, paper, orientation, body font, margins, binding and folding guide.
struct PageSetup {
    QString deviceName;
    QString driverName;
    QString printerPort;
    QString paperSize = QStringLiteral("Letter");
    QString orientation = QStringLiteral("Portrait");
    QString fontName = QStringLiteral("Courier New");
    double fontSize = 10.0;
    bool duplex = false;
    bool printerScope = false;
    int bindingEdge = 0; // 0..6
    int codeIndent = 4;
    int foldingGuide = 0; // 0 none, 1 bottom, 2 top, 3 left, 4 right
    std::array<double, 5> margins {0.5, 0.5, 1.0, 1.0, 0.75}; // inches: left, right, top, bottom, binder
    double workingLeft = 0.5; // what the geometry uses; the mimic fitting may change them for a run
    double workingRight = 0.5;
    int tabWidthSetting = 4; // the editor's tab width as configured (1..32)

    static PageSetup fromOptions(const Options& options);
};

// Binder reduces the width for edges 1, 5 and 6, the height for the others.
bool binderReducesWidth(int bindingEdge);

struct PageGeometry {
    std::array<double, 5> marginTwips {};
    double leftTwips = 0;
    double rightTwips = 0;
    double binderWidth = 0;
    double binderHeight = 0;
    double charHeight = 0;
    double lineAdvance = 0;
    double headerBandHeight = 0;
    double footerBandHeight = 0;
    double printableWidth = 0;
    double printableHeight = 0;
    double foldDistance = 0;
    int ideTabWidth = 4;
    QString printDateText;
    QString runStartTimeText;
};

// "h:nn am/pm" style clock texts: the hour without a leading zero, 12 for noon and midnight.
QString twelveHourTime(const QTime& time, bool seconds, QChar separator = QLatin1Char(':'));
// "m/d/yy h:nn am/pm" and "h:nn:ss am/pm".
QString printDateText(const QDateTime& when);
QString runStartTimeText(const QDateTime& when);

// Result of fitting the left and right margins around the longest expected code line.
struct MarginFit {
    double left;
    double right;
    bool fits; // false: the margins cannot be shrunk enough
};
// All in twips; the minimum margin is 0.2 inch.
MarginFit fitMarginsToSample(double left, double right, double available);

// The page set-up applied to a print surface and the geometry it gives.
class PrintDevice {
public:
    PrintDevice(platform::IPrintSurface& surface, PageSetup& setup);

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    void applyPageSetup();
    // runStarting: also takes the run start time text.
    PageGeometry computePageGeometry(bool runStarting = false);
    const PageGeometry& geometry() const { return geometry_; }
    bool checkMargins(double left, double right, double top, double bottom, double binder, int bindingEdge,
        double& printableWidth, platform::IMessageBox* messages);
    void drawFoldingGuide();
    // Selects the device by name and keeps its name, driver and port in the set-up.
    bool selectOutputDevice(const QString& deviceName);
    QString outputTargetDescription() const;

    platform::IPrintSurface& surface() const { return surface_; }
    PageSetup& setup() const { return setup_; }

private:
    platform::IPrintSurface& surface_;
    PageSetup& setup_;
    PageGeometry geometry_;
};

// At start-up: selects the output target, the font and its size kept from the last run.
// What the device cannot take is told ("Output Target Not Changed", "Font Not Changed",
// "Font Size Not Changed") and replaced, in the set-up and the options, by what it has.
// The options are not saved here.
void restorePrintingSetup(PrintDevice& printer, Options& options, platform::IMessageBox& box);

} // namespace quillon::config
