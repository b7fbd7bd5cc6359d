#pragma once

#include "BareSqlite.h"

#include <sqlite3.h>
#include <string>
#include <vector>

namespace telvora::bench {

// One statement the store ran, its values written in, and how far it was stepped.
struct TracedStatement
{
    std::string sql;
    sqlite3_stmt* statement = nullptr; // the store's, to match its rows
    long long rows = 0;                // how many it stepped through
    // Whether it stepped on to the statement's end. Learning that no row is left can cost
    // more than the rows: after the last name with an `e` come the names in other scripts,
    // all read to find none.
    bool toEnd = false;
};

// Records, while it lives, the statements the store runs, in order, so that SQLite alone
// can be timed on the very same ones. Triggers' statements are left out: SQLite runs them
// inside the statement that fired them.
class StatementTrace
{
public:
    enum class Nested
    {
        // Statements begun while another is still busy are left out too: those SQLite runs
        // for a pragma function's table, inside the statement that reads it. A statement
        // the store leaves busy while it runs others would hide them as well, which only
        // ever makes SQLite alone look cheaper.
        LeftOut,
        Kept,
    };

    // The statements run on this connection.
    StatementTrace(sqlite3* db, Nested nested = Nested::Kept);
    // The statements run on every connection opened while the trace lives, which must all
    // be closed before it ends.
    explicit StatementTrace(Nested nested = Nested::Kept);
    ~StatementTrace();
    StatementTrace(const StatementTrace&) = delete;
    StatementTrace& operator=(const StatementTrace&) = delete;

    const std::vector<TracedStatement>& statements() const { return m_statements; }
    // Writes each statement and how far it ran to standard error, when
    // TELVORA_BENCH_SHOW_STATEMENTS is set.
    void show() const;

    // Steps a statement as the store stepped it: through as many rows, each copied into
    // the rows (its first column an id, its second a text), and on to its end where the
    // store went there.
    static void replay(sqlite3_stmt* statement, const TracedStatement& traced,
                       BareSqlite::Rows& rows);

private:
    static int onEvent(unsigned event, void* context, void* pointer, void* text);
    static int onOpen(sqlite3* db, char**, const void*);
    void follow(sqlite3* db);

    std::vector<TracedStatement> m_statements;
    std::vector<sqlite3*> m_followed;
    std::vector<sqlite3_stmt*> m_running;
    Nested m_nested;
    bool m_newConnections = false;
};

} // namespace telvora::bench
