#include "mainwindow/AboutWindow.h"
#include "mainwindow/DialForm.h"
#include "store/Schema.h"
#include "support/SampleBook.h"
#include "support/SampleWindow.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"
#include "ui/TabControl.h"
#include "ui/Twips.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace telvora;
using telvora::test::ScriptedPrompt;
using telvora::test::TestHome;
using namespace telvora::test;

namespace {

QLineEdit* line(DialForm& form, int index)
{
    return qobject_cast<QLineEdit*>(form.controls().Text1.value(index));
}

} // namespace

class DialFormTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsTheFirstGroupAndItsFirstName()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        const auto& ui = form.controls();

        QCOMPARE(texts(*ui.GroupsList),
                 (QStringList{QStringLiteral("Family"), QStringLiteral("Work"),
                              QStringLiteral("All Groups"), QStringLiteral("No Group")}));
        QCOMPARE(ui.GroupsList->itemData(0), book.family);
        QCOMPARE(ui.GroupsList->itemData(2), 0);
        QCOMPARE(ui.GroupsList->itemData(3), 0);
        QCOMPARE(form.windowTitle(), QStringLiteral("Telvora  (Family)"));
        QCOMPARE(texts(*ui.NamesList), QStringList{QStringLiteral("Alice")});
        QCOMPARE(ui.NamesList->listIndex(), 0);
        QCOMPARE(form.CardId(), book.alice);
        QCOMPARE(form.ActiveList(), QStringLiteral("N"));
        QVERIFY(!form.CardDirty());
        QVERIFY(!form.StartingUp());
        QCOMPARE(line(form, 100)->text(), QStringLiteral("Acme"));
        QCOMPARE(ui.Combo1->currentText(), QStringLiteral("Ms."));
        QCOMPARE(qobject_cast<QPlainTextEdit*>(ui.Text1.value(0))->toPlainText(),
                 QStringLiteral("line 1\nline 2"));
        QCOMPARE(line(form, 14)->text(), QString::number(book.alice));
        QCOMPARE(ui.GroupLabel->text(), QStringLiteral("Family"));

        // Every number of each kind is listed and selected; a number of no known kind is not.
        QCOMPARE(texts(*ui.PhonesList),
                 (QStringList{QStringLiteral("111"), QStringLiteral("112")}));
        QCOMPARE(ui.PhonesList->selectedItems(), (QList<int>{0, 1}));
        QCOMPARE(texts(*ui.FaxList), QStringList{QStringLiteral("211")});
        QCOMPARE(texts(*ui.MobileList), QStringList{QStringLiteral("311")});
        QCOMPARE(texts(*ui.HomeList), QStringList{QStringLiteral("411")});
        QCOMPARE(ui.HomeList->selectedItems(), QList<int>{0});
        QCOMPARE(ui.SSTab1->currentIndex(), 0);
        QVERIFY(prompt.asked.isEmpty());
        QVERIFY(form.trayIcon());
        QCOMPARE(form.trayIcon()->toolTip(), QStringLiteral("Double Click for Telvora"));
        QCOMPARE(form.setGroupItems().size(), 2);
        QCOMPARE(form.setGroupItems()[1]->text(), QStringLiteral("Work"));
    }

    void fixedGroupItemsListTheRightNames()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        const auto& ui = form.controls();

        click(*ui.GroupsList, QStringLiteral("All Groups"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Telvora  (All Groups)"));
        QCOMPARE(texts(*ui.NamesList),
                 (QStringList{QStringLiteral("Alice"), QStringLiteral("Bob"),
                              QStringLiteral("Carol"), QStringLiteral("Dan")}));
        click(*ui.GroupsList, QStringLiteral("No Group"));
        // Dan's group no longer exists: he is listed under all groups only.
        QCOMPARE(texts(*ui.NamesList), QStringList{QStringLiteral("Carol")});
        QCOMPARE(ui.GroupLabel->text(), QString());
        click(*ui.GroupsList, QStringLiteral("Work"));
        QCOMPARE(texts(*ui.NamesList), QStringList{QStringLiteral("Bob")});
        QCOMPARE(ui.GroupLabel->text(), QStringLiteral("Work"));
        click(*ui.GroupsList, QStringLiteral("All Groups"));
        click(*ui.NamesList, QStringLiteral("Dan"));
        QCOMPARE(ui.GroupLabel->text(), QString());
    }

    void groupsNamedLikeTheFixedItemsAreOrdinaryGroups()
    {
        TestHome home;
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            const qint64 fake = book.addGroup(QStringLiteral("All Groups"));
            book.addName(QStringLiteral("Inside"), 0, fake);
            book.addName(QStringLiteral("Outside"), 0, 0);
            book.addGroup(QStringLiteral("Gone"));
        }
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        const auto& ui = form.controls();
        // The window opens on the stored group of that name: only its own member.
        QCOMPARE(ui.GroupsList->listIndex(), 0);
        QCOMPARE(texts(*ui.NamesList), QStringList{QStringLiteral("Inside")});
        ui.GroupsList->setListIndex(ui.GroupsList->count() - 2);
        QCOMPARE(texts(*ui.NamesList),
                 (QStringList{QStringLiteral("Inside"), QStringLiteral("Outside")}));

        // A group deleted meanwhile leaves no item behind in Move to Group.
        const qint64 gone = form.phoneBook().groups().last().id;
        QVERIFY(form.phoneBook().deleteGroup(gone) > 0);
        form.LoadGroups();
        QStringList offered;
        for (QAction* item : form.moveGroupMenu().actions()) {
            if (item->isVisible())
                offered << item->text();
        }
        QCOMPARE(offered, QStringList{QStringLiteral("All Groups")});
    }

    void emptyBookListsOnlyTheFixedItems()
    {
        TestHome home;
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        const auto& ui = form.controls();
        QVERIFY(QFile::exists(home.file(QStringLiteral("data.mdb"))));
        QVERIFY(prompt.asked.isEmpty());
        QCOMPARE(texts(*ui.GroupsList),
                 (QStringList{QStringLiteral("All Groups"), QStringLiteral("No Group")}));
        QCOMPARE(form.windowTitle(), QStringLiteral("Telvora  (All Groups)"));
        QCOMPARE(ui.NamesList->count(), 0);
        QCOMPARE(form.CardId(), 0);
        // The new file is a working phone book at once.
        QVERIFY(form.phoneBook().addName(QStringLiteral("New"), 0, 0) > 0);
    }

    void unusableFileIsReportedOnceAndLeftAlone()
    {
        TestHome home;
        const QByteArray junk("this is not a phone book\n");
        {
            QFile file(home.file(QStringLiteral("data.mdb")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(junk);
        }
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages()[0].text.contains(home.file(QStringLiteral("data.mdb"))));
        QVERIFY(prompt.messages()[0].text.contains(QStringLiteral("not a phone book")));
        QCOMPARE(texts(*form.controls().GroupsList),
                 (QStringList{QStringLiteral("All Groups"), QStringLiteral("No Group")}));
        QCOMPARE(form.controls().NamesList->count(), 0);
        form.ExitCMD_Click();
        QFile file(home.file(QStringLiteral("data.mdb")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), junk);
    }

    void subNamesAndTheirCards()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        const auto& ui = form.controls();
        click(*ui.GroupsList, QStringLiteral("Work"));
        QCOMPARE(texts(*ui.SubList),
                 (QStringList{QStringLiteral("Bob Jr"), QStringLiteral("Bob's office")}));
        QCOMPARE(form.CardId(), book.bob);

        click(*ui.SubList, QStringLiteral("Bob Jr"));
        QCOMPARE(form.ActiveList(), QStringLiteral("S"));
        QCOMPARE(form.CardId(), book.bobJr);
        QCOMPARE(line(form, 100)->text(), QStringLiteral("Junior Ltd"));
        QCOMPARE(texts(*ui.PhonesList), QStringList{QStringLiteral("999")});
        QCOMPARE(ui.FaxList->count(), 0);
        // The sub-name list keeps showing Bob's children, not Bob Jr's.
        QCOMPARE(texts(*ui.SubList),
                 (QStringList{QStringLiteral("Bob Jr"), QStringLiteral("Bob's office")}));
        QCOMPARE(ui.GroupLabel->text(), QStringLiteral("Work"));
        QVERIFY(!form.CardDirty());

        // Sub-names are never listed among the names of any group.
        for (const QString& group :
             {QStringLiteral("All Groups"), QStringLiteral("No Group"), QStringLiteral("Work")}) {
            click(*ui.GroupsList, group);
            QVERIFY(!texts(*ui.NamesList).contains(QStringLiteral("Bob Jr")));
            QVERIFY(!texts(*ui.NamesList).contains(QStringLiteral("Grandkid")));
        }
    }

    void editsGoToTheRowTheCardShowed()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        const auto& ui = form.controls();

        line(form, 5)->setText(QStringLiteral("Chief O'Brien"));
        ui.Combo1->setEditText(QStringLiteral("Dr."));
        QVERIFY(form.CardDirty());
        click(*ui.GroupsList, QStringLiteral("Work"));
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("JobTitle")).toString(),
                 QStringLiteral("Chief O'Brien"));
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("Gender")).toString(),
                 QStringLiteral("Dr."));
        QVERIFY(nameColumn(form, book.bob, QStringLiteral("JobTitle")).isNull());
        QCOMPARE(form.CardId(), book.bob);
        QVERIFY(line(form, 5)->text().isEmpty());

        // A sub-name's edits go to the sub-name, and a name click after them saves them.
        click(*ui.SubList, QStringLiteral("Bob's office"));
        line(form, 12)->setText(QStringLiteral("office@example.org"));
        click(*ui.NamesList, QStringLiteral("Bob"));
        QCOMPARE(nameColumn(form, book.office, QStringLiteral("Email")).toString(),
                 QStringLiteral("office@example.org"));
        QVERIFY(nameColumn(form, book.bob, QStringLiteral("Email")).isNull());
    }

    void editThenEmptyGroupSavesAndKeepsTheCard()
    {
        TestHome home;
        SampleBook book;
        book.seed();
        {
            PhoneBook extra;
            extra.open(QStringLiteral("data.mdb"));
            extra.addGroup(QStringLiteral("Empty"));
        }
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        const auto& ui = form.controls();
        QCOMPARE(form.CardId(), 0); // "Empty" sorts first
        click(*ui.GroupsList, QStringLiteral("Family"));
        line(form, 11)->setText(QStringLiteral("Ελλάδα"));
        click(*ui.GroupsList, QStringLiteral("Empty"));
        QCOMPARE(ui.NamesList->count(), 0);
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("Country")).toString(),
                 QStringLiteral("Ελλάδα"));
        QCOMPARE(line(form, 11)->text(), QStringLiteral("Ελλάδα"));
        QCOMPARE(texts(*ui.PhonesList),
                 (QStringList{QStringLiteral("111"), QStringLiteral("112")}));
        QCOMPARE(form.ActiveList(), QStringLiteral("N"));
        QCOMPARE(form.CardId(), book.alice);
    }

    void cardFieldsFollowColumnNames()
    {
        // Card columns first and a missing one: fields go by name, the missing column is
        // added, and no field ever shows another column's value.
        TestHome home;
        QStringList card = schema::cardColumns();
        card.removeAll(QStringLiteral("Email"));
        writeRawBook(looseTables({{QStringLiteral("names"),
                                   QStringLiteral("CREATE TABLE names (%1, id INTEGER PRIMARY KEY,"
                                                  " name, parent, \"group\")")
                                       .arg(card.join(QStringLiteral(", ")))}}) +
                     QStringList{QStringLiteral("INSERT INTO names (id, name, parent, \"group\","
                                                " FullName) VALUES (7, 'Ann', 0, 0, 'Ann Smith'),"
                                                " (8, 'Bob', 0, 0, NULL)")});
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QCOMPARE(form.phoneBook().state(), PhoneBook::State::Opened);
        QCOMPARE(form.CardId(), qint64(7));
        QCOMPARE(line(form, 1)->text(), QStringLiteral("Ann Smith"));
        QVERIFY(line(form, 12)->text().isEmpty());

        line(form, 1)->setText(QStringLiteral("Ann Jones"));
        line(form, 12)->setText(QStringLiteral("ann@example.org"));
        click(*form.controls().NamesList, QStringLiteral("Bob"));
        QCOMPARE(nameColumn(form, 7, QStringLiteral("FullName")).toString(),
                 QStringLiteral("Ann Jones"));
        QCOMPARE(nameColumn(form, 7, QStringLiteral("Email")).toString(),
                 QStringLiteral("ann@example.org"));
        QVERIFY(line(form, 1)->text().isEmpty());
        click(*form.controls().NamesList, QStringLiteral("Ann"));
        QCOMPARE(line(form, 1)->text(), QStringLiteral("Ann Jones"));
    }

    void longValuesAreShownCutShortAndKeptWhole()
    {
        TestHome home;
        SampleBook book;
        book.seed();
        const QString company(CardField::kShownLimit + 1000, QLatin1Char('c'));
        const QString notes = QStringLiteral("word ").repeated(6000);
        {
            PhoneBook writer;
            writer.open(QStringLiteral("data.mdb"));
            QVERIFY(writer.updateNameColumns(book.alice, {{QStringLiteral("Company"), company},
                                                          {QStringLiteral("Notes"), notes}}));
        }
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QCOMPARE(form.CardId(), book.alice);
        QLineEdit* companyField = line(form, 100);
        QCOMPARE(companyField->text().size(), CardField::kShownLimit);
        QVERIFY(companyField->text().endsWith(QChar(0x2026)));
        QVERIFY(companyField->isReadOnly());

        // A paste that would take a field past what it can hold is refused whole.
        auto* notesField = qobject_cast<QPlainTextEdit*>(form.controls().Text1.value(0));
        QGuiApplication::clipboard()->setText(company);
        notesField->paste();
        QCOMPARE(notesField->toPlainText(), notes);

        line(form, 5)->setText(QStringLiteral("Boss"));
        click(*form.controls().GroupsList, QStringLiteral("Work"));
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("JobTitle")).toString(),
                 QStringLiteral("Boss"));
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("Company")).toString(), company);
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("Notes")).toString(), notes);
        QVERIFY(!companyField->isReadOnly());
    }

    void idsBeyondThirtyTwoBitsReachTheirOwnRow()
    {
        // 4294967297 cut to 32 bits is 1, the id of the sample book's first name.
        const qint64 big = 4294967297;
        SampleWindow w([big](SampleWindow&) {
            writeRawBook({QStringLiteral("INSERT INTO names (id, name, parent, \"group\", Company)"
                                         " VALUES (%1, 'Big', 0, 0, 'Big Co')")
                              .arg(big)});
        });
        QCOMPARE(w.book.alice, qint64(1));
        click(*w.form->controls().GroupsList, QStringLiteral("No Group"));
        click(*w.form->controls().NamesList, QStringLiteral("Big"));
        QCOMPARE(w.form->CardId(), big);
        QCOMPARE(line(*w.form, 100)->text(), QStringLiteral("Big Co"));
        line(*w.form, 100)->setText(QStringLiteral("Bigger Co"));
        click(*w.form->controls().NamesList, QStringLiteral("Carol"));
        QCOMPARE(nameColumn(*w.form, big, QStringLiteral("Company")).toString(),
                 QStringLiteral("Bigger Co"));
        QCOMPARE(nameColumn(*w.form, 1, QStringLiteral("Company")).toString(),
                 QStringLiteral("Acme"));
    }

    void cardOfAVanishedRowWritesNothing()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        QSqlQuery query(form.phoneBook().database());
        QVERIFY(query.exec(QStringLiteral("DELETE FROM names WHERE id = %1").arg(book.alice)));
        line(form, 100)->setText(QStringLiteral("Ghost Inc"));
        click(*form.controls().GroupsList, QStringLiteral("All Groups"));
        QVERIFY(
            query.exec(QStringLiteral("SELECT count(*) FROM names WHERE Company = 'Ghost Inc'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 0);
        QVERIFY(prompt.asked.isEmpty());
    }

    void exitSavesTheCardAndEnds()
    {
        TestHome home;
        SampleBook book;
        book.seed();
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        QSignalSpy exited(&form, &DialForm::exitRequested);
        form.Form_Load();
        qobject_cast<QPlainTextEdit*>(form.controls().Text1.value(0))
            ->setPlainText(QStringLiteral("call back after 5"));
        form.ExitCMD_Click();
        QCOMPARE(exited.size(), 1);
        QVERIFY(!form.trayIcon());
        QCOMPARE(nameColumn(form, book.alice, QStringLiteral("Notes")).toString(),
                 QStringLiteral("call back after 5"));
    }

    void closingKeepsTheProgramRunning()
    {
        TestHome home;
        SampleBook book;
        book.seed();
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        QSignalSpy exited(&form, &DialForm::exitRequested);
        form.Form_Load();
        bool cancel = false;
        form.Form_QueryUnload(cancel, 0);
        QVERIFY(cancel);
        QVERIFY(form.isHidden() || form.isMinimized());
        QCOMPARE(exited.size(), 0);
        // A tray click that is not a double click does nothing.
        form.hide();
        form.TrayIcon_Activated(QSystemTrayIcon::Trigger);
        form.TrayIcon_Activated(QSystemTrayIcon::Context);
        QVERIFY(form.isHidden());
        form.TrayIcon_Activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(form.isVisible());
        QCOMPARE(texts(*form.controls().NamesList), QStringList{QStringLiteral("Alice")});
        QCOMPARE(form.CardId(), book.alice);

        // Any close the user did not start ends the program.
        form.Form_QueryUnload(cancel = false, 1);
        QCOMPARE(exited.size(), 1);
    }

    void loadersSelectWhatTheyAreAskedFor()
    {
        SampleWindow window;
        auto& [home, book, prompt, lines, shown] = window;
        DialForm& form = *shown;
        const auto& ui = form.controls();

        form.LoadGroups(book.work);
        QCOMPARE(ui.GroupsList->listIndex(), 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Telvora  (Work)"));
        // Rebuilding the groups alone leaves the name list as it was.
        QCOMPARE(texts(*ui.NamesList), QStringList{QStringLiteral("Alice")});
        form.LoadGroups(424242);
        QCOMPARE(ui.GroupsList->listIndex(), 0);

        click(*ui.GroupsList, QStringLiteral("All Groups"));
        form.LoadNames(book.carol);
        QCOMPARE(ui.NamesList->listIndex(), 2);
        QCOMPARE(form.CardId(), book.carol);
        QVERIFY(!form.ListsLoading());

        // An index that does not exist changes nothing.
        ui.NamesList->setListIndex(99);
        QCOMPARE(ui.NamesList->listIndex(), 2);
        QCOMPARE(form.CardId(), book.carol);
    }

    void namesWithoutTextAreEmptyLines()
    {
        TestHome home;
        qint64 id = 0;
        {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            QSqlQuery query(book.database());
            QVERIFY(query.exec(QStringLiteral("INSERT INTO names (name) VALUES (NULL)")));
            id = query.lastInsertId().toLongLong();
            book.addName(QStringLiteral("Named"), 0, 0);
        }
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QCOMPARE(texts(*form.controls().NamesList),
                 (QStringList{QString(), QStringLiteral("Named")}));
        QCOMPARE(form.controls().NamesList->itemData(0), id);
        QCOMPARE(form.CardId(), id);
    }

    void layoutFollowsTheTwipsArrangement()
    {
        TestHome home;
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QCOMPARE(form.size(), QSize(twips(9300), twips(6660)));
        QCOMPARE(form.minimumSize(), form.maximumSize());

        const struct
        {
            const char* name;
            int left, top, width, height;
        } expected[] = {
            {"GroupsList", 0, 0, 2490, 1950},       {"NamesList", 0, 2025, 2490, 2430},
            {"SubList", 0, 4755, 2490, 1455},       {"TbrGroups", 2520, 0, 330, 1320},
            {"TbrNames", 2520, 1980, 330, 2310},    {"TbrSUB", 2520, 4365, 330, 1980},
            {"SSTab1", 2880, 0, 4770, 6270},        {"PhonesList", 1215, 675, 3075, 1425},
            {"FaxList", 1215, 2160, 3075, 1035},    {"HomeList", 1215, 4365, 3075, 840},
            {"DialPhonesCMD", 4275, 720, 420, 465}, {"GroupLabel", 2070, 405, 1215, 240},
            {"Text1_100", 1575, 540, 3120, 330},    {"Combo1", 1575, 945, 1095, 315},
            {"Text1_0", 1560, 3735, 3120, 2355},    {"Text1_2", 1125, 405, 3570, 960},
            {"Text1_13", 825, 810, 3390, 330},      {"GOWWW", 4230, 810, 315, 345},
            {"Picture2", 7695, 45, 1635, 3525},     {"DialCombo", 45, 450, 1545, 315},
            {"CmdNum_5", 585, 1260, 465, 420},      {"CmdHash", 1125, 2160, 465, 420},
            {"quickDial", 0, 2610, 1590, 870},      {"HangCMD", 7695, 3600, 1590, 825},
            {"ExitCMD", 8505, 5175, 780, 735},      {"HelpCmd", 7695, 5940, 780, 330},
            {"HistoryCMD", 8505, 5940, 780, 330},   {"StatusBar1", 0, 6285, 9300, 375},
        };
        for (const auto& control : expected) {
            auto* widget = form.findChild<QWidget*>(QLatin1String(control.name));
            QVERIFY2(widget, control.name);
            QCOMPARE(widget->geometry(),
                     twipsRect(control.left, control.top, control.width, control.height));
        }

        const struct
        {
            const char* name;
            const char* caption;
        } captions[] = {{"HangCMD", "Hang &UP"},   {"SearchCMD", "Sea&rch"}, {"SetupCMD", "&Setup"},
                        {"AboutCMD", "A&bout"},    {"ExitCMD", "E&xit"},     {"HelpCmd", "&Help"},
                        {"quickDial", "&Dial"},    {"CmdAstric", "*"},       {"CmdNum_0", "0"},
                        {"HistoryCMD", "Histor&y"}};
        for (const auto& control : captions) {
            auto* button = form.findChild<QPushButton*>(QLatin1String(control.name));
            QVERIFY2(button, control.name);
            QCOMPARE(button->text(), QLatin1String(control.caption));
        }
        QCOMPARE(form.controls().HangCMD->toolTip(), QStringLiteral("Hang The Phone Call"));
        QCOMPARE(form.controls().GroupsList->toolTip(), QStringLiteral("Groups List"));
        QCOMPARE(form.controls().FaxList->toolTip(), QStringLiteral("Fax Numbers"));
        QCOMPARE(form.controls().GOWWW->toolTip(), QStringLiteral("Goto WEB Site"));
        QCOMPARE(form.controls().panels.size(), 4);
        QVERIFY(form.controls().Text1.value(14)->isHidden());

        // Toolbar buttons by number, with their texts.
        QCOMPARE(form.controls().TbrNames->buttonCount(), 7);
        QCOMPARE(form.controls().TbrNames->button(2)->toolTip(), QStringLiteral("Add SUB Name"));
        QCOMPARE(form.controls().TbrGroups->buttonCount(), 4);
        QCOMPARE(form.controls().TbrGroups->button(4)->toolTip(), QStringLiteral("Paste"));
        QCOMPARE(form.controls().TbrFax->buttonCount(), 6);
        QCOMPARE(form.controls().tbrSpeed->button(5)->toolTip(), QStringLiteral("Clear Number"));

        const QStringList tabs{QStringLiteral("Phones"), QStringLiteral("General"),
                               QStringLiteral("Address"), QStringLiteral("Internet")};
        for (int i = 0; i < tabs.size(); ++i)
            QCOMPARE(form.controls().SSTab1->tabBar()->tabText(i), tabs[i]);

        // Each card field stands to the right of its label, on the same row.
        for (const CardField& field : form.controls().card) {
            if (field.column == CardColumn::Id)
                continue;
            QLabel* caption = nullptr;
            for (QLabel* label : field.widget->parentWidget()->findChildren<QLabel*>()) {
                if (label->buddy() == field.widget)
                    caption = label;
            }
            QVERIFY2(caption, qPrintable(schema::columnName(field.column)));
            QVERIFY2(caption->geometry().right() < field.widget->geometry().left(),
                     qPrintable(schema::columnName(field.column)));
            QVERIFY2(caption->geometry().top() < field.widget->geometry().bottom() &&
                         field.widget->geometry().top() < caption->geometry().bottom(),
                     qPrintable(schema::columnName(field.column)));
        }

        // The arrangement does not follow the window's size.
        form.resize(1000, 800);
        QCOMPARE(form.size(), QSize(twips(9300), twips(6660)));
    }

    void menusFromTheBookShowAmpersands()
    {
        SampleWindow w([](SampleWindow&) {
            PhoneBook book;
            book.open(QStringLiteral("data.mdb"));
            book.addGroup(QStringLiteral("Émigrés & Café"));
            QSqlQuery query(book.database());
            QVERIFY(query.exec(QStringLiteral("INSERT INTO SpeedDials VALUES ('A & B', '42')")));
        });
        w.form->LoadGroups();
        w.form->LoadSpeedDials();
        const auto shown = [](QMenu* menu) {
            QStringList names;
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(menu);
            for (int i = 0; i < access->childCount(); ++i)
                names << access->child(i)->text(QAccessible::Name);
            return names;
        };
        QVERIFY(shown(&w.form->moveGroupMenu()).contains(QStringLiteral("Émigrés & Café")));
        QCOMPARE(shown(w.form->speedDialsMenu()), QStringList{QStringLiteral("A & B")});
    }

    void aboutNamesVersionLicenseAndLibraries()
    {
        TestHome home;
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        form.AboutCMD_Click();
        auto* about = form.findChild<AboutWindow*>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        const QString text = about->findChild<QLabel*>(QStringLiteral("AboutText"))->text();
        QVERIFY(text.contains(QStringLiteral(TELVORA_VERSION)));
        QVERIFY(text.contains(QStringLiteral("GNU General Public License")));
        QVERIFY(text.contains(QStringLiteral("Qt ")));
        QVERIFY(text.contains(QStringLiteral("SQLite 3.")));
        about->close();
    }
};

QTEST_MAIN(DialFormTest)
#include "tst_dialform.moc"
