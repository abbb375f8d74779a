#include "core/catalogue/TrackTable.h"
#include "ui/platform/ListView.h"
#include "ui/platform/ListViewModel.h"

#include <QDialog>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// A one-column list with `texts` as rows, each tagged with its first row index.
void fill(ListView &list, const QStringList &texts)
{
    list.addColumn(s("Название"), 200);
    for (int i = 0; i < texts.size(); ++i)
        list.addItem(QStringList{texts[i]}, i);
}

bool showList(QWidget &widget)
{
    widget.resize(400, 300);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

QPoint rowCenter(const ListView &list, int row)
{
    return list.visualRect(list.model()->index(row, 0)).center();
}

QStringList columnTexts(const ListView &list, int column = 0)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.itemText(row, column);
    return texts;
}

// Rows in insertion order; "Apple"/"apple" and "Банан"/"банан" differ only in case.
const QStringList kMixed{s("banana"), s("Apple"), s("яблоко"), s("Банан"), s("10"), s("Арбуз"),
                         s("cherry"), s("банан"), s("apple"), s("9")};

// A table of two-column records, number and `names[i]`, and a text source that reads it by Tag.
struct RecordTable {
    explicit RecordTable(const QStringList &names)
    {
        for (int i = 0; i < names.size(); ++i)
            records.push_back(FieldList::fromList({QString::number(i), names[i]}));
    }
    ListView::TextSource source()
    {
        return [this](int tag) -> FieldList { return records.at(size_t(tag)); };
    }
    std::vector<FieldList> records;
};

std::vector<int> allTags(int count)
{
    std::vector<int> tags(static_cast<size_t>(count));
    std::iota(tags.begin(), tags.end(), 0);
    return tags;
}

void addTwoColumns(ListView &list)
{
    list.addColumn(s("Номер"), 50);
    list.addColumn(s("Название"), 200);
}

QList<int> rowTags(const ListView &list)
{
    QList<int> tags;
    for (int row = 0; row < list.count(); ++row)
        tags << list.itemTag(row);
    return tags;
}

} // namespace

class tst_listview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void longTextsAreShownByTheirStart();
    void clickRaisesItemClick();
    void navigationKeysRaiseItemClick_data();
    void navigationKeysRaiseItemClick();
    void rowAtHitTest();
    void moveWithButtonHeldOnlyReports();
    void doubleClick();
    void typedCharacters_data();
    void typedCharacters();
    void enterAndEscStayInTheList();
    void sorting_data();
    void sorting();
    void insertWhileSorted_data();
    void insertWhileSorted();
    void batchChangesAreSingleSignals();
    void manyRowsShareTheirTexts();
    void fieldsAndColumns_data();
    void fieldsAndColumns();
    void headerClickDoesNotSort();
    void headerImages();
    void flatHeaderToggle();
    void dropRaisesDropped_data();
    void dropRaisesDropped();
    void sourceRowsShowTheSourceTexts();
    void sourceRowsChangeOneByOne();
    void sourceRowsSortLikeItems_data();
    void sourceRowsSortLikeItems();
    void sourceRowsBecomeItemsForOwnLook();
    void setItemsAndClearLeaveSourceRows();
};

void tst_listview::clickRaisesItemClick()
{
    ListView list;
    fill(list, {s("один"), s("два"), s("три")});
    QVERIFY(showList(list));
    QSignalSpy clicks(&list, &ListView::itemClick);
    QSignalSpy downs(&list, &ListView::mouseDown);

    const QPoint pos = rowCenter(list, 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QCOMPARE(list.selectedRow(), 1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 1);
    QCOMPARE(downs.at(0).at(2).toPoint(), pos);

    // A click on the selected row raises it again; Ctrl+click does not unselect it.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, pos);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(list.selectedRow(), 1);

    // A right click selects too.
    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, rowCenter(list, 2));
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(clicks.at(2).at(0).toInt(), 2);
    QCOMPARE(downs.at(2).at(0).value<Qt::MouseButton>(), Qt::RightButton);

    // Below the last row: reported as a press, but no row is clicked.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, list.viewport()->height() - 5));
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(downs.count(), 4);

    // Selecting from the program is silent; -1 or a row out of range selects none.
    list.setSelectedRow(0);
    QCOMPARE(list.currentIndex().row(), 0);
    list.setSelectedRow(99);
    QCOMPARE(list.selectedRow(), -1);
    list.setSelectedRow(1);
    list.setSelectedRow(-1);
    QCOMPARE(list.selectedRow(), -1);
    QCOMPARE(clicks.count(), 3);
}

