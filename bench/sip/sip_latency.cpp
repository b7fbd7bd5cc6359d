// Measures a SIP line the way the dial run uses it, against a minimal SIP server in this
// process that answers every INVITE with 486 Busy Here at once:
//   click to INVITE   from the user's click (the dial run looks at the lines and places
//                     the call) to the INVITE arriving at the server;
//   INVITE to busy    from the INVITE's arrival to the call's ended signal;
//   idle CPU and RSS  of the process with no line at all, and with one SIP account whose
//                     stack is running.
// It must run where loopback is the only network, e.g.
//   unshare -n sh -c 'ip link set lo up; build/bench/sip/sip_latency'
#include "ProcessCost.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace telvora;
using namespace telvora::bench;
using Clock = std::chrono::steady_clock;

namespace {

// Answers INVITEs with 486 on its own thread, so the answer does not wait for the event
// loop under test, and records when each INVITE arrived.
class BusyServer
{
public:
    bool start()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        socklen_t size = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        timeval timeout{0, 200000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        m_thread = std::thread([this] { run(); });
        return true;
    }
    ~BusyServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    Clock::time_point lastInvite() const
    {
        return Clock::time_point(Clock::duration(m_lastInvite.load()));
    }
    int invites() const { return m_invites.load(); }

private:
    void run()
    {
        std::vector<char> buffer(65536);
        while (!m_stop) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n = ::recvfrom(m_fd, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), &size);
            if (n <= 0)
                continue;
            const QByteArray request(buffer.data(), n);
            if (!request.startsWith("INVITE "))
                continue;
            m_lastInvite = Clock::now().time_since_epoch().count();
            ++m_invites;
            QByteArray reply = "SIP/2.0 486 Busy Here\r\n";
            for (const QByteArray& line : request.split('\n')) {
                const QByteArray header = line.trimmed();
                const QByteArray name = header.left(header.indexOf(':')).toLower();
                if (name == "via" || name == "from" || name == "call-id" || name == "cseq")
                    reply += header + "\r\n";
                else if (name == "to")
                    reply += header + ";tag=bench\r\n";
            }
            reply += "Content-Length: 0\r\n\r\n";
            ::sendto(m_fd, reply.constData(), static_cast<size_t>(reply.size()), 0,
                     reinterpret_cast<sockaddr*>(&from), size);
        }
    }

    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Clock::rep> m_lastInvite{0};
    std::atomic<int> m_invites{0};
    std::thread m_thread;
};

// CPU share and resident memory while the event loop runs idle for the given time.
void idleFigures(const char* what, int seconds)
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double cpu = (cpuSeconds() - cpuBefore) / (static_cast<double>(wall.elapsed()) / 1000.0);
    std::printf("idle, %-22s CPU %5.2f %%   RSS %6.1f MB\n", what, cpu * 100.0,
                static_cast<double>(residentKiB()) / 1024.0);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void printFigure(const char* what, const std::vector<double>& ms)
{
    std::printf("%-28s median %6.2f ms   p90 %6.2f ms   min %6.2f ms   (n = %zu)\n", what,
                percentile(ms, 0.5), percentile(ms, 0.9), *std::min_element(ms.begin(), ms.end()),
                ms.size());
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    // Without the modem lines' search of the machine's serial ports, to tell it apart.
    if (qEnvironmentVariableIsSet("SIP_LATENCY_NO_PORT_SEARCH")) {
        QFile modems(home.filePath(QStringLiteral("modems.json")));
        if (!modems.open(QIODevice::WriteOnly) || modems.write("{\"scan\": false}") < 0)
            return 1;
    }
    const int attempts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    BusyServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }

    // No line at all: the service finds nothing and nothing starts.
    LineService lines;
    if (!lines.listLines().isEmpty()) {
        std::fprintf(stderr, "expected no lines in a fresh home\n");
        return 1;
    }
    idleFigures("no line:", idleSeconds);

    auto* sip = dynamic_cast<SipProvider*>(lines.provider(QStringLiteral("sip")));
    SipAccount account;
    account.displayName = QStringLiteral("Bench");
    account.server = QStringLiteral("127.0.0.1:%1").arg(server.port());
    account.user = QStringLiteral("bench");
    account.registerEnabled = false;
    if (!sip || sip->addAccount(account).isEmpty()) {
        std::fprintf(stderr, "cannot add the account\n");
        return 1;
    }

    // As the program does once it has started: the stack starts from the event loop, before
    // anyone dials.
    lines.startUp();
    QElapsedTimer starting;
    starting.start();
    while (!sip->isStarted() && starting.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::vector<double> clickToInvite;
    std::vector<double> inviteToBusy;
    // The first attempt is reported on its own: without the start above it would start the
    // SIP stack.
    double firstClickToInvite = 0;
    for (int attempt = 0; attempt <= attempts; ++attempt) {
        const int invitesBefore = server.invites();
        bool busy = false;
        Clock::time_point disconnectedAt;
        const Clock::time_point click = Clock::now();
        const QList<LineService::ListedLine> listed = lines.listLines();
        if (listed.isEmpty()) {
            std::fprintf(stderr, "attempt %d found no line\n", attempt);
            return 1;
        }
        const std::unique_ptr<LineCall> call =
            lines.placeCall(listed.first(), QStringLiteral("9001"));
        bool idle = false;
        QObject::connect(call.get(), &LineCall::ended, [&](CallEnd end) {
            disconnectedAt = Clock::now();
            busy = end == CallEnd::Busy;
            idle = true;
        });
        if (call->isEnded()) {
            std::fprintf(stderr, "attempt %d could not be placed\n", attempt);
            return 1;
        }
        QElapsedTimer guard;
        guard.start();
        while (!idle && guard.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (!idle || !busy || server.invites() != invitesBefore + 1) {
            std::fprintf(stderr, "attempt %d did not end busy\n", attempt);
            return 1;
        }
        const auto toMs = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        const double toInvite = toMs(server.lastInvite() - click);
        if (attempt == 0) {
            firstClickToInvite = toInvite;
            continue;
        }
        clickToInvite.push_back(toInvite);
        inviteToBusy.push_back(toMs(disconnectedAt - server.lastInvite()));
    }
    std::printf("%-28s %6.2f ms\n", "first click to INVITE", firstClickToInvite);
    printFigure("click to INVITE", clickToInvite);
    printFigure("INVITE to busy reported", inviteToBusy);
    idleFigures("one SIP account:", idleSeconds);
    return 0;
}
