#include "telephony/sip/SipAccount.h"

#include "telephony/sip/SipAddress.h"

#include <QCoreApplication>
#include <algorithm>

namespace telvora {

std::optional<SipAccount::Problem> SipAccount::problem() const
{
    const struct
    {
        Field field;
        const QString& text;
        const char* name;
    } fields[] = {
        {Field::Id, id, QT_TRANSLATE_NOOP("telvora::SipAccount", "account's id")},
        {Field::DisplayName, displayName, QT_TRANSLATE_NOOP("telvora::SipAccount", "name")},
        {Field::Server, server, QT_TRANSLATE_NOOP("telvora::SipAccount", "server")},
        {Field::User, user, QT_TRANSLATE_NOOP("telvora::SipAccount", "user name")},
        {Field::Password, password, QT_TRANSLATE_NOOP("telvora::SipAccount", "password")},
        {Field::OutboundProxy, outboundProxy,
         QT_TRANSLATE_NOOP("telvora::SipAccount", "outbound proxy")},
    };
    for (const auto& f : fields) {
        if (hasControlCharacter(f.text))
            return Problem{
                f.field,
                QCoreApplication::translate("telvora::SipAccount",
                                            "The %1 contains a line break or another control "
                                            "character, which a SIP account cannot hold.")
                    .arg(QCoreApplication::translate("telvora::SipAccount", f.name))};
    }
    // The user name is also sent as a quoted string in the digest answer.
    if (std::any_of(user.cbegin(), user.cend(), [](QChar c) {
            return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\\');
        }))
        return Problem{Field::User,
                       QCoreApplication::translate(
                           "telvora::SipAccount",
                           "The user name cannot contain blanks, quotes or backslashes.")};
    if (!server.isEmpty() && !isHostPort(server))
        return Problem{
            Field::Server,
            QCoreApplication::translate("telvora::SipAccount",
                                        "The server must be a host name or address, with a port if "
                                        "needed (host or host:port).")};
    if (!outboundProxy.isEmpty() && !isHostPort(outboundProxy))
        return Problem{Field::OutboundProxy,
                       QCoreApplication::translate(
                           "telvora::SipAccount",
                           "The outbound proxy must be a host name or address, with a port "
                           "if needed (host or host:port).")};
    return std::nullopt;
}

} // namespace telvora
