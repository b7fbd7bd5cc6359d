#pragma once

#include "telephony/LineProvider.h"

#include <QDBusMessage>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QVariantMap>

class QDBusServiceWatcher;
class QTimer;

namespace telvora {

// Cellular modems through ModemManager on the system bus: a line for every modem that has
// the Voice interface, named from its manufacturer and model, coming and going with the
// modems. Nothing is asked of the bus until the lines are first listed, and the daemon is
// never started by asking: only a daemon that already runs is talked to.
//
// A call that comes in (the daemon adds an incoming call that rings) is offered through
// incomingCall, one at a time; any other that comes meanwhile, or while a call of ours is
// under way, is hung up: a cellular network has no "busy" for us to send, so the caller
// hears whatever the network plays for a call that was refused.
class CellularProvider : public QObject, public LineProvider
{
    Q_OBJECT

public:
    CellularProvider();
    ~CellularProvider() override;

    QString kind() const override { return QStringLiteral("cellular"); }
    QList<ProviderLine> lines() override;
    QString lineState(const QString& lineKey) const override;
    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override;
    bool sendTones(quint64 call, const QString& tones) override;
    bool adoptIncoming(quint64 call, const QString& lineKey) override;
    bool hasIncoming() const override { return !m_incoming.callPath.isEmpty(); }
    bool answerIncoming() override;
    void declineIncoming(bool busy) override;
    QString incomingLine() const override;

    // What the daemon tells of the line's modem, as (label, value) rows for the settings.
    QList<std::pair<QString, QString>> details(const QString& lineKey) const;

signals:
    // As SipProvider's: the number as the network sent it, anything at all; no name.
    void incomingCall(const QString& callerName, const QString& callerNumber);
    void incomingConnected();
    void incomingEnded();

private slots:
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);
    void onPropertiesChanged(const QDBusMessage& message);
    void onCallStateChanged(const QDBusMessage& message);
    void onCallAdded(const QDBusMessage& message);
    void onCallDeleted(const QDBusMessage& message);

private:
    struct Modem
    {
        QString path;
        QVariantMap properties;
        bool voice = false;
    };
    struct CallEntry
    {
        QString modemPath;
        QString lineKey;
        QString number;
        QString callPath;
        QTimer* wait = nullptr;
        bool creating = false;
        bool connected = false;
        bool ended = false;
        bool dropping = false;
        bool deleted = false;
    };

    void watch();
    void reload();
    void clearModems();
    QString keyOf(const Modem& modem) const;
    const Modem* modemByKey(const QString& key) const;
    int modemState(const QString& path) const;
    void whenRegistered(quint64 id);
    void createCall(quint64 id);
    void startCall(quint64 id);
    void endCall(quint64 id, quint32 disconnectMode, bool deleteCall = true);
    void deleteCall(CallEntry& entry);
    void finishDrop(quint64 id);
    quint64 callByPath(const QString& callPath) const;

    struct Incoming
    {
        QString modemPath;
        QString callPath;
        QString number;
        bool connected = false;
        bool adopted = false;
    };
    void takeIncoming(const QString& modemPath, const QString& callPath,
                      const QVariantMap& properties);
    void hangUpCall(const QString& callPath);
    void endIncoming(bool deleteIt);
    bool busy() const;

    Incoming m_incoming;
    bool m_watching = false;
    QDBusServiceWatcher* m_watcher = nullptr;
    QMap<QString, Modem> m_modems;
    QHash<quint64, CallEntry> m_calls;
};

} // namespace telvora
