#include "app/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace velmar::app {

namespace {
constexpr const char* kName = "VelmarMutex";
constexpr const char* kActivate = "activate\n";
} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), lockPath_(QDir(folder).filePath(QString::fromLatin1(kName) + ".lock")),
      socketPath_(QDir(folder).filePath(QString::fromLatin1(kName))) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
    if (lock_) {
        lock_->unlock();
    }
}

QString SingleInstance::defaultFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder;
}

bool SingleInstance::acquire() {
    QDir().mkpath(QFileInfo(lockPath_).absolutePath());
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock left by a crashed instance is taken over (QLockFile checks its process).
    if (lock_->tryLock(0)) {
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(socketPath_);
        if (server_->listen(socketPath_)) {
            connect(server_.get(), &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket* socket = server_->nextPendingConnection()) {
                    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                        if (socket->readAll().contains("activate")) {
                            emit activationRequested();
                        }
                    });
                }
            });
        }
        return true;
    }
    lock_.reset();
    // Another instance runs: ask it to come forward. It may still be starting,
    // so keep trying for a short while; give up quietly after that.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 3000) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(500)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) {
                socket.waitForDisconnected(500);
            }
            break;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace velmar::app
