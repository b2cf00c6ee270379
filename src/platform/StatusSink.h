#pragma once
#include <QString>

namespace quillon::platform {

// Where long operations report progress: the main window's status label and progress bar in
// the GUI, nothing or stderr on the command line. The window's work runs on a thread of its
// own, so a sink may be called from a thread other than the one that made it.
class IStatusSink {
public:
    virtual ~IStatusSink() = default;
    virtual void showStatus(const QString& text) = 0;
    // How far the current step has come: done of total (total 0: no measure).
    virtual void showProgress(qint64 done, qint64 total)
    {
        (void)done;
        (void)total;
    }
};

} // namespace quillon::platform
