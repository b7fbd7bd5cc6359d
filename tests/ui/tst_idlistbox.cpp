#include "store/PhoneBook.h"
#include "support/SampleBook.h"
#include "support/TestHome.h"
#include "ui/IdListBox.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>

using namespace telvora;
using telvora::test::TestHome;

namespace {

constexpr int kNames = 9 * IdListModel::kPage + 17;

// A list long enough for many pages, some of its rows without a sort key (as another
// program leaves them), which sort first.
struct LongList
{
    TestHome home;
    PhoneBook book;
    ListRows expected;

    LongList()
    {
        test::writeRawBook(test::looseTables()
                           << QStringLiteral(
                                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION SELECT i + 1 FROM n"
                                  " WHERE i < %1) INSERT INTO names (id, name, parent, \"group\")"
                                  " SELECT i, printf('n%05d', (i * 7919) % %1), 0, 0 FROM n")
                                  .arg(kNames));
        book.open(QStringLiteral("data.mdb"));
        test::writeRawBook({QStringLiteral("UPDATE names SET sortkey = NULL WHERE id % 97 = 0")});
        expected = book.topLevelNamesCursor().rest();
    }
};

} // namespace

class IdListBoxTest : public QObject
{
    Q_OBJECT
private slots:
    // Read in any order, each row is the one the list has there, and only a few pages stay
    // in memory: the end by reading backwards, the middle by walking from a page read.
    void aLongListHoldsFewPagesInAnyOrder()
    {
        LongList list;
        QCOMPARE(list.expected.size(), kNames);
        IdListModel model;
        model.setCursor(list.book.topLevelNamesCursor());
        QCOMPARE(model.rowCount(), IdListModel::kPage);
        model.fetchMore({});
        QCOMPARE(model.rowCount(), kNames);
        QVERIFY(model.isComplete());
        for (const int index : {kNames - 1, 0, 5 * IdListModel::kPage + 3, kNames - 300, 1})
            QCOMPARE(model.row(index), list.expected.at(index));
        for (int index = kNames - 1; index >= 0; --index)
            QCOMPARE(model.row(index), list.expected.at(index));
        QVERIFY(model.rowsHeld() <= IdListModel::kHeldPages * IdListModel::kPage);
        QCOMPARE(model.indexOfId(list.expected.at(kNames - 2).id), kNames - 2);

        // A row nearer the end than any page read, before the end itself was read.
        IdListModel nearEnd;
        nearEnd.setCursor(list.book.topLevelNamesCursor());
        nearEnd.fetchMore({});
        for (const int index : {kNames - IdListModel::kPage - 20, kNames - 1})
            QCOMPARE(nearEnd.row(index), list.expected.at(index));
    }

    // A page far from those read is reached by skipping the rows between, and read alone;
    // from a row without a key, as when many rows lack one, by walking as before.
    void aFarPageIsReadAlone()
    {
        LongList list;
        for (const bool manyUnkeyed : {false, true}) {
            if (manyUnkeyed) {
                test::writeRawBook(
                    {QStringLiteral("UPDATE names SET sortkey = NULL WHERE id % 3 = 0")});
                list.expected = list.book.topLevelNamesCursor().rest();
            }
            IdListModel model;
            model.setCursor(list.book.topLevelNamesCursor());
            model.fetchMore({});
            for (const int index : {2 * IdListModel::kPage + 1, 4 * IdListModel::kPage + 10,
                                    kNames - 300, 5 * IdListModel::kPage + 3}) {
                const int read = model.pagesRead();
                QCOMPARE(model.row(index), list.expected.at(index));
                if (!manyUnkeyed)
                    QCOMPARE(model.pagesRead(), read + 1);
            }
        }
    }

    // A row is found where the list has it by counting the rows before it, wherever it
    // stands: among the rows without a key, at a page's first or last place, at the end.
    void aRowIsFoundByCountingWithoutReadingThePagesBefore()
    {
        LongList list;
        for (const int index : {0, 5, IdListModel::kPage - 1, IdListModel::kPage,
                                4 * IdListModel::kPage + 100, kNames - 1}) {
            IdListModel model;
            model.setCursor(list.book.topLevelNamesCursor());
            QCOMPARE(model.indexOfId(list.expected.at(index).id), index);
            // The first page, and the one holding the row when it is not the first.
            QVERIFY(model.pagesRead() <= 2);
            QCOMPARE(model.row(index), list.expected.at(index));
            // Its neighbours too, as far as the list is known.
            for (const int near : {index - 1, index + 1}) {
                if (near >= 0 && near < model.rowCount())
                    QCOMPARE(model.row(near), list.expected.at(near));
            }
        }
        IdListModel model;
        model.setCursor(list.book.topLevelNamesInGroupCursor(1));
        QCOMPARE(model.indexOfId(list.expected.at(7).id), -1);
    }

