#include "ui/SuppressibleMessageDialog.h"

#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace quillon::ui {

namespace {

const char* const kOptionCaptions[3] = {"Never", "This session only", "This and all future sessions"};

QString DefaultFileChooser(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return QFileDialog::getOpenFileName(parent, title, start, filter);
}

QStyle::StandardPixmap StandardPixmapFor(platform::MessageIcon icon)
{
    switch (icon) {
    case platform::MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
    case platform::MessageIcon::Exclamation: return QStyle::SP_MessageBoxWarning;
    case platform::MessageIcon::Critical: return QStyle::SP_MessageBoxCritical;
    case platform::MessageIcon::Information:
    case platform::MessageIcon::None: break;
    }
    return QStyle::SP_MessageBoxInformation;
}

void Paint(QWidget* widget, const QColor& theme)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, theme);
    palette.setColor(QPalette::Base, theme);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

SuppressibleMessageDialog::SuppressibleMessageDialog(platform::MessageRequest& request, const QColor& theme, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), request_(request),
      chooseFile_(DefaultFileChooser)
{
    setObjectName(QStringLiteral("frmZRK_MsgBox"));
    setModal(true);
    setWindowTitle(request.Title.isEmpty() ? QStringLiteral("Quillon") : request.Title);
    dpiX_ = logicalDpiX() > 0 ? logicalDpiX() : 96;
    dpiY_ = logicalDpiY() > 0 ? logicalDpiY() : 96;
    Build(theme);
    ApplyLayout();
    Place();
}

void SuppressibleMessageDialog::Build(const QColor& theme)
{
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("imgIcon"));
    icon_->setAlignment(Qt::AlignCenter);
    const platform::MessageIcon symbol = dialoglayout::IconForCode(request_.Icon);
    if (symbol != platform::MessageIcon::None) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon_->setPixmap(style()->standardIcon(StandardPixmapFor(symbol), nullptr, this).pixmap(size, size));
    }

    title_ = new QLabel(request_.Title, this);
    title_->setObjectName(QStringLiteral("lblTitle"));
    title_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    QString text = request_.Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    message_ = new QLabel(text, this);
    message_->setObjectName(QStringLiteral("lblMessage"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        QPushButton* button = new QPushButton(request_.Buttons[size_t(i)], this);
        button->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        button->setVisible(request_.IsButtonShown(i));
        connect(button, &QPushButton::clicked, this, [this, i] { ClickButton(i); });
        buttons_[size_t(i)] = button;
    }
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.IsButtonShown(i)) {
            buttons_[size_t(i)]->setDefault(true);
            buttons_[size_t(i)]->setFocus();
            break;
        }
    }

    inputFrame_ = new QGroupBox(this);
    inputFrame_->setObjectName(QStringLiteral("fraInput"));
    inputLabel_ = new QLabel(request_.InputLabel.isEmpty() ? QStringLiteral("File Path:") : request_.InputLabel, inputFrame_);
    inputLabel_->setObjectName(QStringLiteral("lblInput"));
    inputBox_ = new QLineEdit(request_.InputText.trimmed(), inputFrame_);
    inputBox_->setObjectName(QStringLiteral("txtInput"));
    browse_ = new QPushButton(QStringLiteral("Browse..."), inputFrame_);
    browse_->setObjectName(QStringLiteral("cmdBrowse"));
    browse_->setAutoDefault(false);
    browse_->setVisible(request_.ShowBrowse);
    connect(browse_, &QPushButton::clicked, this, &SuppressibleMessageDialog::Browse);
    inputFrame_->setVisible(request_.ShowInput);

    suppressFrame_ = new QGroupBox(QStringLiteral("Hide this warning:"), this);
    suppressFrame_->setObjectName(QStringLiteral("fraSuppress"));
    for (int i = 0; i < 3; ++i) {
        options_[size_t(i)] = new QRadioButton(QString::fromLatin1(kOptionCaptions[i]), suppressFrame_);
        options_[size_t(i)]->setObjectName(QStringLiteral("optSuppress%1").arg(i));
        Paint(options_[size_t(i)], theme);
    }
    options_[0]->setChecked(true);
    suppressFrame_->setVisible(request_.AllowSuppress);

    for (QWidget* widget : std::initializer_list<QWidget*>{title_, message_, inputFrame_, inputLabel_, inputBox_, suppressFrame_})
        Paint(widget, theme);
}

void SuppressibleMessageDialog::ApplyLayout()
{
    dialoglayout::LayoutInput input;
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.IsButtonShown(i)) {
            const QPushButton* button = buttons_[size_t(i)];
            input.captionWidths[size_t(i)] =
                PixelsToTwips(button->fontMetrics().horizontalAdvance(dialoglayout::ShownCaption(button->text())), dpiX_);
        }
    }
    const int messageWidth = TwipsToPixels(dialoglayout::kMessageWidth, dpiX_);
    input.messageHeight = PixelsToTwips(message_->heightForWidth(messageWidth), dpiY_);
    input.showInput = request_.ShowInput;
    input.showBrowse = request_.ShowBrowse;
    input.allowSuppress = request_.AllowSuppress;
    layout_ = dialoglayout::LayOut(input);

    const auto place = [this](QWidget* widget, const QRect& twips) {
        widget->setGeometry(TwipsToPixels(twips, dpiX_, dpiY_));
    };
    place(icon_, layout_.icon);
    place(title_, layout_.title);
    place(message_, layout_.message);
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.IsButtonShown(i))
            place(buttons_[size_t(i)], layout_.buttons[size_t(i)]);
    }
    if (request_.ShowInput) {
        place(inputFrame_, layout_.inputFrame);
        place(inputLabel_, layout_.inputLabel);
        place(inputBox_, layout_.inputBox);
        if (request_.ShowBrowse)
            place(browse_, layout_.browse);
    }
    if (request_.AllowSuppress) {
        place(suppressFrame_, layout_.suppressFrame);
        for (int i = 0; i < 3; ++i)
            place(options_[size_t(i)], layout_.options[size_t(i)]);
    }
    setFixedSize(TwipsToPixels(layout_.client.width(), dpiX_), TwipsToPixels(layout_.client.height(), dpiY_));
}

void SuppressibleMessageDialog::Place()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect ownerArea = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
    move(dialoglayout::DialogPosition(request_.Position, size(), AvailableScreenOf(owner ? owner : this), ownerArea, dpiX_,
                             dpiY_));
}

void SuppressibleMessageDialog::ClickButton(int index)
{
    if (!request_.IsButtonShown(index))
        return;
    request_.ClickedButton = index;
    request_.SuppressChoice = 0;
    for (int i = 0; i < 3; ++i) {
        if (options_[size_t(i)]->isChecked())
            request_.SuppressChoice = i;
    }
    if (request_.ShowInput)
        request_.InputText = inputBox_->text().trimmed();
    closingByButton_ = true;
    done(QDialog::Accepted);
}

void SuppressibleMessageDialog::Browse()
{
    const QString current = inputBox_->text().trimmed();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString chosen = chooseFile_(this, QStringLiteral("Locate the file"), QStringLiteral("All Files (*.*)"), start);
    if (!chosen.isEmpty())
        inputBox_->setText(chosen);
}

void SuppressibleMessageDialog::reject() {}

void SuppressibleMessageDialog::closeEvent(QCloseEvent* event)
{
    if (closingByButton_)
        event->accept();
    else
        event->ignore();
}

} // namespace quillon::ui
