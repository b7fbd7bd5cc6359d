#include "telephony/CvbTAPILine.h"

#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/mTAPIvb.h"

#include <QPainter>
#include <stdexcept>

using namespace mTAPIConsts;
using telvora::LineService;

namespace {

// The icon size when the caller gives none, as the desktop's standard icon.
constexpr int ownIconSize = 32;

} // namespace

std::shared_ptr<CvbTAPILine> CvbTAPILine::make()
{
    auto line = std::make_shared<CvbTAPILine>(Passkey{});
    line->m_instance = mTAPIvb::registerInstance(line);
    return line;
}

CvbTAPILine::CvbTAPILine(Passkey) {}

CvbTAPILine::~CvbTAPILine()
{
    LineService& service = LineService::instance();
    if (m_hCall != 0) {
        service.deallocateCall(m_hCall);
        m_hCall = 0;
    }
    if (m_hLine != 0)
        CloseLine();
    if (m_hLineApp != 0) {
        service.shutdown(m_hLineApp);
        m_hLineApp = 0;
    }
    mTAPIvb::unregisterInstance(m_instance);
}

qint32 CvbTAPILine::LastError()
{
    const qint32 code = m_LastError;
    m_LastError = 0;
    return code;
}

QString CvbTAPILine::ErrorString(qint32 errCode) const
{
    return LineErrorText(static_cast<quint32>(errCode));
}

bool CvbTAPILine::Create()
{
    LineService& service = LineService::instance();
    quint32 count = 0;
    const qint32 result = service.initialize(&m_hLineApp, &mTAPIvb::LineCallback,
                                             QStringLiteral("Telvora"), &count, &m_HiAPI);
    if (result != 0) {
        m_LastError = result;
        return false;
    }
    m_numLines = static_cast<qint32>(count);
    if (m_numLines < 1)
        return false;

    m_apiVersions = QList<quint32>(m_numLines, 0);
    m_extensionIDs = QList<telvora::LineExtensionID>(m_numLines);
    // One out-record for the whole loop: a device whose negotiation fails keeps its own.
    telvora::LineExtensionID extensionID;
    for (qint32 device = 0; device < m_numLines; ++device) {
        quint32 version = 0;
        if (service.negotiateAPIVersion(m_hLineApp, static_cast<quint32>(device), m_LowAPI, m_HiAPI,
                                        &version, &extensionID) != 0) {
            m_apiVersions[device] = 0;
            continue;
        }
        m_apiVersions[device] = version;
        m_extensionIDs[device] = extensionID;
        if (version > m_maxAPIVersion)
            m_maxAPIVersion = version;
    }
    RefreshDevCaps();
    return true;
}

void CvbTAPILine::setCurrentLineID(qint32 lineID)
{
    if (lineID < 0 || lineID > m_numLines - 1)
        throw std::invalid_argument("CurrentLineID: no such line");
    m_CurrentLineID = lineID;
    RefreshDevCaps();
}

qsizetype CvbTAPILine::currentIndex() const
{
    if (m_CurrentLineID < 0 || m_CurrentLineID >= m_apiVersions.size())
        throw std::out_of_range("CvbTAPILine: no line devices");
    return m_CurrentLineID;
}

quint32 CvbTAPILine::NegotiatedAPIVersion() const
{
    return m_apiVersions[currentIndex()];
}

quint32 CvbTAPILine::ExtAPI_ID0() const
{
    return m_extensionIDs[currentIndex()].id0;
}

quint32 CvbTAPILine::ExtAPI_ID1() const
{
    return m_extensionIDs[currentIndex()].id1;
}

quint32 CvbTAPILine::ExtAPI_ID2() const
{
    return m_extensionIDs[currentIndex()].id2;
}

quint32 CvbTAPILine::ExtAPI_ID3() const
{
    return m_extensionIDs[currentIndex()].id3;
}

void CvbTAPILine::RefreshDevCaps()
{
    const quint32 version = m_apiVersions[currentIndex()];
    telvora::LineDevCaps caps;
    const qint32 result = LineService::instance().getDevCaps(
        m_hLineApp, static_cast<quint32>(m_CurrentLineID), version, 0, &caps);
    if (result != 0) {
        m_LastError = result;
        return;
    }
    m_caps = caps;
}

