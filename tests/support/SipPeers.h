#pragma once

#include <QString>

namespace telvora {
class LineService;
}

namespace telvora::test {

// The SIP test peers that tests/telephony/peers/with-peers starts around a test.

// Adds the account "alice" at the peers' registrar to the service's SIP lines; false when
// it could not be added.
bool addPeerAccount(LineService& lines);
// How many INVITEs to the number the registrar has seen, from its log; -1 when the log
// cannot be read (the test runs outside with-peers).
int invitesTo(const QString& number);

} // namespace telvora::test
