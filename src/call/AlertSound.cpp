#include "call/AlertSound.h"

#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
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

QAudioDevice AlertSound::outputNamed(const QString& name, const QList<QAudioDevice>& outputs)
{
    if (name.isEmpty())
        return {};
    // The stack's name ends in the description after the driver's prefix.
    const qsizetype colon = name.indexOf(QLatin1String(": "));
    const QString description = colon >= 0 ? name.mid(colon + 2) : name;
    for (const QAudioDevice& output : outputs) {
        if (QString::fromUtf8(output.id()) == name || output.description() == name ||
            output.description() == description || QString::fromUtf8(output.id()) == description)
            return output;
    }
    return {};
}

void AlertSound::setOutput(const QString& name)
{
    m_output = name;
}

void AlertSound::ring()
{
    m_ringing = true;
    play();
    m_effect->setLoopCount(QSoundEffect::Infinite);
    m_effect->play();
}

void AlertSound::stop()
{
    m_ringing = false;
    if (m_effect)
        m_effect->stop();
}

void AlertSound::play()
{
    // Only asked of the sound system when an output was chosen: the default needs nothing.
    QAudioDevice output;
    if (!m_output.isEmpty())
        output = outputNamed(m_output, QMediaDevices::audioOutputs());
    if (output.isNull())
        output = QMediaDevices::defaultAudioOutput();
    // A sound effect keeps the output it first played on, whatever it is told later, so
    // another output (chosen, plugged in or gone) needs an effect of its own.
    if (m_effect && m_effect->audioDevice() != output) {
        m_effect->stop();
        delete m_effect;
        m_effect = nullptr;
    }
    // Made at the first alert: a program whose runs never get through never opens the
    // audio system for it.
    if (!m_effect)
        m_effect = new QSoundEffect(output, this);
    const QUrl wanted = source();
    if (m_effect->source() != wanted)
        m_effect->setSource(wanted);
    m_effect->setLoopCount(1);
    m_effect->play();
}

} // namespace telvora
