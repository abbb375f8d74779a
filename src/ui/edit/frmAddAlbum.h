#pragma once

#include "core/catalogue/FieldList.h"

#include <QDialog>
#include <QPointer>
#include <QVector>

class CddbControl;
class QLabel;
class QLineEdit;
class QPushButton;
struct EditorState;
struct ProgramOptions;

// The dialog in which a whole CD is entered: the number of its tracks and what they share (media number,
// album, date, label), optionally looked up in CDDB. "Далее" then opens the track editor once per track,
// pre-filled and with the shared fields locked. It is made once and only hidden between uses.
class frmAddAlbum : public QDialog
{
    Q_OBJECT

public:
    // Whether the CDDB data are used: no lookup made, a lookup started (its data are used), or one that
    // failed or was stopped. The "Использовать CDDB" button shows it in its colour.
    enum class Lookup { None, Used, Failed };

    frmAddAlbum(EditorState &editor, const ProgramOptions &options, CddbControl *cddb, QWidget *owner);

    // Boxes 0 (number of tracks), 2 (media number), 6 (album), 8 (date) and 10 (label); the others unused.
    QVector<QLineEdit *> txt;
    QVector<QLabel *> lbl;
    QPushButton *Command1 = nullptr; // "Далее"
    QPushButton *Command2 = nullptr; // "Отмена"
    QPushButton *Command3 = nullptr; // "Сегодня"
    QPushButton *Command4 = nullptr; // "Использовать CDDB"

    // "Новый CD альбом": the boxes emptied, no lookup made, the dialog shown over its owner.
    void startAlbum();

    Lookup lookup() const { return m_lookup; }
    void setLookup(Lookup state);
    // A lookup found the disc: its album title, label and number of tracks go into their boxes.
    void showDisc(const QString &album, const QString &label, int trackCount);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

Q_SIGNALS:
    // "Использовать CDDB": the lookup dialog is wanted.
    void lookupWanted();
    // The fields the tracks share are locked in the editor for the run of tracks, and unlocked after it.
    void sharedFieldsLocked(bool locked);
    // The editor is wanted for one track of the CD, with these fields; it returns once the track is
    // stored or skipped.
    void trackWanted(const FieldList &fields);

private:
    EditorState &m_editor;
    const ProgramOptions &m_options;
    QPointer<CddbControl> m_cddb;
    Lookup m_lookup = Lookup::None;
};
