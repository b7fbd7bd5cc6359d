// A cellular line through the real ModemManager daemon in its test mode, on a private bus,
// driving the scripted modem's cellular profile through a virtual port (a UNIX socket).
#include "modem/ModemPeers.h"
#include "modem/TestCall.h"
#include "support/TestHome.h"
#include "telephony/cellular/CellularProvider.h"

#include <QSignalSpy>
#include <QStandardPaths>

using namespace telvora;
using namespace telvora::test;

class CellularDaemonTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<QProcess> m_modem;
    std::unique_ptr<QProcess> m_daemon;
    QString m_key;
    int m_index = -1;

private slots:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(
            QStringLiteral("ModemManager"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        QVERIFY2(!daemon.isEmpty(), "ModemManager is not installed");
        m_home = std::make_unique<TestHome>();
        QVERIFY(writeModemSettings(m_home->path(), {}));
        m_lines = std::make_unique<LineService>();
        m_bus = std::make_unique<PrivateBus>();
        const QString socket = m_bus->dir() + QStringLiteral("/modem.sock");
        m_modem = std::make_unique<QProcess>();
        m_modem->start(QStringLiteral("/usr/bin/python3"),
                       {modemPeerFile(QStringLiteral("fakemodem.py")), QStringLiteral("--unix"),
                        socket, QStringLiteral("--profile"), QStringLiteral("gsm"),
                        QStringLiteral("--outcomes"), QStringLiteral("busy,answer"),
                        QStringLiteral("--delay"), QStringLiteral("1"),
                        QStringLiteral("--call-len"), QStringLiteral("4"), QStringLiteral("--log"),
                        m_bus->dir() + QStringLiteral("/modem.log"), QStringLiteral("--control"),
                        m_bus->dir() + QStringLiteral("/control"), QStringLiteral("--ring-every"),
                        QStringLiteral("1")});
        QVERIFY(m_modem->waitForStarted());
        m_daemon = std::make_unique<QProcess>();
        // Never the machine's own ports: no udev, no scan, only the virtual port.
        m_daemon->start(daemon,
                        {QStringLiteral("--test-session"), QStringLiteral("--test-enable"),
                         QStringLiteral("--test-no-udev"), QStringLiteral("--no-auto-scan"),
                         QStringLiteral("--log-file=") + m_bus->dir() + QStringLiteral("/mm.log"),
                         QStringLiteral("--log-level=DEBUG")});
        QVERIFY(m_daemon->waitForStarted());
        QVERIFY(m_bus->waitForName());
        for (int i = 0; i < 50 && !QFile::exists(socket); ++i)
            QTest::qWait(50);
        QVERIFY(
            PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                  QStringLiteral("org.freedesktop.ModemManager1.Test.SetProfile"),
                                  {QStringLiteral("fake0"), QStringLiteral("generic"),
                                   QStringLiteral("['%1']").arg(socket)}));
    }

    void cleanupTestCase()
    {
        m_lines.reset();
        stopProcess(m_daemon);
        stopProcess(m_modem);
        m_bus.reset();
    }

    void theModemBecomesALineNamedFromIt()
    {
        m_lines->listLines();
        auto* provider =
            static_cast<CellularProvider*>(m_lines->provider(QStringLiteral("cellular")));
        QVERIFY(provider);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            const auto lines = m_lines->listLines();
            for (int i = 0; i < lines.size(); ++i) {
                if (lines[i].provider == provider) {
                    m_index = i;
                    m_key = lines[i].line.key;
                    QCOMPARE(lines[i].line.caps.lineName, QStringLiteral("ModemProto FM-GSM"));
                }
            }
            if (m_index >= 0)
                break;
            QTest::qWait(200);
        }
        QVERIFY2(m_index >= 0, "the daemon never exported a voice modem");
    }

    void busyThenAnswered()
    {
        QVERIFY(m_index >= 0);
        // The daemon's modem starts disabled: the line enables it and waits for the network.
        TestCall busy(*m_lines);
        QVERIFY(busy.place(m_index, QStringLiteral("5551234")));
        QVERIFY(busy.waitEnded(45000));
        QVERIFY(!busy.call->wasAnswered());
        // The daemon tells busy as "terminated, reason unknown": an end worth redialling.
        QVERIFY(busy.call->end() == CallEnd::Unexplained || busy.call->end() == CallEnd::Busy);

        TestCall answered(*m_lines);
        QVERIFY(answered.place(m_index, QStringLiteral("5551234")));
        QVERIFY2(answered.waitFor(QStringLiteral("connected"), 20000),
                 qPrintable(answered.events.list().join(QLatin1Char(' '))));
        QVERIFY(answered.waitEnded(20000));
        QVERIFY(answered.call->wasAnswered());
        QCOMPARE(answered.call->end(), CallEnd::Answered);
        QCOMPARE(m_lines->callCount(), 0);
    }

    // A call that rings on the modem is offered with its number by the daemon's call
    // object; accepted, it is answered on the modem (ATA); hung up, it ends.
    void anIncomingCallIsOfferedAndAnswered()
    {
        QVERIFY(m_index >= 0);
        auto* provider =
            static_cast<CellularProvider*>(m_lines->provider(QStringLiteral("cellular")));
        QSignalSpy offered(provider, &CellularProvider::incomingCall);
        QSignalSpy connected(provider, &CellularProvider::incomingConnected);
        QSignalSpy ended(provider, &CellularProvider::incomingEnded);
        QFile control(m_bus->dir() + QStringLiteral("/control"));
        QVERIFY(control.open(QIODevice::WriteOnly));
        control.write("ring 5557777 30\n");
        control.close();
        QVERIFY2(offered.wait(20000), qPrintable(modemLog().right(800)));
        QCOMPARE(offered.constFirst().at(1).toString(), QStringLiteral("5557777"));
        QCOMPARE(provider->incomingLine(), m_key);
        QVERIFY(provider->answerIncoming());
        QVERIFY(connected.wait(20000));
        QVERIFY(modemLog().contains("ANSWER '5557777'"));
        provider->hangUpIncoming();
        QVERIFY(ended.wait(20000));
        QVERIFY(!provider->hasIncoming());
    }

private:
    QByteArray modemLog() const
    {
        QFile file(m_bus->dir() + QStringLiteral("/modem.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QTEST_GUILESS_MAIN(CellularDaemonTest)
#include "tst_cellular_mm.moc"
