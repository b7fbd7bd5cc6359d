// The first sync of a large address book from a real server: the listing of every card
// with sync-collection, then the cards themselves in multiget batches, then one change
// fetched incrementally. Runs beside the tests' Radicale:
//   tests/sync/with-radicale build/bench/sync/sync_initial [CARDS]
#include "sync/DavClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <cstdio>
#include <sys/resource.h>

using namespace telvora;

namespace {

QByteArray card(int i, const QString& name)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:%2\r\nN:%2;;;;\r\n"
                          "TEL;TYPE=WORK:+49 30 %1\r\nEMAIL:person%1@example.org\r\n"
                          "ORG:Example\r\nNOTE:Called about the order\r\nEND:VCARD\r\n")
        .arg(i)
        .arg(name)
        .toUtf8();
}

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// This process's own CPU time: the server's thinking is the rest of the wall-clock time.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void fail(const DavError& error)
{
    std::fprintf(stderr, "sync_initial: %s\n", qPrintable(error.message()));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString store = QString::fromLocal8Bit(qgetenv("TELVORA_RADICALE_STORE"));
    const QUrl server(QString::fromUtf8(qgetenv("TELVORA_RADICALE_URL")));
    if (store.isEmpty() || server.isEmpty()) {
        std::fprintf(stderr, "sync_initial: run under tests/sync/with-radicale\n");
        return 2;
    }
    // Written straight into the server's storage: putting 10,000 cards one by one would
    // time the server's writes, not the sync.
    const QString folder = store + QStringLiteral("/collection-root/alice/contacts/");
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("card-%1.vcf").arg(i));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(card(i, QStringLiteral("Person %1").arg(i))) < 0)
            return 1;
    }
    const QUrl book = server.resolved(QUrl(QStringLiteral("/alice/contacts/")));
    DavClient client({server, QStringLiteral("alice"), QStringLiteral("secret"), {}});
    // On a busy machine the cold server may think longer than the default allows; the
    // figure wanted is how long it takes, not whether it fits.
    DavClient::Limits limits;
    limits.transferTimeoutMs = 600000;
    client.setLimits(limits);
    QEventLoop loop;

    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QList<QUrl> urls;
    QString token;
    client.syncCollection(
        book, {}, [&urls](DavCard&& c) { urls.append(c.url); },
        [&](const DavError& error, const QString& next, bool) {
            if (!error.ok())
                fail(error);
            token = next;
            loop.quit();
        });
    loop.exec();
    const qint64 listed = timer.elapsed();

    qint64 bytes = 0;
    int fetched = 0;
    constexpr int kBatch = 500;
    for (qsizetype at = 0; at < urls.size(); at += kBatch) {
        client.multiget(
            book, urls.mid(at, kBatch),
            [&](DavCard&& c) {
                bytes += c.vcard.size();
                ++fetched;
            },
            [&](const DavError& error) {
                if (!error.ok())
                    fail(error);
                loop.quit();
            });
        loop.exec();
    }
    const qint64 initial = timer.elapsed();
    const double cpuInitial = cpuSeconds() - cpuBefore;

    // The same listing again: the server has its cache of the cards by now, so this is
    // closer to what the client itself costs.
    timer.restart();
    int again = 0;
    client.syncCollection(
        book, {}, [&again](DavCard&&) { ++again; },
        [&](const DavError& error, const QString&, bool) {
            if (!error.ok())
                fail(error);
            loop.quit();
        });
    loop.exec();
    const qint64 warm = timer.elapsed();

    // One card added elsewhere and one deleted; the next sync reports just those two.
    client.put(book.resolved(QUrl(QStringLiteral("card-new.vcf"))),
               card(count, QStringLiteral("Added")), {},
               [&loop](const DavError& error, const QString&) {
                   if (!error.ok())
                       fail(error);
                   loop.quit();
               });
    loop.exec();
    QFile::remove(folder + QStringLiteral("card-1.vcf"));
    timer.restart();
    QList<QUrl> changed;
    client.syncCollection(
        book, token, [&changed](DavCard&& c) { changed.append(c.url); },
        [&](const DavError& error, const QString&, bool) {
            if (!error.ok())
                fail(error);
            loop.quit();
        });
    loop.exec();
    const qint64 incremental = timer.elapsed();

    std::printf("cards listed            %lld (%d fetched, %.1f MB of vCards)\n",
                static_cast<long long>(urls.size()), fetched, double(bytes) / 1e6);
    std::printf("sync-collection listing %lld ms\n", static_cast<long long>(listed));
    std::printf("listing + multiget      %lld ms (batches of %d)\n",
                static_cast<long long>(initial), kBatch);
    std::printf("client CPU of that      %.2f s\n", cpuInitial);
    std::printf("listing again, warm     %lld ms (%d cards)\n", static_cast<long long>(warm),
                again);
    std::printf("incremental sync        %lld ms (%lld changes)\n",
                static_cast<long long>(incremental), static_cast<long long>(changed.size()));
    std::printf("peak memory             %ld MB\n", peakKb() / 1024);
    return fetched == count ? 0 : 1;
}
