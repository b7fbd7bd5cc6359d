// The book's reads: lists a page at a time, the counts and places that let a list seek, and
// the rows a click shows. They step SQLite's own statements, kept prepared.

#include "store/ListCursor.h"
#include "store/PhoneBook.h"
#include "store/PreparedReads.h"
#include "store/SqliteValues.h"
#include "store/Statements.h"

#include <algorithm>

namespace telvora {

using namespace sqlvalue;

namespace {

constexpr int kReservedRows = 256;

// Every row of a statement that gives a row's id and its text, in its order, with room
// made for as many as expected.
ListRows stepped(sqlite3_stmt* query, qsizetype expected = 0)
{
    ListRows rows;
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    if (expected > 0)
        rows.reserve(expected, expected * 16);
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append(idAt(query, 0), columnUtf8(query, 1));
    return rows;
}

} // namespace

ListRows PhoneBook::readWhole(const ListCursor& cursor) const
{
    return stepped(
        boundRead(statements::whole(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table)),
                  cursor.m_values));
}

ListRows PhoneBook::readListed(const ListCursor& cursor, const QList<qint64>& rows) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads || rows.isEmpty() || rows.size() > kListedRows)
        return {};
    // Always as many row numbers, the last repeated, so one prepared statement serves.
    QList<qint64> numbers = rows;
    numbers.resize(kListedRows, rows.constLast());
    return stepped(
        reads->bind(reads->listedText(cursor.m_table, cursor.m_filter), cursor.m_values, numbers),
        rows.size());
}

qint64 PhoneBook::countRows(const ListCursor& cursor) const
{
    const FirstRow row(
        boundRead(statements::count(cursor.m_table, cursor.countFilter()), cursor.countValues()));
    return row ? sqlite3_column_int64(row.get(), 0) : 0;
}

std::optional<ListMark> PhoneBook::markOf(const ListCursor& cursor, qint64 id) const
{
    if (!isRowId(id))
        return std::nullopt;
    const FirstRow row(
        boundRead(statements::mark(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table)),
                  cursor.m_values + QVariantList{id}));
    if (!row)
        return std::nullopt;
    return ListMark{sqlite3_column_type(row.get(), 0) == SQLITE_NULL ? QVariant()
                                                                     : columnValue(row.get(), 0),
                    sqlite3_column_int64(row.get(), 1)};
}

qint64 PhoneBook::countBefore(const ListCursor& cursor, const ListMark& mark) const
{
    const bool nullKey = !mark.key.isValid();
    const QVariantList& filterValues = cursor.countValues();
    const QVariantList values =
        nullKey ? filterValues + QVariantList{mark.row}
                : filterValues + filterValues + QVariantList{mark.key, mark.row};
    const FirstRow row(boundRead(statements::countBefore(cursor.m_table, cursor.countFilter(),
                                                         isKeyed(cursor.m_table), nullKey),
                                 values));
    return row ? sqlite3_column_int64(row.get(), 0) : 0;
}

std::optional<qint64> PhoneBook::countFrom(const ListCursor& cursor, const ListMark& mark,
                                           qint64 limit) const
{
    const FirstRow row(boundRead(
        statements::countFrom(cursor.m_table, cursor.countFilter(), isKeyed(cursor.m_table)),
        cursor.countValues() + QVariantList{mark.key, mark.row, limit}));
    if (!row)
        return std::nullopt;
    return sqlite3_column_int64(row.get(), 0);
}

std::optional<ListMark> PhoneBook::markSkipping(const ListCursor& cursor,
                                                const std::optional<ListMark>& from, qint64 rows,
                                                bool forward) const
{
    using statements::Page;
    // From a row without a key the rows skipped could run on into the keyed rows, which a
    // statement of their own reads: that rare list is walked instead. Backwards from a keyed
    // row the statement stops before the rows without a key, and finds nothing past them.
    if (rows < 1 || (from && !from->key.isValid()))
        return std::nullopt;
    const Page which =
        forward ? (from ? Page::AfterKey : Page::First) : (from ? Page::BeforeKey : Page::Last);
    QVariantList values = cursor.m_values;
    if (from)
        values << from->key << from->row;
    values << 1 << rows - 1;
    const FirstRow row(boundRead(
        statements::page(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table), which) +
            QStringLiteral(" OFFSET ?"),
        values));
    if (!row)
        return std::nullopt;
    return ListMark{sqlite3_column_type(row.get(), 2) == SQLITE_NULL ? QVariant()
                                                                     : columnValue(row.get(), 2),
                    sqlite3_column_int64(row.get(), 3)};
}

