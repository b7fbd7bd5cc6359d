#include "store/ListCursor.h"

#include "store/PhoneBook.h"

#include <algorithm>

namespace telvora {

ListCursor::ListCursor(const PhoneBook& book, const QString& table, const QString& filter,
                       const QVariantList& values)
    : m_book(&book), m_table(table), m_filter(filter), m_values(values), m_atEnd(false)
{}

ListCursor ListCursor::ordered(const PhoneBook& book, const QString& table, const QString& filter,
                               const QVariantList& values, QList<qint64> rows)
{
    ListCursor cursor(book, table, filter, values);
    cursor.m_ordered = std::move(rows);
    return cursor;
}

std::optional<qsizetype> ListCursor::orderedPlace(const ListMark& mark) const
{
    const QList<qint64>& rows = *m_ordered;
    bool numeric = false;
    const qsizetype place = mark.key.toLongLong(&numeric);
    if (numeric && place >= 0 && place < rows.size() && rows.at(place) == mark.row)
        return place;
    const qsizetype found = rows.indexOf(mark.row);
    return found >= 0 ? std::optional(found) : std::nullopt;
}

qsizetype ListCursor::orderedPlaceFrom(const ListMark& mark) const
{
    // The rows are in the book's order, so a few of their keys, read as the book has them
    // now, find the place: a row gone meanwhile is passed over.
    const ListCursor everyRow(*m_book, m_table, QStringLiteral("1"), {});
    const QByteArray key = mark.key.toByteArray();
    const auto before = [&](qint64 id) {
        const std::optional<ListMark> row = m_book->markOf(everyRow, id);
        if (!row)
            return true;
        if (!row->key.isValid())
            return mark.key.isValid() || row->row < mark.row;
        if (!mark.key.isValid())
            return false;
        const QByteArray rowKey = row->key.toByteArray();
        return rowKey < key || (rowKey == key && row->row < mark.row);
    };
    return std::partition_point(m_ordered->cbegin(), m_ordered->cend(), before) -
           m_ordered->cbegin();
}

ListPage ListCursor::orderedPage(qsizetype from, int count, bool forward) const
{
    ListPage page;
    const QList<qint64>& rows = *m_ordered;
    const qsizetype step = forward ? 1 : -1;
    qsizetype place = from;
    const auto inList = [&](qsizetype at) {
        return at >= 0 && at < rows.size();
    };
    // Asked a batch at a time, as one statement per row would cost more than the rows.
    while (inList(place) && page.rows.size() < count) {
        QList<qint64> batch;
        for (qsizetype at = place; inList(at) && batch.size() < PhoneBook::kListedRows; at += step)
            batch << rows.at(at);
        const ListRows found = m_book->readListed(*this, batch);
        QHash<qint64, qsizetype> where;
        where.reserve(found.size());
        for (qsizetype i = 0; i < found.size(); ++i)
            where.insert(found.id(i), i);
        for (const qint64 id : std::as_const(batch)) {
            const qsizetype at = place;
            place += step;
            const auto row = where.constFind(id);
            if (row == where.cend())
                continue;
            page.rows.append(id, found.utf8(*row));
            ListMark& edge = page.rows.size() == 1 ? page.first : page.last;
            edge = ListMark{qint64(at), id};
            if (page.rows.size() == 1)
                page.last = page.first;
            if (page.rows.size() == count)
                break;
        }
    }
    if (!forward) {
        page.rows = page.rows.reversed();
        std::swap(page.first, page.last);
    }
    return page;
}

qint64 ListCursor::orderedCount(qsizetype from, qsizetype to, qint64 limit) const
{
    qint64 counted = 0;
    to = std::min(to, m_ordered->size());
    for (qsizetype place = std::max<qsizetype>(from, 0); place < to && counted < limit;
         place += PhoneBook::kListedRows) {
        const QList<qint64> batch =
            m_ordered->mid(place, std::min<qsizetype>(PhoneBook::kListedRows, to - place));
        // The rows found are among the batch's, each once.
        counted += m_book->readListed(*this, batch).size();
    }
    return std::min(counted, limit);
}

void ListCursor::countWith(const QString& filter, const QVariantList& values)
{
    m_countFilter = filter;
    m_countValues = values;
}

ListRows ListCursor::next(int count)
{
    if (m_atEnd || !m_book || count <= 0)
        return {};
    if (isOrdered()) {
        ListPage page = pageAfter(m_last, count);
        if (page.rows.size() < count)
            m_atEnd = true;
        if (!page.rows.isEmpty())
            m_last = page.last;
        return std::move(page.rows);
    }
    if (!seekable()) {
        // No row numbers to resume after: the whole list, once.
        m_atEnd = true;
        return m_book->readWhole(*this);
    }
    // A page short of count rows ends the cursor, so its last mark is never asked for.
    ListPage page = m_book->readPage(*this, m_last, count, true, PhoneBook::EarlyEnd::Unmarked);
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
    if (m_book && isOrdered())
        return orderedCount(0, m_ordered->size(), m_ordered->size());
    return m_book ? m_book->countRows(*this) : 0;
}

std::optional<ListMark> ListCursor::markOf(qint64 id) const
{
    if (!seekable())
        return std::nullopt;
    if (isOrdered()) {
        const qsizetype place = m_ordered->indexOf(id);
        if (place < 0 || !m_book->readListed(*this, {id}).ids().contains(id))
            return std::nullopt;
        return ListMark{qint64(place), id};
    }
    return m_book->markOf(*this, id);
}

qint64 ListCursor::countBefore(const ListMark& mark) const
{
    if (seekable() && isOrdered()) {
        const std::optional<qsizetype> place = orderedPlace(mark);
        return place ? orderedCount(0, *place, *place) : 0;
    }
    return seekable() ? m_book->countBefore(*this, mark) : 0;
}

std::optional<qint64> ListCursor::countFrom(const ListMark& mark, qint64 limit) const
{
    if (!seekable() || !mark.key.isValid())
        return std::nullopt;
    if (isOrdered()) {
        const std::optional<qsizetype> place = orderedPlace(mark);
        if (!place)
            return std::nullopt;
        return orderedCount(*place, m_ordered->size(), limit);
    }
    return m_book->countFrom(*this, mark, limit);
}

bool ListCursor::findsText() const
{
    // A search's rows put in order are compared by their stored keys; a file without keys
    // has none to compare.
    return seekable() && (!isOrdered() || m_book->isKeyed(m_table));
}

std::optional<ListRow> ListCursor::firstBeginningWith(QStringView prefix) const
{
    if (!findsText() || prefix.isEmpty())
        return std::nullopt;
    const ListMark mark = m_book->prefixMark(m_table, prefix);
    const ListPage page = isOrdered() ? orderedPage(orderedPlaceFrom(mark), 1, true)
                                      : m_book->readPage(*this, mark, 1, true);
    if (page.rows.isEmpty() || !beginsWith(page.rows.at(0).text, prefix))
        return std::nullopt;
    return page.rows.at(0);
}

bool ListCursor::beginsWith(QStringView text, QStringView prefix) const
{
    return m_book && m_book->beginsWith(m_table, text, prefix);
}

ListPage ListCursor::pageAfter(const std::optional<ListMark>& after, int count) const
{
    if (!seekable() || count <= 0)
        return {};
    if (isOrdered()) {
        if (!after)
            return orderedPage(0, count, true);
        const std::optional<qsizetype> place = orderedPlace(*after);
        return place ? orderedPage(*place + 1, count, true) : ListPage();
    }
    return m_book->readPage(*this, after, count, true);
}

ListPage ListCursor::pageBefore(const std::optional<ListMark>& before, int count) const
{
    if (!seekable() || count <= 0)
        return {};
    if (isOrdered()) {
        if (!before)
            return orderedPage(m_ordered->size() - 1, count, false);
        const std::optional<qsizetype> place = orderedPlace(*before);
        return place ? orderedPage(*place - 1, count, false) : ListPage();
    }
    return m_book->readPage(*this, before, count, false);
}

std::optional<ListMark> ListCursor::markAfter(const std::optional<ListMark>& after,
                                              qint64 rows) const
{
    if (!seekable() || isOrdered())
        return std::nullopt;
    return m_book->markSkipping(*this, after, rows, true);
}

std::optional<ListMark> ListCursor::markBefore(const std::optional<ListMark>& before,
                                               qint64 rows) const
{
    if (!seekable() || isOrdered())
        return std::nullopt;
    return m_book->markSkipping(*this, before, rows, false);
}

ListRows ListCursor::rest()
{
    ListRows rows;
    while (!m_atEnd)
        rows += next(4096);
    return rows;
}

} // namespace telvora
