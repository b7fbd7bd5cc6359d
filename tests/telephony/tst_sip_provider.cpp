#include "ProviderEvents.h"
#include "support/TestHome.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace mTAPIConsts;
using namespace telvora;
using telvora::test::ProviderEvents;

// The SIP provider on its own, without the line service, inside the private network namespace
// of tests/telephony/peers/with-peers: kamailio on 127.0.0.1:5070 answers *NNN at once with
// NNN, and **NNN with NNN after the ringing peer has rung for a while.
namespace {

QByteArray kamailioLog()
{
    QFile log(qEnvironmentVariable("TELVORA_PEER_LOGS") + QStringLiteral("/kamailio.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

} // namespace

class SipProviderTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_fakeUserHome;
    QTemporaryDir m_runtimeDir;
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<SipProvider> m_sip;
    std::unique_ptr<ProviderEvents> m_events;
    quint64 m_nextCall = 1;

    // Places a call and waits for its end; the disconnect mode, or 0 when it never ended.
    quint32 dialToTheEnd(const QString& line, const QString& number);

private slots:
    void initTestCase();
    void cleanupTestCase();

    void startsFromTheEventLoopAndRegisters();
    void finalResponsesEndAsTheRuleSays_data();
    void finalResponsesEndAsTheRuleSays();
    void addressesArriveAsWritten();
    void hostileAccountIsNeverSent();
    void iteratesSlowlyOnceIdle();
    void manyAccountsRegisterOnlyTheFirst();
};

quint32 SipProviderTest::dialToTheEnd(const QString& line, const QString& number)
{
    const quint64 call = m_nextCall++;
    if (m_sip->placeCall(call, line, number) != 0)
        return 0;
    m_events->waitForState(call, LINECALLSTATE_DISCONNECTED, 8000);
    const ProviderEvents::State last = m_events->lastStateOf(call);
    m_sip->releaseCall(call);
    return last.state == LINECALLSTATE_DISCONNECTED ? last.disconnectMode : 0;
}

void SipProviderTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("TELVORA_PEER_LOGS"), "run me under with-peers");
    qputenv("HOME", m_fakeUserHome.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toUtf8());
    m_home = std::make_unique<test::TestHome>();
    // Written by hand, as anyone who can write the file could: the second account's name
    // would add a header to every message sent for it.
    QFile file(SipAccountStore::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"sip": [
        {"id": "alice", "display_name": "Eve \"the\" \\ Boss", "server": "127.0.0.1:5070",
         "user": "alice", "password": "secret", "response_timeout": 5},
        {"id": "mallory", "display_name": "Mallory\r\nX-Injected: yes",
         "server": "127.0.0.1:5070", "user": "mallory", "password": "secret"}]})");
    file.close();
    m_sip = std::make_unique<SipProvider>();
    m_events = std::make_unique<ProviderEvents>(*m_sip);
}

void SipProviderTest::cleanupTestCase()
{
    m_events.reset();
    m_sip.reset();
    m_home.reset();
}

void SipProviderTest::startsFromTheEventLoopAndRegisters()
{
    m_sip->startUp();
    // The program's start does not wait for the stack.
    QVERIFY(!m_sip->isStarted());
    QTRY_VERIFY(m_sip->isStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_sip->registration(QStringLiteral("alice")),
                              SipProvider::Registration::Ok, 5000);
    QCOMPARE(m_sip->lineState(QStringLiteral("alice")), QStringLiteral("Registered"));
}

void SipProviderTest::finalResponsesEndAsTheRuleSays_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<quint32>("mode");
    // Tried again by the dial run: busy, nobody answered, no room on the server for now.
    QTest::newRow("480 at once") << "*480" << LINEDISCONNECTMODE_NOANSWER;
    QTest::newRow("480 after ringing") << "**480" << LINEDISCONNECTMODE_NOANSWER;
    QTest::newRow("487 after ringing") << "**487" << LINEDISCONNECTMODE_NOANSWER;
    QTest::newRow("408") << "*408" << LINEDISCONNECTMODE_NOANSWER;
    QTest::newRow("486") << "*486" << LINEDISCONNECTMODE_BUSY;
    QTest::newRow("600") << "*600" << LINEDISCONNECTMODE_BUSY;
    QTest::newRow("503 with Retry-After") << "*503" << LINEDISCONNECTMODE_CONGESTION;
    QTest::newRow("503 after ringing") << "**503" << LINEDISCONNECTMODE_CONGESTION;
    QTest::newRow("500") << "*500" << LINEDISCONNECTMODE_CONGESTION;
    // Not tried again: the same refusal would come back.
    QTest::newRow("603") << "*603" << LINEDISCONNECTMODE_REJECT;
    QTest::newRow("404") << "*404" << LINEDISCONNECTMODE_BADADDRESS;
    QTest::newRow("484") << "*484" << LINEDISCONNECTMODE_BADADDRESS;
    QTest::newRow("604") << "*604" << LINEDISCONNECTMODE_BADADDRESS;
    QTest::newRow("403") << "*403" << LINEDISCONNECTMODE_UNREACHABLE;
    QTest::newRow("488") << "*488" << LINEDISCONNECTMODE_UNREACHABLE;
    QTest::newRow("606") << "*606" << LINEDISCONNECTMODE_UNREACHABLE;
}

