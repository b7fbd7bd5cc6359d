#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <optional>

namespace telvora {

class FileSchema;
class PhoneBook;

// One attempt of a dial run as the call log keeps it. Read back from a file another
// program may have written, every field holds what could be made of the row: an
// unreadable time is invalid, a missing number empty, a count that is no whole number 0.
struct CallRecord
{
    qint64 id = 0; // the row's number in the file; 0 before it is stored
    QDateTime started;
    QDateTime ended;
    QString number;    // as dialled, with the prefix
    qint64 nameId = 0; // 0 when the number did not come from a name's card
    QString line;
    int attempt = 0;
    int attempts = 0;
    QString outcome;
    qint64 talkSeconds = 0;
    // A text was longer than the log shows: the number must not be dialled as read.
    bool cut = false;
    // The name the number belongs to, when the row names one that still exists.
    QString name;
};
using CallRecords = QList<CallRecord>;

// The outcome words the log stores, one per way an attempt can end.
namespace outcome {
inline constexpr char kAnswered[] = "answered";
inline constexpr char kBusy[] = "busy";
inline constexpr char kNoAnswer[] = "no-answer";
inline constexpr char kNoDialTone[] = "no-dial-tone";
inline constexpr char kDropped[] = "dropped";
inline constexpr char kDeclined[] = "declined";
inline constexpr char kInvalid[] = "invalid";
inline constexpr char kUnreachable[] = "unreachable";
inline constexpr char kLineLost[] = "line-lost";
inline constexpr char kHungUp[] = "hung-up";
inline constexpr char kFailed[] = "failed";
inline constexpr char kMissed[] = "missed";
// Every word, in the order a choice of them is offered.
const QStringList& all();
} // namespace outcome

// What the log is asked for: rows whose name, number or line contains the text, with
// this outcome (any when empty).
struct CallFilter
{
    QString text;
    QString outcome;
    bool isEmpty() const { return text.isEmpty() && outcome.isEmpty(); }
};

// The call log: table CallLog of the phone book's file, one row per attempt. Rows are
// written one short transaction each, through the book's own connection and its rules
// for changing the file. A row that cannot be written at once (the file is locked by
// another program) is kept and written with the next one, or on flush(), so a busy file
// neither stalls the dial run nor loses the attempt.
class CallLog final : public QObject
{
    Q_OBJECT
public:
    // Texts longer than this are shown cut short; the file keeps them whole.
    static constexpr int kShownLimit = 256;

    explicit CallLog(PhoneBook& book, QObject* parent = nullptr);
    ~CallLog() override;

    // Makes the table and its index in a book open for changes, and gives a table made by
    // an older or another program the columns it lacks; safe to run on every open. The file's
    // schema as the open read it tells whether there is anything to do.
    static bool prepareTable(PhoneBook& book, const FileSchema& fileSchema);

    // Stores one attempt; false when it waits to be written (errorText() says why).
    bool add(const CallRecord& record);
    // Takes one attempt and stores it once control is back in the event loop: a durable
    // write waits for the disk, and the dial run must not wait with it.
    void post(const CallRecord& record);
    // Writes what waits; false when some still waits.
    bool flush();
    int pendingCount() const { return int(m_pending.size()); }

    // Up to count rows, newest first, older than the row `before` (from the newest without
    // it), that the filter keeps.
    CallRecords page(const CallFilter& filter, std::optional<qint64> before, int count) const;
    // The newest row of this name; nothing when it was never called.
    std::optional<CallRecord> lastCallOf(qint64 nameId) const;

    // Each returns the number of rows removed, or -1 when the file refused (errorText()).
    int remove(const QList<qint64>& ids);
    int clear();
    // Removes rows that started more than this many days ago; 0 keeps everything. Rows
    // whose time cannot be read are kept: nothing says they are old.
    int removeOlderThan(int days, const QDateTime& now = QDateTime::currentDateTimeUtc());

    QString errorText() const { return m_error; }
    // Why the last page could not be read; empty when it was.
    QString readError() const { return m_readError; }

    // The text stored for a time: ISO 8601 in UTC, to the second.
    static QString timeText(const QDateTime& time);

signals:
    // Rows were added or removed.
    void changed();

private:
    bool writePending();
    int change(const QString& statement, const QVariantList& values);

    PhoneBook& m_book;
    CallRecords m_pending;
    QTimer m_retry;
    QString m_error;
    mutable QString m_readError;
};

} // namespace telvora
