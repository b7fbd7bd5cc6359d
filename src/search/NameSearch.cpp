#include "search/NameSearch.h"

#include "search/SearchPattern.h"
#include "search/TrigramTerms.h"
#include "store/PhoneBook.h"
#include "store/Schema.h"
#include "store/SqliteStatement.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace telvora {

namespace {

const char kContains[] = "telvora_contains";

// telvora_contains(typed, text): whether the text contains what was typed, with the
// wildcards and letter folding of SearchPattern; SQLite's own LIKE folds only ASCII.
void containsFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    auto* pattern = static_cast<SearchPattern*>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<SearchPattern> made;
    if (!pattern) {
        const auto* typed = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
        made = std::make_unique<SearchPattern>(
            typed ? QString::fromUtf8(typed, sqlite3_value_bytes(values[0])) : QString());
        pattern = made.get();
    }
    // The stored UTF-8 as SQLite holds it: no conversion and no copy for each row.
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
    const bool found = pattern->matchesUtf8(text, text ? sqlite3_value_bytes(values[1]) : 0);
    sqlite3_result_int(context, found ? 1 : 0);
    // Kept for the next row, as the typed text is the same for the whole statement; SQLite
    // may drop it at once, so it is handed over last.
    if (made) {
        sqlite3_set_auxdata(context, 0, made.release(),
                            [](void* data) { delete static_cast<SearchPattern*>(data); });
    }
}

