// The modem provider on its own, call id by call id, against the scripted modem: how a dial
// the modem refuses ends, a port that goes away and comes back, a slow modem, a silent one,
// and what a modems.json written by someone else may hold.
#include "ProviderEvents.h"
#include "modem/ModemPeers.h"
#include "support/TestHome.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/modem/ModemProvider.h"

#include <QElapsedTimer>
#include <QSet>

using namespace mTAPIConsts;
using namespace telvora;
using namespace telvora::test;

class ModemProviderTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    quint64 m_lastCall = 0;

    // The id of a call the provider took, or 0 when it refused it at once.
    quint64 place(ModemProvider& provider, const QString& port)
    {
        const quint64 id = ++m_lastCall;
        return provider.placeCall(id, port, QStringLiteral("5551234")) == 0 ? id : 0;
    }
    static quint32 endOf(const ProviderEvents& events, quint64 call)
    {
        const ProviderEvents::State last = events.lastStateOf(call);
        return last.state == LINECALLSTATE_DISCONNECTED ? last.disconnectMode : 0;
    }
    void writeRaw(const QJsonArray& ports)
    {
        QFile file(m_home->file(QStringLiteral("modems.json")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("scan"), false},
                                             {QStringLiteral("ports"), ports}})
                       .toJson());
    }

