#include "app/CliSupport.h"

#include "model/TextPrimitives.h"

#include <QFileInfo>

namespace quillon::app {

using namespace quillon::model;

void write(std::ostream& stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    stream.write(bytes.constData(), bytes.size());
}

void ConsoleWriter::progress(const QString& text)
{
    if (!terminal_) {
        write(err_, text + QLatin1Char('\n'));
        return;
    }
    write(err_, QLatin1Char('\r') + text + QStringLiteral("\033[K"));
    err_.flush();
    progressOpen_ = true;
}

void ConsoleWriter::endProgress()
{
    if (!progressOpen_)
        return;
    progressOpen_ = false;
    err_.put('\n');
}

int ConsoleWriter::overflow(int c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    endProgress();
    err_.put(traits_type::to_char_type(c));
    return err_ ? c : traits_type::eof();
}

std::streamsize ConsoleWriter::xsputn(const char* text, std::streamsize size)
{
    endProgress();
    err_.write(text, size);
    return err_ ? size : 0;
}

int ConsoleWriter::sync()
{
    err_.flush();
    return err_ ? 0 : -1;
}

void note(std::ostream& err, const QString& text)
{
    write(err, QStringLiteral("quillon: note: ") + text + QLatin1Char('\n'));
}

int cannotRead(std::ostream& err, const QString& path, const QString& reason)
{
    write(
        err, QStringLiteral("quillon: cannot read ") + quote(path) + QStringLiteral(": ") + reason + QLatin1Char('\n'));
    return 1;
}

std::optional<int> notAFile(std::ostream& err, const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return cannotRead(err, path, QStringLiteral("it is a folder, not a file"));
    if (!info.exists())
        return cannotRead(err, path, QStringLiteral("no such file"));
    return std::nullopt;
}

int cannotWrite(std::ostream& err, const QString& path, const QString& reason)
{
    write(err,
        QStringLiteral("quillon: cannot write ") + quote(path) + QStringLiteral(": ") + reason + QLatin1Char('\n'));
    return 1;
}

void noteBinary(std::ostream& err, const QString& path)
{
    note(err, quote(path) + QStringLiteral(" holds NUL bytes: it looks like a binary file, not VB6 source"));
}

bool isProjectFile(const QString& path)
{
    return upperCase(fileExtension(path)) == QLatin1String("VBP");
}

std::optional<Arguments> parseArguments(
    const QStringList& args, const QStringList& valueOptions, QString& problem, const QStringList& flagOptions)
{
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString arg = args[i] == QLatin1String("-o") ? QStringLiteral("--output") : args[i];
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
        } else if (flagOptions.contains(name)) {
            parsed.options.insert(name, QString());
            continue;
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
        parsed.repeated[name].append(value);
    }
    return parsed;
}

// Loads a project for a dump; nullopt (with the message written) when it cannot be read.
std::optional<int> openForDump(Project& project, const QString& path, std::ostream& err)
{
    if (const Outcome<void> opened = project.openProject(path); !opened)
        return cannotRead(err, path, opened.error());
    for (const ProjectNote& projectNote : project.notes)
        note(err, noteText(projectNote));
    if (project.projectFileList.empty())
        note(err, quote(path) + QStringLiteral(" names no source file that could be loaded"));
    return std::nullopt;
}

QString projectArgument(const Arguments& args, const char* command, qsizetype minimum, qsizetype maximum)
{
    if (args.positional.size() < minimum || args.positional.size() > maximum || !isProjectFile(args.positional[0]))
        throw Usage {QString::fromLatin1(command) + QStringLiteral(" takes a project file (.vbp)")};
    return args.positional[0];
}

QStringList projectFilesArgument(const Arguments& args, const model::Project& project)
{
    if (!args.has(QStringLiteral("files")))
        return model::filePaths(project.projectFileList);
    QStringList paths;
    for (const QString& name : args.value(QStringLiteral("files")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto file = std::find_if(project.projectFileList.begin(), project.projectFileList.end(),
            [&](const model::FilePtr& f) { return model::equalsNoCase(model::trimBlanks(name), f->fileName); });
        if (file == project.projectFileList.end())
            throw Usage {QStringLiteral("the project has no file ") + model::quote(name.trimmed())};
        paths.append((*file)->filePath);
    }
    return paths;
}

model::AggregateMode aggregateArgument(const Arguments& args, model::AggregateMode fallback)
{
    if (!args.has(QStringLiteral("aggregate")))
        return fallback;
    const QString mode = args.value(QStringLiteral("aggregate"));
    if (mode == QLatin1String("none"))
        return model::AggregateMode::None;
    if (mode == QLatin1String("small"))
        return model::AggregateMode::SmallProperties;
    if (mode == QLatin1String("all"))
        return model::AggregateMode::AllProperties;
    throw Usage {QStringLiteral("--aggregate takes none, small or all")};
}

double numberArgument(const Arguments& args, const char* name, double low, double high)
{
    bool ok = false;
    const double value = args.value(QString::fromLatin1(name)).toDouble(&ok);
    if (!ok || value < low || value > high)
        throw Usage {QStringLiteral("--") + QString::fromLatin1(name) + QStringLiteral(" takes a number from ")
            + QString::number(low) + QStringLiteral(" to ") + QString::number(high)};
    return value;
}

} // namespace quillon::app
