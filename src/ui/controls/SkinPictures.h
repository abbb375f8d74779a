#pragma once

#include <QPixmap>

class QPalette;
class QString;

// The three looks of a picture button, drawn from one SVG glyph: the glyph on a flat background
// (normal), on a lit one (hover) and on a sunken one, nudged down and right (pressed). The pictures are
// rendered at a given device pixel ratio so that they stay sharp on high-DPI screens.
class SkinPictures
{
public:
    // Empty space around the glyph, in logical pixels, on every side.
    static constexpr int kPadding = 4;

    // Renders `svg` (a file or resource path) as a glyph of `glyphSize` logical pixels on a square of
    // glyphSize + 2 * kPadding, at `dpr` device pixels per logical pixel, in the colours of `palette`.
    // All three pictures are null when the SVG cannot be read.
    static SkinPictures fromSvg(const QString &svg, int glyphSize, qreal dpr, const QPalette &palette);

    QPixmap normal;
    QPixmap hover;
    QPixmap pressed;
};
