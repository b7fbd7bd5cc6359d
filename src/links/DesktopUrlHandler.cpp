#include "links/UrlHandler.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace telvora {

bool DesktopUrlHandler::hasHandler(const QUrl& url)
{
    if (url.isLocalFile())
        return true;
    // Without xdg-mime there is no way to ask; Qt then falls back on xdg-open or $BROWSER.
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty()) {
        return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() ||
               !qEnvironmentVariableIsEmpty("BROWSER");
    }
    QProcess query;
    query.start(mime, {QStringLiteral("query"), QStringLiteral("default"),
                       QStringLiteral("x-scheme-handler/") + url.scheme()});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

bool DesktopUrlHandler::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace telvora
