#include "store/Schema.h"

namespace telvora::schema {

const QStringList& cardColumns()
{
    static const QStringList columns{
        QStringLiteral("FullName"),        QStringLiteral("Company"),
        QStringLiteral("JobTitle"),        QStringLiteral("Department"),
        QStringLiteral("Extention"),       QStringLiteral("CallBack"),
        QStringLiteral("Gender"),          QStringLiteral("Notes"),
        QStringLiteral("AddressBusiness"), QStringLiteral("AddressHome"),
        QStringLiteral("ZipCode"),         QStringLiteral("POBOX"),
        QStringLiteral("State"),           QStringLiteral("Country"),
        QStringLiteral("Email"),           QStringLiteral("HomePage")};
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
    return statements;
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
