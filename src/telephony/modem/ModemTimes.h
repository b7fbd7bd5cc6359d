#pragma once

// What the modem provider's placed and incoming calls share: how long a modem may take to
// answer, and what the user is told when it does not.

#include <QtGlobal>

namespace telvora::modem {

// V.250 sets no time for a reply; real modems answer in well under a second, but one that
// is busy, behind a slow USB bridge or resetting itself can take seconds.
inline constexpr int kCommandMs = 5000;
// An init string may reset the modem (ATZ, AT&F), which takes the longest of all.
inline constexpr int kInitMs = 15000;
// Longer than any modem waits for an answer (S7 is at most 255 s on most; 60 is usual).
inline constexpr int kDialMs = 120000;
inline constexpr int kHangUpMs = 5000;

inline const char* const kDidNotAnswer =
    QT_TRANSLATE_NOOP("telvora::ModemProvider", "The modem did not answer");
inline const char* const kWentAway =
    QT_TRANSLATE_NOOP("telvora::ModemProvider", "The modem went away");

} // namespace telvora::modem
