#include "model/ProjectLoader.h"

#include "model/DiagLog.h"
#include "model/ExchangeSort.h"
#include "model/OrderedWork.h"
#include "model/RoutineParser.h"
#include "model/SourceKind.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace quillon::model {

const QString Project::kProjectLoadedText = QStringLiteral("Project loaded.  Select one or more files to ")
    + QStringLiteral("add included procedures to the procedures list");

QString noteText(const ProjectNote& note)
{
    switch (note.kind) {
    case ProjectNote::Kind::MissingFile:
        return QStringLiteral("skipped ") + quote(note.entry) + QStringLiteral(": no such file ") + quote(note.path);
    case ProjectNote::Kind::NotRegularFile:
        return QStringLiteral("skipped ") + quote(note.entry) + QStringLiteral(": ") + quote(note.path)
            + QStringLiteral(" is ") + kNotARegularFile;
    case ProjectNote::Kind::WrongType:
        return QStringLiteral("skipped ") + quote(note.entry) + QStringLiteral(": not a .frm, .bas, .cls, .ctl, .pag, .dob or .dsr file");
    case ProjectNote::Kind::Duplicate:
        return QStringLiteral("skipped ") + quote(note.entry) + QStringLiteral(": ") + quote(note.path)
            + QStringLiteral(" is already in the project");
    case ProjectNote::Kind::Unreadable:
        return QStringLiteral("cannot read ") + quote(note.path) + QStringLiteral(": ") + note.detail;
    case ProjectNote::Kind::Binary:
        return quote(note.path) + QStringLiteral(" holds NUL bytes: it looks like a binary file, not VB6 source");
    }
    return QString();
}

namespace {

class FolderListings {
public:
    // Entries of a folder sorted by the bytes of their names.
    const QStringList& entriesOf(const QString& folder)
    {
        auto it = cache_.find(folder);
        if (it != cache_.end())
            return *it;
        QStringList entries =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        std::sort(entries.begin(), entries.end(),
            [](const QString& a, const QString& b) { return QFile::encodeName(a) < QFile::encodeName(b); });
        return *cache_.insert(folder, entries);
    }

private:
    QHash<QString, QStringList> cache_;
};

QString matchIgnoringCase(const QString& path, FolderListings& listings)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = QStringLiteral("/");
    for (const QString& part : parts) {
        const QStringList& entries = listings.entriesOf(current);
        const auto match = std::find_if(
            entries.begin(), entries.end(), [&](const QString& entry) { return equalsNoCase(entry, part); });
        if (match == entries.end())
            return path;
        current += *match;
        current += QLatin1Char('/');
    }
    current.chop(1);
    return current;
}

bool isDriveLetterPath(const QString& path)
{
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 0x80 && path[0].isLetter();
}

QString resolve(const QString& projectFolder, const QString& entryPath, FolderListings& listings)
{
    QString path = entryPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (isDriveLetterPath(path))
        return path; // a Windows drive cannot exist here: the file is reported missing
    if (!path.startsWith(QLatin1Char('/')))
        path = projectFolder + QLatin1Char('/') + path;
    path = QDir::cleanPath(path);
    if (QFileInfo::exists(path))
        return path;
    return matchIgnoringCase(path, listings);
}

// Where a project file line names a source file, the path it gives; empty otherwise.
QString entryPathOf(const QString& trimmedLine)
{
    // Forms, user controls, property pages, user documents and designers: the path alone.
    if (QString path = pathEntryOf(trimmedLine); !path.isEmpty())
        return path;
    for (QLatin1StringView key : {QLatin1StringView("Module="), QLatin1StringView("Class=")}) {
        if (trimmedLine.startsWith(key)) {
            const qsizetype semicolon = trimmedLine.indexOf(QLatin1Char(';'));
            return semicolon < 0 ? QString() : trimBlanks(QStringView(trimmedLine).sliced(semicolon + 1)).toString();
        }
    }
    return QString();
}

QString absoluteProjectPath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(p).absoluteFilePath());
}

} // namespace

