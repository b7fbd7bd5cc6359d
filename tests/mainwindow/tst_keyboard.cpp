#include "dialing/RecordingProvider.h"
#include "editing/Editing.h"
#include "links/HelpWindow.h"
#include "links/LinkCommands.h"
#include "search/SearchForm.h"
#include "support/SampleWindow.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace telvora;
using namespace telvora::test;

namespace {

// The sample window, shown and active so that the focus and the keys behave as on a
// desktop, dialling on a fake line.
RecordingProvider* installed = nullptr;

struct KeyWindow : SampleWindow
{
    RecordingProvider* line;

    KeyWindow()
        : SampleWindow([](SampleWindow& window) {
              installed = RecordingProvider::install(window.lines);
              installed->setLines(
                  {FakeProvider::line(QStringLiteral("l"), QStringLiteral("Line"))});
          }),
          line(installed)
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    const DialFormControls& ui() const { return form->controls(); }
    // The group, the name in it and the name's first sub-name, if it has any.
    void select(const QString& group, const QString& name)
    {
        click(*ui().GroupsList, group);
        click(*ui().NamesList, name);
        ui().SubList->setListIndex(0);
    }
    QWidget* focus() const { return QApplication::focusWidget(); }

    // Tab until the focus reaches the widget; false when a whole round misses it.
    bool tabTo(QWidget* target)
    {
        for (int i = 0; i < 200 && focus() != target; ++i)
            QTest::keyClick(focus() ? focus() : form.get(), Qt::Key_Tab);
        return focus() == target;
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focus(), Qt::Key(key), modifiers);
    }
    // The questions asked, the beeps and what the lists show.
    QStringList outcome() const
    {
        QStringList seen;
        for (const auto& question : prompt.asked)
            seen << question.text + QLatin1Char('|') + question.defaultText;
        seen << QString::number(prompt.beeps);
        for (IdListBox* list : {ui().GroupsList, ui().NamesList, ui().SubList, ui().PhonesList,
                                ui().FaxList, ui().HomeList})
            seen << texts(*list).join(QLatin1Char(','));
        return seen;
    }
};

