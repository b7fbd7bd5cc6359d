#pragma once

#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace telvora {

class PhoneBook;

// The names whose card may have changed since the book and the server last agreed on it,
// kept in the file itself (sync_changed) by triggers on names, numbers and groups. A trigger
// marks a name in the same transaction as the change to it, whichever program makes the
// change (this one, the command-line import, any SQLite tool), so a sync need only make the
// cards of the marked names again instead of every name's.
// A file whose triggers are missing or not the ones written here (an older book, one
// another program changed) gets them made anew, and every name marked: what changed while
// they were missing is not known. A sync_changed of another shape is left alone, and then
// every name counts as marked.
class ChangeMarks
{
    Q_DECLARE_TR_FUNCTIONS(telvora::ChangeMarks)

public:
    explicit ChangeMarks(PhoneBook& book) : m_book(book) {}

    // Makes the table and triggers when they are missing or not as written here. False,
    // with errorText() saying why, when the file cannot be changed; the marks are then not
    // used (marked() gives nothing).
    bool prepare();
    // The marked names; nothing when the marks cannot be relied on, so every name counts.
    std::optional<QSet<qint64>> marked() const;
    // Each writes at once, inside the book's change when one is open.
    bool markAll();
    bool mark(qint64 nameId);
    bool markSubNames(qint64 parentId);
    bool clear(const QList<qint64>& nameIds);
    QString errorText() const { return m_error; }

private:
    bool exec(const QString& sql, const QVariantList& values = {});
    bool tableUsable();
    bool dropTriggers();

    PhoneBook& m_book;
    bool m_usable = false;
    QString m_error;
};

} // namespace telvora
