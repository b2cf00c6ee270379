#include "platform/MessageBox.h"

#include <QHash>

namespace quillon::platform {

namespace {

// Messages whose first button would abandon or delete work, with the button that continues
// safely instead. Every message not listed here is answered with its first button
// (plain questions: Yes).
const QHash<QString, int>& RequestExceptions()
{
    static const QHash<QString, int> table = {
        // "Truncate" would drop the end of the line from the listing: "Wrap" keeps all of it.
        {QStringLiteral("Long Line Action"), 1},
    };
    return table;
}

const QHash<QString, MsgResult>& QuestionExceptions()
{
    // "Move print history?": Yes, the default, keeps a moved procedure's history with it.
    static const QHash<QString, MsgResult> table = {};
    return table;
}

} // namespace

int BatchButtonFor(const MsgBoxRequest& request)
{
    const auto it = RequestExceptions().constFind(request.MessageKey);
    if (it != RequestExceptions().constEnd() && request.IsButtonShown(*it))
        return *it;
    for (int i = 0; i < int(request.Buttons.size()); ++i) {
        if (request.IsButtonShown(i))
            return i;
    }
    return 0;
}

MsgResult BatchResultFor(const QString& title, MsgButtons buttons)
{
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    return QuestionExceptions().value(title, MsgResult::Yes);
}

} // namespace quillon::platform
