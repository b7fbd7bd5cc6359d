#pragma once

#include "store/PhoneBook.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

namespace telvora {
class DialForm;
class IdListBox;
class PhoneBook;
} // namespace telvora

namespace telvora::test {

// A small phone book the window tests browse and edit, written into data.mdb of the
// working directory. Ids are kept so tests can check the file itself.
struct SampleBook
{
    qint64 family = 0, work = 0;
    qint64 alice = 0, bob = 0, bobJr = 0, office = 0, grandkid = 0, carol = 0, dan = 0;

    // Family: Alice (with a card and numbers of every kind). Work: Bob, with sub-names
    // Bob Jr (who has Grandkid below him) and Bob's office. No group: Carol. Dan's group
    // was deleted.
    void seed();
};

// Every item of the list, read to its end.
QStringList texts(IdListBox& list);
// The texts of rows read from the store.
QStringList texts(const ListRows& rows);
// Selects the item with this text, as a click does; fails the test when there is none.
void click(IdListBox& list, const QString& text);
// One column of one names row, read from the file.
QVariant nameColumn(DialForm& form, qint64 id, const QString& column);
// The first column of the first row of a statement, read from the file.
QVariant scalar(PhoneBook& book, const QString& statement);

// The four tables as a file made by another program may declare them: every column, but
// ids as plain columns that hold whatever is put there. A table named in `replaced` is
// made by the statement given instead, or left out when that is empty.
QStringList looseTables(const QMap<QString, QString>& replaced = {});
// Runs the statements on data.mdb of the working directory, past any check of ours.
void writeRawBook(const QStringList& statements);

} // namespace telvora::test
