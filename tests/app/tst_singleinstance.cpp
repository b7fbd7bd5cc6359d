#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "support/BookContents.h"
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
void startProgram(QProcess& process, const QString& home, const QStringList& arguments = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TELVORA_HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TELVORA_BINARY), arguments);
    QVERIFY(process.waitForStarted());
}

// Sends one request to the running copy's socket as any client could, and gives back its
// answer once it hung up. Waiting by the loop lets the copy in this process answer.
QByteArray ask(const QString& home, const QByteArray& request)
{
    QString problem;
    const QString socketPath =
        QDir(SingleInstance::runtimeFolder(&problem))
            .filePath(SingleInstance::keyFor(home) + QStringLiteral(".socket"));
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(2000))
        return "no connection";
    socket.write(request);
    QByteArray reply;
    QDeadlineTimer deadline(5000);
    while (socket.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired()) {
        QTest::qWait(20);
        reply += socket.readAll();
    }
    return reply + socket.readAll();
}

// Expects the program to start on the data folder, saying why it cannot tell whether
// it already runs. Waiting by the event loop lets a socket of this process answer.
void expectStartWithReport(const QString& home)
{
    QProcess program;
    startProgram(program, home);
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT(
        (errors += program.readAllStandardError()).contains("cannot tell whether it is already"),
        15000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home + QStringLiteral("/data.mdb")), 10000);
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
    // Each test's own temporary folder, and no $XDG_RUNTIME_DIR unless it sets one.
    std::unique_ptr<QTemporaryDir> m_tmp;
    const QByteArray m_systemTmp = qgetenv("TMPDIR");
    QString privateFolder() const
    {
        return m_tmp->filePath(QStringLiteral("telvora-%1").arg(::geteuid()));
    }