void tst_listview::navigationKeysRaiseItemClick_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("raised");

    QTest::newRow("down") << 1 << int(Qt::Key_Down) << 2 << true;
    QTest::newRow("up") << 1 << int(Qt::Key_Up) << 0 << true;
    QTest::newRow("home") << 3 << int(Qt::Key_Home) << 0 << true;
    QTest::newRow("end") << 0 << int(Qt::Key_End) << 4 << true;
    QTest::newRow("page down") << 0 << int(Qt::Key_PageDown) << 4 << true;
    QTest::newRow("down at the end") << 4 << int(Qt::Key_Down) << 4 << false;
    QTest::newRow("space") << 2 << int(Qt::Key_Space) << 2 << false;
    QTest::newRow("delete") << 2 << int(Qt::Key_Delete) << 2 << false;
}

void tst_listview::navigationKeysRaiseItemClick()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    QFETCH(bool, raised);

    ListView list;
    fill(list, {s("а"), s("б"), s("в"), s("г"), s("д")});
    QVERIFY(showList(list));
    list.setFocus();
    list.setSelectedRow(start);
    QSignalSpy clicks(&list, &ListView::itemClick);
    QSignalSpy downs(&list, &ListView::keyDown);

    QTest::keyClick(&list, Qt::Key(key));
    QCOMPARE(list.selectedRow(), expected);
    QCOMPARE(clicks.count(), raised ? 1 : 0);
    if (raised)
        QCOMPARE(clicks.at(0).at(0).toInt(), expected);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.at(0).at(0).toInt(), key);
}

void tst_listview::rowAtHitTest()
{
    ListView list;
    list.addColumn(s("Узкая"), 60);
    QVERIFY(showList(list));
    QCOMPARE(list.rowAt(QPoint(10, 5)), -1); // empty list

    list.addItem(QStringList{s("а")});
    list.addItem(QStringList{s("б")});
    const QRect last = list.visualRect(list.model()->index(1, 0));
    QCOMPARE(list.rowAt(last.center()), 1);
    QCOMPARE(list.rowAt(QPoint(10, last.bottom() + 2)), -1);
    // Right of the only column the line still belongs to the row, for the hit test and for a click.
    const QPoint right(300, last.center().y());
    QCOMPARE(list.rowAt(right), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, right);
    QCOMPARE(list.selectedRow(), 1);
}

void tst_listview::moveWithButtonHeldOnlyReports()
{
    ListView list;
    fill(list, {s("а"), s("б"), s("в")});
    list.setDragSource(true);
    QVERIFY(showList(list));
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(list, 0));
    QSignalSpy moves(&list, &ListView::mouseMove);
    QSignalSpy clicks(&list, &ListView::itemClick);

    // Inside the viewport a move with the button held neither selects nor drags: the window decides.
    const QPoint to = rowCenter(list, 2);
    QMouseEvent move(QEvent::MouseMove, to, list.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &move);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(0).value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::LeftButton));
    QCOMPARE(moves.at(0).at(2).toPoint(), to);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(list.selectedRow(), 0);
    QCOMPARE(clicks.count(), 0);
}

