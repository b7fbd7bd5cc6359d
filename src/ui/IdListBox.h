#pragma once

#include "store/PhoneBook.h"

#include <QAbstractListModel>
#include <QListView>

namespace telvora {

// Rows of a list box: each item's text and the id of the row it stands for. A model
// over plain rows keeps a list of a hundred thousand names cheap to fill and to scroll.
class IdListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void setRows(ListRows rows);
    void append(const ListRow& row);
    void setText(int index, const QString& text);
    void remove(int index);
    const ListRows& rows() const { return m_rows; }

private:
    ListRows m_rows;
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
    void addItem(const QString& text, qint64 id);
    // Both change the item in place: the other items keep their places and selection.
    void setItemText(int index, const QString& text);
    void removeItem(int index);

    int count() const { return m_model.rowCount(); }
    qint64 itemData(int index) const;
    QString itemText(int index) const;
    const ListRows& rows() const { return m_model.rows(); }

    // The current item, or -1. Setting an index that exists selects it and reports a
    // click; any other index changes nothing and reports nothing.
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