private slots:
    void init()
    {
        // Made in the system's temporary folder, not inside the last test's.
        m_tmp.reset();
        if (m_systemTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_systemTmp);
        m_tmp = std::make_unique<QTemporaryDir>();
        qputenv("TMPDIR", m_tmp->path().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
    }

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

    // A later start hands its link over and ends; a malformed one is refused before the
    // running copy is asked anything.
    void aLinkIsHandedToTheRunningCopy()
    {
        TestHome home;
        SingleInstance first(SingleInstance::keyFor(home.path()));
        QVERIFY(first.claim());
        QSignalSpy links(&first, &SingleInstance::linkRequested);
        QSignalSpy shown(&first, &SingleInstance::activationRequested);
        const QList<QStringList> starts = {{QStringLiteral("tel:+49-30-1234")},
                                           {QStringLiteral("--dial"), QStringLiteral("sip:b@h")},
                                           {QStringLiteral("tel:+49 30 $(reboot)")}};
        for (const QStringList& arguments : starts) {
            QProcess second;
            startProgram(second, home.path(), arguments);
            QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
            QCOMPARE(second.exitCode(), arguments.last().contains(QLatin1Char('$')) ? 2 : 0);
        }
        QCOMPARE(links.size(), 2);
        QCOMPARE(links[0][0].value<PhoneLink>().target(), QStringLiteral("+49301234"));
        QCOMPARE(links[0][1].toBool(), false);
        QCOMPARE(links[1][0].value<PhoneLink>().target(), QStringLiteral("sip:b@h"));
        QCOMPARE(links[1][1].toBool(), true);
        QCOMPARE(shown.size(), 0);
        QVERIFY(!QFile::exists(home.file(QStringLiteral("data.mdb"))));
    }

    // An import from the command line tells the window on the same folder to show it.
    void anImportAsksTheRunningCopyToReload()
    {
        TestHome home;
        SingleInstance first(SingleInstance::keyFor(home.path()));
        QVERIFY(first.claim());
        QSignalSpy reloads(&first, &SingleInstance::reloadRequested);
        QProcess second;
        startProgram(second, home.path(),
                     {QStringLiteral("--import"),
                      telvora::test::writeFile(QStringLiteral("one.vcf"),
                                               "BEGIN:VCARD\nFN:A\nTEL:1\nEND:VCARD\n")});
        QTRY_COMPARE_WITH_TIMEOUT(reloads.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray("Imported 1 names and 1 numbers\n"));
    }

    // What any client of this user might send: one line of one shape is answered, a link
    // in it checked again; anything else is dropped without a word.
    void theSocketTakesOneShortLineOfOneShape()
    {
        TestHome home;
        SingleInstance first(SingleInstance::keyFor(home.path()));
        QVERIFY(first.claim());
        QSignalSpy links(&first, &SingleInstance::linkRequested);
        QCOMPARE(ask(home.path(), "link tel%3A%2B4930\n"), QByteArray("shown\n"));
        QCOMPARE(ask(home.path(), "link ftp%3Ax\n"), QByteArray("refused\n"));
        QCOMPARE(ask(home.path(), "dial tel%3A1%0A2\n"), QByteArray("refused\n"));
        QCOMPARE(ask(home.path(), "link tel%3A1\nshow\n"), QByteArray());
        QCOMPARE(ask(home.path(), "ring tel%3A1\n"), QByteArray());
        QCOMPARE(ask(home.path(), "link " + QByteArray(20000, '1') + "\n"), QByteArray());
        QCOMPARE(links.size(), 1);
    }

    void copiesOnOtherDataFoldersDoNotMeet()
    {
        TestHome home;
        SingleInstance one(SingleInstance::keyFor(home.file(QStringLiteral("one"))));
        SingleInstance two(SingleInstance::keyFor(home.file(QStringLiteral("two"))));
        QVERIFY(one.claim() && one.problem().isEmpty());
        QVERIFY(two.claim() && two.problem().isEmpty());
    }

    // What another user can leave where the private folder belongs, or what it can have
    // become; and the place a lock was once looked for, taken by a "copy" elsewhere.
    void nothingInPlaceOfThePrivateFolderKeepsTheProgramFromStarting_data()
    {
        QTest::addColumn<QString>("planted");
        for (const char* row : {"file", "link", "open folder", "foreign folder"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }

    void nothingInPlaceOfThePrivateFolderKeepsTheProgramFromStarting()
    {
        QFETCH(QString, planted);
        TestHome home;
        const QString target = privateFolder();
        const QString elsewhere = home.file(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(elsewhere));
        if (planted == QLatin1String("file"))
            QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        else if (planted == QLatin1String("link"))
            QVERIFY(QFile::link(elsewhere, target));
        else
            QVERIFY(QDir().mkdir(target));
        if (planted == QLatin1String("open folder"))
            QVERIFY(::chmod(QFile::encodeName(target).constData(), 0777) == 0);
        if (planted == QLatin1String("foreign folder") &&
            (::geteuid() != 0 || ::chown(QFile::encodeName(target).constData(), 65534, 65534)))
            QSKIP("making a folder of another user needs root");
        QFile oldLock(
            m_tmp->filePath(SingleInstance::keyFor(home.path()) + QStringLiteral(".lock")));
        QVERIFY(oldLock.open(QIODevice::WriteOnly));
        oldLock.write("1\nsomewhere-else\ntelvora\n");
        oldLock.close();

        expectStartWithReport(home.path());
        QVERIFY(QDir(elsewhere).isEmpty());
    }

    // A process of this user holds the lock, but what answers at the socket is not a copy
    // of the program: it says something else, or nothing.
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
        qputenv("XDG_RUNTIME_DIR", m_tmp->path().toUtf8());
        const QString key = m_tmp->filePath(SingleInstance::keyFor(home.path()));
        const int lock = ::open(QFile::encodeName(key + QStringLiteral(".lock")).constData(),
                                O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0);
        QLocalServer server;
        QVERIFY(server.listen(key + QStringLiteral(".socket")));
        connect(&server, &QLocalServer::newConnection, &server,
                [&] { server.nextPendingConnection()->write(answer); });
        expectStartWithReport(home.path());
        ::close(lock);
    }

    // A runtime folder open to others is passed over for the private one.
    void aRuntimeFolderOpenToOthersIsNotUsed()
    {
        QVERIFY(::chmod(QFile::encodeName(m_tmp->path()).constData(), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR", m_tmp->path().toUtf8());
        QString problem;
        QCOMPARE(SingleInstance::runtimeFolder(&problem), privateFolder());
        QCOMPARE(QFileInfo(privateFolder()).permissions().toInt() & 0x0077, 0);
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
