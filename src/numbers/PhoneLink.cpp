#include "numbers/PhoneLink.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace telvora {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiAlnum(QChar c)
{
    return c.unicode() < 128 && c.isLetterOrNumber();
}

bool isHex(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Blanks, dashes, dots and brackets only make a number easier to read.
bool isVisualSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char('(') || c == QLatin1Char(')');
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
}

// Every character is one of these, or a %XX escape.
bool onlyOf(QStringView text, QLatin1StringView allowed)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('%')) {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))
                return false;
            i += 2;
            continue;
        }
        if (!isAsciiAlnum(c) && !allowed.contains(c))
            return false;
    }
    return true;
}

// RFC 3966's and RFC 3261's parameter characters, beside letters and digits.
constexpr QLatin1StringView kParamChars("-_.!~*'()[]/:&+$");
// The user part of a SIP address: its unreserved characters and user-unreserved ones.
constexpr QLatin1StringView kUserChars("-_.!~*'()&=+$,;/");

// ";name=value;name" as the parameters of a link: each named, none empty.
bool validParameters(QStringView params)
{
    if (params.isEmpty())
        return true;
    for (QStringView param : params.split(QLatin1Char(';'))) {
        const qsizetype equals = param.indexOf(QLatin1Char('='));
        const QStringView name = equals < 0 ? param : param.left(equals);
        const QStringView value = equals < 0 ? QStringView() : param.mid(equals + 1);
        if (name.isEmpty() || !onlyOf(name, QLatin1StringView("-_.!~*'+")))
            return false;
        if (equals >= 0 && (value.isEmpty() || !onlyOf(value, kParamChars)))
            return false;
    }
    return true;
}

} // namespace

std::optional<PhoneLink> PhoneLink::parse(const QString& input, QString* error)
{
    if (input.size() > kMaxLength) {
        *error = tr("the link is longer than %1 characters").arg(kMaxLength);
        return std::nullopt;
    }
    if (hasControlCharacter(input)) {
        *error = tr("the link holds a control character");
        return std::nullopt;
    }
    const QString text = input.trimmed();
    if (text.isEmpty()) {
        *error = tr("no number was given");
        return std::nullopt;
    }
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch scheme = schemePattern.match(text);
    if (!scheme.hasMatch())
        return parseNumber(text, error);
    const QString name = scheme.captured(1).toLower();
    const QString rest = text.mid(scheme.capturedLength());
    if (name == QLatin1String("tel"))
        return parseTel(rest, error);
    if (name == QLatin1String("callto"))
        return parseCallto(rest, error);
    if (name == QLatin1String("sip") || name == QLatin1String("sips"))
        return parseSip(name, rest, error);
    *error = tr("%1: links cannot be dialled (only tel:, callto:, sip: and sips:)").arg(name);
    return std::nullopt;
}

std::optional<PhoneLink> PhoneLink::parseNumber(const QString& text, QString* error)
{
    QString number;
    qsizetype digits = 0;
    bool global = false;
    bool valid = true;
    for (QChar c : text) {
        if (isAsciiDigit(c)) {
            number += c;
            ++digits;
        } else if (c == QLatin1Char('+') && number.isEmpty()) {
            number += c;
            global = true;
        } else if ((c == QLatin1Char('*') || c == QLatin1Char('#')) && !global) {
            // Service codes and extensions belong to numbers of the local plan.
            number += c;
        } else if (!isVisualSeparator(c)) {
            valid = false;
            break;
        }
    }
    if (!valid || digits == 0) {
        *error = tr("\"%1\" is not a telephone number").arg(text);
        return std::nullopt;
    }
    if (digits > kMaxDigits) {
        *error = tr("the number has more than %1 digits").arg(kMaxDigits);
        return std::nullopt;
    }
    return PhoneLink(Kind::Number, number);
}

