#include "LineEvents.h"
#include "support/TestHome.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvora;
using telvora::test::LineEvents;

// Runs inside the private network namespace of tests/telephony/peers/with-peers, beside
// kamailio (proxy and registrar on 127.0.0.1:5070) and the answering peers behind it.
namespace {

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
    std::unique_ptr<LineService> m_lines;
    SipProvider* m_sip = nullptr;
    QString m_alice;
    QString m_dead;
    QString m_mallory;

    // A call to number placed on the given line; null when the line refused it at once.
    std::unique_ptr<LineCall> dial(int line, const QString& number, LineEvents& events);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void accountsAreLinesAndRegister();
    void wrongPasswordFailsWithAClearError();
    void busyEndsAsBusy();
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

std::unique_ptr<LineCall> SipLineTest::dial(int line, const QString& number, LineEvents& events)
{
    const auto lines = m_lines->listLines();
    if (line >= lines.size())
        return nullptr;
    auto call = m_lines->placeCall(lines[line], number);
    events.watch(*call);
    if (call->isEnded())
        return nullptr;
    return call;
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
    m_lines = std::make_unique<LineService>();
    m_sip = dynamic_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
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
    // Saving accounts starts nothing; the first look at the lines does.
    QVERIFY(!m_sip->isStarted());
}

void SipLineTest::cleanupTestCase()
{
    m_lines.reset();
    m_home.reset();
}

void SipLineTest::cleanup()
{
    QTRY_COMPARE(m_lines->callCount(), 0);
}

void SipLineTest::accountsAreLinesAndRegister()
{
    const auto lines = m_lines->listLines();
    QVERIFY(m_sip->isStarted());
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].line.caps.lineName, QStringLiteral("Alice"));
    QCOMPARE(lines[0].line.caps.switchInfo, QStringLiteral("127.0.0.1:5070"));
    QCOMPARE(lines[1].line.caps.lineName, QStringLiteral("Dead"));
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

void SipLineTest::busyEndsAsBusy()
{
    LineEvents events;
    auto call = dial(0, QStringLiteral("9 (01) 23-45.6"), events);
    QVERIFY(call);
    QTRY_COMPARE_WITH_TIMEOUT(
        events.list(), (QStringList{QStringLiteral("placed"), QStringLiteral("ended")}), 5000);
    QCOMPARE(call->end(), CallEnd::Busy);
    QVERIFY(!call->wasAnswered());
}

void SipLineTest::answerThenOurDropWhileTalking()
{
    LineEvents events;
    auto call = dial(0, QStringLiteral("1234"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("connected")), 5000);
    QCOMPARE(events.list().first(), QStringLiteral("placed"));
    QVERIFY(call->wasAnswered());
    call->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(call->isEnded(), 5000);
    QCOMPARE(events.list().last(), QStringLiteral("ended"));
    QCOMPARE(call->end(), CallEnd::HungUp);
}

void SipLineTest::farEndHangsUpAfterAnswering()
{
    LineEvents events;
    auto call = dial(0, QStringLiteral("6001"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("connected")), 5000);
    // The far end hangs up by itself after a couple of seconds.
    QTRY_VERIFY_WITH_TIMEOUT(call->isEnded(), 10000);
    QCOMPARE(events.list().last(), QStringLiteral("ended"));
    QCOMPARE(call->end(), CallEnd::Answered);
    QVERIFY(call->wasAnswered());
}

void SipLineTest::ourDropWhileRinging()
{
    LineEvents events;
    auto call = dial(0, QStringLiteral("8001"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("ringing")), 5000);
    call->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(call->isEnded(), 5000);
    QCOMPARE(events.list(), (QStringList{QStringLiteral("placed"), QStringLiteral("ringing"),
                                         QStringLiteral("ended")}));
    QCOMPARE(call->end(), CallEnd::HungUp);
    QVERIFY(!call->wasAnswered());
}

void SipLineTest::noAnswerEndsAsNoAnswer()
{
    LineEvents events;
    // The proxy gives up on the ringing peer after 4 s.
    auto call = dial(0, QStringLiteral("8003"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("ended")), 10000);
    QCOMPARE(call->end(), CallEnd::NoAnswer);
}

void SipLineTest::declinedAndUnknownNumbers()
{
    LineEvents declinedEvents;
    auto declined = dial(0, QStringLiteral("5001"), declinedEvents);
    QVERIFY(declined);
    QTRY_VERIFY_WITH_TIMEOUT(declinedEvents.contains(QStringLiteral("ended")), 5000);
    LineEvents unknownEvents;
    auto unknown = dial(2, QStringLiteral("4001"), unknownEvents);
    QVERIFY(unknown);
    QTRY_VERIFY_WITH_TIMEOUT(unknownEvents.contains(QStringLiteral("ended")), 5000);
    QCOMPARE(declined->end(), CallEnd::Declined);
    QCOMPARE(unknown->end(), CallEnd::InvalidNumber);
}

void SipLineTest::deadAddressFailsWithinOurTimeout()
{
    LineEvents events;
    // Nobody listens on this account's server; its own timeout is 2 s, the protocol's 32 s.
    auto call = dial(1, QStringLiteral("123"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("ended")), 3500);
    QCOMPARE(call->end(), CallEnd::Unreachable);
    QVERIFY(!call->wasAnswered());
}

void SipLineTest::emptyNumberIsRefusedWithAReplyError()
{
    LineEvents events;
    auto call = dial(0, QString(), events);
    QVERIFY(call);
    QTRY_COMPARE(events.list(), QStringList{QStringLiteral("refused")});
    QCOMPARE(call->error(), LineError::InvalidAddress);
    LineEvents blanks;
    auto blank = dial(0, QStringLiteral(" - . ( ) "), blanks);
    QVERIFY(blank);
    QTRY_COMPARE(blanks.list(), QStringList{QStringLiteral("refused")});
    QCOMPARE(blank->error(), LineError::InvalidAddress);
}

void SipLineTest::sipAddressIsDialledAsItIs()
{
    LineEvents events;
    // bob is the answering peer's registered contact: only the proxy's registrar knows it.
    auto call = dial(2, QStringLiteral("sip:bob@127.0.0.1:5070"), events);
    QVERIFY(call);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("connected")), 5000);
    call.reset();
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
