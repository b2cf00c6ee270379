#pragma once
#include "aids/HeaderTemplates.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::ui {

// View/Edit Template of the two header aids: the template's comment lines in an editor, the fields
// it may hold in a list beside it (double-click or Insert Field puts one at the cursor), the author
// the {Author} field gives, and a preview of the header the template makes for a sample procedure.
// Save And Exit refuses a template the aid could not use (an unknown field, a line that is not a
// comment) with the reason; every other way out asks first when something was changed.
class TemplateEditorDialog : public QDialog {
    Q_OBJECT
public:
    TemplateEditorDialog(
        aids::HeaderKind kind, config::Session& session, platform::IMessageBox& box, QWidget* parent = nullptr);

    bool saveAndExit();
    bool changesPending() const { return changesPending_; }
    QString templateText() const;

public Q_SLOTS:
    void reject() override;
    void done(int result) override;

private:
    void buildControls();
    void insertField(const QString& field);
    void restoreDefault();
    void markChanged();
    void refreshPreview();

    aids::HeaderKind kind_;
    config::Session& session_;
    platform::IMessageBox& box_;
    QString folder_;
    QPlainTextEdit* editor_ = nullptr;
    QListWidget* fields_ = nullptr;
    QLineEdit* author_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* save_ = nullptr;
    bool changesPending_ = false;
};

// Where the templates and the personal word list are kept: the options file's folder.
QString optionsFolderOf(const config::Session& session);

} // namespace quillon::ui
