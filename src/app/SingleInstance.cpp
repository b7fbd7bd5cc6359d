#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvora {

namespace {
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
// The running copy's answer: anything else means the socket is not one of ours.
const QByteArray kShownReply = QByteArrayLiteral("shown\n");
// More than a request ever holds: a client that sends this much is not one of ours.
constexpr qsizetype kMaxRequest = 64;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, request] {
                request->append(socket->read(kMaxRequest - request->size()));
                if (request->contains(kShowRequest)) {
                    socket->write(kShownReply);
                    emit activationRequested();
                } else if (!request->contains('\n') && request->size() < kMaxRequest) {
                    return;
                }
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

SingleInstance::~SingleInstance()
{
    m_server.close();
    releaseLock();
}

void SingleInstance::releaseLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
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

bool SingleInstance::isPrivateFolder(const QString& path, QString* problem)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        *problem = tr("the folder %1 cannot be read (%2)").arg(path, systemError(errno));
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        *problem = tr("%1 is a link, not a folder of yours").arg(path);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *problem = tr("%1 is not a folder").arg(path);
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        *problem = tr("the folder %1 belongs to another user").arg(path);
        return false;
    }
    if ((info.st_mode & 0077) != 0 || (info.st_mode & 0700) != 0700) {
        *problem = tr("the folder %1 is open to other users (mode %2, not 700)")
                       .arg(path)
                       .arg(info.st_mode & 07777, 3, 8, QLatin1Char('0'));
        return false;
    }
    return true;
}

QString SingleInstance::runtimeFolder(QString* problem)
{
    // The session's own folder when it is what it should be; a user may have a stale or
    // borrowed value, so it is checked like any other folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString ignored;
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime, &ignored))
        return runtime;

    // Anyone may create names in the temporary folder, so ours may already be taken: it is
    // used only when it is still a private folder of this user.
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("telvora-%1").arg(::geteuid()));
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        *problem = tr("the folder %1 cannot be created (%2)").arg(folder, systemError(errno));
        return {};
    }
    return isPrivateFolder(folder, problem) ? folder : QString();
}

bool SingleInstance::claim()
{
    m_problem.clear();
    QString why;
    const QString folder = runtimeFolder(&why);
    if (folder.isEmpty()) {
        m_problem = why;
        return true;
    }
    const QString lockPath = QDir(folder).filePath(m_key + QStringLiteral(".lock"));
    const QString socketPath = QDir(folder).filePath(m_key + QStringLiteral(".socket"));

    // flock() is let go with the process, so a copy that was killed leaves no lock behind.
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(),
                      O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (m_lockFd < 0) {
        m_problem = tr("the lock %1 cannot be opened (%2)").arg(lockPath, systemError(errno));
        return true;
    }
    struct stat info = {};
    if (::fstat(m_lockFd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        releaseLock();
        m_problem = tr("the lock %1 is not a file of yours").arg(lockPath);
        return true;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        // Whatever is left at the socket's name belongs to a copy that is gone.
        QLocalServer::removeServer(socketPath);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        if (!m_server.listen(socketPath)) {
            m_problem = tr("a later start cannot reach this copy (%1)").arg(m_server.errorString());
        }
        return true;
    }
    const int lockError = errno;
    releaseLock();
    if (lockError != EWOULDBLOCK) {
        m_problem = tr("the lock %1 cannot be taken (%2)").arg(lockPath, systemError(lockError));
        return true;
    }
    if (askRunningCopy(socketPath))
        return false;
    m_problem = tr("another copy holds the lock %1 but did not answer").arg(lockPath);
    return true;
}

bool SingleInstance::askRunningCopy(const QString& socketPath)
{
    // The running copy takes the lock a moment before it listens: try for a while.
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (!socket.waitForConnected(500)) {
            QThread::msleep(100);
            continue;
        }
        socket.write(kShowRequest);
        if (!socket.waitForBytesWritten(1000))
            return false;
        // The answer proves the other end is a running copy that has shown its window.
        QByteArray reply;
        const QDeadlineTimer answer(3000);
        while (!reply.contains('\n') && reply.size() < kMaxRequest && !answer.hasExpired() &&
               socket.waitForReadyRead(int(answer.remainingTime())))
            reply += socket.read(kMaxRequest - reply.size());
        // The copy may answer and hang up at once, which ends the wait before the read.
        reply += socket.read(kMaxRequest - reply.size());
        return reply == kShownReply;
    }
    return false;
}

} // namespace telvora
