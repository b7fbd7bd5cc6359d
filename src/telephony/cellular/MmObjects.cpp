#include "telephony/cellular/MmObjects.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

namespace telvora::mm {

QMap<QString, QVariantMap> readInterfaces(const QDBusArgument& argument)
{
    QMap<QString, QVariantMap> interfaces;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QVariantMap properties;
        argument.beginMapEntry();
        argument >> name >> properties;
        argument.endMapEntry();
        interfaces.insert(name, properties);
    }
    argument.endMap();
    return interfaces;
}

ManagedObjects managedObjects(const QDBusConnection& bus, int timeoutMs)
{
    ManagedObjects objects;
    if (!bus.isConnected())
        return objects;
    // Asking the daemon itself would start it through D-Bus activation on some systems.
    const QDBusReply<bool> running = bus.interface()->isServiceRegistered(kService);
    if (!running.isValid() || !running.value())
        return objects;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kRoot, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        argument.beginMapEntry();
        argument >> path;
        objects.insert(path.path(), readInterfaces(argument));
        argument.endMapEntry();
    }
    argument.endMap();
    return objects;
}

QStringList portNames(const QVariantMap& modemProperties)
{
    QStringList names;
    const QString primary = modemProperties.value(QStringLiteral("PrimaryPort")).toString();
    if (!primary.isEmpty())
        names.append(primary);
    const QVariant ports = modemProperties.value(QStringLiteral("Ports"));
    if (ports.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = ports.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QString name;
            uint type = 0;
            argument.beginStructure();
            argument >> name >> type;
            argument.endStructure();
            if (!names.contains(name))
                names.append(name);
        }
        argument.endArray();
    }
    return names;
}

} // namespace telvora::mm
