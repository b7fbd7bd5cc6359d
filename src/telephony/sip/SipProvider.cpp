#include "telephony/sip/SipProvider.h"

#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SecretStore.h"
#include "telephony/sip/SipAddress.h"

#include <QDir>
#include <QUuid>
#include <linphone++/linphone.hh>

using namespace mTAPIConsts;

namespace telvora {

// The library reports to listener objects; this one hands everything to the provider,
// which runs it on the timer's thread, inside iterate().
class SipCoreListener : public linphone::CoreListener
{
public:
    explicit SipCoreListener(SipProvider* provider) : m_provider(provider) {}

    void onCallStateChanged(const std::shared_ptr<linphone::Core>&,
                            const std::shared_ptr<linphone::Call>& call,
                            linphone::Call::State state, const std::string&) override
    {
        m_provider->onCallState(call, static_cast<int>(state));
    }

    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core>&,
                                           const std::shared_ptr<linphone::Account>& account,
                                           linphone::RegistrationState state,
                                           const std::string& message) override
    {
        m_provider->onRegistrationState(account, static_cast<int>(state),
                                        QString::fromStdString(message));
    }

private:
    SipProvider* m_provider;
};

namespace {

const LineProviderRegistrar registrar(10, [] { return std::make_unique<SipProvider>(); });

// Accounts are numbered in the order of the file; a line's name is its display name.
LineDevCaps capsOf(const SipAccount& account, int index)
{
    LineDevCaps caps;
    caps.lineName = account.displayName.isEmpty() ? account.user + QLatin1Char('@') + account.server
                                                  : account.displayName;
    caps.providerInfo = QStringLiteral("SIP (liblinphone)");
    caps.switchInfo = account.server;
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

std::string hostUri(const QString& host, SipAccount::Transport transport)
{
    QString uri = QLatin1String("sip:") + host;
    if (transport == SipAccount::Transport::Tcp)
        uri += QLatin1String(";transport=tcp");
    else if (transport == SipAccount::Transport::Tls)
        uri += QLatin1String(";transport=tls");
    return uri.toStdString();
}

// Why a call that ended without our drop ended, as the service reports it.
quint32 disconnectModeFor(linphone::Reason reason, bool connected, bool failed)
{
    if (connected) {
        // A talk cut by the network (the far end's media stopped, the transport failed) is
        // not one the far end ended: the dial run must be able to say so.
        const bool cut = failed || reason == linphone::Reason::IOError ||
                         reason == linphone::Reason::NoResponse ||
                         reason == linphone::Reason::ServerTimeout;
        return cut ? LINEDISCONNECTMODE_UNREACHABLE : LINEDISCONNECTMODE_NORMAL;
    }
    switch (reason) {
    case linphone::Reason::Busy:
    case linphone::Reason::DoNotDisturb:
        return LINEDISCONNECTMODE_BUSY;
    case linphone::Reason::NotAnswered:
        return LINEDISCONNECTMODE_NOANSWER;
    case linphone::Reason::Declined:
        return LINEDISCONNECTMODE_REJECT;
    case linphone::Reason::NotFound:
    case linphone::Reason::AddressIncomplete:
    case linphone::Reason::Gone:
    case linphone::Reason::MovedPermanently:
        return LINEDISCONNECTMODE_BADADDRESS;
    case linphone::Reason::IOError:
    case linphone::Reason::NoResponse:
    case linphone::Reason::ServerTimeout:
    case linphone::Reason::TemporarilyUnavailable:
    case linphone::Reason::BadGateway:
        return LINEDISCONNECTMODE_UNREACHABLE;
    default:
        return LINEDISCONNECTMODE_UNKNOWN;
    }
}

} // namespace

SipProvider::SipProvider()
{
    m_iterate.setInterval(20);
    connect(&m_iterate, &QTimer::timeout, this, [this] {
        if (m_core)
            m_core->iterate();
    });
    connect(this, &SipProvider::registrationChanged, this, [this](const QString& id) {
        if (events())
            events()->lineStateUpdated(*this, id);
    });
}

SipProvider::~SipProvider()
{
    m_iterate.stop();
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it)
        delete it->timer;
    if (m_core) {
        m_core->removeListener(m_listener);
        m_core->stop();
    }
}

