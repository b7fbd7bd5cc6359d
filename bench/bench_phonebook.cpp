// Runs the window's own loaders on a generated phone book, each beside the same
// statements through the SQLite C API alone. Usage:
//   telvora_bench [--benchmark_...] BOOK.mdb
// The book is copied into a temporary data folder first, so the writes leave it as it was.

#include "BareSqlite.h"
#include "RatioReporter.h"
#include "StatementTrace.h"
#include "mainwindow/DialForm.h"
#include "store/Schema.h"
#include "store/SortKey.h"
#include "store/SpeedDialSet.h"
#include "store/Statements.h"
#include "support/ScriptedPrompt.h"
#include "telephony/LineService.h"
#include "ui/IdListBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <limits>
#include <memory>

using namespace telvora;
using telvora::bench::BareSqlite;
using telvora::bench::StatementTrace;
using telvora::bench::TracedStatement;

namespace {

const char kAddName[] = "INSERT INTO names (name, parent, \"group\") VALUES (?, ?, ?)";
const char kAddTreeNumber[] = "INSERT INTO numbers (name, parent, type) VALUES"
                              " (?1, ?2, CASE ?3 WHEN 0 THEN 'Phone' WHEN 1 THEN 'Fax'"
                              " ELSE 'Mobile' END)";
// The statements PhoneBook::deleteNameTree runs, in one transaction.
// (It also counts the branch's rows once first, to refuse ids that rows share.)
#define TELVORA_TREE                                                                               \
    "WITH RECURSIVE tree(id) AS (SELECT ? UNION SELECT names.id FROM names JOIN tree"              \
    " ON names.parent = tree.id WHERE typeof(names.id) = 'integer' AND names.id > 0)"              \
    " SELECT id FROM tree"
const char kDeleteTreeNumbers[] = "DELETE FROM numbers WHERE parent IN (" TELVORA_TREE ")";
const char kDeleteTreeNames[] =
    "DELETE FROM names WHERE typeof(id) = 'integer' AND id IN (" TELVORA_TREE ")";
#undef TELVORA_TREE

// The lists' statements as the store runs them on a keyed book; the bare side reads the
// same first page, or the same whole list, with the page size written in.
std::string listStatement(const char* table, const char* filter, bool whole)
{
    QString sql = whole ? statements::whole(QLatin1String(table), QLatin1String(filter), true)
                        : statements::page(QLatin1String(table), QLatin1String(filter), true,
                                           statements::Page::First);
    sql.replace(QStringLiteral("LIMIT ?"), QStringLiteral("LIMIT %1").arg(IdListModel::kPage));
    return sql.toStdString();
}
const std::string kGroups = listStatement("groups", statements::groupsFilter, true);
const std::string kSubNames = listStatement("names", statements::subNamesFilter, true);
const std::string kTopLevel = listStatement("names", statements::topLevelFilter, false);
const std::string kInGroup = listStatement("names", statements::inGroupFilter, false);
const std::string kNextPage =
    statements::page(QStringLiteral("names"), QLatin1String(statements::topLevelFilter), true,
                     statements::Page::AfterKey)
        .toStdString();
const std::string kCount =
    statements::count(QStringLiteral("names"), QLatin1String(statements::topLevelFilter))
        .toStdString();
const std::string kLastPage =
    statements::page(QStringLiteral("names"), QLatin1String(statements::topLevelFilter), true,
                     statements::Page::Last)
        .toStdString();
const std::string kMark =
    statements::mark(QStringLiteral("names"), QLatin1String(statements::topLevelFilter), true)
        .toStdString();
const std::string kCountFrom =
    statements::countFrom(QStringLiteral("names"), QLatin1String(statements::topLevelFilter), true)
        .toStdString();
const std::string kPageBefore =
    statements::page(QStringLiteral("names"), QLatin1String(statements::topLevelFilter), true,
                     statements::Page::BeforeKey)
        .toStdString();

// The window every browsing benchmark drives, filled once, and a bare connection beside it.
struct Session
{
    QString folder;
    test::ScriptedPrompt prompt;
    LineService lines;
    std::unique_ptr<DialForm> form;
    std::unique_ptr<BareSqlite> bare;
    // A few names spread over the whole list, so a click does not always find its rows hot.
    QList<int> clickIndexes;