QString resolveProjectEntryPath(const QString& projectFolder, const QString& entryPath)
{
    FolderListings listings;
    return resolve(projectFolder, entryPath, listings);
}

void sortProjectFiles(FileList& files)
{
    struct Key {
        int rank;
        QString name;
    };
    auto keyOf = [](const FilePtr& file) { return Key {fileTypeRank(file->fileType()), upperCase(file->fileName)}; };
    auto after = [](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank > b.rank;
        return QString::compare(a.name, b.name, Qt::CaseSensitive) > 0;
    };
    // Records with equal keys (the same file name in two folders) keep the order the exchange
    // sort gives them.
    exchangeSort(files, keyOf, after);
}

Project::Project(const SourceReader& reader) : reader_(&reader)
{ }

void Project::setStatus(const QString& text)
{
    if (!status)
        return;
    try {
        status->showStatus(text);
    } catch (...) {
        // A status display that fails must not stop a load.
    }
}

void Project::setStatus(const QString& text, qint64 done, qint64 total)
{
    setStatus(text);
    if (status)
        status->showProgress(done, total);
}

namespace {

Failure missingProjectFile(const QString& vbpPath)
{
    if (QFileInfo(vbpPath).isDir())
        return {QStringLiteral("it is a folder, not a project file"), EISDIR};
    return {QStringLiteral("no such file"), ENOENT};
}

} // namespace

Outcome<FileList> Project::loadVbpFiles(const QString& vbpPath)
{
    if (!fileExists(vbpPath))
        return missingProjectFile(vbpPath);
    const Outcome<SourceFile> source = reader_->read(vbpPath);
    if (!source)
        return source.failure();
    const QString folder = QFileInfo(vbpPath).absolutePath();
    FolderListings listings;
    FileList files;
    QHash<QString, bool> seen;
    projectName = QFileInfo(vbpPath).completeBaseName();
    bool named = false; // the first "Name=" is the project's; later sections may have their own
    for (const QString& rawLine : source->lines) {
        const QString line = trimBlanks(rawLine).toString();
        if (line.startsWith(QLatin1String("Name="), Qt::CaseInsensitive)) {
            const QString name = trimBlanks(QStringView(line).sliced(5)).toString().remove(QLatin1Char('"'));
            if (!name.isEmpty() && !named)
                projectName = name;
            named = true;
            continue;
        }
        const QString entryPath = entryPathOf(line);
        if (entryPath.isEmpty())
            continue;
        const QString path = resolve(folder, entryPath, listings);
        if (!fileExists(path)) {
            notes.push_back({ProjectNote::Kind::MissingFile, line, path, QString()});
            continue;
        }
        if (!QFileInfo(path).isFile()) {
            // A FIFO or a device would block the load or never end; only regular files are read.
            notes.push_back({ProjectNote::Kind::NotRegularFile, line, path, QString()});
            continue;
        }
        const QString type = upperCase(fileExtension(path));
        if (sourceKindOfType(type) == SourceKind::Other) {
            notes.push_back({ProjectNote::Kind::WrongType, line, path, QString()});
            continue;
        }
        if (seen.contains(path)) {
            notes.push_back({ProjectNote::Kind::Duplicate, line, path, QString()});
            continue;
        }
        seen.insert(path, true);
        auto file = std::make_shared<ProjectFile>();
        file->filePath = path;
        file->setFileType(type);
        file->fileTitle = fileNameOf(path);
        file->fileName = file->fileTitle;
        files.push_back(file);
    }
    sortProjectFiles(files);
    return files;
}

int Project::loadThreads() const
{
    return threadCountFor(jobs);
}

