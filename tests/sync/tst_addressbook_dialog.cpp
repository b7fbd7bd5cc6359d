#include "store/PhoneBook.h"
#include "support/DavServers.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "sync/AddressBookDialog.h"
#include "sync/SyncService.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QtTest>

using namespace telvora;
using namespace telvora::test;

class TestAddressBookDialog : public QObject
{
    Q_OBJECT

    // A sync of the background that ended with a question waiting, none asked yet.
    static void questionWaits(SyncService& sync, const ScriptedPrompt& prompt,
                              const SyncSettings& settings)
    {
        sync.setSaver(&SyncAccountStore::save);
        QSignalSpy waiting(&sync, &SyncService::questionChanged);
        sync.configure(settings);
        QTRY_VERIFY_WITH_TIMEOUT(sync.hasQuestion(), 30000);
        QCOMPARE(waiting.size(), 1);
        QCOMPARE(prompt.asked.size(), 0);
    }

    // How many passwords reached the host the hostile server sends the sync on to.
    static QByteArray leaked(const QUrl& hostile)
    {
        DavClient client(davAccount(hostile));
        auto [error, card] = await<const DavError&, const DavCard&>([&](auto done) {
            client.get(hostile.resolved(QUrl(QStringLiteral("/leaked"))), done);
        });
        return card.vcard;
    }

private slots:
    // A redirect to another host is followed only once the user agreed: then the new address
    // is kept and the password goes there, never before.
    void redirectElsewhereIsAskedFirst()
    {
        TestHome home;
        PhoneBook book;
        book.open(home.file(QStringLiteral("data.mdb")));
        ScriptedPrompt prompt;
        SyncService sync(book, prompt);
        const QUrl hostile = serverUrl("TELVORA_HOSTILE_URL");
        const QUrl away = hostile.resolved(QUrl(QStringLiteral("/away/")));
        questionWaits(sync, prompt, {hostile, "alice", "secret", away, {}});
        sync.answerQuestion(); // no
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages().first().text.contains(QLatin1String("127.0.0.2")));
        QCOMPARE(sync.settings().addressBook, away);
        QCOMPARE(leaked(hostile), QByteArray("0"));

        // "Sync now" is the user's own: its question is asked at once.
        prompt.messageAnswers << Prompt::Answer::Yes;
        QSignalSpy synced(&sync.engine(), &SyncEngine::finished);
        sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(synced.size(), 2, 30000);
        QCOMPARE(prompt.messages().size(), 2);
        const QUrl moved(QStringLiteral("http://127.0.0.2:%1/stolen/").arg(hostile.port()));
        QCOMPARE(SyncAccountStore::load([](const QString&) {}).addressBook, moved);
        QCOMPARE(leaked(hostile), QByteArray("1"));
    }

    // A certificate other than the accepted one stops a background sync; the question shows
    // both fingerprints, and yes keeps the new one.
    void changedCertificateIsAskedAbout()
    {
        TestHome home;
        PhoneBook book;
        book.open(home.file(QStringLiteral("data.mdb")));
        ScriptedPrompt prompt;
        SyncService sync(book, prompt);
        const QUrl tls = serverUrl("TELVORA_RADICALE_TLS_URL");
        const QByteArray old(64, 'a');
        questionWaits(
            sync, prompt,
            {tls, "alice", "secret", tls.resolved(QUrl(QStringLiteral("/alice/contacts/"))), old});
        QFile pem(QString::fromLocal8Bit(qgetenv("TELVORA_RADICALE_CERT")));
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QByteArray fingerprint =
            QSslCertificate(pem.readAll()).digest(QCryptographicHash::Sha256).toHex();
        prompt.messageAnswers << Prompt::Answer::Yes;
        QSignalSpy synced(&sync.engine(), &SyncEngine::finished);
        sync.answerQuestion();
        const QString text = prompt.messages().value(0).text.remove(QLatin1Char(':'));
        QVERIFY(text.contains(QString::fromLatin1(old.toUpper())));
        QVERIFY(text.contains(QString::fromLatin1(fingerprint.toUpper())));
        QVERIFY(synced.wait(30000));
        QVERIFY2(sync.engine().lastReport().ok(),
                 qPrintable(sync.engine().lastReport().error.message()));
        QCOMPARE(SyncAccountStore::load([](const QString&) {}).certificate, fingerprint);
    }

    // A self-signed server is used once the user accepted its fingerprint; the settings
    // then hold the certificate, and the sync runs with them.
    void setUpWithASelfSignedServer()
    {
        TestHome home;
        PhoneBook book;
        book.open(home.file(QStringLiteral("data.mdb")));
        ScriptedPrompt prompt;
        prompt.messageAnswers << Prompt::Answer::Yes;
        SyncService sync(book, prompt);
        AddressBookDialog dialog(sync, prompt);
        const QUrl tls = serverUrl("TELVORA_RADICALE_TLS_URL");
        dialog.serverEdit->setText(tls.toString());
        dialog.userEdit->setText(QStringLiteral("alice"));
        dialog.passwordEdit->setText(QStringLiteral("secret"));
        dialog.findButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.bookBox->count() == 1, 30000);

        QFile pem(QString::fromLocal8Bit(qgetenv("TELVORA_RADICALE_CERT")));
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QByteArray fingerprint =
            QSslCertificate(pem.readAll()).digest(QCryptographicHash::Sha256).toHex();
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages()
                    .first()
                    .text.remove(QLatin1Char(':'))
                    .contains(QString::fromLatin1(fingerprint.toUpper())));

        QSignalSpy synced(&sync.engine(), &SyncEngine::finished);
        dialog.okButton->click();
        QVERIFY(synced.wait(30000));
        QVERIFY2(sync.engine().lastReport().ok(),
                 qPrintable(sync.engine().lastReport().error.message()));
        const SyncSettings stored = SyncAccountStore::load([](const QString&) {});
        QCOMPARE(stored.addressBook, tls.resolved(QUrl(QStringLiteral("/alice/contacts/"))));
        QCOMPARE(stored.certificate, fingerprint);
        QCOMPARE(stored.password, QStringLiteral("secret"));
        QCOMPARE(QFile::permissions(SyncAccountStore::filePath()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
};

QTEST_MAIN(TestAddressBookDialog)
#include "tst_addressbook_dialog.moc"
