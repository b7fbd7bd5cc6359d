#include "ui/IdListBox.h"

#include "store/SortKey.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <limits>

namespace telvora {

int IdListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_windowed ? cursorRows() + int(m_added.size()) : int(m_rows.size());
}

QVariant IdListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row(index.row()).text;
    case Qt::UserRole:
        return idAt(index.row());
    default:
        return {};
    }
}

std::pair<const ListRows*, qsizetype> IdListModel::place(int index) const
{
    if (index < 0)
        return {nullptr, 0};
    if (!m_windowed)
        return {&m_rows, index};
    if (index >= cursorRows())
        return {&m_added, index - cursorRows()};
    const int at = sourceIndex(index);
    return {&pageAt(at / kPage), at % kPage};
}

ListRow IdListModel::row(int index) const
{
    const auto [rows, at] = place(index);
    if (!rows)
        return {};
    ListRow found = rows->value(at);
    if (m_windowed && index < cursorRows())
        if (const auto text = m_texts.constFind(sourceIndex(index)); text != m_texts.cend())
            found.text = *text;
    return found;
}

qint64 IdListModel::idAt(int index) const
{
    // Without the row's text, which a walk through the ids would make for nothing.
    const auto [rows, at] = place(index);
    return rows && at < rows->size() ? rows->id(at) : 0;
}

int IdListModel::sourceIndex(int index) const
{
    for (const int removed : m_removed) {
        if (removed > index)
            break;
        ++index;
    }
    return index;
}

bool IdListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_windowed && !m_counted && !m_ended;
}

void IdListModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    int total = m_count;
    if (m_cursor.cheapCount()) {
        // Scrolled past the first page: counting once lets the scroll bar stand for the
        // whole list, so reaching its end is one read, not a read of every page before it.
        total = int(std::min<qint64>(m_cursor.count(), std::numeric_limits<int>::max() / 2));
        m_counted = true;
    } else {
        // Every page more makes the view lay the list out again: read ever more at a time,
        // so reaching the end of a long list costs a few layouts, not one per page. Only
        // pages read in turn count, not the ones a row found far down was read in.
        const int pages = std::max(1, m_grown / kPage / 2);
        for (int i = 0; i < pages && !m_ended; ++i) {
            const int read = int(pageAt(total / kPage).size());
            total += read;
            m_grown += read;
            m_ended = read < kPage;
        }
    }
    if (total <= m_count)
        return;
    const int first = cursorRows();
    beginInsertRows({}, first, first + total - m_count - 1);
    m_count = total;
    endInsertRows();
}

