#pragma once

#include "telephony/sip/SipAccount.h"

#include <QString>
#include <memory>

namespace linphone {
class Address;
}

namespace telvora {

// Every SIP address the program sends is made here, piece by piece through the SIP stack's
// own address type, which escapes what a user part or a display name needs escaped: no
// field is ever pasted into the text of an address.

// sip:host or sip:host:port (with the transport as a parameter unless it is UDP), or null
// when the text is not exactly a host or host:port.
std::shared_ptr<linphone::Address> sipHostAddress(const QString& hostPort,
                                                  SipAccount::Transport transport);

// The account's own address, with its display name, or null when the account has a problem.
std::shared_ptr<linphone::Address> sipIdentityAddress(const SipAccount& account);

// The address a number is dialled at through an account, or null when nothing is left to
// dial. Blanks, dashes, dots and brackets are taken out of a number, which then goes to the
// account's server as the user part (a # or any other character is escaped, never sent
// raw); a tel: number goes to the server as a telephone number. A text that already is a
// SIP address (a sip: or sips: address, or user@host) is dialled as it is, unless it holds
// what no address may: control characters, blanks, angle brackets, quotes or headers.
std::shared_ptr<linphone::Address> sipDialAddress(const QString& number, const SipAccount& account);

// The same as text, for showing; empty when nothing is left to dial.
QString sipAddressFor(const QString& number, const SipAccount& account);

// How numbers dialled on the account are addressed, "<number>" standing for the number.
QString sipAddressPattern(const SipAccount& account);

} // namespace telvora
