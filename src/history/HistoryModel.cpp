#include "history/HistoryModel.h"

#include <QLocale>

namespace telvora {

namespace {

// Child rows carry their run's position plus one; top-level rows carry 0.
constexpr quintptr kTopLevel = 0;

QString durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60,
                                            hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesSeconds : minutesSeconds;
}

} // namespace

HistoryModel::HistoryModel(const CallLog& log, QObject* parent)
    : QAbstractItemModel(parent), m_log(log)
{
    reload();
}

void HistoryModel::setFilter(const CallFilter& filter)
{
    m_filter = filter;
    reload();
}

void HistoryModel::reload()
{
    beginResetModel();
    m_runs.clear();
    m_oldest.reset();
    m_atEnd = false;
    m_rowsRead = 0;
    endResetModel();
    fetchMore({});
}

bool HistoryModel::continues(const CallRecord& newer, const CallRecord& older)
{
    return older.attempt >= 1 && newer.attempt == older.attempt + 1 &&
           newer.attempts == older.attempts && newer.nameId == older.nameId;
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void HistoryModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    const CallRecords page = m_log.page(m_filter, m_oldest, kPageRows);
    m_atEnd = page.size() < kPageRows;
    if (page.isEmpty())
        return;
    m_oldest = page.last().id;
    m_rowsRead += int(page.size());

    int first = 0;
    // The page may go on with the last run read: its attempts join it first.
    while (first < page.size() && !m_runs.isEmpty() &&
           continues(m_runs.last().last(), page.at(first))) {
        const int runRow = int(m_runs.size()) - 1;
        Run& run = m_runs.last();
        const QModelIndex runIndex = index(runRow, 0);
        // One attempt had no rows below it; two or more are listed, oldest first.
        const int shown = run.size() > 1 ? int(run.size()) : 0;
        const int added = shown == 0 ? 2 : 1;
        beginInsertRows(runIndex, 0, added - 1);
        run << page.at(first);
        endInsertRows();
        emit dataChanged(runIndex, index(runRow, ColumnCount - 1));
        ++first;
    }
    QList<Run> runs;
    for (int i = first; i < page.size(); ++i) {
        if (!runs.isEmpty() && continues(runs.last().last(), page.at(i)))
            runs.last() << page.at(i);
        else
            runs << Run{page.at(i)};
    }
    if (runs.isEmpty())
        return;
    beginInsertRows({}, int(m_runs.size()), int(m_runs.size() + runs.size()) - 1);
    m_runs += runs;
    endInsertRows();
}

const CallRecord* HistoryModel::record(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (index.internalId() == kTopLevel)
        return index.row() < m_runs.size() ? &m_runs.at(index.row()).first() : nullptr;
    const Run& run = m_runs.at(int(index.internalId() - 1));
    // Children are listed oldest first.
    return &run.at(run.size() - 1 - index.row());
}

QList<qint64> HistoryModel::rowIds(const QModelIndex& index) const
{
    QList<qint64> ids;
    if (!index.isValid())
        return ids;
    if (index.internalId() == kTopLevel) {
        for (const CallRecord& attempt : m_runs.at(index.row()))
            ids << attempt.id;
    } else if (const CallRecord* attempt = record(index)) {
        ids << attempt->id;
    }
    return ids;
}

bool HistoryModel::isRun(const QModelIndex& index) const
{
    return index.isValid() && index.internalId() == kTopLevel && m_runs.at(index.row()).size() > 1;
}

QModelIndex HistoryModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < m_runs.size() ? createIndex(row, column, kTopLevel) : QModelIndex();
    if (parent.internalId() != kTopLevel || parent.row() >= m_runs.size())
        return {};
    const Run& run = m_runs.at(parent.row());
    if (run.size() < 2 || row >= run.size())
        return {};
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex HistoryModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kTopLevel);
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_runs.size());
    if (parent.column() != 0 || parent.internalId() != kTopLevel)
        return 0;
    const Run& run = m_runs.at(parent.row());
    return run.size() > 1 ? int(run.size()) : 0;
}

int HistoryModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

bool HistoryModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QString HistoryModel::outcomeText(const QString& word)
{
    static const struct
    {
        const char* word;
        const char* text;
    } texts[] = {
        {outcome::kAnswered, QT_TR_NOOP("Answered")},
        {outcome::kBusy, QT_TR_NOOP("Busy")},
        {outcome::kNoAnswer, QT_TR_NOOP("No answer")},
        {outcome::kNoDialTone, QT_TR_NOOP("No dial tone")},
        {outcome::kDropped, QT_TR_NOOP("Dropped")},
        {outcome::kDeclined, QT_TR_NOOP("Declined")},
        {outcome::kInvalid, QT_TR_NOOP("Invalid number")},
        {outcome::kUnreachable, QT_TR_NOOP("Unreachable")},
        {outcome::kLineLost, QT_TR_NOOP("Line lost")},
        {outcome::kHungUp, QT_TR_NOOP("Hung up")},
        {outcome::kFailed, QT_TR_NOOP("Failed")},
        {outcome::kMissed, QT_TR_NOOP("Missed")},
    };
    for (const auto& entry : texts) {
        if (word == QLatin1String(entry.word))
            return tr(entry.text);
    }
    // A word another program wrote is shown as it stands.
    return word;
}

QVariant HistoryModel::attemptText(const CallRecord& record, int column) const
{
    switch (column) {
    case When:
        return record.started.isValid()
                   ? QLocale().toString(record.started.toLocalTime(), QLocale::ShortFormat)
                   : tr("unknown");
    case Name:
        return record.name.isEmpty() ? record.number : record.name;
    case Number:
        return record.number;
    case Line:
        return record.line;
    case Attempt:
        // Calls that came in were no attempt of ours.
        return record.attempt == 0
                   ? QString()
                   : QStringLiteral("%1/%2").arg(record.attempt).arg(record.attempts);
    case Outcome:
        return outcomeText(record.outcome);
    case Talk:
        return record.talkSeconds > 0 || record.outcome == QLatin1String(outcome::kAnswered)
                   ? durationText(record.talkSeconds)
                   : QString();
    default:
        return {};
    }
}

QVariant HistoryModel::runText(const Run& run, int column) const
{
    if (run.size() < 2)
        return attemptText(run.first(), column);
    switch (column) {
    case When:
        // A run began with its first attempt.
        return attemptText(run.last(), column);
    case Talk: {
        qint64 seconds = 0;
        for (const CallRecord& attempt : run)
            seconds += attempt.talkSeconds;
        return seconds > 0 ? durationText(seconds) : attemptText(run.first(), column);
    }
    default:
        return attemptText(run.first(), column);
    }
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    const CallRecord* attempt = record(index);
    if (!attempt)
        return {};
    if (role == Qt::DisplayRole) {
        if (index.internalId() == kTopLevel)
            return runText(m_runs.at(index.row()), index.column());
        return attemptText(*attempt, index.column());
    }
    if (role == Qt::ToolTipRole && index.column() == Number && attempt->cut)
        return tr("This number is longer than the history shows.");
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case When:
        return tr("When");
    case Name:
        return tr("Name");
    case Number:
        return tr("Number");
    case Line:
        return tr("Line");
    case Attempt:
        return tr("Attempt");
    case Outcome:
        return tr("Outcome");
    case Talk:
        return tr("Talk time");
    default:
        return {};
    }
}

} // namespace telvora
