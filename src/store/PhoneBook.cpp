#include "store/PhoneBook.h"

#include "store/CallLog.h"
#include "store/FileSchema.h"
#include "store/Schema.h"
#include "store/SortKey.h"
#include "store/Statements.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>

namespace telvora {

using statements::quoted;

namespace {

const char kSqliteMagic[] = "SQLite format 3";
constexpr int kReservedRows = 256;

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("telvora-phonebook-%1").arg(counter.fetchAndAddRelaxed(1));
}

bool hasSqliteHeader(const QString& path)
{
    // Sixteen bytes need no read-ahead buffer (16 KB, asked for and given back).
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    char head[16];
    return file.read(head, sizeof head) == sizeof head &&
           std::memcmp(head, kSqliteMagic, sizeof kSqliteMagic) == 0;
}

void bindValue(sqlite3_stmt* statement, int position, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, position, value.toLongLong());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(statement, position, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, position, bytes.constData(), int(bytes.size()),
                          SQLITE_TRANSIENT);
        return;
    }
    default:
        break;
    }
    // As Qt's driver binds them: a null value or null text is SQL NULL.
    const QString text = value.toString();
    if (value.isNull() || text.isNull()) {
        sqlite3_bind_null(statement, position);
        return;
    }
    sqlite3_bind_text16(statement, position, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

// Whether bindValue would bind the two values alike: of one type, equal, and for text and
// bytes null alike (a null text binds as SQL NULL, an empty one as '').
bool bindsAlike(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId() || a.isNull() != b.isNull())
        return false;
    switch (a.typeId()) {
    case QMetaType::QString: {
        const QString x = a.toString();
        const QString y = b.toString();
        return x.isNull() == y.isNull() && x == y;
    }
    case QMetaType::QByteArray: {
        const QByteArray x = a.toByteArray();
        const QByteArray y = b.toByteArray();
        return x.isNull() == y.isNull() && x == y;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
        return a == b;
    default:
        return false;
    }
}

QByteArrayView columnUtf8(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(statement, column)) : QByteArrayView();
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

// The same values, of the same types, that Qt's driver gives for a column.
QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant(columnText(statement, column));
    }
}

// An id as a list carries it: the row's own when it is a positive whole number, else the
// mark of a row no command may reach.
qint64 idAt(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER)
        return kUnusableId;
    const qint64 id = sqlite3_column_int64(statement, column);
    return isRowId(id) ? id : kUnusableId;
}

// A statement stepped to its end or not ends its read when the call returns, so no half-read
// statement keeps a writer on this or another connection waiting.
struct ResetWhenDone
{
    sqlite3_stmt* statement;
    ~ResetWhenDone() { sqlite3_reset(statement); }
};

// A book made before the search indexes existed, or one whose indexes another program
// dropped, gets them now, filled from its tables in one transaction: a failure leaves the
// file as it was, and the search then reads the tables themselves.
void addMissingSearchIndex(QSqlDatabase db, const FileSchema& fileSchema)
{
    const QStringList wanted = schema::searchIndexObjects();
    int present = 0;
    // What each name is in this file, which another program may have made something else.
    QHash<QString, QString> kinds;
    for (const FileSchema::Object& object : fileSchema.objects()) {
        kinds.insert(object.name, object.type);
        // An index of an earlier kind (its own copy of every text and every trigram's place,
        // or texts without end marks, which short searches cannot use) is made again in the
        // present form, reading the tables.
        if (object.name.endsWith(QLatin1String("_search")) &&
            !object.sql.contains(QLatin1String("_search_text'")))
            continue;
        present += wanted.contains(object.name) ? 1 : 0;
    }
    if (present == wanted.size() || !db.transaction())
        return;
    QSqlQuery query(db);
    QStringList statements;
    for (const QString& object : wanted) {
        const QString kind = kinds.value(object);
        if (kind == QLatin1String("table") || kind == QLatin1String("view") ||
            kind == QLatin1String("trigger"))
            statements << QStringLiteral("DROP %1 \"%2\"").arg(kind.toUpper(), object);
    }
    statements += schema::searchIndexStatements();
    for (const QString& statement : std::as_const(statements)) {
        if (!query.exec(statement)) {
            db.rollback();
            return;
        }
    }
    if (!db.commit())
        db.rollback();
}

} // namespace

// Preparing costs more than running most of the list statements, and Qt's per-row values
// cost more than the rows themselves, so these reads step SQLite's own statements, kept
// prepared until the file is closed.
class PhoneBook::PreparedReads
{
public:
    explicit PreparedReads(sqlite3* db) : m_db(db) {}
    ~PreparedReads()
    {
        for (const Prepared& prepared : std::as_const(m_statements))
            sqlite3_finalize(prepared.statement);
        forgetAdds();
    }
    PreparedReads(const PreparedReads&) = delete;
    PreparedReads& operator=(const PreparedReads&) = delete;

