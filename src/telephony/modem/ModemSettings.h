#pragma once

#include <QList>
#include <QString>

namespace telvora {

// What the user set for one modem port.
struct ModemPortSettings
{
    QString path;       // the device, e.g. /dev/ttyACM0 or a symlink to it
    QString initString; // sent before each call, e.g. "AT&F" or "ATM0"
    bool pulse = false; // pulse dialling instead of tone
    bool operator==(const ModemPortSettings&) const = default;
};

// The modem settings of the line service: modems.json beside lines.json in the user's config
// folder ($TELVORA_HOME when set). Ports named there are lines even when the system does
// not list them as serial ports (pseudo-terminals, unusual drivers); "scan" off keeps the
// program from probing the ports the system lists.
struct ModemSettings
{
    bool scan = true;
    QList<ModemPortSettings> ports;

    static QString filePath();
    static ModemSettings load();
    bool save() const;

    const ModemPortSettings* find(const QString& path) const;
};

} // namespace telvora
