#include "ProviderEvents.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"
#include "telephony/sip/SipStack.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace telvora;

namespace {

bool stackLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/telvora-sip.so");
}

} // namespace

// SIP accounts and numbers without any network: the stack never starts in this process.
class SipConfigTest : public QObject
{
    Q_OBJECT

private:
    telvora::test::TestHome m_home;
    LineService m_lines;

private slots:
    void noAccountsStartsNothing();
    void moduleOthersCouldChangeIsRefused();
    void numbersBecomeAddressesAtTheServer_data();
    void numbersBecomeAddressesAtTheServer();
    void accountsFileIsTheUsersOnly();
    void accountsRoundTrip();
    void editedFileIsReadAgain();
    void fieldsThatWouldWriteIntoMessages_data();
    void fieldsThatWouldWriteIntoMessages();
    void hostileAccountsFileIsShownNeverSent();
};

void SipConfigTest::numbersBecomeAddressesAtTheServer_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("transport");
    QTest::addColumn<QString>("address");
    const int udp = static_cast<int>(SipAccount::Transport::Udp);
    QTest::newRow("plain") << "0123456" << udp << "sip:0123456@pbx.example:5070";
    QTest::newRow("blanks, dashes, dots, brackets")
        << " +49 (0)30-123.45 [6] " << udp << "sip:+49030123456@pbx.example:5070";
    QTest::newRow("sip address") << "sip:bob@elsewhere.example" << udp
                                 << "sip:bob@elsewhere.example";
    QTest::newRow("sips address") << "SIPS:bob@secure.example" << udp << "sips:bob@secure.example";
    QTest::newRow("user at host") << "bob@elsewhere.example" << udp << "sip:bob@elsewhere.example";
    QTest::newRow("empty") << "" << udp << "";
    QTest::newRow("only separators") << " - . ( ) " << udp << "";
    QTest::newRow("tcp") << "12" << static_cast<int>(SipAccount::Transport::Tcp)
                         << "sip:12@pbx.example:5070;transport=tcp";
    QTest::newRow("tls") << "12" << static_cast<int>(SipAccount::Transport::Tls)
                         << "sip:12@pbx.example:5070;transport=tls";
    // What a user part cannot hold is escaped, never sent raw.
    QTest::newRow("hash") << "*31#0123" << udp << "sip:*31%230123@pbx.example:5070";
    QTest::newRow("tel number") << "tel:+1-555-0100" << udp
                                << "sip:+15550100@pbx.example:5070;user=phone";
    QTest::newRow("tel with extension")
        << "TEL:+1555 0100;ext=12" << udp << "sip:+15550100;ext=12@pbx.example:5070;user=phone";
    QTest::newRow("empty tel") << "tel:" << udp << "";
    // Nothing that would end the address or add to the request gets through, not even cut.
    QTest::newRow("line break") << "123\r\nX-Injected: yes" << udp << "";
    QTest::newRow("sip address with a header") << "sip:bob@h.example?X-Injected=yes" << udp << "";
    QTest::newRow("sip address cut short") << "sip:bob@h.example>;x" << udp << "";
    QTest::newRow("user at a bad host") << "bob@h.example>" << udp << "";
}

void SipConfigTest::numbersBecomeAddressesAtTheServer()
{
    QFETCH(QString, number);
    QFETCH(int, transport);
    QFETCH(QString, address);
    SipAccount account;
    account.server = QStringLiteral("pbx.example:5070");
    account.transport = static_cast<SipAccount::Transport>(transport);
    SipProvider sip;
    QCOMPARE(sip.addressFor(number, account), address);
}

