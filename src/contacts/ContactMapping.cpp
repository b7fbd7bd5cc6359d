#include "contacts/ContactMapping.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>

namespace telvora {

NumberKind ContactMapping::kindForTypes(const QStringList& types)
{
    bool mobile = false, home = false;
    for (const QString& type : types) {
        const QString lower = type.toLower();
        if (lower == QLatin1String("fax"))
            return NumberKind::Fax;
        mobile = mobile || lower == QLatin1String("cell") || lower == QLatin1String("mobile");
        home = home || lower == QLatin1String("home");
    }
    if (mobile)
        return NumberKind::Mobile;
    return home ? NumberKind::Home : NumberKind::Phone;
}

QString ContactMapping::typeForKind(NumberKind kind)
{
    switch (kind) {
    case NumberKind::Fax:
        return QStringLiteral("fax");
    case NumberKind::Mobile:
        return QStringLiteral("cell");
    case NumberKind::Home:
        return QStringLiteral("home");
    case NumberKind::Phone:
        break;
    }
    return QStringLiteral("work");
}

QString ContactMapping::listName(const QStringList& n, const QString& formattedName)
{
    const QString family = n.value(0).trimmed();
    const QString given = n.value(1).trimmed();
    if (!family.isEmpty() && !given.isEmpty())
        return family + QStringLiteral(", ") + given;
    if (!family.isEmpty() || !given.isEmpty())
        return family + given;
    return formattedName.trimmed();
}

QString ContactMapping::fullName(const QStringList& n)
{
    QStringList parts;
    for (const int index : {3, 1, 2, 0, 4})
        if (!n.value(index).trimmed().isEmpty())
            parts << n.value(index).trimmed();
    return parts.join(QLatin1Char(' '));
}

void ContactMapping::appendNote(Contact& contact, const QString& line)
{
    QString& notes = contact.card[CardColumn::Notes];
    notes = notes.isEmpty() ? line : notes + QLatin1Char('\n') + line;
}

void ContactMapping::setCategories(Contact& contact, const QStringList& categories)
{
    QStringList rest;
    for (const QString& category : categories) {
        const QString name = category.trimmed();
        if (name.isEmpty() || contact.groups.contains(name) || rest.contains(name))
            continue;
        if (contact.groups.isEmpty())
            contact.groups << name;
        else
            rest << name;
    }
    if (!rest.isEmpty())
        appendNote(contact, QCoreApplication::translate("telvora::ContactMapping", "Also in: %1")
                                .arg(rest.join(QStringLiteral(", "))));
}

void ContactMapping::setIfEmpty(Contact& contact, CardColumn column, const QString& value)
{
    if (!value.isEmpty() && contact.card.value(column).isEmpty())
        contact.card[column] = value;
}

namespace {

using Target = ContactMapping::Target;
using Field = ContactMapping::Field;

Target field(Field f)
{
    return Target{f, std::nullopt, std::nullopt};
}
Target column(CardColumn c)
{
    return Target{Field::None, c, std::nullopt};
}
Target number(NumberKind k)
{
    return Target{Field::None, std::nullopt, k};
}

// Headers compared by their letters and digits alone, so "E-mail Address", "E-Mail address"
// and "email_address" are one.
QString headerKey(const QString& header)
{
    QString key;
    for (const QChar c : header)
        if (c.isLetterOrNumber())
            key += c.toLower();
    return key;
}

} // namespace

const QList<std::pair<QString, Target>>& ContactMapping::csvExportColumns()
{
    // The headers are written to files as they are; a window shows them translated.
    static const QList<std::pair<QString, Target>> columns{
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Group")), field(Field::Group)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Name")), field(Field::Name)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Full Name")),
         column(CardColumn::FullName)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Company")),
         column(CardColumn::Company)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Job Title")),
         column(CardColumn::JobTitle)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Department")),
         column(CardColumn::Department)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Extension")),
         column(CardColumn::Extention)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Call Back")),
         column(CardColumn::CallBack)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Gender")),
         column(CardColumn::Gender)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Notes")),
         column(CardColumn::Notes)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Business Address")),
         column(CardColumn::AddressBusiness)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Home Address")),
         column(CardColumn::AddressHome)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Postal Code")),
         column(CardColumn::ZipCode)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "PO Box")),
         column(CardColumn::POBOX)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "State")),
         column(CardColumn::State)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Country")),
         column(CardColumn::Country)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "E-mail Address")),
         column(CardColumn::Email)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Web Page")),
         column(CardColumn::HomePage)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Business Phone")),
         number(NumberKind::Phone)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Business Fax")),
         number(NumberKind::Fax)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Mobile Phone")),
         number(NumberKind::Mobile)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Home Phone")),
         number(NumberKind::Home)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "UID")), field(Field::Uid)},
        {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Parent UID")),
         field(Field::ParentUid)},
    };
    return columns;
}

