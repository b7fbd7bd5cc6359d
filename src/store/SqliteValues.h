#pragma once

#include "store/ListRows.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

// Values bound to and read from SQLite's own statements as Qt's driver would bind and give
// them, for the book's reads that step SQLite directly.
namespace telvora::sqlvalue {

inline void bindValue(sqlite3_stmt* statement, int position, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, position, value.toLongLong());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(statement, position, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, position, bytes.constData(), int(bytes.size()),
                          SQLITE_TRANSIENT);
        return;
    }
    default:
        break;
    }
    // As Qt's driver binds them: a null value or null text is SQL NULL.
    const QString text = value.toString();
    if (value.isNull() || text.isNull()) {
        sqlite3_bind_null(statement, position);
        return;
    }
    sqlite3_bind_text16(statement, position, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

// Whether bindValue would bind the two values alike: of one type, equal, and for text and
// bytes null alike (a null text binds as SQL NULL, an empty one as '').
inline bool bindsAlike(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId() || a.isNull() != b.isNull())
        return false;
    switch (a.typeId()) {
    case QMetaType::QString: {
        const QString x = a.toString();
        const QString y = b.toString();
        return x.isNull() == y.isNull() && x == y;
    }
    case QMetaType::QByteArray: {
        const QByteArray x = a.toByteArray();
        const QByteArray y = b.toByteArray();
        return x.isNull() == y.isNull() && x == y;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
        return a == b;
    default:
        return false;
    }
}

inline QByteArrayView columnUtf8(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(statement, column)) : QByteArrayView();
}

inline QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

// The same values, of the same types, that Qt's driver gives for a column.
inline QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant(columnText(statement, column));
    }
}

// An id as a list carries it: the row's own when it is a positive whole number, else the
// mark of a row no command may reach.
inline qint64 idAt(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER)
        return kUnusableId;
    const qint64 id = sqlite3_column_int64(statement, column);
    return isRowId(id) ? id : kUnusableId;
}

// A statement stepped to its end or not ends its read when the call returns, so no half-read
// statement keeps a writer on this or another connection waiting.
struct ResetWhenDone
{
    sqlite3_stmt* statement;
    ~ResetWhenDone() { sqlite3_reset(statement); }
};

// A statement's first row, to be read while this lives; false when there is no statement or
// it gives no row. The statement is reset when this goes, as with ResetWhenDone.
class FirstRow
{
public:
    explicit FirstRow(sqlite3_stmt* statement) : m_statement(statement)
    {
        if (m_statement && sqlite3_step(m_statement) != SQLITE_ROW) {
            sqlite3_reset(m_statement);
            m_statement = nullptr;
        }
    }
    ~FirstRow()
    {
        if (m_statement)
            sqlite3_reset(m_statement);
    }
    FirstRow(const FirstRow&) = delete;
    FirstRow& operator=(const FirstRow&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

} // namespace telvora::sqlvalue
