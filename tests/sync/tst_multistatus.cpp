#include "sync/MultistatusParser.h"

#include <QtTest>

using telvora::DavResponse;
using telvora::MultistatusParser;

namespace {

// A sync-collection answer as servers write it: a changed card with its vCard, a deleted
// one, a property the server does not have, and the new token after the responses.
const QByteArray kSyncAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\">\n"
    " <response>\n"
    "  <href>/alice/contacts/a%20b.vcf</href>\n"
    "  <propstat><prop><getetag>\"e1\"</getetag><C:address-data>BEGIN:VCARD\n"
    "FN:Anna &amp; Ben\n"
    "END:VCARD\n"
    "</C:address-data></prop><status>HTTP/1.1 200 OK</status></propstat>\n"
    "  <propstat><prop><displayname/></prop><status>HTTP/1.1 404 Not Found</status></propstat>\n"
    " </response>\n"
    " <response><href>/alice/contacts/gone.vcf</href><status>HTTP/1.1 404 Not "
    "Found</status></response>\n"
    " <sync-token>http://radicale.org/ns/sync/42</sync-token>\n"
    "</multistatus>";

const QByteArray kDiscoveryAnswer =
    "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"\n"
    "  xmlns:cs=\"http://calendarserver.org/ns/\"><d:response><d:href>/a/</d:href>\n"
    " <d:propstat><d:prop><d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>\n"
    " <d:displayname>Office</d:displayname><cs:getctag>c7</cs:getctag>\n"
    " <d:current-user-principal><d:href>/alice/</d:href></d:current-user-principal>\n"
    " <c:addressbook-home-set><d:href>/home/</d:href></c:addressbook-home-set>\n"
    " </d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>\n"
    " </d:multistatus>";

const QByteArray kLaughs = "<!DOCTYPE d:multistatus [<!ENTITY a 'aaaaaaaaaa'>"
                           "<!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>]>";
const QByteArray kExternal = "<!DOCTYPE x [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>";

struct Outcome
{
    QList<DavResponse> responses;
    bool ok = false;
    QString error;
};

Outcome parseInPieces(const QByteArray& xml, qsizetype piece, MultistatusParser::Limits limits)
{
    Outcome outcome;
    MultistatusParser parser(
        [&outcome](DavResponse&& response) { outcome.responses.append(std::move(response)); },
        limits);
    bool ok = true;
    for (qsizetype at = 0; ok && at < xml.size(); at += piece)
        ok = parser.feed(xml.mid(at, piece));
    outcome.ok = ok && parser.finish();
    outcome.error = parser.error();
    return outcome;
}

} // namespace

class TestMultistatus : public QObject
{
    Q_OBJECT

private slots:
    void readsSyncAnswerWholeOrByteByByte()
    {
        for (qsizetype piece : {kSyncAnswer.size(), qsizetype(1)}) {
            const Outcome outcome = parseInPieces(kSyncAnswer, piece, {});
            QVERIFY2(outcome.ok, qPrintable(outcome.error));
            QCOMPARE(outcome.responses.size(), 2);
            const DavResponse& changed = outcome.responses.at(0);
            QCOMPARE(changed.href, QStringLiteral("/alice/contacts/a%20b.vcf"));
            QCOMPARE(changed.etag, QStringLiteral("\"e1\""));
            QVERIFY(changed.hasAddressData);
            QCOMPARE(changed.addressData, QByteArray("BEGIN:VCARD\nFN:Anna & Ben\nEND:VCARD\n"));
            QVERIFY(changed.displayName.isEmpty());
            QCOMPARE(outcome.responses.at(1).status, 404);
        }
        QString token;
        QList<DavResponse> all;
        QVERIFY(MultistatusParser::parse(kSyncAnswer, &all, nullptr, &token));
        QCOMPARE(token, QStringLiteral("http://radicale.org/ns/sync/42"));
    }

    void readsDiscoveryProperties()
    {
        QList<DavResponse> found;
        QString error;
        QVERIFY2(MultistatusParser::parse(kDiscoveryAnswer, &found, &error), qPrintable(error));
        QCOMPARE(found.size(), 1);
        const DavResponse& book = found.first();
        QVERIFY(book.isCollection && book.isAddressBook);
        QCOMPARE(book.displayName, QStringLiteral("Office"));
        QCOMPARE(book.ctag, QStringLiteral("c7"));
        QCOMPARE(book.principalHref, QStringLiteral("/alice/"));
        QCOMPARE(book.homeSetHref, QStringLiteral("/home/"));
    }

    void refusesHostileAnswers_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray open = "<d:multistatus xmlns:d='DAV:'>";
        const QByteArray entry = "<d:response><d:href>/x</d:href></d:response>";
        QTest::newRow("entity expansion")
            << kLaughs + open + "<d:response><d:href>&b;</d:href></d:response></d:multistatus>";
        QTest::newRow("external entity")
            << kExternal + open + "<d:response><d:href>&e;</d:href></d:response></d:multistatus>";
        QTest::newRow("undeclared entity") << open + "<d:response><d:href>&e;</d:href>";
        QTest::newRow("mismatched tags") << open + "<d:response></d:multistatus>";
        QTest::newRow("ends early") << open + entry;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a multistatus") << QByteArray("<html><body>Error</body></html>");
        QTest::newRow("second root") << open + "</d:multistatus><d:multistatus/>";
        QTest::newRow("comment after the end") << open + "</d:multistatus>\n<!-- -->";
        QTest::newRow("too deep") << open + QByteArray("<d:prop>").repeated(40);
        QTest::newRow("too many responses") << open + entry.repeated(11) + "</d:multistatus>";
        QTest::newRow("text too long") << open + "<d:response><d:href>" + QByteArray(300, 'h');
        QTest::newRow("too large") << open + QByteArray(5000, ' ') + "</d:multistatus>";
    }

    void refusesHostileAnswers()
    {
        QFETCH(QByteArray, xml);
        MultistatusParser::Limits limits;
        limits.maxBytes = 4096;
        limits.maxResponses = 10;
        limits.maxTextLength = 256;
        // Pieces of one byte end at every place, the root's end among them.
        for (qsizetype piece : {qsizetype(1), qsizetype(7), qMax(xml.size(), qsizetype(1))}) {
            const Outcome outcome = parseInPieces(xml, piece, limits);
            QVERIFY(!outcome.ok);
            QVERIFY(!outcome.error.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestMultistatus)
#include "tst_multistatus.moc"
