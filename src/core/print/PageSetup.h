#pragma once
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace quillon::config {
class Options;
}
namespace quillon::platform {
class IPrintSurface;
class IMessageBox;
} // namespace quillon::platform

namespace quillon::print {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPoint = 20.0;
inline constexpr double kPointsPerInch = 72.0;

enum MarginIndex { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3, kBinder = 4 };

// Where ink may go: device, paper, orientation, body font, margins, binding and folding guide.
struct PageSetup {
    QString DeviceName;
    QString DriverName;
    QString PrinterPort;
    QString PaperSize = QStringLiteral("Letter");
    QString Orientation = QStringLiteral("Portrait");
    QString FontName = QStringLiteral("Courier New");
    double FontSize = 10.0;
    bool Duplex = false;
    bool PrinterScope = false;
    int BindingEdge = 0; // 0..6
    int CodeIndent = 4;
    int FoldingGuide = 0; // 0 none, 1 bottom, 2 top, 3 left, 4 right
    std::array<double, 5> Margins{0.5, 0.5, 1.0, 1.0, 0.75}; // inches: left, right, top, bottom, binder
    double WorkingLeft = 0.5;  // what the geometry uses; the mimic fitting may change them for a run
    double WorkingRight = 0.5;
    int TabWidthSetting = 4; // the editor's tab width as configured (1..32)

    static PageSetup FromOptions(const config::Options& options);
};

// Binder reduces the width for edges 1, 5 and 6, the height for the others.
bool BinderReducesWidth(int bindingEdge);

struct PageGeometry {
    std::array<double, 5> MarginTwips{};
    double LeftTwips = 0;
    double RightTwips = 0;
    double BinderWidth = 0;
    double BinderHeight = 0;
    double CharHeight = 0;
    double LineAdvance = 0;
    double HeaderBandHeight = 0;
    double FooterBandHeight = 0;
    double PrintableWidth = 0;
    double PrintableHeight = 0;
    double FoldDistance = 0;
    int IdeTabWidth = 4;
    QString PrintDateText;
    QString RunStartTimeText;
};

// "h:nn am/pm" style clock texts: the hour without a leading zero, 12 for noon and midnight.
QString TwelveHourTime(const QTime& time, bool seconds, QChar separator = QLatin1Char(':'));
// "m/d/yy h:nn am/pm" and "h:nn:ss am/pm".
QString PrintDateText(const QDateTime& when);
QString RunStartTimeText(const QDateTime& when);

// Result of fitting the left and right margins around the longest expected code line.
struct MarginFit {
    double left;
    double right;
    bool fits; // false: the margins cannot be shrunk enough
};
// All in twips; the minimum margin is 0.2 inch.
MarginFit FitMarginsToSample(double left, double right, double available);

// The page set-up applied to a print surface and the geometry it gives.
class PrintDevice {
public:
    PrintDevice(platform::IPrintSurface& surface, PageSetup& setup);

    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    void ApplyPageSetup();
    // runStarting: also takes the run start time text.
    PageGeometry ComputePageGeometry(bool runStarting = false);
    const PageGeometry& Geometry() const { return geometry_; }
    bool CheckMargins(double left, double right, double top, double bottom, double binder, int bindingEdge,
                      double& printableWidth, platform::IMessageBox* messages);
    void DrawFoldingGuide();
    // Selects the device by name and keeps its name, driver and port in the set-up.
    bool SelectOutputDevice(const QString& deviceName);
    QString OutputTargetDescription() const;

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
void RestorePrintingSetup(PrintDevice& printer, config::Options& options, platform::IMessageBox& box);

} // namespace quillon::print
