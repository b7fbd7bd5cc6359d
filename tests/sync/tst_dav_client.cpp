#include "support/DavServers.h"
#include "sync/DavClient.h"

#include <QProcess>
#include <QtTest>

using namespace telvora;
using telvora::test::await;
using telvora::test::CardList;
using telvora::test::davAccount;
using telvora::test::serverUrl;
using Kind = DavError::Kind;

namespace {

QByteArray vcard(const QString& uid, const QString& name)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\n"
                          "TEL:+49 30 1234567\r\nEND:VCARD\r\n")
        .arg(uid, name)
        .toUtf8();
}

const char* kindName(Kind kind)
{
    return QMetaEnum::fromType<Kind>().valueToKey(int(kind));
}

} // namespace

class TestDavClient : public QObject
{
    Q_OBJECT

    QUrl m_plain = serverUrl("TELVORA_RADICALE_URL");
    QUrl m_book = m_plain.resolved(QUrl(QStringLiteral("/alice/contacts/")));
    DavClient m_alice{davAccount(m_plain)};

    QList<DavAddressBook> discover(DavClient& client, DavError* error)
    {
        auto [e, books] = await<const DavError&, const QList<DavAddressBook>&>(
            [&](auto done) { client.discover(done); });
        *error = e;
        return books;
    }

    QString put(const QString& name, const QByteArray& card, const QString& etag, Kind expected)
    {
        auto [error, newEtag] = await<const DavError&, const QString&>(
            [&](auto done) { m_alice.put(m_book.resolved(QUrl(name)), card, etag, done); });
        [&] {
            QCOMPARE(error.kind, expected);
        }();
        return newEtag;
    }

    DavError remove(const QString& name, const QString& etag)
    {
        return std::get<0>(await<const DavError&>(
            [&](auto done) { m_alice.remove(m_book.resolved(QUrl(name)), etag, done); }));
    }

    // One sync-collection call: the token it ends with and the cards it reported.
    QString sync(const QString& token, CardList* list)
    {
        auto [error, next, truncated] = await<const DavError&, const QString&, bool>(
            [&](auto done) { m_alice.syncCollection(m_book, token, list->sink(), done); });
        [&] {
            QVERIFY2(error.ok(), qPrintable(error.message()));
            QVERIFY(!truncated);
        }();
        return next;
    }

private slots:
    void discoveryFindsTheAddressBook()
    {
        // The server root, the book itself, and a path that leads nowhere, from which the
        // well-known address (a redirect on the same server) finds the book.
        for (const QString& start : {QStringLiteral("/"), QStringLiteral("/alice/contacts/"),
                                     QStringLiteral("/alice/nowhere/")}) {
            DavClient client(davAccount(m_plain.resolved(QUrl(start))));
            DavError error;
            const QList<DavAddressBook> books = discover(client, &error);
            QVERIFY2(error.ok(), qPrintable(error.message()));
            QCOMPARE(books.size(), 1);
            QCOMPARE(books.first().url, m_book);
            QCOMPARE(books.first().displayName, QStringLiteral("Office"));
        }
        auto [error, state] = await<const DavError&, const DavBookState&>(
            [&](auto done) { m_alice.bookState(m_book, done); });
        QVERIFY(error.ok() && state.isAddressBook && !state.syncToken.isEmpty());
    }