void SipProvider::reloadAccounts()
{
    if (m_loaded && !m_store.changedOnDisk())
        return;
    const bool first = !m_loaded;
    m_loaded = true;
    m_accounts = m_store.load();
    if (m_core)
        syncAccounts();
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

void SipProvider::activate()
{
    reloadAccounts();
    if (!m_core && !m_accounts.isEmpty())
        startCore();
}

bool SipProvider::startCore()
{
    auto factory = linphone::Factory::get();
    // The program writes no log, and the library's own would go to standard output.
    linphone::LoggingService::get()->setLogLevelMask(
        static_cast<unsigned int>(linphone::LogLevel::Fatal));
    m_runtimeDir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1String("/telvora-sip-XXXXXX"));
    if (!m_runtimeDir->isValid())
        return false;
    QDir runtime(m_runtimeDir->path());
    for (const char* sub : {"plugins", "data", "config"})
        runtime.mkpath(QString::fromLatin1(sub));
    // An empty plugin folder keeps the video plugins, and the Qt 5 they load, out of the
    // process; data and config folders of our own keep the library out of $HOME.
    factory->setMspluginsDir(runtime.filePath(QStringLiteral("plugins/")).toStdString());
    factory->setDataDir(runtime.filePath(QStringLiteral("data/")).toStdString());
    factory->setConfigDir(runtime.filePath(QStringLiteral("config/")).toStdString());

    auto config = factory->createConfigFromString("");
    config->setString("storage", "uri", "null");
    config->setString("storage", "call_logs_db_uri", "null");
    config->setString("storage", "zrtp_secrets_db_uri", "null");
    config->setString("lime", "x3dh_db_path", ":memory:");
    // Ports before the stack exists, or it binds 5060 for a moment.
    config->setInt("sip", "sip_port", -1);
    config->setInt("sip", "sip_tcp_port", -1);
    config->setInt("sip", "sip_tls_port", -1);
    config->setInt("sip", "sip_dtls_port", 0);
    config->setInt("video", "automatically_initiate", 0);
    config->setInt("video", "automatically_accept", 0);

    m_core = factory->createCoreWithConfig(config, nullptr);
    if (!m_core)
        return false;
    m_core->enableIpv6(false);
    m_core->enableVideoCapture(false);
    m_core->enableVideoDisplay(false);
    m_core->setAudioPort(-1);
    m_core->setUserAgent("Telvora", TELVORA_VERSION);
    m_core->setMaxCalls(8);
    auto nat = m_core->createNatPolicy();
    nat->enableStun(false);
    nat->enableIce(false);
    nat->enableTurn(false);
    nat->enableUpnp(false);
    m_core->setNatPolicy(nat);

    m_listener = std::make_shared<SipCoreListener>(this);
    m_core->addListener(m_listener);
    if (m_core->start() != 0) {
        m_core->removeListener(m_listener);
        m_core.reset();
        return false;
    }
    m_iterate.start();
    syncAccounts();
    return true;
}

void SipProvider::syncAccounts()
{
    QStringList wanted;
    for (const SipAccount& account : std::as_const(m_accounts)) {
        wanted.append(account.id);
        AccountEntry& entry = m_entries[account.id];
        if (entry.handle && entry.account == account)
            continue;
        if (entry.handle)
            removeFromCore(entry);
        entry.account = account;
        addToCore(entry);
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        removeFromCore(*it);
        it = m_entries.erase(it);
    }
}

void SipProvider::addToCore(AccountEntry& entry)
{
    const SipAccount& account = entry.account;
    auto factory = linphone::Factory::get();
    auto params = m_core->createAccountParams();
    const QString identity =
        QLatin1String("sip:") + account.user + QLatin1Char('@') + account.server;
    auto identityAddress = factory->createAddress(identity.toStdString());
    auto serverAddress = factory->createAddress(hostUri(account.server, account.transport));
    if (!identityAddress || !serverAddress) {
        entry.registration = Registration::Failed;
        entry.registrationText = QStringLiteral("The account's server or user is not valid");
        emit registrationChanged(account.id);
        return;
    }
    if (!account.displayName.isEmpty())
        identityAddress->setDisplayName(account.displayName.toStdString());
    params->setIdentityAddress(identityAddress);
    params->setServerAddress(serverAddress);
    if (!account.outboundProxy.isEmpty()) {
        if (auto proxy = factory->createAddress(hostUri(account.outboundProxy, account.transport)))
            params->setRoutesAddresses({proxy});
    }
    params->enableRegister(account.registerEnabled);
    params->setNatPolicy(m_core->getNatPolicy());
    entry.handle = m_core->createAccount(params);
    entry.registration = account.registerEnabled ? Registration::InProgress : Registration::None;
    entry.registrationText.clear();

    const auto addAuth = [this](const SipAccount& a, const QString& password) {
        m_core->addAuthInfo(linphone::Factory::get()->createAuthInfo(
            a.user.toStdString(), "", password.toStdString(), "", "", ""));
    };
    if (m_store.passwordInKeychain(account.id) && account.password.isEmpty()) {
        // The account registers once the secret store has answered.
        entry.waitingForPassword = true;
        const QString id = account.id;
        SecretStore::read(
            SipAccountStore::keychainKey(id), [this, id, addAuth](std::optional<QString> password) {
                const auto found = m_entries.find(id);
                if (found == m_entries.end() || !m_core)
                    return;
                found->waitingForPassword = false;
                if (!password) {
                    found->registration = Registration::Failed;
                    found->registrationText =
                        QStringLiteral("The password could not be read from the secret store");
                    emit registrationChanged(id);
                    return;
                }
                addAuth(found->account, *password);
                if (found->handle)
                    m_core->addAccount(found->handle);
            });
    } else {
        if (!account.password.isEmpty())
            addAuth(account, account.password);
        m_core->addAccount(entry.handle);
    }
    emit registrationChanged(account.id);
}

