#include "StatementTrace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace telvora::bench {

namespace {

// SQLite's hook for new connections takes no context: the one trace that follows them.
StatementTrace* following = nullptr;

} // namespace

StatementTrace::StatementTrace(sqlite3* db, Nested nested) : m_nested(nested)
{
    follow(db);
}

StatementTrace::StatementTrace(Nested nested) : m_nested(nested), m_newConnections(true)
{
    following = this;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&StatementTrace::onOpen));
}

StatementTrace::~StatementTrace()
{
    if (m_newConnections) {
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&StatementTrace::onOpen));
        following = nullptr;
    }
    // Connections opened meanwhile are closed by now; the one given lives on.
    if (!m_newConnections)
        for (sqlite3* db : m_followed)
            sqlite3_trace_v2(db, 0, nullptr, nullptr);
}

int StatementTrace::onOpen(sqlite3* db, char**, const void*)
{
    if (following)
        following->follow(db);
    return SQLITE_OK;
}

void StatementTrace::follow(sqlite3* db)
{
    m_followed.push_back(db);
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_ROW | SQLITE_TRACE_PROFILE,
                     &StatementTrace::onEvent, this);
}

int StatementTrace::onEvent(unsigned event, void* context, void* pointer, void* text)
{
    auto& trace = *static_cast<StatementTrace*>(context);
    auto& ran = trace.m_statements;
    auto* statement = static_cast<sqlite3_stmt*>(pointer);
    if (event == SQLITE_TRACE_ROW) {
        if (!ran.empty() && ran.back().statement == statement)
            ++ran.back().rows;
        return 0;
    }
    // A statement's end is told as it stops: still busy when it was reset before its end,
    // no longer when it ran out of rows.
    if (event == SQLITE_TRACE_PROFILE) {
        std::erase(trace.m_running, statement);
        for (auto one = ran.rbegin(); one != ran.rend(); ++one) {
            if (one->statement == statement) {
                one->toEnd = !sqlite3_stmt_busy(statement);
                break;
            }
        }
        return 0;
    }
    // Lines beginning "--" are the triggers' and virtual tables' own.
    if (std::string_view(static_cast<const char*>(text)).starts_with("--"))
        return 0;
    if (trace.m_nested == Nested::LeftOut) {
        std::erase_if(trace.m_running, [](sqlite3_stmt* one) { return !sqlite3_stmt_busy(one); });
        if (!trace.m_running.empty())
            return 0;
        trace.m_running.push_back(statement);
    }
    if (char* expanded = sqlite3_expanded_sql(statement)) {
        ran.push_back({expanded, statement, 0});
        sqlite3_free(expanded);
    }
    return 0;
}

void StatementTrace::show() const
{
    if (!std::getenv("TELVORA_BENCH_SHOW_STATEMENTS"))
        return;
    for (const TracedStatement& one : m_statements)
        std::fprintf(stderr, "%lld rows%s: %s\n", one.rows, one.toEnd ? ", to its end" : "",
                     one.sql.c_str());
}

void StatementTrace::replay(sqlite3_stmt* statement, const TracedStatement& traced,
                            BareSqlite::Rows& rows)
{
    const int columns = sqlite3_column_count(statement);
    for (long long row = 0; row < traced.rows && sqlite3_step(statement) == SQLITE_ROW; ++row) {
        const auto* text = columns > 1 ? sqlite3_column_text(statement, 1) : nullptr;
        rows.push_back(
            {sqlite3_column_int(statement, 0), text ? reinterpret_cast<const char*>(text) : ""});
    }
    if (traced.toEnd || traced.rows == 0)
        while (sqlite3_step(statement) == SQLITE_ROW) {
        }
}

} // namespace telvora::bench
