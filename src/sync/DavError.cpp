#include "DavError.h"

#include <QStringList>

namespace telvora {

QString DavError::fingerprintText(const QByteArray& hex)
{
    QStringList pairs;
    for (qsizetype i = 0; i < hex.size(); i += 2)
        pairs << QString::fromLatin1(hex.mid(i, 2)).toUpper();
    return pairs.join(QLatin1Char(':'));
}

QString DavError::message() const
{
    QString text;
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::WrongPassword:
        text = tr("The address book server refused the user name or password.");
        break;
    case Kind::Unreachable:
        text = tr("The address book server cannot be reached.");
        break;
    case Kind::NotAddressBook:
        text = tr("No address book was found at this address.");
        break;
    case Kind::Certificate:
        text = tr("The server's certificate is not trusted or has changed (SHA-256 %1).")
                   .arg(QString::fromLatin1(certificateFingerprint));
        break;
    case Kind::Conflict:
        text = tr("The card was changed on the server in the meantime.");
        break;
    case Kind::NotFound:
        text = tr("The card or address book is not on the server.");
        break;
    case Kind::Forbidden:
        text = tr("The address book server does not allow this.");
        break;
    case Kind::InsecureUrl:
        text = tr("The server asked for plain HTTP at %1, but the account uses HTTPS; refused.")
                   .arg(target.toDisplayString());
        break;
    case Kind::ForeignRedirect:
        text = tr("The server sent us on to another host, %1; the password was not sent there.")
                   .arg(target.host());
        break;
    case Kind::TooLarge:
        text = tr("The server's answer was too large and was refused.");
        break;
    case Kind::SyncTokenGone:
        text = tr("The server no longer knows the last sync state.");
        break;
    case Kind::BadAnswer:
        text = tr("The server's answer could not be read.");
        break;
    case Kind::Server:
        text = tr("The address book server reported an error (HTTP %1).").arg(httpStatus);
        break;
    case Kind::Book:
        text = tr("The phone book could not be changed for the sync:");
        break;
    case Kind::SuspectDeletion:
        text = tr("The address book server no longer has %n of the %1 names it shares with "
                  "this phone book.",
                  nullptr, deletions)
                   .arg(shared);
        break;
    }
    return detail.isEmpty() ? text : text + QLatin1Char(' ') + detail;
}

} // namespace telvora
