#include "app/DataFolder.h"
#include "common/PrivateFiles.h"
#include "settings/IniStore.h"
#include "store/PhoneBook.h"
#include "support/TestHome.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <sys/stat.h>

using namespace telvora;
using telvora::test::TestHome;

namespace {

int modeOf(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    // --home names the data folder as TELVORA_HOME does, and wins over it.
    void homeOnTheCommandLine()
    {
        TestHome home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TELVORA_HOME"), home.file(QStringLiteral("other")));
        environment.insert(QStringLiteral("TELVORA_QUIT_AFTER_LOAD"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TELVORA_BINARY),
                      {QStringLiteral("--home"), home.file(QStringLiteral("book"))});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("book/data.mdb"))));
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("other"))));
    }

    // No platform named, one that cannot start here, one that does not exist.
    void withoutADisplayItSaysSoAndEnds()
    {
        TestHome home;
        for (const QString platform : {"", "xcb", "no-such-platform"}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(QString::fromLatin1(name));
            if (!platform.isEmpty())
                environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
            environment.insert(QStringLiteral("TELVORA_HOME"), home.file(QStringLiteral("data")));
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(TELVORA_BINARY), {});
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 1);
            QCOMPARE(program.readAllStandardError(),
                     QByteArray("Telvora needs a graphical desktop: no display found\n"));
        }
        // What the command line asks needs no display: the answer, or the mistake.
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            bare.remove(QString::fromLatin1(name));
        bare.insert(QStringLiteral("TELVORA_HOME"), home.file(QStringLiteral("data")));
        const std::pair<QStringList, int> asked[] = {{{QStringLiteral("--version")}, 0},
                                                     {{QStringLiteral("--help")}, 0},
                                                     {{QStringLiteral("tel:x")}, 2}};
        for (const auto& [arguments, status] : asked) {
            QProcess program;
            program.setProcessEnvironment(bare);
            program.start(QStringLiteral(TELVORA_BINARY), arguments);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitCode(), status);
            QCOMPARE(program.readAllStandardOutput().isEmpty(), status != 0);
        }
        // It gave up before it touched the user's files.
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("data"))));
    }

    // Nothing a new folder or the new phone book holds is open to other users, whatever
    // the umask; folders that exist already keep the mode their owner gave them.
    void newFoldersAndThePhoneBookAreTheOwnersAlone()
    {
        TestHome home;
        const mode_t umask = ::umask(0);
        const QString shared = home.file(QStringLiteral("shared"));
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup));
        qputenv("TELVORA_HOME", (shared + QStringLiteral("/a/b")).toUtf8());
        QString error;
        QVERIFY2(DataFolder::enter(&error), qPrintable(error));
        QCOMPARE(modeOf(shared), 0750);
        QCOMPARE(modeOf(shared + QStringLiteral("/a")), 0700);
        QCOMPARE(modeOf(shared + QStringLiteral("/a/b")), 0700);

        PhoneBook book;
        QCOMPARE(book.open(QStringLiteral("data.mdb")), PhoneBook::State::Created);
        QCOMPARE(modeOf(shared + QStringLiteral("/a/b/data.mdb")), 0600);

        IniStore settings(home.file(QStringLiteral("config/Telvora/registry.ini")));
        QVERIFY(settings.createKey(QStringLiteral("HKEY_CURRENT_USER\\Software")));
        QCOMPARE(modeOf(home.file(QStringLiteral("config/Telvora"))), 0700);
        QCOMPARE(modeOf(settings.path()), 0600);

        // The files of lines and accounts, which may hold passwords, in a folder of their own.
        const QString lines = configFile(QStringLiteral("lines/lines.json"));
        QVERIFY(writePrivateFile(lines, "{}"));
        QCOMPARE(modeOf(shared + QStringLiteral("/a/b/lines")), 0700);
        QCOMPARE(modeOf(lines), 0600);
        QVERIFY(!writePrivateFile(lines + QStringLiteral("/below"), "{}"));
        ::umask(umask);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