void SipProvider::removeFromCore(AccountEntry& entry)
{
    if (!entry.handle)
        return;
    if (m_core) {
        m_core->removeAccount(entry.handle);
        if (auto auth = m_core->findAuthInfo("", entry.account.user.toStdString(),
                                             entry.account.server.toStdString()))
            m_core->removeAuthInfo(auth);
    }
    entry.handle.reset();
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
    m_accounts = accounts;
    m_loaded = true;
    if (m_core)
        syncAccounts();
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
    const auto found = m_entries.constFind(accountId);
    return found == m_entries.cend() ? Registration::None : found->registration;
}

QString SipProvider::registrationText(const QString& accountId) const
{
    const auto found = m_entries.constFind(accountId);
    return found == m_entries.cend() ? QString() : found->registrationText;
}

QString SipProvider::lineState(const QString& lineKey) const
{
    const auto account = std::find_if(m_accounts.cbegin(), m_accounts.cend(),
                                      [&lineKey](const SipAccount& a) { return a.id == lineKey; });
    if (account == m_accounts.cend())
        return {};
    if (!account->registerEnabled)
        return QStringLiteral("Not registering");
    const auto entry = m_entries.constFind(lineKey);
    if (entry == m_entries.cend())
        return QStringLiteral("Not registered yet");
    if (entry->waitingForPassword)
        return QStringLiteral("Waiting for the password from the secret store");
    switch (entry->registration) {
    case Registration::Ok:
        return QStringLiteral("Registered");
    case Registration::InProgress:
        return QStringLiteral("Registering...");
    case Registration::Failed:
        return entry->registrationText;
    case Registration::None:
        break;
    }
    return QStringLiteral("Not registered");
}

void SipProvider::onRegistrationState(const std::shared_ptr<linphone::Account>& account, int state,
                                      const QString& message)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->handle != account)
            continue;
        switch (static_cast<linphone::RegistrationState>(state)) {
        case linphone::RegistrationState::Ok:
            it->registration = Registration::Ok;
            it->registrationText = QStringLiteral("Registered");
            break;
        case linphone::RegistrationState::Progress:
            it->registration = Registration::InProgress;
            break;
        case linphone::RegistrationState::Failed: {
            it->registration = Registration::Failed;
            const auto info = account->getErrorInfo();
            const int code = info ? info->getProtocolCode() : 0;
            const linphone::Reason reason = account->getError();
            if (code == 401 || code == 403 || code == 407 ||
                reason == linphone::Reason::Unauthorized || reason == linphone::Reason::Forbidden)
                it->registrationText =
                    QStringLiteral("Registration refused: wrong user name or password");
            else if (code != 0)
                it->registrationText = QStringLiteral("Registration failed: %1 %2")
                                           .arg(code)
                                           .arg(QString::fromStdString(info->getPhrase()));
            else
                it->registrationText =
                    QStringLiteral("Registration failed: %1")
                        .arg(message.isEmpty() ? QStringLiteral("no answer from the server")
                                               : message);
            break;
        }
        case linphone::RegistrationState::None:
        case linphone::RegistrationState::Cleared:
            it->registration = Registration::None;
            break;
        }
        emit registrationChanged(it.key());
        return;
    }
}

