#include "call/AlertSound.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace telvora {

AlertSound::AlertSound(QObject* parent) : QObject(parent) {}

AlertSound::~AlertSound() = default;

QUrl AlertSound::source()
{
    // The program works in its data folder.
    const QFileInfo own(QDir::current().filePath(QStringLiteral("ring.wav")));
    if (own.isFile() && own.isReadable())
        return QUrl::fromLocalFile(own.absoluteFilePath());
    return QUrl(QStringLiteral("qrc:/sounds/alert.wav"));
}

void AlertSound::ring()
{
    play();
    m_effect->setLoopCount(QSoundEffect::Infinite);
    m_effect->play();
}

void AlertSound::stop()
{
    if (m_effect)
        m_effect->stop();
}

void AlertSound::play()
{
    // Made at the first alert: a program whose runs never get through never opens the
    // audio system for it.
    if (!m_effect)
        m_effect = new QSoundEffect(this);
    const QUrl wanted = source();
    if (m_effect->source() != wanted)
        m_effect->setSource(wanted);
    m_effect->setLoopCount(1);
    m_effect->play();
}

} // namespace telvora