const QList<std::pair<QString, Target>>& ContactMapping::csvChoices()
{
    static const QList<std::pair<QString, Target>> choices = [] {
        QList<std::pair<QString, Target>> list = csvExportColumns();
        list.insert(2, {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Given Name")),
                        field(Field::GivenName)});
        list.insert(3, {QLatin1String(QT_TRANSLATE_NOOP("telvora::ContactMapping", "Family Name")),
                        field(Field::FamilyName)});
        return list;
    }();
    return choices;
}

ContactMapping::Target ContactMapping::csvTarget(const QString& header)
{
    static const QHash<QString, Target> known = [] {
        QHash<QString, Target> table;
        for (const auto& [text, target] : csvExportColumns())
            table.insert(headerKey(text), target);
        const auto add = [&](std::initializer_list<const char*> names, Target target) {
            for (const char* name : names)
                table.insert(headerKey(QLatin1String(name)), target);
        };
        add({"Display Name", "Formatted Name", "Contact Name"}, field(Field::Name));
        add({"First Name", "Given Name", "Given Name Yomi"}, field(Field::GivenName));
        add({"Last Name", "Family Name", "Surname"}, field(Field::FamilyName));
        add({"Middle Name", "Additional Name"}, field(Field::MiddleName));
        add({"Categories", "Group Membership", "Groups", "Category"}, field(Field::Categories));
        add({"Organization", "Organization 1 - Name", "Organisation", "Company Name"},
            column(CardColumn::Company));
        add({"Title", "Organization 1 - Title", "Position"}, column(CardColumn::JobTitle));
        add({"Organization 1 - Department"}, column(CardColumn::Department));
        add({"Note", "Comments", "Comment"}, column(CardColumn::Notes));
        add({"Business Street", "Work Address", "Work Street", "Address 1 - Street"},
            field(Field::Street));
        add({"Home Street"}, field(Field::HomeStreet));
        add({"Business City", "Work City", "Address 1 - City"}, field(Field::City));
        add({"Home City"}, field(Field::HomeCity));
        add({"Business Postal Code", "Work ZipCode", "Zip Code", "Home Postal Code", "Home ZipCode",
             "Address 1 - Postal Code", "ZIP"},
            column(CardColumn::ZipCode));
        add({"Business PO Box", "Home PO Box", "PO Box", "Address 1 - PO Box"},
            column(CardColumn::POBOX));
        add({"Business State", "Work State", "Home State", "Region", "Address 1 - Region"},
            column(CardColumn::State));
        add({"Business Country/Region", "Business Country", "Work Country", "Home Country",
             "Home Country/Region", "Address 1 - Country"},
            column(CardColumn::Country));
        add({"E-mail", "Email", "Primary Email", "E-mail 1 - Value", "Email Address"},
            column(CardColumn::Email));
        add({"Web Page 1", "Website", "Website 1 - Value", "Homepage", "URL"},
            column(CardColumn::HomePage));
        add({"Business Phone 2", "Work Phone", "Phone", "Telephone", "Company Main Phone",
             "Primary Phone", "Phone 1 - Value", "Other Phone"},
            number(NumberKind::Phone));
        add({"Fax", "Fax Number", "Home Fax", "Other Fax"}, number(NumberKind::Fax));
        add({"Mobile", "Mobile Number", "Cell Phone", "Car Phone"}, number(NumberKind::Mobile));
        add({"Home Phone 2", "Private Phone"}, number(NumberKind::Home));
        add({"Sex"}, column(CardColumn::Gender));
        return table;
    }();
    return known.value(headerKey(header));
}

