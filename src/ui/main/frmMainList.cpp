// The track list: how the selection follows the mouse and the keys, the context menu, which track
// commands are enabled, and filling the editor from a row.
#include "frmMain.h"

#include "ui/controls/uSc_ListView_Xtended_Sort.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

void frmMain::addColumns()
{
    for (const ColumnInfo &column : g.arColumns)
        lv->addColumn(column.caption, column.width);
    lv2->addColumn(QStringLiteral("№"), 30);
    lv2->addColumn(QStringLiteral("Исполнитель"), 150);
    lv2->addColumn(QStringLiteral("Название"), 300);
    lv2->addColumn(QStringLiteral("Длительность"), 90);
    lv2->addColumn(QStringLiteral("Тип и № носителя"), 120);
    LVXS->SetUp(lv);
}

void frmMain::focusTrackList()
{
    lv->setFocus();
}

void frmMain::connectTrackList()
{
    connect(lv, &ListView::itemClick, this, [this](int row) {
        UpdateMenus();
        FillTexts(row);
    });
    connect(lv, &ListView::dblClick, this, [this] {
        if (lv->selectedRow() >= 0)
            EditCurent();
    });
    connect(lv, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Delete)
            mnuDelRecord_Click();
    });
    connect(lv, &ListView::keyPress, this, [this](int character) {
        if (character == 13)
            EditCurent();
        else if (character == 27 && lv->selectedRow() >= 0)
            lv->setSelectedRow(-1);
    });
    connect(lv, &ListView::mouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pos) {
        if (button != Qt::LeftButton || lv->rowAt(pos) >= 0)
            return;
        // A click below the last row selects the last row.
        lv->setSelectedRow(lv->count() > 0 ? lv->count() - 1 : -1);
        UpdateMenus();
    });
    connect(lv, &ListView::mouseMove, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, const QPoint &pos) {
        if (!(buttons & Qt::LeftButton))
            return;
        const int row = lv->rowAt(pos);
        if (row < 0)
            return;
        if (row != lv->selectedRow())
            lv->setSelectedRow(row);
        UpdateMenus();
    });
    connect(lv, &ListView::mouseUp, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pos) {
        if (button != Qt::RightButton || g.iEditorOpen)
            return;
        UpdateMenus();
        mnuC1->setDefaultAction(mnuEditRecord);
        showContextMenu(lv->viewport()->mapToGlobal(pos));
    });
    connect(lv, &ListView::columnClick, this, [this](int column) {
        const int type = qRound(lv->columnTag(column).toDouble());
        LVXS->Sort(true, column + 1, type);
    });
}

void frmMain::showContextMenu(const QPoint &globalPos)
{
    mnuC1->popup(globalPos);
}

void frmMain::UpdateMenus()
{
    const bool selected = lv->selectedRow() >= 0;
    for (QAction *item : {mnuEditRecord, mnuEditRecord2, mnuDelRecord, mnuDelRecord2, mnuCopyI->menuAction(),
                          mnuNewRecord3, mnuNewRecord31})
        item->setEnabled(selected);
}

void frmMain::FillTexts(int row)
{
    if (row < 0 || row >= lv->count())
        return;
    Q_EMIT recordChosen(lv->itemTag(row), lv->itemTexts(row));
}

void frmMain::showStoredTrack(int index, bool added)
{
    if (added) {
        if (lv->selectedRow() >= 0)
            lv->setSelectedRow(-1);
        // A new track goes at the end of the list, whatever the list shows.
        const int row = lv->appendItem(g.arTracks.at(index), index);
        lv->setSelectedRow(row);
        lv->ensureVisible(row);
        setStatusText(QStringLiteral("Загружено ") + QString::number(index) + QStringLiteral(" треков"));
    } else {
        // The track edited is the selected one: the editor is modal.
        const int row = lv->selectedRow();
        if (row >= 0 && lv->itemTag(row) == index)
            lv->setItemTexts(row, g.arTracks.at(index));
    }
    SaveCurentH();
    UpdateMenus();
}
