#pragma once
#include <QString>

namespace quillon::platform {

// Where long operations report progress: the main window's status label in the GUI
// (which also lets pending events run), nothing or stderr on the command line.
class IStatusSink {
public:
    virtual ~IStatusSink() = default;
    virtual void showStatus(const QString& text) = 0;
};

} // namespace quillon::platform
