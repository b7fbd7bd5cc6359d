#pragma once

#include <QString>
#include <optional>

namespace telvora {

class Registry;

// The settings the program keeps between runs, as the dial run reads them.
struct StoredSettings
{
    QString prefix;        // put before every number dialled from a contact's lists
    qint16 retryCount = 0; // attempts at a busy number, at least 1 once loaded
    qint16 lineIndex = 0;  // position of the line to dial on in the service's list
    qint16 pause = 0;      // seconds between attempts
    // The two-letter code of the country the lines are in, for making numbers from links
    // dialable; when none is stored, the locale's.
    QString country;
    bool dialLinksAtOnce = false; // a link starts its run without waiting for Enter
    // Days the call history keeps an attempt; 0 keeps it for ever.
    qint16 historyDays = 365;

    static const QString& keyPath();
    static const QString kPrefix, kRetryTimes, kModemLine, kTimeAttempt, kCountry, kDialLinks,
        kHistoryDays;
    // The sound devices of SIP calls, by the names the SIP stack gives them.
    static const QString kMicrophone, kSpeaker, kRinger;
    // The country when none is stored: the locale's, as the country's plan is known.
    static QString defaultCountry();

    // A decimal number from text, rounded half to even, within 16 bits; nothing when the
    // text is no such number.
    static std::optional<qint16> toInteger(const QString& text);
    // Reads a value as a text: empty when it is missing or cannot be read.
    static QString readText(Registry& registry, const QString& valueName);
};

// Loads the settings record from the registry; a value that does not convert leaves the
// field as it was, and a retry count of 0 becomes 1.
void ReadFromRegistry(Registry& registry, StoredSettings& settings);

} // namespace telvora
