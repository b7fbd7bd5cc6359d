#include "common/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvora {

QString configFile(const QString& name)
{
    const QString home = qEnvironmentVariable("TELVORA_HOME");
    const QString folder =
        !home.isEmpty() ? home
                        : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                              QStringLiteral("/Telvora");
    return QDir(folder).filePath(name);
}

bool makePrivateFolder(const QString& folder)
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
    return QFileInfo(folder).isDir();
}

bool writePrivateFile(const QString& path, const QByteArray& bytes)
{
    if (!makePrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // On the new file itself, before a byte of it is written: what it holds (a password) is
    // never readable by anyone else, not even for a moment.
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace telvora
