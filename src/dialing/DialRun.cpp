#include "dialing/DialRun.h"

#include "settings/StoredSettings.h"
#include "telephony/CvbTAPILine.h"
#include "telephony/mTAPIConsts.h"
#include "ui/Prompt.h"

#include <stdexcept>

namespace telvora {

namespace {
constexpr quint32 kLowApi = 0x00010003;
constexpr quint32 kHiApi = 0x00030000;
constexpr quint32 kPrivilegesNone = 1;
constexpr quint32 kInteractiveVoice = 4;
} // namespace

DialRun::DialRun(const StoredSettings& settings, Prompt& prompt, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompt(prompt)
{
    // The pause is counted on the monotonic clock, once a second, with nothing spinning:
    // it ends after the set number of seconds whatever the wall clock does meanwhile.
    m_pause.setTimerType(Qt::PreciseTimer);
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &DialRun::pauseTick);
}

DialRun::~DialRun()
{
    release();
}

void DialRun::release()
{
    stopPause();
    if (m_line) {
        m_line->disconnect(this);
        m_line->DropCallAsynch();
    }
    m_line.reset();
}

void DialRun::start(const QStringList& numbers)
{
    // A run started while another waits replaces it: the old pause must not wake up later
    // and take over the new run's line.
    stopPause();
    m_queue = numbers;
    m_current = 0;
    m_attemptCount = 0;
    m_hungUp = false;
    DialCmdTapi_Click();
}

void DialRun::DialCmdTapi_Click()
{
    if (m_attemptCount >= m_settings.retryCount || m_queue.isEmpty())
        return;

    if (m_line)
        m_line->disconnect(this);
    m_line = CvbTAPILine::make();
    CvbTAPILine& line = *m_line;
    connect(&line, &CvbTAPILine::DropCallResult, this, &DialRun::DropCallResult);
    connect(&line, &CvbTAPILine::MakeCallResult, this, &DialRun::MakeCallResult);
    line.setLowAPI(kLowApi);
    line.setHiAPI(kHiApi);
    line.Create();
    try {
        line.setCurrentLineID(m_settings.lineIndex);
    } catch (const std::exception&) {
        // A line that does not exist (any more) leaves the first line.
    }
    bool opened = false;
    try {
        opened = line.OpenLine(kPrivilegesNone, kInteractiveVoice);
    } catch (const std::exception&) {
        // No line device at all: the open fails like any other.
    }
    if (!opened) {
        const qint32 code = line.LastError();
        m_prompt.messageBox(QStringLiteral("TAPI ERROR \n") + line.ErrorString(code),
                            Prompt::Buttons::Ok, Prompt::Icon::Critical);
        emit runEnded();
        return;
    }

    const QString number = m_queue.at(m_current);
    const bool placed = line.MakeCallAsynch(number);
    ++m_attemptCount;
    m_hungUp = false;
    emit status(2,
                QStringLiteral("Retry No: %1 / %2").arg(m_attemptCount).arg(m_settings.retryCount));
    emit status(3, QStringLiteral("Dialing: ") + number);
    m_current = (m_current + 1) % int(m_queue.size());
    if (!placed) {
        line.CloseLine();
        const qint32 code = line.LastError();
        m_prompt.messageBox(QStringLiteral("Error #%1\n%2").arg(code).arg(line.ErrorString(code)),
                            Prompt::Buttons::Ok, Prompt::Icon::Information);
        emit runEnded();
    }
}

void DialRun::MakeCallResult(qint32 errorCode)
{
    if (errorCode == 0)
        return;
    // The call could not be placed after all: say so, rather than leave "Dialing:" up.
    emit status(3, QStringLiteral("Last Status : Call Failed (%1)")
                       .arg(m_line ? m_line->ErrorString(errorCode) : QString::number(errorCode)));
    emit runEnded();
}

void DialRun::DropCallResult(qint32 errorCode)
{
    if (errorCode != 0 || !m_line)
        return;
    if (m_hungUp) {
        emit runEnded();
        return;
    }
    const CallOutcome::End end =
        CallOutcome::classify(m_line->CallWasConnected(), m_line->DisconnectMode());
    emit status(3, CallOutcome::statusText(end));
    if (!CallOutcome::redial(end) || m_attemptCount >= m_settings.retryCount) {
        emit status(4, QString());
        emit runEnded();
        return;
    }
    startPause();
}

void DialRun::startPause()
{
    m_pauseClock.start();
    if (m_settings.pause <= 0) {
        // Even without a pause the next attempt waits for the ended call's messages to
        // drain, and a hang-up or a new run can still cancel it.
        m_pause.start(0);
        return;
    }
    pauseTick();
}

void DialRun::pauseTick()
{
    const qint64 elapsedMs = m_pauseClock.elapsed();
    const qint64 pauseMs = qint64(m_settings.pause) * 1000;
    if (elapsedMs < pauseMs) {
        // Whole seconds left, rounded up: 10, 9, ... 1 for a pause of 10.
        const qint64 left = (pauseMs - elapsedMs + 999) / 1000;
        emit status(4, QStringLiteral("Waiting : %1").arg(left));
        // Wake at the next whole second of the pause, or at its end, whichever is first.
        const qint64 nextSecond = (elapsedMs / 1000 + 1) * 1000;
        m_pause.start(int(qMin(nextSecond, pauseMs) - elapsedMs));
        return;
    }
    emit status(4, QString());
    DialCmdTapi_Click();
}

void DialRun::stopPause()
{
    m_pause.stop();
}

void DialRun::HangCMD_Click()
{
    emit status(4, QString());
    const bool wasWaiting = m_pause.isActive();
    stopPause();
    m_attemptCount = m_settings.retryCount;
    m_hungUp = true;
    if (m_line && !wasWaiting && !m_line->DropCallAsynch()) {
        // With no call under way there is nothing to drop and nothing to report.
        if (const qint32 code = m_line->LastError(); code != 0) {
            m_prompt.messageBox(
                QStringLiteral("Error #%1\n%2").arg(code).arg(m_line->ErrorString(code)));
        }
    }
    emit status(3, QStringLiteral("Last Status :  User Hang UP"));
}

} // namespace telvora
