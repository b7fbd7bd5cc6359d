// Calls that come in on a cellular modem (ModemManager's voice interfaces, played by
// python-dbusmock on a private bus taken for the system bus) reach the same window as
// SIP calls: the caller looked up in the phone book, Answer connects and the keypad sends
// tones, Decline hangs up, a caller who gives up stops the ringing, a second caller meanwhile
// is hung up on.
#include "call/AlertSound.h"
#include "call/CallController.h"
#include "call/IncomingCallWindow.h"
#include "call/IncomingCalls.h"
#include "mainwindow/DialForm.h"
#include "mainwindow/DialFormControls.h"
#include "modem/ModemPeers.h"
#include "store/PhoneBook.h"
#include "support/CallLogRows.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QLineEdit>
#include <QPushButton>

using namespace telvora;
using namespace telvora::test;

namespace {
const QString kRoot = QStringLiteral("/org/freedesktop/ModemManager1");
const QString kModem0 = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
} // namespace

class IncomingLinesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_userHome;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<DialForm> m_form;

    IncomingCallWindow* window() const { return m_form->incomingCalls()->window(); }
    bool offered() const { return window() && window()->isVisible(); }
    QString log() const { return logRows(m_form->phoneBook()).join(QLatin1Char(';')); }

    static QDBusInterface mock()
    {
        return QDBusInterface(QStringLiteral("org.freedesktop.ModemManager1"), kRoot,
                              QStringLiteral("org.freedesktop.DBus.Mock"),
                              QDBusConnection::systemBus());
    }
    // A call from this number rings on the cellular modem; its path.
    static QString ring(const QString& number)
    {
        const QDBusReply<QDBusObjectPath> path = mock().call(
            QStringLiteral("Ring"), QVariant::fromValue(QDBusObjectPath(kModem0)), number);
        return path.isValid() ? path.value().path() : QString();
    }
    static QStringList actions()
    {
        return QDBusReply<QStringList>(mock().call(QStringLiteral("Actions"))).value();
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_userHome.path().toUtf8());
        m_home = std::make_unique<TestHome>();
        QVERIFY(writeModemSettings(m_home->path(), {}));
        // The bus must exist before the first listing connects to it.
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(m_bus->startFake(QStringLiteral("answer"), 100));
        m_lines = std::make_unique<LineService>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_form = std::make_unique<DialForm>(*m_prompt, *m_lines);
        m_form->Form_Load();
        QVERIFY(m_form->phoneBook().addNumber(
                    QStringLiteral("030 123-4567"),
                    m_form->phoneBook().addName(QStringLiteral("Carol K"), 0, 0),
                    QStringLiteral("Phone")) > 0);
        QTRY_VERIFY(!m_lines->listLines().isEmpty());
    }

    void cleanupTestCase()
    {
        m_form.reset();
        m_lines.reset();
        m_bus.reset();
    }

    // Offered with the name from the book, a second caller meanwhile hung up on; answered,
    // the call takes tones and the main window's Hang UP ends it.
    void cellularAnswerTonesAndHangUp()
    {
        const QString call = ring(QStringLiteral("+49301234567"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("Carol K"));
        QCOMPARE(window()->shownNumber(), QStringLiteral("+49301234567"));
        QVERIFY(m_form->incomingCalls()->ring().isRinging());
        const QString second = ring(QStringLiteral("222"));
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + second));

        window()->answerButton()->click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Accept ") + call));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->callController().inCall(), 10000);
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        m_form->controls().CmdNum.value(1)->click();
        m_form->controls().CmdHash->click();
        QTRY_COMPARE(QDBusReply<QString>(mock().call(QStringLiteral("Tones"))).value(),
                     QStringLiteral("1#"));
        m_form->HangCMD_Click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + call));
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->callController().inCall(), 10000);
        QTRY_VERIFY(!window());
        QTRY_VERIFY(log().contains(QStringLiteral("+49301234567 answered")));
    }

    void cellularDeclineHangsUp()
    {
        const QString call = ring(QStringLiteral("5550001"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("5550001"));
        window()->declineButton()->click();
        QTRY_VERIFY(actions().contains(QStringLiteral("Hangup ") + call));
        QTRY_VERIFY(!window());
        QTRY_VERIFY(log().contains(QStringLiteral("5550001 declined")));
    }

    // The number comes from the network: control and reordering characters never show.
    void cellularCallerGivesUp()
    {
        const QString call = ring(QStringLiteral("555\u202E0002\u0007"));
        QTRY_VERIFY_WITH_TIMEOUT(offered(), 10000);
        QCOMPARE(window()->shownName(), QStringLiteral("5550002"));
        QVERIFY(PrivateBus::gdbusCall(kRoot, QStringLiteral("org.freedesktop.DBus.Mock.GiveUp"),
                                      {call}));
        QTRY_VERIFY(!window());
        QVERIFY(!m_form->incomingCalls()->ring().isRinging());
        QTRY_VERIFY(log().contains(QStringLiteral("5550002 missed")));
        QVERIFY(!actions().contains(QStringLiteral("Hangup ") + call));
    }
};

QTEST_MAIN(IncomingLinesTest)
#include "tst_incoming_lines.moc"
