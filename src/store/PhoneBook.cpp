#include "store/PhoneBook.h"

#include "store/Schema.h"
#include "store/Statements.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace telvora {

namespace {

const char kSqliteMagic[] = "SQLite format 3";

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("telvora-phonebook-%1").arg(counter.fetchAndAddRelaxed(1));
}

// Identifiers come from our own fixed lists, but quoting them keeps reserved words such
// as "group" usable and makes an odd column name harmless.
QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool hasSqliteHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(16);
    return head.size() == 16 && head.startsWith(kSqliteMagic) && head.at(15) == '\0';
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
void addMissingSearchIndex(QSqlDatabase db)
{
    QSqlQuery query(db);
    const QStringList wanted = schema::searchIndexObjects();
    int present = 0;
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master")))
        return;
    while (query.next())
        present += wanted.contains(query.value(0).toString()) ? 1 : 0;
    if (present == wanted.size() || !db.transaction())
        return;
    QStringList statements;
    for (const QString& object : wanted) {
        statements << (object.endsWith(QLatin1String("_search"))
                           ? QStringLiteral("DROP TABLE IF EXISTS \"%1\"")
                           : QStringLiteral("DROP TRIGGER IF EXISTS \"%1\""))
                          .arg(object);
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
        for (sqlite3_stmt* statement : std::as_const(m_statements))
            sqlite3_finalize(statement);
    }
    PreparedReads(const PreparedReads&) = delete;
    PreparedReads& operator=(const PreparedReads&) = delete;

    // The statement with the values bound, ready to step; nullptr when it cannot be prepared.
    sqlite3_stmt* bind(const QString& sql, const QVariantList& values)
    {
        sqlite3_stmt* statement = m_statements.value(sql);
        if (!statement) {
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
                sqlite3_finalize(statement);
                return nullptr;
            }
            m_statements.insert(sql, statement);
        }
        sqlite3_reset(statement);
        for (int i = 0; i < values.size(); ++i)
            bindValue(statement, i + 1, values.at(i));
        return statement;
    }

private:
    sqlite3* m_db;
    QHash<QString, sqlite3_stmt*> m_statements;
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
    forgetPreparedReads();
    const QFileInfo info(fileName);
    m_filePath = info.absoluteFilePath();
    m_error.clear();
    const bool exists = info.exists();

    if (exists) {
        if (!info.isFile()) {
            fail(QStringLiteral("it is not a file"));
            return m_state;
        }
        if (!info.isReadable()) {
            fail(QStringLiteral("permission to read it is denied"));
            return m_state;
        }
        if (!hasSqliteHeader(m_filePath)) {
            fail(QStringLiteral("it is not a phone book database (unknown file format)"));
            return m_state;
        }
    }

    // A change needs the file and, for SQLite's rollback journal, its folder writable.
    const bool writable =
        !exists || (info.isWritable() && QFileInfo(info.absolutePath()).isWritable());

    if (!exists) {
        // Contacts are private: the new file is the owner's alone whatever the umask, and
        // SQLite gives its journal the same mode.
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QFile created(m_filePath);
        if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            created.setPermissions(ownerOnly);
    }

    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_filePath);
    db.setConnectOptions(writable
                             ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                             : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        fail(exists ? db.lastError().text()
                    : QStringLiteral("it is missing and could not be created (%1)")
                          .arg(db.lastError().text()));
        return m_state;
    }

    if (!exists) {
        if (!createSchema()) {
            const QString reason = m_error;
            db.close();
            QFile::remove(m_filePath); // ours, made a moment ago, and unusable
            fail(QStringLiteral("it is missing and could not be created (%1)").arg(reason));
            return m_state;
        }
        m_state = State::Created;
    } else {
        if (!checkSchema())
            return m_state;
        m_state = writable ? State::Opened : State::ReadOnly;
        if (!writable)
            m_error = QStringLiteral("you may read it but not change it, so no change is saved");
        else
            addMissingSearchIndex(db);
    }

    rememberFile();
    QSqlQuery columns(db);
    columns.exec(QStringLiteral("PRAGMA table_info(names)"));
    m_nameColumns.clear();
    while (columns.next())
        m_nameColumns << columns.value(1).toString();
    return m_state;
}

