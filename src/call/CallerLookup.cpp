#include "call/CallerLookup.h"

#include "store/PhoneBook.h"

#include <QSqlQuery>

namespace telvora {

namespace {

// Fewer digits than this are compared whole: an extension is not a number's end.
constexpr qsizetype kShortest = 6;

// The digits that identify the number, without the prefixes that say where it is dialled
// from: the international "+" or "00", a national "0".
QString significantDigits(const QString& number)
{
    QString digits;
    for (const QChar c : number) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    qsizetype leading = 0;
    while (leading < digits.size() && digits.at(leading) == QLatin1Char('0'))
        ++leading;
    return digits.mid(leading);
}

} // namespace

bool sameNumber(const QString& a, const QString& b)
{
    const QString x = significantDigits(a);
    const QString y = significantDigits(b);
    if (x.isEmpty() || y.isEmpty())
        return false;
    if (x == y)
        return true;
    const QString& shorter = x.size() < y.size() ? x : y;
    const QString& longer = x.size() < y.size() ? y : x;
    // The longer one carries a country code the shorter one leaves out.
    return shorter.size() >= kShortest && longer.endsWith(shorter) &&
           longer.size() - shorter.size() <= 3;
}

QString nameForNumber(const PhoneBook& book, const QString& number)
{
    if (significantDigits(number).isEmpty())
        return {};
    QSqlQuery query(book.database());
    query.setForwardOnly(true);
    // Every number, compared as digits: the book keeps them as they were typed.
    if (!query.exec(QStringLiteral("SELECT numbers.name, names.name FROM numbers"
                                   " JOIN names ON names.id = numbers.parent"
                                   " WHERE numbers.parent > 0")))
        return {};
    while (query.next()) {
        if (sameNumber(query.value(0).toString(), number))
            return query.value(1).toString();
    }
    return {};
}

} // namespace telvora
