#include "support/PrivateSessionBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QTest>

namespace telvora::test {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

void stop(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(3000))
        process->kill();
    process->waitForFinished(1000);
    process.reset();
}

} // namespace

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon = std::make_unique<QProcess>();
    m_daemon->start(
        QStringLiteral("dbus-daemon"),
        {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
         QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus"))});
    if (!m_daemon->waitForReadyRead(5000))
        return;
    m_address = QString::fromLatin1(m_daemon->readLine().trimmed());
    // Before anything in the test first asks for the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLatin1());
}

PrivateSessionBus::~PrivateSessionBus()
{
    stopNotifications();
    stop(m_daemon);
}

bool PrivateSessionBus::startNotifications()
{
    m_service = std::make_unique<QProcess>();
    m_service->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_service->start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                      QStringLiteral("--template"), QStringLiteral("notification_daemon")});
    return QTest::qWaitFor(
        [] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService); },
        10000);
}

void PrivateSessionBus::stopNotifications()
{
    stop(m_service);
    // The bus lets go of the name once it has seen the service go.
    (void)QTest::qWaitFor(
        [] { return !QDBusConnection::sessionBus().interface()->isServiceRegistered(kService); },
        5000);
}

QStringList PrivateSessionBus::notices() const
{
    QDBusInterface mock(kService, QStringLiteral("/org/freedesktop/Notifications"),
                        QStringLiteral("org.freedesktop.DBus.Mock"), QDBusConnection::sessionBus());
    const QDBusMessage reply =
        mock.call(QStringLiteral("GetMethodCalls"), QStringLiteral("Notify"));
    QStringList result;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    // a(tav): when, and the arguments of Notify.
    const auto calls = reply.arguments().at(0).value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
        quint64 when = 0;
        QVariantList args;
        calls.beginStructure();
        calls >> when >> args;
        calls.endStructure();
        if (args.size() > 4)
            result << args.at(3).toString() + QLatin1Char('|') + args.at(4).toString();
    }
    calls.endArray();
    return result;
}

} // namespace telvora::test
