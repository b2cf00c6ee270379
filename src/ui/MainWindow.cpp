#include "ui/MainWindow.h"

#include "config/Session.h"
#include "formimage/ProjectRun.h"
#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "print/OutputFiles.h"
#include "print/OutputParts.h"
#include "print/PageSetup.h"
#include "print/PrintRun.h"
#include "print/TocText.h"
#include "ui/RestoreMessagesMenu.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillon::ui {

using namespace quillon::model;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

namespace {

const QString kBuildingIndex = QStringLiteral("Building Dependency Index");

QString ChooseProjectFileWithDialog(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder, QStringLiteral("Visual Basic Project Files(*.VBP)"));
}

QString ChooseSaveFileWithDialog(QWidget* parent, const QString& folder, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Print Output As"), QDir(folder).filePath(suggested),
                                        QStringLiteral("PDF Files (*.pdf)"));
}

// A plain list of the devices with OK and Cancel; the device name chosen, or empty.
QString ChoosePrinterWithDialog(QWidget* parent, const std::vector<platform::PrinterInfo>& printers,
                                const QString& current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Select Default Printer"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstPrinters"));
    for (const platform::PrinterInfo& printer : printers) {
        auto* item = new QListWidgetItem(printer.deviceName + QStringLiteral("  (") + printer.port + QLatin1Char(')'), list);
        item->setData(Qt::UserRole, printer.deviceName);
        if (EqualsNoCase(printer.deviceName, current))
            list->setCurrentItem(item);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    dialog.resize(420, 260);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return QString();
    return list->currentItem()->data(Qt::UserRole).toString();
}

bool SetCupsDefaultPrinter(const QString& deviceName)
{
    QProcess lpoptions;
    lpoptions.start(QStringLiteral("lpoptions"), {QStringLiteral("-d"), deviceName});
    return lpoptions.waitForFinished(5000) && lpoptions.exitStatus() == QProcess::NormalExit && lpoptions.exitCode() == 0;
}

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

MainWindow::MainWindow(config::Session& session, platform::IMessageBox& box, SurfaceFactory surfaces, QWidget* parent)
    : QMainWindow(parent), session_(session), box_(box), surfaces_(std::move(surfaces)), toc_(session.ini)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillon"));
    project_.status = this;
    project_.messages = &box_;
    project_.analysis = &analysis_;
    project_.RefreshTableOfContents = [this](Project& loaded) {
        if (!toc_.Open(loaded.ProjectPath))
            return; // printing then finds no table of contents data and says so
        toc_.Index(loaded);
        toc_.CheckStaleKeys(loaded, box_);
    };
    project_.FilesListed = [this](Project&) { ShowFiles(); };
    lists_ = std::make_unique<print::ProcedureLists>(project_, &analysis_.dependencies, &box_);

    ChooseProjectFileDialog = [this](const QString& folder) { return ChooseProjectFileWithDialog(this, folder); };
    ChooseSaveFileDialog = [this](const QString& folder, const QString& name) {
        return ChooseSaveFileWithDialog(this, folder, name);
    };
    ChoosePrinterDialog = [this](const std::vector<platform::PrinterInfo>& printers, const QString& current) {
        return ChoosePrinterWithDialog(this, printers, current);
    };
    MakeSystemDefaultPrinter = SetCupsDefaultPrinter;

    BuildControls();
    BuildMenus();
    RestorePosition();
    RefreshOutputTarget();
    LockLists(true);
    SetStatus(QStringLiteral("Use menu File|Open to load a ") + QStringLiteral("project .vbp file"));
}

MainWindow::~MainWindow()
{
    project_.status = nullptr;
}

