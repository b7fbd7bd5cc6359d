#pragma once

#include "telephony/sip/SipStack.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>

namespace linphone {
class Account;
class Call;
class CoreListener;
} // namespace linphone

namespace telvora {

class LinphoneListener;

// The SIP stack through liblinphone. It starts when the first account needs it and then runs
// for the rest of the process: calls come and go, the stack does not.
//
// The stack is driven from the thread that started it by a timer; the library is not
// thread-safe and does nothing by itself between iterations. The timer runs fast while a
// call or a registration is under way and slowly when all is quiet, so that an idle program
// does not wake the machine fifty times a second.
class LinphoneStack final : public QObject, public SipStack
{
public:
    explicit LinphoneStack(SipStackHost& host);
    ~LinphoneStack() override;

    bool start(const QList<SipAccount>& accounts) override;
    bool isStarted() const override { return m_core != nullptr; }
    void setAccounts(const QList<SipAccount>& accounts) override;
    void passwordRead(const QString& accountId, const std::optional<QString>& password) override;
    SipAccountState accountState(const QString& accountId) const override;

    qint32 placeCall(quint64 call, const SipAccount& account, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override;
    bool sendTones(quint64 call, const QString& tones) override;
    bool setMuted(quint64 call, bool muted) override;
    bool hasIncoming() const override { return m_incoming != nullptr; }
    bool answerIncoming() override;
    void declineIncoming(bool busy) override;
    QString incomingAccount() const override;
    bool adoptIncoming(quint64 call, const QString& accountId) override;
    bool iteratesFast() const override;

    void useSoundFiles(const QString& playFile, const QString& recordFile) override;
    QStringList soundDevices(SipSoundRole role) const override;
    QString soundDeviceFor(SipSoundRole role, const QString& chosen) const override;
    void useSoundDevices(const QString& microphone, const QString& speaker,
                         const QString& ringer) override;
    void reloadSoundDevices() override;

    QString addressFor(const QString& number, const SipAccount& account) const override;
    QString addressPattern(const SipAccount& account) const override;

    std::shared_ptr<linphone::Core> core() const override { return m_core; }

private:
    friend class LinphoneListener;

    struct CallEntry
    {
        std::shared_ptr<linphone::Call> call;
        QString accountId;
        QTimer* timer = nullptr;
        bool heardFromFarEnd = false;
        bool rang = false;
        bool connected = false;
        bool ended = false;
        bool dropping = false;
        // Tones go one at a time, a gap apart, and only once the media run: the stack
        // drops a tone sent before its stream runs or while it still sends the last one.
        bool streamsRunning = false;
        QString tones;
        QElapsedTimer lastTone;
        bool tonePending = false;
    };
    struct AccountEntry
    {
        SipAccount account;
        std::shared_ptr<linphone::Account> handle;
        SipAccountState state; // inStack is the handle's, made when asked
    };

    void iterate();
    // Something started that the stack must see through: iterate fast for a while.
    void keepAwake();
    // Declines the calls that came in while we are busy.
    void turnAway();
    // Sets the timer's pace to what is under way now.
    void pace();
    void syncAccounts();
    void addToCore(AccountEntry& entry);
    void addPassword(const SipAccount& account, const QString& password);
    void removeFromCore(AccountEntry& entry);
    void setRegistration(AccountEntry& entry, SipRegistration registration, const QString& text);
    quint64 findCall(const linphone::Call* call) const;
    void onCallState(const std::shared_ptr<linphone::Call>& call, int state);
    void onIncomingState(const std::shared_ptr<linphone::Call>& call, int state);
    void sendDtmf(linphone::Call& call, const QString& accountId, const QString& tones);
    void nextTone(quint64 id);
    void onRegistrationState(const std::shared_ptr<linphone::Account>& account, int state,
                             const QString& message);
    void endCall(quint64 id, CallEntry& entry, quint32 disconnectMode);
    void noResponse(quint64 id);
    void forget(quint64 id);
    void applySoundDevices();
    LineProviderEvents& events() const;

    SipStackHost& m_host;
    QList<SipAccount> m_accounts;
    QHash<QString, AccountEntry> m_entries;
    QHash<const linphone::Account*, QString> m_byHandle;
    QSet<QString> m_registering; // accounts whose registration waits for an answer
    QSet<QString> m_dialled;     // accounts beyond the limit that joined the stack when dialled
    QElapsedTimer m_settleTimer;
    QHash<quint64, CallEntry> m_calls;
    quint64 m_placing = 0;
    std::shared_ptr<linphone::Call> m_incoming;
    bool m_incomingConnected = false;
    quint64 m_arrivals = 0; // calls that came in, to see a burst of them
    std::vector<std::shared_ptr<linphone::Call>> m_turnedAway; // to be declined as busy

    QString m_playFile;
    QString m_recordFile;
    QString m_sound[3]; // the chosen devices, by SipSoundRole
    std::unique_ptr<QTemporaryDir> m_runtimeDir;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<LinphoneListener> m_listener;
    QTimer m_iterate;
};

} // namespace telvora