ListPage PhoneBook::readPage(const ListCursor& cursor, const std::optional<ListMark>& mark,
                             int count, bool forward, EarlyEnd earlyEnd) const
{
    using statements::Page;
    ListPage page;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads || count <= 0)
        return page;
    const bool keyed = isKeyed(cursor.m_table);
    const bool idIsRowNumber =
        seekable(cursor.m_table) && !m_numberedTables.contains(cursor.m_table);
    const auto markAt = [](sqlite3_stmt* query) {
        return ListMark{sqlite3_column_type(query, 2) == SQLITE_NULL ? QVariant()
                                                                     : columnValue(query, 2),
                        sqlite3_column_int64(query, 3)};
    };
    // Only the page's first and last rows' marks are kept, and a row is known to be the last
    // only when it fills the page: a page that ends sooner asks for its last row's mark once
    // read, rather than each row copying a sort key that the next row drops. Should that row
    // go meanwhile (another program deleting it), the rows are read again, each one's mark
    // kept.
    const auto step = [&](Page which, const QVariantList& at, int limit) {
        QVariantList values = cursor.m_values + at;
        values << limit;
        const QString& sql = reads->pageText(cursor.m_table, cursor.m_filter, keyed, which);
        const qsizetype before = page.rows.size();
        for (const bool everyMark : {false, true}) {
            sqlite3_stmt* query = reads->bind(sql, values);
            if (!query)
                return 0;
            const ResetWhenDone done{query};
            // Room for a screenful at most: a search reading 4,096 rows a statement mostly
            // finds far fewer, and a large block asked for and given back at every search
            // cost more than the rows; beyond it the rows grow as appending grows them.
            const qsizetype expected = before + std::min(limit, kReservedRows);
            page.rows.reserve(expected, expected * 16);
            int read = 0;
            qint64 lastRow = 0;
            bool lastMarked = false;
            while (sqlite3_step(query) == SQLITE_ROW) {
                // Each column asked of SQLite takes the connection's lock; an id that is the
                // row number is an integer, and the row number itself.
                const qint64 rowId = idIsRowNumber ? sqlite3_column_int64(query, 0) : 0;
                page.rows.append(idIsRowNumber ? (isRowId(rowId) ? rowId : kUnusableId)
                                               : idAt(query, 0),
                                 columnUtf8(query, 1));
                ++read;
                const bool firstOfPage = page.rows.size() == 1;
                lastMarked = everyMark || read == limit;
                if (firstOfPage)
                    page.first = markAt(query);
                if (lastMarked)
                    page.last = markAt(query);
                else
                    lastRow = idIsRowNumber ? rowId : sqlite3_column_int64(query, 3);
                if (firstOfPage)
                    page.last = page.first;
            }
            // Nothing read, or a last row already marked (that of the page's first row too),
            // or a mark nobody will use.
            if (read == 0 || lastMarked || page.rows.size() == 1 || earlyEnd == EarlyEnd::Unmarked)
                return read;
            // The statement has ended, so the mark asked for is from a later look at the file.
            if (const std::optional<ListMark> last = markOf(cursor, lastRow);
                last && last->row == lastRow) {
                page.last = *last;
                return read;
            }
            page.rows = page.rows.mid(0, before);
        }
        return 0;
    };

    if (forward) {
        if (!mark) {
            step(Page::First, {}, count);
        } else if (!mark->key.isValid()) {
            // The rows without a key come first; then those with one, from the lowest key.
            const int read = step(Page::AfterNullKey, {mark->row}, count);
            if (read < count)
                step(Page::FirstKeyed, {}, count - read);
        } else {
            step(Page::AfterKey, {mark->key, mark->row}, count);
        }
        return page;
    }

    // Backwards the rows come last row first: keyed rows from the highest key, then the rows
    // without one.
    if (!mark)
        step(Page::Last, {}, count);
    else if (!mark->key.isValid())
        step(Page::BeforeNullKey, {mark->row}, count);
    else if (const int read = step(Page::BeforeKey, {mark->key, mark->row}, count); read < count)
        step(Page::LastNullKey, {}, count - read);
    page.rows = page.rows.reversed();
    std::swap(page.first, page.last);
    return page;
}

