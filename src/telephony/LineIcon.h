#pragma once

#include <QString>

class QPainter;
class QRect;

namespace telvora {

// Paints the icon of a kind of line ("sip", "modem", "cellular") into rect: the desktop
// theme's icon when there is one, else a handset drawn in the kind's colour, so the icon
// is never missing on a bare system.
void paintLineIcon(QPainter& painter, const QRect& rect, const QString& kind);

} // namespace telvora
