#include "ui/MainWindow.h"

#include "aids/CodeIndent.h"
#include "aids/CodeWrap.h"
#include "aids/HeaderTemplates.h"
#include "aids/LineNumbers.h"
#include "aids/ProcedureSort.h"
#include "aids/ProjectHeaderFacts.h"
#include "aids/SpellCheck.h"
#include "analysis/UsageAnalysis.h"
#include "config/PageSetup.h"
#include "config/Session.h"
#include "formimage/ProjectPrintConfig.h"
#include "html/SiteMap.h"
#include "html/SiteWriter.h"
#include "model/DiagLog.h"
#include "model/TextPrimitives.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "platform/ReplacementFile.h"
#include "platform/SpellChecker.h"
#include "print/InsightReport.h"
#include "print/OutputFiles.h"
#include "print/PrintRun.h"
#include "print/SpoolSize.h"
#include "print/TocText.h"
#include "ui/AidRulesDialog.h"
#include "ui/BackgroundWork.h"
#include "ui/NamedControls.h"
#include "ui/OptionsDialog.h"
#include "ui/OverwriteBackupDialog.h"
#include "ui/Periphery.h"
#include "ui/PrinterChoice.h"
#include "ui/RestoreBackupsDialog.h"
#include "ui/RestoreMessagesMenu.h"
#include "ui/SpellingDialog.h"
#include "ui/TargetChoosers.h"
#include "ui/TemplateEditorDialog.h"
#include "ui/WindowPlacement.h"
#include "ui/WrapRulesDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
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
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <optional>

namespace quillon::ui {

using namespace quillon::model;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageId;
using platform::MessageResult;

namespace {

const QString kBuildingIndex = QStringLiteral("Building Dependency Index");

QString chooseProjectFileWithDialog(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder, QStringLiteral("Visual Basic Project Files(*.VBP)"));
}

QString chooseSaveFileWithDialog(QWidget* parent, const QString& folder, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Print Output As"),
        QDir(folder).filePath(suggested), QStringLiteral("PDF Files (*.pdf)"));
}

QString chooseSiteFolderWithDialog(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, QStringLiteral("Export HTML: Choose the Site's Folder"), folder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool setCupsDefaultPrinter(const QString& deviceName)
{
    QProcess lpoptions;
    lpoptions.start(QStringLiteral("lpoptions"), {QStringLiteral("-d"), deviceName});
    return lpoptions.waitForFinished(5000) && lpoptions.exitStatus() == QProcess::NormalExit
        && lpoptions.exitCode() == 0;
}

QAction* menuEntry(QMenu* menu, const QString& caption, const QString& name, bool enabled = true)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

} // namespace

MainWindow::MainWindow(config::Session& session, platform::IMessageBox& box, SurfaceFactory surfaces, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      box_(box),
      workBox_(box, this),
      surfaces_(std::move(surfaces)),
      toc_(session.ini)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillon"));
    project_.status = this;
    project_.messages = &workBox_;
    project_.analysis = &analysis_;
    project_.refreshTableOfContents = [this](Project& loaded) {
        if (!toc_.open(loaded.projectPath))
            return; // printing then finds no table of contents data and says so
        toc_.index(loaded);
        toc_.checkStaleKeys(loaded, workBox_);
    };
    project_.filesListed = [this](Project&) { platform::callOnThreadOf(this, [this] { showFiles(); }); };
    lists_ = std::make_unique<print::ProcedureLists>(project_, &analysis_.dependencies, &box_);

    chooseProjectFileDialog = [this](const QString& folder) { return chooseProjectFileWithDialog(this, folder); };
    chooseSaveFileDialog = [this](const QString& folder, const QString& name) {
        return chooseSaveFileWithDialog(this, folder, name);
    };
    chooseSiteFolderDialog = [this](const QString& folder) { return chooseSiteFolderWithDialog(this, folder); };
    openInBrowser = [](const QUrl& page) { return QDesktopServices::openUrl(page); };
    choosePrinterDialog = [this](const std::vector<platform::PrinterInfo>& printers, const QString& current) {
        return choosePrinterWithDialog(this, printers, current, QStringLiteral("Select Default Printer"));
    };
    makeSystemDefaultPrinter = setCupsDefaultPrinter;
    chooseTargetsDialog = [this](bool showProcedures) {
        return chooseTargets(
            {*filesList_, project_.projectFileList, project_.reader(), session_.ini}, showProcedures, this);
    };
    overwriteQuestionDialog = overwriteQuestion(this);
    showLinesLeftDialog = [this](const QString& title, const QString& caption, const QStringList& lines) {
        showLinesLeftAlone(title, caption, lines, this);
    };
    spellingDialog = [this](std::vector<aids::SpellFinding> findings, platform::ISpellChecker& checker) {
        const QString folder = optionsFolderOf(session_);
        SpellingDialog dialog(
            std::move(findings), checker, [folder](const QString& word) { return aids::addPersonalWord(folder, word); },
            box_, this);
        dialog.exec();
        return dialog.replacements();
    };
    userManualPath = platform::programDataFolder() + QStringLiteral("QLNUserManual.pdf");
    displayUserManual = [this] { openUserManual(box_, userManualPath); };

    buildControls();
    buildMenus();
    refreshDeveloperAidsMenu();
    restorePosition();
    refreshOutputTarget();
    lockLists(true);
    setStatus(QStringLiteral("Use menu File|Open to load a ") + QStringLiteral("project .vbp file"));
}

MainWindow::~MainWindow()
{
    project_.status = nullptr;
}

void MainWindow::buildControls()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(8);

    sourceLabel_ = new QLabel(QStringLiteral("Source:  TBD"), central);
    sourceLabel_->setObjectName(QStringLiteral("lblSource"));
    sourceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(sourceLabel_);

    std::array<QListWidget*, 3> lists {};
    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    for (int i = 0; i < 3; ++i)
        columns->addLayout(buildListColumn(i, central, lists[size_t(i)]), i == 0 ? 1 : 3);
    filesList_ = lists[0];
    proceduresList_ = lists[1];
    queueList_ = lists[2];
    outer->addLayout(columns, 1);

    targetLabel_ = new QLabel(central);
    targetLabel_->setObjectName(QStringLiteral("lblTarget"));
    targetLabel_->setWordWrap(true);
    outer->addWidget(targetLabel_);
    outer->addLayout(buildStatusRow(central));
    setCentralWidget(central);

    statusTimer_ = new QTimer(this);
    statusTimer_->setObjectName(QStringLiteral("tmrMain"));
    statusTimer_->setInterval(400);

    connectControls();
    resize(1340, 760);
}

