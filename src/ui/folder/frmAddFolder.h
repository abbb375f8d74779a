#pragma once

#include "core/catalogue/TrackTable.h"

#include <QDialog>
#include <QVector>

class Catalogue;
class FolderAlbum;
class FolderReader;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
struct ProgramOptions;

// "Новый CD из папки...": the audio files of a folder entered as the tracks of one CD. The folder is read
// while the dialog shows (on a worker, with a progress bar that can be stopped); the tracks are then listed
// for review: the user edits cells, unticks tracks and sets what the CD's tracks share. "Добавить" stores the
// ticked tracks at the end of the catalogue in one go, refusing those whose number the CD already has.
class frmAddFolder : public QDialog
{
    Q_OBJECT

public:
    // The review list's columns.
    enum Column { TrackColumn, ArtistColumn, TitleColumn, DurationColumn, FileColumn, ColumnCount };

    frmAddFolder(Catalogue &catalogue, const ProgramOptions &options, QWidget *owner);
    ~frmAddFolder() override;

    // Asks for a folder, then shows the dialog over its owner while the folder is read; returns when the
    // dialog is closed. A cancelled folder dialog ends it.
    void startFolder();
    // Shows the dialog for `folder`, read anew.
    void showFolder(const QString &folder);

    // "Добавить": stores the ticked tracks.
    void Command1_Click();
    // Closing with "Отмена", Esc or the window frame abandons a reading under way.
    void reject() override;

Q_SIGNALS:
    // "Добавить" stored `count` tracks at the end of the catalogue: the base is to be saved, once.
    void tracksStored(int count);

private:
    void buildControls();
    void readingProgress(int done, int total);
    void readingFinished(const FolderAlbum &album);
    void updateAddButton();
    // The ticked rows' tracks as they would be stored, with the rows they come from.
    QVector<TrackRecord> tickedTracks(QVector<int> *rows) const;
    // Asks before storing texts the code page cannot hold; false when the user declines.
    bool confirmStorableText(QVector<TrackRecord> &tracks);

    Catalogue &m_catalogue;
    const ProgramOptions &m_options;
    FolderReader *m_reader = nullptr;
    QString m_folder;
    QString m_lastFolder;        // where the folder dialog opens next time
    QVector<QString> m_comments; // by row: the file's comment, stored with its track

    QLabel *lblFolder = nullptr;
    QComboBox *txt1 = nullptr;       // the media type: a CD
    QVector<QLineEdit *> txt;        // boxes by the editor's numbering: 2, 6, 8, 9 and 10
    QPushButton *Command1 = nullptr; // "Добавить"
    QPushButton *Command2 = nullptr; // "Отмена"
    QPushButton *Command3 = nullptr; // "Сегодня"
    QPushButton *Command6 = nullptr; // "Новый"
    QTableWidget *lvFiles = nullptr;
    QLabel *lblFailed = nullptr;
    QListWidget *lstFailed = nullptr;
    QProgressBar *prgRead = nullptr;
    QPushButton *cmdStop = nullptr;
    QLabel *lblSummary = nullptr;
};
