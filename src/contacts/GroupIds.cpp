#include "contacts/GroupIds.h"

#include "store/PhoneBook.h"

namespace telvora {

qint64 GroupIds::id(const QString& name)
{
    if (name.isEmpty())
        return 0;
    // The first of the groups of one name, as the window lists them.
    if (m_ids.isEmpty())
        for (const ListRow& row : m_book.groups())
            if (isRowId(row.id) && !m_ids.contains(row.text))
                m_ids.insert(row.text, row.id);
    if (const auto found = m_ids.constFind(name); found != m_ids.cend())
        return *found;
    const qint64 id = m_book.addGroup(name);
    if (isRowId(id))
        m_ids.insert(name, id);
    return id;
}

} // namespace telvora
