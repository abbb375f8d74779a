#pragma once

#include <QDialog>

class ListView;
class TrackTable;

// The window listing every catalogued track of one artist, opened from the editor's "Треки" button. It
// only shows: no commands, no sorting.
class frmPesni : public QDialog
{
    Q_OBJECT

public:
    explicit frmPesni(QWidget *parent = nullptr);

    ListView *lv2 = nullptr;

    // Lists the tracks whose artist equals `artist` without regard to case (no trimming, no partial
    // match), numbered from 1.
    void fill(const TrackTable &table, const QString &artist);

protected:
    void resizeEvent(QResizeEvent *event) override;
};
