#include "platform/DeferredMessageBox.h"

namespace quillon::platform {

DeferredMessageBox::DeferredMessageBox(std::unique_ptr<IMessageBox> answerer) : answerer_(std::move(answerer))
{ }

QString DeferredMessageBox::shared(const QString& text)
{
    const auto found = texts_.constFind(text);
    return found != texts_.constEnd() ? *found : *texts_.insert(text);
}

void DeferredMessageBox::keep(QString& text, QString& hidingParagraph)
{
    const qsizetype paragraph = hidingParagraphStart(text);
    if (paragraph >= 0) {
        hidingParagraph = shared(text.mid(paragraph));
        text.truncate(paragraph);
    }
    text = shared(text);
}

MessageResult DeferredMessageBox::showMessage(
    MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons)
{
    Asked asked {Plain {id, icon, title, text, buttons}, QString()};
    keep(std::get<Plain>(asked.what).text, asked.hidingParagraph);
    asked_.push_back(std::move(asked));
    return answerer_ ? answerer_->showMessage(id, icon, title, text, buttons) : batchResultFor(id, buttons);
}

void DeferredMessageBox::showRequest(MessageRequest& request)
{
    Asked asked {request, QString()};
    keep(std::get<MessageRequest>(asked.what).text, asked.hidingParagraph);
    asked_.push_back(std::move(asked));
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
    for (const Asked& asked : asked_) {
        if (const Plain* plain = std::get_if<Plain>(&asked.what)) {
            box.showMessage(plain->id, plain->icon, plain->title, plain->text + asked.hidingParagraph, plain->buttons);
        } else {
            MessageRequest request = std::get<MessageRequest>(asked.what);
            request.text += asked.hidingParagraph;
            box.showRequest(request);
        }
    }
}

} // namespace quillon::platform
