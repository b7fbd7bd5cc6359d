#pragma once

#include <QHash>
#include <QString>

namespace telvora {

class PhoneBook;

// The groups that names arriving from elsewhere (an import, a sync) are filed under, found by
// name and made when missing. Only a group the book can file names under is found: one that
// another program numbered 0 or less holds no names, so a group of that name is made instead.
class GroupIds
{
public:
    explicit GroupIds(PhoneBook& book) : m_book(book) {}

    // 0 for no group; else the group's id, or 0 or less when it could not be made (the book's
    // error text says why).
    qint64 id(const QString& name);
    // Groups are looked up anew: another program may have renamed or deleted them.
    void forget() { m_ids.clear(); }

private:
    PhoneBook& m_book;
    QHash<QString, qint64> m_ids;
};

} // namespace telvora
