#include "ui/BackgroundWork.h"

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <thread>

namespace quillon::ui {

void runBesideEvents(const std::function<void()>& work)
{
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the loop may not be running yet, and the quit must wait for it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quillon::ui
