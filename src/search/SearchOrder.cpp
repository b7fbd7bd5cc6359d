#include "search/SearchOrder.h"

#include <array>
#include <bit>
#include <sqlite3.h>
#include <utility>

namespace telvora {

namespace {

// Row numbers are kept in one array, so a book whose numbers are spread far apart (a file
// from elsewhere) would cost memory out of proportion to its rows: such a book is searched
// without the order.
constexpr qint64 kSpreadRows = 4;
constexpr qint64 kSpreadSlack = 65'536;
constexpr qint64 kLargestRow = 64'000'000;

struct Statement
{
    sqlite3_stmt* get = nullptr;
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &get, nullptr) != SQLITE_OK) {
            sqlite3_finalize(get);
            get = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(get); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

} // namespace

std::optional<SearchOrder> SearchOrder::read(sqlite3* db)
{
    // One read transaction for both statements, so the size and the walk see the same rows.
    if (!db || sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::optional<SearchOrder> order;
    [&] {
        Statement extent(db, "SELECT count(*), min(id), max(id) FROM names");
        if (!extent.get || sqlite3_step(extent.get) != SQLITE_ROW)
            return;
        const qint64 rows = sqlite3_column_int64(extent.get, 0);
        const qint64 lowest = sqlite3_column_int64(extent.get, 1);
        const qint64 largest = sqlite3_column_int64(extent.get, 2);
        if (lowest < 0 || largest > std::min(kLargestRow, rows * kSpreadRows + kSpreadSlack))
            return;
        // The same order as the lists' pages: rows without a key first (a renamed name until
        // its key is made again), by row number, then by key and row number. A book without
        // stored keys fails here and is searched without the order.
        Statement walk(db, "SELECT rowid FROM names ORDER BY sortkey, rowid");
        if (!walk.get)
            return;
        SearchOrder made;
        made.m_places.assign(std::size_t(largest) + 1, 0);
        quint32 place = 0;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(walk.get)) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(walk.get, 0);
            if (id < 0 || id > largest)
                return;
            made.m_places[std::size_t(id)] = ++place;
        }
        if (step != SQLITE_DONE)
            return;
        made.m_rows = place;
        order = std::move(made);
    }();
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return order;
}

std::optional<std::vector<qint64>> SearchOrder::sorted(const std::vector<qint64>& ids) const
{
    using Placed = std::pair<quint32, qint64>;
    std::vector<Placed> placed(ids.size());
    // At a million rows the places fill 4 MB, so each look-up is a miss of the caches: asked
    // for some rows ahead, they arrive together instead of one after another.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i + kAhead < ids.size()) {
            const qint64 later = ids[i + kAhead];
            if (later >= 0 && quint64(later) < m_places.size())
                __builtin_prefetch(&m_places[std::size_t(later)]);
        }
        const std::optional<quint32> place = placeOf(ids[i]);
        if (!place)
            return std::nullopt;
        placed[i] = {*place, ids[i]};
    }
    // Places are distinct numbers below the count of rows: sorted by their digits, eleven bits
    // at a time, in a few passes over the rows instead of a comparison sort's many.
    constexpr int kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t(1) << kDigitBits;
    const int bits = std::bit_width(quint64(m_rows));
    std::vector<Placed> spare(placed.size());
    for (int shift = 0; shift < bits; shift += kDigitBits) {
        std::array<std::size_t, kDigits + 1> starts{};
        for (const Placed& one : placed)
            ++starts[((one.first >> shift) & (kDigits - 1)) + 1];
        for (std::size_t d = 1; d <= kDigits; ++d)
            starts[d] += starts[d - 1];
        for (const Placed& one : placed)
            spare[starts[(one.first >> shift) & (kDigits - 1)]++] = one;
        placed.swap(spare);
    }
    std::vector<qint64> inOrder;
    inOrder.reserve(placed.size());
    for (const Placed& one : placed)
        inOrder.push_back(one.second);
    return inOrder;
}

} // namespace telvora
