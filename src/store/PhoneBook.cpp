#include "store/PhoneBook.h"

#include "store/CallLog.h"
#include "store/FileSchema.h"
#include "store/PreparedReads.h"
#include "store/Schema.h"
#include "store/SortKey.h"
#include "store/SqliteValues.h"
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
#include <fcntl.h>
#include <limits>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace telvora {

using statements::quoted;
using namespace sqlvalue;

namespace {

const char kSqliteMagic[] = "SQLite format 3";

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("telvora-phonebook-%1").arg(counter.fetchAndAddRelaxed(1));
}

// What opening asks of the file before SQLite sees it, in as few calls to the system as it
// takes: an opening that fills the window costs well under a millisecond, and asking through
// QFileInfo (a look at the file and one at its folder, each permission asked on its own, the
// header read through QFile) cost a twentieth of it.
struct FileLook
{
    bool exists = false;
    bool isFile = false;
    bool readable = false;
    bool sqliteHeader = false;
    // A change needs the file and, for SQLite's rollback journal, its folder writable.
    bool writable = false;
};

FileLook lookAt(const QString& path, const QString& folder)
{
    FileLook look;
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0) {
        // Only a file that is not there is made anew; one that cannot be looked at is refused,
        // as unreadable when a folder on the way is closed to us.
        look.exists = errno != ENOENT && errno != ENOTDIR;
        look.isFile = errno == EACCES;
        return look;
    }
    look.exists = true;
    // Only a plain file is opened: opening a device or a pipe can do something of its own.
    look.isFile = S_ISREG(status.st_mode);
    if (!look.isFile)
        return look;
    const int file = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    look.readable = file >= 0;
    if (!look.readable)
        return look;
    char head[16];
    ssize_t got;
    do
        got = ::read(file, head, sizeof head);
    while (got < 0 && errno == EINTR);
    ::close(file);
    look.sqliteHeader =
        got == sizeof head && std::memcmp(head, kSqliteMagic, sizeof kSqliteMagic) == 0;
    look.writable = ::access(name.constData(), W_OK) == 0 &&
                    ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    return look;
}

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

sqlite3_stmt* PhoneBook::boundRead(const QString& sql, const QVariantList& values) const
{
    PreparedReads* reads = isOpen() ? preparedReads() : nullptr;
    return reads ? reads->bind(sql, values) : nullptr;
}

sqlite3_stmt* PhoneBook::keptStatement(const QString& sql) const
{
    return boundRead(sql, {});
}

std::optional<PhoneBook::Versions> PhoneBook::versions() const
{
    const FirstRow row(keptStatement(QStringLiteral(
        "SELECT schema_version, data_version FROM pragma_schema_version, pragma_data_version")));
    if (!row)
        return std::nullopt;
    return Versions{sqlite3_column_int64(row.get(), 0), sqlite3_column_int64(row.get(), 1),
                    sqlite3_total_changes64(sqlite3_db_handle(row.get()))};
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
    const FileLook look = lookAt(m_filePath, info.absolutePath());
    const bool exists = look.exists;

    if (exists) {
        if (!look.isFile) {
            fail(QCoreApplication::translate("telvora::PhoneBook", "it is not a file"));
            return m_state;
        }
        if (!look.readable) {
            fail(QCoreApplication::translate("telvora::PhoneBook",
                                             "permission to read it is denied"));
            return m_state;
        }
        if (!look.sqliteHeader) {
            fail(QCoreApplication::translate(
                "telvora::PhoneBook", "it is not a phone book database (unknown file format)"));
            return m_state;
        }
    }
    const bool writable = !exists || look.writable;

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
