#include "search/NameSearch.h"

#include "search/SearchPattern.h"
#include "store/PhoneBook.h"
#include "store/Schema.h"

#include <QSqlDriver>
#include <QVariant>
#include <memory>
#include <sqlite3.h>

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

class Statement
{
public:
    Statement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &m_statement, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    void bind(int position, const QString& text)
    {
        sqlite3_bind_text16(m_statement, position, text.utf16(), int(text.size() * 2),
                            SQLITE_TRANSIENT);
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

bool ensureFunction(sqlite3* db)
{
    if (Statement(db, QStringLiteral("SELECT telvora_contains('', '')")))
        return true;
    return sqlite3_create_function_v2(
               db, kContains, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
               containsFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool hasSearchIndex(sqlite3* db)
{
    Statement query(db, QStringLiteral("SELECT name FROM sqlite_master"));
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

} // namespace

ListCursor NameSearch::start(const QString& nameText, const QString& numberText)
{
    const auto found = filter(nameText, numberText);
    return found ? m_book.namesCursor(found->first, found->second) : ListCursor();
}

std::optional<std::pair<QString, QVariantList>> NameSearch::filter(const QString& nameText,
                                                                   const QString& numberText)
{
    m_usedIndex = false;
    sqlite3* db = handleOf(m_book);
    if (!db || !ensureFunction(db))
        return std::nullopt;
    const bool indexed = hasSearchIndex(db);

    // Every text is bound; the statement's shape depends only on which boxes are filled
    // and whether a piece of the text is long enough for the index.
    QStringList conditions;
    QVariantList values;
    const SearchPattern name(nameText);
    if (!name.isEmpty()) {
        const QString query = indexed ? name.fullTextQuery() : QString();
        if (!query.isEmpty()) {
            conditions << QStringLiteral(
                "id IN (SELECT rowid FROM names_search WHERE names_search MATCH ?)");
            values << query;
            m_usedIndex = true;
        }
        conditions << matchCondition(name);
        values << matchValue(name, nameText);
    }
    const SearchPattern number(numberText);
    if (!number.isEmpty()) {
        const QString query = indexed ? number.fullTextQuery() : QString();
        if (!query.isEmpty()) {
            conditions << QStringLiteral(
                              "id IN (SELECT parent FROM numbers WHERE id IN (SELECT rowid FROM"
                              " numbers_search WHERE numbers_search MATCH ?) AND %1)")
                              .arg(matchCondition(number));
            values << query << matchValue(number, numberText);
            m_usedIndex = true;
        } else {
            // Asked of each name in list order through the numbers' owner index, so the first
            // page stops after its rows instead of matching every number of the book first.
            conditions << QStringLiteral("EXISTS (SELECT 1 FROM numbers WHERE numbers.parent ="
                                         " names.id AND %1)")
                              .arg(matchCondition(number, QStringLiteral("numbers.name")));
            values << matchValue(number, numberText);
        }
    }
    if (conditions.isEmpty())
        conditions << QStringLiteral("1");
    return std::pair{conditions.join(QStringLiteral(" AND ")), values};
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
    Statement statement(db, QStringLiteral("SELECT id, name, \"group\", parent FROM names"
                                           " WHERE id = ? AND typeof(id) = 'integer'"));
    if (!statement)
        return std::nullopt;
    sqlite3_bind_int64(statement.get(), 1, id);
    if (sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return hitAt(statement.get());
}

} // namespace telvora
