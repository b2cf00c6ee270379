#pragma once
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace quillon::platform {

enum class MessageIcon { None, Critical, Exclamation, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };
// Whether the user hid a message, and for how long.
enum class SuppressChoice { Never, ThisSession, AllSessions };

// Which question the box is asked. The answers nobody clicks (batch mode, the command line's
// given answers, a part of a run printed side by side, the test doubles) key on it, never on
// the title or text, so that rewording a message changes no answer. Every message with a
// choice of answers has its own; one that is only acknowledged is an Information. Nothing
// stores it: the hidden-message list keeps each warning's own key.
enum class MessageId {
    Information, // closed by its one button (OK, Close)
    // A print run
    LongLineAction, // a line wider than the page: Truncate, Wrap or Cancel
    TocNotes, // leave the two notes out of the TOC summary?
    DuplexUnavailable, // print simplex instead?
    OutputTargetNotPdf, // end the run to pick another target?
    FileSelectionCancelled, // ask for the file name again?
    SpoolSizeReached, // go on with the next batch?
    ProcedureTooLarge, // go on with the procedure's next part file?
    FormImageExceedsSpoolSize, // send the form image to the default printer?
    ReestimateSpoolSize, // estimate the spool size again for the changed font?
    MovePrintHistory, // keep a moved procedure's print history with it?
    // User Options
    MarginsAdjustment, // narrow the margins for the sample line (always, this session, no)?
    PrinterScope, // switch the printer scope back to System Default?
    MimicRequirements, // go on mimicking the IDE?
    VariableFont, // go on with a font that is not monospaced?
    SampleLineTooShort, // go on with a short sample line?
    BinderMarginTooLarge, // keep a binder margin over an inch?
    LoopIndentation, // go on bracketing loops?
    OptionsChangesPending, // leave User Options without saving?
    ThemeColorChange, // accept the picked theme colour?
    ShowDefaultColor, // show the element's new default colour?
    AcceptDefaultColor, // keep the default colour shown?
    // Developer Aids and the window
    WrapRulesChangesPending, // leave the wrap rules without saving?
    AidRulesChangesPending, // leave the indent or line number rules without saving?
    ConfirmRestore, // restore the chosen backups?
    ConfirmDelete, // delete the chosen backups?
    ConfirmOutputTarget, // send the manual to this output target?
    OpenSite, // open the site just written in the browser?
};

// A request to the message box with freely captioned buttons, an optional text input and
// the offer to hide the message in future. Callers fill it; the box answers in
// clickedButton, SuppressChoice and inputText.
struct MessageRequest {
    MessageId id = MessageId::Information;
    QString messageKey; // the hidden-message list's key, also the message's name in a batch summary
    QString title;
    MessageIcon icon = MessageIcon::Information;
    QString text;
    std::array<QString, 5> buttons;
    int buttonCount = 0;
    bool allowSuppress = false;
    SuppressChoice suppressChoice = SuppressChoice::Never;
    bool showInput = false;
    QString inputLabel;
    QString inputText;
    QString position;
    QObject* owner = nullptr;
    bool showBrowse = false;
    int clickedButton = 0;
    QString clickText;
    int restoreCount = 0;

    // The buttons that are shown: those whose trimmed caption is not empty.
    bool isButtonShown(int index) const;
};

// The program's way of talking to the user: plain message boxes and the box with free
// buttons. The GUI shows dialogs; the command line answers by itself; tests script it.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageResult showMessage(MessageId id, MessageIcon icon, const QString& title, const QString& text,
        MessageButtons buttons = MessageButtons::Ok) = 0;
    // A message that is only acknowledged; a question names itself with the call above.
    MessageResult showMessage(MessageIcon icon, const QString& title, const QString& text)
    {
        return showMessage(MessageId::Information, icon, title, text, MessageButtons::Ok);
    }
    virtual void showRequest(MessageRequest& request) = 0;
};

// Which button answers a message when nobody is there to click.
//
// The rule: the first button (Yes), except where the first button would abandon or delete work;
// then the button that continues safely. BatchAnswers.cpp decides it for every MessageId, with
// the reason for each exception.
int batchButtonFor(const MessageRequest& request);
MessageResult batchResultFor(MessageId id, MessageButtons buttons);

// Batch mode (the command line): answers by the rule above, never hides a message, and
// writes the title, the text and the answer to stderr. A run can meet the same warning tens
// of thousands of times (every over-long line), so a message is written the first time only,
// without the paragraph about hiding it that means nothing without a window, and every later
// time only counted; writeSummary then gives a line per message with its answers and counts.
class BatchMessageBox : public IMessageBox {
public:
    using IMessageBox::showMessage;
    MessageResult showMessage(
        MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) override;
    void showRequest(MessageRequest& request) override;

    // "KEY: answered Wrap 1,234 times, Cancel 1 time" per message, in the order first met.
    // Writes once: a later call writes nothing, and so does verbose mode.
    void writeSummary();

    // Where the messages go, as lines ended with "\n" (standard error unless replaced).
    std::function<void(const QString&)> write;
    // Answers given beforehand (on the command line): the button's index.
    std::map<MessageId, int> givenAnswers;
    // Every message written each time, in full, a repeat as one line: its title, "(again)",
    // the last line of its own text and the answer; no summary.
    bool verbose = false;

private:
    // The answers one message got: caption and count, in the order first given.
    struct Tally {
        QString label;
        std::vector<std::pair<QString, qint64>> answers;
    };
    void report(const QString& key, const QString& label, const QString& title, const QString& text,
        const QString& caption, bool captionShown);
    void put(QString line);

    std::vector<Tally> tallies_; // in the order first met
    QHash<QString, size_t> tallyOfKey_;
    bool summaryWritten_ = false;
};

// Shows nothing: answers by the batch rule and keeps the texts, for a caller that reports a
// message its own way (the command line's one line of reason).
class SilentMessageBox : public IMessageBox {
public:
    using IMessageBox::showMessage;
    MessageResult showMessage(
        MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) override;
    void showRequest(MessageRequest& request) override;

    QStringList texts; // in the order they came
};

QString iconName(MessageIcon icon);
// Where the paragraph starts that a message which may be hidden ends with (what hiding it in the
// window would do); -1 when there is none.
qsizetype hidingParagraphStart(const QString& text);

} // namespace quillon::platform
