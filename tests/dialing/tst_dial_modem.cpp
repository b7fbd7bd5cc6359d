// Dialing through the main window on a modem line: the scripted voice modem on a socat
// pseudo-terminal answers busy, busy, then the call.
#include "dialing/DialRun.h"
#include "mainwindow/DialForm.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "telephony/modem/ModemPeers.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

class DialModemTest : public QObject
{
    Q_OBJECT

private slots:
    void busyBusyThenAnswered()
    {
        TestHome home;
        ScriptedModem modem(QStringLiteral("hayes"), QStringLiteral("busy,busy,answer"),
                            {QStringLiteral("--delay"), QStringLiteral("0.3"),
                             QStringLiteral("--call-len"), QStringLiteral("0.5")});
        QVERIFY(modem.running());
        QVERIFY(writeModemSettings(home.path(), {modem.host()}));

        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        const QString& key = StoredSettings::keyPath();
        registry.CreateRegistryKey(key);
        registry.WriteRegistryString(key, StoredSettings::kRetryTimes, QStringLiteral("3"));
        registry.WriteRegistryString(key, StoredSettings::kTimeAttempt, QStringLiteral("1"));
        registry.WriteRegistryString(key, StoredSettings::kModemLine, QStringLiteral("0"));

        LineService lines;
        DialForm form(prompt, lines);
        form.Form_Load();
        QStringList status3;
        connect(&form.dialRun(), &DialRun::status, this,
                [&status3](int panel, const QString& text) {
                    if (panel == 3)
                        status3 << text;
                });
        QSignalSpy ended(&form.dialRun(), &DialRun::runEnded);
        form.controls().DialCombo->setEditText(QStringLiteral("5551234"));
        form.controls().quickDial->click();
        QVERIFY(ended.wait(30000));

        QCOMPARE(
            status3,
            (QStringList{QStringLiteral("Dialing: 5551234"), QStringLiteral("Last Status : Busy"),
                         QStringLiteral("Dialing: 5551234"), QStringLiteral("Last Status : Busy"),
                         QStringLiteral("Dialing: 5551234"),
                         QStringLiteral("Last Status : Call Ended")}));
        QCOMPARE(form.controls().panels.value(2)->text(), QStringLiteral("Retry No: 3 / 3"));
        QCOMPARE(modem.dials().size(), 3);
        QVERIFY2(prompt.asked.isEmpty(),
                 qPrintable(prompt.asked.isEmpty() ? QString() : prompt.asked[0].text));
        form.ExitCMD_Click();
    }
};

QTEST_MAIN(DialModemTest)
#include "tst_dial_modem.moc"
