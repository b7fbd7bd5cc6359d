#include "ui/IdListBox.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace telvora {

int IdListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant IdListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ListRow& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.text;
    case Qt::UserRole:
        return row.id;
    default:
        return {};
    }
}

bool IdListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_cursor.atEnd();
}

void IdListModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        appendPage(m_cursor.next(kPage));
}

void IdListModel::appendPage(ListRows page)
{
    if (page.isEmpty())
        return;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at + int(page.size()) - 1);
    m_rows += page;
    endInsertRows();
}

void IdListModel::setRows(ListRows rows)
{
    beginResetModel();
    m_cursor = ListCursor();
    m_rows = std::move(rows);
    endResetModel();
}

void IdListModel::setCursor(ListCursor cursor)
{
    beginResetModel();
    m_cursor = std::move(cursor);
    m_rows = m_cursor.next(kPage);
    endResetModel();
}

int IdListModel::indexOfId(qint64 id)
{
    for (int i = 0;; ++i) {
        if (i == m_rows.size()) {
            if (m_cursor.atEnd())
                return -1;
            appendPage(m_cursor.next(kPage * 4));
            if (i == m_rows.size())
                return -1;
        }
        if (m_rows.at(i).id == id)
            return i;
    }
}

void IdListModel::fetchTo(int index)
{
    while (index >= m_rows.size() && !m_cursor.atEnd())
        appendPage(m_cursor.next(std::max(kPage, int(index - m_rows.size()) + 1)));
}

void IdListModel::fetchAll()
{
    if (!m_cursor.atEnd())
        appendPage(m_cursor.rest());
}

void IdListModel::append(const ListRow& row)
{
    // A row added at the end must not meet itself again in a page read later.
    fetchAll();
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(row);
    endInsertRows();
}

void IdListModel::setText(int index, const QString& text)
{
    if (index < 0 || index >= m_rows.size())
        return;
    m_rows[index].text = text;
    emit dataChanged(this->index(index), this->index(index));
}

void IdListModel::remove(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    beginRemoveRows({}, index, index);
    m_rows.removeAt(index);
    endRemoveRows();
}

IdListBox::IdListBox(Selection selection, QWidget* parent) : QListView(parent), m_model(this)
{
    setModel(&m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(selection == Selection::Single ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::ExtendedSelection);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
    connect(this, &QListView::doubleClicked, this, [this] { emit listDoubleClicked(); });
}

void IdListBox::clear()
{
    m_model.setRows({});
}

void IdListBox::setRows(ListRows rows)
{
    m_model.setRows(std::move(rows));
}

void IdListBox::setCursor(ListCursor cursor)
{
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
    return index >= 0 && index < count() ? m_model.row(index).id : 0;
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
    QListView::mousePressEvent(event);
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
    QListView::keyPressEvent(event);
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
        QListView::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
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
