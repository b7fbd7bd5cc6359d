// With a secret store on the session bus (tests/telephony/with-keyring starts one), an
// account's password goes there and never into the accounts file.
#include "support/TestHome.h"
#include "telephony/sip/SecretStore.h"
#include "telephony/sip/SipAccountStore.h"

#include <QFile>
#include <QTest>

using namespace telvora;

namespace {

QByteArray accountsFile()
{
    QFile file(SipAccountStore::filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QString> readSecret(const QString& key)
{
    std::optional<QString> result;
    bool answered = false;
    SecretStore::read(key, [&](std::optional<QString> secret) {
        result = std::move(secret);
        answered = true;
    });
    for (int waited = 0; !answered && waited < 10000; waited += 50)
        QTest::qWait(50);
    return result;
}

} // namespace

class SipSecretsTest : public QObject
{
    Q_OBJECT

private slots:
    void passwordsGoToTheSecretStore()
    {
        QVERIFY2(SecretStore::running(), "run me under with-keyring");
        telvora::test::TestHome home;
        const QString password = QStringLiteral("s3cret-πάσο'\"=;");
        SipAccount account;
        account.id = QStringLiteral("keyring-test");
        account.displayName = QStringLiteral("Alice");
        account.server = QStringLiteral("sip.example.org");
        account.user = QStringLiteral("alice");
        account.password = password;

        SipAccountStore store;
        QVERIFY(store.save({account}));
        QVERIFY(!accountsFile().contains("s3cret"));
        QTRY_VERIFY_WITH_TIMEOUT(store.passwordInKeychain(account.id), 10000);
        QVERIFY(!accountsFile().contains("s3cret"));
        QCOMPARE(readSecret(SipAccountStore::keychainKey(account.id)), std::optional(password));

        // Saved again with the field left empty: the password stays where it is.
        account.password.clear();
        account.displayName = QStringLiteral("Alice at work");
        QVERIFY(store.save({account}));
        SipAccountStore again;
        const QList<SipAccount> loaded = again.load();
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded[0].displayName, QStringLiteral("Alice at work"));
        QVERIFY(loaded[0].password.isEmpty());
        QVERIFY(again.passwordInKeychain(account.id));
        QVERIFY(!accountsFile().contains("s3cret"));
        QCOMPARE(readSecret(SipAccountStore::keychainKey(account.id)), std::optional(password));
    }
};

QTEST_GUILESS_MAIN(SipSecretsTest)
#include "tst_sip_secrets.moc"
