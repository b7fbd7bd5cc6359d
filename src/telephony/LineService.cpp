#include "telephony/LineService.h"

#include "telephony/LineDialogs.h"
#include "telephony/mTAPIConsts.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <limits>

using namespace mTAPIConsts;

namespace telvora {

namespace {

template <typename Handle, typename Map> Handle nextHandle(Handle& last, const Map& used)
{
    // Handles are never 0 (that means "none" to every caller) and never reused while alive.
    do {
        last = last == std::numeric_limits<Handle>::max() ? 1 : last + 1;
    } while (used.contains(last));
    return last;
}

} // namespace

LineService& LineService::instance()
{
    // Made on first use and never destroyed before the process ends: line objects can
    // outlive any scope in which the service might otherwise be torn down.
    static LineService* service = new LineService;
    return *service;
}

LineService::LineService() = default;

LineService::~LineService() = default;

void LineService::ensureProviders()
{
    if (m_providersMade)
        return;
    m_providersMade = true;
    auto entries = LineProviderRegistrar::entries();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.rank < b.rank; });
    for (const auto& entry : entries)
        addProvider(entry.factory());
}

void LineService::startUp()
{
    ensureProviders();
    for (const auto& provider : m_providers)
        provider->startUp();
}

LineProvider& LineService::addProvider(std::unique_ptr<LineProvider> provider)
{
    provider->setEvents(this);
    m_providers.push_back(std::move(provider));
    return *m_providers.back();
}

LineProvider* LineService::provider(const QString& kind) const
{
    for (const auto& provider : m_providers) {
        if (provider->kind() == kind)
            return provider.get();
    }
    return nullptr;
}

qint32 LineService::initialize(quint32* hLineApp, Callback callback, const QString& appName,
                               quint32* numDevs, quint32* apiVersion)
{
    if (!hLineApp || !numDevs || !apiVersion)
        return LINEERR_INVALPOINTER;
    if (!callback)
        return LINEERR_INVALPARAM;
    if (appName.isEmpty())
        return LINEERR_INVALAPPNAME;
    // Every registration sees the devices there are now.
    listLines();

    const quint32 handle = nextHandle(m_lastApp, m_apps);
    App& app = m_apps[handle];
    app.callback = callback;
    // Messages are delivered as queued calls on this object, so they run on the thread
    // that registered, between its other events.
    app.window = new QObject;
    app.window->setObjectName(QStringLiteral("LineMessageWindow"));
    app.devices = m_devices;

    *hLineApp = handle;
    *numDevs = static_cast<quint32>(app.devices.size());
    *apiVersion = highestVersion;
    return 0;
}

QList<LineService::ListedLine> LineService::listLines()
{
    ensureProviders();
    // A provider is only asked to get ready when it has a device, so nothing heavy runs
    // for a kind of line nobody has.
    QList<ListedLine> listed;
    std::vector<Device> devices;
    for (const auto& provider : m_providers) {
        const QList<ProviderLine> lines = provider->lines();
        if (!lines.isEmpty())
            provider->activate();
        for (const ProviderLine& line : lines) {
            listed.append(ListedLine{provider.get(), line});
            devices.push_back(Device{provider.get(), line});
        }
    }
    m_devices = std::move(devices);
    return listed;
}

const LineService::Device* LineService::device(quint32 hLineApp, quint32 deviceID) const
{
    const auto app = m_apps.constFind(hLineApp);
    if (app == m_apps.cend() || deviceID >= app->devices.size())
        return nullptr;
    return &app->devices[deviceID];
}

const LineService::Device* LineService::latestDevice(quint32 deviceID) const
{
    return deviceID < m_devices.size() ? &m_devices[deviceID] : nullptr;
}

qint32 LineService::negotiateAPIVersion(quint32 hLineApp, quint32 deviceID, quint32 lowVersion,
                                        quint32 highVersion, quint32* apiVersion,
                                        LineExtensionID* extensionID)
{
    if (!m_apps.contains(hLineApp))
        return LINEERR_INVALAPPHANDLE;
    const Device* dev = device(hLineApp, deviceID);
    if (!dev)
        return LINEERR_BADDEVICEID;
    if (!apiVersion || !extensionID)
        return LINEERR_INVALPOINTER;
    const quint32 low = std::max({lowVersion, lowestVersion, dev->line.lowestVersion});
    const quint32 high = std::min({highVersion, highestVersion, dev->line.highestVersion});
    if (low > high)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = high;
    *extensionID = LineExtensionID{};
    return 0;
}

