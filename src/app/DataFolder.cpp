#include "app/DataFolder.h"

#include "common/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace telvora {

QString DataFolder::path()
{
    const QString home = qEnvironmentVariable("TELVORA_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool DataFolder::enter(QString* error)
{
    const QString folder = path();
    if (folder.isEmpty()) {
        *error = QCoreApplication::translate("telvora::DataFolder",
                                             "no data folder could be found for this user");
        return false;
    }
    if (!makePrivate(folder, error))
        return false;
    if (!QDir::setCurrent(folder)) {
        *error = QCoreApplication::translate("telvora::DataFolder",
                                             "the folder \"%1\" could not be entered")
                     .arg(folder);
        return false;
    }
    return true;
}

bool DataFolder::makePrivate(const QString& folder, QString* error)
{
    if (!makePrivateFolder(folder)) {
        *error = QCoreApplication::translate("telvora::DataFolder",
                                             "the folder \"%1\" could not be created")
                     .arg(folder);
        return false;
    }
    return true;
}

} // namespace telvora
