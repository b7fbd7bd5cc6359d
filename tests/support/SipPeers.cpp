#include "support/SipPeers.h"

#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QFile>

namespace telvora::test {

bool addPeerAccount(LineService& lines)
{
    auto* sip = dynamic_cast<SipProvider*>(lines.provider(QStringLiteral("sip")));
    if (!sip)
        return false;
    SipAccount alice;
    alice.displayName = QStringLiteral("Alice");
    alice.server = QStringLiteral("127.0.0.1:5070");
    alice.user = QStringLiteral("alice");
    alice.password = QStringLiteral("secret");
    return !sip->addAccount(alice).isEmpty();
}

int invitesTo(const QString& number)
{
    QFile log(qEnvironmentVariable("TELVORA_PEER_LOGS") + QStringLiteral("/kamailio.log"));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    return int(log.readAll().count(QStringLiteral("INVITE to %1 from").arg(number).toUtf8()));
}

} // namespace telvora::test
