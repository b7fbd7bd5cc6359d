#pragma once

#include "telephony/LineCall.h"
#include "telephony/LineEvents.h"
#include "telephony/LineService.h"

#include <QElapsedTimer>
#include <QTest>
#include <memory>

namespace telvora::test {

// The position of the line with this kind and key in the service's list, waiting (for a
// probe, or a modem to appear) up to timeoutMs; -1 when it never shows.
inline int lineIndex(LineService& service, const QString& kind, const QString& key,
                     int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    do {
        const auto lines = service.listLines();
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].provider->kind() == kind && lines[i].line.key == key)
                return i;
        }
        QTest::qWait(50);
    } while (clock.elapsed() < timeoutMs);
    return -1;
}

// One call placed through the service, with the signals it raised.
struct TestCall
{
    LineService& service;
    std::unique_ptr<LineCall> call;
    LineEvents events;

    explicit TestCall(LineService& lines) : service(lines) {}

    // False when there is no such line or the line refused the call at once.
    bool place(int index, const QString& number)
    {
        const auto lines = service.listLines();
        if (index < 0 || index >= lines.size())
            return false;
        call = service.placeCall(lines[index], number);
        events.watch(*call);
        return !call->isEnded();
    }
    bool waitFor(const QString& event, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return events.contains(event); }, timeoutMs);
    }
    bool waitEnded(int timeoutMs = 10000) { return waitFor(QStringLiteral("ended"), timeoutMs); }
    // Waits for the call to end or to be refused.
    bool waitDone(int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return call && call->isEnded(); }, timeoutMs);
    }
};

} // namespace telvora::test
