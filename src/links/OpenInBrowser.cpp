#include "links/OpenInBrowser.h"

#include "links/UrlHandler.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace telvora {

namespace {

// "host:8080" names a port, not a scheme.
const QRegularExpression& schemePattern()
{
    static const QRegularExpression scheme(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d+(/|$))"));
    return scheme;
}

bool isWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// A mail may be given recipients, a subject and a body; anything else a mail program may
// take as an order, such as attaching a file of the user's.
QString mailRefusal(const QUrl& url)
{
    static const QStringList allowed = {QStringLiteral("to"), QStringLiteral("cc"),
                                        QStringLiteral("bcc"), QStringLiteral("subject"),
                                        QStringLiteral("body")};
    const QStringList fields = url.query(QUrl::FullyDecoded).split(QLatin1Char('&'));
    for (const QString& field : fields) {
        const QString key = field.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        if (!key.isEmpty() && !allowed.contains(key))
            return QCoreApplication::translate(
                "telvora::OpenInBrowser",
                "a mail may be given only recipients, a subject and a body");
    }
    return {};
}

} // namespace

QUrl addressUrl(const QString& address)
{
    if (schemePattern().match(address).hasMatch())
        return QUrl(address, QUrl::TolerantMode);
    return QUrl::fromUserInput(address);
}

QString addressRefusal(const QString& address)
{
    for (const QChar c : address) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return QCoreApplication::translate("telvora::OpenInBrowser",
                                               "it holds control characters");
    }
    const QString text = address.trimmed();
    // A handler given an argument that starts with "-" may read it as an option.
    if (text.startsWith(QLatin1Char('-')))
        return QCoreApplication::translate("telvora::OpenInBrowser", "it starts with \"-\"");

    const QRegularExpressionMatch scheme = schemePattern().match(text);
    if (scheme.hasMatch()) {
        const QString name = scheme.captured(1).toLower();
        if (name == QLatin1String("mailto"))
            return mailRefusal(QUrl(text, QUrl::TolerantMode));
        if (!isWebScheme(name)) {
            return QCoreApplication::translate(
                       "telvora::OpenInBrowser",
                       "only web pages (http, https) and mail (mailto) are opened, "
                       "not \"%1:\" addresses")
                .arg(name.left(20));
        }
    } else {
        if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('~')) ||
            text.startsWith(QLatin1Char('.')) || text.contains(QLatin1Char('\\')))
            return QCoreApplication::translate("telvora::OpenInBrowser",
                                               "it names a file on this computer, not a web page");
        if (text.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
            return QCoreApplication::translate(
                "telvora::OpenInBrowser", "it names a desktop entry, which would start a program");
    }
    const QUrl url = addressUrl(text);
    if (!url.isValid() || !isWebScheme(url.scheme()) || url.host().isEmpty())
        return QCoreApplication::translate("telvora::OpenInBrowser", "it is not a web address");
    return {};
}

void OpenInBrowser(const QString& address, UrlHandler& handler, Prompt& prompt)
{
    if (address.isEmpty())
        return;
    const QString refusal = addressRefusal(address);
    if (!refusal.isEmpty()) {
        prompt.messageBox(QCoreApplication::translate("telvora::OpenInBrowser",
                                                      "This address was not opened: %1.")
                              .arg(refusal),
                          Prompt::Buttons::Ok, Prompt::Icon::Warning,
                          QCoreApplication::translate("telvora::OpenInBrowser", "URL Refused"));
        return;
    }
    const QUrl url = addressUrl(address);
    if (!handler.hasHandler(url)) {
        prompt.messageBox(
            QCoreApplication::translate("telvora::OpenInBrowser",
                                        "Could not find associated Browser"),
            Prompt::Buttons::Ok, Prompt::Icon::Warning,
            QCoreApplication::translate("telvora::OpenInBrowser", "Browser Not Found"));
        return;
    }
    if (!url.isValid() || !handler.open(url)) {
        prompt.messageBox(
            QCoreApplication::translate("telvora::OpenInBrowser", "Web Page not Opened"),
            Prompt::Buttons::Ok, Prompt::Icon::Warning,
            QCoreApplication::translate("telvora::OpenInBrowser", "URL Failed"));
    }
}

} // namespace telvora
