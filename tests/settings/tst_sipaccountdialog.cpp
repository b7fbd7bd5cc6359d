#include "settings/LineSettingsDialogs.h"
#include "settings/SipAccountDialog.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/FakeProvider.h"
#include "telephony/LineService.h"
#include "telephony/sip/SecretStore.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

using namespace telvora;
using namespace telvora::test;

// The account window and the line service's dialogs, without a network: nothing here makes
// a line object, so the SIP stack never starts.
class SipAccountDialogTest : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    LineService m_lines;
    SipProvider* m_sip = nullptr;

    SipAccount stored(const QString& id)
    {
        for (const SipAccount& account : SipAccountStore().load()) {
            if (account.id == id)
                return account;
        }
        return {};
    }
    QString addThroughDialog(ScriptedPrompt& prompt, const QString& name, const QString& password)
    {
        SipAccountDialog dialog(*m_sip, prompt);
        dialog.displayName->setText(name);
        dialog.server->setText(QStringLiteral(" pbx.example:5070 "));
        dialog.user->setText(name.toLower());
        dialog.password->setText(password);
        dialog.OK_button->click();
        return dialog.result() == QDialog::Accepted ? dialog.accountId() : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(SipAccountStore().save({}));
        // The service makes its providers the first time it lists them.
        QVERIFY(m_lines.listLines().isEmpty());
        m_sip = dynamic_cast<SipProvider*>(m_lines.provider(QStringLiteral("sip")));
        QVERIFY(m_sip);
    }
    void cleanupTestCase() { QVERIFY(!m_sip->isStarted()); }

    void validationTellsWhatIsMissing()
    {
        ScriptedPrompt prompt;
        SipAccountDialog dialog(*m_sip, prompt);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add SIP Account"));
        QVERIFY(dialog.registerAccount->isChecked());
        QCOMPARE(dialog.transport->currentText(), QStringLiteral("UDP"));
        dialog.show();

        dialog.user->setText(QStringLiteral("alice"));
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().size(), 1);
        QCOMPARE(prompt.messages()[0].text,
                 QStringLiteral("Enter the server of the account (host or host:port)."));
        QCOMPARE(prompt.messages()[0].icon, Prompt::Icon::Warning);
        QVERIFY(dialog.isVisible());

        dialog.server->setText(QStringLiteral("pbx example"));
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().last().text,
                 QStringLiteral("The server cannot contain blanks."));

        dialog.server->setText(QStringLiteral("pbx.example"));
        dialog.user->clear();
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().last().text,
                 QStringLiteral("Enter the user name: an account that registers with its server "
                                "needs one."));
        QCOMPARE(prompt.messages().size(), 3);
        QVERIFY(dialog.isVisible());
        QVERIFY(m_sip->accounts().isEmpty());

        // An account that only calls out needs no user.
        dialog.registerAccount->setChecked(false);
        dialog.nationalNumbers->setChecked(true);
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().size(), 3);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        const SipAccount saved = stored(dialog.accountId());
        QCOMPARE(saved.server, QStringLiteral("pbx.example"));
        QVERIFY(!saved.registerEnabled);
        QVERIFY(saved.nationalNumbers);
        QVERIFY(m_sip->removeAccount(dialog.accountId()));
    }

    void fieldsThatWouldWriteHeadersAreRefused()
    {
        ScriptedPrompt prompt;
        SipAccountDialog dialog(*m_sip, prompt);
        dialog.show();
        dialog.displayName->setText(QStringLiteral("Eve") + QChar(0x1b) + QStringLiteral("X"));
        dialog.server->setText(QStringLiteral("pbx.example"));
        dialog.user->setText(QStringLiteral("eve"));
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY2(prompt.messages()[0].text.startsWith(QLatin1String("The name contains")),
                 qPrintable(prompt.messages()[0].text));
        QCOMPARE(dialog.focusWidget(), dialog.displayName);

        dialog.displayName->setText(QStringLiteral("Eve"));
        dialog.server->setText(QStringLiteral("pbx.example>;lr"));
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().size(), 2);
        QCOMPARE(dialog.focusWidget(), dialog.server);
        QVERIFY(dialog.isVisible());
        QVERIFY(m_sip->accounts().isEmpty());
    }

    void addedAccountIsStoredWithEveryField()
    {
        ScriptedPrompt prompt;
        SipAccountDialog dialog(*m_sip, prompt);
        dialog.displayName->setText(QStringLiteral("Büro"));
        dialog.server->setText(QStringLiteral("sip.example:5061"));
        dialog.user->setText(QStringLiteral("u1"));
        dialog.password->setText(QStringLiteral("p \"1\""));
        dialog.transport->setCurrentIndex(2);
        dialog.outboundProxy->setText(QStringLiteral("proxy.example"));
        dialog.OK_button->click();
        QVERIFY(prompt.asked.isEmpty());
        const SipAccount saved = stored(dialog.accountId());
        QCOMPARE(saved.displayName, QStringLiteral("Büro"));
        QCOMPARE(saved.server, QStringLiteral("sip.example:5061"));
        QCOMPARE(saved.user, QStringLiteral("u1"));
        QCOMPARE(saved.transport, SipAccount::Transport::Tls);
        QCOMPARE(saved.outboundProxy, QStringLiteral("proxy.example"));
        QVERIFY(saved.registerEnabled);
        QCOMPARE(m_sip->lines().last().caps.lineName, QStringLiteral("Büro"));

        // No secret store runs here, so the password stays in a file only the user reads.
        QVERIFY(!SecretStore::running());
        QCOMPARE(saved.password, QStringLiteral("p \"1\""));
        struct stat info
        {};
        QCOMPARE(::stat(QFile::encodeName(SipAccountStore::filePath()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QVERIFY(m_sip->removeAccount(dialog.accountId()));
    }

    void editKeepsThePasswordUnlessOneIsTyped()
    {
        ScriptedPrompt prompt;
        const QString id = addThroughDialog(prompt, QStringLiteral("Carol"), QStringLiteral("old"));
        QVERIFY(!id.isEmpty());

        {
            SipAccountDialog dialog(*m_sip, prompt, id);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("SIP Account"));
            QCOMPARE(dialog.displayName->text(), QStringLiteral("Carol"));
            QCOMPARE(dialog.server->text(), QStringLiteral("pbx.example:5070"));
            QCOMPARE(dialog.user->text(), QStringLiteral("carol"));
            // The stored password is never shown back.
            QCOMPARE(dialog.password->text(), QString());
            QCOMPARE(dialog.password->placeholderText(), QStringLiteral("unchanged"));
            QCOMPARE(dialog.password->echoMode(), QLineEdit::Password);
            dialog.displayName->setText(QStringLiteral("Carol at work"));
            dialog.transport->setCurrentIndex(1);
            dialog.OK_button->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        SipAccount saved = stored(id);
        QCOMPARE(saved.displayName, QStringLiteral("Carol at work"));
        QCOMPARE(saved.transport, SipAccount::Transport::Tcp);
        QCOMPARE(saved.password, QStringLiteral("old"));

        {
            SipAccountDialog dialog(*m_sip, prompt, id);
            dialog.password->setText(QStringLiteral("new"));
            dialog.OK_button->click();
        }
        saved = stored(id);
        QCOMPARE(saved.password, QStringLiteral("new"));
        QCOMPARE(saved.displayName, QStringLiteral("Carol at work"));
        QVERIFY(prompt.asked.isEmpty());

        // Removed meanwhile: the window says so and saves nothing.
        SipAccountDialog late(*m_sip, prompt, id);
        QVERIFY(m_sip->removeAccount(id));
        late.OK_button->click();
        QCOMPARE(prompt.messages().size(), 1);
        QCOMPARE(prompt.messages()[0].text, QStringLiteral("This account no longer exists."));
        QVERIFY(m_sip->accounts().isEmpty());
    }

    void accountThatCannotBeSavedIsTold()
    {
        ScriptedPrompt prompt;
        // A folder where the file should be: the store cannot replace it.
        QFile::remove(SipAccountStore::filePath());
        QVERIFY(QDir().mkpath(SipAccountStore::filePath()));
        SipAccountDialog dialog(*m_sip, prompt);
        dialog.server->setText(QStringLiteral("pbx.example"));
        dialog.user->setText(QStringLiteral("dave"));
        dialog.OK_button->click();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages()[0].text.contains(SipAccountStore::filePath()));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(QDir().rmdir(SipAccountStore::filePath()));
    }

    void configDialogOpensTheAccountWithoutBlocking()
    {
        ScriptedPrompt prompt;
        const QString id = addThroughDialog(prompt, QStringLiteral("Erin"), QStringLiteral("pw"));
        LineSettingsDialogs dialogs(prompt);
        QWidget owner;
        QVERIFY(dialogs.configDialog(*m_sip, id, &owner));
        QPointer<SipAccountDialog> dialog = owner.findChild<SipAccountDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->user->text(), QStringLiteral("erin"));
        QCOMPARE(dialog->password->text(), QString());
        dialog->outboundProxy->setText(QStringLiteral("edge.example"));
        dialog->OK_button->click();
        // The window goes once it has saved.
        QTRY_VERIFY(!dialog);
        QCOMPARE(stored(id).outboundProxy, QStringLiteral("edge.example"));
        QCOMPARE(stored(id).password, QStringLiteral("pw"));

        QVERIFY(!dialogs.configDialog(*m_sip, QStringLiteral("no such line"), &owner));
        // A kind of line with no settings window of its own.
        FakeProvider other;
        other.setLines({FakeProvider::line(QStringLiteral("a"), QStringLiteral("A"))});
        QVERIFY(!dialogs.configDialog(other, QStringLiteral("a"), &owner));
        QVERIFY(!owner.findChild<SipAccountDialog*>());
        QVERIFY(m_sip->removeAccount(id));
    }

    void translateDialogShowsTheAddress()
    {
        ScriptedPrompt prompt;
        const QString id = addThroughDialog(prompt, QStringLiteral("Office"), QStringLiteral("pw"));
        LineSettingsDialogs dialogs(prompt);
        QVERIFY(dialogs.translateDialog(*m_sip, id, QStringLiteral("030 123-45")));
        QVERIFY(dialogs.translateDialog(*m_sip, id, QString()));
        QVERIFY(dialogs.translateDialog(*m_sip, id, QStringLiteral(" - ")));
        const auto messages = prompt.messages();
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages[0].text, QStringLiteral("\"030 123-45\" is dialled on \"Office\" as "
                                                  "sip:03012345@pbx.example:5070"));
        QCOMPARE(messages[0].title, QStringLiteral("Dialing Properties"));
        QCOMPARE(messages[1].text, QStringLiteral("Numbers dialled on \"Office\" are called at "
                                                  "sip:<number>@pbx.example:5070."));
        QCOMPARE(messages[2].text, QStringLiteral("\" - \" leaves nothing to dial on \"Office\"."));
        FakeProvider other;
        QVERIFY(!dialogs.translateDialog(other, QStringLiteral("a"), QStringLiteral("1")));
        QVERIFY(m_sip->removeAccount(id));
    }
};

QTEST_MAIN(SipAccountDialogTest)
#include "tst_sipaccountdialog.moc"