namespace {

// %XX escapes as the UTF-8 bytes they stand for; nothing when an escape is broken or the
// bytes are no UTF-8.
std::optional<QString> percentDecoded(QStringView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('%')) {
            bytes += c.toLatin1();
            if (c.unicode() >= 128)
                return std::nullopt;
            continue;
        }
        if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))
            return std::nullopt;
        bytes += char(text.mid(i + 1, 2).toUInt(nullptr, 16));
        i += 2;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError() || hasControlCharacter(decoded))
        return std::nullopt;
    return decoded;
}

} // namespace

std::optional<PhoneLink> PhoneLink::parseTel(const QString& rest, QString* error)
{
    // Some pages write tel:// as if it named a host; the number follows all the same.
    const QStringView link = QStringView(rest).startsWith(QLatin1String("//"))
                                 ? QStringView(rest).mid(2)
                                 : QStringView(rest);
    const qsizetype semicolon = link.indexOf(QLatin1Char(';'));
    // The parameters (a phone-context, an extension) say where a number belongs; the
    // number is dialled as it stands, but they must at least be parameters.
    if (semicolon >= 0 && !validParameters(link.mid(semicolon + 1))) {
        *error = tr("\"tel:%1\" is not a telephone link").arg(rest);
        return std::nullopt;
    }
    const auto number = percentDecoded(link.left(semicolon));
    if (!number) {
        *error = tr("\"tel:%1\" is not a telephone link").arg(rest);
        return std::nullopt;
    }
    return parseNumber(*number, error);
}

std::optional<PhoneLink> PhoneLink::parseCallto(const QString& rest, QString* error)
{
    QStringView link(rest);
    if (link.startsWith(QLatin1String("//")))
        link = link.mid(2);
    if (link.endsWith(QLatin1Char('/')))
        link.chop(1);
    const auto number = percentDecoded(link);
    if (!number) {
        *error = tr("\"callto:%1\" is not a telephone link").arg(rest);
        return std::nullopt;
    }
    return parseNumber(*number, error);
}

std::optional<PhoneLink> PhoneLink::parseSip(const QString& scheme, const QString& rest,
                                             QString* error)
{
    const auto refuse = [&] {
        *error = tr("\"%1:%2\" is not a SIP address").arg(scheme, rest);
        return std::nullopt;
    };
    // Headers (?...) would add to the request, and a password has no place in a link.
    const qsizetype at = rest.indexOf(QLatin1Char('@'));
    if (at != rest.lastIndexOf(QLatin1Char('@')) || rest.contains(QLatin1Char('?')))
        return refuse();
    const QStringView user = at < 0 ? QStringView() : QStringView(rest).left(at);
    if (at >= 0 && (user.isEmpty() || !onlyOf(user, kUserChars)))
        return refuse();
    const QStringView hostAndParams = QStringView(rest).mid(at + 1);
    const qsizetype semicolon = hostAndParams.indexOf(QLatin1Char(';'));
    const QStringView hostPort = hostAndParams.left(semicolon);
    const QStringView params = semicolon < 0 ? QStringView() : hostAndParams.mid(semicolon + 1);
    static const QRegularExpression hostPattern(
        QStringLiteral("^(?:[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?|\\[[0-9A-Fa-f:.]+\\])"
                       "(?::([1-9][0-9]{0,4}))?$"));
    const QRegularExpressionMatch host = hostPattern.match(hostPort);
    if (!host.hasMatch() || host.captured(1).toInt() > 65535 || !validParameters(params))
        return refuse();

    QString number;
    const QList<QStringView> names = params.split(QLatin1Char(';'));
    const bool userIsPhone = std::any_of(names.cbegin(), names.cend(), [](QStringView param) {
        return param.compare(QLatin1String("user=phone"), Qt::CaseInsensitive) == 0;
    });
    if (userIsPhone) {
        // The user part of a telephone number may carry its own parameters (an extension).
        const QStringView digits = user.left(user.indexOf(QLatin1Char(';')));
        QString ignored;
        if (const auto decoded = percentDecoded(digits)) {
            if (const auto phone = parseNumber(*decoded, &ignored))
                number = phone->target();
        }
    }
    return PhoneLink(Kind::SipAddress, scheme + QLatin1Char(':') + rest, number);
}

} // namespace telvora