    // The statement with the values bound, ready to step; nullptr when it cannot be prepared.
    // Only the values that differ from those bound before are bound again: binding the
    // pattern of a GLOB makes SQLite compile the statement anew at its next step, which
    // cost a search reading 64 rows a statement more than the rows.
    sqlite3_stmt* bind(const QString& sql, const QVariantList& values)
    {
        auto found = m_statements.find(sql);
        if (found == m_statements.end()) {
            sqlite3_stmt* statement = nullptr;
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
                sqlite3_finalize(statement);
                return nullptr;
            }
            found = m_statements.insert(sql, Prepared{statement, {}});
        }
        Prepared& prepared = *found;
        sqlite3_reset(prepared.statement);
        prepared.bound.resize(values.size());
        for (int i = 0; i < values.size(); ++i) {
            if (bindsAlike(prepared.bound.at(i), values.at(i)))
                continue;
            bindValue(prepared.statement, i + 1, values.at(i));
            prepared.bound[i] = values.at(i);
        }
        return prepared.statement;
    }

    // The same, with row numbers bound after the values: a batch of rows read by number binds
    // new numbers every time, so they are bound as they are, not compared first.
    sqlite3_stmt* bind(const QString& sql, const QVariantList& values, const QList<qint64>& rows)
    {
        sqlite3_stmt* statement = bind(sql, values);
        if (!statement)
            return nullptr;
        for (int i = 0; i < rows.size(); ++i)
            sqlite3_bind_int64(statement, int(values.size()) + i + 1, rows.at(i));
        return statement;
    }

    sqlite3* handle() const { return m_db; }

    // A page statement's text, and that of a batch of rows by number, made once: a list reads
    // its pages, and a search its batches, through the same few texts.
    const QString& pageText(const QString& table, const QString& filter, bool keyed,
                            statements::Page which)
    {
        return text({table, filter, keyed, int(which)},
                    [&] { return statements::page(table, filter, keyed, which); });
    }
    const QString& listedText(const QString& table, const QString& filter)
    {
        return text({table, filter, false, kListed},
                    [&] { return statements::listed(table, filter, kListedRows); });
    }

    // Runs an adding statement with the values bound, prepared once and kept, as an import
    // adds rows through the same few statements hundreds of thousands of times. The new row's
    // id, or nothing with the error told.
    std::optional<qint64> add(const QString& sql, const QVariantList& values, QString& error)
    {
        sqlite3_stmt* statement = m_adds.value(sql);
        if (!statement) {
            // Cards vary in the columns they fill; a bounded set of statements serves them all.
            if (m_adds.size() >= kHeldWrites)
                forgetAdds();
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
                error = describe(m_db);
                sqlite3_finalize(statement);
                return std::nullopt;
            }
            m_adds.insert(sql, statement);
        }
        for (int i = 0; i < values.size(); ++i)
            bindValue(statement, i + 1, values.at(i));
        const ResetWhenDone reset{statement};
        if (sqlite3_step(statement) != SQLITE_DONE) {
            error = describe(m_db);
            return std::nullopt;
        }
        return sqlite3_last_insert_rowid(m_db);
    }

    // A writing statement through Qt's driver (its errors read as every other write's),
    // prepared once: an import writes the same few statements hundreds of thousands of
    // times, and compiling them with their index triggers cost more than running them. A
    // read asked at every click (the card's last call) is kept here too.
    // False when it cannot be prepared; its values are then bound by position.
    QSqlQuery* prepared(const QString& sql, const QSqlDatabase& db, QString& error)
    {
        auto found = m_writes.find(sql);
        if (found == m_writes.end()) {
            // Card updates vary in the columns they set; a bounded cache serves them all.
            if (m_writes.size() >= kHeldWrites)
                m_writes.clear();
            QSqlQuery query(db);
            if (!query.prepare(sql)) {
                error = describe(query.lastError());
                return nullptr;
            }
            found = m_writes.insert(sql, query);
        }
        return &*found;
    }

private:
    static constexpr int kHeldWrites = 64;

    struct TextKey
    {
        QString table;
        QString filter;
        bool keyed = false;
        int kind = 0; // a statements::Page, or kListed
        bool operator==(const TextKey&) const = default;
        friend size_t qHash(const TextKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.table, key.filter, key.keyed, key.kind);
        }
    };
    static constexpr int kListed = -1;
    template <typename Make> const QString& text(const TextKey& key, Make make)
    {
        auto found = m_texts.find(key);
        if (found == m_texts.end())
            found = m_texts.insert(key, make());
        return *found;
    }
    QHash<TextKey, QString> m_texts;

    void forgetAdds()
    {
        for (sqlite3_stmt* statement : std::as_const(m_adds))
            sqlite3_finalize(statement);
        m_adds.clear();
    }

    struct Prepared
    {
        sqlite3_stmt* statement;
        QVariantList bound; // as bound now; an invalid value is bound anew
    };

    sqlite3* m_db;
    QHash<QString, Prepared> m_statements;
    QHash<QString, sqlite3_stmt*> m_adds;
    QHash<QString, QSqlQuery> m_writes;
};

PhoneBook::PreparedReads* PhoneBook::preparedReads() const
{
    if (!m_preparedReads) {
        // The connection is always Qt's SQLite driver, which hands out its sqlite3 handle.
        const QVariant handle = database().driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
            return nullptr;
        sqlite3* db = *static_cast<sqlite3* const*>(handle.constData());
        if (!db)
            return nullptr;
        m_preparedReads = std::make_unique<PreparedReads>(db);
    }
    return m_preparedReads.get();
}

// Must run before the connection closes: SQLite refuses to close a connection that still
// has prepared statements.
QSqlQuery* PhoneBook::preparedWrite(const QString& sql, const QSqlDatabase& db)
{
    PreparedReads* cache = preparedReads();
    if (!cache) {
        m_error = QCoreApplication::translate("telvora::PhoneBook",
                                              "the phone book is not open for changes");
        return nullptr;
    }
    return cache->prepared(sql, db, m_error);
}

QSqlQuery* PhoneBook::keptQuery(const QString& sql) const
{
    PreparedReads* cache = isOpen() ? preparedReads() : nullptr;
    QString ignored;
    return cache ? cache->prepared(sql, database(), ignored) : nullptr;
}

sqlite3_stmt* PhoneBook::keptStatement(const QString& sql) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    return reads ? reads->bind(sql, {}) : nullptr;
}

