#include "core/sort/SortKeys.h"
#include "ui/controls/SortArrows.h"
#include "ui/controls/uSc_ListView_Xtended_Sort.h"
#include "ui/platform/ListView.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Columns (1-based): 1 artist, 2 title, 3 number (key type 2 in its tag), 4 date (type 5), 5 the hidden
// key column, which the rows do not even have a field for yet. Each row's Tag is its number.
void fill(ListView &list)
{
    for (const char *caption : {"Исполнитель", "Название", "Номер", "Дата", ""})
        list.addColumn(s(caption), *caption ? 80 : 0);
    list.setColumnTag(2, QStringLiteral("2"));
    list.setColumnTag(3, QStringLiteral("5"));
    const QList<QStringList> rows{{s("Кино"), s("Группа крови"), s("12"), s("1.2.2024")},
                                  {s("Aquarium"), s("Город"), s("7"), s("15.12.1999")},
                                  {s("Браво"), s("Ветер"), s("100"), s("3.1.2024")},
                                  {s("Zorro"), s("Асса"), s("-3"), s("2024-01-02")}};
    for (const QStringList &row : rows)
        list.addItem(row, row.at(2).toInt());
}

// A header click as a window passes it on: the 1-based column and the key type from the column's tag.
void click(uSc_ListView_Xtended_Sort &sorter, const ListView &list, int column)
{
    sorter.Sort(true, column, list.columnTag(column - 1).toInt());
}

QStringList columnTexts(const ListView &list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.itemText(row, column - 1);
    return texts;
}

QList<int> headerImages(const ListView &list)
{
    QList<int> images;
    for (int column = 0; column < list.columnCount(); ++column)
        images << list.columnHeaderImage(column);
    return images;
}

// What a list sorted by `column` in `order` shows: the order's arrow on that column, nothing elsewhere.
QList<int> arrowOn(int column, int order)
{
    QList<int> images(5, -1);
    images[column - 1] = order;
    return images;
}

} // namespace

class tst_columnsort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clicksAlternateTheOrder();
    void keyTypes_data();
    void keyTypes();
    void resortRecomputesKeys();
    void rowsKeepTheirTagsAndSelection();
    void keysAreWrittenInOneBatch();
    void invalidColumnsAreIgnored();
    void sortingOffKeepsTheOrder();
    void arrowsPointTheirWay();
};

void tst_columnsort::clicksAlternateTheOrder()
{
    ListView list;
    fill(list);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    QVERIFY(!list.isSorted());

    QStringList titles{s("Асса"), s("Ветер"), s("Город"), s("Группа крови")};
    for (int order : {0, 1, 0, 1}) {
        click(sorter, list, 2);
        QCOMPARE(sorter.CurrentSortOrder, order);
        QCOMPARE(list.sortOrder(), order);
        QCOMPARE(columnTexts(list, 2), titles);
        QCOMPARE(headerImages(list), arrowOn(2, order));
        std::reverse(titles.begin(), titles.end());
    }
    // From a descending column to another one: the new column starts ascending.
    click(sorter, list, 1);
    QCOMPARE(sorter.CurrentSortIndex, 1);
    QCOMPARE(list.sortOrder(), 0);
    QCOMPARE(columnTexts(list, 1), (QStringList{s("Браво"), s("Кино"), s("Aquarium"), s("Zorro")}));
    QCOMPARE(headerImages(list), arrowOn(1, 0));
}

void tst_columnsort::keyTypes_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("ascending");

    QTest::newRow("number as text") << 3 << 0 << QStringList{s("-3"), s("100"), s("12"), s("7")};
    QTest::newRow("number as number") << 3 << 2 << QStringList{s("-3"), s("7"), s("12"), s("100")};
    QTest::newRow("dates") << 4 << 5 << QStringList{s("15.12.1999"), s("2024-01-02"), s("3.1.2024"), s("1.2.2024")};
}

void tst_columnsort::keyTypes()
{
    QFETCH(int, column);
    QFETCH(int, type);
    QFETCH(QStringList, ascending);

    ListView list;
    fill(list);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    sorter.Sort(true, column, type);
    QCOMPARE(columnTexts(list, column), ascending);
    QCOMPARE(list.sortKey(), type == 0 ? column - 1 : 4);
    QCOMPARE(headerImages(list), arrowOn(column, 0)); // not on the key column
    for (int row = 0; type != 0 && row < list.count(); ++row)
        QCOMPARE(list.itemText(row, 4), sortKey(type, list.itemText(row, column - 1)));

    sorter.Sort(true, column, type);
    std::reverse(ascending.begin(), ascending.end());
    QCOMPARE(columnTexts(list, column), ascending);
}