void SipProviderTest::finalResponsesEndAsTheRuleSays()
{
    QFETCH(QString, number);
    QFETCH(quint32, mode);
    QCOMPARE(dialToTheEnd(QStringLiteral("alice"), number), mode);
}

void SipProviderTest::addressesArriveAsWritten()
{
    // Busy numbers (9...), so that each call ends at once.
    QCOMPARE(dialToTheEnd(QStringLiteral("alice"), QStringLiteral("9 12#34")),
             LINEDISCONNECTMODE_BUSY);
    QCOMPARE(dialToTheEnd(QStringLiteral("alice"), QStringLiteral("tel:9-555-0100")),
             LINEDISCONNECTMODE_BUSY);
    const QByteArray log = kamailioLog();
    QVERIFY2(log.contains("INVITE uri <sip:912%2334@127.0.0.1:5070>"), log.right(2000).constData());
    QVERIFY2(log.contains("INVITE uri <sip:95550100@127.0.0.1:5070;user=phone>"),
             log.right(2000).constData());
    QVERIFY2(log.contains(R"(from name <"Eve \"the\" \\ Boss">)"), log.right(2000).constData());
}

void SipProviderTest::hostileAccountIsNeverSent()
{
    QVERIFY(m_sip->registration(QStringLiteral("mallory")) == SipProvider::Registration::Failed);
    QVERIFY2(m_sip->lineState(QStringLiteral("mallory")).contains(QLatin1String("control")),
             qPrintable(m_sip->lineState(QStringLiteral("mallory"))));
    QCOMPARE(m_sip->placeCall(m_nextCall++, QStringLiteral("mallory"), QStringLiteral("1")),
             LINEERR_RESOURCEUNAVAIL);
    const QByteArray log = kamailioLog();
    QVERIFY(log.contains("REGISTER for <sip:alice@127.0.0.1>"));
    QVERIFY(!log.contains("mallory"));
    QVERIFY(!log.contains("injected <yes>"));
}

void SipProviderTest::iteratesSlowlyOnceIdle()
{
    const quint64 call = m_nextCall++;
    QCOMPARE(m_sip->placeCall(call, QStringLiteral("alice"), QStringLiteral("**480")), 0);
    QVERIFY(m_sip->iteratesFast());
    QVERIFY(m_events->waitForState(call, LINECALLSTATE_RINGBACK));
    QVERIFY(m_sip->iteratesFast());
    QVERIFY(m_events->waitForState(call, LINECALLSTATE_DISCONNECTED));
    m_sip->releaseCall(call);
    // Once the last messages of the call are done, only refreshes are left to wait for.
    QTRY_VERIFY_WITH_TIMEOUT(!m_sip->iteratesFast(), 5000);
}

void SipProviderTest::manyAccountsRegisterOnlyTheFirst()
{
    QList<SipAccount> accounts;
    for (int i = 0; i < 60; ++i) {
        SipAccount a;
        a.id = QStringLiteral("many-%1").arg(i);
        a.server = QStringLiteral("127.0.0.1:5070");
        a.user = QStringLiteral("many%1").arg(i);
        a.registerEnabled = false;
        accounts.append(a);
    }
    QTest::qWait(20); // a new modification time
    QVERIFY(SipAccountStore().save(accounts));
    QCOMPARE(m_sip->lines().size(), 60);
    QCOMPARE(m_sip->lineState(QStringLiteral("many-0")), QStringLiteral("Not registering"));
    accounts[59].registerEnabled = true;
    QTest::qWait(20);
    QVERIFY(SipAccountStore().save(accounts));
    QCOMPARE(m_sip->lines().size(), 60);
    QVERIFY2(m_sip->lineState(QStringLiteral("many-59")).contains(QLatin1String("when dialled")),
             qPrintable(m_sip->lineState(QStringLiteral("many-59"))));
    // Dialled, it joins the stack and calls like any other.
    QCOMPARE(dialToTheEnd(QStringLiteral("many-59"), QStringLiteral("*486")),
             LINEDISCONNECTMODE_BUSY);
}

QTEST_GUILESS_MAIN(SipProviderTest)
#include "tst_sip_provider.moc"
