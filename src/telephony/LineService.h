#pragma once

#include "telephony/LineDevCaps.h"
#include "telephony/LineProvider.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class QPainter;
class QRect;

namespace telvora {

class LineDialogs;

// The telephony service of the process: one per process, shared by every line object.
// It keeps the model that line objects are written against: a registration (usage
// handle) that sees a numbered list of line devices, lines opened on a device, calls
// made on a line, and requests (make call, drop) that return a positive request id at
// once and whose outcome arrives later as a LINE_REPLY message. Call states arrive as
// LINE_CALLSTATE messages. Every message reaches the registration's callback through the
// Qt event loop of the thread that registered, never from inside one of these functions.
//
// The devices themselves come from providers, which register themselves (see
// LineProviderRegistrar) and are made the first time the service is used.
class LineService : public QObject, private LineProviderEvents
{
    Q_OBJECT

public:
    using Callback = void (*)(quint32 hDevice, quint32 dwMessage, quint32 dwCallbackInstance,
                              quint32 dwParam1, quint32 dwParam2, quint32 dwParam3);

    // The range of interface versions the service speaks.
    static constexpr quint32 lowestVersion = 0x00010003;
    static constexpr quint32 highestVersion = 0x00020002;

    static LineService& instance();

    // One line device as a listing of the service shows it.
    struct ListedLine
    {
        LineProvider* provider = nullptr;
        ProviderLine line;
    };
    // The devices there are now, numbered as the next registration will see them (and as
    // configDialog, translateDialog and paintIcon number them until then). Providers with
    // lines get ready to call, as they do when someone registers.
    QList<ListedLine> listLines();

    // Tells every provider the program has started (LineProvider::startUp).
    void startUp();

    // Adds a provider beside the registered ones, for programs that bring their own.
    LineProvider& addProvider(std::unique_ptr<LineProvider> provider);
    LineProvider* provider(const QString& kind) const;
    void setDialogs(LineDialogs* dialogs) { m_dialogs = dialogs; }

    // Each returns 0 or a LINEERR code unless said otherwise.
    qint32 initialize(quint32* hLineApp, Callback callback, const QString& appName,
                      quint32* numDevs, quint32* apiVersion);
    qint32 negotiateAPIVersion(quint32 hLineApp, quint32 deviceID, quint32 lowVersion,
                               quint32 highVersion, quint32* apiVersion,
                               LineExtensionID* extensionID);
    qint32 getDevCaps(quint32 hLineApp, quint32 deviceID, quint32 apiVersion, quint32 extVersion,
                      LineDevCaps* caps);
    qint32 open(quint32 hLineApp, quint32 deviceID, quint32* hLine, quint32 apiVersion,
                quint32 extVersion, quint32 callbackInstance, quint32 privileges,
                quint32 mediaModes);
    // A positive request id, or a negative LINEERR code. An empty number asks for the
    // line to go off hook without dialling.
    qint32 makeCall(quint32 hLine, quint32* hCall, const QString& number, quint32 countryCode);
    // A positive request id, or a negative LINEERR code.
    qint32 drop(quint32 hCall);
    qint32 deallocateCall(quint32 hCall);
    qint32 close(quint32 hLine);
    qint32 shutdown(quint32 hLineApp);
    qint32 configDialog(quint32 deviceID, QObject* owner, const QString& deviceClass);
    qint32 translateDialog(quint32 hLineApp, quint32 deviceID, quint32 apiVersion, QObject* owner,
                           const QString& number);
    // The two dialogs and the icon take no usage handle: their device numbers are those of
    // the most recent registration.
    qint32 paintIcon(quint32 deviceID, QPainter& painter, const QRect& rect);

    // How many registrations, open lines and calls exist: what is left after a line
    // object goes shows whether it ended everything it started.
    int registrationCount() const { return static_cast<int>(m_apps.size()); }
    int openLineCount() const { return static_cast<int>(m_lines.size()); }
    int callCount() const { return static_cast<int>(m_calls.size()); }

signals:
    // May be emitted from inside a request or a provider's operation: a receiver that
    // looks at the lines again should do so from a queued connection.
    void linesChanged();
    void lineStateChanged(const QString& kind, const QString& lineKey);

private:
    struct Device
    {
        LineProvider* provider = nullptr;
        ProviderLine line;
    };
    struct App
    {
        Callback callback = nullptr;
        QPointer<QObject> window;
        std::vector<Device> devices;
    };
    struct Line
    {
        quint32 app = 0;
        Device device;
        quint32 instance = 0;
    };
    enum class CallPhase
    {
        Placing,  // asked of the provider, no answer yet
        Active,   // on its way or talking
        Ended,    // the far end or the network ended it, or placing it failed
        Dropping, // our drop is under way
        Idle,     // dropped; only the handle is left
    };
    struct Call
    {
        quint32 line = 0;
        LineProvider* provider = nullptr;
        qint32 makeRequest = 0;
        qint32 dropRequest = 0;
        CallPhase phase = CallPhase::Placing;
    };

    LineService();
    ~LineService() override;

    void ensureProviders();
    const Device* device(quint32 hLineApp, quint32 deviceID) const;
    // 0 and the device when a registration may use it at these versions; else the LINEERR code.
    qint32 checkDevice(quint32 hLineApp, quint32 deviceID, quint32 apiVersion, quint32 extVersion,
                       const Device** found) const;
    const Device* latestDevice(quint32 deviceID) const;
    qint32 nextRequest();
    void post(quint32 hLine, quint32 hDevice, quint32 message, quint32 param1, quint32 param2);
    void releaseCall(quint32 hCall);

    void callPlaced(quint64 call, qint32 result) override;
    void callStateChanged(quint64 call, quint32 state, quint32 disconnectMode) override;
    void callDropped(quint64 call, qint32 result) override;
    void lineListChanged() override;
    void lineStateUpdated(const LineProvider& provider, const QString& lineKey) override;

    std::vector<std::unique_ptr<LineProvider>> m_providers;
    std::vector<Device> m_devices;
    bool m_providersMade = false;
    LineDialogs* m_dialogs = nullptr;
    QHash<quint32, App> m_apps;
    QHash<quint32, Line> m_lines;
    QHash<quint32, Call> m_calls;
    quint32 m_lastApp = 0;
    quint32 m_lastLine = 0;
    quint32 m_lastCall = 0;
    qint32 m_lastRequest = 0;
};

} // namespace telvora
