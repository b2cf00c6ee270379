#include "print/OutputTarget.h"

namespace quillon::print {

TargetClass OutputTarget::targetClass() const
{
    if (pdfPrinter)
        return TargetClass::PdfPrinter;
    if (fileTarget)
        return TargetClass::FilePort;
    if (physicalPort)
        return TargetClass::PhysicalPort;
    return TargetClass::Other;
}

OutputTarget classifyOutputTarget(const QString& deviceName, const QString& port)
{
    OutputTarget target;
    target.pdfPrinter = deviceName.contains(QLatin1String("PDF"), Qt::CaseInsensitive);
    const QString upperPort = port.trimmed().toUpper();
    target.fileTarget =
        target.pdfPrinter || upperPort == QLatin1String("FILE:") || upperPort == QLatin1String("PORTPROMPT:");
    static const char* const kPhysicalPrefixes[] = {"USB", "LPT", "COM", "WSD-", "IP_", "\\\\"};
    for (const char* prefix : kPhysicalPrefixes) {
        if (upperPort.startsWith(QLatin1String(prefix)))
            target.physicalPort = true;
    }
    return target;
}

} // namespace quillon::print
