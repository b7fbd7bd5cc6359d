#include "RecordingProvider.h"
#include "dialing/CallOutcome.h"
#include "dialing/DialRun.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace telvora;
using namespace telvora::test;
using namespace mTAPIConsts;

namespace {

RecordingProvider* provider = nullptr;

// A dial run on the fake lines, with the status panels it writes.
struct Fixture
{
    TestHome home;
    ScriptedPrompt prompt;
    StoredSettings settings;
    LineService lines;
    QMap<int, QStringList> panels;
    DialRun run{lines, settings, prompt};
    QSignalSpy ended{&run, &DialRun::runEnded};
    // The attempts as the call log would store them.
    QList<CallRecord> records;

    Fixture(qint16 attempts, qint16 pause)
    {
        QObject::connect(&run, &DialRun::status,
                         [this](int panel, const QString& text) { panels[panel] << text; });
        QObject::connect(&run, &DialRun::attemptEnded,
                         [this](const CallRecord& record) { records << record; });
        settings.retryCount = attempts;
        settings.pause = pause;
        provider = RecordingProvider::install(lines);
        provider->setLines({FakeProvider::line(QStringLiteral("first"), QStringLiteral("One")),
                            FakeProvider::line(QStringLiteral("second"), QStringLiteral("Two"))});
    }
    QString last(int panel) const
    {
        return panels.value(panel).value(panels.value(panel).size() - 1);
    }
    // Lets the line's queued messages arrive.
    static void settle() { QTest::qWait(20); }
};

} // namespace

class DialRunTest : public QObject
{
    Q_OBJECT

private slots:
    void outcomes()
    {
        using End = CallEnd;
        for (End end : {End::Busy, End::NoAnswer, End::NoDialTone, End::Unexplained})
            QVERIFY(CallOutcome::redial(end));
        for (End end : {End::Answered, End::Declined, End::InvalidNumber, End::Unreachable,
                        End::LineLost, End::HungUp})
            QVERIFY(!CallOutcome::redial(end));
        QCOMPARE(CallOutcome::statusText(End::Busy), QStringLiteral("Last Status : Busy"));
    }

    void threeNumbersFiveAttempts()
    {
        Fixture f(5, 0);
        f.run.start({QStringLiteral("91"), QStringLiteral("92"), QStringLiteral("93")});
        for (int attempt = 1; attempt <= 5; ++attempt) {
            Fixture::settle();
            QCOMPARE(f.last(2), QStringLiteral("Retry No: %1 / 5").arg(attempt));
            provider->busy();
            Fixture::settle();
        }
        QCOMPARE(provider->dialled,
                 (QStringList{QStringLiteral("91"), QStringLiteral("92"), QStringLiteral("93"),
                              QStringLiteral("91"), QStringLiteral("92")}));
        QVERIFY(f.panels[3].contains(QStringLiteral("Dialing: 93")));
        QCOMPARE(f.last(3), QStringLiteral("Last Status : Busy"));
        QCOMPARE(f.ended.size(), 1);
        QVERIFY(f.prompt.asked.isEmpty());
    }

