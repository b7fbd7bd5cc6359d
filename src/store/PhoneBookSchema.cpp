#include "store/FileSchema.h"
#include "store/PhoneBook.h"
#include "store/Schema.h"
#include "store/SortKey.h"
#include "store/SqliteStatement.h"
#include "store/Statements.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <limits>
#include <sqlite3.h>

// Creating, checking and upgrading a book's tables, and keeping its sort keys in step with
// the locale: everything the book does to its schema when it opens a file.

namespace telvora {

using statements::quoted;

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

namespace {

// telvora_sortkey(text): the sort key of a text under the book's locale; an empty key for
// NULL, so that a row without a name is keyed once and not again at every open.
void sortKeyFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* maker = static_cast<const SortKey*>(sqlite3_user_data(context));
    const auto* text = static_cast<const QChar*>(sqlite3_value_text16(values[0]));
    const QByteArray key =
        text ? maker->key(QStringView(text, sqlite3_value_bytes16(values[0]) / 2)) : QByteArray();
    sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

QString quotedList(const QStringList& names)
{
    QStringList list;
    for (const QString& name : names)
        list << quoted(name);
    return list.join(QStringLiteral(", "));
}

// The tables an open looks at: those the program needs, and those it adds to older files.
const QStringList& tablesLookedAt()
{
    static const QStringList tables = [] {
        QStringList names;
        for (const auto& table : schema::requiredColumns())
            names << table.table;
        return names << QStringLiteral("sort_locale") << QStringLiteral("CallLog");
    }();
    return tables;
}

} // namespace

bool PhoneBook::checkSchema(bool writable, std::optional<FileSchema>& fileSchema)
{
    m_nameColumns.clear();
    m_numberedTables.clear();
    m_withoutRowid.clear();
    QString error;
    fileSchema = FileSchema::read(sqliteHandle(), tablesLookedAt(), error);
    if (!fileSchema) {
        fail(
            QCoreApplication::translate("telvora::PhoneBook", "it cannot be read (%1)").arg(error));
        return false;
    }
    QStringList missingCard;
    for (const auto& table : schema::requiredColumns()) {
        if (const std::optional<QString> why = fileSchema->unreadable(table.table)) {
            fail(QCoreApplication::translate("telvora::PhoneBook", "it cannot be read (%1)")
                     .arg(*why));
            return false;
        }
        const FileSchema::Table* found = fileSchema->table(table.table);
        if (!found) {
            fail(QCoreApplication::translate(
                     "telvora::PhoneBook",
                     "it is not a phone book of this program (it has no table \"%1\")")
                     .arg(table.table));
            return false;
        }
        QStringList missing;
        for (const QString& column : table.columns) {
            if (found->column(column))
                continue;
            if (table.table == QLatin1String("names") && schema::cardColumns().contains(column))
                missingCard << column;
            else
                missing << column;
        }
        if (!missing.isEmpty()) {
            fail(QCoreApplication::translate(
                     "telvora::PhoneBook",
                     "it is not a phone book of this program (the table \"%1\" has "
                     "no column %2)")
                     .arg(table.table, quotedList(missing)));
            return false;
        }
        if (table.columns.contains(QLatin1String("id")) && !found->idIsRowNumber())
            m_numberedTables << table.table;
        if (!found->hasRowNumbers())
            m_withoutRowid.insert(table.table);
        if (table.table == QLatin1String("names")) {
            for (const QString& column : table.columns) {
                if (const FileSchema::Column* named = found->column(column))
                    m_nameColumns << named->name;
            }
        }
    }

    if (!missingCard.isEmpty()) {
        if (!writable) {
            m_error =
                QCoreApplication::translate(
                    "telvora::PhoneBook", "you may read it but not change it, and it has no column "
                                          "%1, so that part of the card stays empty and no change "
                                          "is saved")
                    .arg(quotedList(missingCard));
        } else if (!addCardColumns(missingCard)) {
            // The file stays as it was; it is shown, but a card without somewhere to keep
            // every field must not look as if it saved them.
            m_error =
                QCoreApplication::translate("telvora::PhoneBook",
                                            "it has no column %1 and the column could not be added "
                                            "(%2), so no change is saved")
                    .arg(quotedList(missingCard), m_error);
            m_state = State::ReadOnly;
        } else {
            return checkSchema(writable, fileSchema);
        }
    }

    QStringList selected;
    for (const QString& column : std::as_const(m_nameColumns))
        selected << quoted(column);
    m_nameRowStatement =
        QStringLiteral("SELECT %1 FROM names WHERE id = ? AND typeof(id) = 'integer'")
            .arg(selected.join(QStringLiteral(", ")));
    return true;
}

bool PhoneBook::addCardColumns(const QStringList& missing)
{
    // Adding a column keeps every stored value; the rows read NULL in it, an empty field.
    return inTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        for (const QString& column : missing) {
            if (!query.exec(
                    QStringLiteral("ALTER TABLE names ADD COLUMN %1 TEXT").arg(quoted(column)))) {
                m_error = describe(query.lastError());
                return false;
            }
        }
        return true;
    });
}

