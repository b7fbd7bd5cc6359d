#pragma once

#include "telephony/sip/SipAccount.h"

#include <QString>

namespace telvora {

// The checks of an account's texts that need no SIP stack; the addresses themselves are
// made by the stack (stack/LinphoneAddress.h).

// Whether the text is exactly a host name, an IPv4 address or a bracketed IPv6 address,
// with or without a port: cheap enough to check thousands of accounts with.
bool isHostPort(const QString& text);

// Whether the text holds a control character (a line break, a tab, NUL...).
bool hasControlCharacter(const QString& text);

} // namespace telvora
