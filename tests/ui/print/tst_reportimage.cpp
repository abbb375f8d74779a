// The report drawn on images through the QPainter surface: what a printed page would show.
//
// The page reference (reportpage.png, beside this file) is a three-row report page at 72 DPI in
// "DejaVu Sans" 8 pt. After an intended change of the drawing, write it again with
//     CRATEBOOK_WRITE_REFERENCE=1 QT_QPA_PLATFORM=offscreen ./tst_reportimage referencePage
// and look at the new image before committing it.

#include "core/print/ListViewPrinter.h"
#include "ui/platform/ListView.h"
#include "ui/print/ListViewSource.h"
#include "ui/print/PainterSurface.h"
#include "ui/print/ReportPage.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

QImage blankImage(int width, int height, int dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

QFont reportFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

bool isInk(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 160;
}

// The smallest rectangle holding every inked pixel (null when there is none).
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image, x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

void fillList(ListView &list, int rows)
{
    list.addColumn(QStringLiteral("Артист"), 120);
    list.addColumn(QStringLiteral("Название"), 160);
    list.addColumn(QStringLiteral("Время"), 50, Qt::AlignRight);
    for (int i = 1; i <= rows; ++i)
        list.addItem(QStringList{QStringLiteral("Исполнитель %1").arg(i),
                                 QStringLiteral("Очень длинное название трека номер %1, не помещается").arg(i),
                                 QStringLiteral("%1:0%2").arg(i + 2).arg(i)});
}

} // namespace

class TestReportImage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Text in a cell from x 50 to 150, y 5 to 20: a cut text ends in an ellipsis, and nothing is drawn
    // outside the cell, whatever the alignment.
    void textStaysInItsCell_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        const QString longText = QStringLiteral("WWWWWWWWWWWWWWWWWWWW");
        QTest::newRow("cut, left") << longText << int(PrintSurface::AlignLeft);
        QTest::newRow("cut, centre") << longText << int(PrintSurface::AlignCenter);
        QTest::newRow("cut, right") << longText << int(PrintSurface::AlignRight);
        QTest::newRow("left") << QStringLiteral("HH") << int(PrintSurface::AlignLeft);
        QTest::newRow("centre") << QStringLiteral("HH") << int(PrintSurface::AlignCenter);
        QTest::newRow("right") << QStringLiteral("HH") << int(PrintSurface::AlignRight);
    }
    void textStaysInItsCell()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QImage image = blankImage(200, 30, 96);
        {
            QPainter painter(&image);
            painter.setFont(reportFont());
            PainterSurface surface(painter, false, 15, 15);
            surface.drawText(text, 50, 5, 150, 20, format | PrintSurface::EndEllipsis);
        }
        const QRect ink = inkBounds(image);
        QVERIFY(!ink.isNull());
        QCOMPARE(ink.intersected(QRect(50, 5, 100, 15)), ink);
        QVERIFY(ink.top() <= 9); // at the top of the cell, not centred
        if (text.size() > 2) {
            // The ellipsis: the last few inked columns are dots at the foot, below the top of a W.
            int lastTall = 0;
            for (int x = ink.right(); x >= ink.left() && !lastTall; --x)
                for (int y = ink.top(); y < ink.top() + 3; ++y)
                    lastTall = isInk(image, x, y) ? x : lastTall;
            QVERIFY(lastTall < ink.right() - 4);
        } else if (format == PrintSurface::AlignLeft) {
            QVERIFY(ink.left() <= 52);
        } else if (format == PrintSurface::AlignRight) {
            QVERIFY(ink.right() >= 146);
        } else {
            QVERIFY(qAbs(ink.center().x() - 100) <= 2);
        }
    }

    void listSourceReadsTheListAsShown()
    {
        ListView list;
        fillList(list, 3);
        list.setColumnAlignment(1, Qt::AlignHCenter);
        list.setItemBold(1, true);
        list.setItemColor(1, QColor(0x10, 0x20, 0x30));
        const ListViewSource source(&list);
        QCOMPARE(source.columnCount(), 3);
        QCOMPARE(source.columnWidth(2), 160);
        QCOMPARE(source.columnText(1), QStringLiteral("Артист"));
        QCOMPARE(source.columnAlignment(1), PrintListSource::AlignLeft);
        QCOMPARE(source.columnAlignment(2), PrintListSource::AlignCenter);
        QCOMPARE(source.columnAlignment(3), PrintListSource::AlignRight);
        QCOMPARE(source.itemText(3, 3), QStringLiteral("5:03"));
        QVERIFY(source.itemBold(2, 3) && !source.itemBold(1, 1));
        QCOMPARE(source.itemColor(2, 1), 0x302010u);
        QCOMPARE(source.itemColor(3, 1), source.foreColor());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, source.itemText(4, 1));
    }

    void frameTexts()
    {
        QCOMPARE(ReportPage::footer(1, 2), QStringLiteral("Page:  1 of  2"));
        QCOMPARE(ReportPage::footer(12, 40), QStringLiteral("Page:  12 of  40"));
        QCOMPARE(ReportPage::pageCount(0), 0);
        QCOMPARE(ReportPage::pageCount(40), 1);
        QCOMPARE(ReportPage::pageCount(41), 2);
    }

    void referencePage()
    {
        ListView list;
        fillList(list, 3);
        list.setItemBold(1, true);
        const ListViewSource source(&list);
        // A4 landscape at 72 DPI, the printable area from the paper's corner.
        QImage image = blankImage(842, 595, 72);
        {
            QPainter painter(&image);
            painter.setFont(QFont(reportFont(), &image));
            PainterSurface surface(painter, true, 15, 15);
            surface.setForeColor(source.foreColor());
            ListViewPrinter report;
            ReportPage::configure(report, source);
            ReportPage::draw(surface, report, 1, ReportPage::pageCount(list.count()));
            QVERIFY(report.LastRowPrinted);
            QCOMPARE(surface.scaleMode(), int(PrintSurface::Twips));
        }
        const QString path = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/reportpage.png");
        if (qEnvironmentVariableIsSet("CRATEBOOK_WRITE_REFERENCE"))
            QVERIFY(image.save(path));
        const QImage reference(path);
        QVERIFY2(!reference.isNull(), qPrintable(path));
        QCOMPARE(reference.size(), image.size());
        // Glyph rendering may differ by a shade between builds of FreeType: count only clear differences.
        int differing = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAbs(qGray(image.pixel(x, y)) - qGray(reference.pixel(x, y))) > 96)
                    ++differing;
        QVERIFY2(differing <= 150, qPrintable(QString::number(differing)));
    }

    void wholeDocumentToPdf()
    {
        ListView list;
        fillList(list, 41);
        const ListViewSource source(&list);
        QTemporaryDir dir;
        QPdfWriter pdf(dir.filePath(QStringLiteral("report.pdf")));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(600);
        QCOMPARE(ReportPage::printDocument(source, pdf, reportFont()), 2);

        ListView empty;
        fillList(empty, 0);
        const ListViewSource none(&empty);
        QPdfWriter pdf2(dir.filePath(QStringLiteral("empty.pdf")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ReportPage::printDocument(none, pdf2, reportFont()));
    }
};

QTEST_MAIN(TestReportImage)
#include "tst_reportimage.moc"
