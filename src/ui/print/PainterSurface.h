#pragma once

#include "core/print/PrintSurface.h"

#include <QFont>
#include <QFontMetrics>

#include <optional>

class QPainter;

// A report surface over a QPainter, so one report draws on any paint device: a QPrinter page (also in
// PDF mode), a QPdfWriter, a QImage for a preview or a test. The painter must be active on its device
// for as long as the surface is used; the surface never ends it, and the caller starts new pages on the
// device itself (QPrinter::newPage()), the current position staying where it was.
//
// Lengths in twips are converted with the device's logical DPI (on a QPrinter, the printable area's
// corner is (0, 0)). `isPrinter` decides how the report scales screen pixels: true makes the surface
// behave as the printer does (rx = screen twips per pixel / device twips per pixel), false draws one
// device pixel per screen pixel. The screen's twips per pixel default to the program's (Twips).
//
// Text is drawn in the painter's font, made bold by setFontBold(); a text too wide for its cell is
// elided at the right end (QFontMetrics::elidedText) and clipped to the cell. The surface uses the
// painter's clip for that (only where a text does not fit) and leaves clipping off after each cell; it
// does not antialias lines. The painter's pen and font belong to the surface while it is used.
class PainterSurface : public PrintSurface
{
public:
    PainterSurface(QPainter &painter, bool isPrinter, double screenTwipsPerPixelX = 0, double screenTwipsPerPixelY = 0);

    bool isPrinter() const override { return m_isPrinter; }
    quint32 foreColor() const override { return m_foreColor; }
    void setForeColor(quint32 color) override;
    bool fontBold() const override { return m_bold; }
    void setFontBold(bool bold) override;
    int scaleMode() const override { return m_scaleMode; }
    void setScaleMode(int mode) override;
    double scaleX(double twips) const override;
    double scaleY(double twips) const override;
    double twipsPerPixelX() const override { return m_twipsPerPixelX; }
    double twipsPerPixelY() const override { return m_twipsPerPixelY; }
    double screenTwipsPerPixelX() const override { return m_screenTwipsPerPixelX; }
    double screenTwipsPerPixelY() const override { return m_screenTwipsPerPixelY; }
    int drawWidth() const override { return m_drawWidth; }
    void setDrawWidth(int width) override;
    void line(int x1, int y1, int x2, int y2, quint32 color) override;
    // Paints a QPixmap, QImage or QIcon held by `picture`; any other value draws nothing.
    void paintPicture(const QVariant &picture, int x, int y, int width, int height) override;
    double currentX() const override;
    void setCurrentX(double x) override;
    double currentY() const override;
    void setCurrentY(double y) override;
    void print(const QString &text) override;
    void drawText(const QString &text, int left, int top, int right, int bottom, int format) override;

    QPainter &painter() const { return m_painter; }

    // 0x00BBGGRR to and from a QColor.
    static QColor toColor(quint32 color);
    static quint32 fromColor(const QColor &color);

private:
    const QFontMetrics &metrics();
    void usePen(quint32 color, int width);

    QPainter &m_painter;
    bool m_isPrinter;
    double m_twipsPerPixelX;
    double m_twipsPerPixelY;
    double m_screenTwipsPerPixelX;
    double m_screenTwipsPerPixelY;
    quint32 m_foreColor = 0;
    bool m_bold = false;
    int m_scaleMode = Twips;
    int m_drawWidth = 1;
    // The current position in device pixels.
    double m_x = 0;
    double m_y = 0;
    // The metrics of the painter's font, kept while the font stays the same.
    QFont m_metricsFont;
    std::optional<QFontMetrics> m_metrics;
    // The pen last given to the painter (the surface sets it only when it changes).
    bool m_penSet = false;
    quint32 m_penColor = 0;
    int m_penWidth = 0;
};
