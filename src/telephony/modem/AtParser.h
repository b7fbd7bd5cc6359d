#pragma once

#include <QByteArray>
#include <QList>

namespace telvora {

// Splits what an AT modem sends into events: result codes, information lines and the
// DLE-shielded codes of voice mode. It keeps no notion of which command is pending, so a
// BUSY or NO CARRIER that arrives at any moment is reported for what it is; whoever reads
// the events decides what each one ends. Bytes may arrive in any pieces.
class AtParser
{
public:
    enum class Kind
    {
        Ok,
        Error, // ERROR, +CME ERROR, +CMS ERROR
        Busy,
        NoCarrier,
        NoDialTone,
        NoAnswer,
        Connect,      // CONNECT [rate]: a data connection
        VoiceConnect, // VCON
        Ring,
        Refused, // the modem will not dial this number now: DELAYED, BLACKLISTED, CALL BARRED
        Ringing, // the far end rings (a report some modems give before the result)
        Dle,     // a shielded code; `code` is its character
        Info,    // any other line, e.g. "+CLCC: 1,0,2,..." or an identification text
    };
    struct Event
    {
        Kind kind = Kind::Info;
        QByteArray text;
        char code = 0;
        bool operator==(const Event&) const = default;
    };

    QList<Event> feed(const QByteArray& bytes);
    void reset();

    // True for the results that tell how a call went rather than how a command went.
    static bool isCallProgress(Kind kind);
    // True for an information line that may come while a dial is under way (carrier and
    // protocol reports, unsolicited "+..." codes); any other line there is a result code
    // nobody here knows, and ends the dial.
    static bool isDialReport(const QByteArray& text);

private:
    void endLine(QList<Event>& events);

    QByteArray m_line;
    bool m_afterDle = false;
};

} // namespace telvora
