#pragma once

#include "telephony/sip/SipAccount.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace linphone {
class Core;
}

namespace telvora {

class LineProviderEvents;

// The SIP stack and the dozens of libraries it brings (codecs, XML, TLS...) cost a program
// that calls through a modem alone a third of its memory, and time at every start. So the
// stack lives in a module of its own, loaded the first time an account needs it; the rest of
// the program speaks to it through these two interfaces alone, which carry nothing but Qt's
// own types across.

enum class SipRegistration
{
    None,       // not registering (register off, or the stack has not started)
    InProgress, // asked, no answer yet
    Ok,
    Failed, // the account's text says why
};

enum class SipSoundRole
{
    Microphone,
    Speaker,
    Ringer,
};

// The stack does work in proportion to all its accounts for every registration event of each
// (and writes its whole configuration for every account added once it runs), so that a few
// thousand accounts would hold the program for minutes. Only so many register; the others
// join the stack when they are dialled.
constexpr int kSipStackAccounts = 50;

// What the stack made of one account.
struct SipAccountState
{
    bool inStack = false;     // handed to the stack (else refused, or beyond the limit)
    bool beyondLimit = false; // kept out of the stack until dialled
    bool waitingForPassword = false;
    SipRegistration registration = SipRegistration::None;
    QString text; // why it failed
};

// What the stack tells the program, from inside its own work.
class SipStackHost
{
public:
    // Where the outcomes of calls go; null while nobody listens.
    virtual LineProviderEvents* callEvents() const = 0;
    virtual void registrationChanged(const QString& accountId) = 0;
    // Whether the account's password is kept in the secret store rather than in the account.
    // If so it is asked for, and comes back through SipStack::passwordRead.
    virtual bool fetchPassword(const SipAccount& account) = 0;
    virtual void incomingCall(const QString& callerName, const QString& callerNumber) = 0;
    virtual void incomingConnected() = 0;
    virtual void incomingEnded() = 0;
    // The sound devices there are changed.
    virtual void soundDevicesChanged() = 0;

protected:
    ~SipStackHost() = default;
};

// The stack. Nothing in it runs until start(); the addresses can be made before.
class SipStack
{
public:
    virtual ~SipStack() = default;

    // Starts the stack with these accounts; false when it cannot run.
    virtual bool start(const QList<SipAccount>& accounts) = 0;
    virtual bool isStarted() const = 0;
    // The accounts as they are now: the new ones join, the changed ones are handed over
    // again, the others leave.
    virtual void setAccounts(const QList<SipAccount>& accounts) = 0;
    virtual void passwordRead(const QString& accountId, const std::optional<QString>& password) = 0;
    virtual SipAccountState accountState(const QString& accountId) const = 0;

    // As LineProvider's, on a started stack; the outcomes go to the host's callEvents().
    virtual qint32 placeCall(quint64 call, const SipAccount& account, const QString& number) = 0;
    virtual void dropCall(quint64 call) = 0;
    virtual void releaseCall(quint64 call) = 0;
    virtual bool sendTones(quint64 call, const QString& tones) = 0;
    virtual bool setMuted(quint64 call, bool muted) = 0;
    virtual bool hasIncoming() const = 0;
    virtual bool answerIncoming() = 0;
    virtual void declineIncoming(bool busy) = 0;
    virtual QString incomingAccount() const = 0;
    virtual bool adoptIncoming(quint64 call, const QString& accountId) = 0;
    virtual bool iteratesFast() const = 0;

    virtual void useSoundFiles(const QString& playFile, const QString& recordFile) = 0;
    // The names of the devices that can serve in the role, the default first.
    virtual QStringList soundDevices(SipSoundRole role) const = 0;
    // The device that serves in the role for this choice: the chosen one, or the default when
    // it is missing; empty when there is none.
    virtual QString soundDeviceFor(SipSoundRole role, const QString& chosen) const = 0;
    virtual void useSoundDevices(const QString& microphone, const QString& speaker,
                                 const QString& ringer) = 0;
    virtual void reloadSoundDevices() = 0;

    // The address a number is dialled at through the account, as text; empty when nothing is
    // left to dial.
    virtual QString addressFor(const QString& number, const SipAccount& account) const = 0;
    // How numbers dialled on the account are addressed, "<number>" standing for the number.
    virtual QString addressPattern(const SipAccount& account) const = 0;

    // The stack's own core, for tests that reach into it; null until it starts.
    virtual std::shared_ptr<linphone::Core> core() const = 0;
};

// The module's one entry point.
using SipStackMaker = SipStack* (*)(SipStackHost* host);
inline constexpr char kSipStackMaker[] = "telvora_make_sip_stack";

// Loads the module from the program's own library folder (or the build's) and makes the
// stack. Refuses a module that another user could have written or replaced. Null, with the
// reason in `error`, when there is none to load.
std::unique_ptr<SipStack> loadSipStack(SipStackHost& host, QString& error);
// Whether every folder on the way to the file, and the file, belong to root or to us alone.
bool isTrustedModule(const QString& path);

} // namespace telvora
