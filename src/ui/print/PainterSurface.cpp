#include "PainterSurface.h"

#include <QColor>
#include <QPainter>

PainterSurface::PainterSurface(QPainter &painter, bool isPrinter, double screenTwipsPerPixelX,
                               double screenTwipsPerPixelY)
    : m_painter(painter), m_isPrinter(isPrinter), m_twipsPerPixelX(15), m_twipsPerPixelY(15),
      m_screenTwipsPerPixelX(screenTwipsPerPixelX), m_screenTwipsPerPixelY(screenTwipsPerPixelY)
{}

void PainterSurface::setForeColor(quint32 color)
{
    m_foreColor = color;
}
void PainterSurface::setFontBold(bool bold)
{
    m_bold = bold;
}
void PainterSurface::setScaleMode(int mode)
{
    m_scaleMode = mode;
}
double PainterSurface::scaleX(double twips) const
{
    return twips / m_twipsPerPixelX;
}
double PainterSurface::scaleY(double twips) const
{
    return twips / m_twipsPerPixelY;
}
void PainterSurface::setDrawWidth(int width)
{
    m_drawWidth = width;
}
void PainterSurface::line(int, int, int, int, quint32) {}
void PainterSurface::paintPicture(const QVariant &, int, int, int, int) {}
double PainterSurface::currentX() const
{
    return m_x;
}
void PainterSurface::setCurrentX(double x)
{
    m_x = x;
}
double PainterSurface::currentY() const
{
    return m_y;
}
void PainterSurface::setCurrentY(double y)
{
    m_y = y;
}
void PainterSurface::print(const QString &) {}
void PainterSurface::drawText(const QString &, int, int, int, int, int) {}
QColor PainterSurface::toColor(quint32 color)
{
    return QColor(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
}
quint32 PainterSurface::fromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}