private slots:
    void initTestCase() { m_home = std::make_unique<TestHome>(); }

    void whatTheModemRefusesEndsAtOnceAsARefusal_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("words");
        QTest::newRow("delayed") << QStringLiteral("delayed") << QStringLiteral("DELAYED");
        QTest::newRow("blacklisted")
            << QStringLiteral("blacklisted") << QStringLiteral("BLACKLISTED");
        QTest::newRow("barred") << QStringLiteral("barred") << QStringLiteral("CALL BARRED");
        QTest::newRow("extended error")
            << QStringLiteral("cme") << QStringLiteral("+CME ERROR: 258");
        QTest::newRow("unknown result")
            << QStringLiteral("gibberish") << QStringLiteral("LINE IN USE BY FAX");
    }
    void whatTheModemRefusesEndsAtOnceAsARefusal()
    {
        QFETCH(QString, outcome);
        QFETCH(QString, words);
        ScriptedModem modem(QStringLiteral("hayes"), outcome,
                            {QStringLiteral("--delay"), QStringLiteral("0.3")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        ModemProvider provider;
        ProviderEvents events(provider);
        provider.lines();
        const quint64 call = place(provider, modem.host());
        QVERIFY(call);
        // Far sooner than the dial's own time limit of two minutes.
        QVERIFY2(events.waitForState(call, LINECALLSTATE_DISCONNECTED, 10000),
                 modem.received().constData());
        QCOMPARE(endOf(events, call), LINEDISCONNECTMODE_REJECT);
        QVERIFY2(provider.lineState(modem.host()).contains(words),
                 qPrintable(provider.lineState(modem.host())));
        QCOMPARE(modem.dials().size(), 1);
    }

    void aPortThatClosesMidDialIsLostAtOnceAndReachedAgainWhenBack()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy"),
                            {QStringLiteral("--delay"), QStringLiteral("5")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        ModemProvider provider;
        ProviderEvents events(provider);
        provider.lines();
        const quint64 first = place(provider, modem.host());
        QVERIFY(first);
        QVERIFY(events.waitForState(first, LINECALLSTATE_DIALING, 10000));
        QTRY_COMPARE(modem.dials().size(), 1);
        modem.unplug();
        QVERIFY(events.waitForState(first, LINECALLSTATE_DISCONNECTED, 2000));
        QCOMPARE(endOf(events, first), LINEDISCONNECTMODE_UNAVAIL);
        provider.releaseCall(first);

        modem.replug();
        const quint64 second = place(provider, modem.host());
        QVERIFY(second);
        QVERIFY(events.waitForState(second, LINECALLSTATE_DISCONNECTED, 15000));
        QCOMPARE(endOf(events, second), LINEDISCONNECTMODE_BUSY);
        QCOMPARE(modem.dials().size(), 2);
    }

    void aSlowModemDialsEveryAttemptInTurn()
    {
        // Slower than a modem was once given to answer; the next call is placed while the
        // previous one still hangs up, as a dial run with no pause does.
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy"),
                            {QStringLiteral("--delay"), QStringLiteral("0.2"),
                             QStringLiteral("--reply-delay"), QStringLiteral("1.6")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        ModemProvider provider;
        ProviderEvents events(provider);
        provider.lines();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const quint64 call = place(provider, modem.host());
            QVERIFY(call);
            QVERIFY(events.waitForState(call, LINECALLSTATE_DISCONNECTED, 40000));
            QCOMPARE(endOf(events, call), LINEDISCONNECTMODE_BUSY);
            provider.releaseCall(call);
        }
        QCOMPARE(modem.dials().size(), 2);
        QVERIFY(events.placed().size() == 2 && events.placed()[1].second == 0);
    }

    void aModemThatNeverAnswersSaysSo()
    {
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy"),
                            {QStringLiteral("--reply-delay"), QStringLiteral("60")});
        QVERIFY(writeModemSettings(m_home->path(), {modem.host()}));
        ModemProvider provider;
        ProviderEvents events(provider);
        provider.lines();
        const quint64 call = place(provider, modem.host());
        QVERIFY(call);
        QTRY_COMPARE_WITH_TIMEOUT(events.placed().size(), 1, 20000);
        QCOMPARE(events.placed()[0].second, LINEERR_OPERATIONFAILED);
        QCOMPARE(provider.lineState(modem.host()), QStringLiteral("The modem did not answer"));
    }

    void aHostileSettingsFileIsKeptButOnlyWhatIsSafeIsUsed()
    {
        QFile plain(m_home->file(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        const QString link = m_home->file(QStringLiteral("null-link"));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
        QJsonArray ports;
        const auto port = [](const QString& path, const QString& init = {}) {
            return QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("init"), init}};
        };
        // Not serial ports: a character device of another kind, a file, a link to a device.
        const QStringList devices{QStringLiteral("/dev/null"), plain.fileName(), link};
        for (const QString& path : devices)
            ports.append(port(path));
        // Texts that cannot be used as they stand.
        ports.append(port(QStringLiteral("/dev/ttyQ\n9")));
        ports.append(port(QString(5000, QLatin1Char('x'))));
        ports.append(
            port(QStringLiteral("/nonexistent/ttyInit"), QStringLiteral("M0\r\nATD5551234")));
        // More ports than are ever opened.
        for (int i = 0; i < ModemSettings::kMaxPorts; ++i)
            ports.append(port(QStringLiteral("/nonexistent/tty%1").arg(i)));
        writeRaw(ports);

        ModemProvider provider;
        ProviderEvents events(provider);
        const QList<ProviderLine> lines = provider.lines();
        QCOMPARE(lines.size(), ModemSettings::kMaxPorts);
        for (const QString& path : devices) {
            QTRY_COMPARE(provider.lineState(path),
                         QStringLiteral("Cannot open the port: not a serial port"));
        }
        QCOMPARE(provider.placeCall(++m_lastCall, devices[0], QStringLiteral("555")),
                 LINEERR_RESOURCEUNAVAIL);

        // Saving another port writes back every entry it did not use, as it was.
        QVERIFY(provider.savePortSettings({}, {QStringLiteral("/nonexistent/new"), {}, false}));
        QFile saved(m_home->file(QStringLiteral("modems.json")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QJsonArray after = QJsonDocument::fromJson(saved.readAll())
                                     .object()
                                     .value(QStringLiteral("ports"))
                                     .toArray();
        QCOMPARE(after.size(), ports.size() + 1);
        QSet<QString> paths;
        for (const QJsonValue& entry : after)
            paths.insert(entry.toObject().value(QStringLiteral("path")).toString());
        for (const QJsonValue& entry : std::as_const(ports))
            QVERIFY(paths.contains(entry.toObject().value(QStringLiteral("path")).toString()));
    }

    void theSystemsPortsAreListedOnceNotEveryAttempt()
    {
        QFile file(m_home->file(QStringLiteral("modems.json")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"scan": true, "ports": []})");
        file.close();
        ModemProvider provider;
        for (int attempt = 0; attempt < 5; ++attempt)
            provider.lines();
        QCOMPARE(provider.portScans(), 1);
    }
};

QTEST_GUILESS_MAIN(ModemProviderTest)
#include "tst_modem_provider.moc"
