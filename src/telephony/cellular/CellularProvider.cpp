#include "telephony/cellular/CellularProvider.h"

#include "telephony/cellular/MmObjects.h"
#include "telephony/mTAPIConsts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <utility>

using namespace mTAPIConsts;

namespace telvora {

namespace {

const LineProviderRegistrar registrar(30, [] { return std::make_unique<CellularProvider>(); });

// MMModemState, MMCallState and MMCallStateReason values.
constexpr int kModemDisabled = 3;
constexpr int kModemRegistered = 8;
constexpr int kCallRingingOut = 2;
constexpr int kCallRingingIn = 3;
constexpr int kCallActive = 4;
constexpr int kCallWaiting = 6;
constexpr int kCallTerminated = 7;
constexpr uint kReasonRefusedOrBusy = 5;
// MMCallDirection
constexpr int kDirectionIncoming = 1;
// A number is a few dozen digits; anything longer is not one, and is not kept whole.
constexpr qsizetype kMaxNumber = 128;
// How long a modem may take to enable and find its network before a call gives up.
constexpr int kRegisterWaitMs = 30000;

QDBusConnection bus()
{
    return QDBusConnection::systemBus();
}

QString stateText(int state)
{
    switch (state) {
    case -1:
        return QCoreApplication::translate("telvora::CellularProvider", "Failed");
    case 1:
        return QCoreApplication::translate("telvora::CellularProvider", "Starting");
    case 2:
        return QCoreApplication::translate("telvora::CellularProvider", "Locked (SIM PIN needed)");
    case 3:
        return QCoreApplication::translate("telvora::CellularProvider",
                                           "Disabled (enabled when you dial)");
    case 4:
        return QCoreApplication::translate("telvora::CellularProvider", "Disabling");
    case 5:
        return QCoreApplication::translate("telvora::CellularProvider", "Enabling");
    case 6:
        return QCoreApplication::translate("telvora::CellularProvider", "Enabled, no network");
    case 7:
        return QCoreApplication::translate("telvora::CellularProvider", "Searching for a network");
    case 8:
    case 9:
    case 10:
    case 11:
        return QCoreApplication::translate("telvora::CellularProvider", "Registered");
    default:
        return QCoreApplication::translate("telvora::CellularProvider", "Unknown");
    }
}

} // namespace

CellularProvider::CellularProvider() = default;

CellularProvider::~CellularProvider()
{
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it)
        delete it->wait;
}

void CellularProvider::watch()
{
    if (m_watching)
        return;
    m_watching = true;
    QDBusConnection connection = bus();
    if (!connection.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(mm::kService, connection,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                clearModems();
                if (!newOwner.isEmpty())
                    reload();
                if (events())
                    events()->lineListChanged();
            });
    const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
    connection.connect(mm::kService, mm::kRoot, objectManager, QStringLiteral("InterfacesAdded"),
                       this, SLOT(onInterfacesAdded(QDBusMessage)));
    connection.connect(mm::kService, mm::kRoot, objectManager, QStringLiteral("InterfacesRemoved"),
                       this, SLOT(onInterfacesRemoved(QDBusMessage)));
    connection.connect(mm::kService, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this,
                       SLOT(onPropertiesChanged(QDBusMessage)));
    connection.connect(mm::kService, QString(), mm::kVoice, QStringLiteral("CallAdded"), this,
                       SLOT(onCallAdded(QDBusMessage)));
    connection.connect(mm::kService, QString(), mm::kVoice, QStringLiteral("CallDeleted"), this,
                       SLOT(onCallDeleted(QDBusMessage)));
    reload();
}

void CellularProvider::reload()
{
    const mm::ManagedObjects objects = mm::managedObjects(bus());
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (!it->contains(mm::kModem))
            continue;
        Modem modem;
        modem.path = it.key();
        modem.properties = it->value(mm::kModem);
        modem.voice = it->contains(mm::kVoice);
        m_modems.insert(modem.path, modem);
    }
}

void CellularProvider::clearModems()
{
    endIncoming(false);
    const QList<quint64> ids = m_calls.keys();
    for (quint64 id : ids) {
        CallEntry& entry = m_calls[id];
        if (entry.dropping) {
            finishDrop(id);
        } else if (!entry.ended) {
            endCall(id, entry.connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNAVAIL,
                    false);
        }
    }
    m_modems.clear();
}

