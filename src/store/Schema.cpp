#include "store/Schema.h"

namespace telvora::schema {

QString kindText(NumberKind kind)
{
    switch (kind) {
    case NumberKind::Fax:
        return QStringLiteral("Fax");
    case NumberKind::Mobile:
        return QStringLiteral("Mobile");
    case NumberKind::Home:
        return QStringLiteral("Home");
    case NumberKind::Phone:
        break;
    }
    return QStringLiteral("Phone");
}

const QStringList& numberKinds()
{
    static const QStringList kinds = [] {
        QStringList texts;
        for (const NumberKind kind : kNumberKinds)
            texts << kindText(kind);
        return texts;
    }();
    return kinds;
}

QString columnName(CardColumn column)
{
    // The names as the file has always spelled them, "Extention" included.
    static const char* const names[] = {
        "FullName", "Company", "JobTitle",        "Department",  "Extention", "CallBack",
        "Gender",   "Notes",   "AddressBusiness", "AddressHome", "ZipCode",   "POBOX",
        "State",    "Country", "Email",           "HomePage",    "ID"};
    static_assert(std::size(names) == std::size_t(CardColumn::Id) + 1);
    return QLatin1String(names[std::size_t(column)]);
}

const QStringList& cardColumns()
{
    static const QStringList columns = [] {
        QStringList names;
        for (int column = 0; column < int(CardColumn::Id); ++column)
            names << columnName(CardColumn(column));
        return names;
    }();
    return columns;
}

const QStringList& createStatements()
{
    // AUTOINCREMENT keeps ids from ever being reused after a delete: a list item or a
    // clipboard text that still carries an old id can then never reach a newer row.
    // The indexes cover every list the window fills, sorted the way the lists show them.
    static const QStringList statements{
        QStringLiteral("CREATE TABLE groups (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT,"
                       " sortkey BLOB)"),
        QStringLiteral(
            "CREATE TABLE names (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT,"
            " parent INTEGER NOT NULL DEFAULT 0, \"group\" INTEGER NOT NULL DEFAULT 0,"
            " FullName TEXT, Company TEXT, JobTitle TEXT, Department TEXT, Extention TEXT,"
            " CallBack TEXT, Gender TEXT, Notes TEXT, AddressBusiness TEXT, AddressHome TEXT,"
            " ZipCode TEXT, POBOX TEXT, State TEXT, Country TEXT, Email TEXT, HomePage TEXT,"
            " sortkey BLOB)"),
        QStringLiteral("CREATE TABLE numbers (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT,"
                       " parent INTEGER NOT NULL DEFAULT 0, type TEXT)"),
        QStringLiteral("CREATE TABLE SpeedDials (Name TEXT, Number TEXT)"),
        QStringLiteral("CREATE INDEX numbers_by_owner ON numbers (parent, type)"),
        QStringLiteral("CREATE INDEX speeddials_by_name ON SpeedDials (Name COLLATE NOCASE)"),
        QStringLiteral("PRAGMA user_version = 1"),
    };
    static const QStringList withSearch =
        statements + sortKeyStatements() + searchIndexStatements();
    return withSearch;
}

namespace {

QString indexNewRow(const QString& index)
{
    return QStringLiteral("INSERT INTO %1 (rowid, name) VALUES (new.id, new.name %2);")
        .arg(index, QLatin1String(kSearchEndMarks));
}

} // namespace

QString insertTrigger(const QString& table)
{
    const QString index = table + QStringLiteral("_search");
    return QStringLiteral("CREATE TRIGGER %1_insert AFTER INSERT ON %2 BEGIN %3 END")
        .arg(index, table, indexNewRow(index));
}

const QStringList& searchIndexStatements()
{
    // The indexes read their texts from the tables themselves rather than keeping a second
    // copy of every name and number, and keep only which rows hold a trigram (no positions
    // or lengths): the search matches every row they give in full anyway. A row leaves an index by
    // the text it was indexed under, which the triggers hand over as the old value inside the same
    // transaction as the change, so the index and the rows can only change together.
    //
    // Each text is indexed with two end marks after it, so that every one of its characters
    // starts a trigram: a search for one or two characters then finds its rows through the
    // trigrams that begin with them, as the index keeps its trigrams in order. The view gives
    // the texts in the same form to anything that reads the index's content, such as a rebuild
    // or an integrity check.
    static const QStringList statements = [] {
        QStringList list;
        for (const QString& table : {QStringLiteral("names"), QStringLiteral("numbers")}) {
            const QString index = table + QStringLiteral("_search");
            const QString text = index + QStringLiteral("_text");
            const QString remove =
                QStringLiteral("INSERT INTO %1 (%1, rowid, name) VALUES ('delete', old.id,"
                               " old.name %2);")
                    .arg(index, QLatin1String(kSearchEndMarks));
            const QString add = indexNewRow(index);
            list << QStringLiteral("CREATE VIEW %1 AS SELECT id, name %2 AS name FROM %3")
                        .arg(text, QLatin1String(kSearchEndMarks), table)
                 << QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(name, content = '%2',"
                                   " content_rowid = 'id', tokenize = 'trigram', detail = none,"
                                   " columnsize = 0)")
                        .arg(index, text)
                 << insertTrigger(table)
                 << QStringLiteral("CREATE TRIGGER %1_update AFTER UPDATE OF id, name ON %2 BEGIN"
                                   " %3 %4 END")
                        .arg(index, table, remove, add)
                 << QStringLiteral("CREATE TRIGGER %1_delete AFTER DELETE ON %2 BEGIN %3 END")
                        .arg(index, table, remove)
                 << QStringLiteral("INSERT INTO %1 (rowid, name) SELECT id, name FROM %2")
                        .arg(index, text);
        }
        return list;
    }();
    return statements;
}

const QStringList& sortKeyStatements()
{
    // Plain indexes on plain BLOB columns: any SQLite program can read, check and write
    // the file. They hold the id (the row number, which breaks ties) and the name too, so a
    // list is read in order from the index alone, never from the wide rows of the table. A program
    // that changes a name without its key leaves the key empty, so it is made again at the next
    // open instead of filing the name under its old text.
    static const QStringList statements{
        QStringLiteral("DROP INDEX IF EXISTS groups_by_name"),
        QStringLiteral("DROP INDEX IF EXISTS names_by_parent"),
        QStringLiteral("DROP INDEX IF EXISTS names_by_group"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS groups_by_key ON groups (sortkey)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS names_by_key ON names (sortkey, id, name)"),
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS names_by_parent_key ON names (parent, sortkey, id, name)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS names_by_group_key"
                       " ON names (\"group\", parent, sortkey, id, name)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS sort_locale (identity TEXT)"),
        QStringLiteral(
            "CREATE TRIGGER IF NOT EXISTS groups_key_stale AFTER UPDATE OF name ON groups"
            " WHEN new.sortkey IS old.sortkey AND new.name IS NOT old.name BEGIN"
            " UPDATE groups SET sortkey = NULL WHERE id IS new.id; END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS names_key_stale AFTER UPDATE OF name ON names"
                       " WHEN new.sortkey IS old.sortkey AND new.name IS NOT old.name BEGIN"
                       " UPDATE names SET sortkey = NULL WHERE id IS new.id; END"),
    };
    return statements;
}

const QStringList& searchIndexObjects()
{
    static const QStringList objects{
        QStringLiteral("names_search_text"),     QStringLiteral("names_search"),
        QStringLiteral("names_search_insert"),   QStringLiteral("names_search_update"),
        QStringLiteral("names_search_delete"),   QStringLiteral("numbers_search_text"),
        QStringLiteral("numbers_search"),        QStringLiteral("numbers_search_insert"),
        QStringLiteral("numbers_search_update"), QStringLiteral("numbers_search_delete")};
    return objects;
}

const QList<TableColumns>& requiredColumns()
{
    static const QList<TableColumns> tables = [] {
        QStringList names{QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("parent"),
                          QStringLiteral("group")};
        names += cardColumns();
        return QList<TableColumns>{
            {QStringLiteral("groups"), {QStringLiteral("id"), QStringLiteral("name")}},
            {QStringLiteral("names"), names},
            {QStringLiteral("numbers"),
             {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("parent"),
              QStringLiteral("type")}},
            {QStringLiteral("SpeedDials"), {QStringLiteral("Name"), QStringLiteral("Number")}},
        };
    }();
    return tables;
}

} // namespace telvora::schema