sqlite3* handleOf(const PhoneBook& book)
{
    if (!book.isOpen())
        return nullptr;
    const QVariant handle = book.database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool ensureFunction(sqlite3* db)
{
    if (SqliteStatement(db, QStringLiteral("SELECT telvora_contains('', '')")))
        return true;
    return sqlite3_create_function_v2(
               db, kContains, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
               containsFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool hasSearchIndex(sqlite3* db)
{
    SqliteStatement query(db, QStringLiteral("SELECT name FROM sqlite_master"));
    if (!query)
        return false;
    const QStringList& wanted = schema::searchIndexObjects();
    int present = 0;
    while (sqlite3_step(query.get()) == SQLITE_ROW) {
        const auto* name = static_cast<const QChar*>(sqlite3_column_text16(query.get(), 0));
        if (name && wanted.contains(QString(name, sqlite3_column_bytes16(query.get(), 0) / 2)))
            ++present;
    }
    return present == wanted.size();
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = static_cast<const QChar*>(sqlite3_column_text16(statement, column));
    return text ? QString(text, sqlite3_column_bytes16(statement, column) / 2) : QString();
}

// An id, parent or group as the lists carry it: a whole number that can stand for one row,
// 0 for none, else kUnusableId, so that no value of the file reads as another row's id.
qint64 idAt(sqlite3_stmt* statement, int column, bool zeroAllowed)
{
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER)
        return kUnusableId;
    const qint64 id = sqlite3_column_int64(statement, column);
    return isRowId(id) || (zeroAllowed && id == 0) ? id : kUnusableId;
}

SearchHit hitAt(sqlite3_stmt* statement)
{
    return SearchHit{idAt(statement, 0, false), columnText(statement, 1), idAt(statement, 2, true),
                     idAt(statement, 3, true)};
}

QString matchCondition(const SearchPattern& pattern, const QString& column = QStringLiteral("name"))
{
    return pattern.isCaseless() ? column + QStringLiteral(" GLOB ?")
                                : QStringLiteral("telvora_contains(?, %1)").arg(column);
}

QString matchValue(const SearchPattern& pattern, const QString& typed)
{
    return pattern.isCaseless() ? pattern.globPattern() : typed;
}

// A book's rows are numbered from 1 and never reused, so the largest number tells roughly
// how many there are without counting them.
qint64 largestId(const PhoneBook& book)
{
    const SqliteStatement query =
        SqliteStatement::kept(book.keptStatement(QStringLiteral("SELECT max(id) FROM names")));
    return query && sqlite3_step(query.get()) == SQLITE_ROW ? sqlite3_column_int64(query.get(), 0)
                                                            : 0;
}

// Whether a search is best answered by reading the rows the trigram index names, by id, and
// sorting them, or by walking the list in its order and matching each row's own text. Reading
// by id costs about 4 µs a row wherever the rows lie; the walk costs about 0.45 µs a row it
// passes, which is little when the rows found are spread through the list and up to the whole
// book when they sit together (a surname). So the index is read when it names at most a ninth
// of the book, and at most as many rows as can be read in about 50 ms; beyond that the walk,
// which then finds a screenful quickly unless the rows are bunched. Measured with
// bench/bench_search on generated books of 100,000 and 1,000,000 names.
enum class Reach
{
    ById,
    TextOnly,
};

constexpr qint64 kByIdRows = 12'000;
constexpr qint64 kByIdShare = 9;

qint64 byIdLimit(qint64 bookRows)
{
    return std::min(kByIdRows, std::max<qint64>(bookRows / kByIdShare, 1));
}

// With the lists' order at hand, a row the index names costs a step through its answer and
// a look in the order, not a read of the row: about 0.3 µs for a text of three or more
// characters, so ten times as many rows are still found sooner that way than by a walk that
// may pass half the book. The ninth of the book still holds: a short text's OR of many
// trigrams costs more a row, and the walk finds such common texts at once.
constexpr qint64 kOrderedRows = 120'000;

qint64 orderedLimit(qint64 bookRows)
{
    return std::min(kOrderedRows, std::max<qint64>(bookRows / kByIdShare, 1));
}

struct IndexAsk
{
    Reach reach = Reach::TextOnly;
    QString query;
};

// How the index is best asked for a text, up to limit rows read by id. Without counting, a
// text of three or more characters is simply asked by id, for a caller that reads the rows
// itself and stops at the limit.
IndexAsk askIndex(const SearchPattern& pattern, const TrigramTerms& terms, qint64 limit,
                  bool counted = true)
{
    const QString query = pattern.fullTextQuery();
    if (!query.isEmpty() && !counted)
        return {Reach::ById, query};
    if (!query.isEmpty()) {
        // Without a count the index is still the better way to the rows, as it always was.
        const std::optional<qint64> rows = terms.rowsMatching(query, limit);
        return {!rows || *rows <= limit ? Reach::ById : Reach::TextOnly, query};
    }
    // A short text is found through the trigrams beginning with its longest piece; the walk
    // is taken as soon as they hold more rows than it would cost.
    QString longest;
    for (const QString& piece : pattern.pieces()) {
        if (piece.toUcs4().size() > longest.toUcs4().size())
            longest = piece;
    }
    if (longest.isEmpty() || !terms.isValid())
        return {};
    const TrigramTerms::Candidates found = terms.startingWith(longest, limit);
    if (found.overLimit)
        return {};
    // No trigram begins with it: no row holds the text, and an empty query finds none.
    if (found.query.isEmpty())
        return {Reach::ById, QStringLiteral("\"\"")};
    return {found.rows <= limit ? Reach::ById : Reach::TextOnly, found.query};
}

// Reads the order on a connection of its own, so the window's stays free.
std::optional<SearchOrder> readOrder(const std::string& file)
{
    sqlite3* own = nullptr;
    std::optional<SearchOrder> order;
    if (sqlite3_open_v2(file.c_str(), &own, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) ==
        SQLITE_OK) {
        // A change being written holds the file for a moment; the order can wait for it.
        sqlite3_busy_timeout(own, 2000);
        order = SearchOrder::read(own);
    }
    sqlite3_close(own);
    return order;
}

} // namespace

// Each statement run on its own takes the file's lock and lets it go again (two fcntl calls
// and a look for a journal left behind), which costs more than most of a search's small
// questions; so a search asks them all under one read transaction, begun at its first
// question. Nothing is begun inside a transaction the connection already has open.
class NameSearch::OneRead
{
public:
    explicit OneRead(const PhoneBook& book) : m_book(book)
    {
        sqlite3* db = handleOf(book);
        m_writeOpen = db && !sqlite3_get_autocommit(db);
    }
    ~OneRead()
    {
        // A transaction left open would turn every later change of the book into an error.
        if (m_begun && !run(QStringLiteral("COMMIT")))
            run(QStringLiteral("ROLLBACK"));
    }
    OneRead(const OneRead&) = delete;
    OneRead& operator=(const OneRead&) = delete;

    void begin()
    {
        if (!m_begun && !m_writeOpen)
            m_begun = run(QStringLiteral("BEGIN"));
    }
    // Whether a transaction was open before the search.
    bool writeOpen() const { return m_writeOpen; }
    bool factsRead = false;

private:
    bool run(const QString& sql)
    {
        const SqliteStatement statement = SqliteStatement::kept(m_book.keptStatement(sql));
        return statement && sqlite3_step(statement.get()) == SQLITE_DONE;
    }
    const PhoneBook& m_book;
    bool m_writeOpen = false;
    bool m_begun = false;
};

NameSearch::NameSearch(const PhoneBook& book, qint64 orderFrom)
    : m_book(book), m_orderFrom(orderFrom)
{}

// A read still running is waited for here (its future's end), as it uses the book's file.
NameSearch::~NameSearch() = default;

void NameSearch::prepare()
{
    if (const Facts* known = facts())
        freshOrder(*known);
}

bool NameSearch::awaitOrder()
{
    if (m_reading.valid())
        m_reading.wait();
    const Facts* known = facts();
    return known && freshOrder(*known) != nullptr;
}

const NameSearch::Facts* NameSearch::facts()
{
    sqlite3* db = handleOf(m_book);
    if (!db)
        return nullptr;
    // Nothing changes the book within one search's read.
    if (m_read && m_read->factsRead)
        return m_facts.searchable ? &m_facts : nullptr;
    if (m_read)
        m_read->begin();
    const std::optional<PhoneBook::Versions> versions = m_book.versions();
    if (!versions)
        return nullptr;
    const qint64 schemaVersion = versions->schema;
    const Stamp now{versions->data, versions->ownChanges};
    Facts& known = m_facts;
    if (known.connection != m_book.openCount() || known.schemaVersion != schemaVersion) {
        known = Facts{};
        known.connection = m_book.openCount();
        known.schemaVersion = schemaVersion;
        known.searchable = ensureFunction(db);
        known.indexed = hasSearchIndex(db);
        if (known.indexed) {
            known.nameTerms.emplace(m_book, db, QStringLiteral("names_search"));
            known.numberTerms.emplace(m_book, db, QStringLiteral("numbers_search"));
        }
    }
    if (known.stamp != now) {
        known.stamp = now;
        known.rows = largestId(m_book);
    }
    if (m_read)
        m_read->factsRead = true;
    return known.searchable ? &known : nullptr;
}

const SearchOrder* NameSearch::freshOrder(const Facts& facts)
{
    sqlite3* db = handleOf(m_book);
    // Inside a transaction, the rows this connection changed are not yet in what another
    // connection reads, so no order read beside it would match.
    if (!db || (m_read ? m_read->writeOpen() : !sqlite3_get_autocommit(db)))
        return nullptr;
    const Stamp& now = facts.stamp;

    using namespace std::chrono_literals;
    if (m_reading.valid() && m_reading.wait_for(0s) == std::future_status::ready) {
        std::optional<SearchOrder> read = m_reading.get();
        // A change committed after the read began may or may not be in it.
        if (read && m_readingStamp == now) {
            m_order = std::make_shared<const SearchOrder>(std::move(*read));
            m_orderStamp = now;
        }
    }
    if (m_order && m_orderStamp == now)
        return m_order.get();
    m_order.reset();
    const char* file = sqlite3_db_filename(db, "main");
    if (!m_reading.valid() && file && *file && facts.rows >= m_orderFrom) {
        m_readingStamp = now;
        m_reading = std::async(std::launch::async, readOrder, std::string(file));
    }
    return nullptr;
}

std::optional<QList<qint64>> NameSearch::inOrder(const SearchOrder& order, const QString& asked,
                                                 qint64 limit) const
{
    SqliteStatement query = SqliteStatement::kept(m_book.keptStatement(
        QStringLiteral("SELECT rowid FROM names_search WHERE names_search MATCH ?")));
    if (!query)
        return std::nullopt;
    query.bind(1, asked);
    std::vector<qint64> found;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(query.get())) == SQLITE_ROW) {
        // So many that walking the list finds a screenful sooner.
        if (qint64(found.size()) >= limit)
            return std::nullopt;
        found.push_back(sqlite3_column_int64(query.get(), 0));
    }
    if (step != SQLITE_DONE)
        return std::nullopt;
    // A row the order does not know came after it was read: the order is not the book's.
    const std::optional<std::vector<qint64>> sorted = order.sorted(found);
    if (!sorted)
        return std::nullopt;
    return QList<qint64>(sorted->cbegin(), sorted->cend());
}

