#include "app/Cli.h"

#include "model/DiagLog.h"
#include "model/ProjectLoader.h"
#include "model/RoutineParser.h"
#include "model/TextPrimitives.h"
#include "platform/MessageBox.h"

#include <QFileInfo>

#include <optional>

namespace quillon::app {

using namespace quillon::model;

namespace {

struct Usage {
    QString problem;
};

void Write(std::ostream& stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    stream.write(bytes.constData(), bytes.size());
}

// The command line after the subcommand: positional arguments and "--name value" options.
struct Arguments {
    QStringList positional;
    QHash<QString, QString> options;
};

std::optional<Arguments> ParseArguments(const QStringList& args, const QStringList& valueOptions, QString& problem)
{
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            parsed.positional << arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
        } else if (valueOptions.contains(name)) {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("option --") + name + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            value = args[++i];
        }
        if (!valueOptions.contains(name)) {
            problem = QStringLiteral("unknown option --") + name;
            return std::nullopt;
        }
        parsed.options.insert(name, value);
    }
    return parsed;
}

QString RoutineLine(const clsRoutineInfo& r)
{
    const QChar tab = QLatin1Char('\t');
    return FileNameOf(r.FilePath) + tab + r.RoutineKind + tab + r.RoutineName + tab + QString::number(r.lStartLine)
        + tab + QString::number(r.lSigLine) + tab + QString::number(r.lEndLine) + tab
        + QString::number(r.CommentLines) + tab + QString::number(r.BlankLines) + tab + QString::number(r.CodeLines)
        + tab + (r.SigLineText.isEmpty() ? QString() : ScopeAndKindText(r.SigLineText)) + tab + r.ModuleName
        + QLatin1Char('\n');
}

QString FileRoutineLines(const QString& path, const RoutineList& routines, int aggregateMode,
                         const RoutinesByFileMap& loaded, const SourceReader& reader)
{
    QString text;
    for (const RoutinePtr& routine : routines)
        text += RoutineLine(*routine);
    if (aggregateMode == 0)
        return text;
    const RoutineList members = CollectAggregateProperties(path, aggregateMode, &loaded, reader);
    if (members.empty())
        return text;
    text += RoutineLine(*MakeAggregateRecord(path, aggregateMode, qint32(members.size()), reader));
    const QChar tab = QLatin1Char('\t');
    for (const RoutinePtr& member : members) {
        text += FileNameOf(member->FilePath) + tab + QStringLiteral("MEMBER") + tab + member->RoutineName + tab
            + QString::number(member->lStartLine) + tab + QString::number(member->lEndLine) + QLatin1Char('\n');
    }
    return text;
}

void Note(std::ostream& err, const QString& text)
{
    Write(err, QStringLiteral("quillon: note: ") + text + QLatin1Char('\n'));
}

int CannotRead(std::ostream& err, const QString& path, const QString& reason)
{
    Write(err, QStringLiteral("quillon: cannot read ") + Quote(path) + QStringLiteral(": ") + reason
                   + QLatin1Char('\n'));
    return 1;
}

bool IsProjectFile(const QString& path)
{
    return UCase(FileExtension(path)) == QLatin1String("VBP");
}

// Loads a project for a dump; nullopt (with the message written) when it cannot be read.
std::optional<int> OpenForDump(Project& project, const QString& path, std::ostream& err)
{
    const Project::OpenOutcome outcome = project.OpenProject(path);
    if (outcome != Project::OpenOutcome::Loaded)
        return CannotRead(err, path, project.LastOpenError);
    for (const ProjectNote& note : project.Notes)
        Note(err, NoteText(note));
    if (project.ProjectFileList.empty())
        Note(err, Quote(path) + QStringLiteral(" names no source file that could be loaded"));
    return std::nullopt;
}

int RunFiles(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage{QStringLiteral("files takes one project file")};
    Project project(reader);
    const std::optional<FileList> files = [&]() -> std::optional<FileList> {
        const QString path = args.positional[0];
        if (!FileExists(path))
            return std::nullopt;
        return project.LoadVbpFiles(QFileInfo(path).absoluteFilePath());
    }();
    if (!files) {
        const QString path = args.positional[0];
        return CannotRead(err, path,
                          project.LastOpenError.isEmpty()
                              ? (QFileInfo(path).isDir() ? QStringLiteral("it is a folder, not a project file")
                                                         : QStringLiteral("no such file"))
                              : project.LastOpenError);
    }
    for (const ProjectNote& note : project.Notes)
        Note(err, NoteText(note));
    QString text;
    for (const FilePtr& file : *files) {
        text += file->FileType() + QLatin1Char('\t') + file->FileName + QLatin1Char('\t') + file->FilePath
            + QLatin1Char('\n');
    }
    Write(out, text);
    return 0;
}

