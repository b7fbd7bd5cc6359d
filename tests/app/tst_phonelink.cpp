// Links and numbers from outside the program: what is read from them, what is refused, and
// how a global number is made dialable on a line that dials digits alone.
#include "app/CommandLine.h"
#include "numbers/PhoneLink.h"
#include "numbers/PhoneNumbers.h"

#include <QDir>
#include <QTest>

using namespace telvora;

class PhoneLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void linksAreReadToOnePlainForm_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("number"); // what a SIP address's user part dials
        const auto row = [](const char* link, const char* target, const char* number = "") {
            QTest::newRow(link) << QString::fromUtf8(link) << QString::fromUtf8(target)
                                << QString::fromUtf8(number);
        };
        row("tel:+49-30-1234", "+49301234");
        row("TEL:+49.(30).1234;phone-context=example.com", "+49301234");
        row("tel:+49%2030%201234", "+49301234");
        row("tel:*31%23;phone-context=+49", "*31#");
        row("tel://0301234", "0301234");
        row("callto:+49301234", "+49301234");
        row("callto://+49 30 1234/", "+49301234");
        row("  +49 (30) 12-34 ", "+49301234");
        row("Sip:bob@example.org", "sip:bob@example.org");
        row("sips:bob@[::1]:5061;transport=tls", "sips:bob@[::1]:5061;transport=tls");
        row("sip:+49-30-1234@gw.example.org;user=phone",
            "sip:+49-30-1234@gw.example.org;user=phone", "+49301234");
    }

    void linksAreReadToOnePlainForm()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(QString, number);
        QString error;
        const auto parsed = PhoneLink::parse(link, &error);
        QVERIFY2(parsed, qPrintable(error));
        QCOMPARE(parsed->target(), target);
        QCOMPARE(parsed->kind(), target.startsWith(QLatin1String("sip"))
                                     ? PhoneLink::Kind::SipAddress
                                     : PhoneLink::Kind::Number);
        QCOMPARE(parsed->number(), number);
    }

    void anythingElseIsRefusedWhole_data()
    {
        QTest::addColumn<QString>("link");
        for (const char* link : {"tel:",
                                 "tel:+49*30",
                                 "tel:12%0A34",
                                 "tel:12%zz",
                                 "tel:12%C3",
                                 "tel:$(reboot)",
                                 "tel:1234;=x",
                                 "tel:1234;a=",
                                 "tel:`id`",
                                 "callto:echo123",
                                 "callto:+49;1",
                                 "sip:bob@example.org?Subject=x",
                                 "sip:bob:secret@example.org",
                                 "sip:bob@exa mple.org",
                                 "sip:bob@host:99999",
                                 "sip:@host",
                                 "sip:a@b@c",
                                 "sip:bob@host;x=<y>",
                                 "http://example.org/",
                                 "-rf",
                                 "12345678901234567890123456789012345678901",
                                 "tel:12\n34"})
            QTest::newRow(link) << QString::fromUtf8(link);
        QTest::newRow("very long") << QStringLiteral("tel:") + QString(600, QLatin1Char('1'));
    }

    void anythingElseIsRefusedWhole()
    {
        QFETCH(QString, link);
        QString error;
        QVERIFY(!PhoneLink::parse(link, &error));
        QVERIFY(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
    }

    void theCommandLine()
    {
        CommandLine help;
        QCOMPARE(help.parse({QStringLiteral("/usr/bin/telvora"), QStringLiteral("--help")}), 0);
        QVERIFY(help.output().startsWith(QLatin1String("Usage: telvora [options] [link]\n")));
        QVERIFY(help.output().contains(QLatin1String("--dial <number-or-link>")));

        CommandLine version;
        QCOMPARE(version.parse({QStringLiteral("telvora"), QStringLiteral("-v")}), 0);
        QCOMPARE(version.output(), QStringLiteral("Telvora " TELVORA_VERSION "\n"));

        CommandLine link;
        QCOMPARE(link.parse({QStringLiteral("telvora"), QStringLiteral("--home"),
                             QStringLiteral("rel"), QStringLiteral("tel:+49-30-1234")}),
                 std::nullopt);
        QCOMPARE(link.home(), QDir::current().absoluteFilePath(QStringLiteral("rel")));
        QCOMPARE(link.link()->target(), QStringLiteral("+49301234"));
        QVERIFY(!link.dialNow());

        CommandLine dial;
        QCOMPARE(dial.parse({QStringLiteral("telvora"), QStringLiteral("--dial"),
                             QStringLiteral("0301234")}),
                 std::nullopt);
        QVERIFY(dial.dialNow());

        // Each of these is a mistake: one line on standard error, and nothing done.
        const QList<QStringList> mistakes = {
            {"tel:1", "tel:2"}, {"--dial", "1", "tel:2"}, {"tel:1", "--dial", "2"},
            {"--dial"},         {"--home", ""},           {"--bogus"},
            {"tel:x"}};
        for (QStringList arguments : mistakes) {
            arguments.prepend(QStringLiteral("telvora"));
            CommandLine wrong;
            QCOMPARE(wrong.parse(arguments), 2);
            QVERIFY(!wrong.error().isEmpty() && wrong.output().isEmpty());
        }
    }

    // Dialled from Germany on a line that dials digits alone.
    void globalNumbersOnALineOfDigits()
    {
        QCOMPARE(PhoneNumbers::dialableFrom(QStringLiteral("+49301234"), QStringLiteral("DE")),
                 QStringLiteral("0301234"));
        QCOMPARE(PhoneNumbers::dialableFrom(QStringLiteral("+33123456789"), QStringLiteral("DE")),
                 QStringLiteral("0033123456789"));
        QCOMPARE(PhoneNumbers::dialableFrom(QStringLiteral("+49301234"), QStringLiteral("FR")),
                 QStringLiteral("0049301234"));
        // Numbers of the local plan, and countries the plans do not know, stay as they are.
        QCOMPARE(PhoneNumbers::dialableFrom(QStringLiteral("0301234"), QStringLiteral("DE")),
                 QStringLiteral("0301234"));
        QCOMPARE(PhoneNumbers::dialableFrom(QStringLiteral("+49301234"), QStringLiteral("XX")),
                 QStringLiteral("+49301234"));
        QCOMPARE(PhoneNumbers::countryName(QStringLiteral("DE"), QLocale(QLocale::German)),
                 QStringLiteral("Deutschland (+49)"));
        QCOMPARE(PhoneNumbers::countryOf(QLocale(QLocale::French, QLocale::Belgium)),
                 QStringLiteral("BE"));
        // A stored code is checked without the plans; a code of no country is refused.
        QVERIFY(PhoneNumbers::isCountry(QStringLiteral("BE")));
        for (const char* code : {"XX", "be", "BEL", ""})
            QVERIFY2(!PhoneNumbers::isCountry(QLatin1String(code)), code);
    }
};

QTEST_GUILESS_MAIN(PhoneLinkTest)
#include "tst_phonelink.moc"
