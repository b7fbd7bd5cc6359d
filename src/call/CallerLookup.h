#pragma once

#include <QString>

namespace telvora {

class PhoneBook;

// Who in the phone book has the number a caller sent. Numbers are compared by their
// digits alone, so that spaces, dashes and brackets do not matter, and an international
// prefix (+49, 0049) matches the same number dialled inside the country (030...): one
// number is the end of the other, both long enough that a short extension does not match
// any number ending in it. Empty when nobody has it.
QString nameForNumber(const PhoneBook& book, const QString& number);
// Whether two numbers are the same by that rule.
bool sameNumber(const QString& a, const QString& b);

} // namespace telvora
