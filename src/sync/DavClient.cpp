#include "DavClient.h"

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <memory>

namespace telvora {

namespace {

const QByteArray kXmlHead = QByteArrayLiteral(R"(<?xml version="1.0" encoding="utf-8"?>)");

QByteArray quoted(const QString& text)
{
    return text.toUtf8().replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The path without a trailing slash, to tell the collection's own entry from its members.
QString bare(const QUrl& url)
{
    QString path = url.path(QUrl::FullyDecoded);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

DavClient::DavClient(DavAccount account, QObject* parent)
    : QObject(parent), m_account(std::move(account))
{
    // Passwords are never kept by the network layer; each request carries its own.
    m_network.setStrictTransportSecurityEnabled(false);
}

bool DavClient::sameOrigin(const QUrl& a, const QUrl& b) const
{
    auto defaultPort = [](const QUrl& url) {
        return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    };
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           defaultPort(a) == defaultPort(b);
}

DavError DavClient::checkUrl(const QUrl& url) const
{
    DavError error;
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        error.kind = DavError::Kind::BadAnswer;
        error.detail = tr("\"%1\" is not a web address.").arg(url.toDisplayString());
    } else if (m_account.server.scheme() == QLatin1String("https") &&
               scheme == QLatin1String("http")) {
        error.kind = DavError::Kind::InsecureUrl;
        error.target = url;
    } else if (!sameOrigin(url, m_account.server)) {
        error.kind = DavError::Kind::ForeignRedirect;
        error.target = url;
    }
    return error;
}

void DavClient::send(Request outgoing)
{
    const DavError refused = checkUrl(outgoing.url);
    if (!refused.ok()) {
        outgoing.onDone(refused, nullptr);
        return;
    }
    QNetworkRequest out(outgoing.url);
    // Each redirect is judged here: the password must not follow one to another host.
    out.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::ManualRedirectPolicy);
    out.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    out.setTransferTimeout(m_limits.transferTimeoutMs);
    out.setRawHeader(
        "Authorization",
        "Basic " + (m_account.user + QLatin1Char(':') + m_account.password).toUtf8().toBase64());
    for (auto it = outgoing.headers.cbegin(); it != outgoing.headers.cend(); ++it)
        out.setRawHeader(it.key(), it.value());
    QNetworkReply* reply = m_network.sendCustomRequest(out, outgoing.method, outgoing.body);

    struct State
    {
        Request request;
        DavError error;
        qint64 bytes = 0;
    };
    auto state = std::make_shared<State>();
    state->request = std::move(outgoing);
    const qint64 cap = state->request.cap;

    auto stop = [reply, state](DavError::Kind kind, const QString& detail) {
        if (state->error.ok()) {
            state->error.kind = kind;
            state->error.detail = detail;
        }
        reply->abort();
    };

    connect(reply, &QNetworkReply::sslErrors, this,
            [this, reply, state](const QList<QSslError>& errors) {
                QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
                if (certificate.isNull() && !errors.isEmpty())
                    certificate = errors.first().certificate();
                const QByteArray fingerprint =
                    certificate.digest(QCryptographicHash::Sha256).toHex();
                if (!m_account.acceptedCertificate.isEmpty() &&
                    fingerprint == m_account.acceptedCertificate.toLower()) {
                    // The user accepted exactly this certificate.
                    reply->ignoreSslErrors(errors);
                    return;
                }
                state->error.kind = DavError::Kind::Certificate;
                state->error.certificateFingerprint = fingerprint;
                state->error.detail = errors.isEmpty() ? QString() : errors.first().errorString();
            });
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, cap, stop] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (cap > 0 && length.isValid() && length.toLongLong() > cap)
            stop(DavError::Kind::TooLarge, {});
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply, state, cap, stop] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        while (reply->bytesAvailable() > 0 && reply->isOpen()) {
            const QByteArray chunk = reply->read(256 * 1024);
            state->bytes += chunk.size();
            if (cap > 0 && state->bytes > cap) {
                stop(DavError::Kind::TooLarge, {});
                return;
            }
            if (status >= 200 && status < 300 && state->request.onData &&
                !state->request.onData(chunk, reply->url())) {
                stop(DavError::Kind::BadAnswer, {});
                return;
            }
        }
    });
    QTimer::singleShot(m_limits.requestTimeoutMs, reply, [stop] {
        stop(DavError::Kind::Unreachable, tr("The answer took too long."));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, state] {
        reply->deleteLater();
        Request& request = state->request;
        DavError error = state->error;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        error.httpStatus = status;
        if (!error.ok()) {
            // Set when the answer was stopped on purpose; that reason is the one to tell.
        } else if (isRedirect(status) && reply->hasRawHeader("Location")) {
            const QUrl target =
                reply->url().resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
            error = checkUrl(target);
            error.source = reply->url();
            if (error.ok() && request.redirects >= m_limits.maxRedirects) {
                error.kind = DavError::Kind::Server;
                error.detail = tr("Too many redirects.");
            }
            if (error.ok()) {
                request.url = target;
                ++request.redirects;
                send(std::move(request));
                return;
            }
            error.httpStatus = status;
        } else if (status == 0) {
            if (reply->error() == QNetworkReply::SslHandshakeFailedError)
                error.kind = DavError::Kind::Certificate;
            else
                error.kind = DavError::Kind::Unreachable;
            error.detail = reply->errorString();
        } else if (status == 401) {
            error.kind = DavError::Kind::WrongPassword;
        } else if (status == 403) {
            error.kind = DavError::Kind::Forbidden;
        } else if (status == 404) {
            error.kind = DavError::Kind::NotFound;
        } else if (status == 412) {
            error.kind = DavError::Kind::Conflict;
        } else if (status < 200 || status >= 300) {
            error.kind = DavError::Kind::Server;
        } else if (reply->error() != QNetworkReply::NoError) {
            // A 2xx whose body broke off.
            error.kind = DavError::Kind::Unreachable;
            error.detail = reply->errorString();
        }
        request.onDone(error, reply);
    });
}

