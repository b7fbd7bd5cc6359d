#include "sync/SyncEngine.h"

#include "contacts/ContactMapping.h"
#include "store/PhoneBook.h"

#include <QLocale>
#include <QTimer>
#include <QUuid>
#include <algorithm>

namespace telvora {

namespace {
// A sync that meets a card changed meanwhile starts over; this many times at most in a row.
constexpr int kMaxRounds = 3;
// Writes in flight at once: each waits for the server's round trip and its own write to
// disk, so a few together keep both busy, while the server still sees few connections.
constexpr int kParallelWrites = 4;
// Cards asked for in one multiget: enough to keep the requests few, small enough that one
// answer stays far below the client's cap.
constexpr int kFetchBatch = 100;
// Cards with photos can be large: a batch is filed early once its cards hold this much.
constexpr qsizetype kFilingBytes = 16 * 1024 * 1024;
// Put before the ETag of a card filed before its parent: a sync broken off before the parent
// came then links the card next time, from the card kept in the file.
const QString kAwaitingParent = QStringLiteral("-awaiting-parent ");
} // namespace

SyncEngine::SyncEngine(PhoneBook& book, QObject* parent)
    : QObject(parent), m_book(book), m_state(book), m_cards(book)
{}

SyncEngine::~SyncEngine()
{
    delete m_client;
}

void SyncEngine::setAccount(const DavAccount& account, const QUrl& addressBook)
{
    // A client with requests under way is let go once they end; its callbacks then never
    // come, so a sync running now is over.
    if (m_client)
        m_client->deleteLater();
    m_client = new DavClient(account);
    m_client->setLimits(m_limits);
    m_addressBook = addressBook;
    m_running = false;
}

QString SyncEngine::href(const QUrl& url) const
{
    return url.path(QUrl::FullyEncoded);
}

QUrl SyncEngine::url(const QString& href) const
{
    return m_addressBook.resolved(QUrl(href, QUrl::StrictMode));
}

QString SyncEngine::uidOf(qint64 nameId) const
{
    const std::optional<SyncItem> item = m_state.itemOfName(nameId);
    return item ? item->uid : QString();
}

QByteArray SyncEngine::ownCard(qint64 nameId)
{
    const std::optional<Contact> contact =
        m_cards.contact(nameId, [this](qint64 id) { return uidOf(id); });
    return contact ? SyncCards::card(*contact) : QByteArray();
}

bool SyncEngine::localChanged(const SyncItem& item)
{
    return mayHaveChanged(item.nameId) && SyncCards::hash(ownCard(item.nameId)) != item.hash;
}

DavError SyncEngine::bookError(const QString& why) const
{
    DavError error;
    error.kind = DavError::Kind::Book;
    error.detail = why;
    return error;
}

void SyncEngine::sync()
{
    if (!m_client)
        return;
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_round = 0;
    m_report = SyncReport();
    m_announced = 0;
    start();
}

int SyncEngine::pendingChanges()
{
    if (m_addressBook.isEmpty() || !m_book.isWritable() || !m_state.open(m_addressBook))
        return -1;
    m_cards.forgetGroups();
    return settle(false);
}

QSet<qint64> SyncEngine::namesToLookAt()
{
    QSet<qint64> look;
    if (m_marked) {
        look = *m_marked;
    } else {
        for (const qint64 id : m_cards.nameIds())
            look.insert(id);
        for (const SyncItem& item : m_state.items())
            look.insert(item.nameId);
    }
    // Sent, but never confirmed: waiting still, whatever the marks say.
    for (const SyncItem& item : m_state.items())
        if (item.etag.isEmpty())
            look.insert(item.nameId);
    return look;
}

int SyncEngine::settle(bool clear)
{
    int pending = 0;
    const auto count = [&] {
        readMarks();
        QList<qint64> agreed;
        for (const qint64 id : namesToLookAt()) {
            const std::optional<SyncItem> item = m_state.itemOfName(id);
            const QByteArray card = ownCard(id);
            if (card.isEmpty() && item)
                ++pending; // gone here: the server is still to be told
            else if (card.isEmpty())
                agreed << id;
            else if (!item || item->etag.isEmpty() || SyncCards::hash(card) != item->hash)
                ++pending;
            else
                agreed << id;
        }
        return !clear || m_state.marks().clear(agreed);
    };
    if (!clear) {
        count();
    } else if (!m_book.asOneChange(count)) {
        // The marks stay, which only costs a look next time.
        m_state.forgetRows();
        m_state.open(m_addressBook);
    }
    return pending;
}

void SyncEngine::start()
{
    ++m_round;
    m_fullListing = false;
    m_fellBack = false;
    m_listed.clear();
    m_deleted.clear();
    m_newToken.clear();
    m_toFetch.clear();
    m_fetched.clear();
    m_fetchedBytes = 0;
    m_unlinked.clear();
    m_pushes.clear();
    m_inFlight = 0;
    m_pushError = DavError();
    m_needAnotherRound = false;
    if (!m_state.open(m_addressBook))
        return done(bookError(m_state.errorText()));
    m_cards.forgetGroups();
    m_fullListing = m_state.token().isEmpty();
    listChanges(m_state.token());
}

void SyncEngine::listChanges(const QString& token)
{
    QPointer<DavClient> client = m_client;
    m_client->syncCollection(
        m_addressBook, token,
        [this](DavCard&& card) {
            const QString h = href(card.url);
            if (card.deleted) {
                // A first listing may name cards deleted long ago: they are simply not there.
                m_listed.remove(h);
                if (!m_fullListing)
                    m_deleted.insert(h);
            } else {
                m_deleted.remove(h);
                m_listed.insert(h, card.etag);
            }
        },
        [this, client](const DavError& error, const QString& newToken, bool truncated) {
            if (client != m_client)
                return;
            using Kind = DavError::Kind;
            if (error.ok()) {
                m_newToken = newToken;
                return truncated ? listChanges(newToken) : planFetches();
            }
            switch (error.kind) {
            case Kind::SyncTokenGone:
                m_listed.clear();
                m_deleted.clear();
                m_fullListing = true;
                return listChanges(QString());
            case Kind::Forbidden:
            case Kind::NotFound:
            case Kind::Server:
            case Kind::BadAnswer:
                // No sync-collection here: the ETags of every card tell what changed.
                m_fellBack = true;
                return listAll();
            default:
                return done(error);
            }
        });
}

void SyncEngine::listAll()
{
    m_listed.clear();
    m_deleted.clear();
    m_fullListing = true;
    m_newToken.clear();
    QPointer<DavClient> client = m_client;
    m_client->listCards(
        m_addressBook, [this](DavCard&& card) { m_listed.insert(href(card.url), card.etag); },
        [this, client](const DavError& error) {
            if (client != m_client)
                return;
            if (!error.ok())
                return done(error);
            planFetches();
        });
}

void SyncEngine::planFetches()
{
    // What is new or changed since the book last saw it.
    for (auto it = m_listed.cbegin(); it != m_listed.cend(); ++it) {
        const auto item = m_state.items().constFind(it.key());
        const bool known = item != m_state.items().cend() && !it.value().isEmpty();
        if (known && item->etag == it.value())
            continue;
        if (known && item->etag == kAwaitingParent + it.value()) {
            // Unchanged on the server since it was filed: only its link is missing, and the
            // card kept in the file names the parent. A name edited here meanwhile thus
            // counts as changed here only, not on both sides.
            QString why;
            if (const std::optional<Contact> kept =
                    SyncCards::read(m_state.cardOf(it.key()), &why)) {
                m_unlinked.append({item->nameId, kept->parentUid, it.key(), it.value(), true});
                continue;
            }
        }
        m_toFetch << it.key();
    }
    if (m_fullListing)
        for (const SyncItem& item : m_state.items())
            if (!item.etag.isEmpty() && !m_listed.contains(item.href))
                m_deleted.insert(item.href);
    for (auto it = m_deleted.begin(); it != m_deleted.end();)
        it = m_state.items().contains(*it) ? std::next(it) : m_deleted.erase(it);
    const std::optional<bool> decided = deletionsDecided();
    if (!decided) {
        // Nothing is filed, not even the server's other changes, as the sync token must
        // not move past deletions left undone; the next sync fetches them all again.
        m_suspect = m_deleted;
        DavError error;
        error.kind = DavError::Kind::SuspectDeletion;
        error.deletions = int(m_deleted.size());
        error.shared = int(m_state.items().size());
        return done(error);
    }
    m_deleteHere = *decided;
    fetchNext();
}

void SyncEngine::fetchNext()
{
    if (m_toFetch.isEmpty())
        return finishFiling();
    QList<QUrl> batch;
    const int size = std::min(kFetchBatch, m_filingBatch);
    while (!m_toFetch.isEmpty() && batch.size() < size)
        batch << url(m_toFetch.takeFirst());
    QPointer<DavClient> client = m_client;
    m_client->multiget(
        m_addressBook, batch,
        [this](DavCard&& card) {
            if (card.deleted)
                return;
            const QString h = href(card.url);
            const QString etag = card.etag.isEmpty() ? m_listed.value(h) : card.etag;
            m_fetchedBytes += card.vcard.size();
            m_fetched.append({h, etag, std::move(card.vcard)});
        },
        [this, client](const DavError& error) {
            if (client != m_client)
                return;
            if (!error.ok())
                return done(error);
            if (m_toFetch.isEmpty() || m_fetched.size() >= m_filingBatch ||
                m_fetchedBytes >= kFilingBytes)
                return fileBatch();
            fetchNext();
        });
}

std::optional<bool> SyncEngine::deletionsDecided() const
{
    if (m_deleted.isEmpty())
        return true;
    const bool suspect = m_fellBack || m_lastFailed || (m_fullListing && m_listed.isEmpty()) ||
                         m_deleted.size() * 2 > m_state.items().size();
    if (!suspect)
        return true;
    // The word given holds for the names it was given for; one more gone asks again.
    if (m_decision && m_deleted.size() <= m_decision->hrefs.size() &&
        std::all_of(m_deleted.cbegin(), m_deleted.cend(),
                    [this](const QString& h) { return m_decision->hrefs.contains(h); }))
        return m_decision->deleteHere;
    return std::nullopt;
}

void SyncEngine::decideDeletions(bool deleteHere)
{
    m_decision = DeletionDecision{m_suspect, deleteHere};
}

void SyncEngine::fileBatch()
{
    QList<ParentLink> parents;
    QSet<qint64> touched;
    const int before = m_report.fromServer;
    const bool kept = m_book.asOneChange([&] {
        // Read in the change, so that another program's edit made since the sync began is
        // seen and kept.
        readMarks();
        const std::optional<QSet<qint64>> markedBefore = m_marked;
        for (const Fetched& fetched : std::as_const(m_fetched))
            if (!applyCard(fetched, parents, touched))
                return false;
        // Parents in this batch or an earlier one are linked now, the others at the end.
        if (!linkParents(m_unlinked, touched, false) || !linkParents(parents, touched, false))
            return false;
        for (const ParentLink& link : std::as_const(parents)) {
            std::optional<SyncItem> item = m_state.items().value(link.href);
            if (link.href.isEmpty() || !item)
                continue;
            item->etag = kAwaitingParent + link.etag;
            if (!m_state.store(*item))
                return false;
        }
        return rehash(touched) && clearAgreed(touched, markedBefore);
    });
    m_fetched.clear();
    m_fetchedBytes = 0;
    if (!kept) {
        m_report.fromServer = before;
        return filingFailed();
    }
    m_unlinked << parents;
    fetchNext();
}

bool SyncEngine::linkParents(QList<ParentLink>& links, QSet<qint64>& touched, bool last)
{
    QList<ParentLink> waiting;
    for (const ParentLink& link : std::as_const(links)) {
        const qint64 parent =
            link.parentUid.isEmpty() ? 0 : m_state.nameOfUid(link.parentUid).value_or(-1);
        if (parent < 0 && !last) {
            waiting << link;
            continue;
        }
        // A parent the server does not have leaves the name where it is.
        if (parent >= 0 && !m_cards.setParent(link.nameId, parent))
            return false;
        // An edit made here since keeps the hash agreed before, so that it is sent.
        if (!link.filedBefore || !mayHaveChanged(link.nameId))
            touched.insert(link.nameId);
        if (link.href.isEmpty())
            continue;
        std::optional<SyncItem> item = m_state.items().value(link.href);
        if (item && item->etag.startsWith(kAwaitingParent)) {
            item->etag = link.etag;
            if (!m_state.store(*item))
                return false;
        }
    }
    links = waiting;
    return true;
}

void SyncEngine::finishFiling()
{
    QSet<qint64> touched;
    const int before = m_report.fromServer;
    const bool kept = m_book.asOneChange([&] {
        // Judged before anything moves: deleting a parent files its sub-names anew, which is
        // no change made here.
        readMarks();
        const std::optional<QSet<qint64>> markedBefore = m_marked;
        QSet<QString> changedHere;
        for (const QString& h : std::as_const(m_deleted))
            if (const SyncItem item = m_state.items().value(h); localChanged(item))
                changedHere.insert(h);
        for (const QString& h : std::as_const(m_deleted)) {
            // Kept here, the names lose their cards and go to the server as new ones.
            if (m_deleteHere ? !applyDeletion(h, changedHere.contains(h), touched)
                             : !m_state.forget(h))
                return false;
        }
        if (!linkParents(m_unlinked, touched, true) || !rehash(touched) ||
            !clearAgreed(touched, markedBefore))
            return false;
        return m_newToken == m_state.token() || m_state.setToken(m_newToken);
    });
    if (!kept) {
        m_report.fromServer = before;
        return filingFailed();
    }
    m_decision.reset();
    announce();
    planPushes();
}

bool SyncEngine::clearAgreed(const QSet<qint64>& touched,
                             const std::optional<QSet<qint64>>& markedBefore)
{
    // What the server's changes wrote here is what both sides now say; a name changed here
    // before keeps its mark and is looked at again before it is sent.
    QList<qint64> agreed;
    for (const qint64 id : touched)
        if (markedBefore && !markedBefore->contains(id) && m_state.itemOfName(id))
            agreed << id;
    return m_state.marks().clear(agreed);
}

void SyncEngine::filingFailed()
{
    const QString why = m_cards.errorText().isEmpty() ? m_state.errorText() : m_cards.errorText();
    m_state.forgetRows(); // what is in memory was undone in the file
    m_state.open(m_addressBook);
    done(bookError(why.isEmpty() ? m_book.errorText() : why));
}

void SyncEngine::announce()
{
    if (m_report.fromServer == m_announced)
        return;
    m_announced = m_report.fromServer;
    emit bookChanged();
}

bool SyncEngine::applyCard(const Fetched& fetched, QList<ParentLink>& parents,
                           QSet<qint64>& touched)
{
    QString why;
    std::optional<Contact> contact = SyncCards::read(fetched.card, &why);
    if (!contact) {
        m_report.skipped << tr("%1: %2").arg(QUrl::fromPercentEncoding(fetched.href.toUtf8()), why);
        return true;
    }
    std::optional<SyncItem> found;
    if (const auto it = m_state.items().constFind(fetched.href); it != m_state.items().cend())
        found = *it;
    SyncItem item = found.value_or(SyncItem{fetched.href, 0, {}, {}, {}, {}});
    const bool nameHere = found && m_book.nameRow(item.nameId).has_value();
    if (nameHere) {
        const QByteArray local = ownCard(item.nameId);
        const bool changedHere = mayHaveChanged(item.nameId) && SyncCards::hash(local) != item.hash;
        Contact server = *contact;
        server.uid = server.uid.isEmpty() ? item.uid : server.uid;
        if (SyncCards::card(server) != local) {
            if (changedHere) {
                // Both sides changed the name: ours becomes a copy that goes to the server
                // as a card of its own.
                std::optional<Contact> mine =
                    m_cards.contact(item.nameId, [this](qint64 id) { return uidOf(id); });
                if (!mine)
                    return false;
                mine->uid.clear();
                ContactMapping::appendNote(
                    *mine, tr("Conflict copy: changed here while it was changed on the address "
                              "book server (%1).")
                               .arg(QLocale().toString(QDateTime::currentDateTime(),
                                                       QLocale::ShortFormat)));
                const qint64 copy = m_cards.add(*mine);
                if (copy <= 0)
                    return false;
                parents.append({copy, mine->parentUid, {}, {}, false});
                m_report.conflicts << tr("%1: changed on both sides; both kept, ours as a copy "
                                         "marked in its notes")
                                          .arg(contact->name);
            }
            if (!m_cards.update(item.nameId, *contact))
                return false;
            parents.append({item.nameId, contact->parentUid, fetched.href, fetched.etag, false});
            ++m_report.fromServer;
        }
        item.uid = server.uid;
    } else {
        const qint64 id = m_cards.add(*contact);
        if (id <= 0)
            return false;
        parents.append({id, contact->parentUid, fetched.href, fetched.etag, false});
        item.nameId = id;
        item.uid = !contact->uid.isEmpty() ? contact->uid
                   : !item.uid.isEmpty()   ? item.uid
                                           : QStringLiteral("urn:uuid:") +
                                               QUuid::createUuid().toString(QUuid::WithoutBraces);
        ++m_report.fromServer;
    }
    item.etag = fetched.etag;
    item.card = fetched.card;
    touched.insert(item.nameId);
    return m_state.store(item);
}

bool SyncEngine::applyDeletion(const QString& h, bool changedHere, QSet<qint64>& touched)
{
    const SyncItem item = m_state.items().value(h);
    // A name changed here outlives the server's deletion: it goes back as a new card.
    if (m_book.nameRow(item.nameId) && !changedHere) {
        for (const ListRow& child : m_book.subNames(item.nameId))
            touched.insert(child.id);
        if (!m_cards.remove(item.nameId))
            return false;
        ++m_report.fromServer;
    }
    touched.remove(item.nameId);
    return m_state.forget(h);
}

bool SyncEngine::rehash(const QSet<qint64>& touched)
{
    for (const qint64 id : touched) {
        std::optional<SyncItem> item = m_state.itemOfName(id);
        if (!item)
            continue;
        // A name whose parent changed was filed anew; its card says so, and so does its hash.
        item->hash = SyncCards::hash(ownCard(id));
        if (!m_state.store(*item))
            return false;
    }
    return true;
}

void SyncEngine::planPushes()
{
    const QString bookPath = m_addressBook.path(QUrl::FullyEncoded);
    readMarks();
    const QSet<qint64> look = namesToLookAt();
    // New names get their card's name and UID first, so that sub-names can point to them.
    const bool kept = m_book.asOneChange([&] {
        for (const qint64 id : look) {
            if (m_state.itemOfName(id) || !m_book.nameRow(id))
                continue;
            const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
            if (!m_state.store({bookPath + uuid + QStringLiteral(".vcf"),
                                id,
                                {},
                                QStringLiteral("urn:uuid:") + uuid,
                                {},
                                {}}))
                return false;
        }
        return true;
    });
    if (!kept) {
        m_state.forgetRows();
        m_state.open(m_addressBook);
        return done(bookError(m_state.errorText()));
    }
    for (const qint64 id : look) {
        const std::optional<SyncItem> item = m_state.itemOfName(id);
        if (!item)
            continue;
        Push push{Push::Kind::Remove, *item, {}};
        if (const std::optional<Contact> contact =
                m_cards.contact(id, [this](qint64 name) { return uidOf(name); })) {
            const QByteArray own = SyncCards::card(*contact);
            if (!item->etag.isEmpty() && SyncCards::hash(own) == item->hash)
                continue;
            push.kind = item->etag.isEmpty() ? Push::Kind::Add : Push::Kind::Edit;
            push.item.hash = SyncCards::hash(own);
            push.card = SyncCards::merged(*contact, m_state.cardOf(item->href));
        } else if (item->etag.isEmpty()) {
            // Never confirmed by the server, and gone here: nothing to tell it.
            if (!m_state.forget(item->href))
                return done(bookError(m_state.errorText()));
            continue;
        }
        m_pushes.append(push);
    }
    pushNext();
}

void SyncEngine::pushNext()
{
    // An answer that comes at once, inside send(), leaves the sending to the loop below.
    if (m_sending)
        return;
    m_sending = true;
    while (m_inFlight < kParallelWrites && m_pushError.ok() && !m_pushes.isEmpty())
        send(m_pushes.takeFirst());
    m_sending = false;
    if (m_inFlight == 0)
        done(m_pushError);
}

void SyncEngine::send(const Push& push)
{
    ++m_inFlight;
    QPointer<DavClient> client = m_client;
    // Each answer is filed as it comes, whatever the others do: the state holds exactly
    // what the server confirmed.
    const auto answered = [this, client, push](const DavError& error, const QString& newEtag) {
        if (client != m_client)
            return;
        --m_inFlight;
        using Kind = DavError::Kind;
        const bool gone = push.kind == Push::Kind::Remove && error.kind == Kind::NotFound;
        if (error.kind == Kind::Conflict) {
            // Changed on the server since the listing: the next round takes that change
            // first, then sends ours (or keeps both).
            m_needAnotherRound = true;
        } else if (!error.ok() && !gone) {
            if (m_pushError.ok())
                m_pushError = error;
        } else {
            bool stored = false;
            if (push.kind == Push::Kind::Remove) {
                stored = m_state.forget(push.item.href);
            } else {
                SyncItem item = push.item;
                // Without an ETag in the answer the next listing's tells it; until then
                // the card counts as sent.
                item.etag = newEtag.isEmpty() ? QStringLiteral("-") : newEtag;
                item.card = push.card;
                stored = m_state.store(item);
            }
            if (!stored && m_pushError.ok())
                m_pushError = bookError(m_state.errorText());
            m_report.toServer += stored;
        }
        pushNext();
    };
    if (push.kind == Push::Kind::Remove)
        m_client->remove(url(push.item.href), push.item.etag,
                         [answered](const DavError& error) { answered(error, QString()); });
    else
        m_client->put(url(push.item.href), push.card,
                      push.kind == Push::Kind::Edit ? push.item.etag : QString(), answered);
}

void SyncEngine::done(const DavError& error)
{
    if (error.ok() && m_needAnotherRound && m_round < kMaxRounds)
        return start();
    if (error.ok())
        settle(true);
    // A sync broken off may have filed some of the server's changes already.
    announce();
    m_running = false;
    m_lastFailed = !error.ok();
    m_report.error = error;
    m_report.finished = QDateTime::currentDateTime();
    emit finished(m_report);
    if (m_again) {
        m_again = false;
        QTimer::singleShot(0, this, &SyncEngine::sync);
    }
}

} // namespace telvora