QVBoxLayout* MainWindow::buildListColumn(int index, QWidget* parent, QListWidget*& list)
{
    static const char* const listNames[3] = {"lstFiles", "lstProcedures", "lstSelected"};
    static const char* const captions[3] = {"Project File List", "Project Procedure List", "Print Queue"};
    static const char* const processCaptions[3] = {"Add All Procedures from Selected File(s) to the Procedures List",
        "Add All Selected Procedures to Print Queue", "Send Selected Procedures To"};
    auto* column = new QVBoxLayout;
    auto* label = new QLabel(QString::fromLatin1(captions[index]), parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    column->addWidget(label);
    list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(listNames[index]));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setMinimumWidth(index == 0 ? 220 : 360);
    list->setMinimumHeight(300);
    label->setBuddy(list);
    column->addWidget(list, 1);
    if (index == 1) {
        unusedOnlyCheck_ = new QCheckBox(QStringLiteral("Show Only Unused Procedures"), parent);
        unusedOnlyCheck_->setObjectName(QStringLiteral("chkUnused"));
        unusedOnlyCheck_->setToolTip(QStringLiteral("Procedures that no call chain reaches from the start-up "
                                                    "routine, an event handler or a class's public procedures"));
        column->addWidget(unusedOnlyCheck_);
    }
    auto* pair = new QHBoxLayout;
    selectAllButtons_[size_t(index)] =
        namedButton(QStringLiteral("Select All"), QStringLiteral("cmdSelectAll"), parent);
    unselectAllButtons_[size_t(index)] =
        namedButton(QStringLiteral("Unselect All"), QStringLiteral("cmdUnselectAll"), parent);
    for (QPushButton* b : {selectAllButtons_[size_t(index)], unselectAllButtons_[size_t(index)]}) {
        b->setProperty("index", index);
        pair->addWidget(b);
    }
    column->addLayout(pair);
    if (index == 2)
        column->addWidget(buildDependencyBox(parent));
    auto* process =
        namedButton(QString::fromLatin1(processCaptions[index]), QStringLiteral("cmdProcessSelection"), parent);
    process->setProperty("index", index);
    process->setMinimumHeight(34);
    processButtons_[size_t(index)] = process;
    column->addWidget(process);
    return column;
}

QGroupBox* MainWindow::buildDependencyBox(QWidget* parent)
{
    dependencyBox_ = new QGroupBox(QStringLiteral("Dependency Reports"), parent);
    dependencyBox_->setObjectName(QStringLiteral("fraDep"));
    auto* dep = new QGridLayout(dependencyBox_);
    dependencyCheck_ = new QCheckBox(QStringLiteral("Include Dependency Reports"), dependencyBox_);
    dependencyCheck_->setObjectName(QStringLiteral("chkDep"));
    dependencyButton_ =
        namedButton(QStringLiteral("Add/Remove All Dependency Reports"), QStringLiteral("cmdDep"), dependencyBox_);
    keepOnlyButton_ =
        namedButton(QStringLiteral("Keep Only Dependency Reports"), QStringLiteral("cmdKeepOnly"), dependencyBox_);
    dep->addWidget(dependencyCheck_, 0, 0, 1, 2);
    dep->addWidget(dependencyButton_, 1, 0);
    dep->addWidget(keepOnlyButton_, 1, 1);
    return dependencyBox_;
}

QHBoxLayout* MainWindow::buildStatusRow(QWidget* parent)
{
    auto* bottom = new QHBoxLayout;
    statusLabel_ = new QLabel(parent);
    statusLabel_->setObjectName(QStringLiteral("lblStatus"));
    statusLabel_->setFrameShape(QFrame::StyledPanel);
    statusLabel_->setFrameShadow(QFrame::Sunken);
    statusLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusLabel_->setWordWrap(true);
    statusLabel_->setMargin(4);
    statusLabel_->setMinimumHeight(statusLabel_->fontMetrics().lineSpacing() * 6 + 10);
    statusLabel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bottom->addWidget(statusLabel_, 1);
    exitButton_ = namedButton(QStringLiteral("Exit"), QStringLiteral("cmdExit"), parent);
    exitButton_->setMinimumWidth(90);
    auto* side = new QVBoxLayout;
    progressBar_ = new QProgressBar(parent);
    progressBar_->setObjectName(QStringLiteral("prgWork"));
    progressBar_->setMinimumWidth(180);
    progressBar_->hide();
    cancelButton_ = namedButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), parent);
    cancelButton_->hide();
    side->addStretch(1);
    side->addWidget(progressBar_);
    side->addWidget(cancelButton_, 0, Qt::AlignRight);
    side->addWidget(exitButton_, 0, Qt::AlignRight);
    bottom->addLayout(side);
    return bottom;
}

void MainWindow::connectControls()
{
    for (int i = 0; i < 3; ++i) {
        connect(
            processButtons_[size_t(i)], &QPushButton::clicked, this, [this, i] { processSelection(ProcessStep(i)); });
        connect(selectAllButtons_[size_t(i)], &QPushButton::clicked, this, [this, i] { selectAll(i); });
        connect(unselectAllButtons_[size_t(i)], &QPushButton::clicked, this, [this, i] { unselectAll(i); });
    }
    connect(filesList_, &QListWidget::itemSelectionChanged, this, [this] { fileSelectionChanged(); });
    connect(proceduresList_, &QListWidget::itemSelectionChanged, this, [this] { refreshListButtons(); });
    connect(queueList_, &QListWidget::itemSelectionChanged, this, [this] { queueSelectionChanged(); });
    connect(dependencyCheck_, &QCheckBox::toggled, this, [this](bool checked) { dependencyBoxChanged(checked); });
    connect(unusedOnlyCheck_, &QCheckBox::toggled, this, [this](bool checked) { showUnusedOnly(checked); });
    connect(dependencyButton_, &QPushButton::clicked, this, [this] {
        dependencyCheck_->toggle();
        queueList_->setFocus();
    });
    connect(keepOnlyButton_, &QPushButton::clicked, this, [this] { keepOnlyDependencyReports(); });
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelPrintRun(); });
    connect(statusTimer_, &QTimer::timeout, this, [this] { animateIndexStatus(); });
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    fileOpenAction_ = menuEntry(file, QStringLiteral("&Open"), QStringLiteral("mnuFileOpen"));
    connect(fileOpenAction_, &QAction::triggered, this, [this] { openProjectCommand(); });
    restoreMessagesMenu = file->addMenu(QStringLiteral("&Restore Messages"));
    restoreMenu_ = new RestoreMessagesMenu(restoreMessagesMenu, session_.messages, file, this);
    QMenu* print = file->addMenu(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("mnuFilePrint"));
    connect(menuEntry(print, QStringLiteral("Select Default &Printer"), QStringLiteral("mnuSelectPrinter")),
        &QAction::triggered, this, [this] { selectDefaultPrinter(); });
    printTocAction_ = menuEntry(print, QStringLiteral("Project &TOC"), QStringLiteral("mnuPrintToc"), false);
    connect(printTocAction_, &QAction::triggered, this, [this] { printTableOfContents(); });
    printInsightAction_ =
        menuEntry(print, QStringLiteral("Project &Insight"), QStringLiteral("mnuPrintInsight"), false);
    connect(printInsightAction_, &QAction::triggered, this, [this] { printProjectInsight(); });
    connect(menuEntry(print, QStringLiteral("User& Manual"), QStringLiteral("mnuPrintManual")), &QAction::triggered,
        this, [this] { confirmPrintUserManual(); });
    exportHtmlAction_ =
        menuEntry(file, QStringLiteral("&Export HTML") + QChar(0x2026), QStringLiteral("mnuFileExportHtml"), false);
    connect(exportHtmlAction_, &QAction::triggered, this, [this] { exportHtml(); });
    connect(menuEntry(file, QStringLiteral("&User Options"), QStringLiteral("mnuUserOptions")), &QAction::triggered,
        this, [this] { showUserOptions(); });
    file->addSeparator();
    connect(menuEntry(file, QStringLiteral("Exit"), QStringLiteral("mnuFileExit")), &QAction::triggered, this,
        &QWidget::close);

    buildDeveloperAidsMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    connect(
        menuEntry(help, QStringLiteral("&About"), QStringLiteral("mnuHelpAbout")), &QAction::triggered, this, [this] {
            if (showAbout)
                showAbout();
        });
    connect(menuEntry(help, QStringLiteral("&Display User Manual"), QStringLiteral("mnuHelpManual")),
        &QAction::triggered, this, [this] {
            if (displayUserManual)
                displayUserManual();
        });
    connect(menuEntry(help, QStringLiteral("&Support"), QStringLiteral("mnuHelpSupport")), &QAction::triggered, this,
        [this] {
            if (showSupport)
                showSupport();
        });
}