QString CellularProvider::keyOf(const Modem& modem) const
{
    // The object path changes when the daemon restarts or the modem comes back; the device
    // identifier stays the same for the same device.
    const QString device = modem.properties.value(QStringLiteral("DeviceIdentifier")).toString();
    return device.isEmpty() ? modem.path : device;
}

const CellularProvider::Modem* CellularProvider::modemByKey(const QString& key) const
{
    for (const Modem& modem : m_modems) {
        if (modem.voice && keyOf(modem) == key)
            return &modem;
    }
    return nullptr;
}

int CellularProvider::modemState(const QString& path) const
{
    return m_modems.value(path).properties.value(QStringLiteral("State"), 0).toInt();
}

QList<ProviderLine> CellularProvider::lines()
{
    watch();
    QList<ProviderLine> result;
    int index = 0;
    for (const Modem& modem : std::as_const(m_modems)) {
        if (!modem.voice)
            continue;
        const QVariantMap& p = modem.properties;
        ProviderLine line;
        line.key = keyOf(modem);
        LineDevCaps& caps = line.caps;
        const QString manufacturer = p.value(QStringLiteral("Manufacturer")).toString().trimmed();
        const QString model = p.value(QStringLiteral("Model")).toString().trimmed();
        caps.lineName = QString(manufacturer + QLatin1Char(' ') + model).trimmed();
        if (caps.lineName.isEmpty())
            caps.lineName =
                QCoreApplication::translate("telvora::CellularProvider", "Cellular modem %1")
                    .arg(index + 1);
        caps.providerInfo = QStringLiteral("ModemManager");
        caps.switchInfo = p.value(QStringLiteral("PrimaryPort")).toString();
        caps.permanentLineID = 0x00030000u | (qHash(line.key) & 0xffffu);
        caps.stringFormat = LINESTRINGFORMAT_ASCII;
        caps.numAddresses = 1;
        caps.bearerModes = LINEBEARERMODE_VOICE;
        caps.addressModes = LINEADDRESSMODE_ADDRESSID;
        caps.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
        caps.numTerminals = 1;
        result.append(line);
        ++index;
    }
    return result;
}

QString CellularProvider::lineState(const QString& lineKey) const
{
    const Modem* modem = modemByKey(lineKey);
    if (!modem)
        return {};
    if (hasIncoming() && m_incoming.modemPath == modem->path && !m_incoming.adopted)
        return m_incoming.connected
                   ? QCoreApplication::translate("telvora::CellularProvider", "In a call")
                   : QCoreApplication::translate("telvora::CellularProvider", "Incoming call");
    for (const CallEntry& call : m_calls) {
        if (call.modemPath == modem->path && !call.ended)
            return call.connected
                       ? QCoreApplication::translate("telvora::CellularProvider", "In a call")
                       : QCoreApplication::translate("telvora::CellularProvider", "Dialling");
    }
    return stateText(modemState(modem->path));
}

QList<std::pair<QString, QString>> CellularProvider::details(const QString& lineKey) const
{
    QList<std::pair<QString, QString>> rows;
    const Modem* modem = modemByKey(lineKey);
    if (!modem)
        return rows;
    const QVariantMap& p = modem->properties;
    const auto text = [&p](const char* name) {
        return p.value(QLatin1String(name)).toString();
    };
    rows.append({QCoreApplication::translate("telvora::CellularProvider", "Manufacturer"),
                 text("Manufacturer")});
    rows.append({QCoreApplication::translate("telvora::CellularProvider", "Model"), text("Model")});
    rows.append(
        {QCoreApplication::translate("telvora::CellularProvider", "Firmware"), text("Revision")});
    rows.append({QCoreApplication::translate("telvora::CellularProvider", "Equipment identifier"),
                 text("EquipmentIdentifier")});
    rows.append(
        {QCoreApplication::translate("telvora::CellularProvider", "Port"), text("PrimaryPort")});
    rows.append({QCoreApplication::translate("telvora::CellularProvider", "Own numbers"),
                 p.value(QStringLiteral("OwnNumbers")).toStringList().join(QStringLiteral(", "))});
    rows.append({QCoreApplication::translate("telvora::CellularProvider", "State"),
                 stateText(modemState(modem->path))});
    return rows;
}

