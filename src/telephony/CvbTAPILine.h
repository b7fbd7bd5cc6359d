#pragma once

#include "telephony/LineDevCaps.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QPainter;

namespace mTAPIvb {
void LineCallback(quint32, quint32, quint32, quint32, quint32, quint32);
}

// One use of the line service for one outgoing voice call on one line device: register
// (Create), pick a line (setCurrentLineID), open it, place the call, drop it, close it. The
// outcomes arrive later as the five signals. Service failures never throw: the operation
// returns false and keeps the code in LastError(), which clears when read.
//
// Objects are made with make() and owned through std::shared_ptr, so the callback can keep
// one alive while it dispatches a message even if its owner lets go of it in an event.
// Destroying the object ends its call, closes its line and ends its registration.
class CvbTAPILine : public QObject, public std::enable_shared_from_this<CvbTAPILine>
{
    Q_OBJECT

    struct Passkey
    {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<CvbTAPILine> make();
    explicit CvbTAPILine(Passkey);
    ~CvbTAPILine() override;
    CvbTAPILine(const CvbTAPILine&) = delete;
    CvbTAPILine& operator=(const CvbTAPILine&) = delete;

    quint32 LowAPI() const { return m_LowAPI; }
    void setLowAPI(quint32 ver) { m_LowAPI = ver; }
    quint32 HiAPI() const { return m_HiAPI; }
    void setHiAPI(quint32 ver) { m_HiAPI = ver; }
    // The last error code, cleared by reading it: read it exactly once per failure.
    qint32 LastError();
    QString ErrorString(qint32 errCode) const;

    bool Create();
    qint32 numLines() const { return m_numLines; }
    qint32 CurrentLineID() const { return m_CurrentLineID; }
    // Throws std::invalid_argument for a line that does not exist, keeping the current one.
    void setCurrentLineID(qint32 lineID);

    // These throw std::out_of_range until a Create has found at least one line.
    quint32 NegotiatedAPIVersion() const;
    quint32 ExtAPI_ID0() const;
    quint32 ExtAPI_ID1() const;
    quint32 ExtAPI_ID2() const;
    quint32 ExtAPI_ID3() const;

    QString LineName() const { return m_caps.lineName; }
    QString ProviderInfo() const { return m_caps.providerInfo; }
    QString SwitchInfo() const { return m_caps.switchInfo; }
    quint32 PermanentLineID() const { return m_caps.permanentLineID; }
    quint32 StringFormat() const { return m_caps.stringFormat; }
    quint32 numAddresses() const { return m_caps.numAddresses; }
    quint32 maxDataRate() const { return m_caps.maxDataRate; }
    quint32 BearerModes() const { return m_caps.bearerModes; }
    quint32 AddressModes() const { return m_caps.addressModes; }
    quint32 mediamodes() const { return m_caps.mediaModes; }
    quint32 GenerateToneMaxNumFreq() const { return m_caps.generateToneMaxNumFreq; }
    quint32 GenerateToneModes() const { return m_caps.generateToneModes; }
    quint32 numTerminals() const { return m_caps.numTerminals; }
    bool LineSupportsVoiceCalls() const;

    bool OpenLine(quint32 privileges, quint32 mediamodes);
    bool MakeCallAsynch(const QString& phonenumber);
    bool DropCallAsynch();
    bool CloseLine();
    bool ConfigDialog(QObject* OwnerHwnd, const QString& DeviceClass);
    bool DialingPropertiesDialog(QObject* OwnerHwnd, const QString& phonenumber);
    // Paints the line's icon at (left, top), width x height; 0 x 0 is the icon's own size.
    bool PaintDevIcon(QPainter* hdc, qint32 left, qint32 top, qint32 width, qint32 height);

    // How the last call ended (a LINEDISCONNECTMODE value, 0 while it has not been
    // disconnected by the far end or the network) and whether it was ever answered: the
    // dial run tells a busy line from a call that was answered and then ended.
    quint32 DisconnectMode() const { return m_disconnectMode; }
    bool CallWasConnected() const { return m_callWasConnected; }
    // The value the service hands back to the callback with every message for this object.
    quint32 CallbackInstance() const { return m_instance; }

signals:
    void MakeCallResult(qint32 errorCode);
    void DropCallResult(qint32 errorCode);
    void Connected();
    void Idle();
    void Disconnected();

private:
    friend void mTAPIvb::LineCallback(quint32, quint32, quint32, quint32, quint32, quint32);

    void LineProcHandler(quint32 hDevice, quint32 dwMessage, quint32 dwParam1, quint32 dwParam2,
                         quint32 dwParam3);
    void RefreshDevCaps();
    qsizetype currentIndex() const;

    quint32 m_hLineApp = 0;
    QList<quint32> m_apiVersions;
    QList<telvora::LineExtensionID> m_extensionIDs;
    quint32 m_maxAPIVersion = 0;
    quint32 m_LowAPI = 0x00010003;
    quint32 m_HiAPI = 0x00030000;
    qint32 m_LastError = 0;
    qint32 m_numLines = 0;
    qint32 m_CurrentLineID = 0;
    telvora::LineDevCaps m_caps;
    quint32 m_hLine = 0;
    quint32 m_hCall = 0;
    qint32 m_makeCallRequest = 0;
    qint32 m_dropRequest = 0;
    quint32 m_instance = 0;
    quint32 m_disconnectMode = 0;
    bool m_callWasConnected = false;
};
