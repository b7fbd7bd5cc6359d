#include "contacts/ContactImport.h"
#include "support/BookContents.h"
#include "support/DavServers.h"
#include "support/ScriptedPrompt.h"
#include "support/SyncedBook.h"
#include "sync/SyncService.h"

#include <QBuffer>
#include <QSqlQuery>
#include <QtTest>

using namespace telvora;
using namespace telvora::test;

class TestSync : public QObject
{
    Q_OBJECT

    QUrl m_server = serverUrl("TELVORA_RADICALE_URL");
    QUrl m_book = m_server.resolved(QUrl(QStringLiteral("/alice/contacts/")));
    DavClient m_other{davAccount(m_server)}; // "another client" of the same address book

    // The address book's cards, as another client lists them.
    QList<DavCard> cards()
    {
        CardList list;
        auto [error] = await<const DavError&>(
            [&](auto done) { m_other.listCards(m_book, list.sink(), done); });
        [&] {
            QVERIFY2(error.ok(), qPrintable(error.message()));
        }();
        return list.cards;
    }

    void removeOnServer(const DavCard& card)
    {
        auto [error] =
            await<const DavError&>([&](auto done) { m_other.remove(card.url, card.etag, done); });
        QVERIFY2(error.ok(), qPrintable(error.message()));
    }

    static void synced(SyncedBook& copy)
    {
        const SyncReport report = copy.sync();
        QVERIFY2(report.ok(), qPrintable(report.error.message()));
    }

    static qint64 nameId(PhoneBook& book, const QString& name)
    {
        for (const ListRow& row : book.topLevelNames())
            if (row.text == name)
                return row.id;
        return 0;
    }

private slots:
    void init()
    {
        for (const DavCard& card : cards())
            removeOnServer(card);
    }