void MainWindow::buildDeveloperAidsMenu()
{
    QMenu* aids = menuBar()->addMenu(QStringLiteral("Developer Aids"));
    aids->setObjectName(QStringLiteral("mnuDevAids"));
    restoreEditedAction_ =
        menuEntry(aids, QStringLiteral("Restore Edited File/Procedure"), QStringLiteral("mnuRestoreEdited"));
    connect(restoreEditedAction_, &QAction::triggered, this, [this] { showRestoreBackups(); });
    restoreEditedSeparator_ = aids->addSeparator();
    restoreEditedSeparator_->setObjectName(QStringLiteral("mnuRestoreEditedSeparator"));
    QMenu* fileHeader = aids->addMenu(QStringLiteral("Insert &File Header"));
    connect(menuEntry(fileHeader, QStringLiteral("View/Edit Template"), QStringLiteral("mnuFileHeaderTemplate")),
        &QAction::triggered, this, [this] { showTemplateEditor(aids::HeaderKind::File); });
    connect(menuEntry(fileHeader, QStringLiteral("Insert File Header"), QStringLiteral("mnuInsertFileHeader")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::InsertFileHeader); });
    QMenu* procHeader = aids->addMenu(QStringLiteral("Insert Procedure &Header"));
    connect(menuEntry(procHeader, QStringLiteral("View/Edit Template"), QStringLiteral("mnuProcHeaderTemplate")),
        &QAction::triggered, this, [this] { showTemplateEditor(aids::HeaderKind::Procedure); });
    connect(menuEntry(procHeader, QStringLiteral("Insert Procedure Header"), QStringLiteral("mnuInsertProcHeader")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::InsertProcedureHeader); });
    QMenu* indent = aids->addMenu(QStringLiteral("&Indent Code Lines"));
    connect(menuEntry(indent, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuIndentRules")), &QAction::triggered,
        this, [this] { showRulesWindow(indentRulesWindow()); });
    connect(menuEntry(indent, QStringLiteral("Execute Indent"), QStringLiteral("mnuExecuteIndent")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::Indent); });
    QMenu* wrap = aids->addMenu(QStringLiteral("&Wrap Too Long Lines"));
    connect(menuEntry(wrap, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuWrapRules")), &QAction::triggered,
        this, [this] { showWrapRules(); });
    connect(menuEntry(wrap, QStringLiteral("Execute Wrap"), QStringLiteral("mnuExecuteWrap")), &QAction::triggered,
        this, [this] { runSourceAid(aids::SourceAid::Wrap); });
    connect(
        menuEntry(aids, QStringLiteral("&Shrink Multiple  Blank Lines to 1"), QStringLiteral("mnuShrinkBlankLines")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::ShrinkBlankLines); });
    connect(menuEntry(aids, QStringLiteral("Move All Procedure Dimension Statements"), QStringLiteral("mnuMoveDims")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::MoveDims); });
    QMenu* sort = aids->addMenu(QStringLiteral("Sort File Procedures"));
    connect(menuEntry(sort, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuSortRules")), &QAction::triggered,
        this, [this] { showRulesWindow(sortRulesWindow()); });
    connect(menuEntry(sort, QStringLiteral("Execute Sort"), QStringLiteral("mnuSortProcedures")), &QAction::triggered,
        this, [this] { runSourceAid(aids::SourceAid::SortProcedures); });
    QMenu* spell = aids->addMenu(QStringLiteral("Spell Check Literals"));
    connect(menuEntry(spell, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuSpellRules")), &QAction::triggered,
        this, [this] {
            showRulesWindow(
                spellRulesWindow(platform::installedDictionaries(), session_.options.text(config::opt::SpellLanguage)));
        });
    connect(menuEntry(spell, QStringLiteral("Execute Spell Check"), QStringLiteral("mnuSpellCheck")),
        &QAction::triggered, this, [this] { spellCheckLiterals(); });
    QMenu* numbering = aids->addMenu(QStringLiteral("Line Numbering"));
    connect(menuEntry(numbering, QStringLiteral("View/Edit Rules"), QStringLiteral("mnuLineNumberRules")),
        &QAction::triggered, this, [this] { showRulesWindow(lineNumberRulesWindow()); });
    connect(menuEntry(numbering, QStringLiteral("Add Line Numbers"), QStringLiteral("mnuAddLineNumbers")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::AddLineNumbers); });
    connect(menuEntry(numbering, QStringLiteral("Remove Line Numbers"), QStringLiteral("mnuRemoveLineNumbers")),
        &QAction::triggered, this, [this] { runSourceAid(aids::SourceAid::RemoveLineNumbers); });
}

QAction* MainWindow::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void MainWindow::refreshRestoreMenu()
{
    restoreMenu_->refresh();
}

// ---------------------------------------------------------------------------------------------
// Developer Aids

aids::EditBackups MainWindow::editBackups() const
{
    aids::EditBackups backups = aids::EditBackups::forSession(session_, project_.reader());
    backups.askOverwrite = overwriteQuestionDialog;
    return backups;
}

void MainWindow::refreshDeveloperAidsMenu()
{
    const bool any = editBackups().hasBackups();
    restoreEditedAction_->setVisible(any);
    restoreEditedAction_->setEnabled(any);
    restoreEditedSeparator_->setVisible(any);
}

bool MainWindow::refusedWhileBusy()
{
    if (!busy())
        return false;
    box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Quillon"),
        QStringLiteral("A project is being loaded or printed.  Try again when that is done."));
    return true;
}

bool MainWindow::refusedWithoutProject()
{
    if (!project_.projectFileList.empty())
        return false;
    box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Quillon"), QStringLiteral("No project files loaded."));
    return true;
}

