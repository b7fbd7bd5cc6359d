// Calls that come in on a cellular modem (ModemManager's voice interfaces, played by
// python-dbusmock on a private bus taken for the system bus) and on a voice modem (the
// scripted modem on a pseudo-terminal, set to take calls) reach the same window as SIP
// calls: the caller looked up in the phone book, Answer connects and the keypad sends
// tones, Decline turns the call away, a caller who gives up stops the ringing, a second
// caller meanwhile is hung up on. A dial on the modem line that listens takes the port.
#include "call/AlertSound.h"
#include "call/CallController.h"
#include "call/IncomingCallWindow.h"
#include "call/IncomingCalls.h"
#include "mainwindow/DialForm.h"
#include "mainwindow/DialFormControls.h"
#include "modem/ModemPeers.h"
#include "modem/TestCall.h"
#include "store/PhoneBook.h"
#include "support/CallLogRows.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "telephony/modem/ModemProvider.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QLineEdit>
#include <QPushButton>

using namespace telvora;
using namespace telvora::test;

namespace {
const QString kRoot = QStringLiteral("/org/freedesktop/ModemManager1");
const QString kModem0 = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
} // namespace

class IncomingLinesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_userHome;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<ScriptedModem> m_modem;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<DialForm> m_form;

    IncomingCallWindow* window() const { return m_form->incomingCalls()->window(); }
    bool offered() const { return window() && window()->isVisible(); }
    QString log() const { return logRows(m_form->phoneBook()).join(QLatin1Char(';')); }

    static QDBusInterface mock()
    {
        return QDBusInterface(QStringLiteral("org.freedesktop.ModemManager1"), kRoot,
                              QStringLiteral("org.freedesktop.DBus.Mock"),
                              QDBusConnection::systemBus());
    }
    // A call from this number rings on the cellular modem; its path.
    static QString ring(const QString& number)
    {
        const QDBusReply<QDBusObjectPath> path = mock().call(
            QStringLiteral("Ring"), QVariant::fromValue(QDBusObjectPath(kModem0)), number);
        return path.isValid() ? path.value().path() : QString();
    }
    QString modemState() const
    {
        return m_lines->provider(QStringLiteral("modem"))->lineState(m_modem->host());
    }
    static QStringList actions()
    {
        return QDBusReply<QStringList>(mock().call(QStringLiteral("Actions"))).value();
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_userHome.path().toUtf8());
        m_home = std::make_unique<TestHome>();
        m_modem = std::make_unique<ScriptedModem>(
            QStringLiteral("hayes"), QStringLiteral("answer"),
            QStringList{QStringLiteral("--delay"), QStringLiteral("0.3"),
                        QStringLiteral("--ring-every"), QStringLiteral("1")});
        QVERIFY(m_modem->running());
        QVERIFY(writeModemSettings(m_home->path(), {m_modem->host()}, {}, true));
        // The bus must exist before the first listing connects to it.
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(m_bus->startFake(QStringLiteral("answer"), 100));
        m_lines = std::make_unique<LineService>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_form = std::make_unique<DialForm>(*m_prompt, *m_lines);
        m_form->Form_Load();
        QVERIFY(m_form->phoneBook().addNumber(
                    QStringLiteral("030 123-4567"),
                    m_form->phoneBook().addName(QStringLiteral("Carol K"), 0, 0),
                    QStringLiteral("Phone")) > 0);
        QTRY_VERIFY(!m_lines->listLines().isEmpty());
        m_lines->startUp();
        QTRY_COMPARE_WITH_TIMEOUT(modemState(), QStringLiteral("Ready, taking calls"), 10000);
    }

    void cleanupTestCase()
    {
        m_form.reset();
        m_lines.reset();
        m_modem.reset();
        m_bus.reset();
    }

    // Offered with the name from the book, a second caller meanwhile hung up on; answered,
    // the call takes tones and the main window's Hang UP ends it.
    void cellularAnswerTonesAndHangUp()
    {
        const QString call = ring(QStringLiteral("+49301234567"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("Carol K"));
        QCOMPARE(window()->shownNumber(), QStringLiteral("+49301234567"));
        QVERIFY(m_form->incomingCalls()->ring().isRinging());
        const QString second = ring(QStringLiteral("222"));
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + second));

        window()->answerButton()->click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Accept ") + call));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->callController().inCall(), 10000);
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        m_form->controls().CmdNum.value(1)->click();
        m_form->controls().CmdHash->click();
        QTRY_COMPARE(QDBusReply<QString>(mock().call(QStringLiteral("Tones"))).value(),
                     QStringLiteral("1#"));
        m_form->HangCMD_Click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + call));
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->callController().inCall(), 10000);
        QTRY_VERIFY(!window());
        QTRY_VERIFY(log().contains(QStringLiteral("+49301234567 answered")));
    }

    void cellularDeclineHangsUp()
    {
        const QString call = ring(QStringLiteral("5550001"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("5550001"));
        window()->declineButton()->click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + call));
        QTRY_VERIFY(!window());
        QTRY_VERIFY(log().contains(QStringLiteral("5550001 declined")));
    }

    // The number comes from the network: control and reordering characters never show.
    void cellularCallerGivesUp()
    {
        const QString call = ring(QStringLiteral("555\u202E0002\u0007"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("5550002"));
        QVERIFY(PrivateBus::gdbusCall(kRoot, QStringLiteral("org.freedesktop.DBus.Mock.GiveUp"),
                                      {call}));
        QTRY_VERIFY(!window());
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        QTRY_VERIFY(log().contains(QStringLiteral("5550002 missed")));
        QVERIFY(!actions().contains(QStringLiteral("Hangup ") + call));
    }

    // The number from the caller ID finds the name; answered in voice mode, the call takes
    // tones until the far end hangs up, and the line listens again.
    void modemAnswerTonesAndFarEndHangsUp()
    {
        QVERIFY(m_modem->ring(QStringLiteral("0301234567"), 30));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("Carol K"));
        QCOMPARE(window()->shownNumber(), QStringLiteral("0301234567"));
        window()->answerButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->callController().inCall(), 10000);
        QVERIFY(m_modem->received().contains("ANSWER '0301234567' fclass=8"));
        m_form->controls().CmdNum.value(5)->click();
        m_form->controls().CmdAstric->click();
        QTRY_COMPARE(m_modem->tones(), QStringLiteral("5*"));
        QVERIFY(m_modem->farEndHangsUp());
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->callController().inCall(), 10000);
        QTRY_VERIFY(!window());
        QTRY_VERIFY(log().contains(QStringLiteral("0301234567 answered")));
        QTRY_COMPARE_WITH_TIMEOUT(modemState(), QStringLiteral("Ready, taking calls"), 10000);
    }

    // Declined, the call is not answered and its further RINGs are not offered again; an
    // over-long caller ID is cut, never kept whole.
    void modemDecline()
    {
        const QString longNumber(3000, QLatin1Char('7'));
        const qsizetype answers = m_modem->received().count("ANSWER");
        QVERIFY(m_modem->ring(longNumber, 3));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QVERIFY(window()->shownName().size() <= 65);
        window()->declineButton()->click();
        QTRY_VERIFY(!window());
        QTest::qWait(2500);
        QVERIFY(!window());
        QCOMPARE(m_modem->received().count("ANSWER"), answers);
        QTRY_VERIFY(log().contains(QStringLiteral(" declined")));
    }

    // Without a caller ID the call is offered at the second RING; it is over once the RINGs
    // have stopped for a while.
    void modemCallerGivesUp()
    {
        // Ringing of the declined call must be over first.
        QTRY_COMPARE_WITH_TIMEOUT(modemState(), QStringLiteral("Ready, taking calls"),
                                  ModemProvider::kRingSilenceMs + 5000);
        QVERIFY(m_modem->ring(QStringLiteral("5550004"), 2));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QVERIFY(m_form->incomingCalls()->ring().isRinging());
        QTRY_VERIFY_WITH_TIMEOUT(!window(), ModemProvider::kRingSilenceMs + 5000);
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        QTRY_VERIFY(log().contains(QStringLiteral("5550004 missed")));
    }

    // A dial on the line that listens takes the port at once; listening resumes after it.
    void aDialOnTheListeningModemLine()
    {
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), m_modem->host()),
                           QStringLiteral("5551234")));
        QVERIFY(call.waitFor(QStringLiteral("connected")));
        call.call->hangUp();
        QVERIFY(call.waitEnded());
        QTRY_COMPARE_WITH_TIMEOUT(modemState(), QStringLiteral("Ready, taking calls"), 10000);
        QVERIFY(m_modem->ring(QStringLiteral("5550005"), 30));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        window()->declineButton()->click();
        QTRY_VERIFY(!window());
    }
};

QTEST_MAIN(IncomingLinesTest)
#include "tst_incoming_lines.moc"
