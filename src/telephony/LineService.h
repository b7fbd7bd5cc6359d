#pragma once

#include "telephony/LineProvider.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace telvora {

class LineCall;

// The telephone lines of the program and the calls on them. main() owns the one the
// program uses and hands it to whatever needs it; tests make their own.
//
// The lines come from providers, which register themselves (see LineProviderRegistrar)
// and are made the first time the service is asked about lines. A provider speaks in call
// ids and integer codes; the service turns what it reports into the signals of one
// LineCall per call, delivered through the event loop so that no caller is re-entered from
// inside a provider.
class LineService final : public QObject, private LineProviderEvents
{
    Q_OBJECT

public:
    explicit LineService(QObject* parent = nullptr);
    ~LineService() override;
    LineService(const LineService&) = delete;
    LineService& operator=(const LineService&) = delete;

    struct ListedLine
    {
        LineProvider* provider = nullptr;
        ProviderLine line;
    };
    // The lines there are now, in the order Setup numbers them. Providers with lines get
    // ready to call.
    QList<ListedLine> listLines();

    // Tells every provider the program has started (LineProvider::startUp).
    void startUp();

    // Adds a provider beside the registered ones, for programs that bring their own.
    LineProvider& addProvider(std::unique_ptr<LineProvider> provider);
    LineProvider* provider(const QString& kind);

    // Places a call to number on the line; an empty number takes the line off hook
    // without dialling. A call the line refuses at once comes back ended, with its error()
    // set and no signal to follow. A line carries one call at a time: while one is in
    // progress, another is refused as unavailable.
    std::unique_ptr<LineCall> placeCall(const ListedLine& line, const QString& number);
    // The incoming call answered on the line, as a connected call; one the provider does
    // not have comes back ended, as a refused placed call does.
    std::unique_ptr<LineCall> adoptIncoming(const ListedLine& line, const QString& number);
    // The call in progress on this line, if any.
    LineCall* callOn(const QString& kind, const QString& lineKey) const;
    // How many calls are in progress on all lines.
    int callCount() const { return static_cast<int>(m_calls.size()); }

signals:
    // May be emitted from inside a provider's operation: a receiver that looks at the
    // lines again should do so from a queued connection.
    void linesChanged();
    void lineStateChanged(const QString& kind, const QString& lineKey);

private:
    friend class LineCall;

    void ensureProviders();
    void forget(quint64 id) { m_calls.remove(id); }
    quint64 nextId();
    template <typename Report> void deliver(quint64 id, Report report);

    void callPlaced(quint64 call, qint32 result) override;
    void callStateChanged(quint64 call, quint32 state, quint32 disconnectMode) override;
    void callDropped(quint64 call, qint32 result) override;
    void lineListChanged() override;
    void lineStateUpdated(const LineProvider& provider, const QString& lineKey) override;

    std::vector<std::unique_ptr<LineProvider>> m_providers;
    bool m_providersMade = false;
    QHash<quint64, LineCall*> m_calls;
    quint64 m_lastCall = 0;
};

} // namespace telvora
