#pragma once

#include "telephony/LineDevCaps.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QRect;

namespace telvora {

// One line device as its provider knows it. The key stays the same for the same device
// while the program runs, whatever other devices come and go.
struct ProviderLine
{
    QString key;
    LineDevCaps caps;
};

class LineProvider;

// How a provider tells the service what became of a call. A provider may call these
// from inside one of its own operations: the service queues every message it makes of
// them, so no line object is ever re-entered from inside a request.
class LineProviderEvents
{
public:
    // The outcome of placeCall: 0 once the call is on its way, else a LINEERR code.
    virtual void callPlaced(quint64 call, qint32 result) = 0;
    // A LINECALLSTATE value; disconnectMode is a LINEDISCONNECTMODE value for the
    // disconnected state and 0 otherwise.
    virtual void callStateChanged(quint64 call, quint32 state, quint32 disconnectMode) = 0;
    // The outcome of dropCall: 0 once the call has ended, else a LINEERR code.
    virtual void callDropped(quint64 call, qint32 result) = 0;
    // Lines came or went, or what lines() tells of them changed.
    virtual void lineListChanged() = 0;
    // What the provider's lineState() says of this line changed.
    virtual void lineStateUpdated(const LineProvider& provider, const QString& lineKey) = 0;

protected:
    ~LineProviderEvents() = default;
};

// One kind of line device (SIP accounts, modems, cellular modems). A provider lives as
// long as its service. It must be cheap to construct and to list: whatever is heavy
// (a SIP stack, probing hardware) waits for activate().
class LineProvider
{
public:
    virtual ~LineProvider();

    // "sip", "modem", "cellular": also picks the icon.
    virtual QString kind() const = 0;
    // The devices there are now, without starting anything.
    virtual QList<ProviderLine> lines() = 0;
    // Someone looked at the service's lines while this provider has lines: get ready to
    // call.
    virtual void activate() {}
    // The program has started: a provider that should be ready before anyone dials (a SIP
    // account registered) starts getting ready, from the event loop, without holding up
    // the start. Nothing is done by default.
    virtual void startUp() {}
    // What the user should know of the line now, in a few words ("Registered", or why it
    // cannot call); empty when there is nothing to tell. Said again through
    // lineStateUpdated() whenever it changes.
    virtual QString lineState(const QString& lineKey) const;
    // Starts a call on the line with this key. Returns 0 when the request was taken (its
    // outcome follows through callPlaced) or a LINEERR code when it was refused at once.
    virtual qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) = 0;
    // Ends a call; the outcome follows through callDropped.
    virtual void dropCall(quint64 call) = 0;
    // Forgets a call. A call still in progress is ended without any further event.
    virtual void releaseCall(quint64 call) = 0;
    // Sends touch tones on a connected call, in order; the tones are already checked
    // against toneKeys(). False when the line cannot send them now.
    virtual bool sendTones(quint64 call, const QString& tones);
    // The tone keys the line can send: 0-9, * and # on every line that sends tones at all.
    virtual QString toneKeys() const;
    // Mutes or unmutes our side of a connected call; false when the line cannot.
    virtual bool setMuted(quint64 call, bool muted);
    // Takes the incoming call that was answered on the line as the connected call with this
    // id, so that it is followed, sends tones and ends as a placed call does; false when
    // the line has no answered incoming call.
    virtual bool adoptIncoming(quint64 call, const QString& lineKey);

    // Calls that come in. A provider that takes them offers one at a time through its
    // incomingCall(callerName, callerNumber) signal, then incomingConnected() once answered
    // and incomingEnded() once it is over, however it ended; every provider has the same
    // three signals, so that one place in the program offers the calls of all lines.
    virtual bool hasIncoming() const;
    // Answers the offered call; false when there is none to answer.
    virtual bool answerIncoming();
    // Turns the offered call away: as busy or declined, as far as the line can tell the two
    // apart.
    virtual void declineIncoming(bool busy);
    // Ends the offered call, whether it is ringing or answered.
    virtual void hangUpIncoming();
    // The key of the line the offered call came in on; empty when none is offered or it is
    // unknown.
    virtual QString incomingLine() const;
    // The icon of this kind of line.
    virtual void paintIcon(QPainter& painter, const QRect& rect) const;

    void setEvents(LineProviderEvents* events) { m_events = events; }

protected:
    LineProviderEvents* events() const { return m_events; }

private:
    LineProviderEvents* m_events = nullptr;
};

using LineProviderFactory = std::function<std::unique_ptr<LineProvider>()>;

// A provider registers itself by defining one static registrar in its own source file;
// the service makes one provider of each registration the first time it is used, in the
// order of `rank` so that device numbers do not depend on the link order.
class LineProviderRegistrar
{
public:
    LineProviderRegistrar(int rank, LineProviderFactory factory);

    struct Entry
    {
        int rank;
        LineProviderFactory factory;
    };
    static QList<Entry>& entries();
};

} // namespace telvora
