#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QXmlStreamReader>
#include <functional>

namespace telvora {

// One <response> of a WebDAV multistatus: what the server says about one resource. Only
// properties the server reported with a success status are filled in.
struct DavResponse
{
    QString href;
    // The status given for the whole resource; in a sync-collection answer 404 marks a
    // member that was removed. 0 when the server gave none.
    int status = 0;
    QString etag;
    QString ctag;
    QString syncToken;
    QString displayName;
    QString principalHref;
    QString homeSetHref;
    QByteArray addressData;
    bool hasAddressData = false;
    bool isCollection = false;
    bool isAddressBook = false;
};

// Reads a multistatus answer as it arrives, chunk by chunk, and hands each response on as
// soon as it is complete, so that a listing of thousands of cards is never held whole.
// Everything about the answer is bounded: its size, its nesting, the number of responses
// and the length of every text. A document type is refused outright, which takes away
// entity expansion along with it.
class MultistatusParser
{
    Q_DECLARE_TR_FUNCTIONS(MultistatusParser)

public:
    struct Limits
    {
        qint64 maxBytes = 64 * 1024 * 1024;
        int maxDepth = 32;
        int maxResponses = 200000;
        qsizetype maxTextLength = 1024 * 1024;
    };

    using ResponseSink = std::function<void(DavResponse&&)>;

    explicit MultistatusParser(ResponseSink sink, Limits limits);
    explicit MultistatusParser(ResponseSink sink) : MultistatusParser(std::move(sink), Limits{}) {}

    // Feeds the next piece; false once the answer is refused (error() says why).
    bool feed(const QByteArray& chunk);
    // The answer is complete: false when it ended early or was refused.
    bool finish();

    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }
    // The collection's new sync token, given after the responses of a sync-collection.
    QString syncToken() const { return m_syncToken; }
    int responseCount() const { return m_responses; }

    // Reads a whole answer at once; the responses are appended to the list.
    static bool parse(const QByteArray& xml, QList<DavResponse>* responses, QString* error,
                      QString* syncToken = nullptr);

private:
    enum class Tag
    {
        Other,
        Multistatus,
        Response,
        Href,
        Status,
        Propstat,
        Prop,
        GetEtag,
        GetCtag,
        SyncToken,
        DisplayName,
        ResourceType,
        Collection,
        AddressBook,
        CurrentUserPrincipal,
        HomeSet,
        AddressData,
    };

    static Tag tagOf(QStringView namespaceUri, QStringView name);
    static int statusCode(const QString& statusLine);
    bool fail(const QString& message);
    bool goesOnAfterEnd();
    void drain();
    void startElement();
    void endElement();
    Tag parent(int up) const;

    ResponseSink m_sink;
    Limits m_limits;
    QXmlStreamReader m_reader;
    QList<Tag> m_path;
    QString m_text;
    bool m_capturing = false;
    DavResponse m_response;
    DavResponse m_found; // what the current propstat reports, kept if its status is 2xx
    int m_propstatStatus = 0;
    qint64 m_bytes = 0;
    int m_responses = 0;
    bool m_sawRoot = false;
    bool m_done = false;
    bool m_ended = false; // the reader reported the document's end
    QString m_syncToken;
    QString m_error;
};

} // namespace telvora
