#include "sync/ChangeMarks.h"

#include "store/PhoneBook.h"

#include <QSqlError>
#include <QSqlQuery>

namespace telvora {

namespace {

// Marks the name with this id unless it is marked already. No conflict clause: the one of
// the statement that fires the trigger would override it, and a plain insert of a name
// marked already would then fail the user's change. An id that is no positive whole
// number stands for no name the sync can reach, and would not fit the table.
QString markOne(const QString& id)
{
    return QStringLiteral("INSERT INTO sync_changed (name) SELECT %1 WHERE typeof(%1) ="
                          " 'integer' AND %1 > 0 AND NOT EXISTS (SELECT 1 FROM sync_changed"
                          " WHERE name = %1);")
        .arg(id);
}

// A group's name is every one of its names' category.
QString markGroup(const QString& id)
{
    return QStringLiteral("INSERT INTO sync_changed (name) SELECT id FROM names WHERE"
                          " \"group\" = %1 AND typeof(id) = 'integer' AND id > 0 AND NOT EXISTS"
                          " (SELECT 1 FROM sync_changed WHERE name = names.id);")
        .arg(id);
}

struct Trigger
{
    QString name;
    QString sql;
};

const QList<Trigger>& triggers()
{
    static const QList<Trigger> list = [] {
        const auto make = [](const char* name, const char* when, const QString& body) {
            return Trigger{QLatin1String(name),
                           QStringLiteral("CREATE TRIGGER %1 %2 BEGIN %3 END")
                               .arg(QLatin1String(name), QLatin1String(when), body)};
        };
        const QString oldName = markOne(QStringLiteral("old.id"));
        const QString newName = markOne(QStringLiteral("new.id"));
        const QString oldOwner = markOne(QStringLiteral("old.parent"));
        const QString newOwner = markOne(QStringLiteral("new.parent"));
        return QList<Trigger>{
            make("sync_mark_name_insert", "AFTER INSERT ON names", newName),
            // A new sort key alone (the user's language changed, or another program's
            // rename keyed again) changes nothing a card holds.
            make("sync_mark_name_update",
                 "AFTER UPDATE ON names WHEN old.sortkey IS new.sortkey OR old.name IS NOT"
                 " new.name OR old.\"group\" IS NOT new.\"group\" OR old.parent IS NOT"
                 " new.parent",
                 oldName + newName),
            make("sync_mark_name_delete", "AFTER DELETE ON names", oldName),
            make("sync_mark_number_insert", "AFTER INSERT ON numbers", newOwner),
            make("sync_mark_number_update", "AFTER UPDATE ON numbers", oldOwner + newOwner),
            make("sync_mark_number_delete", "AFTER DELETE ON numbers", oldOwner),
            make("sync_mark_group_update", "AFTER UPDATE OF id, name ON groups",
                 markGroup(QStringLiteral("old.id")) + markGroup(QStringLiteral("new.id"))),
            make("sync_mark_group_delete", "AFTER DELETE ON groups",
                 markGroup(QStringLiteral("old.id"))),
        };
    }();
    return list;
}

} // namespace

bool ChangeMarks::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_book.database());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (query.exec())
        return true;
    m_error = query.lastError().text();
    return false;
}

bool ChangeMarks::tableUsable()
{
    // Exactly the one column, numbering the rows itself: anything else may hold values that
    // are no name's id, or refuse the triggers' rows and with them the user's changes.
    QSqlQuery query(m_book.database());
    if (!query.exec(QStringLiteral("SELECT (SELECT group_concat(name || ':' || upper(type) || ':'"
                                   " || pk) FROM pragma_table_info('sync_changed')),"
                                   " (SELECT type = 'table' AND wr = 0 FROM pragma_table_list"
                                   " WHERE schema = 'main' AND name = 'sync_changed')")) ||
        !query.next())
        return false;
    return query.value(0).toString().compare(QLatin1String("name:INTEGER:1"),
                                             Qt::CaseInsensitive) == 0 &&
           query.value(1).toInt() == 1;
}

