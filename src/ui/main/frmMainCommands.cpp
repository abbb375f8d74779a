// The commands on tracks: new, copy into new, edit, delete, delete all, new CD album and the clipboard
// copies. Menus, the context menu, the buttons and the keys all come here.
#include "frmMain.h"

#include "ui/controls/SkinButton.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/print/PrintCommand.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>

void frmMain::connectTrackCommands()
{
    connect(mnuNewRecord, &QAction::triggered, this, &frmMain::mnuNewRecord_Click);
    connect(mnuNewRecord2, &QAction::triggered, this, &frmMain::mnuNewRecord_Click);
    connect(Command5, &SkinButton::clicked, this, &frmMain::mnuNewRecord_Click);
    connect(mnuNewRecord3, &QAction::triggered, this, &frmMain::mnuNewRecord3_Click);
    connect(mnuNewRecord31, &QAction::triggered, this, &frmMain::mnuNewRecord3_Click);
    connect(Command4, &SkinButton::clicked, this, &frmMain::mnuNewRecord3_Click);
    connect(mnuEditRecord, &QAction::triggered, this, &frmMain::EditCurent);
    connect(mnuEditRecord2, &QAction::triggered, this, &frmMain::EditCurent);
    connect(Command6, &SkinButton::clicked, this, &frmMain::EditCurent);
    connect(mnuDelRecord, &QAction::triggered, this, &frmMain::mnuDelRecord_Click);
    connect(mnuDelRecord2, &QAction::triggered, this, &frmMain::mnuDelRecord_Click);
    connect(Command8, &SkinButton::clicked, this, &frmMain::mnuDelRecord_Click);
    connect(mnuKillAll, &QAction::triggered, this, &frmMain::mnuKillAll_Click);
    connect(mnuNewAlbum, &QAction::triggered, this, &frmMain::mnuNewAlbum_Click);
    connect(Command7, &SkinButton::clicked, this, &frmMain::mnuNewAlbum_Click);
    connect(mnuTrek, &QAction::triggered, this, &frmMain::CopyCurentTrek);
    connect(mnuCopyIsp, &QAction::triggered, this, &frmMain::CopyCurentArtist);
    connect(mnuCopyTitle, &QAction::triggered, this, &frmMain::CopyCurentTitle);
    connect(cmdFind, &SkinButton::clicked, this, &frmMain::cmdFind_Click);

    m_print = new PrintCommand(g, lv, this);
    connect(mnuPrint, &QAction::triggered, m_print, &PrintCommand::print);
    connect(mnuPreview, &QAction::triggered, m_print, &PrintCommand::preview);
    connect(mnuSavePdf, &QAction::triggered, m_print, &PrintCommand::savePdf);
}

void frmMain::mnuNewRecord_Click()
{
    if (g.iEditorOpen)
        return;
    g.iAddMode = true;
    Q_EMIT newTrackWanted();
}

void frmMain::mnuNewRecord3_Click()
{
    if (g.iEditorOpen || lv->selectedRow() < 0)
        return;
    FillTexts(lv->selectedRow());
    g.iAddMode = true;
    Q_EMIT editorWanted(true);
}

void frmMain::EditCurent()
{
    if (g.iEditorOpen || lv->selectedRow() < 0)
        return;
    FillTexts(lv->selectedRow());
    g.iAddMode = false;
    Q_EMIT editorWanted(false);
}

void frmMain::mnuDelRecord_Click()
{
    if (g.iEditorOpen)
        return;
    const int p = lv->selectedRow();
    if (p < 0)
        return;
    if (MsgBox::show(this, QStringLiteral("Вы действительно хотите удалить выделенный трек?"), MsgBox::YesNo,
                     MsgBox::Question, MsgBox::FirstButton) != MsgBox::Yes)
        return;

    // The row to select afterwards: the next one, else the one before, else none.
    const int c = lv->count();
    int next = -1;
    if (p + 1 < c)
        next = p; // the next row moves up into the deleted row's place
    else if (c > 1)
        next = p - 1;

    deleteTrackOfRow(p);
    lv->setSelectedRow(-1);
    if (next >= 0)
        lv->setSelectedRow(next);
    SaveCurentH();
}

void frmMain::deleteTrackOfRow(int row)
{
    const int removed = lv->itemTag(row);
    g.arTracks.removeTrack(removed);
    lv->removeItem(row);
    // Every other row keeps pointing at its own track, which moved up one place if it came after.
    lv->shiftTagsDown(removed);
}

void frmMain::mnuKillAll_Click()
{
    if (!MsgBox::confirm(this, QStringLiteral("Вы действительно хотите удалить все треки из базы?"),
                         QStringLiteral("Внимание!")))
        return;
    g.arTracks.ClearTracks();
    lv->clear();
    SaveCurentH();
    cmdFind_Click();
}

void frmMain::mnuNewAlbum_Click()
{
    if (g.iEditorOpen)
        return;
    Q_EMIT albumWanted();
}

void frmMain::copyToClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void frmMain::CopyCurentTrek()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Artist) + QStringLiteral(" - ") +
                        lv->itemText(row, TrackRecord::Title));
}

void frmMain::CopyCurentArtist()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Artist));
}

void frmMain::CopyCurentTitle()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Title));
}
