// Dialing through the main window on a real SIP line, against the test peers: a registrar
// that answers numbers starting with 9 with busy, and far ends that answer and hang up,
// or ring and never answer. What the far end saw is read from the registrar's log, what
// the program kept from the call log.
#include "call/CallController.h"
#include "dialing/DialRun.h"
#include "history/HistoryModel.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DialForm.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "store/SpeedDialSet.h"
#include "support/CallLogRows.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/SipPeers.h"
#include "support/TestHome.h"
#include "support/TestSoundCards.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <csignal>

using namespace telvora;
using namespace telvora::test;

namespace {

bool registrarListening()
{
    QFile udp(QStringLiteral("/proc/net/udp"));
    // Port 5070 on 127.0.0.1, as the kernel lists it.
    return udp.open(QIODevice::ReadOnly) && udp.readAll().contains("0100007F:13CE");
}

bool killPeer(const QString& name)
{
    QFile pidFile(qEnvironmentVariable("TELVORA_PEER_LOGS") + QLatin1Char('/') + name +
                  QStringLiteral(".pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return false;
    const qint64 pid = pidFile.readAll().trimmed().toLongLong();
    // Each peer leads a process group of its own: its workers go with it.
    return pid > 0 && (::kill(-pid_t(pid), SIGKILL) == 0 || ::kill(pid_t(pid), SIGKILL) == 0);
}

} // namespace

class DialSipTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_userHome;
    QTemporaryDir m_runtime;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<DialForm> m_form;
    QStringList m_status3;
    qsizetype m_logSeen = 0;

    // The call log's rows written since the last look.
    QStringList newLogRows()
    {
        // The log writes once the run has gone on.
        QCoreApplication::processEvents();
        const QStringList rows = logRows(m_form->phoneBook());
        const QStringList added = rows.mid(m_logSeen);
        m_logSeen = rows.size();
        return added;
    }

    QString panel(int number) const { return m_form->controls().panels.value(number)->text(); }

    // Dials by hand, as the quick-dial box does, and waits for the run to end.
    void quickDial(const QString& text, int timeoutMs = 20000)
    {
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->controls().DialCombo->setEditText(text);
        m_form->controls().quickDial->click();
        QVERIFY(ended.wait(timeoutMs));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("TELVORA_PEER_LOGS"), "run me under with-peers");
        // Nothing of the SIP library may land in the real home folder.
        qputenv("HOME", m_userHome.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        m_home = std::make_unique<TestHome>();

        m_lines = std::make_unique<LineService>();
        QVERIFY(addPeerAccount(*m_lines));
        // The file sound card: sound goes out in every call, as from a microphone.
        const QString tone = m_userHome.filePath(QStringLiteral("tone.wav"));
        QVERIFY(writeToneWav(tone));
        static_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")))
            ->useSoundFiles(tone, m_userHome.filePath(QStringLiteral("heard.wav")));

        m_prompt = std::make_unique<ScriptedPrompt>();
        Registry registry(Registry::defaultPath(), *m_prompt);
        const QString& key = StoredSettings::keyPath();
        registry.CreateRegistryKey(key);
        registry.WriteRegistryString(key, StoredSettings::kRetryTimes, QStringLiteral("3"));
        registry.WriteRegistryString(key, StoredSettings::kTimeAttempt, QStringLiteral("1"));
        registry.WriteRegistryString(key, StoredSettings::kModemLine, QStringLiteral("0"));
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            SpeedDialSet speedDials(book);
            speedDials.open();
            QVERIFY(speedDials.add(QStringLiteral("Busy line"), QStringLiteral("9003")));
        }
        m_form = std::make_unique<DialForm>(*m_prompt, *m_lines);
        m_form->Form_Load();
        connect(&m_form->dialRun(), &DialRun::status, this, [this](int panel, const QString& text) {
            if (panel == 3)
                m_status3 << text;
        });
    }

    void cleanup()
    {
        m_status3.clear();
        QVERIFY2(m_prompt->asked.isEmpty(),
                 qPrintable(m_prompt->asked.isEmpty() ? QString() : m_prompt->asked[0].text));
    }

    void cleanupTestCase()
    {
        if (m_form)
            m_form->ExitCMD_Click();
        m_form.reset();
        m_lines.reset();
    }

