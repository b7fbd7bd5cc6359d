#include "dialing/KeypadSound.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace telvora {

KeypadSound::KeypadSound(QObject* parent) : QObject(parent) {}

KeypadSound::~KeypadSound() = default;

QUrl KeypadSound::source()
{
    const QFileInfo own(QDir::current().filePath(QStringLiteral("beep.wav")));
    if (own.isFile() && own.isReadable())
        return QUrl::fromLocalFile(own.absoluteFilePath());
    return QUrl(QStringLiteral("qrc:/sounds/key.wav"));
}

void KeypadSound::play()
{
    // Made at the first key press: the audio system is not touched by a program that is
    // never used to dial by hand.
    if (!m_effect)
        m_effect = new QSoundEffect(this);
    const QUrl wanted = source();
    if (m_effect->source() != wanted)
        m_effect->setSource(wanted);
    m_effect->play();
}

} // namespace telvora
