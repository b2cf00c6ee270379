#include "platform/MessageBox.h"

#include <cstdio>

namespace quillon::platform {

QString IconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QStringLiteral("critical");
    case MsgIcon::Exclamation: return QStringLiteral("exclamation");
    case MsgIcon::Question: return QStringLiteral("question");
    case MsgIcon::Information: return QStringLiteral("information");
    case MsgIcon::None: break;
    }
    return QString();
}

void BatchMessageBox::ShowMessage(MsgIcon icon, const QString& title, const QString& text)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = (title + QStringLiteral(": ") + body + QLatin1Char('\n')).toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
}

void ScriptedMessageBox::ShowMessage(MsgIcon icon, const QString& title, const QString& text)
{
    shown.push_back({icon, title, text});
}

} // namespace quillon::platform
