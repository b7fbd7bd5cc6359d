// Times the search on a generated phone book, each query beside the same statement run
// through the SQLite C API alone on the same connection. Usage:
//   telvora_bench_search [--benchmark_...] BOOK.mdb
// The book is copied into a temporary folder first, so opening it never changes it.

#include "BareSqlite.h"
#include "RatioReporter.h"
#include "StatementTrace.h"
#include "search/NameSearch.h"
#include "store/PhoneBook.h"
#include "store/Statements.h"
#include "ui/IdListBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace telvora;
using telvora::bench::BareSqlite;
using telvora::bench::StatementTrace;
using telvora::bench::TracedStatement;

namespace {

struct Query
{
    const char* label;
    QString name;
    QString number;
};

// A name typed in capitals in three scripts, a number, both, a wildcard, texts too short for
// a trigram found in no name, in a few, in many and in half the book, and everything.
const QList<Query>& queries()
{
    static const QList<Query> all{
        {"Name/Latin", QStringLiteral("MÜLLER"), {}},
        {"Name/Greek", QStringLiteral("ΠΑΠΑΔΌΠ"), {}},
        {"Name/Cyrillic", QStringLiteral("КУЗНЕЦ"), {}},
        {"Number", {}, QStringLiteral("12345")},
        {"NameAndNumber", QStringLiteral("nowak"), QStringLiteral("48 1")},
        {"Wildcards", QStringLiteral("smi*jam?s"), {}},
        {"ShortName/none", QStringLiteral("ab"), {}},
        {"ShortName/rare", QStringLiteral("伟"), {}},
        {"ShortName/some", QStringLiteral("ZK"), {}},
        {"ShortName/common", QStringLiteral("e"), {}},
        {"ShortNumber", {}, QStringLiteral("77")},
        {"Everything", {}, {}},
    };
    return all;
}

struct Session
{
    QString file;
    std::unique_ptr<PhoneBook> book;
    sqlite3* handle() const
    {
        return *static_cast<sqlite3* const*>(book->database().driver()->handle().constData());
    }
};

Session* session = nullptr;

// What is timed: a search through the store, or a search and then typing in its list.
// It gives the rows it read and where it ended.
using Operation = std::function<qsizetype(NameSearch&)>;

// A search's first screenful (what a user sees at once), or every row it finds, a page at a
// time.
Operation searching(const Query& query, bool everything)
{
    return [&query, everything](NameSearch& finder) {
        ListCursor cursor = finder.start(query.name, query.number);
        const ListRows rows = everything ? cursor.rest() : cursor.next(IdListModel::kPage);
        benchmark::DoNotOptimize(rows);
        return rows.size();
    };
}

// The search's list shown, then its last row's name typed: one seek for the first row
// beginning with it, and its place counted.
Operation typingIn(const Query& query)
{
    return [&query, prefix = QString()](NameSearch& finder) mutable {
        if (prefix.isNull()) {
            const ListPage last = finder.start(query.name, query.number).pageBefore({}, 1);
            prefix = last.rows.isEmpty() ? QString() : last.rows.at(0).text;
        }
        IdListModel list;
        list.setCursor(finder.start(query.name, query.number));
        return qsizetype(list.indexBeginningWith(prefix, 0));
    };
}

// A finder as the window has it, the order read while the user types, and the book's
// schema known from one run of the operation before.
struct ReadyFinder
{
    NameSearch finder{*session->book};
    ReadyFinder(const Operation& operation)
    {
        finder.prepare();
        finder.awaitOrder();
        operation(finder);
    }
};

void timed(benchmark::State& state, const Operation& operation)
{
    ReadyFinder ready(operation);
    qsizetype found = 0;
    for (auto _ : state)
        found = operation(ready.finder);
    state.counters["found"] = double(found);
    state.counters["indexed"] = ready.finder.usedIndex() ? 1 : 0;
}

// The statements one run of the operation asks of the book's connection, in order, with
// their values written in, its questions about the index included.
std::vector<TracedStatement> statementsOf(const Operation& operation)
{
    ReadyFinder ready(operation);
    const StatementTrace trace(session->handle());
    operation(ready.finder);
    trace.show();
    return trace.statements();
}

// The same statements through the C API on the same connection (so with the same function
// for letters in every script), each prepared once, the rows copied into plain strings.
void timedBare(benchmark::State& state, const Operation& operation)
{
    const std::vector<TracedStatement> ran = statementsOf(operation);
    sqlite3* db = session->handle();
    std::vector<sqlite3_stmt*> statements;
    for (const TracedStatement& one : ran) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, one.sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        statements.push_back(statement);
    }
    std::size_t found = 0;
    for (auto _ : state) {
        if (statements.size() < ran.size())
            break;
        // Every row is kept to the end, as the store hands every row it read to its caller.
        BareSqlite::Rows rows;
        for (std::size_t i = 0; i < statements.size(); ++i) {
            StatementTrace::replay(statements[i], ran[i], rows);
            sqlite3_reset(statements[i]);
        }
        found = rows.size();
        benchmark::DoNotOptimize(rows);
    }
    for (sqlite3_stmt* statement : statements)
        sqlite3_finalize(statement);
    state.counters["found"] = double(found);
    state.counters["statements"] = double(ran.size());
}

void add(const std::string& name, const Operation& operation)
{
    benchmark::RegisterBenchmark(name.c_str(),
                                 [operation](benchmark::State& state) { timed(state, operation); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(
        (name + bench::RatioReporter::kBareSuffix).c_str(),
        [operation](benchmark::State& state) { timedBare(state, operation); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

void registerAll()
{
    for (const bool everything : {false, true}) {
        for (const Query& query : queries())
            add(std::string(everything ? "SearchAll/" : "SearchFirst/") + query.label,
                searching(query, everything));
    }
    // In a list the search put in order, one it walks through by name and one by number, and
    // everything.
    for (const Query& query : queries()) {
        const std::string_view label = query.label;
        if (label == "Name/Latin" || label == "ShortName/common" || label == "ShortNumber" ||
            label == "Everything")
            add("TypeAhead/" + std::string(label), typingIn(query));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--benchmark_...] BOOK.mdb\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const QString copy = home.filePath(QStringLiteral("data.mdb"));
    if (!home.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[1]), copy)) {
        std::fprintf(stderr, "cannot copy %s into a temporary folder\n", argv[1]);
        return 1;
    }
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    Session state;
    state.file = copy;
    // Opening adds the search index to a book made before it existed, as the program does.
    state.book = std::make_unique<PhoneBook>();
    if (!state.book->isWritable() && state.book->open(copy) != PhoneBook::State::Opened) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], qPrintable(state.book->errorText()));
        return 1;
    }
    session = &state;
    benchmark::AddCustomContext("book", argv[1]);
    registerAll();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    session = nullptr;
    return reporter.anyFailed() ? 1 : 0;
}
