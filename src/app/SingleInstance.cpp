#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace telvora {

namespace {
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
}

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kShowRequest))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

QString SingleInstance::keyFor(const QString& dataFolder)
{
    const QString canonical = QDir(dataFolder).canonicalPath();
    const QByteArray digest =
        QCryptographicHash::hash((canonical.isEmpty() ? dataFolder : canonical).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QStringLiteral("telvora-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

bool SingleInstance::claim()
{
    // The lock decides who is first even when two copies start at the same moment; a
    // lock left by a copy that was killed is taken over, as its process is gone.
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(m_key + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        QLocalServer::removeServer(m_key);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        m_server.listen(m_key);
        return true;
    }
    m_lock.reset();
    askRunningCopy();
    return false;
}

bool SingleInstance::askRunningCopy()
{
    // The running copy may still be starting and not yet listening: try for a while.
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(500)) {
            socket.write(kShowRequest);
            socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace telvora
