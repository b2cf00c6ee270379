#pragma once
#include "support/AppEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace quillon::test {

// Widgets need the application object for the whole test program.
inline const ::testing::Environment* const kWidgetsApplication = UseApplication<QApplication>();

// Runs `action` on the modal window once a modal loop has shown it (the test goes on to call
// exec()). A dialog still open five seconds after the action is closed, so that a dialog
// that refuses to close fails its test instead of hanging it.
inline void OnModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, [timer, action, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return;
        QPointer<QWidget> guard = modal;
        action(modal);
        QTimer::singleShot(5000, [guard] {
            if (auto* dialog = qobject_cast<QDialog*>(guard.data()); dialog && dialog->isVisible())
                dialog->done(-1);
        });
    });
    timer->start();
}

// A click on a choice where a person clicks: its round mark at the left, not the middle of
// a wide row.
inline void ClickChoice(QAbstractButton* choice)
{
    QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(8, choice->height() / 2));
}

} // namespace quillon::test
