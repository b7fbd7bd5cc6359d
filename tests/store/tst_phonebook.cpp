#include "store/PhoneBook.h"
#include "store/Schema.h"
#include "store/SpeedDialSet.h"
#include "store/Statements.h"
#include "support/ListRowsText.h"
#include "support/SampleBook.h"
#include "support/TestHome.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace telvora;
using telvora::test::looseTables;
using telvora::test::TestHome;
using telvora::test::texts;
using telvora::test::writeRawBook;

namespace {

QVariant scalar(PhoneBook& book, const QString& statement)
{
    QSqlQuery query(book.database());
    if (!query.exec(statement) || !query.next())
        return {};
    return query.value(0);
}

void exec(PhoneBook& book, const QString& statement)
{
    QSqlQuery query(book.database());
    QVERIFY2(query.exec(statement), qPrintable(statement));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class PhoneBookTest : public QObject
{
    Q_OBJECT

private slots:
    void missingFileIsCreatedWithEmptySchema()
    {
        TestHome home;
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Created);
            QVERIFY(book.isWritable());
            QCOMPARE(book.filePath(), home.file(QStringLiteral("data.mdb")));
            QVERIFY(book.groups().isEmpty());
            QVERIFY(book.topLevelNames().isEmpty());
            QVERIFY(book.addName(QStringLiteral("First"), 0, 0) > 0);
        }
        PhoneBook again;
        QCOMPARE(again.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        QCOMPARE(texts(again.topLevelNames()), QStringList{QStringLiteral("First")});
    }

    void idsAreNeverZeroAndNeverReused()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        QSet<qint64> seen;
        for (int i = 0; i < 20; ++i) {
            const qint64 group = book.addGroup(QStringLiteral("G%1").arg(i));
            QVERIFY(group > 0);
            QVERIFY(!seen.contains(group));
            seen.insert(group);
        }
        const qint64 name = book.addName(QStringLiteral("x"), 0, 0);
        exec(book, QStringLiteral("DELETE FROM names WHERE id = %1").arg(name));
        const qint64 next = book.addName(QStringLiteral("y"), 0, 0);
        QVERIFY(next > name);
        const qint64 number = book.addNumber(QStringLiteral("1"), next, QStringLiteral("Phone"));
        QVERIFY(number > 0);
        QCOMPARE(book.numbers(next, QStringLiteral("Phone")),
                 (ListRows{{number, QStringLiteral("1")}}));
    }

