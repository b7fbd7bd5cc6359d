#pragma once

#include "telephony/LineProvider.h"
#include "telephony/modem/AtParser.h"
#include "telephony/modem/ModemSettings.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

namespace telvora {

class AtChannel;

// AT modems on serial ports as line devices. A line is a port: every port the user named in
// the modem settings, and every port the system lists that answered like a modem when it
// was probed. Each port is probed once (identity, capabilities) in the background; the
// answer names the line and picks how it dials:
// - a voice modem dials in voice mode and hears busy, no dial tone and the answer itself;
// - a data-only modem dials as for data and hears busy and no dial tone, nothing else;
// - a cellular module dials a voice call and follows it with AT+CLCC.
// Ports that ModemManager manages belong to the cellular lines and are left alone.
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
        Unopenable,  // the port could not be opened
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

    ModemProvider();
    ~ModemProvider() override;

    QString kind() const override { return QStringLiteral("modem"); }
    QList<ProviderLine> lines() override;
    QString lineState(const QString& lineKey) const override;
    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override;

    PortInfo portInfo(const QString& lineKey) const { return m_ports.value(lineKey); }
    // The settings of a line's port (defaults for a port found on the system).
    ModemPortSettings portSettings(const QString& lineKey) const;
    // Saves the settings of the line `lineKey` (empty for a new port); a changed path makes
    // another line, probed anew. False when the file could not be written.
    bool savePortSettings(const QString& lineKey, const ModemPortSettings& settings);
    bool removePort(const QString& lineKey);
    // The modem's dial string for a number: the characters a modem dials, nothing else.
    static QByteArray dialDigits(const QString& number);

private:
    struct CallEntry
    {
        QString port;
        ModemKind kind = ModemKind::Unknown;
        QByteArray digits;
        bool offHookOnly = false;
        AtChannel* channel = nullptr;
        QTimer* poll = nullptr;
        bool placed = false;
        bool connected = false;
        bool ended = false;
        bool dropping = false;
        bool seenInList = false;
        int missingPolls = 0;
    };

    void reloadSettings();
    QString lineName(const QString& port) const;
    void probeNext();
    void runProbe(AtChannel* channel, const QString& port, std::function<void(bool)> done);
    void setProbe(const QString& port, Probe probe);
    QStringList managedPorts() const;
    bool isManaged(const QString& port, const QStringList& managed) const;

    void startCall(quint64 id);
    void dialOn(quint64 id);
    void fail(quint64 id, qint32 error);
    void onEvent(quint64 id, const AtParser::Event& event);
    void onCallList(quint64 id, const QByteArrayList& info);
    void connectCall(quint64 id);
    void endCall(quint64 id, quint32 disconnectMode);
    void finishDrop(quint64 id);
    void closeChannel(CallEntry& entry, bool hangUp);
    quint64 callOnPort(const QString& port) const;

    ModemSettings m_settings;
    QStringList m_foundPorts;
    QHash<QString, PortInfo> m_ports;
    QStringList m_probeQueue;
    QPointer<AtChannel> m_probeChannel;
    QHash<quint64, CallEntry> m_calls;
};

} // namespace telvora
