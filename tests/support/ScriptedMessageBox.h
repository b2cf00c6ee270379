#pragma once
#include "platform/MessageBox.h"

#include <QThread>

#include <deque>
#include <vector>

namespace quillon::test {

// Answers from queues (the batch answer when a queue is empty) and records every message in
// order.
class ScriptedMessageBox : public platform::IMessageBox {
public:
    struct Shown {
        platform::MessageId id = platform::MessageId::Information; // a request's too
        platform::MessageIcon icon = platform::MessageIcon::None;
        QString title;
        QString text;
        platform::MessageButtons buttons = platform::MessageButtons::Ok;
        bool isRequest = false;
        platform::MessageRequest request; // as the box received it
        QThread* thread = QThread::currentThread(); // the thread that showed it
    };
    struct RequestAnswer {
        int button = 0;
        platform::SuppressChoice suppressChoice = platform::SuppressChoice::Never;
        QString inputText;
    };
    using platform::IMessageBox::showMessage;
    platform::MessageResult showMessage(
        platform::MessageId id, platform::MessageIcon icon, const QString& title, const QString& text, platform::MessageButtons buttons) override;
    void showRequest(platform::MessageRequest& request) override;

    std::deque<platform::MessageResult> results;
    std::deque<RequestAnswer> answers;
    std::vector<Shown> shown;
};

} // namespace quillon::test
