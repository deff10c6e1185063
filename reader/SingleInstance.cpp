#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

constexpr char RaiseMessage[] = "raise\n";
// The first instance may still be starting: its socket comes up right after its lock.
constexpr int TellForMs = 3000;

} // namespace

QString TSingleInstance::KeyFor(const QString& executable) {
    const QString canonical = QFileInfo(executable).canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash((canonical.isEmpty() ? executable : canonical).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QStringLiteral("cardvane-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

TSingleInstance::TSingleInstance(const QString& key)
    : key_(key), lock_(QDir(QDir::tempPath()).filePath(key + ".lock")) {
    // A lock is stale only when its process is gone, never merely because it is old.
    lock_.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() {
    if (server_) {
        server_->close();
    }
}

bool TSingleInstance::Claim() {
    if (!lock_.tryLock(0)) {
        TellRunning();
        return false;
    }
    // Holding the lock, a socket left over by a crashed instance can go.
    QLocalServer::removeServer(key_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
            socket->readAll();
            if (onRaise) {
                onRaise();
            }
        }
    });
    // Without the socket the program still runs alone (the lock sees to that); only a later
    // start cannot bring it to the front.
    server_->listen(key_);
    return true;
}

bool TSingleInstance::TellRunning() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < TellForMs) {
        QLocalSocket socket;
        socket.connectToServer(key_);
        if (socket.waitForConnected(200)) {
            socket.write(RaiseMessage);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}
