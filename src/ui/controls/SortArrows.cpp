#include "SortArrows.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace {

// The size of a header image: the small icon size of the common styles.
constexpr int kExtent = 16;

// A triangle of 8 by 4 logical pixels in the middle of a transparent square, pointing up or down, at
// `ratio` device pixels per logical pixel.
QPixmap arrow(bool up, qreal ratio)
{
    const int side = qRound(kExtent * ratio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    const QPointF centre(kExtent / 2.0, kExtent / 2.0);
    constexpr qreal kHalfWidth = 4.0;
    constexpr qreal kHalfHeight = 2.0;
    const qreal tipY = up ? centre.y() - kHalfHeight : centre.y() + kHalfHeight;
    const qreal baseY = up ? centre.y() + kHalfHeight : centre.y() - kHalfHeight;
    QPainterPath path;
    path.moveTo(centre.x() - kHalfWidth, baseY);
    path.lineTo(centre.x() + kHalfWidth, baseY);
    path.lineTo(centre.x(), tipY);
    path.closeSubpath();

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText));
    painter.drawPath(path);
    return pixmap;
}

QIcon arrowIcon(bool up)
{
    QIcon icon;
    icon.addPixmap(arrow(up, 1.0));
    icon.addPixmap(arrow(up, 2.0));
    return icon;
}

} // namespace

namespace SortArrows {

QIcon ascending()
{
    return arrowIcon(true);
}

QIcon descending()
{
    return arrowIcon(false);
}

QList<QIcon> headerImages()
{
    return {ascending(), descending()};
}

} // namespace SortArrows
