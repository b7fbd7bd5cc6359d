#pragma once

#include "store/CallLog.h"
#include "telephony/LineCodes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

namespace telvora {

class LineCall;
class LineService;
class Prompt;
struct StoredSettings;

// A dial run: a queue of numbers dialled in turn, one attempt after another, until an
// attempt reaches someone, the attempts are used up, or the user hangs up. An attempt
// that ends unanswered for a reason that may pass (busy, no answer) is followed by
// another after the configured pause. Progress goes to the status panels 2 to 4.
// A run has at most one call in progress: a new run, or a new attempt, first ends the
// call before it and waits for the line to let go of it.
class DialRun final : public QObject
{
    Q_OBJECT
public:
    DialRun(LineService& lines, const StoredSettings& settings, Prompt& prompt,
            QObject* parent = nullptr);
    ~DialRun() override;

    // Starts a run over these numbers, dialled as given (the caller adds any prefix); the
    // name they belong to, 0 for numbers that came from no name's card.
    void start(const QStringList& numbers, qint64 nameId = 0);
    // The attempt step: dials the queue's current number on the set-up line.
    void DialCmdTapi_Click();
    void HangCMD_Click();

    const QStringList& DialList() const { return m_queue; }
    int currentEntry() const { return m_current; }
    qint16 attemptCount() const { return m_attemptCount; }
    // The name the run calls, 0 for numbers that came from no name's card.
    qint64 nameId() const { return m_nameId; }
    bool isWaiting() const { return m_pause.isActive(); }
    // The call of the latest attempt; nothing before the first.
    LineCall* call() const { return m_call.get(); }
    // Ends the call and lets go of the line, as the program does when it exits; a call
    // under way is reported as ended.
    void release();

signals:
    // A text for a panel of the status bar (2: attempts, 3: what happens, 4: the pause).
    void status(int panel, const QString& text);
    // An attempt has ended and no other will follow.
    void runEnded();
    // An attempt has ended, as the call log keeps it; emitted before the next step.
    void attemptEnded(const telvora::CallRecord& record);
    // An attempt reached someone: the call is connected.
    void answered(telvora::LineCall* call);
    // The run ended without reaching anyone and without the user ending it; the status
    // bar's last status says why.
    void gaveUp(const QString& lastStatus);

private:
    void attempt();
    void callRefused(LineError error);
    void callEnded(CallEnd end);
    void startPause();
    void pauseTick();
    void stopPause();
    // Reports the attempt under way as ended with this outcome, once.
    void attemptOver(const QString& outcome);
    QString endedOutcome(CallEnd end) const;
    void teardown();

    LineService& m_lines;
    const StoredSettings& m_settings;
    Prompt& m_prompt;
    QStringList m_queue;
    int m_current = 0;
    qint16 m_attemptCount = 0;
    std::unique_ptr<LineCall> m_call;
    bool m_hungUp = false;
    // An attempt waits for the call before it to end.
    bool m_attemptWaiting = false;
    QTimer m_pause;
    QElapsedTimer m_pauseClock;
    qint64 m_nameId = 0;
    // The attempt under way, as far as it is known; reported when it ends.
    std::optional<CallRecord> m_attempt;
    QElapsedTimer m_talkClock;
};

} // namespace telvora
