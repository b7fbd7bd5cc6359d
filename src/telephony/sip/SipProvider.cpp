#include "telephony/sip/SipProvider.h"

#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SecretStore.h"
#include "telephony/sip/SipAddress.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <utility>

using namespace mTAPIConsts;

namespace telvora {

// What the stack reports, turned into the provider's signals; kept apart because the stack's
// report of a call that comes in has the name of the signal that tells of it.
class SipProvider::Host final : public SipStackHost
{
public:
    explicit Host(SipProvider& provider) : m_provider(provider) {}

    LineProviderEvents* callEvents() const override { return m_provider.events(); }
    void registrationChanged(const QString& accountId) override
    {
        emit m_provider.registrationChanged(accountId);
    }
    bool fetchPassword(const SipAccount& account) override
    {
        if (!m_provider.m_store.passwordInKeychain(account.id))
            return false;
        const QString id = account.id;
        SecretStore::read(SipAccountStore::keychainKey(id),
                          [provider = QPointer(&m_provider), id](std::optional<QString> password) {
                              if (provider && provider->m_stack)
                                  provider->m_stack->passwordRead(id, password);
                          });
        return true;
    }
    void incomingCall(const QString& callerName, const QString& callerNumber) override
    {
        emit m_provider.incomingCall(callerName, callerNumber);
    }
    void incomingConnected() override { emit m_provider.incomingConnected(); }
    void incomingEnded() override { emit m_provider.incomingEnded(); }
    void soundDevicesChanged() override { m_provider.m_sound.listChanged(); }

private:
    SipProvider& m_provider;
};

namespace {

const LineProviderRegistrar registrar(10, [] { return std::make_unique<SipProvider>(); });

// Accounts are numbered in the order of the file; a line's name is its display name.
// A name as a list can show it: what a hostile file put in it must not break the list's rows.
QString shown(QString text)
{
    for (QChar& c : text) {
        if (hasControlCharacter(QString(c)))
            c = QChar::ReplacementCharacter;
    }
    return text;
}

LineDevCaps capsOf(const SipAccount& account, int index)
{
    LineDevCaps caps;
    caps.lineName =
        shown(account.displayName.isEmpty() ? account.user + QLatin1Char('@') + account.server
                                            : account.displayName);
    caps.providerInfo = QStringLiteral("SIP (liblinphone)");
    caps.switchInfo = shown(account.server);
    caps.permanentLineID = 0x00010000u | static_cast<quint32>(index);
    caps.stringFormat = LINESTRINGFORMAT_ASCII;
    caps.numAddresses = 1;
    caps.maxDataRate = 64000;
    caps.bearerModes = LINEBEARERMODE_VOICE;
    caps.addressModes = LINEADDRESSMODE_ADDRESSID;
    caps.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
    caps.numTerminals = 1;
    return caps;
}

} // namespace

SipProvider::SipProvider() : m_host(std::make_unique<Host>(*this))
{
    connect(this, &SipProvider::registrationChanged, this, [this](const QString& id) {
        if (events())
            events()->lineStateUpdated(*this, id);
    });
}

SipProvider::~SipProvider()
{
    m_sound.attach(nullptr);
    m_stack.reset();
}

void SipProvider::reloadAccounts()
{
    if (m_loaded && !m_store.changedOnDisk())
        return;
    const bool first = !m_loaded;
    m_loaded = true;
    setAccounts(m_store.load());
    if (m_stack)
        m_stack->setAccounts(m_accounts);
    // Someone else changed the file: whoever shows the lines must look again.
    if (!first && events())
        events()->lineListChanged();
}

QList<ProviderLine> SipProvider::lines()
{
    reloadAccounts();
    QList<ProviderLine> result;
    for (int i = 0; i < m_accounts.size(); ++i)
        result.append(ProviderLine{m_accounts[i].id, capsOf(m_accounts[i], i)});
    return result;
}

void SipProvider::setAccounts(QList<SipAccount> accounts)
{
    m_accounts = std::move(accounts);
    m_index.clear();
    m_index.reserve(m_accounts.size());
    for (qsizetype i = 0; i < m_accounts.size(); ++i)
        m_index.insert(m_accounts[i].id, i);
}

const SipAccount* SipProvider::findAccount(const QString& id) const
{
    const auto found = m_index.constFind(id);
    return found == m_index.cend() ? nullptr : &m_accounts[*found];
}

SipStack* SipProvider::stack()
{
    if (!m_stack && m_stackError.isEmpty()) {
        m_stack = loadSipStack(*m_host, m_stackError);
        if (!m_stack) {
            // Every account says why it cannot call.
            for (const SipAccount& account : std::as_const(m_accounts))
                emit registrationChanged(account.id);
        }
    }
    return m_stack.get();
}

bool SipProvider::startStack()
{
    if (isStarted())
        return true;
    SipStack* sip = stack();
    if (!sip || !sip->start(m_accounts))
        return false;
    m_sound.attach(sip);
    sip->useSoundFiles(m_playFile, m_recordFile);
    return true;
}

void SipProvider::activate()
{
    reloadAccounts();
    if (!m_accounts.isEmpty())
        startStack();
}

void SipProvider::startUp()
{
    // After the program's start, from the event loop: the window comes first, and the
    // accounts are registered by the time anyone dials.
    QTimer::singleShot(0, this, [this] { activate(); });
}

bool SipProvider::iteratesFast() const
{
    return m_stack && m_stack->iteratesFast();
}

void SipProvider::useSoundFiles(const QString& playFile, const QString& recordFile)
{
    m_playFile = playFile;
    m_recordFile = recordFile;
    if (m_stack)
        m_stack->useSoundFiles(playFile, recordFile);
}

QList<SipAccount> SipProvider::accounts()
{
    reloadAccounts();
    return m_accounts;
}

bool SipProvider::saveAccounts(const QList<SipAccount>& accounts)
{
    if (!m_store.save(accounts))
        return false;
    setAccounts(accounts);
    m_loaded = true;
    if (m_stack)
        m_stack->setAccounts(m_accounts);
    if (events())
        events()->lineListChanged();
    return true;
}

QString SipProvider::addAccount(SipAccount account)
{
    reloadAccounts();
    account.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QList<SipAccount> list = m_accounts;
    list.append(account);
    return saveAccounts(list) ? account.id : QString();
}

bool SipProvider::updateAccount(const SipAccount& account)
{
    reloadAccounts();
    QList<SipAccount> list = m_accounts;
    for (SipAccount& existing : list) {
        if (existing.id == account.id) {
            existing = account;
            return saveAccounts(list);
        }
    }
    return false;
}

bool SipProvider::removeAccount(const QString& id)
{
    reloadAccounts();
    QList<SipAccount> list = m_accounts;
    const auto removed = list.removeIf([&id](const SipAccount& a) { return a.id == id; });
    if (removed == 0)
        return false;
    if (m_store.passwordInKeychain(id))
        SecretStore::remove(SipAccountStore::keychainKey(id));
    return saveAccounts(list);
}

SipProvider::Registration SipProvider::registration(const QString& accountId) const
{
    if (!m_stackError.isEmpty() && findAccount(accountId))
        return Registration::Failed;
    return m_stack ? m_stack->accountState(accountId).registration : Registration::None;
}

QString SipProvider::registrationText(const QString& accountId) const
{
    if (!m_stackError.isEmpty() && findAccount(accountId))
        return m_stackError;
    return m_stack ? m_stack->accountState(accountId).text : QString();
}

QString SipProvider::lineState(const QString& lineKey) const
{
    const SipAccount* account = findAccount(lineKey);
    if (!account)
        return {};
    const SipAccountState state = m_stack ? m_stack->accountState(lineKey) : SipAccountState{};
    // An account that cannot be used says why, whether it registers or not.
    if (!state.inStack) {
        if (const auto problem = account->problem())
            return problem->text;
    }
    if (!m_stackError.isEmpty())
        return m_stackError;
    if (!account->registerEnabled)
        return QCoreApplication::translate("telvora::SipProvider", "Not registering");
    if (state.beyondLimit)
        return QCoreApplication::translate(
                   "telvora::SipProvider",
                   "Not registered: only the first %1 accounts register; this one "
                   "is used when dialled")
            .arg(kSipStackAccounts);
    if (!isStarted())
        return QCoreApplication::translate("telvora::SipProvider", "Not registered yet");
    if (state.waitingForPassword)
        return QCoreApplication::translate("telvora::SipProvider",
                                           "Waiting for the password from the secret store");
    switch (state.registration) {
    case Registration::Ok:
        return QCoreApplication::translate("telvora::SipProvider", "Registered");
    case Registration::InProgress:
        return QCoreApplication::translate("telvora::SipProvider", "Registering...");
    case Registration::Failed:
        return state.text;
    case Registration::None:
        break;
    }
    return QCoreApplication::translate("telvora::SipProvider", "Not registered");
}

qint32 SipProvider::placeCall(quint64 id, const QString& lineKey, const QString& number)
{
    reloadAccounts();
    const SipAccount* found = findAccount(lineKey);
    if (!found)
        return LINEERR_NODEVICE;
    // Copied: starting the stack or a call may read the accounts file again.
    const SipAccount account = *found;
    // Never sent: the Lines window says what is wrong with it.
    if (account.problem())
        return LINEERR_RESOURCEUNAVAIL;
    if (!startStack())
        return LINEERR_RESOURCEUNAVAIL;
    return m_stack->placeCall(id, account, number);
}

void SipProvider::dropCall(quint64 id)
{
    if (m_stack)
        m_stack->dropCall(id);
    else if (events())
        events()->callDropped(id, 0);
}

void SipProvider::releaseCall(quint64 id)
{
    if (m_stack)
        m_stack->releaseCall(id);
}

QString SipProvider::toneKeys() const
{
    return QStringLiteral("0123456789*#ABCD");
}

bool SipProvider::sendTones(quint64 id, const QString& tones)
{
    return m_stack && m_stack->sendTones(id, tones);
}

bool SipProvider::setMuted(quint64 id, bool muted)
{
    return m_stack && m_stack->setMuted(id, muted);
}

bool SipProvider::answerIncoming()
{
    return m_stack && m_stack->answerIncoming();
}

void SipProvider::declineIncoming(bool busy)
{
    if (m_stack)
        m_stack->declineIncoming(busy);
}

void SipProvider::hangUpIncoming()
{
    declineIncoming(false);
}

QString SipProvider::incomingAccount() const
{
    return m_stack ? m_stack->incomingAccount() : QString();
}

bool SipProvider::adoptIncoming(quint64 id, const QString& lineKey)
{
    return m_stack && m_stack->adoptIncoming(id, lineKey);
}

QString SipProvider::addressFor(const QString& number, const SipAccount& account)
{
    SipStack* sip = stack();
    return sip ? sip->addressFor(number, account) : QString();
}

QString SipProvider::addressPattern(const SipAccount& account)
{
    SipStack* sip = stack();
    return sip ? sip->addressPattern(account) : QString();
}

} // namespace telvora