void SipConfigTest::accountsFileIsTheUsersOnly()
{
    SipAccountStore store;
    SipAccount account;
    account.id = QStringLiteral("one");
    account.server = QStringLiteral("127.0.0.1");
    account.user = QStringLiteral("alice");
    account.password = QStringLiteral("s3cret \"quoted\"");
    QVERIFY(store.save({account}));
    QCOMPARE(SipAccountStore::filePath(), m_home.file(QStringLiteral("lines.json")));
    struct stat info
    {};
    QCOMPARE(::stat(QFile::encodeName(SipAccountStore::filePath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    // No secret store runs here: the password stays in the file.
    QVERIFY(!store.passwordInKeychain(account.id));
    QCOMPARE(store.load().value(0).password, account.password);
}

void SipConfigTest::accountsRoundTrip()
{
    SipAccountStore store;
    SipAccount a;
    a.id = QStringLiteral("a");
    a.displayName = QStringLiteral("Büro");
    a.server = QStringLiteral("sip.example:5061");
    a.user = QStringLiteral("u1");
    a.password = QStringLiteral("p1");
    a.transport = SipAccount::Transport::Tls;
    a.outboundProxy = QStringLiteral("proxy.example");
    a.registerEnabled = false;
    a.responseTimeoutSecs = 7;
    a.nationalNumbers = true;
    SipAccount b;
    b.id = QStringLiteral("b");
    b.server = QStringLiteral("10.0.0.1");
    b.user = QStringLiteral("u2");
    QVERIFY(store.save({a, b}));
    QCOMPARE(store.load(), (QList<SipAccount>{a, b}));
}

void SipConfigTest::editedFileIsReadAgain()
{
    auto* sip = static_cast<SipProvider*>(m_lines.provider(QStringLiteral("sip")));
    QVERIFY(sip);
    QVERIFY(SipAccountStore().save({}));
    QCOMPARE(sip->lines().size(), 0);
    SipAccount account;
    account.server = QStringLiteral("127.0.0.1");
    account.user = QStringLiteral("carol");
    const QString id = sip->addAccount(account);
    QVERIFY(!id.isEmpty());
    QCOMPARE(sip->lines().size(), 1);
    QCOMPARE(sip->lines().value(0).caps.lineName, QStringLiteral("carol@127.0.0.1"));
    account.id = id;
    account.displayName = QStringLiteral("Carol");
    QVERIFY(sip->updateAccount(account));
    QCOMPARE(sip->lines().value(0).caps.lineName, QStringLiteral("Carol"));

    // Another program (or the user) edits the file: the next look at the lines sees it.
    QTest::qWait(20);
    QFile file(SipAccountStore::filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    text.replace("\"Carol\"", "\"Carol at home\"");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    QCOMPARE(sip->lines().value(0).caps.lineName, QStringLiteral("Carol at home"));

    QVERIFY(sip->removeAccount(id));
    QVERIFY(!sip->removeAccount(id));
    QCOMPARE(sip->lines().size(), 0);
}

void SipConfigTest::noAccountsStartsNothing()
{
    QVERIFY(SipAccountStore().save({}));
    m_lines.startUp();
    QVERIFY(m_lines.listLines().isEmpty());
    auto* sip = static_cast<SipProvider*>(m_lines.provider(QStringLiteral("sip")));
    QVERIFY(sip);
    QCoreApplication::processEvents();
    QVERIFY(!sip->isStarted());
    // Not even loaded: a program that never calls through SIP does not carry the stack.
    QVERIFY(!stackLoaded());
    // Accounts saved while nobody looks at the lines start nothing either.
    SipAccount account;
    account.server = QStringLiteral("127.0.0.1");
    account.user = QStringLiteral("dave");
    QVERIFY(!sip->addAccount(account).isEmpty());
    QVERIFY(!sip->isStarted());
    QVERIFY(!stackLoaded());
    QVERIFY(SipAccountStore().save({}));
}

void SipConfigTest::moduleOthersCouldChangeIsRefused()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/lib");
    QVERIFY(QDir().mkdir(folder));
    const QString module = folder + QStringLiteral("/telvora-sip.so");
    QFile file(module);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto mode = [](const QString& path, mode_t bits) {
        return ::chmod(QFile::encodeName(path).constData(), bits) == 0;
    };
    QVERIFY(mode(folder, 0755) && mode(module, 0644));
    QVERIFY(isTrustedModule(module));
    QVERIFY(mode(module, 0664));
    QVERIFY(!isTrustedModule(module));
    QVERIFY(mode(module, 0644) && mode(folder, 0777));
    QVERIFY(!isTrustedModule(module));
    // In a shared folder whose entries only their owners may move, what is ours stays ours.
    QVERIFY(mode(folder, 01777));
    QVERIFY(isTrustedModule(module));
    QVERIFY(mode(folder, 0755) && mode(dir.path(), 0777));
    QVERIFY(!isTrustedModule(module));
    // A link is judged by what it points to.
    QVERIFY(mode(dir.path(), 0700));
    const QString link = dir.path() + QStringLiteral("/link.so");
    QVERIFY(QFile::link(module, link));
    QVERIFY(isTrustedModule(link));
    QVERIFY(mode(folder, 0777));
    QVERIFY(!isTrustedModule(link));
}

void SipConfigTest::fieldsThatWouldWriteIntoMessages_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("problemField"); // -1: none
    using F = SipAccount::Field;
    QTest::newRow("fine") << "displayName"
                          << "Eve \"the\" \\ Boss" << -1;
    QTest::newRow("name with a line break") << "displayName"
                                            << "Eve\r\nX-Injected: yes" << int(F::DisplayName);
    QTest::newRow("name with a tab") << "displayName"
                                     << "Eve\tBoss" << int(F::DisplayName);
    QTest::newRow("name with a line separator")
        << "displayName" << QStringLiteral("Eve\u2028Boss") << int(F::DisplayName);
    QTest::newRow("user with a line break") << "user"
                                            << "eve\nX: y" << int(F::User);
    QTest::newRow("user with a quote") << "user"
                                       << "eve\"" << int(F::User);
    QTest::newRow("password with NUL")
        << "password" << QString(QStringLiteral("pw") + QChar(0)) << int(F::Password);
    QTest::newRow("server with a line break") << "server"
                                              << "h.example\r\n"
                                              << int(F::Server);
    QTest::newRow("server with a parameter") << "server"
                                             << "h.example;lr" << int(F::Server);
    QTest::newRow("server cut short") << "server"
                                      << "h.example>x" << int(F::Server);
    QTest::newRow("server with a user") << "server"
                                        << "u@h.example" << int(F::Server);
    QTest::newRow("server with a port") << "server"
                                        << "h.example:5070" << -1;
    QTest::newRow("server by IPv6") << "server"
                                    << "[::1]:5070" << -1;
    QTest::newRow("proxy with a header") << "outboundProxy"
                                         << "p.example?X=1" << int(F::OutboundProxy);
    QTest::newRow("id with a line break") << "id"
                                          << "a\nb" << int(F::Id);
}

void SipConfigTest::fieldsThatWouldWriteIntoMessages()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, problemField);
    SipAccount account;
    account.id = QStringLiteral("x");
    account.server = QStringLiteral("h.example");
    account.user = QStringLiteral("eve");
    QString* fields[] = {&account.id,   &account.displayName, &account.server,
                         &account.user, &account.password,    &account.outboundProxy};
    const QStringList names = {QStringLiteral("id"),       QStringLiteral("displayName"),
                               QStringLiteral("server"),   QStringLiteral("user"),
                               QStringLiteral("password"), QStringLiteral("outboundProxy")};
    *fields[names.indexOf(field)] = value;
    const auto problem = account.problem();
    QCOMPARE(problem ? int(problem->field) : -1, problemField);
    if (problem)
        QVERIFY(!problem->text.isEmpty());
}