void MainWindow::BuildControls()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(8);

    lblSource_ = new QLabel(QStringLiteral("Source:  TBD"), central);
    lblSource_->setObjectName(QStringLiteral("lblSource"));
    lblSource_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(lblSource_);

    const std::array<QString, 3> listNames{QStringLiteral("lstFiles"), QStringLiteral("lstProcedures"),
                                           QStringLiteral("lstSelected")};
    const std::array<QString, 3> captions{QStringLiteral("Project File List"), QStringLiteral("Project Procedure List"),
                                          QStringLiteral("Print Queue")};
    const std::array<QString, 3> processCaptions{
        QStringLiteral("Add All Procedures from Selected File(s) to the Procedures List"),
        QStringLiteral("Add All Selected Procedures to Print Queue"), QStringLiteral("Send Selected Procedures To")};
    std::array<QListWidget*, 3> lists{};
    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        auto* label = new QLabel(captions[size_t(i)], central);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        column->addWidget(label);
        auto* list = new QListWidget(central);
        list->setObjectName(listNames[size_t(i)]);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setMinimumWidth(i == 0 ? 220 : 360);
        list->setMinimumHeight(300);
        label->setBuddy(list);
        column->addWidget(list, 1);
        lists[size_t(i)] = list;
        auto* pair = new QHBoxLayout;
        cmdSelectAll_[size_t(i)] = Button(QStringLiteral("Select All"), QStringLiteral("cmdSelectAll"), central);
        cmdUnselectAll_[size_t(i)] = Button(QStringLiteral("Unselect All"), QStringLiteral("cmdUnselectAll"), central);
        for (QPushButton* b : {cmdSelectAll_[size_t(i)], cmdUnselectAll_[size_t(i)]}) {
            b->setProperty("index", i);
            pair->addWidget(b);
        }
        column->addLayout(pair);
        if (i == 2) {
            fraDep_ = new QGroupBox(QStringLiteral("Dependency Reports"), central);
            fraDep_->setObjectName(QStringLiteral("fraDep"));
            auto* dep = new QGridLayout(fraDep_);
            chkDep_ = new QCheckBox(QStringLiteral("Include Dependency Reports"), fraDep_);
            chkDep_->setObjectName(QStringLiteral("chkDep"));
            cmdDep_ = Button(QStringLiteral("Add/Remove All Dependency Reports"), QStringLiteral("cmdDep"), fraDep_);
            cmdKeepOnly_ = Button(QStringLiteral("Keep Only Dependency Reports"), QStringLiteral("cmdKeepOnly"), fraDep_);
            dep->addWidget(chkDep_, 0, 0, 1, 2);
            dep->addWidget(cmdDep_, 1, 0);
            dep->addWidget(cmdKeepOnly_, 1, 1);
            column->addWidget(fraDep_);
        }
        auto* process = Button(processCaptions[size_t(i)], QStringLiteral("cmdProcessSelection"), central);
        process->setProperty("index", i);
        process->setMinimumHeight(34);
        cmdProcessSelection_[size_t(i)] = process;
        column->addWidget(process);
        columns->addLayout(column, i == 0 ? 1 : 3);
    }
    lstFiles_ = lists[0];
    lstProcedures_ = lists[1];
    lstSelected_ = lists[2];
    outer->addLayout(columns, 1);

    lblTarget_ = new QLabel(central);
    lblTarget_->setObjectName(QStringLiteral("lblTarget"));
    lblTarget_->setWordWrap(true);
    outer->addWidget(lblTarget_);

    auto* bottom = new QHBoxLayout;
    lblStatus_ = new QLabel(central);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setFrameShadow(QFrame::Sunken);
    lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStatus_->setWordWrap(true);
    lblStatus_->setMargin(4);
    lblStatus_->setMinimumHeight(lblStatus_->fontMetrics().lineSpacing() * 6 + 10);
    lblStatus_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bottom->addWidget(lblStatus_, 1);
    cmdExit_ = Button(QStringLiteral("Exit"), QStringLiteral("cmdExit"), central);
    cmdExit_->setMinimumWidth(90);
    bottom->addWidget(cmdExit_, 0, Qt::AlignBottom);
    outer->addLayout(bottom);
    setCentralWidget(central);

    tmrMain_ = new QTimer(this);
    tmrMain_->setObjectName(QStringLiteral("tmrMain"));
    tmrMain_->setInterval(400);

    for (int i = 0; i < 3; ++i) {
        connect(cmdProcessSelection_[size_t(i)], &QPushButton::clicked, this, [this, i] { ProcessSelection(i); });
        connect(cmdSelectAll_[size_t(i)], &QPushButton::clicked, this, [this, i] { SelectAll(i); });
        connect(cmdUnselectAll_[size_t(i)], &QPushButton::clicked, this, [this, i] { UnselectAll(i); });
    }
    connect(lstFiles_, &QListWidget::itemSelectionChanged, this, [this] { FileSelectionChanged(); });
    connect(lstProcedures_, &QListWidget::itemSelectionChanged, this, [this] { RefreshListButtons(); });
    connect(lstSelected_, &QListWidget::itemSelectionChanged, this, [this] { QueueSelectionChanged(); });
    connect(chkDep_, &QCheckBox::toggled, this, [this](bool checked) { DependencyBoxChanged(checked); });
    connect(cmdDep_, &QPushButton::clicked, this, [this] {
        chkDep_->toggle();
        lstSelected_->setFocus();
    });
    connect(cmdKeepOnly_, &QPushButton::clicked, this, [this] { KeepOnlyDependencyReports(); });
    connect(cmdExit_, &QPushButton::clicked, this, &QWidget::close);
    connect(tmrMain_, &QTimer::timeout, this, [this] { AnimateIndexStatus(); });
    resize(1340, 760);
}

