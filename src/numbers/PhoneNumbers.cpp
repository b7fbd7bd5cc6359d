#include "numbers/PhoneNumbers.h"

#include <phonenumbers/phonenumberutil.h>
#include <set>
#include <string>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace telvora {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

PhoneNumberUtil& plans()
{
    return *PhoneNumberUtil::GetInstance();
}

// Whether the plans can place numbers from the country; asking loads them.
bool planned(const QString& country)
{
    return plans().GetCountryCodeForRegion(country.toStdString()) != 0;
}

} // namespace

QStringList PhoneNumbers::countries()
{
    static const QStringList codes = [] {
        std::set<std::string> regions;
        plans().GetSupportedRegions(&regions);
        QStringList all;
        all.reserve(qsizetype(regions.size()));
        for (const std::string& region : regions)
            all << QString::fromStdString(region);
        return all;
    }();
    return codes;
}

bool PhoneNumbers::isCountry(const QString& code)
{
    const auto letter = [](QChar c) {
        return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
    };
    return code.size() == 2 && letter(code[0]) && letter(code[1]) &&
           QLocale::codeToTerritory(code) != QLocale::AnyTerritory;
}

QString PhoneNumbers::countryName(const QString& country, const QLocale& language)
{
    const QByteArray code = country.toLatin1();
    const QByteArray languageCode = language.name().toLatin1();
    icu::UnicodeString name;
    icu::Locale(nullptr, code.constData())
        .getDisplayCountry(icu::Locale(languageCode.constData()), name);
    QString text = QString(reinterpret_cast<const QChar*>(name.getBuffer()), name.length());
    if (text.isEmpty())
        text = country;
    return QStringLiteral("%1 (+%2)")
        .arg(text)
        .arg(plans().GetCountryCodeForRegion(code.toStdString()));
}

QString PhoneNumbers::countryOf(const QLocale& locale)
{
    const QString code = QLocale::territoryToCode(locale.territory());
    return isCountry(code) ? code : QString();
}

QString PhoneNumbers::dialableFrom(const QString& number, const QString& country)
{
    if (!number.startsWith(QLatin1Char('+')) || !isCountry(country) || !planned(country))
        return number;
    PhoneNumber parsed;
    if (plans().Parse(number.toStdString(), "ZZ", &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
        return number;
    std::string formatted;
    plans().FormatOutOfCountryCallingNumber(parsed, country.toStdString(), &formatted);
    QString dialable;
    for (QChar c : QString::fromStdString(formatted)) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*') ||
            c == QLatin1Char('#') || c == QLatin1Char('+'))
            dialable += c;
    }
    // A plan with more than one access code gives the number back in its global form,
    // which such a line cannot dial any better than before.
    return dialable.isEmpty() ? number : dialable;
}

} // namespace telvora
