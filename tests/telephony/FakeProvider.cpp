#include "FakeProvider.h"

#include "telephony/mTAPIConsts.h"

using namespace mTAPIConsts;

namespace telvora::test {

ProviderLine FakeProvider::line(const QString& key, const QString& name)
{
    ProviderLine line;
    line.key = key;
    line.caps.lineName = name;
    line.caps.providerInfo = QStringLiteral("Fake provider");
    line.caps.switchInfo = QStringLiteral("switch of ") + key;
    line.caps.permanentLineID = 0x77;
    line.caps.stringFormat = LINESTRINGFORMAT_ASCII;
    line.caps.numAddresses = 1;
    line.caps.maxDataRate = 9600;
    line.caps.bearerModes = LINEBEARERMODE_VOICE;
    line.caps.addressModes = LINEADDRESSMODE_ADDRESSID;
    line.caps.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
    line.caps.generateToneMaxNumFreq = 2;
    line.caps.generateToneModes = 0x4;
    line.caps.numTerminals = 3;
    return line;
}

qint32 FakeProvider::placeCall(quint64 call, const QString& lineKey, const QString& number)
{
    lastCall = call;
    lastLineKey = lineKey;
    lastNumber = number;
    if (refuseAtOnce != 0)
        return refuseAtOnce;
    if (replyInsidePlaceCall)
        events()->callPlaced(call, *replyInsidePlaceCall);
    return 0;
}

void FakeProvider::dropCall(quint64 call)
{
    drops.append(call);
    if (dropAtOnce)
        events()->callDropped(call, 0);
}

} // namespace telvora::test