qint32 SipProvider::placeCall(quint64 id, const QString& lineKey, const QString& number)
{
    reloadAccounts();
    const auto account = std::find_if(m_accounts.cbegin(), m_accounts.cend(),
                                      [&lineKey](const SipAccount& a) { return a.id == lineKey; });
    if (account == m_accounts.cend())
        return LINEERR_NODEVICE;
    if (!m_core && !startCore())
        return LINEERR_RESOURCEUNAVAIL;

    CallEntry& entry = m_calls[id];
    // A SIP line has no dial tone to go off hook to: without a number there is no call.
    const QString target = sipAddressFor(number, *account);
    const auto address =
        target.isEmpty() ? nullptr : linphone::Factory::get()->createAddress(target.toStdString());
    if (!address) {
        entry.ended = true;
        events()->callPlaced(id, LINEERR_INVALADDRESS);
        return 0;
    }
    const AccountEntry& accountEntry = m_entries[account->id];
    if (accountEntry.handle)
        m_core->setDefaultAccount(accountEntry.handle);
    auto params = m_core->createCallParams(nullptr);
    params->enableVideo(false);
    // States the library reports from inside the invite belong to this call.
    m_placing = id;
    auto call = m_core->inviteAddressWithParams(address, params);
    m_placing = 0;
    if (!call) {
        entry.ended = true;
        events()->callPlaced(id, LINEERR_OPERATIONFAILED);
        return 0;
    }
    entry.call = call;
    events()->callPlaced(id, 0);
    events()->callStateChanged(id, LINECALLSTATE_DIALING, 0);

    entry.timer = new QTimer(this);
    entry.timer->setSingleShot(true);
    connect(entry.timer, &QTimer::timeout, this, [this, id] { noResponse(id); });
    entry.timer->start(account->responseTimeoutSecs * 1000);
    return 0;
}

quint64 SipProvider::findCall(const linphone::Call* call) const
{
    for (auto it = m_calls.cbegin(); it != m_calls.cend(); ++it) {
        if (it->call.get() == call)
            return it.key();
    }
    return 0;
}

void SipProvider::onCallState(const std::shared_ptr<linphone::Call>& call, int rawState)
{
    quint64 id = findCall(call.get());
    if (id == 0 && m_placing != 0) {
        id = m_placing;
        m_calls[id].call = call;
    }
    if (id == 0)
        return;
    CallEntry& entry = m_calls[id];
    const auto state = static_cast<linphone::Call::State>(rawState);
    switch (state) {
    case linphone::Call::State::OutgoingRinging:
    case linphone::Call::State::OutgoingEarlyMedia:
        entry.heardFromFarEnd = true;
        if (!entry.dropping && m_placing == 0)
            events()->callStateChanged(id, LINECALLSTATE_RINGBACK, 0);
        break;
    case linphone::Call::State::OutgoingProgress:
        if (!entry.dropping && m_placing == 0)
            events()->callStateChanged(id, LINECALLSTATE_PROCEEDING, 0);
        break;
    case linphone::Call::State::Connected:
        entry.heardFromFarEnd = true;
        entry.connected = true;
        if (!entry.dropping)
            events()->callStateChanged(id, LINECALLSTATE_CONNECTED, 0);
        break;
    case linphone::Call::State::Error:
    case linphone::Call::State::End:
    case linphone::Call::State::Released: {
        if (entry.ended)
            break;
        entry.heardFromFarEnd = true;
        endCall(id, entry,
                disconnectModeFor(call->getReason(), entry.connected,
                                  state == linphone::Call::State::Error));
        break;
    }
    default:
        break;
    }
}

void SipProvider::endCall(quint64 id, CallEntry& entry, quint32 disconnectMode)
{
    entry.ended = true;
    if (entry.timer)
        entry.timer->stop();
    if (entry.dropping) {
        events()->callDropped(id, 0);
        return;
    }
    if (disconnectMode == LINEDISCONNECTMODE_BUSY)
        events()->callStateChanged(id, LINECALLSTATE_BUSY, 0);
    events()->callStateChanged(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
}

void SipProvider::noResponse(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended)
        return;
    if (found->dropping) {
        // The far side never confirmed the end of the call; it is over for us all the same.
        endCall(id, *found, 0);
        return;
    }
    if (found->heardFromFarEnd)
        return;
    // Ending it ourselves reports the reason we give, not the library's later one.
    CallEntry& entry = *found;
    endCall(id, entry, LINEDISCONNECTMODE_UNREACHABLE);
    if (entry.call)
        entry.call->terminate();
}

void SipProvider::dropCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || !found->call) {
        events()->callDropped(id, 0);
        return;
    }
    found->dropping = true;
    // A far side that never answers the end of the call must not hold the drop for ever.
    if (found->timer)
        found->timer->start(5000);
    if (found->call->terminate() != 0) {
        found->ended = true;
        events()->callDropped(id, 0);
    }
}

void SipProvider::forget(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end())
        return;
    if (found->timer) {
        found->timer->stop();
        found->timer->deleteLater();
    }
    m_calls.erase(found);
}

void SipProvider::releaseCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end())
        return;
    std::shared_ptr<linphone::Call> call = found->call;
    const bool live = !found->ended;
    forget(id);
    // Forgotten first, so the states the end brings find no call to report to.
    if (live && call)
        call->terminate();
}

} // namespace telvora
