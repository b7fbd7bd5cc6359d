#pragma once

#include <QStringList>

namespace telvora {
class PhoneBook;
}

namespace telvora::test {

// Everything a phone book holds, one sorted line a group or name (its group, the chain of
// names above it, its card and its numbers by kind), with no ids: two books with the same
// contents give the same lines.
QStringList bookContents(PhoneBook& book);

// Fills an empty book with names that use every card column and kind of number, sub-names
// two deep, non-Latin text, quotes, commas, semicolons, backslashes and line breaks.
void fillRichBook(PhoneBook& book);

// Writes bytes to a file of the test's folder and returns its path.
QString writeFile(const QString& name, const QByteArray& bytes);

} // namespace telvora::test