std::optional<PhoneBook::Versions> PhoneBook::versions() const
{
    sqlite3_stmt* query = keptStatement(QStringLiteral(
        "SELECT schema_version, data_version FROM pragma_schema_version, pragma_data_version"));
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return Versions{sqlite3_column_int64(query, 0), sqlite3_column_int64(query, 1),
                    sqlite3_total_changes64(sqlite3_db_handle(query))};
}

sqlite3* PhoneBook::sqliteHandle() const
{
    PreparedReads* reads = preparedReads();
    return reads ? reads->handle() : nullptr;
}

void PhoneBook::forgetPreparedReads() const
{
    m_preparedReads.reset();
}

PhoneBook::PhoneBook() : m_connection(nextConnectionName()) {}

PhoneBook::~PhoneBook()
{
    forgetPreparedReads();
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QSqlDatabase PhoneBook::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void PhoneBook::fail(const QString& reason)
{
    m_error = reason;
    m_state = State::Failed;
    forgetPreparedReads();
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
}

PhoneBook::State PhoneBook::open(const QString& fileName)
{
    ++m_openCount;
    forgetPreparedReads();
    m_keyed.clear();
    m_withoutRowid.clear();
    m_sortIdentity.clear();
    m_sortKey = std::make_unique<SortKey>(SortKey::userLocale());
    const QFileInfo info(fileName);
    m_filePath = info.absoluteFilePath();
    m_error.clear();
    const bool exists = info.exists();

    if (exists) {
        if (!info.isFile()) {
            fail(QCoreApplication::translate("telvora::PhoneBook", "it is not a file"));
            return m_state;
        }
        if (!info.isReadable()) {
            fail(QCoreApplication::translate("telvora::PhoneBook",
                                             "permission to read it is denied"));
            return m_state;
        }
        if (!hasSqliteHeader(m_filePath)) {
            fail(QCoreApplication::translate(
                "telvora::PhoneBook", "it is not a phone book database (unknown file format)"));
            return m_state;
        }
    }

    // A change needs the file and, for SQLite's rollback journal, its folder writable.
    const bool writable =
        !exists || (info.isWritable() && QFileInfo(info.absolutePath()).isWritable());

    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);

    if (!exists) {
        // The new book is made whole under another name and only then put in place: a start
        // killed while making it must not leave an empty or half-made file that every later
        // start refuses. Contacts are private: the file is the owner's alone whatever the
        // umask, and SQLite gives its journal the same mode.
        const QString made =
            m_filePath + QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
        const auto failCreating = [this, &made](const QString& reason) {
            QFile::remove(made);
            fail(QCoreApplication::translate("telvora::PhoneBook",
                                             "it is missing and could not be created (%1)")
                     .arg(reason));
            return m_state;
        };
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QFile::remove(made); // left by a start of the same number killed while making it
        QFile file(made);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            return failCreating(file.errorString());
        file.setPermissions(ownerOnly);
        file.close();
        db.setDatabaseName(made);
        db.setConnectOptions({});
        if (!db.open())
            return failCreating(db.lastError().text());
        const bool schemaMade = createSchema();
        db.close();
        if (!schemaMade)
            return failCreating(m_error);
        // Never over a file that appeared meanwhile.
        if (!QFile::rename(made, m_filePath))
            return failCreating(
                QCoreApplication::translate("telvora::PhoneBook", "another file took its place"));
    }

    db.setDatabaseName(m_filePath);
    db.setConnectOptions(writable
                             ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                             : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        fail(exists ? db.lastError().text()
                    : QCoreApplication::translate("telvora::PhoneBook",
                                                  "it is missing and could not be created (%1)")
                          .arg(db.lastError().text()));
        return m_state;
    }

    std::optional<FileSchema> fileSchema;
    if (!exists) {
        m_state = State::Created;
        if (!checkSchema(true, fileSchema))
            return m_state;
        prepareSortKeys(true, *fileSchema);
    } else {
        m_state = writable ? State::Opened : State::ReadOnly;
        if (!writable)
            m_error = QCoreApplication::translate(
                "telvora::PhoneBook", "you may read it but not change it, so no change is saved");
        if (!checkSchema(writable, fileSchema))
            return m_state;
        prepareSortKeys(m_state == State::Opened, *fileSchema);
        if (m_state == State::Opened)
            addMissingSearchIndex(db, *fileSchema);
    }

    // The call log lives in the same file; older files gain its table here.
    if (isWritable())
        CallLog::prepareTable(*this, *fileSchema);
    rememberFile();
    return m_state;
}

ListRows PhoneBook::readWhole(const ListCursor& cursor) const
{
    ListRows rows;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads)
        return rows;
    sqlite3_stmt* query =
        reads->bind(statements::whole(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table)),
                    cursor.m_values);
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append(idAt(query, 0), columnUtf8(query, 1));
    return rows;
}

ListRows PhoneBook::readListed(const ListCursor& cursor, const QList<qint64>& rows) const
{
    ListRows found;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads || rows.isEmpty() || rows.size() > kListedRows)
        return found;
    // Always as many row numbers, the last repeated, so one prepared statement serves.
    QList<qint64> numbers = rows;
    numbers.resize(kListedRows, rows.constLast());
    sqlite3_stmt* query =
        reads->bind(reads->listedText(cursor.m_table, cursor.m_filter), cursor.m_values, numbers);
    if (!query)
        return found;
    const ResetWhenDone done{query};
    found.reserve(rows.size(), rows.size() * 16);
    while (sqlite3_step(query) == SQLITE_ROW)
        found.append(idAt(query, 0), columnUtf8(query, 1));
    return found;
}