bool MainWindow::aidCanStart(aids::SourceAid aid, std::unique_ptr<platform::IPrintSurface>& surface)
{
    if (refusedWhileBusy())
        return false;
    if (refusedWithoutProject())
        return false;
    const QString nothingChanged = kCrLf + kCrLf + QStringLiteral("Nothing was changed.");
    if (const QString problem = editBackups().folderProblem(); !problem.isEmpty()) {
        box_.showMessage(MessageIcon::Critical, QStringLiteral("Backup Folder Unavailable"),
            QStringLiteral("Each file is copied to the backup folder before it is changed, and ") + problem
                + QLatin1Char('.') + nothingChanged
                + QStringLiteral("  The Project Folder is set in File | User Options."));
        return false;
    }
    // Wrapping measures lines as the printer prints them, on a surface that lives for the run.
    if (aid == aids::SourceAid::Wrap) {
        surface = surfaces_ ? surfaces_() : nullptr;
        if (!surface) {
            box_.showMessage(MessageIcon::Critical, QStringLiteral("Wrap Not Started"),
                QStringLiteral("Lines are measured in the printer font of the output target, and no printer or "
                               "PDF writer could be opened to measure them.")
                    + nothingChanged);
            return false;
        }
    }
    return true;
}

void MainWindow::removeLeftWorkFiles(const QStringList& files)
{
    QStringList notes;
    for (const QString& removed : platform::removeStaleWorkFiles(files, QDateTime::currentDateTime())) {
        QString note = platform::staleWorkFileNote(removed);
        note[0] = note[0].toUpper();
        notes.append(note);
    }
    if (!notes.isEmpty())
        setStatus(notes.join(kCrLf));
}

void MainWindow::runSourceAid(aids::SourceAid aid)
{
    std::unique_ptr<platform::IPrintSurface> surface;
    if (!aidCanStart(aid, surface))
        return;
    std::optional<aids::HeaderTemplate> headerTemplate;
    if (aid == aids::SourceAid::InsertFileHeader || aid == aids::SourceAid::InsertProcedureHeader) {
        const aids::HeaderKind kind =
            aid == aids::SourceAid::InsertFileHeader ? aids::HeaderKind::File : aids::HeaderKind::Procedure;
        model::Outcome<aids::HeaderTemplate> loaded = aids::loadHeaderTemplate(kind, optionsFolderOf(session_));
        if (!loaded) {
            box_.showMessage(MessageIcon::Critical, QStringLiteral("Template Not Usable"),
                QStringLiteral("The header template ")
                    + model::quote(QDir(optionsFolderOf(session_)).filePath(aids::templateFileName(kind)))
                    + QStringLiteral(" cannot be used: ") + loaded.error() + kCrLf + kCrLf
                    + QStringLiteral("Nothing was changed.  Mend it with View/Edit Template."));
            return;
        }
        headerTemplate = std::move(*loaded);
    }
    removeLeftWorkFiles(model::filePaths(project_.projectFileList));
    session_.messages.ask(aids::backupCreationNotice(session_.options.text(config::opt::ProjectFolder)));
    // A sort orders whole files, and a file header goes on a file: there are no procedures to choose.
    const bool procedures = aid != aids::SourceAid::SortProcedures && aid != aids::SourceAid::InsertFileHeader;
    const aids::TargetSelection selection =
        chooseTargetsDialog ? chooseTargetsDialog(procedures) : aids::TargetSelection();
    if (selection.isEmpty())
        return; // the chooser was cancelled
    aids::EditBackups backups = editBackups();
    const config::Options& options = session_.options;
    aids::AidRunner runner(backups, options.ideTabWidth());
    const aids::IndentRules indentRules = aids::indentRules(options);
    runner.setIndentRules(&indentRules);
    const aids::NumberingRules numberingRules = aids::numberingRules(options);
    runner.setNumberingRules(&numberingRules);
    const aids::ProcedureOrder order = aids::procedureOrder(options);
    runner.setProcedureOrder(&order);
    const aids::HeaderFacts facts =
        aids::projectHeaderFacts(project_, &analysis_.dependencies, options, QDate::currentDate());
    if (headerTemplate)
        runner.setHeaders(&*headerTemplate, &facts);
    std::optional<aids::LineWrapper> wrapper;
    if (surface) {
        wrapper.emplace(aids::printFontMeasure(*surface, options), options.text(config::opt::LongLine),
            aids::wrapIndentUnit(options));
        wrapper->setSignatureRules(aids::signatureRules(options));
        runner.setWrapper(&*wrapper);
    }
    const aids::AidReport report = runner.run(aid, selection, project_.projectFileList);
    refreshDeveloperAidsMenu();
    box_.showMessage(MessageIcon::Information, report.title, report.text);
    if (!showLinesLeftDialog)
        return;
    if (!report.notWrapped.isEmpty())
        showLinesLeftDialog(QStringLiteral("Lines Not Wrapped"),
            QStringLiteral("These lines are too long and could not be wrapped without ")
                + QStringLiteral("breaking a word; they were left as they were:"),
            report.notWrapped);
    if (!report.notIndented.isEmpty())
        showLinesLeftDialog(QStringLiteral("Blocks Not Indented"),
            QStringLiteral("These blocks could not be read to their end; the lines after each, up to the end ")
                + QStringLiteral("of its procedure, were left as they were:"),
            report.notIndented);
}

void MainWindow::showRulesWindow(RulesWindowSpec spec)
{
    if (refusedWhileBusy())
        return;
    AidRulesDialog dialog(std::move(spec), session_, box_, this);
    dialog.exec();
}

void MainWindow::showTemplateEditor(aids::HeaderKind kind)
{
    if (refusedWhileBusy())
        return;
    TemplateEditorDialog dialog(kind, session_, box_, this);
    dialog.exec();
}

