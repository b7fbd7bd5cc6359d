#include "RecordingProvider.h"
#include "dialing/DialRun.h"
#include "dialing/KeypadSound.h"
#include "editing/Editing.h"
#include "mainwindow/DialForm.h"
#include "numbers/PhoneLink.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "support/SampleBook.h"
#include "support/SampleWindow.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

using namespace telvora;
using namespace telvora::test;

namespace {

RecordingProvider* provider = nullptr;

// The main window on the sample book, with an outside-line prefix of 9, three attempts
// and Germany stored, dialling on the fake line.
struct Fixture : SampleWindow
{
    explicit Fixture(const QStringList& speedDials = {}, bool linksAtOnce = false)
        : SampleWindow([&](SampleWindow& window) {
              Registry registry(Registry::defaultPath(), window.prompt);
              registry.CreateRegistryKey(StoredSettings::keyPath());
              registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kPrefix,
                                           QStringLiteral("9"));
              registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kCountry,
                                           QStringLiteral("DE"));
              registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kDialLinks,
                                           QLatin1String(linksAtOnce ? "1" : "0"));
              registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kRetryTimes,
                                           QStringLiteral("3"));
              PhoneBook store;
              store.open(QStringLiteral("data.mdb"));
              QSqlQuery query(store.database());
              for (int i = 0; i + 1 < speedDials.size(); i += 2) {
                  query.prepare(QStringLiteral("INSERT INTO SpeedDials VALUES (?, ?)"));
                  query.addBindValue(speedDials[i]);
                  query.addBindValue(speedDials[i + 1]);
                  query.exec();
              }
              provider = RecordingProvider::install(window.lines);
              provider->setLines({FakeProvider::line(QStringLiteral("l"), QStringLiteral("Line"))});
          })
    {}
    const DialFormControls& ui() const { return form->controls(); }
    QString panel(int number) const { return ui().panels.value(number)->text(); }
    QStringList menuItems() const
    {
        QStringList items;
        for (QAction* action : form->speedDialsMenu()->actions())
            items << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
        return items;
    }
    QStringList comboItems() const
    {
        QStringList items;
        for (int i = 0; i < ui().DialCombo->count(); ++i)
            items << ui().DialCombo->itemText(i);
        return items;
    }
};

} // namespace

class QuickDialTest : public QObject
{
    Q_OBJECT

