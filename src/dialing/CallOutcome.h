#pragma once

#include <QString>

namespace telvora {

// How an attempt ended, told from the line's disconnect reason and whether the call was
// ever answered; and whether that end calls for another attempt.
struct CallOutcome
{
    enum class End
    {
        Busy,          // the far end was busy, or the network was congested
        NoAnswer,      // it rang out
        NoDialTone,    // the line could not start a call
        Unexplained,   // the line cannot tell why
        Answered,      // someone answered; the call ended after that
        Declined,      // the far end refused the call
        InvalidNumber, // no such number or address
        Unreachable,   // the far end or its network could not be reached
        LineGone,      // the line itself went away (a modem unplugged, a port closed)
    };

    static End classify(bool wasConnected, quint32 disconnectMode);
    // Only an attempt that never reached anyone, for a reason that may pass, is redialled.
    static bool redial(End end);
    // The status bar's text for the end of an attempt.
    static QString statusText(End end);
};

} // namespace telvora
