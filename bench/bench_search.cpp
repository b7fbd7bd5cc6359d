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

// The search through the store: its first screenful (what a user sees at once), or every
// row it finds, a page at a time.
void search(benchmark::State& state, const Query& query, bool everything)
{
    NameSearch finder(*session->book);
    // As in the window, where the order is read while the user types.
    finder.prepare();
    finder.awaitOrder();
    qsizetype found = 0;
    for (auto _ : state) {
        ListCursor cursor = finder.start(query.name, query.number);
        const ListRows rows = everything ? cursor.rest() : cursor.next(IdListModel::kPage);
        found = rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["found"] = double(found);
    state.counters["indexed"] = finder.usedIndex() ? 1 : 0;
}

// The statements one search runs on the book's connection, in order, with their values
// written in: what the store asked SQLite for that search, its questions about the index
// included.
std::vector<TracedStatement> statementsOf(const Query& query, bool everything)
{
    // As in the timed search: the order read and the book's schema known, from one search
    // before.
    NameSearch finder(*session->book);
    finder.prepare();
    finder.awaitOrder();
    finder.start(query.name, query.number).next(1);
    const StatementTrace trace(session->handle());
    ListCursor cursor = finder.start(query.name, query.number);
    benchmark::DoNotOptimize(everything ? cursor.rest() : cursor.next(IdListModel::kPage));
    trace.show();
    return trace.statements();
}

// The same statements through the C API on the same connection (so with the same function
// for letters in every script), each prepared once, the rows copied into plain strings.
void searchBare(benchmark::State& state, const Query& query, bool everything)
{
    const std::vector<TracedStatement> ran = statementsOf(query, everything);
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
        // Every row is kept to the end, as the search hands every row it read to its caller.
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

void registerAll()
{
    const std::string bare = bench::RatioReporter::kBareSuffix;
    for (const bool everything : {false, true}) {
        for (const Query& query : queries()) {
            const std::string name =
                std::string(everything ? "SearchAll/" : "SearchFirst/") + query.label;
            benchmark::RegisterBenchmark(
                name.c_str(),
                [&query, everything](benchmark::State& state) { search(state, query, everything); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            benchmark::RegisterBenchmark((name + bare).c_str(),
                                         [&query, everything](benchmark::State& state) {
                                             searchBare(state, query, everything);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
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
