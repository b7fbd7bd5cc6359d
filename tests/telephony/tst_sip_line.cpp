#include "LineEvents.h"
#include "support/TestHome.h"
#include "telephony/CvbTAPILine.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SipProvider.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace mTAPIConsts;
using namespace telvora;
using telvora::test::LineEvents;

// Runs inside the private network namespace of tests/telephony/peers/with-peers, beside
// kamailio (proxy and registrar on 127.0.0.1:5070) and the answering peers behind it.
namespace {

// Every message the service delivers to the raw client below, as text.
QStringList rawMessages;

void recordMessage(quint32 hDevice, quint32 message, quint32, quint32 param1, quint32 param2,
                   quint32)
{
    if (message == LINE_REPLY)
        rawMessages << QStringLiteral("REPLY %1 %2").arg(param1).arg(static_cast<qint32>(param2));
    else if (message == LINE_CALLSTATE)
        rawMessages << QStringLiteral("STATE %1 0x%2 0x%3")
                           .arg(hDevice)
                           .arg(param1, 0, 16)
                           .arg(param2, 0, 16);
}

// Talks to the service without the line object, to see the call states it has no event for.
class RawClient
{
public:
    RawClient()
    {
        rawMessages.clear();
        quint32 devices = 0;
        quint32 version = 0;
        LineService& service = LineService::instance();
        m_ok = service.initialize(&m_app, &recordMessage, QStringLiteral("raw"), &devices,
                                  &version) == 0 &&
               service.open(m_app, 0, &m_line, LineService::highestVersion, 0, 1,
                            LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE) == 0;
    }
    ~RawClient() { LineService::instance().shutdown(m_app); }
    bool ok() const { return m_ok; }
    qint32 call(const QString& number)
    {
        return LineService::instance().makeCall(m_line, &m_call, number, 0);
    }
    qint32 drop() { return LineService::instance().drop(m_call); }
    quint32 callHandle() const { return m_call; }
    QString state(quint32 state, quint32 mode = 0) const
    {
        return QStringLiteral("STATE %1 0x%2 0x%3").arg(m_call).arg(state, 0, 16).arg(mode, 0, 16);
    }

private:
    bool m_ok = false;
    quint32 m_app = 0;
    quint32 m_line = 0;
    quint32 m_call = 0;
};

SipAccount account(const QString& name, const QString& server, const QString& password,
                   bool registerIt, int timeout)
{
    SipAccount a;
    a.displayName = name;
    a.server = server;
    a.user = name.toLower();
    a.password = password;
    a.registerEnabled = registerIt;
    a.responseTimeoutSecs = timeout;
    return a;
}

} // namespace

class SipLineTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_fakeUserHome;
    QTemporaryDir m_runtimeDir;
    std::unique_ptr<telvora::test::TestHome> m_home;
    SipProvider* m_sip = nullptr;
    QString m_alice;
    QString m_dead;
    QString m_mallory;

    // A line object on the given line with a call to number requested.
    std::shared_ptr<CvbTAPILine> dial(int lineID, const QString& number, LineEvents& events);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void accountsAreLinesAndRegister();
    void wrongPasswordFailsWithAClearError();
    void busyThroughTheLineObject();
    void busyPassesThroughTheBusyState();
    void answerThenOurDropWhileTalking();
    void farEndHangsUpAfterAnswering();
    void ourDropWhileRinging();
    void noAnswerEndsAsNoAnswer();
    void declinedAndUnknownNumbers();
    void deadAddressFailsWithinOurTimeout();
    void emptyNumberIsRefusedWithAReplyError();
    void sipAddressIsDialledAsItIs();
    void stackStaysOutOfHomeAndQt5();
};

std::shared_ptr<CvbTAPILine> SipLineTest::dial(int lineID, const QString& number,
                                               LineEvents& events)
{
    auto line = CvbTAPILine::make();
    events.watch(*line);
    if (!line->Create())
        return nullptr;
    line->setCurrentLineID(lineID);
    if (!line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE) ||
        !line->MakeCallAsynch(number))
        return nullptr;
    return line;
}

