#include "store/PhoneBook.h"

#include "store/Schema.h"
#include "store/Statements.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

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

} // namespace

PhoneBook::PhoneBook() : m_connection(nextConnectionName()) {}

PhoneBook::~PhoneBook()
{
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
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
}

PhoneBook::State PhoneBook::open(const QString& fileName)
{
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
    }

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
    if (!isOpen())
        return rows;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return rows;
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        return rows;
    while (query.next())
        rows.append(ListRow{query.value(0).toInt(), query.value(1).toString()});
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
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(database());
    query.prepare(QLatin1String(statements::groupOfName));
    query.addBindValue(nameId);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

std::optional<QString> PhoneBook::groupName(qint32 groupId) const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(database());
    query.prepare(QLatin1String(statements::groupName));
    query.addBindValue(groupId);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toString();
}

std::optional<QVariantList> PhoneBook::nameRow(qint32 id) const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(database());
    query.prepare(QLatin1String(statements::nameRow));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return std::nullopt;
    QVariantList values;
    const int count = query.record().count();
    values.reserve(count);
    for (int i = 0; i < count; ++i)
        values << query.value(i);
    return values;
}

bool PhoneBook::execWrite(QSqlQuery& query)
{
    if (!isWritable()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the phone book is not open for changes");
        return false;
    }
    if (!query.exec()) {
        m_error = query.lastError().text();
        return false;
    }
    return true;
}

bool PhoneBook::updateNameColumns(qint32 id, const QList<std::pair<QString, QString>>& values)
{
    if (values.isEmpty() || !isWritable())
        return false;
    QStringList assignments;
    for (const auto& [column, value] : values) {
        if (!m_nameColumns.contains(column, Qt::CaseInsensitive)) {
            m_error = QStringLiteral("the phone book has no column %1").arg(column);
            return false;
        }
        assignments << quoted(column) + QStringLiteral(" = ?");
    }
    QSqlQuery query(database());
    if (!query.prepare(QStringLiteral("UPDATE names SET %1 WHERE id = ?")
                           .arg(assignments.join(QStringLiteral(", "))))) {
        m_error = query.lastError().text();
        return false;
    }
    for (const auto& value : values)
        query.addBindValue(value.second.isNull() ? QStringLiteral("") : value.second);
    query.addBindValue(id);
    return execWrite(query) && query.numRowsAffected() == 1;
}

qint32 PhoneBook::insert(const QString& statement, const QVariantList& values)
{
    if (!isWritable())
        return 0;
    QSqlQuery query(database());
    if (!query.prepare(statement)) {
        m_error = query.lastError().text();
        return 0;
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!execWrite(query))
        return 0;
    return query.lastInsertId().toInt();
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

} // namespace telvora
