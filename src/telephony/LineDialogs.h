#pragma once

#include <QString>
#include <QtGlobal>

class QObject;

namespace telvora {

class LineProvider;

// The windows that configure a line and show how a number will be dialled. The windows
// belong to the settings, which install an implementation with LineService::setDialogs();
// this library has no windows of its own. Each returns 0 or a LINEERR code.
class LineDialogs
{
public:
    virtual ~LineDialogs() = default;
    virtual qint32 configDialog(LineProvider& provider, const QString& lineKey, QObject* owner,
                                const QString& deviceClass) = 0;
    virtual qint32 translateDialog(LineProvider& provider, const QString& lineKey, QObject* owner,
                                   const QString& number) = 0;
};

} // namespace telvora
