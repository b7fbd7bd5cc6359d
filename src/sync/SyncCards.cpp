#include "sync/SyncCards.h"

#include "contacts/VCardReader.h"
#include "contacts/VCardWriter.h"
#include "store/PhoneBook.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QSqlQuery>
#include <algorithm>

namespace telvora {

namespace {

qsizetype columnIndex(const QStringList& columns, const QString& name)
{
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void sortNumbers(QList<ContactNumber>& numbers)
{
    std::stable_sort(numbers.begin(), numbers.end(), [](const auto& a, const auto& b) {
        return std::pair(int(a.kind), a.number) < std::pair(int(b.kind), b.number);
    });
}

// Properties the phone book files somewhere (or that frame the card): the card made of the
// name says everything they can say. Any other property belongs to another program.
bool isOurs(const QByteArray& head)
{
    const qsizetype semicolon = head.indexOf(';');
    QByteArray name = (semicolon < 0 ? head : head.left(semicolon)).trimmed().toUpper();
    if (const qsizetype dot = name.indexOf('.'); dot >= 0)
        name = name.mid(dot + 1); // a property group ("item1.TEL")
    static const QList<QByteArray> ours{"BEGIN",
                                        "END",
                                        "VERSION",
                                        "FN",
                                        "N",
                                        "UID",
                                        "X-TELVORA-PARENT",
                                        "ORG",
                                        "TITLE",
                                        "ADR",
                                        "TEL",
                                        "EMAIL",
                                        "URL",
                                        "GENDER",
                                        "NOTE",
                                        "X-GENDER",
                                        "CATEGORIES",
                                        "X-TELVORA-EXTENSION",
                                        "X-TELVORA-CALLBACK"};
    if (name == "RELATED")
        return head.toLower().contains("x-telvora-parent");
    return ours.contains(name);
}

} // namespace

std::optional<Contact> SyncCards::contact(qint64 nameId, const UidOf& uidOf)
{
    qint64 parent = 0;
    std::optional<Contact> contact = m_contacts.contact(nameId, &parent);
    if (!contact)
        return std::nullopt;
    contact->uid = uidOf(nameId);
    if (isRowId(parent))
        contact->parentUid = uidOf(parent);
    return contact;
}

QByteArray SyncCards::card(Contact contact, bool vcard3)
{
    sortNumbers(contact.numbers);
    contact.groups = contact.groups.mid(0, 1);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    VCardWriter(buffer, vcard3 ? VCardWriter::Version::V3 : VCardWriter::Version::V4)
        .write(contact);
    return buffer.data();
}

QByteArray SyncCards::hash(const QByteArray& card)
{
    return QCryptographicHash::hash(card, QCryptographicHash::Sha256);
}

QByteArray SyncCards::merged(const Contact& contact, const QByteArray& serverCard)
{
    // The server card's logical lines, each kept with its folds as the server wrote it.
    QByteArray kept;
    bool keeping = false;
    bool vcard3 = false;
    for (QByteArray line : serverCard.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(' ') || line.startsWith('\t')) {
            if (keeping)
                kept += line + "\r\n";
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        const QByteArray head = colon < 0 ? line : line.left(colon);
        if (head.trimmed().toUpper() == "VERSION")
            vcard3 = !line.mid(colon + 1).trimmed().startsWith("4");
        keeping = colon > 0 && !isOurs(head);
        if (keeping)
            kept += line + "\r\n";
    }
    QByteArray ours = card(contact, vcard3);
    if (!kept.isEmpty())
        ours.insert(ours.lastIndexOf("END:VCARD"), kept);
    return ours;
}

std::optional<Contact> SyncCards::read(const QByteArray& card, QString* why)
{
    QBuffer buffer;
    buffer.setData(card);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(buffer);
    Contact contact, second;
    if (!reader.next(contact)) {
        *why = reader.failed() ? reader.errorText() : tr("the card is empty");
        return std::nullopt;
    }
    if (reader.next(second) || reader.failed()) {
        *why = reader.failed() ? reader.errorText() : tr("it holds more than one card");
        return std::nullopt;
    }
    // Servers that rewrite cards escape the semicolon before a gender's free text; the
    // text is the same.
    if (contact.card.value(CardColumn::Gender).startsWith(QLatin1Char(';')))
        contact.card[CardColumn::Gender].remove(0, 1);
    if (contact.name.trimmed().isEmpty()) {
        *why = tr("the card has no name");
        return std::nullopt;
    }
    return contact;
}

bool SyncCards::fail()
{
    m_error = m_book.errorText();
    return false;
}

qint64 SyncCards::add(const Contact& contact)
{
    const qint64 group = m_groups.id(contact.groups.value(0));
    if (group < 0 || (group == 0 && !contact.groups.isEmpty()))
        return fail(), 0;
    const qint64 id = m_book.addName(contact.name, 0, group);
    if (id <= 0)
        return fail(), 0;
    return update(id, contact) ? id : 0;
}

bool SyncCards::update(qint64 nameId, const Contact& contact)
{
    const std::optional<Contact> now = this->contact(nameId, [](qint64) { return QString(); });
    if (!now)
        return fail();
    if (now->name != contact.name && m_book.renameName(nameId, contact.name) < 0)
        return fail();
    QList<std::pair<QString, QString>> columns;
    const QStringList fileColumns = m_book.nameColumns();
    for (int c = 0; c < int(CardColumn::Id); ++c) {
        const CardColumn column = CardColumn(c);
        const qsizetype index = columnIndex(fileColumns, schema::columnName(column));
        if (index >= 0 && now->card.value(column) != contact.card.value(column))
            columns.append({fileColumns[index], contact.card.value(column)});
    }
    if (!columns.isEmpty() && !m_book.updateNameColumns(nameId, columns))
        return fail();
    if (now->groups.value(0) != contact.groups.value(0)) {
        const qint64 group = m_groups.id(contact.groups.value(0));
        if (group < 0 || m_book.moveNameToGroup(nameId, group) < 0)
            return fail();
    }
    QList<ContactNumber> had = now->numbers, wanted = contact.numbers;
    sortNumbers(had);
    sortNumbers(wanted);
    if (had != wanted) {
        for (const NumberKind kind : kNumberKinds)
            for (const ListRow& number : m_book.numbers(nameId, schema::kindText(kind)))
                if (isRowId(number.id) && m_book.deleteNumber(number.id) < 0)
                    return fail();
        for (const ContactNumber& number : contact.numbers)
            if (m_book.addNumber(number.number, nameId, schema::kindText(number.kind)) <= 0)
                return fail();
    }
    return true;
}

bool SyncCards::setParent(qint64 nameId, qint64 parentId)
{
    const std::optional<QVariantList> row = m_book.nameRow(nameId);
    if (!row)
        return fail();
    const qint64 current = row->value(2).toLongLong();
    if (parentId == current)
        return true;
    if (isRowId(parentId)) {
        // A parent that is the name or below it would cut a branch off every list.
        if (m_book.isSelfOrBelow(nameId, parentId))
            return true;
        return m_book.makeSubName(nameId, parentId) >= 0 || fail();
    }
    return m_book.moveNameToGroup(nameId, std::max<qint64>(0, row->value(3).toLongLong())) >= 0 ||
           fail();
}

bool SyncCards::remove(qint64 nameId)
{
    for (const ListRow& child : m_book.subNames(nameId))
        if (isRowId(child.id) && !setParent(child.id, 0))
            return false;
    return m_book.deleteNameTree(nameId) >= 0 || fail();
}

QList<qint64> SyncCards::nameIds()
{
    QList<qint64> ids;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT id FROM names WHERE typeof(id) = 'integer' AND id > 0")))
        while (query.next())
            ids << query.value(0).toLongLong();
    return ids;
}

} // namespace telvora
