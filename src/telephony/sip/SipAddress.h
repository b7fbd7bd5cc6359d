#pragma once

#include "telephony/sip/SipAccount.h"

#include <QString>

namespace telvora {

// The SIP address a number is dialled at through an account. Blanks, dashes, dots and
// brackets are taken out of a number, which then goes to the account's server; a text that
// already is a SIP address (a sip: or sips: address, or user@host) is dialled as it is.
// Empty when nothing is left to dial.
QString sipAddressFor(const QString& number, const SipAccount& account);

} // namespace telvora
