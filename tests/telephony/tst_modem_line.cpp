// Modem lines against the scripted modem on a socat pseudo-terminal, in its voice, data and
// cellular profiles.
#include "modem/ModemPeers.h"
#include "modem/TestCall.h"
#include "support/TestHome.h"
#include "telephony/modem/ModemProvider.h"

using namespace telvora;
using namespace telvora::test;

class ModemLineTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<LineService> m_lines;

    // Dials `number` on a fresh scripted modem and waits for the call's idle end.
    struct Outcome
    {
        QStringList events;
        CallEnd end = CallEnd::Unexplained;
        LineError error = LineError::None;
        bool connected = false;
        QStringList dials;
    };
    Outcome dialOnce(const QString& profile, const QString& outcome, const QString& init = {},
                     const QString& number = QStringLiteral("5551234"))
    {
        ScriptedModem modem(profile, outcome,
                            {QStringLiteral("--delay"), QStringLiteral("0.3"),
                             QStringLiteral("--call-len"), QStringLiteral("0.4")});
        Outcome result;
        if (!modem.running() || !writeModemSettings(m_home->path(), {modem.host()}, init))
            return result;
        TestCall call(*m_lines);
        if (!call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()), number))
            return result;
        call.waitDone();
        result.events = call.events.list();
        result.end = call.call->end();
        result.error = call.call->error();
        result.connected = call.call->wasAnswered();
        result.dials = modem.dials();
        return result;
    }

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<TestHome>();
        m_lines = std::make_unique<LineService>();
    }
    void cleanupTestCase() { m_lines.reset(); }

    void theLineIsNamedFromTheProbe()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy"));
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        QVERIFY(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()) >= 0);
        auto* provider = static_cast<ModemProvider*>((*m_lines).provider(QStringLiteral("modem")));
        QTRY_COMPARE(provider->portInfo(modem.host()).probe, ModemProvider::Probe::Modem);
        QCOMPARE(provider->portInfo(modem.host()).kind, ModemProvider::ModemKind::Voice);
        const auto lines = provider->lines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].caps.lineName, QStringLiteral("ModemProto FM-56V"));
        QCOMPARE(provider->lineState(modem.host()), QStringLiteral("Ready (voice modem)"));
        // Probed once: a second listing asks the modem nothing.
        const QByteArray before = modem.received();
        provider->lines();
        QTest::qWait(200);
        QCOMPARE(modem.received(), before);
    }

    void voiceBusy()
    {
        const Outcome o = dialOnce(QStringLiteral("hayes"), QStringLiteral("busy"));
        QCOMPARE(o.end, CallEnd::Busy);
        QVERIFY(!o.connected);
        QCOMPARE(o.dials.size(), 1);
        QVERIFY2(o.dials[0].contains(QStringLiteral("fclass=8")), qPrintable(o.dials[0]));
    }

    void voiceAnswerThenFarEndHangsUp()
    {
        const Outcome o = dialOnce(QStringLiteral("hayes"), QStringLiteral("answer"));
        QVERIFY(o.connected);
        QCOMPARE(o.end, CallEnd::Answered);
        QCOMPARE(o.events.first(), QStringLiteral("placed"));
        QVERIFY(o.events.contains(QStringLiteral("connected")));
    }

    void tonesDuringAConnectedCall()
    {
        // A voice modem and a cellular module put them on the call; a data modem cannot.
        for (const QString& profile : {QStringLiteral("hayes"), QStringLiteral("gsm")}) {
            ScriptedModem modem(profile, QStringLiteral("answer"),
                                {QStringLiteral("--delay"), QStringLiteral("0.3")});
            QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
            TestCall call(*m_lines);
            QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()),
                               QStringLiteral("555")));
            QCOMPARE(call.call->sendTones(QStringLiteral("1")), QString());
            QVERIFY(call.waitFor(QStringLiteral("connected")));
            QCOMPARE(call.call->sendTones(QStringLiteral("12x#*A")), QStringLiteral("12#*"));
            QTRY_COMPARE(modem.tones(), QStringLiteral("12#*"));
            call.call->hangUp();
            QVERIFY(call.waitEnded(5000));
        }
    }

    void voiceNoDialTone()
    {
        const Outcome o = dialOnce(QStringLiteral("hayes"), QStringLiteral("nodialtone"));
        QCOMPARE(o.end, CallEnd::NoDialTone);
        QVERIFY(!o.connected);
    }

    void voiceNoAnswer()
    {
        const Outcome o = dialOnce(QStringLiteral("hayes"), QStringLiteral("noanswer"));
        QCOMPARE(o.end, CallEnd::NoAnswer);
        QVERIFY(!o.connected);
    }

    void dataBusyDialsWithX4()
    {
        const Outcome o = dialOnce(QStringLiteral("data"), QStringLiteral("busy"));
        QCOMPARE(o.end, CallEnd::Busy);
        QCOMPARE(o.dials.size(), 1);
        QVERIFY2(o.dials[0].contains(QStringLiteral("fclass=0")), qPrintable(o.dials[0]));
    }

    void dataNoCarrierCountsAsAnswered()
    {
        // A person answering sends no carrier: the modem cannot tell it from ringing out, and
        // an answered call must never be dialled again.
        const Outcome o = dialOnce(QStringLiteral("data"), QStringLiteral("answer"));
        QVERIFY(o.connected);
        QCOMPARE(o.end, CallEnd::Answered);
    }

    void dataNoDialTone()
    {
        const Outcome o = dialOnce(QStringLiteral("data"), QStringLiteral("nodialtone"));
        QCOMPARE(o.end, CallEnd::NoDialTone);
    }

    void cellularBusy()
    {
        const Outcome o = dialOnce(QStringLiteral("gsm"), QStringLiteral("busy"));
        QCOMPARE(o.end, CallEnd::Busy);
        QCOMPARE(o.dials.size(), 1);
        QVERIFY2(o.dials[0].contains(QStringLiteral("voice=True")), qPrintable(o.dials[0]));
    }

    void cellularAnswerFollowedByCallList()
    {
        const Outcome o = dialOnce(QStringLiteral("gsm"), QStringLiteral("answer"));
        QVERIFY(o.connected);
        QCOMPARE(o.end, CallEnd::Answered);
    }

    void cellularNoAnswer()
    {
        const Outcome o = dialOnce(QStringLiteral("gsm"), QStringLiteral("noanswer"));
        QCOMPARE(o.end, CallEnd::NoAnswer);
        QVERIFY(!o.connected);
    }

    void anInitStringTheModemRefusesFailsTheCall()
    {
        const Outcome o =
            dialOnce(QStringLiteral("hayes"), QStringLiteral("answer"), QStringLiteral("AT+BOGUS"));
        QCOMPARE(o.events, QStringList{QStringLiteral("refused")});
        QCOMPARE(o.error, LineError::OperationFailed);
        QVERIFY(o.dials.isEmpty());
    }

    void theInitStringIsSentBeforeDialling()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy"),
                            {QStringLiteral("--delay"), QStringLiteral("0.3")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}, QStringLiteral("M0L1")));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()),
                           QStringLiteral("555")));
        QVERIFY(call.waitEnded());
        const QByteArray log = modem.received();
        QVERIFY(log.contains("ATM0L1"));
        QVERIFY(log.indexOf("ATM0L1") < log.indexOf("ATDT555"));
    }

    void ourHangUpWhileDialling()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("answer"),
                            {QStringLiteral("--delay"), QStringLiteral("5")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()),
                           QStringLiteral("555")));
        QVERIFY(call.waitFor(QStringLiteral("placed")));
        QTest::qWait(300);
        call.call->hangUp();
        QVERIFY(call.waitEnded(5000));
        QCOMPARE(call.call->end(), CallEnd::HungUp);
        QVERIFY(!call.call->wasAnswered());
        QCOMPARE((*m_lines).callCount(), 0);
        // The dial was abandoned by the hang-up, and the modem went back on hook.
        QTRY_VERIFY(modem.received().contains("ATH"));
    }

    void anEmptyNumberTakesTheLineOffHook()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("answer"));
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()), QString()));
        QVERIFY(call.waitFor(QStringLiteral("placed")));
        QTRY_VERIFY(modem.received().contains("ATH1"));
        QVERIFY(modem.dials().isEmpty());
        call.call->hangUp();
        QVERIFY(call.waitEnded(5000));
    }

    void thePortClosingMidCallEndsIt()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("answer"),
                            {QStringLiteral("--delay"), QStringLiteral("5")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        TestCall call(*m_lines);
        QVERIFY(call.place(lineIndex(*m_lines, QStringLiteral("modem"), modem.host()),
                           QStringLiteral("555")));
        QVERIFY(call.waitFor(QStringLiteral("placed")));
        modem.unplug();
        QVERIFY(call.waitEnded(5000));
        QCOMPARE(call.call->end(), CallEnd::LineLost);
        QCOMPARE((*m_lines).callCount(), 0);
    }

    void aPortWithoutAModemIsNoLineWhenFoundButSaysSoWhenNamed()
    {
        auto* provider = static_cast<ModemProvider*>((*m_lines).provider(QStringLiteral("modem")));
        QVERIFY(writeModemSettings(m_home->path(), {QStringLiteral("/nonexistent/ttyQ9")}));
        QVERIFY(lineIndex(*m_lines, QStringLiteral("modem"),
                          QStringLiteral("/nonexistent/ttyQ9")) >= 0);
        QTRY_VERIFY(provider->lineState(QStringLiteral("/nonexistent/ttyQ9"))
                        .startsWith(QStringLiteral("Cannot open the port")));
        TestCall call(*m_lines);
        QVERIFY(!call.place(
            lineIndex(*m_lines, QStringLiteral("modem"), QStringLiteral("/nonexistent/ttyQ9")),
            QStringLiteral("555")));
        QCOMPARE(call.call->error(), LineError::ResourceUnavailable);
    }

    void dialDigitsKeepWhatAModemDials()
    {
        QCOMPARE(ModemProvider::dialDigits(QStringLiteral("+1 (555) 123-45,67#*w")),
                 QByteArray("+155512345,67#*W"));
    }
};

QTEST_GUILESS_MAIN(ModemLineTest)
#include "tst_modem_line.moc"
