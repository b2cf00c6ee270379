#pragma once
#include "platform/PrinterDefaults.h"

namespace quillon::platform {

// The output option defaults taken from the system's default printer: its name, driver
// (make and model), port, paper (1 for Letter, 5 for anything else), orientation and duplex
// mode, with "Courier New" 10 points. Without a default printer, the built-in PDF writer's.
// Needs a QGuiApplication.
class QtPrinterDefaults : public IPrinterDefaults {
public:
    PrinterDefaults current() const override;
};

} // namespace quillon::platform
