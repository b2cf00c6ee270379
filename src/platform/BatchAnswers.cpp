#include "platform/MessageBox.h"

namespace quillon::platform {

namespace {

// The button that answers a question when nobody is there to click: the first (Yes) where it
// goes on working, else the one that continues safely. Each question is decided here by name,
// so that a question added later is not answered before someone has decided how.
int safeButton(MessageId id)
{
    switch (id) {
    // The second button, because the first would lose or abandon work.
    // "Truncate" would drop the end of the line from the listing: "Wrap" keeps all of it.
    case MessageId::LongLineAction:
    // "Yes" would leave the notes out of the summary: "No" prints them (--no-notes says Yes).
    case MessageId::TocNotes:
    // "Yes" would print the form image on paper at the default printer, which a script never asked for.
    case MessageId::FormImageExceedsSpoolSize:
    // "Yes" ends the run so that the user can pick another target: a script keeps its target.
    case MessageId::OutputTargetNotPdf:
    // "Yes" asks for the file name again, which a script that gave none would do forever.
    case MessageId::FileSelectionCancelled:
    // "Open in Browser" would start a browser nobody is there to look at.
    case MessageId::OpenSite:
        return 1;
    case MessageId::DuplexUnavailable: // prints simplex
    case MessageId::SpoolSizeReached: // the next batch
    case MessageId::ProcedureTooLarge: // the next part of the procedure
    case MessageId::MovePrintHistory: // keeps a moved procedure's history with it
    case MessageId::ReestimateSpoolSize:
    case MessageId::MarginsAdjustment:
    case MessageId::PrinterScope:
    case MessageId::MimicRequirements:
    case MessageId::VariableFont:
    case MessageId::SampleLineTooShort:
    case MessageId::BinderMarginTooLarge:
    case MessageId::LoopIndentation:
    case MessageId::OptionsChangesPending:
    case MessageId::ThemeColorChange:
    case MessageId::ShowDefaultColor:
    case MessageId::AcceptDefaultColor:
    case MessageId::WrapRulesChangesPending:
    case MessageId::AidRulesChangesPending:
    case MessageId::ConfirmRestore:
    case MessageId::ConfirmDelete:
    case MessageId::ConfirmOutputTarget:
    case MessageId::Information:
        break;
    }
    return 0;
}

} // namespace

int batchButtonFor(const MessageRequest& request)
{
    const int safe = safeButton(request.id);
    if (request.isButtonShown(safe))
        return safe;
    for (int i = 0; i < int(request.buttons.size()); ++i) {
        if (request.isButtonShown(i))
            return i;
    }
    return 0;
}

MessageResult batchResultFor(MessageId id, MessageButtons buttons)
{
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return safeButton(id) == 0 ? MessageResult::Yes : MessageResult::No;
}

} // namespace quillon::platform
