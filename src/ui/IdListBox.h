#pragma once

#include "store/PhoneBook.h"

#include <QAbstractListModel>
#include <QListView>

namespace telvora {

// Rows of a list box: each item's text and the id of the row it stands for. A list read
// from a cursor holds only the rows read so far and reads the next page as the view
// scrolls to them, so a click on a million names shows the first screenful at once.
class IdListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Rows read per page: several screenfuls, few enough to read in well under a frame.
    static constexpr int kPage = 256;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    void setRows(ListRows rows);
    // Shows the cursor's first page; the rest follow as they are needed.
    void setCursor(ListCursor cursor);
    void append(const ListRow& row);
    void setText(int index, const QString& text);
    void remove(int index);
    // The row read so far at this index.
    const ListRow& row(int index) const { return m_rows.at(index); }
    // Reads further pages until the row with this id is in; its index, or -1 when the
    // list has no such row.
    int indexOfId(qint64 id);
    // Reads pages until the row at this index is in, or the list ends.
    void fetchTo(int index);
    // Reads every page still left.
    void fetchAll();
    bool isComplete() const { return m_cursor.atEnd(); }

private:
    void appendPage(ListRows page);

    ListRows m_rows;
    ListCursor m_cursor;
};

// A list box whose items carry the ids of their rows. Selecting an item from code
// reports a click just as a user's click does, which the window's loaders rely on.
class IdListBox final : public QListView
{
    Q_OBJECT
public:
    enum class Selection
    {
        Single,
        Extended
    };

    explicit IdListBox(Selection selection, QWidget* parent = nullptr);

    void clear();
    void setRows(ListRows rows);
    // Fills the list from a cursor, a page at a time as it scrolls.
    void setCursor(ListCursor cursor);
    void addItem(const QString& text, qint64 id);
    // Both change the item in place: the other items keep their places and selection.
    void setItemText(int index, const QString& text);
    void removeItem(int index);

    // The items read so far; a list filled from a cursor may have more not read yet.
    int count() const { return m_model.rowCount(); }
    qint64 itemData(int index) const;
    QString itemText(int index) const;
    // The index of the first item carrying this id, reading further pages as far as
    // needed; -1 when no item does.
    int indexOfId(qint64 id);
    // Reads every item not read yet, so that count() is the whole list.
    void fetchAll() { m_model.fetchAll(); }

    // The current item, or -1. Setting an index that exists (reading the list as far as
    // it) selects it and reports a click; any other index changes nothing and reports
    // nothing.
    int listIndex() const;
    void setListIndex(int index);

    bool isItemSelected(int index) const;
    void setItemSelected(int index, bool selected);
    QList<int> selectedItems() const;
    // Selects every item and makes the last one current, as selecting them one by one does.
    void selectAllItems();

signals:
    void listClicked();
    void listDoubleClicked();
    // A right-button press, at the pointer's position in the list's own coordinates.
    void rightButtonPressed(const QPoint& position);
    // The Menu key or Shift+F10: the list's menu is wanted at the current row, given in
    // the same coordinates as a right-button press.
    void menuKeyPressed(const QPoint& position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void onCurrentChanged(const QModelIndex& current);
    // Where a menu opened from the keyboard stands: below the current row's start, or the
    // list's corner when there is no current row.
    QPoint menuPosition() const;

    IdListModel m_model;
    bool m_settingFromCode = false;
};

} // namespace telvora
