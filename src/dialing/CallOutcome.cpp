#include "dialing/CallOutcome.h"

#include "store/CallLog.h"

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

QString CallOutcome::logWord(CallEnd end)
{
    switch (end) {
    case CallEnd::Answered:
        return QLatin1String(outcome::kAnswered);
    case CallEnd::Busy:
        return QLatin1String(outcome::kBusy);
    case CallEnd::NoAnswer:
        return QLatin1String(outcome::kNoAnswer);
    case CallEnd::NoDialTone:
        return QLatin1String(outcome::kNoDialTone);
    case CallEnd::Unexplained:
        return QLatin1String(outcome::kDropped);
    case CallEnd::Declined:
        return QLatin1String(outcome::kDeclined);
    case CallEnd::InvalidNumber:
        return QLatin1String(outcome::kInvalid);
    case CallEnd::Unreachable:
        return QLatin1String(outcome::kUnreachable);
    case CallEnd::LineLost:
        return QLatin1String(outcome::kLineLost);
    case CallEnd::HungUp:
        return QLatin1String(outcome::kHungUp);
    }
    return QLatin1String(outcome::kFailed);
}

} // namespace telvora
