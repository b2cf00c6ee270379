#include "platform/ProcessLauncher.h"

#include "platform/InterruptCleanup.h"

#include <QProcess>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace quillon::platform {

namespace {
constexpr int kStopGraceMs = 2000;

// Signals the process group the helper leads. A pid of 0 or 1 would address our own group or
// every process, so those are never signalled.
void signalGroup(qint64 pid, int signal)
{
    if (pid > 1)
        ::kill(-pid_t(pid), signal);
}
} // namespace

ProcessLauncher::ProcessLauncher() = default;

ProcessLauncher::~ProcessLauncher()
{
    while (!processes_.empty())
        stop(processes_.begin()->first);
}

qint64 ProcessLauncher::start(const QString& program, const QStringList& arguments, QString* error)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    process->start();
    if (!process->waitForStarted(10000)) {
        if (error)
            *error = process->errorString();
        process->kill();
        process->waitForFinished(kStopGraceMs);
        return 0;
    }
    const qint64 id = nextId_++;
    // Its own process group does not hear the terminal's Ctrl+C: an interrupted program ends it.
    groups_[id] = process->processId();
    InterruptCleanup::trackProcessGroup(groups_[id]);
    processes_.emplace(id, std::move(process));
    return id;
}

bool ProcessLauncher::isRunning(qint64 id)
{
    const auto it = processes_.find(id);
    if (it == processes_.end())
        return false;
    // Without an event loop QProcess learns of the end only when asked.
    it->second->waitForFinished(0);
    return it->second->state() != QProcess::NotRunning;
}

void ProcessLauncher::stop(qint64 id)
{
    const auto it = processes_.find(id);
    if (it == processes_.end())
        return;
    QProcess& process = *it->second;
    process.waitForFinished(0);
    if (process.state() != QProcess::NotRunning) {
        const qint64 pid = process.processId();
        signalGroup(pid, SIGTERM);
        if (!process.waitForFinished(kStopGraceMs)) {
            signalGroup(pid, SIGKILL);
            process.waitForFinished(kStopGraceMs);
        }
    }
    // The pid noted at the start: QProcess forgets it once the process has ended.
    InterruptCleanup::forgetProcessGroup(groups_[id]);
    groups_.erase(id);
    processes_.erase(it);
}

void ProcessLauncher::release(qint64 id)
{
    // A process being released has normally just finished its work: give it the moment it
    // needs to exit before stopping it.
    const auto it = processes_.find(id);
    if (it != processes_.end() && it->second->state() != QProcess::NotRunning)
        it->second->waitForFinished(kStopGraceMs);
    stop(id);
}

} // namespace quillon::platform