void CellularProvider::onInterfacesAdded(const QDBusMessage& message)
{
    if (message.arguments().size() < 2)
        return;
    const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
    const auto interfaces = mm::readInterfaces(message.arguments().at(1).value<QDBusArgument>());
    if (!interfaces.contains(mm::kModem) && !interfaces.contains(mm::kVoice))
        return;
    Modem& modem = m_modems[path];
    modem.path = path;
    if (interfaces.contains(mm::kModem))
        modem.properties = interfaces.value(mm::kModem);
    if (interfaces.contains(mm::kVoice))
        modem.voice = true;
    if (modem.properties.isEmpty()) {
        // A modem may announce its voice interface before its identity is known here.
        const QDBusMessage reply =
            bus().call(QDBusMessage::createMethodCall(
                           mm::kService, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                           QStringLiteral("GetAll"))
                           << mm::kModem,
                       QDBus::Block, 1000);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            reply.arguments().constFirst().value<QDBusArgument>() >> modem.properties;
    }
    if (events())
        events()->lineListChanged();
}

void CellularProvider::onInterfacesRemoved(const QDBusMessage& message)
{
    if (message.arguments().size() < 2)
        return;
    const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
    const QStringList interfaces = message.arguments().at(1).toStringList();
    const auto found = m_modems.find(path);
    if (found == m_modems.end())
        return;
    if (interfaces.contains(mm::kModem))
        m_modems.erase(found);
    else if (interfaces.contains(mm::kVoice))
        found->voice = false;
    else
        return;
    // Calls on a modem that went away end here: the daemon will say nothing more of them.
    if (m_incoming.modemPath == path)
        endIncoming(false);
    const QList<quint64> ids = m_calls.keys();
    for (quint64 id : ids) {
        CallEntry& entry = m_calls[id];
        if (entry.modemPath != path)
            continue;
        entry.deleted = true;
        if (entry.dropping)
            finishDrop(id);
        else if (!entry.ended)
            endCall(id, entry.connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNAVAIL,
                    false);
    }
    if (events())
        events()->lineListChanged();
}

void CellularProvider::onPropertiesChanged(const QDBusMessage& message)
{
    if (message.arguments().size() < 2 || message.arguments().at(0).toString() != mm::kModem)
        return;
    const auto found = m_modems.find(message.path());
    if (found == m_modems.end())
        return;
    QVariantMap changed;
    message.arguments().at(1).value<QDBusArgument>() >> changed;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        found->properties.insert(it.key(), it.value());
    if (changed.contains(QStringLiteral("Manufacturer")) ||
        changed.contains(QStringLiteral("Model"))) {
        if (events())
            events()->lineListChanged();
    }
    if (events() && found->voice)
        events()->lineStateUpdated(*this, keyOf(*found));
    if (changed.contains(QStringLiteral("State"))) {
        const QList<quint64> ids = m_calls.keys();
        for (quint64 id : ids) {
            const CallEntry& entry = m_calls[id];
            if (entry.modemPath == message.path() && entry.wait && !entry.ended &&
                modemState(entry.modemPath) >= kModemRegistered) {
                entry.wait->stop();
                createCall(id);
            }
        }
    }
}

qint32 CellularProvider::placeCall(quint64 id, const QString& lineKey, const QString& number)
{
    watch();
    const Modem* modem = modemByKey(lineKey);
    if (!modem)
        return LINEERR_NODEVICE;
    CallEntry entry;
    entry.modemPath = modem->path;
    entry.lineKey = lineKey;
    for (const QChar c : number) {
        if (c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('#') || c == QLatin1Char('+'))
            entry.number.append(c);
    }
    m_calls.insert(id, entry);
    if (entry.number.isEmpty()) {
        // A cellular call has no dial tone to go off hook to.
        m_calls[id].ended = true;
        events()->callPlaced(id, LINEERR_INVALADDRESS);
        return 0;
    }
    whenRegistered(id);
    return 0;
}

