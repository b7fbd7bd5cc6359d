#include "telephony/sip/SipSoundDevices.h"

#include <QCoreApplication>

namespace telvora {

namespace {

QString missingText(SipSoundDevices::Role role, const QString& name)
{
    switch (role) {
    case SipSoundDevices::Role::Microphone:
        return QCoreApplication::translate(
                   "telvora::SipSoundDevices",
                   "The microphone \"%1\" is not connected; the default one is used.")
            .arg(name);
    case SipSoundDevices::Role::Speaker:
        return QCoreApplication::translate(
                   "telvora::SipSoundDevices",
                   "The speaker \"%1\" is not connected; the default one is used.")
            .arg(name);
    case SipSoundDevices::Role::Ringer:
        break;
    }
    return QCoreApplication::translate(
               "telvora::SipSoundDevices",
               "The ringing device \"%1\" is not connected; the default one is used.")
        .arg(name);
}

constexpr SipSoundDevices::Role kRoles[] = {SipSoundDevices::Role::Microphone,
                                            SipSoundDevices::Role::Speaker,
                                            SipSoundDevices::Role::Ringer};

} // namespace

QString& SipSoundDevices::Choice::operator[](Role role)
{
    return role == Role::Microphone ? microphone : role == Role::Speaker ? speaker : ringer;
}

const QString& SipSoundDevices::Choice::operator[](Role role) const
{
    return role == Role::Microphone ? microphone : role == Role::Speaker ? speaker : ringer;
}

SipSoundDevices::SipSoundDevices(QObject* parent) : QObject(parent) {}

SipSoundDevices::~SipSoundDevices() = default;

void SipSoundDevices::attach(SipStack* stack)
{
    m_stack = stack;
    apply();
}

QStringList SipSoundDevices::devices(Role role) const
{
    return m_stack && m_stack->isStarted() ? m_stack->soundDevices(role) : QStringList();
}

QString SipSoundDevices::inUse(Role role) const
{
    return m_stack && m_stack->isStarted() ? m_stack->soundDeviceFor(role, m_choice[role])
                                           : QString();
}

QStringList SipSoundDevices::problems() const
{
    QStringList texts;
    // Before the stack runs nothing can be said to be missing.
    if (!m_stack || !m_stack->isStarted())
        return texts;
    for (const Role role : kRoles) {
        const QString& wanted = m_choice[role];
        if (!wanted.isEmpty() && inUse(role) != wanted)
            texts.append(missingText(role, wanted));
    }
    return texts;
}

void SipSoundDevices::choose(const Choice& choice)
{
    restore(choice);
    emit chosen(m_choice);
}

void SipSoundDevices::restore(const Choice& choice)
{
    m_choice = choice;
    apply();
}

void SipSoundDevices::reload()
{
    // The stack reports the new list (listChanged) from inside the reload.
    if (m_stack)
        m_stack->reloadSoundDevices();
}

void SipSoundDevices::listChanged()
{
    emit changed();
}

void SipSoundDevices::apply()
{
    if (m_stack)
        m_stack->useSoundDevices(m_choice.microphone, m_choice.speaker, m_choice.ringer);
    emit changed();
}

} // namespace telvora
