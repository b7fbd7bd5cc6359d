#pragma once

#include <QString>
#include <sqlite3.h>

namespace telvora {

// One statement prepared on SQLite's own connection, finalized when it goes; false when
// the text could not be prepared.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &m_statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~SqliteStatement() { sqlite3_finalize(m_statement); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    void bind(int position, const QString& text)
    {
        sqlite3_bind_text16(m_statement, position, text.utf16(), int(text.size() * 2),
                            SQLITE_TRANSIENT);
    }
    QString text(int column) const
    {
        const auto* chars = static_cast<const QChar*>(sqlite3_column_text16(m_statement, column));
        return chars ? QString(chars, sqlite3_column_bytes16(m_statement, column) / 2) : QString();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace telvora