bool PhoneBook::createSchema()
{
    QSqlDatabase db = database();
    if (!db.transaction()) {
        m_error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    for (const QString& statement : schema::createStatements()) {
        if (!query.exec(statement)) {
            m_error = query.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        m_error = db.lastError().text();
        return false;
    }
    return true;
}

bool PhoneBook::checkSchema()
{
    QSqlQuery query(database());
    for (const auto& table : schema::requiredColumns()) {
        QStringList columns;
        for (const QString& column : table.columns)
            columns << quoted(column);
        const QString probe = QStringLiteral("SELECT %1 FROM %2 LIMIT 0")
                                  .arg(columns.join(QLatin1Char(',')), quoted(table.table));
        if (!query.exec(probe)) {
            const QString why = query.lastError().databaseText();
            fail(why.contains(QLatin1String("no such"))
                     ? QStringLiteral("it is not a phone book of this program (%1)").arg(why)
                     : QStringLiteral("it cannot be read (%1)").arg(why));
            return false;
        }
    }
    return true;
}

ListRows PhoneBook::readList(const QString& statement, const QVariantList& values) const
{
    ListRows rows;
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query = reads ? reads->bind(statement, values) : nullptr;
    if (!query)
        return rows;
    const ResetWhenDone done{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        rows.append(ListRow{sqlite3_column_int(query, 0), columnText(query, 1)});
    return rows;
}

ListRows PhoneBook::groups() const
{
    // A group without a name is left out of the list, as it has no text to show.
    return readList(QLatin1String(statements::groups), {});
}

ListRows PhoneBook::topLevelNames() const
{
    return readList(QLatin1String(statements::topLevelNames), {});
}

ListRows PhoneBook::topLevelNamesWithoutGroup() const
{
    return topLevelNamesInGroup(0);
}

ListRows PhoneBook::topLevelNamesInGroup(qint32 groupId) const
{
    return readList(QLatin1String(statements::topLevelNamesInGroup), {groupId});
}

ListRows PhoneBook::subNames(qint32 parentId) const
{
    return readList(QLatin1String(statements::subNames), {parentId});
}

ListRows PhoneBook::numbers(qint32 ownerId, const QString& kind) const
{
    return readList(QLatin1String(statements::numbers), {kind, ownerId});
}

std::optional<qint32> PhoneBook::groupOfName(qint32 nameId) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::groupOfName), {nameId}) : nullptr;
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int(query, 0);
}

std::optional<QString> PhoneBook::groupName(qint32 groupId) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query =
        reads ? reads->bind(QLatin1String(statements::groupName), {groupId}) : nullptr;
    if (!query)
        return std::nullopt;
    const ResetWhenDone done{query};
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return columnText(query, 0);
}

std::optional<QVariantList> PhoneBook::nameRow(qint32 id) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    sqlite3_stmt* query = reads ? reads->bind(QLatin1String(statements::nameRow), {id}) : nullptr;
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
            m_error = QStringLiteral("the phone book is not open for changes");
        return false;
    }
    // The open connection keeps the file it opened even when the name now points
    // elsewhere: a change must not go into a file nobody will ever open again.
    struct stat now = {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &now) != 0) {
        if (errno == ENOENT)
            return restoreDeletedFile();
        m_error = QStringLiteral("the file \"%1\" cannot be reached (%2)")
                      .arg(m_filePath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (quint64(now.st_dev) != m_device || quint64(now.st_ino) != m_inode) {
        m_error = QStringLiteral("the file \"%1\" was replaced while Telvora was running, so the "
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
            m_error = QStringLiteral("the file \"%1\" was deleted and could not be written again "
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

bool PhoneBook::updateNameColumns(qint32 id, const QList<std::pair<QString, QString>>& values)
{
    if (values.isEmpty())
        return false;
    QStringList assignments;
    for (const auto& [column, value] : values) {
        if (!m_nameColumns.contains(column, Qt::CaseInsensitive)) {
            m_error = QStringLiteral("the phone book has no column %1").arg(column);
            return false;
        }
        assignments << quoted(column) + QStringLiteral(" = ?");
    }
    bool updated = false;
    inWriteTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.prepare(QStringLiteral("UPDATE names SET %1 WHERE id = ?")
                               .arg(assignments.join(QStringLiteral(", "))))) {
            m_error = describe(query.lastError());
            return false;
        }
        for (const auto& value : values)
            query.addBindValue(value.second.isNull() ? QStringLiteral("") : value.second);
        query.addBindValue(id);
        if (!execWrite(query))
            return false;
        updated = query.numRowsAffected() == 1;
        return true;
    });
    return updated;
}

qint32 PhoneBook::insert(const QString& statement, const QVariantList& values)
{
    qint32 id = 0;
    const bool done = inWriteTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.prepare(statement)) {
            m_error = describe(query.lastError());
            return false;
        }
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!execWrite(query))
            return false;
        id = query.lastInsertId().toInt();
        return true;
    });
    return done ? id : 0;
}

