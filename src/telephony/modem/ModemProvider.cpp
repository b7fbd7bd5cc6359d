#include "telephony/modem/ModemProvider.h"

#include "telephony/cellular/MmObjects.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/modem/AtChannel.h"
#include "telephony/modem/ModemTimes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSerialPortInfo>
#include <memory>
#include <sys/stat.h>

using namespace mTAPIConsts;

namespace telvora {

using namespace modem;

namespace {

const LineProviderRegistrar registrar(20, [] { return std::make_unique<ModemProvider>(); });

constexpr int kPollMs = 500;
// Without a way to hear of hot-plug, the system's ports are listed again at most this often.
constexpr qint64 kRescanMs = 10000;
// How many unopenable ports one turn of the event loop looks at before it lets others run.
constexpr int kProbeBudget = 16;

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

// What a modem said, fit to be shown: printable ASCII, a few dozen characters at most.
QString modemWords(const QByteArrayList& info)
{
    QString words;
    const QByteArray text = info.isEmpty() ? QByteArray() : info.constLast().trimmed();
    for (const char c : text.left(60))
        words.append(c >= 0x20 && c < 0x7f ? QLatin1Char(c) : QLatin1Char('?'));
    return words;
}

// Changes whenever the file is written, without reading it.
QByteArray fileStamp(const QString& path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QByteArrayLiteral("none");
    return QByteArray::number(qulonglong(st.st_ino)) + ' ' +
           QByteArray::number(qlonglong(st.st_size)) + ' ' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(qlonglong(st.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_ctim.tv_nsec));
}

} // namespace

ModemProvider::ModemProvider()
{
    m_hotPlug.setSingleShot(true);
    connect(&m_hotPlug, &QTimer::timeout, this, [this] {
        m_scanStale = true;
        listChanged();
        // A modem plugged in again listens again.
        if (m_started)
            listenForCalls();
    });
    m_listChange.setSingleShot(true);
    connect(&m_listChange, &QTimer::timeout, this, [this] {
        if (events())
            events()->lineListChanged();
    });
}

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
    // Every dial attempt lists the lines: the file is read again only once it changed, and
    // the system's ports only once they changed.
    const QByteArray stamp = fileStamp(ModemSettings::filePath());
    if (stamp != m_settingsStamp) {
        m_settings = ModemSettings::load();
        m_settingsStamp = stamp;
    }
    if (!m_settings.scan) {
        m_foundPorts.clear();
        return;
    }
    const bool watched = m_watcher && !m_watcher->directories().isEmpty();
    if (!m_scanned || m_scanStale || (!watched && m_sinceScan.elapsed() > kRescanMs))
        scanPorts();
}

void ModemProvider::scanPorts()
{
    m_foundPorts.clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        m_foundPorts.append(info.systemLocation());
    ++m_portScans;
    m_scanned = true;
    m_scanStale = false;
    m_sinceScan.start();
    watchPorts();
}

void ModemProvider::watchPorts()
{
    if (m_watcher)
        return;
    // A serial device that comes or goes adds or removes its node in /dev.
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(QStringLiteral("/dev"));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        // A device's nodes and links come in a burst: list once it is over.
        m_hotPlug.start(300);
    });
}

void ModemProvider::listChanged()
{
    if (!m_listChange.isActive())
        m_listChange.start(100);
}

