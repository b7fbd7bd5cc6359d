#include "telephony/modem/AtParser.h"

#include <QRandomGenerator>
#include <QTest>

using namespace telvora;
using Kind = AtParser::Kind;

class AtParserTest : public QObject
{
    Q_OBJECT

    static QList<Kind> kinds(const QList<AtParser::Event>& events)
    {
        QList<Kind> list;
        for (const auto& e : events)
            list << e.kind;
        return list;
    }

private slots:
    void resultCodesAreEvents()
    {
        AtParser parser;
        const auto events =
            parser.feed("\r\nOK\r\n\r\nBUSY\r\n\r\nNO CARRIER\r\n\r\nNO DIALTONE\r\n"
                        "\r\nNO ANSWER\r\n\r\nCONNECT 33600\r\n\r\nVCON\r\n"
                        "\r\nRING\r\n\r\n+CME ERROR: 30\r\n\r\nERROR\r\n");
        QCOMPARE(
            kinds(events),
            (QList<Kind>{Kind::Ok, Kind::Busy, Kind::NoCarrier, Kind::NoDialTone, Kind::NoAnswer,
                         Kind::Connect, Kind::VoiceConnect, Kind::Ring, Kind::Error, Kind::Error}));
        QCOMPARE(events[5].text, QByteArray("CONNECT 33600"));
    }

    void refusalsAndSpellingsOfTheSameCode()
    {
        AtParser parser;
        const auto events = parser.feed("\r\nDELAYED\r\nDELAYED 5\r\nBLACKLISTED\r\n"
                                        "BLACKLIST FULL\r\nCALL BARRED\r\nNO DIAL-TONE\r\n"
                                        "No Dialtone\r\nNOCARRIER\r\nRINGING\r\n");
        QCOMPARE(kinds(events), (QList<Kind>{Kind::Refused, Kind::Refused, Kind::Refused,
                                             Kind::Refused, Kind::Refused, Kind::NoDialTone,
                                             Kind::NoDialTone, Kind::NoCarrier, Kind::Ringing}));
        QCOMPARE(events[1].text, QByteArray("DELAYED 5"));
        QVERIFY(AtParser::isCallProgress(Kind::Refused));
    }

    void whatMayComeWhileADialIsUnderWay()
    {
        for (const QByteArray& report : {QByteArray("+COLP: \"555\",129"), QByteArray("^ORIG:1,0"),
                                         QByteArray("CARRIER 33600"), QByteArray("PROTOCOL: LAPM")})
            QVERIFY2(AtParser::isDialReport(report), report.constData());
        QVERIFY(!AtParser::isDialReport("LINE IN USE BY FAX"));
    }

    void informationAndEchoLines()
    {
        AtParser parser;
        const auto events = parser.feed(
            "ATI3\r\r\nModemProto FM-56V voice modem\r\n+CLCC: 1,0,3,0,0,\"555\",129\r\n");
        QCOMPARE(kinds(events), (QList<Kind>{Kind::Info, Kind::Info}));
        QCOMPARE(events[0].text, QByteArray("ModemProto FM-56V voice modem"));
        QVERIFY(events[1].text.startsWith("+CLCC: 1,0,3"));
    }

    void dleCodesBetweenLines()
    {
        AtParser parser;
        // Shielded codes come in the middle of anything; a doubled DLE is data.
        const auto events = parser.feed("\r\nVC\x10"
                                        "bON\r\n\x10\x10\x10"
                                        "d");
        QCOMPARE(kinds(events), (QList<Kind>{Kind::Dle, Kind::VoiceConnect, Kind::Dle}));
        QCOMPARE(events[0].code, 'b');
        QCOMPARE(events[2].code, 'd');
    }

    void anySplitGivesTheSameEvents()
    {
        const QByteArray stream = "\r\nOK\r\n\x10"
                                  "b\r\nBUSY\r\n+GCAP: +CGSM\r\n\x10"
                                  "d\r\nNO CARRIER\r\n";
        AtParser whole;
        const auto expected = whole.feed(stream);
        QCOMPARE(expected.size(), 6);
        auto* random = QRandomGenerator::global();
        for (int round = 0; round < 500; ++round) {
            AtParser parser;
            QList<AtParser::Event> got;
            qsizetype at = 0;
            while (at < stream.size()) {
                const qsizetype n = 1 + random->bounded(int(stream.size() - at));
                got += parser.feed(stream.mid(at, n));
                at += n;
            }
            QCOMPARE(got, expected);
        }
    }

    void garbageNeverGrowsWithoutBound()
    {
        AtParser parser;
        QByteArray noise(100000, 'x');
        QVERIFY(parser.feed(noise).isEmpty());
        const auto events = parser.feed("\r\nOK\r\n");
        // The over-long line is cut, then the parser goes on.
        QCOMPARE(events.size(), 2);
        QCOMPARE(events[0].text.size(), 1024);
        QCOMPARE(events[1].kind, Kind::Ok);
    }
};

QTEST_GUILESS_MAIN(AtParserTest)
#include "tst_at_parser.moc"