void tst_listview::doubleClick()
{
    ListView list;
    fill(list, {s("а"), s("б")});
    QVERIFY(showList(list));
    QSignalSpy doubles(&list, &ListView::dblClick);
    QSignalSpy downs(&list, &ListView::mouseDown);
    QSignalSpy ups(&list, &ListView::mouseUp);

    // A double click arrives as press, release, press, double click, release.
    const QPoint pos = rowCenter(list, 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(list.selectedRow(), 1);
    QCOMPARE(downs.count(), 2);
    QCOMPARE(ups.count(), 2);
}

void tst_listview::typedCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("character"); // 0: no keyPress

    QTest::newRow("enter") << int(Qt::Key_Enter) << s("\r") << 13;
    QTest::newRow("return") << int(Qt::Key_Return) << s("\r") << 13;
    QTest::newRow("esc") << int(Qt::Key_Escape) << s("\x1b") << 27;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << s("\b") << 8;
    QTest::newRow("latin") << int(Qt::Key_A) << s("a") << int('a');
    QTest::newRow("cyrillic") << int(Qt::Key_unknown) << s("ж") << 0x436;
    QTest::newRow("delete") << int(Qt::Key_Delete) << s("\x7f") << 0;
    QTest::newRow("arrow") << int(Qt::Key_Down) << QString() << 0;
}

void tst_listview::typedCharacters()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, character);

    ListView list;
    fill(list, {s("а"), s("б")});
    QSignalSpy downs(&list, &ListView::keyDown);
    QSignalSpy presses(&list, &ListView::keyPress);
    QTest::sendKeyEvent(QTest::Press, &list, Qt::Key(key), text, Qt::NoModifier);

    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.at(0).at(0).toInt(), key);
    QCOMPARE(presses.count(), character ? 1 : 0);
    if (character)
        QCOMPARE(presses.at(0).at(0).toInt(), character);
}

void tst_listview::enterAndEscStayInTheList()
{
    // In a dialog, Enter and Esc typed in the list neither close the dialog nor change the selection.
    QDialog dialog;
    auto *list = new ListView(&dialog);
    (new QVBoxLayout(&dialog))->addWidget(list);
    fill(*list, {s("а"), s("б")});
    QVERIFY(showList(dialog));
    list->setFocus();
    list->setSelectedRow(1);
    QSignalSpy finished(&dialog, &QDialog::finished);
    QSignalSpy presses(list, &ListView::keyPress);

    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(list->selectedRow(), 1);
    QCOMPARE(presses.count(), 2);
}

void tst_listview::sorting_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("expected");

    // Russian rules: digits (as text), then Cyrillic, then Latin; case ignored, texts equal but for
    // case stay in insertion order in both directions.
    QTest::newRow("ascending") << 0
                               << QStringList{s("10"), s("9"), s("Арбуз"), s("Банан"), s("банан"), s("яблоко"),
                                              s("Apple"), s("apple"), s("banana"), s("cherry")};
    QTest::newRow("descending") << 1
                                << QStringList{s("cherry"), s("banana"), s("Apple"), s("apple"), s("яблоко"),
                                               s("Банан"), s("банан"), s("Арбуз"), s("9"), s("10")};
}

