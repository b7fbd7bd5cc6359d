#include "telephony/sip/SipAddress.h"

#include <algorithm>

namespace telvora {

namespace {

bool isAsciiHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

bool hasControlCharacter(const QString& text)
{
    // Unicode's line and paragraph separators end a line for some readers too.
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
}

bool isHostPort(const QString& text)
{
    // Only a host and a port may come in: the stack would take parameters, headers or a user
    // part from the text, or quietly drop what follows a character it does not expect.
    QStringView host(text);
    QStringView port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 2)
            return false;
        const QStringView rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return false;
        port = rest.isEmpty() ? QStringView() : rest.mid(1);
        if (!rest.isEmpty() && port.isEmpty())
            return false;
        host = host.mid(1, close - 1);
        const auto ipv6 = [](QChar c) {
            return isAsciiHexDigit(c.unicode()) || c == QLatin1Char(':') || c == QLatin1Char('.');
        };
        if (!std::all_of(host.cbegin(), host.cend(), ipv6))
            return false;
    } else {
        if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
            port = host.mid(colon + 1);
            host = host.left(colon);
            if (port.isEmpty())
                return false;
        }
        const auto name = [](QChar c) {
            return c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('-') ||
                                         c == QLatin1Char('.') || c == QLatin1Char('_'));
        };
        if (host.isEmpty() || !std::all_of(host.cbegin(), host.cend(), name))
            return false;
    }
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number < 1 || number > 65535 || port.startsWith(QLatin1Char('0')) ||
            port.startsWith(QLatin1Char('+')))
            return false;
    }
    return true;
}

} // namespace telvora
