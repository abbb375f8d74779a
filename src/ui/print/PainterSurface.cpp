#include "PainterSurface.h"

#include "ui/platform/Twips.h"

#include <QColor>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>

PainterSurface::PainterSurface(QPainter &painter, bool isPrinter, double screenTwipsPerPixelX,
                               double screenTwipsPerPixelY)
    : m_painter(painter), m_isPrinter(isPrinter), m_twipsPerPixelX(1440.0 / painter.device()->logicalDpiX()),
      m_twipsPerPixelY(1440.0 / painter.device()->logicalDpiY()),
      m_screenTwipsPerPixelX(screenTwipsPerPixelX > 0 ? screenTwipsPerPixelX : Twips::perPixelX()),
      m_screenTwipsPerPixelY(screenTwipsPerPixelY > 0 ? screenTwipsPerPixelY : Twips::perPixelY()),
      m_bold(painter.font().bold())
{
    m_foreColor = fromColor(painter.pen().color());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void PainterSurface::setForeColor(quint32 color)
{
    m_foreColor = color;
}

void PainterSurface::setFontBold(bool bold)
{
    if (bold == m_bold)
        return;
    m_bold = bold;
    QFont font = m_painter.font();
    font.setBold(bold);
    m_painter.setFont(font);
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

void PainterSurface::line(int x1, int y1, int x2, int y2, quint32 color)
{
    QPen pen(toColor(color));
    pen.setWidth(m_drawWidth);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.drawLine(x1, y1, x2, y2);
}

void PainterSurface::paintPicture(const QVariant &picture, int x, int y, int width, int height)
{
    const QRect target(x, y, width, height);
    switch (picture.typeId()) {
    case QMetaType::QPixmap:
        m_painter.drawPixmap(target, picture.value<QPixmap>());
        break;
    case QMetaType::QImage:
        m_painter.drawImage(target, picture.value<QImage>());
        break;
    case QMetaType::QIcon:
        picture.value<QIcon>().paint(&m_painter, target);
        break;
    default:
        break;
    }
}

double PainterSurface::currentX() const
{
    return m_scaleMode == Twips ? m_x * m_twipsPerPixelX : m_x;
}

void PainterSurface::setCurrentX(double x)
{
    m_x = m_scaleMode == Twips ? x / m_twipsPerPixelX : x;
}

double PainterSurface::currentY() const
{
    return m_scaleMode == Twips ? m_y * m_twipsPerPixelY : m_y;
}

void PainterSurface::setCurrentY(double y)
{
    m_y = m_scaleMode == Twips ? y / m_twipsPerPixelY : y;
}

void PainterSurface::print(const QString &text)
{
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    if (!text.isEmpty()) {
        m_painter.setPen(toColor(m_foreColor));
        m_painter.drawText(QPointF(m_x, m_y + metrics.ascent()), text);
    }
    m_x = 0;
    m_y += metrics.height();
}

void PainterSurface::drawText(const QString &text, int left, int top, int right, int bottom, int format)
{
    if (right <= left || bottom <= top || text.isEmpty())
        return;
    const int width = right - left;
    const QFontMetrics metrics(m_painter.font(), m_painter.device());
    const QString shown = (format & EndEllipsis) ? metrics.elidedText(text, Qt::ElideRight, width) : text;
    if (shown.isEmpty())
        return;
    const int advance = metrics.horizontalAdvance(shown);
    int x = left;
    switch (format & AlignMask) {
    case AlignRight:
        x = right - advance;
        break;
    case AlignCenter:
        x = left + (width - advance) / 2;
        break;
    default:
        break;
    }
    // Glyphs may reach a little past their advance, and a row may be lower than the font: the cell clips.
    m_painter.setClipRect(QRect(left, top, width, bottom - top));
    m_painter.setPen(toColor(m_foreColor));
    m_painter.drawText(QPoint(x, top + metrics.ascent()), shown);
    m_painter.setClipping(false);
}

QColor PainterSurface::toColor(quint32 color)
{
    return QColor(int(color & 0xff), int((color >> 8) & 0xff), int((color >> 16) & 0xff));
}

quint32 PainterSurface::fromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}
