#include "model/ProjectLoader.h"

#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"
#include "platform/StatusSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstdlib>

namespace quillon::model {

const QString Project::kProjectLoadedText = QStringLiteral("Project loaded.  Select one or more files to ")
    + QStringLiteral("add included procedures to the procedures list");

QString NoteText(const ProjectNote& note)
{
    switch (note.kind) {
    case ProjectNote::Kind::MissingFile:
        return QStringLiteral("skipped ") + Quote(note.entry) + QStringLiteral(": no such file ") + Quote(note.path);
    case ProjectNote::Kind::NotRegularFile:
        return QStringLiteral("skipped ") + Quote(note.entry) + QStringLiteral(": ") + Quote(note.path)
            + QStringLiteral(" is ") + kNotARegularFile;
    case ProjectNote::Kind::WrongType:
        return QStringLiteral("skipped ") + Quote(note.entry) + QStringLiteral(": not a .frm, .bas or .cls file");
    case ProjectNote::Kind::Duplicate:
        return QStringLiteral("skipped ") + Quote(note.entry) + QStringLiteral(": ") + Quote(note.path)
            + QStringLiteral(" is already in the project");
    case ProjectNote::Kind::Unreadable:
        return QStringLiteral("cannot read ") + Quote(note.path) + QStringLiteral(": ") + note.detail;
    case ProjectNote::Kind::Binary:
        return Quote(note.path) + QStringLiteral(" holds NUL bytes: it looks like a binary file, not VB6 source");
    }
    return QString();
}

namespace {

class FolderListings {
public:
    // Entries of a folder sorted by the bytes of their names.
    const QStringList& EntriesOf(const QString& folder)
    {
        auto it = cache_.find(folder);
        if (it != cache_.end())
            return *it;
        QStringList entries = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        std::sort(entries.begin(), entries.end(),
                  [](const QString& a, const QString& b) { return QFile::encodeName(a) < QFile::encodeName(b); });
        return *cache_.insert(folder, entries);
    }

private:
    QHash<QString, QStringList> cache_;
};

QString MatchIgnoringCase(const QString& path, FolderListings& listings)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = QStringLiteral("/");
    for (const QString& part : parts) {
        const QStringList& entries = listings.EntriesOf(current);
        const auto match = std::find_if(entries.begin(), entries.end(),
                                        [&](const QString& entry) { return EqualsNoCase(entry, part); });
        if (match == entries.end())
            return path;
        current += *match;
        current += QLatin1Char('/');
    }
    current.chop(1);
    return current;
}

bool IsDriveLetterPath(const QString& path)
{
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 0x80 && path[0].isLetter();
}

QString Resolve(const QString& projectFolder, const QString& entryPath, FolderListings& listings)
{
    QString path = entryPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (IsDriveLetterPath(path))
        return path; // a Windows drive cannot exist here: the file is reported missing
    if (!path.startsWith(QLatin1Char('/')))
        path = projectFolder + QLatin1Char('/') + path;
    path = QDir::cleanPath(path);
    if (QFileInfo::exists(path))
        return path;
    return MatchIgnoringCase(path, listings);
}

// Where a project file line names a source file, the path it gives; empty otherwise.
QString EntryPathOf(const QString& trimmedLine)
{
    if (trimmedLine.startsWith(QLatin1String("Form=")))
        return trimBlanks(QStringView(trimmedLine).sliced(5)).toString();
    for (QLatin1StringView key : {QLatin1StringView("Module="), QLatin1StringView("Class=")}) {
        if (trimmedLine.startsWith(key)) {
            const qsizetype semicolon = trimmedLine.indexOf(QLatin1Char(';'));
            return semicolon < 0 ? QString() : trimBlanks(QStringView(trimmedLine).sliced(semicolon + 1)).toString();
        }
    }
    return QString();
}

int TypeRank(const QString& fileType)
{
    if (fileType == QLatin1String("FRM"))
        return 1;
    if (fileType == QLatin1String("BAS"))
        return 2;
    if (fileType == QLatin1String("CLS"))
        return 3;
    return 4;
}

QString AbsoluteProjectPath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(p).absoluteFilePath());
}

} // namespace

QString ResolveProjectEntryPath(const QString& projectFolder, const QString& entryPath)
{
    FolderListings listings;
    return Resolve(projectFolder, entryPath, listings);
}

