// How often a process with one registered SIP account wakes up, and how much CPU it uses,
// while nothing else happens: the wake-ups are the context switches of all the process's
// threads over the measured time. Needs a registrar that takes user "idle" with password
// "secret" at 127.0.0.1:5070, as the test peers' kamailio does:
//   tests/telephony/peers/with-peers build/bench/sip/sip_idle [SECONDS]
#include "ProcessCost.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace telvora;
using namespace telvora::bench;

namespace {} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    SipAccount account;
    account.id = QStringLiteral("idle");
    account.server = QStringLiteral("127.0.0.1:5070");
    account.user = QStringLiteral("idle");
    account.password = QStringLiteral("secret");
    if (!SipAccountStore().save({account})) {
        std::fprintf(stderr, "cannot write the accounts file\n");
        return 1;
    }
    SipProvider sip;
    sip.activate();
    QElapsedTimer wait;
    wait.start();
    while (sip.registration(account.id) != SipProvider::Registration::Ok && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (sip.registration(account.id) != SipProvider::Registration::Ok) {
        std::fprintf(stderr, "the account did not register\n");
        return 1;
    }
    // The registration's own messages settle first.
    QTimer::singleShot(3000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();

    const long long switchesBefore = contextSwitches();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    const double wakeUps = static_cast<double>(contextSwitches() - switchesBefore) / elapsed;
    const double cpu = (cpuSeconds() - cpuBefore) / elapsed * 100.0;
    std::printf("one registered SIP account, idle %.0f s: %.2f wake-ups/s, CPU %.3f %%, "
                "still registered: %s\n",
                elapsed, wakeUps, cpu,
                sip.registration(account.id) == SipProvider::Registration::Ok ? "yes" : "no");
    return 0;
}