bool PhoneBook::prepareSortKeys(bool writable, const FileSchema& fileSchema)
{
    QSqlDatabase db = database();
    const QStringList tables{QStringLiteral("groups"), QStringLiteral("names")};
    const auto keyedIn = [&](const FileSchema& schema) {
        QSet<QString> keyed;
        for (const QString& table : tables) {
            const FileSchema::Table* found = schema.table(table);
            if (found && found->column(QStringLiteral("sortkey")))
                keyed.insert(table);
        }
        return keyed;
    };
    const auto keyedNow = [&] {
        QString error;
        const auto schema = FileSchema::read(sqliteHandle(), tables, error);
        return schema ? keyedIn(*schema) : QSet<QString>();
    };
    const auto storedIdentity = [&]() -> std::optional<QString> {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT identity FROM sort_locale")) || !query.next())
            return std::nullopt;
        return query.value(0).toString();
    };
    m_keyed = keyedIn(fileSchema);
    const QString wanted = m_sortKey->identity();
    // Indexes or triggers another program dropped are made again.
    const QStringList keyObjects{
        QStringLiteral("groups_by_key"),       QStringLiteral("names_by_key"),
        QStringLiteral("names_by_parent_key"), QStringLiteral("names_by_group_key"),
        QStringLiteral("groups_key_stale"),    QStringLiteral("names_key_stale")};
    bool needed =
        m_keyed.size() != tables.size() || !fileSchema.table(QStringLiteral("sort_locale"));
    for (const QString& object : keyObjects)
        needed = needed || !fileSchema.object(object);

    // The locale the keys were made for, and whether any row lacks its key, in one read.
    std::optional<QString> stored;
    if (!needed) {
        SqliteStatement probe(
            sqliteHandle(),
            QStringLiteral("SELECT EXISTS (SELECT 1 FROM sort_locale), (SELECT identity FROM"
                           " sort_locale), EXISTS (SELECT 1 FROM groups WHERE sortkey IS NULL) OR"
                           " EXISTS (SELECT 1 FROM names WHERE sortkey IS NULL)"));
        needed = !probe || sqlite3_step(probe.get()) != SQLITE_ROW;
        if (!needed) {
            if (sqlite3_column_int(probe.get(), 0) != 0)
                stored = probe.text(1);
            needed = stored != wanted || sqlite3_column_int(probe.get(), 2) != 0;
        }
    } else {
        stored = storedIdentity();
    }
    if (!needed) {
        m_sortIdentity = wanted;
        return true;
    }
    if (!writable) {
        // The keys stay as another locale made them: still one order, the file's own.
        m_sortIdentity = m_keyed.size() == tables.size() ? stored.value_or(QString()) : QString();
        if (m_sortIdentity.isEmpty())
            m_keyed.clear();
        return false;
    }

    sqlite3* handle = sqliteHandle();
    if (!handle ||
        sqlite3_create_function_v2(
            handle, "telvora_sortkey", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
            m_sortKey.get(), sortKeyFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;

    // One transaction: a failure leaves the file as it was, sorted as before.
    const bool done = inTransaction([&](QSqlDatabase& writeDb) {
        QSqlQuery query(writeDb);
        QStringList run;
        for (const QString& table : tables) {
            if (!m_keyed.contains(table))
                run << QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN sortkey BLOB").arg(table);
        }
        run += schema::sortKeyStatements();
        const QString where =
            stored == wanted ? QStringLiteral(" WHERE sortkey IS NULL") : QString();
        for (const QString& table : tables) {
            run << QStringLiteral("UPDATE \"%1\" SET sortkey = telvora_sortkey(name)%2")
                       .arg(table, where);
        }
        run << QStringLiteral("DELETE FROM sort_locale");
        for (const QString& statement : std::as_const(run)) {
            if (!query.exec(statement)) {
                m_error = describe(query.lastError());
                return false;
            }
        }
        query.prepare(QStringLiteral("INSERT INTO sort_locale (identity) VALUES (?)"));
        query.addBindValue(wanted);
        return execWrite(query);
    });
    sqlite3_create_function_v2(handle, "telvora_sortkey", 1, SQLITE_UTF16, nullptr, nullptr,
                               nullptr, nullptr, nullptr);
    forgetPreparedReads();
    if (!done) {
        // Whatever keys the file had before still give one order.
        m_error.clear();
        m_keyed = keyedNow();
        const std::optional<QString> before = storedIdentity();
        m_sortIdentity =
            m_keyed.size() == tables.size() ? before.value_or(QStringLiteral("?")) : QString();
        if (m_sortIdentity.isEmpty())
            m_keyed.clear();
        return false;
    }
    m_keyed = keyedNow();
    m_sortIdentity = wanted;
    return true;
}

QByteArray PhoneBook::sortKey(const QString& text) const
{
    return m_sortKey ? m_sortKey->key(text) : QByteArray();
}

ListMark PhoneBook::prefixMark(const QString& table, QStringView prefix) const
{
    // Before every row sorting alike, whatever its row number.
    constexpr qint64 kFirstRow = std::numeric_limits<qint64>::min();
    if (isKeyed(table) && m_sortKey)
        return {m_sortKey->primaryKey(prefix), kFirstRow};
    return {prefix.toString(), kFirstRow};
}

bool PhoneBook::beginsWith(const QString& table, QStringView text, QStringView prefix) const
{
    if (isKeyed(table) && m_sortKey) {
        // A prefix of marks alone (a combining accent, a control character) has no letters
        // to look for, and begins nothing.
        const QByteArray letters = m_sortKey->primaryKey(prefix);
        return !letters.isEmpty() && m_sortKey->primaryKey(text).startsWith(letters);
    }
    // A file without keys sorts by the name, ASCII letter case aside.
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace telvora
