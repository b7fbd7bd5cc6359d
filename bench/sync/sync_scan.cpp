// What looking for the book's own changes costs a sync and the status line, in a large
// phone book already in step with its address book: the count of changes waiting and a
// sync with nothing to do, then both after one edit, then the count when every name must be
// looked at (a file whose marks cannot be used, as every sync was before the marks).
// The server is a static one in this process that answers every listing with "no changes":
// the figures are the phone book's side alone. Run in the tests' private namespace all the
// same, so that it listens on no loopback the machine shares:
//   tests/sync/with-radicale build/bench/sync/sync_scan [NAMES]
#include "store/PhoneBook.h"
#include "sync/SyncCards.h"
#include "sync/SyncEngine.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace telvora;

namespace {

class NoQuestions final : public Prompt
{
public:
    QString inputBox(const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString&, Buttons, Icon, const QString&) override { return Answer::No; }
    void beep() override {}
};

// Answers each request once its body is in: a listing with nothing changed, a write with a
// new ETag.
void answer(QTcpSocket* socket)
{
    QByteArray& seen = *static_cast<QByteArray*>(socket->property("seen").value<void*>());
    seen += socket->readAll();
    const qsizetype end = seen.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    qsizetype length = 0;
    for (const QByteArray& line : seen.left(end).split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    if (seen.size() < end + 4 + length)
        return;
    const QByteArray body = seen.startsWith("REPORT")
                                ? QByteArray(R"(<?xml version="1.0"?><d:multistatus )"
                                             R"(xmlns:d="DAV:"><d:sync-token>t1</d:sync-token>)"
                                             "</d:multistatus>")
                                : QByteArray();
    const QByteArray status = seen.startsWith("REPORT") ? "207 Multi-Status" : "201 Created";
    seen.remove(0, end + 4 + length);
    socket->write("HTTP/1.1 " + status + "\r\nETag: \"e2\"\r\nContent-Type: application/xml\r\n" +
                  "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock milliseconds; the CPU milliseconds of this process go to *cpu, which a busy
// machine does not inflate.
qint64 timed(const std::function<void()>& run, qint64* cpu = nullptr)
{
    const double before = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    run();
    if (cpu)
        *cpu = qint64((cpuSeconds() - before) * 1000);
    return timer.elapsed();
}

void syncOnce(SyncEngine& engine)
{
    QEventLoop loop;
    QObject::connect(&engine, &SyncEngine::finished, &loop, &QEventLoop::quit);
    engine.sync();
    if (engine.isSyncing())
        loop.exec();
    if (!engine.lastReport().ok()) {
        std::fprintf(stderr, "sync_scan: %s\n", qPrintable(engine.lastReport().error.message()));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            auto* seen = new QByteArray;
            socket->setProperty("seen", QVariant::fromValue(static_cast<void*>(seen)));
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { answer(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, seen] {
                delete seen;
                socket->deleteLater();
            });
        }
    });
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
    const QUrl book = url.resolved(QUrl(QStringLiteral("/alice/contacts/")));

    QTemporaryDir dir;
    PhoneBook phoneBook;
    phoneBook.open(dir.filePath(QStringLiteral("data.mdb")));
    const qint64 group = phoneBook.addGroup(QStringLiteral("Office"));
    phoneBook.asOneBulkAdd([&] {
        for (int i = 0; i < count; ++i) {
            const qint64 id = phoneBook.addName(
                QStringLiteral("Person %1").arg(i), 0, group,
                {{QStringLiteral("Company"), QStringLiteral("Example")},
                 {QStringLiteral("Email"), QStringLiteral("person%1@example.org").arg(i)}});
            if (id <= 0 || phoneBook.addNumber(QStringLiteral("+49 30 %1").arg(i), id,
                                               QStringLiteral("Phone")) <= 0)
                return false;
        }
        return true;
    });

    NoQuestions prompt;
    const DavAccount account{url, QStringLiteral("alice"), QStringLiteral("secret"), {}};
    // The state a finished sync leaves: every name with its card on the server, and no
    // name marked as changed since. Written beside the engine's back, so by an engine of
    // its own: the measured one reads it fresh.
    SyncEngine setUp(phoneBook, prompt);
    setUp.setAccount(account, book);
    const qint64 firstCount = timed([&] { setUp.pendingChanges(); });
    SyncCards cards(phoneBook);
    const auto uidOf = [](qint64 id) {
        return QStringLiteral("urn:uuid:%1").arg(id);
    };
    phoneBook.asOneChange([&] {
        QSqlQuery query(phoneBook.database());
        query.prepare(QStringLiteral("INSERT INTO sync_items VALUES (?, ?, '\"e1\"', ?, ?, ?)"));
        for (const qint64 id : cards.nameIds()) {
            const QByteArray card = SyncCards::card(*cards.contact(id, uidOf));
            query.addBindValue(QStringLiteral("/alice/contacts/%1.vcf").arg(id));
            query.addBindValue(id);
            query.addBindValue(uidOf(id));
            query.addBindValue(SyncCards::hash(card));
            query.addBindValue(card);
            if (!query.exec())
                return false;
        }
        return query.exec(QStringLiteral("UPDATE sync_account SET token = 't1'")) &&
               query.exec(QStringLiteral("DELETE FROM sync_changed"));
    });

    SyncEngine engine(phoneBook, prompt);
    engine.setAccount(account, book);
    const auto row = [](const char* what, const std::function<void()>& run) {
        qint64 cpu = 0;
        const qint64 wall = timed(run, &cpu);
        std::printf("%-38s %6lld ms (CPU %lld ms)\n", what, static_cast<long long>(wall),
                    static_cast<long long>(cpu));
    };
    std::printf("%-38s %d\n", "names", count);
    std::printf("%-38s %6lld ms\n", "first count, every name new",
                static_cast<long long>(firstCount));
    int pendingNone = -1, pendingOne = -1, pendingAll = -1, sent = -1;
    row("changes waiting, none", [&] { pendingNone = engine.pendingChanges(); });
    row("sync with nothing to do", [&] { syncOnce(engine); });
    row("changes waiting, none, again", [&] { pendingNone = engine.pendingChanges(); });
    phoneBook.renameName(cards.nameIds().value(count / 2), QStringLiteral("Renamed here"));
    row("changes waiting, one edit", [&] { pendingOne = engine.pendingChanges(); });
    row("sync sending that edit", [&] {
        syncOnce(engine);
        sent = engine.lastReport().toServer;
    });
    // Without usable marks: every name's card is made again, as before the marks.
    QSqlQuery(phoneBook.database()).exec(QStringLiteral("DROP TABLE sync_changed"));
    QSqlQuery(phoneBook.database()).exec(QStringLiteral("CREATE TABLE sync_changed (x)"));
    row("changes waiting, every name looked at", [&] { pendingAll = engine.pendingChanges(); });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-38s %ld MB\n", "peak memory", usage.ru_maxrss / 1024);
    std::printf("counted %d, %d, %d; sent %d\n", pendingNone, pendingOne, pendingAll, sent);
    return pendingNone == 0 && pendingOne == 1 && sent == 1 && pendingAll == 0 ? 0 : 1;
}
