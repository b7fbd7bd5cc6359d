#include "telephony/modem/ModemProvider.h"

#include "telephony/cellular/MmObjects.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/modem/AtChannel.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <memory>

using namespace mTAPIConsts;

namespace telvora {

namespace {

const LineProviderRegistrar registrar(20, [] { return std::make_unique<ModemProvider>(); });

constexpr int kCommandMs = 1500;
// Longer than any modem waits for an answer (S7 is at most 255 s on most; 60 is usual).
constexpr int kDialMs = 120000;
constexpr int kHangUpMs = 3000;
constexpr int kPollMs = 500;

bool listsClass8(const QByteArray& classes)
{
    QByteArray text = classes;
    for (char& c : text) {
        if (c == '(' || c == ')')
            c = ',';
    }
    for (const QByteArray& part : text.split(',')) {
        const QByteArray item = part.trimmed();
        if (item == "8")
            return true;
        const qsizetype dash = item.indexOf('-');
        if (dash > 0 && item.left(dash).toInt() <= 8 && item.mid(dash + 1).toInt() >= 8)
            return true;
    }
    return false;
}

QString firstLine(const QByteArrayList& info)
{
    return info.isEmpty() ? QString() : QString::fromLatin1(info.constFirst()).trimmed();
}

} // namespace

ModemProvider::ModemProvider() = default;

ModemProvider::~ModemProvider()
{
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it) {
        delete it->poll;
        delete it->channel;
    }
}

QByteArray ModemProvider::dialDigits(const QString& number)
{
    QByteArray digits;
    for (const QChar c : number) {
        const char l = c.toLatin1();
        if ((l >= '0' && l <= '9') || l == '*' || l == '#' || l == '+' || l == ',')
            digits.append(l);
        else if (l == 'w' || l == 'W')
            digits.append('W');
    }
    return digits;
}

void ModemProvider::reloadSettings()
{
    m_settings = ModemSettings::load();
    m_foundPorts.clear();
    if (m_settings.scan) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            m_foundPorts.append(info.systemLocation());
    }
}

QList<ProviderLine> ModemProvider::lines()
{
    reloadSettings();
    QStringList ports;
    for (const ModemPortSettings& port : std::as_const(m_settings.ports))
        ports.append(port.path);
    for (const QString& port : std::as_const(m_foundPorts)) {
        if (!ports.contains(port))
            ports.append(port);
    }
    bool queued = false;
    for (const QString& port : std::as_const(ports)) {
        if (!m_ports.contains(port)) {
            m_ports.insert(port, PortInfo{});
            m_probeQueue.append(port);
            queued = true;
        }
    }
    if (queued)
        QMetaObject::invokeMethod(this, &ModemProvider::probeNext, Qt::QueuedConnection);

    QList<ProviderLine> result;
    for (const QString& port : std::as_const(ports)) {
        const PortInfo& info = m_ports[port];
        if (info.probe == Probe::ModemManager)
            continue;
        // A port the user named is a line even before it answers; one the system merely
        // lists is a line once it answered like a modem.
        if (!m_settings.find(port) && info.probe != Probe::Modem)
            continue;
        ProviderLine line;
        line.key = port;
        LineDevCaps& caps = line.caps;
        caps.lineName = lineName(port);
        caps.providerInfo = info.kind == ModemKind::Cellular ? QStringLiteral("Cellular AT module")
                            : info.kind == ModemKind::Voice  ? QStringLiteral("Voice modem")
                            : info.kind == ModemKind::Data   ? QStringLiteral("Data modem")
                                                             : QStringLiteral("Modem");
        caps.switchInfo = port;
        caps.permanentLineID = 0x00020000u | (qHash(port) & 0xffffu);
        caps.stringFormat = LINESTRINGFORMAT_ASCII;
        caps.numAddresses = 1;
        caps.maxDataRate = 56000;
        caps.bearerModes = LINEBEARERMODE_VOICE;
        caps.addressModes = LINEADDRESSMODE_ADDRESSID;
        caps.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
        caps.numTerminals = 1;
        result.append(line);
    }
    return result;
}