qint64 PhoneBook::countRows(const ListCursor& cursor) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads)
        return 0;
    sqlite3_stmt* query =
        reads->bind(statements::count(cursor.m_table, cursor.m_filter), cursor.m_values);
    if (!query)
        return 0;
    const ResetWhenDone done{query};
    return sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
}

std::optional<ListMark> PhoneBook::markOf(const ListCursor& cursor, qint64 id) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads || !isRowId(id))
        return std::nullopt;
    sqlite3_stmt* query =
        reads->bind(statements::mark(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table)),
                    cursor.m_values + QVariantList{id});
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return ListMark{sqlite3_column_type(query, 0) == SQLITE_NULL ? QVariant()
                                                                 : columnValue(query, 0),
                    sqlite3_column_int64(query, 1)};
}

qint64 PhoneBook::countBefore(const ListCursor& cursor, const ListMark& mark) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads)
        return 0;
    const bool nullKey = !mark.key.isValid();
    const QVariantList values =
        nullKey ? cursor.m_values + QVariantList{mark.row}
                : cursor.m_values + cursor.m_values + QVariantList{mark.key, mark.row};
    sqlite3_stmt* query = reads->bind(
        statements::countBefore(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table), nullKey),
        values);
    if (!query)
        return 0;
    const ResetWhenDone done{query};
    return sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
}

std::optional<qint64> PhoneBook::countFrom(const ListCursor& cursor, const ListMark& mark,
                                           qint64 limit) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads)
        return std::nullopt;
    sqlite3_stmt* query =
        reads->bind(statements::countFrom(cursor.m_table, cursor.m_filter, isKeyed(cursor.m_table)),
                    cursor.m_values + QVariantList{mark.key, mark.row, limit});
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int64(query, 0);
}

ListPage PhoneBook::readPage(const ListCursor& cursor, const std::optional<ListMark>& mark,
                             int count, bool forward, EarlyEnd earlyEnd) const
{
    using statements::Page;
    ListPage page;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    if (!reads || count <= 0)
        return page;
    const bool keyed = isKeyed(cursor.m_table);
    const bool idIsRowNumber =
        seekable(cursor.m_table) && !m_numberedTables.contains(cursor.m_table);
    const auto markAt = [](sqlite3_stmt* query) {
        return ListMark{sqlite3_column_type(query, 2) == SQLITE_NULL ? QVariant()
                                                                     : columnValue(query, 2),
                        sqlite3_column_int64(query, 3)};
    };
    // Only the page's first and last rows' marks are kept, and a row is known to be the last
    // only when it fills the page: a page that ends sooner asks for its last row's mark once
    // read, rather than each row copying a sort key that the next row drops. Should that row
    // go meanwhile (another program deleting it), the rows are read again, each one's mark
    // kept.
    const auto step = [&](Page which, const QVariantList& at, int limit) {
        QVariantList values = cursor.m_values + at;
        values << limit;
        const QString& sql = reads->pageText(cursor.m_table, cursor.m_filter, keyed, which);
        const qsizetype before = page.rows.size();
        for (const bool everyMark : {false, true}) {
            sqlite3_stmt* query = reads->bind(sql, values);
            if (!query)
                return 0;
            const ResetWhenDone done{query};
            // Room for a screenful at most: a search reading 4,096 rows a statement mostly
            // finds far fewer, and a large block asked for and given back at every search
            // cost more than the rows; beyond it the rows grow as appending grows them.
            const qsizetype expected = before + std::min(limit, kReservedRows);
            page.rows.reserve(expected, expected * 16);
            int read = 0;
            qint64 lastRow = 0;
            bool lastMarked = false;
            while (sqlite3_step(query) == SQLITE_ROW) {
                // Each column asked of SQLite takes the connection's lock; an id that is the
                // row number is an integer, and the row number itself.
                const qint64 rowId = idIsRowNumber ? sqlite3_column_int64(query, 0) : 0;
                page.rows.append(idIsRowNumber ? (isRowId(rowId) ? rowId : kUnusableId)
                                               : idAt(query, 0),
                                 columnUtf8(query, 1));
                ++read;
                const bool firstOfPage = page.rows.size() == 1;
                lastMarked = everyMark || read == limit;
                if (firstOfPage)
                    page.first = markAt(query);
                if (lastMarked)
                    page.last = markAt(query);
                else
                    lastRow = idIsRowNumber ? rowId : sqlite3_column_int64(query, 3);
                if (firstOfPage)
                    page.last = page.first;
            }
            // Nothing read, or a last row already marked (that of the page's first row too),
            // or a mark nobody will use.
            if (read == 0 || lastMarked || page.rows.size() == 1 || earlyEnd == EarlyEnd::Unmarked)
                return read;
            // The statement has ended, so the mark asked for is from a later look at the file.
            if (const std::optional<ListMark> last = markOf(cursor, lastRow);
                last && last->row == lastRow) {
                page.last = *last;
                return read;
            }
            page.rows = page.rows.mid(0, before);
        }
        return 0;
    };

    if (forward) {
        if (!mark) {
            step(Page::First, {}, count);
        } else if (!mark->key.isValid()) {
            // The rows without a key come first; then those with one, from the lowest key.
            const int read = step(Page::AfterNullKey, {mark->row}, count);
            if (read < count)
                step(Page::FirstKeyed, {}, count - read);
        } else {
            step(Page::AfterKey, {mark->key, mark->row}, count);
        }
        return page;
    }

    // Backwards the rows come last row first: keyed rows from the highest key, then the rows
    // without one.
    if (!mark)
        step(Page::Last, {}, count);
    else if (!mark->key.isValid())
        step(Page::BeforeNullKey, {mark->row}, count);
    else if (const int read = step(Page::BeforeKey, {mark->key, mark->row}, count); read < count)
        step(Page::LastNullKey, {}, count - read);
    page.rows = page.rows.reversed();
    std::swap(page.first, page.last);
    return page;
}