void SipConfigTest::hostileAccountsFileIsShownNeverSent()
{
    // Written by hand, as someone else could: a display name that would add a header.
    QFile file(SipAccountStore::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(R"({"sip": [
        {"id": "bad", "display_name": "Eve\r\nX-Injected: yes", "server": "127.0.0.1:9",
         "user": "eve", "register": true},
        {"id": "good", "display_name": "Good", "server": "127.0.0.1:9", "user": "good",
         "register": false}]})");
    file.close();

    SipProvider sip;
    test::ProviderEvents events(sip);
    const QList<ProviderLine> lines = sip.lines();
    QCOMPARE(lines.size(), 2);
    // Still listed, so it can be mended or removed, with a name a list can show.
    QVERIFY(!lines[0].caps.lineName.contains(QLatin1Char('\n')));
    QVERIFY2(sip.lineState(QStringLiteral("bad")).contains(QLatin1String("control character")),
             qPrintable(sip.lineState(QStringLiteral("bad"))));
    // Refused before the stack is even started.
    QCOMPARE(sip.placeCall(1, QStringLiteral("bad"), QStringLiteral("123")),
             mTAPIConsts::LINEERR_RESOURCEUNAVAIL);
    QVERIFY(!sip.isStarted());
    QVERIFY(SipAccountStore().save({}));
}

QTEST_GUILESS_MAIN(SipConfigTest)
#include "tst_sip_config.moc"
