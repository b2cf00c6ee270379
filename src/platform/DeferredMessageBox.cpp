#include "platform/DeferredMessageBox.h"

namespace quillon::platform {

DeferredMessageBox::DeferredMessageBox(std::unique_ptr<IMessageBox> answerer) : answerer_(std::move(answerer))
{ }

MessageResult DeferredMessageBox::showMessage(
    MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons)
{
    asked_.emplace_back(Plain {icon, title, text, buttons});
    return answerer_ ? answerer_->showMessage(icon, title, text, buttons) : batchResultFor(title, buttons);
}

void DeferredMessageBox::showRequest(MessageRequest& request)
{
    asked_.emplace_back(request);
    if (answerer_) {
        answerer_->showRequest(request);
        return;
    }
    request.clickedButton = batchButtonFor(request);
    request.suppressChoice = SuppressChoice::Never;
    request.inputText = request.inputText.trimmed();
}

void DeferredMessageBox::replayInto(IMessageBox& box) const
{
    for (const auto& asked : asked_) {
        if (const Plain* plain = std::get_if<Plain>(&asked)) {
            box.showMessage(plain->icon, plain->title, plain->text, plain->buttons);
        } else {
            MessageRequest request = std::get<MessageRequest>(asked);
            box.showRequest(request);
        }
    }
}

} // namespace quillon::platform
