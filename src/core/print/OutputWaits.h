#pragma once
#include <QString>
#include <QtGlobal>

#include <functional>

namespace quillon::print {

// Waiting for files while a driver or the combining tool writes them.

// How the output steps wait: pause(ms) sleeps (the GUI's status sink keeps the window alive
// between pauses), elapsedMs() is a monotonic clock. Tests give a clock that moves only when
// pause is called.
struct OutputWaits {
    std::function<void(int)> pause;
    std::function<qint64()> elapsedMs;
    static OutputWaits system();
};

// Opens the file for reading and gives its length; -1 when it does not exist or cannot be opened.
qint64 readableLength(const QString& path);

} // namespace quillon::print
