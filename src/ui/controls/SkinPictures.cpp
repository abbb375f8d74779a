#include "SkinPictures.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QString>

#include <cmath>

// The pictures live in the UI library's resources, which a static library links in only when asked.
static void initButtonResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(cratebook);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

enum class Look { Flat, Lit, Sunken };

// The SVG drawn into an image of `pixels` device pixels (through Qt's SVG image plugin).
QImage renderGlyph(const QString &svg, int pixels)
{
    QImageReader reader(svg);
    reader.setScaledSize(QSize(pixels, pixels));
    QImage glyph = reader.read();
    if (glyph.isNull())
        return glyph;
    return glyph.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QPixmap drawLook(const QImage &glyph, int glyphSize, qreal dpr, const QPalette &palette, Look look)
{
    const int side = glyphSize + 2 * SkinPictures::kPadding;
    const int devicePixels = int(std::ceil(side * dpr));
    QImage canvas(devicePixels, devicePixels, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(dpr);
    canvas.fill(Qt::transparent);

    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF face = QRectF(0, 0, side, side).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = side / 8.0;
    QPointF glyphAt(SkinPictures::kPadding, SkinPictures::kPadding);

    if (look == Look::Lit) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha(40);
        QColor edge = palette.color(QPalette::Highlight);
        edge.setAlpha(150);
        painter.setPen(QPen(edge, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(face, radius, radius);
    } else if (look == Look::Sunken) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha(80);
        painter.setPen(QPen(palette.color(QPalette::Mid), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(face, radius, radius);
        // The shadow inside the upper and left edges that makes the face look pressed in.
        QPainterPath shade;
        shade.moveTo(face.left() + 1, face.bottom() - radius);
        shade.lineTo(face.left() + 1, face.top() + 1);
        shade.lineTo(face.right() - radius, face.top() + 1);
        QColor shadow = palette.color(QPalette::Shadow);
        shadow.setAlpha(110);
        painter.setPen(QPen(shadow, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shade);
        glyphAt += QPointF(1, 1);
    }
    painter.drawImage(glyphAt, glyph);
    painter.end();
    return QPixmap::fromImage(canvas);
}

} // namespace

SkinPictures SkinPictures::fromSvg(const QString &svg, int glyphSize, qreal dpr, const QPalette &palette)
{
    initButtonResources();
    SkinPictures pictures;
    if (glyphSize <= 0 || dpr <= 0)
        return pictures;
    QImage glyph = renderGlyph(svg, int(std::ceil(glyphSize * dpr)));
    if (glyph.isNull())
        return pictures;
    glyph.setDevicePixelRatio(dpr);
    pictures.normal = drawLook(glyph, glyphSize, dpr, palette, Look::Flat);
    pictures.hover = drawLook(glyph, glyphSize, dpr, palette, Look::Lit);
    pictures.pressed = drawLook(glyph, glyphSize, dpr, palette, Look::Sunken);
    return pictures;
}
