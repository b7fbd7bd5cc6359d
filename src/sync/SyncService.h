#pragma once

#include "sync/SyncAccountStore.h"
#include "sync/SyncEngine.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace telvora {

class Prompt;

// When the phone book syncs: on start, every five minutes, two seconds after the book was
// last changed (here or by another program), and on request; and what the user is told
// about it.
// A sync that needs the user's word (the server sends it on to another host, or shows
// another certificate) stops and keeps the question. A sync the user asked for asks it at
// once; one that ran in the background only says a question waits (questionChanged), and
// it is asked when the user chooses to: a window popping up from a timer would take the
// keys the user is typing, and a stray Enter must not trust a certificate.
class SyncService : public QObject
{
    Q_OBJECT

public:
    SyncService(PhoneBook& book, Prompt& prompt, QObject* parent = nullptr);

    // Syncs with this address book from now on, starting at once; an empty one stops.
    void configure(const SyncSettings& settings);
    const SyncSettings& settings() const { return m_settings; }
    // A sync the user asked for.
    void syncNow();
    SyncEngine& engine() { return m_engine; }
    // Where settings the user agreed to change are kept; false when they could not be.
    void setSaver(std::function<bool(const SyncSettings&)> save) { m_save = std::move(save); }

    bool hasQuestion() const { return m_question.has_value(); }
    // Asks the waiting question; on yes the settings change, are kept, and the sync runs
    // with them.
    void answerQuestion();

    // The last sync, the changes waiting and the last error, in words.
    QString statusText() const { return m_status; }

signals:
    void statusChanged(const QString& text);
    void bookChanged();
    void questionChanged(bool waiting);

private:
    void startSync(bool userAsked);
    void lookForChanges();
    void finished(const SyncReport& report);
    std::pair<qint64, qint64> changeCounters() const;
    void setStatus(const QString& text);

    PhoneBook& m_book;
    Prompt& m_prompt;
    SyncEngine m_engine;
    std::function<bool(const SyncSettings&)> m_save;
    std::optional<DavError> m_question;
    bool m_userAsked = false;
    SyncSettings m_settings;
    QTimer m_periodic;
    QTimer m_afterEdit;
    QTimer m_watch;
    std::pair<qint64, qint64> m_seen{-1, -1};
    QString m_status;
    bool m_retried = false;
};

} // namespace telvora
