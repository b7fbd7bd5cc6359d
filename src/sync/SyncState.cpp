#include "sync/SyncState.h"

#include "store/PhoneBook.h"

#include <QSqlError>
#include <QSqlQuery>

namespace telvora {

bool SyncState::exec(const QString& sql, const QVariantList& values, int* changedRows)
{
    bool done = false;
    const bool kept = m_book.asOneChange([&] {
        QSqlQuery query(m_book.database());
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        done = query.exec();
        if (!done)
            m_error = query.lastError().text();
        else if (changedRows)
            *changedRows = query.numRowsAffected();
        return done;
    });
    if (!kept && m_error.isEmpty())
        m_error = m_book.errorText();
    return kept && done;
}

bool SyncState::hasColumns(const QString& table, const QStringList& columns)
{
    QSqlQuery query(m_book.database());
    if (!query.exec(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)))
        return false;
    QStringList found;
    while (query.next())
        found << query.value(0).toString().toLower();
    for (const QString& column : columns)
        if (!found.contains(column))
            return false;
    return true;
}

bool SyncState::createTables()
{
    if (!m_book.isWritable()) {
        m_error = tr("the phone book cannot be changed");
        return false;
    }
    // No constraints beyond the primary key: rows another program wrote are checked when
    // read, not refused by the file.
    if (!exec(QStringLiteral("CREATE TABLE IF NOT EXISTS sync_items (href TEXT PRIMARY KEY,"
                             " name INTEGER, etag TEXT, uid TEXT, hash BLOB, card BLOB)"),
              {}) ||
        !exec(QStringLiteral("CREATE TABLE IF NOT EXISTS sync_account (book TEXT, token TEXT)"),
              {}))
        return false;
    if (!hasColumns(QStringLiteral("sync_items"),
                    {QStringLiteral("href"), QStringLiteral("name"), QStringLiteral("etag"),
                     QStringLiteral("uid"), QStringLiteral("hash"), QStringLiteral("card")}) ||
        !hasColumns(QStringLiteral("sync_account"),
                    {QStringLiteral("book"), QStringLiteral("token")})) {
        m_error = tr("the file's sync tables are not the ones this program writes");
        return false;
    }
    return true;
}

bool SyncState::open(const QUrl& addressBook)
{
    m_error.clear();
    if (!createTables() || !m_marks.prepare()) {
        if (m_error.isEmpty())
            m_error = m_marks.errorText();
        m_loaded = false;
        return false;
    }
    qint64 version = -1;
    {
        QSqlQuery query(m_book.database());
        if (query.exec(QStringLiteral("PRAGMA data_version")) && query.next())
            version = query.value(0).toLongLong();
    }
    if (m_loaded && addressBook == m_addressBook && version >= 0 && version == m_dataVersion)
        return true;
    m_loaded = false;
    m_items.clear();
    m_hrefOfName.clear();
    m_hrefOfUid.clear();
    m_token.clear();
    m_addressBook = addressBook;
    const QString bookText = addressBook.toString(QUrl::FullyEncoded);
    QSqlQuery query(m_book.database());
    QString storedBook;
    bool hasRow = false;
    if (query.exec(QStringLiteral("SELECT book, token FROM sync_account")) && query.next()) {
        hasRow = true;
        storedBook = query.value(0).toString();
        m_token = query.value(1).toString();
    }
    query.finish();
    if (!hasRow || storedBook != bookText) {
        // The rows speak of another address book's cards: nothing of them holds here, and
        // every name is new to this one.
        m_token.clear();
        const bool done = m_book.asOneChange([&] {
            return m_marks.markAll() && exec(QStringLiteral("DELETE FROM sync_items"), {}) &&
                   exec(QStringLiteral("DELETE FROM sync_account"), {}) &&
                   exec(QStringLiteral("INSERT INTO sync_account (book, token) VALUES (?, '')"),
                        {bookText});
        });
        if (!done)
            return false;
    }
    load();
    m_loaded = true;
    m_dataVersion = version;
    return true;
}

