#pragma once

#include "telephony/LineCall.h"

#include <QStringList>

namespace telvora::test {

// The signals one call raised, in order: "placed", "refused", "ringing", "connected",
// "ended". What they carried is read from the call itself (error(), end()).
class LineEvents : public QObject
{
public:
    LineEvents() = default;
    explicit LineEvents(LineCall& call) { watch(call); }

    void watch(LineCall& call)
    {
        connect(&call, &LineCall::placed, this, [this] { m_list << QStringLiteral("placed"); });
        connect(&call, &LineCall::refused, this, [this] { m_list << QStringLiteral("refused"); });
        connect(&call, &LineCall::ringing, this, [this] { m_list << QStringLiteral("ringing"); });
        connect(&call, &LineCall::connected, this,
                [this] { m_list << QStringLiteral("connected"); });
        connect(&call, &LineCall::ended, this, [this] { m_list << QStringLiteral("ended"); });
    }

    QStringList list() const { return m_list; }
    qsizetype count() const { return m_list.size(); }
    bool contains(const QString& event) const { return m_list.contains(event); }

private:
    QStringList m_list;
};

} // namespace telvora::test