    void cardsRoundTripGuardedByEtags()
    {
        const QString etag = put(QStringLiteral("anna.vcf"), vcard("anna", "Anna"), {}, Kind::None);
        QVERIFY(!etag.isEmpty());
        // The name is taken: a second create must not overwrite it.
        put(QStringLiteral("anna.vcf"), vcard("anna", "Other Anna"), {}, Kind::Conflict);

        auto [error, card] = await<const DavError&, const DavCard&>(
            [&](auto done) { m_alice.get(m_book.resolved(QUrl("anna.vcf")), done); });
        QVERIFY(error.ok());
        QCOMPARE(card.etag, etag);
        QVERIFY(card.vcard.contains("FN:Anna\r\n"));

        // Someone else edits it; our write with the old ETag is refused, as is our delete.
        const QString theirs =
            put(QStringLiteral("anna.vcf"), vcard("anna", "Anna B."), etag, Kind::None);
        QVERIFY(!theirs.isEmpty() && theirs != etag);
        put(QStringLiteral("anna.vcf"), vcard("anna", "Anna C."), etag, Kind::Conflict);
        QCOMPARE(remove(QStringLiteral("anna.vcf"), etag).kind, Kind::Conflict);

        CardList fetched;
        auto [multiError] = await<const DavError&>([&](auto done) {
            m_alice.multiget(m_book, {m_book.resolved(QUrl("anna.vcf"))}, fetched.sink(), done);
        });
        QVERIFY(multiError.ok());
        QCOMPARE(fetched.cards.size(), 1);
        QVERIFY(fetched.cards.first().vcard.contains("FN:Anna B."));

        QCOMPARE(remove(QStringLiteral("anna.vcf"), theirs).kind, Kind::None);
        QCOMPARE(remove(QStringLiteral("anna.vcf"), theirs).kind, Kind::NotFound);
    }

    void syncCollectionReportsChangesSinceToken()
    {
        put(QStringLiteral("keep.vcf"), vcard("keep", "Kept"), {}, Kind::None);
        const QString edited =
            put(QStringLiteral("edit.vcf"), vcard("edit", "Before"), {}, Kind::None);
        const QString doomed =
            put(QStringLiteral("drop.vcf"), vcard("drop", "Dropped"), {}, Kind::None);
        CardList initial;
        const QString token = sync({}, &initial);
        QVERIFY(!token.isEmpty());
        QVERIFY(initial.cards.size() >= 3);

        put(QStringLiteral("new.vcf"), vcard("new", "Added"), {}, Kind::None);
        const QString after =
            put(QStringLiteral("edit.vcf"), vcard("edit", "After"), edited, Kind::None);
        QCOMPARE(remove(QStringLiteral("drop.vcf"), doomed).kind, Kind::None);

        CardList changes;
        const QString next = sync(token, &changes);
        QVERIFY(next != token);
        QHash<QString, DavCard> byName;
        for (const DavCard& card : std::as_const(changes.cards))
            byName.insert(card.url.fileName(), card);
        QCOMPARE(byName.keys().size(), 3);
        QVERIFY(!byName.value("new.vcf").deleted);
        QCOMPARE(byName.value("edit.vcf").etag, after);
        QVERIFY(byName.value("drop.vcf").deleted);

        CardList none;
        QCOMPARE(sync(next, &none), next);
        QVERIFY(none.cards.isEmpty());

        // A token the server does not know means: list everything anew.
        auto [gone, unused, cut] = await<const DavError&, const QString&, bool>([&](auto done) {
            m_alice.syncCollection(m_book, token + QStringLiteral("x"), none.sink(), done);
        });
        QCOMPARE(kindName(gone.kind), kindName(Kind::SyncTokenGone));

        CardList listed;
        auto [error] = await<const DavError&>(
            [&](auto done) { m_alice.listCards(m_book, listed.sink(), done); });
        QVERIFY(error.ok());
        // The first listing may name cards deleted earlier; the book holds the others.
        const auto present = std::count_if(initial.cards.cbegin(), initial.cards.cend(),
                                           [](const DavCard& card) { return !card.deleted; });
        QCOMPARE(listed.cards.size(), present);
    }

    void errorsAreToldInWords()
    {
        DavError error;
        DavClient wrong(davAccount(m_plain, QStringLiteral("alice"), QStringLiteral("wrong")));
        discover(wrong, &error);
        QCOMPARE(kindName(error.kind), kindName(Kind::WrongPassword));
        QVERIFY(error.message().contains(QStringLiteral("password")));

        DavClient closed(davAccount(QUrl(QStringLiteral("http://127.0.0.1:1/"))));
        discover(closed, &error);
        QCOMPARE(kindName(error.kind), kindName(Kind::Unreachable));

        // Bob's book is not Alice's to read.
        auto [notHers, state] = await<const DavError&, const DavBookState&>(
            [&](auto done) { m_alice.bookState(m_plain.resolved(QUrl("/bob/contacts/")), done); });
        QVERIFY(!notHers.ok());
        auto [notBook, home] = await<const DavError&, const DavBookState&>(
            [&](auto done) { m_alice.bookState(m_plain.resolved(QUrl("/alice/")), done); });
        QCOMPARE(kindName(notBook.kind), kindName(Kind::NotAddressBook));
    }

