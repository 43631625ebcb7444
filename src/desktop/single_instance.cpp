#include "single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <memory>

namespace lp {

namespace {

// The one request a later instance sends. Anything else on the socket is ignored.
constexpr char kComeForward[] = "come-forward\n";
constexpr qint64 kLongestRequest = 64;
constexpr int kMostOpenConnections = 8;
// A later instance waits no longer than this for the first one; it ends either way.
constexpr int kContactWaitMs = 1000;

QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

// The user's name, reduced to characters that are safe in a file name. The temporary folder is
// shared by every user, so the name keeps their instances apart.
QString userTag() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = QDir::home().dirName();
    QString tag;
    for (QChar c : user)
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
            c == QLatin1Char('.'))
            tag += c;
    return tag.isEmpty() ? QStringLiteral("user") : tag;
}

QString basePath(const QString& name) {
    return runtimeFolder() + QLatin1Char('/') + name + QLatin1Char('-') + userTag();
}

std::function<void()>& activationHandler() {
    static std::function<void()> handler;
    return handler;
}

// Holds the name: the lock for as long as it lives, and the socket later instances knock on.
class InstanceGuard : public QObject {
public:
    explicit InstanceGuard(const QString& name) : lock_(instanceLockPath(name)) {
        // A running instance may hold the lock for days; only a dead holder makes it stale.
        lock_.setStaleLockTime(0);
    }

    // True when this process now holds the name, false when another live process does.
    bool acquire() {
        if (lock_.tryLock(0))
            return true;
        // Held by a live process, unless what stands there is no lock file at all (a folder,
        // say): then no instance could ever start, and that is an error to report.
        if (lock_.error() == QLockFile::LockFailedError && QFileInfo(lock_.fileName()).isFile())
            return false;
        throw InstanceGuardError("CheckAppAlreadyRunning: can't create lock file " +
                                 lock_.fileName().toStdString());
    }

    // Listening needs an event loop's thread; without an application object there is no one to
    // bring forward, and the lock alone keeps other instances out.
    void listen(const QString& socketPath) {
        if (QCoreApplication::instance() == nullptr)
            return;
        // The lock is ours, so a socket file still there was left by a crashed instance.
        QLocalServer::removeServer(socketPath);
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        if (!server_->listen(socketPath)) {
            server_.reset(); // coming forward will not work; the guard itself still does
            return;
        }
        connect(server_.get(), &QLocalServer::newConnection, this, &InstanceGuard::accept);
    }

private:
    void accept() {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (++open_ > kMostOpenConnections) {
                socket->abort();
            } else {
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
            }
            connect(socket, &QObject::destroyed, this, [this] { --open_; });
        }
    }

    void read(QLocalSocket* socket) {
        if (socket->bytesAvailable() > kLongestRequest) {
            socket->abort();
            return;
        }
        if (!socket->canReadLine())
            return;
        const QByteArray line = socket->readLine(kLongestRequest);
        socket->disconnectFromServer();
        if (line == kComeForward && activationHandler())
            activationHandler()();
    }

    // Destroyed in reverse: the server (and its connections) before the count, the lock last.
    QLockFile lock_;
    int open_ = 0;
    std::unique_ptr<QLocalServer> server_;
};

std::unique_ptr<InstanceGuard>& heldGuard() {
    static std::unique_ptr<InstanceGuard> guard;
    return guard;
}

void askToComeForward(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kContactWaitMs))
        return;
    socket.write(kComeForward);
    socket.waitForBytesWritten(kContactWaitMs);
    socket.disconnectFromServer();
}

} // namespace

QString instanceLockPath(const QString& name) {
    return basePath(name) + QStringLiteral(".lock");
}

QString instanceSocketPath(const QString& name) {
    return basePath(name) + QStringLiteral(".socket");
}

bool CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards) {
    auto guard = std::make_unique<InstanceGuard>(name);
    if (!guard->acquire()) {
        if (activatePrevious)
            askToComeForward(instanceSocketPath(name));
        return true;
    }
    if (closeAfterwards)
        return false; // the guard goes, and with it the lock
    guard->listen(instanceSocketPath(name));
    heldGuard() = std::move(guard);
    return false;
}

void setActivationHandler(std::function<void()> handler) {
    activationHandler() = std::move(handler);
}

void releaseInstanceGuard() {
    heldGuard().reset();
}

} // namespace lp
