#pragma once

#include "store/Schema.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace telvora {

// One number of a contact, with the kind the card files it under.
struct ContactNumber
{
    NumberKind kind = NumberKind::Phone;
    QString number;
    friend bool operator==(const ContactNumber&, const ContactNumber&) = default;
};

// A name of the phone book as files outside it carry one: what an import adds and an export
// writes. Only the card columns that hold text are present in `card`.
struct Contact
{
    QString name;
    QMap<CardColumn, QString> card;
    QList<ContactNumber> numbers;
    // The groups (categories) the file puts the name in, the first one first.
    QStringList groups;
    // The file's own id of the contact, and of the contact it is filed under, if any.
    QString uid;
    QString parentUid;
    // Where the contact starts in its file, for messages.
    qint64 line = 0;
};

} // namespace telvora
