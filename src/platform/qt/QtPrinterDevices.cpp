#include "platform/qt/QtPrintInternal.h"
#include "platform/qt/QtPrintSurface.h"
#include "platform/qt/QtPrinterDefaults.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QUrl>

namespace quillon::platform {

QString portFromDeviceUri(const QString& uri)
{
    const qsizetype colon = uri.indexOf(u':');
    if (colon <= 0)
        return uri;
    const QString scheme = uri.left(colon).toLower();
    const QString rest = uri.mid(colon + 1);
    // A printer on USB that CUPS drives over IPP, or through the HP driver's own USB scheme.
    if (scheme == u"usb" || scheme == u"ippusb" || (scheme == u"hp" && rest.startsWith(u"/usb/")))
        return QStringLiteral("USB") + rest;
    if (scheme == u"parallel")
        return QStringLiteral("LPT") + rest;
    if (scheme == u"serial")
        return QStringLiteral("COM") + rest;
    if (scheme == u"socket" || scheme == u"ipp" || scheme == u"ipps" || scheme == u"lpd") {
        const QString host = QUrl(uri).host();
        // A network URI without a host is not worth inventing a port for.
        return host.isEmpty() ? uri : QStringLiteral("IP_") + host;
    }
    // Printers found on the network (a DNS-SD name, a class CUPS made for one, the HP driver's
    // network printers) are physical printers too, wherever their host is named.
    if (scheme == u"dnssd" || scheme == u"implicitclass" || scheme == u"hp") {
        const QString host = QUrl(uri).host();
        return QStringLiteral("IP_") + (host.isEmpty() ? rest : host);
    }
    if (scheme == u"file" || scheme == u"cups-pdf")
        return QString::fromUtf16(kFilePort);
    return uri;
}

QHash<QString, QString> parseLpstatDevices(const QString& output)
{
    // CUPS printer names never contain white space, so the name ends at the first ": ".
    static const QRegularExpression line(QStringLiteral("^device for (\\S+?): *(\\S.*)$"));
    QHash<QString, QString> uris;
    for (QStringView row : QStringView(output).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(row.trimmed());
        if (match.hasMatch())
            uris.insert(match.captured(1), match.captured(2).trimmed());
    }
    return uris;
}

namespace {

QString runLpstat()
{
    QProcess lpstat;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // the parser reads the English wording
    lpstat.setProcessEnvironment(environment);
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-v")});
    if (!lpstat.waitForStarted(3000))
        return QString();
    if (!lpstat.waitForFinished(5000)) {
        lpstat.kill();
        lpstat.waitForFinished(1000);
        return QString();
    }
    return QString::fromLocal8Bit(lpstat.readAllStandardOutput());
}

} // namespace

namespace internal {

PrinterInfo pdfWriterInfo()
{
    return {QString::fromUtf16(kPdfWriterDeviceName), QString::fromUtf16(kPdfWriterDriverName),
        QString::fromUtf16(kFilePort)};
}

int duplexCode(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto: // two-sided as the printer sees fit: bound on the long side by default
        return 2;
    case QPrinter::DuplexShortSide:
        return 3;
    case QPrinter::DuplexNone:
        break;
    }
    return 1;
}

QPrinter::DuplexMode duplexModeFor(int code)
{
    return code == 2 ? QPrinter::DuplexLongSide : code == 3 ? QPrinter::DuplexShortSide : QPrinter::DuplexNone;
}

} // namespace internal

std::vector<PrinterInfo> availablePrintDevices()
{
    std::vector<PrinterInfo> devices;
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    // The built-in writer's name has a space, which CUPS never allows, so the two cannot clash.
    const QHash<QString, QString> uris =
        printers.isEmpty() ? QHash<QString, QString>() : parseLpstatDevices(runLpstat());
    for (const QPrinterInfo& printer : printers) {
        const QString uri = uris.value(printer.printerName());
        devices.push_back(
            {printer.printerName(), printer.makeAndModel(), uri.isEmpty() ? QString() : portFromDeviceUri(uri)});
    }
    devices.push_back(internal::pdfWriterInfo());
    return devices;
}

QString defaultPrintDeviceName()
{
    const QString name = QPrinterInfo::defaultPrinterName();
    return name.isEmpty() ? QString::fromUtf16(kPdfWriterDeviceName) : name;
}

PrinterDefaults QtPrinterDefaults::current() const
{
    const QString name = defaultPrintDeviceName();
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (name == QString::fromUtf16(kPdfWriterDeviceName) || info.isNull())
        return builtInPdfWriterDefaults();

    PrinterDefaults defaults = builtInPdfWriterDefaults(); // font and size
    defaults.deviceName = info.printerName();
    defaults.driverName = info.makeAndModel();
    defaults.port.clear();
    for (const PrinterInfo& device : availablePrintDevices()) {
        if (device.deviceName == name)
            defaults.port = device.port;
    }
    defaults.paperCode = info.defaultPageSize().id() == QPageSize::Letter ? 1 : 5;
    const QPrinter printer(info, QPrinter::HighResolution);
    defaults.orientationCode = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    defaults.duplexCode = internal::duplexCode(info.defaultDuplexMode());
    return defaults;
}

} // namespace quillon::platform