QString ModemProvider::lineName(const QString& port) const
{
    const PortInfo info = m_ports.value(port);
    if (!info.manufacturer.isEmpty() && !info.model.isEmpty())
        return info.manufacturer + QLatin1Char(' ') + info.model;
    if (!info.identity.isEmpty())
        return info.identity;
    return QStringLiteral("Modem on %1").arg(QFileInfo(port).fileName());
}

QString ModemProvider::lineState(const QString& lineKey) const
{
    if (const quint64 id = callOnPort(lineKey); id != 0)
        return m_calls[id].connected ? QStringLiteral("In a call") : QStringLiteral("Dialling");
    const PortInfo info = m_ports.value(lineKey);
    switch (info.probe) {
    case Probe::NotYet:
    case Probe::Running:
        return QStringLiteral("Checking the modem...");
    case Probe::NoAnswer:
        return QStringLiteral("No modem answers on this port");
    case Probe::Unopenable:
        return QStringLiteral("Cannot open the port: %1").arg(info.error);
    case Probe::ModemManager:
        return QStringLiteral("Used by ModemManager (see its cellular line)");
    case Probe::Modem:
        break;
    }
    switch (info.kind) {
    case ModemKind::Voice:
        return QStringLiteral("Ready (voice modem)");
    case ModemKind::Data:
        return QStringLiteral("Ready (data modem: tells busy and no dial tone only)");
    case ModemKind::Cellular:
        return QStringLiteral("Ready (cellular module)");
    case ModemKind::Unknown:
        break;
    }
    return QStringLiteral("Ready");
}

ModemPortSettings ModemProvider::portSettings(const QString& lineKey) const
{
    if (const ModemPortSettings* found = m_settings.find(lineKey))
        return *found;
    ModemPortSettings settings;
    settings.path = lineKey;
    return settings;
}

bool ModemProvider::savePortSettings(const QString& lineKey, const ModemPortSettings& settings)
{
    if (settings.path.isEmpty())
        return false;
    m_settings = ModemSettings::load();
    ModemSettings next = m_settings;
    next.ports.removeIf(
        [&](const ModemPortSettings& p) { return p.path == lineKey || p.path == settings.path; });
    next.ports.append(settings);
    if (!next.save())
        return false;
    if (settings.path != lineKey)
        m_ports.remove(settings.path);
    m_settings = next;
    if (events()) {
        events()->lineListChanged();
        events()->lineStateUpdated(*this, settings.path);
    }
    return true;
}

bool ModemProvider::removePort(const QString& lineKey)
{
    ModemSettings next = ModemSettings::load();
    if (next.ports.removeIf([&](const ModemPortSettings& p) { return p.path == lineKey; }) == 0)
        return false;
    if (!next.save())
        return false;
    m_settings = next;
    if (events())
        events()->lineListChanged();
    return true;
}

QStringList ModemProvider::managedPorts() const
{
    QStringList ports;
    const mm::ManagedObjects objects = mm::managedObjects(QDBusConnection::systemBus());
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (it->contains(mm::kModem))
            ports += mm::portNames(it->value(mm::kModem));
    }
    return ports;
}

bool ModemProvider::isManaged(const QString& port, const QStringList& managed) const
{
    if (managed.isEmpty())
        return false;
    const QFileInfo info(port);
    const QString real = info.canonicalFilePath();
    return managed.contains(info.fileName()) ||
           (!real.isEmpty() && managed.contains(QFileInfo(real).fileName()));
}

void ModemProvider::setProbe(const QString& port, Probe probe)
{
    m_ports[port].probe = probe;
    if (events()) {
        events()->lineListChanged();
        events()->lineStateUpdated(*this, port);
    }
}

