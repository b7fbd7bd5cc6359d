#include "contacts/ContactImport.h"

#include "contacts/CsvReader.h"
#include "contacts/VCardReader.h"
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace telvora {

bool ContactImport::isVCardFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard");
}

bool ContactImport::isCsvFile(const QString& path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("csv");
}

QString ContactImport::summary() const
{
    QString text = tr("Imported %1 names and %2 numbers").arg(m_names).arg(m_numbers);
    if (m_skipped > 0)
        text += tr(" (%1 skipped: already there or empty)").arg(m_skipped);
    return text;
}

bool ContactImport::importFile(const QString& path, const ColumnMapper& mapColumns)
{
    m_names = m_numbers = m_skipped = 0;
    const bool vcard = isVCardFile(path);
    if (!vcard && !isCsvFile(path)) {
        m_error = tr("%1 is neither a vCard (.vcf) nor a CSV (.csv) file").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = tr("%1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    return vcard ? importVCard(file) : importCsv(file, mapColumns);
}

bool ContactImport::importVCard(QIODevice& device)
{
    VCardReader reader(device);
    return importContacts([&](Contact& contact) { return goOn(device) && reader.next(contact); },
                          [&] { return m_stopped ? stoppedText() : reader.errorText(); });
}

bool ContactImport::importCsv(QIODevice& device, const ColumnMapper& mapColumns)
{
    CsvReader reader(device);
    QStringList headers;
    QList<ContactMapping::Target> targets;
    if (reader.next(headers)) {
        bool unknown = false;
        for (const QString& header : std::as_const(headers)) {
            targets << ContactMapping::csvTarget(header);
            unknown = unknown || !targets.last().known();
        }
        if (unknown && mapColumns)
            targets = mapColumns(headers, targets);
    }
    QStringList record;
    return importContacts(
        [&](Contact& contact) {
            if (!goOn(device) || !reader.next(record))
                return false;
            contact = ContactMapping::fromCsv(headers, targets, record);
            contact.line = reader.recordLine();
            return true;
        },
        [&] { return m_stopped ? stoppedText() : reader.errorText(); });
}

bool ContactImport::goOn(const QIODevice& device)
{
    m_stopped = m_stopped || (m_progress && !m_progress(device.pos()));
    return !m_stopped;
}

QString ContactImport::stoppedText()
{
    return tr("The import was cancelled.");
}

bool ContactImport::importContacts(const std::function<bool(Contact&)>& next,
                                   const std::function<QString()>& failure)
{
    m_names = m_numbers = m_skipped = 0;
    m_stopped = false;
    m_error.clear();
    m_groups.forget();
    m_existing.clear();
    m_loadedGroups.clear();
    m_byUid.clear();
    m_cardColumns.clear();
    m_parentsToFind.clear();
    const bool done = m_book.asOneBulkAdd([&] {
        Contact contact;
        while (next(contact))
            if (!add(contact))
                return false;
        m_error = failure();
        if (!m_error.isEmpty())
            return false;
        // A sub-name may come before the name it is filed under.
        for (const auto& [child, parentUid] : std::as_const(m_parentsToFind)) {
            const qint64 parent = m_byUid.value(parentUid);
            if (parent > 0 && !m_book.isSelfOrBelow(parent, child) &&
                m_book.makeSubName(child, parent) < 0) {
                m_error = m_book.errorText();
                return false;
            }
        }
        return true;
    });
    if (!done) {
        if (m_error.isEmpty())
            m_error = m_book.errorText();
        m_names = m_numbers = m_skipped = 0;
    }
    return done;
}

bool ContactImport::fail(const Contact& contact, const QString& why)
{
    m_error =
        tr("The card at line %1 (%2) was not stored: %3").arg(contact.line).arg(contact.name, why);
    return false;
}

QString ContactImport::key(qint64 group, qint64 parent, const QString& name, const QString& number)
{
    return QString::number(group) + QLatin1Char('\x1f') + QString::number(parent) +
           QLatin1Char('\x1f') + name + QLatin1Char('\x1f') + number;
}

bool ContactImport::loadGroup(qint64 group)
{
    if (m_loadedGroups.contains(group))
        return true;
    m_loadedGroups.insert(group);
    QSqlQuery query(m_book.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT n.id, n.parent, n.name, m.name FROM names n LEFT JOIN"
                                 " numbers m ON m.parent = n.id WHERE n.\"group\" = ?"));
    query.addBindValue(group);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return false;
    }
    while (query.next())
        m_existing.insert(key(group, query.value(1).toLongLong(), query.value(2).toString(),
                              query.value(3).toString()),
                          query.value(0).toLongLong());
    return true;
}

bool ContactImport::add(const Contact& contact)
{
    if (contact.name.isEmpty()) {
        ++m_skipped;
        return true;
    }
    const qint64 group =
        m_groups.id(m_forcedGroup.isEmpty() ? contact.groups.value(0) : m_forcedGroup);
    if (group <= 0 && !(m_forcedGroup.isEmpty() && contact.groups.isEmpty()))
        return fail(contact, m_book.errorText());
    const qint64 parent = m_byUid.value(contact.parentUid);
    if (!loadGroup(group))
        return fail(contact, m_error);
    QStringList numbers;
    for (const ContactNumber& number : contact.numbers)
        numbers << number.number;
    if (numbers.isEmpty())
        numbers << QString();
    for (const QString& number : std::as_const(numbers)) {
        const qint64 existing = m_existing.value(key(group, parent, contact.name, number));
        if (existing > 0) {
            ++m_skipped;
            if (!contact.uid.isEmpty())
                m_byUid.insert(contact.uid, existing);
            return true;
        }
    }
    QList<std::pair<QString, QString>> card;
    if (m_cardColumns.isEmpty())
        m_cardColumns = m_book.nameColumns().mid(4);
    for (auto it = contact.card.cbegin(); it != contact.card.cend(); ++it) {
        const QString column = schema::columnName(it.key());
        if (!it.value().isEmpty() && m_cardColumns.contains(column, Qt::CaseInsensitive))
            card.append({column, it.value()});
    }
    const qint64 id = m_book.addName(contact.name, parent, group, card);
    if (id <= 0)
        return fail(contact, m_book.errorText());
    for (const ContactNumber& number : contact.numbers) {
        if (m_book.addNumber(number.number, id, schema::kindText(number.kind)) <= 0)
            return fail(contact, m_book.errorText());
        ++m_numbers;
    }
    for (const QString& number : std::as_const(numbers))
        m_existing.insert(key(group, parent, contact.name, number), id);
    if (!contact.uid.isEmpty())
        m_byUid.insert(contact.uid, id);
    if (!contact.parentUid.isEmpty() && parent == 0)
        m_parentsToFind.append({id, contact.parentUid});
    ++m_names;
    return true;
}

} // namespace telvora