void MainWindow::BuildMenus()
{
    auto add = [this](QMenu* menu, const QString& caption, const QString& name, bool enabled = true) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setEnabled(enabled);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileOpen_ = add(file, QStringLiteral("&Open"), QStringLiteral("mnuFileOpen"));
    connect(mnuFileOpen_, &QAction::triggered, this, [this] { OpenProjectCommand(); });
    mnuRestoreMessages = file->addMenu(QStringLiteral("&Restore Messages"));
    restoreMenu_ = new RestoreMessagesMenu(mnuRestoreMessages, session_.messages, file, this);
    QMenu* print = file->addMenu(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("mnuFilePrint"));
    connect(add(print, QStringLiteral("Select Default &Printer"), QStringLiteral("mnuSelectPrinter")),
            &QAction::triggered, this, [this] { SelectDefaultPrinter(); });
    mnuPrintToc_ = add(print, QStringLiteral("Project &TOC"), QStringLiteral("mnuPrintToc"), false);
    connect(mnuPrintToc_, &QAction::triggered, this, [this] { PrintTableOfContents(); });
    connect(add(print, QStringLiteral("User& Manual"), QStringLiteral("mnuPrintManual")), &QAction::triggered, this,
            [this] { ConfirmPrintUserManual(); });
    // The options dialog is not built yet.
    add(file, QStringLiteral("&User Options"), QStringLiteral("mnuUserOptions"), false);
    file->addSeparator();
    connect(add(file, QStringLiteral("Exit"), QStringLiteral("mnuFileExit")), &QAction::triggered, this, &QWidget::close);

    // The aids that rewrite source files are not built yet: their entries are shown disabled.
    QMenu* aids = menuBar()->addMenu(QStringLiteral("Developer Aids"));
    aids->setObjectName(QStringLiteral("mnuDevAids"));
    add(aids, QStringLiteral("Restore Edited File/Procedure"), QStringLiteral("mnuRestoreEdited"), false);
    QMenu* fileHeader = aids->addMenu(QStringLiteral("Insert &File Header"));
    connect(add(fileHeader, QStringLiteral("View/Edit Template"), QStringLiteral("mnuFileHeaderTemplate")),
            &QAction::triggered, this, [this] { CodingStillToCome(); });
    add(fileHeader, QStringLiteral("Insert File Header"), QStringLiteral("mnuInsertFileHeader"), false);
    QMenu* procHeader = aids->addMenu(QStringLiteral("Insert Procedure &Header"));
    connect(add(procHeader, QStringLiteral("View/Edit Template"), QStringLiteral("mnuProcHeaderTemplate")),
            &QAction::triggered, this, [this] { CodingStillToCome(); });
    add(procHeader, QStringLiteral("Insert Procedure Header"), QStringLiteral("mnuInsertProcHeader"), false);
    QMenu* indent = aids->addMenu(QStringLiteral("&Indent Code Lines"));
    add(indent, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuIndentRules"), false);
    add(indent, QStringLiteral("Execute Indent"), QStringLiteral("mnuExecuteIndent"), false);
    QMenu* wrap = aids->addMenu(QStringLiteral("&Wrap Too Long Lines"));
    add(wrap, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuWrapRules"), false);
    add(wrap, QStringLiteral("Execute Wrap"), QStringLiteral("mnuExecuteWrap"), false);
    add(aids, QStringLiteral("&Shrink Multiple  Blank Lines to 1"), QStringLiteral("mnuShrinkBlankLines"), false);
    add(aids, QStringLiteral("Move All Procedure Dimension Statements"), QStringLiteral("mnuMoveDims"), false);
    add(aids, QStringLiteral("Sort File Procedures"), QStringLiteral("mnuSortProcedures"), false);
    add(aids, QStringLiteral("Spell Check Literals"), QStringLiteral("mnuSpellCheck"), false);
    QMenu* numbering = aids->addMenu(QStringLiteral("Line Numbering"));
    add(numbering, QStringLiteral("Add Line Numbers"), QStringLiteral("mnuAddLineNumbers"), false);
    add(numbering, QStringLiteral("Remove Line Numbers"), QStringLiteral("mnuRemoveLineNumbers"), false);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    connect(add(help, QStringLiteral("&About"), QStringLiteral("mnuHelpAbout")), &QAction::triggered, this, [this] {
        if (ShowAbout)
            ShowAbout();
    });
    connect(add(help, QStringLiteral("&Display User Manual"), QStringLiteral("mnuHelpManual")), &QAction::triggered,
            this, [this] {
                if (DisplayUserManual)
                    DisplayUserManual();
            });
    connect(add(help, QStringLiteral("&Support"), QStringLiteral("mnuHelpSupport")), &QAction::triggered, this, [this] {
        if (ShowSupport)
            ShowSupport();
    });
}

QAction* MainWindow::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void MainWindow::RefreshRestoreMenu()
{
    restoreMenu_->Refresh();
}

void MainWindow::CodingStillToCome()
{
    box_.ShowMessage(MessageIcon::Information, QStringLiteral("Coding Still To Come"),
                     QStringLiteral("Operations still to be coded"));
}

// ---------------------------------------------------------------------------------------------
// Status

void MainWindow::ShowStatus(const QString& text)
{
    SetStatus(text);
    // The load runs on this thread: the label only repaints, and the timer only ticks, when
    // pending events get their turn.
    QCoreApplication::processEvents();
}

void MainWindow::SetStatus(const QString& text)
{
    statusText_ = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lblStatus_->setText(shown);
}

void MainWindow::AnimateIndexStatus()
{
    const qsizetype at = statusText_.indexOf(kBuildingIndex);
    if (at < 0)
        return;
    ++indexTicks_;
    SetStatus(statusText_.left(at) + kBuildingIndex + QLatin1Char(' ') + QString::number(indexTicks_));
}

// ---------------------------------------------------------------------------------------------
// File | Open

void MainWindow::OpenProjectCommand()
{
    if (loading_)
        return;
    config::Warning warning;
    warning.key = QStringLiteral("Uncompiled VBP Warning");
    warning.title = QStringLiteral("UNCOMPILED PROJECT WARNING");
    warning.icon = QStringLiteral("!");
    warning.text = QStringLiteral("If the VBP project you ") + QStringLiteral("are selecting to load has not been successfully, compiled, ")
        + QStringLiteral("Quillon may respond unexpectedly, including failing without ")
        + QStringLiteral("notice or silently providing invalid results.");
    warning.buttons = {QStringLiteral("Close")};
    session_.messages.Ask(warning);
    // A cancelled dialog leaves the loaded project as it was, printable without a reload.
    const QString path = ChooseProjectFile();
    if (!path.isEmpty())
        OpenProject(path);
}

QString MainWindow::ChooseProjectFile()
{
    const QString folder = session_.options.Text(config::opt::VBPFolder);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        box_.ShowMessage(MessageIcon::Critical, QStringLiteral("File Open Failure"),
                         QStringLiteral("Unable to find or create the VBP directory ") + folder);
        return QString();
    }
    const QString chosen = ChooseProjectFileDialog ? ChooseProjectFileDialog(folder) : QString();
    if (chosen.isEmpty())
        return QString();
    session_.options.Set(config::opt::VBPFolder, QFileInfo(chosen).absolutePath() + QLatin1Char('/'));
    session_.options.Save();
    return chosen;
}

bool MainWindow::OpenProject(const QString& vbpPath)
{
    if (loading_ || printing_)
        return false;
    loading_ = true;
    mnuFileOpen_->setEnabled(false);
    indexTicks_ = 0;
    tmrMain_->start();
    const Project::OpenOutcome outcome = project_.OpenProject(vbpPath);
    tmrMain_->stop();
    loading_ = false;
    mnuFileOpen_->setEnabled(true);
    if (outcome == Project::OpenOutcome::Missing || outcome == Project::OpenOutcome::Busy) {
        LockLists(true);
        return false;
    }
    // The lists model starts afresh over the new file list; its status text continues the load's.
    lists_->ProgramStatus = statusText_;
    LockLists(true);
    return true;
}

// Called by the load once the file list is read: the lists are emptied, the files shown, and
// the lists stay locked until the routines are loaded.
void MainWindow::ShowFiles()
{
    const QSignalBlocker blockDep(chkDep_);
    chkDep_->setChecked(false);
    lists_ = std::make_unique<print::ProcedureLists>(project_, &analysis_.dependencies, &box_, project_.reader());
    lists_->AggregateMode = session_.options.AggregateMode();
    includeAllFiles_ = false;
    showingRows_ = true;
    lstFiles_->clear();
    lstProcedures_->clear();
    lstSelected_->clear();
    for (size_t i = 0; i < project_.ProjectFileList.size(); ++i) {
        auto* item = new QListWidgetItem(project_.ProjectFileList[i]->FileName, lstFiles_);
        item->setData(Qt::UserRole, int(i + 1));
        item->setToolTip(project_.ProjectFileList[i]->FilePath);
    }
    showingRows_ = false;
    lblSource_->setText(QStringLiteral("Source:") + project_.ProjectPath);
    mnuPrintToc_->setEnabled(true);
    LockLists(false);
}

// ---------------------------------------------------------------------------------------------
// The lists

void MainWindow::ShowRows(QListWidget* list, const std::vector<print::ListRow>& rows)
{
    showingRows_ = true;
    list->clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QListWidgetItem(rows[i].text, list);
        item->setData(Qt::UserRole, int(i + 1));
        item->setSelected(rows[i].selected);
    }
    showingRows_ = false;
}