Contact ContactMapping::fromCsv(const QStringList& headers, const QList<Target>& targets,
                                const QStringList& record)
{
    Contact contact;
    QStringList n(5);
    QString name, street, homeStreet, city, homeCity;
    QStringList unknown;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const QString value = record[i].trimmed();
        if (value.isEmpty())
            continue;
        const Target target = targets.value(i);
        if (target.column) {
            setIfEmpty(contact, *target.column, value);
        } else if (target.kind) {
            for (const QString& number : value.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                if (!number.trimmed().isEmpty())
                    contact.numbers << ContactNumber{*target.kind, number.trimmed()};
        } else {
            switch (target.field) {
            case Field::Name:
                name = value;
                break;
            case Field::GivenName:
                n[1] = value;
                break;
            case Field::FamilyName:
                n[0] = value;
                break;
            case Field::MiddleName:
                n[2] = value;
                break;
            case Field::Categories: {
                // Google's "Group Membership" joins its groups with " ::: " and marks its own.
                QStringList groups;
                for (const QString& part : value.split(QRegularExpression(QStringLiteral(":::|;"))))
                    if (!part.trimmed().startsWith(QLatin1Char('*')))
                        groups << part.trimmed();
                setCategories(contact, groups);
                break;
            }
            case Field::Group:
                setCategories(contact, {value});
                break;
            case Field::Street:
                street = value;
                break;
            case Field::HomeStreet:
                homeStreet = value;
                break;
            case Field::City:
                city = value;
                break;
            case Field::HomeCity:
                homeCity = value;
                break;
            case Field::Uid:
                contact.uid = value;
                break;
            case Field::ParentUid:
                contact.parentUid = value;
                break;
            case Field::None:
                unknown << headers.value(i) + QStringLiteral(": ") + value;
                break;
            }
        }
    }
    const auto joined = [](const QString& a, const QString& b) -> QString {
        if (a.isEmpty() || b.isEmpty())
            return a + b;
        return a + QLatin1Char('\n') + b;
    };
    setIfEmpty(contact, CardColumn::AddressBusiness, joined(street, city));
    setIfEmpty(contact, CardColumn::AddressHome, joined(homeStreet, homeCity));
    contact.name = name.isEmpty() ? listName(n, QString()) : name;
    setIfEmpty(contact, CardColumn::FullName, fullName(n));
    for (const QString& line : std::as_const(unknown))
        appendNote(contact, line);
    if (contact.name.isEmpty())
        contact.name = contact.card.value(CardColumn::FullName);
    if (contact.name.isEmpty())
        contact.name = contact.card.value(CardColumn::Company);
    if (contact.name.isEmpty() && !contact.numbers.isEmpty())
        contact.name = contact.numbers.first().number;
    return contact;
}

QStringList ContactMapping::toCsv(const Contact& contact)
{
    QStringList cells;
    for (const auto& [header, target] : csvExportColumns()) {
        if (target.column) {
            cells << contact.card.value(*target.column);
        } else if (target.kind) {
            QStringList numbers;
            for (const ContactNumber& number : contact.numbers)
                if (number.kind == *target.kind)
                    numbers << number.number;
            cells << numbers.join(QLatin1Char('\n'));
        } else if (target.field == Field::Group) {
            cells << contact.groups.value(0);
        } else if (target.field == Field::Name) {
            cells << contact.name;
        } else if (target.field == Field::Uid) {
            cells << contact.uid;
        } else {
            cells << contact.parentUid;
        }
    }
    return cells;
}

} // namespace telvora
