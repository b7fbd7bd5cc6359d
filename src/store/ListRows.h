#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <initializer_list>
#include <iterator>

namespace telvora {

// One list item as the window shows it: the row's text and the id it carries.
struct ListRow
{
    qint64 id = 0;
    QString text;
    friend bool operator==(const ListRow&, const ListRow&) = default;
};

// The id a list item carries for a row whose id in the file is not a positive whole number
// (0, negative, a real, text or NULL). Such a row is listed, but no command may reach it by
// id: 0 is the parent of every top-level name, and the others match rows they are not.
inline constexpr qint64 kUnusableId = -1;
// Whether an id can stand for exactly one row of the file.
constexpr bool isRowId(qint64 id)
{
    return id > 0;
}

// Rows read from the book, in order. Their text stays UTF-8, as the file holds it, all in
// one buffer, and becomes a QString only when asked for: a list of a million rows shows a
// screenful, and one string made for each row would cost more than reading the rows.
// Items are ListRow values made on the way out, so a row is read, never changed in place.
class ListRows
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = ListRow;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = ListRow;

        const_iterator() = default;
        const_iterator(const ListRows* rows, qsizetype at) : m_rows(rows), m_at(at) {}
        // What -> reaches: the row made for it, alive to the end of the expression.
        struct Arrow
        {
            ListRow row;
            const ListRow* operator->() const { return &row; }
        };

        ListRow operator*() const { return m_rows->at(m_at); }
        Arrow operator->() const { return {m_rows->at(m_at)}; }
        ListRow operator[](qsizetype n) const { return m_rows->at(m_at + n); }
        const_iterator& operator++() { return ++m_at, *this; }
        const_iterator operator++(int) { return {m_rows, m_at++}; }
        const_iterator& operator--() { return --m_at, *this; }
        const_iterator operator--(int) { return {m_rows, m_at--}; }
        const_iterator& operator+=(qsizetype n) { return m_at += n, *this; }
        const_iterator& operator-=(qsizetype n) { return m_at -= n, *this; }
        friend const_iterator operator+(const_iterator it, qsizetype n) { return it += n; }
        friend const_iterator operator+(qsizetype n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, qsizetype n) { return it -= n; }
        friend qsizetype operator-(const const_iterator& a, const const_iterator& b)
        {
            return a.m_at - b.m_at;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b)
        {
            return a.m_at == b.m_at;
        }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b)
        {
            return a.m_at <=> b.m_at;
        }

    private:
        const ListRows* m_rows = nullptr;
        qsizetype m_at = 0;
    };
    using value_type = ListRow;
    using iterator = const_iterator;

    ListRows() = default;
    ListRows(std::initializer_list<ListRow> rows);

    qsizetype size() const { return m_ids.size(); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return m_ids.isEmpty(); }

    qint64 id(qsizetype i) const { return m_ids.at(i); }
    QString text(qsizetype i) const { return QString::fromUtf8(utf8(i)); }
    QByteArrayView utf8(qsizetype i) const
    {
        const qsizetype start = i == 0 ? 0 : m_ends.at(i - 1);
        return QByteArrayView(m_text.constData() + start, m_ends.at(i) - start);
    }
    ListRow at(qsizetype i) const { return {id(i), text(i)}; }
    ListRow operator[](qsizetype i) const { return at(i); }
    ListRow first() const { return at(0); }
    ListRow last() const { return at(size() - 1); }
    ListRow value(qsizetype i) const { return i >= 0 && i < size() ? at(i) : ListRow(); }
    bool contains(const ListRow& row) const { return indexOf(row) >= 0; }
    qsizetype indexOf(const ListRow& row) const;
    // The ids alone, in order.
    const QList<qint64>& ids() const { return m_ids; }

    void append(qint64 id, QByteArrayView utf8);
    void append(const ListRow& row) { append(row.id, row.text.toUtf8()); }
    ListRows& operator<<(const ListRow& row) { return append(row), *this; }
    ListRows& operator+=(const ListRows& more);
    ListRows& operator+=(const ListRow& row) { return *this << row; }
    friend ListRows operator+(ListRows a, const ListRows& b) { return a += b; }
    // Gives one row other text; the rows after it move in the buffer.
    void setText(qsizetype i, const QString& text);
    // Room for this many rows, with about this many bytes of text among them.
    void reserve(qsizetype rows, qsizetype textBytes = 0);
    void clear();
    void removeAt(qsizetype i);
    // The rows from pos on, length of them (all when negative).
    ListRows mid(qsizetype pos, qsizetype length = -1) const;
    // The same rows, last first.
    ListRows reversed() const;

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    friend bool operator==(const ListRows& a, const ListRows& b)
    {
        // Empty lists compare without their storage: Qt's comparison of two empty lists
        // hands memcmp a null pointer.
        if (a.size() != b.size())
            return false;
        if (a.isEmpty())
            return true;
        return a.m_ids == b.m_ids && a.m_ends == b.m_ends &&
               (a.m_text.isEmpty() ? b.m_text.isEmpty() : a.m_text == b.m_text);
    }

private:
    QList<qint64> m_ids;
    // Where each row's text ends in m_text.
    QList<qsizetype> m_ends;
    QByteArray m_text;
};

} // namespace telvora