// The widgets' selections into the model, by each entry's item data.
void MainWindow::ReadSelection()
{
    auto read = [](QListWidget* list, auto&& mark) {
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            mark(size_t(item->data(Qt::UserRole).toInt() - 1), item->isSelected());
        }
    };
    read(lstFiles_, [this](size_t i, bool on) {
        if (i < lists_->FileSelected.size())
            lists_->FileSelected[i] = on;
    });
    read(lstProcedures_, [this](size_t i, bool on) {
        if (i < lists_->Procedures.size())
            lists_->Procedures[i].selected = on;
    });
    read(lstSelected_, [this](size_t i, bool on) {
        if (i < lists_->Queue.size())
            lists_->Queue[i].selected = on;
    });
}

void MainWindow::ProcessSelection(int index)
{
    if (loading_ || printing_)
        return;
    ReadSelection();
    if (index == 0) {
        lists_->IncludeAllFiles = includeAllFiles_;
        const int added = lists_->FillProcedures();
        ShowRows(lstProcedures_, lists_->Procedures);
        if (added > 0)
            SetStatus(lists_->StatusLine);
    } else if (index == 1) {
        const bool hadProcedures = lists_->ProceduresFilled && !lists_->Procedures.empty();
        const int queued = lists_->BuildQueue();
        if (hadProcedures)
            ShowRows(lstSelected_, lists_->Queue);
        if (queued > 0)
            SetStatus(lists_->StatusLine);
    } else if (index == 2) {
        PrintQueue();
    }
    RefreshListButtons();
}

