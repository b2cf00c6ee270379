#pragma once
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace quillon::platform {

// One running copy of the program per user: the first copy listens on a local socket named
// after the program's identifier and the user; a later copy connects, asks the first to
// come to the front (and, when it was given one, to open a project file) and is told to end.
// A socket left behind by a copy that crashed never blocks a start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString identifier, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process may run: it is the first copy (it now listens), the identifier
    // is empty, or the guard could not be set up. False when another copy runs; that copy
    // has then been asked to activate its window and to open `projectPath` when one is given.
    bool ensure(const QString& projectPath = QString());
    // Stops listening; a later copy may start.
    void release();
    bool isOwner() const;

    // The socket's name: the identifier and the user's login name, so that two users of one
    // machine never block each other.
    static QString serverName(const QString& identifier);

    // How long a later copy waits for the first copy to connect and to answer.
    static constexpr int kConnectTimeoutMs = 1000;
    static constexpr int kAnswerTimeoutMs = 1000;
    // A request longer than this (a line, newline included) is dropped unread.
    static constexpr qint64 kMaxRequestBytes = 4096;

    // Why the first copy would not open a file a later copy handed over; empty when it would:
    // an absolute path to an existing, readable regular file whose name ends in ".vbp".
    static QString handedFileProblem(const QString& path);

Q_SIGNALS:
    // A later copy was started: restore, raise and activate the main window.
    void activationRequested();
    // ... and handed over this project file, which handedFileProblem() accepted.
    void openRequested(const QString& path);
    // ... and handed over something else; one line that says what and why, for the log.
    void requestIgnored(const QString& why);

private:
    bool askRunningCopy(const QByteArray& request);
    void accept();
    void serve(QLocalSocket* socket);

    QString identifier_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillon::platform
