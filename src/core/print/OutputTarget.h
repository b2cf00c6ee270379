#pragma once
#include "platform/PrintSurface.h"

#include <QString>

namespace quillon::print {

// Where the output goes: what the device and its port tell about the run's target.

enum class TargetClass { PdfPrinter, FilePort, PhysicalPort, Other };

struct OutputTarget {
    bool pdfPrinter = false; // the device name contains "PDF" (any case)
    bool fileTarget = false; // a PDF printer, or the port is "FILE:" or "PORTPROMPT:"
    bool physicalPort = false; // the port begins with USB, LPT, COM, WSD-, IP_ or \\ (a share)

    // The first that holds of PDF printer, file port, physical port.
    TargetClass targetClass() const;
};

OutputTarget classifyOutputTarget(const QString& deviceName, const QString& port);
inline OutputTarget classifyOutputTarget(const platform::PrinterInfo& printer)
{
    return classifyOutputTarget(printer.deviceName, printer.port);
}

} // namespace quillon::print
