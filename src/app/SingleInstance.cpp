#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvora {

namespace {
// A request is one line: "show", or "link " or "dial " and the link's UTF-8 text with
// every byte outside letters and digits as a %XX escape, so no line end or blank can be in it.
const QByteArray kShowRequest = QByteArrayLiteral("show");
const QByteArray kReloadRequest = QByteArrayLiteral("reload");
const QByteArray kLinkRequest = QByteArrayLiteral("link ");
const QByteArray kDialRequest = QByteArrayLiteral("dial ");
// The running copy's answers: anything else means the socket is not one of ours.
const QByteArray kShownReply = QByteArrayLiteral("shown\n");
const QByteArray kRefusedReply = QByteArrayLiteral("refused\n");
// More than a request ever holds (the longest link, each of its UTF-8 bytes escaped): a
// client that sends this much is not one of ours.
constexpr qsizetype kMaxRequest = 16 + PhoneLink::kMaxLength * 4 * 3;
constexpr qsizetype kMaxReply = 64;

// Only this user may hand the running copy anything; the socket's mode says so too, but
// its folder may be one another user can reach.
bool fromThisUser(const QLocalSocket& socket)
{
    struct ucred peer = {};
    socklen_t size = sizeof(peer);
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           size == sizeof(peer) && peer.uid == ::geteuid();
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!fromThisUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, request] {
                request->append(socket->read(kMaxRequest - request->size()));
                const qsizetype lineEnd = request->indexOf('\n');
                if (lineEnd < 0 && request->size() < kMaxRequest)
                    return;
                // One line and nothing after it, or no answer at all.
                if (lineEnd == request->size() - 1)
                    socket->write(answerTo(request->left(lineEnd)));
                socket->disconnectFromServer();
            });
        }
    });
}

QByteArray SingleInstance::answerTo(const QByteArray& request)
{
    if (request == kShowRequest) {
        emit activationRequested();
        return kShownReply;
    }
    if (request == kReloadRequest) {
        emit reloadRequested();
        return kShownReply;
    }
    const bool dial = request.startsWith(kDialRequest);
    if (!dial && !request.startsWith(kLinkRequest))
        return {};
    const QByteArray escaped = request.mid(kLinkRequest.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArray::fromPercentEncoding(escaped));
    QString ignored;
    const auto link = utf8.hasError() ? std::nullopt : PhoneLink::parse(text, &ignored);
    if (!link)
        return kRefusedReply;
    emit linkRequested(*link, dial);
    return kShownReply;
}

void SingleInstance::setHandOver(const PhoneLink& link, bool dialNow)
{
    m_request =
        (dialNow ? kDialRequest : kLinkRequest) + link.target().toUtf8().toPercentEncoding();
}

void SingleInstance::setReloadHandOver()
{
    m_request = kReloadRequest;
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
    m_refused = false;
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
        socket.write((m_request.isEmpty() ? kShowRequest : m_request) + '\n');
        if (!socket.waitForBytesWritten(1000))
            return false;
        // The answer proves the other end is a running copy that has shown its window.
        QByteArray reply;
        const QDeadlineTimer replyDeadline(3000);
        while (!reply.contains('\n') && reply.size() < kMaxReply && !replyDeadline.hasExpired() &&
               socket.waitForReadyRead(int(replyDeadline.remainingTime())))
            reply += socket.read(kMaxReply - reply.size());
        // The copy may answer and hang up at once, which ends the wait before the read.
        reply += socket.read(kMaxReply - reply.size());
        // A refusal is an answer too: the copy runs, and must not be started again.
        m_refused = reply == kRefusedReply;
        return reply == kShownReply || m_refused;
    }
    return false;
}

} // namespace telvora