    std::string file() const
    {
        return QDir(folder).filePath(QStringLiteral("data.mdb")).toStdString();
    }

    DialForm& window()
    {
        if (!form) {
            form = std::make_unique<DialForm>(prompt, lines);
            form->Form_Load();
        }
        return *form;
    }
    BareSqlite& sqlite()
    {
        if (!bare)
            bare = std::make_unique<BareSqlite>(file());
        return *bare;
    }
    IdListBox& groups() { return *window().controls().GroupsList; }
    IdListBox& names() { return *window().controls().NamesList; }

    void selectGroup(int index) { groups().setListIndex(index); }
    int allGroups() { return groups().count() - 2; }
    int firstGroup() { return 0; }
};

Session* session = nullptr;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// What a name click reads: its sub-names, its card, its four number lists, its group.
void bareNameClick(BareSqlite& db, int id)
{
    benchmark::DoNotOptimize(db.list(kSubNames.c_str(), id));
    benchmark::DoNotOptimize(db.row(statements::nameRow, id));
    for (const QString& kind : schema::numberKinds())
        benchmark::DoNotOptimize(db.list(statements::numbers, utf8(kind), id));
    const long long group = db.integer(statements::groupOfName, id);
    benchmark::DoNotOptimize(db.row(statements::groupName, int(group)));
}

bool ready(benchmark::State& state, bool condition, const char* why)
{
    if (!condition)
        state.SkipWithError(why);
    return condition;
}

void formLoad(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<DialForm>(session->prompt, session->lines);
        state.ResumeTiming();
        form->Form_Load();
        state.PauseTiming();
        const bool filled = form->phoneBook().state() == PhoneBook::State::Opened &&
                            form->controls().NamesList->count() > 0;
        form.reset();
        state.ResumeTiming();
        if (!ready(state, filled, "the window was not filled"))
            break;
    }
}

void formLoadBare(benchmark::State& state)
{
    for (auto _ : state) {
        BareSqlite db(session->file());
        bool usable = db.isOpen();
        for (const auto& table : schema::requiredColumns()) {
            const std::string probe = "SELECT \"" +
                                      table.columns.join(QStringLiteral("\",\"")).toStdString() +
                                      "\" FROM \"" + table.table.toStdString() + "\" LIMIT 0";
            usable = usable && db.exec(probe.c_str());
        }
        benchmark::DoNotOptimize(db.list("PRAGMA table_info(names)"));
        const BareSqlite::Rows groups = db.list(kGroups.c_str());
        benchmark::DoNotOptimize(
            db.list("SELECT rowid, Name FROM SpeedDials ORDER BY Name COLLATE NOCASE, rowid"));
        benchmark::DoNotOptimize(db.list("SELECT rowid, Name, Number FROM SpeedDials"));
        // The window opens on the first group, or on all names when there is none.
        const BareSqlite::Rows names = groups.empty()
                                           ? db.list(kTopLevel.c_str())
                                           : db.list(kInGroup.c_str(), groups.front().id);
        if (!ready(state, usable && !names.empty(), "the book could not be read"))
            break;
        bareNameClick(db, names.front().id);
    }
}

// The store's share of a name click, without the widgets it fills.
void readName(const PhoneBook& book, qint64 id)
{
    benchmark::DoNotOptimize(book.subNames(id));
    benchmark::DoNotOptimize(book.nameRow(id));
    for (const QString& kind : schema::numberKinds())
        benchmark::DoNotOptimize(book.numbers(id, kind));
    benchmark::DoNotOptimize(book.groupName(book.groupOfName(id).value_or(0)));
}

// The store's share of opening the window: the file opened and checked, its groups and
// speed dials read, the first group's first page and its first name. False when the book
// could not be opened or read.
bool openAsTheWindowDoes(const QString& file)
{
    PhoneBook book;
    if (book.open(file) != PhoneBook::State::Opened)
        return false;
    const ListRows groups = book.groups();
    SpeedDialSet dials(book);
    dials.open();
    benchmark::DoNotOptimize(dials.entries());
    ListCursor names = groups.isEmpty() ? book.topLevelNamesCursor()
                                        : book.topLevelNamesInGroupCursor(groups.id(0));
    const ListRows page = names.next(IdListModel::kPage);
    if (page.isEmpty())
        return false;
    readName(book, page.id(0));
    return true;
}

