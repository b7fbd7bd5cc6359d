#include "telephony/modem/AtChannel.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace telvora {

namespace {

// Only a terminal device is ever opened: a path in the settings may lead to a disk, a
// watchdog or a FIFO, on which opening alone can act.
bool isSerialDevice(const struct stat& st)
{
    if (!S_ISCHR(st.st_mode))
        return false;
    const unsigned int majorNumber = major(st.st_rdev);
    const unsigned int minorNumber = minor(st.st_rdev);
    // Pseudo-terminals, which sysfs does not list.
    if (majorNumber >= 136 && majorNumber <= 143)
        return true;
    // The virtual consoles, /dev/tty, /dev/console and /dev/ptmx are terminals, not ports.
    if ((majorNumber == 4 && minorNumber < 64) || majorNumber == 5)
        return false;
    const QString subsystem =
        QFileInfo(QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(majorNumber).arg(minorNumber))
            .canonicalFilePath();
    return subsystem.endsWith(QLatin1String("/class/tty"));
}

const char* const kNotSerial = QT_TRANSLATE_NOOP("telvora::AtChannel", "not a serial port");

} // namespace

AtChannel::AtChannel(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { finish(Result::Timeout); });
}

AtChannel::~AtChannel()
{
    // Nobody is left to hear the outcomes of what was still queued.
    m_queue.clear();
    m_pending = Pending{};
    m_busy = false;
    close();
}

bool AtChannel::open(const QString& path, QString* error)
{
    close();
    struct stat named
    {};
    if (::stat(QFile::encodeName(path).constData(), &named) != 0) {
        // Said here rather than by the port, which would first write (and sync) a lock file
        // for a device that is not there.
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!isSerialDevice(named)) {
        if (error)
            *error = QCoreApplication::translate("telvora::AtChannel", kNotSerial);
        return false;
    }
    m_port = new QSerialPort(path, this);
    m_port->setBaudRate(QSerialPort::Baud115200);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        if (error)
            *error = m_port->errorString();
        delete m_port;
        m_port = nullptr;
        return false;
    }
    // The path may have been pointed elsewhere between the look and the open.
    struct stat opened
    {};
    if (::fstat(m_port->handle(), &opened) != 0 || !isSerialDevice(opened) ||
        opened.st_rdev != named.st_rdev) {
        if (error)
            *error = QCoreApplication::translate("telvora::AtChannel", kNotSerial);
        m_port->close();
        delete m_port;
        m_port = nullptr;
        return false;
    }
    // A pseudo-terminal refuses DTR; a real modem needs it raised to stay in command mode.
    m_port->setDataTerminalReady(true);
    m_port->clearError();
    m_parser.reset();
    connect(m_port, &QSerialPort::readyRead, this, &AtChannel::readAll);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // An unplugged USB modem reads as end of file, which the port reports as a read
        // error; a closed pseudo-terminal as a resource error.
        if (e == QSerialPort::ResourceError || e == QSerialPort::PermissionError ||
            e == QSerialPort::ReadError || e == QSerialPort::WriteError)
            QMetaObject::invokeMethod(this, &AtChannel::lose, Qt::QueuedConnection);
    });
    return true;
}

void AtChannel::close()
{
    m_timer.stop();
    if (m_port) {
        m_port->disconnect(this);
        m_port->close();
        m_port->deleteLater();
        m_port = nullptr;
    }
}

bool AtChannel::isOpen() const
{
    return m_port && m_port->isOpen();
}

void AtChannel::lose()
{
    if (!m_port)
        return;
    close();
    finish(Result::Closed);
    while (!m_queue.isEmpty()) {
        Pending next = m_queue.dequeue();
        if (next.done)
            next.done(Result::Closed, {});
    }
    emit portLost();
}

void AtChannel::command(const QByteArray& line, int timeoutMs, Done done, bool dial)
{
    m_queue.enqueue(Pending{line, timeoutMs, std::move(done), dial, false});
    if (!m_busy)
        startNext();
}

void AtChannel::interrupt(const QByteArray& line, int timeoutMs, Done done)
{
    m_queue.clear();
    m_timer.stop();
    m_pending = Pending{};
    m_busy = false;
    m_queue.enqueue(Pending{line, timeoutMs, std::move(done), false, true});
    startNext();
}

void AtChannel::startNext()
{
    if (m_busy || m_queue.isEmpty())
        return;
    m_pending = m_queue.dequeue();
    m_busy = true;
    m_info.clear();
    if (!isOpen()) {
        finish(Result::Closed);
        return;
    }
    m_port->write(m_pending.line + '\r');
    m_timer.start(m_pending.timeoutMs);
}

void AtChannel::finish(Result result)
{
    if (!m_busy)
        return;
    m_timer.stop();
    Pending done = std::move(m_pending);
    m_pending = Pending{};
    m_busy = false;
    const QByteArrayList info = std::exchange(m_info, {});
    if (done.done)
        done.done(result, info);
    // The callback may have closed the port or queued more.
    QMetaObject::invokeMethod(this, &AtChannel::startNext, Qt::QueuedConnection);
}

void AtChannel::readAll()
{
    if (!m_port)
        return;
    const QByteArray bytes = m_port->readAll();
    for (const AtParser::Event& e : m_parser.feed(bytes)) {
        if (m_busy) {
            if (e.kind == AtParser::Kind::Ok) {
                finish(Result::Ok);
                continue;
            }
            if (e.kind == AtParser::Kind::Error) {
                m_info.append(e.text);
                finish(Result::Error);
                continue;
            }
            if (e.kind == AtParser::Kind::Info) {
                m_info.append(e.text);
                // Waiting out the dial's time limit on a result nobody knows would leave the
                // call hanging for minutes: it is the dial's end, whatever it means.
                if (m_pending.dial && !AtParser::isDialReport(e.text))
                    finish(Result::Unrecognised);
                continue;
            }
            const bool endsPending =
                AtParser::isCallProgress(e.kind) &&
                (m_pending.dial || (m_pending.hangUp && e.kind == AtParser::Kind::NoCarrier));
            emit event(e);
            if (endsPending)
                finish(Result::Progress);
            continue;
        }
        emit event(e);
    }
}

} // namespace telvora
