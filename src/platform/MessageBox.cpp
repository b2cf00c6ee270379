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

bool MessageRequest::IsButtonShown(int index) const
{
    return index >= 0 && index < int(Buttons.size()) && !Buttons[size_t(index)].trimmed().isEmpty();
}

QString IconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical: return QStringLiteral("critical");
    case MessageIcon::Exclamation: return QStringLiteral("exclamation");
    case MessageIcon::Question: return QStringLiteral("question");
    case MessageIcon::Information: return QStringLiteral("information");
    case MessageIcon::None: break;
    }
    return QString();
}

void BatchMessageBox::Write(const QString& key, const QString& title, const QString& text, const QString& answer)
{
    QString line;
    if (seen_.contains(key)) {
        // A run can meet the same warning hundreds of times (every over-long line): the full
        // text once is enough, then the line that tells this case apart.
        QString own = text;
        const qsizetype boilerplate = own.indexOf(QStringLiteral("\r\n\r\nIf suppressed "));
        if (boilerplate >= 0)
            own.truncate(boilerplate);
        const QStringList lines = QString(own).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        line = title + QStringLiteral(" (again): ") + (lines.isEmpty() ? QString() : lines.last().trimmed()) + answer;
    } else {
        seen_.insert(key);
        line = title + QStringLiteral(": ") + text + answer;
    }
    line += QLatin1Char('\n');
    if (write)
        write(line);
    else
        WriteErr(line);
}

MessageResult BatchMessageBox::ShowMessage(MessageIcon, const QString& title, const QString& text, MessageButtons buttons)
{
    const MessageResult result = BatchResultFor(title, buttons);
    QString answer;
    if (buttons == MessageButtons::YesNo)
        answer = result == MessageResult::Yes ? QStringLiteral(" [answered Yes]") : QStringLiteral(" [answered No]");
    Write(title + QLatin1Char('\n') + text, title, text, answer);
    return result;
}

void BatchMessageBox::ShowRequest(MessageRequest& request)
{
    const int given = givenAnswers.value(request.MessageKey, -1);
    request.ClickedButton = given >= 0 && size_t(given) < request.Buttons.size() && !request.Buttons[size_t(given)].isEmpty()
        ? given
        : BatchButtonFor(request);
    request.SuppressChoice = 0; // a script never hides a message for the user
    request.InputText = request.InputText.trimmed();
    const QString caption = request.Buttons[size_t(request.ClickedButton)];
    Write(request.MessageKey.isEmpty() ? request.Title + QLatin1Char('\n') + request.Text : request.MessageKey,
          request.Title, request.Text, QStringLiteral(" [answered ") + caption + QStringLiteral("]"));
}

MessageResult ScriptedMessageBox::ShowMessage(MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons)
{
    Shown entry;
    entry.icon = icon;
    entry.title = title;
    entry.text = text;
    entry.buttons = buttons;
    shown.push_back(entry);
    if (results.empty())
        return BatchResultFor(title, buttons);
    const MessageResult result = results.front();
    results.pop_front();
    return result;
}

void ScriptedMessageBox::ShowRequest(MessageRequest& request)
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
