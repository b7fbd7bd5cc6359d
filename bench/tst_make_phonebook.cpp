#include "store/PhoneBook.h"
#include "store/Schema.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace telvora;

namespace {

QVariant scalar(PhoneBook& book, const QString& statement)
{
    QSqlQuery query(book.database());
    if (!query.exec(statement) || !query.next())
        return {};
    return query.value(0);
}

// Every row of the three tables, in id order, as one text to compare books by.
QString dump(PhoneBook& book)
{
    QString text;
    for (const char* statement :
         {"SELECT id, name, parent, \"group\", FullName, Company, Email, Notes FROM names"
          " ORDER BY id",
          "SELECT id, name, parent, type FROM numbers ORDER BY id",
          "SELECT id, name FROM groups ORDER BY id", "SELECT Name, Number FROM SpeedDials"}) {
        QSqlQuery query(book.database());
        query.exec(QLatin1String(statement));
        while (query.next()) {
            for (int i = 0; i < 8 && query.value(i).isValid(); ++i)
                text += query.value(i).toString() + QLatin1Char('|');
            text += QLatin1Char('\n');
        }
    }
    return text;
}

} // namespace

class MakePhoneBookTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString make(const QString& name, int names, int seed)
    {
        const QString file = m_dir.filePath(name);
        QProcess process;
        process.start(QStringLiteral(MAKE_PHONEBOOK),
                      {file, QString::number(names), QString::number(seed)});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return {};
        return file;
    }

private slots:
    void writesABookOfTheAskedSizeThatTheProgramOpens()
    {
        const QString file = make(QStringLiteral("book.mdb"), 2000, 3);
        QVERIFY(!file.isEmpty());
        PhoneBook book;
        QCOMPARE(book.open(file), PhoneBook::State::Opened);

        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM names")).toInt(), 2000);
        const int numbers = scalar(book, QStringLiteral("SELECT count(*) FROM numbers")).toInt();
        QVERIFY2(numbers > 2000 * 2.7 && numbers < 2000 * 3.3,
                 qPrintable(QString::number(numbers)));
        for (const QString& kind : schema::numberKinds()) {
            QVERIFY(
                scalar(book,
                       QStringLiteral("SELECT count(*) FROM numbers WHERE type = '%1'").arg(kind))
                    .toInt() > numbers / 8);
        }
        QVERIFY(book.groups().size() >= 8);
        QVERIFY(scalar(book, QStringLiteral("SELECT count(*) FROM SpeedDials")).toInt() > 0);

        // Sub-names hang under names that exist, in their owner's group.
        const int subs =
            scalar(book, QStringLiteral("SELECT count(*) FROM names WHERE parent <> 0")).toInt();
        QVERIFY(subs > 100 && subs < 600);
        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM names AS s JOIN names AS p"
                                             " ON s.parent = p.id AND s.\"group\" = p.\"group\""))
                     .toInt(),
                 subs);
        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM numbers WHERE parent NOT IN"
                                             " (SELECT id FROM names)"))
                     .toInt(),
                 0);
        QVERIFY(!book.topLevelNamesWithoutGroup().isEmpty());
    }

    void namesComeInManyScripts()
    {
        const QString file = make(QStringLiteral("scripts.mdb"), 1000, 5);
        QVERIFY(!file.isEmpty());
        PhoneBook book;
        QCOMPARE(book.open(file), PhoneBook::State::Opened);
        QStringList names;
        for (const ListRow& row : book.topLevelNames())
            names << row.text;
        const QString all = names.join(QLatin1Char('\n'));
        for (const char* pattern : {"[ąćęłńóśźż]", "[äöüß]", "[éèêëçîïôœû]", "\\p{Greek}",
                                    "\\p{Cyrillic}", "\\p{Han}", "\\p{Arabic}", "[A-Za-z]"}) {
            QVERIFY2(all.contains(QRegularExpression(QString::fromUtf8(pattern))), pattern);
        }
    }

    void theSameSeedGivesTheSameBook()
    {
        const QString first = make(QStringLiteral("first.mdb"), 500, 11);
        const QString second = make(QStringLiteral("second.mdb"), 500, 11);
        const QString other = make(QStringLiteral("other.mdb"), 500, 12);
        QVERIFY(!first.isEmpty() && !second.isEmpty() && !other.isEmpty());
        PhoneBook a, b, c;
        a.open(first);
        b.open(second);
        c.open(other);
        QCOMPARE(dump(a), dump(b));
        QVERIFY(dump(a) != dump(c));
    }

    void anExistingFileIsLeftAlone()
    {
        const QString file = m_dir.filePath(QStringLiteral("taken.mdb"));
        {
            QFile taken(file);
            QVERIFY(taken.open(QIODevice::WriteOnly));
            taken.write("not a phone book");
        }
        QProcess process;
        process.start(QStringLiteral(MAKE_PHONEBOOK), {file, QStringLiteral("10")});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(process.exitCode() != 0);
        QFile taken(file);
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("not a phone book"));
    }
};

QTEST_GUILESS_MAIN(MakePhoneBookTest)
#include "tst_make_phonebook.moc"