QMenu* shownMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void keysAskWhatTheMenusAsk_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("item");
        const struct
        {
            const char *group, *name, *list, *menu, *add, *edit, *remove;
        } lists[] = {
            {"Family", "Alice", "GroupsList", "GroupAddEdit", "AddMenu", "GroupEditMenu",
             "DelMenu"},
            {"Family", "Alice", "NamesList", "NamesAddEdit", "AddName", "NameEditMenu", "DelName"},
            {"Work", "Bob", "SubList", "SUBAddEdit", "AddSUB", "EditSUB", "DelSUB"},
            {"Family", "Alice", "FaxList", "FaxesAddEdit", "AddFax", "EditFax", "DelFax"},
            {"Family", "Alice", "HomeList", "HomeAddEdit", "AddHome", "EditHome", "DelHome"},
        };
        for (const auto& entry : lists) {
            const std::pair<int, const char*> keys[] = {{Qt::Key_Insert, entry.add},
                                                        {Qt::Key_F2, entry.edit},
                                                        {Qt::Key_Delete, entry.remove}};
            for (const auto& [key, item] : keys)
                QTest::addRow("%s %s", entry.list, item)
                    << QString::fromLatin1(entry.group) << QString::fromLatin1(entry.name)
                    << QString::fromLatin1(entry.list) << QString::fromLatin1(entry.menu) << key
                    << QString::fromLatin1(item);
        }
    }
    void keysAskWhatTheMenusAsk()
    {
        QFETCH(QString, group);
        QFETCH(QString, name);
        QFETCH(QString, list);
        QFETCH(QString, menu);
        QFETCH(int, key);
        QFETCH(QString, item);
        // Nothing is answered: each command stops at its first question, if it asks one.
        QStringList byMenu;
        {
            KeyWindow w;
            w.select(group, name);
            for (QAction* action : w.form->editing().menu(menu)->actions()) {
                if (action->objectName() == item)
                    action->trigger();
            }
            byMenu = w.outcome();
        }
        KeyWindow w;
        w.select(group, name);
        auto* target = w.form->findChild<IdListBox*>(list);
        target->setFocus(Qt::TabFocusReason);
        w.key(key);
        QCOMPARE(w.outcome(), byMenu);
    }

    void menuKeyOpensTheListsMenuAtTheSelectedRow()
    {
        KeyWindow w;
        click(*w.ui().GroupsList, QStringLiteral("All Groups"));
        IdListBox* names = w.ui().NamesList;
        names->setFocus(Qt::TabFocusReason);
        w.key(Qt::Key_Down);
        const QRect row = names->visualRect(names->currentIndex());
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            w.key(key, modifiers);
            QMenu* menu = shownMenu();
            QVERIFY(menu);
            QCOMPARE(menu, w.form->editing().menu(QStringLiteral("NamesAddEdit")));
            const QPoint at = names->viewport()->mapFromGlobal(menu->pos());
            QVERIFY2(at.y() >= row.top() && at.y() <= row.bottom() + 2,
                     qPrintable(QString::number(at.y())));
            // Every item, the group submenu included, has a name a screen reader can say.
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(menu);
            for (int i = 0; i < access->childCount(); ++i)
                QVERIFY(!access->child(i)->text(QAccessible::Name).isEmpty());
            menu->close();
        }
        // The number list's menu comes up the same way.
        w.ui().PhonesList->setFocus(Qt::TabFocusReason);
        w.key(Qt::Key_Menu);
        QCOMPARE(shownMenu(), w.form->editing().menu(QStringLiteral("PhonesAddEdit")));
        shownMenu()->close();
    }

    void altLettersPressOneButtonEach()
    {
        KeyWindow w;
        QMap<QChar, QStringList> byLetter;
        for (QPushButton* button : w.form->findChildren<QPushButton*>()) {
            const QString text = button->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (button->isVisibleTo(w.form.get()) && amp >= 0 && amp + 1 < text.size())
                byLetter[text.at(amp + 1).toUpper()] << button->objectName();
        }
        for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
            QVERIFY2(it->size() == 1, qPrintable(it->join(QLatin1Char(','))));
        QVERIFY(byLetter.contains(QLatin1Char('H')));

        // Help opens from its letter and from F1.
        w.ui().GroupsList->setFocus(Qt::TabFocusReason);
        w.key(Qt::Key_H, Qt::AltModifier);
        // A letter presses its button the way a click does, a moment later.
        QTRY_VERIFY(w.form->links().helpWindow() && w.form->links().helpWindow()->isVisible());
        w.form->links().helpWindow()->close();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.key(Qt::Key_F1);
        QVERIFY(w.form->links().helpWindow()->isVisible());
    }

    void keyboardAloneAddsCopiesPastesDialsAndOpensHelp()
    {
        KeyWindow w;
        w.ui().GroupsList->setFocus(Qt::TabFocusReason);
        w.prompt.inputAnswers = {QStringLiteral("Friends"), QStringLiteral("Zed"),
                                 QStringLiteral("555 0100")};

        // A group, then a name in it: the new group is selected, Tab reaches its names.
        w.key(Qt::Key_Insert);
        QCOMPARE(w.ui().GroupsList->itemText(w.ui().GroupsList->listIndex()),
                 QStringLiteral("Friends"));
        QVERIFY(w.tabTo(w.ui().NamesList));
        w.key(Qt::Key_Insert);
        QCOMPARE(texts(*w.ui().NamesList), QStringList{QStringLiteral("Zed")});

        // A number on its card, from the business list.
        QVERIFY(w.tabTo(w.ui().PhonesList));
        w.key(Qt::Key_Insert);
        QCOMPARE(texts(*w.ui().PhonesList), QStringList{QStringLiteral("555 0100")});

        // Copy Zed, and paste it under Alice: it becomes her sub-name.
        QVERIFY(w.tabTo(w.ui().NamesList));
        w.key(Qt::Key_C, Qt::ControlModifier);
        QVERIFY(w.tabTo(w.ui().GroupsList));
        w.key(Qt::Key_Home);
        QVERIFY(w.tabTo(w.ui().NamesList));
        QCOMPARE(w.ui().NamesList->itemText(w.ui().NamesList->listIndex()),
                 QStringLiteral("Alice"));
        w.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(texts(*w.ui().SubList), QStringList{QStringLiteral("Zed")});

        // Dial Alice's business numbers from the button beside them; passing through her
        // sub-names on the way leaves her card where it is.
        QVERIFY(w.tabTo(w.ui().DialPhonesCMD));
        QCOMPARE(w.form->CardId(), w.book.alice);
        w.key(Qt::Key_Space);
        QTRY_COMPARE(w.line->dialled, QStringList{QStringLiteral("111")});
        QVERIFY(w.tabTo(w.ui().HangCMD));
        w.key(Qt::Key_Space);

        w.key(Qt::Key_F1);
        QVERIFY(w.form->links().helpWindow() && w.form->links().helpWindow()->isVisible());
        QCOMPARE(w.prompt.messages().size(), 0);
    }

    void everyToolbarButtonIsReachedWithTab()
    {
        KeyWindow w;
        w.ui().GroupsList->setFocus(Qt::TabFocusReason);
        QList<QWidget*> reached;
        for (int i = 0; i < 200; ++i) {
            reached << w.focus();
            w.key(Qt::Key_Tab);
        }
        for (ButtonBar* bar : w.form->findChildren<ButtonBar*>()) {
            if (!bar->isVisibleTo(w.form.get()) || !bar->parentWidget()->isVisible())
                continue;
            for (int i = 1; i <= bar->buttonCount(); ++i)
                QVERIFY2(reached.contains(bar->button(i)), qPrintable(bar->objectName()));
        }
        // Down the left: each list comes before its own buttons.
        const qsizetype names = reached.indexOf(w.ui().NamesList);
        QVERIFY(reached.indexOf(w.ui().GroupsList) < reached.indexOf(w.ui().TbrGroups->button(1)));
        QVERIFY(reached.indexOf(w.ui().TbrGroups->button(4)) < names);
        QVERIFY(names < reached.indexOf(w.ui().TbrNames->button(1)));

        // Ctrl+F and Ctrl+Q from anywhere in the window.
        w.key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w.form->searchForm() && w.form->searchForm()->isVisible());
        w.form->searchForm()->close();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QSignalSpy exited(w.form.get(), &DialForm::exitRequested);
        w.ui().GroupsList->setFocus(Qt::TabFocusReason);
        w.key(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(exited.size(), 1);
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
