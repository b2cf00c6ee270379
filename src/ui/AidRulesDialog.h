#pragma once
#include "config/Options.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IMessageBox;
}

namespace quillon::ui {

// One option a rules window edits: a number in a text box, a yes/no in a check box, or one of
// a few values in a column of option buttons.
struct RuleField {
    config::OptionKey key;
    QString caption;
    QString controlName; // "txtIndentWidth", "chkIndentCase", "optSortBy" ...
    bool number = false;
    QString note = {}; // beside a number: "(0 to 9 are valid indent spaces)"
    // A choice: each value as stored ("name") with its button's caption.
    std::vector<std::pair<QString, QString>> choices = {};
};

// What a rules window shows and how it checks its numbers before they are stored.
struct RulesWindowSpec {
    QString objectName; // "frmDAIndentRule"
    QString title;
    QString positionSection; // ":DAIndentForm": where its position is kept
    QString helpText;
    std::vector<RuleField> fields;
    // Given the numbers' texts in field order: the title and text of what is wrong, or an empty
    // text when they can be stored.
    std::function<std::pair<QString, QString>(const QStringList& numbers)> numbersProblem;
};

// The rules of the indenter and of the line numbers, in their own options sections. Like the
// wrap rules window: Save And Exit checks the numbers and stores everything; every other way out
// asks first when something was changed; the window comes back where it was left.
class AidRulesDialog : public QDialog {
    Q_OBJECT
public:
    AidRulesDialog(
        RulesWindowSpec spec, config::Session& session, platform::IMessageBox& box, QWidget* parent = nullptr);

    bool saveAndExit();
    bool changesPending() const { return changesPending_; }

public Q_SLOTS:
    void reject() override;

protected:
    void done(int result) override;

private:
    void buildControls();
    void showOptions();
    void markChanged();

    RulesWindowSpec spec_;
    config::Session& session_;
    platform::IMessageBox& box_;
    bool changesPending_ = false;
    std::vector<QWidget*> controls_; // a QLineEdit or a QCheckBox per field
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Asks whether to leave a window of changed rules (or a changed template) without saving them:
// true when the answer is Yes.
bool leaveWithoutSaving(platform::IMessageBox& box);
// Writes the options file after a rules window stored its rules; when it cannot, says that they
// hold until the program ends.
void saveRulesOrSaySo(config::Session& session, platform::IMessageBox& box);

// Developer Aids | Indent Code Lines | View/Edit Rules.
RulesWindowSpec indentRulesWindow();
// Developer Aids | Line Numbering | View/Edit Rules.
RulesWindowSpec lineNumberRulesWindow();
// Developer Aids | Sort File Procedures | View/Edit Rules.
RulesWindowSpec sortRulesWindow();
// Spell Check Literals: literals only, and the dictionary among those installed (and the one in
// use, installed or not).
RulesWindowSpec spellRulesWindow(const QStringList& installed, const QString& current);

} // namespace quillon::ui
