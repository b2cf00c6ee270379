#pragma once
#include "config/OptionsValidation.h"
#include "ui/PrinterChoice.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::ui {

// File | User Options: every setting of the printed documentation in one window. The controls
// edit an OptionsDraft; Save and Exit runs the core's checks on it and stores it only when
// they all pass, Exit leaves it (after asking when something changed). Neither the close box
// nor Escape closes the window, so that pending changes are never dropped by accident.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(
        config::Session& session, platform::IMessageBox& box, SurfaceFactory surfaces, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Dialogs, replaceable so that tests can answer them. An invalid or empty answer is a cancel.
    std::function<QColor(const QColor& initial)> chooseColorDialog;
    std::function<std::optional<QFont>(const QFont& initial)> chooseFontDialog;
    std::function<QString(const QString& folder)> chooseFolderDialog;
    PrinterChooser choosePrinterDialog;
    // F1: the user manual, as the main window opens it.
    std::function<void()> displayUserManual;

    // The options as they were when the window opened, and as the controls now say.
    const config::OptionsDraft& original() const { return original_; }
    config::OptionsDraft currentDraft() const;
    // What Save and Exit stored (nothing until it passed).
    const config::StoreResult& storeResult() const { return stored_; }

    // The buttons' work. saveAndExit: true when the options were stored and the window closed.
    bool saveAndExit();
    void exitWithoutSaving();
    void changeColor(int index);
    void changeTarget();
    void changeFont();
    void changeFolder(int index);
    void helpRequested();

    QString statusText() const;

public Q_SLOTS:
    // Escape and the close box: refused, with the way out named.
    void reject() override;

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The application's focus changes, followed for the status line; let go before the
    // controls are destroyed, whose destruction moves the focus.
    QMetaObject::Connection focusFollower_;
    // The controls of one group of two or more choices.
    using Choices = std::vector<QRadioButton*>;

    void buildControls();
    QGroupBox* buildColors();
    QGroupBox* buildOutputTarget();
    QGroupBox* buildMargins();
    QGroupBox* buildIde();
    QGroupBox* buildFolders();
    QGroupBox* buildChoices(const QString& caption, const QString& name, const QStringList& captions, Choices& choices);
    QGroupBox* buildLineEdit(const QString& caption, const QString& name, QLineEdit*& edit);
    void connectControls();
    QString helpSection(QWidget* widget) const;
    void focusChanged(QWidget* now);

    void showDraft(const config::OptionsDraft& draft);
    void showColor(int index, qint32 value);
    void showTarget();
    void showFont();
    void showSessionMargins();
    void noteValuesNotAChoice();
    // The status line: `text`, then the note about the options file when there is one.
    void showStatus(const QString& text);
    // The control to correct after a failed check.
    QWidget* faultyControl(const config::ValidationResult& result) const;
    // A fresh surface with the draft's output device selected; empty when there is none.
    std::unique_ptr<platform::IPrintSurface> targetSurface() const;
    // The default colour was shown and taken (true), or the picker is next (false).
    bool offerDefaultColor(int index);
    void restorePosition();

    config::Session& session_;
    platform::IMessageBox& box_;
    SurfaceFactory surfaces_;
    config::OptionsDraft original_;
    // The values that are not typed or chosen in a control: colours, output device, font,
    // folders and the session-only margins.
    config::OptionsDraft draft_;
    config::StoreResult stored_;

    std::array<QLabel*, config::kColorCount> swatches_ {};
    QLabel* deviceLabel_ = nullptr;
    QLabel* sessionDeviceLabel_ = nullptr;
    QLabel* fontNameLabel_ = nullptr;
    QLabel* fontSizeLabel_ = nullptr;
    Choices paper_, orientation_, duplex_, binding_, folding_, brackets_, aggregate_, scope_, mimic_;
    QLineEdit* gdi_ = nullptr;
    std::array<QLineEdit*, 5> margins_ {};
    QLabel* sessionMarginsLabel_ = nullptr;
    QLineEdit* longLine_ = nullptr;
    std::array<QLineEdit*, 3> folders_ {};
    QLabel* statusLabel_ = nullptr;
    QString fileNote_;
};

} // namespace quillon::ui