void MainWindow::SelectAll(int list)
{
    QListWidget* widget = std::array<QListWidget*, 3>{lstFiles_, lstProcedures_, lstSelected_}[size_t(list)];
    widget->selectAll();
    RefreshListButtons();
}

void MainWindow::UnselectAll(int list)
{
    QListWidget* widget = std::array<QListWidget*, 3>{lstFiles_, lstProcedures_, lstSelected_}[size_t(list)];
    widget->clearSelection();
    RefreshListButtons();
}

void MainWindow::FileSelectionChanged()
{
    if (showingRows_)
        return;
    // A new choice of files makes the procedure list stale until it is filled again.
    lists_->Procedures.clear();
    ShowRows(lstProcedures_, lists_->Procedures);
    RefreshListButtons();
}

void MainWindow::QueueSelectionChanged()
{
    if (showingRows_)
        return;
    ReadSelection();
    RefreshListButtons();
    if (lstSelected_->count() > 0)
        chkDep_->setEnabled(true);
}

void MainWindow::DependencyBoxChanged(bool checked)
{
    ReadSelection();
    lists_->SetDependencyReports(checked);
    ShowRows(lstProcedures_, lists_->Procedures);
    ShowRows(lstSelected_, lists_->Queue);
    SetStatus(lists_->StatusLine);
    RefreshListButtons();
}

