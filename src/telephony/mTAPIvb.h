#pragma once

#include <QtGlobal>
#include <memory>

class CvbTAPILine;

// The line service's callback and the table that leads its instance value back to the
// line object that opened the line.
namespace mTAPIvb {

// Handed to the service at registration. dwCallbackInstance is the value the line object
// passed when it opened its line; 0 (no line opened) is ignored.
void LineCallback(quint32 hDevice, quint32 dwMessage, quint32 dwCallbackInstance, quint32 dwParam1,
                  quint32 dwParam2, quint32 dwParam3);

// A line object's instance value. The table holds no ownership, so an object its owner
// let go of is gone, and a message still queued for it finds nothing.
quint32 registerInstance(const std::weak_ptr<CvbTAPILine>& line);
void unregisterInstance(quint32 instance);

} // namespace mTAPIvb
