#include "telephony/mTAPIvb.h"

#include "telephony/CvbTAPILine.h"

#include <QHash>

namespace mTAPIvb {

namespace {

QHash<quint32, std::weak_ptr<CvbTAPILine>>& instances()
{
    static QHash<quint32, std::weak_ptr<CvbTAPILine>> table;
    return table;
}

quint32 lastInstance = 0;

} // namespace

quint32 registerInstance(const std::weak_ptr<CvbTAPILine>& line)
{
    do {
        ++lastInstance;
    } while (lastInstance == 0 || instances().contains(lastInstance));
    instances().insert(lastInstance, line);
    return lastInstance;
}

void unregisterInstance(quint32 instance)
{
    instances().remove(instance);
}

void LineCallback(quint32 hDevice, quint32 dwMessage, quint32 dwCallbackInstance, quint32 dwParam1,
                  quint32 dwParam2, quint32 dwParam3)
{
    if (dwCallbackInstance == 0)
        return;
    // The owning reference keeps the object alive to the end of the dispatch, even when
    // its owner lets go of it in one of the events the handler raises.
    const std::shared_ptr<CvbTAPILine> line = instances().value(dwCallbackInstance).lock();
    if (!line)
        return;
    line->LineProcHandler(hDevice, dwMessage, dwParam1, dwParam2, dwParam3);
}

} // namespace mTAPIvb