namespace {

// One source file as phase 1 reads it, on whichever thread.
struct LoadedFile {
    bool read = false; // the file was there to be read
    Outcome<SourceFile> source = Failure {}; // until it is read
    RoutineList routines;
    std::unique_ptr<FileFindings> findings;
};

// The lines of a file read; none when it could not be read.
const QStringList& linesRead(const Outcome<SourceFile>& source)
{
    static const QStringList none;
    return source ? source->lines : none;
}

LoadedFile loadFile(const ProjectFile& file, const SourceReader& reader, const ILoadAnalysis* analysis)
{
    LoadedFile loaded;
    if (trimBlanks(file.filePath).isEmpty())
        return loaded;
    // Read once: the split, the symbol scan, the API registration and phase 2 share the lines.
    if (fileExists(file.filePath)) {
        loaded.read = true;
        loaded.source = reader.read(file.filePath);
    }
    if (loaded.source)
        loaded.routines = splitLinesIntoRoutines(file.filePath, loaded.source->lines);
    if (analysis)
        loaded.findings = analysis->scanFile(file, linesRead(loaded.source), loaded.routines);
    else if (loaded.source)
        loaded.source->lines.clear(); // no one takes them: freed by the thread that made them, cheaply
    return loaded;
}

// On the calling thread, in project order: notes, the log, the routines and the analysis.
void addLoadedFile(Project& project, const ProjectFile& file, LoadedFile loaded, RoutineList& allRoutines)
{
    if (loaded.read) {
        if (DiagLog* log = project.reader().log()) {
            log->openInput(file.filePath);
            if (!loaded.source)
                log->failedOpenInput(file.filePath, loaded.source.errorNumber(), loaded.source.error());
        }
        if (!loaded.source)
            project.notes.push_back({ProjectNote::Kind::Unreadable, QString(), file.filePath, loaded.source.error()});
        else if (loaded.source->hasNul)
            project.notes.push_back({ProjectNote::Kind::Binary, QString(), file.filePath, QString()});
    }
    project.routinesByFile.insert(file.filePath, loaded.routines);
    allRoutines.insert(allRoutines.end(), loaded.routines.begin(), loaded.routines.end());
    if (project.analysis)
        project.analysis->addFile(file, linesRead(loaded.source), std::move(loaded.findings));
}

} // namespace

void Project::loadProjectRoutines(const FileList* files)
{
    if (loadBusy)
        return;
    loadBusy = true;
    if (!files || files->empty()) {
        loadBusy = false;
        return;
    }
    // Work on copies of the records: a status update may let another command replace the
    // list, and the threads reading the files must not share what it could change.
    std::vector<ProjectFile> list;
    list.reserve(files->size());
    for (const FilePtr& file : *files)
        list.push_back(*file);
    RoutineList allRoutines;
    routinesByFile.clear();
    if (analysis)
        analysis->beginPhase1();

    // The threads read without logging; the reads are logged here, in project order.
    const SourceReader quietReader(reader_->codePage(), nullptr);
    const ILoadAnalysis* const scanner = analysis;
    const qsizetype n = qsizetype(list.size());
    auto load = [&](qsizetype i) { return loadFile(list[size_t(i)], quietReader, scanner); };
    auto add = [&](qsizetype i, LoadedFile loaded) {
        const ProjectFile& file = list[size_t(i)];
        if (trimBlanks(file.filePath).isEmpty())
            return;
        setStatus(QStringLiteral("Phase 1 of 2: Loading file ") + QString::number(i + 1) + QStringLiteral(" of ")
                + QString::number(n),
            i + 1, n);
        addLoadedFile(*this, file, std::move(loaded), allRoutines);
    };
    produceInOrder<LoadedFile>(n, loadThreads(), load, add);
    if (analysis)
        analysis->endPhase1();
    loadStatusText = QStringLiteral("Phase 1 of 2: Loading file ") + QString::number(n) + QStringLiteral(" of ")
        + QString::number(n);
    if (analysis && !allRoutines.empty())
        analysis->buildDependencyIndex(allRoutines, *this);
    loadBusy = false;
}

void Project::recordProjectSignature(const QString& vbpPath)
{
    if (trimBlanks(vbpPath).isEmpty() || !fileExists(vbpPath))
        return;
    const QFileInfo info(vbpPath);
    recordedProjectPath = vbpPath;
    recordedProjectLength = info.size();
    recordedProjectTime = info.lastModified();
}

