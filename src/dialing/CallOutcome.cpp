#include "dialing/CallOutcome.h"

namespace telvora {

bool CallOutcome::redial(CallEnd end)
{
    switch (end) {
    case CallEnd::Busy:
    case CallEnd::NoAnswer:
    case CallEnd::NoDialTone:
    case CallEnd::Unexplained:
        return true;
    case CallEnd::Answered:
    case CallEnd::Declined:
    case CallEnd::InvalidNumber:
    case CallEnd::Unreachable:
    case CallEnd::LineLost:
    case CallEnd::HungUp:
        return false;
    }
    return false;
}

QString CallOutcome::statusText(CallEnd end)
{
    switch (end) {
    case CallEnd::Busy:
        return QStringLiteral("Last Status : Busy");
    case CallEnd::NoAnswer:
        return QStringLiteral("Last Status : No Answer");
    case CallEnd::NoDialTone:
        return QStringLiteral("Last Status : No Dial Tone");
    case CallEnd::Unexplained:
        return QStringLiteral("Last Status : Call Dropped");
    case CallEnd::Answered:
        return QStringLiteral("Last Status : Call Ended");
    case CallEnd::Declined:
        return QStringLiteral("Last Status : Declined");
    case CallEnd::InvalidNumber:
        return QStringLiteral("Last Status : Invalid Number");
    case CallEnd::Unreachable:
        return QStringLiteral("Last Status : Unreachable");
    case CallEnd::LineLost:
        return QStringLiteral("Last Status : Line Lost");
    case CallEnd::HungUp:
        return QStringLiteral("Last Status :  User Hang UP");
    }
    return {};
}

} // namespace telvora
