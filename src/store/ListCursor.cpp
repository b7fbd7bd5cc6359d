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
    if (!seekable()) {
        // No row numbers to resume after: the whole list, once.
        m_atEnd = true;
        return m_book->readWhole(*this);
    }
    ListPage page = m_book->readPage(*this, m_last, count, true);
    if (page.rows.size() < count)
        m_atEnd = true;
    if (!page.rows.isEmpty())
        m_last = page.last;
    return std::move(page.rows);
}

bool ListCursor::seekable() const
{
    return m_book && m_book->seekable(m_table);
}

qint64 ListCursor::count() const
{
    return m_book ? m_book->countRows(*this) : 0;
}

std::optional<ListMark> ListCursor::markOf(qint64 id) const
{
    if (!seekable())
        return std::nullopt;
    return m_book->markOf(*this, id);
}

qint64 ListCursor::countBefore(const ListMark& mark) const
{
    return seekable() ? m_book->countBefore(*this, mark) : 0;
}

std::optional<qint64> ListCursor::countFrom(const ListMark& mark, qint64 limit) const
{
    if (!seekable() || !mark.key.isValid())
        return std::nullopt;
    return m_book->countFrom(*this, mark, limit);
}

ListPage ListCursor::pageAfter(const std::optional<ListMark>& after, int count) const
{
    if (!seekable() || count <= 0)
        return {};
    return m_book->readPage(*this, after, count, true);
}

ListPage ListCursor::pageBefore(const std::optional<ListMark>& before, int count) const
{
    if (!seekable() || count <= 0)
        return {};
    return m_book->readPage(*this, before, count, false);
}

ListRows ListCursor::rest()
{
    ListRows rows;
    while (!m_atEnd)
        rows += next(4096);
    return rows;
}

} // namespace telvora
