#pragma once

#include <QString>
#include <QtGlobal>

namespace telvora {

// What a line device can do, as the line service reports it. Texts are plain texts: the
// record is the service's own, so no caller copies bytes out of a buffer.
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

// Extension identifier that version negotiation returns for a device.
struct LineExtensionID
{
    quint32 id0 = 0;
    quint32 id1 = 0;
    quint32 id2 = 0;
    quint32 id3 = 0;
};

} // namespace telvora