void tst_listview::sorting()
{
    QFETCH(int, order);
    QFETCH(QStringList, expected);

    ListView list;
    list.addColumn(s("Номер"), 50);
    list.addColumn(s("Название"), 200);
    QVector<ListItem> items;
    for (int i = 0; i < kMixed.size(); ++i)
        items.append(ListItem{FieldList::fromList({QString::number(i), kMixed[i]}), i, false, QColor()});
    list.setItems(items);

    list.setSortOrder(order);
    list.setSortKey(1);
    QCOMPARE(columnTexts(list, 1), kMixed); // not sorted yet
    list.setSelectedRow(kMixed.indexOf(s("cherry")));
    QSignalSpy clicks(&list, &ListView::itemClick);
    list.setSorted(true);
    QCOMPARE(columnTexts(list, 1), expected);
    // The selection stays on its item, silently.
    QCOMPARE(list.selectedRow(), int(expected.indexOf(s("cherry"))));
    QCOMPARE(list.currentIndex().row(), list.selectedRow());
    QCOMPARE(clicks.count(), 0);
    // Tags and the other columns travel with their rows.
    for (int row = 0; row < list.count(); ++row) {
        QCOMPARE(list.itemText(row, 1), kMixed[list.itemTag(row)]);
        QCOMPARE(list.itemText(row, 0), QString::number(list.itemTag(row)));
    }

    // A round trip through the other order is not a reversal: equal texts keep their order.
    list.setSortOrder(1 - order);
    list.setSortOrder(order);
    QCOMPARE(columnTexts(list, 1), expected);
    // New rows for a sorted list are sorted; turning sorting off keeps the order, later rows append.
    list.setItems(items);
    QCOMPARE(columnTexts(list, 1), expected);
    list.setSorted(false);
    QCOMPARE(columnTexts(list, 1), expected);
    list.setItems(items);
    QCOMPARE(columnTexts(list, 1), kMixed);
    QCOMPARE(list.addItem(QStringList{s("0"), s("aaa")}), kMixed.size());
}

void tst_listview::insertWhileSorted_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row");

    // Ascending: 10 9 Арбуз Банан банан яблоко Apple apple banana cherry.
    QTest::newRow("asc, after equal texts") << 0 << s("APPLE") << 8;
    QTest::newRow("asc, cyrillic") << 0 << s("БАНАН") << 5;
    QTest::newRow("asc, first") << 0 << s("0") << 0;
    QTest::newRow("asc, last") << 0 << s("zebra") << 10;
    // Descending: cherry banana Apple apple яблоко Банан банан Арбуз 9 10.
    QTest::newRow("desc, after equal texts") << 1 << s("apple") << 4;
    QTest::newRow("desc, first") << 1 << s("zebra") << 0;
    QTest::newRow("desc, last") << 1 << s("0") << 10;
}

void tst_listview::insertWhileSorted()
{
    QFETCH(int, order);
    QFETCH(QString, text);
    QFETCH(int, row);

    ListView list;
    fill(list, kMixed);
    list.setSortOrder(order);
    list.setSorted(true);
    QCOMPARE(list.addItem(QStringList{text}, 99), row);
    QCOMPARE(list.itemText(row, 0), text);
    QCOMPARE(list.itemTag(row), 99);
}

void tst_listview::batchChangesAreSingleSignals()
{
    ListView list;
    list.addColumn(s("Название"), 200);
    QAbstractItemModel *model = list.model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);

    list.setItems(QVector<ListItem>(500));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    list.addItem(QStringList{s("ещё")});
    QCOMPARE(inserts.count(), 1);
    list.clear();
    QCOMPARE(resets.count(), 2);
    QCOMPARE(list.count(), 0);
}

void tst_listview::manyRowsShareTheirTexts()
{
    constexpr int kRows = 20000;
    std::vector<TrackRecord> records(kRows);
    QVector<ListItem> items;
    items.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        records[size_t(i)].set(TrackRecord::Artist, s("Исполнитель %1").arg(i));
        records[size_t(i)].set(TrackRecord::Reserved13, s("скрытое"));
        items.append(ListItem{records[size_t(i)], i, false, QColor()});
    }

    ListView list;
    for (int c = 0; c <= TrackRecord::Rating; ++c)
        list.addColumn(QString::number(c), 40);
    list.setItems(std::move(items));
    QCOMPARE(list.count(), kRows);
    for (int row : {0, 1234, kRows - 1}) {
        QCOMPARE(list.model()->index(row, TrackRecord::Artist).data().toString(), s("Исполнитель %1").arg(row));
        QCOMPARE(list.itemTag(row), row);
        // The row holds the record's own string, not a copy.
        QCOMPARE(list.itemTexts(row).joined().constData(), records[size_t(row)].joined().constData());
    }
    // Fields past the 12 columns are kept but not shown.
    QCOMPARE(list.itemText(7, TrackRecord::Reserved13), s("скрытое"));
    QCOMPARE(list.model()->columnCount(), 12);
}