void MainWindow::spellCheckLiterals()
{
    std::unique_ptr<platform::IPrintSurface> noSurface;
    if (!aidCanStart(aids::SourceAid::ReplaceWords, noSurface))
        return;
    const aids::SpellRules rules = aids::spellRules(session_.options);
    QString problem;
    const std::unique_ptr<platform::ISpellChecker> checker = platform::openSpellChecker(rules.language, &problem);
    if (!checker) {
        const QStringList installed = platform::installedDictionaries();
        box_.showMessage(MessageIcon::Critical, QStringLiteral("No Dictionary"),
            QStringLiteral("The spelling cannot be checked: ") + problem + QLatin1Char('.') + kCrLf + kCrLf
                + (installed.isEmpty()
                        ? QStringLiteral("No dictionary is installed: install one of the hunspell-xx packages "
                                         "(hunspell-en-us for American English).")
                        : QStringLiteral("Installed: ") + installed.join(QStringLiteral(", "))
                            + QStringLiteral(".  Choose one in Spell Check Literals | View/Edit Rules.")));
        return;
    }
    for (const QString& word : aids::loadPersonalWords(optionsFolderOf(session_)))
        checker->accept(word);
    const aids::TargetSelection selection = chooseTargetsDialog ? chooseTargetsDialog(false) : aids::TargetSelection();
    if (selection.isEmpty())
        return; // the chooser was cancelled
    const QStringList paths = aids::chosenFilePaths(selection, project_.projectFileList);
    setStatus(
        QStringLiteral("Checking the spelling of ") + QString::number(paths.size()) + QStringLiteral(" file(s)..."));
    std::vector<aids::SpellFinding> findings =
        aids::findMisspellings(paths, project_.reader(), *checker, rules.literalsOnly);
    setStatus(QString());
    if (findings.empty()) {
        box_.showMessage(MessageIcon::Information, QStringLiteral("Spelling Complete"),
            QStringLiteral("No misspelt words were found in the chosen files."));
        return;
    }
    const QHash<QString, std::vector<aids::WordReplacement>> chosen = spellingDialog
        ? spellingDialog(std::move(findings), *checker)
        : QHash<QString, std::vector<aids::WordReplacement>>();
    if (chosen.isEmpty())
        return;
    removeLeftWorkFiles(model::filePaths(project_.projectFileList));
    session_.messages.ask(aids::backupCreationNotice(session_.options.text(config::opt::ProjectFolder)));
    aids::TargetSelection changed;
    for (auto it = chosen.begin(); it != chosen.end(); ++it)
        changed.files.append(it.key());
    changed.files.sort();
    aids::EditBackups backups = editBackups();
    aids::AidRunner runner(backups, session_.options.ideTabWidth());
    runner.setWordReplacer([&chosen](const QString& path, const QStringList&) { return chosen.value(path); });
    const aids::AidReport report = runner.run(aids::SourceAid::ReplaceWords, changed, project_.projectFileList);
    refreshDeveloperAidsMenu();
    box_.showMessage(MessageIcon::Information, report.title, report.text);
}

void MainWindow::showWrapRules()
{
    if (refusedWhileBusy())
        return;
    WrapRulesDialog dialog(session_, box_, this);
    dialog.exec();
}

void MainWindow::showRestoreBackups()
{
    if (refusedWhileBusy())
        return;
    aids::EditBackups backups = editBackups();
    removeLeftWorkFiles(aids::backedUpFiles(backups.loadBackupList()));
    RestoreBackupsDialog dialog(backups, session_, box_, this);
    dialog.backupsChanged = [this] { refreshDeveloperAidsMenu(); };
    dialog.execIfAny();
    refreshDeveloperAidsMenu();
}

// ---------------------------------------------------------------------------------------------
// Status

void MainWindow::showStatus(const QString& text)
{
    if (QThread::currentThread() == thread()) {
        setStatus(text);
        return;
    }
    keepPending([&text](PendingStatus& pending) {
        pending.text = text;
        pending.hasText = true;
    });
}

void MainWindow::showProgress(qint64 done, qint64 total)
{
    if (QThread::currentThread() == thread()) {
        setProgress(done, total);
        return;
    }
    keepPending([done, total](PendingStatus& pending) {
        pending.done = done;
        pending.total = total;
        pending.hasProgress = true;
    });
}

void MainWindow::keepPending(const std::function<void(PendingStatus&)>& change)
{
    const std::lock_guard lock(pendingMutex_);
    change(pending_);
    if (!std::exchange(pending_.posted, true))
        QMetaObject::invokeMethod(
            this, [this] { showPendingStatus(); }, Qt::QueuedConnection);
}

void MainWindow::showPendingStatus()
{
    PendingStatus shown;
    {
        const std::lock_guard lock(pendingMutex_);
        shown = std::exchange(pending_, PendingStatus());
    }
    if (shown.hasText)
        setStatus(shown.text);
    if (shown.hasProgress)
        setProgress(shown.done, shown.total);
}

void MainWindow::setProgress(qint64 done, qint64 total)
{
    if (total <= 0) {
        progressBar_->setRange(0, 0); // busy, without a measure
        return;
    }
    // The bar counts in int: a larger total is shown in proportion.
    const qint64 scale = total / std::numeric_limits<int>::max() + 1;
    progressBar_->setRange(0, int(total / scale));
    progressBar_->setValue(int(std::clamp<qint64>(done, 0, total) / scale));
}

void MainWindow::runLocked(const std::function<void()>& work, bool cancellable)
{
    // Restored however the work ends, an exception included.
    struct Unlock {
        MainWindow* window;
        ~Unlock()
        {
            window->showPendingStatus();
            window->progressBar_->hide();
            window->cancelButton_->hide();
            window->menuBar()->setEnabled(true);
            window->exitButton_->setEnabled(true);
        }
    };
    menuBar()->setEnabled(false);
    exitButton_->setEnabled(false);
    lockLists(false);
    cancelRequested_ = false;
    setProgress(0, 0);
    progressBar_->show();
    cancelButton_->setEnabled(true);
    cancelButton_->setVisible(cancellable);
    const Unlock unlock {this};
    runBesideEvents(work);
}

void MainWindow::cancelPrintRun()
{
    if (!printing_)
        return;
    cancelRequested_ = true;
    cancelButton_->setEnabled(false);
}

void MainWindow::setStatus(const QString& text)
{
    statusText_ = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    statusLabel_->setText(shown);
}

void MainWindow::animateIndexStatus()
{
    // Only while the index is being built, when the note ends the status: the load's final
    // status still holds the note above "Project loaded.", and a tick must not cut that off.
    const qsizetype at = statusText_.lastIndexOf(kBuildingIndex);
    if (at < 0)
        return;
    const QStringView after = QStringView(statusText_).sliced(at + kBuildingIndex.size());
    if (after != u"." && !(after.startsWith(u' ') && model::isAllDigits(after.sliced(1))))
        return;
    ++indexTicks_;
    setStatus(statusText_.left(at) + kBuildingIndex + QLatin1Char(' ') + QString::number(indexTicks_));
}

// ---------------------------------------------------------------------------------------------
// File | Open

void MainWindow::openProjectCommand()
{
    if (loading_)
        return;
    config::Warning warning;
    warning.key = QStringLiteral("Uncompiled VBP Warning");
    warning.title = QStringLiteral("UNCOMPILED PROJECT WARNING");
    warning.icon = platform::MessageIcon::Exclamation;
    warning.text = QStringLiteral("If the VBP project you ")
        + QStringLiteral("are selecting to load has not been successfully, compiled, ")
        + QStringLiteral("Quillon may respond unexpectedly, including failing without ")
        + QStringLiteral("notice or silently providing invalid results.");
    warning.buttons = {QStringLiteral("Close")};
    session_.messages.ask(warning);
    // A cancelled dialog leaves the loaded project as it was, printable without a reload.
    const QString path = chooseProjectFile();
    if (!path.isEmpty())
        openProject(path);
}

QString MainWindow::chooseProjectFile()
{
    const QString folder = session_.options.text(config::opt::VBPFolder);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        box_.showMessage(MessageIcon::Critical, QStringLiteral("File Open Failure"),
            QStringLiteral("Unable to find or create the VBP directory ") + folder);
        return QString();
    }
    QString chosen = chooseProjectFileDialog ? chooseProjectFileDialog(folder) : QString();
    if (chosen.isEmpty())
        return QString();
    session_.options.set(config::opt::VBPFolder, QFileInfo(chosen).absolutePath() + QLatin1Char('/'));
    session_.options.save();
    return chosen;
}

