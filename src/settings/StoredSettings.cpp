#include "settings/StoredSettings.h"

#include "numbers/PhoneNumbers.h"
#include "settings/Registry.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace telvora {

const QString StoredSettings::kPrefix = QStringLiteral("prefix_text");
const QString StoredSettings::kRetryTimes = QStringLiteral("retry_times_text");
const QString StoredSettings::kModemLine = QStringLiteral("ModemLine");
const QString StoredSettings::kTimeAttempt = QStringLiteral("TimeAttempt");
const QString StoredSettings::kCountry = QStringLiteral("Country");
const QString StoredSettings::kDialLinks = QStringLiteral("DialLinksAtOnce");

QString StoredSettings::defaultCountry()
{
    return PhoneNumbers::countryOf(QLocale::system());
}
const QString StoredSettings::kHistoryDays = QStringLiteral("HistoryDays");
const QString StoredSettings::kMicrophone = QStringLiteral("SipMicrophone");
const QString StoredSettings::kSpeaker = QStringLiteral("SipSpeaker");
const QString StoredSettings::kRinger = QStringLiteral("SipRinger");

const QString& StoredSettings::keyPath()
{
    static const QString path =
        QStringLiteral("HKEY_CURRENT_CONFIG\\System\\CurrentControlSet\\Control\\Telvora");
    return path;
}

std::optional<qint16> StoredSettings::toInteger(const QString& text)
{
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(rounded);
}

QString StoredSettings::readText(Registry& registry, const QString& valueName)
{
    return Registry::CleanRegistryText(
        registry.ReadRegistryString(StoredSettings::keyPath(), valueName));
}

void ReadFromRegistry(Registry& registry, StoredSettings& settings)
{
    if (const auto retry = StoredSettings::toInteger(
            StoredSettings::readText(registry, StoredSettings::kRetryTimes)))
        settings.retryCount = *retry;
    settings.prefix = StoredSettings::readText(registry, StoredSettings::kPrefix);
    if (settings.retryCount == 0)
        settings.retryCount = 1;
    if (const auto line = StoredSettings::toInteger(
            StoredSettings::readText(registry, StoredSettings::kModemLine)))
        settings.lineIndex = *line;
    if (const auto pause = StoredSettings::toInteger(
            StoredSettings::readText(registry, StoredSettings::kTimeAttempt)))
        settings.pause = *pause;
    // A code that names no country (a hand-edited file) would leave numbers unchanged
    // without a word: the locale's serves better.
    const QString country = StoredSettings::readText(registry, StoredSettings::kCountry).toUpper();
    settings.country =
        PhoneNumbers::isCountry(country) ? country : StoredSettings::defaultCountry();
    settings.dialLinksAtOnce =
        StoredSettings::readText(registry, StoredSettings::kDialLinks) == QLatin1String("1");
    // A count of days below 0 means nothing: the history is kept as before.
    if (const auto days = StoredSettings::toInteger(
            StoredSettings::readText(registry, StoredSettings::kHistoryDays));
        days && *days >= 0)
        settings.historyDays = *days;
}

} // namespace telvora
