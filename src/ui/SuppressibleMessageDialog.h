#pragma once
#include "platform/MessageBox.h"
#include "ui/MessageDialogLayout.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon::ui {

// The message box with suppressible messages: up to five freely captioned buttons, an
// optional text input with "Browse...", and the choice to hide the message. Only a button
// closes it; the button writes the answer (clickedButton, SuppressChoice, inputText) back
// into the request it was made for.
class SuppressibleMessageDialog : public QDialog {
    Q_OBJECT
public:
    // `theme` paints the frames, labels, option buttons and the text box. The dialog is laid
    // out and placed (by the request's Position, over `parent` when it has none) here.
    SuppressibleMessageDialog(platform::MessageRequest& request, const QColor& theme, QWidget* parent = nullptr);

    // The file-open dialog behind "Browse...": title, filter, start path in; the chosen path
    // out (empty when cancelled).
    using FileChooser =
        std::function<QString(QWidget* parent, const QString& title, const QString& filter, const QString& start)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    QPushButton* button(int index) const { return buttons_[size_t(index)]; }
    QRadioButton* option(int index) const { return options_[size_t(index)]; }
    QLabel* titleLabel() const { return title_; }
    QLabel* messageLabel() const { return message_; }
    QLabel* iconLabel() const { return icon_; }
    QGroupBox* inputFrame() const { return inputFrame_; }
    QLabel* inputLabel() const { return inputLabel_; }
    QLineEdit* inputBox() const { return inputBox_; }
    QPushButton* browseButton() const { return browse_; }
    QGroupBox* suppressFrame() const { return suppressFrame_; }
    // The layout in twips, and the resolution it was shown at.
    const dialoglayout::Layout& twipsLayout() const { return layout_; }
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

public Q_SLOTS:
    // What a click on button `index` does; a hidden button does nothing.
    void clickButton(int index);
    void browse();
    // Escape closes nothing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build(const QColor& theme);
    void applyLayout();
    void place();

    platform::MessageRequest& request_;
    FileChooser chooseFile_;
    double dpiX_ = 96;
    double dpiY_ = 96;
    dialoglayout::Layout layout_;
    bool closingByButton_ = false;

    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* message_ = nullptr;
    std::array<QPushButton*, dialoglayout::kButtonCount> buttons_ {};
    QGroupBox* inputFrame_ = nullptr;
    QLabel* inputLabel_ = nullptr;
    QLineEdit* inputBox_ = nullptr;
    QPushButton* browse_ = nullptr;
    QGroupBox* suppressFrame_ = nullptr;
    std::array<QRadioButton*, 3> options_ {};
};

} // namespace quillon::ui
