#pragma once

#include "telephony/LineProvider.h"

#include <QList>
#include <QStringList>
#include <QTest>

namespace telvora::test {

// Stands in for the line service below one provider, so a test can drive the provider on
// its own, call id by call id, and read back what the provider said, in order.
class ProviderEvents final : public LineProviderEvents
{
public:
    struct State
    {
        quint64 call = 0;
        quint32 state = 0;
        quint32 disconnectMode = 0;
    };

    explicit ProviderEvents(LineProvider& provider) : m_provider(provider)
    {
        provider.setEvents(this);
    }
    ~ProviderEvents() { m_provider.setEvents(nullptr); }
    ProviderEvents(const ProviderEvents&) = delete;
    ProviderEvents& operator=(const ProviderEvents&) = delete;

    void callPlaced(quint64 call, qint32 result) override
    {
        m_log << QStringLiteral("placed %1 %2").arg(call).arg(result);
        m_placed << qMakePair(call, result);
    }
    void callStateChanged(quint64 call, quint32 state, quint32 disconnectMode) override
    {
        m_log << QStringLiteral("state %1 %2 %3").arg(call).arg(state).arg(disconnectMode);
        m_states << State{call, state, disconnectMode};
    }
    void callDropped(quint64 call, qint32 result) override
    {
        m_log << QStringLiteral("dropped %1 %2").arg(call).arg(result);
        m_dropped << qMakePair(call, result);
    }
    void lineListChanged() override { ++m_listChanges; }
    void lineStateUpdated(const LineProvider&, const QString& lineKey) override
    {
        m_stateUpdates << lineKey;
    }

    // The states the call went through, in order.
    QList<quint32> statesOf(quint64 call) const
    {
        QList<quint32> states;
        for (const State& s : m_states)
            if (s.call == call)
                states << s.state;
        return states;
    }
    // The last state of the call, 0 before the first.
    State lastStateOf(quint64 call) const
    {
        for (auto it = m_states.crbegin(); it != m_states.crend(); ++it)
            if (it->call == call)
                return *it;
        return {};
    }
    // Waits until the call reaches the state (LINECALLSTATE_*), or the time runs out.
    bool waitForState(quint64 call, quint32 state, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return statesOf(call).contains(state); }, timeoutMs);
    }

    QStringList log() const { return m_log; }
    QList<QPair<quint64, qint32>> placed() const { return m_placed; }
    QList<QPair<quint64, qint32>> dropped() const { return m_dropped; }
    QStringList stateUpdates() const { return m_stateUpdates; }
    int listChanges() const { return m_listChanges; }

private:
    LineProvider& m_provider;
    QStringList m_log;
    QList<QPair<quint64, qint32>> m_placed;
    QList<State> m_states;
    QList<QPair<quint64, qint32>> m_dropped;
    QStringList m_stateUpdates;
    int m_listChanges = 0;
};

} // namespace telvora::test