bool MainWindow::openProject(const QString& vbpPath)
{
    if (busy())
        return false;
    loading_ = true;
    indexTicks_ = 0;
    statusTimer_->start();
    model::Outcome<void> opened = model::Failure {QString(), EBUSY};
    runLocked([&] { opened = project_.openProject(vbpPath); }, false);
    statusTimer_->stop();
    loading_ = false;
    if (!opened) {
        lockLists(true);
        // A load already running, or no such project file (the load said so), leaves nothing to add.
        // A project file that could not be read is not a project that loaded empty: say so, instead
        // of "Project loaded".
        const int number = opened.errorNumber();
        if (number != EBUSY && number != ENOENT && number != EISDIR) {
            setStatus(QStringLiteral("The project file ") + model::quote(vbpPath)
                + QStringLiteral(" could not be read: ") + opened.error() + QLatin1Char('.'));
            box_.showMessage(MessageIcon::Critical, QStringLiteral("File Open Failure"),
                QStringLiteral("Unable to read the project file ") + vbpPath + kCrLf + kCrLf + opened.error());
        }
        return false;
    }
    // The lists model starts afresh over the new file list; its status text continues the load's.
    lists_->programStatus = statusText_;
    lockLists(true);
    return true;
}

// Called by the load once the file list is read: the lists are emptied, the files shown, and
// the lists stay locked until the routines are loaded.
void MainWindow::showFiles()
{
    const QSignalBlocker blockDep(dependencyCheck_);
    dependencyCheck_->setChecked(false);
    const QSignalBlocker blockUnused(unusedOnlyCheck_);
    unusedOnlyCheck_->setChecked(false);
    unusedKeys_.reset();
    lists_ = std::make_unique<print::ProcedureLists>(project_, &analysis_.dependencies, &box_, project_.reader());
    lists_->aggregateMode = session_.options.aggregateMode();
    includeAllFiles_ = false;
    showingRows_ = true;
    filesList_->clear();
    proceduresList_->clear();
    queueList_->clear();
    for (size_t i = 0; i < project_.projectFileList.size(); ++i) {
        auto* item = new QListWidgetItem(project_.projectFileList[i]->fileName, filesList_);
        item->setData(Qt::UserRole, int(i + 1));
        item->setToolTip(project_.projectFileList[i]->filePath);
    }
    showingRows_ = false;
    sourceLabel_->setText(QStringLiteral("Source:") + project_.projectPath);
    printTocAction_->setEnabled(true);
    printInsightAction_->setEnabled(true);
    exportHtmlAction_->setEnabled(true);
    lockLists(false);
}

// ---------------------------------------------------------------------------------------------
// The lists

void MainWindow::showRows(
    QListWidget* list, const std::vector<print::ListRow>& rows, const std::function<bool(const print::ListRow&)>& shown)
{
    showingRows_ = true;
    list->clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (shown && !shown(rows[i]))
            continue;
        auto* item = new QListWidgetItem(rows[i].text, list);
        item->setData(Qt::UserRole, int(i + 1));
        item->setSelected(rows[i].selected);
    }
    showingRows_ = false;
}

void MainWindow::showProcedures()
{
    if (!unusedOnlyCheck_->isChecked()) {
        showRows(proceduresList_, lists_->procedures);
        return;
    }
    const QSet<QString>& unused = unusedKeys();
    auto shown = [&unused](const print::ListRow& row) { return analysis::isUnusedEntry(*row.routine, unused); };
    for (print::ListRow& row : lists_->procedures)
        row.selected = row.selected && shown(row);
    showRows(proceduresList_, lists_->procedures, shown);
}

const QSet<QString>& MainWindow::unusedKeys()
{
    if (!unusedKeys_) {
        unusedKeys_ = analysis::unusedKeys(
            analysis::findUnused(analysis_.dependencies, project_.projectFileList, project_.reader()));
    }
    return *unusedKeys_;
}

void MainWindow::showUnusedOnly(bool on)
{
    if (busy())
        return;
    readSelection();
    showProcedures();
    const QString entries = QString::number(proceduresList_->count()) + QStringLiteral(" of ")
        + QString::number(lists_->procedures.size()) + QStringLiteral(" entries");
    setStatus(on ? QStringLiteral("Procedure list: only unused procedures (") + entries + QStringLiteral(").")
                 : QStringLiteral("Procedure list: all procedures (") + entries + QStringLiteral(")."));
    refreshListButtons();
}

// The widgets' selections into the model, by each entry's item data.
void MainWindow::readSelection()
{
    auto read = [](QListWidget* list, auto&& mark) {
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            mark(size_t(item->data(Qt::UserRole).toInt() - 1), item->isSelected());
        }
    };
    read(filesList_, [this](size_t i, bool on) {
        if (i < lists_->fileSelected.size())
            lists_->fileSelected[i] = on;
    });
    read(proceduresList_, [this](size_t i, bool on) {
        if (i < lists_->procedures.size())
            lists_->procedures[i].selected = on;
    });
    read(queueList_, [this](size_t i, bool on) {
        if (i < lists_->queue.size())
            lists_->queue[i].selected = on;
    });
}

void MainWindow::processSelection(ProcessStep step)
{
    if (busy())
        return;
    readSelection();
    if (step == ProcessStep::FillProcedures) {
        lists_->includeAllFiles = includeAllFiles_;
        const int added = lists_->fillProcedures();
        showProcedures();
        if (added > 0)
            setStatus(lists_->statusLine);
    } else if (step == ProcessStep::BuildQueue) {
        const bool hadProcedures = lists_->proceduresFilled && !lists_->procedures.empty();
        const int queued = lists_->buildQueue();
        if (hadProcedures)
            showRows(queueList_, lists_->queue);
        if (queued > 0)
            setStatus(lists_->statusLine);
    } else if (step == ProcessStep::PrintQueue) {
        printQueue();
    }
    refreshListButtons();
}

QListWidget* MainWindow::listWidget(int list) const
{
    return std::array<QListWidget*, 3> {filesList_, proceduresList_, queueList_}[size_t(list)];
}

void MainWindow::selectAll(int list)
{
    listWidget(list)->selectAll();
    refreshListButtons();
}

void MainWindow::unselectAll(int list)
{
    listWidget(list)->clearSelection();
    refreshListButtons();
}

void MainWindow::fileSelectionChanged()
{
    if (showingRows_)
        return;
    // A new choice of files makes the procedure list stale until it is filled again.
    lists_->procedures.clear();
    showProcedures();
    refreshListButtons();
}

void MainWindow::queueSelectionChanged()
{
    if (showingRows_)
        return;
    readSelection();
    refreshListButtons();
    if (queueList_->count() > 0)
        dependencyCheck_->setEnabled(true);
}

