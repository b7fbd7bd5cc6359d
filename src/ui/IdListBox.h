#pragma once

#include "store/PhoneBook.h"
#include "ui/UniformListView.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QHash>
#include <map>

namespace telvora {

// Rows of a list box: each item's text and the id of the row it stands for. A list read
// from a cursor shows its first page at once and holds only a few pages, the ones looked
// at last: it remembers where each page it has read starts and ends (a sort key and a row
// number), so a page dropped is read again by one seek from its neighbour, and the end of
// the list by one read backwards from the end.
class IdListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Rows read per page: several screenfuls, few enough to read in well under a frame.
    static constexpr int kPage = 256;
    // Pages held at most; the others are read again when they are looked at.
    static constexpr int kHeldPages = 16;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    void setRows(ListRows rows);
    // Shows the cursor's first page; the rest follow as they are needed.
    void setCursor(ListCursor cursor);
    void append(const ListRow& row);
    // Both change the list in place, whether the row's page is held or read again later.
    void setText(int index, const QString& text);
    void remove(int index);
    // The row at this index, reading its page when it is not held.
    ListRow row(int index) const;
    // Its id alone.
    qint64 idAt(int index) const;
    // Its index, found by counting the rows before it in the book (or, for a list changed in
    // place, by reading the list as far as the row); -1 when the list has no such row.
    int indexOfId(qint64 id);
    // Whether indexBeginningWith can ask the book: the list is read from it in its order.
    bool findsText() const { return m_windowed && m_cursor.findsText(); }
    // The index of the first row at or after from whose text begins with the prefix, letter
    // case and accents aside, or of the first such row when none is (reading only their
    // pages, however far in the list, when findsText()); -1 when no row does.
    int indexBeginningWith(QStringView prefix, int from);
    // Makes the list long enough to have the row at this index, when it has one.
    void fetchTo(int index);
    // Makes rowCount() the whole list.
    void fetchAll();
    bool isComplete() const { return !canFetchMore({}); }
    // Rows held in memory now, for checking that a long list stays bounded.
    int rowsHeld() const;
    // Pages read from the book since the list was set, for checking that a look-up seeks.
    int pagesRead() const { return m_pagesRead; }

private:
    // indexBeginningWith for a list the book cannot answer for: the rows it has, in turn.
    int walkBeginningWith(QStringView prefix, int from) const;
    // The rows that hold the row at this index, and its place among them; none for no row.
    std::pair<const ListRows*, qsizetype> place(int index) const;
    // Where a page read starts and ends in the list's order.
    struct PageEdges
    {
        ListMark first;
        ListMark last;
    };

    // Drops the pages, their edges and the edits made in place: a new list starts clean.
    void forgetPages();
    const ListRows& pageAt(int page) const;
    // Where the page starts and ends, when it has been read and had rows; else none.
    const PageEdges* edgesOf(int page) const;
    ListPage readPage(int page, bool walked = false) const;
    // The row's index found by counting, with its page read; nothing when it cannot be
    // counted or the book changed meanwhile.
    std::optional<int> seekId(qint64 id);
    // The page that holds the marked row at this index, read from both sides of it.
    ListPage readPageHolding(int page, int index, const ListMark& mark) const;
    // Makes a list not counted long enough for this page, read, and ended when it is short.
    void reach(int page);
    void keep(int page, ListPage read) const;
    // The cursor's index of the list's row at this index, past the rows removed in place.
    int sourceIndex(int index) const;
    int cursorRows() const { return m_count - int(m_removed.size()); }

    // A list filled whole, or one read from a cursor.
    ListRows m_rows;
    bool m_windowed = false;
    ListCursor m_cursor;
    // Rows of the cursor the view knows of: the whole list once counted, else as far as the
    // pages read so far.
    int m_count = 0;
    // Of them, those read a page after another from the first.
    int m_grown = 0;
    bool m_counted = false;
    bool m_ended = false;
    // Only of the pages read, so that a long list jumped through costs nothing for the
    // pages between.
    mutable std::map<int, PageEdges> m_edges;
    mutable QHash<int, ListRows> m_pages;
    // Held pages, the one looked at last at the end.
    mutable QList<int> m_recent;
    mutable int m_pagesRead = 0;
    // Changes made in place, by the cursor's index: new texts, rows taken out (in order),
    // rows added after the cursor's last.
    QHash<int, QString> m_texts;
    QList<int> m_removed;
    ListRows m_added;
};

// A list box whose items carry the ids of their rows. Selecting an item from code
// reports a click just as a user's click does, which the window's loaders rely on.
class IdListBox final : public UniformListView
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

    // The items the list knows of; one filled from a cursor may have more not read yet.
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
    void keyboardSearch(const QString& search) override;

private:
    void onCurrentChanged(const QModelIndex& current);
    // Where a menu opened from the keyboard stands: below the current row's start, or the
    // list's corner when there is no current row.
    QPoint menuPosition() const;
    // A new list starts a new search.
    void forgetTyped();

    IdListModel m_model;
    bool m_settingFromCode = false;
    // What has been typed to find a row, and when it was typed last.
    QString m_typed;
    QElapsedTimer m_typedAt;
};

} // namespace telvora