    // A search's rows are not counted first: the list grows as it is read, in ever larger
    // steps, and still holds only a few pages.
    void anUncountedListGrowsAsItIsRead()
    {
        LongList list;
        IdListModel model;
        model.setCursor(list.book.namesCursor(QStringLiteral("parent = 0"), {}));
        QVERIFY(model.canFetchMore({}));
        model.fetchAll();
        QCOMPARE(model.rowCount(), kNames);
        for (int index = 0; index < kNames; ++index)
            QCOMPARE(model.row(index), list.expected.at(index));
        QVERIFY(model.rowsHeld() <= IdListModel::kHeldPages * IdListModel::kPage);
    }

    // In a search's rows too (walked, or put in order by the search), a row far down is
    // found by counting: the list reaches its page without the pages before, reads those
    // when they are looked at, and grows on from it by a page, not by all it passed.
    void aSearchFindsItsRowWithoutReadingThePagesBefore()
    {
        LongList list;
        const QList<qint64> ids = list.expected.ids();
        const int index = 6 * IdListModel::kPage + 40;
        for (const bool ordered : {false, true}) {
            IdListModel model;
            const QString filter = QStringLiteral("parent = 0");
            model.setCursor(
                ordered ? ListCursor::ordered(list.book, QStringLiteral("names"), filter, {}, ids)
                        : list.book.namesCursor(filter, {}));
            QCOMPARE(model.indexOfId(ids.at(index)), index);
            QVERIFY(model.pagesRead() <= 2);
            QCOMPARE(model.rowCount(), 7 * IdListModel::kPage);
            QCOMPARE(model.row(index + 1), list.expected.at(index + 1));
            QCOMPARE(model.row(IdListModel::kPage + 3), list.expected.at(IdListModel::kPage + 3));
            model.fetchMore({});
            QCOMPARE(model.rowCount(), 8 * IdListModel::kPage);
            model.fetchAll();
            QCOMPARE(model.rowCount(), kNames);
            for (int at = 0; at < kNames; ++at)
                QCOMPARE(model.row(at), list.expected.at(at));
        }
    }

