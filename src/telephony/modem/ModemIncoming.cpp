#include "telephony/mTAPIConsts.h"
#include "telephony/modem/AtChannel.h"
#include "telephony/modem/ModemProvider.h"
#include "telephony/modem/ModemTimes.h"

#include <QCoreApplication>
#include <QPointer>
#include <utility>

// Calls that come in on a modem: listening on the ports set to take calls, offering one call
// at a time with its caller ID, answering, and handing an answered call over as a placed one.

using namespace mTAPIConsts;

namespace telvora {

using namespace modem;

namespace {

// A number or name is a few dozen characters; what a modem passes on is kept to this.
constexpr qsizetype kMaxCallerText = 128;
// How long the name may take to follow the number in the caller ID.
constexpr int kCallerNameMs = 200;

// A field of the caller ID a modem passes on after the first RING: "NMBR = 5551234" and
// "NAME = ..." (+VCID), or 3GPP's +CLIP: "5551234",145. Null when the line is no such field.
QString callerField(const QByteArray& line, const QByteArray& key)
{
    QByteArray value;
    if (key == "+CLIP") {
        if (!line.startsWith("+CLIP:"))
            return {};
        value = line.mid(6).trimmed();
        if (value.startsWith('"'))
            value = value.mid(1, value.indexOf('"', 1) > 0 ? value.indexOf('"', 1) - 1 : -1);
        else
            value = value.left(value.indexOf(','));
    } else {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.left(equals).trimmed() != key)
            return {};
        value = line.mid(equals + 1).trimmed();
    }
    QString text = QString::fromLatin1(value.left(kMaxCallerText));
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

void ModemProvider::startUp()
{
    m_started = true;
    QTimer::singleShot(0, this, &ModemProvider::listenForCalls);
}

bool ModemProvider::takesCalls(const QString& port) const
{
    const ModemPortSettings* settings = m_settings.find(port);
    return m_started && settings && settings->takeCalls;
}

void ModemProvider::listenForCalls()
{
    lines(); // reads the settings
    for (const ModemPortSettings& port : std::as_const(m_settings.ports)) {
        if (port.takeCalls)
            listen(port.path);
    }
}

void ModemProvider::listen(const QString& port)
{
    if (!takesCalls(port) || m_listeners.contains(port) || callOnPort(port) != 0 ||
        portBusy(port) || m_ports.value(port).probe == Probe::ModemManager)
        return;
    AtChannel* channel = openPort(port);
    if (!channel) {
        m_notes.insert(port, tr("Cannot listen for calls: %1").arg(m_ports.value(port).error));
        if (events())
            events()->lineStateUpdated(*this, port);
        return;
    }
    m_notes.remove(port);
    Listener& listener = m_listeners[port];
    listener.channel = channel;
    listener.silence = new QTimer(this);
    listener.silence->setSingleShot(true);
    connect(listener.silence, &QTimer::timeout, this, [this, port] { ringingStopped(port); });
    connect(channel, &AtChannel::event, this,
            [this, port](const AtParser::Event& e) { onListenerEvent(port, e); });
    connect(channel, &AtChannel::portLost, this, [this, port] {
        m_notes.insert(port, QCoreApplication::translate("telvora::ModemProvider", kWentAway));
        stopListening(port);
    });
    if (m_ports.value(port).probe == Probe::Modem) {
        setUpListening(port);
        return;
    }
    m_ports[port].probe = Probe::Running;
    const QPointer<AtChannel> guard(channel);
    runProbe(channel, port, [this, port, guard](bool modem) {
        setProbe(port, modem ? Probe::Modem : Probe::NoAnswer);
        if (!guard || m_listeners.value(port).channel != guard)
            return;
        if (modem)
            setUpListening(port);
        else
            stopListening(port);
    });
}

void ModemProvider::setUpListening(const QString& port)
{
    AtChannel* channel = m_listeners.value(port).channel;
    const ModemKind kind = m_ports.value(port).kind;
    if (kind != ModemKind::Voice && kind != ModemKind::Cellular) {
        m_notes.insert(port, tr("This modem cannot take voice calls"));
        stopListening(port);
        return;
    }
    const auto ignore = [](AtChannel::Result, const QByteArrayList&) {
    };
    channel->command("ATE0V1Q0", kCommandMs, ignore);
    const QString init = portSettings(port).initString.trimmed();
    if (!init.isEmpty() && ModemSettings::initStringProblem(init).isEmpty())
        channel->command((init.toUpper().startsWith(QLatin1String("AT")) ? "" : "AT") +
                             init.toLatin1(),
                         kInitMs, ignore);
    // The program answers, never the modem by itself; a modem without caller ID still rings,
    // so a refusal of these is no reason not to listen.
    channel->command("ATS0=0", kCommandMs, ignore);
    channel->command(kind == ModemKind::Voice ? "AT+VCID=1" : "AT+CLIP=1", kCommandMs, ignore);
    if (events())
        events()->lineStateUpdated(*this, port);
}

void ModemProvider::stopListening(const QString& port)
{
    const auto found = m_listeners.find(port);
    if (found == m_listeners.end())
        return;
    const Listener listener = *found;
    m_listeners.erase(found);
    delete listener.silence;
    if (listener.channel) {
        listener.channel->disconnect(this);
        // Dropping the port's lines puts a modem that had answered back on hook.
        listener.channel->close();
        listener.channel->deleteLater();
    }
    // A probe cut short is run again by whoever opens the port next.
    if (m_ports.value(port).probe == Probe::Running && !m_probes.value(port))
        m_ports[port].probe = Probe::NotYet;
    if (m_incomingPort == port && listener.call == 0) {
        m_incomingPort.clear();
        if (listener.offered || listener.connected)
            emit incomingEnded();
    }
    if (events())
        events()->lineStateUpdated(*this, port);
}

void ModemProvider::onListenerEvent(const QString& port, const AtParser::Event& e)
{
    const auto found = m_listeners.find(port);
    if (found == m_listeners.end())
        return;
    Listener& listener = *found;
    switch (e.kind) {
    case AtParser::Kind::Ring:
        if (listener.answering || listener.connected)
            return;
        ++listener.rings;
        listener.silence->start(kRingSilenceMs);
        if (listener.ignored || listener.offered)
            return;
        if (!m_incomingPort.isEmpty() && m_incomingPort != port) {
            // One call at a time: a call on another line while one is offered goes unanswered.
            listener.ignored = true;
            return;
        }
        m_incomingPort = port;
        if (events())
            events()->lineStateUpdated(*this, port);
        // Without a number by the second RING, none is coming.
        if (listener.rings >= 2 || !listener.number.isNull())
            offer(port);
        return;
    case AtParser::Kind::Info: {
        if (listener.connected || listener.answering)
            return;
        const QByteArray line = e.text.trimmed();
        if (const QString number = callerField(line, "NMBR"); !number.isNull())
            listener.number = number;
        else if (const QString clip = callerField(line, "+CLIP"); !clip.isNull())
            listener.number = clip;
        else if (const QString name = callerField(line, "NAME"); !name.isNull())
            listener.name = name;
        else
            return;
        if (listener.rings > 0 && !listener.number.isNull())
            QTimer::singleShot(kCallerNameMs, this, [this, port] { offer(port); });
        return;
    }
    case AtParser::Kind::VoiceConnect:
    case AtParser::Kind::Connect:
        if (listener.answering && !listener.connected) {
            listener.answering = false;
            listener.connected = true;
            emit incomingConnected();
            if (events())
                events()->lineStateUpdated(*this, port);
        }
        return;
    case AtParser::Kind::NoCarrier:
    case AtParser::Kind::Busy:
        if (listener.connected)
            incomingOver(port);
        return;
    case AtParser::Kind::Dle:
        // The caller hung up before the call was taken over: busy or dial tone on the line.
        if (listener.connected && (e.code == 'b' || e.code == 'd'))
            incomingOver(port);
        return;
    default:
        return;
    }
}

void ModemProvider::offer(const QString& port)
{
    const auto found = m_listeners.find(port);
    if (found == m_listeners.end() || m_incomingPort != port || found->offered || found->ignored ||
        found->answering || found->connected || found->rings == 0)
        return;
    found->offered = true;
    emit incomingCall(found->name, found->number);
}

void ModemProvider::ringingStopped(const QString& port)
{
    const auto found = m_listeners.find(port);
    if (found == m_listeners.end() || found->answering || found->connected)
        return;
    const bool offered = found->offered;
    found->rings = 0;
    found->number.clear();
    found->name.clear();
    found->offered = false;
    found->ignored = false;
    if (m_incomingPort == port) {
        // The caller gave up.
        m_incomingPort.clear();
        if (offered)
            emit incomingEnded();
        if (events())
            events()->lineStateUpdated(*this, port);
    }
}

bool ModemProvider::answerIncoming()
{
    const auto found = m_listeners.find(m_incomingPort);
    if (found == m_listeners.end() || !found->offered || found->answering || found->connected ||
        !found->channel)
        return false;
    const QString port = m_incomingPort;
    found->answering = true;
    found->silence->stop();
    AtChannel* channel = found->channel;
    const bool voice = m_ports.value(port).kind == ModemKind::Voice;
    // Voice mode first, as a voice call is dialled: the modem then answers with VCON.
    if (voice)
        channel->command("AT+FCLASS=8", kCommandMs,
                         [](AtChannel::Result, const QByteArrayList&) {});
    const QPointer<AtChannel> guard(channel);
    channel->command(
        "ATA", kDialMs,
        [this, port, guard, voice](AtChannel::Result r, const QByteArrayList&) {
            const auto listener = m_listeners.find(port);
            if (!guard || listener == m_listeners.end() || listener->channel != guard)
                return;
            if (!voice && r == AtChannel::Result::Ok && !listener->connected) {
                listener->answering = false;
                listener->connected = true;
                emit incomingConnected();
                if (events())
                    events()->lineStateUpdated(*this, port);
                return;
            }
            // Anything but a connection: the caller was gone before the modem picked up.
            if (!listener->connected)
                incomingOver(port);
        },
        true);
    return true;
}

void ModemProvider::declineIncoming(bool)
{
    const auto found = m_listeners.find(m_incomingPort);
    if (found == m_listeners.end())
        return;
    if (found->connected || found->answering) {
        hangUpIncoming();
        return;
    }
    const QString port = m_incomingPort;
    // Busy or declined alike: the line goes on ringing for the caller, and we stop offering.
    found->ignored = true;
    found->offered = false;
    m_incomingPort.clear();
    // A cellular module can refuse the call for real.
    if (m_ports.value(port).kind == ModemKind::Cellular && found->channel)
        found->channel->command("AT+CHUP", kHangUpMs,
                                [](AtChannel::Result, const QByteArrayList&) {});
    emit incomingEnded();
    if (events())
        events()->lineStateUpdated(*this, port);
}

void ModemProvider::hangUpIncoming()
{
    const auto found = m_listeners.find(m_incomingPort);
    if (found == m_listeners.end())
        return;
    if (found->call != 0) {
        // Taken over as a connected call: it ends as a placed one does.
        const quint64 id = found->call;
        if (m_calls.contains(id) && !m_calls[id].ended)
            endCall(id, LINEDISCONNECTMODE_NORMAL);
        return;
    }
    if (found->connected || found->answering)
        incomingOver(m_incomingPort);
    else
        declineIncoming(false);
}

void ModemProvider::incomingOver(const QString& port)
{
    // Back on hook and out of voice mode, then listening afresh on a port opened anew.
    const auto found = m_listeners.find(port);
    if (found == m_listeners.end())
        return;
    AtChannel* channel = std::exchange(found->channel, nullptr);
    stopListening(port);
    if (!channel)
        return;
    releasePort(channel, port, m_ports.value(port).kind, true);
}

bool ModemProvider::adoptIncoming(quint64 id, const QString& lineKey)
{
    const auto found = m_listeners.find(lineKey);
    if (lineKey != m_incomingPort || found == m_listeners.end() || !found->connected ||
        found->call != 0 || !found->channel || m_calls.contains(id) || callOnPort(lineKey) != 0)
        return false;
    AtChannel* channel = found->channel;
    channel->disconnect(this);
    CallEntry entry;
    entry.port = lineKey;
    entry.kind = m_ports.value(lineKey).kind;
    entry.channel = channel;
    entry.placed = true;
    entry.connected = true;
    m_calls.insert(id, entry);
    // The port is the call's now: listening resumes once the call has let go of it.
    found->channel = nullptr;
    found->call = id;
    found->silence->stop();
    followChannel(id, channel);
    if (events())
        events()->lineStateUpdated(*this, lineKey);
    return true;
}

void ModemProvider::incomingCallEnded(quint64 id)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->call != id)
            continue;
        const QString port = it.key();
        // The call's own hang-up frees the port, and listening resumes from there.
        stopListening(port);
        if (m_incomingPort == port) {
            m_incomingPort.clear();
            emit incomingEnded();
        }
        return;
    }
}

} // namespace telvora
