// Figures of the modem lines, without any modem:
//   - listing the lines, as every dial attempt does (median of many listings);
//   - the Lines window on a modems.json naming many ports that are no modems: how long it
//     takes to open, the longest the event loop then stalls while the ports are looked at,
//     and how long until every port has its final state.
// Usage: modem_bench [ports=5000] [listings=50] [settle limit seconds=60]
#include "settings/LinesDialog.h"
#include "support/ScriptedPrompt.h"
#include "telephony/LineService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

using namespace telvora;
using namespace telvora::test;

namespace {

bool writeSettings(const QString& folder, int ports, bool scan)
{
    QJsonArray list;
    for (int i = 0; i < ports; ++i) {
        list.append(QJsonObject{
            {QStringLiteral("path"), QStringLiteral("/nonexistent/modem/ttyBENCH%1").arg(i)},
            {QStringLiteral("init"), QString()},
            {QStringLiteral("dial"), QStringLiteral("tone")}});
    }
    QFile file(folder + QStringLiteral("/modems.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(
        QJsonDocument(QJsonObject{{QStringLiteral("scan"), scan}, {QStringLiteral("ports"), list}})
            .toJson());
    return true;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int ports = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int listings = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    const int settleLimitMs = (argc > 3 ? std::max(1, atoi(argv[3])) : 60) * 1000;
    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toLocal8Bit());
    LineService service;
    // The providers are made the first time the lines are listed.
    service.listLines();
    LineProvider* modems = service.provider(QStringLiteral("modem"));
    if (!modems) {
        std::fprintf(stderr, "no modem provider\n");
        return 1;
    }

    // The machine's own serial ports, listed as a dial attempt lists them.
    if (!writeSettings(home.path(), 0, true))
        return 1;
    QList<double> listing;
    for (int i = 0; i < listings; ++i) {
        QElapsedTimer t;
        t.start();
        modems->lines();
        listing << double(t.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
    }
    std::printf("listing the modem lines (scan on, no ports named): median %.3f ms, max %.3f ms "
                "over %d listings\n",
                median(listing), *std::max_element(listing.cbegin(), listing.cend()), listings);

    // The Lines window on many named ports.
    if (!writeSettings(home.path(), ports, false))
        return 1;
    ScriptedPrompt prompt;
    QElapsedTimer open;
    open.start();
    LinesDialog dialog(service, prompt);
    dialog.show();
    QCoreApplication::processEvents();
    const double openMs = double(open.nsecsElapsed()) / 1e6;

    // Ticks every 10 ms: the longest gap between two is how long the window stopped
    // answering.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestStall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.elapsed());
        sinceTick.restart();
    });
    tick.start(10);
    const auto settled = [&] {
        for (int i = 0; i < dialog.LinesList->topLevelItemCount(); ++i) {
            if (dialog.LinesList->topLevelItem(i)
                    ->text(LinesDialog::StateColumn)
                    .startsWith(QStringLiteral("Checking")))
                return false;
        }
        return true;
    };
    QElapsedTimer settle;
    settle.start();
    bool done = false;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        done = settled();
        if (done || settle.elapsed() >= settleLimitMs)
            loop.quit();
    });
    look.start(250);
    loop.exec();
    std::printf(
        "Lines window, %d ports named: open %.1f ms, %d rows, longest stall %lld ms, "
        "%s after %.1f s\n",
        ports, openMs, dialog.LinesList->topLevelItemCount(), static_cast<long long>(longestStall),
        done ? "every state final" : "states still being checked", double(settle.elapsed()) / 1000);
    return 0;
}
