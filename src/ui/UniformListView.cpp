#include "ui/UniformListView.h"

#include <QAccessible>
#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

// Every row's place comes from its number and the one row height: nothing is laid out ahead,
// so a list of a million rows costs what a list of ten does.

namespace telvora {

namespace {

// Positions far outside the viewport stay far outside it, without overflowing an int.
int clampedPosition(qint64 position)
{
    constexpr qint64 kFar = std::numeric_limits<int>::max() / 2;
    return int(std::clamp(position, -kFar, kFar));
}

} // namespace

UniformListView::UniformListView(QWidget* parent) : QListView(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int UniformListView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int UniformListView::rowHeight() const
{
    if (m_rowHeight > 0)
        return m_rowHeight;
    if (rows() == 0)
        return std::max(1, fontMetrics().height());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex first = model()->index(0, modelColumn(), rootIndex());
    m_rowHeight = std::max(1, itemDelegateForIndex(first)->sizeHint(option, first).height());
    return m_rowHeight;
}

std::pair<int, int> UniformListView::rowsBetween(int top, int bottom) const
{
    const qint64 height = rowHeight();
    const qint64 offset = verticalOffset();
    // Division rounds towards zero; a span above the first row must not touch it.
    const qint64 firstPixel = std::max<qint64>(0, top + offset);
    const qint64 lastPixel = bottom + offset;
    if (lastPixel < 0 || lastPixel < firstPixel)
        return {0, -1};
    return {int(std::min<qint64>(firstPixel / height, rows())),
            int(std::min<qint64>(lastPixel / height, rows() - 1))};
}

QRect UniformListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn())
        return {};
    const qint64 top = qint64(index.row()) * rowHeight() - verticalOffset();
    return QRect(0, clampedPosition(top), viewport()->width(), rowHeight());
}

QModelIndex UniformListView::indexAt(const QPoint& point) const
{
    if (point.x() < 0 || point.x() >= viewport()->width() || point.y() < 0)
        return {};
    const qint64 row = (qint64(point.y()) + verticalOffset()) / rowHeight();
    if (row >= rows())
        return {};
    return model()->index(int(row), modelColumn(), rootIndex());
}

void UniformListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    // Rows just added are only in the scroll bar's range once the layout ran.
    executeDelayedItemsLayout();
    const qint64 height = rowHeight();
    const qint64 top = index.row() * height;
    const qint64 page = viewport()->height();
    const qint64 now = verticalOffset();
    qint64 wanted = now;
    switch (hint) {
    case PositionAtTop:
        wanted = top;
        break;
    case PositionAtBottom:
        wanted = top + height - page;
        break;
    case PositionAtCenter:
        wanted = top + height / 2 - page / 2;
        break;
    case EnsureVisible:
        if (top < now || height > page)
            wanted = top;
        else if (top + height > now + page)
            wanted = top + height - page;
        break;
    }
    verticalScrollBar()->setValue(clampedPosition(std::max<qint64>(0, wanted)));
}

void UniformListView::doItemsLayout()
{
    // The row height is measured again (the font, the style or the rows may have changed);
    // QAbstractItemView's layout then sets the scroll bars and repaints, and QListView's,
    // which would place every row, is left out.
    m_rowHeight = 0;
    QAbstractItemView::doItemsLayout();
}

void UniformListView::updateGeometries()
{
    const qint64 height = rowHeight();
    const qint64 page = viewport()->height();
    QScrollBar& bar = *verticalScrollBar();
    bar.setSingleStep(int(height));
    bar.setPageStep(int(page));
    bar.setRange(0, clampedPosition(std::max<qint64>(0, rows() * height - page)));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void UniformListView::scrollContentsBy(int dx, int dy)
{
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

int UniformListView::horizontalOffset() const
{
    return 0;
}

int UniformListView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

void UniformListView::paintEvent(QPaintEvent* event)
{
    const auto [first, last] = rowsBetween(event->rect().top(), event->rect().bottom());
    if (first > last)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QModelIndex hover = viewport()->underMouse()
                                  ? indexAt(viewport()->mapFromGlobal(QCursor::pos()))
                                  : QModelIndex();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        option.rect = visualRect(index);
        option.state = state;
        option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(index));
        if (state & QStyle::State_Enabled) {
            const bool enabled = index.flags() & Qt::ItemIsEnabled;
            option.state.setFlag(QStyle::State_Enabled, enabled);
            option.palette.setCurrentColorGroup(enabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == hover);
        if (alternatingRowColors()) {
            option.features.setFlag(QStyleOptionViewItem::Alternate, row % 2 == 1);
            QStyleOptionViewItem background = option;
            background.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, &painter, this);
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

QModelIndex UniformListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = rows();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    // With no current row, every move starts at the first.
    if (!current.isValid())
        return model()->index(0, modelColumn(), rootIndex());
    const int perPage = std::max(1, viewport()->height() / rowHeight());
    int row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= perPage;
        break;
    case MovePageDown:
        row += perPage;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::clamp(row, 0, count - 1), modelColumn(), rootIndex());
}

void UniformListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    QItemSelection selection;
    if (area.right() >= 0 && area.left() < viewport()->width()) {
        const auto [first, last] = rowsBetween(area.top(), area.bottom());
        if (first <= last)
            selection.select(model()->index(first, modelColumn(), rootIndex()),
                             model()->index(last, modelColumn(), rootIndex()));
    }
    selectionModel()->select(selection, command);
}

QRegion UniformListView::visualRegionForSelection(const QItemSelection& selection) const
{
    const qint64 height = rowHeight();
    const qint64 offset = verticalOffset();
    const qint64 page = viewport()->height();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex() || range.left() > modelColumn() ||
            range.right() < modelColumn())
            continue;
        // Only the part on screen: a range may be a million rows long.
        const qint64 top = std::max<qint64>(-1, range.top() * height - offset);
        const qint64 bottom = std::min<qint64>(page + 1, (range.bottom() + 1) * height - offset);
        if (top < bottom)
            region += QRect(0, int(top), viewport()->width(), int(bottom - top));
    }
    return region;
}

void UniformListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles)
{
    // QListView's would bring its own record of the rows up to date first.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void UniformListView::selectionChanged(const QItemSelection& selected,
                                       const QItemSelection& deselected)
{
#if QT_CONFIG(accessibility)
    // The first row of each change, as list views report them: a row for every row of a
    // range would be a million events to select a million names.
    if (QAccessible::isActive()) {
        const auto report = [this](const QItemSelection& rows, QAccessible::Event kind) {
            if (rows.isEmpty())
                return;
            QAccessibleEvent event(this, kind);
            event.setChild(rows.first().top());
            QAccessible::updateAccessibility(&event);
        };
        report(selected, QAccessible::SelectionAdd);
        report(deselected, QAccessible::SelectionRemove);
    }
#endif
    QAbstractItemView::selectionChanged(selected, deselected);
}

void UniformListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
#endif
    QAbstractItemView::currentChanged(current, previous);
}

QSize UniformListView::viewportSizeHint() const
{
    // QListView's measures the rows one by one when their sizes are not declared uniform.
    const qint64 height = qint64(rows()) * rowHeight();
    return QSize(QAbstractItemView::viewportSizeHint().width(), clampedPosition(height));
}

} // namespace telvora
