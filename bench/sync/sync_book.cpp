// The whole two-way sync of a phone book with a real server: the first sync of an address
// book of many cards into an empty book, then one change made here and one made on the
// server, each followed by a sync. Runs beside the tests' Radicale:
//   tests/sync/with-radicale build/bench/sync/sync_book [CARDS]
#include "store/PhoneBook.h"
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace telvora;

namespace {

QByteArray card(int i)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:Person %1\r\n"
                          "N:Person %1;;;;\r\nTEL;TYPE=WORK:+49 30 %1\r\nCATEGORIES:Office\r\n"
                          "EMAIL:person%1@example.org\r\nORG:Example\r\n"
                          "NOTE:Called about the order\r\nEND:VCARD\r\n")
        .arg(i)
        .toUtf8();
}

// This process's CPU time; the rest of a sync's wall-clock time is the server's (or the
// wait for a core on a busy machine).
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double lastCpu = 0;

qint64 timedSync(SyncEngine& engine)
{
    const double cpuBefore = cpuSeconds();
    QEventLoop loop;
    QObject::connect(&engine, &SyncEngine::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    engine.sync();
    if (engine.isSyncing())
        loop.exec();
    if (!engine.lastReport().ok()) {
        std::fprintf(stderr, "sync_book: %s\n", qPrintable(engine.lastReport().error.message()));
        std::exit(1);
    }
    lastCpu = cpuSeconds() - cpuBefore;
    return timer.elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString store = QString::fromLocal8Bit(qgetenv("TELVORA_RADICALE_STORE"));
    const QUrl server(QString::fromUtf8(qgetenv("TELVORA_RADICALE_URL")));
    if (store.isEmpty() || server.isEmpty()) {
        std::fprintf(stderr, "sync_book: run under tests/sync/with-radicale\n");
        return 2;
    }
    // Straight into the server's storage, so that only the sync is timed.
    const QString folder = store + QStringLiteral("/collection-root/alice/contacts/");
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("card-%1.vcf").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(card(i)) < 0)
            return 1;
    }
    const QUrl book = server.resolved(QUrl(QStringLiteral("/alice/contacts/")));
    const DavAccount account{server, QStringLiteral("alice"), QStringLiteral("secret"), {}};
    QTemporaryDir dir;
    PhoneBook phoneBook;
    phoneBook.open(dir.filePath(QStringLiteral("data.mdb")));
    SyncEngine engine(phoneBook);
    DavClient::Limits limits;
    limits.transferTimeoutMs = 600000;
    engine.setLimits(limits);
    engine.setAccount(account, book);

    const qint64 initial = timedSync(engine);
    const double initialCpu = lastCpu;
    const int names = engine.lastReport().fromServer;
    // What the status line costs after each sync: every name's card made anew.
    QElapsedTimer pendingTimer;
    pendingTimer.start();
    const int pending = engine.pendingChanges();
    const qint64 pendingMs = pendingTimer.elapsed();

    const ListRows top = phoneBook.topLevelNamesInGroup(phoneBook.groups().value(0).id);
    phoneBook.renameName(top.value(0).id, QStringLiteral("Renamed here"));
    const qint64 pushOne = timedSync(engine);
    const double pushCpu = lastCpu;
    const int pushed = engine.lastReport().toServer;

    DavClient other(account);
    QEventLoop loop;
    other.put(book.resolved(QUrl(QStringLiteral("card-new.vcf"))), card(count), {},
              [&loop](const DavError&, const QString&) { loop.quit(); });
    loop.exec();
    const qint64 pullOne = timedSync(engine);
    const double pullCpu = lastCpu;
    const int pulled = engine.lastReport().fromServer;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("initial sync            %lld ms (%d names filed; our CPU %.1f s)\n",
                static_cast<long long>(initial), names, initialCpu);
    std::printf("one change sent         %lld ms (%d cards; our CPU %.2f s)\n",
                static_cast<long long>(pushOne), pushed, pushCpu);
    std::printf("one change taken        %lld ms (%d names; our CPU %.2f s)\n",
                static_cast<long long>(pullOne), pulled, pullCpu);
    std::printf("changes waiting counted %lld ms (%d waiting)\n", static_cast<long long>(pendingMs),
                pending);
    std::printf("peak memory             %ld MB\n", usage.ru_maxrss / 1024);
    return names == count && pushed == 1 && pulled == 1 ? 0 : 1;
}