ListCursor PhoneBook::namesCursor(const QString& filter, const QVariantList& values) const
{
    return ListCursor(*this, QStringLiteral("names"), filter, values);
}

ListCursor PhoneBook::listCursor(const QString& table, const char* filter,
                                 const QVariantList& values) const
{
    // The window's own lists are counted from the same index they are read from.
    ListCursor cursor(*this, table, QLatin1String(filter), values);
    cursor.m_cheapCount = true;
    return cursor;
}

ListCursor PhoneBook::groupsCursor() const
{
    // A group without a name is left out of the list, as it has no text to show.
    return listCursor(QStringLiteral("groups"), statements::groupsFilter, {});
}

ListCursor PhoneBook::topLevelNamesCursor() const
{
    return listCursor(QStringLiteral("names"), statements::topLevelFilter, {});
}

ListCursor PhoneBook::topLevelNamesInGroupCursor(qint64 groupId) const
{
    // A group whose id is unusable has no names that can be told apart as its own.
    if (groupId < 0)
        return {};
    return listCursor(QStringLiteral("names"), statements::inGroupFilter, {groupId});
}

ListCursor PhoneBook::subNamesCursor(qint64 parentId) const
{
    // 0 would list every top-level name as a sub-name.
    if (!isRowId(parentId))
        return {};
    return listCursor(QStringLiteral("names"), statements::subNamesFilter, {parentId});
}

ListRows PhoneBook::groups() const
{
    return groupsCursor().rest();
}

ListRows PhoneBook::topLevelNames() const
{
    return topLevelNamesCursor().rest();
}

ListRows PhoneBook::topLevelNamesWithoutGroup() const
{
    return topLevelNamesInGroup(0);
}

ListRows PhoneBook::topLevelNamesInGroup(qint64 groupId) const
{
    return topLevelNamesInGroupCursor(groupId).rest();
}

ListRows PhoneBook::subNames(qint64 parentId) const
{
    return subNamesCursor(parentId).rest();
}

ListRows PhoneBook::numbers(qint64 ownerId, const QString& kind) const
{
    ListRows rows;
    PreparedReads* reads = isOpen() && isRowId(ownerId) ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::numbers), {kind, ownerId}) : nullptr;
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append(idAt(query, 0), columnUtf8(query, 1));
    return rows;
}

QList<std::pair<QString, ListRow>> PhoneBook::numbersOf(qint64 ownerId) const
{
    QList<std::pair<QString, ListRow>> rows;
    PreparedReads* reads = isOpen() && isRowId(ownerId) ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::numbersOf), {ownerId}) : nullptr;
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append({columnText(query, 2), ListRow{idAt(query, 0), columnText(query, 1)}});
    return rows;
}

QSet<qint64> PhoneBook::namesWithSubNames() const
{
    QSet<qint64> ids;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::namesWithSubNames), {}) : nullptr;
    if (!query)
        return ids;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        ids.insert(sqlite3_column_int64(query, 0));
    return ids;
}

std::optional<qint64> PhoneBook::groupOfName(qint64 nameId) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::groupOfName), {nameId}) : nullptr;
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    // No group is 0; a group that is no whole number stands for no group that can be found.
    if (sqlite3_column_type(query, 0) == SQLITE_INTEGER)
        return sqlite3_column_int64(query, 0);
    return kUnusableId;
}

std::optional<QString> PhoneBook::groupName(qint64 groupId) const
{
    PreparedReads* reads = isOpen() && isRowId(groupId) ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::groupName), {groupId}) : nullptr;
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return columnText(query, 0);
}

std::optional<QVariantList> PhoneBook::nameRow(qint64 id) const
{
    PreparedReads* reads = isOpen() && isRowId(id) ? preparedReads() : nullptr;
    sqlite3_stmt* query = reads ? reads->bind(m_nameRowStatement, {id}) : nullptr;
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    QVariantList values;
    const int count = sqlite3_column_count(query);
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values << columnValue(query, i);
    return values;
}

bool PhoneBook::prepareWrite()
{
    if (!isWritable()) {
        if (m_error.isEmpty())
            m_error = QCoreApplication::translate("telvora::PhoneBook",
                                                  "the phone book is not open for changes");
        return false;
    }
    // The open connection keeps the file it opened even when the name now points
    // elsewhere: a change must not go into a file nobody will ever open again.
    struct stat now = {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &now) != 0) {
        if (errno == ENOENT)
            return restoreDeletedFile();
        m_error = QCoreApplication::translate("telvora::PhoneBook",
                                              "the file \"%1\" cannot be reached (%2)")
                      .arg(m_filePath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (quint64(now.st_dev) != m_device || quint64(now.st_ino) != m_inode) {
        m_error = QCoreApplication::translate(
                      "telvora::PhoneBook",
                      "the file \"%1\" was replaced while Telvora was running, so the "
                      "change is not saved; start Telvora again to use the new file")
                      .arg(m_filePath);
        return false;
    }
    return true;
}

bool PhoneBook::restoreDeletedFile()
{
    // Everything is still readable through the open connection: write it back under its
    // name and go on with the restored file.
    {
        QSqlQuery query(database());
        query.prepare(QStringLiteral("VACUUM INTO ?"));
        query.addBindValue(m_filePath);
        if (!query.exec()) {
            m_error = QCoreApplication::translate(
                          "telvora::PhoneBook",
                          "the file \"%1\" was deleted and could not be written again "
                          "(%2)")
                          .arg(m_filePath, query.lastError().text());
            return false;
        }
    }
    return open(m_filePath) == State::Opened;
}

void PhoneBook::rememberFile()
{
    struct stat opened = {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &opened) == 0) {
        m_device = quint64(opened.st_dev);
        m_inode = quint64(opened.st_ino);
    }
}