ListPage IdListModel::readPage(int page, bool walked) const
{
    const int size = m_counted ? std::min(kPage, m_count - page * kPage) : kPage;
    if (page == 0)
        return m_cursor.pageAfter(std::nullopt, size);
    if (const PageEdges* before = edgesOf(page - 1))
        return m_cursor.pageAfter(before->last, size);
    if (m_counted && (page + 1) * kPage >= m_count)
        return m_cursor.pageBefore(std::nullopt, size);
    // A page read after it (one a row was found in, in a list not counted) stands where it
    // was counted to stand.
    if (const PageEdges* after = edgesOf(page + 1))
        return m_cursor.pageBefore(after->first, size);
    // A neighbour walked to but found empty: the book lost rows since the list was counted.
    if (walked)
        return {};

    // Neither neighbour read yet: from the nearest page read, or from the nearer end, the row
    // just before the page is found by skipping the rows between in one statement (a page
    // dragged to in the middle of a million names: 0.2 s walked page by page). A list that
    // cannot skip so is walked.
    const auto atOrAfter = m_edges.lower_bound(page);
    const int below = atOrAfter == m_edges.cbegin() ? -1 : std::prev(atOrAfter)->first;
    const auto after = m_edges.upper_bound(page);
    int above = after != m_edges.cend() ? after->first : -1;
    if (m_counted) {
        const int last = (m_count - 1) / kPage;
        above = above >= 0 && above < last ? above : last;
    }
    const bool fromAbove = above >= 0 && above - page < page - below;
    std::optional<ListMark> start;
    if (fromAbove) {
        const PageEdges* edges = edgesOf(above);
        // The last page, not read: counted from the end.
        start = edges
                    ? m_cursor.markBefore(edges->first, qint64(above - page) * kPage + 1)
                    : m_cursor.markBefore(std::nullopt, qint64(m_count) - qint64(page) * kPage + 1);
    } else {
        const PageEdges* edges = below >= 0 ? edgesOf(below) : nullptr;
        start = edges ? m_cursor.markAfter(edges->last, qint64(page - below - 1) * kPage)
                      : m_cursor.markAfter(std::nullopt, qint64(page) * kPage);
    }
    if (start)
        return m_cursor.pageAfter(*start, size);
    if (fromAbove) {
        // The search for a page read above stops at the last page, read or not: one not yet
        // read is read first, backwards from the end, or every page walked to is empty.
        for (int walk = edgesOf(above) ? above - 1 : above; walk > page; --walk)
            pageAt(walk);
    } else {
        for (int walk = below + 1; walk < page; ++walk)
            pageAt(walk);
    }
    return readPage(page, true);
}

void IdListModel::keep(int page, ListPage read) const
{
    if (read.rows.isEmpty())
        m_edges.erase(page);
    else
        m_edges.insert_or_assign(page, PageEdges{read.first, read.last});
    ++m_pagesRead;
    m_pages.insert(page, std::move(read.rows));
    m_recent.append(page);
    while (m_recent.size() > kHeldPages)
        m_pages.remove(m_recent.takeFirst());
}

const IdListModel::PageEdges* IdListModel::edgesOf(int page) const
{
    const auto found = m_edges.find(page);
    return found == m_edges.cend() ? nullptr : &found->second;
}

const ListRows& IdListModel::pageAt(int page) const
{
    if (const auto held = m_pages.constFind(page); held != m_pages.cend()) {
        if (m_recent.last() != page) {
            m_recent.removeOne(page);
            m_recent.append(page);
        }
        return *held;
    }
    keep(page, readPage(page));
    return m_pages[page];
}

int IdListModel::rowsHeld() const
{
    int held = int(m_rows.size() + m_added.size());
    for (const ListRows& page : m_pages)
        held += int(page.size());
    return held;
}

void IdListModel::setRows(ListRows rows)
{
    beginResetModel();
    forgetPages();
    m_windowed = false;
    m_cursor = ListCursor();
    m_rows = std::move(rows);
    m_count = 0;
    endResetModel();
}

void IdListModel::setCursor(ListCursor cursor)
{
    if (!cursor.seekable()) {
        // Nothing to resume a page after: the list is read whole.
        setRows(cursor.rest());
        return;
    }
    beginResetModel();
    forgetPages();
    m_rows.clear();
    m_windowed = true;
    m_cursor = std::move(cursor);
    m_count = int(pageAt(0).size());
    m_grown = m_count;
    m_ended = m_count < kPage;
    endResetModel();
}

void IdListModel::forgetPages()
{
    m_edges.clear();
    m_pages.clear();
    m_recent.clear();
    m_pagesRead = 0;
    m_texts.clear();
    m_removed.clear();
    m_added.clear();
    m_counted = false;
}

int IdListModel::indexOfId(qint64 id)
{
    if (const std::optional<int> found = seekId(id))
        return *found;
    for (int i = 0;; ++i) {
        if (i == rowCount()) {
            fetchMore({});
            if (i == rowCount())
                return -1;
        }
        if (idAt(i) == id)
            return i;
    }
}

