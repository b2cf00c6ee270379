#include "config/PageSetup.h"

#include <cmath>

#include "config/Options.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"

#include <QLocale>

#include <algorithm>

namespace quillon::config {

using platform::IPrintSurface;

PageSetup PageSetup::fromOptions(const Options& options)
{
    namespace opt = config::opt;
    PageSetup setup;
    setup.deviceName = options.text(opt::DeviceName);
    setup.driverName = options.text(opt::DriverName);
    setup.printerPort = options.text(opt::PrinterPort);
    setup.paperSize = options.text(opt::PaperSize);
    setup.orientation = options.text(opt::PageOrientation);
    setup.fontName = options.text(opt::FontName);
    setup.fontSize = options.single(opt::FontSize);
    setup.duplex = options.boolean(opt::Duplex);
    setup.printerScope = options.boolean(opt::PrinterScope);
    setup.bindingEdge = std::clamp(options.integer(opt::BindingEdge), 0, 6);
    setup.codeIndent = options.codeIndentWidth();
    setup.margins = {options.single(opt::MarginLeft), options.single(opt::MarginRight), options.single(opt::MarginTop),
        options.single(opt::MarginBottom), options.single(opt::MarginBinder)};
    setup.foldingGuide = std::clamp(options.integer(opt::FoldingGuide), 0, 4);
    setup.workingLeft = options.sessionLeftMargin.value_or(setup.margins[kLeft]);
    setup.workingRight = options.sessionRightMargin.value_or(setup.margins[kRight]);
    setup.tabWidthSetting = options.ideTabWidth();
    return setup;
}

bool binderReducesWidth(int bindingEdge)
{
    return bindingEdge == 1 || bindingEdge == 5 || bindingEdge == 6;
}

QString twelveHourTime(const QTime& time, bool seconds, QChar separator)
{
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    QString text =
        QString::number(hour12) + separator + QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
    if (seconds)
        text += separator + QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0'));
    return text + (time.hour() < 12 ? QStringLiteral(" am") : QStringLiteral(" pm"));
}

QString printDateText(const QDateTime& when)
{
    const QDate d = when.date();
    return QStringLiteral("%1/%2/%3 ").arg(d.month()).arg(d.day()).arg(d.year() % 100, 2, 10, QLatin1Char('0'))
        + twelveHourTime(when.time(), false);
}

QString runStartTimeText(const QDateTime& when)
{
    return twelveHourTime(when.time(), true);
}

MarginFit fitMarginsToSample(double left, double right, double available)
{
    constexpr double minimum = 0.2 * kTwipsPerInch;
    double excess = left + right - available;
    if (excess <= 0)
        return {left, right, true};
    left -= excess / 2;
    right -= excess / 2;
    left = std::max(left, minimum);
    right = std::max(right, minimum);
    excess = left + right - available;
    if (excess > 0) {
        const double slackLeft = left - minimum;
        const double slackRight = right - minimum;
        if (slackRight < excess) {
            if (slackLeft < excess) {
                left = minimum;
                right = minimum;
            } else {
                left -= excess;
            }
        } else {
            right -= excess;
        }
    }
    excess = left + right - available;
    return {left, right, excess <= 0};
}

PrintDevice::PrintDevice(IPrintSurface& surface, PageSetup& setup) : surface_(surface), setup_(setup)
{ }

void PrintDevice::applyPageSetup()
{
    surface_.setFontName(setup_.fontName);
    surface_.setFontSize(setup_.fontSize);
    if (!model::trimBlanks(setup_.deviceName).isEmpty())
        surface_.selectDevice(model::trimBlanks(setup_.deviceName).toString());
    surface_.setPaperCode(model::upperCase(model::trimBlanks(setup_.paperSize)) == QLatin1String("LEGAL") ? 5 : 1);
    surface_.setOrientationCode(
        model::upperCase(model::trimBlanks(setup_.orientation)) == QLatin1String("LANDSCAPE") ? 2 : 1);
    // Changing the device, paper or orientation may reset the font.
    surface_.setFontName(setup_.fontName);
    surface_.setFontSize(setup_.fontSize);
}

PageGeometry PrintDevice::computePageGeometry(bool runStarting)
{
    applyPageSetup();
    PageGeometry g;
    for (size_t i = 0; i < 5; ++i)
        g.marginTwips[i] = setup_.margins[i] * kTwipsPerInch;
    g.leftTwips = setup_.workingLeft * kTwipsPerInch;
    g.rightTwips = setup_.workingRight * kTwipsPerInch;
    g.ideTabWidth = std::clamp(setup_.tabWidthSetting, 1, 32);
    g.charHeight = surface_.textHeight(u"X");

    const double y = surface_.currentY();
    surface_.printText(u"", true);
    g.lineAdvance = surface_.currentY() - y;
    surface_.setCurrentY(y);
    surface_.setCurrentX(0);

    if (binderReducesWidth(setup_.bindingEdge))
        g.binderWidth = g.marginTwips[kBinder];
    else if (setup_.bindingEdge != 0)
        g.binderHeight = g.marginTwips[kBinder];

    surface_.setFontSize(1.2 * setup_.fontSize);
    surface_.setBold(true);
    g.headerBandHeight = 2 * surface_.textHeight(u"X");
    surface_.setBold(false);
    surface_.setFontSize(setup_.fontSize);

    g.footerBandHeight = 3 * g.charHeight;
    g.printableWidth = surface_.printableWidth() - g.leftTwips - g.rightTwips - g.binderWidth;
    g.printableHeight = double(qint64(surface_.sheetHeight())) - g.headerBandHeight - 1.2 * g.footerBandHeight
        - g.marginTwips[kTop] - g.marginTwips[kBottom] - g.binderHeight;
    const QDateTime current = now();
    g.printDateText = printDateText(current);
    if (runStarting)
        g.runStartTimeText = runStartTimeText(current);
    g.foldDistance = setup_.foldingGuide != 0 ? 2.5 * kTwipsPerInch : 0;
    geometry_ = g;
    return g;
}

bool PrintDevice::checkMargins(double left, double right, double top, double bottom, double binder, int bindingEdge,
    double& printableWidth, platform::IMessageBox* messages)
{
    const platform::PrinterInfo device = surface_.currentDevice();
    const int paper = surface_.paperCode();
    const int orientation = surface_.orientationCode();
    const QString fontName = surface_.fontName();
    const double fontSize = surface_.fontSize();
    const bool bold = surface_.bold();
    applyPageSetup();
    left = std::max(left, 0.0);
    right = std::max(right, 0.0);
    top = std::max(top, 0.0);
    bottom = std::max(bottom, 0.0);
    binder = std::max(binder, 0.0);
    const double binderWidth = binderReducesWidth(bindingEdge) ? binder : 0;
    const double binderHeight = bindingEdge != 0 && !binderReducesWidth(bindingEdge) ? binder : 0;
    const double width = surface_.printableWidth() - (left + right + binderWidth);
    const double height = surface_.sheetHeight() - (top + bottom + binderHeight);
    if (width > 0 && height > 0) {
        printableWidth = width;
        return true;
    }
    if (messages) {
        messages->showMessage(platform::MessageIcon::Critical, QStringLiteral("Invalid Margins"),
            QStringLiteral("Your margins leave NO printable area on the selected ")
                + QStringLiteral("printer/page setup."));
    }
    surface_.selectDevice(device.deviceName);
    surface_.setPaperCode(paper);
    surface_.setOrientationCode(orientation);
    surface_.setFontName(fontName);
    surface_.setFontSize(fontSize);
    surface_.setBold(bold);
    return false;
}

void PrintDevice::drawFoldingGuide()
{
    if (setup_.foldingGuide == 0 || surface_.paperCode() != 5)
        return;
    double width = surface_.sheetWidth();
    double height = surface_.sheetHeight();
    const double px = surface_.physicalPageWidthPixels();
    const double py = surface_.physicalPageHeightPixels();
    const double dpiX = surface_.pixelsPerInchX();
    const double dpiY = surface_.pixelsPerInchY();
    if (px >= 1 && py >= 1 && dpiX >= 1 && dpiY >= 1) {
        width = kTwipsPerInch * px / dpiX;
        height = kTwipsPerInch * py / dpiY;
    }
    const quint32 grey = platform::rgb(192, 192, 192);
    switch (setup_.foldingGuide) {
    case 1:
        surface_.drawLine(-1000, height - 3600, width + 1000, height - 3600, grey, 1, platform::LineStyle::Dotted);
        break;
    case 2:
        surface_.drawLine(-1000, 3600, width + 1000, 3600, grey, 1, platform::LineStyle::Dotted);
        break;
    case 3:
        surface_.drawLine(3600, -1000, 3600, height + 1000, grey, 1, platform::LineStyle::Dotted);
        break;
    case 4:
        surface_.drawLine(width - 3600, -1000, width - 3600, height + 1000, grey, 1, platform::LineStyle::Dotted);
        break;
    default:
        break;
    }
}

bool PrintDevice::selectOutputDevice(const QString& deviceName)
{
    if (!surface_.selectDevice(deviceName))
        return false;
    const platform::PrinterInfo device = surface_.currentDevice();
    setup_.deviceName = device.deviceName;
    setup_.driverName = device.driverName;
    setup_.printerPort = device.port;
    return true;
}

QString PrintDevice::outputTargetDescription() const
{
    return setup_.deviceName + QStringLiteral(" using ") + QLocale::c().toString(setup_.fontSize)
        + QStringLiteral(" point ") + setup_.fontName + QStringLiteral(" with the ") + setup_.orientation
        + QStringLiteral(" orientation ")
        + (setup_.duplex ? QStringLiteral("and printing Duplex.)") : QStringLiteral("and printing Simplex.)"));
}

void restorePrintingSetup(PrintDevice& printer, Options& options, platform::IMessageBox& box)
{
    PageSetup& setup = printer.setup();
    platform::IPrintSurface& surface = printer.surface();
    const QString savedDevice = setup.deviceName;
    if (!printer.selectOutputDevice(savedDevice)) {
        const platform::PrinterInfo current = surface.currentDevice();
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Output Target Not Changed"),
            QStringLiteral("The outout target saved as being selected during the last session, ")
                + model::quote(savedDevice) + QStringLiteral(", is not available.  The current output target ")
                + model::quote(current.deviceName) + QStringLiteral(" remains as the default."));
        setup.deviceName = current.deviceName;
        setup.driverName = current.driverName;
        setup.printerPort = current.port;
        options.set(config::opt::DeviceName, current.deviceName);
        options.set(config::opt::DriverName, current.driverName);
        options.set(config::opt::PrinterPort, current.port);
    }
    const QString currentFont = surface.fontName();
    if (surface.hasFont(setup.fontName)) {
        surface.setFontName(setup.fontName);
    } else {
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Font Not Changed"),
            QStringLiteral("The font saved as being selected during the last session, ") + model::quote(setup.fontName)
                + QStringLiteral(", is not available.  The current font ") + model::quote(currentFont)
                + QStringLiteral(" remains as the default."));
        setup.fontName = currentFont;
        options.set(config::opt::FontName, currentFont);
    }
    const double currentSize = surface.fontSize();
    surface.setFontSize(setup.fontSize);
    if (!(std::abs(surface.fontSize() - setup.fontSize) < 0.005)) {
        const QLocale c = QLocale::c();
        box.showMessage(platform::MessageIcon::Information, QStringLiteral("Font Size Not Changed"),
            QStringLiteral("The font size saved as being selected during the last session, ")
                + model::quote(c.toString(setup.fontSize, 'f', 2))
                + QStringLiteral(", is not available.  The current font size ")
                + model::quote(c.toString(currentSize, 'f', 2)) + QStringLiteral(" remains as the default."));
        surface.setFontSize(currentSize);
        setup.fontSize = currentSize;
        options.set(config::opt::FontSize, QString::number(currentSize, 'f', 3));
    }
    printer.applyPageSetup();
}

} // namespace quillon::config