void CellularProvider::whenRegistered(quint64 id)
{
    CallEntry& entry = m_calls[id];
    const int state = modemState(entry.modemPath);
    if (state >= kModemRegistered) {
        createCall(id);
        return;
    }
    if (state < kModemDisabled) {
        entry.ended = true;
        events()->callPlaced(id, LINEERR_RESOURCEUNAVAIL);
        return;
    }
    if (state == kModemDisabled) {
        bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, entry.modemPath, mm::kModem,
                                                       QStringLiteral("Enable"))
                        << true);
    }
    // The state change calls createCall; the timer gives up on a modem that finds no network.
    entry.wait = new QTimer(this);
    entry.wait->setSingleShot(true);
    connect(entry.wait, &QTimer::timeout, this, [this, id] {
        const auto found = m_calls.find(id);
        if (found == m_calls.end() || found->ended)
            return;
        found->ended = true;
        events()->callPlaced(id, LINEERR_RESOURCEUNAVAIL);
    });
    entry.wait->start(kRegisterWaitMs);
}

void CellularProvider::createCall(quint64 id)
{
    CallEntry& entry = m_calls[id];
    if (entry.creating || !entry.callPath.isEmpty())
        return;
    entry.creating = true;
    QVariantMap properties;
    // The daemon takes only the lower-case key.
    properties.insert(QStringLiteral("number"), entry.number);
    QDBusMessage call = QDBusMessage::createMethodCall(mm::kService, entry.modemPath, mm::kVoice,
                                                       QStringLiteral("CreateCall"));
    call << properties;
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(call), this);
    const QString modemPath = entry.modemPath;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id, modemPath](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                const auto found = m_calls.find(id);
                const QString callPath = reply.isError() ? QString() : reply.value().path();
                if (found == m_calls.end()) {
                    // Released while the daemon was making it: it must not be left behind.
                    if (!callPath.isEmpty())
                        bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, modemPath,
                                                                       mm::kVoice,
                                                                       QStringLiteral("DeleteCall"))
                                        << QVariant::fromValue(QDBusObjectPath(callPath)));
                    return;
                }
                found->creating = false;
                found->callPath = callPath;
                if (found->dropping) {
                    if (!callPath.isEmpty())
                        deleteCall(*found);
                    finishDrop(id);
                    return;
                }
                if (found->ended) {
                    if (!callPath.isEmpty())
                        deleteCall(*found);
                    return;
                }
                if (callPath.isEmpty()) {
                    found->ended = true;
                    events()->callPlaced(id, LINEERR_OPERATIONFAILED);
                    return;
                }
                bus().connect(mm::kService, callPath, mm::kCall, QStringLiteral("StateChanged"),
                              this, SLOT(onCallStateChanged(QDBusMessage)));
                events()->callPlaced(id, 0);
                events()->callStateChanged(id, LINECALLSTATE_DIALING, 0);
                if (events())
                    events()->lineStateUpdated(*this, found->lineKey);
                startCall(id);
            });
}

void CellularProvider::startCall(quint64 id)
{
    const CallEntry& entry = m_calls[id];
    auto* watcher = new QDBusPendingCallWatcher(
        bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, entry.callPath, mm::kCall,
                                                       QStringLiteral("Start"))),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<> reply = *w;
                const auto found = m_calls.find(id);
                if (!reply.isError() || found == m_calls.end() || found->ended || found->dropping)
                    return;
                // The daemon refuses the start when the dial itself was answered BUSY at once.
                const bool busy = reply.error().name().endsWith(QLatin1String(".Busy"));
                endCall(id, busy ? LINEDISCONNECTMODE_BUSY : LINEDISCONNECTMODE_UNAVAIL);
            });
}

quint64 CellularProvider::callByPath(const QString& callPath) const
{
    for (auto it = m_calls.cbegin(); it != m_calls.cend(); ++it) {
        if (it->callPath == callPath)
            return it.key();
    }
    return 0;
}

void CellularProvider::onCallStateChanged(const QDBusMessage& message)
{
    if (message.arguments().size() < 3)
        return;
    const int state = message.arguments().at(1).toInt();
    const uint reason = message.arguments().at(2).toUInt();
    if (hasIncoming() && message.path() == m_incoming.callPath) {
        if (state == kCallActive && !m_incoming.connected) {
            m_incoming.connected = true;
            emit incomingConnected();
        } else if (state == kCallTerminated) {
            // An answered call, once adopted, is deleted as a placed one is, below.
            endIncoming(!m_incoming.adopted);
        }
    }
    const quint64 id = callByPath(message.path());
    if (id == 0)
        return;
    CallEntry& entry = m_calls[id];
    if (entry.ended || entry.dropping)
        return;
    if (state == kCallRingingOut) {
        events()->callStateChanged(id, LINECALLSTATE_RINGBACK, 0);
    } else if (state == kCallActive && !entry.connected) {
        entry.connected = true;
        events()->callStateChanged(id, LINECALLSTATE_CONNECTED, 0);
        events()->lineStateUpdated(*this, entry.lineKey);
    } else if (state == kCallTerminated) {
        // The daemon gives most ends before the answer as "terminated, reason unknown": an
        // unanswered end whose cause nobody knows, which is worth another attempt.
        quint32 mode = LINEDISCONNECTMODE_UNKNOWN;
        if (entry.connected)
            mode = LINEDISCONNECTMODE_NORMAL;
        else if (reason == kReasonRefusedOrBusy)
            mode = LINEDISCONNECTMODE_BUSY;
        endCall(id, mode);
    }
}

