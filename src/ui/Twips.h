#pragma once

#include <QRect>
#include <QtMath>

namespace telvora {

// Positions are kept in twips, as the window's arrangement is described in them:
// fifteen twips to a pixel at 96 dpi. Qt scales the pixels on high-dpi screens.
constexpr int twipsPerPixel = 15;

inline int twips(int value)
{
    return qRound(value / double(twipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace telvora