void formLoadReads(benchmark::State& state)
{
    const QString file = QString::fromStdString(session->file());
    for (auto _ : state) {
        if (!ready(state, openAsTheWindowDoes(file), "the book could not be opened and read"))
            break;
    }
}

// SQLite alone on the statements the store's share of opening the window runs, traced on
// one opening before: a connection opened, each statement prepared and stepped as the store
// stepped it, the connection closed. The store checks the file it opens, and a reader that
// checks nothing (formLoadBare) runs fewer statements.
void formLoadReadsReplayed(benchmark::State& state)
{
    std::vector<TracedStatement> ran;
    {
        const StatementTrace trace(StatementTrace::Nested::LeftOut);
        openAsTheWindowDoes(QString::fromStdString(session->file()));
        trace.show();
        ran = trace.statements();
    }
    for (auto _ : state) {
        sqlite3* db = nullptr;
        if (!ready(state,
                   sqlite3_open_v2(session->file().c_str(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                   nullptr) == SQLITE_OK,
                   "the book could not be opened")) {
            sqlite3_close(db);
            break;
        }
        sqlite3_busy_timeout(db, 5000);
        BareSqlite::Rows rows;
        for (const TracedStatement& one : ran) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, one.sql.c_str(), -1, &statement, nullptr);
            if (statement)
                StatementTrace::replay(statement, one, rows);
            sqlite3_finalize(statement);
        }
        benchmark::DoNotOptimize(rows);
        sqlite3_close(db);
    }
    state.counters["statements"] = double(ran.size());
}

void loadGroups(benchmark::State& state)
{
    DialForm& form = session->window();
    for (auto _ : state)
        form.LoadGroups();
    ready(state, session->groups().count() > 2, "no groups were listed");
}

void loadGroupsReads(benchmark::State& state)
{
    const PhoneBook& book = session->window().phoneBook();
    for (auto _ : state)
        benchmark::DoNotOptimize(book.groups());
}

void loadGroupsBare(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(session->sqlite().list(kGroups.c_str()));
}

void loadNames(benchmark::State& state, bool all)
{
    session->window().LoadGroups(std::nullopt, 0);
    session->selectGroup(all ? session->allGroups() : session->firstGroup());
    for (auto _ : state)
        session->window().LoadNames();
    ready(state, session->names().count() > 0, "no names were listed");
    state.counters["names"] = double(session->names().count());
}

// The first page of a list, as the window's list asks for it.
ListCursor namesCursor(const PhoneBook& book, bool all)
{
    return all ? book.topLevelNamesCursor()
               : book.topLevelNamesInGroupCursor(session->groups().itemData(session->firstGroup()));
}

void loadNamesReads(benchmark::State& state, bool all)
{
    const PhoneBook& book = session->window().phoneBook();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            namesCursor(book, all).pageAfter(std::nullopt, IdListModel::kPage));
}

void loadNamesBare(benchmark::State& state, bool all)
{
    const int group = session->groups().itemData(session->firstGroup());
    BareSqlite& db = session->sqlite();
    for (auto _ : state) {
        benchmark::DoNotOptimize(all ? db.list(kTopLevel.c_str())
                                     : db.list(kInGroup.c_str(), group));
    }
}

// A click on a group lists its names and then shows the first one, whose click the
// window runs twice: once from selecting it, once from the group's own handler.
void groupClick(benchmark::State& state, bool all)
{
    session->window().LoadGroups(std::nullopt, 0);
    const int index = all ? session->allGroups() : session->firstGroup();
    for (auto _ : state)
        session->selectGroup(index);
    ready(state, session->names().count() > 0, "no names were listed");
}

