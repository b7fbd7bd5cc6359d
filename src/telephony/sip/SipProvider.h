#pragma once

#include "telephony/LineProvider.h"
#include "telephony/sip/SipAccount.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipSoundDevices.h"
#include "telephony/sip/SipStack.h"

#include <QHash>
#include <QObject>
#include <memory>

namespace telvora {

// SIP accounts as line devices. The accounts, what the lines say of themselves and the
// choice of sound devices live here; the SIP stack behind them (SipStack) is loaded the first
// time it is needed: soon after the program starts (startUp) when an account exists, or else
// the first time someone looks at the lines once one does. It then runs for the rest of the
// process: line objects come and go for every dial attempt, the stack does not. A program
// without SIP accounts never loads it.
class SipProvider : public QObject, public LineProvider
{
    Q_OBJECT

public:
    using Registration = SipRegistration;

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
    bool isStarted() const { return m_stack && m_stack->isStarted(); }
    // The microphone, speaker and ringing device of the calls.
    SipSoundDevices& soundDevices() { return m_sound; }
    // Plays the file to the far end instead of the microphone and records what the far end
    // sends into the other, for every call from now on; for machines without sound cards
    // and for checking the sound path. Empty names go back to the sound devices.
    void useSoundFiles(const QString& playFile, const QString& recordFile);
    // The stack's own core, for tests that reach into it; null until it starts.
    std::shared_ptr<linphone::Core> core() const { return m_stack ? m_stack->core() : nullptr; }
    // The address a number is dialled at through the account, as text, and how every number
    // is addressed on it ("<number>" standing for the number); empty when nothing is left to
    // dial or the stack cannot be loaded.
    QString addressFor(const QString& number, const SipAccount& account);
    QString addressPattern(const SipAccount& account);
    // Whether the stack is driven at the pace of a call (else at the idle pace).
    bool iteratesFast() const;

    // Calls to our accounts. One at a time is offered (incomingCall); any other that
    // arrives meanwhile, or while we call out, is turned away as busy (486). An offered call
    // rings until it is answered, declined (603) or the caller gives up; it is never
    // answered by itself.
    bool hasIncoming() const override { return m_stack && m_stack->hasIncoming(); }
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
    class Host;
    friend class Host;

    void reloadAccounts();
    void setAccounts(QList<SipAccount> accounts);
    const SipAccount* findAccount(const QString& id) const;
    // The stack, loaded; null when it cannot be (loadError() says why).
    SipStack* stack();
    bool startStack();
    bool saveAccounts(const QList<SipAccount>& accounts);

    SipAccountStore m_store;
    QList<SipAccount> m_accounts;
    QHash<QString, qsizetype> m_index; // account id -> position in m_accounts
    bool m_loaded = false;
    SipSoundDevices m_sound;
    QString m_playFile;
    QString m_recordFile;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<SipStack> m_stack;
    QString m_stackError; // why the stack could not be loaded
};

} // namespace telvora
