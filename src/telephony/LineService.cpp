#include "telephony/LineService.h"

#include "telephony/LineCall.h"

#include <algorithm>

namespace telvora {

LineService::LineService(QObject* parent) : QObject(parent) {}

LineService::~LineService()
{
    // The calls may outlive the service; they must not reach providers that are gone.
    const QList<LineCall*> calls = m_calls.values();
    for (LineCall* call : calls)
        call->release();
    for (const auto& provider : m_providers)
        provider->setEvents(nullptr);
}

void LineService::ensureProviders()
{
    if (m_providersMade)
        return;
    m_providersMade = true;
    auto entries = LineProviderRegistrar::entries();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.rank < b.rank; });
    // Registered providers go first, whenever a test added its own.
    std::vector<std::unique_ptr<LineProvider>> added = std::move(m_providers);
    m_providers.clear();
    for (const auto& entry : entries)
        addProvider(entry.factory());
    for (auto& provider : added)
        m_providers.push_back(std::move(provider));
}

void LineService::startUp()
{
    ensureProviders();
    for (const auto& provider : m_providers)
        provider->startUp();
}

LineProvider& LineService::addProvider(std::unique_ptr<LineProvider> provider)
{
    provider->setEvents(this);
    m_providers.push_back(std::move(provider));
    return *m_providers.back();
}

LineProvider* LineService::provider(const QString& kind)
{
    ensureProviders();
    for (const auto& provider : m_providers) {
        if (provider->kind() == kind)
            return provider.get();
    }
    return nullptr;
}

QList<LineService::ListedLine> LineService::listLines()
{
    ensureProviders();
    // A provider is only asked to get ready when it has a line, so nothing heavy runs for
    // a kind of line nobody has.
    QList<ListedLine> listed;
    for (const auto& provider : m_providers) {
        const QList<ProviderLine> lines = provider->lines();
        if (!lines.isEmpty())
            provider->activate();
        for (const ProviderLine& line : lines)
            listed.append(ListedLine{provider.get(), line});
    }
    return listed;
}

LineCall* LineService::callOn(const QString& kind, const QString& lineKey) const
{
    for (LineCall* call : m_calls) {
        if (call->lineKind() == kind && call->lineKey() == lineKey)
            return call;
    }
    return nullptr;
}

quint64 LineService::nextId()
{
    // Ids are never 0 and never reused while a call with the id is alive, so a report for
    // an ended call cannot reach a newer one.
    do {
        ++m_lastCall;
    } while (m_lastCall == 0 || m_calls.contains(m_lastCall));
    return m_lastCall;
}

std::unique_ptr<LineCall> LineService::adoptIncoming(const ListedLine& line, const QString& number)
{
    Q_ASSERT(line.provider);
    ensureProviders();
    std::unique_ptr<LineCall> call(
        new LineCall(*this, *line.provider, nextId(), line.line.key, number));
    m_calls.insert(call->id(), call.get());
    if (!line.provider->adoptIncoming(call->id(), line.line.key)) {
        m_calls.remove(call->id());
        call->refuse(LineError::CallUnavailable);
        return call;
    }
    // Answered already: it starts where a placed call ends up when the far end answers.
    call->m_state = CallState::Connected;
    call->m_answered = true;
    return call;
}

std::unique_ptr<LineCall> LineService::placeCall(const ListedLine& line, const QString& number)
{
    Q_ASSERT(line.provider);
    ensureProviders();
    std::unique_ptr<LineCall> call(
        new LineCall(*this, *line.provider, nextId(), line.line.key, number));
    if (callOn(line.provider->kind(), line.line.key)) {
        call->refuse(LineError::CallUnavailable);
        return call;
    }
    m_calls.insert(call->id(), call.get());
    if (const qint32 refused = line.provider->placeCall(call->id(), line.line.key, number)) {
        call->refuse(lineErrorFromCode(refused));
        m_calls.remove(call->id());
    }
    return call;
}

template <typename Report> void LineService::deliver(quint64 id, Report report)
{
    LineCall* call = m_calls.value(id);
    if (!call)
        return;
    // Queued on the call itself: a call deleted meanwhile takes its reports with it.
    QMetaObject::invokeMethod(
        call, [call, report] { report(*call); }, Qt::QueuedConnection);
}

void LineService::callPlaced(quint64 id, qint32 result)
{
    deliver(id, [result](LineCall& call) { call.onPlaced(result); });
}

void LineService::callStateChanged(quint64 id, quint32 state, quint32 disconnectMode)
{
    deliver(id, [state, disconnectMode](LineCall& call) { call.onState(state, disconnectMode); });
}

void LineService::callDropped(quint64 id, qint32 result)
{
    deliver(id, [result](LineCall& call) { call.onDropped(result); });
}

void LineService::lineListChanged()
{
    emit linesChanged();
}

void LineService::lineStateUpdated(const LineProvider& provider, const QString& lineKey)
{
    emit lineStateChanged(provider.kind(), lineKey);
}

} // namespace telvora
