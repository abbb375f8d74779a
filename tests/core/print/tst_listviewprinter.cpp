// The report's geometry and paging, drawn on a surface that records every call.

#include "core/print/ListViewPrinter.h"
#include "core/print/PrintListSource.h"
#include "core/print/PrintSurface.h"

#include <QLine>
#include <QRect>
#include <QTest>

#include <stdexcept>

namespace {

constexpr quint32 kListColor = 0x00112233;

struct Text
{
    QString text;
    QRect rect; // from left/top/right/bottom as given
    int format;
    bool bold;
    quint32 color;
};

struct Line
{
    QLine line;
    quint32 color;
    int width;
    bool operator==(const Line &o) const { return line == o.line && color == o.color && width == o.width; }
};

class RecordingSurface : public PrintSurface
{
public:
    RecordingSurface(bool isPrinter, double perPixel, double screenPerPixel = 15)
        : printer(isPrinter), tpp(perPixel), screenTpp(screenPerPixel)
    {}

    bool isPrinter() const override { return printer; }
    quint32 foreColor() const override { return color; }
    void setForeColor(quint32 c) override { color = c; }
    bool fontBold() const override { return bold; }
    void setFontBold(bool b) override { bold = b; }
    int scaleMode() const override { return mode; }
    void setScaleMode(int m) override { mode = m; }
    double scaleX(double twips) const override { return twips / tpp; }
    double scaleY(double twips) const override { return twips / tpp; }
    double twipsPerPixelX() const override { return tpp; }
    double twipsPerPixelY() const override { return tpp; }
    double screenTwipsPerPixelX() const override { return screenTpp; }
    double screenTwipsPerPixelY() const override { return screenTpp; }
    int drawWidth() const override { return width; }
    void setDrawWidth(int w) override { width = w; }
    void line(int x1, int y1, int x2, int y2, quint32 c) override
    {
        lines.push_back({QLine(x1, y1, x2, y2), c, width});
    }
    void paintPicture(const QVariant &, int, int, int, int) override {}
    double currentX() const override { return 0; }
    void setCurrentX(double) override {}
    double currentY() const override { return 0; }
    void setCurrentY(double) override {}
    void print(const QString &text) override { printed << text; }
    void drawText(const QString &text, int l, int t, int r, int b, int format) override
    {
        texts.push_back({text, QRect(QPoint(l, t), QPoint(r - 1, b - 1)), format, bold, color});
    }

    bool printer;
    double tpp, screenTpp;
    quint32 color = 0;
    bool bold = false;
    int mode = Twips;
    int width = 1;
    QVector<Line> lines;
    QVector<Text> texts;
    QStringList printed;
};

class TableSource : public PrintListSource
{
public:
    QVector<int> widths{100, 50, 80};
    QVector<Alignment> alignments{AlignLeft, AlignRight, AlignCenter};
    int items = 3;
    // Cell (item, column) of the one bold and coloured cell.
    int boldItem = 0, boldColumn = 0;

    quint32 foreColor() const override { return kListColor; }
    int columnCount() const override { return widths.size(); }
    int columnWidth(int c) const override { return widths.at(c - 1); }
    QString columnText(int c) const override { return QStringLiteral("H%1").arg(c); }
    Alignment columnAlignment(int c) const override { return alignments.at(c - 1); }
    int itemCount() const override { return items; }
    QString itemText(int i, int c) const override { return QStringLiteral("%1.%2").arg(i).arg(c); }
    bool itemBold(int i, int c) const override { return i == boldItem && c == boldColumn; }
    quint32 itemColor(int i, int c) const override { return i == boldItem && c == boldColumn ? 0xff : kListColor; }
};

// Lines drawn parallel to an axis: the vertical ones by x, the horizontal ones by y.
QVector<Line> verticals(const RecordingSurface &s)
{
    QVector<Line> out;
    for (const Line &l : s.lines)
        if (l.line.x1() == l.line.x2())
            out << l;
    return out;
}

} // namespace

class TestListViewPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Screen surface, 15 twips a pixel: PosX 300 = 20 px, PosY 600 = 40 px, RowHeight 250 = 16.67 -> 17 px.
    void screenGeometry()
    {
        TableSource list;
        ListViewPrinter report;
        report.ListViewName(&list);
        report.PosX = 300;
        report.PosY = 600;
        report.NumOfRowsPerPage = 2;
        RecordingSurface s(false, 15);
        report.SetLine(s, 1, 2, 0x1);
        report.SetLine(s, 2, 3, 0x2);
        report.SetLine(s, 3, 4, 0x3);
        report.SetRows();
        report.PrintHead(s);
        QCOMPARE(s.mode, int(PrintSurface::Twips)); // restored
        QVERIFY(report.HeadPrinted());
        report.PrintBody(s);
        QVERIFY(!report.HeadPrinted());
        QVERIFY(s.printed.isEmpty()); // only the printer gets the empty line

        // Table corner inside the border: (20 + 5, 40 + 5). Cells inset 3 px at the sides, 2 px at the top.
        QCOMPARE(s.texts.size(), 9);
        QCOMPARE(s.texts[0].text, QStringLiteral("H1"));
        QCOMPARE(s.texts[0].rect, QRect(QPoint(28, 47), QPoint(121, 61)));
        QCOMPARE(s.texts[1].rect, QRect(QPoint(128, 47), QPoint(171, 61)));
        QCOMPARE(s.texts[2].rect, QRect(QPoint(178, 47), QPoint(251, 61)));
        QCOMPARE(s.texts[3].rect, QRect(QPoint(28, 64), QPoint(121, 78))); // first row under the header
        QCOMPARE(s.texts[8].text, QStringLiteral("2.3"));
        QCOMPARE(s.texts[8].rect, QRect(QPoint(178, 81), QPoint(251, 95)));
        // Left, right and centred columns, always with the end ellipsis.
        QCOMPARE(s.texts[3].format, PrintSurface::AlignLeft | PrintSurface::EndEllipsis);
        QCOMPARE(s.texts[4].format, PrintSurface::AlignRight | PrintSurface::EndEllipsis);
        QCOMPARE(s.texts[5].format, PrintSurface::AlignCenter | PrintSurface::EndEllipsis);

        // Verticals at the table's left and every column's right edge, spanning header and rows.
        const QVector<Line> v = verticals(s);
        QCOMPARE(v.size(), 4 + 2); // 4 rules and the border's two sides
        for (int i = 0; i < 4; ++i)
            QCOMPARE(v[i].line, QLine(QPoint(QVector<int>{25, 125, 175, 255}[i], 45), QPoint(v[i].line.x1(), 96)));
        // The border exactly at (PosX, PosY), drawn right side up, top leftwards, left down, bottom right.
        const QVector<Line> border = s.lines.mid(s.lines.size() - 4);
        QCOMPARE(border[0].line, QLine(260, 101, 260, 40));
        QCOMPARE(border[1].line, QLine(260, 40, 20, 40));
        QCOMPARE(border[2].line, QLine(20, 40, 20, 101));
        QCOMPARE(border[3].line, QLine(20, 101, 260, 101));
        // Each kind of line in its own pen: rows 3 wide, rules 2, border 4.
        for (const Line &l : s.lines) {
            const int kind = border.contains(l) ? 3 : v.contains(l) ? 1 : 2;
            QCOMPARE(l.color, quint32(kind));
            QCOMPARE(l.width, kind == 3 ? 4 : kind == 1 ? 2 : 3);
        }
        // Right edge and bottom with the border, back in twips at the screen's 15 twips a pixel.
        QCOMPARE(report.CurrentX, 260 * 15);
        QCOMPARE(report.CurrentY, 101 * 15);
    }

    void withoutBorderTheTableStartsAtPos()
    {
        TableSource list;
        ListViewPrinter report;
        report.ListViewName(&list);
        report.PosX = 300;
        report.PosY = 600;
        report.DrawBorder = false;
        RecordingSurface s(false, 15);
        report.SetRows();
        report.PrintBody(s);
        QCOMPARE(s.lines.size(), 3 + 1 + 4);               // under each row, the top line, the verticals; no border
        QCOMPARE(s.lines[3].line, QLine(20, 40, 250, 40)); // top line (no header)
        QCOMPARE(verticals(s).first().line, QLine(20, 40, 20, 91));
        QCOMPARE(s.texts[0].rect.topLeft(), QPoint(23, 42));
        QCOMPARE(report.CurrentX, 250 * 15);
        QCOMPARE(report.CurrentY, 91 * 15);
    }

    void boldAndColourStayInTheirCell()
    {
        TableSource list;
        list.boldItem = 2;
        list.boldColumn = 2;
        ListViewPrinter report;
        report.ListViewName(&list);
        RecordingSurface s(false, 15);
        report.SetRows();
        report.PrintBody(s);
        for (const Text &t : s.texts) {
            const bool marked = t.text == QStringLiteral("2.2");
            QCOMPARE(t.bold, marked);
            QCOMPARE(t.color, marked ? 0xffu : kListColor);
        }
        QVERIFY(!s.bold);
        QCOMPARE(s.color, kListColor);
    }

    void paging_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastPageRows");
        QTest::newRow("40 items") << 40 << 1 << 40;
        QTest::newRow("41 items") << 41 << 2 << 1;
        QTest::newRow("3 items") << 3 << 1 << 3;
    }
    void paging()
    {
        QFETCH(int, items);
        QFETCH(int, pages);
        QFETCH(int, lastPageRows);
        TableSource list;
        list.items = items;
        ListViewPrinter report;
        report.ListViewName(&list);
        report.NumOfRowsPerPage = 40;
        report.BorderDistance = 2;
        int page = 0;
        RecordingSurface s(false, 15);
        while (!report.LastRowPrinted) {
            QVERIFY(page < pages);
            ++page;
            s.texts.clear();
            s.lines.clear();
            report.SetRows();
            QCOMPARE(report.RowFrom, 1 + (page - 1) * 40);
            QCOMPARE(report.RowTo, page * 40);
            QCOMPARE(report.NextRow(), page == pages ? 1 : page * 40 + 1);
            report.PrintHead(s);
            report.PrintBody(s);
        }
        QCOMPARE(page, pages);
        QCOMPARE(s.texts.size(), 3 * (1 + lastPageRows));
        // The last page's rules and border end below its last row: y0 = 2, header and rows of 17 px.
        const int bottom = 2 + 17 * (1 + lastPageRows);
        const QVector<Line> v = verticals(s);
        QCOMPARE(v.first().line.y2(), bottom);
        QCOMPARE(s.lines.last().line, QLine(0, bottom + 2, 234, bottom + 2));
        report.LastRowPrinted = false;
        report.SetRows();
        QCOMPARE(report.RowFrom, 1); // the next job starts again at the top
    }

    void missingItemIsAFailure()
    {
        TableSource list;
        list.items = 0;
        ListViewPrinter report;
        report.ListViewName(&list);
        RecordingSurface s(false, 15);
        report.SetRows();
        QCOMPARE(report.NextRow(), 1);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, report.PrintBody(s));
    }

    // On the printer the screen's pixels are scaled: 600 dpi (2.4 twips a pixel) gives rx = 6.25, and
    // every half rounds to even. x0 = 208 (500 twips) + 12.5 -> 220, y0 = 250 + 12.5 -> 262, pad 18.75 -> 19,
    // rowH 104.17 -> 104, the top inset 12.5 -> 274.
    void printerScaleRoundsHalvesToEven()
    {
        TableSource list;
        list.widths = {100, 3};
        list.alignments = {PrintListSource::AlignLeft, PrintListSource::AlignLeft};
        list.items = 1;
        ListViewPrinter report;
        report.ListViewName(&list);
        report.PosX = 500;
        report.PosY = 600;
        report.BorderDistance = 2;
        RecordingSurface s(true, 2.4);
        report.SetRows();
        report.PrintHead(s);
        QCOMPARE(s.printed, QStringList{QString()});
        QCOMPARE(s.texts[0].rect, QRect(QPoint(239, 274), QPoint(825, 365)));
        // Second column: 845 + 18.75 -> 864.
        QCOMPARE(s.texts[1].rect.left(), 845 + 19);
        QCOMPARE(s.texts[1].rect.right() + 1, 864 - 19);
        // Right edge 864 and the border 12.5 -> 12 out, in printer twips: 876 * 2.4 = 2102.4.
        QCOMPARE(report.CurrentX, 2102);
        QCOMPARE(report.CurrentY, 907); // (262 + 104 + 12) * 2.4 = 907.2
        report.PrintBody(s);
        QCOMPARE(s.printed.size(), 2);
        QCOMPARE(s.texts[2].rect.top(), 366 + 12); // 366 + 12.5 -> 378
    }

    void setLine_data()
    {
        QTest::addColumn<bool>("printer");
        QTest::addColumn<double>("tpp");
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("screen 1") << false << 15.0 << 1.0f << 1;
        QTest::newRow("screen 2.7 whole part") << false << 15.0 << 2.7f << 2;
        QTest::newRow("screen -3.2 absolute") << false << 15.0 << -3.2f << 3;
        QTest::newRow("printer 1 stays 1") << true << 2.4 << 1.0f << 1;
        QTest::newRow("printer 2 12.5 to even") << true << 2.4 << 2.0f << 12;
        QTest::newRow("printer 3 37.5 to even") << true << 1.2 << 3.0f << 38;
        QTest::newRow("printer -0.5") << true << 1.2 << -0.5f << 6;
    }
    void setLine()
    {
        QFETCH(bool, printer);
        QFETCH(double, tpp);
        QFETCH(float, width);
        QFETCH(int, expected);
        ListViewPrinter report;
        RecordingSurface s(printer, tpp);
        report.SetLine(s, 1, width, 0xff);
        report.SetLine(s, 2, width, 0xff00);
        report.SetLine(s, 3, width, 0xff0000);
        QCOMPARE(report.VerticalLineWidth(), expected);
        QCOMPARE(report.HorizontalLineWidth(), expected);
        QCOMPARE(report.BorderLineWidth(), expected);
        QCOMPARE(report.VerticalLineColor(), 0xffu);
        QCOMPARE(report.HorizontalLineColor(), 0xff00u);
        QCOMPARE(report.BorderLineColor(), 0xff0000u);
        for (const int other : {0, 4}) {
            report.SetLine(s, other, 5.0f, 0x123456);
            QVERIFY(report.VerticalLineWidth() == expected && report.HorizontalLineWidth() == expected &&
                    report.BorderLineWidth() == expected && report.BorderLineColor() == 0xff0000u);
        }
    }
};

QTEST_GUILESS_MAIN(TestListViewPrinter)
#include "tst_listviewprinter.moc"