void MainWindow::dependencyBoxChanged(bool checked)
{
    readSelection();
    lists_->setDependencyReports(checked);
    showProcedures();
    showRows(queueList_, lists_->queue);
    setStatus(lists_->statusLine);
    refreshListButtons();
}

void MainWindow::keepOnlyDependencyReports()
{
    readSelection();
    lists_->keepOnlyDependencyReports();
    showRows(queueList_, lists_->queue);
    refreshListButtons();
}

void MainWindow::refreshListButtons()
{
    const bool locked = !filesList_->isEnabled();
    for (size_t i = 0; i < 3; ++i) {
        const bool any = listWidget(int(i))->count() > 0 && !locked;
        selectAllButtons_[i]->setEnabled(any);
        unselectAllButtons_[i]->setEnabled(any);
    }
    // Each step is offered once the list it works on has entries.
    processButtons_[0]->setEnabled(!locked && filesList_->count() > 0);
    processButtons_[1]->setEnabled(!locked && proceduresList_->count() > 0);
    processButtons_[2]->setEnabled(!locked && lists_->sendEnabled && queueList_->count() > 0);
}

void MainWindow::lockLists(bool enable)
{
    for (QListWidget* list : {filesList_, proceduresList_, queueList_})
        list->setEnabled(enable);
    dependencyBox_->setEnabled(enable && !project_.projectFileList.empty());
    unusedOnlyCheck_->setEnabled(enable && !project_.projectFileList.empty());
    refreshListButtons();
}

// ---------------------------------------------------------------------------------------------
// Printing

void MainWindow::printQueue()
{
    if (project_.projectChanged(project_.projectPath))
        return;
    printing_ = true;
    lockLists(false);
    if (spoolEstimator)
        spoolEstimator->offerReestimate(box_,
            {session_.options.text(config::opt::FontName), session_.options.text(config::opt::FontSize).toDouble()});
    runQueue(lists_->queue, fileBaseName(project_.projectPath), true);
    showRows(queueList_, lists_->queue); // a batch run unselects what it sent
    printing_ = false;
    lockLists(true);
}

void MainWindow::printTableOfContents()
{
    if (busy())
        return;
    const bool suppressNotes = print::askSuppressTocNotes(session_.messages);
    printing_ = true;
    std::optional<model::Listing> listing;
    runLocked([&] { listing = print::prepareTableOfContents(toc_, project_, workBox_, suppressNotes); }, false);
    printReport(
        listing, QStringLiteral("Table of Contents"), fileBaseName(project_.projectPath) + QStringLiteral(" TOC"));
}

void MainWindow::printProjectInsight()
{
    if (busy())
        return;
    if (refusedWithoutProject())
        return;
    printing_ = true;
    std::optional<model::Listing> listing;
    runLocked(
        [&] { listing = print::insightReport(analysis_.dependencies, project_.projectFileList, project_.reader()); },
        false);
    printReport(listing, print::kInsightTitle, fileBaseName(project_.projectPath) + QStringLiteral(" Insight"));
}

void MainWindow::printReport(std::optional<model::Listing>& listing, const QString& title, const QString& runName)
{
    if (listing) {
        std::vector<print::ListRow> queue {{print::makeTocRoutine(std::move(*listing), title), title, true}};
        runQueue(queue, runName, false);
    }
    printing_ = false;
    lockLists(true);
}

void MainWindow::runQueue(std::vector<print::ListRow>& queue, const QString& runName, bool withHistory)
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    if (!surface)
        return;
    config::PageSetup setup = config::PageSetup::fromOptions(session_.options);
    config::PrintDevice printer(*surface, setup);
    printer.applyPageSetup();
    print::PrintRunConfig config = formimage::projectPrintConfig({.surface = *surface,
        .setup = setup,
        .options = session_.options,
        .warnings = session_.messages,
        .messages = workBox_,
        .project = project_,
        .analysis = analysis_,
        .otherPrinter = surfaces_,
        .history = withHistory ? &toc_ : nullptr});
    config.projectName = runName;
    if (surface->isFileTarget()) {
        const QString folder = session_.options.text(config::opt::OutputFolder);
        config.outputPath = QDir(folder).filePath(print::suggestedOutputName(runName, printer.now()));
        connectFileTarget(config, folder);
    }
    config.status = [this](const QString& text) { showStatus(text); };
    config.statusSink = this;
    config.cancelRequested = [this] { return cancelRequested_.load(); };
    config.navigator = pdfNavigator;
    print::PrintRun run(std::move(config));
    print::RunResult result;
    runLocked([&] { result = run.runPrintQueue(queue); }, true);
    if (!result.report.isEmpty())
        setStatus(result.report);
    else if (!result.status.isEmpty())
        setStatus(result.status);
}

void MainWindow::connectFileTarget(print::PrintRunConfig& settings, const QString& folder)
{
    settings.chooseOutputFile = [this, folder](const print::OutputFileRequest& request) {
        const QString from = request.previous.isEmpty() ? folder : QFileInfo(request.previous).absolutePath();
        QString chosen;
        platform::callOnThreadOf(this, [&] {
            if (chooseSaveFileDialog)
                chosen = chooseSaveFileDialog(from, fileNameOf(request.suggested));
        });
        return chosen;
    };
    settings.copyToClipboard = [this](const QString& text) {
        platform::callOnThreadOf(this, [&text] {
            if (QClipboard* clipboard = QGuiApplication::clipboard())
                clipboard->setText(text);
        });
    };
}

// ---------------------------------------------------------------------------------------------
// Export HTML

QString MainWindow::chooseSiteFolder()
{
    // The dialog starts where the last site went while that folder is still there.
    const QString last = session_.options.text(config::opt::SiteFolder);
    const QString start = QFileInfo(last).isDir() ? last : session_.options.text(config::opt::OutputFolder);
    const QString chosen = chooseSiteFolderDialog ? chooseSiteFolderDialog(start) : QString();
    if (chosen.isEmpty())
        return QString();
    QString folder = QDir::cleanPath(QDir(chosen).absolutePath());
    session_.options.set(config::opt::SiteFolder, folder);
    session_.options.save();
    return folder;
}

