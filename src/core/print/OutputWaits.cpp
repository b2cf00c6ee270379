#include "print/OutputWaits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <memory>

namespace quillon::print {

OutputWaits OutputWaits::system()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    // In a program with an event loop the window stays alive while the driver or qpdf works:
    // pending events run between short sleeps until the pause is over.
    auto pause = [](int ms) {
        QDeadlineTimer until(std::max(ms, 0));
        do {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            const qint64 left = until.remainingTime();
            if (left > 0)
                QThread::msleep(ulong(std::min<qint64>(left, 20)));
        } while (!until.hasExpired());
    };
    return {pause, [timer] { return timer->elapsed(); }};
}

qint64 readableLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}

} // namespace quillon::print
