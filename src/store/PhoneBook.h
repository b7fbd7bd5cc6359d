#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace telvora {

// One list item as the window shows it: the row's text and the id it carries.
struct ListRow
{
    qint32 id = 0;
    QString text;
    friend bool operator==(const ListRow&, const ListRow&) = default;
};
using ListRows = QList<ListRow>;

// The phone book file. Every value reaches SQLite as a bound parameter, so no text
// a user types can change which rows a statement touches. A file that exists but is
// not a usable phone book is never written to: the book stays closed and says why.
class PhoneBook
{
public:
    enum class State
    {
        Closed,   // never opened
        Opened,   // an existing phone book, readable and writable
        Created,  // the file was missing and an empty phone book was made
        ReadOnly, // an existing phone book that this user may read but not change
        Failed,   // unusable; errorText() says why, nothing is read or written
    };

    PhoneBook();
    ~PhoneBook();
    PhoneBook(const PhoneBook&) = delete;
    PhoneBook& operator=(const PhoneBook&) = delete;

    State open(const QString& fileName);
    State state() const { return m_state; }
    bool isOpen() const { return m_state != State::Closed && m_state != State::Failed; }
    bool isWritable() const { return m_state == State::Opened || m_state == State::Created; }
    QString filePath() const { return m_filePath; }
    // Why the file could not be opened, is read-only, or why the last change failed.
    QString errorText() const { return m_error; }

    // Lists, each in the order the window shows it.
    ListRows groups() const;
    ListRows topLevelNames() const;
    ListRows topLevelNamesWithoutGroup() const;
    ListRows topLevelNamesInGroup(qint32 groupId) const;
    ListRows subNames(qint32 parentId) const;
    ListRows numbers(qint32 ownerId, const QString& kind) const;

    std::optional<qint32> groupOfName(qint32 nameId) const;
    std::optional<QString> groupName(qint32 groupId) const;

    // The names table's columns in table order, as a card binds to them by position.
    QStringList nameColumns() const { return m_nameColumns; }
    // Every column of one names row, by position; nothing when the row does not exist.
    std::optional<QVariantList> nameRow(qint32 id) const;
    // Writes the given columns of one names row. False, and nothing written, when the row
    // no longer exists, a column is unknown, or the file refuses the change.
    bool updateNameColumns(qint32 id, const QList<std::pair<QString, QString>>& values);

    // Each returns the new row's id, or 0 when nothing was stored.
    qint32 addGroup(const QString& name);
    qint32 addName(const QString& name, qint32 parent, qint32 group);
    qint32 addNumber(const QString& number, qint32 owner, const QString& kind);

    // Changes. Each returns the number of rows it changed, or -1 when the file refused the
    // change (errorText() says why); a change of several rows is all or nothing.
    int renameGroup(qint32 id, const QString& name);
    int deleteGroup(qint32 id);
    int renameName(qint32 id, const QString& name);
    // Removes a name, every sub-name below it at any depth, and all their numbers.
    int deleteNameTree(qint32 id);
    // Makes a name a top-level name of a group; its sub-names stay with it.
    int moveNameToGroup(qint32 nameId, qint32 groupId);
    // True when the name is the other row itself or one of the rows filed below it, so
    // filing the other row under it would cut a branch off from every list.
    bool isSelfOrBelow(qint32 nameId, qint32 otherId) const;
    int makeSubName(qint32 nameId, qint32 parentId);
    int updateNumber(qint32 id, const QString& number, const QString& kind);
    int deleteNumber(qint32 id);

    QSqlDatabase database() const;

    // Whether a change may go into the file now: it is open for changes and still the file
    // it opened. A file deleted meanwhile is written back from the open connection first;
    // one replaced by another file is left alone. False, with errorText() saying why.
    bool prepareWrite();

private:
    int change(const QStringList& statements, const QVariantList& values);
    // Runs the body inside a write transaction; false, with errorText() set, when the body
    // or the transaction fails, and then nothing of it is kept.
    bool inWriteTransaction(const std::function<bool(QSqlDatabase&)>& body);
    static QString describe(const QSqlError& error);
    ListRows readList(const QString& statement, const QVariantList& values) const;
    qint32 insert(const QString& statement, const QVariantList& values);
    bool execWrite(QSqlQuery& query);
    bool restoreDeletedFile();
    void rememberFile();
    bool checkSchema();
    bool createSchema();
    void fail(const QString& reason);

    // The reads the window runs on every click, prepared once while the file is open.
    class PreparedReads;
    PreparedReads* preparedReads() const;
    void forgetPreparedReads() const;
    mutable std::unique_ptr<PreparedReads> m_preparedReads;

    QString m_connection;
    QString m_filePath;
    QString m_error;
    QStringList m_nameColumns;
    State m_state = State::Closed;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

} // namespace telvora
