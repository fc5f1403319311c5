#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace hoxa {

namespace {
// The requests of a later start, one line each: "raise", or "open " and the
// file's path (its local 8-bit bytes, percent-encoded so that any name fits
// on the line).
constexpr char kRaise[] = "raise\n";
constexpr char kOpen[] = "open ";

QByteArray Request(const QString& file)
{
    if (file.isEmpty()) return kRaise;
    return kOpen + QFile::encodeName(file).toPercentEncoding() + '\n';
}

QString LockPath()
{
    // The per-user runtime folder when the session has one, else the temp folder.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    return dir + QLatin1Char('/') + InstanceServerName() + QStringLiteral(".lock");
}
}  // namespace

QString DisplayKey(const QString& platform, const QString& x11Display, const QString& waylandDisplay)
{
    QString key;
    if (platform == QLatin1String("wayland")) {
        key = waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay;
    } else {
        // host:display.screen; the screen is part of the same display, and an
        // empty host, "unix" and "localhost"'s local socket name the same server.
        key = x11Display;
        const int colon = key.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0) {
            const int dot = key.indexOf(QLatin1Char('.'), colon);
            if (dot >= 0) key.truncate(dot);
            if (key.left(colon) == QLatin1String("unix")) key.remove(0, colon);
        }
    }
    // Only characters a socket name may hold; a long name (a Wayland socket
    // given as a path) by its hash, to stay within the socket path limit.
    QString safe;
    for (QChar c : key) safe += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'.' ? c : QChar(u'_');
    if (safe.size() > 32)
        safe = QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    return safe;
}

QString InstanceServerName()
{
    const QString display = DisplayKey(QGuiApplication::platformName(), qEnvironmentVariable("DISPLAY"),
                                       qEnvironmentVariable("WAYLAND_DISPLAY"));
    return QStringLiteral("hoxa_Nivora-%1-%2").arg(::getuid()).arg(display);
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AskRunningCopy(int timeoutMs, const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(request);
    socket.waitForBytesWritten(timeoutMs);
    // The running copy answers once it has taken the request.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Acquire(const QString& file)
{
    const QByteArray request = Request(file);
    // The usual case: a copy already listens.
    if (AskRunningCopy(1000, request)) return false;

    // Two starts at the same moment: only one at a time may check and listen.
    QLockFile lock(LockPath());
    lock.setStaleLockTime(0);  // stale only when its owner process is gone
    if (!lock.tryLock(10000)) {
        // A live process holds the lock for very long: if a copy answers now it
        // wins; otherwise start without listening rather than not at all.
        return !AskRunningCopy(1000, request);
    }
    if (AskRunningCopy(1000, request)) return false;

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
            const bool open = request.startsWith(kOpen) && request.endsWith('\n');
            if (request != kRaise && !open) return;
            socket->write("ok\n");
            socket->flush();
            if (onActivate_) onActivate_();
            if (open && onOpen_)
                onOpen_(QFile::decodeName(QByteArray::fromPercentEncoding(request.mid(sizeof kOpen - 1).chopped(1))));
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        serve();
    }
}

}  // namespace hoxa
