// The program under faults it does not cause: the phone book file deleted, replaced,
// locked, full or damaged while it runs; awkward text anywhere a user can type or paste;
// a storm of line events for calls that are long gone.
#include "../dialing/RecordingProvider.h"
#include "dialing/DialRun.h"
#include "editing/Editing.h"
#include "mainwindow/DialForm.h"
#include "settings/StoredSettings.h"
#include "support/SampleBook.h"
#include "support/SampleWindow.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "ui/IdListBox.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

RecordingProvider* provider = nullptr;

struct Fixture : SampleWindow
{
    QString data() const { return home.file(QStringLiteral("data.mdb")); }
    // Adds a name through the names list's command, as the user does.
    void addName(const QString& text)
    {
        prompt.inputAnswers << text;
        form->editing().names().AddName();
    }
    int count(const QString& statement) { return scalar(form->phoneBook(), statement).toInt(); }
};

int countInFile(const QString& path, const QString& statement)
{
    const QString connection = QStringLiteral("faults-check");
    int result = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next())
                result = query.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void fileDeletedWhileRunningIsWrittenBack()
    {
        Fixture f;
        const int names = f.count(QStringLiteral("SELECT count(*) FROM names"));
        QVERIFY(QFile::remove(f.data()));
        f.addName(QStringLiteral("After the delete"));
        QVERIFY(f.prompt.messages().isEmpty());
        QVERIFY(QFile::exists(f.data()));
        QCOMPARE(countInFile(f.data(), QStringLiteral("SELECT count(*) FROM names")), names + 1);
        // Later changes go into the restored file, not the lost one.
        f.addName(QStringLiteral("And one more"));
        QCOMPARE(countInFile(f.data(), QStringLiteral("SELECT count(*) FROM names")), names + 2);
    }

    void fileReplacedWhileRunningIsLeftAlone()
    {
        Fixture f;
        QVERIFY(QFile::rename(f.data(), f.home.file(QStringLiteral("moved.mdb"))));
        QFile other(f.data());
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("someone else's file");
        other.close();
        f.addName(QStringLiteral("Not saved"));
        QCOMPARE(f.prompt.messages().size(), 1);
        QVERIFY(f.prompt.messages()[0].text.contains(QStringLiteral("replaced")));
        QVERIFY(!texts(f.form->namesList()).contains(QStringLiteral("Not saved")));
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("someone else's file"));
        QCOMPARE(countInFile(f.home.file(QStringLiteral("moved.mdb")),
                             QStringLiteral("SELECT count(*) FROM names WHERE name = 'Not saved'")),
                 0);
    }

    void aFullDiskIsToldAndLosesNothing()
    {
        Fixture f;
        QSqlQuery query(f.form->phoneBook().database());
        QVERIFY(query.exec(QStringLiteral("PRAGMA page_count")) && query.next());
        const int pages = query.value(0).toInt();
        QVERIFY(query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        const QString bulky(3000, QLatin1Char('x'));
        int added = 0;
        for (int i = 0; i < 50 && f.prompt.messages().isEmpty(); ++i) {
            f.addName(bulky + QString::number(i));
            if (f.prompt.messages().isEmpty())
                ++added;
        }
        QCOMPARE(f.prompt.messages().size(), 1);
        QVERIFY(f.prompt.messages()[0].text.contains(QStringLiteral("full")));
        QCOMPARE(f.count(QStringLiteral("SELECT count(*) FROM names WHERE length(name) > 2000")),
                 added);
        // The refused name is not shown as if it were stored.
        QCOMPARE(int(texts(f.form->namesList()).size()), 1 + added);
        QVERIFY(f.form->phoneBook().nameRow(f.book.alice));
    }

    void aLockedFileIsToldAndTheNextChangeWorks()
    {
        Fixture f;
        const QString connection = QStringLiteral("faults-locker");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            other.setDatabaseName(f.data());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            f.addName(QStringLiteral("While locked"));
            QCOMPARE(f.prompt.messages().size(), 1);
            QVERIFY2(f.prompt.messages()[0].text.contains(QStringLiteral("locked")),
                     qPrintable(f.prompt.messages()[0].text));
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
            other.close();
        }
        QSqlDatabase::removeDatabase(connection);
        f.addName(QStringLiteral("After the lock"));
        QCOMPARE(f.prompt.messages().size(), 1);
        QCOMPARE(
            f.count(QStringLiteral("SELECT count(*) FROM names WHERE name = 'After the lock'")), 1);
    }

    void aFileDamagedWhileRunningIsTold()
    {
        Fixture f;
        QFile file(f.data());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(2048));
        file.close();
        f.addName(QStringLiteral("Into a damaged file"));
        click(f.form->groupsList(), QStringLiteral("All Groups"));
        QVERIFY(!f.prompt.messages().isEmpty());
    }

    void awkwardTextGoesInAndComesOutExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("100,000 characters") << QString(100000, QLatin1Char('n'));
        QTest::newRow("NUL inside")
            << QStringLiteral("before") + QChar(u'\0') + QStringLiteral("after");
        QTest::newRow("control characters") << QStringLiteral("a\tb\rc\x01\x1b[31m");
        QTest::newRow("right to left") << QStringLiteral("\u202Eשלום עולם");
        QTest::newRow("combining") << QStringLiteral("Zalgo z\u0301\u0302\u0303\u0304");
        QTest::newRow("emoji") << QStringLiteral("☎️📞👩‍👩‍👧");
        QTest::newRow("quotes") << QStringLiteral("O'Brien \"the\" `boss`");
        QTest::newRow("sql") << QStringLiteral("'); DROP TABLE names; --");
        QTest::newRow("like") << QStringLiteral("%_*?[a-z]\\");
    }

    void awkwardTextGoesInAndComesOutExactly()
    {
        QFETCH(QString, text);
        Fixture f;
        f.prompt.inputAnswers << text;
        f.form->editing().groups().AddMenu();
        f.addName(text);
        f.prompt.inputAnswers << text;
        f.form->editing().numbers(NumberKind::Home).Add();
        QVERIFY(f.prompt.messages().isEmpty());
        QVERIFY(texts(f.form->groupsList()).contains(text));
        QVERIFY(texts(f.form->namesList()).contains(text));
        QVERIFY(texts(f.form->numberList(NumberKind::Home)).contains(text));
        QSqlQuery query(f.form->phoneBook().database());
        query.prepare(QStringLiteral("SELECT (SELECT count(*) FROM groups WHERE name = ?) + "
                                     "(SELECT count(*) FROM names WHERE name = ?) + "
                                     "(SELECT count(*) FROM numbers WHERE name = ?)"));
        for (int i = 0; i < 3; ++i)
            query.addBindValue(text);
        QVERIFY(query.exec() && query.next());
        QCOMPARE(query.value(0).toInt(), 3);
        // The seven names of the sample book and the one added.
        QCOMPARE(f.count(QStringLiteral("SELECT count(*) FROM names")), 8);
    }

    void awkwardClipboardTexts_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("created");
        QTest::newRow("one slash") << QStringLiteral("a/b") << QStringLiteral("a");
        QTest::newRow("no text part") << QStringLiteral("/1/") << QString();
        QTest::newRow("id overflow")
            << QStringLiteral("x/y/99999999999999999999") << QStringLiteral("x");
        QTest::newRow("id of nobody") << QStringLiteral("ghost/0/424242") << QString();
    }

    void awkwardClipboardTexts()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, created);
        Fixture f;
        f.form->editing().clipboard().CopyName();
        const int names = f.count(QStringLiteral("SELECT count(*) FROM names"));
        QGuiApplication::clipboard()->setText(clipboard);
        f.form->editing().clipboard().PasteName();
        const int expected = created.isNull() ? names : names + 1;
        QCOMPARE(f.count(QStringLiteral("SELECT count(*) FROM names")), expected);
        if (!created.isNull()) {
            QCOMPARE(f.count(QStringLiteral(
                                 "SELECT count(*) FROM names WHERE name = '%1' AND parent = %2")
                                 .arg(created)
                                 .arg(f.book.alice)),
                     1);
        }
        // A number pasted from such text is stored as it is, or refused with a beep.
        QGuiApplication::clipboard()->setText(clipboard);
        f.form->editing().numbers(NumberKind::Fax).Paste();
        QVERIFY(texts(f.form->numberList(NumberKind::Fax)).contains(clipboard));
    }

    void aStormOfStaleLineEventsChangesNothing()
    {
        TestHome home;
        LineService lines;
        provider = RecordingProvider::install(lines);
        provider->setLines({FakeProvider::line(QStringLiteral("l"), QStringLiteral("Line"))});
        ScriptedPrompt prompt;
        StoredSettings settings;
        settings.retryCount = 3;
        DialRun run(lines, settings, prompt);
        QSignalSpy ended(&run, &DialRun::runEnded);
        QList<quint64> calls;
        for (int i = 0; i < 5; ++i) {
            run.start({QStringLiteral("1")});
            calls << provider->lastCall;
        }
        const quint64 live = provider->lastCall;
        run.HangCMD_Click();
        QTest::qWait(20);
        run.start({QStringLiteral("2")});
        const quint64 current = provider->lastCall;
        const int dialled = int(provider->dialled.size());
        // Replies and states for calls that are over, in any order, twice over.
        for (int pass = 0; pass < 2; ++pass) {
            for (quint64 call : calls + QList<quint64>{live, 999999}) {
                provider->dropped(call, 0);
                provider->state(call, mTAPIConsts::LINECALLSTATE_DISCONNECTED,
                                mTAPIConsts::LINEDISCONNECTMODE_BUSY);
                provider->place(call, 0);
                provider->state(call, mTAPIConsts::LINECALLSTATE_CONNECTED);
            }
        }
        QTest::qWait(50);
        QCOMPARE(int(provider->dialled.size()), dialled);
        QCOMPARE(provider->lastCall, current);
        QCOMPARE(run.attemptCount(), qint16(1));
        // The live call still ends as its own line reports it.
        provider->busy();
        QTRY_COMPARE(int(provider->dialled.size()), dialled + 1);
        run.HangCMD_Click();
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