QList<ProviderLine> ModemProvider::lines()
{
    reloadSettings();
    QStringList ports;
    QSet<QString> named;
    for (const ModemPortSettings& port : std::as_const(m_settings.ports)) {
        ports.append(port.path);
        named.insert(port.path);
    }
    for (const QString& port : std::as_const(m_foundPorts)) {
        if (!named.contains(port))
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
    result.reserve(ports.size());
    for (const QString& port : std::as_const(ports)) {
        const PortInfo& info = m_ports[port];
        if (info.probe == Probe::ModemManager)
            continue;
        // A port the user named is a line even before it answers; one the system merely
        // lists is a line once it answered like a modem.
        if (!named.contains(port) && info.probe != Probe::Modem)
            continue;
        ProviderLine line;
        line.key = port;
        LineDevCaps& caps = line.caps;
        caps.lineName = lineName(port);
        caps.providerInfo =
            info.kind == ModemKind::Cellular
                ? QCoreApplication::translate("telvora::ModemProvider", "Cellular AT module")
            : info.kind == ModemKind::Voice
                ? QCoreApplication::translate("telvora::ModemProvider", "Voice modem")
            : info.kind == ModemKind::Data
                ? QCoreApplication::translate("telvora::ModemProvider", "Data modem")
                : QCoreApplication::translate("telvora::ModemProvider", "Modem");
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
    return QCoreApplication::translate("telvora::ModemProvider", "Modem on %1")
        .arg(QFileInfo(port).fileName());
}

QString ModemProvider::lineState(const QString& lineKey) const
{
    if (const quint64 id = callOnPort(lineKey); id != 0) {
        const CallEntry& call = m_calls[id];
        return call.waiting     ? QCoreApplication::translate("telvora::ModemProvider",
                                                              "Waiting for the modem to be free")
               : call.connected ? QCoreApplication::translate("telvora::ModemProvider", "In a call")
                                : QCoreApplication::translate("telvora::ModemProvider", "Dialling");
    }
    // Why the modem ended the last call matters more than that it is still hanging up.
    if (const QString note = m_notes.value(lineKey); !note.isEmpty())
        return note;
    if (m_releasing.value(lineKey))
        return QCoreApplication::translate("telvora::ModemProvider", "Hanging up");
    if (const auto listener = m_listeners.constFind(lineKey); listener != m_listeners.cend()) {
        if (listener->connected)
            return QCoreApplication::translate("telvora::ModemProvider", "In a call");
        if (listener->rings > 0)
            return QCoreApplication::translate("telvora::ModemProvider", "Incoming call");
        if (m_ports.value(lineKey).probe == Probe::Modem)
            return QCoreApplication::translate("telvora::ModemProvider", "Ready, taking calls");
    }
    const PortInfo info = m_ports.value(lineKey);
    switch (info.probe) {
    case Probe::NotYet:
    case Probe::Running:
        return QCoreApplication::translate("telvora::ModemProvider", "Checking the modem...");
    case Probe::NoAnswer:
        return QCoreApplication::translate("telvora::ModemProvider",
                                           "No modem answers on this port");
    case Probe::Unopenable:
        return QCoreApplication::translate("telvora::ModemProvider", "Cannot open the port: %1")
            .arg(info.error);
    case Probe::ModemManager:
        return QCoreApplication::translate("telvora::ModemProvider",
                                           "Used by ModemManager (see its cellular line)");
    case Probe::Modem:
        break;
    }
    switch (info.kind) {
    case ModemKind::Voice:
        return QCoreApplication::translate("telvora::ModemProvider", "Ready (voice modem)");
    case ModemKind::Data:
        return QCoreApplication::translate("telvora::ModemProvider",
                                           "Ready (data modem: tells busy and no dial tone only)");
    case ModemKind::Cellular:
        return QCoreApplication::translate("telvora::ModemProvider", "Ready (cellular module)");
    case ModemKind::Unknown:
        break;
    }
    return QCoreApplication::translate("telvora::ModemProvider", "Ready");
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
    if (!ModemSettings::pathProblem(settings.path).isEmpty() ||
        !ModemSettings::initStringProblem(settings.initString).isEmpty())
        return false;
    m_settings = ModemSettings::load();
    m_settingsStamp.clear();
    ModemSettings next = m_settings;
    next.ports.removeIf(
        [&](const ModemPortSettings& p) { return p.path == lineKey || p.path == settings.path; });
    next.ports.append(settings);
    if (!next.save())
        return false;
    if (settings.path != lineKey)
        m_ports.remove(settings.path);
    m_settings = next;
    if (m_started) {
        if (settings.path != lineKey)
            stopListening(lineKey);
        if (settings.takeCalls)
            listen(settings.path);
        else
            stopListening(settings.path);
    }
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
    m_settingsStamp.clear();
    stopListening(lineKey);
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
    if (events())
        events()->lineStateUpdated(*this, port);
    // The answer names the line, or makes a port the system lists a line at all.
    listChanged();
}

bool ModemProvider::portBusy(const QString& port) const
{
    return m_releasing.value(port) || m_probes.value(port);
}

void ModemProvider::probeNext()
{
    int budget = kProbeBudget;
    while (m_probes.size() < kProbesAtOnce && !m_probeQueue.isEmpty()) {
        if (budget-- == 0) {
            QMetaObject::invokeMethod(this, &ModemProvider::probeNext, Qt::QueuedConnection);
            return;
        }
        // Asked once for every batch of ports, not once a port.
        if (!m_managedKnown) {
            m_managed = managedPorts();
            m_managedKnown = true;
        }
        const QString port = m_probeQueue.takeFirst();
        if (!m_ports.contains(port) || m_ports[port].probe != Probe::NotYet)
            continue;
        if (isManaged(port, m_managed)) {
            setProbe(port, Probe::ModemManager);
            continue;
        }
        // A call on the port, or listening for calls on it, probes it itself.
        if (callOnPort(port) != 0 || portBusy(port) || m_listeners.contains(port))
            continue;
        AtChannel* channel = openPort(port);
        if (!channel) {
            setProbe(port, Probe::Unopenable);
            continue;
        }
        m_probes.insert(port, channel);
        m_ports[port].probe = Probe::Running;
        runProbe(channel, port, [this, channel, port](bool modem) {
            channel->close();
            channel->deleteLater();
            m_probes.remove(port);
            if (m_ports.contains(port))
                setProbe(port, modem ? Probe::Modem : Probe::NoAnswer);
            QMetaObject::invokeMethod(
                this, [this, port] { portFreed(port); }, Qt::QueuedConnection);
            QMetaObject::invokeMethod(this, &ModemProvider::probeNext, Qt::QueuedConnection);
        });
    }
    if (m_probeQueue.isEmpty() && m_probes.isEmpty())
        m_managedKnown = false;
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
        if (it->port == port && (it->channel || (it->waiting && !it->ended)))
            return it.key();
    }
    return 0;
}

qint32 ModemProvider::placeCall(quint64 id, const QString& lineKey, const QString& number)
{
    if (!m_ports.contains(lineKey))
        lines();
    if (!m_ports.contains(lineKey))
        return LINEERR_NODEVICE;
    if (m_ports[lineKey].probe == Probe::ModemManager)
        return LINEERR_RESOURCEUNAVAIL;
    if (callOnPort(lineKey) != 0)
        return LINEERR_INUSE;
    if (const auto listener = m_listeners.constFind(lineKey); listener != m_listeners.cend()) {
        // Going off hook now would answer the call that rings.
        if (listener->rings > 0 || listener->answering || listener->connected)
            return LINEERR_INUSE;
        stopListening(lineKey);
    }

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
    m_notes.remove(lineKey);
    m_calls.insert(id, entry);
    if (portBusy(lineKey)) {
        // The previous call is still hanging up, or the port is being probed: the call
        // starts as soon as the modem is free, so no attempt is lost to the overlap.
        m_calls[id].waiting = true;
        if (events())
            events()->lineStateUpdated(*this, lineKey);
        return 0;
    }
    const qint32 refused = openCall(id);
    if (refused != 0)
        m_calls.remove(id);
    return refused;
}

qint32 ModemProvider::openCall(quint64 id)
{
    CallEntry& entry = m_calls[id];
    entry.waiting = false;
    const QString port = entry.port;
    AtChannel* channel = openPort(port);
    if (!channel) {
        m_notes.insert(
            port, QCoreApplication::translate("telvora::ModemProvider", "Cannot open the port: %1")
                      .arg(m_ports.value(port).error));
        return LINEERR_RESOURCEUNAVAIL;
    }
    entry.channel = channel;
    followChannel(id, channel);
    if (events())
        events()->lineStateUpdated(*this, port);
    startCall(id);
    return 0;
}

AtChannel* ModemProvider::openPort(const QString& port)
{
    auto* channel = new AtChannel(this);
    QString error;
    if (channel->open(port, &error))
        return channel;
    delete channel;
    m_ports[port].error = error;
    return nullptr;
}

void ModemProvider::portFreed(const QString& port)
{
    if (portBusy(port))
        return;
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it) {
        if (it->port != port || !it->waiting || it->ended)
            continue;
        const quint64 id = it.key();
        if (openCall(id) != 0) {
            m_calls[id].waiting = false;
            fail(id, LINEERR_RESOURCEUNAVAIL);
        }
        return;
    }
    listen(port);
}