std::optional<int> IdListModel::seekId(qint64 id)
{
    // Rows changed in place are not where the book has them; a list read whole is walked.
    if (!m_windowed || !m_removed.isEmpty() || !m_added.isEmpty())
        return std::nullopt;
    // Most rows looked for are among the first, which are held already.
    const ListRows& first = pageAt(0);
    for (int i = 0; i < first.size(); ++i) {
        if (first.id(i) == id)
            return i;
    }
    const std::optional<ListMark> mark = m_cursor.markOf(id);
    if (!mark)
        return -1;
    if (m_cursor.cheapCount())
        fetchMore({});
    qint64 before = 0;
    if (m_counted) {
        // Counting costs a step for each row counted: a row in the second half of the list
        // is counted from the end.
        const qint64 half = m_count / 2;
        const std::optional<qint64> from = m_cursor.countFrom(*mark, half + 1);
        before = from && *from <= half ? m_count - *from : m_cursor.countBefore(*mark);
        if (before < 0 || before >= m_count)
            return std::nullopt;
    } else {
        // A search is not counted whole, but the rows before this one cost no more to count
        // than to walk through, and counting holds none of them.
        before = m_cursor.countBefore(*mark);
        if (before < 0 || before >= std::numeric_limits<int>::max() / 2)
            return std::nullopt;
    }
    const int index = int(before);
    const int page = index / kPage;
    if (!m_pages.contains(page))
        keep(page, readPageHolding(page, index, *mark));
    if (!m_counted)
        reach(page);
    // The book changed since the list was counted: the walk finds the row where it is now.
    if (idAt(index) != id)
        return std::nullopt;
    return index;
}

void IdListModel::reach(int page)
{
    const qsizetype read = pageAt(page).size();
    const int rows = page * kPage + int(read);
    // An empty page says nothing of where the list ends: its row went meanwhile.
    if (read == 0 || rows <= m_count)
        return;
    beginInsertRows({}, m_count, rows - 1);
    m_count = rows;
    m_ended = read < kPage;
    endInsertRows();
}

ListPage IdListModel::readPageHolding(int page, int index, const ListMark& mark) const
{
    const int size = m_counted ? std::min(kPage, m_count - page * kPage) : kPage;
    const int before = index - page * kPage;
    // The rows of the page before the marked row, or the one row just before it, whose place
    // the rest of the page is read after.
    const ListPage start = m_cursor.pageBefore(mark, std::max(before, 1));
    std::optional<ListMark> after;
    if (index > 0) {
        if (start.rows.isEmpty())
            return {};
        after = start.last;
    }
    ListPage rest = m_cursor.pageAfter(after, size - before);
    if (before == 0)
        return rest;
    return ListPage{start.rows + rest.rows, start.first,
                    rest.rows.isEmpty() ? start.last : rest.last};
}

int IdListModel::indexBeginningWith(QStringView prefix, int from)
{
    if (!findsText())
        return walkBeginningWith(prefix, from);
    const std::optional<ListRow> first = m_cursor.firstBeginningWith(prefix);
    const int start = first ? indexOfId(first->id) : -1;
    if (start < 0)
        return -1;
    // The rows beginning alike stand together from the first: the row at from is one of
    // them, or the search goes round to the first.
    if (from <= start)
        return start;
    fetchTo(from);
    if (from < rowCount() && m_cursor.beginsWith(row(from).text, prefix))
        return from;
    return start;
}

int IdListModel::walkBeginningWith(QStringView prefix, int from) const
{
    // These lists are short and held whole (groups, sub-names, numbers; a search of a file
    // without sort keys as far as it was read). Their texts are compared as the book compares
    // its names: by their letters in the user's language, letter case and accents aside (the
    // collator made again for each search, as the language may have changed since the last;
    // it opens in a microsecond or two).
    const SortKey letters(SortKey::userLocale());
    const QByteArray wanted = letters.primaryKey(prefix);
    const int rows = rowCount();
    if (wanted.isEmpty() || rows == 0)
        return -1;
    for (int step = 0; step < rows; ++step) {
        const int index = (std::max(from, 0) + step) % rows;
        if (letters.primaryKey(row(index).text).startsWith(wanted))
            return index;
    }
    return -1;
}

