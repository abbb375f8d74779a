#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Window geometry is worked out in twips (1/1440 inch), the unit the layout rules are written in, and
// converted to pixels with the screen's logical DPI (15 twips per pixel at 96 DPI).
namespace Twips {

// Twips per pixel of the primary screen, horizontally and vertically. Tests may fix them.
double perPixelX();
double perPixelY();
void setPerPixelForTesting(double x, double y); // 0, 0 goes back to the screen's values

int toPixelsX(double twips);
int toPixelsY(double twips);
double fromPixelsX(int pixels);
double fromPixelsY(int pixels);

QRect toPixels(double left, double top, double width, double height);

} // namespace Twips
