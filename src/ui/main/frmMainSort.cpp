// Putting the open base into shelf order: CDs before LPs, each medium by its number, the tracks of a
// medium by their numbers. Unlike a click on a column header this reorders the catalogue itself, saves it
// and shows it anew.
#include "frmMain.h"

#include "ShelfSort.h"
#include "frmSplash.h"

#include <QAction>
#include <QCoreApplication>
#include <QToolButton>

void frmMain::connectSort()
{
    connect(mnuSort, &QAction::triggered, this, &frmMain::mnuSort_Click);
    connect(Command9, &QToolButton::clicked, this, &frmMain::mnuSort_Click);
}

void frmMain::mnuSort_Click()
{
    if (g.iEditorOpen)
        return;
    if (waitWindow) {
        waitWindow->move(geometry().center() - waitWindow->rect().center());
        waitWindow->show();
        QCoreApplication::processEvents();
    }
    ShelfSort::sortTable(g.arTracks);
    SaveBase();
    if (waitWindow)
        waitWindow->hide();
    LoadBase();
}
