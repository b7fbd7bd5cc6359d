// The call log's table in the phone book file: written one attempt at a time, read a page
// at a time whatever another program left in it, trimmed by age, and never losing an
// attempt to a file that is busy for a moment.
#include "store/CallLog.h"
#include "store/PhoneBook.h"
#include "support/CallLogRows.h"
#include "support/SampleBook.h"
#include "support/TestHome.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

QStringList numbersOf(const CallRecords& records)
{
    QStringList numbers;
    for (const CallRecord& record : records)
        numbers << record.number;
    return numbers;
}

} // namespace

class CallLogTest : public QObject
{
    Q_OBJECT

private slots:
    void attemptsGoInAndComeBackNewestFirst()
    {
        TestHome home;
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Created);
        const qint64 ann = book.addName(QStringLiteral("Ann"), 0, 0);
        CallLog log(book);
        CallRecord first = attemptOf(QStringLiteral("0301"), QStringLiteral("busy"), 1, 2, ann);
        first.started = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 5), Qt::UTC);
        QVERIFY(log.add(first));
        QVERIFY(log.add(attemptOf(QStringLiteral("0301"), QStringLiteral("answered"), 2, 2, ann)));
        QCOMPARE(logRows(book), (QStringList{QStringLiteral("0301 busy 1/2 0"),
                                             QStringLiteral("0301 answered 2/2 5")}));
        // Times are kept as ISO 8601 text in UTC.
        QCOMPARE(scalar(book, QStringLiteral("SELECT started FROM CallLog ORDER BY id LIMIT 1")),
                 QVariant(QStringLiteral("2026-03-01T10:00:05Z")));

        const CallRecords page = log.page({}, std::nullopt, 10);
        QCOMPARE(page.size(), 2);
        QCOMPARE(page[0].outcome, QStringLiteral("answered"));
        QCOMPARE(page[0].name, QStringLiteral("Ann"));
        QCOMPARE(page[1].started, first.started);
        QCOMPARE(log.lastCallOf(ann)->outcome, QStringLiteral("answered"));
        {
            // The card's last call, asked at every click, holds no read of the file open:
            // another program writes at once.
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            other.setDatabaseName(book.filePath());
            other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("INSERT INTO SpeedDials VALUES (1, 2)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));

        // A deleted name leaves its calls, which then show the number alone.
        QVERIFY(book.deleteNameTree(ann) > 0);
        QCOMPARE(log.page({}, std::nullopt, 10).value(0).name, QString());
        QCOMPARE(log.page({}, std::nullopt, 10).size(), 2);
    }

    void olderFilesGainTheTable()
    {
        TestHome home;
        writeRawBook(looseTables() << QStringLiteral("CREATE TABLE CallLog (id INTEGER PRIMARY "
                                                     "KEY, number TEXT)")
                                   << QStringLiteral("INSERT INTO CallLog (number) VALUES ('7')"));
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        CallLog log(book);
        QVERIFY(log.add(attemptOf(QStringLiteral("8"), QStringLiteral("busy"))));
        QCOMPARE(logRows(book),
                 (QStringList{QStringLiteral("7  0/0 0"), QStringLiteral("8 busy 1/1 0")}));
    }

    // Whatever another program wrote reads as something sensible, and nothing crashes.
    void hostileRowsReadSafely()
    {
        TestHome home;
        {
            PhoneBook create;
            create.open(QStringLiteral("data.mdb"));
        }
        writeRawBook({QStringLiteral(
            "INSERT INTO CallLog (started, ended, number, name_id, line, attempt, attempts, "
            "outcome, talk_seconds) VALUES "
            "(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
            "('yesterday', x'00ff', 12345, 'Ann', zeroblob(10), 2.5, 'three', 99, -7),"
            "('9999-13-45T99:00:00Z', '', hex(zeroblob(500000)), 9223372036854775807, "
            "'L', 9223372036854775807, -9223372036854775807, 'busy', 'long')")});
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        CallLog log(book);
        const CallRecords rows = log.page({}, std::nullopt, 10);
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[0].cut);
        QCOMPARE(rows[0].number.size(), CallLog::kShownLimit);
        QVERIFY(!rows[0].started.isValid());
        QCOMPARE(rows[0].attempts, std::numeric_limits<int>::min());
        QCOMPARE(rows[1].number, QStringLiteral("12345"));
        QCOMPARE(rows[1].line, QString());
        QCOMPARE(rows[1].attempt, 0);
        QCOMPARE(rows[1].talkSeconds, qint64(0));
        QCOMPARE(rows[2].number, QString());
        QVERIFY(!rows[2].cut);
        // Rows it cannot date are never taken for old ones.
        QCOMPARE(log.removeOlderThan(1), 0);
        QCOMPARE(log.page({}, std::nullopt, 10).size(), 3);
    }

    void pagesFiltersAndRemoval()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 bob = book.addName(QStringLiteral("Bob_%"), 0, 0);
        fillLog(book, 600);
        CallLog log(book);
        QVERIFY(log.add(attemptOf(QStringLiteral("777"), QStringLiteral("answered"), 1, 1, bob)));
        const CallRecords first = log.page({}, std::nullopt, 256);
        QCOMPARE(first.size(), 256);
        QCOMPARE(first[1].number, QStringLiteral("599"));
        const CallRecords second = log.page({}, first.last().id, 256);
        QCOMPARE(second.first().number, QString::number(599 - 255));
        // The text is matched as typed, wildcards and all, in name, number and line.
        QCOMPARE(numbersOf(log.page({QStringLiteral("b_%"), {}}, std::nullopt, 10)),
                 QStringList{QStringLiteral("777")});
        QCOMPARE(
            numbersOf(log.page({QStringLiteral("59"), QStringLiteral("busy")}, std::nullopt, 10))
                .size(),
            10);
        QCOMPARE(log.page({{}, QStringLiteral("answered")}, std::nullopt, 10).size(), 1);

        QCOMPARE(log.remove({first[0].id, first[1].id}), 2);
        QCOMPARE(log.page({}, std::nullopt, 1).value(0).number, QStringLiteral("598"));
        // Rows of the last ten days stay; the rest of the 600 minutes do too.
        QCOMPARE(log.removeOlderThan(10), 0);
        QCOMPARE(log.removeOlderThan(0), 0);
        QCOMPARE(log.clear(), 599);
    }

    void retentionRemovesOnlyOldRows()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        CallLog log(book);
        QVERIFY(log.add(
            attemptOf(QStringLiteral("old"), QStringLiteral("busy"), 1, 1, 0, 400LL * 24 * 3600)));
        QVERIFY(log.add(attemptOf(QStringLiteral("new"), QStringLiteral("busy"))));
        QCOMPARE(log.removeOlderThan(365), 1);
        QCOMPARE(logRows(book), QStringList{QStringLiteral("new busy 1/1 0")});
    }

    // A file locked by another program keeps the attempt waiting, not lost.
    void aLockedFileKeepsTheAttemptForLater()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        CallLog log(book);
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(QStringLiteral("data.mdb"));
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
            QVERIFY(!log.add(attemptOf(QStringLiteral("1"), QStringLiteral("busy"))));
            QCOMPARE(log.pendingCount(), 1);
            QVERIFY(!log.errorText().isEmpty());
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QVERIFY(log.add(attemptOf(QStringLiteral("2"), QStringLiteral("busy"))));
        QCOMPARE(log.pendingCount(), 0);
        QCOMPARE(logRows(book),
                 (QStringList{QStringLiteral("1 busy 1/1 0"), QStringLiteral("2 busy 1/1 0")}));
    }
};

QTEST_MAIN(CallLogTest)
#include "tst_calllog.moc"
