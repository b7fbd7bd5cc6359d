#pragma once

#include "contacts/Contact.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace telvora {

class PhoneBook;

// Writes names of the phone book, each followed by its sub-names at any depth, as vCard or
// CSV: the whole book, one group, or chosen names.
class ContactExport
{
    Q_DECLARE_TR_FUNCTIONS(telvora::ContactExport)

public:
    enum class Format
    {
        VCard4,
        VCard3,
        Csv
    };
    explicit ContactExport(PhoneBook& book) : m_book(book) {}

    // The format a file name asks for: .csv is CSV, .vcf/.vcard vCard 4.0, or 3.0 when asked.
    static std::optional<Format> formatFor(const QString& path, bool vcard3 = false);

    // Writes the book (no group and no names given), a group, or the names to the file, in
    // the format its name asks for; the file is replaced only once it is written whole.
    bool exportFile(const QString& path, std::optional<qint64> groupId = {},
                    const QList<qint64>& nameIds = {}, bool vcard3 = false);

    bool exportBook(QIODevice& device, Format format);
    bool exportGroup(qint64 groupId, QIODevice& device, Format format);
    bool exportNames(const QList<qint64>& nameIds, QIODevice& device, Format format);

    // The names in the order they are written, each as a contact; what the exports write.
    bool collect(const QList<qint64>& roots, const std::function<bool(const Contact&)>& write);

    int names() const { return m_names; }
    int numbers() const { return m_numbers; }
    QString errorText() const { return m_error; }
    // "Exported N names and M numbers".
    QString summary() const;

private:
    bool write(const QList<qint64>& roots, QIODevice& device, Format format);
    QList<qint64> roots(const QString& filter, const QVariantList& values);

    PhoneBook& m_book;
    int m_names = 0;
    int m_numbers = 0;
    QString m_error;
};

} // namespace telvora
