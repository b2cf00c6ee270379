#pragma once
#include "aids/EditBackups.h"
#include "aids/HeaderTemplates.h"
#include "aids/SourceTransforms.h"
#include "aids/SpellCheck.h"
#include "analysis/ProjectAnalysis.h"
#include "model/ListingLine.h"
#include "model/ProjectLoader.h"
#include "platform/HomeThread.h"
#include "platform/PrintSurface.h"
#include "platform/StatusSink.h"
#include "platform/SvgPageSurface.h"
#include "print/ProcedureLists.h"
#include "print/TableOfContents.h"
#include "ui/PrinterChoice.h"

#include <QMainWindow>
#include <QSet>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QUrl;
class QVBoxLayout;

namespace quillon::config {
class Session;
}
namespace quillon::platform {
class IGraphLayout;
class IMessageBox;
class IPdfNavigator;
} // namespace quillon::platform
namespace quillon::print {
class GdiSpoolEstimator;
struct ListRow;
struct PrintRunConfig;
} // namespace quillon::print

namespace quillon::ui {

struct RulesWindowSpec;

class RestoreMessagesMenu;

// The main window: the project's files, the routines of the chosen files and the print
// queue, with the menus that reach every command. It owns the loaded project, its analysis,
// its table of contents list and the lists model; each command hands over to the core and
// then refreshes the lists and the status line.
class MainWindow : public QMainWindow, private platform::IStatusSink {
public:
    using SurfaceFactory = ui::SurfaceFactory;

