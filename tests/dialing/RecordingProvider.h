#pragma once

#include "telephony/FakeProvider.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"

#include <QStringList>
#include <chrono>
#include <memory>

namespace telvora::test {

// A fake line that remembers every number it was asked to dial, and ends calls the way a
// test says: busy, unanswered, answered and then hung up by the far end, and so on.
class RecordingProvider : public FakeProvider
{
public:
    // Adds a recording provider beside the service's own; the service keeps it.
    static RecordingProvider* install(LineService& service)
    {
        return static_cast<RecordingProvider*>(
            &service.addProvider(std::make_unique<RecordingProvider>()));
    }

    // Which kind of line it poses as: numbers are made dialable by the kind.
    QString kind() const override { return kindName; }

    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override
    {
        dialled << number;
        lineKeys << lineKey;
        dialledAt << std::chrono::steady_clock::now();
        return FakeProvider::placeCall(call, lineKey, number);
    }

    void busy()
    {
        state(lastCall, mTAPIConsts::LINECALLSTATE_BUSY, mTAPIConsts::LINEDISCONNECTMODE_BUSY);
        end(mTAPIConsts::LINEDISCONNECTMODE_BUSY);
    }
    void end(quint32 mode) { state(lastCall, mTAPIConsts::LINECALLSTATE_DISCONNECTED, mode); }
    // The line goes idle without saying why the call ended.
    void idle() { state(lastCall, mTAPIConsts::LINECALLSTATE_IDLE); }
    void answer() { state(lastCall, mTAPIConsts::LINECALLSTATE_CONNECTED); }

    QString kindName = QStringLiteral("fake");
    QStringList dialled;
    QStringList lineKeys;
    QList<std::chrono::steady_clock::time_point> dialledAt;
};

} // namespace telvora::test
