#pragma once

#include "contacts/Contact.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <optional>

namespace telvora {

class PhoneBook;

// A name of the phone book as a contact: its list name, group, card columns and numbers, as
// an export writes them and a sync compares them. What every name needs (where the file keeps
// each card column, the groups' names) is found once and kept between names.
class BookContacts
{
public:
    explicit BookContacts(PhoneBook& book);

    // Nothing when the book has no such name. The name it is filed under goes into parent.
    std::optional<Contact> contact(qint64 nameId, qint64* parent = nullptr);
    // The groups' names are read again: they may have been renamed since.
    void forgetGroups() { m_groupNames.clear(); }

private:
    void findColumns();

    PhoneBook& m_book;
    QStringList m_columns;
    // For each card column, its place in the file's names rows, or -1.
    QList<qsizetype> m_cardIndexes;
    QStringList m_kindTexts;
    QHash<qint64, QString> m_groupNames;
};

} // namespace telvora