ListCursor PhoneBook::namesCursor(const QString& filter, const QVariantList& values) const
{
    return ListCursor(*this, QStringLiteral("names"), filter, values);
}

ListCursor PhoneBook::listCursor(const QString& table, const char* filter,
                                 const QVariantList& values) const
{
    // The window's own lists are counted from the same index they are read from.
    ListCursor cursor(*this, table, QLatin1String(filter), values);
    cursor.m_cheapCount = true;
    return cursor;
}

ListCursor PhoneBook::groupsCursor() const
{
    // A group without a name is left out of the list, as it has no text to show.
    return listCursor(QStringLiteral("groups"), statements::groupsFilter, {});
}

ListCursor PhoneBook::topLevelNamesCursor() const
{
    return listCursor(QStringLiteral("names"), statements::topLevelFilter, {});
}

ListCursor PhoneBook::topLevelNamesInGroupCursor(qint64 groupId) const
{
    // A group whose id is unusable has no names that can be told apart as its own.
    if (groupId < 0)
        return {};
    return listCursor(QStringLiteral("names"), statements::inGroupFilter, {groupId});
}

ListCursor PhoneBook::subNamesCursor(qint64 parentId) const
{
    // 0 would list every top-level name as a sub-name.
    if (!isRowId(parentId))
        return {};
    return listCursor(QStringLiteral("names"), statements::subNamesFilter, {parentId});
}

ListRows PhoneBook::groups() const
{
    return groupsCursor().rest();
}

ListRows PhoneBook::topLevelNames() const
{
    return topLevelNamesCursor().rest();
}

ListRows PhoneBook::topLevelNamesWithoutGroup() const
{
    return topLevelNamesInGroup(0);
}

ListRows PhoneBook::topLevelNamesInGroup(qint64 groupId) const
{
    return topLevelNamesInGroupCursor(groupId).rest();
}

ListRows PhoneBook::subNames(qint64 parentId) const
{
    return subNamesCursor(parentId).rest();
}

ListRows PhoneBook::numbers(qint64 ownerId, const QString& kind) const
{
    return stepped(isRowId(ownerId) ? boundRead(QLatin1String(statements::numbers), {kind, ownerId})
                                    : nullptr);
}

QList<std::pair<QString, ListRow>> PhoneBook::numbersOf(qint64 ownerId) const
{
    QList<std::pair<QString, ListRow>> rows;
    sqlite3_stmt* query =
        isRowId(ownerId) ? boundRead(QLatin1String(statements::numbersOf), {ownerId}) : nullptr;
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append({columnText(query, 2), ListRow{idAt(query, 0), columnText(query, 1)}});
    return rows;
}

QSet<qint64> PhoneBook::namesWithSubNames() const
{
    QSet<qint64> ids;
    sqlite3_stmt* query = boundRead(QLatin1String(statements::namesWithSubNames), {});
    if (!query)
        return ids;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        ids.insert(sqlite3_column_int64(query, 0));
    return ids;
}

std::optional<qint64> PhoneBook::groupOfName(qint64 nameId) const
{
    const FirstRow row(boundRead(QLatin1String(statements::groupOfName), {nameId}));
    if (!row)
        return std::nullopt;
    // No group is 0; a group that is no whole number stands for no group that can be found.
    if (sqlite3_column_type(row.get(), 0) == SQLITE_INTEGER)
        return sqlite3_column_int64(row.get(), 0);
    return kUnusableId;
}

std::optional<QString> PhoneBook::groupName(qint64 groupId) const
{
    const FirstRow row(isRowId(groupId) ? boundRead(QLatin1String(statements::groupName), {groupId})
                                        : nullptr);
    if (!row)
        return std::nullopt;
    return columnText(row.get(), 0);
}

std::optional<QVariantList> PhoneBook::nameRow(qint64 id) const
{
    const FirstRow row(isRowId(id) ? boundRead(m_nameRowStatement, {id}) : nullptr);
    if (!row)
        return std::nullopt;
    QVariantList values;
    const int count = sqlite3_column_count(row.get());
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values << columnValue(row.get(), i);
    return values;
}

} // namespace telvora
