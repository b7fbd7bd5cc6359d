#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace telvora {

// Telephone numbers by the rules of each country's numbering plan, as the plans' common
// library knows them: no table of codes is kept here.
struct PhoneNumbers
{
    // The two-letter codes of every country whose plan is known, in code order.
    static QStringList countries();
    // Whether the code names a country, without loading the plans: they take 4 MB and
    // most starts never dial a global number on a line of digits.
    static bool isCountry(const QString& code);
    // The country's name in the language of the locale, with its calling code:
    // "Deutschland (+49)".
    static QString countryName(const QString& country, const QLocale& language = QLocale());
    // The country of the locale; empty when the locale names none.
    static QString countryOf(const QLocale& locale = QLocale::system());

    // How a line that dials digits alone (an analogue modem) reaches a global number
    // ("+4930...") from the country: within it, the trunk prefix takes the place of the
    // country code ("030..."); from elsewhere, the international access code comes first
    // ("004930..."). Digits, * and # only. A number not global, or that the plans cannot
    // place, or an unknown country, gives the number back unchanged.
    static QString dialableFrom(const QString& number, const QString& country);
};

} // namespace telvora
