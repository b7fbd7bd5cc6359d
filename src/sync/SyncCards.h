#pragma once

#include "contacts/BookContacts.h"
#include "contacts/Contact.h"
#include "contacts/GroupIds.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

namespace telvora {

class PhoneBook;

// The names of the phone book as the cards of the address book: a name read as the card it
// is sent as, and a card from the server filed into the book as a name.
// A card is always written the same way from the same name (numbers in a fixed order, one
// group), so comparing two of them tells whether they say the same.
class SyncCards
{
    Q_DECLARE_TR_FUNCTIONS(telvora::SyncCards)

public:
    using UidOf = std::function<QString(qint64 nameId)>;

    explicit SyncCards(PhoneBook& book) : m_book(book), m_groups(book), m_contacts(book) {}

    // The name as a contact; its own UID and its parent's come from uidOf. Nothing when the
    // name is gone.
    std::optional<Contact> contact(qint64 nameId, const UidOf& uidOf);
    // The card a contact is sent as.
    static QByteArray card(Contact contact, bool vcard3 = false);
    static QByteArray hash(const QByteArray& card);
    // The card to send: ours, with every property of the server's last card that the phone
    // book has no place for, in the server card's vCard version.
    static QByteArray merged(const Contact& contact, const QByteArray& serverCard);
    // A card from the server as a contact; nothing, with *why saying why, when it cannot be
    // read or has no name.
    static std::optional<Contact> read(const QByteArray& card, QString* why);

    // Files a contact as a new top-level name; its parent is set by setParent. The new id,
    // or 0 (errorText() says why).
    qint64 add(const Contact& contact);
    // Makes the name say what the contact says; its place under a parent is left to setParent.
    bool update(qint64 nameId, const Contact& contact);
    // Files the name under the parent, or at the top of its group when there is none.
    bool setParent(qint64 nameId, qint64 parentId);
    // Deletes the name; the names filed under it move to the top level, since the server
    // still has their cards.
    bool remove(qint64 nameId);
    // Every name's id.
    QList<qint64> nameIds();
    // Groups are looked up anew: another program may have renamed or deleted them.
    void forgetGroups()
    {
        m_groups.forget();
        m_contacts.forgetGroups();
    }

    QString errorText() const { return m_error; }

private:
    bool fail();

    PhoneBook& m_book;
    GroupIds m_groups;
    BookContacts m_contacts;
    QString m_error;
};

} // namespace telvora
