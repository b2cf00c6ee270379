#include "config/SuppressibleMessages.h"

#include "config/Options.h"

namespace quillon::config {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

SuppressibleMessages::SuppressibleMessages(const IniStore& ini, platform::IMessageBox& box) : ini_(ini), box_(box) {}

QString SuppressibleMessages::Section() const
{
    return SectionName(QStringLiteral(":SuppressedMsgs"));
}

int SuppressibleMessages::RestoreCount() const
{
    bool ok = false;
    const int count = ini_.read(Section(), QStringLiteral("RestoreCount"), QStringLiteral("0")).trimmed().toInt(&ok);
    return ok && count > 0 ? count : 0;
}

QString SuppressibleMessages::ReadRecord(int index) const
{
    return ini_.read(Section(), RecordKey(index), QStringLiteral(" "));
}

void SuppressibleMessages::WriteRestoreCount(int count)
{
    ini_.write(Section(), QStringLiteral("RestoreCount"), QString::number(count));
    Request.RestoreCount = count;
    restoreMenuVisible_ = count > 0;
}

void SuppressibleMessages::SetMenuEntry(int index, const QString& caption)
{
    while (menuCaptions_.size() <= index)
        menuCaptions_.append(QString());
    menuCaptions_[index] = caption;
}

void SuppressibleMessages::ResetRequest()
{
    Request.Title.clear();
    Request.Text.clear();
    Request.InputLabel.clear();
    Request.InputText.clear();
    Request.ShowInput = false;
    Request.AllowSuppress = false;
    Request.ShowBrowse = false;
    Request.Icon = QStringLiteral("64");
    for (QString& caption : Request.Buttons)
        caption.clear();
}

bool SuppressibleMessages::IsSuppressed()
{
    const int count = RestoreCount();
    for (int i = 0; i < count && i < menuCaptions_.size(); ++i) {
        if (menuCaptions_[i].contains(Request.MessageKey)) {
            Request.MessageKey = menuCaptions_[i];
            return true;
        }
    }
    return false;
}

int SuppressibleMessages::StoredAnswer() const
{
    const qsizetype at = Request.MessageKey.indexOf(QLatin1String("(Click "));
    if (at < 0 || at + 7 >= Request.MessageKey.size())
        return 5;
    const QChar digit = Request.MessageKey[at + 7];
    return digit.isDigit() && digit.unicode() < 0x80 ? digit.unicode() - u'0' : 5;
}

QString SuppressibleMessages::ComposeSuppressionText(const QString& text, const QString& messageKey)
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

void SuppressibleMessages::Show()
{
    if (Request.AllowSuppress)
        Request.Text = ComposeSuppressionText(Request.Text, Request.MessageKey);
    Request.SuppressChoice = 0;
    Request.InputText = Request.InputText.trimmed();
    box_.ShowRequest(Request);
    if (Request.ClickedButton < 0 || Request.ClickedButton > 4)
        Request.ClickedButton = 0;
}

void SuppressibleMessages::SetClickText()
{
    Request.ClickText = QStringLiteral("(Click ") + QString::number(Request.ClickedButton) + QStringLiteral(" - ")
        + Request.Buttons[size_t(Request.ClickedButton)] + QLatin1Char(')');
}

void SuppressibleMessages::SaveSuppression()
{
    int count = RestoreCount();
    QString record = Request.MessageKey + QLatin1Char(' ') + Request.ClickText;
    if (Request.SuppressChoice == 1)
        record += QStringLiteral(" (Session)");
    else if (Request.SuppressChoice == 2)
        record += QStringLiteral(" (Always)");
    else
        return;
    const qsizetype paren = record.indexOf(QLatin1Char('('));
    const QString prefix = (paren < 0 ? record : record.left(paren)).trimmed();
    // Only existing records are searched: the slot past the last one holds no record.
    for (int i = 0; i < count; ++i) {
        if (ReadRecord(i).contains(prefix)) {
            DeleteRecord(i, true);
            break;
        }
    }
    count = RestoreCount() + 1;
    ini_.write(Section(), RecordKey(count - 1), record);
    SetMenuEntry(count - 1, record);
    WriteRestoreCount(count);
}

void SuppressibleMessages::DeleteRecord(int index, bool updateMenu)
{
    int count = RestoreCount();
    if (index < 0 || index >= count)
        return;
    for (int i = index; i <= count - 2; ++i) {
        ini_.write(Section(), RecordKey(i), ReadRecord(i + 1));
        if (updateMenu && i + 1 < menuCaptions_.size())
            SetMenuEntry(i, menuCaptions_[i + 1]);
    }
    --count;
    ini_.write(Section(), RecordKey(count), QString());
    if (count > 0 && updateMenu && menuCaptions_.size() > count)
        menuCaptions_.erase(menuCaptions_.begin() + count, menuCaptions_.end());
    WriteRestoreCount(count);
}

void SuppressibleMessages::LoadAtStartup()
{
    int count = RestoreCount();
    // Slots past the last stored key read as blank and would be dropped one by one as
    // malformed; dropping them at once gives the same list without a write per slot.
    const IniDocument doc = ini_.Load();
    int present = 0;
    for (const auto& [key, value] : doc.Entries(Section())) {
        if (key.startsWith(QLatin1String("sMsg"), Qt::CaseInsensitive)) {
            bool ok = false;
            const int n = key.mid(4).toInt(&ok);
            if (ok && n >= 0 && n < count)
                present = std::max(present, n + 1);
        }
    }
    if (present < count) {
        for (int i = present; i < count; ++i)
            ini_.write(Section(), RecordKey(i), QString());
        count = present;
        WriteRestoreCount(count);
    }
    menuCaptions_ = QStringList{QString()};
    int i = 0;
    while (i < count) {
        const QString record = ReadRecord(i);
        if (record.contains(QLatin1String("(Session)")) || !record.contains(QLatin1String("(Click"))) {
            DeleteRecord(i, false);
            count = RestoreCount();
            continue;
        }
        SetMenuEntry(i, record);
        ++i;
    }
    WriteRestoreCount(count);
}

int SuppressibleMessages::Ask(const Warning& warning)
{
    Request.MessageKey = warning.key;
    if (IsSuppressed()) {
        Request.ClickedButton = StoredAnswer();
        return Request.ClickedButton;
    }
    ResetRequest();
    Request.Position = warning.position;
    Request.Icon = warning.icon;
    Request.Title = warning.title;
    Request.Text = warning.text;
    for (int i = 0; i < 5 && i < warning.buttons.size(); ++i)
        Request.Buttons[size_t(i)] = warning.buttons[i];
    Request.ButtonCount = int(std::min<qsizetype>(warning.buttons.size(), 5));
    Request.AllowSuppress = warning.allowSuppress;
    Request.ShowInput = warning.showInput;
    Request.InputLabel = warning.showInput ? warning.inputLabel : QString();
    Request.InputText = warning.showInput ? warning.inputText : QString();
    Request.ShowBrowse = warning.showBrowse;
    Show();
    SetClickText();
    SaveSuppression();
    return Request.ClickedButton;
}

} // namespace quillon::config