bool CvbTAPILine::LineSupportsVoiceCalls() const
{
    return (m_caps.bearerModes & LINEBEARERMODE_VOICE) != 0 &&
           (m_caps.mediaModes & LINEMEDIAMODE_INTERACTIVEVOICE) != 0;
}

bool CvbTAPILine::OpenLine(quint32 privileges, quint32 mediamodes)
{
    if (m_hLine != 0)
        return false;
    const quint32 version = m_apiVersions[currentIndex()];
    const qint32 result =
        LineService::instance().open(m_hLineApp, static_cast<quint32>(m_CurrentLineID), &m_hLine,
                                     version, 0, m_instance, privileges, mediamodes);
    if (result != 0) {
        m_hLine = 0;
        m_LastError = result;
        return false;
    }
    return true;
}

bool CvbTAPILine::MakeCallAsynch(const QString& phonenumber)
{
    if (m_hLine == 0)
        return false;
    quint32 call = 0;
    const qint32 result = LineService::instance().makeCall(m_hLine, &call, phonenumber, 0);
    if (result <= 0) {
        m_LastError = result;
        return false;
    }
    m_hCall = call;
    m_makeCallRequest = result;
    m_disconnectMode = 0;
    m_callWasConnected = false;
    return true;
}

bool CvbTAPILine::DropCallAsynch()
{
    if (m_hCall == 0)
        return false;
    const qint32 result = LineService::instance().drop(m_hCall);
    if (result <= 0) {
        m_LastError = result;
        return false;
    }
    m_dropRequest = result;
    return true;
}

bool CvbTAPILine::CloseLine()
{
    if (m_hLine == 0)
        return false;
    const qint32 result = LineService::instance().close(m_hLine);
    m_hLine = 0;
    // Closing the line ends its call with it; the handle would only point at nothing.
    m_hCall = 0;
    if (result != 0) {
        m_LastError = result;
        return false;
    }
    return true;
}

bool CvbTAPILine::ConfigDialog(QObject* OwnerHwnd, const QString& DeviceClass)
{
    return LineService::instance().configDialog(static_cast<quint32>(m_CurrentLineID), OwnerHwnd,
                                                DeviceClass) == 0;
}

bool CvbTAPILine::DialingPropertiesDialog(QObject* OwnerHwnd, const QString& phonenumber)
{
    return LineService::instance().translateDialog(m_hLineApp,
                                                   static_cast<quint32>(m_CurrentLineID),
                                                   m_maxAPIVersion, OwnerHwnd, phonenumber) == 0;
}

bool CvbTAPILine::PaintDevIcon(QPainter* hdc, qint32 left, qint32 top, qint32 width, qint32 height)
{
    if (!hdc)
        return false;
    const QRect rect(left, top, width == 0 ? ownIconSize : width,
                     height == 0 ? ownIconSize : height);
    const qint32 result =
        LineService::instance().paintIcon(static_cast<quint32>(m_CurrentLineID), *hdc, rect);
    if (result != 0) {
        m_LastError = result;
        return false;
    }
    return true;
}

void CvbTAPILine::LineProcHandler(quint32 hDevice, quint32 dwMessage, quint32 dwParam1,
                                  quint32 dwParam2, quint32 dwParam3)
{
    Q_UNUSED(hDevice)
    Q_UNUSED(dwParam3)
    if (dwMessage == LINE_CALLSTATE) {
        switch (dwParam1) {
        case LINECALLSTATE_IDLE:
            if (m_hCall != 0) {
                LineService::instance().deallocateCall(m_hCall);
                m_hCall = 0;
                CloseLine();
            }
            emit Idle();
            break;
        case LINECALLSTATE_CONNECTED:
            m_callWasConnected = true;
            emit Connected();
            break;
        case LINECALLSTATE_DISCONNECTED:
            m_disconnectMode = dwParam2;
            DropCallAsynch();
            emit Disconnected();
            break;
        default:
            break;
        }
        return;
    }
    if (dwMessage == LINE_REPLY) {
        const auto request = static_cast<qint32>(dwParam1);
        const auto result = static_cast<qint32>(dwParam2);
        // Request ids are positive: an id of 0 answers nothing, even while none is pending.
        if (request == 0)
            return;
        if (request == m_makeCallRequest) {
            m_makeCallRequest = 0;
            if (result != 0)
                CloseLine();
            emit MakeCallResult(result);
        } else if (request == m_dropRequest) {
            m_dropRequest = 0;
            emit DropCallResult(result);
        }
    }
}
