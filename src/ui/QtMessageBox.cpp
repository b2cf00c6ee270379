#include "ui/QtMessageBox.h"

#include "ui/ZrkMsgBoxDialog.h"

#include <QMessageBox>

namespace quillon::ui {

namespace {

QMessageBox::Icon StandardIcon(platform::MsgIcon icon)
{
    switch (icon) {
    case platform::MsgIcon::Critical: return QMessageBox::Critical;
    case platform::MsgIcon::Exclamation: return QMessageBox::Warning;
    case platform::MsgIcon::Question: return QMessageBox::Question;
    case platform::MsgIcon::Information: return QMessageBox::Information;
    case platform::MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

platform::MsgResult QtMessageBox::ShowMessage(platform::MsgIcon icon, const QString& title, const QString& text,
                                              platform::MsgButtons buttons)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const bool question = buttons == platform::MsgButtons::YesNo;
    QMessageBox box(StandardIcon(icon), title, shown, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    owner_);
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    if (!question)
        return platform::MsgResult::Ok;
    return answer == QMessageBox::Yes ? platform::MsgResult::Yes : platform::MsgResult::No;
}

void QtMessageBox::ShowRequest(platform::MsgBoxRequest& request)
{
    QWidget* owner = qobject_cast<QWidget*>(request.Owner);
    frmZRK_MsgBox dialog(request, zrk::ThemeColor(theme_), owner ? owner : owner_.data());
    dialog.exec();
}

} // namespace quillon::ui
