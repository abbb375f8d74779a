#include "ListViewPrinter.h"

#include "PrintListSource.h"
#include "PrintSurface.h"
#include "core/catalogue/Numbers.h"
#include "core/text/Cp1251.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int toInt(double value)
{
    return int(Numbers::roundHalfEven(value));
}

int textAlign(PrintListSource::Alignment alignment)
{
    switch (alignment) {
    case PrintListSource::AlignRight:
        return PrintSurface::AlignRight;
    case PrintListSource::AlignCenter:
        return PrintSurface::AlignCenter;
    case PrintListSource::AlignLeft:
        break;
    }
    return PrintSurface::AlignLeft;
}

// Cells are drawn as the 8-bit code page holds them, as every other text the program writes out.
QString asWritten(const QString &text)
{
    return Cp1251::canEncode(text) ? text : Cp1251::roundTrip(text);
}

} // namespace

// What a draw call works out at its start and forgets at its end.
struct ListViewPrinter::Frame
{
    float rx = 1; // surface pixels per screen pixel
    float ry = 1;
    qint16 pad = 3; // text inset at the left and the right of a cell
    qint32 rowH = 0;
    qint16 iconAdvance = 0;
    qint32 x0 = 0; // the table's top-left corner (inside the border)
    qint32 y0 = 0;
    int savedScaleMode = PrintSurface::Pixels;
    quint32 listColor = 0;
    int columns = 0;
    // The columns' widths and alignments, read once a call (index 0 is column 1).
    std::vector<int> widths;
    std::vector<PrintListSource::Alignment> alignments;
};

ListViewPrinter::Frame ListViewPrinter::begin(PrintSurface &target, int iconTwips) const
{
    if (!m_list)
        throw std::logic_error("ListViewPrinter: no list bound");
    Frame f;
    f.listColor = m_list->foreColor();
    target.setForeColor(f.listColor);
    f.columns = m_list->columnCount();
    for (int c = 1; c <= f.columns; ++c) {
        f.widths.push_back(m_list->columnWidth(c));
        f.alignments.push_back(m_list->columnAlignment(c));
    }
    f.rowH = toInt(target.scaleY(RowHeight));
    if (target.isPrinter()) {
        target.print(QString());
        f.rx = float(target.screenTwipsPerPixelX() / target.twipsPerPixelX());
        f.ry = float(target.screenTwipsPerPixelY() / target.twipsPerPixelY());
        f.pad = qint16(toInt(double(f.rx) * 3));
    }
    f.savedScaleMode = target.scaleMode();
    target.setScaleMode(PrintSurface::Pixels);
    f.iconAdvance = qint16(toInt(target.scaleX(iconTwips)));
    f.x0 = toInt(target.scaleX(PosX));
    f.y0 = toInt(target.scaleY(PosY));
    if (DrawBorder) {
        f.x0 = toInt(f.x0 + double(f.rx) * BorderDistance);
        f.y0 = toInt(f.y0 + double(f.ry) * BorderDistance);
    }
    return f;
}

// Draws one cell from `left` (moved on to the cell's right edge) at `top` (which the inset and its undoing
// round, as they always have). Returns the cell's bottom.
int ListViewPrinter::drawCell(PrintSurface &target, const Frame &f, int &left, int &top, int column,
                              const QString &text, bool header, int icon) const
{
    int l = left;
    int r = toInt(l + double(f.rx) * f.widths[size_t(column - 1)]);
    const int b = top + f.rowH;
    const PrintListSource::Alignment alignment = f.alignments[size_t(column - 1)];

    l += f.pad;
    r -= f.pad;
    top = toInt(top + 2 * double(f.ry));

    const bool iconHere = header ? alignment == PrintListSource::AlignLeft && r - l >= 0 : true;
    if (HasPicture && icon != 0 && iconHere) {
        const int width = std::min<int>(PicWidth, toInt(r - l + 4 * double(f.rx)));
        const QVariant picture = header ? m_list->headerPicture(icon) : m_list->smallPicture(icon);
        target.paintPicture(picture, l, top, toInt(double(f.rx) * (width - 1)), toInt(double(f.ry) * (PicHeight - 1)));
        l += f.iconAdvance;
    }

    target.drawText(asWritten(text), l, top, r, b, textAlign(alignment) | PrintSurface::EndEllipsis);

    r += f.pad;
    top = toInt(top - 2 * double(f.ry));
    left = r;
    return b;
}

