#include "telephony/sip/stack/LinphoneStack.h"

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
bool canServe(linphone::Core& core, const linphone::AudioDevice& device, SipSoundRole role)
{
    const bool records = role == SipSoundRole::Microphone;
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

// The chosen device, or the default when it is missing or none is chosen; null when no
// device can serve.
std::shared_ptr<linphone::AudioDevice> find(linphone::Core& core, SipSoundRole role,
                                            const QString& name)
{
    std::shared_ptr<linphone::AudioDevice> first;
    for (const auto& device : core.getExtendedAudioDevices()) {
        if (!canServe(core, *device, role))
            continue;
        if (!name.isEmpty() && nameOf(*device) == name)
            return device;
        if (!first)
            first = device;
    }
    return first;
}

} // namespace

QStringList LinphoneStack::soundDevices(SipSoundRole role) const
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

QString LinphoneStack::soundDeviceFor(SipSoundRole role, const QString& chosen) const
{
    const auto device = m_core ? find(*m_core, role, chosen) : nullptr;
    return device ? nameOf(*device) : QString();
}

void LinphoneStack::useSoundDevices(const QString& microphone, const QString& speaker,
                                    const QString& ringer)
{
    m_sound[int(SipSoundRole::Microphone)] = microphone;
    m_sound[int(SipSoundRole::Speaker)] = speaker;
    m_sound[int(SipSoundRole::Ringer)] = ringer;
    applySoundDevices();
}

void LinphoneStack::reloadSoundDevices()
{
    // The stack reports the new list from inside the reload.
    if (m_core)
        m_core->reloadSoundDevices();
}

void LinphoneStack::applySoundDevices()
{
    if (!m_core)
        return;
    // The defaults serve the calls to come; the calls under way change at once.
    if (const auto input =
            find(*m_core, SipSoundRole::Microphone, m_sound[int(SipSoundRole::Microphone)])) {
        m_core->setDefaultInputAudioDevice(input);
        if (m_core->getCallsNb() > 0)
            m_core->setInputAudioDevice(input);
    }
    if (const auto output =
            find(*m_core, SipSoundRole::Speaker, m_sound[int(SipSoundRole::Speaker)])) {
        m_core->setDefaultOutputAudioDevice(output);
        if (m_core->getCallsNb() > 0)
            m_core->setOutputAudioDevice(output);
    }
    if (const auto ringer = find(*m_core, SipSoundRole::Ringer, m_sound[int(SipSoundRole::Ringer)]))
        m_core->setRingerDevice(ringer->getId());
}

} // namespace telvora
