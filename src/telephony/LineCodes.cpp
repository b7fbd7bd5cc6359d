#include "telephony/LineCodes.h"

#include "telephony/mTAPIConsts.h"

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
    {0x80000001u, "Allocated"},
    {0x80000002u, "Bad Device ID"},
    {0x80000003u, "Bearer Mode Unavail"},
    {0x80000005u, "Call UnAvail"},
    {0x80000006u, "Completion Overrun"},
    {0x80000007u, "Conference Full"},
    {0x80000008u, "Dial Billing"},
    {0x80000009u, "Dial Dialtone"},
    {0x8000000Au, "Dial Prompt"},
    {0x8000000Bu, "Dial Quiet"},
    {0x8000000Cu, "Incompatible API Version"},
    {0x8000000Du, "Incompatible Ext Version"},
    {0x8000000Eu, "Ini File Corrupt"},
    {0x8000000Fu, "In Use"},
    {0x80000010u, "Invalid Address"},
    {0x80000011u, "Invalid Address ID"},
    {0x80000012u, "Invalid Address Mode"},
    {0x80000013u, "Invalid Address State"},
    {0x80000014u, "Invalid App Handle"},
    {0x80000015u, "Invalid App Name"},
    {0x80000016u, "Invalid Bearer Mode"},
    {0x80000017u, "Invalid Call Completion Mode"},
    {0x80000018u, "Invalid Call Handle"},
    {0x80000019u, "Invalid Call Params"},
    {0x8000001Au, "Invalid Call Privilege"},
    {0x8000001Bu, "Invalid Call Select"},
    {0x8000001Cu, "Invalid Call State"},
    {0x8000001Du, "Invalid Call State List"},
    {0x8000001Eu, "Invalid Card"},
    {0x8000001Fu, "Invalid Completion ID"},
    {0x80000020u, "Invalid Conf Call Handle"},
    {0x80000021u, "Invalid Consult Call Handle"},
    {0x80000022u, "Invalid Country Code"},
    {0x80000023u, "Invalid Device Class"},
    {0x80000024u, "Invalid Device Handle"},
    {0x80000026u, "Invalid Digit List"},
    {0x80000027u, "Invalid Digit Mode"},
    {0x80000028u, "Invalid Digits"},
    {0x80000029u, "Invalid Ext Version"},
    {0x8000002Au, "Invalid Group ID"},
    {0x8000002Bu, "Invalid Line Handle"},
    {0x8000002Cu, "Invalid Line State"},
    {0x8000002Du, "Invalid Location"},
    {0x8000002Eu, "Invalid Media List"},
    {0x8000002Fu, "Invalid Media Mode"},
    {0x80000030u, "Invalid Message ID"},
    {0x80000032u, "Invalid Param"},
    {0x80000033u, "Invalid Park ID"},
    {0x80000034u, "Invalid Park Mode"},
    {0x80000035u, "Invalid Pointer"},
    {0x80000036u, "Invalid Priv Select"},
    {0x80000037u, "Invalid Rate"},
    {0x80000038u, "Invalid Request Mode"},
    {0x80000039u, "Invalid Terminal ID"},
    {0x8000003Au, "Invalid Terminal Mode"},
    {0x8000003Bu, "Invalid Time Out"},
    {0x8000003Cu, "Invalid Tone"},
    {0x8000003Du, "Invalid Tone List"},
    {0x8000003Eu, "Invalid Tone Mode"},
    {0x8000003Fu, "Invalid Transfer Mode"},
    {0x80000040u, "Line Mapper Failed"},
    {0x80000041u, "No Conference"},
    {0x80000042u, "No Device"},
    {0x80000043u, "No Driver"},
    {0x80000044u, "No Memory"},
    {0x80000045u, "No Request"},
    {0x80000046u, "Not Owner"},
    {0x80000047u, "Not Registered"},
    {0x80000048u, "Operation Failed"},
    {0x80000049u, "Operation Unavailable"},
    {0x8000004Au, "Rate Unavailable"},
    {0x8000004Bu, "Resource Unavailable"},
    {0x8000004Cu, "Request Overrun"},
    {0x8000004Du, "Structure Too Small"},
    {0x8000004Eu, "Target Not found"},
    {0x8000004Fu, "Target Self"},
    {0x80000050u, "Uninitialized"},
    {0x80000051u, "UserUser Info Too Big"},
    {0x80000052u, "Re-init"},
    {0x80000053u, "Address Blocked"},
    {0x80000054u, "Billing Rejected"},
    {0x80000055u, "Invalid Feature"},
    {0x80000056u, "No Multiple Instance"},
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
        return QStringLiteral("Unknown Error");
    return QString::fromLatin1(found->text);
}

} // namespace telvora
