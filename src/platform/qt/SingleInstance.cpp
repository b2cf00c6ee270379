#include "platform/qt/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace quillon::platform {

namespace {

const QByteArray kActivate = QByteArrayLiteral("ACTIVATE\n");
// Followed by the path, percent-encoded so that no file name can end the line early.
const QByteArray kOpen = QByteArrayLiteral("OPEN ");
const QByteArray kAnswer = QByteArrayLiteral("OK\n");

QString userName()
{
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    const QString name = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return name.isEmpty() ? QStringLiteral("user") : name;
}

} // namespace

SingleInstance::SingleInstance(QString identifier, QObject* parent)
    : QObject(parent), identifier_(std::move(identifier))
{ }

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::serverName(const QString& identifier)
{
    QString name = identifier + QLatin1Char('.') + userName();
    // The name becomes a file name in the temporary folder.
    for (QChar& ch : name) {
        if (!(ch.isLetterOrNumber() && ch.unicode() < 0x80) && !QStringLiteral(".-_{}").contains(ch))
            ch = u'_';
    }
    return name;
}

bool SingleInstance::isOwner() const
{
    return server_ && server_->isListening();
}

QString SingleInstance::handedFileProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isAbsolute())
        return QStringLiteral("not an absolute path");
    if (!path.endsWith(QStringLiteral(".vbp"), Qt::CaseInsensitive))
        return QStringLiteral("not a .vbp file");
    // A device or a pipe named *.vbp would block the load for good.
    if (!info.isFile())
        return QStringLiteral("not an existing regular file");
    if (!info.isReadable())
        return QStringLiteral("not readable");
    return QString();
}

bool SingleInstance::ensure(const QString& projectPath)
{
    if (identifier_.isEmpty() || isOwner())
        return true;
    const QString name = serverName(identifier_);
    // Two copies started at the same moment would both find no listener and the second
    // would remove the first one's socket: the look and the listen go together. A lock left
    // by a crashed copy is taken over (its process is gone).
    QLockFile lock(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock"));
    // Past the wait the start goes on unguarded rather than not at all.
    lock.tryLock(kConnectTimeoutMs + kAnswerTimeoutMs);
    const QByteArray request =
        projectPath.isEmpty() ? kActivate : kOpen + projectPath.toUtf8().toPercentEncoding() + QByteArrayLiteral("\n");
    if (askRunningCopy(request))
        return false;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered: whatever socket file is there was left by a copy that ended.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        qWarning("Quillon: the single-instance guard could not listen on %s: %s", qPrintable(name),
            qPrintable(server_->errorString()));
        server_.reset();
        return true;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

bool SingleInstance::askRunningCopy(const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(identifier_));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(request);
    socket.waitForBytesWritten(kAnswerTimeoutMs);
    // A copy that is busy may answer late or not at all; it runs all the same.
    socket.waitForReadyRead(kAnswerTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        serve(socket);
    }
}

void SingleInstance::serve(QLocalSocket* socket)
{
    // A peer that never ends its line is not kept waiting for, nor its bytes.
    const bool tooLong =
        socket->bytesAvailable() >= kMaxRequestBytes && socket->peek(kMaxRequestBytes).indexOf('\n') < 0;
    if (tooLong) {
        Q_EMIT requestIgnored(
            QStringLiteral("Ignored a request from another copy: longer than %1 bytes").arg(kMaxRequestBytes));
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QByteArray line = socket->readLine(kMaxRequestBytes + 1);
    const bool opens = line.startsWith(kOpen) && line.endsWith('\n');
    if (line == kActivate || opens) {
        socket->write(kAnswer);
        socket->flush();
        Q_EMIT activationRequested();
    }
    if (opens) {
        const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(kOpen.size()).chopped(1)));
        const QString problem = handedFileProblem(path);
        if (problem.isEmpty())
            Q_EMIT openRequested(path);
        else
            Q_EMIT requestIgnored(
                QStringLiteral("Ignored a file handed over by another copy (%1): %2").arg(problem, path));
    }
    socket->disconnectFromServer();
}

void SingleInstance::release()
{
    if (server_) {
        server_->close();
        server_.reset();
    }
}

} // namespace quillon::platform
