#include "platform/MessageBox.h"

#include <cstdio>

namespace quillon::platform {

namespace {
void WriteErr(const QString& text)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = body.toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
}
} // namespace

bool MsgBoxRequest::IsButtonShown(int index) const
{
    return index >= 0 && index < int(Buttons.size()) && !Buttons[size_t(index)].trimmed().isEmpty();
}

QString IconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QStringLiteral("critical");
    case MsgIcon::Exclamation: return QStringLiteral("exclamation");
    case MsgIcon::Question: return QStringLiteral("question");
    case MsgIcon::Information: return QStringLiteral("information");
    case MsgIcon::None: break;
    }
    return QString();
}

MsgResult BatchMessageBox::ShowMessage(MsgIcon, const QString& title, const QString& text, MsgButtons buttons)
{
    const MsgResult result = BatchResultFor(title, buttons);
    QString answer;
    if (buttons == MsgButtons::YesNo)
        answer = result == MsgResult::Yes ? QStringLiteral(" [answered Yes]") : QStringLiteral(" [answered No]");
    WriteErr(title + QStringLiteral(": ") + text + answer + QLatin1Char('\n'));
    return result;
}

void BatchMessageBox::ShowRequest(MsgBoxRequest& request)
{
    request.ClickedButton = BatchButtonFor(request);
    request.SuppressChoice = 0; // a script never hides a message for the user
    request.InputText = request.InputText.trimmed();
    const QString caption = request.Buttons[size_t(request.ClickedButton)];
    WriteErr(request.Title + QStringLiteral(": ") + request.Text + QStringLiteral(" [answered ") + caption
             + QStringLiteral("]\n"));
}

MsgResult ScriptedMessageBox::ShowMessage(MsgIcon icon, const QString& title, const QString& text, MsgButtons buttons)
{
    Shown entry;
    entry.icon = icon;
    entry.title = title;
    entry.text = text;
    entry.buttons = buttons;
    shown.push_back(entry);
    if (results.empty())
        return BatchResultFor(title, buttons);
    const MsgResult result = results.front();
    results.pop_front();
    return result;
}

void ScriptedMessageBox::ShowRequest(MsgBoxRequest& request)
{
    Shown entry;
    entry.title = request.Title;
    entry.text = request.Text;
    entry.isRequest = true;
    entry.request = request;
    shown.push_back(entry);
    RequestAnswer answer{BatchButtonFor(request), 0, request.InputText};
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    request.ClickedButton = answer.button;
    request.SuppressChoice = answer.suppressChoice;
    if (request.ShowInput)
        request.InputText = answer.inputText.trimmed();
}

} // namespace quillon::platform