void ModemProvider::probeNext()
{
    if (m_probeChannel || m_probeQueue.isEmpty())
        return;
    const QStringList managed = managedPorts();
    while (!m_probeQueue.isEmpty()) {
        const QString port = m_probeQueue.takeFirst();
        if (!m_ports.contains(port) || m_ports[port].probe != Probe::NotYet)
            continue;
        if (isManaged(port, managed)) {
            setProbe(port, Probe::ModemManager);
            continue;
        }
        // A call on the port probes it itself.
        if (callOnPort(port) != 0)
            continue;
        auto* channel = new AtChannel(this);
        QString error;
        if (!channel->open(port, &error)) {
            delete channel;
            m_ports[port].error = error;
            setProbe(port, Probe::Unopenable);
            continue;
        }
        m_probeChannel = channel;
        m_ports[port].probe = Probe::Running;
        runProbe(channel, port, [this, channel, port](bool modem) {
            channel->close();
            channel->deleteLater();
            if (m_ports.contains(port))
                setProbe(port, modem ? Probe::Modem : Probe::NoAnswer);
            QMetaObject::invokeMethod(this, &ModemProvider::probeNext, Qt::QueuedConnection);
        });
        return;
    }
}

void ModemProvider::runProbe(AtChannel* channel, const QString& port,
                             std::function<void(bool)> done)
{
    struct Answers
    {
        QString identity, manufacturer, model;
        QByteArray gcap, classes;
    };
    auto answers = std::make_shared<Answers>();
    auto finish = [this, port, answers, done](AtChannel::Result last, const QByteArrayList& info) {
        if (last == AtChannel::Result::Ok)
            answers->classes = info.join(',');
        PortInfo& entry = m_ports[port];
        entry.identity = answers->identity;
        entry.manufacturer = answers->manufacturer;
        entry.model = answers->model;
        entry.kind = answers->gcap.toUpper().contains("+CGSM") ? ModemKind::Cellular
                     : listsClass8(answers->classes)           ? ModemKind::Voice
                                                               : ModemKind::Data;
        entry.probe = Probe::Modem;
        done(true);
    };
    // Each answer is optional: an old modem answers ERROR to what it does not know.
    const auto text = [](AtChannel::Result r, const QByteArrayList& info) {
        return r == AtChannel::Result::Ok ? firstLine(info) : QString();
    };
    channel->command("ATE0V1Q0", kCommandMs, [=](AtChannel::Result r, const QByteArrayList&) {
        if (r != AtChannel::Result::Ok) {
            done(false);
            return;
        }
        channel->command("ATI3", kCommandMs, [=](AtChannel::Result r3, const QByteArrayList& i3) {
            answers->identity = text(r3, i3);
        });
        channel->command("AT+GMI", kCommandMs, [=](AtChannel::Result rm, const QByteArrayList& im) {
            answers->manufacturer = text(rm, im);
        });
        channel->command("AT+GMM", kCommandMs, [=](AtChannel::Result rm, const QByteArrayList& im) {
            answers->model = text(rm, im);
        });
        channel->command("AT+GCAP", kCommandMs,
                         [=](AtChannel::Result rg, const QByteArrayList& ig) {
                             if (rg == AtChannel::Result::Ok)
                                 answers->gcap = ig.join(',');
                         });
        channel->command("AT+FCLASS=?", kCommandMs, finish);
    });
}

quint64 ModemProvider::callOnPort(const QString& port) const
{
    for (auto it = m_calls.cbegin(); it != m_calls.cend(); ++it) {
        if (it->port == port && it->channel)
            return it.key();
    }
    return 0;
}

qint32 ModemProvider::placeCall(quint64 id, const QString& lineKey, const QString& number)
{
    if (m_settings.ports.isEmpty() && m_ports.isEmpty())
        lines();
    if (!m_ports.contains(lineKey))
        return LINEERR_NODEVICE;
    if (m_ports[lineKey].probe == Probe::ModemManager)
        return LINEERR_RESOURCEUNAVAIL;
    if (callOnPort(lineKey) != 0 || (m_probeChannel && m_ports[lineKey].probe == Probe::Running))
        return LINEERR_INUSE;

    CallEntry entry;
    entry.port = lineKey;
    entry.digits = dialDigits(number);
    entry.offHookOnly = number.trimmed().isEmpty();
    if (!entry.offHookOnly && entry.digits.isEmpty()) {
        m_calls.insert(id, entry);
        m_calls[id].ended = true;
        events()->callPlaced(id, LINEERR_INVALADDRESS);
        return 0;
    }
    auto* channel = new AtChannel(this);
    QString error;
    if (!channel->open(lineKey, &error)) {
        delete channel;
        return LINEERR_RESOURCEUNAVAIL;
    }
    entry.channel = channel;
    m_calls.insert(id, entry);
    connect(channel, &AtChannel::event, this,
            [this, id](const AtParser::Event& e) { onEvent(id, e); });
    connect(channel, &AtChannel::portLost, this, [this, id] {
        const auto found = m_calls.find(id);
        if (found == m_calls.end() || found->ended || found->dropping)
            return;
        if (!found->placed) {
            fail(id, LINEERR_OPERATIONFAILED);
            return;
        }
        // The modem went away: whatever happens on the line now, the program hears nothing.
        endCall(id, found->connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNAVAIL);
    });
    if (events())
        events()->lineStateUpdated(*this, lineKey);
    startCall(id);
    return 0;
}