void DavClient::multistatus(const QByteArray& method, const QUrl& url, const QByteArray& depth,
                            const QByteArray& body, ResponseSink sink,
                            std::function<void(const DavError&, const QString&)> done)
{
    MultistatusParser::Limits limits;
    limits.maxBytes = m_limits.maxXmlBytes;
    auto base = std::make_shared<QUrl>(url);
    auto parser = std::make_shared<MultistatusParser>(
        [sink, base](DavResponse&& response) { sink(std::move(response), *base); }, limits);
    Request request;
    request.method = method;
    request.url = url;
    request.body = kXmlHead + body;
    request.headers.insert("Content-Type", "application/xml; charset=utf-8");
    if (!depth.isEmpty())
        request.headers.insert("Depth", depth);
    request.cap = m_limits.maxXmlBytes;
    request.onData = [parser, base](const QByteArray& chunk, const QUrl& from) {
        *base = from;
        return parser->feed(chunk);
    };
    request.onDone = [parser, done](DavError error, QNetworkReply* reply) {
        if (parser->failed()) {
            error.kind = DavError::Kind::BadAnswer;
            error.detail = parser->error();
        }
        if (error.ok() && error.httpStatus != 207) {
            error.kind = DavError::Kind::BadAnswer;
            error.detail =
                MultistatusParser::tr("The server's answer is not a WebDAV multistatus.");
        }
        if (error.ok() && !parser->finish()) {
            error.kind = DavError::Kind::BadAnswer;
            error.detail = parser->error();
        }
        Q_UNUSED(reply);
        done(error, error.ok() ? parser->syncToken() : QString());
    };
    send(std::move(request));
}

void DavClient::propfind(const QUrl& url, const QByteArray& depth, const QByteArray& props,
                         std::function<void(const DavError&, const QList<DavResponse>&)> done)
{
    auto found = std::make_shared<QList<DavResponse>>();
    multistatus(
        "PROPFIND", url, depth,
        R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav" )"
        R"(xmlns:cs="http://calendarserver.org/ns/"><d:prop>)" +
            props + "</d:prop></d:propfind>",
        [found](DavResponse&& response, const QUrl& base) {
            // Hrefs are kept resolved, so that callers never see a relative one.
            auto resolve = [&base](QString& href) {
                if (!href.isEmpty())
                    href = base.resolved(QUrl(href)).toString();
            };
            resolve(response.href);
            resolve(response.principalHref);
            resolve(response.homeSetHref);
            found->append(std::move(response));
        },
        [found, done](const DavError& error, const QString&) { done(error, *found); });
}