bool Project::projectChanged(const QString& vbpPath)
{
    QString reason;
    if (trimBlanks(vbpPath).isEmpty()) {
        reason = QStringLiteral("A system error has occurred wherein the path and file name ")
            + QStringLiteral("of the project file has been erased from memory.  Try using ")
            + QStringLiteral("menu File|Open to reload the project file and continue the ")
            + QStringLiteral("activity that was interrupted.  If the problem continues to ")
            + QStringLiteral("occur, please use menu Help|About for contact information ")
            + QStringLiteral("to advise the program author.");
    } else if (!fileExists(vbpPath)) {
        reason = QStringLiteral("The project file no longer exists or has been moved to ")
            + QStringLiteral("a new location");
    } else if (!equalsNoCase(vbpPath, recordedProjectPath)) {
        reason = QStringLiteral("The name of the project file has changed or it no longer ")
            + QStringLiteral("exists or has been moved to a new location");
    } else if (!recordedProjectTime.isValid() && recordedProjectLength == 0) {
        reason = QStringLiteral("A system error has occurred wherein the length ")
            + QStringLiteral("of the project file has not been captured.  Please use menu ")
            + QStringLiteral("Help|About for contact information to advise the program author.");
    } else {
        const QFileInfo info(vbpPath);
        if (info.size() != recordedProjectLength) {
            reason = QStringLiteral("The project file has been edited changing its length.");
        } else {
            const qint64 drift = recordedProjectTime.isValid()
                ? std::llabs(info.lastModified().msecsTo(recordedProjectTime))
                : std::numeric_limits<qint64>::max();
            if (drift > 2000)
                reason = QStringLiteral("The project file has been edited and saved with a new edit date.");
        }
    }
    if (reason.isEmpty())
        return false;
    if (messages) {
        const QString text = QStringLiteral("Quillon detected changes to the VB project since it was ")
            + QStringLiteral("loaded.") + kCrLf + kCrLf + QStringLiteral("Reason: ") + reason + kCrLf + kCrLf
            + QStringLiteral("Printing requires the project file to be reloaded so procedure ")
            + QStringLiteral("boundaries and counts are correct.") + kCrLf + kCrLf
            + QStringLiteral("Please use File | Open to reload the project.");
        messages->showMessage(platform::MessageIcon::Exclamation, QStringLiteral("Reload required"), text);
    }
    return true;
}

Outcome<void> Project::openProject(const QString& vbpPath)
{
    // A second open arriving while a load lets events run must not pull the file list
    // out from under the first.
    if (loadBusy)
        return Outcome<void>::failed(QStringLiteral("a project is being loaded"), EBUSY);
    projectPath = vbpPath.isEmpty() ? QString() : absoluteProjectPath(vbpPath);
    if (!fileExists(projectPath)) {
        if (messages)
            messages->showMessage(platform::MessageIcon::Critical, QStringLiteral("No valid file"),
                QStringLiteral("Selected file ") + quote(projectPath.isEmpty() ? vbpPath : projectPath)
                    + QStringLiteral(" does not exist."));
        return missingProjectFile(projectPath);
    }

    notes.clear();
    loadStatusText.clear();
    routinesByFile.clear();
    const Outcome<FileList> files = loadVbpFiles(projectPath);
    projectFileList = files.valueOr({});
    if (filesListed)
        filesListed(*this);
    if (analysis)
        analysis->beginLoad();
    loadProjectRoutines(&projectFileList);
    recordProjectSignature(projectPath);
    if (analysis)
        analysis->findProgramStartup(projectPath);
    if (refreshTableOfContents)
        refreshTableOfContents(*this);
    loadStatusText += kCrLf + QStringLiteral("Dependency Index Complete");
    setStatus(loadStatusText + kCrLf + kCrLf + kProjectLoadedText);
    if (!files)
        return files.failure();
    return {};
}

qint32 readFileToArray(const QString& path, QStringList& lines, const SourceReader& reader)
{
    const Outcome<SourceFile> file = reader.read(path);
    lines.clear();
    if (!file)
        return 0;
    lines = file->lines;
    return qint32(lines.size());
}

} // namespace quillon::model
