// Any number a user may have stored, turned into the SIP address it is dialled at.
#include "FuzzInput.h"
#include "telephony/sip/stack/LinphoneAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto [number, server] = fuzzTexts(data, size);
    telvora::SipAccount account;
    account.server = server.isEmpty() ? QStringLiteral("sip.example.org") : server;
    account.user = QStringLiteral("me");
    const QString address = telvora::sipAddressFor(number, account);
    // A plain number never keeps the characters that are taken out of it.
    const QString text = number.trimmed();
    if (!address.isEmpty() && !text.contains(QLatin1Char('@')) &&
        !text.startsWith(QLatin1String("sip"), Qt::CaseInsensitive)) {
        const QString user = address.section(QLatin1Char('@'), 0, 0);
        for (const QChar c : {QLatin1Char(' '), QLatin1Char('-'), QLatin1Char('.'),
                              QLatin1Char('('), QLatin1Char(')')})
            FUZZ_ASSERT(!user.contains(c));
    }
    return 0;
}
