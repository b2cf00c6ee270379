#pragma once
#include <QString>

namespace quillon::platform {

// What the current printer is set to: the defaults of the output options.
struct PrinterDefaults {
    QString deviceName;
    QString driverName;
    QString port;
    int paperCode = 1; // 1 Letter, 5 Legal
    int orientationCode = 1; // 1 portrait, 2 landscape
    QString fontName;
    double fontSize = 10.0;
    int duplexCode = 1; // 1 simplex, 2 and 3 duplex
};

class IPrinterDefaults {
public:
    virtual ~IPrinterDefaults() = default;
    virtual PrinterDefaults current() const = 0;
};

// The built-in PDF writer, which needs no printer at all.
PrinterDefaults builtInPdfWriterDefaults();

class BuiltInPdfPrinterDefaults : public IPrinterDefaults {
public:
    PrinterDefaults current() const override { return builtInPdfWriterDefaults(); }
};

} // namespace quillon::platform
