#include "ui/RestoreMessagesMenu.h"

#include "config/SuppressibleMessages.h"

#include <QAction>
#include <QMenu>

namespace quillon::ui {

RestoreMessagesMenu::RestoreMessagesMenu(
    QMenu* menu, config::SuppressibleMessages& messages, QMenu* fileMenu, QObject* parent)
    : QObject(parent), menu_(menu), messages_(messages)
{
    menu_->setObjectName(QStringLiteral("mnuFileRestore"));
    if (menu_->title().isEmpty())
        menu_->setTitle(QStringLiteral("&Restore Messages"));
    if (fileMenu)
        connect(fileMenu, &QMenu::aboutToShow, this, &RestoreMessagesMenu::refresh);
    refresh();
}

void RestoreMessagesMenu::refresh()
{
    if (!menu_)
        return;
    // The engine keeps entry 0's caption after the last message is restored, and has no
    // captions before the list is loaded: only the first restoreCount captions of a loaded
    // list are messages.
    const int count = messages_.restoreMenuVisible()
        ? std::min<int>(messages_.restoreCount(), int(messages_.menuCaptions().size()))
        : 0;
    QList<QAction*> entries = menu_->actions();
    // Entries are reused rather than rebuilt: Refresh runs from an entry's own click.
    for (int i = 0; i < count; ++i) {
        QAction* entry = i < entries.size() ? entries[i] : nullptr;
        if (!entry) {
            entry = menu_->addAction(QString());
            entry->setObjectName(QStringLiteral("mnuFileRestoreMsg"));
            connect(entry, &QAction::triggered, this, [this, entry] { restore(entry->data().toInt()); });
        }
        entry->setData(i);
        QString caption = messages_.menuCaptions()[i];
        entry->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    }
    for (qsizetype i = count; i < entries.size(); ++i) {
        menu_->removeAction(entries[i]);
        entries[i]->deleteLater();
    }
    menu_->menuAction()->setVisible(count > 0);
}

void RestoreMessagesMenu::restore(int index)
{
    if (index < 0 || index >= messages_.restoreCount() || index >= messages_.menuCaptions().size())
        return;
    const QString record = messages_.menuCaptions()[index];
    messages_.deleteRecord(index, true);
    refresh();
    Q_EMIT messageRestored(record);
}

} // namespace quillon::ui
