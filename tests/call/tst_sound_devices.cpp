// The sound devices of SIP calls, chosen in the SIP account window: a headset plugged in
// while the program runs shows up in the lists, the choice is stored and taken again at
// the next start, and a chosen device that is missing is replaced by the default, with a
// word in the window, until it is back. The headset is a sound card of the test's own
// driver, plugged into the SIP library's media layer as a real one appears.
#include "mainwindow/DialForm.h"
#include "settings/SipAccountDialog.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "support/TestSoundCards.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <linphone++/linphone.hh>

using namespace telvora;
using namespace telvora::test;
using Role = SipSoundDevices::Role;

class SoundDevicesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_userHome;
    TestHome m_home;
    QString m_account;

    // One start of the program, with its SIP stack running.
    struct Program
    {
        ScriptedPrompt prompt;
        LineService lines;
        DialForm form{prompt, lines};
        SipProvider* sip = nullptr;
    };
    std::unique_ptr<Program> start()
    {
        auto program = std::make_unique<Program>();
        program->form.Form_Load();
        program->sip = static_cast<SipProvider*>(program->lines.provider(QStringLiteral("sip")));
        if (program->sip && m_account.isEmpty()) {
            // Never registers: the stack runs, and nothing is sent.
            SipAccount account;
            account.server = QStringLiteral("127.0.0.1:5070");
            account.user = QStringLiteral("alice");
            account.registerEnabled = false;
            m_account = program->sip->addAccount(account);
        }
        program->lines.listLines();
        return program;
    }
    static QString inputInUse(SipProvider& sip)
    {
        const auto device = sip.core()->getDefaultInputAudioDevice();
        return device ? QString::fromStdString(device->getId()) : QString();
    }

private slots:
    void initTestCase() { qputenv("HOME", m_userHome.path().toUtf8()); }

    void aChosenHeadsetIsKeptAndMissedWhenGone()
    {
        QString headset;
        {
            auto program = start();
            QVERIFY(program->sip->isStarted());
            SipAccountDialog dialog(*program->sip, program->prompt, m_account);
            QCOMPARE(dialog.microphone->currentText(), QStringLiteral("Default"));
            headset = plugSoundCard(*program->sip, QStringLiteral("USB Headset"));
            QTRY_VERIFY(dialog.microphone->findData(headset) > 0);
            // A card that can do neither is offered for nothing.
            const QString mute = plugSoundCard(*program->sip, QStringLiteral("Mute"), false);
            for (const Role role : {Role::Microphone, Role::Speaker, Role::Ringer})
                QVERIFY(!program->sip->soundDevices().devices(role).contains(mute));
            for (QComboBox* box : {dialog.microphone, dialog.speaker, dialog.ringer})
                box->setCurrentIndex(box->findData(headset));
            dialog.OK_button->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(program->sip->soundDevices().inUse(Role::Speaker), headset);
            QCOMPARE(inputInUse(*program->sip), headset);
            unplugSoundCards(*program->sip);
        }
        // The next start, without the headset: the default serves, and the window says so.
        auto program = start();
        SipSoundDevices& devices = program->sip->soundDevices();
        QCOMPARE(devices.choice().microphone, headset);
        QCOMPARE(devices.choice().ringer, headset);
        QVERIFY(devices.inUse(Role::Microphone) != headset);
        QCOMPARE(devices.problems().size(), 3);
        {
            SipAccountDialog dialog(*program->sip, program->prompt, m_account);
            QCOMPARE(dialog.microphone->currentData().toString(), headset);
            QVERIFY(dialog.microphone->currentText().contains(QStringLiteral("not connected")));
            QVERIFY(dialog.soundNotice->text().contains(headset));
            // Plugged in again while the window is open: taken at once.
            plugSoundCard(*program->sip, QStringLiteral("USB Headset"));
            QTRY_VERIFY(dialog.soundNotice->isHidden());
            QCOMPARE(dialog.microphone->currentText(), headset);
        }
        QCOMPARE(inputInUse(*program->sip), headset);
        QVERIFY(devices.problems().isEmpty());
        unplugSoundCards(*program->sip);
        QCOMPARE(inputInUse(*program->sip), devices.inUse(Role::Microphone));
        QVERIFY(program->prompt.asked.isEmpty());
    }
};

QTEST_MAIN(SoundDevicesTest)
#include "tst_sound_devices.moc"
