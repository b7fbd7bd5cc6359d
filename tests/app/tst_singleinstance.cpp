#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "support/TestHome.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// An environment of its own for the lock and the socket: $XDG_RUNTIME_DIR and $TMPDIR in
// a fresh folder, put back when the object goes.
struct RuntimeFolders
{
    QTemporaryDir dir;
    QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray previousTemp = qgetenv("TMPDIR");

    RuntimeFolders()
    {
        QDir(dir.path()).mkdir(QStringLiteral("tmp"));
        qputenv("TMPDIR", tmp().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
    }
    ~RuntimeFolders()
    {
        restore("XDG_RUNTIME_DIR", previousRuntime);
        restore("TMPDIR", previousTemp);
    }
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QString tmp() const { return dir.filePath(QStringLiteral("tmp")); }
    // Where this user's private folder goes when there is no $XDG_RUNTIME_DIR.
    QString ours() const { return tmp() + QStringLiteral("/telvora-%1").arg(::geteuid()); }
};

// A lock and a socket held by something that is not a running copy of the program.
struct Impostor
{
    int lock = -1;
    QLocalServer server;
    QByteArray answer;

    Impostor(const QString& folder, const QString& key, QByteArray reply) : answer(std::move(reply))
    {
        lock = ::open(QFile::encodeName(folder + QLatin1Char('/') + key + QStringLiteral(".lock"))
                          .constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ::flock(lock, LOCK_EX | LOCK_NB);
        server.listen(folder + QLatin1Char('/') + key + QStringLiteral(".socket"));
        QObject::connect(&server, &QLocalServer::newConnection, &server, [this] {
            QLocalSocket* socket = server.nextPendingConnection();
            if (!answer.isEmpty())
                socket->write(answer);
        });
    }
    ~Impostor() { ::close(lock); }
};

// Starts the program on the data folder and expects it to keep running after saying,
// on its error output, why it cannot tell whether it already runs.
void expectStartWithReport(const QString& home)
{
    QProcess program;
    startProgram(program, home);
    // Waiting by the event loop lets a socket of this process answer meanwhile.
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT(
        (errors += program.readAllStandardError()).contains("cannot tell whether it is already"),
        15000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home + QStringLiteral("/data.mdb")), 10000);
    QTest::qWait(200);
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);
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

    // What another user can leave where the private folder belongs, or what a folder can
    // have become, when there is no $XDG_RUNTIME_DIR.
    void nothingInPlaceOfThePrivateFolderKeepsTheProgramFromStarting_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("a file") << QStringLiteral("file");
        QTest::newRow("a link to a folder") << QStringLiteral("link");
        QTest::newRow("a folder open to others") << QStringLiteral("open");
        QTest::newRow("a folder of another user") << QStringLiteral("foreign");
    }

    void nothingInPlaceOfThePrivateFolderKeepsTheProgramFromStarting()
    {
        QFETCH(QString, planted);
        TestHome home;
        RuntimeFolders folders;
        const QString target = folders.ours();
        const QString elsewhere = folders.dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(elsewhere));
        if (planted == QLatin1String("file")) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (planted == QLatin1String("link")) {
            QVERIFY(QFile::link(elsewhere, target));
        } else {
            QVERIFY(QDir().mkdir(target));
            if (planted == QLatin1String("open"))
                QVERIFY(::chmod(QFile::encodeName(target).constData(), 0777) == 0);
            else if (::geteuid() != 0 ||
                     ::chown(QFile::encodeName(target).constData(), 65534, 65534) != 0)
                QSKIP("making a folder of another user needs root");
        }
        // The place a lock was once looked for, taken by a "copy" on another machine.
        QFile oldLock(QDir(folders.tmp())
                          .filePath(SingleInstance::keyFor(home.path()) + QStringLiteral(".lock")));
        QVERIFY(oldLock.open(QIODevice::WriteOnly));
        oldLock.write("1\nsomewhere-else\ntelvora\n");
        oldLock.close();

        SingleInstance instance(SingleInstance::keyFor(home.path()));
        QVERIFY(instance.claim());
        QVERIFY(instance.problem().contains(target));
        // Nothing went into the planted place.
        QVERIFY(QDir(elsewhere).isEmpty());
        expectStartWithReport(home.path());
    }

    // A running process of this user holds the lock, but what answers at the socket is not
    // a copy of the program: it says something else, or nothing.
    void aSocketThatIsNotOursIsReportedAndIgnored_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("nonsense") << QByteArray("nonsense\n");
        QTest::newRow("silence") << QByteArray();
    }

    void aSocketThatIsNotOursIsReportedAndIgnored()
    {
        QFETCH(QByteArray, answer);
        TestHome home;
        RuntimeFolders folders;
        qputenv("XDG_RUNTIME_DIR", folders.dir.path().toUtf8());
        QString problem;
        QCOMPARE(SingleInstance::runtimeFolder(&problem), folders.dir.path());
        Impostor impostor(folders.dir.path(), SingleInstance::keyFor(home.path()), answer);
        QVERIFY(impostor.server.isListening());
        expectStartWithReport(home.path());
    }

    void aRuntimeFolderOpenToOthersIsNotUsed()
    {
        RuntimeFolders folders;
        QVERIFY(::chmod(QFile::encodeName(folders.tmp()).constData(), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR", folders.tmp().toUtf8());
        QString problem;
        QCOMPARE(SingleInstance::runtimeFolder(&problem), folders.ours());
        QCOMPARE(QFileInfo(folders.ours()).permissions().toInt() & 0x0077, 0);
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
