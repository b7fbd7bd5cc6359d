#pragma once

#include <QObject>
#include <memory>

class QSoundEffect;

namespace telvora {

// The click of a keypad key: beep.wav from the working directory when there is one, else
// the program's own short tone. Playing never waits; a sound that cannot play is silent.
class KeypadSound final : public QObject
{
    Q_OBJECT
public:
    explicit KeypadSound(QObject* parent = nullptr);
    ~KeypadSound() override;

    void play();
    // The sound the next key press plays, as a URL.
    static QUrl source();

private:
    QSoundEffect* m_effect = nullptr;
};

} // namespace telvora
