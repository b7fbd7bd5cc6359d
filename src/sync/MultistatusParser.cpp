#include "MultistatusParser.h"

namespace telvora {

namespace {
constexpr QStringView kDav = u"DAV:";
constexpr QStringView kCardDav = u"urn:ietf:params:xml:ns:carddav";
constexpr QStringView kCalendarServer = u"http://calendarserver.org/ns/";
} // namespace

MultistatusParser::MultistatusParser(ResponseSink sink, Limits limits)
    : m_sink(std::move(sink)), m_limits(limits)
{
    m_reader.setNamespaceProcessing(true);
}

MultistatusParser::Tag MultistatusParser::tagOf(QStringView namespaceUri, QStringView name)
{
    if (namespaceUri == kDav) {
        static const QHash<QString, Tag> dav = {
            {QStringLiteral("multistatus"), Tag::Multistatus},
            {QStringLiteral("response"), Tag::Response},
            {QStringLiteral("href"), Tag::Href},
            {QStringLiteral("status"), Tag::Status},
            {QStringLiteral("propstat"), Tag::Propstat},
            {QStringLiteral("prop"), Tag::Prop},
            {QStringLiteral("getetag"), Tag::GetEtag},
            {QStringLiteral("sync-token"), Tag::SyncToken},
            {QStringLiteral("displayname"), Tag::DisplayName},
            {QStringLiteral("resourcetype"), Tag::ResourceType},
            {QStringLiteral("collection"), Tag::Collection},
            {QStringLiteral("current-user-principal"), Tag::CurrentUserPrincipal},
        };
        return dav.value(name.toString(), Tag::Other);
    }
    if (namespaceUri == kCardDav) {
        if (name == u"addressbook")
            return Tag::AddressBook;
        if (name == u"addressbook-home-set")
            return Tag::HomeSet;
        if (name == u"address-data")
            return Tag::AddressData;
    }
    if (namespaceUri == kCalendarServer && name == u"getctag")
        return Tag::GetCtag;
    return Tag::Other;
}

int MultistatusParser::statusCode(const QString& statusLine)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = statusLine.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

MultistatusParser::Tag MultistatusParser::parent(int up) const
{
    const qsizetype index = m_path.size() - 1 - up;
    return index >= 0 ? m_path.at(index) : Tag::Other;
}

bool MultistatusParser::fail(const QString& message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool MultistatusParser::feed(const QByteArray& chunk)
{
    if (failed())
        return false;
    m_bytes += chunk.size();
    if (m_bytes > m_limits.maxBytes)
        return fail(tr("The server's answer is larger than %1 MB and was refused.")
                        .arg(m_limits.maxBytes / (1024 * 1024)));
    if (m_ended) {
        // The reader stops looking once it has seen the document end at the edge of a piece,
        // so whatever follows in later pieces is checked here, as strictly as it would be
        // had it come in the same piece.
        for (const char c : chunk)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                return goesOnAfterEnd();
        return true;
    }
    m_reader.addData(chunk);
    drain();
    return !failed();
}

bool MultistatusParser::goesOnAfterEnd()
{
    return fail(tr("The server's answer goes on after its end."));
}

bool MultistatusParser::finish()
{
    if (failed())
        return false;
    if (m_bytes == 0)
        return fail(tr("The server's answer is empty."));
    if (!m_done)
        return fail(tr("The server's answer ended before it was complete."));
    // The reader holds back what follows the root until it can tell what it is; an end it
    // never reported means something other than white space or a comment was left over.
    if (!m_ended)
        return goesOnAfterEnd();
    return true;
}

void MultistatusParser::drain()
{
    while (!failed() && !m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::DTD:
            // A document type is what declares entities; no WebDAV server needs one.
            fail(tr("The server's answer declares a document type, which is refused."));
            return;
        case QXmlStreamReader::EntityReference:
            fail(tr("The server's answer uses an unknown entity."));
            return;
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::EndDocument:
            m_ended = true;
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            // Nothing but white space may follow the end, whichever piece it arrives in.
            if (m_done)
                goesOnAfterEnd();
            break;
        case QXmlStreamReader::Characters:
            if (m_capturing) {
                m_text += m_reader.text();
                if (m_text.size() > m_limits.maxTextLength)
                    fail(tr("The server's answer holds a text longer than %1 characters.")
                             .arg(m_limits.maxTextLength));
            }
            break;
        default:
            break;
        }
    }
    if (!failed() && m_reader.hasError() &&
        m_reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        fail(tr("The server's answer is not well-formed XML (line %1): %2")
                 .arg(m_reader.lineNumber())
                 .arg(m_reader.errorString()));
}

void MultistatusParser::startElement()
{
    if (m_done) {
        goesOnAfterEnd();
        return;
    }
    if (m_path.size() >= m_limits.maxDepth) {
        fail(tr("The server's answer is nested more than %1 levels deep.").arg(m_limits.maxDepth));
        return;
    }
    const Tag tag = tagOf(m_reader.namespaceUri(), m_reader.name());
    if (m_path.isEmpty()) {
        if (tag != Tag::Multistatus) {
            fail(tr("The server's answer is not a WebDAV multistatus."));
            return;
        }
        m_sawRoot = true;
    }
    const Tag up = m_path.isEmpty() ? Tag::Other : m_path.last();
    m_path.append(tag);
    m_capturing = false;
    switch (tag) {
    case Tag::Response:
        if (up == Tag::Multistatus) {
            if (++m_responses > m_limits.maxResponses) {
                fail(tr("The server's answer lists more than %1 entries.")
                         .arg(m_limits.maxResponses));
                return;
            }
            m_response = DavResponse();
        }
        break;
    case Tag::Propstat:
        m_found = DavResponse();
        m_propstatStatus = 0;
        break;
    case Tag::Collection:
        if (up == Tag::ResourceType)
            m_found.isCollection = true;
        break;
    case Tag::AddressBook:
        if (up == Tag::ResourceType)
            m_found.isAddressBook = true;
        break;
    case Tag::Href:
    case Tag::Status:
    case Tag::GetEtag:
    case Tag::GetCtag:
    case Tag::SyncToken:
    case Tag::DisplayName:
    case Tag::AddressData:
        m_capturing = true;
        m_text.clear();
        break;
    default:
        break;
    }
}

void MultistatusParser::endElement()
{
    if (m_path.isEmpty())
        return;
    const Tag tag = m_path.last();
    const Tag up = parent(1);
    const bool inProp = up == Tag::Prop && parent(2) == Tag::Propstat;
    const QString text = m_capturing ? m_text.trimmed() : QString();
    switch (tag) {
    case Tag::Href:
        if (up == Tag::Response)
            m_response.href = text;
        else if (up == Tag::CurrentUserPrincipal && m_found.principalHref.isEmpty())
            m_found.principalHref = text;
        else if (up == Tag::HomeSet && m_found.homeSetHref.isEmpty())
            m_found.homeSetHref = text;
        break;
    case Tag::Status:
        if (up == Tag::Response)
            m_response.status = statusCode(text);
        else if (up == Tag::Propstat)
            m_propstatStatus = statusCode(text);
        break;
    case Tag::GetEtag:
        if (inProp)
            m_found.etag = text;
        break;
    case Tag::GetCtag:
        if (inProp)
            m_found.ctag = text;
        break;
    case Tag::DisplayName:
        if (inProp)
            m_found.displayName = text;
        break;
    case Tag::SyncToken:
        if (inProp)
            m_found.syncToken = text;
        else if (up == Tag::Multistatus)
            m_syncToken = text;
        break;
    case Tag::AddressData:
        if (inProp) {
            m_found.addressData = m_capturing ? m_text.toUtf8() : QByteArray();
            // The conversion reserves three bytes a letter; a sync keeps many cards at once.
            m_found.addressData.squeeze();
            m_found.hasAddressData = true;
        }
        break;
    case Tag::Propstat:
        if (up == Tag::Response && m_propstatStatus >= 200 && m_propstatStatus < 300) {
            auto take = [](QString& to, QString& from) {
                if (!from.isEmpty())
                    to = std::move(from);
            };
            take(m_response.etag, m_found.etag);
            take(m_response.ctag, m_found.ctag);
            take(m_response.syncToken, m_found.syncToken);
            take(m_response.displayName, m_found.displayName);
            take(m_response.principalHref, m_found.principalHref);
            take(m_response.homeSetHref, m_found.homeSetHref);
            if (m_found.hasAddressData) {
                m_response.addressData = std::move(m_found.addressData);
                m_response.hasAddressData = true;
            }
            m_response.isCollection |= m_found.isCollection;
            m_response.isAddressBook |= m_found.isAddressBook;
        }
        break;
    case Tag::Response:
        if (up == Tag::Multistatus && m_sink)
            m_sink(std::move(m_response));
        break;
    case Tag::Multistatus:
        if (m_path.size() == 1)
            m_done = true;
        break;
    default:
        break;
    }
    m_path.removeLast();
    m_capturing = false;
}

bool MultistatusParser::parse(const QByteArray& xml, QList<DavResponse>* responses, QString* error,
                              QString* syncToken)
{
    MultistatusParser parser([responses](DavResponse&& r) { responses->append(std::move(r)); });
    const bool ok = parser.feed(xml) && parser.finish();
    if (error)
        *error = parser.error();
    if (syncToken)
        *syncToken = parser.syncToken();
    return ok;
}

} // namespace telvora
