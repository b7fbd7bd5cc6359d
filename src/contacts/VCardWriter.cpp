#include "contacts/VCardWriter.h"

#include "contacts/ContactMapping.h"

#include <QIODevice>

namespace telvora {

namespace {

QString escaped(const QString& text, bool escapeSemicolons = true)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') ||
            (escapeSemicolons && c == QLatin1Char(';')))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c != QLatin1Char('\r'))
            out += c;
    }
    return out;
}

QString structured(const QStringList& parts)
{
    QStringList out;
    for (const QString& part : parts)
        out << escaped(part);
    return out.join(QLatin1Char(';'));
}

} // namespace

void VCardWriter::line(const QByteArray& head, const QString& value)
{
    const QByteArray whole = head + ':' + value.toUtf8();
    // Folded at 75 bytes, never inside a UTF-8 sequence.
    qsizetype start = 0;
    qsizetype room = 75;
    while (whole.size() - start > room) {
        qsizetype end = start + room;
        while (end > start + 1 && (uchar(whole[end]) & 0xC0) == 0x80)
            --end;
        m_buffer += whole.mid(start, end - start);
        m_buffer += "\r\n ";
        start = end;
        room = 74;
    }
    m_buffer += whole.mid(start);
    m_buffer += "\r\n";
}

bool VCardWriter::write(const Contact& contact)
{
    const bool v4 = m_version == Version::V4;
    const auto column = [&](CardColumn c) {
        return contact.card.value(c);
    };
    m_buffer.clear();
    m_buffer += "BEGIN:VCARD\r\n";
    m_buffer += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    // The list name goes whole into N's family part, so it comes back as it was; FN says
    // when the card has no full name of its own.
    if (column(CardColumn::FullName).isEmpty())
        line("FN;TYPE=x-telvora-name", escaped(contact.name));
    else
        line("FN", escaped(column(CardColumn::FullName)));
    line("N", structured({contact.name, {}, {}, {}, {}}));
    if (!contact.uid.isEmpty())
        line("UID", escaped(contact.uid));
    if (!contact.parentUid.isEmpty())
        line(v4 ? "RELATED;TYPE=x-telvora-parent" : "X-TELVORA-PARENT", escaped(contact.parentUid));
    if (!contact.groups.isEmpty()) {
        QStringList groups;
        for (const QString& group : contact.groups)
            groups << escaped(group);
        line("CATEGORIES", groups.join(QLatin1Char(',')));
    }
    if (!column(CardColumn::Company).isEmpty() || !column(CardColumn::Department).isEmpty())
        line("ORG", structured({column(CardColumn::Company), column(CardColumn::Department)}));
    if (!column(CardColumn::JobTitle).isEmpty())
        line("TITLE", escaped(column(CardColumn::JobTitle)));
    const QString poBox = column(CardColumn::POBOX), state = column(CardColumn::State),
                  zip = column(CardColumn::ZipCode), country = column(CardColumn::Country);
    if (!column(CardColumn::AddressBusiness).isEmpty() || !poBox.isEmpty() || !state.isEmpty() ||
        !zip.isEmpty() || !country.isEmpty())
        line(v4 ? "ADR;TYPE=work" : "ADR;TYPE=WORK",
             structured({poBox, {}, column(CardColumn::AddressBusiness), {}, state, zip, country}));
    if (!column(CardColumn::AddressHome).isEmpty())
        line(v4 ? "ADR;TYPE=home" : "ADR;TYPE=HOME",
             structured({{}, {}, column(CardColumn::AddressHome), {}, {}, {}, {}}));
    for (const ContactNumber& number : contact.numbers) {
        const QByteArray type = ContactMapping::typeForKind(number.kind).toLatin1();
        line(v4 ? QByteArray("TEL;VALUE=text;TYPE=" + type)
                : QByteArray("TEL;TYPE=" + type.toUpper()),
             escaped(number.number));
    }
    if (!column(CardColumn::Email).isEmpty())
        line("EMAIL", escaped(column(CardColumn::Email)));
    if (!column(CardColumn::HomePage).isEmpty())
        line("URL", escaped(column(CardColumn::HomePage)));
    if (!column(CardColumn::Gender).isEmpty())
        line(v4 ? "GENDER" : "X-GENDER",
             v4 ? QStringLiteral(";") + escaped(column(CardColumn::Gender))
                : escaped(column(CardColumn::Gender)));
    if (!column(CardColumn::Extention).isEmpty())
        line("X-TELVORA-EXTENSION", escaped(column(CardColumn::Extention)));
    if (!column(CardColumn::CallBack).isEmpty())
        line("X-TELVORA-CALLBACK", escaped(column(CardColumn::CallBack)));
    if (!column(CardColumn::Notes).isEmpty())
        line("NOTE", escaped(column(CardColumn::Notes)));
    m_buffer += "END:VCARD\r\n";
    return m_out.write(m_buffer) == m_buffer.size();
}

} // namespace telvora