void IdListModel::fetchTo(int index)
{
    while (index >= rowCount() && canFetchMore({}))
        fetchMore({});
}

void IdListModel::fetchAll()
{
    while (canFetchMore({}))
        fetchMore({});
}

void IdListModel::append(const ListRow& row)
{
    // A row added at the end must not meet itself again in a page read later.
    fetchAll();
    const int at = rowCount();
    beginInsertRows({}, at, at);
    if (m_windowed)
        m_added.append(row);
    else
        m_rows.append(row);
    endInsertRows();
}

void IdListModel::setText(int index, const QString& text)
{
    if (index < 0 || index >= rowCount())
        return;
    if (!m_windowed)
        m_rows.setText(index, text);
    else if (index >= cursorRows())
        m_added.setText(index - cursorRows(), text);
    else
        m_texts.insert(sourceIndex(index), text);
    emit dataChanged(this->index(index), this->index(index));
}

void IdListModel::remove(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    beginRemoveRows({}, index, index);
    if (!m_windowed) {
        m_rows.removeAt(index);
    } else if (index >= cursorRows()) {
        m_added.removeAt(index - cursorRows());
    } else {
        const int at = sourceIndex(index);
        m_removed.insert(std::lower_bound(m_removed.begin(), m_removed.end(), at), at);
    }
    endRemoveRows();
}

IdListBox::IdListBox(Selection selection, QWidget* parent) : UniformListView(parent), m_model(this)
{
    setModel(&m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(selection == Selection::Single ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::ExtendedSelection);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
    connect(this, &QListView::doubleClicked, this, [this] { emit listDoubleClicked(); });
}

void IdListBox::clear()
{
    forgetTyped();
    m_model.setRows({});
}

void IdListBox::setRows(ListRows rows)
{
    forgetTyped();
    m_model.setRows(std::move(rows));
}

void IdListBox::setCursor(ListCursor cursor)
{
    forgetTyped();
    m_model.setCursor(std::move(cursor));
}

int IdListBox::indexOfId(qint64 id)
{
    return m_model.indexOfId(id);
}

void IdListBox::addItem(const QString& text, qint64 id)
{
    m_model.append(ListRow{id, text});
}

void IdListBox::setItemText(int index, const QString& text)
{
    m_model.setText(index, text);
}

void IdListBox::removeItem(int index)
{
    m_settingFromCode = true;
    m_model.remove(index);
    m_settingFromCode = false;
}

qint64 IdListBox::itemData(int index) const
{
    return index >= 0 && index < count() ? m_model.idAt(index) : 0;
}

QString IdListBox::itemText(int index) const
{
    return index >= 0 && index < count() ? m_model.row(index).text : QString();
}

int IdListBox::listIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void IdListBox::setListIndex(int index)
{
    m_model.fetchTo(index);
    if (index < 0 || index >= count())
        return;
    const QModelIndex item = m_model.index(index);
    m_settingFromCode = true;
    const auto flags = selectionMode() == QAbstractItemView::SingleSelection
                           ? QItemSelectionModel::ClearAndSelect
                           : QItemSelectionModel::Select;
    selectionModel()->setCurrentIndex(item, flags);
    m_settingFromCode = false;
    scrollTo(item);
    emit listClicked();
}

bool IdListBox::isItemSelected(int index) const
{
    return index >= 0 && index < count() && selectionModel()->isSelected(m_model.index(index));
}

void IdListBox::setItemSelected(int index, bool selected)
{
    if (index < 0 || index >= count())
        return;
    selectionModel()->select(m_model.index(index), selected ? QItemSelectionModel::Select
                                                            : QItemSelectionModel::Deselect);
}

QList<int> IdListBox::selectedItems() const
{
    QList<int> items;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        items << index.row();
    std::sort(items.begin(), items.end());
    return items;
}

void IdListBox::selectAllItems()
{
    m_model.fetchAll();
    if (count() == 0)
        return;
    const QModelIndex last = m_model.index(count() - 1);
    // The list stays scrolled to its top: following the current item down would only cost
    // a layout pass on every card load and hide the first numbers.
    const bool follow = hasAutoScroll();
    setAutoScroll(false);
    m_settingFromCode = true;
    selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
    m_settingFromCode = false;
    setAutoScroll(follow);
    selectionModel()->select(QItemSelection(m_model.index(0), last), QItemSelectionModel::Select);
}

void IdListBox::mousePressEvent(QMouseEvent* event)
{
    // A right press opens the list's menu and leaves the selection as it is.
    if (event->button() == Qt::RightButton) {
        emit rightButtonPressed(event->position().toPoint());
        event->accept();
        return;
    }
    UniformListView::mousePressEvent(event);
}

void IdListBox::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        emit menuKeyPressed(menuPosition());
        event->accept();
        return;
    }
    UniformListView::keyPressEvent(event);
}

