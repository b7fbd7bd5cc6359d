#pragma once

#include "telephony/LineProvider.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace telvora::test {

// A provider whose lines and calls the test drives by hand, to reach the states a real
// line reaches only by chance: a failed reply, a reply nobody asked for, a version no
// line accepts.
class FakeProvider : public LineProvider
{
public:
    QString kind() const override { return QStringLiteral("fake"); }
    QList<ProviderLine> lines() override { return m_lines; }
    void activate() override { ++activations; }
    qint32 placeCall(quint64 call, const QString& lineKey, const QString& number) override;
    void dropCall(quint64 call) override;
    void releaseCall(quint64 call) override { released.append(call); }
    QString lineState(const QString& lineKey) const override { return m_states.value(lineKey); }

    void setLines(const QList<ProviderLine>& lines) { m_lines = lines; }
    static ProviderLine line(const QString& key, const QString& name);

    // What the line does next, as its provider would report it.
    void place(quint64 call, qint32 result) { events()->callPlaced(call, result); }
    void state(quint64 call, quint32 state, quint32 mode = 0)
    {
        events()->callStateChanged(call, state, mode);
    }
    void dropped(quint64 call, qint32 result) { events()->callDropped(call, result); }
    void setLineState(const QString& lineKey, const QString& text)
    {
        m_states.insert(lineKey, text);
        events()->lineStateUpdated(*this, lineKey);
    }

    // Answer placeCall at once, from inside it, with this result (or not at all when unset).
    std::optional<qint32> replyInsidePlaceCall = 0;
    qint32 refuseAtOnce = 0;
    bool dropAtOnce = true;

    int activations = 0;
    quint64 lastCall = 0;
    QString lastLineKey;
    QString lastNumber;
    QList<quint64> drops;
    QList<quint64> released;

private:
    QList<ProviderLine> m_lines;
    QHash<QString, QString> m_states;
};

} // namespace telvora::test
