#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    QStringList missing;
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo::exists(path)) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString& step : std::as_const(missing)) {
        // Made for the owner alone from the first moment, and so whatever the umask.
        const QByteArray name = QFile::encodeName(step);
        if (::mkdir(name.constData(), 0700) != 0) {
            if (errno != EEXIST)
                break;
            continue;
        }
        const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0700);
            ::close(fd);
        }
    }
    if (!QFileInfo(folder).isDir()) {
        *error = QCoreApplication::translate("telvora::DataFolder",
                                             "the folder \"%1\" could not be created")
                     .arg(folder);
        return false;
    }
    return true;
}

} // namespace telvora
