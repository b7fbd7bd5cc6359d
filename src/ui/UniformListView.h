#pragma once

#include <QListView>

namespace telvora {

// A list whose rows all share one height, so that where a row stands is arithmetic and the
// view keeps nothing per row, however long the list: QListView keeps two integers for every
// row it has laid out, eight megabytes once a million names have been scrolled through.
//
// It derives from QListView all the same, for what Qt gives list views besides placing
// rows: their accessibility above all, which Qt chooses by class name. Every function that
// places, paints or scrolls rows is this class's own, and QListView's layout never runs.
// Rows span the viewport's width (a long text is elided, not scrolled to), scroll by pixel
// and are all shown: QListView's hidden rows, grid, spacing and flow are not looked at.
class UniformListView : public QListView
{
    Q_OBJECT
public:
    explicit UniformListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

    // The height of every row: the first row's, as the item delegate sizes it.
    int rowHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = {}) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QSize viewportSizeHint() const override;

private:
    int rows() const;
    // The rows that a span of the viewport's heights, in its own coordinates, touches,
    // limited to the rows there are; first > last when it touches none.
    std::pair<int, int> rowsBetween(int top, int bottom) const;

    mutable int m_rowHeight = 0;
};

} // namespace telvora
