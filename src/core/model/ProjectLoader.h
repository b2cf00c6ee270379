#pragma once
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quillon::platform {
class IMessageBox;
class IStatusSink;
} // namespace quillon::platform

namespace quillon::model {

class Project;

// The analysis subsystem's part in a load: symbol tables before phase 1, API declarations
// and event handlers during it, the dependency scan as phase 2, the start-up routine after.
// The loader calls these in that order; the default does nothing.
class ILoadAnalysis {
public:
    virtual ~ILoadAnalysis() = default;
    virtual void PrepareSymbolTables(const FileList& files) {}
    virtual void BeginPhase1() {}
    // lines: the file's lines as phase 1 just read them.
    virtual void RegisterApiDeclarations(const QString& filePath, const QStringList& lines) {}
    virtual void RegisterEventHandler(const RoutinePtr& routine, const ProjectFile& file) {}
    // Phase 2. Shows its progress through project.SetStatus and appends its final lines to
    // project.LoadStatusText.
    virtual void BuildDependencyIndex(const RoutineList& allRoutines, Project& project) {}
    virtual void FindProgramStartup(const QString& projectPath) {}
};

// Why an entry of the project file gave no source file, or what was odd about one that did.
// Shown on the command line; the main window loads without these messages.
struct ProjectNote {
    enum class Kind { MissingFile, NotRegularFile, WrongType, Duplicate, Unreadable, Binary };
    Kind kind;
    QString entry; // the project file line, trimmed (empty for notes about a loaded file)
    QString path;  // the resolved path
    QString detail;
};
QString NoteText(const ProjectNote& note);

// Resolves a path written in a project file against the project's folder: "\" and "/" are
// separators; a relative path is joined and normalised; a path that does not exist as
// written is matched component by component, ignoring case, against what is on disk.
QString ResolveProjectEntryPath(const QString& projectFolder, const QString& entryPath);

// Sorts file records the way the file list shows them: forms, modules, classes, others,
// each by name ignoring case.
void SortProjectFiles(FileList& files);

// The loaded project and the loader that fills it. One object per open project window;
// tests build their own.
class Project {
public:
    explicit Project(const SourceReader& reader = SourceReader::Default());

    // Collaborators; all optional.
    platform::IStatusSink* status = nullptr;
    platform::IMessageBox* messages = nullptr;
    ILoadAnalysis* analysis = nullptr;
    // Refreshes the table of contents list after a load (its third phase and stale keys).
    std::function<void(Project&)> RefreshTableOfContents;
    // Called once the file list is read, before phase 1: the main window lists the files
    // while their routines are still loading.
    std::function<void(Project&)> FilesListed;

    const SourceReader& reader() const { return *reader_; }
    void setReader(const SourceReader& reader) { reader_ = &reader; }

    // The loaded project.
    QString ProjectPath;
    FileList ProjectFileList;
    RoutinesByFileMap RoutinesByFile;
    QString RecordedProjectPath;
    qint64 RecordedProjectLength = 0;
    QDateTime RecordedProjectTime;
    QString LoadStatusText;
    bool LoadBusy = false;
    std::vector<ProjectNote> Notes; // of the last load

    std::optional<FileList> LoadVbpFiles(const QString& vbpPath);
    void LoadProjectRoutines(const FileList* files);
    void RecordProjectSignature(const QString& vbpPath);
    bool ProjectChanged(const QString& vbpPath);
    void SetStatus(const QString& text);

    // The headless part of File | Open, shared by the main window and the command line:
    // check the file, read the project file, load every source file, record the project's
    // identity and report the result in the status text.
    enum class OpenOutcome { Loaded, Missing, Unreadable, Busy };
    OpenOutcome OpenProject(const QString& vbpPath);
    QString LastOpenError; // why the project file could not be read

    static const QString kProjectLoadedText;

private:
    const SourceReader* reader_;
};

// Reads a file into lines (line n is lines[n - 1]); returns the number of lines, 0 when the
// file cannot be read.
qint32 ReadFileToArray(const QString& path, QStringList& lines, const SourceReader& reader = SourceReader::Default());

inline const QString kCrLf = QStringLiteral("\r\n");

} // namespace quillon::model