void ModemProvider::followChannel(quint64 id, AtChannel* channel)
{
    connect(channel, &AtChannel::event, this,
            [this, id](const AtParser::Event& e) { onEvent(id, e); });
    connect(channel, &AtChannel::portLost, this, [this, id] {
        const auto found = m_calls.find(id);
        if (found == m_calls.end() || found->ended || found->dropping)
            return;
        // The modem went away: whatever happens on the line now, the program hears nothing,
        // and the call is lost whether or not anyone had answered.
        endCall(id, LINEDISCONNECTMODE_UNAVAIL,
                QCoreApplication::translate("telvora::ModemProvider", kWentAway));
    });
}

void ModemProvider::failSetup(quint64 id, AtChannel::Result result)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended)
        return;
    if (result == AtChannel::Result::Closed) {
        endCall(id, LINEDISCONNECTMODE_UNAVAIL,
                QCoreApplication::translate("telvora::ModemProvider", kWentAway));
        return;
    }
    if (result == AtChannel::Result::Timeout)
        m_notes.insert(found->port,
                       QCoreApplication::translate("telvora::ModemProvider", kDidNotAnswer));
    else
        m_notes.insert(found->port,
                       QCoreApplication::translate("telvora::ModemProvider",
                                                   "The modem refused a setup command"));
    fail(id, LINEERR_OPERATIONFAILED);
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
            if (modem) {
                dialOn(id);
            } else {
                m_notes.insert(
                    port, QCoreApplication::translate("telvora::ModemProvider", kDidNotAnswer));
                fail(id, LINEERR_OPERATIONFAILED);
            }
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
                                   failSetup(id, r);
                           });
}

