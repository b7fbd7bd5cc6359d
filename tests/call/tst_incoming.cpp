// Calls to our registered SIP account from real callers (baresip, through the peers'
// registrar), inside the private network namespace of with-peers: the window offers one
// call at a time with the caller looked up in the phone book, Answer connects, Decline
// sends 603, a second caller meanwhile hears 486, and the call log keeps each call.
#include "call/IncomingCallWindow.h"
#include "call/IncomingCalls.h"
#include "mainwindow/DialForm.h"
#include "store/PhoneBook.h"
#include "support/CallLogRows.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/SipPeers.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QPushButton>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

class IncomingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_userHome;
    QTemporaryDir m_runtime;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<DialForm> m_form;

    IncomingCallWindow* window() const { return m_form->incomingCalls()->window(); }
    bool offered() const { return window() && window()->isVisible(); }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("TELVORA_PEER_LOGS"), "run me under with-peers");
        qputenv("HOME", m_userHome.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        m_home = std::make_unique<TestHome>();
        SampleBook().seed();
        m_lines = std::make_unique<LineService>();
        QVERIFY(addPeerAccount(*m_lines));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_form = std::make_unique<DialForm>(*m_prompt, *m_lines);
        m_form->Form_Load();
        QVERIFY(m_form->incomingCalls());
        QVERIFY(m_form->phoneBook().addNumber(
                    QStringLiteral("030 123-4567"),
                    m_form->phoneBook().addName(QStringLiteral("Carol K"), 0, 0),
                    QStringLiteral("Phone")) > 0);
        auto* sip = static_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        m_lines->listLines();
        const QString alice = sip->accounts().first().id;
        QTRY_COMPARE_WITH_TIMEOUT(sip->registration(alice), SipProvider::Registration::Ok, 10000);
    }

    void cleanupTestCase()
    {
        m_form.reset();
        m_lines.reset();
    }

    // Looked up by number, answered, and logged as answered once the caller hangs up.
    void answerAKnownCaller()
    {
        auto caller = std::make_unique<SipCaller>(QStringLiteral("Somebody"),
                                                  QStringLiteral("+49301234567"), 5084);
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("Carol K"));
        QCOMPARE(window()->shownNumber(), QStringLiteral("+49301234567"));
        // Another caller meanwhile is turned away as busy.
        {
            SipCaller second(QStringLiteral("Second"), QStringLiteral("222"), 5086);
            QTRY_VERIFY_WITH_TIMEOUT(second.heard(QStringLiteral("486")), 10000);
        }
        window()->answerButton()->click();
        // The caller hears the answer: its media start.
        QTRY_VERIFY2_WITH_TIMEOUT(caller->heard(QStringLiteral("Set audio encoder")),
                                  qPrintable(caller->log().right(600)), 10000);
        QTRY_VERIFY(window() && window()->answerButton()->isHidden());
        caller.reset(); // baresip hangs up as it quits
        QTRY_VERIFY_WITH_TIMEOUT(!window(), 10000);
        QTRY_VERIFY(logRows(m_form->phoneBook())
                        .join(QLatin1Char(';'))
                        .contains(QStringLiteral("+49301234567 answered 0/0")));
    }

    // A hostile name shows as written, without its reordering; Decline sends 603.
    void declineAHostileCaller()
    {
        SipCaller caller(QStringLiteral("<b>Mallory</b> <img src=x>\u202Egnp"),
                         QStringLiteral("dave"), 5088);
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("<b>Mallory</b> <img src=x>gnp"));
        window()->declineButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(caller.heard(QStringLiteral("603")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!window(), 10000);
        QTRY_VERIFY(logRows(m_form->phoneBook())
                        .join(QLatin1Char(';'))
                        .contains(QStringLiteral("dave declined 0/0 0")));
    }
};

QTEST_MAIN(IncomingTest)
#include "tst_incoming.moc"
