#pragma once

#include "store/ListRows.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace telvora {

class PhoneBook;

// A row's place in a list's order: its sort key (null for a row without one) and row number.
// A few bytes, so a list can remember where each of its pages starts and ends.
struct ListMark
{
    QVariant key;
    qint64 row = 0;
};

// Rows read together, with the places of the first and last of them.
struct ListPage
{
    ListRows rows;
    ListMark first;
    ListMark last;
};

// A list of the phone book read a page at a time, in the list's order. Each page starts
// after the last row of the one before (by its sort key and row number, never by a count
// of rows), so a page costs the same at the end of a million names as at the start, no
// read is left open between pages, and rows added or removed meanwhile move no other row
// into or out of the list.
class ListCursor
{
public:
    // A list with no rows.
    ListCursor() = default;
    // The rows of a table that the filter (an SQL condition with "?" for each value)
    // keeps; the book must outlive the cursor.
    ListCursor(const PhoneBook& book, const QString& table, const QString& filter,
               const QVariantList& values);
    // The rows among these row numbers that the filter keeps, in the numbers' order: for a
    // search that has already put in order the few rows it can find.
    static ListCursor ordered(const PhoneBook& book, const QString& table, const QString& filter,
                              const QVariantList& values, QList<qint64> rows);

    // Counts the list with another condition (its values bound in turn) that keeps the same
    // rows: for a search whose condition finds its first rows at once, row by row in the
    // list's order, but would look at every row of the book to count them.
    void countWith(const QString& filter, const QVariantList& values);

    // Up to count further rows; fewer only at the end of the list.
    ListRows next(int count);
    // All rows not read yet.
    ListRows rest();
    bool atEnd() const { return m_atEnd; }

    // Whether pages can be read again from a remembered place: false for a table without
    // row numbers, which is read whole.
    bool seekable() const;
    // Whether counting the rows costs no more than reading them from an index: true for
    // the window's own lists, false for a search, whose filter may have to look at every row.
    bool cheapCount() const { return m_cheapCount && seekable(); }
    // How many rows the list has now.
    qint64 count() const;
    // Where the row with this id stands in the list's order; nothing when the list has no
    // such row.
    std::optional<ListMark> markOf(qint64 id) const;
    // How many rows of the list come before the marked row.
    qint64 countBefore(const ListMark& mark) const;
    // How many come at or after it, counted up to limit; nothing for a row without a key.
    std::optional<qint64> countFrom(const ListMark& mark, qint64 limit) const;
    // Whether firstBeginningWith can look a text up: a list in the book's sort order, read
    // from it or put in it by a search.
    bool findsText() const;
    // The first row whose text begins with the prefix, letter case and accents aside, by
    // one seek (a search's rows put in order: a few rows' keys); nothing when no row does or
    // the list cannot look it up. The rows beginning alike follow it.
    std::optional<ListRow> firstBeginningWith(QStringView prefix) const;
    // Whether a row's text begins with the prefix, as firstBeginningWith compares them.
    bool beginsWith(QStringView text, QStringView prefix) const;
    // Up to count rows after the marked row (from the start without a mark), in the list's
    // order; they do not move the cursor.
    ListPage pageAfter(const std::optional<ListMark>& after, int count) const;
    // Up to count rows just before the marked row (the last rows without a mark), in the
    // list's order.
    ListPage pageBefore(const std::optional<ListMark>& before, int count) const;
    // The mark of the row that many rows after the marked one (the first row is one row from
    // the start without a mark), or before it (from the end), by one statement that skips
    // the rows between instead of reading them: nothing when the list cannot skip so (a
    // search's rows put in order, a row without a key) or has no such row.
    std::optional<ListMark> markAfter(const std::optional<ListMark>& after, qint64 rows) const;
    std::optional<ListMark> markBefore(const std::optional<ListMark>& before, qint64 rows) const;

private:
    friend class PhoneBook;

    bool isOrdered() const { return m_ordered.has_value(); }
    // Where a mark of an ordered list stands in it; nothing when its row is not there.
    std::optional<qsizetype> orderedPlace(const ListMark& mark) const;
    // The first place of an ordered list whose row sorts at or after the mark.
    qsizetype orderedPlaceFrom(const ListMark& mark) const;
    // The rows the filter keeps from a place of an ordered list on, up to count, one way.
    ListPage orderedPage(qsizetype from, int count, bool forward) const;
    // How many the filter keeps in a stretch of an ordered list, up to limit.
    qint64 orderedCount(qsizetype from, qsizetype to, qint64 limit) const;

    // The condition and values the list is counted by.
    const QString& countFilter() const
    {
        return m_countFilter.isEmpty() ? m_filter : m_countFilter;
    }
    const QVariantList& countValues() const
    {
        return m_countFilter.isEmpty() ? m_values : m_countValues;
    }

    const PhoneBook* m_book = nullptr;
    QString m_table;
    QString m_filter;
    QVariantList m_values;
    QString m_countFilter;
    QVariantList m_countValues;
    bool m_atEnd = true;
    bool m_cheapCount = false;
    // The last row given; none before the first page.
    std::optional<ListMark> m_last;
    // An ordered list's row numbers, in its order. Its marks carry the place in this list
    // as their key.
    std::optional<QList<qint64>> m_ordered;
};

} // namespace telvora
