#pragma once

#include <QAudioDevice>
#include <QList>
#include <QObject>

class QSoundEffect;
class QUrl;

namespace telvora {

// The sound that calls the user back to a run that got through: ring.wav in the data
// folder when there is one, else the program's own. Playing never waits; a sound that
// cannot play is silent.
class AlertSound final : public QObject
{
    Q_OBJECT
public:
    explicit AlertSound(QObject* parent = nullptr);
    ~AlertSound() override;

    void play();
    // Plays the sound over and over until stop(), for a call that rings.
    void ring();
    void stop();
    // Whether it rings now.
    bool isRinging() const { return m_ringing; }
    // Plays on the output of this name from now on; an empty name, or one no output has,
    // plays on the default output.
    void setOutput(const QString& name);
    // The output a device name stands for: the SIP stack calls a device by its driver and
    // its description ("PulseAudio: USB Headset"), the sound system by its id or its
    // description; a null device when none matches.
    static QAudioDevice outputNamed(const QString& name, const QList<QAudioDevice>& outputs);
    // The sound the next alert plays, as a URL.
    static QUrl source();

private:
    QSoundEffect* m_effect = nullptr;
    QString m_output;
    bool m_ringing = false;
};

} // namespace telvora
