#pragma once
#include "config/Session.h"
#include "platform/HomeThread.h"
#include "platform/PrinterDefaults.h"
#include "support/AppEnvironment.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>

namespace quillon::test {

// Widgets need the application object for the whole test program.
inline const ::testing::Environment* const kWidgetsApplication = useApplication<QApplication>();

// A session over an options file in a private folder, its messages answered by a script. As in
// the program, they go through the box that shows them on the window's thread, whichever
// thread asks. Not started: a test may write the options file first.
struct SessionBench {
    Fixture fx;
    ScriptedMessageBox box;
    platform::HomeThreadMessageBox onWindowThread {box, QCoreApplication::instance()};
    platform::BuiltInPdfPrinterDefaults defaults;
    config::Session session {onWindowThread, defaults, nullptr, fx.path("QLN.spi")};
};

// Runs `action` on the modal window once a modal loop has shown it (the test goes on to call
// exec()). A dialog still open five seconds after the action is closed, so that a dialog
// that refuses to close fails its test instead of hanging it. Both timers belong to an
// object that outlives them (the application, the dialog), so none is left behind.
inline void onModal(std::function<void(QWidget*)> action)
{
    auto* poll = new QTimer(QCoreApplication::instance());
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, [poll, action, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (!modal)
            return;
        QTimer::singleShot(5000, modal, [modal] {
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                dialog->done(-1);
        });
        action(modal);
    });
    poll->start(10);
}

} // namespace quillon::test
