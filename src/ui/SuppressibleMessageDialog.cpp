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

QString defaultFileChooser(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return QFileDialog::getOpenFileName(parent, title, start, filter);
}

QStyle::StandardPixmap standardPixmapFor(platform::MessageIcon icon)
{
    switch (icon) {
    case platform::MessageIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case platform::MessageIcon::Exclamation:
        return QStyle::SP_MessageBoxWarning;
    case platform::MessageIcon::Critical:
        return QStyle::SP_MessageBoxCritical;
    case platform::MessageIcon::Information:
    case platform::MessageIcon::None:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

void paint(QWidget* widget, const QColor& theme)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, theme);
    palette.setColor(QPalette::Base, theme);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

SuppressibleMessageDialog::SuppressibleMessageDialog(
    platform::MessageRequest& request, const QColor& theme, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      request_(request),
      chooseFile_(defaultFileChooser)
{
    setObjectName(QStringLiteral("frmZRK_MsgBox"));
    setModal(true);
    setWindowTitle(request.title.isEmpty() ? QStringLiteral("Quillon") : request.title);
    dpiX_ = logicalDpiX() > 0 ? logicalDpiX() : 96;
    dpiY_ = logicalDpiY() > 0 ? logicalDpiY() : 96;
    build(theme);
    applyLayout();
    place();
}

void SuppressibleMessageDialog::build(const QColor& theme)
{
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("imgIcon"));
    icon_->setAlignment(Qt::AlignCenter);
    const platform::MessageIcon symbol = request_.icon;
    if (symbol != platform::MessageIcon::None) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon_->setPixmap(style()->standardIcon(standardPixmapFor(symbol), nullptr, this).pixmap(size, size));
    }

    title_ = new QLabel(request_.title, this);
    title_->setObjectName(QStringLiteral("lblTitle"));
    title_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    QString text = request_.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    message_ = new QLabel(text, this);
    message_->setObjectName(QStringLiteral("lblMessage"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        QPushButton* button = new QPushButton(request_.buttons[size_t(i)], this);
        button->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        button->setVisible(request_.isButtonShown(i));
        connect(button, &QPushButton::clicked, this, [this, i] { clickButton(i); });
        buttons_[size_t(i)] = button;
    }
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.isButtonShown(i)) {
            buttons_[size_t(i)]->setDefault(true);
            buttons_[size_t(i)]->setFocus();
            break;
        }
    }

    inputFrame_ = new QGroupBox(this);
    inputFrame_->setObjectName(QStringLiteral("fraInput"));
    inputLabel_ =
        new QLabel(request_.inputLabel.isEmpty() ? QStringLiteral("File Path:") : request_.inputLabel, inputFrame_);
    inputLabel_->setObjectName(QStringLiteral("lblInput"));
    inputBox_ = new QLineEdit(request_.inputText.trimmed(), inputFrame_);
    inputBox_->setObjectName(QStringLiteral("txtInput"));
    browse_ = new QPushButton(QStringLiteral("Browse..."), inputFrame_);
    browse_->setObjectName(QStringLiteral("cmdBrowse"));
    browse_->setAutoDefault(false);
    browse_->setVisible(request_.showBrowse);
    connect(browse_, &QPushButton::clicked, this, &SuppressibleMessageDialog::browse);
    inputFrame_->setVisible(request_.showInput);

    suppressFrame_ = new QGroupBox(QStringLiteral("Hide this warning:"), this);
    suppressFrame_->setObjectName(QStringLiteral("fraSuppress"));
    for (int i = 0; i < 3; ++i) {
        options_[size_t(i)] = new QRadioButton(QString::fromLatin1(kOptionCaptions[i]), suppressFrame_);
        options_[size_t(i)]->setObjectName(QStringLiteral("optSuppress%1").arg(i));
        paint(options_[size_t(i)], theme);
    }
    options_[0]->setChecked(true);
    suppressFrame_->setVisible(request_.allowSuppress);

    for (QWidget* widget :
        std::initializer_list<QWidget*> {title_, message_, inputFrame_, inputLabel_, inputBox_, suppressFrame_})
        paint(widget, theme);
}

void SuppressibleMessageDialog::applyLayout()
{
    dialoglayout::LayoutInput input;
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.isButtonShown(i)) {
            const QPushButton* button = buttons_[size_t(i)];
            input.captionWidths[size_t(i)] = pixelsToTwips(
                button->fontMetrics().horizontalAdvance(dialoglayout::shownCaption(button->text())), dpiX_);
        }
    }
    const int messageWidth = twipsToPixels(dialoglayout::kMessageWidth, dpiX_);
    input.messageHeight = pixelsToTwips(message_->heightForWidth(messageWidth), dpiY_);
    input.showInput = request_.showInput;
    input.showBrowse = request_.showBrowse;
    input.allowSuppress = request_.allowSuppress;
    layout_ = dialoglayout::layOut(input);

    const auto place = [this](QWidget* widget, const QRect& twips) {
        widget->setGeometry(twipsToPixels(twips, dpiX_, dpiY_));
    };
    place(icon_, layout_.icon);
    place(title_, layout_.title);
    place(message_, layout_.message);
    for (int i = 0; i < dialoglayout::kButtonCount; ++i) {
        if (request_.isButtonShown(i))
            place(buttons_[size_t(i)], layout_.buttons[size_t(i)]);
    }
    if (request_.showInput) {
        place(inputFrame_, layout_.inputFrame);
        place(inputLabel_, layout_.inputLabel);
        place(inputBox_, layout_.inputBox);
        if (request_.showBrowse)
            place(browse_, layout_.browse);
    }
    if (request_.allowSuppress) {
        place(suppressFrame_, layout_.suppressFrame);
        for (int i = 0; i < 3; ++i)
            place(options_[size_t(i)], layout_.options[size_t(i)]);
    }
    setFixedSize(twipsToPixels(layout_.client.width(), dpiX_), twipsToPixels(layout_.client.height(), dpiY_));
}

void SuppressibleMessageDialog::place()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect ownerArea = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
    move(dialoglayout::dialogPosition(
        request_.position, size(), availableScreenOf(owner ? owner : this), ownerArea, dpiX_, dpiY_));
}

void SuppressibleMessageDialog::clickButton(int index)
{
    if (!request_.isButtonShown(index))
        return;
    request_.clickedButton = index;
    // The three options in the order of SuppressChoice: never, this session, all sessions.
    request_.suppressChoice = platform::SuppressChoice::Never;
    for (int i = 0; i < 3; ++i) {
        if (options_[size_t(i)]->isChecked())
            request_.suppressChoice = platform::SuppressChoice(i);
    }
    if (request_.showInput)
        request_.inputText = inputBox_->text().trimmed();
    closingByButton_ = true;
    done(QDialog::Accepted);
}

void SuppressibleMessageDialog::browse()
{
    const QString current = inputBox_->text().trimmed();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString chosen =
        chooseFile_(this, QStringLiteral("Locate the file"), QStringLiteral("All Files (*.*)"), start);
    if (!chosen.isEmpty())
        inputBox_->setText(chosen);
}

void SuppressibleMessageDialog::reject()
{ }

void SuppressibleMessageDialog::closeEvent(QCloseEvent* event)
{
    if (closingByButton_)
        event->accept();
    else
        event->ignore();
}

} // namespace quillon::ui
