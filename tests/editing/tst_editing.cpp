#include "tst_editing.h"

#include "editing/Editing.h"
#include "mainwindow/DialForm.h"
#include "support/SampleBook.h"
#include "support/SampleWindow.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QUrl>

using namespace telvora;
using namespace telvora::test;

namespace {

// A window on the sample book, with a prompt the test scripts.
struct Fixture : SampleWindow
{
    Fixture() : SampleWindow([](SampleWindow&) { QGuiApplication::clipboard()->clear(); }) {}

    Editing& editing() { return form->editing(); }
    PhoneBook& store() { return form->phoneBook(); }
    int count(const QString& where)
    {
        return scalar(store(), QStringLiteral("SELECT count(*) FROM ") + where).toInt();
    }
    QStringList inputPrompts() const
    {
        QStringList result;
        for (const auto& question : prompt.asked) {
            if (question.input)
                result << question.text;
        }
        return result;
    }
};

QAction* item(QMenu* menu, const QString& name)
{
    for (QAction* action : menu->actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

QStringList captions(QMenu* menu)
{
    QStringList result;
    for (QAction* action : menu->actions())
        result << action->text();
    return result;
}

} // namespace

void EditingTest::addRenameDeleteGroups()
{
    Fixture f;
    IdListBox& groups = f.form->groupsList();

    f.prompt.inputAnswers << QString();
    f.editing().groups().AddMenu();
    QCOMPARE(f.count(QStringLiteral("groups")), 2);

    // A second group of an existing name is allowed, and a quote is only a character.
    f.prompt.inputAnswers << QStringLiteral("Work") << QStringLiteral("Bob's 'pals'");
    f.editing().groups().AddMenu();
    f.editing().groups().AddMenu();
    QCOMPARE(f.inputPrompts(), QStringList(2 + 1, QStringLiteral("Enter New Group:")));
    QCOMPARE(texts(groups),
             (QStringList{QStringLiteral("Bob's 'pals'"), QStringLiteral("Family"),
                          QStringLiteral("Work"), QStringLiteral("Work"),
                          QStringLiteral("All Groups"), QStringLiteral("No Group")}));
    QCOMPARE(groups.listIndex(), 0);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Telvora  (Bob's 'pals')"));

    // Rename offers the current name and keeps the position selected.
    click(groups, QStringLiteral("Family"));
    f.prompt.inputAnswers << QStringLiteral("Kin");
    f.editing().groups().GroupEditMenu();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New Number:"));
    QCOMPARE(f.prompt.asked.last().defaultText, QStringLiteral("Family"));
    QCOMPARE(groups.listIndex(), 1);
    QCOMPARE(f.store().groupName(f.book.family), std::optional<QString>(QStringLiteral("Kin")));
    QCOMPARE(f.count(QStringLiteral("groups WHERE name = 'Work'")), 2);

    // The fixed items stand for no group: renaming or deleting them changes nothing.
    click(groups, QStringLiteral("All Groups"));
    f.prompt.inputAnswers << QStringLiteral("Hacked");
    f.editing().groups().GroupEditMenu();
    f.editing().groups().DelMenu();
    QCOMPARE(f.count(QStringLiteral("groups")), 4);
    QCOMPARE(f.count(QStringLiteral("groups WHERE name = 'Hacked'")), 0);

    // Delete asks nothing, keeps the group's names, and the list follows the selection.
    const int questions = int(f.prompt.asked.size());
    click(groups, QStringLiteral("Kin"));
    const int at = groups.listIndex();
    f.editing().groups().DelMenu();
    QCOMPARE(int(f.prompt.asked.size()), questions);
    QCOMPARE(f.store().groupName(f.book.family), std::nullopt);
    QVERIFY(f.store().nameRow(f.book.alice));
    QCOMPARE(groups.listIndex(), at);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Telvora  (%1)").arg(groups.itemText(at)));
    QCOMPARE(texts(f.form->namesList()), QStringList{QStringLiteral("Bob")});
    click(groups, QStringLiteral("All Groups"));
    QVERIFY(texts(f.form->namesList()).contains(QStringLiteral("Alice")));
}

void EditingTest::pasteIntoGroup()
{
    Fixture f;
    IdListBox& groups = f.form->groupsList();
    click(groups, QStringLiteral("Work"));
    click(f.form->subList(), QStringLiteral("Bob Jr"));
    f.editing().clipboard().CopySub();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Bob Jr/0/%1").arg(f.book.bobJr));

    // The copied sub-name becomes a top-level name of the group, keeping its own sub-names.
    click(groups, QStringLiteral("Family"));
    f.editing().groups().PasteGroup();
    QCOMPARE(texts(f.form->namesList()),
             (QStringList{QStringLiteral("Alice"), QStringLiteral("Bob Jr")}));
    QCOMPARE(nameColumn(*f.form, f.book.bobJr, QStringLiteral("parent")).toLongLong(), 0);
    QCOMPARE(nameColumn(*f.form, f.book.bobJr, QStringLiteral("group")).toLongLong(),
             f.book.family);
    QCOMPARE(nameColumn(*f.form, f.book.grandkid, QStringLiteral("parent")).toLongLong(),
             f.book.bobJr);

    // Text from elsewhere while a name was last copied: a new name from the text part.
    QGuiApplication::clipboard()->setText(QStringLiteral("Zoë/from a mail"));
    f.editing().groups().PasteGroup();
    QCOMPARE(f.count(QStringLiteral("names WHERE name = 'Zoë' AND \"group\" = %1 AND parent = 0")
                         .arg(f.book.family)),
             1);

    // After a number was copied, a group paste only beeps.
    click(groups, QStringLiteral("Family"));
    f.form->numberList(NumberKind::Fax).setListIndex(0);
    f.editing().numbers(NumberKind::Fax).Copy();
    const int names = f.count(QStringLiteral("names"));
    const int beeps = f.prompt.beeps;
    f.editing().groups().PasteGroup();
    QCOMPARE(f.prompt.beeps, beeps + 1);
    QCOMPARE(f.count(QStringLiteral("names")), names);
}

void EditingTest::addAndRenameNames()
{
    Fixture f;
    IdListBox& names = f.form->namesList();
    IdListBox& subs = f.form->subList();

    f.prompt.inputAnswers << QStringLiteral("Aaron 'A' [x]_%");
    f.editing().names().AddName();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New Name:"));
    QCOMPARE(names.itemText(names.listIndex()), QStringLiteral("Aaron 'A' [x]_%"));
    const qint64 aaron = names.itemData(names.listIndex());
    QCOMPARE(nameColumn(*f.form, aaron, QStringLiteral("group")).toLongLong(), f.book.family);
    QCOMPARE(f.form->CardId(), aaron);

    f.prompt.inputAnswers << QStringLiteral("Aaron's desk");
    f.editing().names().AddSubName();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New SUB Name:"));
    QCOMPARE(texts(subs), QStringList{QStringLiteral("Aaron's desk")});
    QCOMPARE(subs.listIndex(), 0);
    QCOMPARE(f.form->ActiveList(), QStringLiteral("S"));
    const qint64 desk = subs.itemData(0);
    QCOMPARE(f.form->CardId(), desk);
    QCOMPARE(nameColumn(*f.form, desk, QStringLiteral("parent")).toLongLong(), aaron);

    // Renaming a sub-name changes its entry in place; renaming a name reloads the list.
    f.prompt.inputAnswers << QStringLiteral("Front desk");
    f.editing().names().EditSUB();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New Number:"));
    QCOMPARE(f.prompt.asked.last().defaultText, QStringLiteral("Aaron's desk"));
    QCOMPARE(texts(subs), QStringList{QStringLiteral("Front desk")});
    QCOMPARE(nameColumn(*f.form, desk, QStringLiteral("name")).toString(),
             QStringLiteral("Front desk"));

    click(names, QStringLiteral("Alice"));
    f.prompt.inputAnswers << QStringLiteral("Zelda");
    f.editing().names().NameEditMenu();
    QCOMPARE(f.prompt.asked.last().defaultText, QStringLiteral("Alice"));
    QCOMPARE(texts(names),
             (QStringList{QStringLiteral("Aaron 'A' [x]_%"), QStringLiteral("Zelda")}));
    QCOMPARE(nameColumn(*f.form, f.book.alice, QStringLiteral("name")).toString(),
             QStringLiteral("Zelda"));
    QCOMPARE(f.count(QStringLiteral("names WHERE name = 'Aaron ''A'' [x]_%'")), 1);

    // Cancel changes nothing.
    f.editing().names().NameEditMenu();
    f.editing().names().AddName();
    QCOMPARE(texts(names).size(), 2);
}

void EditingTest::deletingANameTakesItsWholeBranch()
{
    Fixture f;
    click(f.form->groupsList(), QStringLiteral("Work"));
    const int others = f.count(QStringLiteral("names")) - 4;
    f.prompt.messageAnswers << Prompt::Answer::Yes;
    f.editing().names().DelName();
    QCOMPARE(f.prompt.messages().size(), 1);
    QCOMPARE(f.prompt.messages()[0].text, QStringLiteral("Are you Sure ??"));
    QCOMPARE(f.prompt.messages()[0].buttons, Prompt::Buttons::YesNo);
    // Bob, both his sub-names, the grandchild and all their numbers are gone.
    QCOMPARE(f.count(QStringLiteral("names")), others);
    QCOMPARE(f.count(QStringLiteral("names WHERE name LIKE 'Bob%' OR name = 'Grandkid'")), 0);
    QCOMPARE(f.count(QStringLiteral("numbers WHERE name IN ('999', '998')")), 0);
    QCOMPARE(f.count(QStringLiteral("numbers")), 6);
    QCOMPARE(f.form->namesList().count(), 0);
    // The card no longer shows the deleted contact.
    QVERIFY(f.form->numberList(NumberKind::Phone).count() == 0);

    // Deleting a sub-name takes its own branch and keeps the name selected.
    f.book = {};
    Fixture g;
    click(g.form->groupsList(), QStringLiteral("Work"));
    click(g.form->subList(), QStringLiteral("Bob Jr"));
    g.prompt.messageAnswers << Prompt::Answer::Yes;
    g.editing().names().DelSUB();
    QCOMPARE(texts(g.form->subList()), QStringList{QStringLiteral("Bob's office")});
    QCOMPARE(g.form->namesList().listIndex(), 0);
    QCOMPARE(
        g.count(
            QStringLiteral("names WHERE id IN (%1, %2)").arg(g.book.bobJr).arg(g.book.grandkid)),
        0);
    QVERIFY(g.store().nameRow(g.book.bob));
}

void EditingTest::deleteAskedAndAnsweredNoChangesNothing()
{
    Fixture f;
    const int names = f.count(QStringLiteral("names"));
    f.editing().names().DelName();
    f.editing().names().DelSUB();
    QCOMPARE(f.prompt.messages().size(), 2);
    QCOMPARE(f.prompt.messages()[1].title, QStringLiteral("Confirm"));
    QCOMPARE(f.count(QStringLiteral("names")), names);
    // Yes with no sub-name selected deletes nothing either.
    f.prompt.messageAnswers << Prompt::Answer::Yes;
    f.editing().names().DelSUB();
    QCOMPARE(f.count(QStringLiteral("names")), names);
}

void EditingTest::aNameCannotBeFiledUnderItself()
{
    Fixture f;
    click(f.form->groupsList(), QStringLiteral("Work"));
    f.editing().clipboard().CopyName();
    const int beeps = f.prompt.beeps;
    f.editing().clipboard().PasteName();
    f.editing().clipboard().PasteSUB();
    QCOMPARE(f.prompt.beeps, beeps + 2);
    QCOMPARE(nameColumn(*f.form, f.book.bob, QStringLiteral("parent")).toLongLong(), 0);
    QVERIFY(f.store().isSelfOrBelow(f.book.bob, f.book.grandkid));
    QVERIFY(!f.store().isSelfOrBelow(f.book.grandkid, f.book.bob));
    QVERIFY(!f.store().isSelfOrBelow(f.book.office, f.book.grandkid));
}

void EditingTest::copyAndPasteNamesMoveThem()
{
    Fixture f;
    IdListBox& groups = f.form->groupsList();
    click(groups, QStringLiteral("All Groups"));
    click(f.form->namesList(), QStringLiteral("Carol"));
    f.editing().clipboard().CutName();
    // Cut deletes nothing.
    QCOMPARE(texts(f.form->namesList()).count(QStringLiteral("Carol")), 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Carol/2/%1").arg(f.book.carol));

    click(f.form->namesList(), QStringLiteral("Alice"));
    f.editing().clipboard().PasteName();
    QVERIFY(!texts(f.form->namesList()).contains(QStringLiteral("Carol")));
    QCOMPARE(texts(f.form->subList()), QStringList{QStringLiteral("Carol")});
    QCOMPARE(nameColumn(*f.form, f.book.carol, QStringLiteral("group")).toLongLong(), 0);

    // The clipboard keeps its text: pasting again under another name moves it on.
    click(f.form->namesList(), QStringLiteral("Bob"));
    f.editing().clipboard().PasteSUB();
    QCOMPARE(nameColumn(*f.form, f.book.carol, QStringLiteral("parent")).toLongLong(), f.book.bob);
    QVERIFY(texts(f.form->subList()).contains(QStringLiteral("Carol")));

    // Paste under a name after a number was copied beeps and stores nothing.
    click(f.form->namesList(), QStringLiteral("Alice"));
    f.form->numberList(NumberKind::Home).setListIndex(0);
    f.editing().numbers(NumberKind::Home).Copy();
    const int names = f.count(QStringLiteral("names"));
    const int beeps = f.prompt.beeps;
    f.editing().clipboard().PasteName();
    QCOMPARE(f.prompt.beeps, beeps + 1);
    QCOMPARE(f.count(QStringLiteral("names")), names);
}

void EditingTest::pasteAsSubNameFromOtherText()
{
    Fixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("Front desk/ext 12"));
    f.editing().clipboard().PasteSUB();
    QCOMPARE(f.count(QStringLiteral("names WHERE name = 'Front desk/ext 12' AND parent = %1")
                         .arg(f.book.alice)),
             1);
    QCOMPARE(texts(f.form->subList()), QStringList{QStringLiteral("Front desk/ext 12")});

    // With a name copied, text from elsewhere makes a sub-name of its text part.
    f.editing().clipboard().CopyName();
    QGuiApplication::clipboard()->setText(QStringLiteral("Reception/x"));
    f.editing().clipboard().PasteName();
    QCOMPARE(
        f.count(QStringLiteral("names WHERE name = 'Reception' AND parent = %1").arg(f.book.alice)),
        1);
}

void EditingTest::moveToGroupUsesTheGroupOfTheItem()
{
    Fixture f;
    // Two groups of one name: the item moves the name to the group it was listed for.
    f.prompt.inputAnswers << QStringLiteral("Work");
    f.editing().groups().AddMenu();
    const qint64 secondWork = f.form->groupsList().itemData(f.form->groupsList().listIndex());
    click(f.form->groupsList(), QStringLiteral("Family"));
    QAction* target = nullptr;
    for (QAction* action : f.form->moveGroupMenu().actions()) {
        if (action->data().toLongLong() == secondWork)
            target = action;
    }
    QVERIFY(target);
    target->trigger();
    QCOMPARE(nameColumn(*f.form, f.book.alice, QStringLiteral("group")).toLongLong(), secondWork);
    // The names list shows the old state until a group is chosen again.
    QCOMPARE(texts(f.form->namesList()), QStringList{QStringLiteral("Alice")});

    // An item whose group was deleted since moves nothing.
    QSqlQuery query(f.store().database());
    QVERIFY(query.exec(QStringLiteral("DELETE FROM groups WHERE id = %1").arg(f.book.work)));
    for (QAction* action : f.form->moveGroupMenu().actions()) {
        if (action->data().toLongLong() == f.book.work)
            action->trigger();
    }
    QCOMPARE(nameColumn(*f.form, f.book.alice, QStringLiteral("group")).toLongLong(), secondWork);
}

void EditingTest::numberCommandsOnEveryList()
{
    const struct
    {
        NumberKind kind;
        const char* stored;
        const char* addPrompt;
        const char* question;
        const char* title;
    } kinds[] = {
        {NumberKind::Phone, "Phone", "Enter New Business Number:", "Are you Sure ??", "Confirm"},
        {NumberKind::Fax, "Fax", "Enter New Fax Number:", "Are You Sure?", "Confirm"},
        {NumberKind::Mobile, "Mobile", "Enter New Number:", "Are You Sure?", ""},
        {NumberKind::Home, "Home", "Enter New Home Number:", "Are You Sure?", "Confirm"}};
    for (const auto& entry : kinds) {
        Fixture f;
        const NumberKind kind = entry.kind;
        NumberCommands& commands = f.editing().numbers(kind);
        IdListBox& list = f.form->numberList(kind);
        const int before = list.count();

        f.prompt.inputAnswers << QStringLiteral("+44 (0)20 7946 0958");
        commands.Add();
        QCOMPARE(f.prompt.asked.last().text, QLatin1String(entry.addPrompt));
        QCOMPARE(list.count(), before + 1);
        const qint64 id = list.itemData(before);
        QCOMPARE(f.count(QStringLiteral("numbers WHERE id = %1 AND parent = %2 AND type = '%3'")
                             .arg(id)
                             .arg(f.book.alice)
                             .arg(QLatin1String(entry.stored))),
                 1);

        // Nothing selected: Edit and Delete beep and change nothing.
        for (int i = 0; i < list.count(); ++i)
            list.setItemSelected(i, false);
        const int beeps = f.prompt.beeps;
        commands.Edit();
        commands.Delete();
        QCOMPARE(f.prompt.beeps, beeps + 2);

        // Edit keeps the entry's place.
        list.setListIndex(before);
        f.prompt.inputAnswers << QStringLiteral("0800 123");
        commands.Edit();
        QCOMPARE(f.prompt.asked.last().defaultText, QStringLiteral("+44 (0)20 7946 0958"));
        QCOMPARE(list.itemText(before), QStringLiteral("0800 123"));
        QCOMPARE(list.itemData(before), id);
        QCOMPARE(scalar(f.store(), QStringLiteral("SELECT name FROM numbers WHERE id = %1").arg(id))
                     .toString(),
                 QStringLiteral("0800 123"));

        list.setListIndex(before);
        f.prompt.messageAnswers << Prompt::Answer::Yes;
        commands.Delete();
        QCOMPARE(f.prompt.messages().last().text, QLatin1String(entry.question));
        QCOMPARE(f.prompt.messages().last().title, QLatin1String(entry.title));
        QCOMPARE(list.count(), before);
        QCOMPARE(f.count(QStringLiteral("numbers WHERE id = %1").arg(id)), 0);
    }
}

void EditingTest::deletingANumberDeletesOnlyThatRecord()
{
    Fixture f;
    NumberCommands& phones = f.editing().numbers(NumberKind::Phone);
    IdListBox& list = f.form->numberList(NumberKind::Phone);
    f.prompt.inputAnswers << QStringLiteral("111");
    phones.Add();
    QCOMPARE(f.count(QStringLiteral("numbers WHERE name = '111'")), 2);
    list.setListIndex(0);
    f.prompt.messageAnswers << Prompt::Answer::Yes;
    phones.Delete();
    QCOMPARE(f.count(QStringLiteral("numbers WHERE name = '111'")), 1);
    QCOMPARE(texts(list), (QStringList{QStringLiteral("112"), QStringLiteral("111")}));
}

void EditingTest::numbersTravelBetweenListsByClipboard()
{
    Fixture f;
    IdListBox& phones = f.form->numberList(NumberKind::Phone);
    IdListBox& mobiles = f.form->numberList(NumberKind::Mobile);
    phones.setListIndex(1);
    f.editing().numbers(NumberKind::Phone).Cut();
    QCOMPARE(f.editing().clipboard().ClipboardKind(), QStringLiteral("Phone"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("112"));
    // Cut removes the number at once, without a question.
    QVERIFY(f.prompt.messages().isEmpty());
    QCOMPARE(texts(phones), QStringList{QStringLiteral("111")});
    QCOMPARE(f.count(QStringLiteral("numbers WHERE name = '112'")), 0);

    f.editing().numbers(NumberKind::Mobile).Paste();
    QCOMPARE(texts(mobiles), (QStringList{QStringLiteral("311"), QStringLiteral("112")}));
    QCOMPARE(
        f.count(QStringLiteral("numbers WHERE name = '112' AND type = 'Mobile' AND parent = %1")
                    .arg(f.book.alice)),
        1);

    // A copied number goes to a sub-name's list when the card shows the sub-name.
    click(f.form->groupsList(), QStringLiteral("Work"));
    click(f.form->subList(), QStringLiteral("Bob's office"));
    f.editing().numbers(NumberKind::Fax).Paste();
    QCOMPARE(f.count(QStringLiteral("numbers WHERE name = '112' AND type = 'Fax' AND parent = %1")
                         .arg(f.book.office)),
             1);
}

void EditingTest::numberPasteRefusesUnusableText()
{
    Fixture f;
    NumberCommands& homes = f.editing().numbers(NumberKind::Home);
    const int numbers = f.count(QStringLiteral("numbers"));
    int beeps = f.prompt.beeps;

    QGuiApplication::clipboard()->clear();
    homes.Paste();
    QCOMPARE(f.prompt.beeps, ++beeps);
    QGuiApplication::clipboard()->setText(QString(51, QLatin1Char('9')));
    homes.Paste();
    QCOMPARE(f.prompt.beeps, ++beeps);
    QCOMPARE(f.count(QStringLiteral("numbers")), numbers);

    QGuiApplication::clipboard()->setText(QString(50, QLatin1Char('9')));
    homes.Paste();
    QCOMPARE(f.count(QStringLiteral("numbers")), numbers + 1);
    // Fifty characters of any script, emoji included, are fifty characters.
    QGuiApplication::clipboard()->setText(QString(49, QLatin1Char('1')) + QStringLiteral("📞"));
    homes.Paste();
    QCOMPARE(f.count(QStringLiteral("numbers")), numbers + 2);
}

void EditingTest::refusedChangesAreToldAndAllOrNothing()
{
    Fixture f;
    QSqlQuery query(f.store().database());
    QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER keep_names BEFORE DELETE ON names"
                                      " BEGIN SELECT RAISE(ABORT, 'names are locked'); END")));
    click(f.form->groupsList(), QStringLiteral("Work"));
    const int numbers = f.count(QStringLiteral("numbers"));
    f.prompt.messageAnswers << Prompt::Answer::Yes;
    f.editing().names().DelName();
    // The numbers went first inside the change; the refusal of the names brings them back.
    QCOMPARE(f.count(QStringLiteral("numbers")), numbers);
    QVERIFY(f.store().nameRow(f.book.bob));
    QCOMPARE(f.prompt.messages().size(), 2);
    QVERIFY(f.prompt.messages()[1].text.contains(QStringLiteral("names are locked")));
    QCOMPARE(f.prompt.messages()[1].icon, Prompt::Icon::Critical);
}

void EditingTest::menusAndToolbars()
{
    Fixture f;
    Editing& editing = f.editing();
    QCOMPARE(captions(editing.menu(QStringLiteral("GroupAddEdit"))),
             (QStringList{QStringLiteral("Add"), QStringLiteral("Edit"), QStringLiteral("Delete"),
                          QStringLiteral("Paste"), QStringLiteral("Import..."),
                          QStringLiteral("Export...")}));
    QCOMPARE(captions(editing.menu(QStringLiteral("NamesAddEdit"))),
             (QStringList{QStringLiteral("Add New Name"), QStringLiteral("Add SUB Name"),
                          QStringLiteral("Edit"), QStringLiteral("Delete"), QStringLiteral("Copy"),
                          QStringLiteral("Cut"), QStringLiteral("Paste"),
                          QStringLiteral("Move to Group"), QStringLiteral("Import..."),
                          QStringLiteral("Export...")}));
    QCOMPARE(captions(editing.menu(QStringLiteral("HomeAddEdit"))),
             (QStringList{QStringLiteral("Add"), QStringLiteral("Edit"), QStringLiteral("delete"),
                          QStringLiteral("Copy"), QStringLiteral("Cut"), QStringLiteral("Paste"),
                          QStringLiteral("Dial")}));
    QCOMPARE(captions(editing.menu(QStringLiteral("SUBAddEdit"))).last(), QStringLiteral("Dial"));
    QCOMPARE(captions(&f.form->moveGroupMenu()),
             (QStringList{QStringLiteral("Family"), QStringLiteral("Work")}));

    // A number list's menu follows its selection and the clipboard.
    IdListBox& faxes = f.form->numberList(NumberKind::Fax);
    QMenu* faxMenu = editing.menu(QStringLiteral("FaxesAddEdit"));
    faxes.setItemSelected(0, false);
    QGuiApplication::clipboard()->clear();
    editing.numberListMouseDown(NumberKind::Fax, QPoint(5, 5));
    QVERIFY(faxMenu->isVisible());
    faxMenu->hide();
    for (const char* name : {"EditFax", "DelFax", "CutFax", "DialFax", "PasteFax"})
        QVERIFY2(!item(faxMenu, QLatin1String(name))->isEnabled(), name);
    QVERIFY(item(faxMenu, QStringLiteral("AddFax"))->isEnabled());
    QVERIFY(item(faxMenu, QStringLiteral("CopyFax"))->isEnabled());
    faxes.setListIndex(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("123"));
    editing.numberListMouseDown(NumberKind::Fax, QPoint(5, 5));
    faxMenu->hide();
    for (QAction* action : faxMenu->actions())
        QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));

    // A right press in a names list opens its menu with everything available.
    QTest::mousePress(f.form->subList().viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QMenu* subMenu = editing.menu(QStringLiteral("SUBAddEdit"));
    QVERIFY(subMenu->isVisible());
    subMenu->hide();
    for (QAction* action : subMenu->actions())
        QVERIFY(action->isEnabled());

    // Toolbar button 2 adds a sub-name on the names bar and edits everywhere else.
    f.prompt.inputAnswers << QStringLiteral("By toolbar");
    f.form->controls().TbrNames->button(2)->click();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New SUB Name:"));
    QCOMPARE(texts(f.form->subList()), QStringList{QStringLiteral("By toolbar")});
    click(f.form->namesList(), QStringLiteral("Alice"));
    IdListBox& phones = f.form->numberList(NumberKind::Phone);
    phones.setListIndex(0);
    f.prompt.inputAnswers << QStringLiteral("222");
    f.form->controls().TbrPhones->button(2)->click();
    QCOMPARE(f.prompt.asked.last().text, QStringLiteral("Enter New Number:"));
    QCOMPARE(phones.itemText(0), QStringLiteral("222"));
    // The sub-name menu's Dial does nothing; a button past the bar does nothing.
    const int asked = int(f.prompt.asked.size());
    item(subMenu, QStringLiteral("DialSUB"))->trigger();
    editing.groupsToolbarClick(9);
    QCOMPARE(int(f.prompt.asked.size()), asked);
}

