#include "platform/HomeThread.h"

#include <QMetaObject>
#include <QThread>

namespace quillon::platform {

void callOnThreadOf(QObject* home, const std::function<void()>& call)
{
    if (!home || QThread::currentThread() == home->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(home, call, Qt::BlockingQueuedConnection);
}

MessageResult HomeThreadMessageBox::showMessage(
    MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons)
{
    MessageResult result = MessageResult::Ok;
    callOnThreadOf(home_, [&] { result = box_.showMessage(id, icon, title, text, buttons); });
    return result;
}

void HomeThreadMessageBox::showRequest(MessageRequest& request)
{
    callOnThreadOf(home_, [&] { box_.showRequest(request); });
}

} // namespace quillon::platform