void CellularProvider::onCallAdded(const QDBusMessage& message)
{
    if (message.arguments().isEmpty())
        return;
    const QString modemPath = message.path();
    const QString callPath = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
    if (callPath.isEmpty() || callByPath(callPath) != 0)
        return;
    // Our own calls are announced too: the call's direction tells them apart.
    auto* watcher = new QDBusPendingCallWatcher(
        bus().asyncCall(
            QDBusMessage::createMethodCall(mm::kService, callPath,
                                           QStringLiteral("org.freedesktop.DBus.Properties"),
                                           QStringLiteral("GetAll"))
            << mm::kCall),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, modemPath, callPath](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *w;
                if (!reply.isError())
                    takeIncoming(modemPath, callPath, reply.value());
            });
}

bool CellularProvider::busy() const
{
    for (const CallEntry& call : m_calls) {
        if (!call.ended)
            return true;
    }
    return false;
}

void CellularProvider::takeIncoming(const QString& modemPath, const QString& callPath,
                                    const QVariantMap& properties)
{
    const int direction = properties.value(QStringLiteral("Direction")).toInt();
    const int state = properties.value(QStringLiteral("State")).toInt();
    if (direction != kDirectionIncoming || (state != kCallRingingIn && state != kCallWaiting))
        return;
    const auto modem = m_modems.constFind(modemPath);
    if (modem == m_modems.cend() || !modem->voice || callByPath(callPath) != 0 ||
        m_incoming.callPath == callPath)
        return;
    if (hasIncoming() || busy()) {
        hangUpCall(callPath);
        return;
    }
    m_incoming = Incoming{};
    m_incoming.modemPath = modemPath;
    m_incoming.callPath = callPath;
    m_incoming.number = properties.value(QStringLiteral("Number")).toString().left(kMaxNumber);
    bus().connect(mm::kService, callPath, mm::kCall, QStringLiteral("StateChanged"), this,
                  SLOT(onCallStateChanged(QDBusMessage)));
    emit incomingCall(QString(), m_incoming.number);
    if (events())
        events()->lineStateUpdated(*this, keyOf(*modem));
}

void CellularProvider::hangUpCall(const QString& callPath)
{
    bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, callPath, mm::kCall,
                                                   QStringLiteral("Hangup")));
}

void CellularProvider::onCallDeleted(const QDBusMessage& message)
{
    if (message.arguments().isEmpty())
        return;
    const QString callPath = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
    if (hasIncoming() && callPath == m_incoming.callPath)
        endIncoming(false);
    if (const quint64 id = callByPath(callPath); id != 0) {
        // Gone from the daemon: whatever becomes of it now, nobody will hear.
        CallEntry& entry = m_calls[id];
        entry.deleted = true;
        if (entry.dropping)
            finishDrop(id);
        else if (!entry.ended && !entry.creating)
            endCall(id, entry.connected ? LINEDISCONNECTMODE_NORMAL : LINEDISCONNECTMODE_UNKNOWN,
                    false);
    }
}

void CellularProvider::endIncoming(bool deleteIt)
{
    if (!hasIncoming())
        return;
    const Incoming incoming = std::exchange(m_incoming, Incoming{});
    // An adopted call keeps its subscription until the call itself is deleted.
    if (!incoming.adopted)
        bus().disconnect(mm::kService, incoming.callPath, mm::kCall, QStringLiteral("StateChanged"),
                         this, SLOT(onCallStateChanged(QDBusMessage)));
    if (deleteIt)
        bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, incoming.modemPath, mm::kVoice,
                                                       QStringLiteral("DeleteCall"))
                        << QVariant::fromValue(QDBusObjectPath(incoming.callPath)));
    emit incomingEnded();
    if (events() && m_modems.contains(incoming.modemPath))
        events()->lineStateUpdated(*this, keyOf(m_modems[incoming.modemPath]));
}

