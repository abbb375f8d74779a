#pragma once

#include <QtGlobal>

class PrintListSource;
class PrintSurface;
class QString;

// Draws a report-style list (its column headers and a block of its rows) as a ruled table on a
// surface: the printer, an image, a PDF file. It knows nothing of tracks; everything it draws it reads
// from the list it is bound to.
//
// One instance per print job. For each page: SetRows(), then optionally PrintHead(), then PrintBody();
// repeat until LastRowPrinted is true, then clear LastRowPrinted.
//
// Geometry is worked out in device pixels of the surface. PosX, PosY and RowHeight are twips; column
// widths, BorderDistance, PicWidth and PicHeight are screen pixels, scaled to the surface (on the printer
// by screen twips per pixel / printer twips per pixel, elsewhere one to one). Every fractional value
// becomes a whole number by rounding halves to even.
//
// Nothing is caught here: a failure of the surface or of the list (an item that does not exist, as in
// an empty list) is thrown to the caller as an std::exception.
class ListViewPrinter
{
public:
    ListViewPrinter() = default;

    // Options and results, in the order of the class's interface.
    bool HasPicture = false;      // draw the header icons and the cells' small icons
    qint32 PicHeight = 16;        // icon height, screen pixels
    qint32 PicWidth = 16;         // icon width, screen pixels
    qint32 RowFrom = 0;           // first row (1-based item) of the current page, set by SetRows
    qint32 RowTo = 0;             // last row of the current page, set by SetRows
    qint32 RowHeight = 250;       // height of the header row and of each body row, twips
    bool LastRowPrinted = false;  // set by PrintBody when it has drawn the list's last item
    qint16 NumOfRowsPerPage = 10; // rows per page
    bool DrawHorizontalLines = true;
    bool DrawVerticalLines = true;
    qint32 BorderDistance = 5; // gap between the table and its border, screen pixels
    bool DrawBorder = true;
    qint32 PosX = 0;     // left edge of the table area (border included), twips
    qint32 PosY = 0;     // top edge of the table area (border included), twips
    qint32 CurrentX = 0; // after a draw call: right edge of what was drawn, twips
    qint32 CurrentY = 0; // after a draw call: bottom edge of what was drawn, twips

    // Binds the list whose columns and rows are drawn; it must outlive the calls. Set it first.
    void ListViewName(const PrintListSource *list) { m_list = list; }
    const PrintListSource *listView() const { return m_list; }

    // Chooses the rows of the next page: RowFrom..RowTo, NumOfRowsPerPage of them from NextRow on;
    // after the page that reaches the end of the list NextRow starts again at 1.
    void SetRows();
    // Draws the header row; the following PrintBody starts one row lower.
    void PrintHead(PrintSurface &target);
    // Draws rows RowFrom..RowTo (stopping after the list's last item), with their rules and the border.
    void PrintBody(PrintSurface &target);
    // Sets the pen of one kind of line: 1 the vertical lines, 2 the horizontal lines, 3 the border.
    // `Width` is in screen pixels; other kinds change nothing.
    void SetLine(const PrintSurface &target, qint32 kind, float Width, quint32 color);

    // Read-only views of the private state, for callers that show progress and for tests.
    qint32 NextRow() const { return m_nextRow; }
    bool HeadPrinted() const { return m_headPrinted; }
    qint32 VerticalLineWidth() const { return m_verticalLineWidth; }
    qint32 HorizontalLineWidth() const { return m_horizontalLineWidth; }
    qint32 BorderLineWidth() const { return m_borderLineWidth; }
    quint32 VerticalLineColor() const { return m_verticalLineColor; }
    quint32 HorizontalLineColor() const { return m_horizontalLineColor; }
    quint32 BorderLineColor() const { return m_borderLineColor; }

private:
    struct Frame;
    Frame begin(PrintSurface &target, int iconTwips) const;
    void finish(PrintSurface &target, const Frame &frame, int right, int bottom);
    int drawCell(PrintSurface &target, const Frame &frame, int &left, int &top, int column, const QString &text,
                 bool header, int icon) const;

    qint32 m_nextRow = 1;
    bool m_headPrinted = false;
    const PrintListSource *m_list = nullptr;
    qint32 m_horizontalLineWidth = 1;
    qint32 m_verticalLineWidth = 1;
    qint32 m_borderLineWidth = 1;
    quint32 m_horizontalLineColor = 0;
    quint32 m_verticalLineColor = 0;
    quint32 m_borderLineColor = 0;
};
