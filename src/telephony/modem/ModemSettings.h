#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace telvora {

// What the user set for one modem port.
struct ModemPortSettings
{
    QString path;       // the device, e.g. /dev/ttyACM0 or a symlink to it
    QString initString; // sent before each call, e.g. "AT&F" or "ATM0"
    bool pulse = false; // pulse dialling instead of tone
    // The port is held open while the line is idle, to hear calls that come in. Off unless
    // the user asks: nobody's port is taken from other programs unexpectedly.
    bool takeCalls = false;
    bool operator==(const ModemPortSettings&) const = default;
};

// The modem settings of the line service: modems.json beside lines.json in the user's config
// folder ($TELVORA_HOME when set). Ports named there are lines even when the system does
// not list them as serial ports (pseudo-terminals, unusual drivers); "scan" off keeps the
// program from probing the ports the system lists.
//
// The file may have been written by anyone: an entry that cannot be used as it stands (a
// control character, an over-long text, more ports than kMaxPorts) is left out of `ports`
// but kept as it was, so that saving writes it back untouched; `problems` says what was
// left out and why.
struct ModemSettings
{
    // More ports than a machine has serial devices; every one of them may be opened and
    // probed, so a file cannot make the program open thousands of devices.
    static constexpr qsizetype kMaxPorts = 256;
    // Beyond anything the kernel accepts as a path.
    static constexpr qsizetype kMaxPathLength = 4096;
    // A modem's command line buffer holds a few dozen characters; a longer init string
    // cannot be a real one.
    static constexpr qsizetype kMaxInitLength = 120;
    // A settings file this big cannot be ours.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    bool scan = true;
    QList<ModemPortSettings> ports;
    QJsonArray setAside;
    QStringList problems;
    // Set when the file exists but could not be read: saving over it would lose it.
    QString loadError;

    static QString filePath();
    static ModemSettings load();
    bool save() const;

    const ModemPortSettings* find(const QString& path) const;

    // Why this text cannot be a port's path or init string; empty when it can. An init
    // string is sent to the modem as a command line, so a CR or LF in it would send
    // commands of its own.
    static QString pathProblem(const QString& path);
    static QString initStringProblem(const QString& init);
};

} // namespace telvora
