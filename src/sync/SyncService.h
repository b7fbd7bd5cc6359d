#pragma once

#include "sync/SyncAccountStore.h"
#include "sync/SyncEngine.h"

#include <QObject>
#include <QTimer>

namespace telvora {

// When the phone book syncs: on start, every five minutes, two seconds after the book was
// last changed (here or by another program), and on request; and what the user is told
// about it.
class SyncService : public QObject
{
    Q_OBJECT

public:
    SyncService(PhoneBook& book, Prompt& prompt, QObject* parent = nullptr);

    // Syncs with this address book from now on, starting at once; an empty one stops.
    void configure(const SyncSettings& settings);
    const SyncSettings& settings() const { return m_settings; }
    void syncNow();
    SyncEngine& engine() { return m_engine; }

    // The last sync, the changes waiting and the last error, in words.
    QString statusText() const { return m_status; }

signals:
    void statusChanged(const QString& text);
    void bookChanged();

private:
    void lookForChanges();
    void finished(const SyncReport& report);
    std::pair<qint64, qint64> changeCounters() const;
    void setStatus(const QString& text);

    PhoneBook& m_book;
    SyncEngine m_engine;
    SyncSettings m_settings;
    QTimer m_periodic;
    QTimer m_afterEdit;
    QTimer m_watch;
    std::pair<qint64, qint64> m_seen{-1, -1};
    QString m_status;
    bool m_retried = false;
};

} // namespace telvora
