#include "store/CallLog.h"

#include "store/FileSchema.h"
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <limits>

namespace telvora {

namespace {

// How long a log write waits for another program's lock before it gives way to the dial
// run; the phone book's own changes wait longer, as a person is waiting for them.
constexpr int kLogBusyMs = 200;
constexpr int kBookBusyMs = 5000;
constexpr int kRetryMs = 2000;

struct Column
{
    const char* name;
    const char* type;
};
const Column kColumns[] = {
    {"started", "TEXT"},     {"ended", "TEXT"},   {"number", "TEXT"},
    {"name_id", "INTEGER"},  {"line", "TEXT"},    {"attempt", "INTEGER"},
    {"attempts", "INTEGER"}, {"outcome", "TEXT"}, {"talk_seconds", "INTEGER"},
};

// A text column as the log shows it: text (or a number another program stored there),
// cut one past the limit so a cut can be seen; anything else reads as nothing.
QString shownText(const char* column, int limit = CallLog::kShownLimit)
{
    return QStringLiteral("CASE WHEN typeof(%1) IN ('text', 'integer', 'real') THEN "
                          "substr(%1, 1, %2) END")
        .arg(QLatin1String(column))
        .arg(limit + 1);
}

QString wholeNumber(const char* column)
{
    return QStringLiteral("CASE WHEN typeof(%1) = 'integer' THEN %1 ELSE 0 END")
        .arg(QLatin1String(column));
}

const QString& selectList()
{
    static const QString list =
        QStringList{QStringLiteral("rowid"),
                    shownText("started", 64),
                    shownText("ended", 64),
                    shownText("number"),
                    wholeNumber("name_id"),
                    shownText("line"),
                    wholeNumber("attempt"),
                    wholeNumber("attempts"),
                    shownText("outcome", 64),
                    wholeNumber("talk_seconds"),
                    QStringLiteral("(SELECT substr(names.name, 1, %1) FROM names WHERE "
                                   "typeof(CallLog.name_id) = 'integer' AND CallLog.name_id > 0 "
                                   "AND names.id = CallLog.name_id LIMIT 1)")
                        .arg(CallLog::kShownLimit + 1)}
            .join(QStringLiteral(", "));
    return list;
}

QDateTime readTime(const QString& text)
{
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    return time.isValid() ? time.toUTC() : QDateTime();
}

int clampedInt(qint64 value)
{
    return int(qBound(qint64(std::numeric_limits<int>::min()), value,
                      qint64(std::numeric_limits<int>::max())));
}

// Reads one text of a row, noting when it was longer than the log shows.
QString cutText(const QVariant& value, bool& cut)
{
    QString text = value.toString();
    if (text.size() > CallLog::kShownLimit) {
        text.truncate(CallLog::kShownLimit);
        cut = true;
    }
    return text;
}

CallRecord readRecord(const QSqlQuery& query)
{
    CallRecord record;
    record.id = query.value(0).toLongLong();
    record.started = readTime(query.value(1).toString());
    record.ended = readTime(query.value(2).toString());
    bool numberCut = false;
    record.number = cutText(query.value(3), numberCut);
    record.nameId = query.value(4).toLongLong();
    bool otherCut = false;
    record.line = cutText(query.value(5), otherCut);
    record.attempt = clampedInt(query.value(6).toLongLong());
    record.attempts = clampedInt(query.value(7).toLongLong());
    record.outcome = query.value(8).toString().left(64);
    record.talkSeconds = qMax<qint64>(0, query.value(9).toLongLong());
    record.name = cutText(query.value(10), otherCut);
    record.cut = numberCut;
    return record;
}

// A text for LIKE that matches the text itself anywhere, wildcards taken literally.
QString containsPattern(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

namespace outcome {
const QStringList& all()
{
    static const QStringList words{
        QLatin1String(kAnswered),   QLatin1String(kBusy),        QLatin1String(kNoAnswer),
        QLatin1String(kNoDialTone), QLatin1String(kDropped),     QLatin1String(kDeclined),
        QLatin1String(kInvalid),    QLatin1String(kUnreachable), QLatin1String(kLineLost),
        QLatin1String(kHungUp),     QLatin1String(kFailed),      QLatin1String(kMissed)};
    return words;
}
} // namespace outcome

CallLog::CallLog(PhoneBook& book, QObject* parent) : QObject(parent), m_book(book)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &CallLog::flush);
}

CallLog::~CallLog() = default;

QString CallLog::timeText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODate);
}

bool CallLog::prepareTable(PhoneBook& book, const FileSchema& fileSchema)
{
    if (const FileSchema::Table* table = fileSchema.table(QStringLiteral("CallLog"))) {
        bool complete = fileSchema.object(QStringLiteral("CallLog_by_name"));
        for (const Column& column : kColumns)
            complete = complete && table->column(QString::fromLatin1(column.name));
        if (complete)
            return true;
    }
    QSqlDatabase db = book.database();
    QSqlQuery query(db);
    QStringList columns{QStringLiteral("id INTEGER PRIMARY KEY")};
    for (const Column& column : kColumns)
        columns << QLatin1String(column.name) + QLatin1Char(' ') + QLatin1String(column.type);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS CallLog (%1)")
                        .arg(columns.join(QStringLiteral(", ")))))
        return false;
    // A table another program made may lack columns; those it has keep their rows.
    QStringList present;
    if (!query.exec(QStringLiteral("SELECT name FROM pragma_table_info('CallLog')")))
        return false;
    while (query.next())
        present << query.value(0).toString().toLower();
    bool complete = true;
    for (const Column& column : kColumns) {
        if (present.contains(QLatin1String(column.name)))
            continue;
        complete = query.exec(QStringLiteral("ALTER TABLE CallLog ADD COLUMN %1 %2")
                                  .arg(QLatin1String(column.name), QLatin1String(column.type))) &&
                   complete;
    }
    // The card asks for a name's latest call on every click.
    query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS CallLog_by_name ON CallLog(name_id)"));
    return complete;
}

