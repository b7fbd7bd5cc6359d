#include "telephony/sip/SipAccount.h"

#include "telephony/sip/SipAddress.h"

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
        {Field::Id, id, "account's id"},
        {Field::DisplayName, displayName, "name"},
        {Field::Server, server, "server"},
        {Field::User, user, "user name"},
        {Field::Password, password, "password"},
        {Field::OutboundProxy, outboundProxy, "outbound proxy"},
    };
    for (const auto& f : fields) {
        if (hasControlCharacter(f.text))
            return Problem{f.field,
                           QStringLiteral("The %1 contains a line break or another control "
                                          "character, which a SIP account cannot hold.")
                               .arg(QLatin1String(f.name))};
    }
    // The user name is also sent as a quoted string in the digest answer.
    if (std::any_of(user.cbegin(), user.cend(), [](QChar c) {
            return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\\');
        }))
        return Problem{
            Field::User,
            QStringLiteral("The user name cannot contain blanks, quotes or backslashes.")};
    if (!server.isEmpty() && !isHostPort(server))
        return Problem{Field::Server,
                       QStringLiteral("The server must be a host name or address, with a port if "
                                      "needed (host or host:port).")};
    if (!outboundProxy.isEmpty() && !isHostPort(outboundProxy))
        return Problem{
            Field::OutboundProxy,
            QStringLiteral("The outbound proxy must be a host name or address, with a port "
                           "if needed (host or host:port).")};
    return std::nullopt;
}

} // namespace telvora
