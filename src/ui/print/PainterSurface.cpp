#include "PainterSurface.h"

#include "core/catalogue/Numbers.h"
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
    usePen(color, m_drawWidth);
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
    const QFontMetrics &fm = metrics();
    if (!text.isEmpty()) {
        usePen(m_foreColor, 0);
        m_painter.drawText(QPoint(int(Numbers::roundHalfEven(m_x)), int(Numbers::roundHalfEven(m_y)) + fm.ascent()),
                           text);
    }
    m_x = 0;
    m_y += fm.height();
}

void PainterSurface::drawText(const QString &text, int left, int top, int right, int bottom, int format)
{
    if (right <= left || bottom <= top || text.isEmpty())
        return;
    const int width = right - left;
    const QFontMetrics &fm = metrics();
    QString shown = text;
    int advance = fm.horizontalAdvance(text);
    bool cut = false;
    if (advance > width && (format & EndEllipsis)) {
        shown = fm.elidedText(text, Qt::ElideRight, width);
        if (shown.isEmpty())
            return;
        advance = fm.horizontalAdvance(shown);
        cut = true;
    }
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
    // A text that fits by its advance may still reach out with a glyph's bearing, and a row may be
    // lower than the font: only then does the cell clip (clipping every cell makes a PDF slow and large).
    const bool clip = cut || x < left || x + advance > right || fm.height() > bottom - top ||
                      fm.leftBearing(shown.front()) < 0 || fm.rightBearing(shown.back()) < 0;
    if (clip)
        m_painter.setClipRect(QRect(left, top, width, bottom - top));
    usePen(m_foreColor, 0);
    m_painter.drawText(QPoint(x, top + fm.ascent()), shown);
    if (clip)
        m_painter.setClipping(false);
}

const QFontMetrics &PainterSurface::metrics()
{
    if (!m_metrics || m_metricsFont != m_painter.font()) {
        m_metricsFont = m_painter.font();
        m_metrics.emplace(m_metricsFont, m_painter.device());
    }
    return *m_metrics;
}

// The painter's pen is set only when it changes: setting it is not free on a PDF device.
void PainterSurface::usePen(quint32 color, int width)
{
    if (m_penSet && m_penColor == color && m_penWidth == width)
        return;
    QPen pen(toColor(color));
    pen.setWidth(width);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_penSet = true;
    m_penColor = color;
    m_penWidth = width;
}

QColor PainterSurface::toColor(quint32 color)
{
    return QColor(int(color & 0xff), int((color >> 8) & 0xff), int((color >> 16) & 0xff));
}

quint32 PainterSurface::fromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}
