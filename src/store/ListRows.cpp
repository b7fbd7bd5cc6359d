#include "store/ListRows.h"

#include <algorithm>
#include <cstring>

namespace telvora {

ListRows::ListRows(std::initializer_list<ListRow> rows)
{
    reserve(qsizetype(rows.size()));
    for (const ListRow& row : rows)
        append(row);
}

qsizetype ListRows::indexOf(const ListRow& row) const
{
    const QByteArray text = row.text.toUtf8();
    for (qsizetype i = 0; i < size(); ++i)
        if (id(i) == row.id && utf8(i) == text)
            return i;
    return -1;
}

void ListRows::append(qint64 id, QByteArrayView utf8)
{
    m_ids.append(id);
    // Copied in place: QByteArray::append goes through insert, whose care for text inside
    // itself cost a list of a million rows more than the copies.
    const qsizetype at = m_text.size();
    if (!utf8.isEmpty()) {
        m_text.resize(at + utf8.size());
        std::memcpy(m_text.data() + at, utf8.data(), std::size_t(utf8.size()));
    }
    m_ends.append(m_text.size());
}

ListRows& ListRows::operator+=(const ListRows& more)
{
    if (isEmpty())
        return *this = more;
    // Rows joined to themselves: appending to our own lists would move what is being read.
    if (&more == this)
        return *this += ListRows(more);
    const qsizetype offset = m_text.size();
    m_ids += more.m_ids;
    m_text += more.m_text;
    // Grown as append grows it: reserving the exact size each time made a list joined a page
    // at a time (a search's every row) copy all it held for every page.
    for (const qsizetype end : more.m_ends)
        m_ends.append(offset + end);
    return *this;
}

void ListRows::reserve(qsizetype rows, qsizetype textBytes)
{
    m_ids.reserve(rows);
    m_ends.reserve(rows);
    m_text.reserve(textBytes);
}

void ListRows::clear()
{
    m_ids.clear();
    m_ends.clear();
    m_text.clear();
}

void ListRows::removeAt(qsizetype i)
{
    *this = mid(0, i) += mid(i + 1);
}

void ListRows::setText(qsizetype i, const QString& text)
{
    ListRows changed = mid(0, i);
    changed.append(id(i), text.toUtf8());
    *this = changed += mid(i + 1);
}

ListRows ListRows::mid(qsizetype pos, qsizetype length) const
{
    // As QList::mid: a start before the first row shortens the stretch.
    ListRows part;
    const qsizetype last = length < 0 ? size() : std::clamp<qsizetype>(pos + length, 0, size());
    pos = std::clamp<qsizetype>(pos, 0, size());
    part.reserve(last - pos);
    for (qsizetype i = pos; i < last; ++i)
        part.append(id(i), utf8(i));
    return part;
}

ListRows ListRows::reversed() const
{
    ListRows turned;
    turned.reserve(size(), m_text.size());
    for (qsizetype i = size() - 1; i >= 0; --i)
        turned.append(id(i), utf8(i));
    return turned;
}

} // namespace telvora
