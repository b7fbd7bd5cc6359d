#pragma once

#include <QString>

// The statements that fill the window's lists. They are kept together so that the
// tests can check each one is answered from an index, never by a scan of a table.
namespace telvora::statements {

// Identifiers come from our own fixed lists, but quoting them keeps reserved words such
// as "group" usable and makes an odd column name harmless.
inline QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Numbers come in the order they were added.
inline constexpr char numbers[] =
    "SELECT id, name FROM numbers WHERE type = ? AND parent = ? ORDER BY id";
inline constexpr char numbersOf[] =
    "SELECT id, name, type FROM numbers WHERE parent = ? ORDER BY type, id";
inline constexpr char namesWithSubNames[] =
    "SELECT DISTINCT parent FROM names WHERE parent > 0 AND typeof(parent) = 'integer'";
inline constexpr char groupOfName[] = "SELECT \"group\" FROM names WHERE id = ?";
inline constexpr char groupName[] = "SELECT name FROM groups WHERE id = ?";
inline constexpr char nameRow[] = "SELECT * FROM names WHERE id = ?";

// Which rows of the lists the window pages through: each filter's values come first.
inline constexpr char groupsFilter[] = "name IS NOT NULL";
inline constexpr char topLevelFilter[] = "parent = 0";
inline constexpr char inGroupFilter[] = "\"group\" = ? AND parent = 0";
inline constexpr char subNamesFilter[] = "parent = ?";

// The column a table's lists sort by, and how: the stored key, or the name with letter
// case aside in a file that has no keys.
inline QString sortColumn(bool keyed)
{
    return keyed ? QStringLiteral("sortkey") : QStringLiteral("name");
}
inline QString sortCollation(bool keyed)
{
    return keyed ? QString() : QStringLiteral(" COLLATE NOCASE");
}

enum class Page
{
    First,        // from the start: filter values, then the row limit
    AfterNullKey, // rows without a key after a row number: filter, row number, limit
    FirstKeyed,   // the first rows with a key: filter, limit
    AfterKey,     // after a key and row number: filter, key, row number, limit
    // The same backwards, last row first.
    Last,          // from the end: filter, limit
    BeforeKey,     // keyed rows before a key and row number: filter, key, row number, limit
    LastNullKey,   // the last rows without a key: filter, limit
    BeforeNullKey, // rows without a key before a row number: filter, row number, limit
};

// One page of a list: id, name, sort key and row number of each row.
inline QString page(const QString& table, const QString& filter, bool keyed, Page which)
{
    const QString key = sortColumn(keyed);
    const QString sorted = key + sortCollation(keyed);
    QString sql =
        QStringLiteral("SELECT id, name, %1, rowid FROM \"%2\" WHERE (%3)").arg(key, table, filter);
    switch (which) {
    case Page::First:
        return sql + QStringLiteral(" ORDER BY %1, rowid LIMIT ?").arg(sorted);
    case Page::AfterNullKey:
        return sql +
               QStringLiteral(" AND %1 IS NULL AND rowid > ? ORDER BY rowid LIMIT ?").arg(key);
    case Page::FirstKeyed:
        return sql +
               QStringLiteral(" AND %1 IS NOT NULL ORDER BY %2, rowid LIMIT ?").arg(key, sorted);
    case Page::AfterKey:
        return sql +
               QStringLiteral(" AND (%1, rowid) > (?, ?) ORDER BY %1, rowid LIMIT ?").arg(sorted);
    case Page::Last:
        return sql + QStringLiteral(" ORDER BY %1 DESC, rowid DESC LIMIT ?").arg(sorted);
    case Page::BeforeKey:
        return sql +
               QStringLiteral(" AND (%1, rowid) < (?, ?) ORDER BY %1 DESC, rowid DESC LIMIT ?")
                   .arg(sorted);
    case Page::LastNullKey:
        return sql + QStringLiteral(" AND %1 IS NULL ORDER BY rowid DESC LIMIT ?").arg(key);
    case Page::BeforeNullKey:
        return sql +
               QStringLiteral(" AND %1 IS NULL AND rowid < ? ORDER BY rowid DESC LIMIT ?").arg(key);
    }
    return sql;
}

// How many rows a list has: filter values only.
inline QString count(const QString& table, const QString& filter)
{
    return QStringLiteral("SELECT count(*) FROM \"%1\" WHERE (%2)").arg(table, filter);
}

// The sort key and row number of one row of a list: filter values, then the row number.
inline QString mark(const QString& table, const QString& filter, bool keyed)
{
    return QStringLiteral("SELECT %1, rowid FROM \"%2\" WHERE (%3) AND rowid = ?")
        .arg(sortColumn(keyed), table, filter);
}

// How many rows of a list come before a marked row, the rows without a key first: for a row
// without a key, the filter values and the row number; else the filter values twice, the key
// and the row number.
inline QString countBefore(const QString& table, const QString& filter, bool keyed, bool nullKey)
{
    const QString key = sortColumn(keyed);
    const QString unkeyed = QStringLiteral("SELECT count(*) FROM \"%1\" WHERE (%2) AND %3 IS NULL")
                                .arg(table, filter, key);
    if (nullKey)
        return unkeyed + QStringLiteral(" AND rowid < ?");
    return QStringLiteral(
               "SELECT (%1) + (SELECT count(*) FROM \"%2\" WHERE (%3) AND (%4, rowid) < (?, ?))")
        .arg(unkeyed, table, filter, key + sortCollation(keyed));
}

// How many rows of a list come at or after a keyed row, counted up to a limit: filter values,
// the key, the row number and the limit.
inline QString countFrom(const QString& table, const QString& filter, bool keyed)
{
    return QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM \"%1\" WHERE (%2) AND (%3, rowid)"
                          " >= (?, ?) LIMIT ?)")
        .arg(table, filter, sortColumn(keyed) + sortCollation(keyed));
}

// The rows of a list among some row numbers that the filter keeps: filter values, then as
// many row numbers as asked for.
inline QString listed(const QString& table, const QString& filter, int rows)
{
    QString marks = QStringLiteral("?");
    for (int i = 1; i < rows; ++i)
        marks += QStringLiteral(", ?");
    return QStringLiteral("SELECT id, name FROM \"%1\" WHERE (%2) AND rowid IN (%3)")
        .arg(table, filter, marks);
}

// A whole list at once, for a table without row numbers.
inline QString whole(const QString& table, const QString& filter, bool keyed)
{
    return QStringLiteral("SELECT id, name FROM \"%1\" WHERE (%2) ORDER BY %3%4, id")
        .arg(table, filter, sortColumn(keyed), sortCollation(keyed));
}

} // namespace telvora::statements
