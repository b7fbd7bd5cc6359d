// Calls to our registered SIP account from real callers (baresip, through the peers'
// registrar), inside the private network namespace of with-peers: the window offers one
// call at a time with the caller looked up in the phone book, Answer connects, Decline
// sends 603, a second caller meanwhile hears 486, and the call log keeps each call. An
// answered call carries sound both ways (through the SIP library's file sound card) and
// takes tones, mute and the call time as a placed one does; a caller who gives up stops
// the ringing; a call during a dial run and a flood of calls are turned away as busy.
#include "call/AlertSound.h"
#include "call/CallController.h"
#include "call/IncomingCallWindow.h"
#include "call/IncomingCalls.h"
#include "dialing/DialRun.h"
#include "mainwindow/DialForm.h"
#include "mainwindow/DialFormControls.h"
#include "store/PhoneBook.h"
#include "support/CallLogRows.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/SipPeers.h"
#include "support/TestHome.h"
#include "support/TestSoundCards.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
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
    SipProvider* sip() const
    {
        return static_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
    }
    QString panel(int number) const { return m_form->controls().panels.value(number)->text(); }
    QString log() const { return logRows(m_form->phoneBook()).join(QLatin1Char(';')); }

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

    // A test that fails in a call leaves no call behind for the next one.
    void cleanup()
    {
        if (m_form->callController().inCall())
            m_form->HangCMD_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->callController().inCall(), 10000);
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

    // Answered, the call is one like any other: the caller's tone is recorded by us and
    // ours by the caller, the keypad sends tones, the microphone mutes, the time runs.
    void anAnsweredCallCarriesSoundTonesAndMute()
    {
        const QString tone = m_userHome.filePath(QStringLiteral("tone.wav"));
        const QString heard = m_userHome.filePath(QStringLiteral("heard.wav"));
        QVERIFY(writeToneWav(tone));
        sip()->useSoundFiles(tone, heard);
        auto caller =
            std::make_unique<SipCaller>(QStringLiteral("Tone"), QStringLiteral("333"), 5092);
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        window()->answerButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->callController().inCall(), 10000);
        // Silence is 0; the tone each side sends is a few thousand.
        QTRY_VERIFY2_WITH_TIMEOUT(wavLoudness(heard) > 1000,
                                  qPrintable(QString::number(wavLoudness(heard))), 10000);
        QTRY_VERIFY2_WITH_TIMEOUT(wavLoudness(caller->heardFile()) > 1000,
                                  qPrintable(caller->heardFile()), 10000);

        m_form->controls().CmdNum.value(1)->click();
        m_form->controls().CmdHash->click();
        QTest::keyClicks(m_form->controls().DialCombo->lineEdit(), QStringLiteral("2x"));
        QCOMPARE(panel(4), QStringLiteral("Tones: 1#2"));
        // With sound flowing the caller's jitter buffer passes every event on.
        QTRY_COMPARE_WITH_TIMEOUT(tonesIn(caller->log()), QStringLiteral("1#2"), 5000);
        m_form->callController().toggleMute();
        QVERIFY(m_form->callController().isMuted());
        QCOMPARE(panel(4), QStringLiteral("Muted  Tones: 1#2"));
        QTRY_VERIFY_WITH_TIMEOUT(callTimeHasRun(panel(1)), 3000);

        // The main window's Hang UP ends it, as it ends a placed call.
        m_form->HangCMD_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->callController().inCall(), 10000);
        caller.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!window(), 10000);
        QCOMPARE(panel(4), QString());
        sip()->useSoundFiles({}, {});
    }

    // The caller gives up while it rings: the ringing and the window stop, the call is
    // logged as missed.
    void aCallerWhoGivesUpStopsTheRinging()
    {
        auto caller =
            std::make_unique<SipCaller>(QStringLiteral("Quitter"), QStringLiteral("444"), 5094);
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QVERIFY(m_form->incomingCalls()->ring().isRinging());
        caller.reset(); // baresip cancels its call as it quits
        QTRY_VERIFY_WITH_TIMEOUT(!window(), 10000);
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        QTRY_VERIFY(log().contains(QStringLiteral("444 missed")));
    }

    // A call while a dial run rings out is busy for the caller, and the run goes on.
    void aCallDuringADialRunIsBusy()
    {
        m_form->controls().DialCombo->setEditText(QStringLiteral("8001"));
        m_form->controls().quickDial->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->dialRun().call() &&
                                     m_form->dialRun().call()->state() == CallState::Ringing,
                                 10000);
        {
            SipCaller caller(QStringLiteral("Intruder"), QStringLiteral("555"), 5096);
            QTRY_VERIFY_WITH_TIMEOUT(caller.heard(QStringLiteral("486")), 10000);
            QVERIFY(!offered());
        }
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->HangCMD_Click();
        QVERIFY(ended.wait(10000));
    }

    // A hundred calls within a second: one window, busy for all the others, and the
    // program goes on working throughout: its timers fire, the window takes a click.
    void aFloodOfCallsGetsOneWindow()
    {
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start(50);
        const int earlier = invitesTo(QStringLiteral("alice"));
        QProcess flood;
        flood.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(TELVORA_PEERS_DIR "/sip-flood"), QStringLiteral("100"),
                     QStringLiteral("5098"), QStringLiteral("40")});
        QVERIFY(flood.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(invitesTo(QStringLiteral("alice")) >= earlier + 100, 10000);
        const int before = ticks;
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= before + 10, 5000);
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += qobject_cast<IncomingCallWindow*>(widget) && widget->isVisible();
        QCOMPARE(windows, 1);
        window()->declineButton()->click();
        QVERIFY(flood.waitForFinished(45000));
        // Every call gets its answer: the offered one 603, the others 486 from us, save the
        // few whose INVITEs our socket dropped in the burst, which the registrar ends with
        // 408 after its 3 s timer.
        QMap<QString, int> codes;
        for (const QString& line : QString::fromLatin1(flood.readAllStandardOutput())
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            codes.insert(line.section(QLatin1Char(' '), 0, 0),
                         line.section(QLatin1Char(' '), 1, 1).toInt());
        QCOMPARE(codes.value(QStringLiteral("603")), 1);
        QVERIFY2(codes.value(QStringLiteral("486")) >= 90, qPrintable(codes.keys().join(',')));
        QCOMPARE(codes.value(QStringLiteral("486")) + codes.value(QStringLiteral("408")), 99);
        QTRY_VERIFY_WITH_TIMEOUT(!window(), 10000);
    }
};

QTEST_MAIN(IncomingTest)
#include "tst_incoming.moc"
