#include "platform/MessageBox.h"

#include <cstdio>

namespace quillon::platform {

namespace {
void writeErr(const QString& text)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = body.toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
}
} // namespace

bool MessageRequest::isButtonShown(int index) const
{
    return index >= 0 && index < int(buttons.size()) && !buttons[size_t(index)].trimmed().isEmpty();
}

QString iconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QStringLiteral("critical");
    case MessageIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MessageIcon::Question:
        return QStringLiteral("question");
    case MessageIcon::Information:
        return QStringLiteral("information");
    case MessageIcon::None:
        break;
    }
    return QString();
}

void BatchMessageBox::report(const QString& key, const QString& title, const QString& text, const QString& answer)
{
    QString line;
    if (seen_.contains(key)) {
        // A run can meet the same warning hundreds of times (every over-long line): the full
        // text once is enough, then the line that tells this case apart.
        QString own = text;
        const qsizetype boilerplate = own.indexOf(QStringLiteral("\r\n\r\nIf suppressed "));
        if (boilerplate >= 0)
            own.truncate(boilerplate);
        const QStringList lines = QString(own)
                                      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        line = title + QStringLiteral(" (again): ") + (lines.isEmpty() ? QString() : lines.last().trimmed()) + answer;
    } else {
        seen_.insert(key);
        line = title + QStringLiteral(": ") + text + answer;
    }
    line += QLatin1Char('\n');
    if (write)
        write(line);
    else
        writeErr(line);
}

MessageResult BatchMessageBox::showMessage(
    MessageIcon, const QString& title, const QString& text, MessageButtons buttons)
{
    const MessageResult result = batchResultFor(title, buttons);
    QString answer;
    if (buttons == MessageButtons::YesNo)
        answer = result == MessageResult::Yes ? QStringLiteral(" [answered Yes]") : QStringLiteral(" [answered No]");
    report(title + QLatin1Char('\n') + text, title, text, answer);
    return result;
}

void BatchMessageBox::showRequest(MessageRequest& request)
{
    const int given = givenAnswers.value(request.messageKey, -1);
    request.clickedButton =
        given >= 0 && size_t(given) < request.buttons.size() && !request.buttons[size_t(given)].isEmpty()
        ? given
        : batchButtonFor(request);
    request.suppressChoice = SuppressChoice::Never; // a script never hides a message for the user
    request.inputText = request.inputText.trimmed();
    const QString caption = request.buttons[size_t(request.clickedButton)];
    report(request.messageKey.isEmpty() ? request.title + QLatin1Char('\n') + request.text : request.messageKey,
        request.title, request.text, QStringLiteral(" [answered ") + caption + QStringLiteral("]"));
}

MessageResult SilentMessageBox::showMessage(
    MessageIcon, const QString& title, const QString& text, MessageButtons buttons)
{
    texts << text;
    return batchResultFor(title, buttons);
}

void SilentMessageBox::showRequest(MessageRequest& request)
{
    texts << request.text;
    request.clickedButton = batchButtonFor(request);
    request.suppressChoice = SuppressChoice::Never;
    if (request.showInput)
        request.inputText = request.inputText.trimmed();
}

} // namespace quillon::platform
