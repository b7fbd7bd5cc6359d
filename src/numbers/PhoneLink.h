#pragma once

#include <QCoreApplication>
#include <QMetaType>
#include <QString>
#include <optional>

namespace telvora {

// A number or a SIP address handed to the program from outside: a tel:, callto:, sip: or
// sips: link, or a number as typed on the command line. Whatever it came from, it is
// reduced to one plain form here, and anything that is not plainly a number or an address
// is refused whole rather than trimmed into one: a link comes from a web page or a mail,
// and must never make the program dial something else than it shows.
class PhoneLink
{
    Q_DECLARE_TR_FUNCTIONS(telvora::PhoneLink)

public:
    enum class Kind
    {
        Number,
        SipAddress,
    };

    // Longer than any number or address a person calls; a longer text is refused unread.
    static constexpr qsizetype kMaxLength = 512;
    // The digits of a number: more than any plan numbers, with room for an extension.
    static constexpr qsizetype kMaxDigits = 40;

    // No number at all, as no text that parses gives; for passing links around by value.
    PhoneLink() = default;

    // Nothing, with one line saying why in *error, when the text is no link or number
    // that can be dialled.
    static std::optional<PhoneLink> parse(const QString& text, QString* error);

    Kind kind() const { return m_kind; }
    // A number as it is dialled: "+49301234" for a global number, else digits, * and #,
    // with no separators. A SIP address as written, its scheme in small letters.
    const QString& target() const { return m_target; }
    // For a SIP address that says its user part is a telephone number (";user=phone"):
    // that number, as target() gives numbers; else empty.
    const QString& number() const { return m_number; }

private:
    PhoneLink(Kind kind, QString target, QString number = {})
        : m_kind(kind), m_target(std::move(target)), m_number(std::move(number))
    {}

    static std::optional<PhoneLink> parseNumber(const QString& text, QString* error);
    static std::optional<PhoneLink> parseTel(const QString& rest, QString* error);
    static std::optional<PhoneLink> parseCallto(const QString& rest, QString* error);
    static std::optional<PhoneLink> parseSip(const QString& scheme, const QString& rest,
                                             QString* error);

    Kind m_kind = Kind::Number;
    QString m_target;
    QString m_number;
};

} // namespace telvora

Q_DECLARE_METATYPE(telvora::PhoneLink)
