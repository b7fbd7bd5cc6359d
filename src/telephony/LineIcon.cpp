#include "telephony/LineIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace telvora {

namespace {

QString themeName(const QString& kind)
{
    if (kind == QLatin1String("modem"))
        return QStringLiteral("modem");
    if (kind == QLatin1String("cellular"))
        return QStringLiteral("phone");
    return QStringLiteral("call-start");
}

QColor kindColour(const QString& kind)
{
    if (kind == QLatin1String("modem"))
        return QColor(0x8a, 0x5a, 0x00);
    if (kind == QLatin1String("cellular"))
        return QColor(0x2e, 0x7d, 0x32);
    return QColor(0x1e, 0x5a, 0xa8);
}

void paintHandset(QPainter& painter, const QRectF& rect, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(rect);
    // The handset in a 100 x 100 box, scaled to the icon.
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 100.0, rect.height() / 100.0);
    QPainterPath handset;
    handset.moveTo(30, 22);
    handset.lineTo(42, 34);
    handset.lineTo(36, 44);
    handset.cubicTo(42, 56, 46, 60, 56, 64);
    handset.lineTo(66, 58);
    handset.lineTo(78, 70);
    handset.lineTo(70, 80);
    handset.cubicTo(46, 80, 20, 54, 20, 30);
    handset.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(handset);
    painter.restore();
}

} // namespace

void paintLineIcon(QPainter& painter, const QRect& rect, const QString& kind)
{
    // A theme lookup needs the GUI application; a painter on an image does not.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QIcon icon = QIcon::fromTheme(themeName(kind));
        if (!icon.isNull()) {
            icon.paint(&painter, rect);
            return;
        }
    }
    paintHandset(painter, QRectF(rect), kindColour(kind));
}

} // namespace telvora
