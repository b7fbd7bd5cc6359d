#include "telephony/sip/stack/LinphoneStack.h"

#include "telephony/LineProvider.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/sip/stack/LinphoneAddress.h"

#include <QCoreApplication>
#include <QDir>
#include <linphone++/linphone.hh>
#include <utility>

using namespace mTAPIConsts;

namespace telvora {

// The library reports to listener objects; this one hands everything to the stack,
// which runs it on the timer's thread, inside iterate().
class LinphoneListener : public linphone::CoreListener
{
public:
    explicit LinphoneListener(LinphoneStack* stack) : m_stack(stack) {}

    void onCallStateChanged(const std::shared_ptr<linphone::Core>&,
                            const std::shared_ptr<linphone::Call>& call,
                            linphone::Call::State state, const std::string&) override
    {
        m_stack->onCallState(call, static_cast<int>(state));
    }

    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core>&,
                                           const std::shared_ptr<linphone::Account>& account,
                                           linphone::RegistrationState state,
                                           const std::string& message) override
    {
        m_stack->onRegistrationState(account, static_cast<int>(state),
                                     QString::fromStdString(message));
    }

    void onAudioDevicesListUpdated(const std::shared_ptr<linphone::Core>&) override
    {
        // A device that came back is taken again; one that went is replaced by the default.
        m_stack->applySoundDevices();
        m_stack->m_host.soundDevicesChanged();
    }

private:
    LinphoneStack* m_stack;
};

namespace {

// How a call that was refused with this final response ended. The rule, as Help states it:
// whatever may pass by itself (busy, nobody answered, a server overloaded for the moment) is
// tried again; a refusal that will be the same next time (declined, no such number, the
// server will not take the call from us) is not.
quint32 disconnectModeForResponse(int code)
{
    switch (code) {
    case 486: // Busy Here
    case 600: // Busy Everywhere
        return LINEDISCONNECTMODE_BUSY;
    case 408: // Request Timeout: rang out at a proxy
    case 480: // Temporarily Unavailable: what many servers say when nobody answers
    case 487: // Request Terminated, without our cancel: the server stopped the ringing
        return LINEDISCONNECTMODE_NOANSWER;
    case 603: // Decline
    case 607: // Unwanted
    case 608: // Rejected
        return LINEDISCONNECTMODE_REJECT;
    case 301: // Moved Permanently
    case 404: // Not Found
    case 410: // Gone
    case 416: // Unsupported URI Scheme
    case 484: // Address Incomplete
    case 485: // Ambiguous
    case 604: // Does Not Exist Anywhere
        return LINEDISCONNECTMODE_BADADDRESS;
    case 501: // Not Implemented
    case 505: // Version Not Supported
    case 513: // Message Too Large
        return LINEDISCONNECTMODE_UNREACHABLE;
    default:
        break;
    }
    // Server failures (500, 502, 503 with or without Retry-After, 504...) are the network
    // having no room for the call now: as good as busy.
    if (code >= 500 && code < 600)
        return LINEDISCONNECTMODE_CONGESTION;
    // Every other refusal (our credentials refused, no common codec, a redirection we do not
    // follow...) will be the same next time.
    return LINEDISCONNECTMODE_UNREACHABLE;
}

// Why a call that ended without our drop ended, as the service reports it.
quint32 disconnectModeFor(const linphone::Call& call, bool connected, bool failed, bool rang)
{
    const linphone::Reason reason = call.getReason();
    if (connected) {
        // A talk cut by the network (the far end's media stopped, the transport failed) is
        // not one the far end ended: the dial run must be able to say so.
        const bool cut = failed || reason == linphone::Reason::IOError ||
                         reason == linphone::Reason::NoResponse ||
                         reason == linphone::Reason::ServerTimeout;
        return cut ? LINEDISCONNECTMODE_UNREACHABLE : LINEDISCONNECTMODE_NORMAL;
    }
    const auto info = call.getErrorInfo();
    const int code = info ? info->getProtocolCode() : 0;
    if (code >= 300 && code < 700)
        return disconnectModeForResponse(code);
    // The library ends a call that rang and was then refused with 487 (the server stopped
    // the ringing) as an error without any reason or code: nobody answered it.
    if (rang && reason == linphone::Reason::None)
        return LINEDISCONNECTMODE_NOANSWER;
    // No final response from anyone: the library's own reason.
    switch (reason) {
    case linphone::Reason::NotAnswered:
        return LINEDISCONNECTMODE_NOANSWER;
    case linphone::Reason::IOError:
    case linphone::Reason::NoResponse:
    case linphone::Reason::ServerTimeout:
        return LINEDISCONNECTMODE_UNREACHABLE;
    default:
        return LINEDISCONNECTMODE_UNKNOWN;
    }
}

// Fast while anything is under way, so that answers are read as they come; slow when idle,
// where only registration refreshes are due and a second early or late is nothing.
constexpr int kBusyIterateMs = 20;
constexpr int kIdleIterateMs = 1000;
// After the last call or transaction, the stack still has a few messages to finish (the ACK
// of a final response, the answer to a BYE).
constexpr qint64 kSettleMs = 2000;
// Between two touch tones: the stack sends each as events over about 100 ms, and a far
// end needs a pause to tell two equal tones apart.
constexpr qint64 kToneGapMs = 250;
// At most this many turns of the stack in one tick of the timer.
constexpr int kTurnsPerTick = 100;

} // namespace

