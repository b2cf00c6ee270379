#include "platform/MessageBox.h"

#include <algorithm>
#include <cstdio>

namespace quillon::platform {

namespace {
void writeErr(const QString& text)
{
    const QByteArray out = text.toUtf8();
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

qsizetype hidingParagraphStart(const QString& text)
{
    return text.indexOf(QStringLiteral("\r\n\r\nIf suppressed "));
}

namespace {
// The message without the paragraph that tells what hiding it in the window would do.
QString withoutHidingParagraph(const QString& text)
{
    const qsizetype paragraph = hidingParagraphStart(text);
    return paragraph < 0 ? text : text.left(paragraph);
}

// 51148 as "51,148".
QString withThousands(qint64 count)
{
    QString digits = QString::number(count);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}
} // namespace

void BatchMessageBox::put(QString line)
{
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    line += QLatin1Char('\n');
    if (write)
        write(line);
    else
        writeErr(line);
}

void BatchMessageBox::report(const QString& key, const QString& label, const QString& title, const QString& text,
    const QString& caption, bool captionShown)
{
    const auto found = tallyOfKey_.constFind(key);
    const bool again = found != tallyOfKey_.cend();
    if (!again) {
        tallyOfKey_.insert(key, tallies_.size());
        tallies_.push_back({label, {}});
    }
    auto& answers = tallies_[again ? *found : tallies_.size() - 1].answers;
    const auto given = std::find_if(answers.begin(), answers.end(), [&](const auto& a) { return a.first == caption; });
    if (given == answers.end())
        answers.emplace_back(caption, 1);
    else
        ++given->second;

    const QString answer = captionShown ? QStringLiteral(" [answered ") + caption + QLatin1Char(']') : QString();
    if (!again) {
        put(title + QStringLiteral(": ") + (verbose ? text : withoutHidingParagraph(text)) + answer);
    } else if (verbose) {
        // The full text once is enough, then the line that tells this case apart.
        const QStringList lines = withoutHidingParagraph(text)
                                      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        put(title + QStringLiteral(" (again): ") + (lines.isEmpty() ? QString() : lines.last().trimmed()) + answer);
    }
}

void BatchMessageBox::writeSummary()
{
    if (summaryWritten_ || verbose)
        return;
    summaryWritten_ = true;
    for (const Tally& tally : tallies_) {
        QStringList answers;
        for (const auto& [caption, count] : tally.answers)
            answers << caption + QLatin1Char(' ') + withThousands(count)
                    + (count == 1 ? QStringLiteral(" time") : QStringLiteral(" times"));
        put(tally.label + QStringLiteral(": answered ") + answers.join(QStringLiteral(", ")));
    }
}

MessageResult BatchMessageBox::showMessage(
    MessageId id, MessageIcon, const QString& title, const QString& text, MessageButtons buttons)
{
    const MessageResult result = batchResultFor(id, buttons);
    const QString caption = buttons == MessageButtons::Ok ? QStringLiteral("OK")
        : result == MessageResult::Yes                    ? QStringLiteral("Yes")
                                                          : QStringLiteral("No");
    report(title + QLatin1Char('\n') + text, title, title, text, caption, buttons == MessageButtons::YesNo);
    return result;
}

void BatchMessageBox::showRequest(MessageRequest& request)
{
    const auto found = givenAnswers.find(request.id);
    const int given = found != givenAnswers.end() ? found->second : -1;
    request.clickedButton =
        given >= 0 && size_t(given) < request.buttons.size() && !request.buttons[size_t(given)].isEmpty()
        ? given
        : batchButtonFor(request);
    request.suppressChoice = SuppressChoice::Never; // a script never hides a message for the user
    request.inputText = request.inputText.trimmed();
    const bool keyed = !request.messageKey.isEmpty();
    report(keyed ? request.messageKey : request.title + QLatin1Char('\n') + request.text,
        keyed ? request.messageKey : request.title, request.title, request.text,
        request.buttons[size_t(request.clickedButton)], true);
}

MessageResult SilentMessageBox::showMessage(
    MessageId id, MessageIcon, const QString&, const QString& text, MessageButtons buttons)
{
    texts << text;
    return batchResultFor(id, buttons);
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