int RunRoutines(const Arguments& args, const SourceReader& reader, std::ostream& out, std::ostream& err)
{
    if (args.positional.size() != 1)
        throw Usage{QStringLiteral("routines takes one project or source file")};
    int aggregateMode = 0;
    if (args.options.contains(QStringLiteral("aggregate"))) {
        const QString mode = args.options.value(QStringLiteral("aggregate"));
        if (mode == QLatin1String("none"))
            aggregateMode = 0;
        else if (mode == QLatin1String("small"))
            aggregateMode = 1;
        else if (mode == QLatin1String("all"))
            aggregateMode = 2;
        else
            throw Usage{QStringLiteral("--aggregate takes none, small or all")};
    }
    const QString path = args.positional[0];
    if (IsProjectFile(path)) {
        Project project(reader);
        if (std::optional<int> failed = OpenForDump(project, path, err))
            return *failed;
        for (const FilePtr& file : project.ProjectFileList) {
            const RoutineList* routines = project.RoutinesByFile.find(file->FilePath);
            Write(out, FileRoutineLines(file->FilePath, routines ? *routines : RoutineList(), aggregateMode,
                                        project.RoutinesByFile, reader));
        }
        return 0;
    }

    const QFileInfo info(path);
    if (info.isDir())
        return CannotRead(err, path, QStringLiteral("it is a folder, not a file"));
    if (!info.exists())
        return CannotRead(err, path, QStringLiteral("no such file"));
    const QString absolute = info.absoluteFilePath();
    SplitReport report;
    const RoutineList routines = SplitFileIntoRoutines(absolute, reader, &report);
    if (!report.readOk)
        return CannotRead(err, path, report.error);
    if (report.hasNul)
        Note(err, Quote(path) + QStringLiteral(" holds NUL bytes: it looks like a binary file, not VB6 source"));
    RoutinesByFileMap loaded;
    loaded.insert(absolute, routines);
    Write(out, FileRoutineLines(absolute, routines, aggregateMode, loaded, reader));
    return 0;
}

} // namespace

QString UsageText()
{
    return QStringLiteral(
        "Usage: quillon SUBCOMMAND [ARGUMENTS]\n"
        "\n"
        "Subcommands:\n"
        "  files PROJECT.vbp [--codepage NAME]\n"
        "      The project's source files in file-list order: type, name, path.\n"
        "  routines PROJECT.vbp|SOURCEFILE [--aggregate none|small|all] [--codepage NAME]\n"
        "      The routines of every file of a project, or of one source file.\n"
        "\n"
        "Options:\n"
        "  --aggregate MODE  also group property procedures: none (default), small\n"
        "                    (at most 6 lines each) or all\n"
        "  --codepage NAME   code page of source files that are not UTF-8 (default\n"
        "                    windows-1252): windows-874, windows-1250 ... windows-1258\n"
        "  --help            show this text\n"
        "  --version         show the version\n"
        "\n"
        "Exit status: 0 done, 1 an input could not be read, 2 a usage error.\n");
}

int RunCli(const QStringList& args, std::ostream& out, std::ostream& err)
{
    auto usageError = [&](const QString& problem) {
        Write(err, QStringLiteral("quillon: ") + problem + QStringLiteral("\n\n") + UsageText());
        return 2;
    };
    if (args.isEmpty())
        return usageError(QStringLiteral("no subcommand given"));
    const QString command = args[0];
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        Write(out, UsageText());
        return 0;
    }
    if (command == QLatin1String("--version")) {
        Write(out, QStringLiteral("Quillon " QUILLON_VERSION "\n"));
        return 0;
    }

    QStringList valueOptions{QStringLiteral("codepage")};
    if (command == QLatin1String("routines"))
        valueOptions << QStringLiteral("aggregate");
    else if (command != QLatin1String("files"))
        return usageError(QStringLiteral("unknown subcommand ") + Quote(command));

    QString problem;
    const std::optional<Arguments> parsed = ParseArguments(args.mid(1), valueOptions, problem);
    if (!parsed)
        return usageError(problem);

    const CodePage* codePage = &CodePage::Default();
    if (parsed->options.contains(QStringLiteral("codepage"))) {
        codePage = CodePage::Find(parsed->options.value(QStringLiteral("codepage")));
        if (!codePage)
            return usageError(QStringLiteral("unknown code page ") + Quote(parsed->options.value(QStringLiteral("codepage")))
                              + QStringLiteral(" (known: ") + CodePage::Names().join(QStringLiteral(", "))
                              + QLatin1Char(')'));
    }
    const SourceReader reader(*codePage, &DiagLog::Default());
    try {
        if (command == QLatin1String("files"))
            return RunFiles(*parsed, reader, out, err);
        return RunRoutines(*parsed, reader, out, err);
    } catch (const Usage& usage) {
        return usageError(usage.problem);
    }
}

} // namespace quillon::app