bool PhoneBook::execWrite(QSqlQuery& query)
{
    if (!query.exec()) {
        m_error = describe(query.lastError());
        return false;
    }
    return true;
}

bool PhoneBook::refuseUnusable(qint64 id, bool zeroAllowed)
{
    if (isRowId(id) || (zeroAllowed && id == 0))
        return false;
    m_error = QCoreApplication::translate(
        "telvora::PhoneBook", "the row has no usable id in the file (only a positive whole number "
                              "stands for one row), so it is left as it is");
    return true;
}

bool PhoneBook::singleRow(QSqlDatabase& db, const QString& table, qint64 id)
{
    QSqlQuery* query = preparedWrite(
        QStringLiteral("SELECT count(*) FROM %1 WHERE id = ? AND typeof(id) = 'integer'")
            .arg(quoted(table)),
        db);
    if (!query)
        return false;
    query->bindValue(0, id);
    if (!query->exec() || !query->next()) {
        m_error = describe(query->lastError());
        return false;
    }
    const qint64 count = query->value(0).toLongLong();
    query->finish();
    if (count > 1) {
        m_error = QCoreApplication::translate(
                      "telvora::PhoneBook",
                      "%1 rows of the file share the id %2, so none of them is changed")
                      .arg(count)
                      .arg(id);
        return false;
    }
    return true;
}

bool PhoneBook::updateNameColumns(qint64 id, const QList<std::pair<QString, QString>>& values)
{
    if (values.isEmpty() || refuseUnusable(id, false))
        return false;
    QStringList assignments;
    for (const auto& [column, value] : values) {
        if (!m_nameColumns.contains(column, Qt::CaseInsensitive)) {
            m_error =
                QCoreApplication::translate("telvora::PhoneBook", "the phone book has no column %1")
                    .arg(column);
            return false;
        }
        assignments << quoted(column) + QStringLiteral(" = ?");
    }
    bool updated = false;
    inWriteTransaction([&](QSqlDatabase& db) {
        if (!singleRow(db, QStringLiteral("names"), id))
            return false;
        QSqlQuery* query = preparedWrite(
            QStringLiteral("UPDATE names SET %1 WHERE id = ? AND typeof(id) = 'integer'")
                .arg(assignments.join(QStringLiteral(", "))),
            db);
        if (!query)
            return false;
        int position = 0;
        for (const auto& value : values)
            query->bindValue(position++, value.second.isNull() ? QStringLiteral("") : value.second);
        query->bindValue(position, id);
        if (!execWrite(*query))
            return false;
        updated = query->numRowsAffected() == 1;
        query->finish();
        return true;
    });
    return updated;
}

qint64 PhoneBook::insert(const QString& table, const QStringList& columns,
                         const QVariantList& values)
{
    const bool numbered = m_numberedTables.contains(table);
    qint64 id = 0;
    const bool done = inWriteTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        QStringList names;
        QVariantList bound = values;
        if (numbered) {
            // The file's id column does not number rows itself: the new row takes the next
            // whole number above every usable id, so it never shares one.
            if (!query.exec(QStringLiteral("SELECT max(id) FROM %1 WHERE typeof(id) = 'integer'")
                                .arg(quoted(table))) ||
                !query.next()) {
                m_error = describe(query.lastError());
                return false;
            }
            const qint64 highest = query.value(0).toLongLong();
            if (highest == std::numeric_limits<qint64>::max()) {
                m_error = QCoreApplication::translate("telvora::PhoneBook",
                                                      "the file has no id left for a new row");
                return false;
            }
            id = std::max<qint64>(highest, 0) + 1;
            names << quoted(QStringLiteral("id"));
            bound.prepend(id);
        }
        for (const QString& column : columns)
            names << quoted(column);
        const QString marks = QStringLiteral("?, ").repeated(int(names.size())).chopped(2);
        PreparedReads* statements = preparedReads();
        if (!statements) {
            m_error = QCoreApplication::translate("telvora::PhoneBook",
                                                  "the phone book is not open for changes");
            return false;
        }
        const std::optional<qint64> added =
            statements->add(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(quoted(table), names.join(QStringLiteral(", ")), marks),
                            bound, m_error);
        if (!added)
            return false;
        if (!numbered)
            id = *added;
        if (!isRowId(id)) {
            m_error = QCoreApplication::translate("telvora::PhoneBook",
                                                  "the file gave the new row no usable id");
            return false;
        }
        if (m_bulkAdded)
            (*m_bulkAdded)[table].append(id);
        return true;
    });
    return done ? id : 0;
}

qint64 PhoneBook::addGroup(const QString& name)
{
    if (isKeyed(QStringLiteral("groups")))
        return insert(QStringLiteral("groups"), {QStringLiteral("name"), QStringLiteral("sortkey")},
                      {name, sortKey(name)});
    return insert(QStringLiteral("groups"), {QStringLiteral("name")}, {name});
}

qint64 PhoneBook::addName(const QString& name, qint64 parent, qint64 group,
                          const QList<std::pair<QString, QString>>& card)
{
    if (refuseUnusable(parent, true) || refuseUnusable(group, true))
        return 0;
    QStringList columns{QStringLiteral("name"), QStringLiteral("parent"), QStringLiteral("group")};
    QVariantList values{name, parent, group};
    // The first four are the name's own place in the book, given above.
    const QStringList cardColumns = m_nameColumns.mid(4);
    for (const auto& [column, value] : card) {
        if (!cardColumns.contains(column, Qt::CaseInsensitive)) {
            m_error =
                QCoreApplication::translate("telvora::PhoneBook", "the phone book has no column %1")
                    .arg(column);
            return 0;
        }
        columns << column;
        values << (value.isNull() ? QStringLiteral("") : value);
    }
    if (isKeyed(QStringLiteral("names"))) {
        columns << QStringLiteral("sortkey");
        values << sortKey(name);
    }
    return insert(QStringLiteral("names"), columns, values);
}

