#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace quillon::platform {

enum class MsgIcon { None, Critical, Exclamation, Question, Information };

// Plain message boxes. The GUI shows a dialog; the command line writes to stderr;
// tests record what would have been shown.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual void ShowMessage(MsgIcon icon, const QString& title, const QString& text) = 0;
};

// Batch mode: every message goes to stderr as "TITLE: text" (line breaks kept).
class BatchMessageBox : public IMessageBox {
public:
    void ShowMessage(MsgIcon icon, const QString& title, const QString& text) override;
};

// Tests: records every message in order.
class ScriptedMessageBox : public IMessageBox {
public:
    struct Shown {
        MsgIcon icon;
        QString title;
        QString text;
    };
    void ShowMessage(MsgIcon icon, const QString& title, const QString& text) override;
    std::vector<Shown> shown;
};

QString IconName(MsgIcon icon);

} // namespace quillon::platform
