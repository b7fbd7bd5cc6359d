#pragma once

#include "store/CallLog.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QWidget;

namespace telvora {

class AlertSound;
class IncomingCallWindow;
class LineCall;
class LineProvider;
class LineService;
class SipProvider;

// Calls that come in on the lines (SIP accounts, voice modems, cellular modems): the
// window that offers one, its ringing, and its row in the call log. A call that comes
// while the user is busy (a dial run under way, another call, one offered on another
// line) is turned away as busy; each provider itself turns away any that come on its own
// lines while it offers one.
class IncomingCalls final : public QObject
{
    Q_OBJECT
public:
    // lookup gives the phone book's name for a number (empty for none); busy tells
    // whether the user is on another call or in a dial run.
    IncomingCalls(LineService& lines, std::function<QString(const QString&)> lookup,
                  std::function<bool()> busy, QWidget* windowParent, QObject* parent = nullptr);
    ~IncomingCalls() override;

    // The window of the call offered now, if any.
    IncomingCallWindow* window() const;
    // Ends the call once answered, as Hang UP in the main window ends any call; one still
    // ringing is answered or declined in its own window.
    void hangUp();
    // The sound that rings for the call offered now.
    const AlertSound& ring() const { return *m_ring; }

signals:
    // The offered call was answered: the call to follow while it is connected, as a placed
    // one that got through is followed. It deletes itself once it has ended.
    void answered(telvora::LineCall* call);
    // A call that came in is over, as the call log keeps it.
    void callEnded(const telvora::CallRecord& record);

private:
    template <typename Provider> void watch(Provider* provider);
    void offered(LineProvider& provider, const QString& callerName, const QString& callerNumber);
    void connected(LineProvider& provider);
    void ended(LineProvider& provider);

    LineService& m_lines;
    SipProvider* m_sip = nullptr;
    // The provider of the call offered now.
    LineProvider* m_offering = nullptr;
    std::function<QString(const QString&)> m_lookup;
    std::function<bool()> m_busy;
    QWidget* m_windowParent;
    QPointer<IncomingCallWindow> m_window;
    AlertSound* m_ring = nullptr;
    std::optional<CallRecord> m_record;
    QElapsedTimer m_talk;
    // The user turned the call away.
    bool m_declined = false;
};

} // namespace telvora