void MainWindow::exportHtml()
{
    if (refusedWhileBusy())
        return;
    if (refusedWithoutProject())
        return;
    if (project_.projectChanged(project_.projectPath))
        return;
    const QString folder = chooseSiteFolder();
    if (folder.isEmpty())
        return;
    html::SiteRequest request;
    request.folder = folder;
    request.brackets = session_.options.boolean(config::opt::Brackets);
    request.graphs = graphLayout;
    request.pictures = svgSurfaces;
    request.cancelRequested = [this] { return cancelRequested_.load(); };
    request.progress = [this](int done, int total, const QString& page) {
        showStatus(QStringLiteral("Writing page %1 of %2: %3").arg(done).arg(total).arg(page));
        showProgress(done, total);
    };
    printing_ = true;
    std::optional<model::Outcome<html::SiteSummary>> written;
    runLocked([&] { written = html::exportSite(project_, analysis_, session_.options, request); }, true);
    printing_ = false;
    lockLists(true);
    if (!*written) {
        const QString why = QStringLiteral("The site was not written: ") + written->error() + QLatin1Char('.');
        setStatus(why);
        box_.showMessage(MessageIcon::Critical, QStringLiteral("Export HTML"), why);
        return;
    }
    const html::SiteSummary& summary = written->value();
    if (summary.cancelled) {
        setStatus(QStringLiteral("Export cancelled; the folder ") + quote(folder) + QStringLiteral(" is as it was."));
        return;
    }
    const QString index = QDir(folder).filePath(html::kIndexPage);
    const QString size = QLocale::system().formattedDataSize(summary.bytes, 1, QLocale::DataSizeSIFormat);
    QString status = QStringLiteral("Site written: %1 pages (%2 of source files), %3, in ")
                         .arg(summary.pages)
                         .arg(summary.filePages)
                         .arg(size)
        + quote(folder) + QLatin1Char('.');
    // What could not be drawn or read did not stop the site; the status line keeps the list.
    for (const QString& note : summary.notes)
        status += kCrLf + note;
    setStatus(status);
    platform::MessageRequest done;
    done.id = MessageId::OpenSite;
    done.title = QStringLiteral("Site Written");
    done.icon = MessageIcon::Information;
    done.text = QStringLiteral("%1 pages, %2, were written to ").arg(summary.pages).arg(size) + quote(folder)
        + QLatin1Char('.') + kCrLf + kCrLf + QStringLiteral("The site starts at ") + quote(index)
        + QStringLiteral(", which any browser opens from the disk.");
    if (!summary.notes.isEmpty())
        done.text += kCrLf + kCrLf
            + QStringLiteral("Some parts could not be drawn or read (%1 notes); the status line lists them.")
                  .arg(summary.notes.size());
    done.buttons = {QStringLiteral("Open in Browser"), QStringLiteral("OK")};
    done.buttonCount = 2;
    done.owner = this;
    box_.showRequest(done);
    if (done.clickedButton == 0 && !(openInBrowser && openInBrowser(QUrl::fromLocalFile(index))))
        box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Export HTML"),
            QStringLiteral("No browser could be started for ") + quote(index)
                + QStringLiteral(".  Open that file in a browser yourself."));
}

void MainWindow::showEvent(QShowEvent* event)
{
    // The printing set-up may have changed since the window was made (it is restored at start,
    // with what this machine cannot take replaced): the target it names is the one in use now.
    refreshOutputTarget();
    QMainWindow::showEvent(event);
}

void MainWindow::refreshOutputTarget()
{
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    QString device;
    if (surface) {
        config::PageSetup setup = config::PageSetup::fromOptions(session_.options);
        config::PrintDevice printer(*surface, setup);
        printer.applyPageSetup();
        device = surface->currentDevice().deviceName;
        targetDescription_ = printer.outputTargetDescription();
    }
    processButtons_[2]->setText(QStringLiteral("Send Selected Procedures To ") + device);
    targetLabel_->setText(QStringLiteral("Send To Target ( ") + targetDescription_);
}

void MainWindow::showUserOptions()
{
    if (busy())
        return;
    OptionsDialog dialog(session_, box_, surfaces_, this);
    dialog.displayUserManual = displayUserManual;
    if (choosePrinterDialog)
        dialog.choosePrinterDialog = choosePrinterDialog;
    const QString device = session_.options.text(config::opt::DeviceName);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A target chosen in the window follows the printer scope as one chosen from the menu does.
    const QString chosen = session_.options.text(config::opt::DeviceName);
    if (!model::equalsNoCase(chosen, device) && session_.options.boolean(config::opt::PrinterScope))
        makeDefaultPrinter(chosen);
    if (dialog.storeResult().aggregationChanged)
        setStatus(config::kReloadRequiredStatus);
    refreshOutputTarget();
}

void MainWindow::selectDefaultPrinter()
{
    if (busy())
        return;
    std::unique_ptr<platform::IPrintSurface> surface = surfaces_ ? surfaces_() : nullptr;
    if (!surface || !choosePrinterDialog)
        return;
    const QString chosen = choosePrinterDialog(surface->printers(), session_.options.text(config::opt::DeviceName));
    if (chosen.isEmpty())
        return;
    config::PageSetup setup = config::PageSetup::fromOptions(session_.options);
    config::PrintDevice printer(*surface, setup);
    if (!printer.selectOutputDevice(chosen))
        return;
    if (session_.options.boolean(config::opt::PrinterScope))
        makeDefaultPrinter(setup.deviceName);
    session_.options.set(config::opt::DeviceName, setup.deviceName);
    session_.options.set(config::opt::DriverName, setup.driverName);
    session_.options.set(config::opt::PrinterPort, setup.printerPort);
    session_.options.save();
    refreshOutputTarget();
}

void MainWindow::makeDefaultPrinter(const QString& deviceName)
{
    if (!(makeSystemDefaultPrinter && makeSystemDefaultPrinter(deviceName)))
        box_.showMessage(MessageIcon::Exclamation, QStringLiteral("Default Printer Not Changed"),
            QStringLiteral("The printer was selected for this program, but ")
                + QStringLiteral("Windows did not accept changing the default printer."));
}

void MainWindow::confirmPrintUserManual()
{
    if (busy())
        return;
    const QString text = targetDescription_ + kCrLf + kCrLf + QStringLiteral("Do you want to ")
        + QStringLiteral("continue to send the User Manual to this output target?  If not, ")
        + QStringLiteral("click <No> to exit and then use ")
        + quote(QStringLiteral("File | Print | SelectDefaultPrinter")) + QStringLiteral(" to change the ")
        + QStringLiteral("output target.");
    if (box_.showMessage(MessageId::ConfirmOutputTarget, MessageIcon::Question, QStringLiteral("Confirm Output Target"),
            text, MessageButtons::YesNo)
            == MessageResult::Yes
        && printUserManual)
        printUserManual();
}

// ---------------------------------------------------------------------------------------------
// Keys and closing

void MainWindow::helpRequested()
{
    QWidget* focused = focusWidget();
    QString section = QStringLiteral("Table of Contents");
    if (focused == filesList_)
        section = QStringLiteral("Section 2.1.1 - File List");
    else if (focused == proceduresList_)
        section = QStringLiteral("Section 2.1.2 - Procedure List");
    else if (focused == queueList_)
        section = QStringLiteral("Section 2.1.3 - Print Queue");
    setStatus(QStringLiteral("F1 Help: See User Manual ") + section);
    if (displayUserManual)
        displayUserManual();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        helpRequested();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (busy()) {
        // The work on its own thread still holds the project and the surface.
        event->ignore();
        return;
    }
    session_.options.setBool(config::opt::ColorDefaultNoteSeen, true);
    session_.options.save();
    saveWindowPosition(this, session_.ini, QStringLiteral(":MainForm"));
    event->accept();
}

void MainWindow::restorePosition()
{
    restoreWindowPosition(this, session_.ini, QStringLiteral(":MainForm"));
}

} // namespace quillon::ui