bool CallLog::add(const CallRecord& record)
{
    m_pending << record;
    return flush();
}

void CallLog::post(const CallRecord& record)
{
    m_pending << record;
    QTimer::singleShot(0, this, &CallLog::flush);
}

bool CallLog::flush()
{
    if (m_pending.isEmpty())
        return true;
    if (writePending()) {
        m_retry.stop();
        emit changed();
        return true;
    }
    m_retry.start();
    return false;
}

bool CallLog::writePending()
{
    m_error.clear();
    if (!m_book.isWritable()) {
        m_error = m_book.errorText();
        return false;
    }
    QSqlQuery busy(m_book.database());
    busy.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kLogBusyMs));
    const bool written = m_book.inWriteTransaction([this](QSqlDatabase& db) {
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral(
            "INSERT INTO CallLog (started, ended, number, name_id, line, attempt, attempts, "
            "outcome, talk_seconds) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const CallRecord& record : std::as_const(m_pending)) {
            insert.addBindValue(timeText(record.started));
            insert.addBindValue(timeText(record.ended));
            insert.addBindValue(record.number);
            insert.addBindValue(record.nameId);
            insert.addBindValue(record.line);
            insert.addBindValue(record.attempt);
            insert.addBindValue(record.attempts);
            insert.addBindValue(record.outcome);
            insert.addBindValue(record.talkSeconds);
            if (!insert.exec()) {
                m_error = insert.lastError().text();
                return false;
            }
        }
        return true;
    });
    busy.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kBookBusyMs));
    if (!written) {
        if (m_error.isEmpty())
            m_error = m_book.errorText();
        return false;
    }
    m_pending.clear();
    m_error.clear();
    return true;
}

CallRecords CallLog::page(const CallFilter& filter, std::optional<qint64> before, int count) const
{
    CallRecords records;
    m_readError.clear();
    if (!m_book.isOpen())
        return records;
    QStringList conditions;
    QVariantList values;
    if (before) {
        conditions << QStringLiteral("rowid < ?");
        values << *before;
    }
    if (!filter.outcome.isEmpty()) {
        conditions << QStringLiteral("outcome = ?");
        values << filter.outcome;
    }
    if (!filter.text.isEmpty()) {
        conditions << QStringLiteral(
            "(number LIKE ? ESCAPE '\\' OR line LIKE ? ESCAPE '\\' OR EXISTS (SELECT 1 FROM "
            "names WHERE typeof(CallLog.name_id) = 'integer' AND CallLog.name_id > 0 AND "
            "names.id = CallLog.name_id AND names.name LIKE ? ESCAPE '\\'))");
        const QString pattern = containsPattern(filter.text);
        values << pattern << pattern << pattern;
    }
    QString statement = QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM CallLog");
    if (!conditions.isEmpty())
        statement += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    statement += QStringLiteral(" ORDER BY rowid DESC LIMIT ?");
    values << count;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        m_readError = query.lastError().text();
        return records;
    }
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec()) {
        m_readError = query.lastError().text();
        return records;
    }
    while (query.next())
        records << readRecord(query);
    return records;
}

std::optional<CallRecord> CallLog::lastCallOf(qint64 nameId) const
{
    if (!m_book.isOpen() || !isRowId(nameId))
        return std::nullopt;
    // Asked at every name click: prepared once while the file is open.
    QSqlQuery* query = m_book.keptQuery(
        QStringLiteral("SELECT ") + selectList() +
        QStringLiteral(" FROM CallLog WHERE name_id = ? ORDER BY rowid DESC LIMIT 1"));
    if (!query)
        return std::nullopt;
    query->bindValue(0, nameId);
    // Finished before it is handed back, so it holds no read of the file open.
    const auto finish = qScopeGuard([query] { query->finish(); });
    if (!query->exec() || !query->next())
        return std::nullopt;
    return readRecord(*query);
}

int CallLog::change(const QString& statement, const QVariantList& values)
{
    int rows = 0;
    const bool done = m_book.inWriteTransaction([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(statement);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            m_error = query.lastError().text();
            return false;
        }
        rows += query.numRowsAffected();
        return true;
    });
    if (!done) {
        if (m_error.isEmpty())
            m_error = m_book.errorText();
        return -1;
    }
    if (rows > 0)
        emit changed();
    return rows;
}

int CallLog::remove(const QList<qint64>& ids)
{
    m_error.clear();
    if (ids.isEmpty())
        return 0;
    // One statement for the lot, so a run's attempts go together or not at all.
    QStringList marks;
    QVariantList values;
    for (const qint64 id : ids) {
        marks << QStringLiteral("?");
        values << id;
    }
    return change(
        QStringLiteral("DELETE FROM CallLog WHERE rowid IN (%1)").arg(marks.join(QLatin1Char(','))),
        values);
}

int CallLog::clear()
{
    m_error.clear();
    return change(QStringLiteral("DELETE FROM CallLog"), {});
}

int CallLog::removeOlderThan(int days, const QDateTime& now)
{
    m_error.clear();
    if (days <= 0)
        return 0;
    // Only a time written as this log writes it compares as text in time order.
    return change(QStringLiteral("DELETE FROM CallLog WHERE typeof(started) = 'text' AND started "
                                 "GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T*Z' AND "
                                 "started < ?"),
                  {timeText(now.addDays(-days))});
}

} // namespace telvora