    // Typing a name's beginning finds it however far in a list not read yet, reading only
    // its page: letter case and accents aside, a letter typed again stepping to the next
    // row beginning with it and round to the first, a pause starting a new search.
    void typingFindsRowsNotReadYet_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("list") << 0;
        QTest::newRow("search") << 1;
        QTest::newRow("search in order") << 2;
    }

    void typingFindsRowsNotReadYet()
    {
        QFETCH(int, kind);
        TestHome home;
        test::writeRawBook(test::looseTables() << QStringLiteral(
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION SELECT i + 1 FROM n"
                               " WHERE i < 3000) INSERT INTO names (id, name, parent, \"group\")"
                               " SELECT i, CASE WHEN i % 1000 = 7 THEN 'Zeta ' WHEN i = 500"
                               " THEN '\u00dcber ' ELSE 'Name ' END || printf('%05d', i), 0, 0"
                               " FROM n"));
        PhoneBook book;
        book.open(QStringLiteral("data.mdb"));
        IdListBox list(IdListBox::Selection::Single);
        const QString everyName = QStringLiteral("1");
        if (kind == 0)
            list.setCursor(book.topLevelNamesCursor());
        else if (kind == 1)
            list.setCursor(book.namesCursor(everyName, {}));
        else
            list.setCursor(ListCursor::ordered(book, QStringLiteral("names"), everyName, {},
                                               book.topLevelNamesCursor().rest().ids()));
        const auto& model = static_cast<const IdListModel&>(*list.model());
        QStyleHints& hints = *QGuiApplication::styleHints();
        const int interval = hints.keyboardInputInterval();
        const auto type = [&](const QString& keys) {
            // Keys typed together, after a pause longer than the interval allows.
            hints.setKeyboardInputInterval(1);
            QTest::qWait(20);
            QTest::keyClicks(&list, keys.left(1));
            hints.setKeyboardInputInterval(60'000);
            QTest::keyClicks(&list, keys.mid(1));
            return list.itemText(list.listIndex());
        };

        QCOMPARE(type(QStringLiteral("ZE")), QStringLiteral("Zeta 00007"));
        QCOMPARE(list.listIndex(), 2997);
        QVERIFY(model.pagesRead() <= 2);
        QCOMPARE(type(QStringLiteral("z")), QStringLiteral("Zeta 01007"));
        QCOMPARE(type(QStringLiteral("zz")), QStringLiteral("Zeta 00007"));
        QCOMPARE(type(QStringLiteral("u")), QStringLiteral("\u00dcber 00500"));
        QCOMPARE(type(QStringLiteral("q")), QStringLiteral("\u00dcber 00500"));
        QCOMPARE(type(QStringLiteral("nAME 02")), QStringLiteral("Name 02000"));
        hints.setKeyboardInputInterval(interval);
    }

    // A list held whole (groups, sub-names, numbers) is typed in as the names are: a letter
    // typed again steps on, round to the first, accents aside, rows added at its end too.
    void typingStepsThroughAListHeldWhole()
    {
        IdListBox list(IdListBox::Selection::Single);
        ListRows rows;
        for (const char* name :
             {"Bob A", "Carl", "\u00dcte", "Dora", "\U00010400 one", "\U00010400 two"})
            rows.append(ListRow{rows.size() + 1, QString::fromUtf8(name)});
        list.setRows(rows);
        list.addItem(QStringLiteral("bob b"), 9);
        QTest::keyClicks(&list, QStringLiteral("bb"));
        QCOMPARE(list.itemText(list.listIndex()), QStringLiteral("bob b"));
        QTest::keyClick(&list, Qt::Key_B);
        QCOMPARE(list.itemText(list.listIndex()), QStringLiteral("Bob A"));
        QTest::keyClicks(&list, QStringLiteral("u"));
        QCOMPARE(list.itemText(list.listIndex()), QStringLiteral("Bob A"));
        QStyleHints& hints = *QGuiApplication::styleHints();
        const int interval = hints.keyboardInputInterval();
        hints.setKeyboardInputInterval(1);
        QTest::qWait(20);
        QTest::keyClick(&list, Qt::Key_U);
        QCOMPARE(list.itemText(list.listIndex()), QStringLiteral("\u00dcte"));
        // A letter of two UTF-16 units, typed twice (its small form): the next row with it.
        const QString small = QString::fromUcs4(U"\U00010428", 1);
        QTest::qWait(20);
        QTest::sendKeyEvent(QTest::Click, &list, Qt::Key_unknown, small, Qt::NoModifier);
        hints.setKeyboardInputInterval(60'000);
        QTest::sendKeyEvent(QTest::Click, &list, Qt::Key_unknown, small, Qt::NoModifier);
        hints.setKeyboardInputInterval(interval);
        QCOMPARE(list.itemText(list.listIndex()), QString::fromUcs4(U"\U00010400 two"));
    }

    // Changes made in place outlive the pages they were made in being dropped and read again.
    void inPlaceChangesOutliveTheirPage()
    {
        LongList list;
        IdListModel model;
        model.setCursor(list.book.topLevelNamesCursor());
        model.fetchAll();
        model.setText(10, QStringLiteral("renamed"));
        model.remove(3);
        model.append(ListRow{-5, QStringLiteral("added")});
        for (int index = kNames - 1; index > IdListModel::kHeldPages * IdListModel::kPage; --index)
            model.row(index);
        QCOMPARE(model.rowCount(), kNames);
        QCOMPARE(model.row(9).text, QStringLiteral("renamed"));
        QCOMPARE(model.row(3), list.expected.at(4));
        QCOMPARE(model.row(kNames - 2), list.expected.at(kNames - 1));
        QCOMPARE(model.row(kNames - 1).text, QStringLiteral("added"));
        QCOMPARE(model.indexOfId(list.expected.at(3).id), -1);
    }
};

QTEST_MAIN(IdListBoxTest)
#include "tst_idlistbox.moc"