LinphoneStack::LinphoneStack(SipStackHost& host) : m_host(host)
{
    m_iterate.setInterval(kIdleIterateMs);
    connect(&m_iterate, &QTimer::timeout, this, &LinphoneStack::iterate);
}

LinphoneStack::~LinphoneStack()
{
    m_iterate.stop();
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it)
        delete it->timer;
    if (m_core) {
        m_core->removeListener(m_listener);
        m_core->stop();
    }
}

void LinphoneStack::iterate()
{
    if (!m_core)
        return;
    // The stack takes in one message per turn. Once a call came in during a tick, the tick
    // takes all its turns: a burst of calls is read at once, rather than at the timer's
    // pace while the socket overflows and the callers' proxies give up on them.
    bool burst = false;
    for (int turn = 0; turn < kTurnsPerTick; ++turn) {
        const quint64 arrivals = m_arrivals;
        m_core->iterate();
        turnAway();
        burst = burst || m_arrivals != arrivals;
        if (!burst)
            break;
    }
    pace();
}

void LinphoneStack::turnAway()
{
    const auto calls = std::exchange(m_turnedAway, {});
    for (const auto& call : calls)
        call->decline(linphone::Reason::Busy);
}

void LinphoneStack::keepAwake()
{
    m_settleTimer.start();
    pace();
}

bool LinphoneStack::iteratesFast() const
{
    return m_iterate.isActive() && m_iterate.interval() == kBusyIterateMs;
}

void LinphoneStack::pace()
{
    if (!m_core)
        return;
    const bool busy = !m_calls.isEmpty() || m_incoming || !m_registering.isEmpty() ||
                      (m_settleTimer.isValid() && m_settleTimer.elapsed() < kSettleMs) ||
                      m_core->getCallsNb() > 0;
    const int interval = busy ? kBusyIterateMs : kIdleIterateMs;
    if (m_iterate.isActive() && m_iterate.interval() == interval)
        return;
    m_iterate.setTimerType(busy ? Qt::PreciseTimer : Qt::CoarseTimer);
    m_iterate.start(interval);
}

bool LinphoneStack::start(const QList<SipAccount>& accounts)
{
    if (m_core)
        return true;
    m_accounts = accounts;
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
    // Passwords stay with us: the stack keeps none in its configuration, and does not rewrite
    // every one of them each time one is added.
    config->setInt("sip", "store_auth_info", 0);
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

    m_listener = std::make_shared<LinphoneListener>(this);
    m_core->addListener(m_listener);
    // Accounts added before the start cost the stack nothing more than themselves; after it,
    // each one makes it write out all the others again.
    syncAccounts();
    if (m_core->start() != 0) {
        m_core->removeListener(m_listener);
        m_core.reset();
        return false;
    }
    applySoundDevices();
    useSoundFiles(m_playFile, m_recordFile);
    keepAwake();
    return true;
}

void LinphoneStack::setAccounts(const QList<SipAccount>& accounts)
{
    m_accounts = accounts;
    if (m_core)
        syncAccounts();
}

void LinphoneStack::useSoundFiles(const QString& playFile, const QString& recordFile)
{
    m_playFile = playFile;
    m_recordFile = recordFile;
    if (!m_core)
        return;
    const bool files = !playFile.isEmpty() || !recordFile.isEmpty();
    m_core->setPlayFile(playFile.toStdString());
    m_core->setRecordFile(recordFile.toStdString());
    m_core->setUseFiles(files);
}