void groupClickReads(benchmark::State& state, bool all)
{
    const PhoneBook& book = session->window().phoneBook();
    for (auto _ : state) {
        const ListPage page = namesCursor(book, all).pageAfter(std::nullopt, IdListModel::kPage);
        if (!ready(state, !page.rows.isEmpty(), "no names"))
            break;
        readName(book, page.rows.id(0));
        readName(book, page.rows.id(0));
    }
}

void groupClickBare(benchmark::State& state, bool all)
{
    const int group = session->groups().itemData(session->firstGroup());
    BareSqlite& db = session->sqlite();
    for (auto _ : state) {
        const BareSqlite::Rows names =
            all ? db.list(kTopLevel.c_str()) : db.list(kInGroup.c_str(), group);
        if (!ready(state, !names.empty(), "no names"))
            break;
        bareNameClick(db, names.front().id);
        bareNameClick(db, names.front().id);
    }
}

// All Groups scrolled to its last name, either by dragging the scroll bar to the end (the
// list counted once, then the last page read) or a page at a time, every page in turn.
void scrollToEnd(benchmark::State& state, bool everyPage)
{
    session->window().LoadGroups(std::nullopt, 0);
    IdListBox& names = session->names();
    for (auto _ : state) {
        session->selectGroup(session->allGroups());
        names.fetchAll();
        if (everyPage) {
            for (int i = 0; i < names.count(); i += IdListModel::kPage)
                benchmark::DoNotOptimize(names.itemData(i));
        }
        benchmark::DoNotOptimize(names.itemText(names.count() - 1));
    }
    state.counters["names"] = double(names.count());
}

// All Groups' scroll bar dragged to its middle: the list counted once, then the page in the
// middle read with no page near it read before.
void scrollToMiddle(benchmark::State& state)
{
    session->window().LoadGroups(std::nullopt, 0);
    IdListBox& names = session->names();
    for (auto _ : state) {
        session->selectGroup(session->allGroups());
        names.fetchAll();
        benchmark::DoNotOptimize(names.itemText(names.count() / 2));
    }
    state.counters["names"] = double(names.count());
}

// The store's share: the first page, the count, the row before the middle page found by
// skipping from the nearer end, and that page, as the list asks them of the cursor.
void scrollToMiddleReads(benchmark::State& state)
{
    const PhoneBook& book = session->window().phoneBook();
    constexpr int kPage = IdListModel::kPage;
    qint64 rows = 0;
    for (auto _ : state) {
        ListCursor cursor = book.topLevelNamesCursor();
        benchmark::DoNotOptimize(cursor.pageAfter(std::nullopt, kPage));
        rows = cursor.count();
        const qint64 page = rows / 2 / kPage;
        // A list of one page has its middle on the first page, read from its start.
        std::optional<ListMark> before;
        if (page > 0) {
            before = rows / kPage - page < page
                         ? cursor.markBefore(std::nullopt, rows - page * kPage + 1)
                         : cursor.markAfter(std::nullopt, page * kPage);
            if (!ready(state, before.has_value(), "the middle was not reached"))
                break;
        }
        benchmark::DoNotOptimize(cursor.pageAfter(before, kPage));
    }
    state.counters["names"] = double(rows);
}

// The same through SQLite alone: the first page, the count, and the middle page reached by
// skipping the rows before it.
void scrollToMiddleBare(benchmark::State& state)
{
    sqlite3* db = session->sqlite().handle();
    sqlite3_stmt* first = nullptr;
    sqlite3_stmt* count = nullptr;
    sqlite3_stmt* middle = nullptr;
    sqlite3_prepare_v2(db, kTopLevel.c_str(), -1, &first, nullptr);
    sqlite3_prepare_v2(db, kCount.c_str(), -1, &count, nullptr);
    const std::string skipping = kTopLevel + " OFFSET ?";
    sqlite3_prepare_v2(db, skipping.c_str(), -1, &middle, nullptr);
    long long rows = 0;
    std::vector<BareSqlite::Row> page;
    const auto readPage = [&](sqlite3_stmt* statement) {
        page.clear();
        while (sqlite3_step(statement) == SQLITE_ROW)
            page.push_back({sqlite3_column_int(statement, 0),
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))});
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(page);
    };
    for (auto _ : state) {
        readPage(first);
        rows = qint64(page.size());
        if (sqlite3_step(count) == SQLITE_ROW)
            rows = sqlite3_column_int64(count, 0);
        sqlite3_reset(count);
        sqlite3_bind_int64(middle, 1, rows / 2 / IdListModel::kPage * IdListModel::kPage);
        readPage(middle);
    }
    sqlite3_finalize(first);
    sqlite3_finalize(count);
    sqlite3_finalize(middle);
    state.counters["names"] = double(rows);
}

