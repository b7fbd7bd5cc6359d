// Adds a name and syncs, over and over, until it is killed: the program whose sync
// tst_sync_soak breaks off at random moments.
//   sync_soak_writer DATA_FILE SERVER_URL
#include "store/PhoneBook.h"
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>

using namespace telvora;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    PhoneBook book;
    if (book.open(QString::fromLocal8Bit(argv[1])) == PhoneBook::State::Failed)
        return 1;
    const QUrl server(QString::fromLocal8Bit(argv[2]));
    SyncEngine engine(book);
    engine.setAccount({server, QStringLiteral("alice"), QStringLiteral("secret"), {}},
                      server.resolved(QUrl(QStringLiteral("/alice/contacts/"))));
    for (int round = 0;; ++round) {
        book.addName(
            QStringLiteral("Soak %1 %2").arg(QCoreApplication::applicationPid()).arg(round), 0, 0);
        QEventLoop loop;
        QObject::connect(&engine, &SyncEngine::finished, &loop, &QEventLoop::quit);
        engine.sync();
        if (engine.isSyncing())
            loop.exec();
        std::printf("synced %d\n", round);
        std::fflush(stdout);
    }
}