    void aBusyNumberIsDialledThreeTimes()
    {
        quickDial(QStringLiteral("9001"));
        QCOMPARE(invitesTo(QStringLiteral("9001")), 3);
        QCOMPARE(panel(2), QStringLiteral("Retry No: 3 / 3"));
        QCOMPARE(
            m_status3,
            (QStringList{QStringLiteral("Dialing: 9001"), QStringLiteral("Last Status : Busy"),
                         QStringLiteral("Dialing: 9001"), QStringLiteral("Last Status : Busy"),
                         QStringLiteral("Dialing: 9001"), QStringLiteral("Last Status : Busy")}));
        QCOMPARE(panel(4), QString());
        QCOMPARE(newLogRows(),
                 (QStringList{QStringLiteral("9001 busy 1/3 0"), QStringLiteral("9001 busy 2/3 0"),
                              QStringLiteral("9001 busy 3/3 0")}));
    }

    // The history window dials the run's number again, through the same run.
    void theHistoryWindowRedials()
    {
        m_form->HistoryCMD_Click();
        HistoryWindow* window = m_form->historyForm();
        QVERIFY(window);
        QCOMPARE(window->model().index(0, HistoryModel::Attempt).data().toString(),
                 QStringLiteral("3/3"));
        QCOMPARE(window->model().rowCount(window->model().index(0, 0)), 3);
        window->view()->setCurrentIndex(window->model().index(0, 0));
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        window->dialCurrent();
        QVERIFY(ended.wait(20000));
        QCOMPARE(invitesTo(QStringLiteral("9001")), 6);
        QCOMPARE(newLogRows().size(), 3);
        window->close();
    }

    void anAnsweredCallIsNotRedialled()
    {
        // This far end answers, then hangs up after two seconds.
        quickDial(QStringLiteral("6001"));
        QCOMPARE(invitesTo(QStringLiteral("6001")), 1);
        QCOMPARE(panel(3), QStringLiteral("Last Status : Call Ended"));
        const QStringList rows = newLogRows();
        QCOMPARE(rows.size(), 1);
        QVERIFY2(rows[0].startsWith(QStringLiteral("6001 answered 1/3 ")), qPrintable(rows[0]));
        // Talk time within a second of the far end's two.
        const int talk = rows[0].section(QLatin1Char(' '), -1).toInt();
        QVERIFY2(talk >= 1 && talk <= 3, qPrintable(rows[0]));
    }

    // Once connected, the keypad and the keys typed into the quick-dial box are tones on
    // the call, received by the far end in order; the status bar shows them and the call's
    // time, and Ctrl+M mutes.
    void tonesWhileConnected()
    {
        const QString before = tonesHeardByPeer();
        QSignalSpy answered(&m_form->dialRun(), &DialRun::answered);
        m_form->controls().DialCombo->setEditText(QStringLiteral("1234"));
        m_form->controls().quickDial->click();
        QVERIFY(answered.wait(10000));
        QTRY_VERIFY(m_form->callController().inCall());
        m_form->controls().CmdNum.value(1)->click();
        m_form->controls().CmdHash->click();
        QLineEdit* box = m_form->controls().DialCombo->lineEdit();
        QTest::keyClicks(box, QStringLiteral("2x*"));
        QCOMPARE(m_form->controls().DialCombo->currentText(), QStringLiteral("1234"));
        QCOMPARE(panel(4), QStringLiteral("Tones: 1#2*"));
        // The peer reads events in the media through its jitter buffer, which drains only
        // while sound arrives: with the file sound card sending, every tone gets through,
        // in order.
        QTRY_COMPARE_WITH_TIMEOUT(tonesHeardByPeer().mid(before.size()), QStringLiteral("1#2*"),
                                  5000);
        const QString heard = tonesHeardByPeer();
        // The key works as a shortcut of the window, which must be the active one for it.
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QTest::keyClick(box, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(m_form->callController().isMuted());
        QCOMPARE(panel(4), QStringLiteral("Muted  Tones: 1#2*"));
        QTRY_VERIFY_WITH_TIMEOUT(callTimeHasRun(panel(1)), 3000);

        // The account's other way: SIP INFO, letters included.
        auto* sip = static_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        SipAccount account = sip->accounts().first();
        account.tonesAsInfo = true;
        QVERIFY(sip->updateAccount(account));
        QTest::keyClicks(box, QStringLiteral("9A"));
        QTRY_COMPARE_WITH_TIMEOUT(tonesHeardByPeer(), heard + QStringLiteral("9A"), 5000);
        account.tonesAsInfo = false;
        QVERIFY(sip->updateAccount(account));

        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->HangCMD_Click();
        QVERIFY(ended.wait(10000));
        QVERIFY(!m_form->callController().inCall());
        // Without a call the keys build a number again.
        m_form->controls().CmdNum.value(5)->click();
        QCOMPARE(m_form->controls().DialCombo->currentText(), QStringLiteral("12345"));
        m_form->hide();
        newLogRows();
    }

    void aDeclinedCallIsNotRedialled()
    {
        quickDial(QStringLiteral("5001"));
        QCOMPARE(invitesTo(QStringLiteral("5001")), 1);
        QCOMPARE(panel(3), QStringLiteral("Last Status : Declined"));
        QCOMPARE(newLogRows(), QStringList{QStringLiteral("5001 declined 1/3 0")});
    }

    void hangUpWhileRinging()
    {
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->controls().DialCombo->setEditText(QStringLiteral("8001"));
        m_form->controls().quickDial->click();
        QTRY_COMPARE_WITH_TIMEOUT(invitesTo(QStringLiteral("8001")), 1, 5000);
        QTest::qWait(500);
        m_form->controls().HangCMD->click();
        QVERIFY(ended.wait(5000));
        QCOMPARE(panel(3), QStringLiteral("Last Status :  User Hang UP"));
        QTest::qWait(1500);
        QCOMPARE(invitesTo(QStringLiteral("8001")), 1);
        QCOMPARE(newLogRows(), QStringList{QStringLiteral("8001 hung-up 1/3 0")});
    }

    // The far end vanishes while talking: no goodbye, the media just stops.
    void aFarEndThatVanishesMidCallEndsTheRun()
    {
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->controls().DialCombo->setEditText(QStringLiteral("3001"));
        m_form->controls().quickDial->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_form->dialRun().call() && m_form->dialRun().call()->wasAnswered(), 10000);
        QTest::qWait(1000);
        QVERIFY(killPeer(QStringLiteral("baresip-answer")));
        QVERIFY(ended.wait(60000));
        QCOMPARE(panel(3), QStringLiteral("Last Status : Line Lost"));
        QCOMPARE(invitesTo(QStringLiteral("3001")), 1);
        // The line itself is still there: the next call goes through.
        quickDial(QStringLiteral("6002"));
        QCOMPARE(panel(3), QStringLiteral("Last Status : Call Ended"));
    }

