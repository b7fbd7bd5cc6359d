#include "support/SipPeers.h"

#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

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

SipCaller::SipCaller(const QString& displayName, const QString& user, int port)
{
    QFile config(m_dir.filePath(QStringLiteral("config")));
    if (config.open(QIODevice::WriteOnly)) {
        config.write(QStringLiteral("poll_method epoll\n"
                                    "sip_listen 127.0.0.1:%1\n"
                                    "audio_player aubridge,call\n"
                                    "audio_source ausine,440\n"
                                    // The tone source works at 48 kHz in stereo only.
                                    "ausrc_srate 48000\nauplay_srate 48000\nausrc_channels 2\n"
                                    "rtp_ports %2-%3\n"
                                    "dns_server 127.0.0.1:53\n"
                                    "net_interface 127.0.0.1\n"
                                    "module_path /usr/lib/baresip/modules\n"
                                    "module g711.so\nmodule ausine.so\nmodule aubridge.so\n"
                                    "module sndfile.so\nsnd_path %4\n"
                                    "module_app account.so\nmodule_app menu.so\n")
                         .arg(port)
                         .arg(port * 10)
                         .arg(port * 10 + 9)
                         .arg(m_dir.path())
                         .toUtf8());
        config.close();
    }
    QFile accounts(m_dir.filePath(QStringLiteral("accounts")));
    if (accounts.open(QIODevice::WriteOnly)) {
        accounts.write(QStringLiteral("\"%1\" <sip:%2@127.0.0.1:5070>;regint=0;"
                                      "outbound=\"sip:127.0.0.1:5070\"\n")
                           .arg(displayName, user)
                           .toUtf8());
        accounts.close();
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path());
    m_process->setProcessEnvironment(env);
    // Line-buffered, so that what it logs is read as it happens.
    m_process->start(QStringLiteral("stdbuf"),
                     {QStringLiteral("-oL"), QStringLiteral("baresip"), QStringLiteral("-f"),
                      m_dir.path(), QStringLiteral("-e"),
                      QStringLiteral("/dial sip:alice@127.0.0.1:5070")});
    m_process->waitForStarted();
}

SipCaller::~SipCaller()
{
    m_process->terminate();
    if (!m_process->waitForFinished(3000))
        m_process->kill();
    m_process->waitForFinished(1000);
}

QString SipCaller::log()
{
    m_log += QString::fromUtf8(m_process->readAll());
    return m_log;
}

QString SipCaller::heardFile() const
{
    // The recorder names its files by the time and the direction.
    const QStringList files =
        QDir(m_dir.path()).entryList({QStringLiteral("dump-*-dec.wav")}, QDir::Files);
    return files.isEmpty() ? QString() : m_dir.filePath(files.first());
}

QString tonesHeardByPeer()
{
    QFile log(qEnvironmentVariable("TELVORA_PEER_LOGS") + QStringLiteral("/baresip-answer.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return tonesIn(QString::fromUtf8(log.readAll()));
}

QString tonesIn(const QString& log)
{
    // An event in the media is logged at its start (end=0) and at its end; INFO once.
    static const QRegularExpression heard(
        QStringLiteral("received (?:event: '(.)' \\(end=0\\)|DTMF: '(.)')"));
    QString tones;
    auto it = heard.globalMatch(log);
    while (it.hasNext()) {
        const auto match = it.next();
        tones += match.captured(1) + match.captured(2);
    }
    return tones;
}

bool callTimeHasRun(const QString& shown)
{
    static const QRegularExpression time(QStringLiteral("^\\d+:\\d\\d$"));
    return time.match(shown).hasMatch() && shown != QStringLiteral("0:00");
}

} // namespace telvora::test
