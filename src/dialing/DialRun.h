#pragma once

#include "dialing/CallOutcome.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

class CvbTAPILine;

namespace telvora {

class Prompt;
struct StoredSettings;

// A dial run: a queue of numbers dialled in turn, one attempt after another, until an
// attempt reaches someone, the attempts are used up, or the user hangs up. An attempt
// that ends unanswered for a reason that may pass (busy, no answer) is followed by
// another after the configured pause. Progress goes to the status panels 2 to 4.
class DialRun final : public QObject
{
    Q_OBJECT
public:
    DialRun(const StoredSettings& settings, Prompt& prompt, QObject* parent = nullptr);
    ~DialRun() override;

    // Starts a run over these numbers, dialled as given (the caller adds any prefix).
    void start(const QStringList& numbers);
    // The attempt step: dials the queue's current number on a new line object.
    void DialCmdTapi_Click();
    void HangCMD_Click();

    const QStringList& DialList() const { return m_queue; }
    int currentEntry() const { return m_current; }
    qint16 attemptCount() const { return m_attemptCount; }
    bool isWaiting() const { return m_pause.isActive(); }
    // The line object of the latest attempt; nothing before the first.
    CvbTAPILine* tapiline() const { return m_line.get(); }
    // Ends the call and lets go of the line, as the program does when it exits.
    void release();

signals:
    // A text for a panel of the status bar (2: attempts, 3: what happens, 4: the pause).
    void status(int panel, const QString& text);
    // An attempt has ended and no other will follow.
    void runEnded();

private:
    void DropCallResult(qint32 errorCode);
    void MakeCallResult(qint32 errorCode);
    void startPause();
    void pauseTick();
    void stopPause();

    const StoredSettings& m_settings;
    Prompt& m_prompt;
    QStringList m_queue;
    int m_current = 0;
    qint16 m_attemptCount = 0;
    std::shared_ptr<CvbTAPILine> m_line;
    bool m_hungUp = false;
    QTimer m_pause;
    QElapsedTimer m_pauseClock;
};

} // namespace telvora
