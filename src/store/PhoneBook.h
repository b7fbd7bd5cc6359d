#pragma once

#include "store/ListCursor.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QSqlQuery;
struct sqlite3;
struct sqlite3_stmt;

namespace telvora {

class FileSchema;
class SortKey;

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
    // Counts the connections opened: what a reader keeps about the connection (functions
    // and tables made on it) holds while this stays the same.
    quint64 openCount() const { return m_openCount; }
    // How far the file has come, as this connection sees it: its schema's version, the count
    // of other connections' commits, and this connection's own changed rows. Read from a
    // statement kept prepared, so a reader may ask it before every read; nothing when the
    // book is not open.
    struct Versions
    {
        qint64 schema = 0;
        qint64 data = 0;
        qint64 ownChanges = 0;
    };
    std::optional<Versions> versions() const;
    // A statement kept prepared on the book's connection until the file is closed, for a
    // reader beside the store that asks the same few questions at every letter typed; reset,
    // ready to bind and step, and to be reset after use. Nothing when the book is not open or
    // SQLite refuses the text.
    sqlite3_stmt* keptStatement(const QString& sql) const;
    bool isWritable() const { return m_state == State::Opened || m_state == State::Created; }
    QString filePath() const { return m_filePath; }
    // Why the file could not be opened, is read-only, or why the last change failed.
    QString errorText() const { return m_error; }

    // Lists, each in the order the window shows it.
    ListRows groups() const;
    ListRows topLevelNames() const;
    ListRows topLevelNamesWithoutGroup() const;
    ListRows topLevelNamesInGroup(qint64 groupId) const;
    ListRows subNames(qint64 parentId) const;
    ListRows numbers(qint64 ownerId, const QString& kind) const;
    // Every number of a name with its kind as the file writes it; those of a kind in the order
    // they were added.
    QList<std::pair<QString, ListRow>> numbersOf(qint64 ownerId) const;
    // The names that have sub-names.
    QSet<qint64> namesWithSubNames() const;
    // The same lists read a page at a time, for lists that may hold a million names.
    ListCursor groupsCursor() const;
    ListCursor topLevelNamesCursor() const;
    ListCursor topLevelNamesInGroupCursor(qint64 groupId) const;
    ListCursor subNamesCursor(qint64 parentId) const;
    // Any rows of names, in the order of the lists; the filter is an SQL condition.
    ListCursor namesCursor(const QString& filter, const QVariantList& values) const;

    // What the lists' order was made for: the locale and its collation's version. Empty
    // when the file has no sort keys (a read-only file from before them), and the lists
    // then sort by name, letter case aside.
    QString sortIdentity() const { return m_sortIdentity; }
    // The key a name sorts by under the user's locale.
    QByteArray sortKey(const QString& text) const;

    std::optional<qint64> groupOfName(qint64 nameId) const;
    std::optional<QString> groupName(qint64 groupId) const;

    // The columns of names that nameRow reads, in its order, spelt as the file spells
    // them: id, name, parent, group, then each card column the file has.
    QStringList nameColumns() const { return m_nameColumns; }
    // Those columns of one names row; nothing when no row has this id.
    std::optional<QVariantList> nameRow(qint64 id) const;
    // Writes the given columns of one names row. False, and nothing written, when the row
    // no longer exists, a column is unknown, or the file refuses the change.
    bool updateNameColumns(qint64 id, const QList<std::pair<QString, QString>>& values);

    // Each returns the new row's id, or 0 when nothing was stored (errorText() says why).
    // A parent or group below 0 stands for no usable row and is refused.
    qint64 addGroup(const QString& name);
    // The card's columns (as nameColumns() spells them, after the first four) are filled in
    // the same statement.
    qint64 addName(const QString& name, qint64 parent, qint64 group,
                   const QList<std::pair<QString, QString>>& card = {});
    qint64 addNumber(const QString& number, qint64 owner, const QString& kind);

    // Changes. Each returns the number of rows it changed, or -1 when the file refused the
    // change (errorText() says why); a change of several rows is all or nothing. An id that
    // is not a positive whole number, or that several rows share, is refused.
    int renameGroup(qint64 id, const QString& name);
    int deleteGroup(qint64 id);
    int renameName(qint64 id, const QString& name);
    // Removes a name, every sub-name below it at any depth, and all their numbers; the
    // walk down goes through positive ids only.
    int deleteNameTree(qint64 id);
    // Makes a name a top-level name of a group; its sub-names stay with it.
    int moveNameToGroup(qint64 nameId, qint64 groupId);
    // True when the name is the other row itself or one of the rows filed below it, so
    // filing the other row under it would cut a branch off from every list.
    bool isSelfOrBelow(qint64 nameId, qint64 otherId) const;
    int makeSubName(qint64 nameId, qint64 parentId);
    int updateNumber(qint64 id, const QString& number, const QString& kind);
    int deleteNumber(qint64 id);

    QSqlDatabase database() const;

    // Runs the body as one change of the file: every add and change it makes is kept
    // together, or, when the body returns false or any of them fails, none is.
    bool asOneChange(const std::function<bool()>& body);
    // Runs the body's reads as one: they all see the file as it was at the first of them,
    // and take its lock once instead of once a statement. The body must not write.
    bool asOneRead(const std::function<bool()>& body);
    // The same as asOneChange for a body that adds many names and numbers, such as an import: the
    // search indexes take the rows it adds at the end, all at once, instead of one by one. A row
    // the body adds must not be renamed or removed within it.
    bool asOneBulkAdd(const std::function<bool()>& body);

