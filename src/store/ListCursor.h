#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace telvora {

class PhoneBook;

// One list item as the window shows it: the row's text and the id it carries.
struct ListRow
{
    qint64 id = 0;
    QString text;
    friend bool operator==(const ListRow&, const ListRow&) = default;
};
using ListRows = QList<ListRow>;

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

    // Up to count further rows; fewer only at the end of the list.
    ListRows next(int count);
    // All rows not read yet.
    ListRows rest();
    bool atEnd() const { return m_atEnd; }

private:
    friend class PhoneBook;

    const PhoneBook* m_book = nullptr;
    QString m_table;
    QString m_filter;
    QVariantList m_values;
    bool m_atEnd = true;
    bool m_started = false;
    // The last row given: its sort key (null while the rows without one are read) and
    // its row number.
    QVariant m_lastKey;
    qint64 m_lastRow = 0;
};

} // namespace telvora
