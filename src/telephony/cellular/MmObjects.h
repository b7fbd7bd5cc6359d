#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace telvora::mm {

inline const QString kService = QStringLiteral("org.freedesktop.ModemManager1");
inline const QString kRoot = QStringLiteral("/org/freedesktop/ModemManager1");
inline const QString kModem = QStringLiteral("org.freedesktop.ModemManager1.Modem");
inline const QString kVoice = QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice");
inline const QString kCall = QStringLiteral("org.freedesktop.ModemManager1.Call");

// Object path -> interface -> properties, as the daemon's object manager has them.
using ManagedObjects = QMap<QString, QMap<QString, QVariantMap>>;

// Reads a{sa{sv}} (the interfaces of one object) from a D-Bus argument.
QMap<QString, QVariantMap> readInterfaces(const QDBusArgument& argument);
// Asks the daemon for its objects; empty when it does not run. Blocks for at most
// timeoutMs: it is a local call to a daemon that answers at once or not at all.
ManagedObjects managedObjects(const QDBusConnection& bus, int timeoutMs = 1000);
// The names of the ports ("ttyUSB2") of a modem's properties.
QStringList portNames(const QVariantMap& modemProperties);

} // namespace telvora::mm
