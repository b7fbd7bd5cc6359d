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

// Whether two names are one to SQLite, which sets aside the case of ASCII letters alone. Most
// names asked for differ in length from most names held, which settles it without a look at
// their letters: opening a book asks several hundred such questions.
bool sameName(QStringView one, QStringView other)
{
    if (one.size() != other.size())
        return false;
    const auto folded = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
    };
    for (qsizetype i = 0; i < one.size(); ++i) {
        if (folded(one[i].unicode()) != folded(other[i].unicode()))
            return false;
    }
    return true;
}

} // namespace

const FileSchema::Column* FileSchema::Table::column(QStringView wanted) const
{
    for (const Column& column : columns) {
        if (sameName(column.name, wanted))
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
           sameName(id->type, u"INTEGER");
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
    // A table's columns come one after another: its name is made into text and looked up
    // once, not again for each of its columns.
    QByteArray lastName;
    Table* last = nullptr;
    const auto addColumn = [&](const SqliteStatement& row) {
        const QByteArrayView rawName(
            reinterpret_cast<const char*>(sqlite3_column_text(row.get(), 0)),
            sqlite3_column_bytes(row.get(), 0));
        if (!last || rawName != lastName) {
            lastName = rawName.toByteArray();
            const QString name = QString::fromUtf8(rawName);
            last = &schema.m_tables[name.toLower()];
            if (last->name.isEmpty()) {
                last->name = name;
                last->isView = row.text(1) == QLatin1String("view");
            }
        }
        last->columns.append({row.text(2), row.text(3), sqlite3_column_int(row.get(), 4)});
    };
    if (!eachRow(connection, columns, tables, error, addColumn)) {
        // A view whose tables are gone cannot say its columns, and fails the statement; the
        // tables are read one by one then (the names not bound are NULL and match nothing),
        // so that only the one failing is unknown.
        schema.m_tables.clear();
        last = nullptr;
        for (const QString& table : tables) {
            QString failed;
            if (!eachRow(connection, columns, {table}, failed, addColumn)) {
                schema.m_tables.remove(table.toLower());
                schema.m_unreadable.insert(table.toLower(), failed);
                last = nullptr; // a removal may move the tables kept
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
        if (table.column(QString::fromLatin1(rowNumber)))
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

const FileSchema::Object* FileSchema::object(QStringView name) const
{
    for (const Object& object : m_objects) {
        if (sameName(object.name, name))
            return &object;
    }
    return nullptr;
}

} // namespace telvora
