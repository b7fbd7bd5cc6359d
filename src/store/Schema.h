#pragma once

#include <QStringList>

namespace telvora::schema {

// The record kinds a number can have, in the order the card lists them.
inline const QStringList& numberKinds()
{
    static const QStringList kinds{QStringLiteral("Phone"), QStringLiteral("Fax"),
                                   QStringLiteral("Mobile"), QStringLiteral("Home")};
    return kinds;
}

// Columns of the names table that the contact card shows and saves.
const QStringList& cardColumns();

// Statements that create an empty phone book.
const QStringList& createStatements();

// The sort-key indexes, the table naming the locale the keys were made for, and the
// triggers that empty a key whose name another program changed; safe to run again.
const QStringList& sortKeyStatements();

// The trigram indexes that let a search find names and numbers by any part of their text,
// and the triggers that keep them in step with the tables; part of every new book.
const QStringList& searchIndexStatements();
// The tables and triggers those statements make, by name: a book lacking any of them is
// given them again on open, filled from its tables.
const QStringList& searchIndexObjects();

// For each table, the columns the program reads or writes; a file lacking one of
// them is not a phone book this program can use.
struct TableColumns
{
    QString table;
    QStringList columns;
};
const QList<TableColumns>& requiredColumns();

} // namespace telvora::schema
