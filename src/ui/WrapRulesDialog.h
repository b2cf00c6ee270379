#pragma once
#include <QDialog>
#include <QStringList>

#include <array>

class QCheckBox;
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

// Developer Aids | Wrap Too Long Lines | View/Edit Rules: how the wrap explains itself, and the
// continuation indent it uses. The signature choices are kept for the signature rules to come.
// Every way out other than Save And Exit asks first when something was changed.
class WrapRulesDialog : public QDialog {
    Q_OBJECT
public:
    WrapRulesDialog(config::Session& session, platform::IMessageBox& box, QWidget* parent = nullptr);

    // The buttons' work. saveAndExit: true when the rules were stored and the window closed.
    bool saveAndExit();
    bool changesPending() const { return changesPending_; }

public Q_SLOTS:
    // Cancel, Escape and the close box.
    void reject() override;

protected:
    void done(int result) override;

private:
    void buildControls();
    QWidget* buildHelp();
    QWidget* buildIndentFrame();
    QWidget* buildSignatureFrame();
    void showOptions();
    void connectControls();
    void markChanged();

    config::Session& session_;
    platform::IMessageBox& box_;
    bool changesPending_ = false;
    std::array<QRadioButton*, 2> whichIndent_ {}; // by "Which Indent"
    std::array<QRadioButton*, 2> signature_ {}; // by "Sig Wrap"
    QLineEdit* indent_ = nullptr;
    QCheckBox* wrapAlways_ = nullptr;
    std::array<QPushButton*, 2> buttons_ {}; // Save And Exit, Cancel
};

// The lines an aid left as they were ("PATH:LINE: TEXT"), in a modal window over owner, under a
// caption that says why.
void showLinesLeftAlone(const QString& title, const QString& caption, const QStringList& lines, QWidget* owner);

} // namespace quillon::ui