void SyncState::load()
{
    const QString bookPath = m_addressBook.path(QUrl::FullyEncoded);
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    // The cards stay in the file: at a hundred thousand names they would hold most of a
    // sync's memory, and one is only needed to send an edit (cardOf).
    if (!query.exec(QStringLiteral("SELECT href, name, etag, uid, hash FROM sync_items"
                                   " WHERE typeof(name) = 'integer' AND typeof(href) = 'text'"
                                   " ORDER BY rowid")))
        return;
    while (query.next()) {
        SyncItem item;
        item.href = query.value(0).toString();
        item.nameId = query.value(1).toLongLong();
        // Only cards inside the address book are ever asked for, whatever a row says.
        if (!isRowId(item.nameId) || !item.href.startsWith(bookPath) || item.href == bookPath ||
            item.href.contains(QLatin1String("/../")) || m_hrefOfName.contains(item.nameId))
            continue;
        item.etag = query.value(2).toString();
        item.uid = query.value(3).toString();
        item.hash = query.value(4).toByteArray();
        m_hrefOfName.insert(item.nameId, item.href);
        if (!item.uid.isEmpty())
            m_hrefOfUid.insert(item.uid, item.href);
        m_items.insert(item.href, item);
    }
}

std::optional<qint64> SyncState::nameOfUid(const QString& uid) const
{
    const auto href = m_hrefOfUid.constFind(uid);
    if (uid.isEmpty() || href == m_hrefOfUid.cend())
        return std::nullopt;
    return m_items.value(*href).nameId;
}

std::optional<SyncItem> SyncState::itemOfName(qint64 nameId) const
{
    const auto href = m_hrefOfName.constFind(nameId);
    if (href == m_hrefOfName.cend())
        return std::nullopt;
    return m_items.value(*href);
}

bool SyncState::store(const SyncItem& item)
{
    const auto old = m_items.constFind(item.href);
    if (old != m_items.cend() && old->nameId != item.nameId)
        m_hrefOfName.remove(old->nameId);
    if (old != m_items.cend() && old->uid != item.uid)
        forgetUid(*old);
    const std::optional<SyncItem> before = itemOfName(item.nameId);
    if ((!before || before->uid != item.uid) && !m_marks.markSubNames(item.nameId)) {
        m_error = m_marks.errorText();
        return false;
    }
    const QVariant etag = item.etag.isEmpty() ? QVariant() : QVariant(item.etag);
    // Without a new card, the one the server last gave stays as it is in the file.
    const QVariant card = item.card.isNull() ? QVariant() : QVariant(item.card);
    int changed = 0;
    if (!exec(QStringLiteral("UPDATE sync_items SET name = ?, etag = ?, uid = ?, hash = ?,"
                             " card = coalesce(?, card) WHERE href = ?"),
              {item.nameId, etag, item.uid, item.hash, card, item.href}, &changed) ||
        (changed == 0 &&
         !exec(QStringLiteral("INSERT INTO sync_items (href, name, etag, uid, hash, card)"
                              " VALUES (?, ?, ?, ?, ?, ?)"),
               {item.href, item.nameId, etag, item.uid, item.hash, card})))
        return false;
    SyncItem kept = item;
    kept.card = QByteArray();
    m_items.insert(item.href, kept);
    m_hrefOfName.insert(item.nameId, item.href);
    if (!item.uid.isEmpty())
        m_hrefOfUid.insert(item.uid, item.href);
    return true;
}

QByteArray SyncState::cardOf(const QString& href) const
{
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT card FROM sync_items WHERE href = ? AND"
                                 " typeof(card) IN ('blob', 'text') LIMIT 1"));
    query.addBindValue(href);
    return query.exec() && query.next() ? query.value(0).toByteArray() : QByteArray();
}

bool SyncState::forget(const QString& href)
{
    const auto known = m_items.constFind(href);
    if (known != m_items.cend() &&
        (!m_marks.mark(known->nameId) || !m_marks.markSubNames(known->nameId))) {
        m_error = m_marks.errorText();
        return false;
    }
    if (!exec(QStringLiteral("DELETE FROM sync_items WHERE href = ?"), {href}))
        return false;
    const auto item = m_items.constFind(href);
    if (item != m_items.cend()) {
        m_hrefOfName.remove(item->nameId);
        forgetUid(*item);
        m_items.erase(item);
    }
    return true;
}

void SyncState::forgetUid(const SyncItem& item)
{
    // Another card may have the same UID in a file written by someone else.
    if (const auto href = m_hrefOfUid.constFind(item.uid);
        href != m_hrefOfUid.cend() && *href == item.href)
        m_hrefOfUid.erase(href);
}

bool SyncState::setToken(const QString& token)
{
    if (!exec(QStringLiteral("UPDATE sync_account SET token = ?"), {token}))
        return false;
    m_token = token;
    return true;
}

} // namespace telvora
