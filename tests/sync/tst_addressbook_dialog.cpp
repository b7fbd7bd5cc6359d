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

private slots:
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
