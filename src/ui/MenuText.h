#pragma once

#include <QString>

namespace telvora {

// A menu item's text for a name taken from the phone book: a menu reads "&" as the mark
// of its access key, so "Émigrés & Café" must reach it as "Émigrés && Café".
inline QString menuText(QString name)
{
    return name.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace telvora
