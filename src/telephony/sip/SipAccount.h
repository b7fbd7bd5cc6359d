#pragma once

#include <QString>

namespace telvora {

// One SIP account; each is one line device.
struct SipAccount
{
    enum class Transport
    {
        Udp,
        Tcp,
        Tls,
    };

    QString id; // stable key of the line, made when the account is added
    QString displayName;
    QString server; // host or host:port of the registrar and proxy
    QString user;
    QString password;
    Transport transport = Transport::Udp;
    QString outboundProxy; // host or host:port; empty for none
    bool registerEnabled = true;
    // A call that hears nothing from the far side for this long ends as unreachable, so a
    // dead address does not hold an attempt for the protocol's 32 seconds.
    int responseTimeoutSecs = 10;

    friend bool operator==(const SipAccount&, const SipAccount&) = default;
};

} // namespace telvora