std::optional<ListCursor> NameSearch::startInOrder(const QString& nameText,
                                                   const QString& numberText)
{
    // A number's condition is asked of each name through its own subquery, which the order
    // cannot spare.
    const SearchPattern name(nameText);
    if (name.isEmpty() || !SearchPattern(numberText).isEmpty())
        return std::nullopt;
    const Facts* known = facts();
    if (!known || !known->indexed || known->rows < m_orderFrom)
        return std::nullopt;
    const qint64 bookRows = known->rows;
    const SearchOrder* order = freshOrder(*known);
    if (!order)
        return std::nullopt;
    // The index names a few thousand rows in the order of their ids; reading each of them to
    // sort them is most of a search of a large book, and the order spares it.
    const IndexAsk ask = askIndex(name, *known->nameTerms, orderedLimit(bookRows), false);
    std::optional<QList<qint64>> ids;
    if (ask.reach == Reach::ById)
        ids = inOrder(*order, ask.query, orderedLimit(bookRows));
    if (!ids) {
        // More than even the order makes worth reading by id: the walk it is.
        m_nameTooCommon = true;
        return std::nullopt;
    }
    m_usedIndex = true;
    m_usedOrder = true;
    return ListCursor::ordered(m_book, QStringLiteral("names"), matchCondition(name),
                               {matchValue(name, nameText)}, std::move(*ids));
}

