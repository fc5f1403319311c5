#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace hoxa {

namespace {
constexpr char kRaise[] = "raise\n";

QString LockPath()
{
    // The per-user runtime folder when the session has one, else the temp folder.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    return dir + QStringLiteral("/hoxa_Nivora-%1.lock").arg(::getuid());
}
}  // namespace

QString InstanceServerName() { return QStringLiteral("hoxa_Nivora-%1").arg(::getuid()); }

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AskRunningCopy(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(timeoutMs);
    // The running copy answers once it has taken the request.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Acquire()
{
    // The usual case: a copy already listens.
    if (AskRunningCopy(1000)) return false;

    // Two starts at the same moment: only one at a time may check and listen.
    QLockFile lock(LockPath());
    lock.setStaleLockTime(0);  // stale only when its owner process is gone
    if (!lock.tryLock(10000)) {
        // A live process holds the lock for very long: if a copy answers now it
        // wins; otherwise start without listening rather than not at all.
        return !AskRunningCopy(1000);
    }
    if (AskRunningCopy(1000)) return false;

    // Nobody answers: a name left behind by a crashed copy is removed.
    QLocalServer::removeServer(InstanceServerName());
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(InstanceServerName())) {
        server_.reset();
        return true;  // cannot listen: still run rather than refuse to start
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto serve = [this, socket] {
            if (!socket->canReadLine()) return;
            const QByteArray request = socket->readLine();
            if (request != kRaise) return;
            socket->write("ok\n");
            socket->flush();
            if (onActivate_) onActivate_();
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        serve();
    }
}

}  // namespace hoxa
