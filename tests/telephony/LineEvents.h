#pragma once

#include "telephony/CvbTAPILine.h"

#include <QStringList>

namespace telvora::test {

// The events one line object raised, in order, as "MakeCallResult(0)", "Connected", ...
class LineEvents : public QObject
{
public:
    LineEvents() = default;
    explicit LineEvents(CvbTAPILine& line) { watch(line); }

    void watch(CvbTAPILine& line)
    {
        connect(&line, &CvbTAPILine::MakeCallResult, this,
                [this](qint32 code) { m_list << QStringLiteral("MakeCallResult(%1)").arg(code); });
        connect(&line, &CvbTAPILine::DropCallResult, this,
                [this](qint32 code) { m_list << QStringLiteral("DropCallResult(%1)").arg(code); });
        connect(&line, &CvbTAPILine::Connected, this,
                [this] { m_list << QStringLiteral("Connected"); });
        connect(&line, &CvbTAPILine::Disconnected, this,
                [this] { m_list << QStringLiteral("Disconnected"); });
        connect(&line, &CvbTAPILine::Idle, this, [this] { m_list << QStringLiteral("Idle"); });
    }

    QStringList list() const { return m_list; }
    qsizetype count() const { return m_list.size(); }
    bool contains(const QString& event) const { return m_list.contains(event); }

private:
    QStringList m_list;
};

} // namespace telvora::test