void ModemProvider::dialOn(quint64 id)
{
    CallEntry& entry = m_calls[id];
    entry.kind = m_ports[entry.port].kind;
    const ModemPortSettings settings = portSettings(entry.port);
    AtChannel* channel = entry.channel;
    const auto setupStep = [this, id](AtChannel::Result r, const QByteArrayList&) {
        if (r != AtChannel::Result::Ok)
            failSetup(id, r);
    };
    // The answer to the last setup command: the call is on its way, in this state.
    const auto placedIn = [this, id](quint32 state) {
        return [this, id, state](AtChannel::Result r, const QByteArrayList&) {
            if (!m_calls.contains(id) || m_calls[id].ended)
                return;
            if (r != AtChannel::Result::Ok) {
                failSetup(id, r);
                return;
            }
            m_calls[id].placed = true;
            events()->callPlaced(id, 0);
            events()->callStateChanged(id, state, 0);
        };
    };
    if (const QString problem = ModemSettings::initStringProblem(settings.initString);
        !problem.isEmpty()) {
        // Never sent as it stands: it would be more than the one command line it claims.
        m_notes.insert(entry.port, problem);
        fail(id, LINEERR_OPERATIONFAILED);
        return;
    }
    QByteArray init = settings.initString.trimmed().toLatin1();
    if (!init.isEmpty()) {
        if (!init.toUpper().startsWith("AT"))
            init.prepend("AT");
        channel->command(init, kInitMs, setupStep);
    }
    if (entry.offHookOnly) {
        if (entry.kind == ModemKind::Cellular) {
            fail(id, LINEERR_INVALADDRESS);
            return;
        }
        // Off hook with nothing dialled: the user dials on the telephone set.
        channel->command("ATH1", kCommandMs, placedIn(LINECALLSTATE_DIALTONE));
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
    channel->command("AT", kCommandMs, placedIn(LINECALLSTATE_DIALING));
    channel->command(
        dial, kDialMs,
        [this, id](AtChannel::Result r, const QByteArrayList& info) {
            const auto found = m_calls.find(id);
            if (found == m_calls.end() || found->ended || found->dropping)
                return;
            const bool cellular = found->kind == ModemKind::Cellular;
            if (r == AtChannel::Result::Error) {
                const QString words = modemWords(info);
                if (cellular) {
                    // A cellular module refuses what it cannot dial now (no network).
                    endCall(id, LINEDISCONNECTMODE_UNAVAIL,
                            QCoreApplication::translate("telvora::ModemProvider",
                                                        "The modem could not call: %1")
                                .arg(words));
                } else if (words.startsWith(QLatin1String("+C"))) {
                    // An extended error is the modem's (or the network's) refusal, not a
                    // verdict on the number.
                    endCall(id, LINEDISCONNECTMODE_REJECT,
                            QCoreApplication::translate("telvora::ModemProvider",
                                                        "The modem refused to dial: %1")
                                .arg(words));
                } else {
                    // A modem refuses a dial string it cannot dial.
                    endCall(id, LINEDISCONNECTMODE_BADADDRESS);
                }
            } else if (r == AtChannel::Result::Unrecognised) {
                // Nobody knows what it means, so nothing says another try would do better.
                endCall(
                    id, found->connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_REJECT,
                    QCoreApplication::translate("telvora::ModemProvider",
                                                "The modem ended the call with \"%1\", which is no "
                                                "result code this program knows")
                        .arg(modemWords(info)));
            } else if (r == AtChannel::Result::Timeout) {
                endCall(id,
                        found->connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNKNOWN,
                        QCoreApplication::translate("telvora::ModemProvider", kDidNotAnswer));
            } else if (r == AtChannel::Result::Closed) {
                endCall(id, LINEDISCONNECTMODE_UNAVAIL,
                        QCoreApplication::translate("telvora::ModemProvider", kWentAway));
            } else if (r == AtChannel::Result::Ok && cellular) {
                found->poll = new QTimer(this);
                connect(found->poll, &QTimer::timeout, this, [this, id] {
                    const auto call = m_calls.find(id);
                    if (call == m_calls.end() || call->ended || call->dropping || !call->channel)
                        return;
                    call->channel->command(
                        "AT+CLCC", kCommandMs,
                        [this, id](AtChannel::Result rc, const QByteArrayList& calls) {
                            if (rc == AtChannel::Result::Ok)
                                onCallList(id, calls);
                        });
                });
                found->poll->start(kPollMs);
            }
        },
        true);
}

bool ModemProvider::sendTones(quint64 id, const QString& tones)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || !found->connected || found->ended || found->dropping ||
        !found->channel)
        return false;
    // A data modem has no voice channel to put a tone on.
    if (found->kind != ModemKind::Voice && found->kind != ModemKind::Cellular)
        return false;
    // One tone per command: the one form that voice modems and cellular modules both take.
    for (const QChar tone : tones) {
        found->channel->command("AT+VTS=" + QByteArray(1, tone.toLatin1()), kCommandMs,
                                [](AtChannel::Result, const QByteArrayList&) {});
    }
    return true;
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
    case AtParser::Kind::Refused:
        // The modem itself will not dial the number (too many attempts, a barred number):
        // dialling it again is what got it refused.
        endCall(
            id, connected ? afterAnswer : LINEDISCONNECTMODE_REJECT,
            QCoreApplication::translate("telvora::ModemProvider", "The modem refused to dial: %1")
                .arg(modemWords({e.text})));
        break;
    case AtParser::Kind::Ringing:
        if (!connected)
            events()->callStateChanged(id, LINECALLSTATE_RINGBACK, 0);
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

