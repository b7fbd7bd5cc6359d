#include "telephony/LineCall.h"

#include "telephony/LineProvider.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"

namespace telvora {

LineCall::LineCall(LineService& service, LineProvider& provider, quint64 id, const QString& lineKey,
                   const QString& number)
    : m_service(&service), m_provider(&provider), m_id(id), m_kind(provider.kind()), m_key(lineKey),
      m_number(number)
{}

LineCall::~LineCall()
{
    release();
}

void LineCall::release()
{
    // The provider forgets the call, ending it silently if it is still under way.
    if (m_service) {
        m_service->forget(m_id);
        if (m_provider)
            m_provider->releaseCall(m_id);
    }
    m_service = nullptr;
    m_provider = nullptr;
}

void LineCall::refuse(LineError error)
{
    m_error = error == LineError::None ? LineError::OperationFailed : error;
    m_state = CallState::Ended;
    // Refused at once: the provider holds nothing of it.
    m_service = nullptr;
    m_provider = nullptr;
}

void LineCall::hangUp()
{
    if (m_state == CallState::Ended || m_hangingUp || !m_provider)
        return;
    m_hangingUp = true;
    m_provider->dropCall(m_id);
}

QString LineCall::sendTones(const QString& keys)
{
    if (m_state != CallState::Connected || m_hangingUp || !m_provider)
        return {};
    const QString allowed = m_provider->toneKeys();
    QString tones;
    for (const QChar key : keys) {
        const QChar tone = key.toUpper();
        if (tone.unicode() < 128 && allowed.contains(tone))
            tones += tone;
    }
    if (tones.isEmpty() || !m_provider->sendTones(m_id, tones))
        return {};
    return tones;
}

bool LineCall::setMuted(bool muted)
{
    if (m_state != CallState::Connected || m_hangingUp || !m_provider)
        return false;
    if (!m_provider->setMuted(m_id, muted))
        return false;
    m_muted = muted;
    return true;
}

void LineCall::onPlaced(qint32 result)
{
    if (m_state != CallState::Placing || m_hangingUp)
        return;
    if (result != 0) {
        release();
        refuse(lineErrorFromCode(result));
        emit refused(m_error);
        return;
    }
    m_state = CallState::Dialing;
    emit placed();
}

void LineCall::onState(quint32 state, quint32 disconnectMode)
{
    if (m_state == CallState::Ended)
        return;
    // A line that skips its answer to the request says it took the call by going on.
    if (m_state == CallState::Placing && !m_hangingUp) {
        m_state = CallState::Dialing;
        emit placed();
    }
    // Once our hang-up is under way, only its own outcome ends the call.
    if (m_hangingUp)
        return;
    const CallState next = callStateFromCode(state);
    if (next == CallState::Ended) {
        finish(callEndFromCode(
            m_answered, state == mTAPIConsts::LINECALLSTATE_DISCONNECTED ? disconnectMode : 0));
        return;
    }
    if (next == m_state)
        return;
    m_state = next;
    if (next == CallState::Ringing) {
        emit ringing();
    } else if (next == CallState::Connected) {
        m_answered = true;
        emit connected();
    }
}

void LineCall::onDropped(qint32 result)
{
    if (!m_hangingUp || m_state == CallState::Ended)
        return;
    if (result != 0) {
        // The line could not end the call: it goes on, and a later hang-up may try again.
        m_hangingUp = false;
        return;
    }
    finish(CallEnd::HungUp);
}

void LineCall::finish(CallEnd end)
{
    m_state = CallState::Ended;
    m_end = end;
    release();
    emit ended(end);
}

} // namespace telvora
