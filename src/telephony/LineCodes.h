#pragma once

#include <QString>
#include <QtGlobal>

namespace telvora {

// Where a call is, as its LineCall tells it.
enum class CallState
{
    Placing,   // asked of the line, which has not yet said it is under way
    Dialing,   // under way: dialling, waiting for the network
    Ringing,   // the far end rings
    Connected, // answered
    Ended,     // over, or never placed
};

// How a call ended. Only a call that never reached anyone ends as anything but Answered,
// LineLost or HungUp.
enum class CallEnd
{
    Answered,      // someone answered; the call ended after that
    Busy,          // the far end was busy, or the network was congested
    NoAnswer,      // it rang out
    NoDialTone,    // the line could not start a call
    Declined,      // the far end refused the call
    InvalidNumber, // no such number or address
    Unreachable,   // the far end or its network could not be reached
    LineLost,      // the line itself went away (a modem unplugged, a port closed)
    HungUp,        // we ended it
    Unexplained,   // the line cannot tell why
};

// Why a line refused a call. The values are the codes users see in "Error #" boxes, so
// they stay as they have always been shown; a provider's code that has no name here keeps
// its value and shows as "Unknown Error".
enum class LineError : qint32
{
    None = 0,
    BadDeviceId = qint32(0x80000002u),
    CallUnavailable = qint32(0x80000005u),
    InUse = qint32(0x8000000Fu),
    InvalidAddress = qint32(0x80000010u),
    InvalidCallHandle = qint32(0x80000018u),
    InvalidCallState = qint32(0x8000001Cu),
    NoDevice = qint32(0x80000042u),
    OperationFailed = qint32(0x80000048u),
    OperationUnavailable = qint32(0x80000049u),
    ResourceUnavailable = qint32(0x8000004Bu),
};

// The providers speak in the line service's integer codes; these are the one place where
// those codes become the values above.
CallState callStateFromCode(quint32 state);
CallEnd callEndFromCode(bool answered, quint32 disconnectMode);
LineError lineErrorFromCode(qint32 code);

// The short text shown for an error in boxes and the status bar; every code without a
// text of its own, None included, is "Unknown Error".
QString lineErrorText(LineError error);

} // namespace telvora
