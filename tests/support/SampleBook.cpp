#include "support/SampleBook.h"

#include "mainwindow/DialForm.h"
#include "store/PhoneBook.h"
#include "store/Schema.h"
#include "ui/IdListBox.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace telvora::test {

void SampleBook::seed()
{
    PhoneBook book;
    book.open(QStringLiteral("data.mdb"));
    family = book.addGroup(QStringLiteral("Family"));
    work = book.addGroup(QStringLiteral("Work"));
    alice = book.addName(QStringLiteral("Alice"), 0, family);
    bob = book.addName(QStringLiteral("Bob"), 0, work);
    bobJr = book.addName(QStringLiteral("Bob Jr"), bob, work);
    office = book.addName(QStringLiteral("Bob's office"), bob, work);
    grandkid = book.addName(QStringLiteral("Grandkid"), bobJr, work);
    carol = book.addName(QStringLiteral("Carol"), 0, 0);
    dan = book.addName(QStringLiteral("Dan"), 0, 999);
    book.updateNameColumns(alice, {{QStringLiteral("Company"), QStringLiteral("Acme")},
                                   {QStringLiteral("Gender"), QStringLiteral("Ms.")},
                                   {QStringLiteral("Notes"), QStringLiteral("line 1\nline 2")}});
    book.updateNameColumns(bobJr, {{QStringLiteral("Company"), QStringLiteral("Junior Ltd")}});
    book.addNumber(QStringLiteral("111"), alice, QStringLiteral("Phone"));
    book.addNumber(QStringLiteral("112"), alice, QStringLiteral("Phone"));
    book.addNumber(QStringLiteral("211"), alice, QStringLiteral("Fax"));
    book.addNumber(QStringLiteral("311"), alice, QStringLiteral("Mobile"));
    book.addNumber(QStringLiteral("411"), alice, QStringLiteral("Home"));
    book.addNumber(QStringLiteral("911"), alice, QStringLiteral("Pager"));
    book.addNumber(QStringLiteral("999"), bobJr, QStringLiteral("Phone"));
    book.addNumber(QStringLiteral("998"), grandkid, QStringLiteral("Mobile"));
}

QStringList texts(IdListBox& list)
{
    list.fetchAll();
    QStringList result;
    for (int i = 0; i < list.count(); ++i)
        result << list.itemText(i);
    return result;
}

QStringList texts(const ListRows& rows)
{
    QStringList result;
    for (const ListRow& row : rows)
        result << row.text;
    return result;
}

void click(IdListBox& list, const QString& text)
{
    const int index = int(texts(list).indexOf(text));
    QVERIFY2(index >= 0, qPrintable(text));
    list.setListIndex(index);
}

QVariant nameColumn(DialForm& form, qint64 id, const QString& column)
{
    QSqlQuery query(form.phoneBook().database());
    query.prepare(QStringLiteral("SELECT \"%1\" FROM names WHERE id = ?").arg(column));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return {};
    return query.value(0);
}

QVariant scalar(PhoneBook& book, const QString& statement)
{
    QSqlQuery query(book.database());
    if (!query.exec(statement) || !query.next())
        return {};
    return query.value(0);
}

QStringList looseTables(const QMap<QString, QString>& replaced)
{
    const QString card =
        schema::cardColumns().join(QStringLiteral(" TEXT, ")) + QStringLiteral(" TEXT");
    QMap<QString, QString> tables{
        {QStringLiteral("groups"), QStringLiteral("CREATE TABLE groups (id, name TEXT)")},
        {QStringLiteral("names"),
         QStringLiteral("CREATE TABLE names (id, name TEXT, parent, \"group\", %1)").arg(card)},
        {QStringLiteral("numbers"),
         QStringLiteral("CREATE TABLE numbers (id, name TEXT, parent, type TEXT)")},
        {QStringLiteral("SpeedDials"),
         QStringLiteral("CREATE TABLE SpeedDials (Name TEXT, Number TEXT)")}};
    tables.insert(replaced);
    QStringList statements;
    for (const QString& statement : std::as_const(tables)) {
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

void writeRawBook(const QStringList& statements)
{
    const QString connection = QStringLiteral("raw-book");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral("data.mdb"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString& statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(statement + query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace telvora::test
