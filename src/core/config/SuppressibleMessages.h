#pragma once
#include "config/Ini.h"
#include "platform/MessageBox.h"

#include <QString>
#include <QStringList>

namespace quillon::config {

// One warning of the program, for the calling sequence of the box with free buttons.
struct Warning {
    QString key;   // identifies the message for hiding; no key may be contained in another
    QString title; // the heading
    QString icon = QStringLiteral("!");
    QString text;
    QStringList buttons; // up to five captions
    bool allowSuppress = true;
    bool showInput = false;
    QString inputLabel;
    QString inputText;
    bool showBrowse = false;
    QString position;

    // A notice closed by its one "OK" button.
    static Warning Notice(QString key, QString title, QString icon, QString text)
    {
        Warning notice;
        notice.key = std::move(key);
        notice.title = std::move(title);
        notice.icon = std::move(icon);
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

    platform::MessageRequest Request;

    void ResetRequest();
    bool IsSuppressed();
    int StoredAnswer() const;
    // Shows the request (with the hiding note composed into the text when hiding is allowed).
    void Show();
    void SetClickText();
    void SaveSuppression();
    void DeleteRecord(int index, bool updateMenu);
    void LoadAtStartup();

    // The whole sequence for one warning: a hidden warning is answered with its stored
    // button; otherwise the box is shown and the choice to hide it saved. Returns the
    // button index (5 for a stored answer that cannot be read).
    int Ask(const Warning& warning);

    // The menu mirror: one caption per hidden message, and whether "&Restore Messages"
    // is visible.
    const QStringList& MenuCaptions() const { return menuCaptions_; }
    bool RestoreMenuVisible() const { return restoreMenuVisible_; }
    int RestoreCount() const;

    static QString ComposeSuppressionText(const QString& text, const QString& messageKey);

private:
    QString Section() const;
    QString RecordKey(int index) const { return QStringLiteral("sMsg") + QString::number(index); }
    QString ReadRecord(int index) const;
    void WriteRestoreCount(int count);
    void SetMenuEntry(int index, const QString& caption);

    const IniStore& ini_;
    platform::IMessageBox& box_;
    QStringList menuCaptions_{QString()}; // entry 0 always exists
    bool restoreMenuVisible_ = false;
};

} // namespace quillon::config
