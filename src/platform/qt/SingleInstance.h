#pragma once
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace quillon::platform {

// One running copy of the program per user: the first copy listens on a local socket named
// after the program's identifier and the user; a later copy connects, asks the first to
// come to the front and is told to end. A socket left behind by a copy that crashed never
// blocks a start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString identifier, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process may run: it is the first copy (it now listens), the identifier
    // is empty, or the guard could not be set up. False when another copy runs; that copy
    // has then been asked to activate its window.
    bool ensure();
    // Stops listening; a later copy may start.
    void release();
    bool isOwner() const;

    // The socket's name: the identifier and the user's login name, so that two users of one
    // machine never block each other.
    static QString serverName(const QString& identifier);

    // How long a later copy waits for the first copy to connect and to answer.
    static constexpr int kConnectTimeoutMs = 1000;
    static constexpr int kAnswerTimeoutMs = 1000;

Q_SIGNALS:
    // A later copy was started: restore, raise and activate the main window.
    void activationRequested();

private:
    bool askRunningCopy();
    void accept();
    void serve(QLocalSocket* socket);

    QString identifier_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillon::platform
