#pragma once

#include "telephony/LineCodes.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace telvora {

class LineProvider;
class LineService;

// One outgoing call, from the moment the line service places it on a line to its end.
// Every signal arrives through the event loop, never from inside placeCall() or hangUp(),
// so a receiver may delete the call or place another from any of them. Deleting a call
// that is still under way ends it at once, without any further signal.
class LineCall final : public QObject
{
    Q_OBJECT
public:
    ~LineCall() override;

    quint64 id() const { return m_id; }
    QString lineKind() const { return m_kind; }
    QString lineKey() const { return m_key; }
    QString number() const { return m_number; }
    CallState state() const { return m_state; }
    bool isEnded() const { return m_state == CallState::Ended; }
    // Whether the far end ever answered.
    bool wasAnswered() const { return m_answered; }
    // Why the line refused the call; None for a call it took.
    LineError error() const { return m_error; }
    // How the call ended; meaningful once it has.
    CallEnd end() const { return m_end; }

    // Ends the call; ended(HungUp) follows once the line has let go of it. Does nothing
    // once the call has ended or while an earlier hang-up is under way.
    void hangUp();

    // Sends the keys that are tones this line can send (0-9, *, #; A-D where the line has
    // them) while the call is connected; returns the tones sent, empty when none went. Any
    // other key is dropped: it could only reach the far end as something it did not ask.
    QString sendTones(const QString& keys);
    // Mutes our microphone on a connected call; false when the line cannot.
    bool setMuted(bool muted);
    bool isMuted() const { return m_muted; }

signals:
    // The line took the call and is dialling.
    void placed();
    // The line could not place the call after all; nothing follows.
    void refused(telvora::LineError error);
    void ringing();
    void connected();
    // The call is over; nothing follows.
    void ended(telvora::CallEnd end);

private:
    friend class LineService;

    LineCall(LineService& service, LineProvider& provider, quint64 id, const QString& lineKey,
             const QString& number);

    // The provider's reports, already taken out of the provider's own work.
    void onPlaced(qint32 result);
    void onState(quint32 state, quint32 disconnectMode);
    void onDropped(qint32 result);
    void finish(CallEnd end);
    void refuse(LineError error);
    void release();

    QPointer<LineService> m_service;
    LineProvider* m_provider;
    quint64 m_id;
    QString m_kind;
    QString m_key;
    QString m_number;
    CallState m_state = CallState::Placing;
    LineError m_error = LineError::None;
    CallEnd m_end = CallEnd::Unexplained;
    bool m_answered = false;
    bool m_hangingUp = false;
    bool m_muted = false;
};

} // namespace telvora
