#pragma once

// Test peers for modem and cellular lines, started and stopped by the tests themselves:
// the scripted modem (fakemodem.py) on one end of a socat pseudo-terminal pair, and a
// private D-Bus bus for ModemManager, real or faked.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace telvora::test {

inline QString modemPeerFile(const QString& name)
{
    return QStringLiteral(TELVORA_MODEM_PEERS) + QLatin1Char('/') + name;
}

inline void stopProcess(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(2000)) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
    process.reset();
}

// The scripted modem on a pseudo-terminal: `host()` is the end the program opens.
class ScriptedModem
{
public:
    ScriptedModem(const QString& profile, const QString& outcomes, const QStringList& extra = {})
        : m_arguments(QStringList{QStringLiteral("--profile"), profile,
                                  QStringLiteral("--outcomes"), outcomes} +
                      extra)
    {
        start();
    }
    ~ScriptedModem()
    {
        stopProcess(m_modem);
        stopProcess(m_socat);
    }
    bool running() const
    {
        return m_ready && m_socat->state() == QProcess::Running &&
               m_modem->state() == QProcess::Running && QFile::exists(host());
    }
    QString host() const { return m_dir.filePath(QStringLiteral("host")); }
    QString log() const { return m_dir.filePath(QStringLiteral("modem.log")); }
    // What the modem was asked to dial, in order, as "DIAL '5551234' voice=False ...".
    QStringList dials() const
    {
        QFile file(log());
        QStringList result;
        if (!file.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (const qsizetype at = line.indexOf("DIAL "); at >= 0)
                result << QString::fromLatin1(line.mid(at));
        }
        return result;
    }
    // The touch tones the modem was asked to send on a call, in order.
    QString tones() const
    {
        QString result;
        for (const QByteArray& line : received().split('\n')) {
            if (const qsizetype at = line.indexOf("TONE "); at >= 0)
                result += QString::fromLatin1(line.mid(at + 5));
        }
        return result;
    }
    QByteArray received() const
    {
        QFile file(log());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A call comes in: `count` RINGs, the number after the first; then the caller gives up.
    bool ring(const QString& number, int count) const
    {
        return control(QStringLiteral("ring %1 %2").arg(number).arg(count));
    }
    // The far end of a call in progress hangs up.
    bool farEndHangsUp() const { return control(QStringLiteral("hangup")); }
    // The pseudo-terminal goes away, as when a USB modem is pulled.
    void unplug()
    {
        stopProcess(m_socat);
        stopProcess(m_modem);
    }
    // The modem comes back at the same path, as a USB modem plugged in again does; its
    // script starts from the first outcome.
    void replug()
    {
        unplug();
        start();
    }

private:
    bool control(const QString& line) const
    {
        QFile fifo(m_dir.filePath(QStringLiteral("control")));
        return fifo.open(QIODevice::WriteOnly) && fifo.write(line.toUtf8() + '\n') > 0;
    }
    void start()
    {
        const qsizetype readyBefore = received().count(" ready\n");
        m_socat = std::make_unique<QProcess>();
        m_socat->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_socat->start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") +
                                                     m_dir.filePath(QStringLiteral("modem")),
                                                 QStringLiteral("pty,raw,echo=0,link=") + host()});
        for (int i = 0; i < 100 && !(QFile::exists(host()) &&
                                     QFile::exists(m_dir.filePath(QStringLiteral("modem"))));
             ++i)
            QTest::qWait(20);
        m_modem = std::make_unique<QProcess>();
        m_modem->setProcessChannelMode(QProcess::ForwardedChannels);
        m_modem->start(QStringLiteral("/usr/bin/python3"),
                       QStringList{modemPeerFile(QStringLiteral("fakemodem.py")),
                                   QStringLiteral("--tty"), m_dir.filePath(QStringLiteral("modem")),
                                   QStringLiteral("--log"), log(), QStringLiteral("--control"),
                                   m_dir.filePath(QStringLiteral("control"))} +
                           m_arguments);
        m_modem->waitForStarted();
        // Setting the pty raw flushes what came before: wait until the modem says it is
        // ready, however long Python takes to start on a busy machine.
        m_ready =
            QTest::qWaitFor([&] { return received().count(" ready\n") > readyBefore; }, 10000);
    }

    QStringList m_arguments;
    bool m_ready = false;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_socat;
    std::unique_ptr<QProcess> m_modem;
};

// Names the ports in the modem settings of the current $TELVORA_HOME, with scanning off so
// that no test touches the machine's own serial ports.
inline bool writeModemSettings(const QString& home, const QStringList& ports,
                               const QString& init = {}, bool takeCalls = false)
{
    QJsonArray list;
    for (const QString& port : ports)
        list.append(QJsonObject{{QStringLiteral("path"), port},
                                {QStringLiteral("init"), init},
                                {QStringLiteral("dial"), QStringLiteral("tone")},
                                {QStringLiteral("incoming"), takeCalls}});
    QFile file(home + QStringLiteral("/modems.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(
        QJsonDocument(QJsonObject{{QStringLiteral("scan"), false}, {QStringLiteral("ports"), list}})
            .toJson());
    return true;
}

// A private bus that the program takes for the system bus.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_daemon = std::make_unique<QProcess>();
        m_daemon->start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"),
             QStringLiteral("--print-address"),
             QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus"))});
        m_daemon->waitForReadyRead(5000);
        m_address = QString::fromLatin1(m_daemon->readLine().trimmed());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLatin1());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLatin1());
    }
    ~PrivateBus()
    {
        stopProcess(m_fake);
        stopProcess(m_daemon);
    }
    QString address() const { return m_address; }
    QString dir() const { return m_dir.path(); }

    // ModemManager's voice interfaces as python-dbusmock plays them.
    bool startFake(const QString& outcomes, int delayMs)
    {
        m_fake = std::make_unique<QProcess>();
        m_fake->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_fake->start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                       QStringLiteral("--template"),
                       modemPeerFile(QStringLiteral("mm_voice_template.py")), QStringLiteral("-p"),
                       QStringLiteral("{\"outcomes\": \"%1\", \"delay_ms\": %2}")
                           .arg(outcomes)
                           .arg(delayMs)});
        return waitForName();
    }
    bool waitForName()
    {
        for (int i = 0; i < 200; ++i) {
            QProcess check;
            check.start(QStringLiteral("gdbus"),
                        {QStringLiteral("introspect"), QStringLiteral("--system"),
                         QStringLiteral("-d"), QStringLiteral("org.freedesktop.ModemManager1"),
                         QStringLiteral("-o"), QStringLiteral("/org/freedesktop/ModemManager1")});
            check.waitForFinished(2000);
            if (check.exitCode() == 0)
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    // Calls a method with gdbus on the private bus; true when it succeeded.
    static bool gdbusCall(const QString& path, const QString& method, const QStringList& args = {})
    {
        QProcess call;
        call.start(QStringLiteral("gdbus"),
                   QStringList{QStringLiteral("call"), QStringLiteral("--system"),
                               QStringLiteral("-d"),
                               QStringLiteral("org.freedesktop.ModemManager1"),
                               QStringLiteral("-o"), path, QStringLiteral("-m"), method} +
                       args);
        call.waitForFinished(10000);
        return call.exitStatus() == QProcess::NormalExit && call.exitCode() == 0;
    }

private:
    QTemporaryDir m_dir;
    QString m_address;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_fake;
};

} // namespace telvora::test
