#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QUrl>

namespace telvora {

// What went wrong with one request to the address book server, in a form the sync can act
// on (kind) and the user can read (message()).
struct DavError
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(DavError)

public:
    enum class Kind
    {
        None,
        WrongPassword,   // 401: the server refused the user or password
        Unreachable,     // no connection, or it broke off or timed out
        NotAddressBook,  // the address is no address book, or none was found
        Certificate,     // the server's certificate is not trusted, or it changed
        Conflict,        // 412: the card changed on the server since we read it
        NotFound,        // 404
        Forbidden,       // 403
        InsecureUrl,     // plain HTTP where the account was set up with HTTPS
        ForeignRedirect, // the server sent us to another host; nothing was sent there
        TooLarge,        // the answer was larger than the cap
        SyncTokenGone,   // the server no longer knows the sync token: list everything anew
        BadAnswer,       // the answer could not be read (XML refused, no multistatus...)
        Server,          // any other HTTP failure
        Book,            // the phone book could not be read or changed; detail says why
        SuspectDeletion, // the server lost many shared names at once: the user must say
                         // whether they go here too; nothing was changed
    };
    Q_ENUM(Kind)

    Kind kind = Kind::None;
    int httpStatus = 0;
    // Why the answer was refused or what the server said, for the message.
    QString detail;
    // With Certificate: the SHA-256 fingerprint (hex) of the certificate the server showed,
    // which the user may accept.
    QByteArray certificateFingerprint;
    // With ForeignRedirect and InsecureUrl: where the server wanted us to go, and the
    // address it sent us on from.
    QUrl target;
    QUrl source;
    // With SuspectDeletion: how many names the server no longer has, of how many shared.
    int deletions = 0;
    int shared = 0;

    bool ok() const { return kind == Kind::None; }
    QString message() const;
    // A SHA-256 fingerprint in hex as certificate viewers show it: "AB:CD:...".
    static QString fingerprintText(const QByteArray& hex);
};

} // namespace telvora
