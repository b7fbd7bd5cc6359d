#pragma once

#include <map>
#include <sqlite3.h>
#include <string>
#include <utility>
#include <vector>

namespace telvora::bench {

// The limit each figure is held to: the same statements through the SQLite C API alone,
// each prepared once, the rows copied into plain strings and nothing else done with them.
class BareSqlite
{
public:
    struct Row
    {
        int id = 0;
        std::string text;
    };
    using Rows = std::vector<Row>;

    explicit BareSqlite(const std::string& path);
    ~BareSqlite();
    BareSqlite(const BareSqlite&) = delete;
    BareSqlite& operator=(const BareSqlite&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // (id, text) rows of a list statement.
    Rows list(const char* sql, int id);
    Rows list(const char* sql, const std::string& text, int id);
    Rows list(const char* sql);
    // Every column of the first row, as text.
    std::vector<std::string> row(const char* sql, int id);
    // The first column of the first row, or 0.
    long long integer(const char* sql, int id);
    // Runs a statement with text and integer parameters; the new row's id.
    long long insert(const char* sql, const std::string& text, long long first, long long second);
    // Runs a statement that takes one integer; false when SQLite refused it.
    bool run(const char* sql, long long id);
    // Runs statements that take no parameters and return nothing wanted.
    bool exec(const char* sql);

private:
    sqlite3_stmt* statement(const char* sql);
    Rows collect(sqlite3_stmt* statement);

    sqlite3* m_db = nullptr;
    std::map<const char*, sqlite3_stmt*> m_statements;
};

} // namespace telvora::bench
