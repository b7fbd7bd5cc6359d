#include "sync/SyncService.h"

#include "store/PhoneBook.h"
#include "ui/Prompt.h"

#include <QLocale>
#include <QSqlQuery>

namespace telvora {

SyncService::SyncService(PhoneBook& book, Prompt& prompt, QObject* parent)
    : QObject(parent), m_book(book), m_prompt(prompt), m_engine(book)
{
    m_periodic.setInterval(5 * 60 * 1000);
    m_afterEdit.setInterval(2000);
    m_afterEdit.setSingleShot(true);
    m_watch.setInterval(1000);
    connect(&m_periodic, &QTimer::timeout, this, [this] { startSync(false); });
    connect(&m_afterEdit, &QTimer::timeout, this, [this] { startSync(false); });
    connect(&m_watch, &QTimer::timeout, this, &SyncService::lookForChanges);
    connect(&m_engine, &SyncEngine::finished, this, &SyncService::finished);
    connect(&m_engine, &SyncEngine::bookChanged, this, &SyncService::bookChanged);
    setStatus(tr("No address book server is set up."));
}

void SyncService::configure(const SyncSettings& settings)
{
    m_settings = settings;
    if (!settings.configured()) {
        m_periodic.stop();
        m_watch.stop();
        m_afterEdit.stop();
        setStatus(tr("No address book server is set up."));
        return;
    }
    m_engine.setAccount({settings.server, settings.user, settings.password, settings.certificate},
                        settings.addressBook);
    m_periodic.start();
    m_watch.start();
    startSync(false);
}

void SyncService::syncNow()
{
    startSync(true);
}

void SyncService::startSync(bool userAsked)
{
    if (!m_settings.configured() || !m_book.isWritable())
        return;
    // Once the sync ends: a sync already running asks only when either was asked for.
    m_userAsked = userAsked || (m_engine.isSyncing() && m_userAsked);
    m_afterEdit.stop();
    setStatus(tr("Syncing with the address book server..."));
    m_engine.sync();
}

// Changes this program made (SQLite's count of changed rows on the connection) and changes
// other programs made (the file's data version), read without touching the tables.
std::pair<qint64, qint64> SyncService::changeCounters() const
{
    QSqlQuery query(m_book.database());
    qint64 own = -1, others = -1;
    if (query.exec(QStringLiteral("SELECT total_changes()")) && query.next())
        own = query.value(0).toLongLong();
    if (query.exec(QStringLiteral("PRAGMA data_version")) && query.next())
        others = query.value(0).toLongLong();
    return {own, others};
}

void SyncService::lookForChanges()
{
    if (m_engine.isSyncing() || !m_book.isOpen())
        return;
    const auto now = changeCounters();
    if (m_seen.first >= 0 && now != m_seen)
        m_afterEdit.start(); // restarted by each change: two seconds after the last one
    m_seen = now;
}

void SyncService::finished(const SyncReport& report)
{
    // What the sync itself wrote is no edit to send.
    m_seen = changeCounters();
    const DavError& error = report.error;
    const bool ask =
        (error.kind == DavError::Kind::ForeignRedirect && error.target.isValid()) ||
        (error.kind == DavError::Kind::Certificate && !error.certificateFingerprint.isEmpty()) ||
        error.kind == DavError::Kind::SuspectDeletion;
    const QString time = QLocale().toString(report.finished.time(), QLocale::ShortFormat);
    QString text = report.ok() ? tr("Address book synced at %1.").arg(time)
                   : ask ? tr("Address book sync stopped at %1: %2").arg(time, error.message())
                         : tr("Address book sync failed at %1: %2").arg(time, error.message());
    const int pending = m_engine.pendingChanges();
    // Edits made while the sync ran are sent two seconds later; once, so that a change the
    // server keeps refusing does not send it round and round.
    if (report.ok() && pending > 0 && !m_retried)
        m_afterEdit.start();
    m_retried = report.ok() && pending > 0 && !m_retried;
    if (pending > 0)
        text += QLatin1Char(' ') + tr("%n change(s) waiting to be sent.", nullptr, pending);
    if (!report.conflicts.isEmpty())
        text += QLatin1Char(' ') + report.conflicts.join(QLatin1Char(' '));
    if (!report.skipped.isEmpty())
        text += QLatin1Char(' ') +
                tr("Cards not taken: %1").arg(report.skipped.join(QStringLiteral("; ")));
    if (ask)
        text += QLatin1Char(' ') + tr("A question waits for your answer.");
    setStatus(text);
    if (!ask)
        return;
    m_question = error;
    emit questionChanged(true);
    if (m_userAsked)
        QTimer::singleShot(0, this, &SyncService::answerQuestion);
}

namespace {

QUrl movedTo(QUrl url, const QUrl& target)
{
    url.setScheme(target.scheme());
    url.setHost(target.host());
    url.setPort(target.port());
    return url;
}

bool samePath(const QUrl& a, const QUrl& b)
{
    QString first = a.path(QUrl::FullyEncoded), second = b.path(QUrl::FullyEncoded);
    while (first.endsWith(QLatin1Char('/')))
        first.chop(1);
    while (second.endsWith(QLatin1Char('/')))
        second.chop(1);
    return first == second;
}

} // namespace

void SyncService::answerQuestion()
{
    if (!m_question)
        return;
    const DavError error = *m_question;
    m_question.reset();
    emit questionChanged(false);
    if (error.kind == DavError::Kind::SuspectDeletion) {
        // Either answer is a decision the sync goes on with: no keeps the names and sends
        // them to the server again.
        const bool deleteHere =
            m_prompt.messageBox(error.message() + QStringLiteral("\n\n") +
                                    tr("Delete them here too? If not, they are sent to the "
                                       "server again."),
                                Prompt::Buttons::YesNo, Prompt::Icon::Warning,
                                tr("Address book server")) == Prompt::Answer::Yes;
        m_engine.decideDeletions(deleteHere);
        startSync(true);
        return;
    }
    SyncSettings next = m_settings;
    QString text;
    if (error.kind == DavError::Kind::ForeignRedirect) {
        text = tr("The address book server sends the sync on to another address:\n%1\n\nThe "
                  "password was not sent there. Sync with this address from now on and send "
                  "the password there?")
                   .arg(error.target.toDisplayString());
        next.server = movedTo(m_settings.server, error.target);
        // The address book itself moved, or the whole server with its paths.
        next.addressBook = samePath(error.source, m_settings.addressBook)
                               ? error.target
                               : movedTo(m_settings.addressBook, error.target);
    } else {
        text = (m_settings.certificate.isEmpty()
                    ? tr("The server's certificate is not trusted by this system.")
                    : tr("The server's certificate has changed since you accepted it.\n\n"
                         "Accepted before (SHA-256):\n%1")
                          .arg(DavError::fingerprintText(m_settings.certificate))) +
               QStringLiteral("\n\n") +
               tr("Shown now (SHA-256):\n%1\n\nTrust this certificate for this server?")
                   .arg(DavError::fingerprintText(error.certificateFingerprint));
        next.certificate = error.certificateFingerprint;
    }
    if (m_prompt.messageBox(text, Prompt::Buttons::YesNo, Prompt::Icon::Warning,
                            tr("Address book server")) != Prompt::Answer::Yes)
        return;
    if (m_save && !m_save(next)) {
        m_prompt.messageBox(tr("The address book server's settings could not be saved."),
                            Prompt::Buttons::Ok, Prompt::Icon::Critical, tr("Address book server"));
        return;
    }
    configure(next);
}

void SyncService::setStatus(const QString& text)
{
    m_status = text;
    emit statusChanged(text);
}

} // namespace telvora
