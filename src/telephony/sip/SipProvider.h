#pragma once

#include "telephony/LineProvider.h"
#include "telephony/sip/SipAccount.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipSoundDevices.h"

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
class Core;
class CoreListener;
} // namespace linphone

namespace telvora {

class SipCoreListener;

// SIP accounts as line devices, through liblinphone. The SIP stack starts soon after the
// program does (startUp) when an account exists, or else the first time someone looks at the
// lines, and then runs for the rest of the process: line objects come and go for every dial
// attempt, the stack does not.
//
// The stack is driven from the thread that started it by a timer; the library is not
// thread-safe and does nothing by itself between iterations. The timer runs fast while a
// call or a registration is under way and slowly when all is quiet, so that an idle program
// does not wake the machine fifty times a second.
class SipProvider : public QObject, public LineProvider
{
    Q_OBJECT

public:
    enum class Registration
    {
        None,       // not registering (register off, or the stack has not started)
        InProgress, // asked, no answer yet
        Ok,
        Failed, // registrationText() says why
    };

    SipProvider();
    ~SipProvider() override;

    QString kind() const override { return QStringLiteral("sip"); }
    QList<ProviderLine> lines() override;
    void activate() override;
    void startUp() override;
    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override;
    QString lineState(const QString& lineKey) const override;
    bool sendTones(quint64 call, const QString& tones) override;
    QString toneKeys() const override;
    bool setMuted(quint64 call, bool muted) override;
    bool adoptIncoming(quint64 call, const QString& lineKey) override;

    // The accounts, for the settings; a change is saved at once and reaches a running
    // stack at once. addAccount returns the new account's id, empty when nothing was saved.
    QList<SipAccount> accounts();
    QString addAccount(SipAccount account);
    bool updateAccount(const SipAccount& account);
    bool removeAccount(const QString& id);

    Registration registration(const QString& accountId) const;
    QString registrationText(const QString& accountId) const;
    bool isStarted() const { return m_core != nullptr; }
    // The microphone, speaker and ringing device of the calls.
    SipSoundDevices& soundDevices() { return m_sound; }
    // Plays the file to the far end instead of the microphone and records what the far end
    // sends into the other, for every call from now on; for machines without sound cards
    // and for checking the sound path. Empty names go back to the sound devices.
    void useSoundFiles(const QString& playFile, const QString& recordFile);
    // The stack itself, for what this class does not wrap; null until it starts.
    std::shared_ptr<linphone::Core> core() const { return m_core; }
    // Whether the stack is driven at the pace of a call (else at the idle pace).
    bool iteratesFast() const;

    // Calls to our accounts. One at a time is offered (incomingCall); any other that
    // arrives meanwhile, or while we call out, is turned away as busy (486). An offered call
    // rings until it is answered, declined (603) or the caller gives up; it is never
    // answered by itself.
    bool hasIncoming() const override { return m_incoming != nullptr; }
    bool answerIncoming() override;
    // Turns the offered call away: as busy (486) or declined (603).
    void declineIncoming(bool busy) override;
    // Ends the offered call, whether it is ringing or answered.
    void hangUpIncoming() override;
    // The account the offered call came to; empty when none is offered or it is unknown.
    QString incomingAccount() const;
    QString incomingLine() const override { return incomingAccount(); }

signals:
    void registrationChanged(const QString& accountId);
    // Someone calls. The name and number are as the caller sent them: anything at all.
    // Emitted from inside the stack's work: a receiver that does more than take note
    // should do it from a queued connection.
    void incomingCall(const QString& callerName, const QString& callerNumber);
    void incomingConnected();
    // The offered call is over, however it ended.
    void incomingEnded();

private:
    friend class SipCoreListener;

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
        Registration registration = Registration::None;
        QString registrationText;
        bool waitingForPassword = false;
        bool beyondLimit = false; // kept out of the stack until dialled
    };

    void reloadAccounts();
    void setAccounts(QList<SipAccount> accounts);
    const SipAccount* findAccount(const QString& id) const;
    void iterate();
    // Something started that the stack must see through: iterate fast for a while.
    void keepAwake();
    // Declines the calls that came in while we are busy.
    void turnAway();
    // Sets the timer's pace to what is under way now.
    void pace();
    bool startCore();
    void syncAccounts();
    void addToCore(AccountEntry& entry);
    void removeFromCore(AccountEntry& entry);
    bool saveAccounts(const QList<SipAccount>& accounts);
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

    SipAccountStore m_store;
    QList<SipAccount> m_accounts;
    QHash<QString, qsizetype> m_index; // account id -> position in m_accounts
    bool m_loaded = false;
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

    SipSoundDevices m_sound;
    QString m_playFile;
    QString m_recordFile;
    std::unique_ptr<QTemporaryDir> m_runtimeDir;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<SipCoreListener> m_listener;
    QTimer m_iterate;
};

} // namespace telvora
