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
void SignalGroup(qint64 pid, int signal)
{
    if (pid > 1)
        ::kill(-pid_t(pid), signal);
}
} // namespace

ProcessLauncher::ProcessLauncher() = default;

ProcessLauncher::~ProcessLauncher()
{
    while (!processes_.empty())
        Stop(processes_.begin()->first);
}

qint64 ProcessLauncher::Start(const QString& program, const QStringList& arguments, QString* error)
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
    InterruptCleanup::TrackProcessGroup(groups_[id]);
    processes_.emplace(id, std::move(process));
    return id;
}

bool ProcessLauncher::IsRunning(qint64 id)
{
    const auto it = processes_.find(id);
    if (it == processes_.end())
        return false;
    // Without an event loop QProcess learns of the end only when asked.
    it->second->waitForFinished(0);
    return it->second->state() != QProcess::NotRunning;
}

void ProcessLauncher::Stop(qint64 id)
{
    const auto it = processes_.find(id);
    if (it == processes_.end())
        return;
    QProcess& process = *it->second;
    process.waitForFinished(0);
    if (process.state() != QProcess::NotRunning) {
        const qint64 pid = process.processId();
        SignalGroup(pid, SIGTERM);
        if (!process.waitForFinished(kStopGraceMs)) {
            SignalGroup(pid, SIGKILL);
            process.waitForFinished(kStopGraceMs);
        }
    }
    // The pid noted at the start: QProcess forgets it once the process has ended.
    InterruptCleanup::ForgetProcessGroup(groups_[id]);
    groups_.erase(id);
    processes_.erase(it);
}

void ProcessLauncher::Release(qint64 id)
{
    // A process being released has normally just finished its work: give it the moment it
    // needs to exit before stopping it.
    const auto it = processes_.find(id);
    if (it != processes_.end() && it->second->state() != QProcess::NotRunning)
        it->second->waitForFinished(kStopGraceMs);
    Stop(id);
}

} // namespace quillon::platform
