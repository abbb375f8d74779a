#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

namespace Twips {

namespace {

constexpr double TwipsPerInch = 1440.0;
constexpr double FallbackPerPixel = 15.0; // 96 DPI

double g_testPerPixelX = 0.0;
double g_testPerPixelY = 0.0;

// Twips per pixel for a logical DPI; a missing screen or a nonsensical DPI falls back to 96 DPI.
double perPixelFor(double dotsPerInch)
{
    return dotsPerInch > 0.0 ? TwipsPerInch / dotsPerInch : FallbackPerPixel;
}

} // namespace

// The screen is asked every time rather than cached: the primary screen can change while the program runs.
double perPixelX()
{
    if (g_testPerPixelX > 0.0)
        return g_testPerPixelX;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? perPixelFor(screen->logicalDotsPerInchX()) : FallbackPerPixel;
}

double perPixelY()
{
    if (g_testPerPixelY > 0.0)
        return g_testPerPixelY;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? perPixelFor(screen->logicalDotsPerInchY()) : FallbackPerPixel;
}

void setPerPixelForTesting(double x, double y)
{
    g_testPerPixelX = x > 0.0 ? x : 0.0;
    g_testPerPixelY = y > 0.0 ? y : 0.0;
}

int toPixelsX(double twips)
{
    return qRound(twips / perPixelX());
}

int toPixelsY(double twips)
{
    return qRound(twips / perPixelY());
}

double fromPixelsX(int pixels)
{
    return pixels * perPixelX();
}

double fromPixelsY(int pixels)
{
    return pixels * perPixelY();
}

// Edges are rounded, not sizes: rectangles that touch in twips still touch in pixels, and a row of them
// adds up to the pixel width of the whole row.
QRect toPixels(double left, double top, double width, double height)
{
    const int x1 = toPixelsX(left);
    const int y1 = toPixelsY(top);
    const int x2 = toPixelsX(left + width);
    const int y2 = toPixelsY(top + height);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

} // namespace Twips