void LinphoneStack::syncAccounts()
{
    QSet<QString> ids;
    int inStack = 0;
    for (const SipAccount& account : std::as_const(m_accounts)) {
        ids.insert(account.id);
        AccountEntry& entry = m_entries[account.id];
        if (entry.handle && entry.account == account) {
            ++inStack;
            continue;
        }
        if (entry.handle)
            removeFromCore(entry);
        entry.account = account;
        entry.state.beyondLimit = inStack >= kSipStackAccounts && !m_dialled.contains(account.id);
        if (entry.state.beyondLimit) {
            entry.state.registration = SipRegistration::None;
            continue;
        }
        addToCore(entry);
        if (entry.handle)
            ++inStack;
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (ids.contains(it.key())) {
            ++it;
            continue;
        }
        removeFromCore(*it);
        it = m_entries.erase(it);
    }
}

void LinphoneStack::setRegistration(AccountEntry& entry, SipRegistration registration,
                                    const QString& text)
{
    entry.state.registration = registration;
    entry.state.text = text;
    m_host.registrationChanged(entry.account.id);
}

void LinphoneStack::addToCore(AccountEntry& entry)
{
    const SipAccount& account = entry.account;
    // An account the file holds but no message may carry is shown with its reason and
    // never reaches the stack.
    if (const auto problem = account.problem()) {
        setRegistration(entry, SipRegistration::Failed, problem->text);
        return;
    }
    auto identityAddress = sipIdentityAddress(account);
    auto serverAddress = sipHostAddress(account.server, account.transport);
    if (!identityAddress || !serverAddress) {
        setRegistration(entry, SipRegistration::Failed,
                        QCoreApplication::translate("telvora::SipProvider",
                                                    "The account's server or user is not valid"));
        return;
    }
    auto params = m_core->createAccountParams();
    params->setIdentityAddress(identityAddress);
    params->setServerAddress(serverAddress);
    if (!account.outboundProxy.isEmpty()) {
        if (auto proxy = sipHostAddress(account.outboundProxy, account.transport))
            params->setRoutesAddresses({proxy});
    }
    params->enableRegister(account.registerEnabled);
    params->setNatPolicy(m_core->getNatPolicy());
    entry.handle = m_core->createAccount(params);
    m_byHandle.insert(entry.handle.get(), account.id);
    if (account.registerEnabled)
        m_registering.insert(account.id);
    entry.state.registration =
        account.registerEnabled ? SipRegistration::InProgress : SipRegistration::None;
    entry.state.text.clear();
    // Without its password the account registers once the secret store has answered, which
    // may be before fetchPassword returns.
    entry.state.waitingForPassword = account.password.isEmpty();
    if (!entry.state.waitingForPassword || !m_host.fetchPassword(account)) {
        entry.state.waitingForPassword = false;
        if (!account.password.isEmpty())
            addPassword(account, account.password);
        m_core->addAccount(entry.handle);
    }
    m_host.registrationChanged(account.id);
}

void LinphoneStack::addPassword(const SipAccount& account, const QString& password)
{
    m_core->addAuthInfo(linphone::Factory::get()->createAuthInfo(
        account.user.toStdString(), "", password.toStdString(), "", "", ""));
}

void LinphoneStack::passwordRead(const QString& accountId, const std::optional<QString>& password)
{
    const auto found = m_entries.find(accountId);
    if (found == m_entries.end() || !m_core || !found->state.waitingForPassword)
        return;
    found->state.waitingForPassword = false;
    if (!password) {
        setRegistration(
            *found, SipRegistration::Failed,
            QCoreApplication::translate("telvora::SipProvider",
                                        "The password could not be read from the secret store"));
        return;
    }
    addPassword(found->account, *password);
    if (found->handle)
        m_core->addAccount(found->handle);
}

SipAccountState LinphoneStack::accountState(const QString& accountId) const
{
    const auto found = m_entries.constFind(accountId);
    if (found == m_entries.cend())
        return {};
    SipAccountState state = found->state;
    state.inStack = found->handle != nullptr;
    return state;
}

