#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

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
// The touch tones the answering baresip peer logged, in order of arrival, whether they came
// as telephone events in the media or as SIP INFO requests.
QString tonesHeardByPeer();
// The touch tones a baresip logged, in order of arrival.
QString tonesIn(const QString& log);
// Whether a call's time, as the status bar shows it, has run past its first second. A
// busy machine may take seconds over a test's checks, so the exact second is not the point.
bool callTimeHasRun(const QString& shown);

// A baresip that calls the account "alice" through the peers' registrar as soon as it
// starts, from its own port, with the caller's name and user (a number, say) given. It
// sends a 440 Hz tone and keeps what it hears in a wav file (heardFile).
class SipCaller
{
public:
    SipCaller(const QString& displayName, const QString& user, int port);
    ~SipCaller();
    // What it logged so far.
    QString log();
    bool heard(const QString& text) { return log().contains(text); }
    // The sound it received on its call; empty before the call's media ran.
    QString heardFile() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_log;
};

} // namespace telvora::test
