#include "support/TestSoundCards.h"

#include "telephony/sip/SipProvider.h"

#include <QFile>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/allfilters.h>
#include <mediastreamer2/msfactory.h>
#include <mediastreamer2/mssndcard.h>
#include <numbers>

namespace telvora::test {

namespace {

struct Card
{
    QString name;
    bool capable;
};

QList<Card>& plugged()
{
    static QList<Card> cards;
    return cards;
}

MSFilter* silentSource(MSSndCard* card)
{
    return ms_factory_create_filter(ms_snd_card_get_factory(card), MS_VOID_SOURCE_ID);
}

MSFilter* silentSink(MSSndCard* card)
{
    return ms_factory_create_filter(ms_snd_card_get_factory(card), MS_VOID_SINK_ID);
}

void detect(MSSndCardManager* manager);

MSSndCardDesc testDriver = {"Test",  detect,       nullptr,    nullptr, nullptr, nullptr, nullptr,
                            nullptr, silentSource, silentSink, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr,      nullptr,    nullptr, nullptr};

void detect(MSSndCardManager* manager)
{
    for (const Card& plug : std::as_const(plugged())) {
        MSSndCard* card = ms_snd_card_new_with_name(&testDriver, plug.name.toUtf8().constData());
        card->capabilities = plug.capable ? MS_SND_CARD_CAP_CAPTURE | MS_SND_CARD_CAP_PLAYBACK : 0;
        card->device_type = MS_SND_CARD_DEVICE_TYPE_HEADSET;
        ms_snd_card_manager_add_card(manager, card);
    }
}

void reload(SipProvider& sip)
{
    const auto core = sip.core();
    if (!core)
        return;
    MSSndCardManager* manager =
        ms_factory_get_snd_card_manager(linphone_core_get_ms_factory(core->cPtr()));
    // Registering twice is harmless: the manager keeps a driver once.
    ms_snd_card_manager_register_desc(manager, &testDriver);
    sip.soundDevices().reload();
}

} // namespace

QString plugSoundCard(SipProvider& sip, const QString& name, bool capable)
{
    plugged().append({name, capable});
    reload(sip);
    return QStringLiteral("Test Headset: ") + name;
}

void unplugSoundCards(SipProvider& sip)
{
    plugged().clear();
    reload(sip);
}

double wavLoudness(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = file.readAll();
    // The samples follow the "data" chunk's header. A recorder that is still at work has
    // not written its header yet: the samples then start after the room kept for it.
    constexpr qsizetype kHeader = 44;
    const qsizetype chunk = data.indexOf("data");
    const qsizetype start = chunk >= 0 && chunk < kHeader ? chunk + 8 : kHeader;
    // The loudest stretch: a recording starts with the silence before the sound came.
    constexpr qsizetype kBlock = 2048;
    double loudest = 0;
    double sum = 0;
    qsizetype count = 0;
    for (qsizetype i = start; i + 1 < data.size(); i += 2) {
        const double sample = qFromLittleEndian<qint16>(data.constData() + i);
        sum += sample * sample;
        if (++count == kBlock) {
            loudest = std::max(loudest, std::sqrt(sum / double(count)));
            sum = 0;
            count = 0;
        }
    }
    if (count > 0)
        loudest = std::max(loudest, std::sqrt(sum / double(count)));
    return loudest;
}

bool writeToneWav(const QString& path)
{
    constexpr int kRate = 8000;
    QByteArray samples;
    for (int i = 0; i < kRate; ++i) {
        const auto value = qint16(8000 * std::sin(2 * std::numbers::pi * 440 * i / kRate));
        char bytes[2];
        qToLittleEndian(value, bytes);
        samples.append(bytes, 2);
    }
    const auto u32 = [](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        return QByteArray(b, 4);
    };
    const auto u16 = [](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        return QByteArray(b, 2);
    };
    QByteArray wav = "RIFF" + u32(quint32(36 + samples.size())) + "WAVEfmt " + u32(16) + u16(1) +
                     u16(1) + u32(kRate) + u32(kRate * 2) + u16(2) + u16(16) + "data" +
                     u32(quint32(samples.size())) + samples;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

} // namespace telvora::test