void MainWindow::KeepOnlyDependencyReports()
{
    ReadSelection();
    lists_->KeepOnlyDependencyReports();
    ShowRows(lstSelected_, lists_->Queue);
    RefreshListButtons();
}

void MainWindow::RefreshListButtons()
{
    const bool locked = !lstFiles_->isEnabled();
    const std::array<QListWidget*, 3> lists{lstFiles_, lstProcedures_, lstSelected_};
    for (size_t i = 0; i < 3; ++i) {
        const bool any = lists[i]->count() > 0 && !locked;
        cmdSelectAll_[i]->setEnabled(any);
        cmdUnselectAll_[i]->setEnabled(any);
    }
    // Each step is offered once the list it works on has entries.
    cmdProcessSelection_[0]->setEnabled(!locked && lstFiles_->count() > 0);
    cmdProcessSelection_[1]->setEnabled(!locked && lstProcedures_->count() > 0);
    cmdProcessSelection_[2]->setEnabled(!locked && lists_->SendEnabled && lstSelected_->count() > 0);
}

void MainWindow::LockLists(bool enable)
{
    for (QListWidget* list : {lstFiles_, lstProcedures_, lstSelected_})
        list->setEnabled(enable);
    fraDep_->setEnabled(enable && !project_.ProjectFileList.empty());
    RefreshListButtons();
}

// ---------------------------------------------------------------------------------------------
// Printing

void MainWindow::PrintQueue()
{
    if (project_.ProjectChanged(project_.ProjectPath))
        return;
    printing_ = true;
    LockLists(false);
    if (SpoolEstimator)
        SpoolEstimator->OfferReestimate(box_, {session_.options.Text(config::opt::FontName),
                                               session_.options.Text(config::opt::FontSize).toDouble()});
    RunQueue(lists_->Queue, FileBaseName(project_.ProjectPath), true);
    ShowRows(lstSelected_, lists_->Queue); // a batch run unselects what it sent
    printing_ = false;
    LockLists(true);
}

void MainWindow::PrintTableOfContents()
{
    if (loading_ || printing_)
        return;
    const bool suppressNotes = print::AskSuppressTocNotes(session_.messages);
    const print::TocFile file =
        print::PrepareTableOfContents(toc_, project_, box_, suppressNotes, &DiagLog::Default());
    if (!file.ok())
        return;
    printing_ = true;
    LockLists(false);
    std::vector<print::ListRow> queue{{print::MakeTocRoutine(file), QStringLiteral("Table of Contents"), true}};
    RunQueue(queue, FileBaseName(project_.ProjectPath) + QStringLiteral(" TOC"), false);
    print::RemoveTocFile(file);
    printing_ = false;
    LockLists(true);
}

void MainWindow::RunQueue(std::vector<print::ListRow>& queue, const QString& runName, bool withHistory)
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    if (!surface)
        return;
    print::PageSetup setup = print::PageSetup::FromOptions(session_.options);
    print::PrintDevice printer(*surface, setup);
    printer.ApplyPageSetup();
    print::PrintRun run(*surface, setup, session_.options, session_.messages, box_, &DiagLog::Default());
    formimage::ProjectRunWiring wiring(run, project_, analysis_, setup, session_.options, project_.reader(), &box_,
                                       surfaces_);
    run.ProjectName = runName;
    print::TocListHistory history(toc_);
    if (withHistory && toc_.IsOpen())
        run.History = &history;
    if (surface->IsFileTarget()) {
        const QString folder = session_.options.Text(config::opt::OutputFolder);
        run.OutputPath = QDir(folder).filePath(print::SuggestedOutputName(runName, printer.now()));
        run.ChooseOutputFile = [this, folder](const print::OutputFileRequest& request) {
            const QString from = request.previous.isEmpty() ? folder : QFileInfo(request.previous).absolutePath();
            return ChooseSaveFileDialog ? ChooseSaveFileDialog(from, FileNameOf(request.suggested)) : QString();
        };
    }
    run.CopyToClipboard = [](const QString& text) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text);
    };
    run.Status = [this](const QString& text) { ShowStatus(text); };
    run.StatusSink = this;
    const print::RunResult result = run.RunPrintQueue(queue);
    if (!result.report.isEmpty())
        SetStatus(result.report);
    else if (!result.status.isEmpty())
        SetStatus(result.status);
}