    // Dial clicked a hundred times at once: the line never carries two calls, and only the
    // first click and the last reach the far end.
    void aHundredClicksOnDialSendTwoInvites()
    {
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        m_form->controls().DialCombo->setEditText(QStringLiteral("8005"));
        int most = 0;
        for (int i = 0; i < 100; ++i) {
            m_form->controls().quickDial->click();
            most = std::max(most, m_lines->callCount());
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_form->dialRun().call() &&
                                     m_form->dialRun().call()->state() == CallState::Ringing,
                                 10000);
        QTest::qWait(500);
        QCOMPARE(invitesTo(QStringLiteral("8005")), 2);
        QCOMPARE(most, 1);
        m_form->controls().HangCMD->click();
        QVERIFY(ended.wait(5000));
        QCOMPARE(invitesTo(QStringLiteral("8005")), 2);
    }

    void hangUpDuringThePause()
    {
        m_form->controls().DialCombo->setEditText(QStringLiteral("Busy line"));
        m_form->controls().quickDial->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->dialRun().isWaiting(), 5000);
        QCOMPARE(panel(4), QStringLiteral("Waiting : 1"));
        m_form->controls().HangCMD->click();
        QCOMPARE(panel(4), QString());
        QTest::qWait(2000);
        // The speed dial's number was dialled once, and the pause ended nothing.
        QCOMPARE(invitesTo(QStringLiteral("9003")), 1);
        QCOMPARE(panel(3), QStringLiteral("Last Status :  User Hang UP"));
    }

    // Last, as it takes the registrar away: dialling meanwhile ends as unreachable within
    // the line's own timeout, and once the registrar is back the next call goes through.
    void theRegistrarGoneAndBack()
    {
        QVERIFY(killPeer(QStringLiteral("kamailio")));
        QTest::qWait(300);
        quickDial(QStringLiteral("6003"), 30000);
        QCOMPARE(panel(3), QStringLiteral("Last Status : Unreachable"));
        QCOMPARE(panel(2), QStringLiteral("Retry No: 1 / 3"));
        QVERIFY(QProcess::startDetached(qEnvironmentVariable("TELVORA_PEER_LOGS") +
                                        QStringLiteral("/restart-kamailio")));
        QTRY_VERIFY_WITH_TIMEOUT(registrarListening(), 10000);
        quickDial(QStringLiteral("6004"));
        QCOMPARE(panel(3), QStringLiteral("Last Status : Call Ended"));
        QCOMPARE(invitesTo(QStringLiteral("6004")), 1);
    }
};

QTEST_MAIN(DialSipTest)
#include "tst_dial_sip.moc"
