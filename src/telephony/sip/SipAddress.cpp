#include "telephony/sip/SipAddress.h"

namespace telvora {

namespace {

bool isDialSeparator(QChar c)
{
    static const QString separators = QStringLiteral("-.()[]{}");
    return c.isSpace() || separators.contains(c);
}

} // namespace

QString sipAddressFor(const QString& number, const SipAccount& account)
{
    const QString text = number.trimmed();
    if (text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive))
        return text;
    if (text.contains(QLatin1Char('@')))
        return QLatin1String("sip:") + text;

    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (!isDialSeparator(c))
            digits.append(c);
    }
    if (digits.isEmpty() || account.server.isEmpty())
        return {};
    QString address = QLatin1String("sip:") + digits + QLatin1Char('@') + account.server;
    if (account.transport == SipAccount::Transport::Tcp)
        address += QLatin1String(";transport=tcp");
    else if (account.transport == SipAccount::Transport::Tls)
        address += QLatin1String(";transport=tls");
    return address;
}

} // namespace telvora
