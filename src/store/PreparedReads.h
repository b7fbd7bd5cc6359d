#pragma once

#include "store/PhoneBook.h"
#include "store/SqliteValues.h"
#include "store/Statements.h"

#include <QHash>
#include <QSqlQuery>
#include <optional>

namespace telvora {

// Preparing costs more than running most of the list statements, and Qt's per-row values
// cost more than the rows themselves, so these reads step SQLite's own statements, kept
// prepared until the file is closed.
class PhoneBook::PreparedReads
{
public:
    explicit PreparedReads(sqlite3* db) : m_db(db) {}
    ~PreparedReads()
    {
        for (const Prepared& prepared : std::as_const(m_statements))
            sqlite3_finalize(prepared.statement);
        forgetAdds();
    }
    PreparedReads(const PreparedReads&) = delete;
    PreparedReads& operator=(const PreparedReads&) = delete;

    // The statement with the values bound, ready to step; nullptr when it cannot be prepared.
    // Only the values that differ from those bound before are bound again: binding the
    // pattern of a GLOB makes SQLite compile the statement anew at its next step, which
    // cost a search reading 64 rows a statement more than the rows.
    sqlite3_stmt* bind(const QString& sql, const QVariantList& values)
    {
        auto found = m_statements.find(sql);
        if (found == m_statements.end()) {
            sqlite3_stmt* statement = nullptr;
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
                sqlite3_finalize(statement);
                return nullptr;
            }
            found = m_statements.insert(sql, Prepared{statement, {}});
        }
        Prepared& prepared = *found;
        sqlite3_reset(prepared.statement);
        prepared.bound.resize(values.size());
        for (int i = 0; i < values.size(); ++i) {
            if (sqlvalue::bindsAlike(prepared.bound.at(i), values.at(i)))
                continue;
            sqlvalue::bindValue(prepared.statement, i + 1, values.at(i));
            prepared.bound[i] = values.at(i);
        }
        return prepared.statement;
    }

    // The same, with row numbers bound after the values: a batch of rows read by number binds
    // new numbers every time, so they are bound as they are, not compared first.
    sqlite3_stmt* bind(const QString& sql, const QVariantList& values, const QList<qint64>& rows)
    {
        sqlite3_stmt* statement = bind(sql, values);
        if (!statement)
            return nullptr;
        for (int i = 0; i < rows.size(); ++i)
            sqlite3_bind_int64(statement, int(values.size()) + i + 1, rows.at(i));
        return statement;
    }

    sqlite3* handle() const { return m_db; }

    // A page statement's text, and that of a batch of rows by number, made once: a list reads
    // its pages, and a search its batches, through the same few texts.
    const QString& pageText(const QString& table, const QString& filter, bool keyed,
                            statements::Page which)
    {
        return text({table, filter, keyed, int(which)},
                    [&] { return statements::page(table, filter, keyed, which); });
    }
    const QString& listedText(const QString& table, const QString& filter)
    {
        return text({table, filter, false, kListed},
                    [&] { return statements::listed(table, filter, kListedRows); });
    }

    // Runs an adding statement with the values bound, prepared once and kept, as an import
    // adds rows through the same few statements hundreds of thousands of times. The new row's
    // id, or nothing with the error told.
    std::optional<qint64> add(const QString& sql, const QVariantList& values, QString& error)
    {
        sqlite3_stmt* statement = m_adds.value(sql);
        if (!statement) {
            // Cards vary in the columns they fill; a bounded set of statements serves them all.
            if (m_adds.size() >= kHeldWrites)
                forgetAdds();
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
                error = describe(m_db);
                sqlite3_finalize(statement);
                return std::nullopt;
            }
            m_adds.insert(sql, statement);
        }
        for (int i = 0; i < values.size(); ++i)
            sqlvalue::bindValue(statement, i + 1, values.at(i));
        const sqlvalue::ResetWhenDone reset{statement};
        if (sqlite3_step(statement) != SQLITE_DONE) {
            error = describe(m_db);
            return std::nullopt;
        }
        return sqlite3_last_insert_rowid(m_db);
    }

    // A writing statement through Qt's driver (its errors read as every other write's),
    // prepared once: an import writes the same few statements hundreds of thousands of
    // times, and compiling them with their index triggers cost more than running them. A
    // read asked at every click (the card's last call) is kept here too.
    // False when it cannot be prepared; its values are then bound by position.
    QSqlQuery* prepared(const QString& sql, const QSqlDatabase& db, QString& error)
    {
        auto found = m_writes.find(sql);
        if (found == m_writes.end()) {
            // Card updates vary in the columns they set; a bounded cache serves them all.
            if (m_writes.size() >= kHeldWrites)
                m_writes.clear();
            QSqlQuery query(db);
            if (!query.prepare(sql)) {
                error = describe(query.lastError());
                return nullptr;
            }
            found = m_writes.insert(sql, query);
        }
        return &*found;
    }

private:
    static constexpr int kHeldWrites = 64;

    struct TextKey
    {
        QString table;
        QString filter;
        bool keyed = false;
        int kind = 0; // a statements::Page, or kListed
        bool operator==(const TextKey&) const = default;
        friend size_t qHash(const TextKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.table, key.filter, key.keyed, key.kind);
        }
    };
    static constexpr int kListed = -1;
    template <typename Make> const QString& text(const TextKey& key, Make make)
    {
        auto found = m_texts.find(key);
        if (found == m_texts.end())
            found = m_texts.insert(key, make());
        return *found;
    }
    QHash<TextKey, QString> m_texts;

    void forgetAdds()
    {
        for (sqlite3_stmt* statement : std::as_const(m_adds))
            sqlite3_finalize(statement);
        m_adds.clear();
    }

    struct Prepared
    {
        sqlite3_stmt* statement;
        QVariantList bound; // as bound now; an invalid value is bound anew
    };

    sqlite3* m_db;
    QHash<QString, Prepared> m_statements;
    QHash<QString, sqlite3_stmt*> m_adds;
    QHash<QString, QSqlQuery> m_writes;
};

} // namespace telvora
