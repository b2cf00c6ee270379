#pragma once
#include "platform/MessageBox.h"

#include <QPointer>
#include <QWidget>

namespace quillon::ui {

// The program's message boxes on the desktop: plain notices and questions through the
// platform's standard message box, requests through SuppressibleMessageDialog.
class QtMessageBox : public platform::IMessageBox {
public:
    // `owner`: the window the boxes are centred over when a request names none (the main
    // window once it exists).
    explicit QtMessageBox(QWidget* owner = nullptr) : owner_(owner) { }

    void setOwner(QWidget* owner) { owner_ = owner; }
    // The theme colour as stored ("Theme Color", red in the low byte); white until set.
    void setThemeColor(qint64 value) { theme_ = value; }
    qint64 themeColor() const { return theme_; }

    using platform::IMessageBox::showMessage;
    platform::MessageResult showMessage(platform::MessageId id, platform::MessageIcon icon, const QString& title,
        const QString& text, platform::MessageButtons buttons = platform::MessageButtons::Ok) override;
    void showRequest(platform::MessageRequest& request) override;

private:
    QPointer<QWidget> owner_;
    qint64 theme_ = 0xFFFFFF;
};

} // namespace quillon::ui
