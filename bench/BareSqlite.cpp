#include "BareSqlite.h"

namespace telvora::bench {

namespace {

std::string columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, std::size_t(sqlite3_column_bytes(statement, column)))
                : std::string();
}

} // namespace

BareSqlite::BareSqlite(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_db, 5000);
}

BareSqlite::~BareSqlite()
{
    for (const auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

sqlite3_stmt* BareSqlite::statement(const char* sql)
{
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        sqlite3_reset(found->second);
        return found->second;
    }
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr) !=
        SQLITE_OK)
        return nullptr;
    m_statements.emplace(sql, prepared);
    return prepared;
}

BareSqlite::Rows BareSqlite::collect(sqlite3_stmt* prepared)
{
    Rows rows;
    if (!prepared)
        return rows;
    while (sqlite3_step(prepared) == SQLITE_ROW)
        rows.push_back(Row{sqlite3_column_int(prepared, 0), columnText(prepared, 1)});
    sqlite3_reset(prepared);
    return rows;
}

BareSqlite::Rows BareSqlite::list(const char* sql)
{
    return collect(statement(sql));
}

BareSqlite::Rows BareSqlite::list(const char* sql, int id)
{
    sqlite3_stmt* prepared = statement(sql);
    if (prepared)
        sqlite3_bind_int(prepared, 1, id);
    return collect(prepared);
}

BareSqlite::Rows BareSqlite::list(const char* sql, const std::string& text, int id)
{
    sqlite3_stmt* prepared = statement(sql);
    if (prepared) {
        sqlite3_bind_text(prepared, 1, text.data(), int(text.size()), SQLITE_STATIC);
        sqlite3_bind_int(prepared, 2, id);
    }
    return collect(prepared);
}

std::vector<std::string> BareSqlite::row(const char* sql, int id)
{
    std::vector<std::string> values;
    sqlite3_stmt* prepared = statement(sql);
    if (!prepared)
        return values;
    sqlite3_bind_int(prepared, 1, id);
    if (sqlite3_step(prepared) == SQLITE_ROW) {
        const int count = sqlite3_column_count(prepared);
        values.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            values.push_back(columnText(prepared, i));
    }
    sqlite3_reset(prepared);
    return values;
}

long long BareSqlite::integer(const char* sql, int id)
{
    sqlite3_stmt* prepared = statement(sql);
    if (!prepared)
        return 0;
    sqlite3_bind_int(prepared, 1, id);
    const long long value =
        sqlite3_step(prepared) == SQLITE_ROW ? sqlite3_column_int64(prepared, 0) : 0;
    sqlite3_reset(prepared);
    return value;
}

long long BareSqlite::insert(const char* sql, const std::string& text, long long first,
                             long long second)
{
    sqlite3_stmt* prepared = statement(sql);
    if (!prepared)
        return 0;
    sqlite3_bind_text(prepared, 1, text.data(), int(text.size()), SQLITE_STATIC);
    sqlite3_bind_int64(prepared, 2, first);
    sqlite3_bind_int64(prepared, 3, second);
    const bool done = sqlite3_step(prepared) == SQLITE_DONE;
    sqlite3_reset(prepared);
    return done ? sqlite3_last_insert_rowid(m_db) : 0;
}

bool BareSqlite::run(const char* sql, long long id)
{
    sqlite3_stmt* prepared = statement(sql);
    if (!prepared)
        return false;
    sqlite3_bind_int64(prepared, 1, id);
    const bool done = sqlite3_step(prepared) == SQLITE_DONE;
    sqlite3_reset(prepared);
    return done;
}

bool BareSqlite::exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace telvora::bench