void tst_listview::fieldsAndColumns_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("cells");

    QTest::newRow("fewer fields") << QStringList{s("а")} << QStringList{s("а"), QString(), QString()};
    QTest::newRow("more fields") << QStringList{s("а"), s("б"), s("в"), s("г")}
                                 << QStringList{s("а"), s("б"), s("в")};
    QTest::newRow("no fields") << QStringList() << QStringList{QString(), QString(), QString()};
}

void tst_listview::fieldsAndColumns()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, cells);

    ListView list;
    list.addColumn(s("Один"), 50);
    list.addColumn(s("Два"), 60);
    list.addColumn(s("Три"), 0); // a zero-width column is a hidden one, and stays so
    QCOMPARE(list.columnWidth(2), 0);
    list.addItem(fields);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(list.model()->index(0, c).data().toString(), cells[c]);

    // Setting a cell the row has no field for grows the row; the other fields keep their texts.
    list.setItemText(0, 2, s("новое"));
    QCOMPARE(list.itemText(0, 2), s("новое"));
    QCOMPARE(list.itemText(0, 0), cells[0]);
    QCOMPARE(list.itemTexts(0).count(), std::max(3, int(fields.size())));
}

void tst_listview::headerClickDoesNotSort()
{
    ListView list;
    list.addColumn(s("Один"), 100);
    list.addColumn(s("Два"), 100);
    list.addItem(QStringList{s("я"), s("2")});
    list.addItem(QStringList{s("а"), s("1")});
    QVERIFY(showList(list));
    QSignalSpy columns(&list, &ListView::columnClick);

    QHeaderView *header = list.header();
    const QPoint pos(header->sectionViewportPosition(1) + 20, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    QCOMPARE(columns.count(), 1);
    QCOMPARE(columns.at(0).at(0).toInt(), 1);
    QCOMPARE(columnTexts(list), (QStringList{s("я"), s("а")}));
}

void tst_listview::headerImages()
{
    ListView list;
    list.addColumn(s("Один"), 100);
    list.addColumn(s("Два"), 100);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    list.setHeaderImages({QIcon(red), QIcon(blue)});
    auto decoration = [&list](int column) {
        return list.model()->headerData(column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>();
    };

    list.setColumnHeaderImage(1, 1);
    QCOMPARE(decoration(1).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::blue));
    QVERIFY(decoration(0).isNull());
    list.setColumnHeaderImage(1, 5); // no such image: none shown
    QVERIFY(decoration(1).isNull());
    list.setColumnHeaderImage(1, -1);
    QCOMPARE(list.columnHeaderImage(1), -1);
    QVERIFY(decoration(1).isNull());

    // The image is drawn to the right of a left-aligned caption.
    list.setColumnHeaderImage(0, 0);
    QVERIFY(showList(list));
    const QImage image = list.header()->grab().toImage();
    int firstRed = -1;
    for (int x = 0; x < 100 && firstRed < 0; ++x) {
        if (image.pixelColor(x, list.header()->height() / 2) == QColor(Qt::red))
            firstRed = x;
    }
    QVERIFY(firstRed > list.header()->fontMetrics().horizontalAdvance(s("Один")));
}

void tst_listview::flatHeaderToggle()
{
    ListView list;
    list.addColumn(s("Один"), 100);
    list.addColumn(s("Два"), 100);
    QVERIFY(showList(list));
    const QImage raised = list.header()->grab().toImage();

    list.setFlatColumnHeaders(true);
    QVERIFY(list.flatColumnHeaders());
    QVERIFY(list.header()->grab().toImage() != raised);
    list.setFlatColumnHeaders(false);
    QCOMPARE(list.header()->grab().toImage(), raised);
}

void tst_listview::dropRaisesDropped_data()
{
    QTest::addColumn<bool>("target");
    QTest::newRow("drop target") << true;
    QTest::newRow("not a target") << false;
}

void tst_listview::dropRaisesDropped()
{
    QFETCH(bool, target);

    ListView list;
    fill(list, {s("а")});
    list.setDropTarget(target);
    QSignalSpy dropped(&list, &ListView::dropped);
    QList<QUrl> seen;
    connect(&list, &ListView::dropped, &list, [&] {
        QVERIFY(list.currentDrop());
        seen = list.currentDrop()->mimeData()->urls();
    });

    QMimeData mime;
    const QList<QUrl> urls{QUrl::fromLocalFile(s("/музыка/трек.mp3"))};
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QCOMPARE(enter.isAccepted(), target);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);

    QCOMPARE(dropped.count(), target ? 1 : 0);
    if (target) {
        QCOMPARE(seen, urls);
        QCOMPARE(drop.dropAction(), Qt::CopyAction); // the dropped files are never moved
    }
    QVERIFY(!list.currentDrop());
}

