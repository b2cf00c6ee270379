#include "ui/TargetChoosers.h"

#include "model/RoutineParser.h"
#include "ui/WindowPlacement.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace quillon::ui {

// ---------------------------------------------------------------------------------------------
// The first entry against the others

AllOrSomeSelection::AllOrSomeSelection(QListWidget* list) : QObject(list), list_(list)
{
    firstWasSelected_ = list_->count() > 0 && list_->item(0)->isSelected();
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
}

void AllOrSomeSelection::selectionChanged()
{
    QListWidgetItem* first = list_->item(0);
    if (adjusting_ || !first)
        return;
    const QScopedValueRollback guard(adjusting_, true);
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        first->setSelected(true);
        flash();
    } else if (first->isSelected() && selected.size() > 1) {
        // Whichever was chosen last wins: the first entry just now, or another entry beside it.
        if (firstWasSelected_)
            first->setSelected(false);
        else
            for (QListWidgetItem* item : selected)
                item->setSelected(item == first);
    }
    firstWasSelected_ = first->isSelected();
}

void AllOrSomeSelection::flash()
{
    if (flashStepsLeft_ > 0)
        return; // the flash under way says it already
    normal_ = list_->palette();
    flashStepsLeft_ = 4; // yellow, back, yellow, back
    flashStep();
}

void AllOrSomeSelection::flashStep()
{
    QPalette palette = normal_;
    if (flashStepsLeft_ % 2 == 0)
        palette.setColor(QPalette::Base, kFlashColor);
    list_->setPalette(palette);
    if (--flashStepsLeft_ > 0)
        QTimer::singleShot(kFlashMilliseconds, this, [this] { flashStep(); });
}

// ---------------------------------------------------------------------------------------------
// The chooser window

ChooserDialog::ChooserDialog(const Look& look, const config::IniStore& ini, QWidget* parent)
    : QDialog(parent), ini_(ini), positionSuffix_(look.positionSuffix)
{
    setObjectName(look.objectName);
    setWindowTitle(look.caption);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(look.listName);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    outer->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (int i = 0; i < look.buttons.size(); ++i) {
        auto* button = new QPushButton(look.buttons[i], this);
        button->setObjectName(look.buttonName);
        button->setProperty("index", i);
        button->setAutoDefault(false);
        const bool cancel = i == look.buttons.size() - 1;
        connect(button, &QPushButton::clicked, this, [this, i, cancel] {
            if (cancel)
                reject();
            else
                done(i + 1);
        });
        buttons_.append(button);
        row->addWidget(button);
    }
    outer->addLayout(row);
    addEntry(look.allEntry, look.allData);
    list_->item(0)->setSelected(true);
    new AllOrSomeSelection(list_);
    resize(look.size);
    if (!restoreWindowPosition(this, ini_, positionSuffix_))
        centreWindow(this, parent);
}

void ChooserDialog::addEntry(const QString& text, const QVariant& data)
{
    auto* item = new QListWidgetItem(text, list_);
    item->setData(Qt::UserRole, data);
}

QVariantList ChooserDialog::chosenData() const
{
    QVariantList chosen;
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->isSelected())
            chosen.append(list_->item(row)->data(Qt::UserRole));
    return chosen;
}

void ChooserDialog::done(int result)
{
    saveWindowPosition(this, ini_, positionSuffix_);
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// The two choosers

std::unique_ptr<ChooserDialog> makeFileChooser(
    const QListWidget& projectFileList, bool showProcedures, const config::IniStore& ini, QWidget* parent)
{
    const ChooserDialog::Look look {QStringLiteral("frmSelectFiles"), QStringLiteral("Select File(s)"),
        QStringLiteral("lstFiles"), QStringLiteral("All Files"), 0, QStringLiteral("cmdFiles"),
        {QStringLiteral("Select File(s)"), QStringLiteral("Show Procedures"), QStringLiteral("Cancel")},
        QStringLiteral(":FileListForm"), QSize(360, 420)};
    auto chooser = std::make_unique<ChooserDialog>(look, ini, parent);
    for (int row = 0; row < projectFileList.count(); ++row) {
        const QListWidgetItem* item = projectFileList.item(row);
        chooser->addEntry(item->text(), item->data(Qt::UserRole));
    }
    chooser->button(1)->setVisible(showProcedures);
    return chooser;
}

QStringList chosenFiles(const ChooserDialog& fileChooser, const model::FileList& projectFiles)
{
    QStringList files;
    for (const QVariant& data : fileChooser.chosenData()) {
        const int index = data.toInt();
        if (index == 0)
            files << aids::kAllFilesMarker;
        else if (index > 0 && size_t(index) <= projectFiles.size())
            files << projectFiles[size_t(index - 1)]->filePath;
    }
    return files;
}

std::unique_ptr<ChooserDialog> makeProcedureChooser(const QStringList& files, const model::FileList& projectFiles,
    const model::SourceReader& reader, const config::IniStore& ini, QWidget* parent)
{
    const ChooserDialog::Look look {QStringLiteral("frmSelectProcs"), QStringLiteral("Select Procedure(s)"),
        QStringLiteral("lstProcs"), QStringLiteral("All Procedures"), aids::kAllProceduresMarker,
        QStringLiteral("cmdProcs"), {QStringLiteral("Select Procedure(s)"), QStringLiteral("Cancel")},
        QStringLiteral(":ProcedureListForm"), QSize(560, 480)};
    auto chooser = std::make_unique<ChooserDialog>(look, ini, parent);
    QStringList paths;
    for (const QString& file : files) {
        if (file != aids::kAllFilesMarker) {
            paths << file;
            continue;
        }
        paths.clear();
        for (const model::FilePtr& projectFile : projectFiles)
            paths << projectFile->filePath;
        break;
    }
    for (const QString& path : paths)
        for (const model::RoutinePtr& routine : model::splitFileIntoRoutines(path, reader))
            chooser->addEntry(model::listText(*routine), routine->uniqueKey);
    return chooser;
}

QStringList chosenProcedures(const ChooserDialog& procedureChooser)
{
    QStringList keys;
    for (const QVariant& data : procedureChooser.chosenData())
        keys << data.toString();
    return keys;
}

aids::TargetSelection chooseTargets(const ChooserInputs& inputs, bool showProcedures, QWidget* owner)
{
    aids::TargetSelection selection;
    const std::unique_ptr<ChooserDialog> files =
        makeFileChooser(inputs.projectFileList, showProcedures, inputs.ini, owner);
    const int result = files->exec();
    if (result == ChooserCancelled)
        return selection;
    selection.files = chosenFiles(*files, inputs.projectFiles);
    if (result != ChooserShowProcedures)
        return selection;
    const std::unique_ptr<ChooserDialog> procedures =
        makeProcedureChooser(selection.files, inputs.projectFiles, inputs.reader, inputs.ini, owner);
    if (procedures->exec() == ChooserSelected)
        selection.procedures = chosenProcedures(*procedures);
    return selection;
}

} // namespace quillon::ui
