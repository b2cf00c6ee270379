#include "support/ScriptedMessageBox.h"

namespace quillon::test {

using namespace quillon::platform;

MessageResult ScriptedMessageBox::showMessage(MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons)
{
    shown.push_back({id, icon, title, text, buttons, false, {}});
    if (results.empty())
        return batchResultFor(id, buttons);
    const MessageResult result = results.front();
    results.pop_front();
    return result;
}

void ScriptedMessageBox::showRequest(MessageRequest& request)
{
    shown.push_back({request.id, MessageIcon::None, request.title, request.text, MessageButtons::Ok, true, request});
    RequestAnswer answer {batchButtonFor(request), platform::SuppressChoice::Never, request.inputText};
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    request.clickedButton = answer.button;
    request.suppressChoice = answer.suppressChoice;
    if (request.showInput)
        request.inputText = answer.inputText.trimmed();
}

} // namespace quillon::test