void tst_listview::sourceRowsShowTheSourceTexts()
{
    RecordTable table({s("ноль"), s("один"), s("два")});
    ListView list;
    addTwoColumns(list);
    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(list.model(), &QAbstractItemModel::rowsInserted);

    list.setSourceRows(table.source(), {2, 0, 2});
    QVERIFY(list.hasSourceRows());
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(list.count(), 3);
    QCOMPARE(rowTags(list), (QList<int>{2, 0, 2}));
    QCOMPARE(columnTexts(list, 1), (QStringList{s("два"), s("ноль"), s("два")}));
    QCOMPARE(list.model()->index(1, 1).data().toString(), s("ноль"));
    QVERIFY(!list.model()->index(0, 1).data(Qt::FontRole).isValid());
    // The row reads the record itself, not a copy of it.
    QCOMPARE(list.itemTexts(0).joined().constData(), table.records[2].joined().constData());
    QCOMPARE(list.item(1).tag, 0);
    QCOMPARE(list.item(1).texts, table.records[0]);
    QVERIFY(!list.itemBold(0));
    QVERIFY(!list.itemColor(0).isValid());
    QCOMPARE(list.items().size(), 3);
    QCOMPARE(list.items().at(2).texts, table.records[2]);
    QCOMPARE(list.items().at(2).tag, 2);
    // Out of range: nothing, as for ordinary rows.
    QVERIFY(list.itemText(3, 0).isEmpty());
    QCOMPARE(list.itemTag(-1), 0);
    QCOMPARE(list.itemTexts(7).count(), 0);
}

