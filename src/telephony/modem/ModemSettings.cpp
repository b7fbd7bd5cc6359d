#include "telephony/modem/ModemSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace telvora {

QString ModemSettings::filePath()
{
    const QByteArray home = qgetenv("TELVORA_HOME");
    const QString folder =
        !home.isEmpty() ? QString::fromLocal8Bit(home)
                        : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                              QLatin1String("/Telvora");
    return folder + QLatin1String("/modems.json");
}

ModemSettings ModemSettings::load()
{
    ModemSettings settings;
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    settings.scan = root.value(QLatin1String("scan")).toBool(true);
    for (const QJsonValue& value : root.value(QLatin1String("ports")).toArray()) {
        const QJsonObject o = value.toObject();
        ModemPortSettings port;
        port.path = o.value(QLatin1String("path")).toString();
        if (port.path.isEmpty() || settings.find(port.path))
            continue;
        port.initString = o.value(QLatin1String("init")).toString();
        port.pulse = o.value(QLatin1String("dial")).toString() == QLatin1String("pulse");
        settings.ports.append(port);
    }
    return settings;
}

bool ModemSettings::save() const
{
    QJsonArray list;
    for (const ModemPortSettings& port : ports) {
        QJsonObject o;
        o.insert(QLatin1String("path"), port.path);
        o.insert(QLatin1String("init"), port.initString);
        o.insert(QLatin1String("dial"),
                 port.pulse ? QLatin1String("pulse") : QLatin1String("tone"));
        list.append(o);
    }
    QJsonObject root;
    root.insert(QLatin1String("scan"), scan);
    root.insert(QLatin1String("ports"), list);
    const QString path = filePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

const ModemPortSettings* ModemSettings::find(const QString& path) const
{
    for (const ModemPortSettings& port : ports) {
        if (port.path == path)
            return &port;
    }
    return nullptr;
}

} // namespace telvora
