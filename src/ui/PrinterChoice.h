#pragma once
#include "platform/PrintSurface.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace quillon::ui {

// A fresh print surface for each print run, printer choice and target caption.
using SurfaceFactory = std::function<std::unique_ptr<platform::IPrintSurface>()>;

// One of the printers (device names), current preselected; the device name chosen, or empty
// when cancelled.
using PrinterChooser =
    std::function<QString(const std::vector<platform::PrinterInfo>& printers, const QString& current)>;

// A plain list of the devices with OK and Cancel, as both the main window's printer choice
// and the options window's output target use it.
QString choosePrinterWithDialog(
    QWidget* parent, const std::vector<platform::PrinterInfo>& printers, const QString& current, const QString& title);

} // namespace quillon::ui
