#include "telephony/modem/ModemSettings.h"

#include "common/PrivateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSet>

namespace telvora {

namespace {

Q_LOGGING_CATEGORY(lcModemSettings, "telvora.modem.settings")

bool hasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            return true;
    }
    return false;
}

} // namespace

QString ModemSettings::filePath()
{
    return configFile(QStringLiteral("modems.json"));
}

QString ModemSettings::pathProblem(const QString& path)
{
    if (path.isEmpty())
        return QCoreApplication::translate("telvora::ModemSettings", "The port has no path.");
    if (path.size() > kMaxPathLength)
        return QCoreApplication::translate("telvora::ModemSettings",
                                           "The port's path is longer than any device path.");
    if (hasControl(path))
        return QCoreApplication::translate("telvora::ModemSettings",
                                           "The port's path holds a control character.");
    return {};
}

QString ModemSettings::initStringProblem(const QString& init)
{
    if (init.size() > kMaxInitLength)
        return QCoreApplication::translate("telvora::ModemSettings",
                                           "The init string is longer than %1 characters.")
            .arg(kMaxInitLength);
    for (const QChar c : init) {
        // Sent as one command line of plain ASCII: a CR or LF would end it and start another.
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return QCoreApplication::translate(
                "telvora::ModemSettings",
                "The init string may hold only printable ASCII characters (no line breaks).");
    }
    return {};
}

ModemSettings ModemSettings::load()
{
    ModemSettings settings;
    QFile file(filePath());
    if (!file.exists())
        return settings;
    if (file.size() > kMaxFileSize) {
        settings.loadError =
            QCoreApplication::translate("telvora::ModemSettings",
                                        "%1 is larger than %2 MB and was not read.")
                .arg(file.fileName())
                .arg(kMaxFileSize / (1024 * 1024));
        qCWarning(lcModemSettings).noquote() << settings.loadError;
        return settings;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        settings.loadError = file.errorString();
        return settings;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(kMaxFileSize), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        settings.loadError = QCoreApplication::translate("telvora::ModemSettings",
                                                         "%1 is not a modem settings file: %2")
                                 .arg(file.fileName(), parseError.errorString());
        qCWarning(lcModemSettings).noquote() << settings.loadError;
        return settings;
    }
    const QJsonObject root = document.object();
    settings.scan = root.value(QLatin1String("scan")).toBool(true);
    QSet<QString> seen;
    for (const QJsonValue& value : root.value(QLatin1String("ports")).toArray()) {
        const QJsonObject o = value.toObject();
        ModemPortSettings port;
        port.path = o.value(QLatin1String("path")).toString();
        if (port.path.isEmpty() || seen.contains(port.path))
            continue;
        port.initString = o.value(QLatin1String("init")).toString();
        port.pulse = o.value(QLatin1String("dial")).toString() == QLatin1String("pulse");
        port.takeCalls = o.value(QLatin1String("incoming")).toBool(false);
        QString problem = pathProblem(port.path);
        if (problem.isEmpty())
            problem = initStringProblem(port.initString);
        if (problem.isEmpty() && settings.ports.size() >= kMaxPorts)
            problem = QCoreApplication::translate("telvora::ModemSettings",
                                                  "More than %1 ports are named.")
                          .arg(kMaxPorts);
        if (!problem.isEmpty()) {
            settings.setAside.append(value);
            if (!settings.problems.contains(problem))
                settings.problems.append(problem);
            continue;
        }
        seen.insert(port.path);
        settings.ports.append(port);
    }
    if (!settings.setAside.isEmpty()) {
        qCWarning(lcModemSettings).noquote()
            << QStringLiteral("%1 port(s) in %2 left unused: %3")
                   .arg(settings.setAside.size())
                   .arg(file.fileName(), settings.problems.join(QLatin1Char(' ')));
    }
    return settings;
}

bool ModemSettings::save() const
{
    if (!loadError.isEmpty())
        return false;
    QJsonArray list;
    for (const ModemPortSettings& port : ports) {
        QJsonObject o;
        o.insert(QLatin1String("path"), port.path);
        o.insert(QLatin1String("init"), port.initString);
        o.insert(QLatin1String("dial"),
                 port.pulse ? QLatin1String("pulse") : QLatin1String("tone"));
        o.insert(QLatin1String("incoming"), port.takeCalls);
        list.append(o);
    }
    for (const QJsonValue& kept : setAside)
        list.append(kept);
    QJsonObject root;
    root.insert(QLatin1String("scan"), scan);
    root.insert(QLatin1String("ports"), list);
    return writePrivateFile(filePath(), QJsonDocument(root).toJson());
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