QTEST_MAIN(EditingTest)

void EditingTest::commandsRefuseRowsWithUnusableIds()
{
    // 0 is the parent of every top-level name; a row carrying it (or a negative id) is
    // listed, but no command may take its id for the row's own.
    SampleWindow w([](SampleWindow& self) {
        QGuiApplication::clipboard()->clear();
        writeRawBook({QStringLiteral("INSERT INTO groups (id, name) VALUES (-1, 'Odd group')"),
                      QStringLiteral("INSERT INTO names (id, name, parent, \"group\") VALUES"
                                     " (0, 'Zero', 0, 0), (-2, 'Negative', 0, 0)"),
                      QStringLiteral("INSERT INTO numbers (id, name, parent, type) VALUES"
                                     " (0, '000', %1, 'Phone')")
                          .arg(self.book.alice)});
    });
    Editing& editing = w.form->editing();
    PhoneBook& book = w.form->phoneBook();
    const auto rows = [&book] {
        return scalar(book, QStringLiteral("SELECT (SELECT count(*) FROM names) || '/' ||"
                                           " (SELECT count(*) FROM numbers) || '/' ||"
                                           " (SELECT count(*) FROM groups)"))
            .toString();
    };
    const QString before = rows();
    const auto refused = [&w](qsizetype messagesBefore) {
        const auto messages = w.prompt.messages();
        return messages.size() == messagesBefore + 1 &&
               messages.last().icon == Prompt::Icon::Warning;
    };

    click(w.form->groupsList(), QStringLiteral("All Groups"));
    for (const QString& name : {QStringLiteral("Zero"), QStringLiteral("Negative")}) {
        click(w.form->namesList(), name);
        qsizetype messages = w.prompt.messages().size();
        w.prompt.messageAnswers = {Prompt::Answer::Ok, Prompt::Answer::Yes};
        editing.names().DelName();
        QVERIFY(refused(messages));
        messages = w.prompt.messages().size();
        w.prompt.inputAnswers = {QStringLiteral("Renamed")};
        editing.names().NameEditMenu();
        QVERIFY(refused(messages));
        messages = w.prompt.messages().size();
        editing.names().AddSubName();
        QVERIFY(refused(messages));
        messages = w.prompt.messages().size();
        editing.clipboard().CopyName();
        QVERIFY(refused(messages));
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QCOMPARE(rows(), before);
    }

    click(w.form->groupsList(), QStringLiteral("Odd group"));
    qsizetype messages = w.prompt.messages().size();
    w.prompt.inputAnswers = {QStringLiteral("New name")};
    editing.names().AddName();
    QVERIFY(refused(messages));

    click(w.form->groupsList(), QStringLiteral("Family"));
    IdListBox& phones = w.form->numberList(NumberKind::Phone);
    const int zero = int(texts(phones).indexOf(QStringLiteral("000")));
    for (int i = 0; i < phones.count(); ++i)
        phones.setItemSelected(i, i == zero);
    phones.setListIndex(zero);
    messages = w.prompt.messages().size();
    w.prompt.messageAnswers = {Prompt::Answer::Ok, Prompt::Answer::Yes};
    editing.numbers(NumberKind::Phone).Delete();
    QVERIFY(refused(messages));
    QCOMPARE(rows(), before);
}

