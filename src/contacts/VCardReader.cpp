#include "contacts/VCardReader.h"

#include "contacts/ContactMapping.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QStringDecoder>
#include <optional>

namespace telvora {

namespace {

// One content line taken apart: NAME;PARAM=a,b;BARE:value.
struct Property
{
    QString name;
    QStringList types;
    QByteArray encoding;
    QByteArray charset;
    QByteArray value;
};

// The position of the first `wanted` outside double quotes, or -1.
qsizetype unquotedIndex(const QByteArray& text, char wanted, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == wanted && !quoted)
            return i;
    }
    return -1;
}

QByteArray unquote(QByteArray value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

bool split(const QByteArray& line, Property& property)
{
    const qsizetype colon = unquotedIndex(line, ':');
    if (colon <= 0)
        return false;
    property.value = line.mid(colon + 1);
    const QByteArray head = line.left(colon);
    qsizetype start = 0;
    bool first = true;
    while (start <= head.size()) {
        qsizetype end = unquotedIndex(head, ';', start);
        if (end < 0)
            end = head.size();
        const QByteArray part = head.mid(start, end - start).trimmed();
        start = end + 1;
        if (first) {
            // "item1.TEL": the group prefix some programs put before a name says nothing here.
            property.name = QString::fromLatin1(part.mid(part.lastIndexOf('.') + 1)).toUpper();
            first = false;
            continue;
        }
        const qsizetype equals = part.indexOf('=');
        const QByteArray key = equals < 0 ? QByteArray() : part.left(equals).trimmed().toUpper();
        const QByteArray value = equals < 0 ? part : part.mid(equals + 1);
        if (key == "ENCODING" || (key.isEmpty() && (value.toUpper() == "QUOTED-PRINTABLE" ||
                                                    value.toUpper() == "BASE64"))) {
            property.encoding = unquote(value).toUpper();
        } else if (key == "CHARSET") {
            property.charset = unquote(value);
        } else if (key == "TYPE" || key.isEmpty()) {
            // 2.1 writes types bare (TEL;CELL;VOICE), later versions as lists (TYPE="cell,voice").
            for (const QByteArray& type : unquote(value).split(','))
                if (!type.trimmed().isEmpty())
                    property.types << QString::fromLatin1(unquote(type)).toLower();
        }
    }
    return !property.name.isEmpty();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Quoted-printable, as 2.1 writes it; soft line breaks were joined while unfolding.
QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The components of a value split at unescaped separators, each with its escapes undone.
QStringList components(const QString& value, QChar separator)
{
    QStringList parts{QString()};
    // Text between escapes and separators is taken a run at a time.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        const bool escape = c == QLatin1Char('\\') && i + 1 < value.size();
        if (!escape && (c != separator || separator.isNull()))
            continue;
        parts.last() += QStringView(value).sliced(runStart, i - runStart);
        if (escape) {
            const QChar next = value[++i];
            parts.last() +=
                (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QLatin1Char('\n') : next;
        } else {
            parts << QString();
        }
        runStart = i + 1;
    }
    parts.last() += QStringView(value).sliced(runStart);
    return parts;
}

QString text(const QString& value)
{
    if (!value.contains(QLatin1Char('\\')))
        return value;
    return components(value, QChar()).value(0);
}

// What one card gathers before it becomes a contact.
struct CardFields
{
    QStringList n;
    QString formattedName;
    bool formattedNameIsListName = false;
    QStringList categories;
    QStringList emails;
    QStringList notes;
};

// Addresses: work to the business address, home to the home one, one without a type to
// whichever is still free; the shared parts (PO box, region, code, country) from the first.
void addAddress(Contact& contact, const QStringList& types, const QString& value)
{
    const QStringList adr = components(value, QLatin1Char(';'));
    QStringList lines;
    for (const int index : {2, 3})
        if (!adr.value(index).trimmed().isEmpty())
            lines << adr.value(index).trimmed();
    CardColumn column = CardColumn::AddressBusiness;
    if (types.contains(QLatin1String("home")) ||
        (!types.contains(QLatin1String("work")) &&
         !contact.card.value(CardColumn::AddressBusiness).isEmpty()))
        column = CardColumn::AddressHome;
    ContactMapping::setIfEmpty(contact, column, lines.join(QLatin1Char('\n')));
    ContactMapping::setIfEmpty(contact, CardColumn::POBOX, adr.value(0).trimmed());
    ContactMapping::setIfEmpty(contact, CardColumn::State, adr.value(4).trimmed());
    ContactMapping::setIfEmpty(contact, CardColumn::ZipCode, adr.value(5).trimmed());
    ContactMapping::setIfEmpty(contact, CardColumn::Country, adr.value(6).trimmed());
}

void addProperty(Contact& contact, CardFields& fields, const Property& property,
                 const QString& value)
{
    const QString& name = property.name;
    if (name == QLatin1String("N")) {
        fields.n = components(value, QLatin1Char(';'));
    } else if (name == QLatin1String("FN")) {
        fields.formattedName = text(value);
        fields.formattedNameIsListName = property.types.contains(QLatin1String("x-telvora-name"));
    } else if (name == QLatin1String("TEL")) {
        QString number = text(value).trimmed();
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = number.mid(4);
        if (!number.isEmpty())
            contact.numbers << ContactNumber{ContactMapping::kindForTypes(property.types), number};
    } else if (name == QLatin1String("ORG")) {
        const QStringList org = components(value, QLatin1Char(';'));
        ContactMapping::setIfEmpty(contact, CardColumn::Company, org.value(0));
        ContactMapping::setIfEmpty(contact, CardColumn::Department,
                                   org.mid(1).join(QStringLiteral(", ")));
    } else if (name == QLatin1String("TITLE")) {
        ContactMapping::setIfEmpty(contact, CardColumn::JobTitle, text(value));
    } else if (name == QLatin1String("ADR")) {
        addAddress(contact, property.types, value);
    } else if (name == QLatin1String("EMAIL")) {
        fields.emails << text(value).trimmed();
    } else if (name == QLatin1String("URL")) {
        ContactMapping::setIfEmpty(contact, CardColumn::HomePage, text(value));
    } else if (name == QLatin1String("NOTE")) {
        fields.notes << text(value);
    } else if (name == QLatin1String("CATEGORIES")) {
        fields.categories << components(value, QLatin1Char(','));
    } else if (name == QLatin1String("GENDER") || name == QLatin1String("X-GENDER")) {
        const QStringList gender = components(value, QLatin1Char(';'));
        ContactMapping::setIfEmpty(contact, CardColumn::Gender,
                                   gender.size() > 1 && !gender[1].isEmpty() ? gender[1]
                                                                             : gender[0]);
    } else if (name == QLatin1String("UID")) {
        contact.uid = text(value).trimmed();
    } else if ((name == QLatin1String("RELATED") &&
                property.types.contains(QLatin1String("x-telvora-parent"))) ||
               name == QLatin1String("X-TELVORA-PARENT")) {
        contact.parentUid = text(value).trimmed();
    } else if (name == QLatin1String("X-TELVORA-EXTENSION")) {
        ContactMapping::setIfEmpty(contact, CardColumn::Extention, text(value));
    } else if (name == QLatin1String("X-TELVORA-CALLBACK")) {
        ContactMapping::setIfEmpty(contact, CardColumn::CallBack, text(value));
    }
}

void finish(Contact& contact, CardFields& fields)
{
    contact.name = ContactMapping::listName(fields.n, fields.formattedName);
    const QString full = fields.formattedNameIsListName   ? QString()
                         : fields.formattedName.isEmpty() ? ContactMapping::fullName(fields.n)
                                                          : fields.formattedName;
    ContactMapping::setIfEmpty(contact, CardColumn::FullName, full);
    if (!fields.notes.isEmpty())
        ContactMapping::appendNote(contact, fields.notes.join(QLatin1Char('\n')));
    fields.emails.removeAll(QString());
    if (!fields.emails.isEmpty()) {
        contact.card[CardColumn::Email] = fields.emails.takeFirst();
        for (const QString& email : std::as_const(fields.emails))
            ContactMapping::appendNote(contact, QStringLiteral("E-mail: ") + email);
    }
    ContactMapping::setCategories(contact, fields.categories);
    // A card with no name at all (a phone's bare number) lists by what it has.
    if (contact.name.isEmpty())
        contact.name = contact.card.value(CardColumn::Company);
    if (contact.name.isEmpty() && !contact.numbers.isEmpty())
        contact.name = contact.numbers.first().number;
    if (contact.name.isEmpty())
        contact.name = contact.card.value(CardColumn::Email);
}

// Pictures, sounds and keys: nothing in the phone book holds them, so however long they
// are they are skipped rather than refused.
bool skippedUnread(const QByteArray& line)
{
    const qsizetype end = std::min(line.size(), qsizetype(64));
    const QByteArray head = line.left(end).toUpper();
    for (const char* name : {"PHOTO", "LOGO", "SOUND", "KEY"})
        if (head.startsWith(name) || head.contains(QByteArray(QByteArray(".") + name)))
            return true;
    return false;
}

} // namespace

bool VCardReader::fail(qint64 line, const QString& why)
{
    m_error = m_cards > 0 ? tr("Card %1 (line %2): %3").arg(m_cards).arg(line).arg(why)
                          : tr("Line %1: %2").arg(line).arg(why);
    return false;
}

bool VCardReader::readPhysical(QByteArray& line, bool& tooLong)
{
    if (m_hasPending) {
        line = m_pending;
        tooLong = m_pendingTooLong;
        m_hasPending = false;
        ++m_lineNumber;
        return true;
    }
    if (m_in.atEnd())
        return false;
    tooLong = false;
    // Lines are read into one buffer kept for the whole file: QIODevice::readLine(maxSize)
    // would allocate (and the system map and unmap) the whole megabyte for every line.
    if (m_buffer.isEmpty())
        m_buffer.resize(kMaxLineBytes + 3);
    const auto readPiece = [this] {
        const qint64 read = m_in.readLine(m_buffer.data(), m_buffer.size());
        return read > 0 ? QByteArrayView(m_buffer.constData(), read) : QByteArrayView();
    };
    QByteArrayView piece = readPiece();
    line = piece.toByteArray();
    m_bytesRead += line.size();
    // The rest of an overlong line is read past in pieces, never held.
    while (!line.endsWith('\n') && !m_in.atEnd()) {
        tooLong = true;
        piece = readPiece();
        if (piece.isEmpty())
            break;
        m_bytesRead += piece.size();
        if (piece.endsWith('\n'))
            break;
    }
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    ++m_lineNumber;
    return true;
}

bool VCardReader::readLogical(Line& line)
{
    bool tooLong = false;
    do {
        if (!readPhysical(line.text, tooLong))
            return false;
    } while (line.text.trimmed().isEmpty() && !tooLong);
    line.number = m_lineNumber;
    line.tooLong = tooLong;
    const QByteArray head = line.text.left(
        unquotedIndex(line.text, ':') < 0 ? line.text.size() : unquotedIndex(line.text, ':'));
    const bool quotedPrintable = head.toUpper().contains("QUOTED-PRINTABLE");
    QByteArray next;
    while (m_bytesRead <= kMaxFileBytes && readPhysical(next, tooLong)) {
        const bool folded = !next.isEmpty() && (next[0] == ' ' || next[0] == '\t');
        // Quoted-printable breaks long values with "=" at the end of a line instead.
        const bool softBreak = quotedPrintable && line.text.endsWith('=');
        if (!folded && !softBreak) {
            m_pending = next;
            m_pendingTooLong = tooLong;
            m_hasPending = true;
            --m_lineNumber;
            break;
        }
        if (softBreak)
            line.text.chop(1);
        line.tooLong = line.tooLong || tooLong || line.text.size() + next.size() > kMaxLineBytes;
        if (!line.tooLong)
            line.text += softBreak ? next : next.mid(1);
    }
    return true;
}

bool VCardReader::next(Contact& contact)
{
    if (failed())
        return false;
    contact = Contact();
    CardFields fields;
    bool inCard = false;
    int lines = 0;
    Line line;
    while (readLogical(line)) {
        if (m_bytesRead > kMaxFileBytes)
            return fail(line.number, tr("the file is larger than %1 MB").arg(kMaxFileBytes >> 20));
        if (line.tooLong) {
            if (inCard && skippedUnread(line.text))
                continue;
            return fail(line.number, tr("the line is longer than %1 bytes").arg(kMaxLineBytes));
        }
        if (line.text.contains('\0'))
            return fail(line.number, tr("the line holds a NUL byte"));
        if (line.text.startsWith(' ') || line.text.startsWith('\t'))
            return fail(line.number, tr("the line is folded but continues no line"));
        Property property;
        if (!split(line.text, property))
            return fail(line.number, tr("this is not a vCard line"));
        const QByteArray upperValue = property.value.trimmed().toUpper();
        if (!inCard) {
            if (property.name != QLatin1String("BEGIN") || upperValue != "VCARD")
                return fail(line.number, tr("a card must start with BEGIN:VCARD"));
            inCard = true;
            ++m_cards;
            contact.line = line.number;
            continue;
        }
        if (property.name == QLatin1String("END") && upperValue == "VCARD") {
            finish(contact, fields);
            return true;
        }
        if (property.name == QLatin1String("BEGIN"))
            return fail(line.number, tr("a card starts inside another card"));
        if (++lines > kMaxLinesPerCard)
            return fail(line.number, tr("the card has more than %1 lines").arg(kMaxLinesPerCard));
        if (property.name == QLatin1String("VERSION")) {
            if (upperValue != "2.1" && upperValue != "3.0" && upperValue != "4.0")
                return fail(line.number, tr("vCard version %1 is not known")
                                             .arg(QString::fromLatin1(property.value.trimmed())));
            continue;
        }
        if (property.encoding == "B" || property.encoding == "BASE64")
            continue;
        QByteArray raw = property.value;
        if (property.encoding == "QUOTED-PRINTABLE" || property.encoding == "QP")
            raw = decodeQuotedPrintable(raw);
        if (raw.contains('\0'))
            return fail(line.number, tr("the line holds a NUL byte"));
        const QByteArray charset =
            property.charset.isEmpty() ? QByteArray("UTF-8") : property.charset;
        // Most text declares no charset: one decoder serves it all, as the reading stops at
        // the first error it finds.
        std::optional<QStringDecoder> declared;
        if (!property.charset.isEmpty())
            declared.emplace(charset.constData(), QStringDecoder::Flag::Stateless);
        QStringDecoder& decoder = declared ? *declared : m_utf8;
        if (!decoder.isValid())
            return fail(line.number,
                        tr("the character set %1 is not known").arg(QString::fromLatin1(charset)));
        const QString value = decoder.decode(raw);
        if (decoder.hasError())
            return fail(line.number,
                        tr("the text is not valid %1").arg(QString::fromLatin1(charset)));
        addProperty(contact, fields, property, value);
    }
    if (m_bytesRead > kMaxFileBytes)
        return fail(m_lineNumber, tr("the file is larger than %1 MB").arg(kMaxFileBytes >> 20));
    if (inCard)
        return fail(m_lineNumber, tr("the file ends inside the card (END:VCARD is missing)"));
    return false;
}

} // namespace telvora
