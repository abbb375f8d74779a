#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

// A surface a report is drawn on: a printer page, an image, a PDF file, or a recording of the calls in a
// test. It keeps a fore colour, a bold flag, a pen width and a current position, and offers the few
// drawing operations the report printer needs. Colours are 0x00BBGGRR.
//
// Lines, text rectangles and pictures are given in device pixels of the surface. The current position
// (used by print()) is in the unit of scaleMode(): twips (1/1440 inch) or pixels.
//
// A surface reports a failure (a device that rejects an operation) by throwing an std::exception; the
// report printer lets it pass to its caller.
class PrintSurface
{
public:
    enum ScaleMode { Twips = 1, Pixels = 3 };
    // How drawText() places a text in its rectangle: one alignment, optionally or-ed with EndEllipsis.
    enum TextFormat { AlignLeft = 0, AlignCenter = 1, AlignRight = 2, AlignMask = 3, EndEllipsis = 0x8000 };

    virtual ~PrintSurface() = default;

    // True for the printer: the report then scales screen pixels to the printer's pixels and prints an
    // empty line before each table. Any other surface is drawn at one surface pixel per screen pixel.
    virtual bool isPrinter() const = 0;

    virtual quint32 foreColor() const = 0;
    virtual void setForeColor(quint32 color) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;

    virtual int scaleMode() const = 0;
    virtual void setScaleMode(int mode) = 0;

    // A length in twips as device pixels of this surface (fractional; the caller rounds).
    virtual double scaleX(double twips) const = 0;
    virtual double scaleY(double twips) const = 0;
    // Twips per device pixel of this surface.
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    // Twips per pixel of the screen the list is shown on (column widths are screen pixels).
    virtual double screenTwipsPerPixelX() const = 0;
    virtual double screenTwipsPerPixelY() const = 0;

    // The pen width of line(), in device pixels.
    virtual int drawWidth() const = 0;
    virtual void setDrawWidth(int width) = 0;
    // A straight line from (x1, y1) to (x2, y2) in `color`, at the current pen width.
    virtual void line(int x1, int y1, int x2, int y2, quint32 color) = 0;

    // Paints `picture` (an image of the list, as the list source hands it over; it may be empty)
    // stretched into the rectangle at (x, y) of the given size. A surface that has no use for pictures
    // may ignore the call.
    virtual void paintPicture(const QVariant &picture, int x, int y, int width, int height) = 0;

    // The current position, in the unit of scaleMode().
    virtual double currentX() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentY(double y) = 0;
    // Prints `text` as one line with its top-left corner at the current position, in the fore colour
    // and weight, then moves the current position to the start of the next line (x = 0, y one line
    // lower). An empty text only moves down a line.
    virtual void print(const QString &text) = 0;

    // Draws `text` on one line into the rectangle (left, top)-(right, bottom), right and bottom
    // exclusive, aligned horizontally by format & AlignMask, at the top of the rectangle; no word wrap.
    // Nothing is drawn outside the rectangle. With EndEllipsis a text too wide for the rectangle is cut
    // and ends in an ellipsis; without it, it is only clipped.
    virtual void drawText(const QString &text, int left, int top, int right, int bottom, int format) = 0;
};
