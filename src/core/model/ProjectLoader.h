#pragma once
#include "model/Routine.h"
#include "model/SourceText.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace quillon::platform {
class IMessageBox;
class IStatusSink;
} // namespace quillon::platform

namespace quillon::model {

class Project;

// What the analysis takes from one source file. Found on any thread, handed back on the
// calling thread in project order.
class FileFindings {
public:
    virtual ~FileFindings() = default;
};

// The analysis subsystem's part in a load: the symbol tables, API declarations and event
// handlers from each file as phase 1 reads it, the dependency scan as phase 2, the start-up
// routine after. The loader calls these in that order; the default does nothing.
class ILoadAnalysis {
public:
    virtual ~ILoadAnalysis() = default;
    // Before the file list is loaded, even when it is empty.
    virtual void beginLoad() { }
    virtual void beginPhase1() { }
    // Called for several files at once on worker threads: may read only its arguments and what
    // stays unchanged during the load. lines: the file's lines as phase 1 read them (none for a
    // file that could not be read); routines: what the split made of them.
    virtual std::unique_ptr<FileFindings> scanFile(
        const ProjectFile& file, const QStringList& lines, const RoutineList& routines) const
    {
        return nullptr;
    }
    // On the calling thread, file by file in project order, with what scanFile found.
    virtual void addFile(const ProjectFile& file, const QStringList& lines, std::unique_ptr<FileFindings> findings) { }
    virtual void endPhase1() { }
    // Phase 2. Shows its progress through project.setStatus and appends its final lines to
    // project.loadStatusText; may use project.loadThreads() threads.
    virtual void buildDependencyIndex(const RoutineList& allRoutines, Project& project) { }
    virtual void findProgramStartup(const QString& projectPath) { }
};

// Why an entry of the project file gave no source file, or what was odd about one that did.
// Shown on the command line; the main window loads without these messages.
struct ProjectNote {
    enum class Kind { MissingFile, NotRegularFile, WrongType, Duplicate, Unreadable, Binary };
    Kind kind;
    QString entry; // the project file line, trimmed (empty for notes about a loaded file)
    QString path; // the resolved path
    QString detail;
};
QString noteText(const ProjectNote& note);

// Resolves a path written in a project file against the project's folder: "\" and "/" are
// separators; a relative path is joined and normalised; a path that does not exist as
// written is matched component by component, ignoring case, against what is on disk.
QString resolveProjectEntryPath(const QString& projectFolder, const QString& entryPath);

// Sorts file records the way the file list shows them: forms, modules, classes, others,
// each by name ignoring case.
void sortProjectFiles(FileList& files);

// The loaded project and the loader that fills it. One object per open project window;
// tests build their own.
class Project {
public:
    explicit Project(const SourceReader& reader = SourceReader::standard());

    // Collaborators; all optional.
    platform::IStatusSink* status = nullptr;
    platform::IMessageBox* messages = nullptr;
    ILoadAnalysis* analysis = nullptr;
    // Refreshes the table of contents list after a load (its third phase and stale keys).
    std::function<void(Project&)> refreshTableOfContents;
    // Called once the file list is read, before phase 1: the main window lists the files
    // while their routines are still loading.
    std::function<void(Project&)> filesListed;

    // Threads a load works on: 0 for one per processor core, 1 for the calling thread alone.
    // Whatever the number, the results are the same and callbacks, status and messages come
    // on the calling thread.
    int jobs = 0;
    int loadThreads() const;

    const SourceReader& reader() const { return *reader_; }
    void setReader(const SourceReader& reader) { reader_ = &reader; }

    // The loaded project.
    QString projectPath;
    // The project's own name (its "Name=" line), else the project file's name without extension.
    QString projectName;
    FileList projectFileList;
    RoutinesByFileMap routinesByFile;
    QString recordedProjectPath;
    qint64 recordedProjectLength = 0;
    QDateTime recordedProjectTime;
    QString loadStatusText;
    bool loadBusy = false;
    std::vector<ProjectNote> notes; // of the last load

    // The source files the project file lists; fails when it is missing or cannot be read.
    Outcome<FileList> loadVbpFiles(const QString& vbpPath);
    void loadProjectRoutines(const FileList* files);
    void recordProjectSignature(const QString& vbpPath);
    bool projectChanged(const QString& vbpPath);
    void setStatus(const QString& text);
    // The status with how far the step has come (done of total), for a progress bar.
    void setStatus(const QString& text, qint64 done, qint64 total);

    // The headless part of File | Open, shared by the main window and the command line:
    // check the file, read the project file, load every source file, record the project's
    // identity and report the result in the status text. Fails without loading while a load
    // runs (EBUSY) or when there is no project file (ENOENT, or EISDIR for a folder; said
    // through messages); fails having loaded no file when the project file cannot be read.
    Outcome<void> openProject(const QString& vbpPath);

    static const QString kProjectLoadedText;

private:
    const SourceReader* reader_;
};

// Reads a file into lines (line n is lines[n - 1]); returns the number of lines, 0 when the
// file cannot be read.
qint32 readFileToArray(const QString& path, QStringList& lines, const SourceReader& reader = SourceReader::standard());

} // namespace quillon::model