    void twoFoldersSeeEachOthersChanges()
    {
        SyncedBook first(davAccount(m_server), m_book), second(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        synced(second);
        QCOMPARE(bookContents(second.book), bookContents(first.book));

        // Edits, an add and a delete the other way round.
        const qint64 omega = nameId(second.book, QStringLiteral("Ωmega"));
        QVERIFY(second.book.renameName(omega, QStringLiteral("Omega")) == 1);
        QVERIFY(second.book.updateNameColumns(omega, {{QStringLiteral("Notes"), {}}}));
        QVERIFY(second.book.deleteNameTree(
                    nameId(second.book, QStringLiteral("No group, no card"))) == 1);
        QVERIFY(second.book.addName(QStringLiteral("Newcomer"), 0, 0) > 0);
        synced(second);
        synced(first);
        QCOMPARE(bookContents(first.book), bookContents(second.book));
        QCOMPARE(first.engine.pendingChanges(), 0);
    }

    void bothSidesEditedKeepsBoth()
    {
        SyncedBook first(davAccount(m_server), m_book), second(davAccount(m_server), m_book);
        const qint64 ann = first.book.addName(QStringLiteral("Miller, Ann"), 0, 0);
        QVERIFY(first.book.addNumber(QStringLiteral("030 1"), ann, QStringLiteral("Phone")) > 0);
        synced(first);
        synced(second);
        QVERIFY(first.book.updateNameColumns(
            ann, {{QStringLiteral("Company"), QStringLiteral("First Inc")}}));
        const qint64 hers = nameId(second.book, QStringLiteral("Miller, Ann"));
        QVERIFY(second.book.updateNameColumns(
            hers, {{QStringLiteral("Company"), QStringLiteral("Second Ltd")}}));
        synced(first);
        const SyncReport report = second.sync();
        QVERIFY(report.ok());
        QCOMPARE(report.conflicts.size(), 1);
        synced(first);
        const QStringList lines = bookContents(first.book);
        QCOMPARE(lines, bookContents(second.book));
        QCOMPARE(lines.filter(QStringLiteral("Miller, Ann")).size(), 2);
        QCOMPARE(lines.filter(QStringLiteral("First Inc")).size(), 1);
        QCOMPARE(
            lines.filter(QStringLiteral("Second Ltd")).filter(QStringLiteral("Conflict")).size(),
            1);
    }

    void serverStoppedMidSyncLosesNothing()
    {
        // Cut off at every stage: the listing, the fetch, and among the writes; before a
        // request arrives, or after it did but before its answer came back.
        for (const auto& [cutAfter, answerLost] : {std::pair(0, false),
                                                   {1, false},
                                                   {2, false},
                                                   {5, false},
                                                   {0, true},
                                                   {1, true},
                                                   {2, true},
                                                   {5, true}}) {
            init();
            CuttingProxy proxy(m_server);
            const QUrl book = proxy.url().resolved(QUrl(QStringLiteral("/alice/contacts/")));
            SyncedBook first(davAccount(proxy.url()), book), second(davAccount(proxy.url()), book);
            fillRichBook(first.book);
            synced(first);
            for (int i = 0; i < 6; ++i)
                QVERIFY(second.book.addName(QStringLiteral("Offline %1").arg(i), 0, 0) > 0);
            proxy.cutAfter(cutAfter, answerLost);
            QCOMPARE(second.sync().error.kind, DavError::Kind::Unreachable);
            proxy.resume();
            synced(second);
            synced(first);
            QCOMPARE(bookContents(first.book), bookContents(second.book));
            QCOMPARE(bookContents(first.book).size(), 6 + 8);
        }
    }

    void subNamesFiledBeforeTheirParentsKeepTheirLinks()
    {
        // One card a batch, so that a sub-name is often filed before its parent, and a sync
        // cut off after each batch in turn, the names it filed then edited here.
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        const QStringList expected = bookContents(first.book);
        for (int batches = 0; batches <= 6; ++batches) {
            CuttingProxy proxy(m_server);
            SyncedBook second(davAccount(proxy.url()),
                              proxy.url().resolved(QUrl(QStringLiteral("/alice/contacts/"))));
            second.engine.setFilingBatch(1);
            proxy.cutAfter(1 + batches, false);
            second.sync();
            // Edited here before the sync is done: the edits go out, and are no conflicts.
            const QString edit = QStringLiteral("Company=Edited %1 ").arg(batches);
            const QList<qint64> filed = SyncCards(second.book).nameIds();
            for (const qint64 id : filed)
                QVERIFY(
                    second.book.updateNameColumns(id, {{QStringLiteral("Company"), edit.mid(8)}}));
            proxy.resume();
            const SyncReport report = second.sync();
            QVERIFY2(report.ok(), qPrintable(report.error.message()));
            QCOMPARE(report.conflicts, QStringList());
            synced(first);
            QCOMPARE(bookContents(second.book), bookContents(first.book));
            QCOMPARE(bookContents(first.book).filter(edit).size(), filed.size());
        }
    }

    void unknownPropertiesSurviveOurEdit()
    {
        const QByteArray foreign = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:other-1\r\nFN:Kim Lee\r\n"
                                   "N:Lee;Kim;;;\r\nTEL;TYPE=CELL:0170 1\r\n"
                                   "X-OTHER-APP;X-K=1:kept as it was\r\n"
                                   "item1.X-ABLABEL:assistant\r\nEND:VCARD\r\n";
        const QUrl url = m_book.resolved(QUrl(QStringLiteral("other-1.vcf")));
        auto [put, etag] = await<const DavError&, const QString&>(
            [&](auto done) { m_other.put(url, foreign, {}, done); });
        QVERIFY(put.ok());
        SyncedBook mine(davAccount(m_server), m_book);
        synced(mine);
        const qint64 kim = nameId(mine.book, QStringLiteral("Lee, Kim"));
        QVERIFY(mine.book.addNumber(QStringLiteral("030 2"), kim, QStringLiteral("Home")) > 0);
        synced(mine);
        auto [got, card] =
            await<const DavError&, const DavCard&>([&](auto done) { m_other.get(url, done); });
        QVERIFY(got.ok());
        QVERIFY2(card.vcard.contains("X-OTHER-APP;X-K=1:kept as it was\r\n"),
                 card.vcard.constData());
        QVERIFY2(card.vcard.contains("item1.X-ABLABEL:assistant\r\n"), card.vcard.constData());
        QVERIFY2(card.vcard.contains("030 2"), card.vcard.constData());
        QCOMPARE(card.vcard.count("BEGIN:VCARD"), 1);
    }

    void cardsTheBookRefusesAreSkipped()
    {
        const QByteArray nameless = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:nameless\r\nFN:\r\n"
                                    "N:;;;;\r\nNOTE:only a note\r\nEND:VCARD\r\n";
        auto [put, etag] = await<const DavError&, const QString&>([&](auto done) {
            m_other.put(m_book.resolved(QUrl(QStringLiteral("nameless.vcf"))), nameless, {}, done);
        });
        QVERIFY2(put.ok(), qPrintable(put.message()));
        SyncedBook first(davAccount(m_server), m_book);
        first.book.addName(QStringLiteral("Kept"), 0, 0);
        const SyncReport report = first.sync();
        QVERIFY(report.ok());
        QCOMPARE(report.skipped.size(), 1);
        QVERIFY(report.skipped.first().contains(QLatin1String("nameless.vcf")));
        QCOMPARE(cards().size(), 2);
    }

    // Half the shared names gone at once stops the sync with nothing changed here, until
    // the user decides; the decision holds only for the names it was made for.
    void massDeletionOnTheServerWaitsForTheUser()
    {
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        const QStringList before = bookContents(first.book);
        const QList<DavCard> all = cards();
        for (const DavCard& card : all.mid(0, 4))
            removeOnServer(card);
        SyncReport report = first.sync();
        QCOMPARE(report.error.kind, DavError::Kind::SuspectDeletion);
        QCOMPARE(report.error.deletions, 4);
        QCOMPARE(bookContents(first.book), before);
        first.engine.decideDeletions(false); // keep them: they go back to the server
        synced(first);
        QCOMPARE(bookContents(first.book), before);
        QCOMPARE(cards().size(), all.size());

        const QList<DavCard> back = cards();
        for (const DavCard& card : back.mid(0, 4))
            removeOnServer(card);
        QCOMPARE(first.sync().error.kind, DavError::Kind::SuspectDeletion);
        first.engine.decideDeletions(true);
        removeOnServer(back.at(4)); // one more gone than was agreed to
        QCOMPARE(first.sync().error.kind, DavError::Kind::SuspectDeletion);
        QCOMPARE(bookContents(first.book), before);
        first.engine.decideDeletions(true);
        synced(first);
        QCOMPARE(SyncCards(first.book).nameIds().size(), all.size() - 5);
    }

    // A sync of the background never opens the question itself: it waits until the user
    // asks for it, and the answer then goes on with the sync.
    void backgroundSyncLeavesTheDeletionQuestionWaiting()
    {
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        for (const DavCard& card : cards().mid(0, 4))
            removeOnServer(card);
        ScriptedPrompt prompt;
        SyncService service(first.book, prompt);
        service.configure(
            {m_server, QStringLiteral("alice"), QStringLiteral("secret"), m_book, {}});
        QTRY_VERIFY_WITH_TIMEOUT(service.hasQuestion(), 30000);
        QCOMPARE(prompt.asked.size(), 0);
        QVERIFY2(service.statusText().contains(QLatin1String("4 of the 6")),
                 qPrintable(service.statusText()));
        prompt.messageAnswers << Prompt::Answer::Yes;
        QSignalSpy synced(&service.engine(), &SyncEngine::finished);
        service.answerQuestion();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(synced.wait(30000));
        QVERIFY(service.engine().lastReport().ok());
        QCOMPARE(SyncCards(first.book).nameIds().size(), qsizetype(2));
    }

    void badRowsInTheFileAreLeftAlone()
    {
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        const QStringList before = bookContents(first.book);
        QSqlQuery query(first.book.database());
        const qint64 omega = nameId(first.book, QStringLiteral("Ωmega"));
        // A card elsewhere, a name that is no id, a second row for one name.
        for (const QString& row : {QStringLiteral("'http://127.0.0.1:8080/x.vcf', 9999, 'e', 'u', "
                                                  "x'00', 'BEGIN:VCARD'"),
                                   QStringLiteral("'/alice/contacts/n.vcf', 'one', 1, 2, 3, 4"),
                                   QStringLiteral("'/alice/contacts/d.vcf', %1, 'e', 'u', 0, 0")})
            QVERIFY(query.exec(
                QStringLiteral("INSERT INTO sync_items VALUES (%1)")
                    .arg(QString(row).replace(QLatin1String("%1"), QString::number(omega)))));
        synced(first);
        QCOMPARE(bookContents(first.book), before);
        QCOMPARE(cards().size(), qsizetype(6));

        // Tables of another shape are not ours to use, nor to drop.
        QVERIFY(query.exec(QStringLiteral("DROP TABLE sync_items")));
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE sync_items (href TEXT)")));
        QCOMPARE(first.sync().error.kind, DavError::Kind::Book);
        QCOMPARE(bookContents(first.book), before);
    }

    // Only names changed since the last sync are looked at, however they changed: by another
    // program on the same file, or by renaming their group.
    void changesAreSeenWhoeverMakesThem()
    {
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        QCOMPARE(first.engine.pendingChanges(), 0);
        PhoneBook other; // a connection of its own, as the command-line import has
        QCOMPARE(other.open(first.book.filePath()), PhoneBook::State::Opened);
        QBuffer file;
        file.setData("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Imported One\r\nN:One;Imported;;;\r\n"
                     "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Imported Two\r\n"
                     "N:Two;Imported;;;\r\nTEL:030 9\r\nEND:VCARD\r\n");
        QVERIFY(file.open(QIODevice::ReadOnly));
        ContactImport import(other);
        QVERIFY2(import.importVCard(file), qPrintable(import.errorText()));
        QCOMPARE(first.engine.pendingChanges(), 2);
        const ListRows groups = first.book.groups();
        const auto family = std::find_if(groups.cbegin(), groups.cend(), [](const ListRow& row) {
            return row.text.startsWith(QLatin1String("Familie"));
        });
        QCOMPARE(first.book.renameGroup(family->id, QStringLiteral("Familie Schmidt")), 1);
        QCOMPARE(first.engine.pendingChanges(), 4);
        // Keyed again for another language: no card changes, so no name is marked to be
        // looked at again.
        QSqlQuery rekey(other.database());
        const auto marked = [&rekey] {
            const int count =
                rekey.exec(QStringLiteral("SELECT count(*) FROM sync_changed")) && rekey.next()
                    ? rekey.value(0).toInt()
                    : -1;
            rekey.finish(); // holding the read would keep the other connection from writing
            return count;
        };
        const int before = marked();
        QVERIFY(rekey.exec(QStringLiteral("UPDATE names SET sortkey = x'00' || sortkey")));
        QCOMPARE(marked(), before);
        QCOMPARE(first.engine.pendingChanges(), 4);
        synced(first);
        QCOMPARE(first.engine.pendingChanges(), 0);
        SyncedBook second(davAccount(m_server), m_book);
        synced(second);
        QCOMPARE(bookContents(second.book), bookContents(first.book));
    }

    // A file whose marks another program dropped, replaced or reshaped still has every
    // change counted and sent, and its names can still be changed.
    void marksSurviveAnOlderOrHostileFile()
    {
        SyncedBook first(davAccount(m_server), m_book);
        fillRichBook(first.book);
        synced(first);
        QSqlQuery query(first.book.database());
        QVERIFY(query.exec(QStringLiteral("DROP TRIGGER sync_mark_name_update")));
        QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER sync_mark_name_update AFTER UPDATE ON"
                                          " names BEGIN SELECT 1; END")));
        QVERIFY(query.exec(QStringLiteral("UPDATE names SET Company = 'Changed' WHERE id = %1")
                               .arg(nameId(first.book, QStringLiteral("Ωmega")))));
        QCOMPARE(first.engine.pendingChanges(), 1);
        QVERIFY(query.exec(QStringLiteral("DROP TABLE sync_changed")));
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE sync_changed (name TEXT, why TEXT)")));
        QCOMPARE(first.engine.pendingChanges(), 1);
        QCOMPARE(first.book.renameName(nameId(first.book, QStringLiteral("Only numbers")),
                                       QStringLiteral("Numbers only")),
                 1);
        QCOMPARE(first.engine.pendingChanges(), 2);
        synced(first);
        QCOMPARE(first.engine.pendingChanges(), 0);
        SyncedBook second(davAccount(m_server), m_book);
        synced(second);
        QCOMPARE(bookContents(second.book), bookContents(first.book));
    }

    void wrongPasswordIsTold()
    {
        SyncedBook first(davAccount(m_server, QStringLiteral("alice"), QStringLiteral("wrong")),
                         m_book);
        QCOMPARE(first.sync().error.kind, DavError::Kind::WrongPassword);
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