    void certificateNeedsConsent()
    {
        const QUrl tls = serverUrl("TELVORA_RADICALE_TLS_URL");
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"x509", "-noout", "-fingerprint", "-sha256", "-in",
                       QString::fromLocal8Bit(qgetenv("TELVORA_RADICALE_CERT"))});
        QVERIFY(openssl.waitForFinished());
        const QByteArray fingerprint =
            openssl.readAllStandardOutput().trimmed().split('=').last().replace(":", "").toLower();
        QCOMPARE(fingerprint.size(), 64);

        DavError error;
        DavClient untrusting(davAccount(tls));
        discover(untrusting, &error);
        QCOMPARE(kindName(error.kind), kindName(Kind::Certificate));
        QCOMPARE(error.certificateFingerprint, fingerprint);

        DavAccount other = davAccount(tls);
        other.acceptedCertificate = QByteArray(64, 'a');
        DavClient changed(other);
        discover(changed, &error);
        QCOMPARE(kindName(error.kind), kindName(Kind::Certificate));

        DavAccount accepted = davAccount(tls);
        accepted.acceptedCertificate = fingerprint;
        DavClient trusting(accepted);
        QCOMPARE(discover(trusting, &error).size(), 1);
        QVERIFY2(error.ok(), qPrintable(error.message()));

        // Set up with HTTPS: a plain HTTP address is refused before anything is sent.
        auto [plain, card] = await<const DavError&, const DavCard&>(
            [&](auto done) { trusting.get(m_book.resolved(QUrl("x.vcf")), done); });
        QCOMPARE(kindName(plain.kind), kindName(Kind::InsecureUrl));
    }

    void hostileServerHurtsNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Kind>("expected");
        QTest::newRow("endless") << "/endless/" << Kind::TooLarge;
        QTest::newRow("deep") << "/deep/" << Kind::BadAnswer;
        QTest::newRow("malformed") << "/malformed/" << Kind::BadAnswer;
        QTest::newRow("entities") << "/entities/" << Kind::BadAnswer;
        QTest::newRow("huge") << "/huge/" << Kind::TooLarge;
        QTest::newRow("other host") << "/away/" << Kind::ForeignRedirect;
    }

    void hostileServerHurtsNothing()
    {
        QFETCH(QString, path);
        QFETCH(Kind, expected);
        const QUrl hostile = serverUrl("TELVORA_HOSTILE_URL");
        DavClient client(davAccount(hostile));
        DavClient::Limits limits;
        limits.maxXmlBytes = 4 * 1024 * 1024;
        client.setLimits(limits);
        CardList cards;
        DavError error;
        if (path == QLatin1String("/huge/")) {
            // A card read is capped lower than a listing.
            error = std::get<0>(await<const DavError&, const DavCard&>(
                [&](auto done) { client.get(hostile.resolved(QUrl(path)), done); }));
        } else {
            error = std::get<0>(await<const DavError&, const QString&, bool>([&](auto done) {
                client.syncCollection(hostile.resolved(QUrl(path)), {}, cards.sink(), done);
            }));
        }
        QCOMPARE(kindName(error.kind), kindName(expected));
        QVERIFY(!error.message().isEmpty());
        if (expected == Kind::ForeignRedirect) {
            QCOMPARE(error.target.host(), QStringLiteral("127.0.0.2"));
            auto [leakError, leaked] = await<const DavError&, const DavCard&>(
                [&](auto done) { client.get(hostile.resolved(QUrl("/leaked")), done); });
            QCOMPARE(leaked.vcard, QByteArray("0"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDavClient)
#include "tst_dav_client.moc"
