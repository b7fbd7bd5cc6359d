// What a user who left the window in the tray hears of a run: a desktop notification when it
// gets through (with the window raised) or gives up, sent to a real notification service
// (python-dbusmock's) on a private session bus.
#include "call/CallController.h"
#include "call/DesktopNotifier.h"
#include "dialing/DialRun.h"
#include "dialing/RecordingProvider.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "support/PrivateSessionBus.h"
#include "support/SampleWindow.h"

#include <QTest>

using namespace telvora;
using namespace telvora::test;

class NoticesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<SampleWindow> m_window;
    RecordingProvider* m_line = nullptr;

    // Dials the name's number and answers the attempt after `busyFirst` busy ones.
    void runTo(qint64 nameId, int busyFirst, bool answer)
    {
        m_line->dialled.clear();
        m_window->form->dialRun().start({QStringLiteral("0301234")}, nameId);
        for (int attempt = 1; attempt <= busyFirst; ++attempt) {
            QTRY_COMPARE(m_line->dialled.size(), attempt);
            QTest::qWait(50);
            m_line->busy();
        }
        if (answer) {
            QTRY_COMPARE(m_line->dialled.size(), busyFirst + 1);
            QTest::qWait(50);
            m_line->answer();
        }
    }

private slots:
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        QVERIFY(m_bus->isRunning());
        QVERIFY(m_bus->startNotifications());
        m_window = std::make_unique<SampleWindow>([this](SampleWindow& window) {
            Registry registry(Registry::defaultPath(), window.prompt);
            registry.CreateRegistryKey(StoredSettings::keyPath());
            registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kRetryTimes,
                                         QStringLiteral("3"));
            registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kTimeAttempt,
                                         QStringLiteral("0"));
            m_line = RecordingProvider::install(window.lines);
            m_line->setLines({FakeProvider::line(QStringLiteral("l"), QStringLiteral("Line"))});
        });
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_bus.reset();
    }

    void anAnsweredRunNotifiesAndRaisesTheWindow()
    {
        m_window->form->hide();
        runTo(m_window->book.alice, 2, true);
        QTRY_COMPARE(m_bus->notices(),
                     QStringList{QStringLiteral(
                         "Call answered|Connected to Alice (0301234) after 3 attempts")});
        QVERIFY(m_window->form->isVisible());
        QVERIFY(m_window->form->callController().inCall());
        m_window->form->HangCMD_Click();
        QTRY_VERIFY(!m_window->form->callController().inCall());
    }

    void aRunThatGivesUpNotifiesItsLastStatus()
    {
        runTo(0, 3, false);
        QTRY_COMPARE(m_bus->notices().size(), 2);
        QCOMPARE(m_bus->notices().last(), QStringLiteral("Redial ended|Last Status : Busy"));
    }

    // A name is text: its markup reaches the service escaped, its reordering and control
    // characters not at all.
    void aNameIsPlainText()
    {
        QVERIFY(m_window->form->phoneBook().renameName(
                    m_window->book.alice,
                    QStringLiteral("<b>Eve</b> & <img src=x>\u202Egnp.exe\n")) > 0);
        runTo(m_window->book.alice, 0, true);
        QTRY_COMPARE(m_bus->notices().size(), 3);
        QCOMPARE(m_bus->notices().last(),
                 QStringLiteral("Call answered|Connected to &lt;b&gt;Eve&lt;/b&gt; &amp; &lt;img "
                                "src=x&gt;gnp.exe (0301234) after 1 attempt"));
        m_window->form->HangCMD_Click();
        QCOMPARE(DesktopNotifier::plainLine(QString(100, QLatin1Char('x')), 10),
                 QStringLiteral("xxxxxxxxx\u2026"));
    }

    void withoutAServiceTheFallbackShowsIt()
    {
        m_bus->stopNotifications();
        QStringList shown;
        DesktopNotifier notifier(
            [&shown](const QString& title, const QString& body) { shown << title + body; });
        notifier.notify(QStringLiteral("A"), QStringLiteral("<b>"));
        QTRY_COMPARE(shown, QStringList{QStringLiteral("A<b>")});
    }
};

QTEST_MAIN(NoticesTest)
#include "tst_notices.moc"
