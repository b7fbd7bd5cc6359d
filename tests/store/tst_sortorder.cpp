#include "search/NameSearch.h"
#include "store/PhoneBook.h"
#include "store/Schema.h"
#include "support/SampleBook.h"
#include "support/TestHome.h"

#include <QLocale>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTest>
#include <sqlite3.h>

using namespace telvora;
using telvora::test::TestHome;
using telvora::test::texts;
using telvora::test::writeRawBook;

namespace {

// Opens data.mdb under a locale, as a user whose environment names it would.
void openUnder(PhoneBook& book, const char* locale)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    QVERIFY(book.isOpen() || book.open(QStringLiteral("data.mdb")) != PhoneBook::State::Failed);
}

// Another program's connection: no function or collation of ours.
void otherProgram(const QStringList& statements)
{
    writeRawBook(statements);
}

// Sixty top-level names, some of whose keys another program emptied or filled with something
// else than a key.
QStringList addNamesWithOddKeys(PhoneBook& book)
{
    QStringList added;
    for (int i = 0; i < 60; ++i) {
        const QString text = QStringLiteral("n%1").arg(i, 3, 10, QLatin1Char('0'));
        book.addName(text, 0, 0);
        added << text;
    }
    otherProgram({QStringLiteral("UPDATE names SET sortkey = NULL WHERE id % 7 = 0"),
                  QStringLiteral("UPDATE names SET sortkey = 'text' WHERE id % 11 = 0"),
                  QStringLiteral("UPDATE names SET sortkey = 5 WHERE id % 13 = 0")});
    return added;
}

const QStringList kMixed{"Zeta", "Жук", "Émigrés", "apple", "Ωμέγα", "Apple", "Bravo"};
const QStringList kSorted{"apple", "Apple", "Bravo", "Émigrés", "Zeta", "Ωμέγα", "Жук"};

} // namespace

class SortOrderTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void listsAndSearchFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("German") << QStringLiteral("de_DE");
        QTest::newRow("English") << QStringLiteral("en_US");
    }
    void listsAndSearchFollowTheLocale()
    {
        QFETCH(QString, locale);
        TestHome home;
        PhoneBook book;
        openUnder(book, qPrintable(locale));
        const qint64 group = book.addGroup(QStringLiteral("g"));
        for (const QString& text : kMixed) {
            book.addGroup(text);
            const qint64 name = book.addName(text, 0, group);
            book.addName(text, name, group);
            book.addNumber(QStringLiteral("555"), name, QStringLiteral("Phone"));
        }
        const QStringList groups = texts(book.groups());
        QCOMPARE(groups.mid(0, 3), (QStringList{"apple", "Apple", "Bravo"}));
        QCOMPARE(groups.mid(3), (QStringList{"Émigrés", "g", "Zeta", "Ωμέγα", "Жук"}));
        QCOMPARE(texts(book.topLevelNames()), kSorted);
        QCOMPARE(texts(book.topLevelNamesInGroup(group)), kSorted);
        NameSearch search(book);
        QStringList doubled;
        for (const QString& text : kSorted)
            doubled << text << text;
        QCOMPARE(texts(search.run({}, {})), doubled);
        QCOMPARE(texts(search.run({}, QStringLiteral("55"))), kSorted);
        // Renamed, a name moves to its new place.
        book.renameName(book.topLevelNames().first().id, QStringLiteral("Zz"));
        QCOMPARE(texts(book.topLevelNames()).last(), QStringLiteral("Жук"));
        QCOMPARE(texts(book.topLevelNames()).at(4), QStringLiteral("Zz"));
    }

    // A list finds its first row beginning with a text as the locale reads letters: case
    // and accents aside, but a letter of its own where the locale has one.
    void aRowIsFoundByItsBeginningAsTheLocaleReadsIt()
    {
        TestHome home;
        const auto firstBeginningWith = [](const PhoneBook& book, const char* prefix) {
            const auto row =
                book.topLevelNamesCursor().firstBeginningWith(QString::fromUtf8(prefix));
            return row ? row->text : QString();
        };
        {
            PhoneBook book;
            openUnder(book, "de_DE");
            for (const QString& text : kMixed + QStringList{"Ärlig"})
                book.addName(text, 0, 0);
            QCOMPARE(firstBeginningWith(book, "ÄR"), QStringLiteral("Ärlig"));
            QCOMPARE(firstBeginningWith(book, "ä"), QStringLiteral("apple"));
            QCOMPARE(firstBeginningWith(book, "emi"), QStringLiteral("Émigrés"));
            QCOMPARE(firstBeginningWith(book, "ωμ"), QStringLiteral("Ωμέγα"));
            QCOMPARE(firstBeginningWith(book, "ж"), QStringLiteral("Жук"));
            QCOMPARE(firstBeginningWith(book, "x"), QString());
            QCOMPARE(firstBeginningWith(book, "Zetas"), QString());
            QCOMPARE(firstBeginningWith(book, "\u0301"), QString());
        }
        PhoneBook swedish;
        openUnder(swedish, "sv_SE");
        QCOMPARE(firstBeginningWith(swedish, "ä"), QStringLiteral("Ärlig"));
        QCOMPARE(firstBeginningWith(swedish, "a"), QStringLiteral("apple"));
    }

    void aNewLocaleSortsTheBookAgain()
    {
        TestHome home;
        {
            PhoneBook book;
            openUnder(book, "de_DE");
            book.addName(QStringLiteral("Zeta"), 0, 0);
            book.addName(QStringLiteral("Ärlig"), 0, 0);
            QCOMPARE(texts(book.topLevelNames()), (QStringList{"Ärlig", "Zeta"}));
        }
        PhoneBook swedish;
        openUnder(swedish, "sv_SE");
        QCOMPARE(texts(swedish.topLevelNames()), (QStringList{"Zeta", "Ärlig"}));
        QVERIFY(swedish.sortIdentity().startsWith(QLatin1String("sv_SE")));
    }

    void rowsWrittenByOtherProgramsAreListedAndKeyedAtOpen()
    {
        TestHome home;
        PhoneBook book;
        openUnder(book, "en_US");
        book.addName(QStringLiteral("Bravo"), 0, 0);
        const qint64 delta = book.addName(QStringLiteral("Delta"), 0, 0);
        otherProgram({QStringLiteral("INSERT INTO names (name) VALUES ('Charlie')"),
                      QStringLiteral("UPDATE names SET name = 'Alpha' WHERE id = %1").arg(delta),
                      QStringLiteral("INSERT INTO groups (name) VALUES ('Émigrés')")});
        // Without a key yet, the rows come first, and none is lost.
        QCOMPARE(texts(book.topLevelNames()), (QStringList{"Alpha", "Charlie", "Bravo"}));
        PhoneBook again;
        QCOMPARE(again.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        QCOMPARE(texts(again.topLevelNames()), (QStringList{"Alpha", "Bravo", "Charlie"}));
        QCOMPARE(texts(again.groups()), QStringList{"Émigrés"});
        otherProgram({QStringLiteral("DROP INDEX names_by_parent_key")});
        PhoneBook third;
        third.open(QStringLiteral("data.mdb"));
        QCOMPARE(test::scalar(third, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE"
                                                    " name = 'names_by_parent_key'"))
                     .toInt(),
                 1);
        // Any SQLite program can still read and check the file.
        QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "plain");
        {
            plain.setDatabaseName(QStringLiteral("data.mdb"));
            QVERIFY(plain.open());
            QSqlQuery check(plain);
            QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
            QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
            QVERIFY(check.exec(QStringLiteral("SELECT name FROM names ORDER BY sortkey")));
        }
        plain.close();
        plain = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    }

    void aBookWithoutKeysGetsThem()
    {
        TestHome home;
        writeRawBook(
            test::looseTables() +
            QStringList{QStringLiteral("INSERT INTO names (id, name, parent, \"group\")"
                                       " VALUES (1, 'Zeta', 0, 0), (2, 'Émigrés', 0, 0)"),
                        QStringLiteral("INSERT INTO groups VALUES (1, 'Жук'), (2, 'apple')")});
        PhoneBook book;
        openUnder(book, "de_DE");
        QCOMPARE(book.state(), PhoneBook::State::Opened);
        QCOMPARE(texts(book.topLevelNames()), (QStringList{"Émigrés", "Zeta"}));
        QCOMPARE(texts(book.groups()), (QStringList{"apple", "Жук"}));
    }

    void pagesGiveEveryRowOnceWhateverItsKey()
    {
        TestHome home;
        PhoneBook book;
        openUnder(book, "en_US");
        const QStringList expected = addNamesWithOddKeys(book);
        ListCursor cursor = book.topLevelNamesCursor();
        QStringList read;
        while (!cursor.atEnd())
            read += texts(cursor.next(4));
        QCOMPARE(read.size(), expected.size());
        read.sort();
        QCOMPARE(read, expected);
    }

    // Each page's first and last marks lead on to the rows beside them, whether the page is
    // full, ends the list, or runs from the rows without a key into those with one.
    void everyPageMarksItsEdges()
    {
        TestHome home;
        PhoneBook book;
        openUnder(book, "en_US");
        addNamesWithOddKeys(book);
        ListCursor cursor = book.topLevelNamesCursor();
        const ListRows all = cursor.pageAfter(std::nullopt, 1000).rows;
        QCOMPARE(all.size(), 60);
        for (const int size : {1, 4, 7, 13, 59, 60, 61}) {
            std::optional<ListMark> after;
            for (qsizetype at = 0; at < all.size();) {
                const ListPage page = cursor.pageAfter(after, size);
                QCOMPARE(page.rows, all.mid(at, size));
                const qsizetype last = at + page.rows.size() - 1;
                QCOMPARE(cursor.pageAfter(page.last, size).rows, all.mid(last + 1, size));
                QCOMPARE(
                    cursor.pageBefore(page.last, size).rows,
                    all.mid(std::max<qsizetype>(0, last - size), std::min<qsizetype>(size, last)));
                QCOMPARE(cursor.pageAfter(page.first, size).rows, all.mid(at + 1, size));
                after = page.last;
                at += page.rows.size();
            }
            // The same backwards, from the end.
            std::optional<ListMark> before;
            for (qsizetype end = all.size(); end > 0;) {
                const ListPage page = cursor.pageBefore(before, size);
                const qsizetype first = std::max<qsizetype>(0, end - size);
                QCOMPARE(page.rows, all.mid(first, end - first));
                QCOMPARE(cursor.pageBefore(page.first, size).rows,
                         all.mid(std::max<qsizetype>(0, first - size),
                                 std::min<qsizetype>(size, first)));
                QCOMPARE(cursor.pageAfter(page.last, size).rows, all.mid(end, size));
                before = page.first;
                end = first;
            }
        }
    }

    // A page that ends before it is full asks for its last row's mark after reading it; a row
    // deleted by another program in between is not listed, and the mark is still of a row read.
    void aRowGoneBeforeItsMarkIsReadLeavesThePage()
    {
        TestHome home;
        PhoneBook book;
        openUnder(book, "en_US");
        for (int i = 0; i < 10; ++i)
            book.addName(QStringLiteral("n%1").arg(i), 0, 0);
        sqlite3* db = *static_cast<sqlite3* const*>(book.database().driver()->handle().constData());
        struct Cut
        {
            bool done = false;
        } cut;
        // As the first page's statement ends, another program deletes its last row.
        sqlite3_trace_v2(
            db, SQLITE_TRACE_PROFILE,
            [](unsigned, void* context, void* statement, void*) {
                auto& once = *static_cast<Cut*>(context);
                const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
                if (!once.done && QByteArray(sql).startsWith("SELECT id, name, sortkey")) {
                    once.done = true;
                    writeRawBook({QStringLiteral("DELETE FROM names WHERE name = 'n9'")});
                }
                return 0;
            },
            &cut);
        ListCursor cursor = book.topLevelNamesCursor();
        const ListPage page = cursor.pageAfter(std::nullopt, 20);
        sqlite3_trace_v2(db, 0, nullptr, nullptr);
        QVERIFY(cut.done);
        QCOMPARE(texts(page.rows),
                 (QStringList{"n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8"}));
        QCOMPARE(page.last.row, page.rows.id(8));
        QCOMPARE(texts(cursor.pageBefore(page.last, 2).rows), (QStringList{"n6", "n7"}));
    }

    // A view, or a table kept by its key, has no row numbers to page by: it is read whole,
    // every row of it.
    void namesWithoutRowNumbersAreListedWhole_data()
    {
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QString>("stored");
        QTest::newRow("view")
            << QStringList{QStringLiteral("ALTER TABLE names RENAME TO stored_names"),
                           QStringLiteral(
                               "CREATE VIEW names AS SELECT DISTINCT * FROM stored_names")}
            << "stored_names";
        QTest::newRow("table without row numbers")
            << QStringList{QStringLiteral("DROP TABLE names"),
                           QStringLiteral("CREATE TABLE names (id INTEGER PRIMARY KEY, name, "
                                          "parent, \"group\", %1) WITHOUT ROWID")
                               .arg(schema::cardColumns().join(QStringLiteral(", ")))}
            << "names";
    }

    void namesWithoutRowNumbersAreListedWhole()
    {
        QFETCH(QStringList, made);
        QFETCH(QString, stored);
        TestHome home;
        QStringList statements = test::looseTables() + made;
        statements << QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION SELECT i + 1 FROM n"
                                     " WHERE i < 300) INSERT INTO %1 (id, name, parent,"
                                     " \"group\") SELECT i, 'n' || (i % 30), 0, 0 FROM n")
                          .arg(stored);
        writeRawBook(statements);
        PhoneBook book;
        openUnder(book, "en_US");
        ListCursor cursor = book.topLevelNamesCursor();
        qsizetype read = 0;
        while (!cursor.atEnd())
            read += cursor.next(10).size();
        QCOMPARE(read, 300);
    }
};

QTEST_GUILESS_MAIN(SortOrderTest)
#include "tst_sortorder.moc"