void SipLineTest::initTestCase()
{
    // Before the stack exists: whatever it might write under $HOME would land here.
    qputenv("HOME", m_fakeUserHome.path().toUtf8());
    // As in a desktop session; without it the sound system's client keeps its runtime
    // files under $HOME instead.
    qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", QByteArray());
    qputenv("XDG_DATA_HOME", QByteArray());
    m_home = std::make_unique<telvora::test::TestHome>();
    m_sip = static_cast<SipProvider*>(LineService::instance().provider(QStringLiteral("sip")));
    if (!m_sip) {
        // The service makes its providers on first use.
        auto probe = CvbTAPILine::make();
        probe->Create();
        m_sip = static_cast<SipProvider*>(LineService::instance().provider(QStringLiteral("sip")));
    }
    QVERIFY(m_sip);
    QVERIFY(!m_sip->isStarted());
    m_alice = m_sip->addAccount(account(QStringLiteral("Alice"), QStringLiteral("127.0.0.1:5070"),
                                        QStringLiteral("secret"), true, 3));
    m_dead = m_sip->addAccount(account(QStringLiteral("Dead"), QStringLiteral("127.0.0.1:5099"),
                                       QStringLiteral("x"), false, 2));
    m_mallory =
        m_sip->addAccount(account(QStringLiteral("Mallory"), QStringLiteral("127.0.0.1:5070"),
                                  QStringLiteral("wrong"), true, 3));
    QVERIFY(!m_alice.isEmpty() && !m_dead.isEmpty() && !m_mallory.isEmpty());
    // Saving accounts starts nothing; the first line object does.
    QVERIFY(!m_sip->isStarted());
}

void SipLineTest::cleanupTestCase()
{
    m_home.reset();
}

void SipLineTest::cleanup()
{
    QTRY_COMPARE(LineService::instance().callCount(), 0);
    QCOMPARE(LineService::instance().openLineCount(), 0);
}

void SipLineTest::accountsAreLinesAndRegister()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(m_sip->isStarted());
    QCOMPARE(line->numLines(), 3);
    QCOMPARE(line->LineName(), QStringLiteral("Alice"));
    QCOMPARE(line->SwitchInfo(), QStringLiteral("127.0.0.1:5070"));
    QVERIFY(line->LineSupportsVoiceCalls());
    line->setCurrentLineID(1);
    QCOMPARE(line->LineName(), QStringLiteral("Dead"));
    QTRY_COMPARE_WITH_TIMEOUT(m_sip->registration(m_alice), SipProvider::Registration::Ok, 5000);
    QCOMPARE(m_sip->registration(m_dead), SipProvider::Registration::None);
}

void SipLineTest::wrongPasswordFailsWithAClearError()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_sip->registration(m_mallory), SipProvider::Registration::Failed,
                              8000);
    QVERIFY2(
        m_sip->registrationText(m_mallory).contains(QLatin1String("wrong user name or password")),
        qPrintable(m_sip->registrationText(m_mallory)));
}

void SipLineTest::busyThroughTheLineObject()
{
    LineEvents events;
    auto line = dial(0, QStringLiteral("9 (01) 23-45.6"), events);
    QVERIFY(line);
    QTRY_COMPARE_WITH_TIMEOUT(
        events.list(),
        (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Disconnected"),
                     QStringLiteral("DropCallResult(0)"), QStringLiteral("Idle")}),
        5000);
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_BUSY);
    QVERIFY(!line->CallWasConnected());
}

void SipLineTest::busyPassesThroughTheBusyState()
{
    RawClient client;
    QVERIFY(client.ok());
    const qint32 request = client.call(QStringLiteral("9001"));
    QVERIFY(request > 0);
    const QString disconnected = client.state(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
    QTRY_VERIFY_WITH_TIMEOUT(rawMessages.contains(disconnected), 5000);
    QCOMPARE(rawMessages.first(), QStringLiteral("REPLY %1 0").arg(request));
    const auto busy = rawMessages.indexOf(client.state(LINECALLSTATE_BUSY));
    QVERIFY2(busy > 0 && busy < rawMessages.indexOf(disconnected),
             qPrintable(rawMessages.join(u'|')));
    const qint32 drop = client.drop();
    QVERIFY(drop > 0);
    QTRY_COMPARE(
        rawMessages.mid(rawMessages.size() - 2),
        (QStringList{QStringLiteral("REPLY %1 0").arg(drop), client.state(LINECALLSTATE_IDLE)}));
    QCOMPARE(LineService::instance().deallocateCall(client.callHandle()), 0);
}

void SipLineTest::answerThenOurDropWhileTalking()
{
    LineEvents events;
    auto line = dial(0, QStringLiteral("1234"), events);
    QVERIFY(line);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("Connected")), 5000);
    QCOMPARE(events.list().first(), QStringLiteral("MakeCallResult(0)"));
    QVERIFY(line->CallWasConnected());
    QVERIFY(line->DropCallAsynch());
    QTRY_COMPARE_WITH_TIMEOUT(
        events.list(),
        (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Connected"),
                     QStringLiteral("DropCallResult(0)"), QStringLiteral("Idle")}),
        5000);
}

void SipLineTest::farEndHangsUpAfterAnswering()
{
    LineEvents events;
    auto line = dial(0, QStringLiteral("6001"), events);
    QVERIFY(line);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("Connected")), 5000);
    // The far end hangs up by itself after a couple of seconds.
    QTRY_COMPARE_WITH_TIMEOUT(
        events.list(),
        (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Connected"),
                     QStringLiteral("Disconnected"), QStringLiteral("DropCallResult(0)"),
                     QStringLiteral("Idle")}),
        10000);
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_NORMAL);
    QVERIFY(line->CallWasConnected());
}

