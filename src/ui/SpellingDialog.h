#pragma once
#include "aids/SpellCheck.h"
#include "model/Outcome.h"

#include <QDialog>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace quillon::platform {
class IMessageBox;
class ISpellChecker;
} // namespace quillon::platform

namespace quillon::ui {

// The words Spell Check Literals found, one at a time, in their line, with the dictionary's
// suggestions: Replace, Replace All, Ignore, Ignore All, Add to Dictionary. Nothing is written
// here: the replacements chosen are what the window hands back when it closes, to be written
// with backups like every aid's changes.
class SpellingDialog : public QDialog {
    Q_OBJECT
public:
    // addWord puts a word in the personal word list; it fails with the reason.
    SpellingDialog(std::vector<aids::SpellFinding> findings, platform::ISpellChecker& checker,
        std::function<model::Outcome<void>(const QString& word)> addWord, platform::IMessageBox& box,
        QWidget* parent = nullptr);

    // The replacements chosen, by file path, in the order of the findings.
    const QHash<QString, std::vector<aids::WordReplacement>>& replacements() const { return replacements_; }
    int replacementCount() const;
    // The finding shown (an index into the findings), or -1 once every one has been answered.
    int current() const { return current_; }

    // What the buttons do.
    void replace();
    void replaceAll();
    void ignore();
    void ignoreAll();
    void addToDictionary();

private:
    void buildControls();
    void show(int index);
    void next();
    void record(const aids::SpellFinding& finding, const QString& right);

    std::vector<aids::SpellFinding> findings_;
    platform::ISpellChecker& checker_;
    std::function<model::Outcome<void>(const QString&)> addWord_;
    platform::IMessageBox& box_;
    int current_ = -1;
    QSet<QString> ignored_; // Ignore All and Add to Dictionary
    QHash<QString, QString> replaceAll_; // word → what every later finding of it becomes
    QHash<QString, std::vector<aids::WordReplacement>> replacements_;
    QLabel* where_ = nullptr;
    QTextEdit* context_ = nullptr;
    QLabel* word_ = nullptr;
    QLineEdit* changeTo_ = nullptr;
    QListWidget* suggestions_ = nullptr;
    QLabel* progress_ = nullptr;
    std::vector<QPushButton*> answerButtons_;
};

} // namespace quillon::ui
