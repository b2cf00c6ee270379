#include "ui/QtMessageBox.h"

#include "ui/SuppressibleMessageDialog.h"

#include <QMessageBox>

namespace quillon::ui {

namespace {

QMessageBox::Icon standardIcon(platform::MessageIcon icon)
{
    switch (icon) {
    case platform::MessageIcon::Critical:
        return QMessageBox::Critical;
    case platform::MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case platform::MessageIcon::Question:
        return QMessageBox::Question;
    case platform::MessageIcon::Information:
        return QMessageBox::Information;
    case platform::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

platform::MessageResult QtMessageBox::showMessage(platform::MessageId, platform::MessageIcon icon, const QString& title,
    const QString& text, platform::MessageButtons buttons)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const bool question = buttons == platform::MessageButtons::YesNo;
    QMessageBox box(
        standardIcon(icon), title, shown, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner_);
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    if (!question)
        return platform::MessageResult::Ok;
    return answer == QMessageBox::Yes ? platform::MessageResult::Yes : platform::MessageResult::No;
}

void QtMessageBox::showRequest(platform::MessageRequest& request)
{
    QWidget* owner = qobject_cast<QWidget*>(request.owner);
    SuppressibleMessageDialog dialog(request, dialoglayout::themeColor(theme_), owner ? owner : owner_.data());
    dialog.exec();
}

} // namespace quillon::ui
