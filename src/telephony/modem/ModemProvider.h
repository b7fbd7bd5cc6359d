#pragma once

#include "telephony/LineProvider.h"
#include "telephony/modem/AtChannel.h"
#include "telephony/modem/AtParser.h"
#include "telephony/modem/ModemSettings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;

namespace telvora {

// AT modems on serial ports as line devices. A line is a port: every port the user named in
// the modem settings, and every port the system lists that answered like a modem when it
// was probed. Each port is probed once (identity, capabilities) in the background, a few
// at a time; the answer names the line and picks how it dials:
// - a voice modem dials in voice mode and hears busy, no dial tone and the answer itself;
// - a data-only modem dials as for data and hears busy and no dial tone, nothing else;
// - a cellular module dials a voice call and follows it with AT+CLCC.
// Ports that ModemManager manages belong to the cellular lines and are left alone.
//
// One port carries one conversation with its modem at a time: a call placed while the port
// is still being probed or hung up after the previous call waits until it is free.
//
// A port set to take calls is held open from the program's start while its line is idle,
// listening for RING and the caller's number; a call placed on it takes the port over at
// once, and listening resumes when the call is over. A call that rings is offered once its
// number is known or at its second RING; it is over for us when the RINGs stop. An
// analogue line has no way to turn a call away: declining only stops offering it, and the
// caller hears ringing until they give up.
class ModemProvider : public QObject, public LineProvider
{
    Q_OBJECT

public:
    enum class ModemKind
    {
        Unknown,
        Voice,
        Data,
        Cellular,
    };
    enum class Probe
    {
        NotYet,
        Running,
        Modem,
        NoAnswer,    // the port opened but nothing answered AT
        Unopenable,  // the port could not be opened, or is no serial port
        ModemManager // ModemManager drives it
    };
    struct PortInfo
    {
        Probe probe = Probe::NotYet;
        ModemKind kind = ModemKind::Unknown;
        QString manufacturer;
        QString model;
        QString identity; // what ATI3 says
        QString error;
    };

    // How many ports are probed at once: each probe waits on a modem that may never answer,
    // so a few run side by side, never all of them.
    static constexpr int kProbesAtOnce = 4;

    ModemProvider();
    ~ModemProvider() override;

    QString kind() const override { return QStringLiteral("modem"); }
    QList<ProviderLine> lines() override;
    QString lineState(const QString& lineKey) const override;
    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override;
    bool sendTones(quint64 call, const QString& tones) override;
    void startUp() override;
    bool adoptIncoming(quint64 call, const QString& lineKey) override;
    bool hasIncoming() const override { return !m_incomingPort.isEmpty(); }
    bool answerIncoming() override;
    void declineIncoming(bool busy) override;
    void hangUpIncoming() override;
    QString incomingLine() const override { return m_incomingPort; }

    // How long after the last RING a caller is taken to have given up: longer than the
    // pause between two rings in any country's cadence.
    static constexpr int kRingSilenceMs = 8000;

    PortInfo portInfo(const QString& lineKey) const { return m_ports.value(lineKey); }
    // The settings of a line's port (defaults for a port found on the system).
    ModemPortSettings portSettings(const QString& lineKey) const;
    // Saves the settings of the line `lineKey` (empty for a new port); a changed path makes
    // another line, probed anew. False when the file could not be written; settingsError()
    // then tells why when the file itself is the reason.
    bool savePortSettings(const QString& lineKey, const ModemPortSettings& settings);
    bool removePort(const QString& lineKey);
    QString settingsError() const { return m_settings.loadError; }
    // The modem's dial string for a number: the characters a modem dials, nothing else.
    static QByteArray dialDigits(const QString& number);
    // How many times the system's serial ports were listed: once, then on hot-plug only.
    int portScans() const { return m_portScans; }

signals:
    // As SipProvider's: the caller's name and number as the modem heard them, anything at
    // all.
    void incomingCall(const QString& callerName, const QString& callerNumber);
    void incomingConnected();
    void incomingEnded();

private:
    struct CallEntry
    {
        QString port;
        ModemKind kind = ModemKind::Unknown;
        QByteArray digits;
        bool offHookOnly = false;
        AtChannel* channel = nullptr;
        QTimer* poll = nullptr;
        bool waiting = false; // taken, but the port is not free yet
        bool placed = false;
        bool connected = false;
        bool ended = false;
        bool dropping = false;
        bool seenInList = false;
        int missingPolls = 0;
    };

    // A port that listens for calls while its line is idle, and the call ringing on it.
    struct Listener
    {
        AtChannel* channel = nullptr;
        QTimer* silence = nullptr;
        QString number;
        QString name;
        int rings = 0;
        bool offered = false;
        bool ignored = false; // declined or turned away: its RINGs are not offered again
        bool answering = false;
        bool connected = false;
        quint64 call = 0; // once adopted as a connected call
    };

    void listenForCalls();
    void listen(const QString& port);
    void setUpListening(const QString& port);
    void stopListening(const QString& port);
    void onListenerEvent(const QString& port, const AtParser::Event& event);
    void offer(const QString& port);
    void ringingStopped(const QString& port);
    void incomingOver(const QString& port);
    void incomingCallEnded(quint64 id);
    bool takesCalls(const QString& port) const;

    void reloadSettings();
    void scanPorts();
    void watchPorts();
    QString lineName(const QString& port) const;
    void probeNext();
    void runProbe(AtChannel* channel, const QString& port, std::function<void(bool)> done);
    void setProbe(const QString& port, Probe probe);
    void listChanged();
    QStringList managedPorts() const;
    bool isManaged(const QString& port, const QStringList& managed) const;
    bool portBusy(const QString& port) const;
    void portFreed(const QString& port);

    qint32 openCall(quint64 id);
    // A channel open on the port, or null with the reason kept as the port's error.
    AtChannel* openPort(const QString& port);
    // Hangs up (when asked and the port is open), puts a voice modem back in data mode, and
    // frees the port once the modem has answered.
    void releasePort(AtChannel* channel, const QString& port, ModemKind kind, bool hangUp);
    // The call hears the channel's events and its port going away.
    void followChannel(quint64 id, AtChannel* channel);
    void startCall(quint64 id);
    void dialOn(quint64 id);
    void fail(quint64 id, qint32 error);
    void failSetup(quint64 id, AtChannel::Result result);
    void onEvent(quint64 id, const AtParser::Event& event);
    void onCallList(quint64 id, const QByteArrayList& info);
    void connectCall(quint64 id);
    void endCall(quint64 id, quint32 disconnectMode, const QString& note = {});
    void finishDrop(quint64 id);
    void closeChannel(CallEntry& entry, bool hangUp);
    quint64 callOnPort(const QString& port) const;

    ModemSettings m_settings;
    QByteArray m_settingsStamp;
    QStringList m_foundPorts;
    bool m_scanned = false;
    bool m_scanStale = false;
    int m_portScans = 0;
    QElapsedTimer m_sinceScan;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_hotPlug;
    QTimer m_listChange;
    QHash<QString, PortInfo> m_ports;
    // Why the last call on a port ended when the modem, not the far end, ended it.
    QHash<QString, QString> m_notes;
    QStringList m_probeQueue;
    QHash<QString, QPointer<AtChannel>> m_probes;
    QStringList m_managed;
    bool m_managedKnown = false;
    // Channels still hanging up after their call, by port.
    QHash<QString, QPointer<AtChannel>> m_releasing;
    QHash<quint64, CallEntry> m_calls;
    bool m_started = false;
    QHash<QString, Listener> m_listeners;
    QString m_incomingPort; // where the offered call rings or is connected
};

} // namespace telvora
