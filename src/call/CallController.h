#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace telvora {

class LineCall;

// What the window does with a call once it is connected: the keypad and the digit keys
// send touch tones instead of building a number, the microphone can be muted, and the
// status bar shows how long the call has lasted (panel 1) and the tones sent and whether
// the microphone is muted (panel 4).
class CallController final : public QObject
{
    Q_OBJECT
public:
    explicit CallController(QObject* parent = nullptr);

    // The call the window follows from now on; it may be connected already.
    void follow(LineCall* call);
    // Whether a connected call takes the keys now.
    bool inCall() const;
    // A key of the keypad or the keyboard while a call is connected: true when it was
    // taken as a tone (or as one the line would not send), false when it belongs to the
    // number being typed because no call is connected.
    bool key(QChar key);
    void toggleMute();
    bool isMuted() const;
    // The tones sent on the call so far, the latest last.
    QString tonesSent() const { return m_tones; }
    // How long the connected call has lasted, as the status bar shows it: 0:07, 12:34,
    // 1:02:03.
    static QString durationText(qint64 seconds);

signals:
    void status(int panel, const QString& text);
    // A tone went out: the keypad's click plays for it as for a digit typed.
    void toneSent();

private:
    void connected();
    void ended();
    void tick();
    void showTones();

    QPointer<LineCall> m_call;
    QElapsedTimer m_clock;
    QTimer m_tick;
    QString m_tones;
};

} // namespace telvora
