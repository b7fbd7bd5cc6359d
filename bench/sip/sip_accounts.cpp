// How long the windows that list the lines take to open with many SIP accounts: the accounts
// file is written with N accounts (all registering, at a loopback address where nobody
// listens), then the Setup window and the Telephone Lines window are opened and closed in
// turn. The first opening also starts the SIP stack with every account, as it does in the
// program when nothing started it before. Needs loopback only:
//   unshare -rn sh -c 'ip link set lo up; build/bench/sip/sip_accounts [N ...]'
#include "settings/LinesDialog.h"
#include "settings/Registry.h"
#include "settings/SetupForm.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipAccountStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace telvora;

namespace {

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Opens the window, lets its first events run, and closes it.
template <typename Open> double timeOpening(Open open)
{
    QElapsedTimer timer;
    timer.start();
    {
        auto window = open();
        window->show();
        QApplication::processEvents();
    }
    return msSince(timer);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    QList<SipAccount> accounts;
    for (int i = 0; i < count; ++i) {
        SipAccount account;
        account.id = QStringLiteral("account-%1").arg(i);
        account.displayName = QStringLiteral("Account %1").arg(i);
        account.server = QStringLiteral("127.0.0.1:%1").arg(20000 + i);
        account.user = QStringLiteral("user%1").arg(i);
        account.password = QStringLiteral("secret");
        accounts.append(account);
    }
    if (!SipAccountStore().save(accounts)) {
        std::fprintf(stderr, "cannot write the accounts file\n");
        return 1;
    }

    test::ScriptedPrompt prompt;
    Registry registry{Registry::defaultPath(), prompt};
    StoredSettings settings;
    LineService service;
    const auto setup = [&] {
        return std::make_unique<SetupForm>(registry, settings, service, prompt);
    };
    const auto lines = [&] {
        return std::make_unique<LinesDialog>(service, prompt);
    };

    std::printf("%d SIP accounts\n", count);
    std::printf("  first Setup (starts the stack) %9.1f ms\n", timeOpening(setup));
    std::printf("  Setup again                    %9.1f ms\n", timeOpening(setup));
    std::printf("  Telephone Lines                %9.1f ms\n", timeOpening(lines));
    std::printf("  Telephone Lines again          %9.1f ms\n", timeOpening(lines));
    return 0;
}
