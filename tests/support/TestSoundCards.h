#pragma once

#include <QString>

namespace telvora {
class SipProvider;
}

namespace telvora::test {

// Sound cards plugged into and out of a running SIP stack, as a headset is: cards of a
// driver of their own ("Test"), which take no sound in and give none out. The stack
// learns of each change as it does of a real one, through its reload of the devices.
// A card that can neither record nor play (capable = false) stands for ALSA's "default"
// on a machine without sound hardware. Returns the name the stack lists the card under.
QString plugSoundCard(SipProvider& sip, const QString& name, bool capable = true);
void unplugSoundCards(SipProvider& sip);

// How loud a 16-bit linear wav file is at its loudest: the root mean square of its
// samples over the loudest stretch of 2048, 0 for silence or a file that cannot be read.
double wavLoudness(const QString& path);
// Writes a second of a 440 Hz tone as a 16-bit, 8 kHz mono wav file.
bool writeToneWav(const QString& path);

} // namespace telvora::test