void EditingTest::importAndExportThroughMenusAndDrops()
{
    Fixture f;
    ScriptedFileChooser chooser;
    ContactFileCommands& files = f.editing().contactFiles();
    files.setFileChooser(chooser);
    const QString out = f.home.file(QStringLiteral("work.vcf"));
    click(*f.form->controls().GroupsList, QStringLiteral("Work"));
    chooser.answers << out;
    item(f.editing().menu(QStringLiteral("GroupAddEdit")), QStringLiteral("ExportGroup"))
        ->trigger();
    QCOMPARE(f.prompt.messages().last().text, QStringLiteral("Exported 4 names and 2 numbers"));
    QVERIFY(QFile::exists(out));
    // The file type chosen says the vCard version; without a suffix CSV gets its own.
    const QString old = f.home.file(QStringLiteral("old"));
    chooser.answers << old;
    chooser.filterChoice = 1;
    files.ExportGroup();
    QFile written(old + QStringLiteral(".vcf"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("VERSION:3.0"));
    chooser.answers << old;
    chooser.filterChoice = 2;
    files.ExportGroup();
    QVERIFY(QFile::exists(old + QStringLiteral(".csv")));
    chooser.filterChoice = 0;

    // Replacing the file is asked first; No leaves it.
    QFile::resize(out, 0);
    chooser.answers << out;
    f.prompt.messageAnswers << Prompt::Answer::No;
    files.ExportGroup();
    QVERIFY(f.prompt.messages().last().text.contains(QLatin1String("Do you want to replace it?")));
    QCOMPARE(QFileInfo(out).size(), 0);

    // Into Family through the names menu.
    f.prompt.messageAnswers << Prompt::Answer::Yes;
    chooser.answers << out;
    files.ExportGroup();
    click(*f.form->controls().GroupsList, QStringLiteral("Family"));
    chooser.answers << out;
    item(f.editing().menu(QStringLiteral("NamesAddEdit")), QStringLiteral("ImportNames"))
        ->trigger();
    QCOMPARE(f.prompt.messages().last().text, QStringLiteral("Imported 4 names and 2 numbers"));
    QCOMPARE(
        f.count(QStringLiteral("names WHERE name = 'Bob' AND \"group\" = %1").arg(f.book.family)),
        1);
    // The same file again: nothing twice.
    chooser.answers << out;
    files.ImportNames();
    QCOMPARE(f.prompt.messages().last().text,
             QStringLiteral("Imported 0 names and 0 numbers (4 skipped: already there or empty)"));

    // The import runs beside the window, whose thread still asks about unknown columns, and
    // stops when cancelled, adding nothing.
    const QString csv = f.home.file(QStringLiteral("more.csv"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Name,Shoe size\nNew One,42\n");
    file.close();
    const int before = f.count(QStringLiteral("names"));
    bool askedOnWindowThread = false;
    files.setColumnMapper([&](const QStringList&, const QList<ContactMapping::Target>& targets) {
        askedOnWindowThread = QThread::currentThread() == qApp->thread();
        files.cancelImport();
        return targets;
    });
    chooser.answers << csv;
    files.ImportNames();
    QVERIFY(askedOnWindowThread);
    QVERIFY2(f.prompt.messages().last().text.contains(QLatin1String("Nothing was imported")),
             qPrintable(f.prompt.messages().last().text));
    QCOMPARE(f.count(QStringLiteral("names")), before);

    // A card file dropped on the window is imported; other files are not taken.
    const QString dropped = f.home.file(QStringLiteral("dropped.vcf"));
    QFile card(dropped);
    QVERIFY(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dropped One\r\nTEL:+49 30 555\r\n"
               "CATEGORIES:AAA First\r\nEND:VCARD\r\n");
    card.close();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped), QUrl::fromLocalFile(csv + QStringLiteral(".txt"))});
    IdListBox& groups = *f.form->controls().GroupsList;
    click(groups, QStringLiteral("All Groups"));
    IdListBox& names = *f.form->controls().NamesList;
    names.setListIndex(names.count() - 1);
    const QString shown = names.itemText(names.listIndex());
    QObject* window = f.editing().parent();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    QCOMPARE(f.prompt.messages().last().text, QStringLiteral("Imported 1 names and 1 numbers"));
    QCOMPARE(f.count(QStringLiteral("names WHERE name LIKE '%Dropped%'")), 1);
    // A group made before the selected row leaves All Groups selected, showing the new name.
    QCOMPARE(groups.itemText(groups.listIndex()), QStringLiteral("All Groups"));
    QVERIFY(texts(names).filter(QStringLiteral("Dropped")).size() == 1);
    QCOMPARE(names.itemText(names.listIndex()), shown);
}
