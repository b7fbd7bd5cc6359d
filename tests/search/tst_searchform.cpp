#include "mainwindow/DialForm.h"
#include "search/SearchForm.h"
#include "store/PhoneBook.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "ui/IdListBox.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

// The sample book, the window loaded on it, and its search window shown by the button.
struct Fixture
{
    TestHome home;
    SampleBook book;
    ScriptedPrompt prompt;
    LineService lines;
    std::unique_ptr<DialForm> form;
    qint64 socrates = 0, mueller = 0;

    Fixture()
    {
        book.seed();
        PhoneBook extra;
        extra.open(QStringLiteral("data.mdb"));
        socrates = extra.addName(QStringLiteral("Σωκράτης"), 0, book.family);
        mueller = extra.addName(QStringLiteral("Müller 50%_off"), 0, 0);
        extra.addNumber(QStringLiteral("30-111"), socrates, QStringLiteral("Home"));
        form = std::make_unique<DialForm>(prompt, lines);
        form->Form_Load();
        form->controls().SearchCMD->click();
    }
    SearchForm& search() { return *form->searchForm(); }
    QStringList find(const QString& name, const QString& number)
    {
        search().TxtName->setText(name);
        search().TxtNumber->setText(number);
        search().SearchCMD->click();
        return texts(*search().NamesList);
    }
    void doubleClick(const QString& text)
    {
        const int index = int(texts(*search().NamesList).indexOf(text));
        QVERIFY2(index >= 0, qPrintable(text));
        search().NamesList->setListIndex(index);
        emit search().NamesList->listDoubleClicked();
    }
    QString selected(IdListBox& list) { return list.itemText(list.listIndex()); }
};

QStringList sorted(QStringList list)
{
    list.sort(Qt::CaseInsensitive);
    return list;
}

} // namespace

