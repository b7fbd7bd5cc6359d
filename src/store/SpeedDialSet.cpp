#include "store/SpeedDialSet.h"

#include "store/PhoneBook.h"
#include "store/SqliteStatement.h"

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
    const SqliteStatement query = SqliteStatement::kept(m_book.keptStatement(
        QStringLiteral("SELECT rowid FROM SpeedDials ORDER BY Name COLLATE NOCASE, rowid")));
    while (query && sqlite3_step(query.get()) == SQLITE_ROW)
        m_rowIds << sqlite3_column_int64(query.get(), 0);
}

QList<SpeedDial> SpeedDialSet::entries() const
{
    QList<SpeedDial> result;
    if (!m_book.isOpen() || m_rowIds.isEmpty())
        return result;
    QHash<qint64, SpeedDial> byRow;
    const SqliteStatement query = SqliteStatement::kept(
        m_book.keptStatement(QStringLiteral("SELECT rowid, Name, Number FROM SpeedDials")));
    while (query && sqlite3_step(query.get()) == SQLITE_ROW) {
        const qint64 row = sqlite3_column_int64(query.get(), 0);
        byRow.insert(row, SpeedDial{row, query.text(1), query.text(2)});
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
