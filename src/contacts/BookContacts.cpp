#include "contacts/BookContacts.h"

#include "store/PhoneBook.h"

namespace telvora {

BookContacts::BookContacts(PhoneBook& book) : m_book(book)
{
    for (const NumberKind kind : kNumberKinds)
        m_kindTexts << schema::kindText(kind);
}

void BookContacts::findColumns()
{
    // The book may be opened, or given card columns, after this was made. The file may spell
    // a column in other letter case.
    const QStringList columns = m_book.nameColumns();
    if (columns == m_columns && !m_cardIndexes.isEmpty())
        return;
    m_columns = columns;
    m_cardIndexes.clear();
    for (int c = 0; c < int(CardColumn::Id); ++c) {
        const QString name = schema::columnName(CardColumn(c));
        qsizetype index = -1;
        for (qsizetype i = 0; i < columns.size() && index < 0; ++i)
            if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
                index = i;
        m_cardIndexes << index;
    }
}

std::optional<Contact> BookContacts::contact(qint64 nameId, qint64* parent)
{
    const std::optional<QVariantList> row = m_book.nameRow(nameId);
    if (!row)
        return std::nullopt;
    findColumns();
    Contact contact;
    contact.name = row->value(1).toString();
    if (parent)
        *parent = row->value(2).toLongLong();
    const qint64 group = row->value(3).toLongLong();
    if (group > 0) {
        if (!m_groupNames.contains(group))
            m_groupNames.insert(group, m_book.groupName(group).value_or(QString()));
        if (!m_groupNames.value(group).isEmpty())
            contact.groups << m_groupNames.value(group);
    }
    for (int c = 0; c < int(CardColumn::Id); ++c) {
        const qsizetype index = m_cardIndexes[c];
        if (index >= 0 && !row->value(index).toString().isEmpty())
            contact.card.insert(CardColumn(c), row->value(index).toString());
    }
    // One read for all of a name's numbers, put in the card's order of kinds.
    const QList<std::pair<QString, ListRow>> numbers = m_book.numbersOf(nameId);
    for (const NumberKind kind : kNumberKinds)
        for (const auto& [type, number] : numbers)
            if (type == m_kindTexts[int(kind)])
                contact.numbers << ContactNumber{kind, number.text};
    return contact;
}

} // namespace telvora
