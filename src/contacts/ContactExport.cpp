#include "contacts/ContactExport.h"

#include "contacts/BookContacts.h"
#include "contacts/CsvWriter.h"
#include "contacts/VCardWriter.h"
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace telvora {

std::optional<ContactExport::Format> ContactExport::formatFor(const QString& path, bool vcard3)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        return vcard3 ? Format::VCard3 : Format::VCard4;
    return std::nullopt;
}

QString ContactExport::summary() const
{
    return tr("Exported %1 names and %2 numbers").arg(m_names).arg(m_numbers);
}

QList<qint64> ContactExport::roots(const QString& filter, const QVariantList& values)
{
    QList<qint64> ids;
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT id FROM names WHERE typeof(id) = 'integer' AND id > 0 AND ") +
        filter + QStringLiteral(" ORDER BY sortkey, name, id"));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        m_error = query.lastError().text();
    while (query.next())
        ids << query.value(0).toLongLong();
    return ids;
}

bool ContactExport::exportFile(const QString& path, std::optional<qint64> groupId,
                               const QList<qint64>& nameIds, bool vcard3)
{
    m_names = m_numbers = 0;
    const std::optional<Format> format = formatFor(path, vcard3);
    if (!format) {
        m_error = tr("%1 is neither a vCard (.vcf) nor a CSV (.csv) file").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = tr("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    // One read for the whole file: the export shows the book at one moment, even while
    // another program changes it.
    bool written = false;
    m_book.asOneRead([&] {
        written = !nameIds.isEmpty() ? exportNames(nameIds, file, *format)
                  : groupId          ? exportGroup(*groupId, file, *format)
                                     : exportBook(file, *format);
        return written;
    });
    if (!written)
        return false;
    if (!file.commit()) {
        m_error = tr("%1 cannot be written: %2").arg(path, file.errorString());
        m_names = m_numbers = 0;
        return false;
    }
    return true;
}

bool ContactExport::exportBook(QIODevice& device, Format format)
{
    // Names whose parent row is gone are listed nowhere else, so they go out at the top.
    const QList<qint64> top = roots(
        QStringLiteral("(parent = 0 OR parent NOT IN (SELECT id FROM names WHERE id > 0))"), {});
    return m_error.isEmpty() && write(top, device, format);
}

bool ContactExport::exportGroup(qint64 groupId, QIODevice& device, Format format)
{
    const QList<qint64> top = roots(QStringLiteral("parent = 0 AND \"group\" = ?"), {groupId});
    return m_error.isEmpty() && write(top, device, format);
}

bool ContactExport::exportNames(const QList<qint64>& nameIds, QIODevice& device, Format format)
{
    return write(nameIds, device, format);
}

bool ContactExport::collect(const QList<qint64>& roots,
                            const std::function<bool(const Contact&)>& write)
{
    m_names = m_numbers = 0;
    QHash<qint64, QString> uids;
    QSet<qint64> seen;
    BookContacts contacts(m_book);
    const QSet<qint64> withSubNames = m_book.namesWithSubNames();
    // Depth first, so every sub-name follows the name it is filed under.
    QList<std::pair<qint64, qint64>> stack;
    for (auto it = roots.crbegin(); it != roots.crend(); ++it)
        stack.append({*it, 0});
    while (!stack.isEmpty()) {
        const auto [id, parent] = stack.takeLast();
        if (seen.contains(id))
            continue;
        seen.insert(id);
        std::optional<Contact> found = contacts.contact(id);
        if (!found)
            continue;
        Contact contact = std::move(*found);
        const ListRows children = withSubNames.contains(id) ? m_book.subNames(id) : ListRows();
        if (!children.isEmpty() || parent > 0) {
            contact.uid =
                QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
            uids.insert(id, contact.uid);
        }
        contact.parentUid = uids.value(parent);
        for (qsizetype i = children.size() - 1; i >= 0; --i)
            if (isRowId(children.id(i)))
                stack.append({children.id(i), id});
        if (!write(contact))
            return false;
        ++m_names;
        m_numbers += int(contact.numbers.size());
    }
    return true;
}

bool ContactExport::write(const QList<qint64>& roots, QIODevice& device, Format format)
{
    m_error.clear();
    bool done = false;
    if (format == Format::Csv) {
        CsvWriter writer(device);
        done = writer.writeHeader() &&
               collect(roots, [&](const Contact& contact) { return writer.write(contact); });
    } else {
        VCardWriter writer(device, format == Format::VCard3 ? VCardWriter::Version::V3
                                                            : VCardWriter::Version::V4);
        done = collect(roots, [&](const Contact& contact) { return writer.write(contact); });
    }
    if (!done)
        m_error = tr("The file could not be written: %1").arg(device.errorString());
    return done;
}

} // namespace telvora
