#pragma once
#include "platform/PrintSurface.h"

#include <QPrinter>

// Helpers shared by the Qt printing sources; not part of the platform interface.
namespace quillon::platform::internal {

PrinterInfo pdfWriterInfo();

// QPrinter's duplex mode as a duplex code: 1 simplex, 2 long side, 3 short side.
int duplexCode(QPrinter::DuplexMode mode);
QPrinter::DuplexMode duplexModeFor(int code);

} // namespace quillon::platform::internal