void LinphoneStack::removeFromCore(AccountEntry& entry)
{
    m_registering.remove(entry.account.id);
    entry.state.waitingForPassword = false;
    if (!entry.handle)
        return;
    m_byHandle.remove(entry.handle.get());
    if (m_core) {
        m_core->removeAccount(entry.handle);
        if (auto auth = m_core->findAuthInfo("", entry.account.user.toStdString(),
                                             entry.account.server.toStdString()))
            m_core->removeAuthInfo(auth);
    }
    entry.handle.reset();
}

void LinphoneStack::onRegistrationState(const std::shared_ptr<linphone::Account>& account,
                                        int state, const QString& message)
{
    const auto owner = m_byHandle.constFind(account.get());
    if (owner == m_byHandle.cend())
        return;
    const auto it = m_entries.find(*owner);
    if (it == m_entries.end() || it->handle != account)
        return;
    {
        if (static_cast<linphone::RegistrationState>(state) ==
            linphone::RegistrationState::Progress)
            m_registering.insert(it.key());
        else
            m_registering.remove(it.key());
        switch (static_cast<linphone::RegistrationState>(state)) {
        case linphone::RegistrationState::Ok:
            it->state.registration = SipRegistration::Ok;
            it->state.text = QCoreApplication::translate("telvora::SipProvider", "Registered");
            break;
        case linphone::RegistrationState::Progress:
            it->state.registration = SipRegistration::InProgress;
            break;
        case linphone::RegistrationState::Failed: {
            it->state.registration = SipRegistration::Failed;
            const auto info = account->getErrorInfo();
            const int code = info ? info->getProtocolCode() : 0;
            const linphone::Reason reason = account->getError();
            if (code == 401 || code == 403 || code == 407 ||
                reason == linphone::Reason::Unauthorized || reason == linphone::Reason::Forbidden)
                it->state.text = QCoreApplication::translate(
                    "telvora::SipProvider", "Registration refused: wrong user name or password");
            else if (code != 0)
                it->state.text = QCoreApplication::translate("telvora::SipProvider",
                                                             "Registration failed: %1 %2")
                                     .arg(code)
                                     .arg(QString::fromStdString(info->getPhrase()));
            else
                it->state.text =
                    QCoreApplication::translate("telvora::SipProvider", "Registration failed: %1")
                        .arg(message.isEmpty()
                                 ? QCoreApplication::translate("telvora::SipProvider",
                                                               "no answer from the server")
                                 : message);
            break;
        }
        case linphone::RegistrationState::None:
        case linphone::RegistrationState::Cleared:
            it->state.registration = SipRegistration::None;
            break;
        }
        m_host.registrationChanged(it.key());
    }
}

qint32 LinphoneStack::placeCall(quint64 id, const SipAccount& account, const QString& number)
{
    if (!m_core)
        return LINEERR_RESOURCEUNAVAIL;

    CallEntry& entry = m_calls[id];
    entry.accountId = account.id;
    keepAwake();
    // A SIP line has no dial tone to go off hook to: without a number there is no call.
    const auto address = sipDialAddress(number, account);
    if (!address) {
        entry.ended = true;
        events().callPlaced(id, LINEERR_INVALADDRESS);
        return 0;
    }
    AccountEntry& accountEntry = m_entries[account.id];
    if (accountEntry.state.beyondLimit) {
        // Dialled for the first time: it joins the stack, and stays in it.
        m_dialled.insert(account.id);
        accountEntry.state.beyondLimit = false;
        addToCore(accountEntry);
    }
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
        events().callPlaced(id, LINEERR_OPERATIONFAILED);
        return 0;
    }
    entry.call = call;
    events().callPlaced(id, 0);
    events().callStateChanged(id, LINECALLSTATE_DIALING, 0);

    entry.timer = new QTimer(this);
    entry.timer->setSingleShot(true);
    connect(entry.timer, &QTimer::timeout, this, [this, id] { noResponse(id); });
    entry.timer->start(account.responseTimeoutSecs * 1000);
    return 0;
}

quint64 LinphoneStack::findCall(const linphone::Call* call) const
{
    for (auto it = m_calls.cbegin(); it != m_calls.cend(); ++it) {
        if (it->call.get() == call)
            return it.key();
    }
    return 0;
}

