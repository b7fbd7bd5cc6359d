// Times the search on a generated phone book, each query beside the plain LIKE statement a
// search without an index runs through the SQLite C API alone (which folds ASCII letters
// only, so it does less than the search does). Usage:
//   telvora_bench_search [--benchmark_...] BOOK.mdb
// The book is copied into a temporary folder first, so opening it never changes it.

#include "BareSqlite.h"
#include "RatioReporter.h"
#include "search/NameSearch.h"
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

using namespace telvora;
using telvora::bench::BareSqlite;

namespace {

struct Query
{
    const char* label;
    QString name;
    QString number;
};

// A name typed in capitals in three scripts, a number, both, a text too short for the
// index, a wildcard, and everything.
const QList<Query>& queries()
{
    static const QList<Query> all{
        {"Name/Latin", QStringLiteral("MÜLLER"), {}},
        {"Name/Greek", QStringLiteral("ΠΑΠΑΔΌΠ"), {}},
        {"Name/Cyrillic", QStringLiteral("КУЗНЕЦ"), {}},
        {"Number", {}, QStringLiteral("12345")},
        {"NameAndNumber", QStringLiteral("nowak"), QStringLiteral("48 1")},
        {"Wildcards", QStringLiteral("smi*jam?s"), {}},
        {"ShortName", QStringLiteral("ab"), {}},
        {"ShortNumber", {}, QStringLiteral("77")},
        {"Everything", {}, {}},
    };
    return all;
}

struct Session
{
    QString file;
    std::unique_ptr<PhoneBook> book;
    std::unique_ptr<BareSqlite> bare;
};

Session* session = nullptr;

// The statement an index-less search runs: LIKE with the typed text between "%"s, the
// way the text is matched by the database itself.
std::string likeStatement(const Query& query)
{
    std::string sql = "SELECT id, name, \"group\", parent FROM names";
    std::string where;
    if (!query.name.isEmpty())
        where += "name LIKE ?1";
    if (!query.number.isEmpty()) {
        where += where.empty() ? "" : " AND ";
        where += "id IN (SELECT parent FROM numbers WHERE name LIKE ?2)";
    }
    if (!where.empty())
        sql += " WHERE " + where;
    return sql + " ORDER BY name COLLATE NOCASE, id";
}

std::string likePattern(const QString& typed)
{
    QString pattern = typed;
    pattern.replace(QLatin1Char('*'), QLatin1Char('%')).replace(QLatin1Char('?'), QLatin1Char('_'));
    return QString(QLatin1Char('%') + pattern + QLatin1Char('%')).toStdString();
}

void search(benchmark::State& state, const Query& query)
{
    NameSearch finder(*session->book);
    qsizetype found = 0;
    for (auto _ : state) {
        const SearchHits hits = finder.run(query.name, query.number);
        found = hits.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["found"] = double(found);
    state.counters["indexed"] = finder.usedIndex() ? 1 : 0;
}

void searchBare(benchmark::State& state, const Query& query)
{
    sqlite3* db = session->bare->handle();
    const std::string sql = likeStatement(query);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        return;
    }
    const std::string name = likePattern(query.name);
    const std::string number = likePattern(query.number);
    sqlite3_bind_text(statement, 1, name.data(), int(name.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, number.data(), int(number.size()), SQLITE_STATIC);
    std::size_t found = 0;
    for (auto _ : state) {
        BareSqlite::Rows rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
            rows.push_back({sqlite3_column_int(statement, 0), text ? text : ""});
        }
        sqlite3_reset(statement);
        found = rows.size();
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(statement);
    state.counters["found"] = double(found);
}

void registerAll()
{
    const std::string bare = bench::RatioReporter::kBareSuffix;
    for (const Query& query : queries()) {
        const std::string name = std::string("Search/") + query.label;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [&query](benchmark::State& state) { search(state, query); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(
            (name + bare).c_str(), [&query](benchmark::State& state) { searchBare(state, query); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
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
    state.bare = std::make_unique<BareSqlite>(copy.toStdString());
    session = &state;
    benchmark::AddCustomContext("book", argv[1]);
    registerAll();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    session = nullptr;
    return reporter.anyFailed() ? 1 : 0;
}
