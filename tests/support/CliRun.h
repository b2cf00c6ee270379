#pragma once
#include "app/Cli.h"
#include "support/RecordingPrintSurface.h"

#include <QProcess>
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

// The command line in this process; printing commands draw on a recording surface whose
// operations land in *drawn.
inline CliRun cli(const QStringList& args, std::vector<RecordingPrintSurface::Op>* drawn = nullptr)
{
    using Op = RecordingPrintSurface::Op;
    auto sink = std::make_shared<std::vector<Op>>();
    struct Keeping : RecordingPrintSurface {
        std::shared_ptr<std::vector<Op>> sink;
        ~Keeping() override { *sink = ops; }
    };
    app::CliServices services;
    services.createPrintSurface = [sink] {
        auto surface = std::make_unique<Keeping>();
        surface->sink = sink;
        return std::unique_ptr<platform::IPrintSurface>(std::move(surface));
    };
    std::ostringstream out;
    std::ostringstream err;
    const int code = app::runCli(args, out, err, services);
    if (drawn)
        *drawn = *sink;
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

} // namespace quillon::test
