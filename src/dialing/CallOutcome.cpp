#include "dialing/CallOutcome.h"

#include "telephony/mTAPIConsts.h"

namespace telvora {

namespace {
// The network had no room for the call: as good as busy.
constexpr quint32 kCongestion = 0x200;
} // namespace

CallOutcome::End CallOutcome::classify(bool wasConnected, quint32 disconnectMode)
{
    // A line, or a far end, that went away says so even after an answer: the user must
    // know the call was cut rather than ended.
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_UNAVAIL)
        return End::LineGone;
    if (wasConnected && (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_UNREACHABLE))
        return End::LineGone;
    if (wasConnected)
        return End::Answered;
    if (disconnectMode & (mTAPIConsts::LINEDISCONNECTMODE_BUSY | kCongestion))
        return End::Busy;
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_NOANSWER)
        return End::NoAnswer;
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_REJECT)
        return End::Declined;
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_BADADDRESS)
        return End::InvalidNumber;
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_UNREACHABLE)
        return End::Unreachable;
    if (disconnectMode & mTAPIConsts::LINEDISCONNECTMODE_NODIALTONE)
        return End::NoDialTone;
    return End::Unexplained;
}

bool CallOutcome::redial(End end)
{
    switch (end) {
    case End::Busy:
    case End::NoAnswer:
    case End::NoDialTone:
    case End::Unexplained:
        return true;
    case End::Answered:
    case End::Declined:
    case End::InvalidNumber:
    case End::Unreachable:
    case End::LineGone:
        return false;
    }
    return false;
}

QString CallOutcome::statusText(End end)
{
    switch (end) {
    case End::Busy:
        return QStringLiteral("Last Status : Busy");
    case End::NoAnswer:
        return QStringLiteral("Last Status : No Answer");
    case End::NoDialTone:
        return QStringLiteral("Last Status : No Dial Tone");
    case End::Unexplained:
        return QStringLiteral("Last Status : Call Dropped");
    case End::Answered:
        return QStringLiteral("Last Status : Call Ended");
    case End::Declined:
        return QStringLiteral("Last Status : Declined");
    case End::InvalidNumber:
        return QStringLiteral("Last Status : Invalid Number");
    case End::Unreachable:
        return QStringLiteral("Last Status : Unreachable");
    case End::LineGone:
        return QStringLiteral("Last Status : Line Lost");
    }
    return {};
}

} // namespace telvora
