#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "support/TestHome.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace telvora;
using telvora::test::TestHome;

namespace {

// Starts the real program on the test's data folder, on the offscreen platform.
void startProgram(QProcess& process, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TELVORA_HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TELVORA_BINARY), {});
    QVERIFY(process.waitForStarted());
}

bool waitForFile(const QString& path, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (QFile::exists(path))
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void dataFolderComesFromTheEnvironment()
    {
        TestHome home;
        const QString nested = home.file(QStringLiteral("a/b"));
        qputenv("TELVORA_HOME", nested.toUtf8());
        QString error;
        QVERIFY(DataFolder::enter(&error));
        QCOMPARE(QDir::currentPath(), nested);
    }

    void secondStartAsksTheFirstToShowItselfAndEnds()
    {
        TestHome home;
        SingleInstance first(SingleInstance::keyFor(home.path()));
        QVERIFY(first.claim());
        QSignalSpy shown(&first, &SingleInstance::activationRequested);

        QProcess second;
        startProgram(second, home.path());
        // The second copy cannot answer while this process waits, so wait by the loop.
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        // The second copy gave way before it opened the phone book.
        QVERIFY(!QFile::exists(home.file(QStringLiteral("data.mdb"))));
    }

    void copiesOnOtherDataFoldersDoNotMeet()
    {
        TestHome home;
        SingleInstance one(SingleInstance::keyFor(home.file(QStringLiteral("one"))));
        SingleInstance two(SingleInstance::keyFor(home.file(QStringLiteral("two"))));
        QVERIFY(one.claim());
        QVERIFY(two.claim());
    }

    void twoRealProcessesAndAKilledFirstCopy()
    {
        TestHome home;
        const QString data = home.file(QStringLiteral("data.mdb"));
        QProcess first;
        startProgram(first, home.path());
        QVERIFY(waitForFile(data, 10000));

        QProcess second;
        startProgram(second, home.path());
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // A copy that was killed leaves its lock behind; the next start takes over.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QProcess third;
        startProgram(third, home.path());
        QVERIFY(!third.waitForFinished(1500));
        QCOMPARE(third.state(), QProcess::Running);

        // The session ending (SIGTERM) ends the program as Exit does.
        third.terminate();
        QVERIFY(third.waitForFinished(10000));
        QCOMPARE(third.exitStatus(), QProcess::NormalExit);
        QCOMPARE(third.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
