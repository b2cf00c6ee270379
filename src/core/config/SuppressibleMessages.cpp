#include "config/SuppressibleMessages.h"

#include "config/Options.h"
#include "model/TextPrimitives.h"

namespace quillon::config {

namespace {
using model::kCrLf;
}

SuppressibleMessages::SuppressibleMessages(const IniStore& ini, platform::IMessageBox& box) : ini_(ini), box_(box)
{ }

SuppressibleMessages::SuppressibleMessages(const SuppressibleMessages& other, platform::IMessageBox& box)
    : ini_(other.ini_), box_(box), menuCaptions_(other.menuCaptions_), restoreMenuVisible_(other.restoreMenuVisible_)
{
    request.restoreCount = other.request.restoreCount;
}

QString SuppressibleMessages::section() const
{
    return sectionName(QStringLiteral(":SuppressedMsgs"));
}

int SuppressibleMessages::restoreCount() const
{
    bool ok = false;
    const int count = ini_.read(section(), QStringLiteral("RestoreCount"), QStringLiteral("0")).trimmed().toInt(&ok);
    return ok && count > 0 ? count : 0;
}

QString SuppressibleMessages::readRecord(int index) const
{
    return ini_.read(section(), recordKey(index), QStringLiteral(" "));
}

void SuppressibleMessages::writeRestoreCount(int count)
{
    ini_.write(section(), QStringLiteral("RestoreCount"), QString::number(count));
    request.restoreCount = count;
    restoreMenuVisible_ = count > 0;
}

void SuppressibleMessages::setMenuEntry(int index, const QString& caption)
{
    while (menuCaptions_.size() <= index)
        menuCaptions_.append(QString());
    menuCaptions_[index] = caption;
}

void SuppressibleMessages::resetRequest()
{
    request.id = platform::MessageId::Information;
    request.title.clear();
    request.text.clear();
    request.inputLabel.clear();
    request.inputText.clear();
    request.showInput = false;
    request.allowSuppress = false;
    request.showBrowse = false;
    request.icon = platform::MessageIcon::Information;
    for (QString& caption : request.buttons)
        caption.clear();
}

bool SuppressibleMessages::isSuppressed()
{
    const int count = restoreCount();
    for (int i = 0; i < count && i < menuCaptions_.size(); ++i) {
        if (menuCaptions_[i].contains(request.messageKey)) {
            request.messageKey = menuCaptions_[i];
            return true;
        }
    }
    return false;
}

int SuppressibleMessages::storedAnswer() const
{
    const qsizetype at = request.messageKey.indexOf(QLatin1String("(Click "));
    if (at < 0 || at + 7 >= request.messageKey.size())
        return 5;
    const QChar digit = request.messageKey[at + 7];
    return digit.isDigit() && digit.unicode() < 0x80 ? digit.unicode() - u'0' : 5;
}

QString SuppressibleMessages::composeSuppressionText(const QString& text, const QString& messageKey)
{
    return text + kCrLf + kCrLf + QStringLiteral("If suppressed ")
        + QStringLiteral("this message will be listed in File | Restore Messages as:") + kCrLf
        + QStringLiteral("         ") + QLatin1Char('"') + messageKey + QLatin1Char('"') + QStringLiteral(".  ") + kCrLf
        + kCrLf + QStringLiteral("The command button selected to close this message will be ")
        + QStringLiteral("automatically used going forward each time this message would ")
        + QStringLiteral("have been displayed.  If you are uncertain as to whether or not ")
        + QStringLiteral("you want this response to always apply but still want to ")
        + QStringLiteral("suppress the message, Quillon suggests you limit the ") + QStringLiteral("suppression to ")
        + QStringLiteral("\"This session only\"") + QLatin1Char('.');
}

void SuppressibleMessages::show()
{
    if (request.allowSuppress)
        request.text = composeSuppressionText(request.text, request.messageKey);
    request.suppressChoice = platform::SuppressChoice::Never;
    request.inputText = request.inputText.trimmed();
    box_.showRequest(request);
    if (request.clickedButton < 0 || request.clickedButton > 4)
        request.clickedButton = 0;
}

void SuppressibleMessages::setClickText()
{
    request.clickText = QStringLiteral("(Click ") + QString::number(request.clickedButton) + QStringLiteral(" - ")
        + request.buttons[size_t(request.clickedButton)] + QLatin1Char(')');
}

void SuppressibleMessages::saveSuppression()
{
    QString record = request.messageKey + QLatin1Char(' ') + request.clickText;
    if (request.suppressChoice == platform::SuppressChoice::ThisSession)
        record += QStringLiteral(" (Session)");
    else if (request.suppressChoice == platform::SuppressChoice::AllSessions)
        record += QStringLiteral(" (Always)");
    else
        return;
    int count = restoreCount();
    const qsizetype paren = record.indexOf(QLatin1Char('('));
    const QString prefix = (paren < 0 ? record : record.left(paren)).trimmed();
    // Only existing records are searched: the slot past the last one holds no record.
    for (int i = 0; i < count; ++i) {
        if (readRecord(i).contains(prefix)) {
            deleteRecord(i, true);
            break;
        }
    }
    count = restoreCount() + 1;
    ini_.write(section(), recordKey(count - 1), record);
    setMenuEntry(count - 1, record);
    writeRestoreCount(count);
}

void SuppressibleMessages::deleteRecord(int index, bool updateMenu)
{
    int count = restoreCount();
    if (index < 0 || index >= count)
        return;
    for (int i = index; i <= count - 2; ++i) {
        ini_.write(section(), recordKey(i), readRecord(i + 1));
        if (updateMenu && i + 1 < menuCaptions_.size())
            setMenuEntry(i, menuCaptions_[i + 1]);
    }
    --count;
    ini_.write(section(), recordKey(count), QString());
    if (count > 0 && updateMenu && menuCaptions_.size() > count)
        menuCaptions_.erase(menuCaptions_.begin() + count, menuCaptions_.end());
    writeRestoreCount(count);
}

void SuppressibleMessages::loadAtStartup()
{
    int count = restoreCount();
    // Slots past the last stored key read as blank and would be dropped one by one as
    // malformed; dropping them at once gives the same list without a write per slot.
    const IniDocument doc = ini_.load();
    int present = 0;
    for (const auto& [key, value] : doc.entries(section())) {
        if (key.startsWith(QLatin1String("sMsg"), Qt::CaseInsensitive)) {
            bool ok = false;
            const int n = key.mid(4).toInt(&ok);
            if (ok && n >= 0 && n < count)
                present = std::max(present, n + 1);
        }
    }
    if (present < count) {
        for (int i = present; i < count; ++i)
            ini_.write(section(), recordKey(i), QString());
        count = present;
        writeRestoreCount(count);
    }
    menuCaptions_ = QStringList {QString()};
    int i = 0;
    while (i < count) {
        const QString record = readRecord(i);
        if (record.contains(QLatin1String("(Session)")) || !record.contains(QLatin1String("(Click"))) {
            deleteRecord(i, false);
            count = restoreCount();
            continue;
        }
        setMenuEntry(i, record);
        ++i;
    }
    writeRestoreCount(count);
}

int SuppressibleMessages::ask(const Warning& warning)
{
    request.messageKey = warning.key;
    if (isSuppressed()) {
        request.clickedButton = storedAnswer();
        return request.clickedButton;
    }
    resetRequest();
    request.id = warning.id;
    request.position = warning.position;
    request.icon = warning.icon;
    request.title = warning.title;
    request.text = warning.text;
    for (int i = 0; i < 5 && i < warning.buttons.size(); ++i)
        request.buttons[size_t(i)] = warning.buttons[i];
    request.buttonCount = int(std::min<qsizetype>(warning.buttons.size(), 5));
    request.allowSuppress = warning.allowSuppress;
    request.showInput = warning.showInput;
    request.inputLabel = warning.showInput ? warning.inputLabel : QString();
    request.inputText = warning.showInput ? warning.inputText : QString();
    request.showBrowse = warning.showBrowse;
    show();
    setClickText();
    saveSuppression();
    return request.clickedButton;
}

} // namespace quillon::config
