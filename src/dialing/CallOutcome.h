#pragma once

#include "telephony/LineCodes.h"

#include <QString>

namespace telvora {

// What the dial run makes of how an attempt ended: whether it calls for another attempt,
// and what the status bar says.
struct CallOutcome
{
    // Only an attempt that never reached anyone, for a reason that may pass, is redialled.
    static bool redial(CallEnd end);
    // The status bar's text for the end of an attempt.
    static QString statusText(CallEnd end);
    // The word the call log stores for it, one per status text.
    static QString logWord(CallEnd end);
};

} // namespace telvora
