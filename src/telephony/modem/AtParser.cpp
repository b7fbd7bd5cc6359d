#include "telephony/modem/AtParser.h"

namespace telvora {

namespace {
constexpr char kDle = 0x10;
// A line that never ends must not grow without bound.
constexpr qsizetype kMaxLine = 1024;
} // namespace

void AtParser::reset()
{
    m_line.clear();
    m_afterDle = false;
}

bool AtParser::isCallProgress(Kind kind)
{
    switch (kind) {
    case Kind::Busy:
    case Kind::NoCarrier:
    case Kind::NoDialTone:
    case Kind::NoAnswer:
    case Kind::Connect:
    case Kind::VoiceConnect:
    case Kind::Refused:
        return true;
    default:
        return false;
    }
}

bool AtParser::isDialReport(const QByteArray& text)
{
    const QByteArray upper = text.trimmed().toUpper();
    if (upper.isEmpty())
        return true;
    // Unsolicited and vendor codes ("+COLP: ...", "^ORIG:1,0", "%...") and the reports a
    // data modem gives on its way to CONNECT (W1/W2).
    const char first = upper.at(0);
    if (first == '+' || first == '^' || first == '%' || first == '*' || first == '#')
        return true;
    for (const char* report : {"CARRIER", "PROTOCOL", "COMPRESSION", "DIALING", "DIALLING"}) {
        if (upper.startsWith(report))
            return true;
    }
    return false;
}

QList<AtParser::Event> AtParser::feed(const QByteArray& bytes)
{
    QList<Event> events;
    for (const char c : bytes) {
        if (m_afterDle) {
            m_afterDle = false;
            // A doubled DLE is a data byte, not a code.
            if (c != kDle)
                events.append(Event{Kind::Dle, {}, c});
            continue;
        }
        if (c == kDle) {
            m_afterDle = true;
            continue;
        }
        if (c == '\r' || c == '\n') {
            endLine(events);
            continue;
        }
        if (m_line.size() < kMaxLine)
            m_line.append(c);
    }
    return events;
}

void AtParser::endLine(QList<Event>& events)
{
    const QByteArray line = m_line.trimmed();
    m_line.clear();
    if (line.isEmpty())
        return;
    // The echo of a command, from a modem that echoes before ATE0 takes effect.
    if (line.size() >= 2 && line.left(2).toUpper() == "AT")
        return;
    const QByteArray upper = line.toUpper();
    // Modems spell the same code with or without spaces or a hyphen ("NO DIAL-TONE").
    QByteArray squeezed;
    for (const char c : upper) {
        if (c != ' ' && c != '-' && c != '_')
            squeezed.append(c);
    }
    Kind kind = Kind::Info;
    if (upper == "OK")
        kind = Kind::Ok;
    else if (upper == "ERROR" || upper.startsWith("+CME ERROR") || upper.startsWith("+CMS ERROR"))
        kind = Kind::Error;
    else if (upper == "BUSY")
        kind = Kind::Busy;
    else if (squeezed == "NOCARRIER")
        kind = Kind::NoCarrier;
    else if (squeezed == "NODIALTONE")
        kind = Kind::NoDialTone;
    else if (squeezed == "NOANSWER")
        kind = Kind::NoAnswer;
    // Country rules stop a modem from redialling a number too often: it refuses for a
    // while (DELAYED, optionally with minutes) or for good (BLACKLISTED, BLACKLIST FULL).
    else if (squeezed.startsWith("DELAYED") || squeezed.startsWith("BLACKLIST") ||
             squeezed == "CALLBARRED" || squeezed == "BARRED")
        kind = Kind::Refused;
    else if (upper == "RINGING" || upper == "RINGBACK")
        kind = Kind::Ringing;
    else if (upper == "VCON")
        kind = Kind::VoiceConnect;
    else if (upper == "CONNECT" || upper.startsWith("CONNECT "))
        kind = Kind::Connect;
    else if (upper == "RING")
        kind = Kind::Ring;
    events.append(Event{kind, line, 0});
}

} // namespace telvora
