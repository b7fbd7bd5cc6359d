#include "search/NameSearch.h"
#include "search/SearchPattern.h"
#include "store/PhoneBook.h"
#include "support/ListRowsText.h"
#include "support/TestHome.h"

#include <QSqlQuery>
#include <QTest>
#include <limits>

using namespace telvora;
using telvora::test::TestHome;

namespace {

QStringList names(const ListRows& hits)
{
    QStringList result;
    for (const ListRow& hit : hits)
        result << hit.text;
    return result;
}

int objectCount(PhoneBook& book, const QString& like)
{
    QSqlQuery query(book.database());
    query.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE ?"));
    query.addBindValue(like);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

} // namespace

class NameSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void patternsMatchContainedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("start") << "ali"
                               << "Alice" << true;
        QTest::newRow("middle") << "LIC"
                                << "Alice" << true;
        QTest::newRow("end") << "ce"
                             << "Alice" << true;
        QTest::newRow("absent") << "bob"
                                << "Alice" << false;
        QTest::newRow("apostrophe") << "o'b"
                                    << "Mary O'Brien" << true;
        QTest::newRow("percent is literal") << "50%"
                                            << "Shop 50% off" << true;
        QTest::newRow("percent matches only itself") << "5%f"
                                                     << "55 off" << false;
        QTest::newRow("underscore is literal") << "a_b"
                                               << "a_b" << true;
        QTest::newRow("underscore matches only itself") << "a_b"
                                                        << "axb" << false;
        QTest::newRow("star is any text") << "al*ce"
                                          << "Alice" << true;
        QTest::newRow("star may be empty") << "ali*ce"
                                           << "Alice" << true;
        QTest::newRow("star keeps order") << "ce*al"
                                          << "Alice" << false;
        QTest::newRow("question mark is one character") << "a?i"
                                                        << "Alice" << true;
        QTest::newRow("question mark is not zero characters") << "al?i"
                                                              << "Alice" << false;
        QTest::newRow("question mark is one non-BMP character") << "a?b"
                                                                << "a😀b" << true;
        QTest::newRow("question mark is not half of one") << "a??b"
                                                          << "a😀b" << false;
        QTest::newRow("stored question mark is plain") << "a?c"
                                                       << "a?c" << true;
        QTest::newRow("brackets are literal") << "[a]"
                                              << "x[a]y" << true;
        QTest::newRow("brackets are no class") << "[ab]"
                                               << "a" << false;
        QTest::newRow("hash is no digit") << "#"
                                          << "5" << false;
        QTest::newRow("Greek capitals and final sigma") << "ΣΩΚΡΆΤΗΣ"
                                                        << "Σωκράτης" << true;
        QTest::newRow("Greek accent still counts") << "ΣΩΚΡΑΤΗΣ"
                                                   << "Σωκράτης" << false;
        QTest::newRow("Cyrillic") << "мюллер"
                                  << "МЮЛЛЕР" << true;
        QTest::newRow("Latin with umlaut") << "MÜLLER"
                                           << "Müller" << true;
        QTest::newRow("only stars") << "**"
                                    << "" << true;
        QTest::newRow("Kelvin sign folds to k") << "\u212A"
                                                << "Kate" << true;
        QTest::newRow("ASCII capitals fold") << "SMI*JAM?S"
                                             << "Smith, James" << true;
    }
    void patternsMatchContainedText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(SearchPattern(typed).matches(text), matches);
        // As SQLite hands over stored texts.
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(SearchPattern(typed).matchesUtf8(utf8.constData(), utf8.size()), matches);
    }

    // Texts without letters are matched by SQLite's GLOB; it must agree with the pattern.
    void caselessTextsMatchAlike()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const QStringList numbers{"+48 [12] 345", "0800-FLOWERS", "12*34", "1😀2", "a?b", "55%_"};
        for (const QString& number : numbers)
            book.addNumber(number, book.addName(number, 0, 0), QStringLiteral("Phone"));
        NameSearch search(book);
        for (const QString typed :
             {"[12]", "2]", "[", "1?2", "1??2", "8*0", "2*3", "?", "%_", "*", "-", "😀", "+48 [1"}) {
            const SearchPattern pattern(typed);
            QVERIFY(pattern.isCaseless());
            QStringList expected;
            for (const QString& number : numbers) {
                if (pattern.matches(number))
                    expected << number;
            }
            // Which rows, not their order: the lists' order is the locale's, tested apart.
            QStringList found = names(search.run({}, typed));
            found.sort();
            expected.sort();
            QCOMPARE(found, expected);
        }
        QVERIFY(!SearchPattern(QStringLiteral("1a")).isCaseless());
        QVERIFY(!SearchPattern(QStringLiteral("Ⅻ")).isCaseless());
    }

    // One- and two-character searches reach their rows through the trigrams that begin with
    // them, or walk the list when too many rows hold them: either way they find exactly the
    // names the pattern matches, at the start, middle and end of a name, and in a name of one
    // character, whatever case or form of a letter was typed or stored.
    void shortSearchesFindWhatThePatternMatches()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        QStringList stored{"q",        "Q",        "Zq",   "qZ",     "Oğuz", "Σωκράτης",
                           "ΣΩΚΡΆΤΗΣ", "Kelvin K", "Kate", "Straße", "x\"y", "a😀b",
                           "Ab",       "yab",      "Ёлка", "ёж",     "Æsir", "æ"};
        // Enough common names that some short texts are held by most of the book.
        for (int i = 0; i < 240; ++i)
            stored << QStringLiteral("Anderson %1 Meyer").arg(i);
        // Hundreds of single adds need not each wait for the disk.
        QSqlQuery(book.database()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
        for (const QString& name : std::as_const(stored))
            book.addName(name, 0, 0);
        NameSearch search(book);
        bool rareUsedIndex = false;
        const QStringList typedTexts{"q",  "Q",  "z",  "ς",  "σ",  "Σ",   "k",   "\u212A",
                                     "ß",  "ss", "ab", "AB", "😀",  "\"",  "x\"", "ё",
                                     "Ё",  "æ",  "Æ",  "e",  "an", "r 1", "?b",  "a*b",
                                     "q?", "1",  "99", "?",  "*"};
        for (const QString& typed : typedTexts) {
            const SearchPattern pattern(typed);
            QStringList expected;
            for (const QString& name : std::as_const(stored)) {
                if (pattern.matches(name))
                    expected << name;
            }
            QStringList found = names(search.run(typed, {}));
            found.sort();
            expected.sort();
            QCOMPARE(found, expected);
            if (typed == QStringLiteral("ё"))
                rareUsedIndex = search.usedIndex();
        }
        QVERIFY(rareUsedIndex);
        // A text no trigram begins with finds nothing without reading a row.
        QVERIFY(search.run(QStringLiteral("wj"), {}).isEmpty());
        QVERIFY(search.usedIndex());
    }

    void aNullTextNeverMatches()
    {
        QVERIFY(!SearchPattern(QStringLiteral("*")).matches(QStringView()));
    }

    void indexPiecesAreTheLongRunsOfPlainText()
    {
        QCOMPARE(SearchPattern(QStringLiteral("ab*cde?fgh\"i")).indexablePieces(),
                 (QStringList{QStringLiteral("cde"), QStringLiteral("fgh\"i")}));
        QCOMPARE(SearchPattern(QStringLiteral("ab*cde?fgh\"i")).fullTextQuery(),
                 QStringLiteral("\"cde\" \"fgh\" \"gh\"\"\" \"h\"\"i\""));
        // Trigrams are of characters, a non-BMP one among them whole.
        QCOMPARE(SearchPattern(QStringLiteral("a😀bc")).fullTextQuery(),
                 QStringLiteral("\"a😀b\" \"😀bc\""));
        QVERIFY(SearchPattern(QStringLiteral("a?b*cd")).fullTextQuery().isEmpty());
    }

    void aNewBookHasTheIndexAndKeepsItInStep()
    {
        TestHome home;
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Created);
        const qint64 id = book.addName(QStringLiteral("Σωκράτης"), 0, 0);
        book.addNumber(QStringLiteral("+30 210 555"), id, QStringLiteral("Phone"));
        NameSearch search(book);
        QCOMPARE(names(search.run(QStringLiteral("ΣΩΚΡ"), {})), QStringList{"Σωκράτης"});
        QVERIFY(search.usedIndex());
        QCOMPARE(search.run({}, QStringLiteral("210 5")).size(), 1);
        QVERIFY(search.usedIndex());

        book.renameName(id, QStringLiteral("Πλάτων"));
        QVERIFY(search.run(QStringLiteral("ΣΩΚΡ"), {}).isEmpty());
        QCOMPARE(names(search.run(QStringLiteral("πλάτ"), {})), QStringList{"Πλάτων"});
        book.deleteNameTree(id);
        QVERIFY(search.run(QStringLiteral("πλάτ"), {}).isEmpty());
        QVERIFY(search.run({}, QStringLiteral("210")).isEmpty());
        QCOMPARE(scalar(book, "SELECT count(*) FROM names_search"), 0);
        QCOMPARE(scalar(book, "SELECT count(*) FROM numbers_search"), 0);
    }

    void anOlderBookGetsTheIndexOnOpenAndLosesNothing()
    {
        TestHome home;
        qint64 id = 0;
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            id = book.addName(QStringLiteral("Müller"), 0, 0);
            book.addNumber(QStringLiteral("0049 30 1234"), id, QStringLiteral("Fax"));
            QSqlQuery query(book.database());
            for (const char* object :
                 {"names_search_insert", "names_search_update", "names_search_delete",
                  "numbers_search_insert", "numbers_search_update", "numbers_search_delete"})
                QVERIFY(query.exec(QStringLiteral("DROP TRIGGER ") + QLatin1String(object)));
            QVERIFY(query.exec(QStringLiteral("DROP TABLE names_search")));
            QVERIFY(query.exec(QStringLiteral("DROP TABLE numbers_search")));
            QVERIFY(query.exec(QStringLiteral("DROP VIEW names_search_text")));
            QVERIFY(query.exec(QStringLiteral("DROP VIEW numbers_search_text")));
            // Rows written while no trigger kept the index in step.
            book.addName(QStringLiteral("Öztürk"), 0, 0);
            QCOMPARE(objectCount(book, QStringLiteral("%_search%")), 0);
            // An index of the earlier kind, with a copy of every text of its own.
            QVERIFY(query.exec(QStringLiteral(
                "CREATE VIRTUAL TABLE names_search USING fts5(name, tokenize = 'trigram')")));
        }
        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
        QCOMPARE(objectCount(book, QStringLiteral("names_search")), 1);
        QCOMPARE(objectCount(book, QStringLiteral("%_search_content")), 0);
        // Its three shadow tables, three triggers and the view of its texts.
        QCOMPARE(objectCount(book, QStringLiteral("numbers_search_%")), 3 + 3 + 1);
        QCOMPARE(scalar(book, "SELECT count(*) FROM names"), 2);
        QCOMPARE(scalar(book, "SELECT count(*) FROM numbers"), 1);
        NameSearch search(book);
        QCOMPARE(names(search.run(QStringLiteral("MÜLL"), QStringLiteral("30 12"))),
                 QStringList{"Müller"});
        QVERIFY(search.usedIndex());
        QCOMPARE(names(search.run(QStringLiteral("ÖZT"), {})), QStringList{"Öztürk"});
    }

    // As a book opened read-only cannot be given the index, it is searched row by row.
    void aBookWithoutTheIndexIsSearchedAllTheSame()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const qint64 id = book.addName(QStringLiteral("Όμηρος"), 0, 0);
        book.addNumber(QStringLiteral("22"), id, QStringLiteral("Phone"));
        // Without the index a number search walks the names in order but is counted in one
        // pass over the numbers: both must see the same names, one with two such numbers once.
        for (int i = 0; i < 30; ++i) {
            const qint64 name = book.addName(QStringLiteral("Name %1").arg(i), i % 4 ? 0 : id, 0);
            const QStringList numbers = i % 3 == 0   ? QStringList{"12 22", "22 33"}
                                        : i % 3 == 1 ? QStringList{"555"}
                                                     : QStringList{"7 2"};
            for (const QString& number : numbers)
                book.addNumber(number, name, QStringLiteral("Mobile"));
        }
        QSqlQuery query(book.database());
        QVERIFY(query.exec(QStringLiteral("DROP TABLE names_search")));
        NameSearch search(book);
        QCOMPARE(names(search.run(QStringLiteral("ΌΜΗΡ"), QStringLiteral("222"))), QStringList{});
        QCOMPARE(names(search.run(QStringLiteral("ΌΜΗΡ"), QStringLiteral("22"))),
                 QStringList{"Όμηρος"});
        QVERIFY(!search.usedIndex());

        const ListRows found = search.run({}, QStringLiteral("2"));
        QCOMPARE(found.size(), 21);
        const ListCursor cursor = search.start({}, QStringLiteral("2"));
        QCOMPARE(cursor.count(), found.size());
        for (qsizetype i = 0; i < found.size(); ++i)
            QCOMPARE(cursor.countBefore(*cursor.markOf(found.id(i))), i);
    }

    // A large book puts the rows the index names in the lists' order from the order it read
    // beside the window; what it lists, page by page both ways, must be what the book's own
    // statement lists, and a change by this or another connection must not go unseen.
    void anOrderedSearchListsAsTheBookDoes()
    {
        TestHome home;
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        const QStringList surnames{"Müller", "Mueller", "Schmidt-Müller", "Zoë Müller", "Mül"};
        const QStringList given{"Anna", "björn", "Åsa", "Uwe", "", "Anna"};
        QVERIFY(book.asOneChange([&] {
            // Few enough of them that the index's rows are read by id, not found by a walk.
            for (int i = 0; i < 400; ++i)
                book.addName(QStringLiteral("Name %1").arg(i), 0, 0);
            qint64 parent = 0;
            for (int i = 0; i < 40; ++i) {
                const QString name = surnames.at(i % surnames.size()) + QStringLiteral(", ") +
                                     given.at(i % given.size());
                const qint64 id = book.addName(name, i % 7 == 0 ? parent : 0, 0);
                if (i % 7 == 3)
                    parent = id;
            }
            return true;
        }));
        NameSearch plain(book, std::numeric_limits<qint64>::max());
        NameSearch ordered(book, 1);
        ordered.prepare();
        QVERIFY(ordered.awaitOrder());
        const auto same = [&](const QString& typed) {
            const ListRows all = plain.run(typed, {});
            QCOMPARE(ordered.run(typed, {}), all);
            QVERIFY(ordered.usedOrder());
            ListCursor cursor = ordered.start(typed, {});
            const ListPage first = cursor.pageAfter(std::nullopt, 7);
            QCOMPARE(first.rows, all.mid(0, 7));
            QCOMPARE(cursor.pageAfter(first.last, 7).rows, all.mid(7, 7));
            const ListPage last = cursor.pageBefore(std::nullopt, 5);
            QCOMPARE(last.rows, all.mid(all.size() - 5));
            QCOMPARE(cursor.pageBefore(last.first, 5).rows, all.mid(all.size() - 10, 5));
            QCOMPARE(cursor.count(), all.size());
        };
        same(QStringLiteral("MÜLLER"));
        same(QStringLiteral("ller, ?nna"));
        same(QStringLiteral("ÅSA"));

        // A change made here: the order read before it is not used.
        const qint64 added = book.addName(QStringLiteral("Aaron Müller"), 0, 0);
        QCOMPARE(ordered.run(QStringLiteral("MÜLLER"), {}).first().id, added);
        QVERIFY(!ordered.usedOrder());
        QVERIFY(ordered.awaitOrder());
        same(QStringLiteral("MÜLLER"));

        // One made by another connection, as an import from the command line would.
        {
            PhoneBook other;
            QCOMPARE(other.open(QStringLiteral("data.mdb")), PhoneBook::State::Opened);
            QCOMPARE(other.renameName(added, QStringLiteral("Zygmunt Müller")), 1);
        }
        QCOMPARE(ordered.run(QStringLiteral("MÜLLER"), {}).last().id, added);
        QVERIFY(!ordered.usedOrder());
        QVERIFY(ordered.awaitOrder());
        same(QStringLiteral("MÜLLER"));

        // Inside a change of the book's own, a search sees the name added in it, and leaves
        // the transaction to its owner, which still commits; the book then takes changes.
        QVERIFY(book.asOneChange([&] {
            const qint64 inside = book.addName(QStringLiteral("Aaaa Müller"), 0, 0);
            return ordered.run(QStringLiteral("MÜLLER"), {}).first().id == inside &&
                   !ordered.usedOrder();
        }));
        QCOMPARE(plain.run(QStringLiteral("MÜLLER"), {}).first().text,
                 QStringLiteral("Aaaa Müller"));
        QVERIFY(book.addName(QStringLiteral("After"), 0, 0) > 0);
    }

private:
    static QVariant scalar(PhoneBook& book, const char* statement)
    {
        QSqlQuery query(book.database());
        if (!query.exec(QString::fromUtf8(statement)) || !query.next())
            return {};
        return query.value(0);
    }
};

QTEST_GUILESS_MAIN(NameSearchTest)
#include "tst_namesearch.moc"
