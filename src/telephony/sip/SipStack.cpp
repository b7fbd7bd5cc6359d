#include "telephony/sip/SipStack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <sys/stat.h>
#include <unistd.h>

namespace telvora {

namespace {

QString modulePath()
{
    const QString name = QStringLiteral("telvora-sip.so");
    // Installed, the module sits in the library folder beside the program's; a program run
    // from its build, and only such a one, finds it in the build.
    const QString programs = QCoreApplication::applicationDirPath();
    if (programs.startsWith(QStringLiteral(TELVORA_BUILD_ROOT "/")))
        return QStringLiteral(TELVORA_SIP_MODULE_BUILD_DIR) + QLatin1Char('/') + name;
    return QDir::cleanPath(programs + QLatin1Char('/') +
                           QStringLiteral(TELVORA_SIP_MODULE_FROM_BINDIR) + QLatin1Char('/') +
                           name);
}

bool ownedSafely(const QByteArray& path, bool leaf)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return false;
    if (info.st_uid != 0 && info.st_uid != ::geteuid())
        return false;
    if (!(info.st_mode & (S_IWGRP | S_IWOTH)))
        return true;
    // A folder everyone may write to but whose entries only their owners may rename or
    // remove (the temporary folder) cannot be used to swap what lies below it.
    return !leaf && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX);
}

} // namespace

bool isTrustedModule(const QString& path)
{
    // The real file, links followed: a link anyone could point elsewhere is judged by where
    // it points, and the folders it passes through by their own owners.
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isFile())
        return false;
    if (!ownedSafely(QFile::encodeName(real), true))
        return false;
    for (QDir folder = QFileInfo(real).dir();; folder.cdUp()) {
        if (!ownedSafely(QFile::encodeName(folder.path()), false))
            return false;
        if (folder.isRoot())
            return true;
    }
}

std::unique_ptr<SipStack> loadSipStack(SipStackHost& host, QString& error)
{
    const QString path = modulePath();
    if (!QFileInfo::exists(path)) {
        error = QCoreApplication::translate("telvora::SipProvider",
                                            "The SIP stack is not installed (%1 is missing)")
                    .arg(path);
        return nullptr;
    }
    if (!isTrustedModule(path)) {
        error = QCoreApplication::translate(
                    "telvora::SipProvider",
                    "The SIP stack was not loaded: %1 or a folder above it could be changed by "
                    "another user")
                    .arg(path);
        return nullptr;
    }
    // Never unloaded: the stack's threads and handlers live as long as the process.
    QLibrary module(path);
    const auto make = reinterpret_cast<SipStackMaker>(module.resolve(kSipStackMaker));
    if (!make) {
        error = QCoreApplication::translate("telvora::SipProvider",
                                            "The SIP stack could not be loaded: %1")
                    .arg(module.errorString());
        return nullptr;
    }
    std::unique_ptr<SipStack> stack(make(&host));
    if (!stack)
        error = QCoreApplication::translate("telvora::SipProvider",
                                            "The SIP stack could not be started");
    return stack;
}

} // namespace telvora