ListCursor NameSearch::start(const QString& nameText, const QString& numberText)
{
    m_usedOrder = false;
    m_nameTooCommon = false;
    OneRead together(m_book);
    m_read = &together;
    const auto leave = qScopeGuard([this] { m_read = nullptr; });
    if (std::optional<ListCursor> ordered = startInOrder(nameText, numberText))
        return std::move(*ordered);
    const std::optional<Filter> found = filter(nameText, numberText);
    m_nameTooCommon = false;
    if (!found)
        return ListCursor();
    ListCursor cursor = m_book.namesCursor(found->condition, found->values);
    if (found->countCondition != found->condition)
        cursor.countWith(found->countCondition, found->countValues);
    return cursor;
}

std::optional<NameSearch::Filter> NameSearch::filter(const QString& nameText,
                                                     const QString& numberText)
{
    m_usedIndex = false;
    const SearchPattern name(nameText);
    const SearchPattern number(numberText);
    // Everything asks nothing of the book.
    if (name.isEmpty() && number.isEmpty() && m_book.isOpen())
        return Filter{QStringLiteral("1"), {}, QStringLiteral("1"), {}};
    const Facts* known = facts();
    if (!known)
        return std::nullopt;
    const bool indexed = known->indexed;
    const qint64 bookRows = indexed ? known->rows : 0;

    // Every text is bound; the statement's shape depends only on which boxes are filled and
    // how the index is best asked for each.
    QStringList conditions;
    QVariantList values;
    QStringList countConditions;
    QVariantList countValues;
    const auto both = [&](const QString& condition, const QVariantList& bound) {
        conditions << condition;
        values << bound;
        countConditions << condition;
        countValues << bound;
    };
    if (!name.isEmpty()) {
        const IndexAsk ask = indexed && !m_nameTooCommon
                                 ? askIndex(name, *known->nameTerms, byIdLimit(bookRows))
                                 : IndexAsk{};
        if (ask.reach != Reach::TextOnly) {
            both(
                QStringLiteral("id IN (SELECT rowid FROM names_search WHERE names_search MATCH ?)"),
                {ask.query});
            m_usedIndex = true;
        }
        both(matchCondition(name), {matchValue(name, nameText)});
    }
    if (!number.isEmpty()) {
        const IndexAsk ask =
            indexed ? askIndex(number, *known->numberTerms, byIdLimit(bookRows)) : IndexAsk{};
        if (ask.reach != Reach::TextOnly) {
            both(QStringLiteral("id IN (SELECT parent FROM numbers WHERE id IN (SELECT rowid FROM"
                                " numbers_search WHERE numbers_search MATCH ?) AND %1)")
                     .arg(matchCondition(number)),
                 {ask.query, matchValue(number, numberText)});
            m_usedIndex = true;
        } else {
            // Asked of each name in list order through the numbers' owner index, so the first
            // page stops after its rows instead of matching every number of the book first.
            conditions << QStringLiteral("EXISTS (SELECT 1 FROM numbers WHERE numbers.parent ="
                                         " names.id AND %1)")
                              .arg(matchCondition(number, QStringLiteral("numbers.name")));
            values << matchValue(number, numberText);
            // Counting so would ask it of every name of the book: a name typed in the list of
            // those with a number containing 77 took 4.3 s among a million names. One pass over
            // the numbers in the order they are stored names their owners in a seventh of it.
            countConditions << QStringLiteral("id IN (SELECT parent FROM numbers WHERE %1)")
                                   .arg(matchCondition(number));
            countValues << matchValue(number, numberText);
        }
    }
    if (conditions.isEmpty())
        both(QStringLiteral("1"), {});
    return Filter{conditions.join(QStringLiteral(" AND ")), values,
                  countConditions.join(QStringLiteral(" AND ")), countValues};
}

ListRows NameSearch::run(const QString& nameText, const QString& numberText)
{
    return start(nameText, numberText).rest();
}

std::optional<SearchHit> NameSearch::row(qint64 id) const
{
    sqlite3* db = handleOf(m_book);
    if (!db || !isRowId(id))
        return std::nullopt;
    SqliteStatement statement(db, QStringLiteral("SELECT id, name, \"group\", parent FROM names"
                                                 " WHERE id = ? AND typeof(id) = 'integer'"));
    if (!statement)
        return std::nullopt;
    sqlite3_bind_int64(statement.get(), 1, id);
    if (sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return hitAt(statement.get());
}

} // namespace telvora