qint32 LineService::checkDevice(quint32 hLineApp, quint32 deviceID, quint32 apiVersion,
                                quint32 extVersion, const Device** found) const
{
    if (!m_apps.contains(hLineApp))
        return LINEERR_INVALAPPHANDLE;
    const Device* dev = device(hLineApp, deviceID);
    if (!dev)
        return LINEERR_BADDEVICEID;
    if (apiVersion < dev->line.lowestVersion || apiVersion > dev->line.highestVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (extVersion != 0)
        return LINEERR_INCOMPATIBLEEXTVERSION;
    *found = dev;
    return 0;
}

qint32 LineService::getDevCaps(quint32 hLineApp, quint32 deviceID, quint32 apiVersion,
                               quint32 extVersion, LineDevCaps* caps)
{
    const Device* dev = nullptr;
    if (const qint32 refused = checkDevice(hLineApp, deviceID, apiVersion, extVersion, &dev))
        return refused;
    if (!caps)
        return LINEERR_INVALPOINTER;
    *caps = dev->line.caps;
    return 0;
}

qint32 LineService::open(quint32 hLineApp, quint32 deviceID, quint32* hLine, quint32 apiVersion,
                         quint32 extVersion, quint32 callbackInstance, quint32 privileges,
                         quint32 mediaModes)
{
    const Device* dev = nullptr;
    if (const qint32 refused = checkDevice(hLineApp, deviceID, apiVersion, extVersion, &dev))
        return refused;
    if (!hLine)
        return LINEERR_INVALPOINTER;
    // Outgoing calls only: a line is never opened to be offered incoming calls.
    if (privileges != LINECALLPRIVILEGE_NONE)
        return LINEERR_INVALPRIVSELECT;
    if (mediaModes != 0 && (mediaModes & ~dev->line.caps.mediaModes) != 0)
        return LINEERR_INVALMEDIAMODE;

    const quint32 handle = nextHandle(m_lastLine, m_lines);
    m_lines.insert(handle, Line{hLineApp, *dev, callbackInstance});
    *hLine = handle;
    return 0;
}

qint32 LineService::nextRequest()
{
    m_lastRequest = m_lastRequest == std::numeric_limits<qint32>::max() ? 1 : m_lastRequest + 1;
    return m_lastRequest;
}

qint32 LineService::makeCall(quint32 hLine, quint32* hCall, const QString& number,
                             quint32 countryCode)
{
    const auto line = m_lines.constFind(hLine);
    if (line == m_lines.cend())
        return LINEERR_INVALLINEHANDLE;
    if (!hCall)
        return LINEERR_INVALPOINTER;
    if (countryCode != 0)
        return LINEERR_INVALPARAM;
    for (const Call& call : std::as_const(m_calls)) {
        if (call.line == hLine && call.phase != CallPhase::Idle && call.phase != CallPhase::Ended)
            return LINEERR_CALLUNAVAIL;
    }

    const quint32 handle = nextHandle(m_lastCall, m_calls);
    const qint32 request = nextRequest();
    LineProvider* provider = line->device.provider;
    m_calls.insert(handle, Call{hLine, provider, request, 0, CallPhase::Placing});
    const qint32 refused = provider->placeCall(handle, line->device.line.key, number);
    if (refused != 0) {
        m_calls.remove(handle);
        return refused < 0 ? refused : LINEERR_OPERATIONFAILED;
    }
    *hCall = handle;
    return request;
}

qint32 LineService::drop(quint32 hCall)
{
    const auto found = m_calls.find(hCall);
    if (found == m_calls.end())
        return LINEERR_INVALCALLHANDLE;
    Call& call = *found;
    if (call.phase == CallPhase::Dropping || call.phase == CallPhase::Idle)
        return LINEERR_INVALCALLSTATE;

    const qint32 request = nextRequest();
    if (call.makeRequest != 0) {
        // The make-call request must still be answered, or its caller waits for ever.
        post(call.line, 0, LINE_REPLY, static_cast<quint32>(call.makeRequest), 0);
        call.makeRequest = 0;
    }
    call.dropRequest = request;
    if (call.phase == CallPhase::Ended) {
        // Nothing left to end at the far side: the drop succeeds at once.
        call.phase = CallPhase::Idle;
        call.dropRequest = 0;
        post(call.line, 0, LINE_REPLY, static_cast<quint32>(request), 0);
        post(call.line, hCall, LINE_CALLSTATE, LINECALLSTATE_IDLE, 0);
        return request;
    }
    call.phase = CallPhase::Dropping;
    call.provider->dropCall(hCall);
    return request;
}

void LineService::releaseCall(quint32 hCall)
{
    const auto found = m_calls.find(hCall);
    if (found == m_calls.end())
        return;
    LineProvider* provider = found->provider;
    m_calls.erase(found);
    provider->releaseCall(hCall);
}

qint32 LineService::deallocateCall(quint32 hCall)
{
    if (!m_calls.contains(hCall))
        return LINEERR_INVALCALLHANDLE;
    releaseCall(hCall);
    return 0;
}

qint32 LineService::close(quint32 hLine)
{
    if (!m_lines.contains(hLine))
        return LINEERR_INVALLINEHANDLE;
    QList<quint32> calls;
    for (auto it = m_calls.cbegin(); it != m_calls.cend(); ++it) {
        if (it->line == hLine)
            calls.append(it.key());
    }
    for (quint32 call : calls)
        releaseCall(call);
    m_lines.remove(hLine);
    return 0;
}

qint32 LineService::shutdown(quint32 hLineApp)
{
    const auto app = m_apps.find(hLineApp);
    if (app == m_apps.end())
        return LINEERR_INVALAPPHANDLE;
    QList<quint32> lines;
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it) {
        if (it->app == hLineApp)
            lines.append(it.key());
    }
    for (quint32 line : lines)
        close(line);
    // Messages still queued for this registration go with its window.
    QObject* window = app->window.data();
    m_apps.erase(app);
    if (window) {
        if (window->thread() == QThread::currentThread())
            delete window;
        else
            window->deleteLater();
    }
    return 0;
}

