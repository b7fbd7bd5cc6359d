#include "links/OpenInBrowser.h"

#include "links/UrlHandler.h"
#include "ui/Prompt.h"

#include <QRegularExpression>

namespace telvora {

QUrl addressUrl(const QString& address)
{
    // "host:8080" names a port, not a scheme.
    static const QRegularExpression scheme(
        QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(/|$))"));
    if (scheme.match(address).hasMatch())
        return QUrl(address, QUrl::TolerantMode);
    return QUrl::fromUserInput(address);
}

void OpenInBrowser(const QString& address, UrlHandler& handler, Prompt& prompt)
{
    if (address.isEmpty())
        return;
    const QUrl url = addressUrl(address);
    if (!handler.hasHandler(url)) {
        prompt.messageBox(QStringLiteral("Could not find associated Browser"), Prompt::Buttons::Ok,
                          Prompt::Icon::Warning, QStringLiteral("Browser Not Found"));
        return;
    }
    if (!url.isValid() || !handler.open(url)) {
        prompt.messageBox(QStringLiteral("Web Page not Opened"), Prompt::Buttons::Ok,
                          Prompt::Icon::Warning, QStringLiteral("URL Failed"));
    }
}

} // namespace telvora