void ModemProvider::endCall(quint64 id, quint32 disconnectMode, const QString& note)
{
    CallEntry& entry = m_calls[id];
    if (entry.ended)
        return;
    entry.ended = true;
    if (!note.isEmpty())
        m_notes.insert(entry.port, note);
    if (entry.poll)
        entry.poll->stop();
    if (disconnectMode == LINEDISCONNECTMODE_BUSY)
        events()->callStateChanged(id, LINECALLSTATE_BUSY, 0);
    events()->callStateChanged(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
    closeChannel(entry, true);
    incomingCallEnded(id);
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
    releasePort(channel, entry.port, entry.kind, hangUp);
}

void ModemProvider::releasePort(AtChannel* channel, const QString& port, ModemKind kind,
                                bool hangUp)
{
    channel->disconnect(this);
    const bool voice = kind == ModemKind::Voice;
    // The port stays taken until the modem is back on hook: a call placed meanwhile waits
    // for it instead of talking over the hang-up.
    const auto done = [this, channel, port](AtChannel::Result, const QByteArrayList&) {
        channel->close();
        channel->deleteLater();
        if (m_releasing.value(port) == channel)
            m_releasing.remove(port);
        QMetaObject::invokeMethod(
            this, [this, port] { portFreed(port); }, Qt::QueuedConnection);
        if (events())
            events()->lineStateUpdated(*this, port);
    };
    if (!hangUp || !channel->isOpen()) {
        done(AtChannel::Result::Closed, {});
        return;
    }
    m_releasing.insert(port, channel);
    const QByteArray hangUpCommand = kind == ModemKind::Cellular ? "AT+CHUP" : "ATH";
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
        // A call still waiting for its port never reaches the modem.
        if (found != m_calls.end()) {
            found->ended = true;
            found->waiting = false;
        }
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
    incomingCallEnded(id);
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
    incomingCallEnded(id);
    if (events())
        events()->lineStateUpdated(*this, entry.port);
}

} // namespace telvora
