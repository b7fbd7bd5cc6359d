#include "call/IncomingCalls.h"

#include "call/AlertSound.h"
#include "call/DesktopNotifier.h"
#include "call/IncomingCallWindow.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/cellular/CellularProvider.h"
#include "telephony/modem/ModemProvider.h"
#include "telephony/sip/SipProvider.h"

#include <QMediaDevices>

namespace telvora {

IncomingCalls::IncomingCalls(LineService& lines, std::function<QString(const QString&)> lookup,
                             std::function<bool()> busy, QWidget* windowParent, QObject* parent)
    : QObject(parent), m_lines(lines), m_lookup(std::move(lookup)), m_busy(std::move(busy)),
      m_windowParent(windowParent)
{
    m_ring = new AlertSound(this);
    m_sip = dynamic_cast<SipProvider*>(lines.provider(QStringLiteral("sip")));
    if (m_sip) {
        // A headset plugged in or taken away reaches the SIP stack's lists at once.
        auto* media = new QMediaDevices(this);
        connect(media, &QMediaDevices::audioInputsChanged, this,
                [this] { m_sip->soundDevices().reload(); });
        connect(media, &QMediaDevices::audioOutputsChanged, this,
                [this] { m_sip->soundDevices().reload(); });
    }
    watch(m_sip);
    watch(dynamic_cast<ModemProvider*>(lines.provider(QStringLiteral("modem"))));
    watch(dynamic_cast<CellularProvider*>(lines.provider(QStringLiteral("cellular"))));
}

template <typename Provider> void IncomingCalls::watch(Provider* provider)
{
    if (!provider)
        return;
    // A provider reports from inside its own work; windows open from the event loop.
    connect(
        provider, &Provider::incomingCall, this,
        [this, provider](const QString& name, const QString& number) {
            offered(*provider, name, number);
        },
        Qt::QueuedConnection);
    connect(
        provider, &Provider::incomingConnected, this, [this, provider] { connected(*provider); },
        Qt::QueuedConnection);
    connect(
        provider, &Provider::incomingEnded, this, [this, provider] { ended(*provider); },
        Qt::QueuedConnection);
}

IncomingCalls::~IncomingCalls()
{
    delete m_window;
}

IncomingCallWindow* IncomingCalls::window() const
{
    return m_window;
}

void IncomingCalls::offered(LineProvider& provider, const QString& callerName,
                            const QString& callerNumber)
{
    const QString number = DesktopNotifier::plainLine(callerNumber, 64);
    if (m_offering && m_offering != &provider) {
        // One call at a time, whatever line it comes on.
        provider.declineIncoming(true);
        return;
    }
    // Over before the window could open: the end's report follows and logs it.
    m_offering = &provider;
    m_record = CallRecord{};
    m_record->started = QDateTime::currentDateTimeUtc();
    m_record->number = number;
    m_record->line = QStringLiteral("SIP");
    if (&provider != m_sip) {
        const QString key = provider.incomingLine();
        for (const LineService::ListedLine& line : m_lines.listLines()) {
            if (line.provider == &provider && line.line.key == key)
                m_record->line = DesktopNotifier::plainLine(line.line.caps.lineName);
        }
    }
    m_declined = false;
    m_talk.invalidate();
    if (!provider.hasIncoming())
        return;
    if (m_busy && m_busy()) {
        provider.declineIncoming(true);
        return;
    }
    QString name = m_lookup ? DesktopNotifier::plainLine(m_lookup(callerNumber)) : QString();
    if (name.isEmpty())
        name = DesktopNotifier::plainLine(callerName);
    if (name.isEmpty())
        name = number;
    delete m_window;
    m_window = new IncomingCallWindow(m_windowParent);
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->showCaller(name, number);
    connect(m_window, &IncomingCallWindow::answerClicked, this,
            [this] { m_offering->answerIncoming(); });
    connect(m_window, &IncomingCallWindow::declineClicked, this, [this] {
        m_declined = !m_talk.isValid();
        m_offering->hangUpIncoming();
    });
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    // On the chosen ringing device while it is there, else on the default output.
    QString ringer;
    if (m_sip) {
        const SipSoundDevices& devices = m_sip->soundDevices();
        ringer = devices.choice().ringer;
        if (devices.inUse(SipSoundDevices::Role::Ringer) != ringer)
            ringer.clear();
    }
    m_ring->setOutput(ringer);
    m_ring->ring();
}

void IncomingCalls::hangUp()
{
    if (m_record && m_talk.isValid() && m_offering)
        m_offering->hangUpIncoming();
}

void IncomingCalls::connected(LineProvider& provider)
{
    if (&provider != m_offering)
        return;
    m_ring->stop();
    m_talk.start();
    if (m_window)
        m_window->showConnected();
    // From here on it is a connected call like any other: the keypad sends tones, the
    // microphone mutes, the status bar counts the time.
    const QString key = provider.incomingLine();
    for (const LineService::ListedLine& line : m_lines.listLines()) {
        if (line.provider != &provider || line.line.key != key)
            continue;
        std::unique_ptr<LineCall> call =
            m_lines.adoptIncoming(line, m_record ? m_record->number : QString());
        if (call->isEnded())
            return;
        LineCall* followed = call.release();
        followed->setParent(this);
        connect(followed, &LineCall::ended, followed, &QObject::deleteLater);
        emit answered(followed);
        return;
    }
}

void IncomingCalls::ended(LineProvider& provider)
{
    if (&provider != m_offering)
        return;
    m_offering = nullptr;
    m_ring->stop();
    if (m_window) {
        // Hidden first, so that its close does not decline a call that is already over.
        m_window->hide();
        m_window->deleteLater();
    }
    if (!m_record)
        return;
    CallRecord record = *m_record;
    m_record.reset();
    record.ended = QDateTime::currentDateTimeUtc();
    // A call turned away as busy was never seen: missed, as one the caller gave up on.
    record.outcome = QLatin1String(m_talk.isValid() ? outcome::kAnswered
                                   : m_declined     ? outcome::kDeclined
                                                    : outcome::kMissed);
    record.talkSeconds = m_talk.isValid() ? (m_talk.elapsed() + 500) / 1000 : 0;
    m_talk.invalidate();
    emit callEnded(record);
}

} // namespace telvora
