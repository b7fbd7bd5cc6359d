#pragma once

#include <QString>
#include <optional>

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

    // The fields a problem can be found in, so that a window can point at the right one.
    enum class Field
    {
        Id,
        DisplayName,
        Server,
        User,
        Password,
        OutboundProxy,
    };
    struct Problem
    {
        Field field;
        QString text; // a sentence that names the field
    };

    QString id; // stable key of the line, made when the account is added
    QString displayName;
    QString server; // host or host:port of the registrar and proxy
    QString user;
    QString password;
    Transport transport = Transport::Udp;
    QString outboundProxy; // host or host:port; empty for none
    bool registerEnabled = true;
    // A global number from a link (+49...) goes to the server as a caller in the Setup
    // window's country dials it (030..., 0033...), for servers that take no +.
    bool nationalNumbers = false;
    // A call that hears nothing from the far side for this long ends as unreachable, so a
    // dead address does not hold an attempt for the protocol's 32 seconds.
    int responseTimeoutSecs = 10;
    // Touch tones go as SIP INFO requests instead of telephone events in the media, for
    // servers and far ends that drop the events.
    bool tonesAsInfo = false;

    // Why the account cannot be handed to the SIP stack as it is, if it cannot. Every field
    // ends up inside a message (an address, a header, the digest), so a line break or any
    // other control character would let the field write headers of its own; a server or a
    // proxy must be exactly a host or host:port. Whether the fields a working account needs
    // are filled in is the settings window's business, not this check's.
    std::optional<Problem> problem() const;

    friend bool operator==(const SipAccount&, const SipAccount&) = default;
};

} // namespace telvora
