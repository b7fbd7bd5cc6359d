// Cellular lines through ModemManager's voice interfaces, played by python-dbusmock on a
// private bus that the program takes for the system bus.
#include "modem/LineCall.h"
#include "modem/ModemPeers.h"
#include "support/TestHome.h"
#include "telephony/cellular/CellularProvider.h"
#include "telephony/mTAPIConsts.h"

using namespace mTAPIConsts;
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
        // The bus must exist before the first listing connects to it.
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(m_bus->startFake(QStringLiteral("busy"), 150));
    }

    void cleanupTestCase() { m_bus.reset(); }

    void aLinePerVoiceModemNamedFromIt()
    {
        QVERIFY(lineIndex(QStringLiteral("cellular"), kKey0) >= 0);
        auto* provider = static_cast<CellularProvider*>(
            LineService::instance().provider(QStringLiteral("cellular")));
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
        LineCall call;
        QVERIFY(
            call.place(lineIndex(QStringLiteral("cellular"), kKey0), QStringLiteral("5551234")));
        QVERIFY(call.waitIdle());
        QCOMPARE(call.line->DisconnectMode(), LINEDISCONNECTMODE_BUSY);
        QVERIFY(!call.line->CallWasConnected());
        // Every call is deleted once it ends.
        QTRY_VERIFY(!PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1/Call/0"),
                                           QStringLiteral("org.freedesktop.DBus.Properties.GetAll"),
                                           {QStringLiteral("org.freedesktop.ModemManager1.Call")}));
    }

    void answeredThenOurHangUp()
    {
        setOutcomes(QStringLiteral("answer"));
        LineCall call;
        QVERIFY(
            call.place(lineIndex(QStringLiteral("cellular"), kKey0), QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("Connected")));
        QVERIFY(call.line->CallWasConnected());
        QVERIFY(call.line->DropCallAsynch());
        QVERIFY(call.waitIdle());
        QVERIFY(call.events.contains(QStringLiteral("DropCallResult(0)")));
        QCOMPARE(LineService::instance().callCount(), 0);
    }

    void anEmptyNumberIsRefused()
    {
        LineCall call;
        QVERIFY(call.place(lineIndex(QStringLiteral("cellular"), kKey0), QString()));
        QVERIFY(call.waitFor(QStringLiteral("MakeCallResult(%1)").arg(LINEERR_INVALADDRESS)));
    }

    void theModemRemovedMidCall()
    {
        setOutcomes(QStringLiteral("noanswer"));
        QSignalSpy changed(&LineService::instance(), &LineService::linesChanged);
        LineCall call;
        QVERIFY(
            call.place(lineIndex(QStringLiteral("cellular"), kKey0), QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("MakeCallResult(0)")));
        QVERIFY(PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                      QStringLiteral("org.freedesktop.DBus.Mock.RemoveModem"),
                                      {kModem0}));
        QVERIFY(call.waitIdle());
        QCOMPARE(call.line->DisconnectMode(), LINEDISCONNECTMODE_UNAVAIL);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(lineIndex(QStringLiteral("cellular"), kKey0, 0), -1);
    }

    void aModemPluggedInBecomesALine()
    {
        QVERIFY(PrivateBus::gdbusCall(QStringLiteral("/org/freedesktop/ModemManager1"),
                                      QStringLiteral("org.freedesktop.DBus.Mock.AddModem"),
                                      {QStringLiteral("Quectel"), QStringLiteral("EG25")}));
        auto* provider = static_cast<CellularProvider*>(
            LineService::instance().provider(QStringLiteral("cellular")));
        QTRY_COMPARE(provider->lines().size(), 1);
        QCOMPARE(provider->lines()[0].caps.lineName, QStringLiteral("Quectel EG25"));
    }
};

QTEST_GUILESS_MAIN(CellularLineTest)
#include "tst_cellular_line.moc"
