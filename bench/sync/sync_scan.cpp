// The phone book's own side of a sync, with a server that costs next to nothing: a static
// one in this process that holds NAMES cards and never changes them. Times the first sync
// of every card into an empty book, then, in the book now in step, the count of changes
// waiting and a sync with nothing to do, both after one edit, and the count when every name
// must be looked at (a file whose marks cannot be used, as every sync was before the marks). Run in
// the tests' private namespace all the same, so that it listens on no loopback the machine shares:
//   tests/sync/with-radicale build/bench/sync/sync_scan [NAMES [NOTE_BYTES [FILING_BATCH]]]
#include "ProcessCost.h"
#include "store/PhoneBook.h"
#include "sync/SyncCards.h"
#include "sync/SyncEngine.h"

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
using namespace telvora::bench;

namespace {

int cardCount = 0;
QByteArray notes; // each card's, to see whether memory grows with the cards' size

QByteArray card(int i)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:Person %1\r\n"
                          "N:Person %1;;;;\r\nTEL;TYPE=WORK:+49 30 %1\r\nCATEGORIES:Office\r\n"
                          "EMAIL:person%1@example.org\r\nORG:Example\r\n")
               .arg(i)
               .toUtf8() +
           (notes.isEmpty() ? QByteArray() : "NOTE:" + notes + "\r\n") + "END:VCARD\r\n";
}

QByteArray entry(const QByteArray& href, const QByteArray& data)
{
    return "<d:response><d:href>" + href +
           "</d:href><d:propstat><d:prop><d:getetag>\"1\""
           "</d:getetag>" +
           data +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
           "</d:response>";
}

// The answer to one request: a first listing names every card, a later one none; a multiget
// gives the cards asked for; a write gets a new ETag.
QByteArray answerTo(const QByteArray& request, const QByteArray& body, QByteArray* status)
{
    *status = "207 Multi-Status";
    QByteArray out = R"(<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" )"
                     R"(xmlns:c="urn:ietf:params:xml:ns:carddav">)";
    if (!request.startsWith("REPORT")) {
        *status = "201 Created";
        return {};
    }
    if (body.contains("sync-collection")) {
        if (body.contains("<d:sync-token></d:sync-token>"))
            for (int i = 0; i < cardCount; ++i)
                out += entry("/alice/contacts/card-" + QByteArray::number(i) + ".vcf", {});
        return out + "<d:sync-token>t1</d:sync-token></d:multistatus>";
    }
    for (qsizetype at = body.indexOf("<d:href>"); at >= 0; at = body.indexOf("<d:href>", at + 1)) {
        const QByteArray href = body.mid(at + 8, body.indexOf("</d:href>", at) - at - 8);
        const int i = href.mid(href.lastIndexOf('-') + 1).chopped(4).toInt();
        out += entry(href, "<c:address-data>" + card(i) + "</c:address-data>");
    }
    return out + "</d:multistatus>";
}

// Answers each request once its body is in.
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
    QByteArray status;
    const QByteArray body = answerTo(seen.left(end), seen.mid(end + 4, length), &status);
    seen.remove(0, end + 4 + length);
    socket->write("HTTP/1.1 " + status + "\r\nETag: \"e2\"\r\nContent-Type: application/xml\r\n" +
                  "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
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
    notes = QByteArray(argc > 2 ? std::atoi(argv[2]) : 0, 'n');
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
    const DavAccount account{url, QStringLiteral("alice"), QStringLiteral("secret"), {}};
    cardCount = count;
    SyncEngine engine(phoneBook);
    engine.setAccount(account, book);
    if (argc > 3)
        engine.setFilingBatch(std::atoi(argv[3]));
    const auto row = [](const char* what, const std::function<void()>& run) {
        qint64 cpu = 0;
        const qint64 wall = timed(run, &cpu);
        std::printf("%-38s %6lld ms (CPU %lld ms)\n", what, static_cast<long long>(wall),
                    static_cast<long long>(cpu));
    };
    std::printf("%-38s %d\n", "names", count);
    int pendingNone = -1, pendingOne = -1, pendingAll = -1, sent = -1, filed = -1;
    row("first sync, every card new", [&] {
        syncOnce(engine);
        filed = engine.lastReport().fromServer;
    });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-38s %ld MB\n", "peak memory, first sync", usage.ru_maxrss / 1024);
    row("changes waiting, none", [&] { pendingNone = engine.pendingChanges(); });
    row("sync with nothing to do", [&] { syncOnce(engine); });
    row("changes waiting, none, again", [&] { pendingNone = engine.pendingChanges(); });
    phoneBook.renameName(SyncCards(phoneBook).nameIds().value(count / 2),
                         QStringLiteral("Renamed here"));
    row("changes waiting, one edit", [&] { pendingOne = engine.pendingChanges(); });
    row("sync sending that edit", [&] {
        syncOnce(engine);
        sent = engine.lastReport().toServer;
    });
    // Without usable marks: every name's card is made again, as before the marks.
    QSqlQuery(phoneBook.database()).exec(QStringLiteral("DROP TABLE sync_changed"));
    QSqlQuery(phoneBook.database()).exec(QStringLiteral("CREATE TABLE sync_changed (x)"));
    row("changes waiting, every name looked at", [&] { pendingAll = engine.pendingChanges(); });
    row("sync with nothing to do, every name", [&] { syncOnce(engine); });
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-38s %ld MB\n", "peak memory", usage.ru_maxrss / 1024);
    std::printf("filed %d; counted %d, %d, %d; sent %d\n", filed, pendingNone, pendingOne,
                pendingAll, sent);
    return filed == count && pendingNone == 0 && pendingOne == 1 && sent == 1 && pendingAll == 0
               ? 0
               : 1;
}
