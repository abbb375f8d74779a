#pragma once

#include <QObject>

class BaseSession;
class Catalogue;
class ListView;
class QWidget;
struct EditorState;

// The commands on tracks: new, copy into new, edit, delete, delete all, new CD album (typed in or from a
// folder), the shelf order
// and the clipboard copies. Menus, the context menu, the buttons and the keys all come here. A change
// goes to the catalogue, which the list follows, and the base is saved.
class TrackCommands : public QObject
{
    Q_OBJECT

public:
    TrackCommands(Catalogue &catalogue, EditorState &editor, BaseSession *session, ListView *lv, QWidget *owner);

    void mnuNewRecord_Click();
    void mnuNewRecord3_Click();
    void EditCurent();
    void mnuDelRecord_Click();
    // Removes the track shown in `row` from the catalogue (and so from the list), without saving.
    void deleteTrackOfRow(int row);
    void mnuKillAll_Click();
    void mnuNewAlbum_Click();
    void mnuNewAlbumFolder_Click();
    // Sorts the catalogue into shelf order, saves it and loads it again, showing the wait window.
    void mnuSort_Click();
    void CopyCurentTrek();
    void CopyCurentArtist();
    void CopyCurentTitle();

Q_SIGNALS:
    // The editor is to be handed the track of `row` before it opens on it.
    void rowWanted(int row);
    // The editor is wanted for a new track: its fields cleared, but for those a new track carries over.
    void newTrackWanted();
    // The editor is wanted for the record just handed over, to add it as a copy or to change it in place.
    void editorWanted(bool adding);
    // "Новый CD альбом": the album dialog is wanted, emptied.
    void albumWanted();
    // "Новый CD из папки...": a folder of audio files is to be entered as a CD.
    void folderAlbumWanted();
    // Every track was deleted: the search box is emptied and the list shows what is left.
    void allTracksWanted();
    // Longer work (putting the base into shelf order) starts or ends: the wait window shows meanwhile.
    void workStarted();
    void workFinished();

private:
    void copyToClipboard(const QString &text);

    Catalogue &m_catalogue;
    EditorState &m_editor;
    BaseSession *m_session;
    ListView *lv;
    QWidget *m_owner;
};
