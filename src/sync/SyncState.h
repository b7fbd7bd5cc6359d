#pragma once

#include "sync/ChangeMarks.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QUrl>
#include <optional>

namespace telvora {

class PhoneBook;

// What the phone book and one card of the address book last agreed on.
struct SyncItem
{
    // The card's path on the server, percent-encoded as the server spells it.
    QString href;
    qint64 nameId = 0;
    // Empty while the card was sent but its arrival not yet confirmed.
    QString etag;
    QString uid;
    // SHA-256 of the card as the phone book gives it, when book and server last agreed: the
    // name changed here since when the card made of it now hashes otherwise.
    QByteArray hash;
    // The card as the server last gave it, so that properties other programs keep in it go
    // back unchanged when the name is edited here. Only given to store() when it changed;
    // the items kept in memory leave it out (SyncState::cardOf reads it).
    QByteArray card;
};

// The sync's own tables in the phone book file: one row per card (sync_items) and the
// address book with its sync token (sync_account). They are made on first use. The file
// may have been written by anyone: a row that cannot stand for exactly one card and one
// name is left alone and not used, never deleted.
class SyncState
{
    Q_DECLARE_TR_FUNCTIONS(telvora::SyncState)

public:
    explicit SyncState(PhoneBook& book) : m_book(book), m_marks(book) {}

    // Makes the tables when missing and reads the rows. When the rows were made for another
    // address book they no longer say anything and are forgotten (the names stay). False,
    // with errorText() saying why, when the file cannot hold them.
    // The rows read last time are kept while no other connection changed the file: this
    // one writes them only through here.
    bool open(const QUrl& addressBook);
    // The next open reads the rows again: a change that wrote some was undone.
    void forgetRows() { m_loaded = false; }
    QString errorText() const { return m_error; }

    const QHash<QString, SyncItem>& items() const { return m_items; }
    std::optional<SyncItem> itemOfName(qint64 nameId) const;
    // The name whose card has this UID; nothing when no card has it.
    std::optional<qint64> nameOfUid(const QString& uid) const;
    // The card the server last gave for this item; empty when none is kept.
    QByteArray cardOf(const QString& href) const;
    QString token() const { return m_token; }
    // The names changed since they were last agreed on; ready once open() succeeded.
    ChangeMarks& marks() { return m_marks; }

    // Each writes at once, inside the book's change when one is open (PhoneBook::asOneChange).
    // A name whose card UID is new or gone changes the card of each name filed under it,
    // which then counts as changed; a name that loses its card is new to the server.
    bool store(const SyncItem& item);
    bool forget(const QString& href);
    bool setToken(const QString& token);

private:
    bool exec(const QString& sql, const QVariantList& values, int* changedRows = nullptr);
    bool createTables();
    bool hasColumns(const QString& table, const QStringList& columns);
    void load();
    void forgetUid(const SyncItem& item);

    PhoneBook& m_book;
    ChangeMarks m_marks;
    QUrl m_addressBook;
    QHash<QString, SyncItem> m_items;
    QHash<qint64, QString> m_hrefOfName;
    QHash<QString, QString> m_hrefOfUid;
    QString m_token;
    QString m_error;
    bool m_loaded = false;
    qint64 m_dataVersion = -1;
};

} // namespace telvora
