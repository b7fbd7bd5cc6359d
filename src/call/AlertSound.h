#pragma once

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
    // The sound the next alert plays, as a URL.
    static QUrl source();

private:
    QSoundEffect* m_effect = nullptr;
};

} // namespace telvora
