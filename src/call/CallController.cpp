#include "call/CallController.h"

#include "telephony/LineCall.h"

namespace telvora {

namespace {

// As many of the latest tones as the panel has room for; the older ones scroll off.
constexpr qsizetype kTonesShown = 16;

} // namespace

CallController::CallController(QObject* parent) : QObject(parent)
{
    m_tick.setTimerType(Qt::CoarseTimer);
    connect(&m_tick, &QTimer::timeout, this, &CallController::tick);
}

void CallController::follow(LineCall* call)
{
    if (m_call == call)
        return;
    if (m_call)
        m_call->disconnect(this);
    m_call = call;
    m_tick.stop();
    m_clock.invalidate();
    m_tones.clear();
    if (!call)
        return;
    connect(call, &LineCall::connected, this, &CallController::connected);
    connect(call, &LineCall::ended, this, &CallController::ended);
    // A call deleted without its end (the window closing) leaves nothing to show.
    connect(call, &QObject::destroyed, &m_tick, &QTimer::stop);
    if (call->state() == CallState::Connected)
        connected();
}

bool CallController::inCall() const
{
    return m_call && m_call->state() == CallState::Connected;
}

void CallController::connected()
{
    // A call taken off hold is the same conversation: its time runs on.
    if (!m_clock.isValid())
        m_clock.start();
    // Once a second, on the second of the call, is as often as the text changes.
    m_tick.start(1000);
    tick();
    showTones();
}

void CallController::ended()
{
    m_tick.stop();
    // The call's length stays up until the next call; the tones and the mute go with it.
    m_tones.clear();
    emit status(4, QString());
}

void CallController::tick()
{
    if (m_clock.isValid())
        emit status(1, durationText(m_clock.elapsed() / 1000));
}

bool CallController::key(QChar key)
{
    if (!inCall())
        return false;
    const QString sent = m_call->sendTones(QString(key));
    if (!sent.isEmpty()) {
        m_tones = QString(m_tones + sent).right(kTonesShown);
        emit toneSent();
        showTones();
    }
    // While talking, a key never builds a number: one the line cannot send does nothing.
    return true;
}

void CallController::toggleMute()
{
    if (!inCall())
        return;
    m_call->setMuted(!m_call->isMuted());
    showTones();
}

bool CallController::isMuted() const
{
    return m_call && m_call->isMuted();
}

void CallController::showTones()
{
    QStringList parts;
    if (isMuted())
        parts << tr("Muted");
    if (!m_tones.isEmpty())
        parts << tr("Tones: %1").arg(m_tones);
    emit status(4, parts.join(QLatin1String("  ")));
}

QString CallController::durationText(qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds / 60) % 60;
    const qint64 s = seconds % 60;
    const auto two = [](qint64 v) {
        return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    };
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(two(m), two(s));
    return QStringLiteral("%1:%2").arg(m).arg(two(s));
}

} // namespace telvora
