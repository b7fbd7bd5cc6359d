// Cellular lines through ModemManager's voice interfaces, played by python-dbusmock on a
// private bus that the program takes for the system bus.
#include "modem/ModemPeers.h"
#include "modem/TestCall.h"
#include "support/TestHome.h"
#include "telephony/cellular/CellularProvider.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QSignalSpy>

using namespace telvora;
using namespace telvora::test;

namespace {
const QString kModem0 = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
const QString kKey0 = QStringLiteral("fake") + QString(38, QLatin1Char('0'));
} // namespace

class CellularLineTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<PrivateBus> m_bus;

    void setOutcomes(const QString& outcomes)
    {
        QVERIFY(PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                      QStringLiteral("org.freedesktop.DBus.Mock.SetOutcomes"),
                                      {outcomes}));
    }

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<TestHome>();
        QVERIFY(writeModemSettings(m_home->path(), {}));
        m_lines = std::make_unique<LineService>();
        // The bus must exist before the first listing connects to it.
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(m_bus->startFake(QStringLiteral("busy"), 150));
    }

    void cleanupTestCase()
    {
        m_lines.reset();
        m_bus.reset();
    }

    void aLinePerVoiceModemNamedFromIt()
    {
        QVERIFY(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0) >= 0);
        auto* provider =
            static_cast<CellularProvider*>(m_lines->provider(QStringLiteral("cellular")));
        const auto lines = provider->lines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].caps.lineName, QStringLiteral("ModemProto FM-LTE"));
        QCOMPARE(provider->lineState(kKey0), QStringLiteral("Registered"));
        QVERIFY(provider->details(kKey0).contains(
            std::pair{QStringLiteral("Port"), QStringLiteral("ttyUSB2")}));
    }

    void busy()
    {
        setOutcomes(QStringLiteral("busy"));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0),
                           QStringLiteral("5551234")));
        QVERIFY(call.waitEnded());
        QCOMPARE(call.call->end(), CallEnd::Busy);
        QVERIFY(!call.call->wasAnswered());
        // Every call is deleted once it ends.
        QTRY_VERIFY(!PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1/Call/0"),
                                           QStringLiteral("org.freedesktop.DBus.Properties.GetAll"),
                                           {QStringLiteral("org.freedesktop.ModemManager1.Call")}));
    }

    void answeredThenOurHangUp()
    {
        setOutcomes(QStringLiteral("answer"));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0),
                           QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("connected")));
        QVERIFY(call.call->wasAnswered());
        call.call->hangUp();
        QVERIFY(call.waitEnded());
        QCOMPARE(call.call->end(), CallEnd::HungUp);
        QCOMPARE(m_lines->callCount(), 0);
    }

    void tonesGoToTheDaemonWhileConnected()
    {
        setOutcomes(QStringLiteral("answer"));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0),
                           QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("connected")));
        QCOMPARE(call.call->sendTones(QStringLiteral("1#x*9")), QStringLiteral("1#*9"));
        const auto tones = [] {
            QDBusInterface mock(QStringLiteral("org.freedesktop.ModemManager1"),
                                QStringLiteral("/org/freedesktop/ModemManager1"),
                                QStringLiteral("org.freedesktop.DBus.Mock"),
                                QDBusConnection::systemBus());
            return QDBusReply<QString>(mock.call(QStringLiteral("Tones"))).value();
        };
        QTRY_COMPARE(tones(), QStringLiteral("1#*9"));
        call.call->hangUp();
        QVERIFY(call.waitEnded());
    }

    void anEmptyNumberIsRefused()
    {
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0), QString()));
        QVERIFY(call.waitFor(QStringLiteral("refused")));
        QCOMPARE(call.call->error(), LineError::InvalidAddress);
    }

    void theModemRemovedMidCall()
    {
        setOutcomes(QStringLiteral("noanswer"));
        QSignalSpy changed(m_lines.get(), &LineService::linesChanged);
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0),
                           QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("placed")));
        QVERIFY(PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                      QStringLiteral("org.freedesktop.DBus.Mock.RemoveModem"),
                                      {kModem0}));
        QVERIFY(call.waitEnded());
        QCOMPARE(call.call->end(), CallEnd::LineLost);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(lineIndex(*m_lines, QStringLiteral("cellular"), kKey0, 0), -1);
    }

    void aModemPluggedInBecomesALine()
    {
        QVERIFY(PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                      QStringLiteral("org.freedesktop.DBus.Mock.AddModem"),
                                      {QStringLiteral("Quectel"), QStringLiteral("EG25")}));
        auto* provider =
            static_cast<CellularProvider*>(m_lines->provider(QStringLiteral("cellular")));
        QTRY_COMPARE(provider->lines().size(), 1);
        QCOMPARE(provider->lines()[0].caps.lineName, QStringLiteral("Quectel EG25"));
    }
};

QTEST_GUILESS_MAIN(CellularLineTest)
#include "tst_cellular_line.moc"
