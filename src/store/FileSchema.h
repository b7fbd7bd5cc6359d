#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

struct sqlite3;

namespace telvora {

// What a file's schema holds, as the file declares it: the tables and views the program
// uses, with their columns, and the name, kind and text of every object. Opening a book
// checks all of it; reading it in two statements instead of one or more a question keeps
// that check from costing more than the reads the window then makes. It is a picture of
// the moment it was read: anything that changes the schema reads it again.
class FileSchema
{
public:
    struct Column
    {
        QString name; // as the file spells it
        QString type;
        int primaryKey = 0; // place in the primary key, from 1; 0 outside it
    };
    struct Table
    {
        QString name;
        bool isView = false;
        bool withoutRowid = false;
        QList<Column> columns;

        // SQLite's names are alike whatever the case of their ASCII letters.
        const Column* column(QStringView name) const;
        // Whether SQLite numbers the rows itself through the id: an INTEGER PRIMARY KEY of a
        // table with row numbers. Any other id may hold anything, and holds nothing unless
        // given a value.
        bool idIsRowNumber() const;
        // Whether the table has SQLite's row numbers to seek by: a view has none either.
        bool hasRowNumbers() const { return !isView && !withoutRowid; }
    };
    struct Object
    {
        QString type; // "table", "index", "view" or "trigger"
        QString name;
        QString sql; // a search index's (a table named "..._search"); empty for the others
    };

    // The tables and views among these names, and every object; nullopt,
    // with the error, when the schema cannot be read.
    static std::optional<FileSchema> read(sqlite3* connection, const QStringList& tables,
                                          QString& error);

    // The table, or nothing when the file has none of that name or its columns could not be
    // read (unreadable() then says why).
    const Table* table(const QString& name) const;
    std::optional<QString> unreadable(const QString& table) const;
    const QList<Object>& objects() const { return m_objects; }
    const Object* object(QStringView name) const;

private:
    static bool keepsRowNumbers(sqlite3* connection, const Table& table);

    QHash<QString, Table> m_tables; // by name in lower case
    QHash<QString, QString> m_unreadable;
    QList<Object> m_objects;
};

} // namespace telvora
