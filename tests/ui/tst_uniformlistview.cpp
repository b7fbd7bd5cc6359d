#include "ui/UniformListView.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QScrollBar>
#include <QTest>

using namespace telvora;

namespace {

// As many rows as asked, none of them stored.
class CountingModel final : public QAbstractListModel
{
public:
    explicit CountingModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_rows;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("row %1").arg(index.row()))
                                       : QVariant();
    }

private:
    int m_rows;
};

// A view shown with room for ten and a half rows, so the last row on screen is cut.
struct ShownList
{
    CountingModel model;
    UniformListView view;

    explicit ShownList(int rows) : model(rows)
    {
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.resize(200, 100);
        view.show();
        view.resize(view.width() - view.viewport()->width() + 200,
                    view.height() - view.viewport()->height() + view.rowHeight() * 21 / 2);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    int row(int y) const { return view.indexAt(QPoint(50, y)).row(); }
    int rowHeight() const { return view.rowHeight(); }
    QModelIndex index(int row) const { return model.index(row); }
};

constexpr int kMillion = 1'000'000;

} // namespace

class UniformListViewTest : public QObject
{
    Q_OBJECT
private slots:
    // Where a row stands and which row stands at a point agree everywhere in a million
    // rows, and every scroll hint puts the row where it says.
    void rowsStandWhereArithmeticPutsThem()
    {
        ShownList list(kMillion);
        const int height = list.rowHeight();
        QVERIFY(height > 1);
        QScrollBar& bar = *list.view.verticalScrollBar();
        QCOMPARE(bar.maximum(), kMillion * height - list.view.viewport()->height());

        list.view.scrollToBottom();
        const int bottom = list.view.viewport()->height() - 1;
        QCOMPARE(list.row(bottom), kMillion - 1);
        QCOMPARE(list.view.visualRect(list.index(kMillion - 1)).bottom(), bottom);
        QVERIFY(!list.view.indexAt(QPoint(50, bottom + 1)).isValid());
        QVERIFY(!list.view.indexAt(QPoint(list.view.viewport()->width(), 5)).isValid());

        for (const int row : {20, 777'777}) {
            const QModelIndex index = list.index(row);
            list.view.scrollTo(index, QAbstractItemView::PositionAtTop);
            QCOMPARE(list.view.visualRect(index).top(), 0);
            QCOMPARE(list.row(0), row);
            list.view.scrollTo(index, QAbstractItemView::PositionAtBottom);
            QCOMPARE(list.view.visualRect(index).bottom(), bottom);
            QCOMPARE(list.row(bottom), row);
            list.view.scrollTo(index, QAbstractItemView::PositionAtCenter);
            QVERIFY(list.view.viewport()->rect().contains(list.view.visualRect(index)));
        }
        // Near either end, the list scrolls no further than its end.
        list.view.scrollTo(list.index(1), QAbstractItemView::PositionAtBottom);
        QCOMPARE(bar.value(), 0);
        list.view.scrollTo(list.index(kMillion - 2), QAbstractItemView::PositionAtTop);
        QCOMPARE(bar.value(), bar.maximum());

        // Made visible from above and from below, a row comes to the nearer edge; a row on
        // screen does not move.
        list.view.scrollToTop();
        list.view.scrollTo(list.index(500));
        QCOMPARE(list.view.visualRect(list.index(500)).bottom(), bottom);
        list.view.scrollTo(list.index(495));
        QCOMPARE(list.view.visualRect(list.index(500)).bottom(), bottom);
        list.view.scrollTo(list.index(100));
        QCOMPARE(list.view.visualRect(list.index(100)).top(), 0);
    }

    // The keys and the pointer choose rows as in any list.
    void keysAndClicksSelectRows()
    {
        ShownList list(kMillion);
        const int height = list.rowHeight();
        QTest::mouseClick(list.view.viewport(), Qt::LeftButton, {}, QPoint(50, 2 * height + 1));
        QCOMPARE(list.view.currentIndex().row(), 2);
        QTest::keyClick(&list.view, Qt::Key_PageDown);
        QCOMPARE(list.view.currentIndex().row(), 12);
        QVERIFY(
            list.view.viewport()->rect().contains(list.view.visualRect(list.view.currentIndex())));
        QTest::keyClick(&list.view, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(list.view.currentIndex().row(), kMillion - 1);
        const QItemSelection selected = list.view.selectionModel()->selection();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().top(), 12);
        QCOMPARE(selected.first().bottom(), kMillion - 1);
        QTest::keyClick(&list.view, Qt::Key_Up);
        QTest::keyClick(&list.view, Qt::Key_Right);
        QCOMPARE(list.view.currentIndex().row(), kMillion - 2);
        QCOMPARE(list.view.selectionModel()->selectedIndexes().size(), 1);
        QTest::keyClick(&list.view, Qt::Key_Home);
        QCOMPARE(list.view.currentIndex().row(), 0);
        QCOMPARE(list.view.verticalScrollBar()->value(), 0);

        // Dragging from a row to the one below selects both.
        QTest::mousePress(list.view.viewport(), Qt::LeftButton, {}, QPoint(50, 4 * height + 2));
        QMouseEvent move(QEvent::MouseMove, QPointF(50, 5 * height + 2),
                         list.view.viewport()->mapToGlobal(QPointF(50, 5 * height + 2)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list.view.viewport(), &move);
        QTest::mouseRelease(list.view.viewport(), Qt::LeftButton, {}, QPoint(50, 5 * height + 2));
        QCOMPARE(list.view.selectionModel()->selectedRows().size(), 2);
        QVERIFY(list.view.selectionModel()->isRowSelected(5));

        // Below the last row of a short list there is no row to click.
        ShownList shortList(3);
        QTest::mouseClick(shortList.view.viewport(), Qt::LeftButton, {}, QPoint(50, 1));
        QVERIFY(shortList.view.selectionModel()->isRowSelected(0));
        QTest::mouseClick(shortList.view.viewport(), Qt::LeftButton, {},
                          QPoint(50, 5 * shortList.rowHeight()));
        QVERIFY(!shortList.view.selectionModel()->hasSelection());
    }

    // Painted after scrolling, the selected row is highlighted where it stands and its
    // neighbours are not.
    void paintsTheRowsWhereTheyStand()
    {
        ShownList list(kMillion);
        list.view.scrollTo(list.index(600'000), QAbstractItemView::PositionAtCenter);
        list.view.selectionModel()->select(list.index(600'001), QItemSelectionModel::Select);
        const QImage shot = list.view.viewport()->grab().toImage();
        const auto colourOf = [&](int row) {
            const QRect rect = list.view.visualRect(list.index(row));
            return shot.pixelColor(
                (QPointF(rect.right() - 3, rect.center().y()) * shot.devicePixelRatio()).toPoint());
        };
        const QColor highlight = list.view.palette().color(QPalette::Highlight);
        QCOMPARE(colourOf(600'001), highlight);
        QVERIFY(colourOf(600'000) != highlight);
        QVERIFY(colourOf(600'002) != highlight);
    }

    // Assistive technology sees a list, each row's text and where it stands.
    void readAsAListByAssistiveTechnology()
    {
        ShownList list(kMillion);
        list.view.scrollTo(list.index(4242), QAbstractItemView::PositionAtTop);
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&list.view);
        QVERIFY(access);
        QCOMPARE(access->role(), QAccessible::List);
        QCOMPARE(access->childCount(), kMillion);
        QAccessibleInterface* row = access->child(4243);
        QVERIFY(row);
        QCOMPARE(row->text(QAccessible::Name), QStringLiteral("row 4243"));
        const QRect where = list.view.visualRect(list.index(4243));
        QCOMPARE(row->rect(),
                 QRect(list.view.viewport()->mapToGlobal(where.topLeft()), where.size()));
        QCOMPARE(access->indexOfChild(
                     access->childAt(row->rect().center().x(), row->rect().center().y())),
                 4243);
    }
};

QTEST_MAIN(UniformListViewTest)
#include "tst_uniformlistview.moc"