void tst_listview::sourceRowsChangeOneByOne()
{
    RecordTable table({s("в"), s("а"), s("д"), s("б"), s("г")});
    ListView list;
    addTwoColumns(list);
    list.setSourceRows(table.source(), {0, 1, 2, 3});
    const QVector<ListItem> &copy = list.items(); // made now: must follow every change below
    QAbstractItemModel *model = list.model();
    QSignalSpy removes(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);

    list.removeItem(1);
    QCOMPARE(removes.count(), 1);
    QCOMPARE(rowTags(list), (QList<int>{0, 2, 3}));
    list.removeItem(3); // out of range
    QCOMPARE(removes.count(), 1);

    // Another Tag shows another record, and the view is told.
    list.setItemTag(0, 1);
    QCOMPARE(list.itemText(0, 1), s("а"));
    QCOMPARE(changes.count(), 1);

    // The texts passed are ignored: the record in the table is what the row shows.
    table.records[2].set(1, s("дом"));
    list.setItemTexts(1, FieldList::fromList({s("x"), s("y")}));
    QCOMPARE(list.itemText(1, 1), s("дом"));
    QCOMPARE(changes.count(), 2);

    QCOMPARE(list.appendItem(FieldList::fromList({s("x"), s("y")}), 4), 3);
    QCOMPARE(list.itemText(3, 1), s("г"));
    QCOMPARE(inserts.count(), 1);
    QVERIFY(list.hasSourceRows());
    QCOMPARE(copy.size(), list.count());
    for (int row = 0; row < list.count(); ++row) {
        QCOMPARE(copy[row].tag, list.itemTag(row));
        QCOMPARE(copy[row].texts, list.itemTexts(row));
    }

    // While sorted, a new row goes where its record's text puts it, after equal texts.
    list.setSortKey(1);
    list.setSorted(true);
    QCOMPARE(columnTexts(list, 1), (QStringList{s("а"), s("б"), s("г"), s("дом")}));
    table.records.push_back(FieldList::fromList({s("5"), s("Г")}));
    QCOMPARE(list.addItem(FieldList::fromList({s("x"), s("я")}), 5), 3);
    QCOMPARE(list.itemTag(3), 5);
    QCOMPARE(list.itemTag(2), 4);
    list.setSortOrder(1);
    QCOMPARE(columnTexts(list, 1), (QStringList{s("дом"), s("г"), s("Г"), s("б"), s("а")}));
    QCOMPARE(list.addItem(QStringList(), 3), 4); // "б"
    QCOMPARE(list.items().size(), 6);
    QCOMPARE(list.items().at(4).texts, table.records[3]);
}

void tst_listview::sourceRowsSortLikeItems_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("byColumn"); // the source also gives single texts, which the sort then reads
    QTest::newRow("by name, ascending") << 0 << 1 << false;
    QTest::newRow("by name, descending") << 1 << 1 << false;
    QTest::newRow("by number, descending") << 1 << 0 << false;
    QTest::newRow("by name, ascending, one text at a time") << 0 << 1 << true;
    QTest::newRow("by number, descending, one text at a time") << 1 << 0 << true;
}

void tst_listview::sourceRowsSortLikeItems()
{
    QFETCH(int, order);
    QFETCH(int, key);
    QFETCH(bool, byColumn);

    // Every name twice under different Tags, so the stability of the sort shows in the Tags.
    QStringList names = kMixed;
    names += kMixed;
    RecordTable table(names);
    std::vector<int> tags = allTags(int(names.size()));
    std::reverse(tags.begin(), tags.end());
    QVector<ListItem> items;
    for (const int tag : tags)
        items.append(ListItem{table.records[size_t(tag)], tag, false, QColor()});

    ListView plain;
    ListView sourced;
    for (ListView *list : {&plain, &sourced}) {
        addTwoColumns(*list);
        list->setSortOrder(order);
        list->setSortKey(key);
    }
    // The column source gives the records' own texts: a sort reading a wrong column or Tag through it shows.
    int columnReads = 0;
    const ListView::ColumnSource columnSource = [&](int tag, int column, QString &text) {
        ++columnReads;
        text = table.records.at(size_t(tag)).value(column);
    };
    const auto setSource = [&] { sourced.setSourceRows(table.source(), tags, byColumn ? columnSource : nullptr); };
    plain.setItems(items);
    setSource();
    const int selected = 3;
    const int selectedTag = sourced.itemTag(selected);
    sourced.setSelectedRow(selected);
    QSignalSpy clicks(&sourced, &ListView::itemClick);

    plain.setSorted(true);
    sourced.setSorted(true);
    QCOMPARE(rowTags(sourced), rowTags(plain));
    QCOMPARE(columnTexts(sourced, key), columnTexts(plain, key));
    QVERIFY(rowTags(sourced) != QList<int>(tags.begin(), tags.end()));
    // The selection stays on its row, silently.
    QCOMPARE(sourced.itemTag(sourced.selectedRow()), selectedTag);
    QCOMPARE(sourced.currentIndex().row(), sourced.selectedRow());
    QCOMPARE(clicks.count(), 0);

    QCOMPARE(columnReads > 0, byColumn);

    // Rows handed to a sorted list come sorted, in both modes alike; so do the other key and order.
    plain.setItems(items);
    setSource();
    QCOMPARE(rowTags(sourced), rowTags(plain));
    plain.setSortKey(1 - key);
    sourced.setSortKey(1 - key);
    plain.setSortOrder(1 - order);
    sourced.setSortOrder(1 - order);
    QCOMPARE(rowTags(sourced), rowTags(plain));
    QVERIFY(sourced.hasSourceRows());
}