void LinphoneStack::onCallState(const std::shared_ptr<linphone::Call>& call, int rawState)
{
    quint64 id = findCall(call.get());
    if (id == 0 && m_placing != 0) {
        id = m_placing;
        m_calls[id].call = call;
    }
    // A call that came in is followed as such to its end, and once answered and adopted
    // (adoptIncoming) as a placed call besides.
    if (id == 0 || call == m_incoming) {
        onIncomingState(call, rawState);
        if (id == 0)
            return;
    }
    CallEntry& entry = m_calls[id];
    const auto state = static_cast<linphone::Call::State>(rawState);
    switch (state) {
    case linphone::Call::State::OutgoingRinging:
    case linphone::Call::State::OutgoingEarlyMedia:
        entry.heardFromFarEnd = true;
        entry.rang = true;
        if (!entry.dropping && m_placing == 0)
            events().callStateChanged(id, LINECALLSTATE_RINGBACK, 0);
        break;
    case linphone::Call::State::OutgoingProgress:
        if (!entry.dropping && m_placing == 0)
            events().callStateChanged(id, LINECALLSTATE_PROCEEDING, 0);
        break;
    case linphone::Call::State::Connected:
        entry.heardFromFarEnd = true;
        entry.connected = true;
        if (!entry.dropping)
            events().callStateChanged(id, LINECALLSTATE_CONNECTED, 0);
        break;
    case linphone::Call::State::StreamsRunning:
        entry.streamsRunning = true;
        // Tones typed before the media ran go now, from the event loop.
        if (!entry.tones.isEmpty())
            QTimer::singleShot(0, this, [this, id] { nextTone(id); });
        break;
    case linphone::Call::State::Error:
    case linphone::Call::State::End:
    case linphone::Call::State::Released: {
        if (entry.ended)
            break;
        entry.heardFromFarEnd = true;
        endCall(id, entry,
                disconnectModeFor(*call, entry.connected, state == linphone::Call::State::Error,
                                  entry.rang));
        break;
    }
    default:
        break;
    }
}

void LinphoneStack::onIncomingState(const std::shared_ptr<linphone::Call>& call, int rawState)
{
    const auto state = static_cast<linphone::Call::State>(rawState);
    if (state == linphone::Call::State::IncomingReceived) {
        ++m_arrivals;
        keepAwake();
        // One offer at a time, and none while we call out: a flood of calls gets busy.
        // Turned away from the event loop, outside the stack's report.
        if (m_incoming || !m_calls.isEmpty()) {
            // Between two turns of the stack, or from the event loop when the call came in
            // outside one; at once, since the stack keeps only so many calls.
            m_turnedAway.push_back(call);
            QTimer::singleShot(0, this, &LinphoneStack::turnAway);
            return;
        }
        m_incoming = call;
        m_incomingConnected = false;
        const auto remote = call->getRemoteAddress();
        m_host.incomingCall(remote ? QString::fromStdString(remote->getDisplayName()) : QString(),
                            remote ? QString::fromStdString(remote->getUsername()) : QString());
        return;
    }
    if (call != m_incoming)
        return;
    switch (state) {
    case linphone::Call::State::Connected:
        if (!m_incomingConnected) {
            m_incomingConnected = true;
            m_host.incomingConnected();
        }
        break;
    case linphone::Call::State::Error:
    case linphone::Call::State::End:
    case linphone::Call::State::Released:
        m_incoming.reset();
        m_incomingConnected = false;
        keepAwake();
        m_host.incomingEnded();
        break;
    default:
        break;
    }
}

bool LinphoneStack::answerIncoming()
{
    if (!m_incoming || m_incomingConnected || !m_core)
        return false;
    auto params = m_core->createCallParams(m_incoming);
    if (params)
        params->enableVideo(false);
    keepAwake();
    return (params ? m_incoming->acceptWithParams(params) : m_incoming->accept()) == 0;
}

void LinphoneStack::declineIncoming(bool busy)
{
    if (!m_incoming)
        return;
    keepAwake();
    if (m_incomingConnected)
        m_incoming->terminate();
    else
        m_incoming->decline(busy ? linphone::Reason::Busy : linphone::Reason::Declined);
}

QString LinphoneStack::incomingAccount() const
{
    if (!m_incoming)
        return {};
    // The call names the account it is for by its user, as the account registered it.
    const auto to = m_incoming->getToAddress();
    const QString user = to ? QString::fromStdString(to->getUsername()) : QString();
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->handle && it->account.user == user)
            return it.key();
    }
    return {};
}

