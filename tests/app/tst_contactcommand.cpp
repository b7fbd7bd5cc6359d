#include "store/PhoneBook.h"
#include "support/BookContents.h"
#include "support/TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTelvora(const TestHome& home, const QStringList& arguments)
{
    QProcess program;
    program.start(QStringLiteral(TELVORA_BINARY),
                  QStringList{QStringLiteral("--home"), home.file(QStringLiteral("book"))} +
                      arguments);
    program.waitForFinished(60000);
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

class ContactCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void importsAndExportsWithoutAWindow()
    {
        TestHome home;
        const QString cards =
            writeFile(QStringLiteral("cards.vcf"),
                      "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nTEL;TYPE=CELL:1\nTEL:2\nEND:VCARD\n"
                      "BEGIN:VCARD\nVERSION:3.0\nFN:Ben\nTEL:3\nEND:VCARD\n");
        Run run = runTelvora(home, {QStringLiteral("--import"), cards, QStringLiteral("--group"),
                                    QStringLiteral("Friends")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Imported 2 names and 3 numbers\n"));
        {
            // A group of the same name that another program numbered 0, which holds no names.
            PhoneBook book;
            book.open(home.file(QStringLiteral("book/data.mdb")));
            QVERIFY(
                QSqlQuery(book.database())
                    .exec(QStringLiteral("INSERT INTO groups (id, name) VALUES (0, 'Friends')")));
        }

        run = runTelvora(home, {QStringLiteral("--export"), QStringLiteral("out.csv"),
                                QStringLiteral("--group"), QStringLiteral("Friends")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Exported 2 names and 3 numbers\n"));
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("out.csv"))));
        // Never over a file that is there.
        run = runTelvora(home, {QStringLiteral("--export"), QStringLiteral("out.csv")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QLatin1String("exists already")), qPrintable(run.err));
        // vCard 3.0 on request, for older phones.
        run = runTelvora(home, {QStringLiteral("--export"), QStringLiteral("old.vcf"),
                                QStringLiteral("--vcard3")});
        QCOMPARE(run.exitCode, 0);
        QFile old(home.file(QStringLiteral("old.vcf")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll().count("VERSION:3.0"), 2);

        // A damaged file adds nothing and names the card and line.
        const QString damaged =
            writeFile(QStringLiteral("damaged.vcf"),
                      "BEGIN:VCARD\nFN:Cy\nEND:VCARD\nBEGIN:VCARD\nFN:\xff\nEND:VCARD\n");
        run = runTelvora(home, {QStringLiteral("--import"), damaged});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QLatin1String("Card 2 (line 5)")), qPrintable(run.err));
        PhoneBook book;
        book.open(home.file(QStringLiteral("book/data.mdb")));
        QCOMPARE(bookContents(book).size(), 4); // with the group numbered 0
    }
};

QTEST_GUILESS_MAIN(ContactCommandTest)
#include "tst_contactcommand.moc"
