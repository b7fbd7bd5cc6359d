#pragma once

#include "contacts/Contact.h"

#include <QStringList>
#include <optional>

namespace telvora {

// How the fields of address-book files map onto the phone book's names, shared by the vCard
// and CSV readers and writers, so both file kinds file the same data the same way.
class ContactMapping
{
public:
    // The kind a number typed like this is filed under: a fax type wins, then mobile, then
    // home; work, voice and no type at all mean the business number.
    static NumberKind kindForTypes(const QStringList& types);
    // The vCard TYPE a kind is written with ("work", "fax", "cell", "home").
    static QString typeForKind(NumberKind kind);

    // The list name and full name a card's N components (family, given, additional, prefix,
    // suffix) and FN give. A name with both a family and a given name lists as
    // "Family, Given"; one with only one of them, by it.
    static QString listName(const QStringList& nComponents, const QString& formattedName);
    static QString fullName(const QStringList& nComponents);

    // Files the categories: the first becomes the group, the others are kept in the notes.
    static void setCategories(Contact& contact, const QStringList& categories);
    // Adds a line to the card's notes.
    static void appendNote(Contact& contact, const QString& line);
    // Sets a card column unless the value is empty; a column already set keeps its text.
    static void setIfEmpty(Contact& contact, CardColumn column, const QString& value);

    // What a CSV header names, as the common address-book exports spell their columns: a
    // card column, a kind of number, or one of the fields below. Nothing for an unknown one.
    enum class Field
    {
        None,
        Name,
        GivenName,
        FamilyName,
        MiddleName,
        Categories,
        Group,
        Street,
        HomeStreet,
        City,
        HomeCity,
        Uid,
        ParentUid,
    };
    struct Target
    {
        Field field = Field::None;
        std::optional<CardColumn> column;
        std::optional<NumberKind> kind;
        bool known() const { return field != Field::None || column || kind; }
    };
    static Target csvTarget(const QString& header);
    // The headers Telvora's own CSV export writes, in order, and what each one is.
    static const QList<std::pair<QString, Target>>& csvExportColumns();
    // A CSV record as a contact: each column filed by its target; a column with none is kept
    // in the notes as "Header: value". Cells of numbers may hold several, one a line.
    static Contact fromCsv(const QStringList& headers, const QList<Target>& targets,
                           const QStringList& record);
    // A contact as the cells of csvExportColumns().
    static QStringList toCsv(const Contact& contact);
    // Every target a column may be mapped to by hand, with its header text.
    static const QList<std::pair<QString, Target>>& csvChoices();
};

} // namespace telvora
