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
        QStringLiteral("CREATE TABLE groups (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT)"),
        QStringLiteral(
            "CREATE TABLE names (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT,"
            " parent INTEGER NOT NULL DEFAULT 0, \"group\" INTEGER NOT NULL DEFAULT 0,"
            " FullName TEXT, Company TEXT, JobTitle TEXT, Department TEXT, Extention TEXT,"
            " CallBack TEXT, Gender TEXT, Notes TEXT, AddressBusiness TEXT, AddressHome TEXT,"
            " ZipCode TEXT, POBOX TEXT, State TEXT, Country TEXT, Email TEXT, HomePage TEXT)"),
        QStringLiteral("CREATE TABLE numbers (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT,"
                       " parent INTEGER NOT NULL DEFAULT 0, type TEXT)"),
        QStringLiteral("CREATE TABLE SpeedDials (Name TEXT, Number TEXT)"),
        QStringLiteral("CREATE INDEX groups_by_name ON groups (name COLLATE NOCASE)"),
        QStringLiteral("CREATE INDEX names_by_parent ON names (parent, name COLLATE NOCASE)"),
        QStringLiteral(
            "CREATE INDEX names_by_group ON names (\"group\", parent, name COLLATE NOCASE)"),
        QStringLiteral("CREATE INDEX numbers_by_owner ON numbers (parent, type)"),
        QStringLiteral("CREATE INDEX speeddials_by_name ON SpeedDials (Name COLLATE NOCASE)"),
        QStringLiteral("PRAGMA user_version = 1"),
    };
    static const QStringList withSearch = statements + searchIndexStatements();
    return withSearch;
}

const QStringList& searchIndexStatements()
{
    // The indexes keep their own copy of each text, so a row is found and removed by its
    // id alone and can never be left behind by a text that changed on the way.
    static const QStringList statements = [] {
        QStringList list;
        for (const QString& table : {QStringLiteral("names"), QStringLiteral("numbers")}) {
            const QString index = table + QStringLiteral("_search");
            list << QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(name, tokenize = 'trigram')")
                        .arg(index)
                 << QStringLiteral("CREATE TRIGGER %1_insert AFTER INSERT ON %2 BEGIN"
                                   " INSERT INTO %1 (rowid, name) VALUES (new.id, new.name); END")
                        .arg(index, table)
                 << QStringLiteral("CREATE TRIGGER %1_update AFTER UPDATE OF id, name ON %2 BEGIN"
                                   " DELETE FROM %1 WHERE rowid = old.id;"
                                   " INSERT INTO %1 (rowid, name) VALUES (new.id, new.name); END")
                        .arg(index, table)
                 << QStringLiteral("CREATE TRIGGER %1_delete AFTER DELETE ON %2 BEGIN"
                                   " DELETE FROM %1 WHERE rowid = old.id; END")
                        .arg(index, table)
                 << QStringLiteral("INSERT INTO %1 (rowid, name) SELECT id, name FROM %2")
                        .arg(index, table);
        }
        return list;
    }();
    return statements;
}

const QStringList& searchIndexObjects()
{
    static const QStringList objects{
        QStringLiteral("names_search"),          QStringLiteral("names_search_insert"),
        QStringLiteral("names_search_update"),   QStringLiteral("names_search_delete"),
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