    // Whether a change may go into the file now: it is open for changes and still the file
    // it opened. A file deleted meanwhile is written back from the open connection first;
    // one replaced by another file is left alone. False, with errorText() saying why.
    bool prepareWrite();

private:
    friend class ListCursor;
    friend class CallLog;
    // Up to count rows of the cursor's list after (forward) or before the marked row.
    std::optional<ListMark> markOf(const ListCursor& cursor, qint64 id) const;
    qint64 countBefore(const ListCursor& cursor, const ListMark& mark) const;
    std::optional<qint64> countFrom(const ListCursor& cursor, const ListMark& mark,
                                    qint64 limit) const;
    // The mark of the row that many rows after (forward) or before the marked one, or from
    // the list's start or end without a mark, the rows between skipped by one statement;
    // nothing from a row without a key, or when the list has no such row.
    std::optional<ListMark> markSkipping(const ListCursor& cursor,
                                         const std::optional<ListMark>& from, qint64 rows,
                                         bool forward) const;
    // A page that ends before count rows ends the list; its last mark is read too unless
    // the caller, reading on to the end, has no use for it.
    enum class EarlyEnd
    {
        Marked,
        Unmarked,
    };
    ListPage readPage(const ListCursor& cursor, const std::optional<ListMark>& mark, int count,
                      bool forward, EarlyEnd earlyEnd = EarlyEnd::Marked) const;
    ListRows readWhole(const ListCursor& cursor) const;
    // Those of these rows that are in the table and that the cursor's filter keeps, by row
    // number; at most kListedRows rows at a time.
    static constexpr int kListedRows = 64;
    ListRows readListed(const ListCursor& cursor, const QList<qint64>& rows) const;
    ListCursor listCursor(const QString& table, const char* filter,
                          const QVariantList& values) const;
    qint64 countRows(const ListCursor& cursor) const;
    // A mark just before the first row of a table's lists that sorts at or after the
    // prefix, letter case and accents aside: where the rows beginning with it start.
    ListMark prefixMark(const QString& table, QStringView prefix) const;
    // Whether the text begins with the prefix as the table's lists sort them.
    bool beginsWith(const QString& table, QStringView text, QStringView prefix) const;
    bool seekable(const QString& table) const { return !m_withoutRowid.contains(table); }
    bool prepareSortKeys(bool writable, const FileSchema& fileSchema);
    bool isKeyed(const QString& table) const { return m_keyed.contains(table); }
    int renameRow(const QString& table, qint64 id, const QString& name);
    // Runs the statements on the one row of a table with this id.
    int changeRow(const QString& table, qint64 id, const QStringList& statements,
                  const QVariantList& values);
    bool refuseUnusable(qint64 id, bool zeroAllowed);
    bool singleRow(QSqlDatabase& db, const QString& table, qint64 id);
    // Runs the body inside a write transaction; false, with errorText() set, when the body
    // or the transaction fails, and then nothing of it is kept.
    bool inWriteTransaction(const std::function<bool(QSqlDatabase&)>& body);
    bool inTransaction(const std::function<bool(QSqlDatabase&)>& body);
    // Puts the rows a bulk add made into the search indexes and gives back the triggers it took.
    bool indexBulkAdded(QSqlDatabase& db, const QStringList& triggersTaken);
    static QString describe(const QSqlError& error);
    static QString describe(sqlite3* db);
    static bool inUse(const QString& databaseText);
    static QString inUseText(const QString& databaseText);
    qint64 insert(const QString& table, const QStringList& columns, const QVariantList& values);
    bool execWrite(QSqlQuery& query);
    bool restoreDeletedFile();
    void rememberFile();
    // Reads the file's schema into fileSchema and checks it; false, with the reason told, when
    // the file is no phone book this program can use.
    bool checkSchema(bool writable, std::optional<FileSchema>& fileSchema);
    bool addCardColumns(const QStringList& missing);
    bool createSchema();
    void fail(const QString& reason);

    // The reads the window runs on every click, prepared once while the file is open.
    class PreparedReads;
    PreparedReads* preparedReads() const;
    // A kept statement with the values bound; nullptr when the file is not open or the
    // statement cannot be prepared.
    sqlite3_stmt* boundRead(const QString& sql, const QVariantList& values) const;
    void forgetPreparedReads() const;
    // SQLite's own connection under Qt's, for the functions the book adds to it.
    sqlite3* sqliteHandle() const;
    // The writing statement, prepared once while the file is open; nullptr, with the
    // error told, when it cannot be.
    QSqlQuery* preparedWrite(const QString& sql, const QSqlDatabase& db);
    // A read through Qt's driver, prepared once while the file is open and finished by its
    // caller after use; nullptr when it cannot be prepared, the book's error left as it was.
    QSqlQuery* keptQuery(const QString& sql) const;
    mutable std::unique_ptr<PreparedReads> m_preparedReads;

    QString m_connection;
    QString m_filePath;
    QString m_error;
    QStringList m_nameColumns;
    QString m_nameRowStatement;
    // Tables whose id is not SQLite's own row number, so new rows are numbered by us.
    QStringList m_numberedTables;
    // Tables with a sort-key column, and tables without SQLite's row numbers.
    QSet<QString> m_keyed;
    QSet<QString> m_withoutRowid;
    std::unique_ptr<SortKey> m_sortKey;
    quint64 m_openCount = 0;
    QString m_sortIdentity;
    State m_state = State::Closed;
    // Inside asOneChange, whose transaction holds every change.
    bool m_inOneChange = false;
    // Inside asOneBulkAdd: the ids of the names and numbers it added, by table.
    std::optional<QHash<QString, QList<qint64>>> m_bulkAdded;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

} // namespace telvora