qint64 PhoneBook::addNumber(const QString& number, qint64 owner, const QString& kind)
{
    if (refuseUnusable(owner, false))
        return 0;
    return insert(QStringLiteral("numbers"),
                  {QStringLiteral("name"), QStringLiteral("parent"), QStringLiteral("type")},
                  {number, owner, kind});
}

bool PhoneBook::inWriteTransaction(const std::function<bool(QSqlDatabase&)>& body)
{
    return (m_inOneChange || prepareWrite()) && inTransaction(body);
}

bool PhoneBook::asOneChange(const std::function<bool()>& body)
{
    if (m_inOneChange)
        return body();
    return inWriteTransaction([&](QSqlDatabase&) {
        m_inOneChange = true;
        const bool done = body();
        m_inOneChange = false;
        return done;
    });
}

bool PhoneBook::asOneRead(const std::function<bool()>& body)
{
    if (m_inOneChange)
        return body();
    QSqlQuery control(database());
    if (!control.exec(QStringLiteral("BEGIN DEFERRED"))) {
        m_error = describe(control.lastError());
        return false;
    }
    const bool done = body();
    if (!control.exec(QStringLiteral("COMMIT")))
        control.exec(QStringLiteral("ROLLBACK"));
    return done;
}

bool PhoneBook::asOneBulkAdd(const std::function<bool()>& body)
{
    if (m_inOneChange)
        return body();
    return inWriteTransaction([&](QSqlDatabase& db) {
        // Each statement that writes to a search index makes SQLite's full-text module write
        // what it holds out to the file at the statement's end, as a small segment of its own
        // that it must merge later: most of the cost of adding a row. The index triggers are
        // taken for the change and given back in it, so another program never sees the file
        // without them.
        QSqlQuery query(db);
        QStringList taken;
        if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"
                                       " AND name IN ('names_search_insert',"
                                       " 'numbers_search_insert')"))) {
            m_error = describe(query.lastError());
            return false;
        }
        while (query.next())
            taken << query.value(0).toString();
        for (const QString& trigger : std::as_const(taken))
            if (!query.exec(QStringLiteral("DROP TRIGGER %1").arg(quoted(trigger)))) {
                m_error = describe(query.lastError());
                return false;
            }
        m_bulkAdded.emplace();
        m_inOneChange = true;
        bool done = body();
        m_inOneChange = false;
        done = done && indexBulkAdded(db, taken);
        m_bulkAdded.reset();
        return done;
    });
}

bool PhoneBook::indexBulkAdded(QSqlDatabase& db, const QStringList& triggersTaken)
{
    QSqlQuery query(db);
    for (const QString& trigger : triggersTaken) {
        const QString table = trigger.section(QLatin1Char('_'), 0, 0);
        QList<qint64> ids = m_bulkAdded->value(table);
        std::sort(ids.begin(), ids.end());
        // New rows take the ids after every other, so they are mostly one run; a file whose
        // ids ran out above gets its rows in wherever SQLite found room, one by one.
        const QString index = QStringLiteral("INSERT INTO %1_search (rowid, name) SELECT id,"
                                             " name FROM %1_search_text WHERE id BETWEEN ? AND ?")
                                  .arg(table);
        QList<std::pair<qint64, qint64>> runs;
        for (const qint64 id : std::as_const(ids)) {
            if (!runs.isEmpty() && runs.last().second + 1 == id)
                runs.last().second = id;
            else
                runs.append({id, id});
        }
        if (!query.prepare(index)) {
            m_error = describe(query.lastError());
            return false;
        }
        for (const auto& [first, last] : std::as_const(runs)) {
            query.bindValue(0, first);
            query.bindValue(1, last);
            if (!execWrite(query))
                return false;
        }
        if (!query.exec(schema::insertTrigger(table))) {
            m_error = describe(query.lastError());
            return false;
        }
    }
    return true;
}

bool PhoneBook::inTransaction(const std::function<bool(QSqlDatabase&)>& body)
{
    QSqlDatabase db = database();
    // The enclosing change's transaction holds this one too; a failure undoes both.
    if (m_inOneChange)
        return body(db);
    // Taking the write lock first makes another program's lock show as what it is, and a
    // change of several rows (with the search index's triggers) all or nothing.
    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_error = describe(control.lastError());
        return false;
    }
    if (!body(db)) {
        control.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!control.exec(QStringLiteral("COMMIT"))) {
        m_error = describe(control.lastError());
        control.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

QString PhoneBook::describe(const QSqlError& error)
{
    const QString text = error.databaseText();
    return inUse(text) ? inUseText(text) : error.text();
}

QString PhoneBook::describe(sqlite3* db)
{
    const QString text = QString::fromUtf8(sqlite3_errmsg(db));
    return inUse(text) ? inUseText(text) : text;
}

bool PhoneBook::inUse(const QString& databaseText)
{
    return databaseText.contains(QLatin1String("locked")) ||
           databaseText.contains(QLatin1String("busy"));
}

QString PhoneBook::inUseText(const QString& databaseText)
{
    return QCoreApplication::translate("telvora::PhoneBook",
                                       "the phone book is in use by another program (%1)")
        .arg(databaseText);
}

int PhoneBook::changeRow(const QString& table, qint64 id, const QStringList& statements,
                         const QVariantList& values)
{
    if (refuseUnusable(id, false))
        return -1;
    int changed = 0;
    const bool done = inWriteTransaction([&](QSqlDatabase& db) {
        if (!singleRow(db, table, id))
            return false;
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!query.prepare(statement)) {
                m_error = describe(query.lastError());
                return false;
            }
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec()) {
                m_error = describe(query.lastError());
                return false;
            }
            changed += query.numRowsAffected();
        }
        return true;
    });
    return done ? changed : -1;
}

