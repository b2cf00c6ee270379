#pragma once
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace quillon::platform {

enum class MessageIcon { None, Critical, Exclamation, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };
// Whether the user hid a message, and for how long.
enum class SuppressChoice { Never, ThisSession, AllSessions };

// A request to the message box with freely captioned buttons, an optional text input and
// the offer to hide the message in future. Callers fill it; the box answers in
// clickedButton, SuppressChoice and inputText.
struct MessageRequest {
    QString messageKey;
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
    virtual MessageResult showMessage(
        MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void showRequest(MessageRequest& request) = 0;
};

// Which button answers a message when nobody is there to click.
//
// The rule: the first button, except where the first button would abandon or delete work;
// then the button that continues safely. Every message that is an exception is listed in
// BatchAnswers.cpp, keyed by its message key (boxes with free buttons) or its title (plain
// Yes/No questions), with the reason.
int batchButtonFor(const MessageRequest& request);
MessageResult batchResultFor(const QString& title, MessageButtons buttons);

// Batch mode (the command line): answers by the rule above, never hides a message, and
// writes the title, the text and the answer to stderr.
class BatchMessageBox : public IMessageBox {
public:
    MessageResult showMessage(
        MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) override;
    void showRequest(MessageRequest& request) override;

    // Where the messages go (standard error unless replaced). A message met again is written
    // as one line: its title, "(again)", the last line of its own text and the answer.
    std::function<void(const QString&)> write;
    // Answers given beforehand (on the command line), by message key: the button's index.
    QHash<QString, int> givenAnswers;

private:
    void report(const QString& key, const QString& title, const QString& text, const QString& answer);
    QSet<QString> seen_;
};

// Shows nothing: answers by the batch rule and keeps the texts, for a caller that reports a
// message its own way (the command line's one line of reason).
class SilentMessageBox : public IMessageBox {
public:
    MessageResult showMessage(
        MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) override;
    void showRequest(MessageRequest& request) override;

    QStringList texts; // in the order they came
};

QString iconName(MessageIcon icon);

} // namespace quillon::platform
