#include "support/BookContents.h"
#include "support/DavServers.h"
#include "support/SyncedBook.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QtTest>

using namespace telvora;
using namespace telvora::test;

// Kills a program in the middle of its syncs, again and again: the phone book file stays
// sound, and once a sync runs to its end the server and the book hold the same names, none
// twice. TELVORA_SOAK_KILLS sets the number of kills.
class TestSyncSoak : public QObject
{
    Q_OBJECT

private slots:
    void killedSyncLosesNothing()
    {
        const QUrl server = serverUrl("TELVORA_RADICALE_URL");
        const QUrl book = server.resolved(QUrl(QStringLiteral("/alice/contacts/")));
        const int kills = qEnvironmentVariableIntValue("TELVORA_SOAK_KILLS") > 0
                              ? qEnvironmentVariableIntValue("TELVORA_SOAK_KILLS")
                              : 12;
        SyncedBook killed(davAccount(server), book);
        const QString file = killed.book.filePath();
        for (int round = 0; round < kills; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(SYNC_SOAK_WRITER), {file, server.toString()});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(100 + QRandomGenerator::global()->bounded(900));
            writer.kill();
            writer.waitForFinished();
            QSqlQuery check(killed.book.database());
            QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
            QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        }
        const SyncReport last = killed.sync();
        QVERIFY2(last.ok(), qPrintable(last.error.message()));
        SyncedBook fresh(davAccount(server), book);
        QVERIFY(fresh.sync().ok());
        const QStringList names = bookContents(killed.book);
        QCOMPARE(bookContents(fresh.book), names);
        QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
        QVERIFY(names.size() >= kills);
    }
};

QTEST_GUILESS_MAIN(TestSyncSoak)
#include "tst_sync_soak.moc"
