#include "store/FileSchema.h"

#include "store/SqliteStatement.h"

#include <sqlite3.h>

// Reading what a file's schema declares, in as few statements as SQLite allows: opening a
// book checks all of it, and each statement of its own cost more than the reads it guards.

namespace telvora {

namespace {

// Runs the statement with these texts bound in turn and hands each row on; false, with
// SQLite's error, when it fails.
template <typename Row>
bool eachRow(sqlite3* db, const QString& sql, const QStringList& texts, QString& error, Row row)
{
    SqliteStatement statement(db, sql);
    if (!statement) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    for (int i = 0; i < texts.size(); ++i)
        statement.bind(i + 1, texts.at(i));
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
        row(statement);
    if (step != SQLITE_DONE)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    return step == SQLITE_DONE;
}

} // namespace

const FileSchema::Column* FileSchema::Table::column(const QString& wanted) const
{
    for (const Column& column : columns) {
        if (column.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

bool FileSchema::Table::idIsRowNumber() const
{
    int keys = 0;
    for (const Column& column : columns)
        keys += column.primaryKey > 0 ? 1 : 0;
    const Column* id = column(QStringLiteral("id"));
    return keys == 1 && id && id->primaryKey == 1 && hasRowNumbers() &&
           id->type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
}

std::optional<FileSchema> FileSchema::read(sqlite3* connection, const QStringList& tables,
                                           QString& error)
{
    if (!connection) {
        error = QStringLiteral("no open connection");
        return std::nullopt;
    }
    // Names compare as SQLite compares them: ASCII letters alike in either case. The tables
    // are found through sqlite_master: pragma_table_list would connect every full-text table.
    QStringList marks;
    for (qsizetype i = 1; i <= tables.size(); ++i)
        marks << QStringLiteral("?%1").arg(i);
    const QString columns =
        QStringLiteral("SELECT m.name, m.type, c.name, c.type, c.pk FROM sqlite_master AS m,"
                       " pragma_table_info(m.name, 'main') AS c WHERE m.type IN ('table',"
                       " 'view') AND m.name COLLATE NOCASE IN (%1)")
            .arg(marks.join(QStringLiteral(", ")));
    FileSchema schema;
    const auto addColumn = [&](const SqliteStatement& row) {
        const QString name = row.text(0);
        Table& table = schema.m_tables[name.toLower()];
        if (table.name.isEmpty()) {
            table.name = name;
            table.isView = row.text(1) == QLatin1String("view");
        }
        table.columns.append({row.text(2), row.text(3), sqlite3_column_int(row.get(), 4)});
    };
    if (!eachRow(connection, columns, tables, error, addColumn)) {
        // A view whose tables are gone cannot say its columns, and fails the statement; the
        // tables are read one by one then (the names not bound are NULL and match nothing),
        // so that only the one failing is unknown.
        schema.m_tables.clear();
        for (const QString& table : tables) {
            QString failed;
            if (!eachRow(connection, columns, {table}, failed, addColumn)) {
                schema.m_tables.remove(table.toLower());
                schema.m_unreadable.insert(table.toLower(), failed);
            }
        }
        error.clear();
    }
    for (Table& table : schema.m_tables) {
        if (!table.isView)
            table.withoutRowid = !keepsRowNumbers(connection, table);
    }
    // Only the search indexes' texts are kept: the others, long and many, are never looked at.
    if (!eachRow(connection,
                 QStringLiteral("SELECT type, name, CASE WHEN type = 'table' AND name GLOB"
                                " '*_search' THEN sql END FROM sqlite_master"),
                 {}, error, [&](const SqliteStatement& row) {
                     schema.m_objects.append({row.text(0), row.text(1), row.text(2)});
                 }))
        return std::nullopt;
    return schema;
}

// SQLite's C API finds a table's row number under any of the names SQLite gives it, unless
// the table is WITHOUT ROWID; it asks nothing of the parser. A table whose own columns take
// all three names hides its row number from SQL too, and is looked up in the table list.
bool FileSchema::keepsRowNumbers(sqlite3* connection, const Table& table)
{
    const QByteArray name = table.name.toUtf8();
    for (const char* rowNumber : {"rowid", "oid", "_rowid_"}) {
        if (table.column(QLatin1String(rowNumber)))
            continue;
        return sqlite3_table_column_metadata(connection, "main", name.constData(), rowNumber,
                                             nullptr, nullptr, nullptr, nullptr,
                                             nullptr) == SQLITE_OK;
    }
    bool rowNumbers = false;
    QString error;
    eachRow(connection,
            QStringLiteral("SELECT NOT wr FROM pragma_table_list(?1) WHERE schema = 'main'"),
            {table.name}, error, [&](const SqliteStatement& row) {
                rowNumbers = sqlite3_column_int(row.get(), 0) != 0;
            });
    return rowNumbers;
}

const FileSchema::Table* FileSchema::table(const QString& name) const
{
    const auto found = m_tables.constFind(name.toLower());
    return found == m_tables.constEnd() ? nullptr : &*found;
}

std::optional<QString> FileSchema::unreadable(const QString& table) const
{
    const auto found = m_unreadable.constFind(table.toLower());
    return found == m_unreadable.constEnd() ? std::nullopt : std::optional<QString>(*found);
}

const FileSchema::Object* FileSchema::object(const QString& name) const
{
    for (const Object& object : m_objects) {
        if (object.name.compare(name, Qt::CaseInsensitive) == 0)
            return &object;
    }
    return nullptr;
}

} // namespace telvora
