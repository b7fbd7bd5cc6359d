#pragma once

#include "search/SearchOrder.h"
#include "search/TrigramTerms.h"
#include "store/ListCursor.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <future>
#include <memory>
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
    // A book of fewer than orderFrom rows is searched without the order (below about 50,000 a
    // search reads its rows by id in a few milliseconds, and the order would only cost memory).
    explicit NameSearch(const PhoneBook& book, qint64 orderFrom = 50'000);
    ~NameSearch();
    NameSearch(const NameSearch&) = delete;
    NameSearch& operator=(const NameSearch&) = delete;

    // In a large book, starts reading the lists' order beside the window, so that a search
    // typed meanwhile can put its rows in order without reading each one. Searches work
    // without it, and do not wait for it.
    void prepare();
    // Waits for that read to end; whether the order is there and still the book's.
    bool awaitOrder();

    // The rows found, read a page at a time in the order of the lists.
    ListCursor start(const QString& nameText, const QString& numberText);
    // Which rows of names a search finds: an SQL condition and the values it binds, in order,
    // and the same rows in the shape that counts them soonest.
    struct Filter
    {
        QString condition;
        QVariantList values;
        QString countCondition;
        QVariantList countValues;
    };
    // Nothing when the book cannot be searched.
    std::optional<Filter> filter(const QString& nameText, const QString& numberText);
    // All of them at once.
    ListRows run(const QString& nameText, const QString& numberText);
    // Whether the last run found its rows through the trigram indexes rather than by
    // reading every row; a book opened read-only may lack them.
    bool usedIndex() const { return m_usedIndex; }
    // Whether the last start() put the rows in order through the lists' order.
    bool usedOrder() const { return m_usedOrder; }
    // One row of names as a search lists it; nothing when there is no such row.
    std::optional<SearchHit> row(qint64 id) const;

private:
    // What the book has been through: another connection's commits and this one's changes.
    struct Stamp
    {
        qint64 dataVersion = 0;
        qint64 changes = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    // What a search needs to know of the book's connection before it asks anything; read
    // again only once the connection, its schema or its rows may have changed, so that a
    // search typed a letter at a time does not ask it at every letter.
    struct Facts
    {
        quint64 connection = 0;
        qint64 schemaVersion = -1;
        Stamp stamp{-1, -1};
        bool searchable = false; // the text function is on the connection
        bool indexed = false;    // the trigram indexes are there
        qint64 rows = 0;         // the largest row id of names
        std::optional<TrigramTerms> nameTerms;
        std::optional<TrigramTerms> numberTerms;
    };
    // The facts as they are now; nothing when the book cannot be searched.
    const Facts* facts();
    // The order, when it is still the book's; else nothing, and a new read is started.
    const SearchOrder* freshOrder(const Facts& facts);
    // The rows an index query names, in the lists' order; nothing when they are more than
    // the limit or the order does not know one of them.
    std::optional<QList<qint64>> inOrder(const SearchOrder& order, const QString& asked,
                                         qint64 limit) const;
    // A name alone, put in order when the order is there and the index names few enough rows.
    std::optional<ListCursor> startInOrder(const QString& nameText, const QString& numberText);

    const PhoneBook& m_book;
    const qint64 m_orderFrom;
    bool m_usedIndex = false;
    bool m_usedOrder = false;
    // Found by the start just made: the name's text is in more rows than are worth reading
    // by id, so the filter need not ask the index again.
    bool m_nameTooCommon = false;
    Facts m_facts;
    // The read a search's questions share, while it starts.
    class OneRead;
    OneRead* m_read = nullptr;
    std::shared_ptr<const SearchOrder> m_order;
    Stamp m_orderStamp;
    std::future<std::optional<SearchOrder>> m_reading;
    Stamp m_readingStamp;
};

} // namespace telvora