void DavClient::discover(std::function<void(const DavError&, const QList<DavAddressBook>&)> done)
{
    const QUrl server = m_account.server;
    propfind(
        server, "0",
        "<d:resourcetype/><d:displayname/><d:current-user-principal/><c:addressbook-home-set/>",
        [this, server, done](const DavError& error, const QList<DavResponse>& found) {
            using Kind = DavError::Kind;
            if (error.kind == Kind::WrongPassword || error.kind == Kind::Unreachable ||
                error.kind == Kind::Certificate || error.kind == Kind::InsecureUrl ||
                error.kind == Kind::ForeignRedirect) {
                done(error, {});
                return;
            }
            const DavResponse* self = found.isEmpty() ? nullptr : &found.first();
            if (self && self->isAddressBook) {
                done({}, {{server, self->displayName}});
                return;
            }
            if (self && !self->homeSetHref.isEmpty()) {
                listBooks(QUrl(self->homeSetHref), done);
                return;
            }
            if (self && !self->principalHref.isEmpty()) {
                discoverHome(QUrl(self->principalHref), done);
                return;
            }
            // Nothing useful at the address given: the server's well-known address leads
            // to the principal.
            propfind(server.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), "0",
                     "<d:current-user-principal/>",
                     [this, done](const DavError& wellKnownError, const QList<DavResponse>& at) {
                         if (!wellKnownError.ok() && wellKnownError.kind != Kind::NotFound &&
                             wellKnownError.kind != Kind::BadAnswer) {
                             done(wellKnownError, {});
                         } else if (!at.isEmpty() && !at.first().principalHref.isEmpty()) {
                             discoverHome(QUrl(at.first().principalHref), done);
                         } else {
                             DavError none;
                             none.kind = Kind::NotAddressBook;
                             done(none, {});
                         }
                     });
        });
}

void DavClient::discoverHome(
    const QUrl& principal, std::function<void(const DavError&, const QList<DavAddressBook>&)> done)
{
    propfind(principal, "0", "<c:addressbook-home-set/>",
             [this, done](const DavError& error, const QList<DavResponse>& found) {
                 if (!error.ok()) {
                     done(error, {});
                 } else if (found.isEmpty() || found.first().homeSetHref.isEmpty()) {
                     DavError none;
                     none.kind = DavError::Kind::NotAddressBook;
                     done(none, {});
                 } else {
                     listBooks(QUrl(found.first().homeSetHref), done);
                 }
             });
}

void DavClient::listBooks(const QUrl& home,
                          std::function<void(const DavError&, const QList<DavAddressBook>&)> done)
{
    propfind(home, "1", "<d:resourcetype/><d:displayname/>",
             [done](const DavError& error, const QList<DavResponse>& found) {
                 QList<DavAddressBook> books;
                 for (const DavResponse& response : found) {
                     if (response.isAddressBook)
                         books.append({QUrl(response.href), response.displayName});
                 }
                 DavError result = error;
                 if (result.ok() && books.isEmpty())
                     result.kind = DavError::Kind::NotAddressBook;
                 done(result, books);
             });
}

void DavClient::bookState(const QUrl& book,
                          std::function<void(const DavError&, const DavBookState&)> done)
{
    propfind(book, "0", "<d:resourcetype/><d:displayname/><cs:getctag/><d:sync-token/>",
             [done](const DavError& error, const QList<DavResponse>& found) {
                 DavBookState state;
                 DavError result = error;
                 if (result.ok() && !found.isEmpty()) {
                     const DavResponse& self = found.first();
                     state = {self.isAddressBook, self.displayName, self.ctag, self.syncToken};
                 }
                 if (result.ok() && !state.isAddressBook)
                     result.kind = DavError::Kind::NotAddressBook;
                 done(result, state);
             });
}

void DavClient::listCards(const QUrl& book, CardSink sink, Done done)
{
    const QString own = bare(book);
    multistatus(
        "PROPFIND", book, "1",
        R"(<d:propfind xmlns:d="DAV:"><d:prop><d:getetag/><d:resourcetype/></d:prop></d:propfind>)",
        [own, sink](DavResponse&& response, const QUrl& base) {
            const QUrl url = base.resolved(QUrl(response.href));
            if (bare(url) == own || response.isCollection)
                return;
            sink({url, response.etag, false, {}});
        },
        [done](const DavError& error, const QString&) { done(error); });
}

