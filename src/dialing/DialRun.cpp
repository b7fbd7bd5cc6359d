#include "dialing/DialRun.h"

#include "dialing/CallOutcome.h"
#include "settings/StoredSettings.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "ui/Prompt.h"

namespace telvora {

DialRun::DialRun(LineService& lines, const StoredSettings& settings, Prompt& prompt,
                 QObject* parent)
    : QObject(parent), m_lines(lines), m_settings(settings), m_prompt(prompt)
{
    // The pause is counted on the monotonic clock, once a second, with nothing spinning:
    // it ends after the set number of seconds whatever the wall clock does meanwhile.
    m_pause.setTimerType(Qt::PreciseTimer);
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &DialRun::pauseTick);
}

DialRun::~DialRun()
{
    // Whoever listened may be gone by now: the call just ends.
    teardown();
}

void DialRun::release()
{
    if (m_call && !m_call->isEnded())
        attemptOver(m_call->wasAnswered() ? QLatin1String(outcome::kAnswered)
                                          : QLatin1String(outcome::kHungUp));
    teardown();
}

void DialRun::teardown()
{
    m_attempt.reset();
    stopPause();
    m_attemptWaiting = false;
    if (m_call) {
        m_call->disconnect(this);
        m_call->hangUp();
    }
    m_call.reset();
}

void DialRun::start(const QStringList& numbers, qint64 nameId)
{
    // A run started while another waits replaces it: the old pause must not wake up later
    // and take over the new run's line.
    stopPause();
    m_queue = numbers;
    m_nameId = nameId;
    m_current = 0;
    m_attemptCount = 0;
    m_hungUp = false;
    DialCmdTapi_Click();
}

void DialRun::DialCmdTapi_Click()
{
    if (m_attemptCount >= m_settings.retryCount || m_queue.isEmpty())
        return;
    if (m_call && !m_call->isEnded()) {
        // The line carries one call: the one before must be over before the next is
        // placed. Clicks meanwhile only change what the waiting attempt will dial.
        m_attemptWaiting = true;
        m_call->hangUp();
        return;
    }
    attempt();
}

void DialRun::attempt()
{
    const QList<LineService::ListedLine> lines = m_lines.listLines();
    if (lines.isEmpty()) {
        m_prompt.messageBox(tr("No telephone line is set up.\n"
                               "To add one, open Setup and click \"Lines...\"."),
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        emit runEnded();
        return;
    }
    // A line that does not exist (any more) leaves the first line.
    const int index = m_settings.lineIndex;
    const LineService::ListedLine& line =
        index >= 0 && index < lines.size() ? lines.at(index) : lines.first();

    const QString number = m_queue.at(m_current);
    // An ended call whose report has not arrived yet is still an attempt made.
    if (m_call && m_call->isEnded())
        attemptOver(endedOutcome(m_call->end()));
    if (m_call) {
        m_call->disconnect(this);
        // Its own signal may have brought us here: it goes once that has returned.
        m_call.release()->deleteLater();
    }
    m_call = m_lines.placeCall(line, number);
    connect(m_call.get(), &LineCall::refused, this, &DialRun::callRefused);
    connect(m_call.get(), &LineCall::ended, this, &DialRun::callEnded);
    // Talk time runs from the first answer; a call taken off hold is the same conversation.
    connect(m_call.get(), &LineCall::connected, this, [this] {
        const bool first = !m_talkClock.isValid();
        if (first)
            m_talkClock.start();
        if (first && m_call)
            emit answered(m_call.get());
    });
    ++m_attemptCount;
    m_attempt = CallRecord{};
    m_attempt->started = QDateTime::currentDateTimeUtc();
    m_attempt->number = number;
    m_attempt->nameId = m_nameId;
    m_attempt->line = line.line.caps.lineName;
    m_attempt->attempt = m_attemptCount;
    m_attempt->attempts = m_settings.retryCount;
    m_talkClock.invalidate();
    m_hungUp = false;
    emit status(2, tr("Retry No: %1 / %2").arg(m_attemptCount).arg(m_settings.retryCount));
    emit status(3, tr("Dialing: ") + number);
    m_current = (m_current + 1) % int(m_queue.size());
    if (m_call->isEnded()) {
        attemptOver(QLatin1String(outcome::kFailed));
        const LineError error = m_call->error();
        m_prompt.messageBox(
            tr("Error #%1\n%2").arg(static_cast<qint32>(error)).arg(lineErrorText(error)),
            Prompt::Buttons::Ok, Prompt::Icon::Information);
        emit runEnded();
    }
}

void DialRun::callRefused(LineError error)
{
    attemptOver(QLatin1String(outcome::kFailed));
    // The call could not be placed after all: say so, rather than leave "Dialing:" up.
    const QString text = tr("Last Status : Call Failed (%1)").arg(lineErrorText(error));
    emit status(3, text);
    emit gaveUp(text);
    emit runEnded();
}

void DialRun::callEnded(CallEnd end)
{
    attemptOver(endedOutcome(end));
    if (m_attemptWaiting) {
        m_attemptWaiting = false;
        attempt();
        return;
    }
    if (m_hungUp) {
        emit runEnded();
        return;
    }
    const QString text = CallOutcome::statusText(end);
    emit status(3, text);
    if (!CallOutcome::redial(end) || m_attemptCount >= m_settings.retryCount) {
        emit status(4, QString());
        if (!m_call || !m_call->wasAnswered())
            emit gaveUp(text);
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
        emit status(4, tr("Waiting : %1").arg(left));
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

QString DialRun::endedOutcome(CallEnd end) const
{
    // A conversation is answered however it ended, unless the line cut it off; a call
    // we ended before anyone answered was hung up, whatever the line made of it.
    if (m_call && m_call->wasAnswered() && end != CallEnd::LineLost && end != CallEnd::Unexplained)
        return QLatin1String(outcome::kAnswered);
    if (m_hungUp || m_attemptWaiting)
        return QLatin1String(outcome::kHungUp);
    return CallOutcome::logWord(end);
}

void DialRun::attemptOver(const QString& outcome)
{
    if (!m_attempt)
        return;
    CallRecord record = *m_attempt;
    m_attempt.reset();
    record.ended = QDateTime::currentDateTimeUtc();
    record.outcome = outcome;
    // Whole seconds, to the nearest: what a person would say the call lasted.
    record.talkSeconds = m_talkClock.isValid() ? (m_talkClock.elapsed() + 500) / 1000 : 0;
    emit attemptEnded(record);
}

void DialRun::HangCMD_Click()
{
    emit status(4, QString());
    const bool wasWaiting = m_pause.isActive();
    stopPause();
    m_attemptCount = m_settings.retryCount;
    m_hungUp = true;
    m_attemptWaiting = false;
    // With no call under way there is nothing to end and nothing to report.
    if (m_call && !wasWaiting)
        m_call->hangUp();
    emit status(3, tr("Last Status :  User Hang UP"));
}

} // namespace telvora