void SipLineTest::ourDropWhileRinging()
{
    RawClient client;
    QVERIFY(client.ok());
    QVERIFY(client.call(QStringLiteral("8001")) > 0);
    QTRY_VERIFY_WITH_TIMEOUT(rawMessages.contains(client.state(LINECALLSTATE_RINGBACK)), 5000);
    const qint32 drop = client.drop();
    QVERIFY(drop > 0);
    QTRY_VERIFY_WITH_TIMEOUT(rawMessages.contains(client.state(LINECALLSTATE_IDLE)), 5000);
    QVERIFY(rawMessages.contains(QStringLiteral("REPLY %1 0").arg(drop)));
    QVERIFY(!rawMessages.contains(client.state(LINECALLSTATE_CONNECTED)));
    QCOMPARE(LineService::instance().deallocateCall(client.callHandle()), 0);

    // The same through the line object.
    LineEvents events;
    auto line = dial(0, QStringLiteral("8002"), events);
    QVERIFY(line);
    QTRY_COMPARE(events.count(), 1);
    QTest::qWait(500);
    QVERIFY(line->DropCallAsynch());
    QTRY_COMPARE_WITH_TIMEOUT(
        events.list(),
        (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("DropCallResult(0)"),
                     QStringLiteral("Idle")}),
        5000);
    QVERIFY(!line->CallWasConnected());
}

void SipLineTest::noAnswerEndsAsNoAnswer()
{
    LineEvents events;
    // The proxy gives up on the ringing peer after 4 s.
    auto line = dial(0, QStringLiteral("8003"), events);
    QVERIFY(line);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("Idle")), 10000);
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_NOANSWER);
    QVERIFY(events.contains(QStringLiteral("Disconnected")));
}

void SipLineTest::declinedAndUnknownNumbers()
{
    LineEvents declinedEvents;
    auto declined = dial(0, QStringLiteral("5001"), declinedEvents);
    QVERIFY(declined);
    QTRY_VERIFY_WITH_TIMEOUT(declinedEvents.contains(QStringLiteral("Idle")), 5000);
    LineEvents unknownEvents;
    auto unknown = dial(2, QStringLiteral("4001"), unknownEvents);
    QVERIFY(unknown);
    QTRY_VERIFY_WITH_TIMEOUT(unknownEvents.contains(QStringLiteral("Idle")), 5000);
    QCOMPARE(declined->DisconnectMode(), LINEDISCONNECTMODE_REJECT);
    QCOMPARE(unknown->DisconnectMode(), LINEDISCONNECTMODE_BADADDRESS);
}

void SipLineTest::deadAddressFailsWithinOurTimeout()
{
    LineEvents events;
    // Nobody listens on this account's server; its own timeout is 2 s, the protocol's 32 s.
    auto line = dial(1, QStringLiteral("123"), events);
    QVERIFY(line);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("Idle")), 3500);
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_UNREACHABLE);
    QVERIFY(!line->CallWasConnected());
}

void SipLineTest::emptyNumberIsRefusedWithAReplyError()
{
    LineEvents events;
    auto line = dial(0, QString(), events);
    QVERIFY(line);
    QTRY_COMPARE(events.list(),
                 QStringList{QStringLiteral("MakeCallResult(%1)").arg(LINEERR_INVALADDRESS)});
    QVERIFY(!line->CloseLine());
    LineEvents blanks;
    auto blank = dial(0, QStringLiteral(" - . ( ) "), blanks);
    QVERIFY(blank);
    QTRY_COMPARE(blanks.list(),
                 QStringList{QStringLiteral("MakeCallResult(%1)").arg(LINEERR_INVALADDRESS)});
}

void SipLineTest::sipAddressIsDialledAsItIs()
{
    LineEvents events;
    // bob is the answering peer's registered contact: only the proxy's registrar knows it.
    auto line = dial(2, QStringLiteral("sip:bob@127.0.0.1:5070"), events);
    QVERIFY(line);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("Connected")), 5000);
    line.reset();
}

void SipLineTest::stackStaysOutOfHomeAndQt5()
{
    QVERIFY(m_sip->isStarted());
    QDir home(m_fakeUserHome.path());
    QDirIterator it(home.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    QStringList written;
    while (it.hasNext())
        written << it.next();
    QVERIFY2(written.isEmpty(), qPrintable(written.join(QLatin1Char(' '))));
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(!mapped.contains("libQt5"));
    QFile config(m_home->file(QStringLiteral("lines.json")));
    QVERIFY(config.exists());
    QCOMPARE(config.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                     QFileDevice::WriteGroup | QFileDevice::WriteOther),
             QFileDevice::Permissions());
}

QTEST_GUILESS_MAIN(SipLineTest)
#include "tst_sip_line.moc"
