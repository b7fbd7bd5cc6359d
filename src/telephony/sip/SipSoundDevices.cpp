#include "telephony/sip/SipSoundDevices.h"

#include <QCoreApplication>
#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/msfactory.h>
#include <mediastreamer2/mssndcard.h>

namespace telvora {

namespace {

// Whether the device can record (a microphone) or play (the others). The stack's record of
// a device leaves what it can do unset when its sound card can do neither, as ALSA's
// "default" on a machine without sound hardware: the record then claims either at random.
// So the card itself is asked too.
bool canServe(linphone::Core& core, const linphone::AudioDevice& device, SipSoundDevices::Role role)
{
    const bool records = role == SipSoundDevices::Role::Microphone;
    const unsigned int wanted = records ? MS_SND_CARD_CAP_CAPTURE : MS_SND_CARD_CAP_PLAYBACK;
    MSSndCardManager* manager = ms_factory_get_snd_card_manager(
        linphone_core_get_ms_factory(static_cast<LinphoneCore*>(core.cPtr())));
    const std::string driver = device.getDriverName();
    const std::string name = device.getDeviceName();
    bool cardCan = false;
    for (const MSList* it = ms_snd_card_manager_get_list(manager); it && !cardCan; it = it->next) {
        const auto* card = static_cast<const MSSndCard*>(it->data);
        cardCan = driver == ms_snd_card_get_driver_type(card) &&
                  name == ms_snd_card_get_name(card) &&
                  (ms_snd_card_get_capabilities(card) & wanted);
    }
    // The record is read only once the card can: only then is it set.
    return cardCan &&
           device.hasCapability(records ? linphone::AudioDevice::Capabilities::CapabilityRecord
                                        : linphone::AudioDevice::Capabilities::CapabilityPlay);
}

QString nameOf(const linphone::AudioDevice& device)
{
    return QString::fromStdString(device.getId());
}

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

void SipSoundDevices::attach(std::shared_ptr<linphone::Core> core)
{
    m_core = std::move(core);
    apply();
}

QStringList SipSoundDevices::devices(Role role) const
{
    QStringList names;
    if (!m_core)
        return names;
    // The stack lists the system's default device of each driver first.
    for (const auto& device : m_core->getExtendedAudioDevices()) {
        if (canServe(*m_core, *device, role) && !names.contains(nameOf(*device)))
            names.append(nameOf(*device));
    }
    return names;
}

std::shared_ptr<linphone::AudioDevice> SipSoundDevices::find(Role role, const QString& name) const
{
    if (!m_core)
        return nullptr;
    std::shared_ptr<linphone::AudioDevice> first;
    for (const auto& device : m_core->getExtendedAudioDevices()) {
        if (!canServe(*m_core, *device, role))
            continue;
        if (!name.isEmpty() && nameOf(*device) == name)
            return device;
        if (!first)
            first = device;
    }
    // Missing, or none chosen: the default.
    return first;
}

QString SipSoundDevices::inUse(Role role) const
{
    const auto device = find(role, m_choice[role]);
    return device ? nameOf(*device) : QString();
}

QStringList SipSoundDevices::problems() const
{
    QStringList texts;
    // Before the stack runs nothing can be said to be missing.
    if (!m_core)
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
    if (!m_core)
        return;
    // The stack reports the new list (listChanged) from inside the reload.
    m_core->reloadSoundDevices();
}

void SipSoundDevices::listChanged()
{
    // A device that came back is taken again; one that went is replaced by the default.
    apply();
}

void SipSoundDevices::apply()
{
    if (m_core) {
        // The defaults serve the calls to come; the calls under way change at once.
        if (const auto input = find(Role::Microphone, m_choice.microphone)) {
            m_core->setDefaultInputAudioDevice(input);
            if (m_core->getCallsNb() > 0)
                m_core->setInputAudioDevice(input);
        }
        if (const auto output = find(Role::Speaker, m_choice.speaker)) {
            m_core->setDefaultOutputAudioDevice(output);
            if (m_core->getCallsNb() > 0)
                m_core->setOutputAudioDevice(output);
        }
        if (const auto ringer = find(Role::Ringer, m_choice.ringer))
            m_core->setRingerDevice(ringer->getId());
    }
    emit changed();
}

} // namespace telvora
