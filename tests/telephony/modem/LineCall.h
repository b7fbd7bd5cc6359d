#pragma once

#include "telephony/CvbTAPILine.h"
#include "telephony/LineEvents.h"
#include "telephony/LineService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace telvora::test {

// The device number of the line with this kind and key as the next registration sees it,
// waiting (for a probe, or a modem to appear) up to timeoutMs; -1 when it never shows.
inline int lineIndex(const QString& kind, const QString& key, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    do {
        const auto lines = LineService::instance().listLines();
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].provider->kind() == kind && lines[i].line.key == key)
                return i;
        }
        QTest::qWait(50);
    } while (clock.elapsed() < timeoutMs);
    return -1;
}

// One call through the line object, from placing it to its idle end.
struct LineCall
{
    std::shared_ptr<CvbTAPILine> line = CvbTAPILine::make();
    LineEvents events{*line};

    bool place(int index, const QString& number)
    {
        if (!line->Create() || index < 0)
            return false;
        line->setCurrentLineID(index);
        return line->OpenLine(1, 4) && line->MakeCallAsynch(number);
    }
    bool waitFor(const QString& event, int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!events.contains(event) && clock.elapsed() < timeoutMs)
            QTest::qWait(20);
        return events.contains(event);
    }
    bool waitIdle(int timeoutMs = 10000) { return waitFor(QStringLiteral("Idle"), timeoutMs); }
};

} // namespace telvora::test
