#include "single_instance.h"

#include "desktop/local_socket_name.h"
#include "log_categories.h"
#include "platform/instance_lock.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <memory>
#include <vector>

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
    // heldElsewhere when another live process holds the name; otherwise this process now holds
    // it, or the problem says why no folder could serve. The lock is the system's, on the open
    // file: it goes with its holder, even one killed mid-start.
    Problem acquire(const QStringList& folders, const QString& name, bool& heldElsewhere) {
        heldElsewhere = false;
        std::string why = "no folder of the user's own for the lock file";
        for (const QString& folder : folders) {
            // The runtime folder is private already and stays as it is; a folder of our own is
            // made so, never left open to others, who could take the lock first or plant a file
            // there.
            if (const Problem problem = platform::MakePrivateFolder(folder.toStdString())) {
                why = *problem;
                continue;
            }
            auto lock = std::make_unique<platform::ExclusiveFileLock>();
            using Attempt = platform::ExclusiveFileLock::Attempt;
            switch (lock->tryLock(instanceLockPath(folder, name).toStdString())) {
            case Attempt::Taken:
                locks_.push_back(std::move(lock));
                held_ = folder;
                break;
            case Attempt::HeldElsewhere:
                heldElsewhere = true;
                return std::nullopt;
            case Attempt::Failed:
                why = lock->error();
                break;
            }
        }
        if (locks_.empty())
            return why;
        return std::nullopt;
    }

    // The last folder whose lock this guard holds: the socket's.
    const QString& heldFolder() const { return held_; }

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

    // Destroyed in reverse: the server (and its connections) before the count, the locks last.
    std::vector<std::unique_ptr<platform::ExclusiveFileLock>> locks_;
    QString held_;
    int open_ = 0;
    std::unique_ptr<QLocalServer> server_;
};

std::unique_ptr<InstanceGuard>& heldGuard() {
    static std::unique_ptr<InstanceGuard> guard;
    return guard;
}

// Whether the holder was reached there.
bool askToComeForward(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kContactWaitMs))
        return false;
    socket.write(kComeForward);
    socket.waitForBytesWritten(kContactWaitMs);
    socket.disconnectFromServer();
    return true;
}

} // namespace

QStringList instanceFolders() {
    QStringList folders;
    for (const std::string& folder : platform::InstanceGuardFolders())
        folders.append(QString::fromStdString(folder));
    return folders;
}

QString instanceLockPath(const QString& folder, const QString& name) {
    return basePath(folder, name) + QStringLiteral(".lock");
}

QString instanceSocketPath(const QString& folder, const QString& name) {
    return localSocketName(basePath(folder, name) + QStringLiteral(".socket"));
}

Problem CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards,
                               bool& heldElsewhere, const QStringList& folders) {
    auto guard = std::make_unique<InstanceGuard>();
    if (Problem problem = guard->acquire(folders, name, heldElsewhere))
        return problem;
    if (heldElsewhere) {
        // The holder listens in the last folder it could lock, which may be any of them.
        if (activatePrevious)
            for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
                if (askToComeForward(instanceSocketPath(*folder, name)))
                    break;
        return std::nullopt;
    }
    if (closeAfterwards)
        return std::nullopt; // the guard goes, and with it the locks
    guard->listen(instanceSocketPath(guard->heldFolder(), name));
    heldGuard() = std::move(guard);
    return std::nullopt;
}

Problem CheckAppAlreadyRunning(const QString& name, bool activatePrevious, bool closeAfterwards,
                               bool& heldElsewhere, const QString& folder) {
    return CheckAppAlreadyRunning(name, activatePrevious, closeAfterwards, heldElsewhere,
                                  QStringList{folder});
}

void setActivationHandler(std::function<void()> handler) {
    activationHandler() = std::move(handler);
}

void releaseInstanceGuard() {
    heldGuard().reset();
}

} // namespace lp
