#include "dialing/CallOutcome.h"

#include <QCoreApplication>

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
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Busy");
    case CallEnd::NoAnswer:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : No Answer");
    case CallEnd::NoDialTone:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : No Dial Tone");
    case CallEnd::Unexplained:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Call Dropped");
    case CallEnd::Answered:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Call Ended");
    case CallEnd::Declined:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Declined");
    case CallEnd::InvalidNumber:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Invalid Number");
    case CallEnd::Unreachable:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Unreachable");
    case CallEnd::LineLost:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status : Line Lost");
    case CallEnd::HungUp:
        return QCoreApplication::translate("telvora::CallOutcome", "Last Status :  User Hang UP");
    }
    return {};
}

} // namespace telvora
