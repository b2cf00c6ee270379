#pragma once
#include "config/Ini.h"
#include "platform/MessageBox.h"

#include <QString>
#include <QStringList>

namespace quillon::config {

// One warning of the program, for the calling sequence of the box with free buttons.
struct Warning {
    platform::MessageId id = platform::MessageId::Information; // what answers it when nobody clicks
    QString key; // identifies the message for hiding; no key may be contained in another
    QString title; // the heading
    platform::MessageIcon icon = platform::MessageIcon::Exclamation;
    QString text;
    QStringList buttons; // up to five captions
    bool allowSuppress = true;
    bool showInput = false;
    QString inputLabel;
    QString inputText;
    bool showBrowse = false;
    QString position;

    // A notice closed by its one "OK" button.
    static Warning notice(QString key, QString title, platform::MessageIcon icon, QString text)
    {
        Warning notice;
        notice.key = std::move(key);
        notice.title = std::move(title);
        notice.icon = icon;
        notice.text = std::move(text);
        notice.buttons = {QStringLiteral("OK")};
        return notice;
    }
};

// The message box with suppressible messages: the request record, the hidden-message list
// stored in the options file (":SuppressedMsgs"), and the File | Restore Messages menu it
// mirrors. One per run.
class SuppressibleMessages {
public:
    SuppressibleMessages(const IniStore& ini, platform::IMessageBox& box);
    // The same hidden-message list, shown in another box: for parts of a run printed side by side.
    SuppressibleMessages(const SuppressibleMessages& other, platform::IMessageBox& box);

    platform::IMessageBox& box() const { return box_; }

    platform::MessageRequest request;

    void resetRequest();
    bool isSuppressed();
    int storedAnswer() const;
    // Shows the request (with the hiding note composed into the text when hiding is allowed).
    void show();
    void setClickText();
    void saveSuppression();
    void deleteRecord(int index, bool updateMenu);
    void loadAtStartup();

    // The whole sequence for one warning: a hidden warning is answered with its stored
    // button; otherwise the box is shown and the choice to hide it saved. Returns the
    // button index (5 for a stored answer that cannot be read).
    int ask(const Warning& warning);

    // The menu mirror: one caption per hidden message, and whether "&Restore Messages"
    // is visible.
    const QStringList& menuCaptions() const { return menuCaptions_; }
    bool restoreMenuVisible() const { return restoreMenuVisible_; }
    int restoreCount() const;

    static QString composeSuppressionText(const QString& text, const QString& messageKey);

private:
    QString section() const;
    QString recordKey(int index) const { return QStringLiteral("sMsg") + QString::number(index); }
    QString readRecord(int index) const;
    void writeRestoreCount(int count);
    void setMenuEntry(int index, const QString& caption);

    const IniStore& ini_;
    platform::IMessageBox& box_;
    QStringList menuCaptions_ {QString()}; // entry 0 always exists
    bool restoreMenuVisible_ = false;
};

} // namespace quillon::config
