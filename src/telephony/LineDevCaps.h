#pragma once

#include <QString>
#include <QtGlobal>

namespace telvora {

// What a line device can do, as its provider tells it.
struct LineDevCaps
{
    QString lineName;
    QString providerInfo;
    QString switchInfo;
    quint32 permanentLineID = 0;
    quint32 stringFormat = 0;
    quint32 numAddresses = 0;
    quint32 maxDataRate = 0;
    quint32 bearerModes = 0;
    quint32 addressModes = 0;
    quint32 mediaModes = 0;
    quint32 generateToneMaxNumFreq = 0;
    quint32 generateToneModes = 0;
    quint32 numTerminals = 0;
};

} // namespace telvora