namespace {
// The one row a change is for: a real (5.0) or a text ('5') equal to the id is another row.
const char kThisRow[] = " WHERE id = ? AND typeof(id) = 'integer'";
} // namespace

int PhoneBook::renameRow(const QString& table, qint64 id, const QString& name)
{
    // A keyed table gets the new name's key in the same statement, so the row never sorts
    // by its old name.
    const bool keyed = isKeyed(table);
    const QString set =
        keyed ? QStringLiteral(" SET name = ?, sortkey = ?") : QStringLiteral(" SET name = ?");
    const QVariantList values =
        keyed ? QVariantList{name, sortKey(name), id} : QVariantList{name, id};
    return changeRow(table, id, {QStringLiteral("UPDATE ") + table + set + QLatin1String(kThisRow)},
                     values);
}

int PhoneBook::renameGroup(qint64 id, const QString& name)
{
    return renameRow(QStringLiteral("groups"), id, name);
}

int PhoneBook::deleteGroup(qint64 id)
{
    return changeRow(QStringLiteral("groups"), id,
                     {QStringLiteral("DELETE FROM groups") + QLatin1String(kThisRow)}, {id});
}

int PhoneBook::renameName(qint64 id, const QString& name)
{
    return renameRow(QStringLiteral("names"), id, name);
}

int PhoneBook::deleteNameTree(qint64 id)
{
    if (refuseUnusable(id, false))
        return -1;
    // The walk goes down through positive whole-number ids only: from any other id (0
    // above all, the parent of every top-level name) it would reach rows that are not
    // below the chosen one. UNION, not UNION ALL: names filed in a circle still end.
    const QString tree = QStringLiteral(
        "WITH RECURSIVE tree(id) AS (SELECT ? UNION SELECT names.id FROM names JOIN tree"
        " ON names.parent = tree.id WHERE typeof(names.id) = 'integer' AND names.id > 0)"
        " SELECT id FROM tree");
    int changed = 0;
    const bool done = inWriteTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        // An id that several rows share would take rows from outside the branch with it.
        query.prepare(QStringLiteral("SELECT (SELECT count(*) FROM (%1)), (SELECT count(*) FROM"
                                     " names WHERE typeof(id) = 'integer' AND id IN (%1))")
                          .arg(tree));
        query.addBindValue(id);
        query.addBindValue(id);
        if (!query.exec() || !query.next()) {
            m_error = describe(query.lastError());
            return false;
        }
        if (query.value(1).toLongLong() > query.value(0).toLongLong()) {
            m_error = QCoreApplication::translate(
                "telvora::PhoneBook", "rows of the file share an id with this name or a sub-name "
                                      "below it, so none of them is deleted");
            return false;
        }
        for (const QString& statement :
             {QStringLiteral("DELETE FROM numbers WHERE parent IN (%1)").arg(tree),
              QStringLiteral("DELETE FROM names WHERE typeof(id) = 'integer' AND id IN (%1)")
                  .arg(tree)}) {
            QSqlQuery remove(db);
            remove.prepare(statement);
            remove.addBindValue(id);
            if (!execWrite(remove))
                return false;
            changed += remove.numRowsAffected();
        }
        return true;
    });
    return done ? changed : -1;
}

int PhoneBook::moveNameToGroup(qint64 nameId, qint64 groupId)
{
    if (refuseUnusable(groupId, true))
        return -1;
    return changeRow(
        QStringLiteral("names"), nameId,
        {QStringLiteral("UPDATE names SET parent = 0, \"group\" = ?") + QLatin1String(kThisRow)},
        {groupId, nameId});
}

bool PhoneBook::isSelfOrBelow(qint64 nameId, qint64 otherId) const
{
    if (nameId == otherId)
        return true;
    if (!isOpen())
        return false;
    // Walk up from the other row; meeting the name on the way means it is below it.
    QSqlQuery query(database());
    query.prepare(QStringLiteral("WITH RECURSIVE up(id) AS (SELECT ? UNION"
                                 " SELECT names.parent FROM names JOIN up ON names.id = up.id"
                                 " WHERE names.parent <> 0) SELECT 1 FROM up WHERE id = ?"));
    query.addBindValue(otherId);
    query.addBindValue(nameId);
    return query.exec() && query.next();
}

int PhoneBook::makeSubName(qint64 nameId, qint64 parentId)
{
    if (refuseUnusable(parentId, false))
        return -1;
    return changeRow(QStringLiteral("names"), nameId,
                     {QStringLiteral("UPDATE names SET parent = ?") + QLatin1String(kThisRow)},
                     {parentId, nameId});
}

int PhoneBook::updateNumber(qint64 id, const QString& number, const QString& kind)
{
    return changeRow(
        QStringLiteral("numbers"), id,
        {QStringLiteral("UPDATE numbers SET name = ?, type = ?") + QLatin1String(kThisRow)},
        {number, kind, id});
}

int PhoneBook::deleteNumber(qint64 id)
{
    return changeRow(QStringLiteral("numbers"), id,
                     {QStringLiteral("DELETE FROM numbers") + QLatin1String(kThisRow)}, {id});
}

} // namespace telvora
