#include "settings/LinesDialog.h"
#include "settings/Registry.h"
#include "settings/SetupForm.h"
#include "settings/SipAccountDialog.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/FakeProvider.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace telvora;
using namespace telvora::test;

// Runs inside the private network namespace of tests/telephony/peers/with-peers, beside
// kamailio (registrar on 127.0.0.1:5070, password "secret").
class LinesDialogTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_fakeUserHome;
    QTemporaryDir m_runtimeDir;
    std::unique_ptr<TestHome> m_home;
    ScriptedPrompt m_prompt;
    std::unique_ptr<LineService> m_lines;
    FakeProvider* m_modem = nullptr;
    SipProvider* m_sip = nullptr;

    static QTreeWidgetItem* row(const LinesDialog& dialog, const QString& name)
    {
        const auto found = dialog.LinesList->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    static QString state(const LinesDialog& dialog, const QString& name)
    {
        const QTreeWidgetItem* item = row(dialog, name);
        return item ? item->text(LinesDialog::StateColumn) : QStringLiteral("(no such line)");
    }
    static void select(LinesDialog& dialog, const QString& name)
    {
        QTreeWidgetItem* item = row(dialog, name);
        QVERIFY2(item, qPrintable(name));
        dialog.LinesList->setCurrentItem(item);
    }
    // Adds an account the way a user does: Add, the fields, OK.
    static void add(LinesDialog& dialog, const QString& name, const QString& password)
    {
        QVERIFY(dialog.Add_button->isEnabled());
        dialog.Add_button->click();
        auto* account = qobject_cast<SipAccountDialog*>(dialog.accountDialog());
        QVERIFY(account);
        QVERIFY(account->isVisible());
        QCOMPARE(account->windowModality(), Qt::WindowModal);
        account->displayName->setText(name);
        account->server->setText(QStringLiteral("127.0.0.1:5070"));
        account->user->setText(name.toLower());
        account->password->setText(password);
        account->OK_button->click();
        QTRY_VERIFY(!dialog.accountDialog());
        QTRY_VERIFY(row(dialog, name));
    }

private slots:
    void initTestCase()
    {
        // Before the stack exists: whatever it might write under $HOME lands here.
        qputenv("HOME", m_fakeUserHome.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toUtf8());
        m_home = std::make_unique<TestHome>();
        m_lines = std::make_unique<LineService>();
        auto modem = std::make_unique<FakeProvider>();
        modem->setLines({FakeProvider::line(QStringLiteral("ttyS0"), QStringLiteral("Modem"))});
        m_modem = static_cast<FakeProvider*>(&m_lines->addProvider(std::move(modem)));
        QVERIFY(m_lines->listLines().size() == 1);
        m_sip = dynamic_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        QVERIFY(m_sip);
    }
    void cleanupTestCase()
    {
        m_lines.reset();
        m_home.reset();
    }

    void listsEveryLineWithItsKindAndState()
    {
        LinesDialog dialog(*m_lines, m_prompt);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Telephone Lines"));
        QCOMPARE(dialog.LinesList->topLevelItemCount(), 1);
        QCOMPARE(dialog.LinesList->topLevelItem(0)->text(LinesDialog::KindColumn),
                 QStringLiteral("fake"));
        // What the provider says of its line shows at once.
        m_modem->setLineState(QStringLiteral("ttyS0"), QStringLiteral("No dial tone"));
        QTRY_COMPARE(state(dialog, QStringLiteral("Modem")), QStringLiteral("No dial tone"));
        // Only SIP accounts are edited here; the other line's settings are its provider's.
        select(dialog, QStringLiteral("Modem"));
        QVERIFY(!dialog.Edit_button->isEnabled());
        QVERIFY(!dialog.Remove_button->isEnabled());
        QVERIFY(dialog.Settings_button->isEnabled());
        dialog.Settings_button->click();
        QCOMPARE(m_prompt.messages().size(), 1);
        QCOMPARE(m_prompt.messages()[0].text,
                 QStringLiteral("The line \"Modem\" has no settings to show."));
        m_prompt.asked.clear();
        QVERIFY(!m_sip->isStarted());
    }

    void addedAccountRegisters()
    {
        LinesDialog dialog(*m_lines, m_prompt);
        dialog.show();
        add(dialog, QStringLiteral("Alice"), QStringLiteral("secret"));
        QCOMPARE(row(dialog, QStringLiteral("Alice"))->text(LinesDialog::KindColumn),
                 QStringLiteral("SIP"));
        // Looking at the lines started the stack for the first account, without a restart.
        QVERIFY(m_sip->isStarted());
        QTRY_COMPARE_WITH_TIMEOUT(state(dialog, QStringLiteral("Alice")),
                                  QStringLiteral("Registered"), 8000);
        QVERIFY(m_prompt.asked.isEmpty());

        // An account that does not register says so.
        dialog.Add_button->click();
        auto* account = qobject_cast<SipAccountDialog*>(dialog.accountDialog());
        QVERIFY(account);
        account->displayName->setText(QStringLiteral("Outgoing"));
        account->server->setText(QStringLiteral("127.0.0.1:5070"));
        account->registerAccount->setChecked(false);
        account->OK_button->click();
        QTRY_COMPARE(state(dialog, QStringLiteral("Outgoing")), QStringLiteral("Not registering"));
    }

    void wrongPasswordShowsTheRefusalThenEditFixesIt()
    {
        LinesDialog dialog(*m_lines, m_prompt);
        dialog.show();
        add(dialog, QStringLiteral("Mallory"), QStringLiteral("wrong"));
        const QString refused = QStringLiteral("Registration refused: wrong user name or password");
        QTRY_COMPARE_WITH_TIMEOUT(state(dialog, QStringLiteral("Mallory")), refused, 8000);

        // Edited without typing a password: the wrong one is kept, and refused again.
        select(dialog, QStringLiteral("Mallory"));
        QVERIFY(dialog.Edit_button->isEnabled());
        dialog.Edit_button->click();
        auto* account = qobject_cast<SipAccountDialog*>(dialog.accountDialog());
        QVERIFY(account);
        QCOMPARE(account->user->text(), QStringLiteral("mallory"));
        QCOMPARE(account->password->text(), QString());
        account->displayName->setText(QStringLiteral("Mal"));
        account->OK_button->click();
        QTRY_VERIFY(row(dialog, QStringLiteral("Mal")));
        QTRY_COMPARE_WITH_TIMEOUT(state(dialog, QStringLiteral("Mal")), refused, 8000);

        // Through the line's settings, the right password: it registers.
        select(dialog, QStringLiteral("Mal"));
        dialog.Settings_button->click();
        QPointer<SipAccountDialog> settings = dialog.findChild<SipAccountDialog*>();
        QVERIFY(settings);
        QCOMPARE(settings->displayName->text(), QStringLiteral("Mal"));
        settings->password->setText(QStringLiteral("secret"));
        settings->OK_button->click();
        QTRY_VERIFY(!settings);
        QTRY_COMPARE_WITH_TIMEOUT(state(dialog, QStringLiteral("Mal")),
                                  QStringLiteral("Registered"), 8000);
        QVERIFY(m_prompt.asked.isEmpty());
    }

    void removeAsksFirst()
    {
        LinesDialog dialog(*m_lines, m_prompt);
        dialog.show();
        const int lines = dialog.LinesList->topLevelItemCount();
        select(dialog, QStringLiteral("Outgoing"));
        m_prompt.messageAnswers = {Prompt::Answer::No};
        dialog.Remove_button->click();
        QCOMPARE(m_prompt.messages().size(), 1);
        QCOMPARE(m_prompt.messages()[0].text,
                 QStringLiteral("Remove the line \"Outgoing\"? Its SIP account and password are "
                                "deleted."));
        QCOMPARE(m_prompt.messages()[0].buttons, Prompt::Buttons::YesNo);
        QCOMPARE(dialog.LinesList->topLevelItemCount(), lines);
        QVERIFY(row(dialog, QStringLiteral("Outgoing")));

        m_prompt.messageAnswers = {Prompt::Answer::Yes};
        dialog.Remove_button->click();
        QCOMPARE(m_prompt.messages().size(), 2);
        QCOMPARE(dialog.LinesList->topLevelItemCount(), lines - 1);
        QVERIFY(!row(dialog, QStringLiteral("Outgoing")));
        for (const SipAccount& account : SipAccountStore().load())
            QVERIFY(account.displayName != QLatin1String("Outgoing"));
        m_prompt.asked.clear();
    }

    void setupWindowListsTheLinesAgainAfterTheDialog()
    {
        Registry registry(Registry::defaultPath(), m_prompt);
        StoredSettings settings;
        SetupForm setup(registry, settings, *m_lines, m_prompt);
        QVERIFY(setup.cboLineSel->findText(QStringLiteral("Alice")) >= 0);
        QVERIFY(setup.cboLineSel->findText(QStringLiteral("Mal")) >= 0);
        int opened = 0;
        setup.setLinesDialog([this, &opened](QWidget* parent) {
            ++opened;
            LinesDialog dialog(*m_lines, m_prompt, parent);
            dialog.show();
            add(dialog, QStringLiteral("Bob"), QStringLiteral("secret"));
            dialog.Close_button->click();
        });
        QVERIFY(!setup.Lines_button->isHidden());
        setup.Lines_button->click();
        QCOMPARE(opened, 1);
        QVERIFY(setup.cboLineSel->findText(QStringLiteral("Bob")) >= 0);
    }
};

QTEST_MAIN(LinesDialogTest)
#include "tst_linesdialog.moc"
