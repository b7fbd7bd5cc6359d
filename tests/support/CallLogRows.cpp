#include "support/CallLogRows.h"

#include "store/PhoneBook.h"

#include <QSqlQuery>
#include <QTest>

namespace telvora::test {

CallRecord attemptOf(const QString& number, const QString& outcome, int attempt, int attempts,
                     qint64 nameId, qint64 secondsAgo)
{
    CallRecord record;
    record.started = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo);
    record.ended = record.started.addSecs(5);
    record.number = number;
    record.nameId = nameId;
    record.line = QStringLiteral("Line 1");
    record.attempt = attempt;
    record.attempts = attempts;
    record.outcome = outcome;
    record.talkSeconds = outcome == QLatin1String(outcome::kAnswered) ? 5 : 0;
    return record;
}

QStringList logRows(PhoneBook& book)
{
    QStringList rows;
    QSqlQuery query(book.database());
    query.exec(QStringLiteral(
        "SELECT number, outcome, attempt, attempts, talk_seconds FROM CallLog ORDER BY id"));
    while (query.next()) {
        rows << QStringLiteral("%1 %2 %3/%4 %5")
                    .arg(query.value(0).toString(), query.value(1).toString())
                    .arg(query.value(2).toLongLong())
                    .arg(query.value(3).toLongLong())
                    .arg(query.value(4).toLongLong());
    }
    return rows;
}

void fillLog(PhoneBook& book, int count)
{
    QSqlDatabase db = book.database();
    QVERIFY(db.transaction());
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO CallLog (started, ended, number, name_id, line, attempt, attempts, outcome, "
        "talk_seconds) VALUES (?, ?, ?, 0, 'Line 1', ?, ?, ?, 0)"));
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-count * 60);
    for (int i = 0; i < count; ++i) {
        const QString time = CallLog::timeText(start.addSecs(i * 60));
        // Rows 0, 1, 2 of every seven are one run of three attempts.
        const bool inRun = i % 7 < 3;
        insert.addBindValue(time);
        insert.addBindValue(time);
        insert.addBindValue(QString::number(i));
        insert.addBindValue(inRun ? i % 7 + 1 : 1);
        insert.addBindValue(inRun ? 3 : 1);
        insert.addBindValue(QStringLiteral("busy"));
        QVERIFY(insert.exec());
    }
    QVERIFY(db.commit());
}

} // namespace telvora::test