void ModemProvider::startCall(quint64 id)
{
    CallEntry& entry = m_calls[id];
    const QString port = entry.port;
    if (m_ports[port].probe != Probe::Modem) {
        m_ports[port].probe = Probe::Running;
        runProbe(entry.channel, port, [this, id, port](bool modem) {
            setProbe(port, modem ? Probe::Modem : Probe::NoAnswer);
            if (!m_calls.contains(id) || m_calls[id].ended)
                return;
            if (modem)
                dialOn(id);
            else
                fail(id, LINEERR_OPERATIONFAILED);
        });
        return;
    }
    entry.channel->command("ATE0V1Q0", kCommandMs,
                           [this, id](AtChannel::Result r, const QByteArrayList&) {
                               if (!m_calls.contains(id) || m_calls[id].ended)
                                   return;
                               if (r == AtChannel::Result::Ok)
                                   dialOn(id);
                               else
                                   fail(id, LINEERR_OPERATIONFAILED);
                           });
}

void ModemProvider::dialOn(quint64 id)
{
    CallEntry& entry = m_calls[id];
    entry.kind = m_ports[entry.port].kind;
    const ModemPortSettings settings = portSettings(entry.port);
    AtChannel* channel = entry.channel;
    const auto setupStep = [this, id](AtChannel::Result r, const QByteArrayList&) {
        if (r != AtChannel::Result::Ok && m_calls.contains(id) && !m_calls[id].ended)
            fail(id, LINEERR_OPERATIONFAILED);
    };
    QByteArray init = settings.initString.trimmed().toLatin1();
    if (!init.isEmpty()) {
        if (!init.toUpper().startsWith("AT"))
            init.prepend("AT");
        channel->command(init, kCommandMs * 2, setupStep);
    }
    if (entry.offHookOnly) {
        if (entry.kind == ModemKind::Cellular) {
            fail(id, LINEERR_INVALADDRESS);
            return;
        }
        // Off hook with nothing dialled: the user dials on the telephone set.
        channel->command("ATH1", kCommandMs,
                         [this, id](AtChannel::Result r, const QByteArrayList&) {
                             if (!m_calls.contains(id) || m_calls[id].ended)
                                 return;
                             if (r != AtChannel::Result::Ok) {
                                 fail(id, LINEERR_OPERATIONFAILED);
                                 return;
                             }
                             m_calls[id].placed = true;
                             events()->callPlaced(id, 0);
                             events()->callStateChanged(id, LINECALLSTATE_DIALTONE, 0);
                         });
        return;
    }
    QByteArray dial = "ATD";
    switch (entry.kind) {
    case ModemKind::Voice:
        channel->command("AT+FCLASS=8", kCommandMs, setupStep);
        channel->command("ATX4", kCommandMs, setupStep);
        dial += (settings.pulse ? "P" : "T") + entry.digits;
        break;
    case ModemKind::Cellular:
        dial += entry.digits + ';';
        break;
    case ModemKind::Data:
    case ModemKind::Unknown:
        channel->command("ATX4", kCommandMs, setupStep);
        dial += (settings.pulse ? "P" : "T") + entry.digits;
        break;
    }
    // The call is on its way once the modem has taken every setup command; the dial's own
    // end (BUSY, VCON, ...) arrives as an event.
    channel->command("AT", kCommandMs, [this, id](AtChannel::Result r, const QByteArrayList&) {
        if (!m_calls.contains(id) || m_calls[id].ended)
            return;
        if (r != AtChannel::Result::Ok) {
            fail(id, LINEERR_OPERATIONFAILED);
            return;
        }
        m_calls[id].placed = true;
        events()->callPlaced(id, 0);
        events()->callStateChanged(id, LINECALLSTATE_DIALING, 0);
    });
    channel->command(
        dial, kDialMs,
        [this, id](AtChannel::Result r, const QByteArrayList&) {
            const auto found = m_calls.find(id);
            if (found == m_calls.end() || found->ended || found->dropping)
                return;
            if (r == AtChannel::Result::Error) {
                // A modem refuses a dial string it cannot dial; a cellular module also one
                // it cannot dial now (no network).
                endCall(id, found->kind == ModemKind::Cellular ? LINEDISCONNECTMODE_UNAVAIL
                                                               : LINEDISCONNECTMODE_BADADDRESS);
            } else if (r == AtChannel::Result::Timeout) {
                endCall(id,
                        found->connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNKNOWN);
            } else if (r == AtChannel::Result::Ok && found->kind == ModemKind::Cellular) {
                found->poll = new QTimer(this);
                connect(found->poll, &QTimer::timeout, this, [this, id] {
                    const auto call = m_calls.find(id);
                    if (call == m_calls.end() || call->ended || call->dropping || !call->channel)
                        return;
                    call->channel->command(
                        "AT+CLCC", kCommandMs,
                        [this, id](AtChannel::Result rc, const QByteArrayList& info) {
                            if (rc == AtChannel::Result::Ok)
                                onCallList(id, info);
                        });
                });
                found->poll->start(kPollMs);
            }
        },
        true);
}

