#pragma once
#include "aids/SourceTransforms.h"
#include "model/Routine.h"

#include <QDialog>
#include <QPalette>
#include <QStringList>
#include <QVariant>

class QListWidget;
class QPushButton;

namespace quillon::config {
class IniStore;
}
namespace quillon::model {
class SourceReader;
}

namespace quillon::ui {

// Keeps a chooser list's first entry ("All Files", "All Procedures") and the single entries
// apart: choosing the first entry drops the others, choosing another entry drops the first,
// and a click that would leave nothing chosen brings the first entry back and flashes the
// list, so that the user sees why the click did not take.
class AllOrSomeSelection : public QObject {
public:
    // Follows the list's selection from now on; a child of the list.
    explicit AllOrSomeSelection(QListWidget* list);

    static inline const QColor kFlashColor {0xFF, 0xFF, 0x00};
    static constexpr int kFlashMilliseconds = 80;

private:
    void selectionChanged();
    void flash();
    void flashStep();

    QListWidget* list_;
    bool firstWasSelected_ = false;
    bool adjusting_ = false;
    int flashStepsLeft_ = 0;
    QPalette normal_;
};

// A chooser window: a list whose first entry stands for all the others, and a row of buttons.
// Button i closes the window with the result i + 1, the last one (Cancel) rejects it. The
// window's position is kept in the options file under its own section.
class ChooserDialog : public QDialog {
public:
    struct Look {
        QString objectName;
        QString caption;
        QString listName;
        QString allEntry; // entry 0
        QVariant allData; // entry 0's item data
        QString buttonName;
        QStringList buttons;
        QString positionSuffix;
        QSize size; // before a kept position is restored
    };
    ChooserDialog(const Look& look, const config::IniStore& ini, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    QPushButton* button(int index) const { return buttons_.value(index); }
    void addEntry(const QString& text, const QVariant& data);
    // The item data of the chosen entries, in list order.
    QVariantList chosenData() const;

protected:
    void done(int result) override;

private:
    const config::IniStore& ini_;
    QString positionSuffix_;
    QListWidget* list_ = nullptr;
    QList<QPushButton*> buttons_;
};

// What the file chooser's buttons close it with.
enum ChooserResult { ChooserCancelled = QDialog::Rejected, ChooserSelected = 1, ChooserShowProcedures = 2 };

// "Select File(s)": "All Files" and a copy of the main window's file list (each entry's item
// data the 1-based index of its file in the project); "Show Procedures" only when asked for.
std::unique_ptr<ChooserDialog> makeFileChooser(
    const QListWidget& projectFileList, bool showProcedures, const config::IniStore& ini, QWidget* parent);
// The file chooser's choice: "ALL_FILES" for entry 0, else the chosen files' paths. An index
// outside the project's files (not one the main window lists) chooses nothing.
QStringList chosenFiles(const ChooserDialog& fileChooser, const model::FileList& projectFiles);
// "Select Procedure(s)": "All Procedures" and every routine of the files, as the procedure list
// shows it, each entry holding the routine's unique key.
std::unique_ptr<ChooserDialog> makeProcedureChooser(const QStringList& files, const model::FileList& projectFiles,
    const model::SourceReader& reader, const config::IniStore& ini, QWidget* parent);
// The procedure chooser's choice: "ALL_PROCEDURES" for entry 0, else the chosen routines' keys.
QStringList chosenProcedures(const ChooserDialog& procedureChooser);

// What a developer aid works on, as the user chooses it: the file chooser, then, when asked
// for and chosen, the procedure chooser. Cancelling the file chooser chooses nothing;
// cancelling the procedure chooser keeps the files with no procedure chosen.
struct ChooserInputs {
    const QListWidget& projectFileList;
    const model::FileList& projectFiles;
    const model::SourceReader& reader;
    const config::IniStore& ini;
};
aids::TargetSelection chooseTargets(const ChooserInputs& inputs, bool showProcedures, QWidget* owner);

} // namespace quillon::ui
