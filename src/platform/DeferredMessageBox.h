#pragma once
#include "platform/MessageBox.h"

#include <QSet>

#include <memory>
#include <variant>
#include <vector>

namespace quillon::platform {

// Answers at once, as the answerer does (by the batch rule without one), and keeps what was
// asked, to tell it later to the box the user reads. Parts of a run that print side by side
// each get one; told in queue order afterwards, their messages read as one run's would.
class DeferredMessageBox : public IMessageBox {
public:
    explicit DeferredMessageBox(std::unique_ptr<IMessageBox> answerer = nullptr);

    using IMessageBox::showMessage;
    MessageResult showMessage(
        MessageId id, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) override;
    void showRequest(MessageRequest& request) override;

    // Asks box everything this box was asked, in order; the answers box gives are not used.
    void replayInto(IMessageBox& box) const;
    size_t size() const { return asked_.size(); }

private:
    struct Plain {
        MessageId id;
        MessageIcon icon;
        QString title;
        QString text;
        MessageButtons buttons;
    };
    struct Asked {
        std::variant<Plain, MessageRequest> what;
        QString hidingParagraph; // cut from the text, and the same for every occurrence of a key
    };
    // A run may ask the same question for each of fifty thousand lines: texts met before, and
    // the paragraph every hidable message ends with, are kept once.
    QString shared(const QString& text);
    void keep(QString& text, QString& hidingParagraph);

    std::unique_ptr<IMessageBox> answerer_;
    std::vector<Asked> asked_;
    QSet<QString> texts_;
};

} // namespace quillon::platform