void ModemProvider::onCallList(quint64 id, const QByteArrayList& info)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || found->dropping)
        return;
    int stat = -1;
    for (const QByteArray& line : info) {
        if (!line.startsWith("+CLCC:"))
            continue;
        const QList<QByteArray> fields = line.mid(6).split(',');
        // Only our own outgoing call (direction 0) tells how the call goes.
        if (fields.size() >= 3 && fields[1].trimmed() == "0") {
            stat = fields[2].trimmed().toInt();
            break;
        }
    }
    if (stat < 0) {
        // The end comes as BUSY, NO ANSWER or NO CARRIER; a call that left the list
        // without one ended for a reason nobody told.
        if (++found->missingPolls >= (found->seenInList ? 2 : 20))
            endCall(id, found->connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNKNOWN);
        return;
    }
    found->seenInList = true;
    found->missingPolls = 0;
    if (stat == 0)
        connectCall(id);
    else if (stat == 3 && !found->connected)
        events()->callStateChanged(id, LINECALLSTATE_RINGBACK, 0);
}

void ModemProvider::connectCall(quint64 id)
{
    CallEntry& entry = m_calls[id];
    if (entry.connected || entry.ended)
        return;
    entry.connected = true;
    events()->callStateChanged(id, LINECALLSTATE_CONNECTED, 0);
    events()->lineStateUpdated(*this, entry.port);
}

void ModemProvider::onEvent(quint64 id, const AtParser::Event& e)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || found->dropping || !found->placed)
        return;
    const bool connected = found->connected;
    const quint32 afterAnswer = LINEDISCONNECTMODE_NORMAL;
    switch (e.kind) {
    case AtParser::Kind::Busy:
        endCall(id, connected ? afterAnswer : LINEDISCONNECTMODE_BUSY);
        break;
    case AtParser::Kind::NoDialTone:
        endCall(id, connected ? afterAnswer : LINEDISCONNECTMODE_NODIALTONE);
        break;
    case AtParser::Kind::NoAnswer:
        endCall(id, connected ? afterAnswer : LINEDISCONNECTMODE_NOANSWER);
        break;
    case AtParser::Kind::NoCarrier:
        if (!connected && found->kind == ModemKind::Data) {
            // A data modem gives up waiting for a carrier that a person never sends: the line
            // was neither busy nor dead, so someone may have answered, and an answered call
            // must never be dialled again.
            connectCall(id);
            endCall(id, afterAnswer);
            break;
        }
        endCall(id, connected ? afterAnswer : LINEDISCONNECTMODE_UNKNOWN);
        break;
    case AtParser::Kind::Connect:
    case AtParser::Kind::VoiceConnect:
        connectCall(id);
        break;
    case AtParser::Kind::Dle:
        // Busy tone before the answer is a busy line; busy or dial tone after it means the far
        // end has hung up.
        if (e.code == 'b')
            endCall(id, connected ? afterAnswer : LINEDISCONNECTMODE_BUSY);
        else if (e.code == 'd' && connected)
            endCall(id, afterAnswer);
        break;
    default:
        break;
    }
}

