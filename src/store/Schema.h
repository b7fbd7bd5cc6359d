#pragma once

#include <QStringList>
#include <array>

namespace telvora {

// The kinds of number a contact has, in the order the card lists them.
enum class NumberKind
{
    Phone, // business
    Fax,
    Mobile,
    Home
};
inline constexpr std::array<NumberKind, 4> kNumberKinds{NumberKind::Phone, NumberKind::Fax,
                                                        NumberKind::Mobile, NumberKind::Home};

// The columns of a names row that the contact card shows, and the row's id.
enum class CardColumn
{
    FullName,
    Company,
    JobTitle,
    Department,
    Extention,
    CallBack,
    Gender,
    Notes,
    AddressBusiness,
    AddressHome,
    ZipCode,
    POBOX,
    State,
    Country,
    Email,
    HomePage,
    Id
};

} // namespace telvora

namespace telvora::schema {

// The record kind the numbers table stores for a kind of number: "Phone", "Fax", "Mobile"
// or "Home".
QString kindText(NumberKind kind);
// The stored record kinds, in the order the card lists them.
const QStringList& numberKinds();

// The column's name in the names table ("FullName", ..., "ID").
QString columnName(CardColumn column);
// Columns of the names table that the contact card shows and saves (all but the id).
const QStringList& cardColumns();

// Statements that create an empty phone book.
const QStringList& createStatements();

// The sort-key indexes, the table naming the locale the keys were made for, and the
// triggers that empty a key whose name another program changed; safe to run again.
const QStringList& sortKeyStatements();

// The trigram indexes that let a search find names and numbers by any part of their text,
// and the triggers that keep them in step with the tables; part of every new book.
const QStringList& searchIndexStatements();
// The trigger that puts each new row of the table (names or numbers) into its index.
QString insertTrigger(const QString& table);
// What the indexes add after each text they hold, as SQL appended to the text's column.
inline constexpr char kSearchEndMarks[] = "|| char(1, 1)";
// The views, tables and triggers those statements make, by name: a book lacking any of them is
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
