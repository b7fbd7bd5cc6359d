// The call history window: runs shown as one row that opens to their attempts, read a page
// at a time, filtered, dialled again through the main window's dial run, copied, deleted;
// and what the main window does with the log: Ctrl+H, the card's line, the retention.
#include "dialing/DialRun.h"
#include "dialing/RecordingProvider.h"
#include "history/HistoryModel.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DialForm.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "support/CallLogRows.h"
#include "support/SampleWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace telvora;
using namespace telvora::test;

namespace {

QString cell(const QAbstractItemModel& model, int row, int column, const QModelIndex& parent = {})
{
    return model.index(row, column, parent).data().toString();
}

// The main window on the sample book with a fake line and a log of 1,000 rows.
struct HistoryFixture : SampleWindow
{
    RecordingProvider* provider = nullptr;
    HistoryFixture(qint16 historyDays = 365)
        : SampleWindow([historyDays](SampleWindow& w) {
              Registry registry(Registry::defaultPath(), w.prompt);
              registry.CreateRegistryKey(StoredSettings::keyPath());
              registry.WriteRegistryString(StoredSettings::keyPath(), StoredSettings::kHistoryDays,
                                           QString::number(historyDays));
              PhoneBook file;
              file.open(QStringLiteral("data.mdb"));
              fillLog(file, 998);
              CallLog log(file);
              log.add(attemptOf(QStringLiteral("ancient"), QStringLiteral("busy"), 1, 1, 0,
                                3LL * 365 * 24 * 3600));
              // Newest: Alice was called.
              log.add(attemptOf(QStringLiteral("0301 555"), QStringLiteral("answered"), 1, 1,
                                w.book.alice));
          })
    {
        provider = RecordingProvider::install(lines);
        provider->setLines({FakeProvider::line(QStringLiteral("fake"), QStringLiteral("Fake"))});
    }
    HistoryWindow& open()
    {
        form->activateWindow();
        [&] {
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
        }();
        QTest::keyClick(form.get(), Qt::Key_H, Qt::ControlModifier);
        HistoryWindow* window = form->historyForm();
        [&] {
            QVERIFY(window && window->isVisible());
            QVERIFY(QTest::qWaitForWindowActive(window));
        }();
        window->view()->setFocus();
        return *window;
    }
};

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void runsAreOneRowReadAPageAtATime()
    {
        HistoryFixture w(0);
        // The window reads a page, and its view one more to lay itself out; no more.
        QVERIFY(w.open().model().rowsRead() <= 2 * HistoryModel::kPageRows);
        HistoryModel model(w.form->callLog());
        QCOMPARE(model.rowsRead(), HistoryModel::kPageRows);
        QCOMPARE(cell(model, 0, HistoryModel::Name), QStringLiteral("Alice"));
        QCOMPARE(cell(model, 0, HistoryModel::Outcome), QStringLiteral("Answered"));
        QCOMPARE(cell(model, 0, HistoryModel::Talk), QStringLiteral("0:05"));
        // Alice, the three-year-old row and 997, then the run 994 to 996.
        const QModelIndex run = model.index(3, 0);
        QVERIFY(model.isRun(run));
        QCOMPARE(cell(model, 3, HistoryModel::Attempt), QStringLiteral("3/3"));
        QCOMPARE(model.rowCount(run), 3);
        QCOMPARE(cell(model, 0, HistoryModel::Number, run), QStringLiteral("994"));
        QCOMPARE(cell(model, 2, HistoryModel::Attempt, run), QStringLiteral("3/3"));

        // The first page ends inside a run (row 744 is its third attempt): the next page
        // completes it rather than starting another.
        const int last = model.rowCount() - 1;
        QCOMPARE(cell(model, last, HistoryModel::Number), QStringLiteral("744"));
        QCOMPARE(model.rowCount(model.index(last, 0)), 0);
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(model.index(last, 0)), 3);
        QCOMPARE(cell(model, 0, HistoryModel::Number, model.index(last, 0)), QStringLiteral("742"));
        while (model.canFetchMore({}))
            model.fetchMore({});
        // Every row once: with a retention of 0 even the three-year-old one stays.
        QCOMPARE(model.rowsRead(), 1000);
    }

    void filterDialCopyDeleteAndClear()
    {
        HistoryFixture w;
        HistoryWindow& window = w.open();
        HistoryModel& model = window.model();
        // The retention removed the row from three years ago.
        auto* filter = window.findChild<QLineEdit*>(QStringLiteral("FilterText"));
        filter->setText(QStringLiteral("ancient"));
        QCOMPARE(model.rowCount(), 0);
        filter->setText(QStringLiteral("ali"));
        QCOMPARE(model.rowCount(), 1);

        // Enter dials the number as it was dialled, for its name, through the main run.
        window.view()->setCurrentIndex(model.index(0, 0));
        QTest::keyClick(window.view(), Qt::Key_Return);
        QTRY_COMPARE(w.provider->dialled, QStringList{QStringLiteral("0301 555")});
        w.provider->busy();
        QTRY_COMPARE(model.rowCount(), 2);
        QCOMPARE(cell(model, 0, HistoryModel::Outcome), QStringLiteral("Busy"));
        // The card of the name called tells so.
        click(w.form->namesList(), QStringLiteral("Alice"));
        QVERIFY(w.form->controls().LastCallLabel->text().endsWith(QStringLiteral(": Busy")));

        window.view()->selectAll();
        QTest::keyClick(window.view(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("0301 555"));
        QTest::keyClick(window.view(), Qt::Key_Delete);
        QCOMPARE(model.rowCount(), 0);

        filter->clear();
        QCOMPARE(model.rowsRead(), HistoryModel::kPageRows);
        w.prompt.messageAnswers = {Prompt::Answer::No};
        window.clearAll();
        QCOMPARE(model.rowsRead(), HistoryModel::kPageRows);
        w.prompt.messageAnswers = {Prompt::Answer::Yes};
        window.clearAll();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(w.prompt.messages().size(), 2);
        QCOMPARE(w.prompt.messages()[0].buttons, Prompt::Buttons::YesNo);
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