void ModemProvider::endCall(quint64 id, quint32 disconnectMode)
{
    CallEntry& entry = m_calls[id];
    if (entry.ended)
        return;
    entry.ended = true;
    if (entry.poll)
        entry.poll->stop();
    if (disconnectMode == LINEDISCONNECTMODE_BUSY)
        events()->callStateChanged(id, LINECALLSTATE_BUSY, 0);
    events()->callStateChanged(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
    closeChannel(entry, true);
    events()->lineStateUpdated(*this, entry.port);
}

void ModemProvider::fail(quint64 id, qint32 error)
{
    CallEntry& entry = m_calls[id];
    if (entry.ended)
        return;
    entry.ended = true;
    events()->callPlaced(id, error);
    closeChannel(entry, true);
    events()->lineStateUpdated(*this, entry.port);
}

void ModemProvider::closeChannel(CallEntry& entry, bool hangUp)
{
    AtChannel* channel = std::exchange(entry.channel, nullptr);
    if (entry.poll) {
        entry.poll->deleteLater();
        entry.poll = nullptr;
    }
    if (!channel)
        return;
    channel->disconnect(this);
    const bool voice = entry.kind == ModemKind::Voice;
    const auto done = [channel](AtChannel::Result, const QByteArrayList&) {
        channel->close();
        channel->deleteLater();
    };
    if (!hangUp || !channel->isOpen()) {
        done(AtChannel::Result::Closed, {});
        return;
    }
    const QByteArray hangUpCommand = entry.kind == ModemKind::Cellular ? "AT+CHUP" : "ATH";
    channel->interrupt(hangUpCommand, kHangUpMs,
                       [channel, voice, done](AtChannel::Result r, const QByteArrayList&) {
                           if (r == AtChannel::Result::Closed) {
                               done(r, {});
                           } else if (voice) {
                               // Back to data mode, as the next program to open the port expects.
                               channel->command("AT+FCLASS=0", kCommandMs, done);
                           } else if (r == AtChannel::Result::Error) {
                               channel->command("ATH", kHangUpMs, done);
                           } else {
                               done(r, {});
                           }
                       });
}

void ModemProvider::dropCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || !found->channel) {
        events()->callDropped(id, 0);
        return;
    }
    found->dropping = true;
    if (found->poll)
        found->poll->stop();
    AtChannel* channel = found->channel;
    const bool cellular = found->kind == ModemKind::Cellular;
    channel->interrupt(
        cellular ? "AT+CHUP" : "ATH", kHangUpMs,
        [this, id, channel, cellular](AtChannel::Result r, const QByteArrayList&) {
            if (cellular && r == AtChannel::Result::Error) {
                channel->command(
                    "ATH", kHangUpMs,
                    [this, id](AtChannel::Result, const QByteArrayList&) { finishDrop(id); });
                return;
            }
            finishDrop(id);
        });
}

void ModemProvider::finishDrop(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended)
        return;
    found->ended = true;
    closeChannel(*found, found->kind == ModemKind::Voice);
    events()->callDropped(id, 0);
    events()->lineStateUpdated(*this, found->port);
}

void ModemProvider::releaseCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end())
        return;
    CallEntry entry = *found;
    m_calls.erase(found);
    if (entry.channel)
        closeChannel(entry, true);
    else if (entry.poll)
        entry.poll->deleteLater();
    if (events())
        events()->lineStateUpdated(*this, entry.port);
}

} // namespace telvora