void DavClient::syncCollection(const QUrl& book, const QString& syncToken, CardSink sink,
                               std::function<void(const DavError&, const QString&, bool)> done)
{
    const QString own = bare(book);
    auto truncated = std::make_shared<bool>(false);
    multistatus(
        "REPORT", book, "0",
        R"(<d:sync-collection xmlns:d="DAV:"><d:sync-token>)" + quoted(syncToken) +
            "</d:sync-token><d:sync-level>1</d:sync-level>"
            "<d:prop><d:getetag/></d:prop></d:sync-collection>",
        [own, sink, truncated](DavResponse&& response, const QUrl& base) {
            const QUrl url = base.resolved(QUrl(response.href));
            if (bare(url) == own) {
                // The collection itself with 507: the server sent only part of the changes.
                if (response.status == 507)
                    *truncated = true;
                return;
            }
            sink({url, response.etag, response.status == 404, {}});
        },
        [done, truncated, hadToken = !syncToken.isEmpty()](DavError error, const QString& token) {
            if (hadToken && (error.kind == DavError::Kind::Forbidden || error.httpStatus == 409))
                error.kind = DavError::Kind::SyncTokenGone;
            done(error, token, *truncated);
        });
}

void DavClient::multiget(const QUrl& book, const QList<QUrl>& cards, CardSink sink, Done done)
{
    QByteArray body = R"(<c:addressbook-multiget xmlns:d="DAV:" )"
                      R"(xmlns:c="urn:ietf:params:xml:ns:carddav">)"
                      "<d:prop><d:getetag/><c:address-data/></d:prop>";
    for (const QUrl& card : cards)
        body += "<d:href>" +
                quoted(QString::fromLatin1(
                    card.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority))) +
                "</d:href>";
    body += "</c:addressbook-multiget>";
    multistatus(
        "REPORT", book, "", body,
        [sink](DavResponse&& response, const QUrl& base) {
            const QUrl url = base.resolved(QUrl(response.href));
            const bool missing = response.status == 404 || !response.hasAddressData;
            sink({url, response.etag, missing, std::move(response.addressData)});
        },
        [done](const DavError& error, const QString&) { done(error); });
}

void DavClient::get(const QUrl& card, std::function<void(const DavError&, const DavCard&)> done)
{
    auto body = std::make_shared<QByteArray>();
    Request request;
    request.method = "GET";
    request.url = card;
    request.cap = m_limits.maxCardBytes;
    request.onData = [body](const QByteArray& chunk, const QUrl&) {
        body->append(chunk);
        return true;
    };
    request.onDone = [card, body, done](const DavError& error, QNetworkReply* reply) {
        DavCard result{card, {}, false, {}};
        if (error.ok()) {
            result.etag = QString::fromUtf8(reply->rawHeader("ETag"));
            result.vcard = *body;
        }
        done(error, result);
    };
    send(std::move(request));
}

void DavClient::put(const QUrl& card, const QByteArray& vcard, const QString& etag,
                    std::function<void(const DavError&, const QString&)> done)
{
    Request request;
    request.method = "PUT";
    request.url = card;
    request.body = vcard;
    request.cap = m_limits.maxCardBytes;
    request.headers.insert("Content-Type", "text/vcard; charset=utf-8");
    if (etag.isEmpty())
        request.headers.insert("If-None-Match", "*");
    else
        request.headers.insert("If-Match", etag.toUtf8());
    request.onDone = [done](const DavError& error, QNetworkReply* reply) {
        done(error, error.ok() ? QString::fromUtf8(reply->rawHeader("ETag")) : QString());
    };
    send(std::move(request));
}

void DavClient::remove(const QUrl& card, const QString& etag, Done done)
{
    Request request;
    request.method = "DELETE";
    request.url = card;
    request.cap = m_limits.maxCardBytes;
    if (!etag.isEmpty())
        request.headers.insert("If-Match", etag.toUtf8());
    request.onDone = [done](const DavError& error, QNetworkReply*) {
        done(error);
    };
    send(std::move(request));
}

} // namespace telvora