bool CellularProvider::answerIncoming()
{
    if (!hasIncoming() || m_incoming.connected)
        return false;
    bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, m_incoming.callPath, mm::kCall,
                                                   QStringLiteral("Accept")));
    return true;
}

void CellularProvider::declineIncoming(bool)
{
    // Busy or declined, the network hears the same hang-up.
    if (hasIncoming())
        hangUpCall(m_incoming.callPath);
}

QString CellularProvider::incomingLine() const
{
    const auto modem = m_modems.constFind(m_incoming.modemPath);
    return hasIncoming() && modem != m_modems.cend() ? keyOf(*modem) : QString();
}

bool CellularProvider::adoptIncoming(quint64 id, const QString& lineKey)
{
    const Modem* modem = modemByKey(lineKey);
    if (!hasIncoming() || !m_incoming.connected || m_incoming.adopted || !modem ||
        modem->path != m_incoming.modemPath || m_calls.contains(id))
        return false;
    CallEntry entry;
    entry.modemPath = m_incoming.modemPath;
    entry.lineKey = lineKey;
    entry.number = m_incoming.number;
    entry.callPath = m_incoming.callPath;
    entry.connected = true;
    m_calls.insert(id, entry);
    m_incoming.adopted = true;
    if (events())
        events()->lineStateUpdated(*this, lineKey);
    return true;
}

void CellularProvider::endCall(quint64 id, quint32 disconnectMode, bool deleteIt)
{
    CallEntry& entry = m_calls[id];
    if (entry.ended)
        return;
    entry.ended = true;
    if (entry.wait)
        entry.wait->stop();
    if (deleteIt)
        deleteCall(entry);
    if (entry.callPath.isEmpty() && !entry.creating) {
        events()->callPlaced(id, LINEERR_RESOURCEUNAVAIL);
    } else {
        if (disconnectMode == LINEDISCONNECTMODE_BUSY)
            events()->callStateChanged(id, LINECALLSTATE_BUSY, 0);
        events()->callStateChanged(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
    }
    events()->lineStateUpdated(*this, entry.lineKey);
}

void CellularProvider::deleteCall(CallEntry& entry)
{
    if (entry.deleted || entry.callPath.isEmpty())
        return;
    entry.deleted = true;
    bus().disconnect(mm::kService, entry.callPath, mm::kCall, QStringLiteral("StateChanged"), this,
                     SLOT(onCallStateChanged(QDBusMessage)));
    bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, entry.modemPath, mm::kVoice,
                                                   QStringLiteral("DeleteCall"))
                    << QVariant::fromValue(QDBusObjectPath(entry.callPath)));
}

void CellularProvider::dropCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended) {
        events()->callDropped(id, 0);
        return;
    }
    found->dropping = true;
    if (found->wait)
        found->wait->stop();
    if (found->creating)
        return; // the reply to CreateCall finishes the drop
    if (found->callPath.isEmpty()) {
        finishDrop(id);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, found->callPath, mm::kCall,
                                                       QStringLiteral("Hangup"))),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                finishDrop(id);
            });
}

bool CellularProvider::sendTones(quint64 id, const QString& tones)
{
    const auto found = m_calls.constFind(id);
    if (found == m_calls.cend() || !found->connected || found->ended || found->dropping ||
        found->callPath.isEmpty())
        return false;
    // The daemon plays a string of tones one after another by itself.
    bus().asyncCall(QDBusMessage::createMethodCall(mm::kService, found->callPath, mm::kCall,
                                                   QStringLiteral("SendDtmf"))
                    << tones);
    return true;
}

void CellularProvider::finishDrop(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended)
        return;
    found->ended = true;
    deleteCall(*found);
    events()->callDropped(id, 0);
    events()->lineStateUpdated(*this, found->lineKey);
}

void CellularProvider::releaseCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end())
        return;
    CallEntry entry = *found;
    m_calls.erase(found);
    delete entry.wait;
    // Deleting a call hangs it up if it still runs.
    deleteCall(entry);
    if (events())
        events()->lineStateUpdated(*this, entry.lineKey);
}

} // namespace telvora