void MainWindow::RefreshOutputTarget()
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    QString device;
    if (surface) {
        print::PageSetup setup = print::PageSetup::FromOptions(session_.options);
        print::PrintDevice printer(*surface, setup);
        printer.ApplyPageSetup();
        device = surface->CurrentDevice().deviceName;
        targetDescription_ = printer.OutputTargetDescription();
    }
    cmdProcessSelection_[2]->setText(QStringLiteral("Send Selected Procedures To ") + device);
    lblTarget_->setText(QStringLiteral("Send To Target ( ") + targetDescription_);
}

void MainWindow::SelectDefaultPrinter()
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    if (!surface || !ChoosePrinterDialog)
        return;
    const QString chosen = ChoosePrinterDialog(surface->Printers(), session_.options.Text(config::opt::DeviceName));
    if (chosen.isEmpty())
        return;
    print::PageSetup setup = print::PageSetup::FromOptions(session_.options);
    print::PrintDevice printer(*surface, setup);
    if (!printer.SelectOutputDevice(chosen))
        return;
    if (session_.options.Bool(config::opt::PrinterScope)
        && !(MakeSystemDefaultPrinter && MakeSystemDefaultPrinter(setup.DeviceName)))
        box_.ShowMessage(MessageIcon::Exclamation, QStringLiteral("Default Printer Not Changed"),
                         QStringLiteral("The printer was selected for this program, but ")
                             + QStringLiteral("Windows did not accept changing the default printer."));
    session_.options.Set(config::opt::DeviceName, setup.DeviceName);
    session_.options.Set(config::opt::DriverName, setup.DriverName);
    session_.options.Set(config::opt::PrinterPort, setup.PrinterPort);
    session_.options.Save();
    RefreshOutputTarget();
}

void MainWindow::ConfirmPrintUserManual()
{
    const QString text = targetDescription_ + kCrLf + kCrLf + QStringLiteral("Do you want to ")
        + QStringLiteral("continue to send the User Manual to this output target?  If not, ")
        + QStringLiteral("click <No> to exit and then use ") + Quote(QStringLiteral("File | Print | SelectDefaultPrinter"))
        + QStringLiteral(" to change the ") + QStringLiteral("output target.");
    if (box_.ShowMessage(MessageIcon::Question, QStringLiteral("Confirm Output Target"), text, MessageButtons::YesNo)
        == MessageResult::Yes
        && PrintUserManual)
        PrintUserManual();
}

// ---------------------------------------------------------------------------------------------
// Keys and closing

void MainWindow::HelpRequested()
{
    QWidget* focused = focusWidget();
    QString section = QStringLiteral("Table of Contents");
    if (focused == lstFiles_)
        section = QStringLiteral("Section 2.1.1 - File List");
    else if (focused == lstProcedures_)
        section = QStringLiteral("Section 2.1.2 - Procedure List");
    else if (focused == lstSelected_)
        section = QStringLiteral("Section 2.1.3 - Print Queue");
    SetStatus(QStringLiteral("F1 Help: See User Manual ") + section);
    if (DisplayUserManual)
        DisplayUserManual();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        HelpRequested();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (loading_ || printing_) {
        // The work below the status line still holds the project and the surface.
        event->ignore();
        return;
    }
    session_.options.SetBool(config::opt::ColorDefaultNoteSeen, true);
    session_.options.Save();
    const QString section = config::SectionName(QStringLiteral(":MainForm"));
    session_.ini.write(section, QStringLiteral("Top"), QString::number(pos().y()));
    session_.ini.write(section, QStringLiteral("Left"), QString::number(pos().x()));
    event->accept();
}

void MainWindow::RestorePosition()
{
    const QString section = config::SectionName(QStringLiteral(":MainForm"));
    bool topOk = false;
    bool leftOk = false;
    const double top = session_.ini.read(section, QStringLiteral("Top"), QString()).toDouble(&topOk);
    const double left = session_.ini.read(section, QStringLiteral("Left"), QString()).toDouble(&leftOk);
    if (topOk && leftOk)
        move(KeptOnScreen(QPoint(int(left), int(top)), size(), AvailableScreenOf(this)));
}

} // namespace quillon::ui
