// The call history: opening its window on a long log, writing one attempt into the log,
// each beside the same work done with SQLite alone, and what handing an attempt to the
// log costs the dial run. Usage:
//   telvora_bench_history [--benchmark_...] [ROWS]
// ROWS is the length of the log the window opens on (100,000 unless given). The book is
// written into a temporary folder under $TMPDIR, so the file system there is measured.

#include "BareSqlite.h"
#include "RatioReporter.h"
#include "history/HistoryModel.h"
#include "history/HistoryWindow.h"
#include "store/CallLog.h"
#include "store/PhoneBook.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

using namespace telvora;

namespace {

struct Session
{
    PhoneBook book;
    std::unique_ptr<CallLog> log;
    std::unique_ptr<bench::BareSqlite> bare;
    test::ScriptedPrompt prompt;
    int rows = 100000;
};

Session* session = nullptr;

CallRecord sampleAttempt()
{
    CallRecord record;
    record.started = QDateTime::currentDateTimeUtc();
    record.ended = record.started.addSecs(3);
    record.number = QStringLiteral("0049301234567");
    record.nameId = 17;
    record.line = QStringLiteral("SIP: alice@example.org");
    record.attempt = 2;
    record.attempts = 3;
    record.outcome = QStringLiteral("busy");
    return record;
}

bool fill(int rows)
{
    QSqlDatabase db = session->book.database();
    if (!db.transaction())
        return false;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO CallLog (started, ended, number, name_id, line, attempt, attempts, outcome, "
        "talk_seconds) VALUES (?, ?, ?, ?, 'SIP: alice@example.org', ?, 3, ?, 0)"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-qint64(rows) * 60);
    for (int i = 0; i < rows; ++i) {
        const QString time = CallLog::timeText(start.addSecs(qint64(i) * 60));
        insert.addBindValue(time);
        insert.addBindValue(time);
        insert.addBindValue(QStringLiteral("0049 30 %1").arg(i));
        insert.addBindValue(i % 50);
        insert.addBindValue(i % 3 + 1);
        insert.addBindValue(i % 3 == 2 ? QStringLiteral("answered") : QStringLiteral("busy"));
        if (!insert.exec())
            return false;
    }
    return db.commit();
}

// The window made, shown and laid out with its first rows, as Ctrl+H does it.
void openHistory(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<HistoryWindow>(*session->log, session->prompt);
        window->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window->view()->visualRect(window->model().index(0, 0)));
        if (window->model().rowsRead() > 2 * HistoryModel::kPageRows) {
            state.SkipWithError("the window read more than its first pages");
            return;
        }
    }
    state.counters["rows"] = session->rows;
}

// The same first page read with SQLite alone.
void openHistoryBare(benchmark::State& state)
{
    for (auto _ : state) {
        const auto rows = session->bare->list(
            "SELECT rowid, started || ended || number || name_id || line || attempt || attempts "
            "|| outcome || talk_seconds FROM CallLog ORDER BY rowid DESC LIMIT 256");
        if (rows.size() != std::size_t(HistoryModel::kPageRows)) {
            state.SkipWithError("the page is short");
            return;
        }
    }
}

void logAttempt(benchmark::State& state)
{
    const CallRecord record = sampleAttempt();
    for (auto _ : state) {
        if (!session->log->add(record)) {
            state.SkipWithError("the attempt was not written");
            return;
        }
    }
}

// What the dial run pays when an attempt ends: the attempt handed to the log, which
// writes it (untimed here) once the run has gone on.
void postAttempt(benchmark::State& state)
{
    const CallRecord record = sampleAttempt();
    for (auto _ : state) {
        session->log->post(record);
        state.PauseTiming();
        QApplication::processEvents();
        const bool written = session->log->pendingCount() == 0;
        state.ResumeTiming();
        if (!written) {
            state.SkipWithError("the attempt was not written");
            return;
        }
    }
}

void logAttemptBare(benchmark::State& state)
{
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(session->bare->handle(),
                       "INSERT INTO CallLog (started, ended, number, name_id, line, attempt, "
                       "attempts, outcome, talk_seconds) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const std::string time = CallLog::timeText(QDateTime::currentDateTimeUtc()).toStdString();
    for (auto _ : state) {
        session->bare->exec("BEGIN IMMEDIATE");
        sqlite3_reset(insert);
        sqlite3_bind_text(insert, 1, time.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, time.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, "0049301234567", -1, SQLITE_STATIC);
        sqlite3_bind_int64(insert, 4, 17);
        sqlite3_bind_text(insert, 5, "SIP: alice@example.org", -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 6, 2);
        sqlite3_bind_int(insert, 7, 3);
        sqlite3_bind_text(insert, 8, "busy", -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 9, 0);
        if (sqlite3_step(insert) != SQLITE_DONE || !session->bare->exec("COMMIT")) {
            state.SkipWithError("the row was not written");
            break;
        }
    }
    sqlite3_finalize(insert);
}

void registerAll()
{
    const auto add = [](const char* name, auto function) {
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMicrosecond)->UseRealTime();
    };
    add("OpenHistory", openHistory);
    add("OpenHistory/sqlite", openHistoryBare);
    add("LogAttempt", logAttempt);
    add("LogAttempt/sqlite", logAttemptBare);
    // Each handed attempt is also written, untimed: a fixed count keeps the run short.
    benchmark::RegisterBenchmark("PostAttempt", postAttempt)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(200);
}

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [--benchmark_...] [ROWS]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Session state;
    if (argc == 2)
        state.rows = QByteArray(argv[1]).toInt();
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    QDir::setCurrent(home.path());
    session = &state;
    if (state.book.open(QStringLiteral("data.mdb")) != PhoneBook::State::Created ||
        !fill(state.rows)) {
        std::fprintf(stderr, "cannot write the log\n");
        return 1;
    }
    state.log = std::make_unique<CallLog>(state.book);
    state.bare = std::make_unique<bench::BareSqlite>(
        home.filePath(QStringLiteral("data.mdb")).toStdString());
    benchmark::AddCustomContext("log rows", std::to_string(state.rows));
    benchmark::AddCustomContext("folder", home.path().toStdString());
    registerAll();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    state.bare.reset();
    state.log.reset();
    session = nullptr;
    return reporter.anyFailed() ? 1 : 0;
}
