#pragma once
#include <QDeadlineTimer>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QLabel;
class QPushButton;

namespace quillon::platform {
class IMessageBox;
}

namespace quillon::ui {

// Help | Display User Manual and F1: the manual in the desktop's PDF viewer. A manual that is not
// there is told with its path and why, not as a missing viewer.
void openUserManual(platform::IMessageBox& box, const QString& manual);

// The program's own description of itself.
QString programDescription();

// The start-up window: the program's title, version and notice, centred on the screen.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows the window for `seconds` (or `time`; none: not at all); it closes itself when the
    // time is up.
    void showFor(int seconds);
    void showFor(std::chrono::milliseconds time);
    // Lets the rest of the time pass with events running, then closes the window; returns at
    // once when it is not shown.
    void finish();

private:
    QTimer timer_;
    QDeadlineTimer deadline_;
};

// The desktop's system information programs, in the order they are looked for.
const QStringList& systemInfoTools();
// The first of them found on PATH (or in `folders` when given); empty when none is installed.
QString findSystemInfoTool(const QStringList& folders = {});

// The About window: title, version, notice and description, "OK", and "System Info..."
// that starts the system information program (hidden when there is none).
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr, const QString& systemInfoTool = findSystemInfoTool());

    QPushButton* systemInfoButton() const { return systemInfo_; }

public Q_SLOTS:
    // Starts the system information program without waiting for it; false (with a message)
    // when it could not be started.
    bool startSystemInfo();

private:
    QString tool_;
    QPushButton* systemInfo_ = nullptr;
};

} // namespace quillon::ui
