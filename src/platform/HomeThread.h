#pragma once
#include "platform/MessageBox.h"

#include <QObject>

#include <functional>

namespace quillon::platform {

// Runs `call` on the thread that owns `home` and returns once it has run there; runs it
// directly when the caller is that thread. The home thread must go on handling events while
// it waits for the caller (a nested event loop), or the two wait for each other for ever.
void callOnThreadOf(QObject* home, const std::function<void()>& call);

// A message box that may be asked from any thread: the question is shown by the box on the
// thread that owns `home` (the window's), and the asking thread waits for the answer.
class HomeThreadMessageBox : public IMessageBox {
public:
    HomeThreadMessageBox(IMessageBox& box, QObject* home) : box_(box), home_(home) { }

    using IMessageBox::showMessage;
    MessageResult showMessage(MessageId id, MessageIcon icon, const QString& title, const QString& text,
        MessageButtons buttons = MessageButtons::Ok) override;
    void showRequest(MessageRequest& request) override;

private:
    IMessageBox& box_;
    QObject* home_;
};

} // namespace quillon::platform
