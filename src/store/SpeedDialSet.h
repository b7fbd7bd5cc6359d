#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace telvora {

class PhoneBook;

struct SpeedDial
{
    qint64 rowId = 0;
    QString name;
    QString number;
};

// The speed dials as the window has known them since start-up: in name order as they
// were when the set was opened, followed by those added through it, in the order they
// were added. Rows deleted since are left out; edited rows show their new values.
class SpeedDialSet
{
public:
    explicit SpeedDialSet(PhoneBook& book);

    void open();
    QList<SpeedDial> entries() const;
    // The first entry, in set order, whose name is exactly the given text.
    std::optional<SpeedDial> find(const QString& name) const;

    // Each returns false, and changes nothing, when the file refuses the change.
    bool add(const QString& name, const QString& number);
    bool update(qint64 rowId, const QString& name, const QString& number);
    bool remove(qint64 rowId);

private:
    PhoneBook& m_book;
    QList<qint64> m_rowIds;
};

} // namespace telvora
