// Adds a name and syncs, over and over, until it is killed: the program whose sync
// tst_sync_soak breaks off at random moments.
//   sync_soak_writer DATA_FILE SERVER_URL
#include "store/PhoneBook.h"
#include "sync/SyncEngine.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>

using namespace telvora;

namespace {
// A mass deletion would be a fault here: none is ever made, so none is agreed to.
class NoToAll final : public Prompt
{
public:
    QString inputBox(const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString&, Buttons, Icon, const QString&) override { return Answer::No; }
    void beep() override {}
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    PhoneBook book;
    if (book.open(QString::fromLocal8Bit(argv[1])) == PhoneBook::State::Failed)
        return 1;
    const QUrl server(QString::fromLocal8Bit(argv[2]));
    NoToAll prompt;
    SyncEngine engine(book, prompt);
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
