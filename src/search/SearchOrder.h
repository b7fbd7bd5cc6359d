#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

struct sqlite3;

namespace telvora {

// Where each row of names stands in the lists' order (sort key, then row number), read once
// from the sort index. With it, a search can put the few thousand rows the trigram index
// names in order without reading each of them from the table, which at a million names
// costs more than the rest of the search together.
class SearchOrder
{
public:
    // Walks the sort index of the book open on this connection; nothing when the book has
    // no stored keys, its row numbers are too sparse to keep a place for each, or the read
    // fails.
    static std::optional<SearchOrder> read(sqlite3* db);

    // The place of a row in the order, from 0; nothing for a row that was not there.
    std::optional<quint32> placeOf(qint64 id) const
    {
        if (id < 0 || quint64(id) >= m_places.size() || m_places[std::size_t(id)] == 0)
            return std::nullopt;
        return m_places[std::size_t(id)] - 1;
    }
    std::size_t rows() const { return m_rows; }
    // The rows put in the order; nothing when one of them was not there when it was read.
    std::optional<std::vector<qint64>> sorted(const std::vector<qint64>& ids) const;

private:
    // Indexed by row number; 0 for none, else the place plus one.
    std::vector<quint32> m_places;
    std::size_t m_rows = 0;
};

} // namespace telvora
