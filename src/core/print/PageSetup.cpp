#include "print/PageSetup.h"

#include <cmath>

#include "config/Options.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/PrintSurface.h"

#include <QLocale>

#include <algorithm>

namespace quillon::print {

using platform::IPrintSurface;

PageSetup PageSetup::FromOptions(const config::Options& options)
{
    namespace opt = config::opt;
    PageSetup setup;
    setup.DeviceName = options.Text(opt::DeviceName);
    setup.DriverName = options.Text(opt::DriverName);
    setup.PrinterPort = options.Text(opt::PrinterPort);
    setup.PaperSize = options.Text(opt::PaperSize);
    setup.Orientation = options.Text(opt::PageOrientation);
    setup.FontName = options.Text(opt::FontName);
    setup.FontSize = options.Single(opt::FontSize);
    setup.Duplex = options.Bool(opt::Duplex);
    setup.PrinterScope = options.Bool(opt::PrinterScope);
    setup.BindingEdge = std::clamp(options.Int(opt::BindingEdge), 0, 6);
    setup.CodeIndent = options.CodeIndentWidth();
    setup.Margins = {options.Single(opt::MarginLeft), options.Single(opt::MarginRight), options.Single(opt::MarginTop),
                     options.Single(opt::MarginBottom), options.Single(opt::MarginBinder)};
    setup.WorkingLeft = setup.Margins[kLeft];
    setup.WorkingRight = setup.Margins[kRight];
    setup.TabWidthSetting = options.IdeTabWidth();
    return setup;
}

bool BinderReducesWidth(int bindingEdge)
{
    return bindingEdge == 1 || bindingEdge == 5 || bindingEdge == 6;
}

QString TwelveHourTime(const QTime& time, bool seconds, QChar separator)
{
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    QString text = QString::number(hour12) + separator + QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
    if (seconds)
        text += separator + QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0'));
    return text + (time.hour() < 12 ? QStringLiteral(" am") : QStringLiteral(" pm"));
}

QString PrintDateText(const QDateTime& when)
{
    const QDate d = when.date();
    return QStringLiteral("%1/%2/%3 ").arg(d.month()).arg(d.day()).arg(d.year() % 100, 2, 10, QLatin1Char('0'))
        + TwelveHourTime(when.time(), false);
}

QString RunStartTimeText(const QDateTime& when)
{
    return TwelveHourTime(when.time(), true);
}

MarginFit FitMarginsToSample(double left, double right, double available)
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

PrintDevice::PrintDevice(IPrintSurface& surface, PageSetup& setup)
    : surface_(surface), setup_(setup)
{
}

void PrintDevice::ApplyPageSetup()
{
    surface_.SetFontName(setup_.FontName);
    surface_.SetFontSize(setup_.FontSize);
    if (!model::trimBlanks(setup_.DeviceName).isEmpty())
        surface_.SelectDevice(model::trimBlanks(setup_.DeviceName).toString());
    surface_.SetPaperCode(model::upperCase(model::trimBlanks(setup_.PaperSize)) == QLatin1String("LEGAL") ? 5 : 1);
    surface_.SetOrientationCode(model::upperCase(model::trimBlanks(setup_.Orientation)) == QLatin1String("LANDSCAPE") ? 2 : 1);
    // Changing the device, paper or orientation may reset the font.
    surface_.SetFontName(setup_.FontName);
    surface_.SetFontSize(setup_.FontSize);
}

PageGeometry PrintDevice::ComputePageGeometry(bool runStarting)
{
    ApplyPageSetup();
    PageGeometry g;
    for (size_t i = 0; i < 5; ++i)
        g.MarginTwips[i] = setup_.Margins[i] * kTwipsPerInch;
    g.LeftTwips = setup_.WorkingLeft * kTwipsPerInch;
    g.RightTwips = setup_.WorkingRight * kTwipsPerInch;
    g.IdeTabWidth = std::clamp(setup_.TabWidthSetting, 1, 32);
    g.CharHeight = surface_.TextHeight(u"X");

    const double y = surface_.CurrentY();
    surface_.PrintText(u"", true);
    g.LineAdvance = surface_.CurrentY() - y;
    surface_.SetCurrentY(y);
    surface_.SetCurrentX(0);

    if (BinderReducesWidth(setup_.BindingEdge))
        g.BinderWidth = g.MarginTwips[kBinder];
    else if (setup_.BindingEdge != 0)
        g.BinderHeight = g.MarginTwips[kBinder];

    surface_.SetFontSize(1.2 * setup_.FontSize);
    surface_.SetBold(true);
    g.HeaderBandHeight = 2 * surface_.TextHeight(u"X");
    surface_.SetBold(false);
    surface_.SetFontSize(setup_.FontSize);

    g.FooterBandHeight = 3 * g.CharHeight;
    g.PrintableWidth = surface_.PrintableWidth() - g.LeftTwips - g.RightTwips - g.BinderWidth;
    g.PrintableHeight = double(qint64(surface_.SheetHeight())) - g.HeaderBandHeight - 1.2 * g.FooterBandHeight
        - g.MarginTwips[kTop] - g.MarginTwips[kBottom] - g.BinderHeight;
    const QDateTime current = now();
    g.PrintDateText = PrintDateText(current);
    if (runStarting)
        g.RunStartTimeText = RunStartTimeText(current);
    g.FoldDistance = setup_.FoldingGuide != 0 ? 2.5 * kTwipsPerInch : 0;
    geometry_ = g;
    return g;
}

bool PrintDevice::CheckMargins(double left, double right, double top, double bottom, double binder,
                                          int bindingEdge, double& printableWidth, platform::IMessageBox* messages)
{
    const platform::PrinterInfo device = surface_.CurrentDevice();
    const int paper = surface_.PaperCode();
    const int orientation = surface_.OrientationCode();
    const QString fontName = surface_.FontName();
    const double fontSize = surface_.FontSize();
    const bool bold = surface_.Bold();
    ApplyPageSetup();
    left = std::max(left, 0.0);
    right = std::max(right, 0.0);
    top = std::max(top, 0.0);
    bottom = std::max(bottom, 0.0);
    binder = std::max(binder, 0.0);
    const double binderWidth = BinderReducesWidth(bindingEdge) ? binder : 0;
    const double binderHeight = bindingEdge != 0 && !BinderReducesWidth(bindingEdge) ? binder : 0;
    const double width = surface_.PrintableWidth() - (left + right + binderWidth);
    const double height = surface_.SheetHeight() - (top + bottom + binderHeight);
    if (width > 0 && height > 0) {
        printableWidth = width;
        return true;
    }
    if (messages) {
        messages->ShowMessage(platform::MessageIcon::Critical, QStringLiteral("Invalid Margins"),
                              QStringLiteral("Your margins leave NO printable area on the selected ")
                                  + QStringLiteral("printer/page setup."));
    }
    surface_.SelectDevice(device.deviceName);
    surface_.SetPaperCode(paper);
    surface_.SetOrientationCode(orientation);
    surface_.SetFontName(fontName);
    surface_.SetFontSize(fontSize);
    surface_.SetBold(bold);
    return false;
}

void PrintDevice::DrawFoldingGuide()
{
    if (setup_.FoldingGuide == 0 || surface_.PaperCode() != 5)
        return;
    double width = surface_.SheetWidth();
    double height = surface_.SheetHeight();
    const double px = surface_.PhysicalPageWidthPixels();
    const double py = surface_.PhysicalPageHeightPixels();
    const double dpiX = surface_.PixelsPerInchX();
    const double dpiY = surface_.PixelsPerInchY();
    if (px >= 1 && py >= 1 && dpiX >= 1 && dpiY >= 1) {
        width = kTwipsPerInch * px / dpiX;
        height = kTwipsPerInch * py / dpiY;
    }
    const quint32 grey = platform::Rgb(192, 192, 192);
    switch (setup_.FoldingGuide) {
    case 1: surface_.DrawLine(-1000, height - 3600, width + 1000, height - 3600, grey, 1, platform::LineStyle::Dotted); break;
    case 2: surface_.DrawLine(-1000, 3600, width + 1000, 3600, grey, 1, platform::LineStyle::Dotted); break;
    case 3: surface_.DrawLine(3600, -1000, 3600, height + 1000, grey, 1, platform::LineStyle::Dotted); break;
    case 4: surface_.DrawLine(width - 3600, -1000, width - 3600, height + 1000, grey, 1, platform::LineStyle::Dotted); break;
    default: break;
    }
}

bool PrintDevice::SelectOutputDevice(const QString& deviceName)
{
    if (!surface_.SelectDevice(deviceName))
        return false;
    const platform::PrinterInfo device = surface_.CurrentDevice();
    setup_.DeviceName = device.deviceName;
    setup_.DriverName = device.driverName;
    setup_.PrinterPort = device.port;
    return true;
}

QString PrintDevice::OutputTargetDescription() const
{
    return setup_.DeviceName + QStringLiteral(" using ") + QLocale::c().toString(setup_.FontSize) + QStringLiteral(" point ")
        + setup_.FontName + QStringLiteral(" with the ") + setup_.Orientation + QStringLiteral(" orientation ")
        + (setup_.Duplex ? QStringLiteral("and printing Duplex.)") : QStringLiteral("and printing Simplex.)"));
}

void RestorePrintingSetup(PrintDevice& printer, config::Options& options, platform::IMessageBox& box)
{
    PageSetup& setup = printer.setup();
    platform::IPrintSurface& surface = printer.surface();
    const QString savedDevice = setup.DeviceName;
    if (!printer.SelectOutputDevice(savedDevice)) {
        const platform::PrinterInfo current = surface.CurrentDevice();
        box.ShowMessage(platform::MessageIcon::Information, QStringLiteral("Output Target Not Changed"),
                        QStringLiteral("The outout target saved as being selected during the last session, ")
                            + model::Quote(savedDevice) + QStringLiteral(", is not available.  The current output target ")
                            + model::Quote(current.deviceName) + QStringLiteral(" remains as the default."));
        setup.DeviceName = current.deviceName;
        setup.DriverName = current.driverName;
        setup.PrinterPort = current.port;
        options.Set(config::opt::DeviceName, current.deviceName);
        options.Set(config::opt::DriverName, current.driverName);
        options.Set(config::opt::PrinterPort, current.port);
    }
    const QString currentFont = surface.FontName();
    if (surface.HasFont(setup.FontName)) {
        surface.SetFontName(setup.FontName);
    } else {
        box.ShowMessage(platform::MessageIcon::Information, QStringLiteral("Font Not Changed"),
                        QStringLiteral("The font saved as being selected during the last session, ")
                            + model::Quote(setup.FontName) + QStringLiteral(", is not available.  The current font ")
                            + model::Quote(currentFont) + QStringLiteral(" remains as the default."));
        setup.FontName = currentFont;
        options.Set(config::opt::FontName, currentFont);
    }
    const double currentSize = surface.FontSize();
    surface.SetFontSize(setup.FontSize);
    if (!(std::abs(surface.FontSize() - setup.FontSize) < 0.005)) {
        const QLocale c = QLocale::c();
        box.ShowMessage(platform::MessageIcon::Information, QStringLiteral("Font Size Not Changed"),
                        QStringLiteral("The font size saved as being selected during the last session, ")
                            + model::Quote(c.toString(setup.FontSize, 'f', 2))
                            + QStringLiteral(", is not available.  The current font size ")
                            + model::Quote(c.toString(currentSize, 'f', 2)) + QStringLiteral(" remains as the default."));
        surface.SetFontSize(currentSize);
        setup.FontSize = currentSize;
        options.Set(config::opt::FontSize, QString::number(currentSize, 'f', 3));
    }
    printer.ApplyPageSetup();
}

} // namespace quillon::print