    static PhoneLink link(const char* text)
    {
        QString error;
        return PhoneLink::parse(QString::fromUtf8(text), &error).value_or(PhoneLink());
    }

private slots:
    // A link waits in the box for Enter, and is dialled as a contact's number is: the prefix
    // first, a global number as the line can dial it. Once its text is changed, the box
    // dials what it says, as ever.
    void linksWaitForEnter()
    {
        Fixture f;
        f.form->showLink(link("tel:+49-30-1234"), false);
        QCOMPARE(f.ui().DialCombo->currentText(), QStringLiteral("+49301234"));
        QVERIFY(f.ui().DialCombo->lineEdit()->hasFocus() || !f.form->isActiveWindow());
        QTest::qWait(50);
        QVERIFY(provider->dialled.isEmpty());
        QTest::keyClick(f.ui().DialCombo->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("9+49301234"));
        f.form->HangCMD_Click();

        provider->kindName = QStringLiteral("modem");
        f.ui().quickDial->click();
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("90301234"));
        f.form->HangCMD_Click();
        f.ui().DialCombo->setEditText(QStringLiteral("+4930123"));
        f.ui().quickDial->click();
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("+4930123"));
        f.form->HangCMD_Click();

        // --dial: at once. A SIP address cannot go out on a modem: it is said, not dialled.
        f.form->showLink(link("callto:+33 1 23 45 67 89"), true);
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("90033123456789"));
        f.form->HangCMD_Click();
        const qsizetype dialled = provider->dialled.size();
        f.form->showLink(link("sip:bob@example.org"), true);
        QCOMPARE(f.prompt.messages().size(), 1);
        QCOMPARE(provider->dialled.size(), dialled);
    }

    void linksDialAtOnceWhenSetUpSo()
    {
        Fixture f({}, true);
        f.form->showLink(link("tel:0301234"), false);
        QTRY_COMPARE(provider->dialled, QStringList{QStringLiteral("90301234")});
    }

    void listNumbersTakeThePrefix()
    {
        Fixture f;
        IdListBox& phones = f.form->numberList(NumberKind::Phone);
        f.ui().DialPhonesCMD->click();
        QCOMPARE(provider->dialled, QStringList{QStringLiteral("9111")});
        QCOMPARE(f.panel(2), QStringLiteral("Retry No: 1 / 3"));
        QCOMPARE(f.panel(3), QStringLiteral("Dialing: 9111"));
        QCOMPARE(f.form->dialRun().DialList(),
                 (QStringList{QStringLiteral("9111"), QStringLiteral("9112")}));

        // Hang UP ends the run; the menu's Dial and a double click dial like the button.
        f.ui().HangCMD->click();
        QCOMPARE(f.panel(3), QStringLiteral("Last Status :  User Hang UP"));
        phones.setItemSelected(0, false);
        emit phones.listDoubleClicked();
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("9112"));
        f.form->HangCMD_Click();
        f.form->numberList(NumberKind::Fax).setListIndex(0);
        emit f.form->editing().dialRequested(NumberKind::Fax);
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("9211"));
        f.form->HangCMD_Click();

        // Nothing selected: nothing dialled.
        const int dialled = int(provider->dialled.size());
        IdListBox& homes = f.form->numberList(NumberKind::Home);
        homes.setItemSelected(0, false);
        f.ui().DialHomeCMD->click();
        QCOMPARE(int(provider->dialled.size()), dialled);
    }

    void keypadAndQuickDial()
    {
        Fixture f({QStringLiteral("Office"), QStringLiteral("0123")});
        f.form->CmdNum_Click(1);
        f.ui().CmdNum.value(2)->click();
        f.ui().CmdAstric->click();
        f.ui().CmdHash->click();
        QCOMPARE(f.ui().DialCombo->currentText(), QStringLiteral("12*#"));
        f.ui().quickDial->click();
        // No prefix before a number dialled by hand.
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("12*#"));
        f.form->HangCMD_Click();

        // A speed dial's name dials its number, without the prefix; Enter dials as the button.
        f.ui().DialCombo->setEditText(QStringLiteral("Office"));
        QTest::keyClick(f.ui().DialCombo->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("0123"));
        f.form->HangCMD_Click();
        f.ui().DialCombo->setEditText(QStringLiteral("office"));
        f.ui().quickDial->click();
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("office"));
        f.form->HangCMD_Click();
        QCOMPARE(KeypadSound::source().toString(), QStringLiteral("qrc:/sounds/key.wav"));
        QFile own(f.home.file(QStringLiteral("beep.wav")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.close();
        QCOMPARE(KeypadSound::source().toLocalFile(), f.home.file(QStringLiteral("beep.wav")));
    }

    void speedDials()
    {
        Fixture f({QStringLiteral("Pizza"), QStringLiteral("555 1234"), QStringLiteral("Bob's"),
                   QStringLiteral("7")});
        QCOMPARE(f.comboItems(), (QStringList{QStringLiteral("Bob's"), QStringLiteral("Pizza")}));

        // Add proposes the box's number; a cancelled question stores nothing.
        f.ui().DialCombo->setEditText(QStringLiteral("0800 999"));
        f.prompt.inputAnswers << QStringLiteral("Help desk") << QStringLiteral("0800 999");
        f.ui().tbrSpeed->button(1)->click();
        QCOMPARE(f.prompt.asked[1].text, QStringLiteral("Input Number"));
        QCOMPARE(f.prompt.asked[1].defaultText, QStringLiteral("0800 999"));
        QCOMPARE(f.comboItems(), (QStringList{QStringLiteral("Bob's"), QStringLiteral("Pizza"),
                                              QStringLiteral("Help desk")}));
        QCOMPARE(f.ui().DialCombo->currentText(), QString());
        f.prompt.inputAnswers << QString();
        f.form->tbrSpeed_ButtonClick(1);
        f.prompt.inputAnswers << QStringLiteral("Name only") << QString();
        f.form->tbrSpeed_ButtonClick(1);
        QCOMPARE(f.comboItems().size(), 3);

        // Edit and delete find the speed dial by its exact name, quotes and all.
        f.ui().DialCombo->setEditText(QStringLiteral("Bob's"));
        f.prompt.inputAnswers << QStringLiteral("Bob's cell") << QStringLiteral("8");
        f.form->tbrSpeed_ButtonClick(2);
        QCOMPARE(f.comboItems().first(), QStringLiteral("Bob's cell"));
        f.ui().DialCombo->setEditText(QStringLiteral("nobody"));
        f.form->tbrSpeed_ButtonClick(3);
        QCOMPARE(f.prompt.messages().last().text,
                 QStringLiteral("Entry not found or No Name Selected"));
        f.ui().DialCombo->setEditText(QStringLiteral("Pizza"));
        f.form->tbrSpeed_ButtonClick(3);
        QCOMPARE(f.prompt.messages().last().text, QStringLiteral("Are You Sure"));
        QCOMPARE(f.comboItems().size(), 3);
        f.ui().DialCombo->setEditText(QStringLiteral("Pizza"));
        f.prompt.messageAnswers << Prompt::Answer::Yes;
        f.form->tbrSpeed_ButtonClick(3);
        QCOMPARE(f.comboItems(),
                 (QStringList{QStringLiteral("Bob's cell"), QStringLiteral("Help desk")}));
        QCOMPARE(f.menuItems(),
                 (QStringList{QStringLiteral("Bob's cell"), QStringLiteral("Help desk")}));

        // The menu dials its numbers without the prefix.
        f.form->speedDialsMenu()->actions().first()->trigger();
        QTRY_COMPARE(provider->dialled.last(), QStringLiteral("8"));
        f.form->HangCMD_Click();

        // With none left, the menu offers nothing to dial.
        for (const QString& name : {QStringLiteral("Bob's cell"), QStringLiteral("Help desk")}) {
            f.ui().DialCombo->setEditText(name);
            f.prompt.messageAnswers << Prompt::Answer::Yes;
            f.form->tbrSpeed_ButtonClick(3);
        }
        QCOMPARE(f.comboItems(), QStringList());
        QCOMPARE(f.menuItems(), QStringList{QStringLiteral("(No speed dials) (off)")});
        const int dialled = int(provider->dialled.size());
        f.form->speedDialsMenu()->actions().first()->trigger();
        QCOMPARE(int(provider->dialled.size()), dialled);

        // Button 5 clears the box; button 4 opens the menu below itself.
        f.ui().DialCombo->setEditText(QStringLiteral("123"));
        f.form->tbrSpeed_ButtonClick(5);
        QCOMPARE(f.ui().DialCombo->currentText(), QString());
        f.form->tbrSpeed_ButtonClick(4);
        QVERIFY(f.form->speedDialsMenu()->isVisible());
        f.form->speedDialsMenu()->hide();
    }
};

QTEST_MAIN(QuickDialTest)
#include "tst_quickdial.moc"
