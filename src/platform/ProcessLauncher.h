#pragma once
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class QProcess;

namespace quillon::platform {

// Starts helper programs (the PDF combining tool) without a window and without waiting for
// them. The caller polls; a helper that stops making progress can be ended together with
// everything it started.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts the program with no input and its output discarded. Returns an id above 0, or 0
    // with the reason in *error when it could not be started.
    virtual qint64 start(const QString& program, const QStringList& arguments, QString* error) = 0;
    // False once the process has ended (or the id is unknown).
    virtual bool isRunning(qint64 id) = 0;
    // Ends the process and the processes it started, then forgets it.
    virtual void stop(qint64 id) = 0;
    // Forgets a process that has ended or is ending; one still running after a short grace
    // is stopped first.
    virtual void release(qint64 id) = 0;
};

// The system's processes through QProcess. Each one runs in a process group of its own, so
// that stopping it also ends a tool it runs in turn (the shell script and its qpdf).
class ProcessLauncher : public IProcessLauncher {
public:
    ProcessLauncher();
    ~ProcessLauncher() override;
    ProcessLauncher(const ProcessLauncher&) = delete;
    ProcessLauncher& operator=(const ProcessLauncher&) = delete;

    qint64 start(const QString& program, const QStringList& arguments, QString* error) override;
    bool isRunning(qint64 id) override;
    void stop(qint64 id) override;
    void release(qint64 id) override;

private:
    std::map<qint64, std::unique_ptr<QProcess>> processes_;
    std::map<qint64, qint64> groups_; // id -> the pid that leads its process group
    qint64 nextId_ = 1;
};

} // namespace quillon::platform
