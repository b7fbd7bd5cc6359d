// Edits a phone book without end, in a seeded random mix, and tells each edit before
// and after it is made, so a test can kill it at any moment and check that every edit
// reported done is in the file and nothing else changed.
//
//   BEGIN <id>            the edit touching name <id> (or a new name) starts
//   NAME <id> <text>      name <id> now reads <text> (added or renamed)
//   GONE <id> <id>...     these names (a name and everything below it) are deleted
//   NUMBER <id> <count>   name <id> now has <count> numbers
//   LOGGING 1             an attempt goes into the call log
//   LOGGED <count>        the call log now has <count> rows
#include "store/CallLog.h"
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <cstdio>

using telvora::PhoneBook;

namespace {

void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

qint64 anyName(PhoneBook& book, QRandomGenerator& random)
{
    QSqlQuery query(book.database());
    query.exec(QStringLiteral("SELECT id FROM names ORDER BY random() LIMIT 1"));
    Q_UNUSED(random);
    return query.next() ? query.value(0).toLongLong() : 0;
}

int numberCount(PhoneBook& book, qint64 id)
{
    QSqlQuery query(book.database());
    query.prepare(QStringLiteral("SELECT count(*) FROM numbers WHERE parent = ?"));
    query.addBindValue(id);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    PhoneBook book;
    book.open(QString::fromLocal8Bit(argv[1]));
    if (!book.isWritable())
        return 3;
    QRandomGenerator random(quint32(QByteArray(argv[2]).toUInt()));
    telvora::CallLog log(book);
    qint64 logged = 0;
    {
        QSqlQuery count(book.database());
        if (!count.exec(QStringLiteral("SELECT count(*) FROM CallLog")) || !count.next())
            return 3;
        logged = count.value(0).toLongLong();
    }
    const QStringList words{QStringLiteral("O'Brien"), QStringLiteral("Ζωή"),
                            QStringLiteral("李"),      QStringLiteral("100%_x"),
                            QStringLiteral("Ann"),     QStringLiteral("مريم")};
    for (int step = 0;; ++step) {
        const QString text = words[random.bounded(int(words.size()))] + QString::number(step);
        const int choice = random.bounded(12);
        if (choice >= 10) {
            telvora::CallRecord record;
            record.started = QDateTime::currentDateTimeUtc();
            record.ended = record.started;
            record.number = text;
            record.line = QStringLiteral("soak");
            record.attempt = 1;
            record.attempts = 1;
            record.outcome = QStringLiteral("busy");
            say(QStringLiteral("LOGGING 1"));
            if (!log.add(record))
                return 4;
            say(QStringLiteral("LOGGED %1").arg(++logged));
        } else if (choice < 4) {
            const qint64 parent = random.bounded(3) == 0 ? anyName(book, random) : 0;
            say(QStringLiteral("BEGIN 0"));
            const qint64 id = book.addName(text, parent, 0);
            if (id == 0)
                return 4;
            say(QStringLiteral("NAME %1 %2").arg(id).arg(text));
        } else if (const qint64 id = anyName(book, random); id == 0) {
            continue;
        } else if (choice < 6) {
            say(QStringLiteral("BEGIN %1").arg(id));
            if (book.renameName(id, text) < 0)
                return 4;
            say(QStringLiteral("NAME %1 %2").arg(id).arg(text));
        } else if (choice < 8) {
            say(QStringLiteral("BEGIN %1").arg(id));
            if (book.addNumber(text, id, QStringLiteral("Phone")) == 0)
                return 4;
            say(QStringLiteral("NUMBER %1 %2").arg(id).arg(numberCount(book, id)));
        } else {
            // A whole branch: its sub-names are uncertain until the delete is reported.
            QSqlQuery below(book.database());
            below.prepare(QStringLiteral("WITH RECURSIVE tree(id) AS (SELECT ? UNION SELECT "
                                         "names.id FROM names JOIN tree ON names.parent = "
                                         "tree.id) SELECT id FROM tree"));
            below.addBindValue(id);
            below.exec();
            QStringList ids;
            while (below.next())
                ids << below.value(0).toString();
            say(QStringLiteral("BEGIN ") + ids.join(QLatin1Char(' ')));
            if (book.deleteNameTree(id) < 0)
                return 4;
            // One line, one write: a kill between lines would report half a delete that
            // the file holds whole.
            say(QStringLiteral("GONE ") + ids.join(QLatin1Char(' ')));
        }
    }
}
