#pragma once
#include "app/Cli.h"
#include "support/RecordingPrintSurface.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <memory>
#include <sstream>
#include <vector>

namespace quillon::test {

// What one command line gave: its exit code, standard output and standard error.
struct CliRun {
    int code;
    QString out;
    QString err;
};

// The command line in this process, reading standardInput as its standard input; printing
// commands draw on a recording surface whose operations land in drawn->ops.
inline CliRun cli(const QStringList& args, RecordingPrintSurface* drawn = nullptr, const QByteArray& standardInput = {})
{
    if (drawn)
        drawn->ops.clear();
    app::CliServices services;
    services.readStandardInput = [standardInput] { return standardInput; };
    services.createPrintSurface = [drawn] {
        auto surface = std::make_unique<RecordingPrintSurface>();
        surface->keepOpsIn = drawn ? &drawn->ops : nullptr;
        return std::unique_ptr<platform::IPrintSurface>(std::move(surface));
    };
    std::ostringstream out;
    std::ostringstream err;
    const int code = app::runCli(args, out, err, services);
    return {code, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

// The program itself, as a script runs it; -1 when it did not end normally within the time.
struct Process {
    int code;
    QByteArray out;
    QByteArray err;
};
inline Process runProgram(
    const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAllStandardOutput(), process.readAllStandardError()};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError()};
}

// A tool's standard output, empty when it did not end normally; the pages of a PDF as qpdf
// counts them, -1 when it cannot.
inline QString toolOutput(const QString& tool, const QStringList& args)
{
    const Process run = runProgram(tool, args);
    return run.code < 0 ? QString() : QString::fromUtf8(run.out);
}
inline int pdfPages(const QString& pdf)
{
    const Process run = runProgram(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf});
    return run.code == 0 ? run.out.trimmed().toInt() : -1;
}

} // namespace quillon::test

// Skips the test unless every tool named is installed.
#define SKIP_WITHOUT_TOOLS(...)                                                                                                                                \
    for (const char* tool : {__VA_ARGS__}) {                                                                                                                   \
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())                                                                               \
            GTEST_SKIP() << tool << " is not installed (./quillon.sh setup installs it)";                                                                      \
    }
// Runs a tool into `const Process var`, skipping the test when it is not installed.
#define RUN_OR_SKIP(var, program, ...)                                                                                                                         \
    SKIP_WITHOUT_TOOLS(program);                                                                                                                               \
    const quillon::test::Process var = quillon::test::runProgram(QStringLiteral(program), __VA_ARGS__)
