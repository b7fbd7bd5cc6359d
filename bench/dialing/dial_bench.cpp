// Figures of the dial run on a fake line, so that only the program's own work is timed:
//   - from the start of a run to the call request reaching the line provider;
//   - the pause between a busy end and the next call request, over a number of runs;
//   - the processor time the process uses while one long pause counts down.
// Usage: dial_bench [runs=20] [pause seconds=1] [long pause seconds=10]
#include "ProcessCost.h"
#include "RecordingProvider.h"
#include "dialing/DialRun.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "telephony/LineService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace telvora;
using namespace telvora::bench;
using namespace telvora::test;

namespace {

// Waits in the event loop, looking now and then, so the waiting itself costs nothing.
void waitUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(50);
    if (!done())
        loop.exec();
}

void drain()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Stats
{
    double min, median, max;
};

Stats stats(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const int pause = argc > 2 ? std::atoi(argv[2]) : 1;
    const int longPause = argc > 3 ? std::atoi(argv[3]) : 10;

    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    LineService lines;
    RecordingProvider* provider = RecordingProvider::install(lines);
    provider->setLines({FakeProvider::line(QStringLiteral("l"), QStringLiteral("Line"))});

    ScriptedPrompt prompt;
    StoredSettings settings;
    settings.retryCount = 2;
    settings.pause = qint16(pause);
    DialRun run(lines, settings, prompt);

    // Start of a run to the call request at the line.
    const auto startToCall = [&] {
        std::vector<double> times;
        for (int i = 0; i < 200; ++i) {
            const qsizetype before = provider->dialled.size();
            QElapsedTimer timer;
            timer.start();
            run.start({QStringLiteral("5551234")});
            const qint64 ns = timer.nsecsElapsed();
            if (provider->dialled.size() == before + 1)
                times.push_back(ns / 1e6);
            run.HangCMD_Click();
            drain();
        }
        return times;
    };
    std::vector<double> clickToCall = startToCall();
    // The same without the modem lines' search of the machine's serial ports, to tell the
    // run's own work from that search.
    QFile modems(home.filePath(QStringLiteral("modems.json")));
    if (!modems.open(QIODevice::WriteOnly) || modems.write("{\"scan\": false}") < 0)
        return 1;
    modems.close();
    std::vector<double> clickToCallNoScan = startToCall();
    modems.remove();

    // The pause: from the busy end to the next call request.
    std::vector<double> pauses;
    for (int i = 0; i < runs; ++i) {
        run.start({QStringLiteral("9")});
        drain();
        const qsizetype before = provider->dialled.size();
        const auto busyAt = std::chrono::steady_clock::now();
        provider->busy();
        waitUntil([&] { return provider->dialled.size() > before; });
        pauses.push_back(
            std::chrono::duration<double, std::milli>(provider->dialledAt.last() - busyAt).count());
        run.HangCMD_Click();
        drain();
    }

    // The processor while one long pause counts down.
    settings.pause = qint16(longPause);
    run.start({QStringLiteral("9")});
    drain();
    const qsizetype before = provider->dialled.size();
    provider->busy();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitUntil([&] { return provider->dialled.size() > before; });
    const double cpu = cpuSeconds() - cpuBefore;
    const double seconds = wall.nsecsElapsed() / 1e9;
    run.HangCMD_Click();

    const Stats c = stats(clickToCall);
    const Stats n = stats(clickToCallNoScan);
    const Stats p = stats(pauses);
    std::printf(
        "start of a run to call request (%zu runs): min %.3f ms, median %.3f ms, max %.3f ms\n",
        clickToCall.size(), c.min, c.median, c.max);
    std::printf("the same without the serial port search (%zu runs): min %.3f ms, median %.3f ms, "
                "max %.3f ms\n",
                clickToCallNoScan.size(), n.min, n.median, n.max);
    std::printf(
        "pause of %d s (%d runs): min %.1f ms, median %.1f ms, max %.1f ms, spread %.1f ms\n",
        pause, runs, p.min, p.median, p.max, p.max - p.min);
    // The bench itself looks at the line every 50 ms while it waits; that is counted too.
    std::printf("processor during a %d s pause: %.3f s of %.2f s (%.3f %%)\n", longPause, cpu,
                seconds, 100.0 * cpu / seconds);
    return 0;
}