void tst_listview::sourceRowsBecomeItemsForOwnLook()
{
    RecordTable table({s("а"), s("б"), s("в")});
    ListView list;
    addTwoColumns(list);
    list.setSourceRows(table.source(), {2, 1, 0});

    // The look source rows have already: nothing to change, they stay source rows.
    list.setItemBold(0, false);
    list.setItemColor(0, QColor());
    QVERIFY(list.hasSourceRows());

    list.setItemText(1, 1, s("новое"));
    QVERIFY(!list.hasSourceRows());
    QCOMPARE(columnTexts(list, 1), (QStringList{s("в"), s("новое"), s("а")}));
    QCOMPARE(columnTexts(list, 0), (QStringList{s("2"), s("1"), s("0")}));
    QCOMPARE(rowTags(list), (QList<int>{2, 1, 0}));
    QCOMPARE(table.records[1].value(1), s("б")); // the table is not touched
    // Ordinary rows now: their texts are their own.
    table.records[0].set(1, s("другое"));
    QCOMPARE(list.itemText(2, 1), s("а"));

    list.setSourceRows(table.source(), {0, 1});
    list.setItemColor(1, QColor(Qt::red));
    QVERIFY(!list.hasSourceRows());
    QCOMPARE(list.itemColor(1), QColor(Qt::red));
    QCOMPARE(columnTexts(list, 1), (QStringList{s("другое"), s("б")}));
    list.setSourceRows(table.source(), {2});
    list.setItemBold(0, true);
    QVERIFY(!list.hasSourceRows());
    QVERIFY(list.itemBold(0));
    QCOMPARE(list.itemText(0, 1), s("в"));
}

void tst_listview::setItemsAndClearLeaveSourceRows()
{
    RecordTable table({s("а"), s("б")});
    ListView list;
    addTwoColumns(list);
    list.setSourceRows(table.source(), {1, 0});
    list.setItems({ListItem{FieldList::fromList({s("7"), s("свой")}), 7, false, QColor()}});
    QVERIFY(!list.hasSourceRows());
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.itemText(0, 1), s("свой"));
    // Ordinary rows again: texts passed are kept.
    list.setItemTexts(0, FieldList::fromList({s("7"), s("иной")}));
    QCOMPARE(list.itemText(0, 1), s("иной"));

    list.setSourceRows(table.source(), {1, 0});
    list.clear();
    QVERIFY(!list.hasSourceRows());
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.appendItem(FieldList::fromList({s("1"), s("после")}), 3), 0);
    QCOMPARE(list.itemText(0, 1), s("после"));
    QCOMPARE(list.items().size(), 1);
}

void tst_listview::longTextsAreShownByTheirStart()
{
    // A cell is painted from the start of its text only, so a field of megabytes does not stall every
    // paint; the item itself keeps its whole text.
    ListView list;
    addTwoColumns(list);
    const QString huge(1'000'000, QLatin1Char('x'));
    list.appendItem(FieldList::fromList({s("1"), huge}));
    const QString shown = list.model()->data(list.model()->index(0, 1)).toString();
    QCOMPARE(shown.size(), ListViewModel::kMaxShownCharacters);
    QCOMPARE(list.itemText(0, 1), huge);
}

QTEST_MAIN(tst_listview)
#include "tst_listview.moc"
