#include "telephony/sip/stack/LinphoneAddress.h"

#include "telephony/sip/SipAddress.h"

#include <algorithm>
#include <linphone++/linphone.hh>

namespace telvora {

namespace {

bool isDialSeparator(QChar c)
{
    static const QString separators = QStringLiteral("-.()[]{}");
    return c.isSpace() || separators.contains(c);
}

QString withoutSeparators(const QString& text)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (!isDialSeparator(c))
            digits.append(c);
    }
    return digits;
}

std::shared_ptr<linphone::Address> parse(const QString& text)
{
    // The program writes no log, and the library's own would go to standard error, even
    // for parsing an address before any stack exists.
    static const bool quiet = [] {
        linphone::LoggingService::get()->setLogLevelMask(
            static_cast<unsigned int>(linphone::LogLevel::Fatal));
        return true;
    }();
    Q_UNUSED(quiet);
    return linphone::Factory::get()->createAddress(text.toStdString());
}

// A user part (a number or a name) at the account's server.
std::shared_ptr<linphone::Address> atServer(const QString& user, const SipAccount& account)
{
    auto address = sipHostAddress(account.server, account.transport);
    if (!address || user.isEmpty() || address->setUsername(user.toStdString()) != 0)
        return nullptr;
    return address;
}

} // namespace

std::shared_ptr<linphone::Address> sipHostAddress(const QString& hostPort,
                                                  SipAccount::Transport transport)
{
    if (!isHostPort(hostPort))
        return nullptr;
    auto address = parse(QLatin1String("sip:") + hostPort);
    if (!address || address->getDomain().empty())
        return nullptr;
    const QString back = QString::fromStdString(address->asStringUriOnly());
    if (back.compare(QLatin1String("sip:") + hostPort, Qt::CaseInsensitive) != 0)
        return nullptr;
    if (transport == SipAccount::Transport::Tcp)
        address->setTransport(linphone::TransportType::Tcp);
    else if (transport == SipAccount::Transport::Tls)
        address->setTransport(linphone::TransportType::Tls);
    return address;
}

std::shared_ptr<linphone::Address> sipIdentityAddress(const SipAccount& account)
{
    if (account.problem())
        return nullptr;
    auto address = sipHostAddress(account.server, SipAccount::Transport::Udp);
    if (!address)
        return nullptr;
    if (!account.user.isEmpty() && address->setUsername(account.user.toStdString()) != 0)
        return nullptr;
    if (!account.displayName.isEmpty() &&
        address->setDisplayName(account.displayName.toStdString()) != 0)
        return nullptr;
    return address;
}

std::shared_ptr<linphone::Address> sipDialAddress(const QString& number, const SipAccount& account)
{
    const QString text = number.trimmed();
    if (text.isEmpty() || hasControlCharacter(text))
        return nullptr;
    if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        // A telephone number: its digits go to the account's server as a number. Its
        // parameters (an extension, a context) belong to the number and stay with it.
        const QString rest = text.mid(4);
        const qsizetype semicolon = rest.indexOf(QLatin1Char(';'));
        const QString digits = withoutSeparators(rest.left(semicolon));
        if (digits.isEmpty())
            return nullptr;
        const QString params = semicolon < 0 ? QString() : rest.mid(semicolon);
        auto address = atServer(digits + params, account);
        if (address)
            address->setUriParam("user", "phone");
        return address;
    }
    if (text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive)) {
        // Anything that would end the address or add headers to the request is refused
        // rather than cut off: the call must go where the text says, or nowhere.
        static const QString refused = QStringLiteral("<>\"\\?");
        if (std::any_of(text.cbegin(), text.cend(),
                        [](QChar c) { return c.isSpace() || refused.contains(c); }))
            return nullptr;
        auto address = parse(text);
        if (!address || !address->isSip() || address->getDomain().empty())
            return nullptr;
        return address;
    }
    if (const qsizetype at = text.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString user = text.left(at);
        auto address = sipHostAddress(text.mid(at + 1), SipAccount::Transport::Udp);
        if (!address || user.isEmpty() || address->setUsername(user.toStdString()) != 0)
            return nullptr;
        return address;
    }
    return atServer(withoutSeparators(text), account);
}

QString sipAddressFor(const QString& number, const SipAccount& account)
{
    const auto address = sipDialAddress(number, account);
    return address ? QString::fromStdString(address->asStringUriOnly()) : QString();
}

QString sipAddressPattern(const SipAccount& account)
{
    // The placeholder goes through the stack like any user part, so what is shown is what
    // a number gets; only its escaped form is put back for reading.
    const QString placeholder = QStringLiteral("<number>");
    const auto address = atServer(placeholder, account);
    if (!address)
        return {};
    QString text = QString::fromStdString(address->asStringUriOnly());
    return text.replace(QStringLiteral("%3cnumber%3e"), placeholder, Qt::CaseInsensitive);
}

} // namespace telvora
