#pragma once

#include "store/ListCursor.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>

namespace telvora {

class PhoneBook;

// One name or sub-name a search found, with what is needed to bring it up in the window.
struct SearchHit
{
    qint64 id = 0;
    QString name;
    qint64 group = 0;
    qint64 parent = 0;
    friend bool operator==(const SearchHit&, const SearchHit&) = default;
};
using SearchHits = QList<SearchHit>;

// Finds the names and sub-names whose name contains one text and that have a number
// containing another; an empty text asks nothing. Each is found once however many of its
// numbers match, in the order of their names.
class NameSearch
{
public:
    explicit NameSearch(const PhoneBook& book) : m_book(book) {}

    // The rows found, read a page at a time in the order of the lists.
    ListCursor start(const QString& nameText, const QString& numberText);
    // Which rows of names it finds: an SQL condition and the values it binds, in order;
    // nothing when the book cannot be searched.
    std::optional<std::pair<QString, QVariantList>> filter(const QString& nameText,
                                                           const QString& numberText);
    // All of them at once.
    ListRows run(const QString& nameText, const QString& numberText);
    // Whether the last run found its rows through the trigram indexes rather than by
    // reading every row; a book opened read-only may lack them.
    bool usedIndex() const { return m_usedIndex; }
    // One row of names as a search lists it; nothing when there is no such row.
    std::optional<SearchHit> row(qint64 id) const;

private:
    const PhoneBook& m_book;
    bool m_usedIndex = false;
};

} // namespace telvora