void SortProjectFiles(FileList& files)
{
    struct Key {
        int rank;
        QString name;
    };
    std::vector<Key> keys;
    keys.reserve(files.size());
    for (const FilePtr& file : files)
        keys.push_back({TypeRank(file->FileType()), upperCase(file->FileName)});
    auto after = [](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank > b.rank;
        return QString::compare(a.name, b.name, Qt::CaseSensitive) > 0;
    };
    // An exchange sort, as the list has always been ordered: records with equal keys (the
    // same file name in two folders) keep the order it gives them.
    for (size_t i = 0; i + 1 < files.size(); ++i) {
        for (size_t j = i + 1; j < files.size(); ++j) {
            if (after(keys[i], keys[j])) {
                std::swap(files[i], files[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
}

Project::Project(const SourceReader& reader) : reader_(&reader) {}

void Project::SetStatus(const QString& text)
{
    if (!status)
        return;
    try {
        status->ShowStatus(text);
    } catch (...) {
        // A status display that fails must not stop a load.
    }
}

std::optional<FileList> Project::LoadVbpFiles(const QString& vbpPath)
{
    if (!FileExists(vbpPath)) {
        LastOpenError = QFileInfo(vbpPath).isDir() ? QStringLiteral("it is a folder, not a project file")
                                                   : QStringLiteral("no such file");
        return std::nullopt;
    }
    const SourceFile source = reader_->Read(vbpPath);
    if (!source.ok) {
        LastOpenError = source.error;
        return std::nullopt;
    }
    const QString folder = QFileInfo(vbpPath).absolutePath();
    FolderListings listings;
    FileList files;
    QHash<QString, bool> seen;
    for (const QString& rawLine : source.lines) {
        const QString line = trimBlanks(rawLine).toString();
        const QString entryPath = EntryPathOf(line);
        if (entryPath.isEmpty())
            continue;
        const QString path = Resolve(folder, entryPath, listings);
        if (!FileExists(path)) {
            Notes.push_back({ProjectNote::Kind::MissingFile, line, path, QString()});
            continue;
        }
        if (!QFileInfo(path).isFile()) {
            // A FIFO or a device would block the load or never end; only regular files are read.
            Notes.push_back({ProjectNote::Kind::NotRegularFile, line, path, QString()});
            continue;
        }
        const QString type = upperCase(FileExtension(path));
        if (TypeRank(type) == 4) {
            Notes.push_back({ProjectNote::Kind::WrongType, line, path, QString()});
            continue;
        }
        if (seen.contains(path)) {
            Notes.push_back({ProjectNote::Kind::Duplicate, line, path, QString()});
            continue;
        }
        seen.insert(path, true);
        auto file = std::make_shared<ProjectFile>();
        file->FilePath = path;
        file->SetFileType(type);
        file->FileTitle = FileNameOf(path);
        file->FileName = file->FileTitle;
        files.push_back(file);
    }
    SortProjectFiles(files);
    return files;
}

void Project::LoadProjectRoutines(const FileList* files)
{
    if (LoadBusy)
        return;
    LoadBusy = true;
    if (!files || files->empty()) {
        LoadBusy = false;
        return;
    }
    // Work on a copy of the list: a status update may let another command replace it.
    const FileList list = *files;
    RoutineList allRoutines;
    RoutinesByFile.clear();
    if (analysis)
        analysis->BeginPhase1();

    const qsizetype n = qsizetype(list.size());
    for (qsizetype i = 0; i < n; ++i) {
        const ProjectFile& file = *list[size_t(i)];
        if (trimBlanks(file.FilePath).isEmpty())
            continue;
        SetStatus(QStringLiteral("Phase 1 of 2: Loading file ") + QString::number(i + 1) + QStringLiteral(" of ")
                  + QString::number(n));
        // Read once: the split and the API registration share the lines.
        SourceFile source;
        if (FileExists(file.FilePath)) {
            source = reader_->Read(file.FilePath);
            if (!source.ok)
                Notes.push_back({ProjectNote::Kind::Unreadable, QString(), file.FilePath, source.error});
            else if (source.hasNul)
                Notes.push_back({ProjectNote::Kind::Binary, QString(), file.FilePath, QString()});
        }
        RoutineList routines = source.ok ? SplitLinesIntoRoutines(file.FilePath, source.lines) : RoutineList();
        RoutinesByFile.insert(file.FilePath, routines);
        if (analysis)
            analysis->RegisterApiDeclarations(file.FilePath, source.lines);
        const bool formOrClass = file.FileType() == QLatin1String("FRM") || file.FileType() == QLatin1String("CLS");
        for (const RoutinePtr& routine : routines) {
            allRoutines.push_back(routine);
            if (analysis && formOrClass)
                analysis->RegisterEventHandler(routine, file);
        }
    }
    LoadStatusText = QStringLiteral("Phase 1 of 2: Loading file ") + QString::number(n) + QStringLiteral(" of ")
        + QString::number(n);
    if (analysis && !allRoutines.empty())
        analysis->BuildDependencyIndex(allRoutines, *this);
    LoadBusy = false;
}

void Project::RecordProjectSignature(const QString& vbpPath)
{
    if (trimBlanks(vbpPath).isEmpty() || !FileExists(vbpPath))
        return;
    const QFileInfo info(vbpPath);
    RecordedProjectPath = vbpPath;
    RecordedProjectLength = info.size();
    RecordedProjectTime = info.lastModified();
}

bool Project::ProjectChanged(const QString& vbpPath)
{
    QString reason;
    if (trimBlanks(vbpPath).isEmpty()) {
        reason = QStringLiteral("A system error has occurred wherein the path and file name ")
            + QStringLiteral("of the project file has been erased from memory.  Try using ")
            + QStringLiteral("menu File|Open to reload the project file and continue the ")
            + QStringLiteral("activity that was interrupted.  If the problem continues to ")
            + QStringLiteral("occur, please use menu Help|About for contact information ")
            + QStringLiteral("to advise the program author.");
    } else if (!FileExists(vbpPath)) {
        reason = QStringLiteral("The project file no longer exists or has been moved to ")
            + QStringLiteral("a new location");
    } else if (!EqualsNoCase(vbpPath, RecordedProjectPath)) {
        reason = QStringLiteral("The name of the project file has changed or it no longer ")
            + QStringLiteral("exists or has been moved to a new location");
    } else if (!RecordedProjectTime.isValid() && RecordedProjectLength == 0) {
        reason = QStringLiteral("A system error has occurred wherein the length ")
            + QStringLiteral("of the project file has not been captured.  Please use menu ")
            + QStringLiteral("Help|About for contact information to advise the program author.");
    } else {
        const QFileInfo info(vbpPath);
        if (info.size() != RecordedProjectLength) {
            reason = QStringLiteral("The project file has been edited changing its length.");
        } else {
            const qint64 drift = RecordedProjectTime.isValid()
                ? std::llabs(info.lastModified().msecsTo(RecordedProjectTime))
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
        messages->ShowMessage(platform::MessageIcon::Exclamation, QStringLiteral("Reload required"), text);
    }
    return true;
}

Project::OpenOutcome Project::OpenProject(const QString& vbpPath)
{
    // A second open arriving while a load lets events run must not pull the file list
    // out from under the first.
    if (LoadBusy)
        return OpenOutcome::Busy;
    LastOpenError.clear();
    ProjectPath = vbpPath.isEmpty() ? QString() : AbsoluteProjectPath(vbpPath);
    if (!FileExists(ProjectPath)) {
        if (messages)
            messages->ShowMessage(platform::MessageIcon::Critical, QStringLiteral("No valid file"),
                                  QStringLiteral("Selected file ") + Quote(ProjectPath.isEmpty() ? vbpPath : ProjectPath)
                                      + QStringLiteral(" does not exist."));
        LastOpenError = QFileInfo(ProjectPath).isDir() ? QStringLiteral("it is a folder, not a project file")
                                                       : QStringLiteral("no such file");
        return OpenOutcome::Missing;
    }

    Notes.clear();
    LoadStatusText.clear();
    RoutinesByFile.clear();
    std::optional<FileList> files = LoadVbpFiles(ProjectPath);
    ProjectFileList = files ? *files : FileList();
    if (FilesListed)
        FilesListed(*this);
    if (analysis)
        analysis->PrepareSymbolTables(ProjectFileList);
    LoadProjectRoutines(&ProjectFileList);
    RecordProjectSignature(ProjectPath);
    if (analysis)
        analysis->FindProgramStartup(ProjectPath);
    if (RefreshTableOfContents)
        RefreshTableOfContents(*this);
    LoadStatusText += kCrLf + QStringLiteral("Dependency Index Complete");
    SetStatus(LoadStatusText + kCrLf + kCrLf + kProjectLoadedText);
    return files ? OpenOutcome::Loaded : OpenOutcome::Unreadable;
}

qint32 ReadFileToArray(const QString& path, QStringList& lines, const SourceReader& reader)
{
    const SourceFile file = reader.Read(path);
    lines.clear();
    if (!file.ok)
        return 0;
    lines = file.lines;
    return qint32(lines.size());
}

} // namespace quillon::model
