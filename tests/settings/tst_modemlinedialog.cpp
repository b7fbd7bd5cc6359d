// The modem line window: what it refuses to save, and that taking calls is asked for.
#include "settings/ModemLineDialog.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/modem/ModemProvider.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

class ModemLineDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void anInitStringWithALineBreakIsRefusedNotSent()
    {
        TestHome home;
        ModemProvider provider;
        ScriptedPrompt prompt;
        ModemLineDialog dialog(provider, prompt, QString());
        dialog.Port_text->setText(QStringLiteral("/dev/ttyACM0"));
        // Would end the init command and dial a number of its own.
        dialog.Init_text->setText(QStringLiteral("M0\rATD5551234"));
        dialog.OK_button_Click();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages()[0].text.contains(QStringLiteral("line breaks")));
        QVERIFY(!QFile::exists(home.file(QStringLiteral("modems.json"))));

        dialog.Init_text->setText(QStringLiteral("M0"));
        // A port is held open for calls only when the user ticks it.
        QVERIFY(!dialog.Incoming_check->isChecked());
        dialog.Incoming_check->setChecked(true);
        dialog.OK_button_Click();
        QCOMPARE(prompt.messages().size(), 1);
        const ModemSettings saved = ModemSettings::load();
        QCOMPARE(saved.ports.size(), 1);
        QCOMPARE(saved.ports[0].initString, QStringLiteral("M0"));
        QVERIFY(saved.ports[0].takeCalls);
    }
};

QTEST_MAIN(ModemLineDialogTest)
#include "tst_modemlinedialog.moc"
