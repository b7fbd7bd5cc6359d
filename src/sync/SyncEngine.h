#pragma once

#include "sync/DavClient.h"
#include "sync/SyncCards.h"
#include "sync/SyncState.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <optional>

namespace telvora {

class PhoneBook;

// What one sync did, for the status line.
struct SyncReport
{
    DavError error;
    QDateTime finished;
    int fromServer = 0; // names added, changed or deleted here
    int toServer = 0;   // cards added, changed or deleted on the server
    // One line per card the phone book could not take, and per conflict.
    QStringList skipped;
    QStringList conflicts;
    bool ok() const { return error.ok(); }
};

// Keeps the phone book and one address book of a server in step, both ways. A sync first
// takes the server's changes (sync-collection, else a listing of ETags), files them into the
// book in one change together with the new sync token, then sends the book's own changes,
// each only on the condition that the card is still what the book last saw. Whatever the
// server did not confirm is sent again next time, so a sync broken off loses nothing.
// A change made on both sides keeps both: the server's in the name, ours in a copy marked in
// its notes, which goes to the server as a new card.
// One sync runs at a time, on the event loop; a request during one runs once it is over.
class SyncEngine : public QObject
{
    Q_OBJECT

public:
    explicit SyncEngine(PhoneBook& book, QObject* parent = nullptr);
    ~SyncEngine() override;

    void setAccount(const DavAccount& account, const QUrl& addressBook);
    bool hasAccount() const { return m_client != nullptr; }
    void setLimits(const DavClient::Limits& limits) { m_limits = limits; }
    // The server's cards filed in one change: memory holds no more of them at a time. A
    // change costs a write to disk, so a few hundred keep a first sync fast.
    void setFilingBatch(int cards) { m_filingBatch = std::max(1, cards); }

    void sync();
    bool isSyncing() const { return m_running; }
    const SyncReport& lastReport() const { return m_report; }
    // Names added, changed or deleted here that the server has not yet confirmed; -1 when
    // the book cannot be read for it.
    int pendingChanges();
    // The user's word on the deletions the last sync stopped at as suspect
    // (DavError::Kind::SuspectDeletion): delete those names here too, or keep them and send
    // them to the server again. It holds for the next sync that finds no others gone.
    void decideDeletions(bool deleteHere);

signals:
    // The server's changes went into the book: lists showing it read it again.
    void bookChanged();
    void finished(const SyncReport& report);

private:
    struct Fetched
    {
        QString href;
        QString etag;
        QByteArray card;
    };
    // A filed name and the card its parent has: its link is made once the parent is filed.
    struct ParentLink
    {
        qint64 nameId = 0;
        QString parentUid;
        // The card, and its ETag, for a name that came from the server; empty for a copy
        // made here.
        QString href;
        QString etag;
        // Filed by a sync broken off before the parent came: it may have been edited here
        // since.
        bool filedBefore = false;
    };
    struct Push
    {
        enum class Kind
        {
            Add,
            Edit,
            Remove
        } kind = Kind::Add;
        SyncItem item;
        QByteArray card;
    };

    void start();
    void listChanges(const QString& token);
    void listAll();
    // Works out what to fetch and whether the deletions listed may be filed, then fetches.
    void planFetches();
    void fetchNext();
    // Whether the names the server no longer has are deleted here: yes when nothing looks
    // wrong, else what the user decided, else nothing (the user must be asked).
    std::optional<bool> deletionsDecided() const;
    // Files the cards fetched so far in a change of their own, so that memory holds one
    // batch at a time, and a sync broken off keeps what was filed.
    void fileBatch();
    // Files the deletions and the links to parents that arrived in a later batch, and moves
    // the sync token past the changes, in one change.
    void finishFiling();
    bool applyCard(const Fetched& fetched, QList<ParentLink>& parents, QSet<qint64>& touched);
    // Sets the parents of these names that the book has now; those whose parent may still
    // arrive stay in the list.
    bool linkParents(QList<ParentLink>& links, QSet<qint64>& touched, bool last);
    // Clears the marks of the names the server's changes touched that were not marked before.
    bool clearAgreed(const QSet<qint64>& touched, const std::optional<QSet<qint64>>& markedBefore);
    // Undoes what the state holds in memory after a change that was rolled back.
    void filingFailed();
    // Tells the lists that the server's changes went into the book, once for each filing.
    void announce();
    bool applyDeletion(const QString& href, bool changedHere, QSet<qint64>& touched);
    bool rehash(const QSet<qint64>& touched);
    void planPushes();
    void pushNext();
    void send(const Push& push);
    void done(const DavError& error);
    QString href(const QUrl& url) const;
    QUrl url(const QString& href) const;
    QString uidOf(qint64 nameId) const;
    QByteArray ownCard(qint64 nameId);
    bool localChanged(const SyncItem& item);
    // Reads which names changed since they were last agreed on.
    void readMarks() { m_marked = m_state.marks().marked(); }
    bool mayHaveChanged(qint64 nameId) const { return !m_marked || m_marked->contains(nameId); }
    // The names the marks (or, without them, the whole book) say may need sending.
    QSet<qint64> namesToLookAt();
    // Counts the changes waiting; with clear, forgets the marks of names that turned out
    // to be as agreed, in the same transaction as the look, so that a change another
    // program makes meanwhile keeps its mark.
    int settle(bool clear);
    DavError bookError(const QString& why) const;

    PhoneBook& m_book;
    SyncState m_state;
    SyncCards m_cards;
    DavClient::Limits m_limits;
    QPointer<DavClient> m_client;
    QUrl m_addressBook;
    int m_filingBatch = 1000;
    bool m_running = false;
    bool m_again = false;
    int m_round = 0;
    bool m_lastFailed = false;
    SyncReport m_report;
    struct DeletionDecision
    {
        QSet<QString> hrefs;
        bool deleteHere = false;
    };
    QSet<QString> m_suspect; // what the last sync stopped at
    std::optional<DeletionDecision> m_decision;
    // Names marked as changed since last agreed on; nothing when every name counts.
    std::optional<QSet<qint64>> m_marked;

    // One sync's changes from the server.
    bool m_fullListing = false;
    bool m_fellBack = false;
    QHash<QString, QString> m_listed; // href -> ETag
    QSet<QString> m_deleted;
    QString m_newToken;
    QList<QString> m_toFetch;
    QList<Fetched> m_fetched; // not filed yet: one filing batch at most
    qsizetype m_fetchedBytes = 0;
    // Names filed before their parents: linked once the parent comes, at the latest at the end.
    QList<ParentLink> m_unlinked;
    bool m_deleteHere = false;
    int m_announced = 0; // the server's changes the lists were told of
    QList<Push> m_pushes;
    int m_inFlight = 0;
    bool m_sending = false;
    // The first failure among the writes in flight; the others still end and are filed.
    DavError m_pushError;
    bool m_needAnotherRound = false;
};

} // namespace telvora