// The store's share: the pages, and the count, that the list asks the cursor for.
void scrollToEndReads(benchmark::State& state, bool everyPage)
{
    const PhoneBook& book = session->window().phoneBook();
    qint64 rows = 0;
    for (auto _ : state) {
        ListCursor cursor = book.topLevelNamesCursor();
        ListPage page = cursor.pageAfter(std::nullopt, IdListModel::kPage);
        rows = page.rows.size();
        if (rows == IdListModel::kPage)
            rows = cursor.count();
        if (!everyPage) {
            const qint64 rest = rows % IdListModel::kPage;
            benchmark::DoNotOptimize(
                cursor.pageBefore(std::nullopt, int(rest ? rest : IdListModel::kPage)));
            continue;
        }
        while (page.rows.size() == IdListModel::kPage) {
            page = cursor.pageAfter(page.last, IdListModel::kPage);
            benchmark::DoNotOptimize(page);
        }
    }
    state.counters["names"] = double(rows);
}

void scrollToEndBare(benchmark::State& state, bool everyPage)
{
    sqlite3* db = session->sqlite().handle();
    sqlite3_stmt* first = nullptr;
    sqlite3_stmt* next = nullptr;
    sqlite3_stmt* count = nullptr;
    sqlite3_stmt* last = nullptr;
    sqlite3_prepare_v2(db, kTopLevel.c_str(), -1, &first, nullptr);
    sqlite3_prepare_v2(db, kNextPage.c_str(), -1, &next, nullptr);
    sqlite3_prepare_v2(db, kCount.c_str(), -1, &count, nullptr);
    sqlite3_prepare_v2(db, kLastPage.c_str(), -1, &last, nullptr);
    long long rows = 0;
    std::vector<BareSqlite::Row> page;
    std::string key;
    long long after = 0;
    const auto readPage = [&](sqlite3_stmt* statement) {
        page.clear();
        while (sqlite3_step(statement) == SQLITE_ROW) {
            page.push_back({sqlite3_column_int(statement, 0),
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))});
            key.assign(static_cast<const char*>(sqlite3_column_blob(statement, 2)),
                       size_t(sqlite3_column_bytes(statement, 2)));
            after = sqlite3_column_int64(statement, 3);
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(page);
    };
    for (auto _ : state) {
        readPage(first);
        rows = qint64(page.size());
        if (page.size() == size_t(IdListModel::kPage) && sqlite3_step(count) == SQLITE_ROW)
            rows = sqlite3_column_int64(count, 0);
        sqlite3_reset(count);
        if (!everyPage) {
            const long long rest = rows % IdListModel::kPage;
            sqlite3_bind_int64(last, 1, rest ? rest : IdListModel::kPage);
            readPage(last);
            continue;
        }
        while (page.size() == size_t(IdListModel::kPage)) {
            sqlite3_bind_blob(next, 1, key.data(), int(key.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(next, 2, after);
            sqlite3_bind_int(next, 3, IdListModel::kPage);
            readPage(next);
        }
    }
    sqlite3_finalize(first);
    sqlite3_finalize(next);
    sqlite3_finalize(count);
    sqlite3_finalize(last);
    state.counters["names"] = double(rows);
}

// The last name of All Groups selected by its id, as after adding a name that sorts last or
// a search's jump to it: counted into place, its page read, no page before it.
void selectLast(benchmark::State& state)
{
    session->window().LoadGroups(std::nullopt, 0);
    session->selectGroup(session->allGroups());
    IdListBox& names = session->names();
    names.fetchAll();
    const qint64 last = names.itemData(names.count() - 1);
    for (auto _ : state) {
        session->selectGroup(session->allGroups());
        benchmark::DoNotOptimize(names.indexOfId(last));
    }
}

// The last name of All Groups selected by its id, or (typed) the first name beginning as the
// last one does, found by one seek and then selected by its id.
void selectBare(benchmark::State& state, bool typed)
{
    sqlite3* db = session->sqlite().handle();
    sqlite3_stmt* last = nullptr;
    sqlite3_stmt* mark = nullptr;
    sqlite3_stmt* count = nullptr;
    sqlite3_stmt* from = nullptr;
    sqlite3_stmt* page = nullptr;
    sqlite3_stmt* seek = nullptr;
    sqlite3_prepare_v2(db, kLastPage.c_str(), -1, &last, nullptr);
    sqlite3_prepare_v2(db, kMark.c_str(), -1, &mark, nullptr);
    sqlite3_prepare_v2(db, kCount.c_str(), -1, &count, nullptr);
    sqlite3_prepare_v2(db, kCountFrom.c_str(), -1, &from, nullptr);
    sqlite3_prepare_v2(db, kPageBefore.c_str(), -1, &page, nullptr);
    sqlite3_prepare_v2(db, kNextPage.c_str(), -1, &seek, nullptr);
    sqlite3_bind_int(last, 1, 1);
    long long id = 0;
    QByteArray prefix;
    if (sqlite3_step(last) == SQLITE_ROW) {
        id = sqlite3_column_int64(last, 0);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(last, 1));
        prefix = SortKey(SortKey::userLocale()).primaryKey(QString::fromUtf8(text).left(2));
    }
    sqlite3_reset(last);
    std::string key;
    long long rows = 0;
    for (auto _ : state) {
        // The list counted, the row's place read, the rows from it to the end counted, and
        // the rows of its page before it read.
        long long total = 0;
        if (typed) {
            sqlite3_bind_blob(seek, 1, prefix.constData(), int(prefix.size()), SQLITE_STATIC);
            sqlite3_bind_int64(seek, 2, std::numeric_limits<long long>::min());
            sqlite3_bind_int(seek, 3, 1);
            if (sqlite3_step(seek) == SQLITE_ROW)
                id = sqlite3_column_int64(seek, 0);
            sqlite3_reset(seek);
        }
        if (sqlite3_step(count) == SQLITE_ROW)
            total = sqlite3_column_int64(count, 0);
        sqlite3_reset(count);
        sqlite3_bind_int64(mark, 1, id);
        if (sqlite3_step(mark) == SQLITE_ROW)
            key.assign(static_cast<const char*>(sqlite3_column_blob(mark, 0)),
                       size_t(sqlite3_column_bytes(mark, 0)));
        sqlite3_reset(mark);
        sqlite3_bind_blob(from, 1, key.data(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(from, 2, id);
        sqlite3_bind_int64(from, 3, total / 2 + 1);
        if (sqlite3_step(from) == SQLITE_ROW)
            rows = total - sqlite3_column_int64(from, 0);
        sqlite3_reset(from);
        sqlite3_bind_blob(page, 1, key.data(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(page, 2, id);
        sqlite3_bind_int(page, 3, int(rows % IdListModel::kPage) + 1);
        while (sqlite3_step(page) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(page, 1));
        sqlite3_reset(page);
    }
    for (sqlite3_stmt* statement : {last, mark, count, from, page, seek})
        sqlite3_finalize(statement);
    state.counters["index"] = double(rows);
}

// Typing the first letters of All Groups' last name: the book is asked where the names
// beginning so start, and the first of them is selected by its id, its card loaded.
void typeAhead(benchmark::State& state)
{
    session->window().LoadGroups(std::nullopt, 0);
    session->selectGroup(session->allGroups());
    IdListBox& names = session->names();
    names.fetchAll();
    const QString prefix = names.itemText(names.count() - 1).left(2);
    for (auto _ : state) {
        session->selectGroup(session->allGroups());
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, prefix);
        QCoreApplication::sendEvent(&names, &typed);
    }
    state.counters["index"] = double(names.listIndex());
}

void prepareClicks()
{
    session->window().LoadGroups(std::nullopt, 0);
    session->selectGroup(session->allGroups());
    session->names().fetchAll();
    session->clickIndexes.clear();
    const int count = session->names().count();
    for (int i = 0; i < 16 && count > 0; ++i)
        session->clickIndexes << int(qint64(count) * (2 * i + 1) / 32);
}

void nameClick(benchmark::State& state)
{
    prepareClicks();
    if (!ready(state, !session->clickIndexes.isEmpty(), "no names to click"))
        return;
    qsizetype next = 0;
    for (auto _ : state) {
        session->names().setListIndex(session->clickIndexes[next]);
        next = (next + 1) % session->clickIndexes.size();
    }
}

void nameClickBare(benchmark::State& state)
{
    prepareClicks();
    QList<int> ids;
    for (int index : std::as_const(session->clickIndexes))
        ids << session->names().itemData(index);
    if (!ready(state, !ids.isEmpty(), "no names to click"))
        return;
    qsizetype next = 0;
    for (auto _ : state) {
        bareNameClick(session->sqlite(), ids[next]);
        next = (next + 1) % ids.size();
    }
}

void nameClickReads(benchmark::State& state)
{
    prepareClicks();
    QList<qint64> ids;
    for (int index : std::as_const(session->clickIndexes))
        ids << session->names().itemData(index);
    if (!ready(state, !ids.isEmpty(), "no names to click"))
        return;
    const PhoneBook& book = session->window().phoneBook();
    qsizetype next = 0;
    for (auto _ : state) {
        readName(book, ids[next]);
        next = (next + 1) % ids.size();
    }
}

void addName(benchmark::State& state)
{
    PhoneBook& book = session->window().phoneBook();
    const qint64 group = session->groups().itemData(session->firstGroup());
    const QString name = QStringLiteral("Zoë Ναυσικά-Wąsowska");
    for (auto _ : state) {
        if (!ready(state, book.addName(name, 0, group) != 0, "the name was not added"))
            break;
    }
}

void addNameBare(benchmark::State& state)
{
    const int group = session->groups().itemData(session->firstGroup());
    const std::string name = "Zoë Ναυσικά-Wąsowska";
    for (auto _ : state) {
        if (!ready(state, session->sqlite().insert(kAddName, name, 0, group) != 0,
                   "the name was not added"))
            break;
    }
}

// A name with two sub-names, one of them with its own, and three numbers each: what a
// delete takes away. Written in one transaction, outside the timed part.
long long makeTree(BareSqlite& db, int group)
{
    db.exec("BEGIN");
    const long long top = db.insert(kAddName, "Wąsowski, Łukasz", 0, group);
    const long long office = db.insert(kAddName, "Office", top, group);
    const long long desk = db.insert(kAddName, "Desk", office, group);
    const long long home = db.insert(kAddName, "Home", top, group);
    for (const long long owner : {top, office, desk, home}) {
        for (long long kind = 0; kind < 3; ++kind)
            db.insert(kAddTreeNumber, "+48 22 123 45 67", owner, kind);
    }
    db.exec("COMMIT");
    return top;
}

void deleteNameTree(benchmark::State& state)
{
    PhoneBook& book = session->window().phoneBook();
    const int group = session->groups().itemData(session->firstGroup());
    for (auto _ : state) {
        state.PauseTiming();
        const long long id = makeTree(session->sqlite(), group);
        state.ResumeTiming();
        if (!ready(state, book.deleteNameTree(id) == 4 * 3 + 4, "the tree was not deleted"))
            break;
    }
}

void deleteNameTreeBare(benchmark::State& state)
{
    BareSqlite& db = session->sqlite();
    const int group = session->groups().itemData(session->firstGroup());
    for (auto _ : state) {
        state.PauseTiming();
        const long long id = makeTree(db, group);
        state.ResumeTiming();
        const bool deleted = db.exec("BEGIN") && db.run(kDeleteTreeNumbers, id) &&
                             db.run(kDeleteTreeNames, id) && db.exec("COMMIT");
        if (!ready(state, deleted && sqlite3_changes(db.handle()) == 4, "the tree was not deleted"))
            break;
    }
}

void registerAll()
{
    const auto add = [](const std::string& name, auto function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    const std::string bare = bench::RatioReporter::kBareSuffix;
    add("FormLoad", formLoad);
    add("FormLoad" + bare, formLoadBare);
    // Each "Reads" runs the store alone, without the widgets, beside the same bare twin: the
    // store's share of the operation above it.
    add("FormLoadReads", formLoadReads);
    add("FormLoadReads" + bare, formLoadReadsReplayed);
    add("LoadGroups", loadGroups);
    add("LoadGroups" + bare, loadGroupsBare);
    add("LoadGroupsReads", loadGroupsReads);
    add("LoadGroupsReads" + bare, loadGroupsBare);
    for (const bool all : {true, false}) {
        const std::string which = all ? "/AllGroups" : "/OneGroup";
        add("LoadNames" + which, [all](benchmark::State& state) { loadNames(state, all); });
        add("LoadNames" + which + bare,
            [all](benchmark::State& state) { loadNamesBare(state, all); });
        add("LoadNamesReads" + which,
            [all](benchmark::State& state) { loadNamesReads(state, all); });
        add("LoadNamesReads" + which + bare,
            [all](benchmark::State& state) { loadNamesBare(state, all); });
        add("GroupClick" + which, [all](benchmark::State& state) { groupClick(state, all); });
        add("GroupClick" + which + bare,
            [all](benchmark::State& state) { groupClickBare(state, all); });
        add("GroupClickReads" + which,
            [all](benchmark::State& state) { groupClickReads(state, all); });
        add("GroupClickReads" + which + bare,
            [all](benchmark::State& state) { groupClickBare(state, all); });
    }
    for (const bool everyPage : {false, true}) {
        const std::string which = everyPage ? "ScrollToEnd/EveryPage" : "ScrollToEnd/Drag";
        add(which, [everyPage](benchmark::State& state) { scrollToEnd(state, everyPage); });
        add(which + bare,
            [everyPage](benchmark::State& state) { scrollToEndBare(state, everyPage); });
        const std::string reads =
            everyPage ? "ScrollToEndReads/EveryPage" : "ScrollToEndReads/Drag";
        add(reads, [everyPage](benchmark::State& state) { scrollToEndReads(state, everyPage); });
        add(reads + bare,
            [everyPage](benchmark::State& state) { scrollToEndBare(state, everyPage); });
    }
    add("ScrollToMiddle/Drag", scrollToMiddle);
    add("ScrollToMiddle/Drag" + bare, scrollToMiddleBare);
    add("ScrollToMiddleReads/Drag", scrollToMiddleReads);
    add("ScrollToMiddleReads/Drag" + bare, scrollToMiddleBare);
    add("SelectLastName", selectLast);
    add("SelectLastName" + bare, [](benchmark::State& state) { selectBare(state, false); });
    add("TypeAhead", typeAhead);
    add("TypeAhead" + bare, [](benchmark::State& state) { selectBare(state, true); });
    add("NameClick", nameClick);
    add("NameClick" + bare, nameClickBare);
    add("NameClickReads", nameClickReads);
    add("NameClickReads" + bare, nameClickBare);
    // Writes come last, so every read above sees the book as it was generated.
    add("AddName", addName);
    add("AddName" + bare, addNameBare);
    add("DeleteNameTree", deleteNameTree);
    add("DeleteNameTree" + bare, deleteNameTreeBare);
}

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--benchmark_...] BOOK.mdb\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString book = QString::fromLocal8Bit(argv[1]);
    QApplication app(argc, argv);

    QTemporaryDir home;
    if (!home.isValid() || !QFile::copy(book, home.filePath(QStringLiteral("data.mdb")))) {
        std::fprintf(stderr, "cannot copy %s into a temporary folder\n", argv[1]);
        return 1;
    }
    qputenv("TELVORA_HOME", home.path().toUtf8());
    QDir::setCurrent(home.path());

    Session state;
    state.folder = home.path();
    session = &state;
    benchmark::AddCustomContext("book", argv[1]);
    registerAll();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    session = nullptr;
    return reporter.anyFailed() ? 1 : 0;
}
