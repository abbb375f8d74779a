#include "TrackCommands.h"

#include "BaseSession.h"
#include "core/catalogue/Catalogue.h"
#include "core/edit/EditorState.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

TrackCommands::TrackCommands(Catalogue &catalogue, EditorState &editor, BaseSession *session, ListView *list,
                             QWidget *owner)
    : QObject(owner), m_catalogue(catalogue), m_editor(editor), m_session(session), lv(list), m_owner(owner)
{}

void TrackCommands::mnuNewRecord_Click()
{
    if (m_editor.iEditorOpen)
        return;
    m_editor.iAddMode = true;
    Q_EMIT newTrackWanted();
}

void TrackCommands::mnuNewRecord3_Click()
{
    if (m_editor.iEditorOpen || lv->selectedRow() < 0)
        return;
    Q_EMIT rowWanted(lv->selectedRow());
    m_editor.iAddMode = true;
    Q_EMIT editorWanted(true);
}

void TrackCommands::EditCurent()
{
    if (m_editor.iEditorOpen || lv->selectedRow() < 0)
        return;
    Q_EMIT rowWanted(lv->selectedRow());
    m_editor.iAddMode = false;
    Q_EMIT editorWanted(false);
}

void TrackCommands::mnuDelRecord_Click()
{
    if (m_editor.iEditorOpen)
        return;
    const int p = lv->selectedRow();
    if (p < 0)
        return;
    if (MsgBox::show(m_owner, QStringLiteral("Вы действительно хотите удалить выделенный трек?"), MsgBox::YesNo,
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
    m_session->SaveBase();
}

void TrackCommands::deleteTrackOfRow(int row)
{
    m_catalogue.removeTrack(lv->itemTag(row));
}

void TrackCommands::mnuKillAll_Click()
{
    if (!MsgBox::confirm(m_owner, QStringLiteral("Вы действительно хотите удалить все треки из базы?"),
                         QStringLiteral("Внимание!")))
        return;
    m_catalogue.clear();
    m_session->SaveBase();
    Q_EMIT allTracksWanted();
}

void TrackCommands::mnuNewAlbum_Click()
{
    if (m_editor.iEditorOpen)
        return;
    Q_EMIT albumWanted();
}

void TrackCommands::mnuNewAlbumFolder_Click()
{
    if (m_editor.iEditorOpen)
        return;
    Q_EMIT folderAlbumWanted();
}

void TrackCommands::mnuSort_Click()
{
    // Unlike a click on a column header this reorders the catalogue itself: CDs before LPs, each medium
    // by its number, the tracks of a medium by their numbers.
    if (m_editor.iEditorOpen)
        return;
    Q_EMIT workStarted();
    QCoreApplication::processEvents(); // lets the wait window paint before the work holds the loop
    m_catalogue.sortIntoShelfOrder();
    const bool saved = m_session->SaveBase();
    Q_EMIT workFinished();
    // When the file could not take the sorted tracks (the failure was told), the list keeps showing the
    // tracks in memory, which are the only copy of the changes not yet written.
    if (saved)
        m_session->LoadBase();
}

void TrackCommands::copyToClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void TrackCommands::CopyCurentTrek()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Artist) + QStringLiteral(" - ") +
                        lv->itemText(row, TrackRecord::Title));
}

void TrackCommands::CopyCurentArtist()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Artist));
}

void TrackCommands::CopyCurentTitle()
{
    const int row = lv->selectedRow();
    if (row >= 0)
        copyToClipboard(lv->itemText(row, TrackRecord::Title));
}
