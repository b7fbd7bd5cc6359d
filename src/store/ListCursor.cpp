#include "store/ListCursor.h"

#include "store/PhoneBook.h"

namespace telvora {

ListCursor::ListCursor(const PhoneBook& book, const QString& table, const QString& filter,
                       const QVariantList& values)
    : m_book(&book), m_table(table), m_filter(filter), m_values(values), m_atEnd(false)
{}

ListRows ListCursor::next(int count)
{
    if (m_atEnd || !m_book || count <= 0)
        return {};
    return m_book->readPage(*this, count);
}

ListRows ListCursor::rest()
{
    ListRows rows;
    while (!m_atEnd)
        rows += next(4096);
    return rows;
}

} // namespace telvora