bool LinphoneStack::adoptIncoming(quint64 id, const QString& lineKey)
{
    if (!m_incoming || !m_incomingConnected || m_calls.contains(id) || findCall(m_incoming.get()))
        return false;
    CallEntry& entry = m_calls[id];
    entry.call = m_incoming;
    entry.accountId = lineKey;
    entry.heardFromFarEnd = true;
    entry.rang = true;
    entry.connected = true;
    entry.streamsRunning = m_incoming->getState() == linphone::Call::State::StreamsRunning;
    keepAwake();
    return true;
}

void LinphoneStack::endCall(quint64 id, CallEntry& entry, quint32 disconnectMode)
{
    entry.ended = true;
    if (entry.timer)
        entry.timer->stop();
    if (entry.dropping) {
        events().callDropped(id, 0);
        return;
    }
    if (disconnectMode == LINEDISCONNECTMODE_BUSY)
        events().callStateChanged(id, LINECALLSTATE_BUSY, 0);
    events().callStateChanged(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
}

void LinphoneStack::noResponse(quint64 id)
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

void LinphoneStack::dropCall(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || !found->call) {
        events().callDropped(id, 0);
        return;
    }
    found->dropping = true;
    keepAwake();
    // A far side that never answers the end of the call must not hold the drop for ever.
    if (found->timer)
        found->timer->start(5000);
    if (found->call->terminate() != 0) {
        found->ended = true;
        events().callDropped(id, 0);
    }
}

bool LinphoneStack::sendTones(quint64 id, const QString& tones)
{
    const auto found = m_calls.constFind(id);
    if (found == m_calls.cend() || !found->connected || found->ended || found->dropping ||
        !found->call || !m_core)
        return false;
    m_calls[id].tones += tones;
    nextTone(id);
    return true;
}

void LinphoneStack::nextTone(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end() || found->ended || found->dropping || !found->call)
        return;
    CallEntry& entry = *found;
    if (entry.tones.isEmpty() || !entry.streamsRunning || entry.tonePending)
        return;
    const qint64 wait =
        entry.lastTone.isValid() ? kToneGapMs - entry.lastTone.elapsed() : qint64(0);
    if (wait > 0) {
        entry.tonePending = true;
        QTimer::singleShot(int(wait), this, [this, id] {
            if (const auto call = m_calls.find(id); call != m_calls.end()) {
                call->tonePending = false;
                nextTone(id);
            }
        });
        return;
    }
    const QString tone = entry.tones.left(1);
    entry.tones.remove(0, 1);
    entry.lastTone.start();
    sendDtmf(*entry.call, entry.accountId, tone);
    nextTone(id);
}

void LinphoneStack::sendDtmf(linphone::Call& call, const QString& accountId, const QString& tones)
{
    // How tones travel is the stack's setting, not the call's: it is set for the account of
    // this call each time, since calls on other accounts may want the other way.
    const auto account = m_entries.constFind(accountId);
    const bool info = account != m_entries.cend() && account->account.tonesAsInfo;
    m_core->setUseInfoForDtmf(info);
    m_core->setUseRfc2833ForDtmf(!info);
    const std::string digits = tones.toStdString();
    if (digits.size() == 1)
        call.sendDtmf(digits[0]);
    else
        call.sendDtmfs(digits);
    keepAwake();
}

bool LinphoneStack::setMuted(quint64 id, bool muted)
{
    const auto found = m_calls.constFind(id);
    if (found == m_calls.cend() || !found->connected || found->ended || !found->call)
        return false;
    found->call->setMicrophoneMuted(muted);
    return true;
}

void LinphoneStack::forget(quint64 id)
{
    const auto found = m_calls.find(id);
    if (found == m_calls.end())
        return;
    if (found->timer) {
        found->timer->stop();
        found->timer->deleteLater();
    }
    m_calls.erase(found);
    // The end of a call still has messages to finish.
    keepAwake();
}

void LinphoneStack::releaseCall(quint64 id)
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

LineProviderEvents& LinphoneStack::events() const
{
    return *m_host.callEvents();
}

QString LinphoneStack::addressFor(const QString& number, const SipAccount& account) const
{
    return sipAddressFor(number, account);
}

QString LinphoneStack::addressPattern(const SipAccount& account) const
{
    return sipAddressPattern(account);
}

} // namespace telvora

extern "C" Q_DECL_EXPORT telvora::SipStack* telvora_make_sip_stack(telvora::SipStackHost* host)
{
    return host ? new telvora::LinphoneStack(*host) : nullptr;
}