void tst_columnsort::resortRecomputesKeys()
{
    ListView list;
    fill(list);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    sorter.Sort(true, -1, 0); // nothing sorted yet: nothing to sort again
    QVERIFY(!list.isSorted());

    click(sorter, list, 3);
    click(sorter, list, 3); // descending: 100 12 7 -3
    list.setItemText(0, 2, s("8")); // its key still says 100
    sorter.Sort(true, -1, 0);
    QCOMPARE(sorter.CurrentSortIndex, 3);
    QCOMPARE(sorter.CurrentSortType, 2);
    QCOMPARE(columnTexts(list, 3), (QStringList{s("-3"), s("7"), s("8"), s("12")}));
    QCOMPARE(headerImages(list), arrowOn(3, 0));
}

void tst_columnsort::rowsKeepTheirTagsAndSelection()
{
    ListView list;
    fill(list);
    list.setItemBold(1, true);
    list.setSelectedRow(1); // Aquarium
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    for (int column : {3, 1, 4, 4}) {
        click(sorter, list, column);
        for (int row = 0; row < list.count(); ++row) {
            QCOMPARE(list.itemTag(row), list.itemText(row, 2).toInt());
            QCOMPARE(list.itemBold(row), row == list.selectedRow());
        }
        QCOMPARE(list.itemText(list.selectedRow(), 0), s("Aquarium"));
    }
}

void tst_columnsort::keysAreWrittenInOneBatch()
{
    ListView list;
    list.addColumn(s("N"), 60);
    list.addColumn(QString(), 0);
    QVector<ListItem> rows(1000);
    for (int i = 0; i < rows.size(); ++i)
        rows[i].texts = FieldList::fromList({QString::number(i * 7919 % 1000)}); // a shuffle of 0..999
    list.setItems(rows);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);

    QSignalSpy changed(list.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    sorter.Sort(true, 1, 3);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(list.itemText(999, 0), s("999"));
    sorter.Sort(true, -1, 0); // the same keys: nothing to write
    QCOMPARE(resets.count(), 1);
}

void tst_columnsort::invalidColumnsAreIgnored()
{
    ListView list;
    fill(list);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    click(sorter, list, 3);
    click(sorter, list, 3);
    const QStringList order = columnTexts(list, 1);
    for (int column : {0, -2, 6, 100}) {
        sorter.Sort(true, column, 1);
        QCOMPARE(sorter.CurrentSortIndex, 3);
        QCOMPARE(sorter.CurrentSortOrder, 1);
        QCOMPARE(list.sortKey(), 4);
        QCOMPARE(columnTexts(list, 1), order);
        QCOMPARE(headerImages(list), arrowOn(3, 1));
    }
    uSc_ListView_Xtended_Sort unbound;
    unbound.Sort(true, 1, 1);
    unbound.Sort(true, -1, 0);
    QCOMPARE(unbound.CurrentSortIndex, 0);
}

void tst_columnsort::sortingOffKeepsTheOrder()
{
    ListView list;
    fill(list);
    uSc_ListView_Xtended_Sort sorter;
    sorter.SetUp(&list);
    click(sorter, list, 2);
    const QStringList order = columnTexts(list, 2);
    sorter.Sort(false, 3, 2);
    QVERIFY(!list.isSorted());
    QCOMPARE(columnTexts(list, 2), order);
    QCOMPARE(sorter.CurrentSortIndex, 2);
    list.addItem(QStringList{s("Ария"), s("Ангел")});
    QCOMPARE(columnTexts(list, 2), order + QStringList{s("Ангел")});
}

void tst_columnsort::arrowsPointTheirWay()
{
    const QList<QIcon> images = SortArrows::headerImages();
    QCOMPARE(images.size(), 2);
    // A triangle has more paint on its base's half: the lower half for the up arrow, the upper for down.
    auto lowerMinusUpper = [](const QIcon &icon) {
        const QImage image = icon.pixmap(16, 16).toImage();
        int balance = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                balance += (y < image.height() / 2 ? -1 : 1) * qAlpha(image.pixel(x, y));
        }
        return balance;
    };
    QVERIFY(lowerMinusUpper(images.at(SortArrows::Ascending)) > 0);
    QVERIFY(lowerMinusUpper(images.at(SortArrows::Descending)) < 0);
}

QTEST_MAIN(tst_columnsort)
#include "tst_columnsort.moc"
