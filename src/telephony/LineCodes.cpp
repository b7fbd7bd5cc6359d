#include "telephony/LineCodes.h"

#include "telephony/mTAPIConsts.h"

#include <QCoreApplication>
#include <algorithm>
#include <iterator>

namespace telvora {

using namespace mTAPIConsts;

namespace {

struct ErrorText
{
    quint32 code;
    const char* text;
};

// Sorted by code, so a lookup is a binary search.
constexpr ErrorText errorTexts[] = {
    {0x80000001u, QT_TRANSLATE_NOOP("telvora::LineError", "Allocated")},
    {0x80000002u, QT_TRANSLATE_NOOP("telvora::LineError", "Bad Device ID")},
    {0x80000003u, QT_TRANSLATE_NOOP("telvora::LineError", "Bearer Mode Unavail")},
    {0x80000005u, QT_TRANSLATE_NOOP("telvora::LineError", "Call UnAvail")},
    {0x80000006u, QT_TRANSLATE_NOOP("telvora::LineError", "Completion Overrun")},
    {0x80000007u, QT_TRANSLATE_NOOP("telvora::LineError", "Conference Full")},
    {0x80000008u, QT_TRANSLATE_NOOP("telvora::LineError", "Dial Billing")},
    {0x80000009u, QT_TRANSLATE_NOOP("telvora::LineError", "Dial Dialtone")},
    {0x8000000Au, QT_TRANSLATE_NOOP("telvora::LineError", "Dial Prompt")},
    {0x8000000Bu, QT_TRANSLATE_NOOP("telvora::LineError", "Dial Quiet")},
    {0x8000000Cu, QT_TRANSLATE_NOOP("telvora::LineError", "Incompatible API Version")},
    {0x8000000Du, QT_TRANSLATE_NOOP("telvora::LineError", "Incompatible Ext Version")},
    {0x8000000Eu, QT_TRANSLATE_NOOP("telvora::LineError", "Ini File Corrupt")},
    {0x8000000Fu, QT_TRANSLATE_NOOP("telvora::LineError", "In Use")},
    {0x80000010u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Address")},
    {0x80000011u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Address ID")},
    {0x80000012u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Address Mode")},
    {0x80000013u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Address State")},
    {0x80000014u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid App Handle")},
    {0x80000015u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid App Name")},
    {0x80000016u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Bearer Mode")},
    {0x80000017u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call Completion Mode")},
    {0x80000018u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call Handle")},
    {0x80000019u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call Params")},
    {0x8000001Au, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call Privilege")},
    {0x8000001Bu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call Select")},
    {0x8000001Cu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call State")},
    {0x8000001Du, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Call State List")},
    {0x8000001Eu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Card")},
    {0x8000001Fu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Completion ID")},
    {0x80000020u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Conf Call Handle")},
    {0x80000021u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Consult Call Handle")},
    {0x80000022u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Country Code")},
    {0x80000023u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Device Class")},
    {0x80000024u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Device Handle")},
    {0x80000026u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Digit List")},
    {0x80000027u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Digit Mode")},
    {0x80000028u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Digits")},
    {0x80000029u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Ext Version")},
    {0x8000002Au, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Group ID")},
    {0x8000002Bu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Line Handle")},
    {0x8000002Cu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Line State")},
    {0x8000002Du, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Location")},
    {0x8000002Eu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Media List")},
    {0x8000002Fu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Media Mode")},
    {0x80000030u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Message ID")},
    {0x80000032u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Param")},
    {0x80000033u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Park ID")},
    {0x80000034u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Park Mode")},
    {0x80000035u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Pointer")},
    {0x80000036u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Priv Select")},
    {0x80000037u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Rate")},
    {0x80000038u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Request Mode")},
    {0x80000039u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Terminal ID")},
    {0x8000003Au, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Terminal Mode")},
    {0x8000003Bu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Time Out")},
    {0x8000003Cu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Tone")},
    {0x8000003Du, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Tone List")},
    {0x8000003Eu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Tone Mode")},
    {0x8000003Fu, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Transfer Mode")},
    {0x80000040u, QT_TRANSLATE_NOOP("telvora::LineError", "Line Mapper Failed")},
    {0x80000041u, QT_TRANSLATE_NOOP("telvora::LineError", "No Conference")},
    {0x80000042u, QT_TRANSLATE_NOOP("telvora::LineError", "No Device")},
    {0x80000043u, QT_TRANSLATE_NOOP("telvora::LineError", "No Driver")},
    {0x80000044u, QT_TRANSLATE_NOOP("telvora::LineError", "No Memory")},
    {0x80000045u, QT_TRANSLATE_NOOP("telvora::LineError", "No Request")},
    {0x80000046u, QT_TRANSLATE_NOOP("telvora::LineError", "Not Owner")},
    {0x80000047u, QT_TRANSLATE_NOOP("telvora::LineError", "Not Registered")},
    {0x80000048u, QT_TRANSLATE_NOOP("telvora::LineError", "Operation Failed")},
    {0x80000049u, QT_TRANSLATE_NOOP("telvora::LineError", "Operation Unavailable")},
    {0x8000004Au, QT_TRANSLATE_NOOP("telvora::LineError", "Rate Unavailable")},
    {0x8000004Bu, QT_TRANSLATE_NOOP("telvora::LineError", "Resource Unavailable")},
    {0x8000004Cu, QT_TRANSLATE_NOOP("telvora::LineError", "Request Overrun")},
    {0x8000004Du, QT_TRANSLATE_NOOP("telvora::LineError", "Structure Too Small")},
    {0x8000004Eu, QT_TRANSLATE_NOOP("telvora::LineError", "Target Not found")},
    {0x8000004Fu, QT_TRANSLATE_NOOP("telvora::LineError", "Target Self")},
    {0x80000050u, QT_TRANSLATE_NOOP("telvora::LineError", "Uninitialized")},
    {0x80000051u, QT_TRANSLATE_NOOP("telvora::LineError", "UserUser Info Too Big")},
    {0x80000052u, QT_TRANSLATE_NOOP("telvora::LineError", "Re-init")},
    {0x80000053u, QT_TRANSLATE_NOOP("telvora::LineError", "Address Blocked")},
    {0x80000054u, QT_TRANSLATE_NOOP("telvora::LineError", "Billing Rejected")},
    {0x80000055u, QT_TRANSLATE_NOOP("telvora::LineError", "Invalid Feature")},
    {0x80000056u, QT_TRANSLATE_NOOP("telvora::LineError", "No Multiple Instance")},
};

static_assert(std::is_sorted(std::begin(errorTexts), std::end(errorTexts),
                             [](const ErrorText& a, const ErrorText& b) {
                                 return a.code < b.code;
                             }));

} // namespace

CallState callStateFromCode(quint32 state)
{
    switch (state) {
    case LINECALLSTATE_RINGBACK:
        return CallState::Ringing;
    case LINECALLSTATE_CONNECTED:
        return CallState::Connected;
    case LINECALLSTATE_DISCONNECTED:
    case LINECALLSTATE_IDLE:
        return CallState::Ended;
    default:
        // Dial tone, dialling, proceeding, busy tone: still on the way to the far end.
        return CallState::Dialing;
    }
}

CallEnd callEndFromCode(bool answered, quint32 disconnectMode)
{
    // A line, or a far end, that went away says so even after an answer: the user must
    // know the call was cut rather than ended.
    if (disconnectMode & LINEDISCONNECTMODE_UNAVAIL)
        return CallEnd::LineLost;
    if (answered && (disconnectMode & LINEDISCONNECTMODE_UNREACHABLE))
        return CallEnd::LineLost;
    if (answered)
        return CallEnd::Answered;
    if (disconnectMode & (LINEDISCONNECTMODE_BUSY | LINEDISCONNECTMODE_CONGESTION))
        return CallEnd::Busy;
    if (disconnectMode & LINEDISCONNECTMODE_NOANSWER)
        return CallEnd::NoAnswer;
    if (disconnectMode & LINEDISCONNECTMODE_REJECT)
        return CallEnd::Declined;
    if (disconnectMode & LINEDISCONNECTMODE_BADADDRESS)
        return CallEnd::InvalidNumber;
    if (disconnectMode & LINEDISCONNECTMODE_UNREACHABLE)
        return CallEnd::Unreachable;
    if (disconnectMode & LINEDISCONNECTMODE_NODIALTONE)
        return CallEnd::NoDialTone;
    return CallEnd::Unexplained;
}

LineError lineErrorFromCode(qint32 code)
{
    // A provider that reports a failure without a code still failed.
    if (code > 0)
        return LineError::OperationFailed;
    return static_cast<LineError>(code);
}

QString lineErrorText(LineError error)
{
    const auto code = static_cast<quint32>(error);
    const auto* found =
        std::lower_bound(std::begin(errorTexts), std::end(errorTexts), code,
                         [](const ErrorText& entry, quint32 value) { return entry.code < value; });
    if (found == std::end(errorTexts) || found->code != code)
        return QCoreApplication::translate("telvora::LineError", "Unknown Error");
    return QCoreApplication::translate("telvora::LineError", found->text);
}

} // namespace telvora
