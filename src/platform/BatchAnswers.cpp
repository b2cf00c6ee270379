#include "platform/MessageBox.h"

#include <QHash>

namespace quillon::platform {

namespace {

// Messages whose first button would abandon or delete work, with the button that continues
// safely instead. Every message not listed here is answered with its first button
// (plain questions: Yes).
const QHash<QString, int>& requestExceptions()
{
    static const QHash<QString, int> table = {
        // "Truncate" would drop the end of the line from the listing: "Wrap" keeps all of it.
        {QStringLiteral("Long Line Action"), 1},
        // "Yes" would leave the notes out of the summary: "No" prints them (--no-notes says Yes).
        {QStringLiteral("TOC Notes"), 1},
    };
    return table;
}

const QHash<QString, MessageResult>& questionExceptions()
{
    // Answered Yes by the rule, which goes on working: "Move print history?" (keeps a moved
    // procedure's history with it), "Duplex Unavailable" (prints simplex), "GDI Spool Size
    // Reached" (the next batch) and "Procedure Too Large - Continuing In New File" (the next
    // part of the procedure).
    static const QHash<QString, MessageResult> table = {
        // "Yes" would print the form image on paper at the default printer, which a script never asked for.
        {QStringLiteral("Form Image Exceeds GDI Spool Size"), MessageResult::No},
        // "Yes" ends the run so that the user can pick another target: a script keeps its target.
        {QStringLiteral("Output Target Is Not .pdf"), MessageResult::No},
        // "Yes" asks for the file name again, which a script that gave none would do forever.
        {QStringLiteral("File Selection Cancelled"), MessageResult::No},
    };
    return table;
}

} // namespace

int batchButtonFor(const MessageRequest& request)
{
    const auto it = requestExceptions().constFind(request.messageKey);
    if (it != requestExceptions().constEnd() && request.isButtonShown(*it))
        return *it;
    for (int i = 0; i < int(request.buttons.size()); ++i) {
        if (request.isButtonShown(i))
            return i;
    }
    return 0;
}

MessageResult batchResultFor(const QString& title, MessageButtons buttons)
{
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return questionExceptions().value(title, MessageResult::Yes);
}

} // namespace quillon::platform
