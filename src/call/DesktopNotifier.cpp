#include "call/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace telvora {

namespace {

bool reorders(char32_t c)
{
    // Embeddings, overrides and isolates (LRE..RLO, LRI..PDI) and the marks.
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

} // namespace

DesktopNotifier::DesktopNotifier(Fallback fallback, QObject* parent)
    : QObject(parent), m_fallback(std::move(fallback))
{}

QString DesktopNotifier::plainLine(const QString& text, qsizetype maxLength)
{
    QString line;
    line.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (reorders(c))
            continue;
        if (QChar::category(c) == QChar::Other_Control || c == 0x2028 || c == 0x2029) {
            line += QLatin1Char(' ');
            continue;
        }
        line += QString::fromUcs4(&c, 1);
    }
    line = line.simplified();
    if (line.size() > maxLength) {
        qsizetype cut = maxLength - 1;
        // Never between the halves of a character outside the basic plane.
        if (cut > 0 && line.at(cut - 1).isHighSurrogate())
            --cut;
        line = line.left(cut) + QChar(0x2026);
    }
    return line;
}

void DesktopNotifier::notify(const QString& title, const QString& body)
{
    emit notified(title, body);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (m_fallback)
            m_fallback(title, body);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    message << QStringLiteral("Telvora") << 0u << QStringLiteral("telvora") << title
            << body.toHtmlEscaped() << QStringList() << QVariantMap() << -1;
    // Asked without waiting: a service that hangs must not hold the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, title, body](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (QDBusPendingReply<quint32>(*call).isError() && m_fallback)
                    m_fallback(title, body);
            });
}

} // namespace telvora