qint32 LineService::configDialog(quint32 deviceID, QObject* owner, const QString& deviceClass)
{
    const Device* dev = latestDevice(deviceID);
    if (!dev)
        return LINEERR_BADDEVICEID;
    if (!deviceClass.isEmpty() && deviceClass != QLatin1String("tapi/line"))
        return LINEERR_INVALDEVICECLASS;
    if (!m_dialogs)
        return LINEERR_OPERATIONUNAVAIL;
    return m_dialogs->configDialog(*dev->provider, dev->line.key, owner, deviceClass);
}

qint32 LineService::translateDialog(quint32 hLineApp, quint32 deviceID, quint32 apiVersion,
                                    QObject* owner, const QString& number)
{
    if (!m_apps.contains(hLineApp))
        return LINEERR_INVALAPPHANDLE;
    const Device* dev = device(hLineApp, deviceID);
    if (!dev)
        return LINEERR_BADDEVICEID;
    if (apiVersion < lowestVersion || apiVersion > highestVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (!m_dialogs)
        return LINEERR_OPERATIONUNAVAIL;
    return m_dialogs->translateDialog(*dev->provider, dev->line.key, owner, number);
}

qint32 LineService::paintIcon(quint32 deviceID, QPainter& painter, const QRect& rect)
{
    const Device* dev = latestDevice(deviceID);
    if (!dev)
        return LINEERR_BADDEVICEID;
    dev->provider->paintIcon(painter, rect);
    return 0;
}

void LineService::post(quint32 hLine, quint32 hDevice, quint32 message, quint32 param1,
                       quint32 param2)
{
    const auto line = m_lines.constFind(hLine);
    if (line == m_lines.cend())
        return;
    const auto app = m_apps.constFind(line->app);
    if (app == m_apps.cend() || !app->window)
        return;
    const Callback callback = app->callback;
    const quint32 instance = line->instance;
    QMetaObject::invokeMethod(
        app->window.data(),
        [this, callback, hLine, instance, hDevice, message, param1, param2] {
            // A line closed after the message was queued hears nothing more.
            if (!m_lines.contains(hLine))
                return;
            callback(hDevice, message, instance, param1, param2, 0);
        },
        Qt::QueuedConnection);
}

void LineService::callPlaced(quint64 id, qint32 result)
{
    const auto found = m_calls.find(static_cast<quint32>(id));
    if (found == m_calls.end() || found->phase != CallPhase::Placing)
        return;
    const qint32 request = found->makeRequest;
    found->makeRequest = 0;
    found->phase = result == 0 ? CallPhase::Active : CallPhase::Ended;
    post(found->line, 0, LINE_REPLY, static_cast<quint32>(request), static_cast<quint32>(result));
}

void LineService::callStateChanged(quint64 id, quint32 state, quint32 disconnectMode)
{
    const auto found = m_calls.find(static_cast<quint32>(id));
    if (found == m_calls.end())
        return;
    if (found->phase == CallPhase::Placing)
        callPlaced(id, 0);
    // Once our drop is under way, the only state still to come is the idle one it brings.
    if (found->phase != CallPhase::Active)
        return;
    if (state == LINECALLSTATE_DISCONNECTED || state == LINECALLSTATE_IDLE)
        found->phase = CallPhase::Ended;
    post(found->line, static_cast<quint32>(id), LINE_CALLSTATE, state,
         state == LINECALLSTATE_DISCONNECTED ? disconnectMode : 0);
}

void LineService::callDropped(quint64 id, qint32 result)
{
    const auto found = m_calls.find(static_cast<quint32>(id));
    if (found == m_calls.end() || found->phase != CallPhase::Dropping)
        return;
    const qint32 request = found->dropRequest;
    found->dropRequest = 0;
    found->phase = result == 0 ? CallPhase::Idle : CallPhase::Active;
    post(found->line, 0, LINE_REPLY, static_cast<quint32>(request), static_cast<quint32>(result));
    if (result == 0)
        post(found->line, static_cast<quint32>(id), LINE_CALLSTATE, LINECALLSTATE_IDLE, 0);
}

void LineService::lineListChanged()
{
    emit linesChanged();
}

void LineService::lineStateUpdated(const LineProvider& provider, const QString& lineKey)
{
    emit lineStateChanged(provider.kind(), lineKey);
}

} // namespace telvora
