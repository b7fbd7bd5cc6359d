#include "sync/SyncService.h"

#include "store/PhoneBook.h"

#include <QLocale>
#include <QSqlQuery>

namespace telvora {

SyncService::SyncService(PhoneBook& book, Prompt& prompt, QObject* parent)
    : QObject(parent), m_book(book), m_engine(book, prompt)
{
    m_periodic.setInterval(5 * 60 * 1000);
    m_afterEdit.setInterval(2000);
    m_afterEdit.setSingleShot(true);
    m_watch.setInterval(1000);
    connect(&m_periodic, &QTimer::timeout, this, &SyncService::syncNow);
    connect(&m_afterEdit, &QTimer::timeout, this, &SyncService::syncNow);
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
    syncNow();
}

void SyncService::syncNow()
{
    if (!m_settings.configured() || !m_book.isWritable())
        return;
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
    const QString time = QLocale().toString(report.finished.time(), QLocale::ShortFormat);
    QString text = report.ok()
                       ? tr("Address book synced at %1.").arg(time)
                       : tr("Address book sync failed at %1: %2").arg(time, report.error.message());
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
    setStatus(text);
}

void SyncService::setStatus(const QString& text)
{
    m_status = text;
    emit statusChanged(text);
}

} // namespace telvora
