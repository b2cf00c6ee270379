#pragma once
#include "analysis/ProjectAnalysis.h"
#include "model/ProjectLoader.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <ostream>
#include <streambuf>

// What the subcommands share: argument parsing, output, messages and project loading.
namespace quillon::app {

// Thrown by a subcommand for a usage error; the caller prints it with the usage.
struct Usage {
    QString problem;
};

void write(std::ostream& stream, const QString& text);

// Standard error of one command line, where its own lines, the messages it meets and its
// progress all go. On a terminal the progress is one line rewritten in place, ended before
// anything else is written through stream() and by endProgress(); elsewhere (a file, a pipe)
// every progress text is a line of its own.
class ConsoleWriter : private std::streambuf {
public:
    ConsoleWriter(std::ostream& err, bool terminal) : err_(err), stream_(this), terminal_(terminal) { }
    std::ostream& stream() { return stream_; }
    void progress(const QString& text);
    void endProgress();

private:
    int overflow(int c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

    std::ostream& err_;
    std::ostream stream_;
    bool terminal_;
    bool progressOpen_ = false;
};

void note(std::ostream& err, const QString& text);
// "quillon: cannot read "PATH": REASON" on stderr; returns the exit status 1.
int cannotRead(std::ostream& err, const QString& path, const QString& reason);
// The exit status 1 when PATH is a folder or does not exist (the message written); none for
// a file.
std::optional<int> notAFile(std::ostream& err, const QString& path);
// "quillon: cannot write "PATH": REASON" on stderr; returns the exit status 1.
int cannotWrite(std::ostream& err, const QString& path, const QString& reason);
// The note for a file that holds NUL bytes: it is read all the same.
void noteBinary(std::ostream& err, const QString& path);
bool isProjectFile(const QString& path);

// The command line after the subcommand: positional arguments, "--name value" options and
// "--name" flags ("-o" stands for "--output").
struct Arguments {
    QStringList positional;
    QHash<QString, QString> options;
    QHash<QString, QStringList> repeated; // all the values of each option, in order (some may be given twice)
    bool has(const QString& name) const { return options.contains(name); }
    QString value(const QString& name) const { return options.value(name); }
    QStringList values(const QString& name) const { return repeated.value(name); }
};
std::optional<Arguments> parseArguments(
    const QStringList& args, const QStringList& valueOptions, QString& problem, const QStringList& flagOptions = {});

// A project loaded with its analysis.
struct AnalysedProject {
    explicit AnalysedProject(const model::SourceReader& reader) : project(reader), analysis(reader)
    {
        project.analysis = &analysis;
    }
    model::Project project;
    analysis::ProjectAnalysis analysis;
};

// Loads a project for a dump; the exit status when it cannot be read (the message written).
std::optional<int> openForDump(model::Project& project, const QString& path, std::ostream& err);
// The project file argument of a subcommand (throws Usage).
QString projectArgument(const Arguments& args, const char* command, qsizetype minimum, qsizetype maximum);
// The paths of the files --files NAME,... names (throws Usage for a name the project lacks), or of
// every file of the project.
QStringList projectFilesArgument(const Arguments& args, const model::Project& project);
// The number an option gives, from low to high (throws Usage).
double numberArgument(const Arguments& args, const char* name, double low, double high);
// "--aggregate none|small|all", or the fallback when it is not given (throws Usage).
model::AggregateMode aggregateArgument(const Arguments& args, model::AggregateMode fallback);

} // namespace quillon::app
