#include "single_instance.h"

#include "desktop/local_socket_name.h"
#include "log_categories.h"
#include "platform/instance_lock.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <memory>
#include <optional>

namespace lp {

namespace {

// The one request a later instance sends. Anything else on the socket is ignored.
constexpr char kComeForward[] = "come-forward\n";
constexpr qint64 kLongestRequest = 64;
constexpr int kMostOpenConnections = 8;
// A later instance waits no longer than this for the first one; it ends either way.
constexpr int kContactWaitMs = 1000;

QString basePath(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

std::function<void()>& activationHandler() {
    static std::function<void()> handler;
    return handler;
}

// Holds the name: the lock for as long as it lives, and the socket later instances knock on.
class InstanceGuard : public QObject {
public:
    // True when this process now holds the name, false when another live process does. The lock
    // is the system's, on the open file: it goes with its holder, even one killed mid-start.
    bool acquire(const QString& folder, const QString& name) {
        if (folder.isEmpty())
            throw InstanceGuardError("no folder of the user's own for the lock file");
        // The runtime folder is private already and stays as it is; a folder of our own is made
        // so, never left open to others, who could take the lock first or plant a file there.
        if (const std::optional<std::string> why =
                platform::MakePrivateFolder(folder.toStdString()))
            throw InstanceGuardError(*why);
        using Attempt = platform::ExclusiveFileLock::Attempt;
        switch (lock_.tryLock(instanceLockPath(folder, name).toStdString())) {
        case Attempt::Taken:
            return true;
        case Attempt::HeldElsewhere:
            return false;
        case Attempt::Failed:
            break;
        }
        throw InstanceGuardError(lock_.error());
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
            qCWarning(lcDesktop).noquote()
                << "a later start cannot bring this one forward:" << socketPath
                << server_->errorString();
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
    platform::ExclusiveFileLock lock_;
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

QString instanceFolder() {
    return QString::fromStdString(platform::InstanceGuardFolder());
}

QString instanceLockPath(const QString& folder, const QString& name) {
    return basePath(folder, name) + QStringLiteral(".lock");
}

QString instanceSocketPath(const QString& folder, const QString& name) {
    return localSocketName(basePath(folder, name) + QStringLiteral(".socket"));
}

bool CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards,
                            const QString& folder) {
    auto guard = std::make_unique<InstanceGuard>();
    if (!guard->acquire(folder, name)) {
        if (activatePrevious)
            askToComeForward(instanceSocketPath(folder, name));
        return true;
    }
    if (closeAfterwards)
        return false; // the guard goes, and with it the lock
    guard->listen(instanceSocketPath(folder, name));
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
