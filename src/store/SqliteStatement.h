#pragma once

#include <QString>
#include <sqlite3.h>

namespace telvora {

// One statement prepared on SQLite's own connection, finalized when it goes; false when
// the text could not be prepared. One the book keeps prepared (PhoneBook::keptStatement) is
// only reset when it goes, its values cleared.
class SqliteStatement
{
public:
    static SqliteStatement kept(sqlite3_stmt* statement) { return SqliteStatement(statement); }
    SqliteStatement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &m_statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~SqliteStatement()
    {
        if (!m_kept) {
            sqlite3_finalize(m_statement);
        } else if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    void bind(int position, const QString& text)
    {
        sqlite3_bind_text16(m_statement, position, text.utf16(), int(text.size() * 2),
                            SQLITE_TRANSIENT);
    }
    // Read as SQLite keeps it, in UTF-8: asking for UTF-16 makes SQLite convert it into a
    // buffer of its own first.
    QString text(int column) const
    {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return chars ? QString::fromUtf8(chars, sqlite3_column_bytes(m_statement, column))
                     : QString();
    }

private:
    explicit SqliteStatement(sqlite3_stmt* kept) : m_statement(kept), m_kept(true) {}
    sqlite3_stmt* m_statement = nullptr;
    bool m_kept = false;
};

} // namespace telvora
