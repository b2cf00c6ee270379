#pragma once
#include <QMenu>
#include <QObject>
#include <QPointer>

namespace quillon::config {
class SuppressibleMessages;
}

namespace quillon::ui {

// Keeps File | "&Restore Messages" (`mnuFileRestore`) in step with the hidden-message list:
// one entry (`mnuFileRestoreMsg`) per hidden message, captioned with its record; the entry
// is visible only while messages are hidden. Clicking an entry restores that message (it is
// shown again next time). The main window owns the menu.
class RestoreMessagesMenu : public QObject {
    Q_OBJECT
public:
    // `fileMenu`, when given, refreshes the list each time it opens, so that messages hidden
    // since are there.
    RestoreMessagesMenu(
        QMenu* menu, config::SuppressibleMessages& messages, QMenu* fileMenu = nullptr, QObject* parent = nullptr);

    QMenu* menu() const { return menu_; }

public Q_SLOTS:
    // Rebuilds the entries from the list; call after anything that may hide a message.
    void refresh();
    // What clicking entry `index` does.
    void restore(int index);

Q_SIGNALS:
    void messageRestored(const QString& record);

private:
    QPointer<QMenu> menu_;
    config::SuppressibleMessages& messages_;
};

} // namespace quillon::ui
