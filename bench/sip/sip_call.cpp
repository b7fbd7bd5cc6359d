// A connected SIP call: how long a key press takes to become a touch-tone event on the
// wire, and what the call costs while it is up (wake-ups and CPU per second, resident
// memory). The call goes to the answering baresip of the test peers; the tone events are
// watched on the loopback device itself (a packet socket, which the private namespace
// allows), as RTP telephone events (RFC 4733):
//   tests/telephony/peers/with-peers build/bench/sip/sip_call [TONES] [SECONDS]
#include "ProcessCost.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <linux/if_ether.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace telvora;
using namespace telvora::bench;

namespace {

// Whether a datagram seen on loopback is an RTP telephone event for this digit: UDP, an
// RTP header, a dynamic payload type and a four-byte event whose code is the digit's.
bool isToneEvent(const unsigned char* packet, ssize_t size, int code)
{
    if (size < 20 || (packet[0] >> 4) != 4 || packet[9] != 17)
        return false;
    const int ipHeader = (packet[0] & 0x0f) * 4;
    const unsigned char* rtp = packet + ipHeader + 8;
    const ssize_t rtpSize = size - ipHeader - 8;
    if (rtpSize != 12 + 4 || (rtp[0] >> 6) != 2)
        return false;
    const int payloadType = rtp[1] & 0x7f;
    return payloadType >= 96 && rtp[12] == code;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    qputenv("HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    const int tones = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    const int sniffer = ::socket(AF_PACKET, SOCK_DGRAM, htons(ETH_P_IP));
    if (sniffer < 0) {
        std::perror("packet socket (run me under with-peers)");
        return 1;
    }
    sockaddr_ll lo{};
    lo.sll_family = AF_PACKET;
    lo.sll_protocol = htons(ETH_P_IP);
    lo.sll_ifindex = static_cast<int>(if_nametoindex("lo"));
    if (::bind(sniffer, reinterpret_cast<sockaddr*>(&lo), sizeof lo) != 0) {
        std::perror("bind to lo");
        return 1;
    }

    SipAccount account;
    account.id = QStringLiteral("caller");
    account.server = QStringLiteral("127.0.0.1:5070");
    account.user = QStringLiteral("caller");
    account.password = QStringLiteral("secret");
    account.registerEnabled = false;
    if (!SipAccountStore().save({account})) {
        std::fprintf(stderr, "cannot write the accounts file\n");
        return 1;
    }
    LineService lines;
    const auto listed = lines.listLines();
    const auto line = std::find_if(listed.cbegin(), listed.cend(), [](const auto& l) {
        return l.provider->kind() == QLatin1String("sip");
    });
    if (line == listed.cend())
        return 1;
    auto call = lines.placeCall(*line, QStringLiteral("1234"));
    QElapsedTimer wait;
    wait.start();
    while (call->state() != CallState::Connected && !call->isEnded() && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    if (call->state() != CallState::Connected) {
        std::fprintf(stderr, "the call was not answered\n");
        return 1;
    }
    // The media settle first.
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();

    std::vector<double> latencies;
    unsigned char packet[2048];
    for (int i = 0; i < tones; ++i) {
        const int digit = i % 10;
        // What is left of the last tone's packets goes first.
        while (::recv(sniffer, packet, sizeof packet, MSG_DONTWAIT) > 0) {
        }
        QElapsedTimer keyToWire;
        keyToWire.start();
        call->sendTones(QString::number(digit));
        bool seen = false;
        while (!seen && keyToWire.elapsed() < 1000) {
            // The stack sends from its iteration: the event loop runs while we watch.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            pollfd fd{sniffer, POLLIN, 0};
            if (::poll(&fd, 1, 1) > 0) {
                const ssize_t size = ::recv(sniffer, packet, sizeof packet, 0);
                seen = isToneEvent(packet, size, digit);
            }
        }
        if (seen)
            latencies.push_back(static_cast<double>(keyToWire.nsecsElapsed()) / 1e6);
        // Tones a person presses are a few hundred milliseconds apart.
        QTimer::singleShot(300, &app, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
    ::close(sniffer);
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::fprintf(stderr, "no tone event was seen on the wire\n");
        return 1;
    }
    std::printf("key press to tone event on the wire, %zu of %d tones: median %.1f ms, "
                "max %.1f ms\n",
                latencies.size(), tones, latencies[latencies.size() / 2], latencies.back());

    const long long switchesBefore = contextSwitches();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("connected call for %.0f s: %.1f wake-ups/s, CPU %.2f %%, RSS %lld KiB, "
                "still connected: %s\n",
                elapsed, static_cast<double>(contextSwitches() - switchesBefore) / elapsed,
                (cpuSeconds() - cpuBefore) / elapsed * 100.0, residentKiB(),
                call->state() == CallState::Connected ? "yes" : "no");
    call->hangUp();
    return 0;
}