void IdListBox::contextMenuEvent(QContextMenuEvent* event)
{
    // The Menu key already opened the menu from its key press; the windowing system's
    // context request that follows it (at the pointer, wherever that is) is dropped, and
    // a right press has been answered by mousePressEvent.
    event->accept();
}

void IdListBox::focusInEvent(QFocusEvent* event)
{
    // A list reached with Tab that has no current row would get its first row made current,
    // which reports a click and loads that row's card: passing through the sub-names on the
    // way to the numbers would change whose numbers they are. Such a list keeps no current
    // row until an arrow key or a click chooses one.
    if (currentIndex().isValid()) {
        UniformListView::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void IdListBox::forgetTyped()
{
    m_typed.clear();
    m_typedAt.invalidate();
}

void IdListBox::keyboardSearch(const QString& search)
{
    // Qt's search reads the rows one by one from the current one, and only those the list
    // has read, and does not step on when a letter is typed again: a long list is asked of the
    // book instead, and every list steps and compares letters alike.
    const bool going = !search.isEmpty() && m_typedAt.isValid() &&
                       m_typedAt.elapsed() <= QApplication::keyboardInputInterval();
    m_typedAt.start();
    m_typed = going ? m_typed + search : search;
    if (m_typed.isEmpty())
        return;
    // One letter typed again steps to the next row beginning with it; a new search starts
    // after the current row, so typing a row's first letter moves on from it.
    // A letter is one or two UTF-16 units (a surrogate pair beyond the first 65,536).
    const qsizetype letter = m_typed.front().isHighSurrogate() && m_typed.size() > 1 ? 2 : 1;
    const QStringView first = QStringView(m_typed).left(letter);
    bool sameKey = m_typed.size() > letter && m_typed.size() % letter == 0;
    for (qsizetype at = letter; sameKey && at < m_typed.size(); at += letter)
        sameKey = QStringView(m_typed).mid(at, letter) == first;
    const QString prefix = sameKey ? first.toString() : m_typed;
    const int current = listIndex();
    const int from = current < 0 ? 0 : (going && !sameKey ? current : current + 1);
    const int found = m_model.indexBeginningWith(prefix, from);
    if (found >= 0)
        setCurrentIndex(m_model.index(found));
}

QPoint IdListBox::menuPosition() const
{
    const QRect row = visualRect(currentIndex());
    if (!row.isValid() || !viewport()->rect().intersects(row))
        return QPoint(0, 0);
    return QPoint(row.left() + row.height(), row.bottom());
}

void IdListBox::onCurrentChanged(const QModelIndex& current)
{
    if (m_settingFromCode || !current.isValid())
        return;
    emit listClicked();
}

} // namespace telvora
