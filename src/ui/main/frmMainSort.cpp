// Putting the open base into shelf order: CDs before LPs, each medium by its number, the tracks of a
// medium by their numbers. Unlike a click on a column header this reorders the catalogue itself, saves it
// and shows it anew.
#include "frmMain.h"

#include "core/sort/ShelfSort.h"
#include "ui/controls/SkinButton.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QCoreApplication>

void frmMain::connectSort()
{
    connect(mnuSort, &QAction::triggered, this, &frmMain::mnuSort_Click);
    connect(Command9, &SkinButton::clicked, this, &frmMain::mnuSort_Click);
}

void frmMain::mnuSort_Click()
{
    if (g.iEditorOpen)
        return;
    Q_EMIT workStarted();
    QCoreApplication::processEvents(); // lets the wait window paint before the work holds the loop
    ShelfSort::sortTable(g.arTracks);
    const bool saved = SaveBase();
    Q_EMIT workFinished();
    if (saved) {
        LoadBase();
        return;
    }
    // The file does not hold the sorted tracks (the failure was told): the list is made from the tracks
    // in memory, which are the only copy of the changes not yet written.
    ++*m_searchGeneration;
    m_searching = false;
    lv->clear();
    showCatalogue();
}
