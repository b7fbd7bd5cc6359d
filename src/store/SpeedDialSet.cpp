#include "store/SpeedDialSet.h"

#include "store/PhoneBook.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

namespace telvora {

SpeedDialSet::SpeedDialSet(PhoneBook& book) : m_book(book) {}

void SpeedDialSet::open()
{
    m_rowIds.clear();
    if (!m_book.isOpen())
        return;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT rowid FROM SpeedDials ORDER BY Name COLLATE NOCASE, rowid")))
        return;
    while (query.next())
        m_rowIds << query.value(0).toLongLong();
}

QList<SpeedDial> SpeedDialSet::entries() const
{
    QList<SpeedDial> result;
    if (!m_book.isOpen() || m_rowIds.isEmpty())
        return result;
    QHash<qint64, SpeedDial> byRow;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT rowid, Name, Number FROM SpeedDials")))
        return result;
    while (query.next()) {
        const qint64 row = query.value(0).toLongLong();
        byRow.insert(row, SpeedDial{row, query.value(1).toString(), query.value(2).toString()});
    }
    for (qint64 row : m_rowIds) {
        const auto it = byRow.constFind(row);
        if (it != byRow.constEnd())
            result << *it;
    }
    return result;
}

std::optional<SpeedDial> SpeedDialSet::find(const QString& name) const
{
    for (const SpeedDial& entry : entries()) {
        if (entry.name == name)
            return entry;
    }
    return std::nullopt;
}

bool SpeedDialSet::add(const QString& name, const QString& number)
{
    if (!m_book.prepareWrite())
        return false;
    QSqlQuery query(m_book.database());
    query.prepare(QStringLiteral("INSERT INTO SpeedDials (Name, Number) VALUES (?, ?)"));
    query.addBindValue(name);
    query.addBindValue(number);
    if (!query.exec())
        return false;
    m_rowIds << query.lastInsertId().toLongLong();
    return true;
}

bool SpeedDialSet::update(qint64 rowId, const QString& name, const QString& number)
{
    if (!m_book.prepareWrite())
        return false;
    QSqlQuery query(m_book.database());
    query.prepare(QStringLiteral("UPDATE SpeedDials SET Name = ?, Number = ? WHERE rowid = ?"));
    query.addBindValue(name);
    query.addBindValue(number);
    query.addBindValue(rowId);
    return query.exec() && query.numRowsAffected() == 1;
}

bool SpeedDialSet::remove(qint64 rowId)
{
    if (!m_book.prepareWrite())
        return false;
    QSqlQuery query(m_book.database());
    query.prepare(QStringLiteral("DELETE FROM SpeedDials WHERE rowid = ?"));
    query.addBindValue(rowId);
    if (!query.exec() || query.numRowsAffected() != 1)
        return false;
    m_rowIds.removeAll(rowId);
    return true;
}

} // namespace telvora