bool ChangeMarks::dropTriggers()
{
    for (const Trigger& trigger : triggers())
        if (!exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger.name)))
            return false;
    return true;
}

bool ChangeMarks::prepare()
{
    m_usable = false;
    m_error.clear();
    // Read first, so that the usual case writes nothing and takes no lock.
    int matching = 0;
    {
        QSqlQuery query(m_book.database());
        if (!query.exec(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type ="
                                       " 'trigger' AND name LIKE 'sync\\_mark\\_%' ESCAPE '\\'"))) {
            m_error = query.lastError().text();
            return false;
        }
        while (query.next())
            for (const Trigger& trigger : triggers())
                matching += trigger.name == query.value(0).toString() &&
                            trigger.sql == query.value(1).toString();
    }
    if (matching == triggers().size() && tableUsable()) {
        m_usable = true;
        return true;
    }
    if (!m_book.isWritable()) {
        m_error = tr("the phone book cannot be changed");
        return false;
    }
    bool usable = false;
    const bool done = m_book.asOneChange([&] {
        if (!exec(QStringLiteral("CREATE TABLE IF NOT EXISTS sync_changed (name INTEGER PRIMARY"
                                 " KEY)")))
            return false;
        if (!tableUsable())
            return dropTriggers(); // triggers writing into it could fail every change
        if (!dropTriggers())
            return false;
        for (const Trigger& trigger : triggers())
            if (!exec(trigger.sql))
                return false;
        usable = true;
        return markAll();
    });
    if (!done && m_error.isEmpty())
        m_error = m_book.errorText();
    m_usable = done && usable;
    return done;
}

std::optional<QSet<qint64>> ChangeMarks::marked() const
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT name FROM sync_changed WHERE typeof(name) ="
                                   " 'integer' AND name > 0")))
        return std::nullopt;
    QSet<qint64> ids;
    while (query.next())
        ids.insert(query.value(0).toLongLong());
    return ids;
}

bool ChangeMarks::markAll()
{
    if (!m_usable && !tableUsable())
        return true; // nothing to mark in: every name counts as marked anyway
    return m_book.asOneChange([&] {
        return exec(QStringLiteral("INSERT OR IGNORE INTO sync_changed (name) SELECT id FROM"
                                   " names WHERE typeof(id) = 'integer' AND id > 0")) &&
               exec(QStringLiteral("INSERT OR IGNORE INTO sync_changed (name) SELECT name FROM"
                                   " sync_items WHERE typeof(name) = 'integer' AND name > 0"));
    });
}

bool ChangeMarks::mark(qint64 nameId)
{
    if (!m_usable)
        return true;
    return m_book.asOneChange([&] {
        return exec(QStringLiteral("INSERT OR IGNORE INTO sync_changed (name) VALUES (?)"),
                    {nameId});
    });
}

bool ChangeMarks::markSubNames(qint64 parentId)
{
    if (!m_usable)
        return true;
    return m_book.asOneChange([&] {
        return exec(QStringLiteral("INSERT OR IGNORE INTO sync_changed (name) SELECT id FROM"
                                   " names WHERE parent = ? AND typeof(id) = 'integer' AND id > 0"),
                    {parentId});
    });
}

bool ChangeMarks::clear(const QList<qint64>& nameIds)
{
    if (!m_usable || nameIds.isEmpty())
        return true;
    return m_book.asOneChange([&] {
        QSqlQuery query(m_book.database());
        query.prepare(QStringLiteral("DELETE FROM sync_changed WHERE name = ?"));
        for (const qint64 id : nameIds) {
            query.addBindValue(id);
            if (!query.exec()) {
                m_error = query.lastError().text();
                return false;
            }
        }
        return true;
    });
}

} // namespace telvora
