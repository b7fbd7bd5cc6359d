#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct sqlite3;

namespace telvora {

class PhoneBook;

// What one trigram index can say about a search before it runs: which of its trigrams start
// with a short text, and how many rows a query finds. It reads the index's own list of
// trigrams through a table made for this connection alone, so nothing is written to the file.
class TrigramTerms
{
public:
    // index: the name of a trigram full-text table of the main database of the book, whose
    // connection is db.
    TrigramTerms(const PhoneBook& book, sqlite3* db, const QString& index);

    // False when the list of trigrams cannot be read (the index missing, the connection
    // unable to make the table); nothing is then known.
    bool isValid() const { return m_valid; }

    struct Candidates
    {
        // A full-text query for every row holding one of the trigrams; empty when there
        // is none, so no row can hold the text.
        QString query;
        // How many rows that may be at most: a row holding several of the trigrams counts
        // once for each.
        qint64 rows = 0;
        // Whether counting stopped at the limit given, so rows is only where it stopped, or
        // could not go on.
        bool overLimit = false;
    };
    // The trigrams beginning with a text of one or two characters, in any letter case the
    // search would take for it (the index lowers letters by its own, older table), counted up
    // to limit rows.
    Candidates startingWith(const QString& text, qint64 limit) const;
    // How many rows a full-text query finds, counted up to just past limit; nothing when
    // the index cannot be read.
    std::optional<qint64> rowsMatching(const QString& query, qint64 limit) const;

    // Every spelling of a short text that a search takes for the same text, letter case aside.
    static QStringList spellings(const QString& text);

private:
    const PhoneBook* m_book = nullptr;
    QString m_index;
    QString m_terms;
    bool m_valid = false;
};

} // namespace telvora
