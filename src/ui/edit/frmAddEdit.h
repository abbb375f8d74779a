#pragma once

#include "core/catalogue/FieldList.h"

#include <QDialog>
#include <QPointer>
#include <QVector>

class BoxPaste;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Catalogue;
class ProgramPaths;
struct EditorState;
struct ProgramOptions;

// The dialog in which one track is typed in or changed. It is made once and only hidden between uses,
// so its fields keep their contents. In add mode "Ok" appends a new track; in edit mode it overwrites the
// track of the main list's selected row. Every store is saved at once.
class frmAddEdit : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFirstBox = 2;
    static constexpr int kLastBox = 12;

    frmAddEdit(Catalogue &catalogue, EditorState &editor, ProgramPaths &paths, const ProgramOptions &options,
               QWidget *owner);

    // The media type (track field 0).
    QComboBox *txt1 = nullptr;
    // Boxes 2..12 (0 and 1 unused): box i holds track field i - 1.
    QVector<QLineEdit *> txt;
    // Labels 1..12 (0 unused): label k names field k - 1.
    QVector<QLabel *> lbl;
    QPushButton *Command1 = nullptr; // "Ok"
    QPushButton *Command2 = nullptr; // "Отмена"
    QPushButton *Command3 = nullptr; // "Сегодня"
    QPushButton *Command4 = nullptr; // "Из тега MP3"
    QPushButton *Command5 = nullptr; // "В тег MP3"
    QPushButton *Command6 = nullptr; // "Новый"
    QPushButton *Command7 = nullptr; // "Треки"
    QCheckBox *Check1 = nullptr;     // "+копия"

    // While true, a change of a field neither capitalises nor completes it.
    bool AutoDisable = false;

    // Shows track `index` of the catalogue, whose fields are `fields`: the media type in its list, the rest
    // in the boxes. An edit stores into that track.
    void showRecord(int index, const FieldList &fields);

    // Opens the editor for a new track: the fields a new track carries over (media type and number,
    // date, style, label) stay as they were, the others are cleared.
    void startNewTrack();
    // Opens the editor on the record last shown by showRecord(): to add it as a new track (a copy) or to
    // change it in place.
    void startWithRecord(bool adding);

    // Album entry: opens the editor for one track of a CD, to be added. The boxes show `fields` (a track
    // record's fields; the media type is always the list's first, "CD"); "+копия" is left as it is.
    void startAlbumTrack(const FieldList &fields);
    // Album entry: locks (or unlocks again) the fields all tracks of the CD share: media type and number,
    // track number, album, date, label, and the "Сегодня" and "Новый" buttons.
    void setAlbumFieldsLocked(bool locked);

    // Puts a field's value into box `i`. A box shows at most its maximum length (Qt's usual 32 767
    // characters); a longer value is kept whole, and stored whole while the box is left unchanged.
    void setFieldText(int i, const QString &text);
    // The value box `i` stands for: the whole value it was given while the box is unchanged, else its text.
    QString fieldText(int i) const;

    // Moves the focus to the nearest enabled field before box `i`.
    void GoNext(int i);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // "Из тега MP3": artist, title, album, comment and duration from an MP3 file the user picks.
    void Command4_Click();
    // "В тег MP3": artist, title, album, comment and style into the ID3v1 tag of an MP3 file the user picks.
    void Command5_Click();
    void Command6_Click();
    // "Треки": the window listing the tracks of the artist typed.
    void Command7_Click();

    // Closing through the window frame or Esc is "Отмена".
    void reject() override;

Q_SIGNALS:
    // "Ok" stored track `index` in the catalogue: added at its end (`added`) or changed. With `keptOpen`
    // ("+копия") the editor stays open for the next track of the disc.
    void trackStored(int index, bool added, bool keptOpen);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void txt_Change(int i);
    bool txt_KeyDown(int i, QKeyEvent *event);
    void txt_KeyPress(int i, int character);
    int boxIndex(QObject *object) const;
    // Asks before storing values the code page cannot hold; false when the user declines. On yes, the
    // boxes are set to what will be stored.
    bool confirmStorableText();
    // Asks before storing a box that was changed while it showed only the start of a longer value; false
    // when the user declines.
    bool confirmShortenedFields();
    // The MP3 file the user picks for the tag buttons; empty when cancelled.
    QString chooseMp3File();
    // Asks before writing tag texts the code page cannot hold; false when the user declines.
    bool confirmTagText();

    Catalogue &m_catalogue;
    EditorState &m_editor;
    ProgramPaths &m_paths;
    const ProgramOptions &m_options;
    int m_recordIndex = 0; // the track shown by showRecord(), which an edit stores into
    bool iSelfChange = false;
    QVector<QString> m_longValues; // by box: the whole value when it is longer than the box shows
    BoxPaste *m_paste = nullptr;   // pastes into the boxes, telling of text that did not fit
};