    // surfaces: a fresh print surface for each print run, printer choice and target caption.
    MainWindow(
        config::Session& session, platform::IMessageBox& box, SurfaceFactory surfaces, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Dialogs, replaceable so that tests can answer them. An empty answer is a cancel.
    // The project file, starting in folder.
    std::function<QString(const QString& folder)> chooseProjectFileDialog;
    // The output file of the built-in PDF writer, starting in folder with the suggested name.
    std::function<QString(const QString& folder, const QString& suggestedName)> chooseSaveFileDialog;
    // The folder File | Export HTML writes the site to, starting in folder.
    std::function<QString(const QString& folder)> chooseSiteFolderDialog;
    // Shows a written site's start page in the browser; false when none could be started.
    std::function<bool(const QUrl& page)> openInBrowser;
    // One of the printers (device names), current preselected.
    PrinterChooser choosePrinterDialog;
    // Makes a device the user's default printer; false when the system refused.
    std::function<bool(const QString& deviceName)> makeSystemDefaultPrinter;
    // What a developer aid works on: the file chooser, and the procedure chooser after it when
    // showProcedures is set. An empty selection is a cancel.
    std::function<aids::TargetSelection(bool showProcedures)> chooseTargetsDialog;
    // Whether a backup of the same name may be overwritten.
    aids::OverwriteQuestion overwriteQuestionDialog;
    // The lines an aid had to leave as they were ("PATH:LINE: TEXT"): too long to wrap, or after
    // a block the indenter could not read to its end. The caption says which.
    std::function<void(const QString& title, const QString& caption, const QStringList& lines)> showLinesLeftDialog;
    // The words Spell Check Literals found, answered one by one: the replacements chosen, by path.
    std::function<QHash<QString, std::vector<aids::WordReplacement>>(
        std::vector<aids::SpellFinding> findings, platform::ISpellChecker& checker)>
        spellingDialog;

    // What main() connects: Help | About, Help | Support, and File | Print | User Manual once the
    // user confirmed the target. The user manual (F1 and Help | Display User Manual) opens
    // userManualPath unless replaced.
    std::function<void()> showAbout;
    std::function<void()> displayUserManual;
    QString userManualPath;
    std::function<void()> showSupport;
    std::function<void()> printUserManual;

    // The session's spool estimate, offered again before printing when the font changed.
    print::GdiSpoolEstimator* spoolEstimator = nullptr;
    // Gives a printed PDF its bookmarks, links and properties; null leaves it as written.
    platform::IPdfNavigator* pdfNavigator = nullptr;
    // What an exported site draws its pictures with: the call graphs (null: the calls are only
    // listed) and the form images (empty: forms without them).
    const platform::IGraphLayout* graphLayout = nullptr;
    platform::SvgSurfaceFactory svgSurfaces;

    // File | Restore Messages: one entry per hidden message, hidden while there is none.
    // Call the refresh after anything outside a message box may have hidden a message.
    QMenu* restoreMessagesMenu = nullptr;
    void refreshRestoreMenu();

    // File | Open: the warning, the dialog, then the load.
    void openProjectCommand();
    // The load of a chosen project file (File | Open after the dialog). False when nothing
    // was loaded: a load already running, or a file that does not exist.
    bool openProject(const QString& vbpPath);
    // A load, a print or a site export runs: another project must wait.
    bool busy() const { return loading_ || printing_; }
    // The running print run stops after the routine it is printing, a site export after the
    // page it is writing (the Cancel button).
    void cancelPrintRun();

    // The three processButton buttons, left to right.
    enum class ProcessStep { FillProcedures, BuildQueue, PrintQueue };
    void processSelection(ProcessStep step);
    // list: 0 files, 1 procedures, 2 print queue.
    void selectAll(int list);
    void unselectAll(int list);
    void keepOnlyDependencyReports();
    void refreshListButtons();
    // false disables the lists and their buttons around long work; true enables them again.
    void lockLists(bool enable);
    void printTableOfContents();
    // File | Print | Project Insight: the unused procedures, the most complex routines and the
    // calls between modules, printed as the table of contents is.
    void printProjectInsight();
    // The check box under the procedure list: only unused procedures (and their dependency
    // reports) are shown; an entry it hides is unselected so that it cannot be queued unseen.
    void showUnusedOnly(bool on);
    void selectDefaultPrinter();
    // File | User Options: the options window; what it stores shows in the output target line.
    void showUserOptions();
    void confirmPrintUserManual();
    // File | Export HTML: the folder chosen, then the whole project written there as a site on
    // the worker thread, and what was written told.
    void exportHtml();
    // F1: the status names the manual's section for the focused control, then the manual opens.
    void helpRequested();

    // Developer Aids: the notice about backups, the choosers, then the aid over what was chosen
    // and its report.
    void runSourceAid(aids::SourceAid aid);
    // Developer Aids | Wrap Too Long Lines | View/Edit Rules.
    void showWrapRules();
    // Developer Aids | Indent Code Lines, Line Numbering and Sort File Procedures | View/Edit Rules.
    void showRulesWindow(RulesWindowSpec spec);
    // Developer Aids | Insert File Header and Insert Procedure Header | View/Edit Template.
    void showTemplateEditor(aids::HeaderKind kind);
    // Developer Aids | Spell Check Literals: the chooser, the check, the spelling window, and the
    // replacements chosen written with backups.
    void spellCheckLiterals();
    // Developer Aids | Restore Edited File/Procedure.
    void showRestoreBackups();
    // The restore entry and its separator are shown only while there is a backup to restore.
    void refreshDeveloperAidsMenu();

    void setStatus(const QString& text);
    const QString& statusText() const { return statusText_; }

    model::Project& project() { return project_; }
    print::ProcedureLists& lists() { return *lists_; }
    QPushButton* processButton(int index) const { return processButtons_[size_t(index)]; }
    QPushButton* selectAllButton(int list) const { return selectAllButtons_[size_t(list)]; }
    QPushButton* unselectAllButton(int list) const { return unselectAllButtons_[size_t(list)]; }
    QAction* action(const QString& objectName) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Called by the load and the print run, from their own thread: the window shows the latest
    // text and measure when it next handles events.
    void showStatus(const QString& text) override;
    void showProgress(qint64 done, qint64 total) override;
    void showPendingStatus();
    void setProgress(qint64 done, qint64 total);
    // Runs long work on a thread of its own while the window answers events: the menus, the
    // lists and Exit are locked, the progress bar shows and, for a print run, Cancel.
    void runLocked(const std::function<void()>& work, bool cancellable);

    void buildControls();
    // One of the three lists with its caption, its Select All and Unselect All buttons, its
    // step button and, under the print queue, the dependency report controls.
    QVBoxLayout* buildListColumn(int index, QWidget* parent, QListWidget*& list);
    QGroupBox* buildDependencyBox(QWidget* parent);
    // The status line and the Exit button.
    QHBoxLayout* buildStatusRow(QWidget* parent);
    void connectControls();
    // list: 0 files, 1 procedures, 2 print queue.
    QListWidget* listWidget(int list) const;
    void buildMenus();
    void buildDeveloperAidsMenu();
    // The backups in the working folder the options name, asking through overwriteQuestionDialog.
    aids::EditBackups editBackups() const;
    // What a Developer Aids action that cannot start while a load or print runs says; true then.
    bool refusedWhileBusy();
    // "No project files loaded." when none is; true then.
    bool refusedWithoutProject();
    // Tells why the aid cannot start before anything is chosen for it; false then. A wrap gets
    // the surface it measures on.
    bool aidCanStart(aids::SourceAid aid, std::unique_ptr<platform::IPrintSurface>& surface);
    // Work files of these files that a run killed before it finished left behind are removed,
    // and the status line says so.
    void removeLeftWorkFiles(const QStringList& files);
    QString chooseProjectFile();
    void prepareForLoad();
    void showFiles();
    void showRows(QListWidget* list, const std::vector<print::ListRow>& rows,
        const std::function<bool(const print::ListRow&)>& shown = nullptr);
    // The procedure list's rows, all of them or only the unused ones.
    void showProcedures();
    // The index keys of the loaded project's unused procedures, found once per load.
    const QSet<QString>& unusedKeys();
    // Prints a report the program made (none: nothing to print) as a run of its own.
    void printReport(std::optional<model::Listing>& listing, const QString& title, const QString& runName);
    void readSelection();
    void fileSelectionChanged();
    void queueSelectionChanged();
    void dependencyBoxChanged(bool checked);
    void printQueue();
    // Runs the print queue (or the table of contents) on a fresh surface; the status line
    // gets the completion report.
    void runQueue(std::vector<print::ListRow>& queue, const QString& runName, bool withHistory);
    // The file dialog and the clipboard of a run, asked from the run's thread.
    void connectFileTarget(print::PrintRunConfig& settings, const QString& folder);
    // The site folder the user chooses, remembered for the next export; empty when cancelled.
    QString chooseSiteFolder();
    void refreshOutputTarget();
    // Makes the device the system's default printer; says so when the system refused.
    void makeDefaultPrinter(const QString& deviceName);
    // The position the window had when it was last closed (":MainForm" Top and Left).
    void restorePosition();
    void animateIndexStatus();

    config::Session& session_;
    platform::IMessageBox& box_;
    platform::HomeThreadMessageBox workBox_; // box_ for the work on the worker thread
    SurfaceFactory surfaces_;

    model::Project project_;
    analysis::ProjectAnalysis analysis_;
    print::TocList toc_;
    std::unique_ptr<print::ProcedureLists> lists_;
    bool loading_ = false;
    bool printing_ = false; // a print run or a site export
    bool showingRows_ = false; // the lists are being refilled: their selection signals mean nothing
    bool includeAllFiles_ = false;
    QString statusText_;
    int indexTicks_ = 0;
    QString targetDescription_;

    QListWidget* filesList_ = nullptr;
    QListWidget* proceduresList_ = nullptr;
    QListWidget* queueList_ = nullptr;
    std::array<QPushButton*, 3> processButtons_ {};
    std::array<QPushButton*, 3> selectAllButtons_ {};
    std::array<QPushButton*, 3> unselectAllButtons_ {};
    QCheckBox* unusedOnlyCheck_ = nullptr;
    std::optional<QSet<QString>> unusedKeys_;
    QGroupBox* dependencyBox_ = nullptr;
    QCheckBox* dependencyCheck_ = nullptr;
    QPushButton* dependencyButton_ = nullptr;
    QPushButton* keepOnlyButton_ = nullptr;
    QLabel* sourceLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* targetLabel_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    std::atomic<bool> cancelRequested_ {false};
    // What the worker last reported, shown once the window gets to it: a run reports far more
    // often than a label can repaint.
    struct PendingStatus {
        QString text;
        bool hasText = false;
        qint64 done = 0;
        qint64 total = 0;
        bool hasProgress = false;
        bool posted = false;
    };
    std::mutex pendingMutex_;
    PendingStatus pending_;
    // Changes what is pending and has it shown at the window's next turn (once, however often).
    void keepPending(const std::function<void(PendingStatus&)>& change);
    QTimer* statusTimer_ = nullptr;
    QAction* fileOpenAction_ = nullptr;
    QAction* printTocAction_ = nullptr;
    QAction* printInsightAction_ = nullptr;
    QAction* exportHtmlAction_ = nullptr;
    RestoreMessagesMenu* restoreMenu_ = nullptr;
    QAction* restoreEditedAction_ = nullptr;
    QAction* restoreEditedSeparator_ = nullptr;
};

} // namespace quillon::ui