    void onlyUnansweredAttemptsAreRedialled_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("attempts");
        QTest::newRow("answered, far end hangs up")
            << true << LINEDISCONNECTMODE_NORMAL << QStringLiteral("Last Status : Call Ended") << 1;
        QTest::newRow("declined") << false << LINEDISCONNECTMODE_REJECT
                                  << QStringLiteral("Last Status : Declined") << 1;
        QTest::newRow("invalid number") << false << LINEDISCONNECTMODE_BADADDRESS
                                        << QStringLiteral("Last Status : Invalid Number") << 1;
        QTest::newRow("no answer") << false << LINEDISCONNECTMODE_NOANSWER
                                   << QStringLiteral("Last Status : No Answer") << 3;
        QTest::newRow("line lost mid-call")
            << true << LINEDISCONNECTMODE_UNAVAIL << QStringLiteral("Last Status : Line Lost") << 1;
        QTest::newRow("far end lost mid-call") << true << LINEDISCONNECTMODE_UNREACHABLE
                                               << QStringLiteral("Last Status : Line Lost") << 1;
        QTest::newRow("line lost before an answer")
            << false << LINEDISCONNECTMODE_UNAVAIL << QStringLiteral("Last Status : Line Lost")
            << 1;
        QTest::newRow("unexplained") << false << LINEDISCONNECTMODE_UNKNOWN
                                     << QStringLiteral("Last Status : Call Dropped") << 3;
    }

    void onlyUnansweredAttemptsAreRedialled()
    {
        QFETCH(bool, answered);
        QFETCH(quint32, mode);
        QFETCH(QString, status);
        QFETCH(int, attempts);
        Fixture f(3, 0);
        f.run.start({QStringLiteral("5")});
        for (int i = 0; i < 3 && f.ended.isEmpty(); ++i) {
            Fixture::settle();
            if (answered)
                provider->answer();
            provider->end(mode);
            Fixture::settle();
        }
        QCOMPARE(provider->dialled.size(), attempts);
        QCOMPARE(f.last(3), status);
        QCOMPARE(f.ended.size(), 1);
    }

    void pauseCountsDownAndCanBeCancelled()
    {
        Fixture f(3, 1);
        f.run.start({QStringLiteral("5")});
        Fixture::settle();
        QElapsedTimer clock;
        clock.start();
        provider->busy();
        QTRY_COMPARE_WITH_TIMEOUT(provider->dialled.size(), 2, 3000);
        // The redial came after the pause, not before it.
        QVERIFY(clock.elapsed() >= 1000);
        QCOMPARE(f.panels[4], (QStringList{QStringLiteral("Waiting : 1"), QString()}));

        // Hang UP during the pause clears the countdown at once and dials nothing more.
        provider->busy();
        QTRY_VERIFY(f.run.isWaiting());
        f.run.HangCMD_Click();
        QCOMPARE(f.last(4), QString());
        QCOMPARE(f.last(3), QStringLiteral("Last Status :  User Hang UP"));
        QTest::qWait(1300);
        QCOMPARE(provider->dialled.size(), 2);
        QVERIFY(f.prompt.asked.isEmpty());
    }

    void aNewRunDuringAPauseIsNotTakenOver()
    {
        Fixture f(3, 1);
        f.run.start({QStringLiteral("old")});
        Fixture::settle();
        provider->busy();
        QTRY_VERIFY(f.run.isWaiting());
        f.run.start({QStringLiteral("new")});
        Fixture::settle();
        LineCall* newCall = f.run.call();
        QTest::qWait(1300);
        // The old run's pause ended nothing and started nothing.
        QCOMPARE(provider->dialled, (QStringList{QStringLiteral("old"), QStringLiteral("new")}));
        QCOMPARE(f.run.call(), newCall);
        QCOMPARE(f.run.attemptCount(), qint16(1));
    }

    void hangUpKeepsItsStatus()
    {
        Fixture f(3, 0);
        f.run.start({QStringLiteral("5")});
        Fixture::settle();
        provider->answer();
        Fixture::settle();
        f.run.HangCMD_Click();
        Fixture::settle();
        QCOMPARE(f.last(3), QStringLiteral("Last Status :  User Hang UP"));
        QCOMPARE(provider->dialled.size(), 1);
        QCOMPARE(f.ended.size(), 1);

        // Hanging up again, with no call left, asks nothing.
        f.run.HangCMD_Click();
        QVERIFY(f.prompt.asked.isEmpty());
    }

    void hangUpBeforeAnyDial()
    {
        Fixture f(3, 0);
        f.run.HangCMD_Click();
        QVERIFY(f.prompt.asked.isEmpty());
        QCOMPARE(f.panels[3], QStringList{QStringLiteral("Last Status :  User Hang UP")});
        QCOMPARE(f.panels[4], QStringList{QString()});
    }

    // Each attempt is reported once, when it ends, with what the log keeps of it.
    void attemptsAreReportedAsTheyEnd()
    {
        Fixture f(3, 0);
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        f.run.start({QStringLiteral("05"), QStringLiteral("06")}, 42);
        for (int i = 0; i < 3; ++i) {
            Fixture::settle();
            provider->busy();
        }
        Fixture::settle();
        QCOMPARE(f.records.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const CallRecord& record = f.records[i];
            QCOMPARE(record.outcome, QStringLiteral("busy"));
            QCOMPARE(record.attempt, i + 1);
            QCOMPARE(record.attempts, 3);
            QCOMPARE(record.number, i == 1 ? QStringLiteral("06") : QStringLiteral("05"));
            QCOMPARE(record.nameId, qint64(42));
            QCOMPARE(record.line, QStringLiteral("One"));
            QVERIFY(record.started >= before && record.ended >= record.started);
            QCOMPARE(record.talkSeconds, qint64(0));
        }
    }

    void outcomesOfTheLog()
    {
        {
            // Talk time counts from the answer to the end.
            Fixture f(3, 0);
            f.run.start({QStringLiteral("5")});
            Fixture::settle();
            provider->answer();
            QTest::qWait(1200);
            provider->end(LINEDISCONNECTMODE_NORMAL);
            Fixture::settle();
            QCOMPARE(f.records.size(), 1);
            QCOMPARE(f.records[0].outcome, QStringLiteral("answered"));
            QCOMPARE(f.records[0].talkSeconds, qint64(1));
            QCOMPARE(f.records[0].nameId, qint64(0));
        }
        {
            // Hang UP ends a conversation as answered, and a ringing call as hung up.
            Fixture f(3, 0);
            f.run.start({QStringLiteral("5")});
            Fixture::settle();
            provider->answer();
            Fixture::settle();
            f.run.HangCMD_Click();
            Fixture::settle();
            f.run.start({QStringLiteral("6")});
            Fixture::settle();
            f.run.HangCMD_Click();
            Fixture::settle();
            QCOMPARE(f.records.size(), 2);
            QCOMPARE(f.records[0].outcome, QStringLiteral("answered"));
            QCOMPARE(f.records[1].outcome, QStringLiteral("hung-up"));
        }
        {
            // A new run ends the call before it, which was hung up; one refused is failed;
            // a call under way when the program exits is hung up too.
            Fixture f(1, 0);
            provider->dropAtOnce = false;
            f.run.start({QStringLiteral("first")});
            Fixture::settle();
            f.run.start({QStringLiteral("second")});
            Fixture::settle();
            provider->dropped(provider->drops.value(0), 0);
            Fixture::settle();
            provider->refuseAtOnce = LINEERR_INVALCALLHANDLE;
            f.run.release();
            f.run.start({QStringLiteral("third")});
            provider->refuseAtOnce = 0;
            f.run.start({QStringLiteral("fourth")});
            Fixture::settle();
            f.run.release();
            QStringList outcomes;
            for (const CallRecord& record : std::as_const(f.records))
                outcomes << record.number + QLatin1Char(' ') + record.outcome;
            QCOMPARE(
                outcomes,
                (QStringList{QStringLiteral("first hung-up"), QStringLiteral("second hung-up"),
                             QStringLiteral("third failed"), QStringLiteral("fourth hung-up")}));
        }
    }

    void failuresToOpenAndToCall()
    {
        {
            Fixture f(3, 0);
            provider->setLines({});
            f.run.start({QStringLiteral("5")});
            // With no line at all, the box says how to add one.
            QCOMPARE(f.prompt.messages().size(), 1);
            QVERIFY(f.prompt.messages()[0].text.startsWith(
                QStringLiteral("No telephone line is set up.")));
            QVERIFY(f.prompt.messages()[0].text.contains(QStringLiteral("Lines...")));
            QCOMPARE(f.prompt.messages()[0].icon, Prompt::Icon::Warning);
            QCOMPARE(f.run.attemptCount(), qint16(0));
            QCOMPARE(f.ended.size(), 1);
            QVERIFY(provider->dialled.isEmpty());
        }
        {
            Fixture f(3, 0);
            provider->refuseAtOnce = LINEERR_INVALCALLHANDLE;
            f.run.start({QStringLiteral("5")});
            QCOMPARE(f.prompt.messages().size(), 1);
            QCOMPARE(f.prompt.messages()[0].text,
                     QStringLiteral("Error #-2147483624\nInvalid Call Handle"));
            QCOMPARE(f.prompt.messages()[0].icon, Prompt::Icon::Information);
            QCOMPARE(f.run.attemptCount(), qint16(1));
            QCOMPARE(f.ended.size(), 1);
        }
        {
            // A call that fails after it was requested says so instead of "Dialing:".
            Fixture f(3, 0);
            provider->replyInsidePlaceCall = LINEERR_INVALCALLHANDLE;
            f.run.start({QStringLiteral("5")});
            Fixture::settle();
            QVERIFY(f.last(3).startsWith(QStringLiteral("Last Status : Call Failed")));
            QCOMPARE(f.ended.size(), 1);
        }
    }

    void aNewRunFirstEndsTheCallBeforeIt()
    {
        Fixture f(3, 0);
        provider->dropAtOnce = false;
        f.run.start({QStringLiteral("first")});
        Fixture::settle();
        const quint64 first = provider->lastCall;
        // A hundred clicks on Dial within a moment: the line never carries two calls, and
        // the run that waits dials the last number asked for, once.
        for (int i = 0; i < 100; ++i) {
            f.run.start({QStringLiteral("n%1").arg(i)});
            QCOMPARE(f.lines.callCount(), 1);
        }
        Fixture::settle();
        QCOMPARE(provider->dialled, QStringList{QStringLiteral("first")});
        QCOMPARE(provider->drops, QList<quint64>{first});
        provider->dropped(first, 0);
        Fixture::settle();
        QCOMPARE(provider->dialled, (QStringList{QStringLiteral("first"), QStringLiteral("n99")}));
        QCOMPARE(f.lines.callCount(), 1);
        QCOMPARE(f.last(2), QStringLiteral("Retry No: 1 / 3"));
        QCOMPARE(f.last(3), QStringLiteral("Dialing: n99"));
        QVERIFY(f.ended.isEmpty());

        // Hang UP while the next run waits for the line dials nothing more.
        f.run.start({QStringLiteral("never")});
        f.run.HangCMD_Click();
        provider->dropped(provider->lastCall, 0);
        Fixture::settle();
        QCOMPARE(provider->dialled.size(), 2);
        QCOMPARE(f.ended.size(), 1);
        QVERIFY(f.prompt.asked.isEmpty());
    }

    void aLineThatGoesIdleWithoutAReasonDoesNotStallTheRun()
    {
        Fixture f(2, 0);
        f.run.start({QStringLiteral("5")});
        Fixture::settle();
        provider->idle();
        Fixture::settle();
        QCOMPARE(provider->dialled.size(), 2);
        QVERIFY(f.panels[3].contains(QStringLiteral("Last Status : Call Dropped")));
    }

    void linesAndQueueEdges()
    {
        Fixture f(1, 0);
        f.settings.lineIndex = 1;
        f.run.start({QStringLiteral("5")});
        QCOMPARE(provider->lineKeys.last(), QStringLiteral("second"));
        provider->busy();
        Fixture::settle();
        // One attempt in all: no redial.
        QCOMPARE(provider->dialled.size(), 1);

        for (qint16 index : {qint16(-1), qint16(7)}) {
            f.settings.lineIndex = index;
            provider->lineKeys.clear();
            f.run.start({QStringLiteral("6")});
            // The call before is ended first.
            Fixture::settle();
            QCOMPARE(provider->lineKeys, QStringList{QStringLiteral("first")});
        }
        const int before = int(provider->dialled.size());
        f.run.start({});
        Fixture::settle();
        QCOMPARE(int(provider->dialled.size()), before);
        // An empty number takes the line without dialling digits.
        f.run.start({QString()});
        Fixture::settle();
        QCOMPARE(provider->dialled.last(), QString());
    }
};

QTEST_GUILESS_MAIN(DialRunTest)
#include "tst_dialrun.moc"
