#pragma once

#include "contacts/Contact.h"
#include "contacts/ContactMapping.h"
#include "contacts/GroupIds.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <functional>

class QIODevice;

namespace telvora {

class PhoneBook;

// Adds the contacts of a vCard or CSV file to the phone book as one change: a file that cannot
// be read to its end adds nothing. A name already in its group with the same number (or,
// without numbers, with none) is skipped, and so is a second copy within the file.
class ContactImport
{
    Q_DECLARE_TR_FUNCTIONS(telvora::ContactImport)

public:
    // Columns of a CSV file as the header row names them; those it does not name are given
    // to `mapColumns` (the mapping dialog), which may file them elsewhere.
    using ColumnMapper = std::function<QList<ContactMapping::Target>(
        const QStringList& headers, const QList<ContactMapping::Target>& targets)>;

    explicit ContactImport(PhoneBook& book) : m_book(book), m_groups(book) {}

    // Every contact goes into this group (made when missing) instead of its own categories.
    void setGroup(const QString& name) { m_forcedGroup = name; }

    // Told how far into the file the reading is before each contact; when it returns false
    // the import stops and adds nothing.
    void setProgress(std::function<bool(qint64 bytesRead)> progress)
    {
        m_progress = std::move(progress);
    }

    // The file's kind by its extension: .vcf or .vcard, or .csv.
    static bool isVCardFile(const QString& path);
    static bool isCsvFile(const QString& path);

    // A .vcf/.vcard or .csv file by its name; false, with nothing added and errorText()
    // saying why, when it is of neither kind or cannot be opened or read.
    bool importFile(const QString& path, const ColumnMapper& mapColumns = {});
    // A vCard file; false, with nothing added and errorText() saying where, when it cannot be
    // read or stored.
    bool importVCard(QIODevice& device);
    // A CSV file with a header row; false, with nothing added, as for vCard.
    bool importCsv(QIODevice& device, const ColumnMapper& mapColumns = {});
    // Contacts from any source: `next` gives one contact at a time and returns false at the
    // end; `failure` then says why it stopped early, empty at the real end.
    bool importContacts(const std::function<bool(Contact&)>& next,
                        const std::function<QString()>& failure);

    int names() const { return m_names; }
    int numbers() const { return m_numbers; }
    int skipped() const { return m_skipped; }
    QString errorText() const { return m_error; }
    // "Imported N names and M numbers", with the skipped ones when there were any.
    QString summary() const;

private:
    bool add(const Contact& contact);
    bool goOn(const QIODevice& device);
    static QString stoppedText();
    bool loadGroup(qint64 group);
    static QString key(qint64 group, qint64 parent, const QString& name, const QString& number);
    bool fail(const Contact& contact, const QString& why);

    PhoneBook& m_book;
    QString m_forcedGroup;
    GroupIds m_groups;
    // Names already in each group the file adds to, by group, parent, name and number.
    QHash<QString, qint64> m_existing;
    QSet<qint64> m_loadedGroups;
    QHash<QString, qint64> m_byUid;
    // The card columns the book has, read once an import.
    QStringList m_cardColumns;
    std::function<bool(qint64)> m_progress;
    // Set when the progress function said to stop.
    bool m_stopped = false;
    QList<std::pair<qint64, QString>> m_parentsToFind;
    int m_names = 0;
    int m_numbers = 0;
    int m_skipped = 0;
    QString m_error;
};

} // namespace telvora