qint32 PhoneBook::addGroup(const QString& name)
{
    return insert(QStringLiteral("INSERT INTO groups (name) VALUES (?)"), {name});
}

qint32 PhoneBook::addName(const QString& name, qint32 parent, qint32 group)
{
    return insert(QStringLiteral("INSERT INTO names (name, parent, \"group\") VALUES (?, ?, ?)"),
                  {name, parent, group});
}

qint32 PhoneBook::addNumber(const QString& number, qint32 owner, const QString& kind)
{
    return insert(QStringLiteral("INSERT INTO numbers (name, parent, type) VALUES (?, ?, ?)"),
                  {number, owner, kind});
}

bool PhoneBook::inWriteTransaction(const std::function<bool(QSqlDatabase&)>& body)
{
    if (!prepareWrite())
        return false;
    QSqlDatabase db = database();
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
    if (text.contains(QLatin1String("locked")) || text.contains(QLatin1String("busy")))
        return QStringLiteral("the phone book is in use by another program (%1)").arg(text);
    return error.text();
}

int PhoneBook::change(const QStringList& statements, const QVariantList& values)
{
    int changed = 0;
    const bool done = inWriteTransaction([&](QSqlDatabase& db) {
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

int PhoneBook::renameGroup(qint32 id, const QString& name)
{
    return change({QStringLiteral("UPDATE groups SET name = ? WHERE id = ?")}, {name, id});
}

int PhoneBook::deleteGroup(qint32 id)
{
    return change({QStringLiteral("DELETE FROM groups WHERE id = ?")}, {id});
}

int PhoneBook::renameName(qint32 id, const QString& name)
{
    return change({QStringLiteral("UPDATE names SET name = ? WHERE id = ?")}, {name, id});
}

int PhoneBook::deleteNameTree(qint32 id)
{
    // UNION, not UNION ALL: a file whose names were filed in a circle still ends.
    const QString tree = QStringLiteral("WITH RECURSIVE tree(id) AS (SELECT ? UNION"
                                        " SELECT names.id FROM names JOIN tree"
                                        " ON names.parent = tree.id) SELECT id FROM tree");
    return change({QStringLiteral("DELETE FROM numbers WHERE parent IN (%1)").arg(tree),
                   QStringLiteral("DELETE FROM names WHERE id IN (%1)").arg(tree)},
                  {id});
}

int PhoneBook::moveNameToGroup(qint32 nameId, qint32 groupId)
{
    return change({QStringLiteral("UPDATE names SET parent = 0, \"group\" = ? WHERE id = ?")},
                  {groupId, nameId});
}

bool PhoneBook::isSelfOrBelow(qint32 nameId, qint32 otherId) const
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

int PhoneBook::makeSubName(qint32 nameId, qint32 parentId)
{
    return change({QStringLiteral("UPDATE names SET parent = ? WHERE id = ?")}, {parentId, nameId});
}

int PhoneBook::updateNumber(qint32 id, const QString& number, const QString& kind)
{
    return change({QStringLiteral("UPDATE numbers SET name = ?, type = ? WHERE id = ?")},
                  {number, kind, id});
}

int PhoneBook::deleteNumber(qint32 id)
{
    return change({QStringLiteral("DELETE FROM numbers WHERE id = ?")}, {id});
}

} // namespace telvora