class SearchFormTest : public QObject
{
    Q_OBJECT

private slots:
    void theButtonShowsTheWindowModallyAsArranged()
    {
        Fixture f;
        SearchForm& s = f.search();
        QVERIFY(s.isVisible());
        QCOMPARE(s.windowModality(), Qt::ApplicationModal);
        QCOMPARE(s.windowTitle(), QStringLiteral("Search"));
        QCOMPARE(s.size(), QSize(twips(5730), twips(5670)));
        QCOMPARE(s.Label1[0]->text(), QStringLiteral("Name Contains : "));
        QCOMPARE(s.Label1[1]->text(), QStringLiteral("Number Contains : "));
        QCOMPARE(s.SearchCMD->text(), QStringLiteral("Searc&h"));
        QCOMPARE(s.clearCmd->text(), QStringLiteral("Clear"));
        QCOMPARE(s.ExitCMD->text(), QStringLiteral("E&xit"));
        QVERIFY(s.SearchCMD->isDefault());
        QCOMPARE(s.Label1[0]->geometry(), twipsRect(180, 90, 1905, 330));
        QCOMPARE(s.TxtName->geometry(), twipsRect(2070, 45, 2580, 420));
        QCOMPARE(s.Label1[1]->geometry(), twipsRect(180, 540, 1905, 330));
        QCOMPARE(s.TxtNumber->geometry(), twipsRect(2070, 495, 2580, 420));
        QCOMPARE(s.SearchCMD->geometry(), twipsRect(4725, 45, 825, 555));
        QCOMPARE(s.clearCmd->geometry(), twipsRect(4725, 630, 825, 285));
        QCOMPARE(s.NamesList->geometry(), twipsRect(135, 945, 5460, 3765));
        QCOMPARE(s.ExitCMD->geometry(), twipsRect(2160, 4860, 1590, 735));
        const QList<QWidget*> order{s.TxtName,   s.TxtNumber, s.SearchCMD,
                                    s.NamesList, s.ExitCMD,   s.clearCmd};
        for (int i = 0; i + 1 < order.size(); ++i) {
            QWidget* next = order[i]->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, order[i + 1]);
        }
    }

    void bothBoxesEmptyListEveryNameAndSubNameOnce()
    {
        Fixture f;
        QCOMPARE(f.find({}, {}), sorted({"Alice", "Bob", "Bob Jr", "Bob's office", "Grandkid",
                                         "Carol", "Dan", "Σωκράτης", "Müller 50%_off"}));
    }

    void aNameTextMatchesAnywhereWhateverTheCase()
    {
        Fixture f;
        QCOMPARE(f.find(QStringLiteral("BO"), {}), (QStringList{"Bob", "Bob Jr", "Bob's office"}));
        QCOMPARE(f.find(QStringLiteral("ro"), {}), QStringList{"Carol"});
        QCOMPARE(f.find(QStringLiteral("ICE"), {}), (QStringList{"Alice", "Bob's office"}));
        QCOMPARE(f.find(QStringLiteral("ΣΩΚΡΆΤΗΣ"), {}), QStringList{"Σωκράτης"});
        QCOMPARE(f.find(QStringLiteral("MÜLLER"), {}), QStringList{"Müller 50%_off"});
    }

    // An apostrophe once made the statement invalid and the list empty.
    void anApostropheIsSearchedLikeAnyOtherCharacter()
    {
        Fixture f;
        QCOMPARE(f.find(QStringLiteral("b's"), {}), QStringList{"Bob's office"});
        QCOMPARE(f.find(QStringLiteral("'"), {}), QStringList{"Bob's office"});
        QCOMPARE(f.find(QStringLiteral("x' OR '1'='1"), {}), QStringList{});
        QCOMPARE(f.find({}, QStringLiteral("1' OR '1'='1")), QStringList{});
    }

    void wildcardsKeepTheirMeaningAndNothingElseIsOne()
    {
        Fixture f;
        QCOMPARE(f.find(QStringLiteral("b*off"), {}), QStringList{"Bob's office"});
        QCOMPARE(f.find(QStringLiteral("B?b"), {}), (QStringList{"Bob", "Bob Jr", "Bob's office"}));
        QCOMPARE(f.find(QStringLiteral("Bo?b"), {}), QStringList{});
        QCOMPARE(f.find(QStringLiteral("?ob J"), {}), QStringList{"Bob Jr"});
        QCOMPARE(f.find(QStringLiteral("%"), {}), QStringList{"Müller 50%_off"});
        QCOMPARE(f.find(QStringLiteral("_"), {}), QStringList{"Müller 50%_off"});
        QCOMPARE(f.find(QStringLiteral("a%c"), {}), QStringList{});
        QCOMPARE(f.find(QStringLiteral("b_b"), {}), QStringList{});
        QCOMPARE(f.find({}, QStringLiteral("1?1")), (QStringList{"Alice", "Σωκράτης"}));
    }

    void aNumberFindsItsNameOnceAndNamesWithoutNumbersNever()
    {
        Fixture f;
        // Alice has 111, 112, 211, 311, 411 and 911: five contain "11", she is listed once.
        QCOMPARE(f.find({}, QStringLiteral("11")), (QStringList{"Alice", "Σωκράτης"}));
        QCOMPARE(f.find({}, QStringLiteral("99")), (QStringList{"Bob Jr", "Grandkid"}));
        QCOMPARE(f.find(QStringLiteral("carol"), {}), QStringList{"Carol"});
        QCOMPARE(f.find(QStringLiteral("carol"), QStringLiteral("1")), QStringList{});
        QCOMPARE(f.find(QStringLiteral("b"), QStringLiteral("999")), QStringList{"Bob Jr"});
        QCOMPARE(f.search().NamesList->count(), 1);
        QCOMPARE(f.search().NamesList->itemData(0), f.book.bobJr);
    }

    void aDoubleClickOnASubNameBringsUpItsGroupParentAndItself()
    {
        Fixture f;
        const auto& ui = f.form->controls();
        f.find(QStringLiteral("office"), {});
        f.doubleClick(QStringLiteral("Bob's office"));
        QCOMPARE(f.selected(*ui.GroupsList), QStringLiteral("Work"));
        QCOMPARE(f.selected(*ui.NamesList), QStringLiteral("Bob"));
        QCOMPARE(f.selected(*ui.SubList), QStringLiteral("Bob's office"));
        QCOMPARE(f.form->ActiveList(), QStringLiteral("S"));
        QCOMPARE(f.form->CardId(), f.book.office);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Telvora  (Work)"));
        QVERIFY(!f.search().isVisible());
    }

    void theWindowKeepsItsTextsAndResultsAfterADoubleClick()
    {
        Fixture f;
        const QStringList found = f.find(QStringLiteral("*"), QStringLiteral("1"));
        QCOMPARE(found, (QStringList{"Alice", "Σωκράτης"}));
        SearchForm* window = f.form->searchForm();
        f.doubleClick(QStringLiteral("Σωκράτης"));
        QCOMPARE(f.selected(*f.form->controls().NamesList), QStringLiteral("Σωκράτης"));
        QCOMPARE(f.selected(*f.form->controls().GroupsList), QStringLiteral("Family"));
        QCOMPARE(f.form->CardId(), f.socrates);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f.form->controls().SearchCMD->click();
        QCOMPARE(f.form->searchForm(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->TxtName->text(), QStringLiteral("*"));
        QCOMPARE(window->TxtNumber->text(), QStringLiteral("1"));
        QCOMPARE(texts(*window->NamesList), found);
    }

    // The main window lists sub-names one level down only: a row filed deeper comes up
    // through the sub-name it is filed under, not as nothing at all.
    void aSubNameOfASubNameComesUpUnderItsTopLevelName()
    {
        Fixture f;
        const auto& ui = f.form->controls();
        f.find(QStringLiteral("grand"), {});
        f.doubleClick(QStringLiteral("Grandkid"));
        QCOMPARE(f.selected(*ui.GroupsList), QStringLiteral("Work"));
        QCOMPARE(f.selected(*ui.NamesList), QStringLiteral("Bob"));
        QCOMPARE(f.selected(*ui.SubList), QStringLiteral("Bob Jr"));
    }

    // Without this the name would be looked for in whatever group was shown, and the card
    // of another contact would stay on screen.
    void aNameWhoseGroupIsGoneComesUpUnderAllGroups()
    {
        Fixture f;
        const auto& ui = f.form->controls();
        f.find(QStringLiteral("dan"), {});
        f.doubleClick(QStringLiteral("Dan"));
        QCOMPARE(f.selected(*ui.GroupsList), QStringLiteral("All Groups"));
        QCOMPARE(f.selected(*ui.NamesList), QStringLiteral("Dan"));
        QCOMPARE(f.form->CardId(), f.book.dan);
        f.find(QStringLiteral("50%"), {});
        f.doubleClick(QStringLiteral("Müller 50%_off"));
        QCOMPARE(f.selected(*ui.GroupsList), QStringLiteral("All Groups"));
        QCOMPARE(f.form->CardId(), f.mueller);
    }

    void aResultDeletedMeanwhileSelectsNothingAndStillHides()
    {
        Fixture f;
        f.find(QStringLiteral("carol"), {});
        f.form->phoneBook().deleteNameTree(f.book.carol);
        f.doubleClick(QStringLiteral("Carol"));
        QVERIFY(!f.search().isVisible());
        QVERIFY(f.form->CardId() != f.book.carol);
    }

    void clearEmptiesTheBoxesAndLeavesTheResults()
    {
        Fixture f;
        f.form->activateWindow();
        const QStringList found = f.find(QStringLiteral("bob"), QStringLiteral("9"));
        f.search().clearCmd->click();
        QCOMPARE(f.search().TxtName->text(), QString());
        QCOMPARE(f.search().TxtNumber->text(), QString());
        QCOMPARE(texts(*f.search().NamesList), found);
        QCOMPARE(f.search().focusWidget(), f.search().TxtName);
    }

    void exitAndEscUnloadTheWindow()
    {
        Fixture f;
        f.find(QStringLiteral("bob"), {});
        f.search().ExitCMD->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.form->searchForm());
        f.form->controls().SearchCMD->click();
        QCOMPARE(f.search().TxtName->text(), QString());
        QCOMPARE(f.search().NamesList->count(), 0);
        QTest::keyClick(&f.search(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.form->searchForm());
    }

    void enterSearches()
    {
        Fixture f;
        f.search().TxtName->setText(QStringLiteral("carol"));
        QTest::keyClick(f.search().TxtName, Qt::Key_Return);
        QCOMPARE(texts(*f.search().NamesList), QStringList{"Carol"});
    }

    // Lists and results hold a page at first; a jump reaches a row far beyond it.
    void aJumpReachesANameNotReadYet()
    {
        Fixture f;
        qint64 last = 0;
        {
            PhoneBook more;
            more.open(QStringLiteral("data.mdb"));
            for (int i = 0; i < 3 * IdListModel::kPage; ++i)
                last = more.addName(QStringLiteral("Zz %1").arg(i, 4, 10, QLatin1Char('0')), 0,
                                    f.book.work);
        }
        const auto& ui = f.form->controls();
        click(*ui.GroupsList, QStringLiteral("All Groups"));
        QCOMPARE(ui.NamesList->count(), IdListModel::kPage);
        f.search().TxtName->setText(QStringLiteral("zz 0767"));
        f.search().SearchCMD->click();
        f.search().NamesList->setListIndex(0);
        emit f.search().NamesList->listDoubleClicked();
        QCOMPARE(f.selected(*ui.GroupsList), QStringLiteral("Work"));
        QCOMPARE(ui.NamesList->itemData(ui.NamesList->listIndex()), last);
        // Reading past the first page counts the list: Bob and the names added.
        QCOMPARE(ui.NamesList->count(), 3 * IdListModel::kPage + 1);
        // The whole result list is there to scroll through, a page at a time.
        f.search().TxtName->clear();
        f.search().SearchCMD->click();
        QCOMPARE(f.search().NamesList->count(), IdListModel::kPage);
        QCOMPARE(texts(*f.search().NamesList).size(), 3 * IdListModel::kPage + 9);
    }
};

QTEST_MAIN(SearchFormTest)
#include "tst_searchform.moc"
