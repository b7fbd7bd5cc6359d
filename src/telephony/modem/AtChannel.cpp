#include "telephony/modem/AtChannel.h"

#include <QSerialPort>

namespace telvora {

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
    // A pseudo-terminal refuses DTR; a real modem needs it raised to stay in command mode.
    m_port->setDataTerminalReady(true);
    m_port->clearError();
    m_parser.reset();
    connect(m_port, &QSerialPort::readyRead, this, &AtChannel::readAll);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError || e == QSerialPort::PermissionError)
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
                finish(Result::Error);
                continue;
            }
            if (e.kind == AtParser::Kind::Info) {
                m_info.append(e.text);
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
