#pragma once

#include "store/CallLog.h"

#include <QAbstractItemModel>
#include <optional>

namespace telvora {

// The call log as a tree, newest first: one top-level row per dial run, whose attempts are
// its children when it made more than one. Rows are read a page at a time as the view
// scrolls down, each page after the oldest row read so far, so opening the window costs
// a page or two (a tree view lays itself out with one more) however long the log is.
//
// The file keeps no run of its own: an attempt belongs to the run of the attempt read just
// before it (the next newer one) when that one is the following attempt of the same
// number of attempts for the same name, as a run writes them one after another.
class HistoryModel final : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column
    {
        When,
        Name,
        Number,
        Line,
        Attempt,
        Outcome,
        Talk,
        ColumnCount
    };
    static constexpr int kPageRows = 256;

    explicit HistoryModel(const CallLog& log, QObject* parent = nullptr);

    // Reads the log again from its newest row, keeping only the rows the filter keeps.
    void setFilter(const CallFilter& filter);
    void reload();

    // The attempt of a row; for a run's row, its latest attempt.
    const CallRecord* record(const QModelIndex& index) const;
    // The rows of the file a row stands for: all attempts of a run.
    QList<qint64> rowIds(const QModelIndex& index) const;
    // Whether a row is a run with several attempts.
    bool isRun(const QModelIndex& index) const;
    // How many rows have been read from the file so far.
    int rowsRead() const { return m_rowsRead; }

    // The text shown for a stored outcome word.
    static QString outcomeText(const QString& word);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // A run's attempts, newest first as read.
    using Run = QList<CallRecord>;
    static bool continues(const CallRecord& newer, const CallRecord& older);
    QVariant runText(const Run& run, int column) const;
    QVariant attemptText(const CallRecord& record, int column) const;

    const CallLog& m_log;
    CallFilter m_filter;
    QList<Run> m_runs;
    std::optional<qint64> m_oldest;
    bool m_atEnd = false;
    int m_rowsRead = 0;
};

} // namespace telvora