    void awkwardTextIsStoredExactlyAndTouchesNoOtherRow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
        QTest::newRow("sql") << QStringLiteral("x'; DELETE FROM names; --");
        QTest::newRow("like metacharacters") << QStringLiteral("100% _done_ *[a]");
        QTest::newRow("double quote") << QStringLiteral("The \"Boss\"");
        QTest::newRow("greek") << QStringLiteral("Σωκράτης Παπαδόπουλος");
        QTest::newRow("arabic") << QStringLiteral("مريم الحسيني");
        QTest::newRow("chinese") << QStringLiteral("王小明");
        QTest::newRow("emoji and combining") << QStringLiteral("Zoë 📞 e\u0301");
        QTest::newRow("long") << QString(5000, QLatin1Char('w'));
    }

    void awkwardTextIsStoredExactlyAndTouchesNoOtherRow()
    {
        QFETCH(QString, text);
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 group = book.addGroup(text);
        const qint64 other = book.addName(QStringLiteral("Other"), 0, group);
        const qint64 id = book.addName(text, 0, group);
        QVERIFY(book.addNumber(text, id, QStringLiteral("Fax")) > 0);
        QCOMPARE(book.groupName(group), std::optional<QString>(text));
        QCOMPARE(book.numbers(id, QStringLiteral("Fax")).value(0).text, text);
        QVERIFY(book.updateNameColumns(id, {{QStringLiteral("Notes"), text}}));
        QCOMPARE(book.nameRow(id)->value(book.nameColumns().indexOf(QStringLiteral("Notes"))),
                 QVariant(text));
        QVERIFY(book.nameRow(other)
                    ->value(book.nameColumns().indexOf(QStringLiteral("Notes")))
                    .isNull());
        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM names")).toInt(), 2);
        QVERIFY(texts(book.topLevelNamesInGroup(group)).contains(text));
    }

    void rowsBehaveAsAListOfRows()
    {
        // The compact rows against a plain list of rows, through each way of changing them.
        const QList<ListRow> samples{{1, QStringLiteral("Ann")},
                                     {2, QString()},
                                     {3, QStringLiteral("Σωκράτης 📞 e\u0301")},
                                     {-4, QStringLiteral("王小明")},
                                     {5, QStringLiteral("Ann")}};
        ListRows rows;
        QList<ListRow> expected;
        const auto same = [&] {
            QCOMPARE(rows.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i)
                QCOMPARE(rows.at(i), expected.at(i));
            QCOMPARE(QList<ListRow>(rows.begin(), rows.end()), expected);
        };
        for (const ListRow& row : samples) {
            rows << row;
            expected << row;
        }
        same();
        rows += rows;
        expected += QList<ListRow>(expected);
        same();
        for (const auto& [pos, length] :
             {std::pair<qsizetype, qsizetype>{0, 3}, {-3, 5}, {7, -1}, {8, 9}, {11, 1}, {-2, -1}}) {
            QCOMPARE(QList<ListRow>(rows.mid(pos, length).begin(), rows.mid(pos, length).end()),
                     expected.mid(pos, length));
        }
        rows.setText(2, QStringLiteral("Bo"));
        expected[2].text = QStringLiteral("Bo");
        rows.removeAt(0);
        expected.removeAt(0);
        same();
        const ListRows turned = rows.reversed();
        std::reverse(expected.begin(), expected.end());
        rows = turned;
        same();
        QCOMPARE(rows.indexOf(samples.at(4)), expected.indexOf(samples.at(4)));
        QVERIFY(!rows.contains(ListRow{5, QStringLiteral("ann")}));
        QCOMPARE(rows.value(expected.size()), ListRow());

        // Text that is no UTF-8, from a file written elsewhere, is shown, not lost with its row.
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        QVERIFY(QSqlQuery(book.database())
                    .exec(QStringLiteral("INSERT INTO names (id, name, parent, \"group\")"
                                         " VALUES (7, CAST(x'4aff6f' AS TEXT), 0, 0)")));
        const ListRows listed = book.topLevelNames();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first(), (ListRow{7, QStringLiteral("J\uFFFDo")}));
    }

    void listsFollowGroupsAndParents()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 friends = book.addGroup(QStringLiteral("Friends"));
        const qint64 work = book.addGroup(QStringLiteral("work"));
        const qint64 ann = book.addName(QStringLiteral("ann"), 0, friends);
        const qint64 bob = book.addName(QStringLiteral("Bob"), 0, 0);
        const qint64 cid = book.addName(QStringLiteral("Cid"), 0, work);
        book.addName(QStringLiteral("Ann's assistant"), ann, friends);
        book.addName(QStringLiteral("Deep"), cid, 0);

        // Case does not split the order: "ann" before "Bob", "Friends" before "work".
        QCOMPARE(texts(book.groups()),
                 (QStringList{QStringLiteral("Friends"), QStringLiteral("work")}));
        QCOMPARE(
            texts(book.topLevelNames()),
            (QStringList{QStringLiteral("ann"), QStringLiteral("Bob"), QStringLiteral("Cid")}));
        QCOMPARE(texts(book.topLevelNamesWithoutGroup()), QStringList{QStringLiteral("Bob")});
        QCOMPARE(texts(book.topLevelNamesInGroup(friends)), QStringList{QStringLiteral("ann")});
        QCOMPARE(texts(book.subNames(ann)), QStringList{QStringLiteral("Ann's assistant")});
        QCOMPARE(texts(book.subNames(cid)), QStringList{QStringLiteral("Deep")});
        QCOMPARE(book.groupOfName(cid), std::optional<qint64>(work));
        QCOMPARE(book.groupOfName(bob), std::optional<qint64>(0));

        // A deleted group's names are listed under all groups only.
        exec(book, QStringLiteral("DELETE FROM groups WHERE id = %1").arg(work));
        QCOMPARE(book.groupName(work), std::nullopt);
        QVERIFY(texts(book.topLevelNames()).contains(QStringLiteral("Cid")));
        QVERIFY(!texts(book.topLevelNamesWithoutGroup()).contains(QStringLiteral("Cid")));
    }

    void rowsWithoutTextAndNumbersOfUnknownKind()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        exec(book, QStringLiteral("INSERT INTO groups (name) VALUES (NULL)"));
        exec(book, QStringLiteral("INSERT INTO names (name) VALUES (NULL)"));
        QVERIFY(book.groups().isEmpty());
        const ListRows names = book.topLevelNames();
        QCOMPARE(names.size(), 1);
        QCOMPARE(names[0].text, QString());
        QVERIFY(names[0].id > 0);

        const qint64 owner = names[0].id;
        book.addNumber(QStringLiteral("1"), owner, QStringLiteral("Pager"));
        book.addNumber(QStringLiteral("2"), owner, QStringLiteral("phone"));
        for (const QString& kind : {QStringLiteral("Phone"), QStringLiteral("Fax"),
                                    QStringLiteral("Mobile"), QStringLiteral("Home")})
            QVERIFY(book.numbers(owner, kind).isEmpty());
        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM numbers")).toInt(), 2);
    }

    void cardWritesOnlyItsOwnExistingRow()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 a = book.addName(QStringLiteral("A"), 0, 0);
        const qint64 b = book.addName(QStringLiteral("B"), 0, 0);
        QVERIFY(book.updateNameColumns(a, {{QStringLiteral("Company"), QStringLiteral("Acme")},
                                           {QStringLiteral("gender"), QString()}}));
        QCOMPARE(scalar(book, QStringLiteral("SELECT Company FROM names WHERE id = %1").arg(a)),
                 QVariant(QStringLiteral("Acme")));
        // Saving writes an empty text, never a null, into every card column.
        QVERIFY(!scalar(book, QStringLiteral("SELECT Gender FROM names WHERE id = %1").arg(a))
                     .isNull());
        QVERIFY(scalar(book, QStringLiteral("SELECT Company FROM names WHERE id = %1").arg(b))
                    .isNull());

        exec(book, QStringLiteral("DELETE FROM names WHERE id = %1").arg(a));
        QVERIFY(!book.updateNameColumns(a, {{QStringLiteral("Company"), QStringLiteral("Lost")}}));
        QVERIFY(
            !book.updateNameColumns(b, {{QStringLiteral("NoSuchColumn"), QStringLiteral("x")}}));
        QCOMPARE(scalar(book, QStringLiteral("SELECT count(*) FROM names WHERE Company = 'Lost'"))
                     .toInt(),
                 0);
        QVERIFY(!book.nameRow(a));
        QCOMPARE(book.nameRow(b)->size(), book.nameColumns().size());
    }

    void unusableFilesAreNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text file")
            << QByteArray("name,number\nAnn,555\n") << QStringLiteral("not a phone book");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("not a phone book");
        QByteArray garbage(8192, '\0');
        for (char& byte : garbage)
            byte = char(QRandomGenerator::global()->bounded(256));
        QTest::newRow("random bytes") << garbage << QStringLiteral("not a phone book");
    }

    void unusableFilesAreNeverWritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        TestHome home;
        const QString path = home.file(QStringLiteral("data.mdb"));
        writeFile(path, content);
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        QVERIFY2(book.errorText().contains(reason), qPrintable(book.errorText()));
        QVERIFY(book.addName(QStringLiteral("x"), 0, 0) == 0);
        QVERIFY(book.topLevelNames().isEmpty());
        QCOMPARE(readAll(path), content);
    }

    void onlyAPlainFileIsOpened()
    {
        // A folder or a pipe in the book's place is refused without being opened: a pipe
        // with nobody writing to it would hold the start for ever.
        TestHome home;
        const QString path = home.file(QStringLiteral("data.mdb"));
        QVERIFY(QDir().mkdir(path));
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
            QVERIFY2(book.errorText().contains(QStringLiteral("not a file")),
                     qPrintable(book.errorText()));
        }
        QVERIFY(QDir().rmdir(path));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        QVERIFY2(book.errorText().contains(QStringLiteral("not a file")),
                 qPrintable(book.errorText()));
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    }

    void otherSqliteDatabasesAndDamagedOnesAreLeftAlone()
    {
        TestHome home;
        const QString path = home.file(QStringLiteral("data.mdb"));
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            exec(book, QStringLiteral("DROP TABLE numbers"));
        }
        const QByteArray foreign = readAll(path);
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
            QVERIFY2(book.errorText().contains(QStringLiteral("numbers")),
                     qPrintable(book.errorText()));
        }
        QCOMPARE(readAll(path), foreign);

        // A real phone book cut short: the header is right, the rest is gone.
        QFile::remove(path);
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            for (int i = 0; i < 200; ++i)
                book.addName(QStringLiteral("Name %1").arg(i), 0, 0);
        }
        const QByteArray truncated = readAll(path).left(1024);
        writeFile(path, truncated);
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        QCOMPARE(readAll(path), truncated);
    }

    void rowsWithUnusableIdsAreListedButNeverReached_data()
    {
        QTest::addColumn<QString>("odd");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("text") << QStringLiteral("'abc'");
        QTest::newRow("negative") << QStringLiteral("-3");
        QTest::newRow("null") << QStringLiteral("NULL");
        QTest::newRow("real") << QStringLiteral("1.5");
        QTest::newRow("real equal to an id") << QStringLiteral("1.0");
    }

    void rowsWithUnusableIdsAreListedButNeverReached()
    {
        QFETCH(QString, odd);
        TestHome home;
        writeRawBook(
            looseTables() +
            QStringList{QStringLiteral("INSERT INTO groups VALUES (1, 'Family'), (%1, 'Odd')"),
                        QStringLiteral("INSERT INTO names (id, name, parent, \"group\") VALUES"
                                       " (1, 'Ann', 0, 1), (2, 'Bob', 0, 0), (3, 'Ann Jr', 1, 1),"
                                       " (%1, 'Odd', 0, 0), (4, 'Below odd', %1, 0)"),
                        QStringLiteral("INSERT INTO numbers VALUES (1, '111', 1, 'Phone'),"
                                       " (%1, '999', 2, 'Phone')")}
                .replaceInStrings(QStringLiteral("%1"), odd));
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        const QString everything = QStringLiteral(
            "SELECT group_concat(name, ',') FROM (SELECT name FROM groups UNION ALL SELECT name"
            " FROM names UNION ALL SELECT name FROM numbers UNION ALL SELECT Notes FROM names)");
        const QString before = scalar(book, everything).toString();

        QVERIFY(book.topLevelNames().contains(ListRow{kUnusableId, QStringLiteral("Odd")}));
        QVERIFY(book.groups().contains(ListRow{kUnusableId, QStringLiteral("Odd")}));
        QCOMPARE(book.numbers(2, QStringLiteral("Phone")),
                 (ListRows{{kUnusableId, QStringLiteral("999")}}));
        // 0 is the parent of every top-level name: it stands for no row either.
        for (const qint64 id : {kUnusableId, qint64(0)}) {
            QCOMPARE(book.deleteNameTree(id), -1);
            QVERIFY(!book.errorText().isEmpty());
            QCOMPARE(book.renameName(id, QStringLiteral("x")), -1);
            QCOMPARE(book.moveNameToGroup(id, 1), -1);
            QCOMPARE(book.makeSubName(id, 2), -1);
            QCOMPARE(book.makeSubName(2, id), -1);
            QVERIFY(!book.updateNameColumns(id, {{QStringLiteral("Notes"), QStringLiteral("x")}}));
            QVERIFY(!book.nameRow(id));
            QCOMPARE(book.renameGroup(id, QStringLiteral("x")), -1);
            QCOMPARE(book.deleteGroup(id), -1);
            QCOMPARE(book.updateNumber(id, QStringLiteral("1"), QStringLiteral("Phone")), -1);
            QCOMPARE(book.deleteNumber(id), -1);
            QCOMPARE(book.addNumber(QStringLiteral("1"), id, QStringLiteral("Phone")), 0);
        }
        QCOMPARE(book.addName(QStringLiteral("x"), kUnusableId, 0), 0);
        QCOMPARE(book.addName(QStringLiteral("x"), 0, kUnusableId), 0);
        QCOMPARE(book.moveNameToGroup(2, kUnusableId), -1);
        QCOMPARE(scalar(book, everything).toString(), before);

        // A delete takes the chosen row and what is filed below it, nothing else.
        QVERIFY(book.deleteNameTree(1) > 0);
        const QString rest =
            scalar(book, QStringLiteral("SELECT group_concat(name, ',') FROM names")).toString();
        QVERIFY(rest.contains(QStringLiteral("Odd")));
        QVERIFY(rest.contains(QStringLiteral("Bob")));
        QVERIFY(!rest.contains(QStringLiteral("Ann")));
    }

    void idsSharedByRowsAreRefusedAndNewIdsAreFree()
    {
        TestHome home;
        writeRawBook(looseTables() +
                     QStringList{QStringLiteral(
                         "INSERT INTO names (id, name, parent, \"group\") VALUES (5, 'A', 0, 0),"
                         " (5, 'B', 0, 0), (6, 'C', 0, 0), (7, 'Below C', 6, 0), (7, 'D', 0, 0)")});
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        QCOMPARE(book.renameName(5, QStringLiteral("x")), -1);
        QVERIFY(!book.errorText().isEmpty());
        // A branch whose id another row shares would take that row with it.
        QCOMPARE(book.deleteNameTree(6), -1);
        QCOMPARE(
            scalar(book, QStringLiteral("SELECT count(*) FROM names WHERE name <> 'x'")).toInt(),
            5);
        // Ids the file does not number itself are numbered above every id in use.
        QCOMPARE(book.addName(QStringLiteral("New"), 0, 0), qint64(8));
        QCOMPARE(book.addGroup(QStringLiteral("G")), qint64(1));
        QCOMPARE(book.renameName(8, QStringLiteral("Renamed")), 1);
    }

    void idsBeyondThirtyTwoBits()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 one = book.addName(QStringLiteral("One"), 0, 0);
        const qint64 big = 4294967297; // reads as 1 when cut to 32 bits
        exec(book, QStringLiteral("INSERT INTO names (id, name, parent, \"group\") VALUES"
                                  " (%1, 'Big', 0, 0)")
                       .arg(big));
        QCOMPARE(book.topLevelNames(), (ListRows{{big, QStringLiteral("Big")}, {one, "One"}}));
        QVERIFY(book.updateNameColumns(big, {{QStringLiteral("Company"), QStringLiteral("Acme")}}));
        QCOMPARE(book.nameRow(big)->value(book.nameColumns().indexOf(QStringLiteral("Company"))),
                 QVariant(QStringLiteral("Acme")));
        QVERIFY(book.nameRow(one)
                    ->value(book.nameColumns().indexOf(QStringLiteral("Company")))
                    .isNull());
        const qint64 sub = book.addName(QStringLiteral("Sub"), big, 0);
        QCOMPARE(sub, big + 1);
        QCOMPARE(book.subNames(big), (ListRows{{sub, QStringLiteral("Sub")}}));
        const qint64 number = book.addNumber(QStringLiteral("555"), big, QStringLiteral("Phone"));
        QCOMPARE(book.numbers(big, QStringLiteral("Phone")), (ListRows{{number, "555"}}));
        QVERIFY(book.numbers(one, QStringLiteral("Phone")).isEmpty());
        QCOMPARE(book.deleteNameTree(big), 3);
        QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("One")});

        // Past 2^31 a new row is stored and reported as stored.
        exec(book, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('groups', "
                                  "2147483647)"));
        QCOMPARE(book.addGroup(QStringLiteral("Past")), qint64(2147483648));
        QCOMPARE(book.groupName(2147483648), std::optional<QString>(QStringLiteral("Past")));
    }

    void schemaIsCheckedByColumnName_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("named");
        const QString card = schema::cardColumns().join(QStringLiteral(", "));
        QTest::newRow("names without parent and group")
            << "names" << QStringLiteral("CREATE TABLE names (id, name, %1)").arg(card)
            << QStringList{QStringLiteral("parent"), QStringLiteral("group")};
        QTest::newRow("groups without name")
            << "groups" << QStringLiteral("CREATE TABLE groups (id)")
            << QStringList{QStringLiteral("name")};
        QTest::newRow("numbers without type")
            << "numbers" << QStringLiteral("CREATE TABLE numbers (id, name, parent)")
            << QStringList{QStringLiteral("type")};
        QTest::newRow("speed dials without number")
            << "SpeedDials" << QStringLiteral("CREATE TABLE SpeedDials (Name)")
            << QStringList{QStringLiteral("Number")};
        QTest::newRow("no speed dials")
            << "SpeedDials" << QString() << QStringList{QStringLiteral("SpeedDials")};
    }

    void schemaIsCheckedByColumnName()
    {
        QFETCH(QString, table);
        QFETCH(QString, statement);
        QFETCH(QStringList, named);
        TestHome home;
        writeRawBook(looseTables({{table, statement}}));
        const QByteArray before = readAll(home.file(QStringLiteral("data.mdb")));
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        for (const QString& name : named)
            QVERIFY2(book.errorText().contains(name), qPrintable(book.errorText()));
        QCOMPARE(readAll(home.file(QStringLiteral("data.mdb"))), before);
    }

    void namesOfTablesAndColumnsInAnyCase()
    {
        // SQLite's names match whatever the case of their letters, and so do the book's.
        TestHome home;
        const QString card = schema::cardColumns().join(QStringLiteral(" TEXT, ")).toUpper();
        writeRawBook(looseTables(
            {{QStringLiteral("names"),
              QStringLiteral("CREATE TABLE NAMES (ID INTEGER PRIMARY KEY, NAME, PARENT, "
                             "\"GROUP\", %1 TEXT)")
                  .arg(card)},
             {QStringLiteral("groups"),
              QStringLiteral("CREATE TABLE Groups (Id INTEGER PRIMARY KEY, Name)")}}));
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
            const qint64 group = book.addGroup(QStringLiteral("Work"));
            const qint64 ann = book.addName(QStringLiteral("Ann"), 0, group);
            QVERIFY(book.updateNameColumns(ann, {{QStringLiteral("Email"), "ann@example.org"}}));
        }
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        QCOMPARE(texts(book.groups()), QStringList{QStringLiteral("Work")});
        QCOMPARE(texts(book.topLevelNamesInGroup(book.groups().id(0))),
                 QStringList{QStringLiteral("Ann")});
        const auto row = book.nameRow(book.topLevelNames().id(0));
        QCOMPARE(row->value(book.nameColumns().indexOf(QStringLiteral("EMAIL"))),
                 QVariant("ann@example.org"));
    }

    void viewsWhoseTablesAreGone()
    {
        // Where the call log or the sort locale would be, such a view leaves the book usable;
        // in place of the names it is named as the reason the file cannot be read.
        TestHome home;
        writeRawBook(looseTables() +
                     QStringList{QStringLiteral("CREATE VIEW CallLog AS SELECT * FROM gone"),
                                 QStringLiteral("CREATE VIEW sort_locale AS SELECT * FROM gone"),
                                 QStringLiteral("INSERT INTO names (id, name, parent, \"group\")"
                                                " VALUES (1, 'Ann', 0, 0)")});
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
            QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("Ann")});
        }
        writeRawBook({QStringLiteral("DROP TABLE names"),
                      QStringLiteral("CREATE VIEW names AS SELECT * FROM gone")});
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        QVERIFY2(book.errorText().contains(QStringLiteral("gone")), qPrintable(book.errorText()));
    }

    void missingCardColumnsAreAddedOrNamed()
    {
        TestHome home;
        QStringList card = schema::cardColumns();
        card.removeAll(QStringLiteral("Email"));
        writeRawBook(looseTables({{QStringLiteral("names"),
                                   QStringLiteral("CREATE TABLE names (id INTEGER PRIMARY KEY, "
                                                  "name, parent, \"group\", %1)")
                                       .arg(card.join(QStringLiteral(", ")))}}) +
                     QStringList{QStringLiteral("INSERT INTO names (id, name, parent, \"group\","
                                                " Company) VALUES (1, 'Ann', 0, 0, 'Acme')")});
        {
            // A file that may be changed gets the column, and keeps every value it holds.
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
            QCOMPARE(book.nameRow(1)->value(book.nameColumns().indexOf("Company")),
                     QVariant("Acme"));
            QVERIFY(book.nameColumns().contains(QStringLiteral("Email")));
            QVERIFY(book.updateNameColumns(1, {{QStringLiteral("Email"), "ann@example.org"}}));
        }
        // A column cannot be added to a view: the file is shown, read-only, and says why.
        writeRawBook({QStringLiteral("ALTER TABLE names RENAME TO stored_names"),
                      QStringLiteral("CREATE VIEW names AS SELECT id, name, parent, \"group\", "
                                     "%1 FROM stored_names")
                          .arg(card.join(QStringLiteral(", ")))});
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::ReadOnly);
        QVERIFY2(book.errorText().contains(QStringLiteral("Email")), qPrintable(book.errorText()));
        QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("Ann")});
        QCOMPARE(book.addName(QStringLiteral("Lost"), 0, 0), 0);
    }

    void unreadableOrReadOnlyFiles()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not bind the super-user");
        TestHome home;
        const QString path = home.file(QStringLiteral("data.mdb"));
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            book.addName(QStringLiteral("Kept"), 0, 0);
        }
        QFile::setPermissions(path, QFile::ReadOwner);
        {
            PhoneBook book;
            QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::ReadOnly);
            QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("Kept")});
            QCOMPARE(book.addName(QStringLiteral("Lost"), 0, 0), 0);
        }
        QFile::setPermissions(path, QFileDevice::Permissions());
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Failed);
        QVERIFY(book.errorText().contains(QStringLiteral("permission")));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void listsAreReadThroughIndexes()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        QStringList checked{QLatin1String(statements::numbers),
                            QLatin1String(statements::groupOfName),
                            QLatin1String(statements::nameRow)};
        for (const char* filter :
             {statements::topLevelFilter, statements::inGroupFilter, statements::subNamesFilter}) {
            for (auto page : {statements::Page::First, statements::Page::AfterNullKey,
                              statements::Page::FirstKeyed, statements::Page::AfterKey})
                checked << statements::page(QStringLiteral("names"), QLatin1String(filter), true,
                                            page);
        }
        for (const QString& statement : std::as_const(checked)) {
            QSqlQuery plan(book.database());
            QVERIFY(plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + statement));
            for (int i = 0; i < statement.count(QLatin1Char('?')); ++i)
                plan.addBindValue(1);
            QVERIFY(plan.exec());
            QStringList details;
            while (plan.next())
                details << plan.value(3).toString();
            const QString text = details.join(QLatin1Char('|'));
            QVERIFY2(!text.contains(QLatin1String("SCAN")) &&
                         !text.contains(QLatin1String("TEMP B-TREE")),
                     qPrintable(statement + QStringLiteral(" -> ") + text));
        }
    }

    // Another connection that will not wait: it can take the whole file only when no read
    // of the book is left half-done.
    static bool otherConnectionCanLockFile(const QString& path)
    {
        const QString name = QStringLiteral("other-connection");
        bool locked = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            if (db.open()) {
                QSqlQuery query(db);
                locked = query.exec(QStringLiteral("BEGIN EXCLUSIVE")) &&
                         query.exec(QStringLiteral("COMMIT"));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return locked;
    }

    void readsLeaveTheFileFreeForWriters()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 group = book.addGroup(QStringLiteral("Work"));
        const qint64 name = book.addName(QStringLiteral("Zoë"), 0, group);
        book.addName(QStringLiteral("Zoë's office"), name, group);
        book.addNumber(QStringLiteral("1"), name, QStringLiteral("Phone"));
        book.addNumber(QStringLiteral("2"), name, QStringLiteral("Phone"));

        // Each read stops after its first row or runs to the end; neither keeps a lock.
        QCOMPARE(book.numbers(name, QStringLiteral("Phone")).size(), 2);
        QCOMPARE(book.subNames(name).size(), 1);
        QCOMPARE(book.groupOfName(name), std::optional<qint64>(group));
        QCOMPARE(book.groupName(group), std::optional<QString>(QStringLiteral("Work")));
        QVERIFY(book.nameRow(name));
        QVERIFY(otherConnectionCanLockFile(book.filePath()));

        // What another connection writes is read at once, though the statements stay prepared.
        {
            PhoneBook other;
            QCOMPARE(other.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
            other.addNumber(QStringLiteral("3"), name, QStringLiteral("Phone"));
            other.addName(QStringLiteral("abel"), 0, group);
        }
        QCOMPARE(texts(book.numbers(name, QStringLiteral("Phone"))),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(texts(book.topLevelNamesInGroup(group)),
                 (QStringList{QStringLiteral("abel"), QStringLiteral("Zoë")}));
    }

    void cardRowKeepsTheTypesOfItsValues()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 id = book.addName(QStringLiteral("Δημήτρης"), 0, 7);
        const QVariantList row = book.nameRow(id).value_or(QVariantList{});
        const QStringList columns = book.nameColumns();
        QCOMPARE(row.size(), columns.size());
        QCOMPARE(row.at(0).typeId(), QMetaType::LongLong);
        QCOMPARE(row.at(0).toLongLong(), id);
        QCOMPARE(row.at(columns.indexOf(QStringLiteral("name"))),
                 QVariant(QStringLiteral("Δημήτρης")));
        QCOMPARE(row.at(columns.indexOf(QStringLiteral("group"))).toLongLong(), 7);
        // A column never written reads as a null text, as the card shows it empty.
        const QVariant company = row.at(columns.indexOf(QStringLiteral("Company")));
        QVERIFY(company.isNull());
        QCOMPARE(company.typeId(), QMetaType::QString);
    }

    void reopeningReadsTheNewFileAndClosesTheOld()
    {
        TestHome home;
        {
            PhoneBook first;
            first.open(QStringLiteral("first.mdb"));
            first.addName(QStringLiteral("From the first"), 0, 0);
        }
        PhoneBook book;
        book.open(QStringLiteral("first.mdb"));
        QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("From the first")});
        QCOMPARE(book.open(QStringLiteral("second.mdb")), PhoneBook::State::Created);
        QVERIFY(book.topLevelNames().isEmpty());
        book.addName(QStringLiteral("From the second"), 0, 0);
        QCOMPARE(texts(book.topLevelNames()), QStringList{QStringLiteral("From the second")});
        QVERIFY(otherConnectionCanLockFile(home.file(QStringLiteral("first.mdb"))));

        // A file that cannot be used ends the reads of the one before it.
        writeFile(home.file(QStringLiteral("text.mdb")), "not a database");
        QCOMPARE(book.open(QStringLiteral("text.mdb")), PhoneBook::State::Failed);
        QVERIFY(book.topLevelNames().isEmpty());
        QCOMPARE(book.groupOfName(1), std::nullopt);
        QVERIFY(otherConnectionCanLockFile(home.file(QStringLiteral("second.mdb"))));

        // A new book is made under another name and put in place whole: nothing else stays.
        QCOMPARE(book.open(QStringLiteral("new.mdb")), PhoneBook::State::Created);
        QCOMPARE(QDir(home.path()).entryList({QStringLiteral("new.mdb*")}, QDir::Files),
                 QStringList{QStringLiteral("new.mdb")});
    }

    void speedDialsKeepTheirOpeningOrderPlusAdditions()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        exec(book, QStringLiteral(
                       "INSERT INTO SpeedDials VALUES ('zed', '3'), ('Amy', '1'), ('bob', '2')"));
        SpeedDialSet set(book);
        set.open();
        QVERIFY(set.add(QStringLiteral("Aaron's"), QStringLiteral("4")));
        QStringList order;
        for (const SpeedDial& entry : set.entries())
            order << entry.name;
        QCOMPARE(order, (QStringList{QStringLiteral("Amy"), QStringLiteral("bob"),
                                     QStringLiteral("zed"), QStringLiteral("Aaron's")}));
        QCOMPARE(set.find(QStringLiteral("Aaron's"))->number, QStringLiteral("4"));
        QVERIFY(!set.find(QStringLiteral("amy")));

        const SpeedDial bob = *set.find(QStringLiteral("bob"));
        QVERIFY(set.update(bob.rowId, QStringLiteral("Bobby"), QStringLiteral("22")));
        QVERIFY(set.remove(set.find(QStringLiteral("zed"))->rowId));
        order.clear();
        for (const SpeedDial& entry : set.entries())
            order << entry.name + QLatin1Char('=') + entry.number;
        QCOMPARE(order, (QStringList{QStringLiteral("Amy=1"), QStringLiteral("Bobby=22"),
                                     QStringLiteral("Aaron's=4")}));
    }

    // A kill at any moment loses nothing that was reported stored, and leaves a file
    // that opens and passes SQLite's integrity check.
    void killDuringWritesLosesNothingStored()
    {
        TestHome home;
        for (int round = 0; round < 12; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(STORE_WRITER), {home.file(QStringLiteral("data.mdb"))});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(30, 150)));
            writer.kill();
            writer.waitForFinished();
            QList<qint64> stored;
            for (const QByteArray& line : writer.readAllStandardOutput().split('\n')) {
                if (!line.isEmpty())
                    stored << line.toInt();
            }
            PhoneBook book;
            const PhoneBook::State state = book.open(QStringLiteral("data.mdb"));
            QVERIFY2(state == PhoneBook::State::Opened || (round == 0 && stored.isEmpty()),
                     qPrintable(QStringLiteral("round %1, %2 stored, state %3: %4")
                                    .arg(round)
                                    .arg(stored.size())
                                    .arg(int(state))
                                    .arg(book.errorText())));
            if (!book.isOpen())
                continue;
            QCOMPARE(scalar(book, QStringLiteral("PRAGMA integrity_check")).toString(),
                     QStringLiteral("ok"));
            for (qint64 id : std::as_const(stored)) {
                QVERIFY2(book.nameRow(id), qPrintable(QString::number(id)));
                QCOMPARE(book.numbers(id, QStringLiteral("Phone")).size(), 1);
            }
        }
    }
};

QTEST_GUILESS_MAIN(PhoneBookTest)
#include "tst_phonebook.moc"
