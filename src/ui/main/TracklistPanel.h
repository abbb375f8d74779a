#pragma once

#include "core/catalogue/BaseFiles.h"

#include <QObject>

class ListView;
class QWidget;
class SkinButton;

// The Tracklist panel: the DJ's hand-ordered list of picked tracks (`lv2`), its buttons and its file.
// Its rows are copies of what the track list showed when they were added; they are numbered when added
// and never renumbered. The file is read and written with the base, by the base's session.
class TracklistPanel : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        ListView *lv = nullptr;  // the track list, where tracks are picked from
        ListView *lv2 = nullptr; // the Tracklist itself
        SkinButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr;
        SkinButton *cmdUp = nullptr, *cmdDown = nullptr;
    };
    TracklistPanel(const Controls &controls, QWidget *owner);

    int columnCount() const;
    // Reads the Tracklist file at `path` into the panel; tells the user, once, when it cannot be read (it
    // is then never written over). What the file holds that a save will not keep.
    BaseFiles::Losses LoadTracklist(const QString &path);
    // Writes the panel's rows to `path`; false with the reason in `error`.
    bool SaveTracklist(const QString &path, QString *error);

    // Appends the track selected in the track list, numbered after the last row.
    void addToTracklist();
    // Removes the selected entry, after asking.
    void removeFromTracklist();
    // Removes every entry, after asking.
    void clearTracklist();
    // Moves the selected entry one row up (-1) or down (+1); the numbers stay in place.
    void moveTracklistEntry(int step);

private:
    void addColumns();

    Controls m_ui;
    QWidget *m_owner;
    bool m_unreadable = false;
};
