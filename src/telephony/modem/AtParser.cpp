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
        return true;
    default:
        return false;
    }
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
    Kind kind = Kind::Info;
    if (upper == "OK")
        kind = Kind::Ok;
    else if (upper == "ERROR" || upper.startsWith("+CME ERROR") || upper.startsWith("+CMS ERROR"))
        kind = Kind::Error;
    else if (upper == "BUSY")
        kind = Kind::Busy;
    else if (upper == "NO CARRIER")
        kind = Kind::NoCarrier;
    else if (upper == "NO DIALTONE" || upper == "NO DIAL TONE")
        kind = Kind::NoDialTone;
    else if (upper == "NO ANSWER")
        kind = Kind::NoAnswer;
    else if (upper == "VCON")
        kind = Kind::VoiceConnect;
    else if (upper == "CONNECT" || upper.startsWith("CONNECT "))
        kind = Kind::Connect;
    else if (upper == "RING")
        kind = Kind::Ring;
    events.append(Event{kind, line, 0});
}

} // namespace telvora
