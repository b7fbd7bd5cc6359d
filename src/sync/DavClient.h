#pragma once

#include "sync/DavError.h"
#include "sync/MultistatusParser.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QNetworkReply;

namespace telvora {

// The account the client talks to. The password goes to this server's origin (scheme,
// host and port) and nowhere else.
struct DavAccount
{
    QUrl server;
    QString user;
    QString password;
    // SHA-256 fingerprint (hex, lower case) of a certificate the user accepted although it
    // is not trusted by the system; any other untrusted certificate is refused.
    QByteArray acceptedCertificate;
};

struct DavAddressBook
{
    QUrl url;
    QString displayName;
};

struct DavBookState
{
    bool isAddressBook = false;
    QString displayName;
    QString ctag;
    QString syncToken;
};

struct DavCard
{
    QUrl url;
    QString etag;
    bool deleted = false; // in a sync-collection: the card is gone from the server
    QByteArray vcard;     // filled by get and multiget
};

// Speaks CardDAV to one account, asynchronously: each call sends its requests and later
// calls its callback exactly once, on the thread of the client. Answers are streamed, so
// listings of cards are handed on as they arrive, and every answer is capped.
// A card is only ever written with a precondition: If-None-Match: * for a new one,
// If-Match with the known ETag otherwise, so that a concurrent change comes back as a
// Conflict instead of being overwritten.
// A callback may run while the network layer is still inside its own signal, so one that
// is done with the client drops it with deleteLater(), never delete.
class DavClient : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 maxXmlBytes = 64 * 1024 * 1024;
        qint64 maxCardBytes = 1024 * 1024;
        // Servers build a large listing whole before the first byte: Radicale, cold, takes
        // well over half a minute for 10,000 cards.
        int transferTimeoutMs = 120000;
        int maxRedirects = 5;
        // A server that trickles its answer forever is cut off after this.
        int requestTimeoutMs = 10 * 60 * 1000;
    };

    using Done = std::function<void(const DavError&)>;
    using CardSink = std::function<void(DavCard&&)>;

    explicit DavClient(DavAccount account, QObject* parent = nullptr);

    void setLimits(const Limits& limits) { m_limits = limits; }
    const DavAccount& account() const { return m_account; }

    // The user's address books: the server URL itself when it is one, else through the
    // current user's principal and its address book home, trying /.well-known/carddav.
    void discover(std::function<void(const DavError&, const QList<DavAddressBook>&)> done);
    // Display name, ctag and sync token of one address book.
    void bookState(const QUrl& book,
                   std::function<void(const DavError&, const DavBookState&)> done);
    // Every card of the book with its ETag, for servers without sync-collection.
    void listCards(const QUrl& book, CardSink sink, Done done);
    // What changed since syncToken (everything when empty): each card with its new ETag, or
    // marked deleted. done gets the token to keep for next time; truncated means the
    // server sent only part of the changes and the call should be repeated with it. When
    // the call fails, cards already handed on may be fetched but the old token must be
    // kept: the changes are only complete with the new one.
    void syncCollection(
        const QUrl& book, const QString& syncToken, CardSink sink,
        std::function<void(const DavError&, const QString& newToken, bool truncated)> done);
    // The given cards with their vCards, in one request.
    void multiget(const QUrl& book, const QList<QUrl>& cards, CardSink sink, Done done);
    void get(const QUrl& card, std::function<void(const DavError&, const DavCard&)> done);
    // Writes a card: a new one when etag is empty (refused if the name is taken), else only
    // while the server still has that ETag. The callback gets the new ETag when the server
    // gave one.
    void put(const QUrl& card, const QByteArray& vcard, const QString& etag,
             std::function<void(const DavError&, const QString& newEtag)> done);
    // Deletes a card while the server still has that ETag.
    void remove(const QUrl& card, const QString& etag, Done done);

private:
    struct Request
    {
        QByteArray method;
        QUrl url;
        QByteArray body;
        QHash<QByteArray, QByteArray> headers;
        qint64 cap = 0;
        // Called with each piece of the body of a successful answer and the address it came
        // from after redirects; false stops it.
        std::function<bool(const QByteArray&, const QUrl&)> onData;
        std::function<void(const DavError&, QNetworkReply*)> onDone;
        int redirects = 0;
    };
    void send(Request request);
    using ResponseSink = std::function<void(DavResponse&&, const QUrl& base)>;
    void multistatus(const QByteArray& method, const QUrl& url, const QByteArray& depth,
                     const QByteArray& body, ResponseSink sink,
                     std::function<void(const DavError&, const QString& syncToken)> done);
    void propfind(const QUrl& url, const QByteArray& depth, const QByteArray& props,
                  std::function<void(const DavError&, const QList<DavResponse>&)> done);
    DavError checkUrl(const QUrl& url) const;
    bool sameOrigin(const QUrl& a, const QUrl& b) const;
    void discoverHome(const QUrl& principal,
                      std::function<void(const DavError&, const QList<DavAddressBook>&)> done);
    void listBooks(const QUrl& home,
                   std::function<void(const DavError&, const QList<DavAddressBook>&)> done);

    DavAccount m_account;
    Limits m_limits;
    QNetworkAccessManager m_network;
};

} // namespace telvora
