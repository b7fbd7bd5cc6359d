#include "search/TrigramTerms.h"

#include "search/SearchPattern.h"
#include "store/PhoneBook.h"
#include "store/SqliteStatement.h"

#include <QChar>
#include <QHash>
#include <QList>

namespace telvora {

namespace {

// Characters grouped by what they fold to, for every fold shared by more than one
// character; made once, from Qt's own tables, in a few milliseconds.
const QHash<char32_t, QList<char32_t>>& foldClasses()
{
    static const QHash<char32_t, QList<char32_t>> classes = [] {
        QHash<char32_t, QList<char32_t>> made;
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded != c)
                made[folded] << c;
        }
        return made;
    }();
    return classes;
}

QList<char32_t> sameLetter(char32_t c)
{
    const char32_t folded = QChar::toCaseFolded(c);
    QList<char32_t> letters{folded};
    letters += foldClasses().value(folded);
    for (const char32_t other : {c, char32_t(QChar::toLower(c)), char32_t(QChar::toUpper(c)),
                                 char32_t(QChar::toTitleCase(c))}) {
        if (!letters.contains(other))
            letters << other;
    }
    return letters;
}

} // namespace

TrigramTerms::TrigramTerms(const PhoneBook& book, sqlite3* db, const QString& index)
    : m_book(&book), m_index(index), m_terms(index + QStringLiteral("_terms"))
{
    // The vocabulary table lives in the connection's temporary schema: a read-only file,
    // or one another program keeps writing, needs nothing made in it.
    SqliteStatement make(db, QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS temp.\"%1\" USING"
                                            " fts5vocab(main, \"%2\", row)")
                                 .arg(m_terms, index));
    // A table made before the index existed cannot read it: that shows as an error when it is
    // read, and nothing is then known. Asking it anything here would count a whole trigram.
    m_valid = make && sqlite3_step(make.get()) == SQLITE_DONE;
}

QStringList TrigramTerms::spellings(const QString& text)
{
    QStringList spelled{QString()};
    for (const uint c : text.toUcs4()) {
        QStringList longer;
        for (const char32_t letter : sameLetter(c)) {
            for (const QString& start : std::as_const(spelled))
                longer << start + QString::fromUcs4(&letter, 1);
        }
        spelled = longer;
    }
    return spelled;
}

TrigramTerms::Candidates TrigramTerms::startingWith(const QString& text, qint64 limit) const
{
    Candidates found;
    if (!m_valid)
        return found;
    // Trigrams compare byte by byte as UTF-8, so those beginning with a text lie between it
    // and it followed by the highest characters there are.
    SqliteStatement range = SqliteStatement::kept(
        m_book->keptStatement(QStringLiteral("SELECT term, doc FROM temp.\"%1\" WHERE term >= ?1"
                                             " AND term <= ?1 || char(1114111, 1114111)")
                                  .arg(m_terms)));
    if (!range)
        return found;
    QStringList terms;
    for (const QString& spelling : spellings(text)) {
        sqlite3_reset(range.get());
        range.bind(1, spelling);
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(range.get())) == SQLITE_ROW) {
            terms << range.text(0);
            found.rows += sqlite3_column_int64(range.get(), 1);
            if (found.rows > limit) {
                found.overLimit = true;
                return found;
            }
        }
        if (step != SQLITE_DONE) {
            found.overLimit = true;
            return found;
        }
    }
    found.query = SearchPattern::quotedTerms(terms).join(QStringLiteral(" OR "));
    return found;
}

std::optional<qint64> TrigramTerms::rowsMatching(const QString& query, qint64 limit) const
{
    // Only which rows hold the trigrams is read, never the rows themselves: the count costs a
    // small part of reading what it counts.
    SqliteStatement count = SqliteStatement::kept(
        m_book->keptStatement(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM \"%1\" WHERE"
                                             " \"%1\" MATCH ? LIMIT ?)")
                                  .arg(m_index)));
    if (!count)
        return std::nullopt;
    count.bind(1, query);
    sqlite3_bind_int64(count.get(), 2, limit + 1);
    if (sqlite3_step(count.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int64(count.get(), 0);
}

} // namespace telvora