void ListViewPrinter::finish(PrintSurface &target, const Frame &f, int right, int bottom)
{
    int bx = 0;
    int by = 0;
    if (DrawBorder) {
        bx = toInt(double(f.rx) * BorderDistance);
        by = toInt(double(f.ry) * BorderDistance);
    }
    const double tx = target.isPrinter() ? target.twipsPerPixelX() : target.screenTwipsPerPixelX();
    const double ty = target.isPrinter() ? target.twipsPerPixelY() : target.screenTwipsPerPixelY();
    CurrentX = toInt((right + bx) * tx);
    CurrentY = toInt((bottom + by) * ty);
    target.setScaleMode(f.savedScaleMode);
}

void ListViewPrinter::SetRows()
{
    RowFrom = m_nextRow;
    RowTo = m_nextRow + NumOfRowsPerPage - 1;
    m_nextRow = RowTo + 1;
    if (m_list && m_nextRow > m_list->itemCount())
        m_nextRow = 1;
}

void ListViewPrinter::PrintHead(PrintSurface &target)
{
    const Frame f = begin(target, 400);
    int left = f.x0;
    int top = f.y0;
    int bottom = f.y0 + f.rowH;
    for (int c = 1; c <= f.columns; ++c)
        bottom = drawCell(target, f, left, top, c, m_list->columnText(c), true, m_list->columnIcon(c));

    if (DrawHorizontalLines) {
        target.setDrawWidth(m_horizontalLineWidth);
        target.line(f.x0, f.y0, left, f.y0, m_horizontalLineColor);
        target.line(f.x0, f.y0 + f.rowH, left, f.y0 + f.rowH, m_horizontalLineColor);
    }
    m_headPrinted = true;
    finish(target, f, left, bottom);
}

void ListViewPrinter::PrintBody(PrintSurface &target)
{
    const Frame f = begin(target, 260);
    target.setDrawWidth(m_horizontalLineWidth);
    const int items = m_list->itemCount();
    LastRowPrinted = false;

    int top = m_headPrinted ? f.y0 + f.rowH : f.y0;
    int right = f.x0;
    for (int row = RowFrom; row <= RowTo; ++row) {
        if (row < 1 || row > items)
            throw std::out_of_range("ListViewPrinter: the list has no item " + std::to_string(row));
        int left = f.x0;
        int bottom = top + f.rowH;
        for (int c = 1; c <= f.columns; ++c) {
            target.setFontBold(m_list->itemBold(row, c));
            target.setForeColor(m_list->itemColor(row, c));
            bottom = drawCell(target, f, left, top, c, m_list->itemText(row, c), false, m_list->itemIcon(row, c));
            target.setFontBold(false);
            target.setForeColor(f.listColor);
        }
        if (DrawHorizontalLines)
            target.line(f.x0, bottom, left, bottom, m_horizontalLineColor);
        right = left;
        top = bottom;
        if (row == items) {
            LastRowPrinted = true;
            break;
        }
    }

    if (DrawHorizontalLines && !m_headPrinted)
        target.line(f.x0, f.y0, right, f.y0, m_horizontalLineColor);

    if (DrawVerticalLines) {
        target.setDrawWidth(m_verticalLineWidth);
        target.line(f.x0, f.y0, f.x0, top, m_verticalLineColor);
        int sum = 0;
        for (int c = 1; c <= f.columns; ++c) {
            sum = toInt(sum + double(f.rx) * f.widths[size_t(c - 1)]);
            target.line(f.x0 + sum, f.y0, f.x0 + sum, top, m_verticalLineColor);
        }
    }

    if (DrawBorder) {
        target.setDrawWidth(m_borderLineWidth);
        const int bx = toInt(double(f.rx) * BorderDistance);
        const int by = toInt(double(f.ry) * BorderDistance);
        const int x1 = f.x0 - bx;
        const int y1 = f.y0 - by;
        const int x2 = right + bx;
        const int y2 = top + by;
        target.line(x2, y2, x2, y1, m_borderLineColor);
        target.line(x2, y1, x1, y1, m_borderLineColor);
        target.line(x1, y1, x1, y2, m_borderLineColor);
        target.line(x1, y2, x2, y2, m_borderLineColor);
    }

    m_headPrinted = false;
    finish(target, f, right, top);
}

void ListViewPrinter::SetLine(const PrintSurface &target, qint32 kind, float Width, quint32 color)
{
    int width = 1;
    if (Width != 1.0f) {
        if (target.isPrinter()) {
            width = toInt(std::fabs(15.0 / target.twipsPerPixelX() * double(Width)));
        } else {
            width = std::abs(int(std::trunc(Width)));
            if (width == 0)
                width = 1;
        }
    }
    switch (kind) {
    case 1:
        m_verticalLineWidth = width;
        m_verticalLineColor = color;
        break;
    case 2:
        m_horizontalLineWidth = width;
        m_horizontalLineColor = color;
        break;
    case 3:
        m_borderLineWidth = width;
        m_borderLineColor = color;
        break;
    default:
        break;
    }
}
